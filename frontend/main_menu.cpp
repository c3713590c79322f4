// The menu window: its pages and controls, what it draws every frame, which
// main buttons are enabled, and its graphics while it is shown.
#include "frontend/main_menu.h"

#include <cstring>

#include "controls/sprite_scroll_bar.h"
#include "engine/base/base.h"
#include "engine/platform/display/surface.h"
#include "controls/standard_font.h"
#include "controls/text_buttons.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/d3dframe/display_link.h"
#include "engine/dpframe/dpframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "frontend/game_link.h"
#include "world/data2/global_data.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"

Main::TMainMenu* MainMenu = nullptr;

namespace Main {

std::string TMainMenu::BuildDate = __DATE__;

namespace {

struct TCaption {
  const char* Caption;
  const char* Hint;
};

constexpr TCaption MainCaptions[MainButtonCount] = {
    {"Neues Spiel", "Ein neues Spiel beginnen"},
    {"Fortsetzen", "Laufendes Spiel fortsetzen"},
    {"Mehrspieler", "Starte Mehrspieler-Spiel"},
    {"Laden", "Gespeichertes Spiel laden"},
    {"Speichern", "Laufendes Spiel speichern"},
    {"Optionen", "Einstellungen \xE4ndern"},
    {"Credits", "Credits anzeigen"},
    {"Beenden", "Orvandia beenden"},
};

constexpr TCaption NoButton = {nullptr, nullptr};
constexpr TCaption Cancel(const char* hint) { return {"ABBRECHEN", hint}; }

// Page buttons by page: at x = 136, 336 and 536.
constexpr TCaption PageCaptions[MenuPageCount][PageButtonCount] = {
    {NoButton, NoButton, NoButton},
    {{"OK", "Spiel im gew\xE4hlten Slot speichern"},
     Cancel("Speichern abbrechen"),
     {"L\xD6SCHEN", "Gew\xE4hlten Spielstand l\xF6schen"}},
    {{"OK", "Gew\xE4hlten Spielstand laden"},
     Cancel("Laden abbrechen"),
     {"L\xD6SCHEN", "Gew\xE4hlten Spielstand l\xF6schen"}},
    {{"OK", "\xC4nderungen best\xE4tigen"}, Cancel("\xC4nderungen ablehnen"), NoButton},
    {{"OK", "Verbindung best\xE4tigen"}, Cancel("Mehrspieler beenden"), NoButton},
    {{"BEITRETEN", "Vorhandenem Spiel beitreten"},
     Cancel("Verbindung abbrechen"),
     {"ERSTELLEN", "Neues Spiel starten"}},
    {{"OK", "Auswahl best\xE4tigen und auf Spielbeginn warten"}, Cancel("Dieses Spiel abbrechen"), NoButton},
    {{"OK", "Szenario best\xE4tigen"}, Cancel("Dieses Spiel abbrechen"), NoButton},
};

constexpr i32 PageButtonX[PageButtonCount] = {136, 336, 536};
constexpr i32 PageButtonY = 532;
constexpr i32 MainButtonX = 590, MainButtonTop = 130, MainButtonStep = 50;
constexpr i32 ListLeft = 120, ListTop = 201, ListWidth = 410;

// Tags of the buttons: main buttons by index, page buttons by page and place.
constexpr u32 MainTag = 100;
constexpr u32 PageTag(u8 page, int place) { return 200 + page * 4u + static_cast<u32>(place); }

// The main button that leads to a page.
int ButtonOfPage(u8 page) {
  switch (page) {
    case mpSave: return mbSaveGame;
    case mpLoad: return mbLoadGame;
    case mpOptions: return mbOptions;
    default: return page >= mpConnection ? mbMultiplayer : -1;
  }
}

bool NetworkTransport() { return DPFramework != nullptr; }
bool ScenarioRunning() { return GameLink && GameLink->ScenarioRunning(); }

bool HaveDevice() { return D3DFramework && D3DFramework->Device3D; }

}  // namespace

TMainMenu::TMainMenu(DXWin::TDXWindowSystem* windowSystem) : DXWin::TDXWindow(windowSystem, 0, 0) {
  SetBounds({0, 0, 800, 600});
  BuildMainButtons();
  BuildPages();
  OnKeyDown = DXWin::TKeyEvent::Of<&TMainMenu::MenuKeyDown>(this);
  OnUpdate = DXWin::TNotifyEvent::Of<&TMainMenu::UpdateStep>(this);
  CreateThumbnailSurface();
}

TMainMenu::~TMainMenu() {
  CloseNetwork();
  ReleaseGraphics();
  ReleaseThumbnailSurface();
  SaveList.Clear();
}

void TMainMenu::BuildMainButtons() {
  for (int i = 0; i < MainButtonCount; ++i) {
    auto* b = new TMenuButton(this, this);
    b->Caption = b->Text = MainCaptions[i].Caption;
    b->Hint = MainCaptions[i].Hint;
    b->SetBounds({MainButtonX, MainButtonTop + i * MainButtonStep, MainButtonX + 160, MainButtonTop + i * MainButtonStep + 28});
    b->Tag = MainTag + static_cast<u32>(i);
    b->OnClick = DXWin::TNotifyEvent::Of<&TMainMenu::ButtonClick>(this);
    MainButtons[i] = b;
  }
}

void TMainMenu::BuildPages() {
  for (u8 page = 1; page < MenuPageCount; ++page) {
    // A group of size 0 neither clips its children nor covers the main buttons.
    auto* group = new DXWin::TDXGroup(this, this, DXWin::cfEnabled);
    group->Tag = page;
    group->OnDraw = DXWin::TDrawEvent::Of<&TMainMenu::GroupDraw>(this);
    Groups[page] = group;
    for (int place = 0; place < PageButtonCount; ++place) {
      const TCaption& c = PageCaptions[page][place];
      if (!c.Caption) continue;
      auto* b = new TMenuButton(group, this);
      b->Caption = b->Text = c.Caption;
      b->Hint = c.Hint;
      b->SetBounds({PageButtonX[place], PageButtonY, PageButtonX[place] + 160, PageButtonY + 28});
      b->Tag = PageTag(page, place);
      b->OnClick = DXWin::TNotifyEvent::Of<&TMainMenu::ButtonClick>(this);
      PageButtons[page][place] = b;
    }
  }
  BuildSlotPage(mpSave);
  BuildSlotPage(mpLoad);
  BuildOptionsPage();
  BuildNetworkPages();
}

void TMainMenu::BuildSlotPage(u8 page) {
  auto* bar = new TSpriteScrollBar(Groups[page], true, 52, 26);
  bar->Width = 15;
  ScrollBars[page - 1] = bar;
  auto* list = new DXWin::TDXListBox(Groups[page], ListWidth, SlotRowHeight, bar);
  list->SetPosition(ListLeft, ListTop);
  list->RowCount = 4;
  list->OnDrawItem = DXWin::TDrawItemEvent::Of<&TMainMenu::SlotDraw>(this);
  list->OnDblClick = DXWin::TMouseEvent::Of<&TMainMenu::ListDoubleClick>(this);
  list->UpdateLayout();
  (page == mpSave ? SaveListBox : LoadListBox) = list;
}

// Pages and buttons.

void TMainMenu::Open(u8 page) {
  if (WindowSystem) WindowSystem->SetOverrideCursor(nullptr);
  TMenuButton* multiplayer = MainButtons[mbMultiplayer];
  if (NetworkTransport() && ScenarioRunning()) {
    multiplayer->Caption = multiplayer->Text = "Verbindung trennen";
    multiplayer->Hint = "Netzwerkverbindung schlie\xDF" "en";
  } else {
    CloseNetwork();
    multiplayer->Caption = multiplayer->Text = MainCaptions[mbMultiplayer].Caption;
    multiplayer->Hint = MainCaptions[mbMultiplayer].Hint;
  }
  LoadGraphics();
  OpenedFrom = page;
  ShowMainPage();
  if (page == mpSave)
    ShowSavePage();
  else if (page == mpLoad)
    ShowLoadPage();
  else if (page == mpOptions)
    ShowOptionsPage();
  else
    UpdateMainButtons();
  if (!ScenarioRunning()) CloseNetwork();
  Show();
  if (Data2::GlobalData) GameData::PlayMusic(Data2::GlobalData->MenuMusicID, MusicVolume, 0, false);
}

void TMainMenu::Dismiss() {
  Hide();
  ReleaseGraphics();
}

void TMainMenu::ShowMainPage() {
  Page = mpMain;
  for (int i = 0; i < MainButtonCount; ++i) {
    MainButtons[i]->Enable();
    MainButtons[i]->Hint = MainCaptions[i].Hint;
    if (i == mbMultiplayer && MainButtons[i]->Caption != MainCaptions[i].Caption)
      MainButtons[i]->Hint = "Netzwerkverbindung schlie\xDF" "en";
    MainButtons[i]->SetFonts(ButtonFonts[3], ButtonFonts[2], ButtonFonts[1], ButtonFonts[0]);
  }
  for (DXWin::TDXGroup* g : Groups)
    if (g) g->Hide();
}

void TMainMenu::DisableMainButtons() {
  for (TMenuButton* b : MainButtons) {
    b->Disable();
    b->Hint.clear();
  }
}

void TMainMenu::EnterPage(u8 page) {
  ShowMainPage();
  Page = page;
  DisableMainButtons();
  HighlightPageButton();
}

void TMainMenu::HighlightPageButton() {
  const int i = ButtonOfPage(Page);
  if (i >= 0) MainButtons[i]->SetFonts(nullptr, nullptr, nullptr, ButtonFonts[2]);
}

void TMainMenu::UpdateMainButtons() {
  const bool transport = NetworkTransport(), running = ScenarioRunning();
  const bool enabled[MainButtonCount] = {!transport, running, true, !transport, !transport && running,
                                         true,       true,    true};
  for (int i = 0; i < MainButtonCount; ++i) MainButtons[i]->SetEnabled(enabled[i]);
}

DXWin::TDXListBox* TMainMenu::SlotList() const {
  if (Page == mpSave) return SaveListBox;
  if (Page == mpLoad) return LoadListBox;
  return nullptr;
}

// Input and the update step.

void TMainMenu::UpdateStep(DXWin::TDXControl*) {
  if (Page == mpMain)
    UpdateMainButtons();
  else if (Page == mpSave || Page == mpLoad)
    UpdateSlotButtons();
  else if (Page == mpSession)
    UpdateSessionPage();
  else if (Page == mpLobby)
    UpdateLobby();
  else if (Page == mpScenario)
    UpdateScenarioPage();
  ++AnimationCounter;
}

void TMainMenu::MenuKeyDown(Plat::WPARAM& key, DXWin::TShiftState) {
  if (key != Plat::VK_ESCAPE || !MainButtons[mbContinue]->IsEnabled()) return;
  key = 0;
  ContinueGame();
}

void TMainMenu::ListDoubleClick(int, DXWin::TShiftState, int x, int y) {
  DXWin::TDXListBox* list = SlotList();
  if (!list) {
    if (Page >= mpConnection) NetworkDoubleClick(x, y);
    return;
  }
  // The point is the list's own.
  TMenuButton* confirm = PageButtons[Page][pbConfirm];
  if (list->ItemAt(x, y) < 0 || list->ItemIndex < 0 || !confirm->IsEnabled()) return;
  if (Page == mpSave)
    SaveSelected();
  else
    LoadSelected();
}

void TMainMenu::ButtonClick(DXWin::TDXControl* control) {
  const u32 tag = control->Tag;
  if (tag >= MainTag && tag < MainTag + MainButtonCount) {
    switch (static_cast<int>(tag - MainTag)) {
      case mbNewGame: NewGame(); break;
      case mbContinue: ContinueGame(); break;
      case mbMultiplayer: MultiplayerClick(); break;
      case mbLoadGame: ShowLoadPage(); break;
      case mbSaveGame: ShowSavePage(); break;
      case mbOptions: ShowOptionsPage(); break;
      case mbCredits: ShowCredits(); break;
      case mbQuit: Quit(); break;
    }
    return;
  }
  const u8 page = static_cast<u8>((tag - 200) / 4);
  const int place = static_cast<int>((tag - 200) % 4);
  switch (page) {
    case mpSave:
    case mpLoad:
      if (place == pbConfirm)
        page == mpSave ? SaveSelected() : LoadSelected();
      else if (place == pbCancel)
        CancelSlotPage();
      else
        DeleteSelected();
      break;
    case mpOptions:
      if (place == pbConfirm)
        ApplyOptions();
      else
        RevertOptions();
      break;
    default:
      NetworkButtonClick(page, place);
      break;
  }
}

// Graphics.

void TMainMenu::StyleMainButton(TMenuButton* b) {
  b->SetFonts(ButtonFonts[3], ButtonFonts[2], ButtonFonts[1], ButtonFonts[0]);
  b->Sprite = Pictures[4];
  b->AutoSize();
  b->CenterTextY();
  b->TextY += 2;
  b->TextX = 25;
}

void TMainMenu::StylePageButton(TMenuButton* b) {
  StyleMainButton(b);
  b->CenterTextX();
}

void TMainMenu::LoadGraphics() {
  Data2::TGlobalData* global = Data2::GlobalData;
  if (!global || GraphicsLoaded) return;
  GraphicsLoaded = true;
  try {
    for (int i = 0; i < 4; ++i) {
      ButtonFonts[i] = global->AcquireFont(static_cast<u32>(9 + i));
      ButtonFonts[i]->Spacing = -3;
    }
    LabelFont = global->AcquireFont(30);
    auto take = [global](u32 entry) {
      Gfx::TSprite* s = global->WindowSpriteList.GetSprite(global->WindowSpriteIDs[entry]);
      if (s && s->AlphaMode() && HaveDevice()) s->Upload(true);
      return s;
    };
    for (u32 i = 0; i < MenuPictureCount; ++i) Pictures[i] = take(i);
    for (u32 i = 0; i < ControlSpriteCount; ++i) ControlSprites[i] = take(12 + i);
  } catch (...) {
    ReleaseGraphics();
    throw;
  }
  for (TMenuButton* b : MainButtons) StyleMainButton(b);
  for (auto& row : PageButtons)
    for (TMenuButton* b : row)
      if (b) StylePageButton(b);
  // The control sprites hold the thumb's three states, an unused one, both
  // arrows' four states and the track.
  TScrollBarSprites vertical{};
  for (int i = 0; i < 4; ++i) {
    vertical[static_cast<std::size_t>(sbDecrementNormal + i)] = ControlSprites[4 + i];
    vertical[static_cast<std::size_t>(sbIncrementNormal + i)] = ControlSprites[8 + i];
  }
  for (int i = 0; i < 3; ++i) vertical[static_cast<std::size_t>(sbThumbNormal + i)] = ControlSprites[i];
  vertical[sbTrack] = ControlSprites[12];
  for (TSpriteScrollBar* bar : ScrollBars)
    if (bar) bar->SetSprites(vertical);
  StyleOptionControls(false);
  if (Page != mpMain) {
    for (TMenuButton* b : MainButtons) b->SetFonts(ButtonFonts[3], ButtonFonts[2], ButtonFonts[1], ButtonFonts[0]);
    HighlightPageButton();
  }
  if (Pictures[0] && !Pictures[0]->AlphaMode() && HaveDevice()) Pictures[0]->Upload(true);
  if (DXApplication) DXApplication->ResetTiming = 1;
}

void TMainMenu::ReleaseGraphics() {
  Data2::TGlobalData* global = Data2::GlobalData;
  GraphicsLoaded = false;
  for (TMenuButton* b : MainButtons) {
    b->Sprite = nullptr;
    b->SetFonts(nullptr, nullptr, nullptr, nullptr);
  }
  for (auto& row : PageButtons)
    for (TMenuButton* b : row)
      if (b) {
        b->Sprite = nullptr;
        b->SetFonts(nullptr, nullptr, nullptr, nullptr);
      }
  for (TSpriteScrollBar* bar : ScrollBars)
    if (bar) bar->SetSprites({});
  StyleOptionControls(true);
  if (!global) return;
  for (Gfx::TSprite*& s : Pictures) global->WindowSpriteList.ReleaseSprite(s);
  for (Gfx::TSprite*& s : ControlSprites) global->WindowSpriteList.ReleaseSprite(s);
  for (Gfx::TFont*& f : ButtonFonts)
    if (f) global->ReleaseFont(f);
  if (LabelFont) global->ReleaseFont(LabelFont);
}

void TMainMenu::CreateThumbnailSurface() {
  if (!HaveDevice()) return;
  try {
    ThumbnailSurface = D3DFramework->CreateOffscreenSurface(ThumbnailWidth, ThumbnailHeight, 0);
  } catch (const std::exception&) {
    // Without it no thumbnail is drawn.
    ThumbnailSurface = nullptr;
  }
}

void TMainMenu::ReleaseThumbnailSurface() {
  if (ThumbnailSurface) ThumbnailSurface->Release();
  ThumbnailSurface = nullptr;
}

void TMainMenu::ReleaseSurfaces() {
  if (IsVisible()) ReleaseGraphics();
  ReleaseThumbnailSurface();
}

void TMainMenu::CreateSurfaces() {
  ReleaseThumbnailSurface();
  CreateThumbnailSurface();
  if (IsVisible()) LoadGraphics();
}

void TMainMenu::RestoreSurfaces() {
  ReleaseThumbnailSurface();
  CreateThumbnailSurface();
}

// Drawing.

void TMainMenu::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  if (Gfx::TSprite* background = Pictures[0]) {
    const i32 frames = background->DrawableFrameCount();
    background->Draw(surface, frames > 0 ? (AnimationCounter / 10) % frames : 0, rect.Left, rect.Top, nullptr);
  }
  DXWin::TDXWindow::Draw(surface, rect);
  if (Page == mpMain) DrawHover(surface);
  if (Gfx::TFont* font = StandardFont(2)) {
    const std::string version = Base::Format("V %d.%d (%s)", 1, 0, BuildDate.c_str());
    font->DrawText(surface, rect.Left + 30, rect.Top + 530, version, Gfx::PackRGB565(0xA0A0A0), nullptr);
  }
}

void TMainMenu::DrawHover(Plat::TSurface* surface) {
  const i32 mx = WindowSystem ? WindowSystem->MouseX : 0, my = WindowSystem ? WindowSystem->MouseY : 0;
  TMenuButton* hot = nullptr;
  for (TMenuButton* b : MainButtons)
    if (b->IsVisible() && b->IsEnabled() && Base::PointInRect(b->GetScreenRect(), mx, my)) hot = b;
  if (!hot) {
    LastHoverY = -1000;
    return;
  }
  const Base::TRect r = hot->GetScreenRect();
  const i32 x = r.Left + 40, y = r.Top + 30;
  if (y != LastHoverY && Data2::GlobalData)
    GameData::PlaySound(Data2::GlobalData->InterfaceSounds[4], SFXVolume);
  LastHoverY = y;
  if (Gfx::TSprite* figure = Pictures[2]; figure && figure->FrameCount() > 0)
    figure->Draw(surface, (AnimationCounter / 10) % figure->FrameCount(), 254, 18, nullptr);
  if (Gfx::TSprite* beam = Pictures[1]; beam && beam->FrameCount() > 0 && HaveDevice())
    beam->DrawAlongLine((AnimationCounter / 4) % beam->FrameCount(), 300, 45, x, y, 2);
  if (Gfx::TSprite* marker = Pictures[3])
    marker->Draw(surface, 0, 308 - marker->HotX, 60 + (y - 140) / 28 - marker->HotY, nullptr);
}

void TMainMenu::GroupDraw(Plat::TSurface* surface, const Base::TRect&) {
  // Window coordinates are screen coordinates: the menu lies at (0, 0).
  const i32 left = Left, top = Top;
  auto draw = [&](int picture, i32 x, i32 y) {
    if (Pictures[picture]) Pictures[picture]->Draw(surface, 0, left + x, top + y, nullptr);
  };
  switch (Page) {
    case mpSave:
    case mpLoad:
      draw(6, 137, 70);
      draw(5, 47, 235);
      if (const u8* pixels = SelectedThumbnail()) DrawThumbnail(surface, pixels);
      break;
    case mpOptions:
      draw(7, 39, 70);
      DrawOptionsPage(surface);
      break;
    case mpConnection: draw(6, 137, 70); break;
    case mpSession:
    case mpLobby:
    case mpScenario:
      draw(6, 137, 70);
      draw(5, 47, 235);
      DrawNetworkPage(surface);
      break;
    default: break;
  }
}

void TMainMenu::DrawThumbnail(Plat::TSurface* surface, const u8* pixels) {
  if (!ThumbnailSurface) return;
  Plat::TSurfaceDesc desc;
  if (Plat::Failed(ThumbnailSurface->Lock(nullptr, desc))) return;
  auto* bits = static_cast<u8*>(desc.Surface);
  for (i32 y = 0; y < ThumbnailHeight; ++y)
    std::memcpy(bits + static_cast<std::ptrdiff_t>(y) * desc.Pitch, pixels + y * ThumbnailWidth * 2,
                static_cast<std::size_t>(ThumbnailWidth * 2));
  ThumbnailSurface->Unlock();
  const Base::TRect dst{Left + 261, Top + 73, Left + 261 + ThumbnailWidth, Top + 73 + ThumbnailHeight};
  surface->Blt(&dst, ThumbnailSurface, nullptr, Plat::bltWait, nullptr);
}

void TMainMenu::CaptureThumbnail() {
  std::memset(Thumbnail, 0, sizeof Thumbnail);
  DXApp::TDisplayLink* display = DXApplication ? DXApplication->Display : nullptr;
  void* pixels = nullptr;
  int pitch = 0, width = 0, height = 0;
  if (!display || !display->LockBackBuffer(pixels, pitch, width, height)) return;
  if (width > 0 && height > 0) {
    const auto* source = static_cast<const u8*>(pixels);
    for (i32 y = 0; y < ThumbnailHeight; ++y) {
      const u8* row = source + static_cast<std::ptrdiff_t>(y * height / ThumbnailHeight) * pitch;
      for (i32 x = 0; x < ThumbnailWidth; ++x)
        std::memcpy(Thumbnail + (y * ThumbnailWidth + x) * 2, row + (x * width / ThumbnailWidth) * 2, 2);
    }
  }
  display->UnlockBackBuffer();
}

}  // namespace Main
