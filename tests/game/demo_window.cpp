#include "tests/game/demo_window.h"

#include <iterator>

#include "engine/dxwin/list_box.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "controls/labels.h"
#include "controls/menu_check_box.h"
#include "controls/sprite_button.h"
#include "controls/sprite_scroll_bar.h"
#include "controls/text_buttons.h"
#include "world/data2/global_data.h"

namespace Main {

using namespace DemoLayout;

namespace {

const char* const Items[] = {"Eintrag 1", "Eintrag 2", "B\xE4r",      "Gr\xF6\xDF" "e", "Eintrag 5",
                             "Eintrag 6", "Eintrag 7", "Stra\xDF" "e", "Eintrag 9",     "Eintrag 10",
                             "\xC4pfel",  "Eintrag 12", "Eintrag 13", "Eintrag 14"};

// The swatch's colours, one more with each click of the button.
constexpr u32 SwatchColours[] = {0xC03030, 0x30A040, 0x3060D0, 0xE0C040};

// Window sprite entries: the vertical scroll bar's pieces and the check box.
constexpr int BarEntry = 12, CheckBoxEntry = 38;

// Parchment with dark ink: the fonts' own ink is black.
constexpr u32 Background = 0xD9C9A3, TitleStrip = 0x5A4028, Border = 0x3A2C1C, ListGround = 0xC8B68C;
constexpr u32 Ink = 0x3A2C1C, LightInk = 0xF4E8C8, Selected = 0x8C6A3C, Hot = 0xE4D8B8, Stripe = 0xB8A47A;

}  // namespace

TDemoWindow::TDemoWindow(DXWin::TDXWindowSystem* windowSystem, Data2::TGlobalData& data)
    : TOrvWindow(windowSystem, DXWin::wfDraggable | DXWin::wfCentered, TitleHeight), Data(data) {
  SetSize(WindowWidth, WindowHeight);
  OnDraw = DXWin::TDrawEvent::Of<&TDemoWindow::DrawBackground>(this);
  TextFont = Data.Fonts[2];
  // The menu's fonts: normal, hover, pressed, disabled.
  const u32 menuFontIDs[4] = {12, 11, 10, 9};
  for (int i = 0; i < 4; ++i) MenuFonts[i] = Data.AcquireFont(menuFontIDs[i]);

  auto* title = new TTextLabel(this, this);
  title->SetBounds({10, 4, WindowWidth - 10, TitleHeight});
  title->Text = "Steuerelemente";
  title->Font = Data.Fonts[4];
  title->Color = LightInk;

  Bar = new TSpriteScrollBar(this, true, 16, 24);
  TScrollBarSprites barSprites{};
  for (int i = 0; i < 4; ++i) {
    barSprites[sbDecrementNormal + i] = WindowSprite(BarEntry + 4 + i);
    barSprites[sbIncrementNormal + i] = WindowSprite(BarEntry + 8 + i);
  }
  for (int i = 0; i < 3; ++i) barSprites[sbThumbNormal + i] = WindowSprite(BarEntry + i);
  barSprites[sbTrack] = WindowSprite(BarEntry + 12);
  Bar->SetSprites(barSprites);
  Bar->SetSize(16, 0);
  Bar->Hint = "Bl\xE4ttern";

  List = new DXWin::TDXListBox(this, ListWidth, RowHeight, Bar);
  List->SetPosition(ListLeft, ListTop);
  List->RowCount = Rows;
  List->ItemCount = static_cast<i32>(std::size(Items));
  List->OnDrawItem = DXWin::TDrawItemEvent::Of<&TDemoWindow::DrawItem>(this);
  List->Hint = "Einen Eintrag w\xE4hlen";
  List->UpdateLayout();

  auto* up = new TSpriteButton(this, this);
  up->SetBounds({ArrowLeft, UpTop, ArrowLeft + 16, UpTop + 16});
  up->SetSprites(WindowSprite(BarEntry + 4), WindowSprite(BarEntry + 5), WindowSprite(BarEntry + 6),
                 WindowSprite(BarEntry + 7));
  up->Hint = "Auswahl nach oben";
  up->OnClick = DXWin::TNotifyEvent::Of<&TDemoWindow::SelectionUp>(this);
  auto* down = new TSpriteButton(this, this);
  down->SetBounds({ArrowLeft, DownTop, ArrowLeft + 16, DownTop + 16});
  down->SetSprites(WindowSprite(BarEntry + 8), WindowSprite(BarEntry + 9), WindowSprite(BarEntry + 10),
                   WindowSprite(BarEntry + 11));
  down->Hint = "Auswahl nach unten";
  down->OnClick = DXWin::TNotifyEvent::Of<&TDemoWindow::SelectionDown>(this);

  Stripes = new TMenuCheckBox(this, this);
  Stripes->SetPosition(CheckLeft, CheckTop);
  Stripes->SetSprites(WindowSprite(CheckBoxEntry), WindowSprite(CheckBoxEntry + 1), WindowSprite(CheckBoxEntry + 2),
                      WindowSprite(CheckBoxEntry + 3), WindowSprite(CheckBoxEntry + 4),
                      WindowSprite(CheckBoxEntry + 5));
  Stripes->SetFonts(TextFont, TextFont, TextFont, TextFont);
  Stripes->Caption = "Zeilen f\xE4rben";
  Stripes->AutoSize();
  Stripes->Hint = "Jede zweite Zeile dunkler";

  auto* button = new TMenuButton(this, this);
  button->SetPosition(ButtonLeft, ButtonTop);
  button->Sprite = WindowSprite(4);
  button->SetFonts(MenuFonts[0], MenuFonts[1], MenuFonts[2], MenuFonts[3]);
  button->Caption = "Farbe wechseln";
  button->AutoSize();
  button->CenterTextX();
  button->CenterTextY();
  button->Hint = "Die Farbe daneben wechselt";
  button->OnClick = DXWin::TNotifyEvent::Of<&TDemoWindow::ButtonClicked>(this);

  Status = new TTextLabel(this, this);
  Status->SetBounds({StatusLeft, StatusTop, WindowWidth - 8, StatusTop + 20});
  Status->Font = TextFont;
  Status->Color = Ink;
  Status->Text = "Geklickt: 0";

  Show();
}

TDemoWindow::~TDemoWindow() {
  for (Gfx::TSprite*& s : Sprites) Data.WindowSpriteList.ReleaseSprite(s);
  for (Gfx::TFont*& f : MenuFonts) Data.ReleaseFont(f);
}

Gfx::TSprite* TDemoWindow::WindowSprite(int entry) {
  Gfx::TSprite*& s = Sprites[entry];
  if (!s) s = Data.WindowSpriteList.GetSprite(Data.WindowSpriteIDs[entry]);
  return s;
}

void TDemoWindow::DrawBackground(Plat::TSurface* surface, const Base::TRect& r) {
  Gfx::FillRect(surface, r.Left, r.Top, r.Width(), r.Height(), Gfx::PackRGB565(Background), nullptr);
  Gfx::FillRect(surface, r.Left, r.Top, r.Width(), TitleHeight, Gfx::PackRGB565(TitleStrip), nullptr);
  Gfx::FrameRect(surface, r.Left, r.Top, r.Width(), r.Height(), Gfx::PackRGB565(Border), nullptr);
  Gfx::FillRect(surface, r.Left + ListLeft, r.Top + ListTop, ListWidth, Rows * RowHeight, Gfx::PackRGB565(ListGround),
                nullptr);
  const u32 swatch = SwatchColours[static_cast<std::size_t>(ClickCount) % std::size(SwatchColours)];
  Gfx::FillRect(surface, r.Left + SwatchLeft, r.Top + SwatchTop, SwatchSize, SwatchSize, Gfx::PackRGB565(swatch),
                nullptr);
}

void TDemoWindow::DrawItem(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
  u32 fill = 0;
  if (selected)
    fill = Selected;
  else if (hot)
    fill = Hot;
  else if (Stripes->Checked && index % 2 == 1)
    fill = Stripe;
  if (fill) Gfx::FillRect(surface, row.Left, row.Top, row.Width(), row.Height(), Gfx::PackRGB565(fill), nullptr);
  if (TextFont)
    TextFont->DrawText(surface, row.Left + 4, row.Top + (RowHeight - TextFont->Height) / 2, Items[index],
                       Gfx::PackRGB565(selected ? LightInk : Ink), &row);
}

void TDemoWindow::MoveSelection(int delta) {
  List->ItemIndex += delta;
  List->UpdateLayout();
  // The selection stays in sight.
  if (List->ItemIndex < List->TopIndex)
    List->TopIndex = List->ItemIndex;
  else if (List->ItemIndex >= List->TopIndex + List->RowCount)
    List->TopIndex = List->ItemIndex - List->RowCount + 1;
  List->UpdateLayout();
}

void TDemoWindow::ButtonClicked(DXWin::TDXControl*) {
  ++ClickCount;
  Status->Text = "Geklickt: " + std::to_string(ClickCount);
}

}  // namespace Main
