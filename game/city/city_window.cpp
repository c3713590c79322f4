#include "game/city/city_window.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "controls/sprite_button.h"
#include "controls/sprite_scroll_bar.h"
#include "controls/text_buttons.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "engine/platform/display/surface.h"
#include "game/control/game.h"
#include "game/map/map_window.h"
#include "game/panels/face_control.h"
#include "game/panels/spell_list_box.h"
#include "game/panels/unit_detail_window.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

using GameData::TUnit;

namespace {

// Window sprite entries.
constexpr i32 TileFrameEntry = 11, ButtonEntry = 46, TitlePlateEntry = 48, GoldIconEntry = 49;
constexpr i32 PriceIconEntries[4] = {50, 52, 53, 51};
// Scroll-bar pieces in the bar's slot order: arrows up x4, down x4, thumb x3, unused, track.
constexpr i32 ScrollEntries[13] = {16, 17, 18, 19, 20, 21, 22, 23, 12, 13, 14, -1, 24};
constexpr i32 MirroredPlateSlot = 1063;

const char* const BuildingCaptions[6] = {"Wirtshaus", "MAGIER", "KAMPFMEISTER", "HEILER", "", ""};
const char* const BuildingHints[6] = {"Wirtshaus betreten", "Magischen Laden betreten",
                                      "Beim Meister der Kampfkunst eintreten", "Heiler betreten",
                                      "Haus betreten", "Haus betreten"};
const char* const LeaveHints[4] = {"Wirtshaus verlassen", "Magischen Laden verlassen",
                                   "Meister der Kampfkunst verlassen", "Heiler verlassen"};

Gfx::TSprite* WindowEntry(i32 entry) {
  if (!Data2::GlobalData || entry < 0 || entry >= Data2::WindowSpriteCount) return nullptr;
  Data2::TGlobalData& g = *Data2::GlobalData;
  return g.WindowSpriteList.FindSprite(g.WindowSpriteIDs[entry]);
}

void ReleaseWindowSprite(Gfx::TSprite*& s) {
  if (Data2::GlobalData) Data2::GlobalData->WindowSpriteList.ReleaseSprite(s);
  s = nullptr;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void FillOffers(TOfferTable& table, const u32* prices) {
  table[0] = 0;
  for (u32 i = 0; i < 64; ++i)
    if (prices[i] > 0) {
      table[1 + 2 * table[0]] = i;
      table[2 + 2 * table[0]] = prices[i];
      ++table[0];
    }
}

i32 BuildingButtonX(i32 i, i32 n, i32 width) {
  const i32 s = 740 / std::max(n, 1);
  return 30 + i * s + (s - width) / 2;
}

i32 RecruitRows(i32 count) { return std::max(2, (count - 1) / 7 + 1); }

// Construction.

TCityWindow::TCityWindow(DXWin::TDXWindowSystem* windowSystem) : DXWin::TDXWindow(windowSystem, 0x100000, 0) {
  SetBounds({0, 0, 800, 600});
  auto menuButton = [this](DXWin::TDXGroup* owner, i32 x, i32 y) {
    auto* b = new TMenuButton(owner, this);
    b->SetPosition(x, y);
    return b;
  };
  LeaveButton = menuButton(this, 614, 18);
  LeaveButton->Caption = "VERLASSEN";
  LeaveButton->OnClick = DXWin::TNotifyEvent::Of<&TCityWindow::OnLeave>(this);
  BuildingButtonGroup = new DXWin::TDXGroup(this, this, DXWin::cfVisible | DXWin::cfEnabled);
  for (i32 i = 0; i < 6; ++i) {
    TMenuButton* b = BuildingButtons[i] = menuButton(BuildingButtonGroup, 0, 86);
    b->Caption = BuildingCaptions[i];
    b->Hint = BuildingHints[i];
    b->Tag = static_cast<u32>(i);
    b->OnClick = DXWin::TNotifyEvent::Of<&TCityWindow::OnBuilding>(this);
  }
  PriceDisplay = new TIconTextButton(this, this);
  PriceDisplay->SetPosition(229, 86);
  FirstAction = menuButton(this, 229, 125);
  FirstAction->OnClick = DXWin::TNotifyEvent::Of<&TCityWindow::OnFirstAction>(this);
  GoldDisplay = new TIconTextButton(this, this);
  GoldDisplay->SetPosition(614, 86);
  GoldDisplay->Hint = "Dein Gold";
  SecondAction = menuButton(this, 614, 125);
  SecondAction->OnClick = DXWin::TNotifyEvent::Of<&TCityWindow::OnSecondAction>(this);

  DepartureGrid = new TFaceControl(this, this);
  DepartureGrid->Columns = 3;
  DepartureGrid->Rows = 1;
  DepartureGrid->Hint = "Gruppe beitreten/verlassen";
  DepartureGrid->OnDrawCell = TDrawCellEvent::Of<&TCityWindow::PaintDepartureCell>(this);
  DepartureGrid->OnMouseDown = DXWin::TMouseEvent::Of<&TCityWindow::OnDepartureDown>(this);
  DepartureGrid->OnDblClick = DXWin::TMouseEvent::Of<&TCityWindow::OnDepartureDouble>(this);

  auto side = [this](DXWin::TDXGroup*& group, TFaceControl*& grid, TSpriteScrollBar*& bar, TSpriteButton*& expand,
                     i32 columns, i32 barX, const char* hint) {
    group = new DXWin::TDXGroup(this, this, DXWin::cfVisible | DXWin::cfEnabled);
    grid = new TFaceControl(group, this);
    grid->Columns = columns;
    grid->Rows = 1;
    grid->VisibleRows = MaxShownRows;
    grid->Hint = hint;
    bar = new TSpriteScrollBar(group, true, 52, 26);
    bar->SetBounds({barX, 88, barX + 15, 88 + 472});
    bar->Hide();
    grid->ScrollBar = bar;
    expand = new TSpriteButton(group, this);
    expand->SetBounds({barX, 570, barX + 15, 596});
    expand->OnClick = DXWin::TNotifyEvent::Of<&TCityWindow::OnExpand>(this);
  };
  side(DefenderGroup, DefenderGrid, DefenderScroll, DefenderExpand, 3, 662, "Verteidiger");
  side(OthersGroup, OthersGrid, OthersScroll, OthersExpand, 1, 771, "Andere");
  DefenderGrid->OnDrawCell = TDrawCellEvent::Of<&TCityWindow::PaintDefenderCell>(this);
  DefenderGrid->OnMouseDown = DXWin::TMouseEvent::Of<&TCityWindow::OnDefenderDown>(this);
  OthersGrid->OnDrawCell = TDrawCellEvent::Of<&TCityWindow::PaintOtherCell>(this);
  OthersGrid->OnMouseDown = DXWin::TMouseEvent::Of<&TCityWindow::OnOthersDown>(this);
  OthersGrid->OnDblClick = DXWin::TMouseEvent::Of<&TCityWindow::OnOthersDouble>(this);

  // The panels have no size of their own: a sized group would take the
  // clicks meant for the action buttons behind it.
  for (DXWin::TDXGroup*& panel : Panels) panel = new DXWin::TDXGroup(this, this, DXWin::cfEnabled);
  RecruitGrid = new TFaceControl(Panels[cbTavern], this);
  RecruitGrid->Columns = 7;
  RecruitGrid->Rows = 2;
  RecruitGrid->VisibleRows = 2;
  RecruitGrid->CellWidth = 104;
  RecruitGrid->CellHeight = 140;
  RecruitGrid->UpdateSize();
  RecruitGrid->SetPosition(400 - RecruitGrid->Width / 2, 175);
  RecruitGrid->OnDrawCell = TDrawCellEvent::Of<&TCityWindow::PaintRecruitCell>(this);
  RecruitGrid->OnMouseDown = DXWin::TMouseEvent::Of<&TCityWindow::OnRecruitDown>(this);
  RecruitScroll = new TSpriteScrollBar(Panels[cbTavern], true, 52, 26);
  RecruitScroll->SetBounds({RecruitGrid->Left + RecruitGrid->Width - 7, 175, RecruitGrid->Left + RecruitGrid->Width + 8,
                            175 + 260});
  RecruitScroll->Hide();
  RecruitGrid->ScrollBar = RecruitScroll;
  for (i32 l = 0; l < 3; ++l) {
    DXWin::TDXGroup* panel = Panels[l + 1];
    OfferScrolls[l] = new TSpriteScrollBar(panel, true, 52, 26);
    OfferLists[l] = new TSpellListBox(panel, 725, l == 0 ? 1 : 0, 4, OfferScrolls[l]);
    OfferLists[l]->SetPosition(25, 172);
    OfferScrolls[l]->SetBounds({25 + 725, 172, 25 + 725 + 15, 172 + 4 * TSpellListBox::ItemHeightPixels});
  }

  OnDraw = DXWin::TDrawEvent::Of<&TCityWindow::PaintWindow>(this);
  OnMouseMove = DXWin::TMouseMoveEvent::Of<&TCityWindow::OnMove>(this);
  OnMouseUp = DXWin::TMouseEvent::Of<&TCityWindow::OnUp>(this);
  OnKeyDown = DXWin::TKeyEvent::Of<&TCityWindow::OnKey>(this);
  OnUpdate = DXWin::TNotifyEvent::Of<&TCityWindow::OnFrame>(this);
  UpdatePanels();
}

TCityWindow::~TCityWindow() {
  EndDrag(WindowSystem);
  ReleaseGraphics();
}

void TCityWindow::SetScenario(GameData::TScenario* scenario) {
  Scenario = scenario;
  City = nullptr;
  Building = cbSquare;
  SelectedUnit = nullptr;
  EndDrag(WindowSystem);
}

GameData::TPlayer* TCityWindow::CurrentPlayer() const {
  return Scenario ? Scenario->PlayerAt(Scenario->CurrentPlayerIndex) : nullptr;
}

bool TCityWindow::ViewerIsCurrent() const {
  return Scenario && Scenario->ViewingPlayer && Scenario->ViewingPlayer == CurrentPlayer();
}

u32 TCityWindow::CurrentGold() const {
  const GameData::TPlayer* p = CurrentPlayer();
  return p ? p->Gold : 0;
}

// Graphics.

void TCityWindow::AcquireGraphics() {
  ReleaseGraphics();
  TileFrame = WindowEntry(TileFrameEntry);
  ButtonBackground = WindowEntry(ButtonEntry);
  TitlePlate = WindowEntry(TitlePlateEntry);
  GoldIcon = WindowEntry(GoldIconEntry);
  for (i32 i = 0; i < 4; ++i) PriceIcons[i] = WindowEntry(PriceIconEntries[i]);
  for (i32 i = 0; i < 13; ++i) ScrollSprites[i] = WindowEntry(ScrollEntries[i]);
  if (Data2::GlobalData) {
    Data2::TGlobalData& g = *Data2::GlobalData;
    const u32 buttonFontIDs[4] = {25, 24, 23, 22};
    try {
      for (i32 i = 0; i < 4; ++i) {
        ButtonFonts[i] = g.AcquireFont(buttonFontIDs[i]);
        ButtonFonts[i]->Spacing = -3;
      }
      TitleFont = g.AcquireFont(26);
      TitleFont->Spacing = -3;
      TextFont = g.AcquireFont(21);
    } catch (const std::exception&) {
      // A data set without the window's fonts shows the screen without text.
    }
    g.SpellListFont = TextFont;
  }
  if (City && Scenario && Scenario->Sprites) {
    Gfx::TSpriteList& list = *Scenario->Sprites;
    CityPicture = list.FindSprite(City->PictureID);
    for (i32 i = 0; i < GameData::MerchantCount; ++i)
      if (City->Merchants[i]) BuildingIcons[i] = list.FindSprite(City->Merchants[i]->IconID);
  }
  ApplyGraphics();
}

void TCityWindow::ReleaseGraphics() {
  for (Gfx::TSprite** s : {&TileFrame, &ButtonBackground, &TitlePlate, &GoldIcon, &BuildingPicture})
    ReleaseWindowSprite(*s);
  for (Gfx::TSprite*& s : PriceIcons) ReleaseWindowSprite(s);
  for (Gfx::TSprite*& s : ScrollSprites) ReleaseWindowSprite(s);
  if (Data2::GlobalData) {
    Data2::TGlobalData& g = *Data2::GlobalData;
    for (Gfx::TFont*& f : ButtonFonts)
      if (f) g.ReleaseFont(f);
    if (TitleFont) g.ReleaseFont(TitleFont);
    if (g.SpellListFont == TextFont) g.SpellListFont = nullptr;
    if (TextFont) g.ReleaseFont(TextFont);
  }
  for (Gfx::TFont*& f : ButtonFonts) f = nullptr;
  TitleFont = TextFont = nullptr;
  if (Scenario && Scenario->Sprites) {
    Scenario->Sprites->ReleaseSprite(CityPicture);
    for (Gfx::TSprite*& s : BuildingIcons) Scenario->Sprites->ReleaseSprite(s);
  }
  CityPicture = nullptr;
  for (Gfx::TSprite*& s : BuildingIcons) s = nullptr;
  ApplyGraphics();
}

void TCityWindow::ApplyGraphics() {
  TScrollBarSprites bar{};
  for (i32 i = 0; i < 13; ++i) bar[i] = ScrollSprites[i];
  for (TSpriteScrollBar* b : {DefenderScroll, OthersScroll, RecruitScroll, OfferScrolls[0], OfferScrolls[1],
                              OfferScrolls[2]})
    b->SetSprites(bar);
  for (TSpriteButton* b : {DefenderExpand, OthersExpand})
    b->SetSprites(ScrollSprites[0], ScrollSprites[1], ScrollSprites[2], ScrollSprites[3]);
  TMenuButton* buttons[] = {LeaveButton, FirstAction, SecondAction, BuildingButtons[0], BuildingButtons[1],
                            BuildingButtons[2], BuildingButtons[3], BuildingButtons[4], BuildingButtons[5]};
  for (TMenuButton* b : buttons) {
    b->Sprite = ButtonBackground;
    b->SetFonts(ButtonFonts[0], ButtonFonts[1], ButtonFonts[2], ButtonFonts[3]);
    b->AutoSize();
    b->CenterTextX();
    b->CenterTextY();
  }
  for (TIconTextButton* d : {PriceDisplay, GoldDisplay}) {
    d->Sprite = ButtonBackground;
    d->SetFont(TextFont);
    d->AutoSize();
    d->TextX = 60;
    d->CenterTextY();
    d->IconX = d->Height / 2 + 10;
    d->IconY = d->Height / 2;
  }
  GoldDisplay->Icon = GoldIcon;
}

// Opening and closing.

void TCityWindow::Open(GameData::TCity* city, GameData::TGroup* group) {
  SetCity(city);
  city->Enter(group);
  if (!ViewerIsCurrent()) return;
  if (Game) Game->MusicRestartPending = 0;
  GameData::PlayMusic(city->MusicID, MusicVolume, 0, false);
  SelectedUnit = city->DepartureGroup->GetUnitCount() > 0 ? city->DepartureGroup->Units[0] : nullptr;
  EndDrag(WindowSystem);
  ShowAllDefenders = ShowAllOthers = 0;
  DefenderScroll->Position = DefenderScroll->Min;
  OthersScroll->Position = OthersScroll->Min;
  AcquireGraphics();
  LayoutBuildingButtons();
  LayoutGrids();
  Building = cbSquare;
  UpdatePanels();
  if (Game) {
    Game->StopSounds();
    Game->HideWindows();
  }
  Show();
  DrawBackground();
}

void TCityWindow::CloseCity() {
  if (City) {
    City->Leave();
    if (ViewerIsCurrent()) {
      EndDrag(WindowSystem);
      if (Game) Game->MusicRestartPending = 0;
      if (Scenario) GameData::PlayMusic(Scenario->MusicTracks[0], MusicVolume, 0, false);
      Close();
      if (Game && Game->MapWindow) Game->MapWindow->Invalidate();
      if (Game) Game->ShowWindows();
      ReleaseGraphics();
    }
  }
  Building = cbSquare;
  SetCity(nullptr);
}

void TCityWindow::DrawBackground() {
  Plat::TSurface* cache = Game && Game->MapWindow ? Game->MapWindow->Cache : nullptr;
  if (!cache || !IsVisible()) return;
  if (CityPicture) CityPicture->Draw(cache, 0, 0, 0, nullptr);
  if (BuildingPicture) BuildingPicture->Draw(cache, 0, 0, 0, nullptr);
}

// Actions executed for every player.

void TCityWindow::MoveUnit(i32 fromList, u32 unitID, i32 toList, i32 slot) {
  if (!City) return;
  City->MoveUnit(fromList, unitID, toList, slot);
  if (ViewerIsCurrent()) LayoutGrids();
}

void TCityWindow::VisitMerchant(i32 index) {
  if (!City || !Scenario || index == Building || index < 0 || index >= GameData::MerchantCount) return;
  GameData::TMerchant* merchant = City->Merchants[index].get();
  if (!merchant) return;
  if (index < 4) Building = index;
  if (ViewerIsCurrent()) {
    ReleaseWindowSprite(BuildingPicture);
    if (Data2::GlobalData) BuildingPicture = Data2::GlobalData->WindowSpriteList.FindSprite(merchant->PictureID);
    switch (Building) {
      case cbTavern:
        SelectedRecruit = 0;
        RecruitScroll->Position = RecruitScroll->Min;
        ShowTavern();
        break;
      case cbMageShop:
      case cbBattleMaster:
      case cbHealer: {
        TSpellListBox* list = OfferLists[Building - 1];
        list->TopIndex = 0;
        list->ItemIndex = 0;
        if (Building == cbMageShop) ShowMageShop();
        if (Building == cbBattleMaster) ShowBattleMaster();
        if (Building == cbHealer) ShowHealer();
        break;
      }
      default:
        break;
    }
    UpdatePanels();
    DrawBackground();
  }
  Scenario->TriggerConversations(Scenario->CurrentPlayerIndex, GameData::coMerchant, merchant->ID);
}

// Layout.

void TCityWindow::LayoutBuildingButtons() {
  i32 n = 0;
  if (City)
    for (const auto& m : City->Merchants) n += m && m->Present ? 1 : 0;
  i32 i = 0;
  for (i32 slot = 0; slot < 6; ++slot) {
    TMenuButton* b = BuildingButtons[slot];
    const bool present = City && City->Merchants[slot] && City->Merchants[slot]->Present;
    if (!present) {
      b->Hide();
      b->Disable();
      continue;
    }
    b->SetPosition(BuildingButtonX(i++, n, b->Width), 86);
    b->Show();
    b->Enable();
  }
}

void TCityWindow::LayoutGrids() {
  if (!City) return;
  DepartureGrid->Rows = 1;
  DepartureGrid->UpdateSize();
  DepartureGrid->SetPosition(0, 600 - 130);
  struct TSide {
    TFaceControl* Grid;
    TSpriteScrollBar* Bar;
    u8 Expanded;
    i32 Count, X;
  };
  const TSide sides[2] = {{DefenderGrid, DefenderScroll, ShowAllDefenders, City->SlotCount, 377},
                          {OthersGrid, OthersScroll, ShowAllOthers, City->Units.Count(), 674}};
  for (const TSide& s : sides) {
    const i32 rows = s.Expanded ? std::max(s.Count, 1) : 1;
    s.Grid->Rows = rows;
    if (s.Expanded && rows > MaxShownRows) {
      s.Bar->Min = 0;
      s.Bar->Max = rows - MaxShownRows;
      s.Bar->Position = std::clamp(s.Bar->Position, 0, s.Bar->Max);
      s.Bar->Show();
    } else {
      s.Bar->Hide();
    }
    s.Grid->UpdateSize();
    s.Grid->SetPosition(s.X, 600 - std::min(MaxShownRows, rows) * CellHeight);
  }
  if (Building == cbTavern) {
    const i32 rows = RecruitRows(City->Recruits.Count());
    RecruitGrid->Rows = rows;
    if (rows >= 3) {
      RecruitScroll->Min = 0;
      RecruitScroll->Max = rows - 2;
      RecruitScroll->Position = std::clamp(RecruitScroll->Position, 0, RecruitScroll->Max);
      RecruitScroll->Show();
    } else {
      RecruitScroll->Hide();
    }
  }
}

void TCityWindow::UpdatePanels() {
  for (DXWin::TDXGroup* p : Panels) p->Hide();
  const bool square = Building == cbSquare;
  for (DXWin::TDXControl* c : {static_cast<DXWin::TDXControl*>(DefenderGroup), static_cast<DXWin::TDXControl*>(OthersGroup),
                               static_cast<DXWin::TDXControl*>(BuildingButtonGroup)})
    c->SetVisible(square);
  if (square) {
    LeaveButton->Hint = "Stadt verlassen";
    for (DXWin::TDXControl* c : {static_cast<DXWin::TDXControl*>(PriceDisplay),
                                 static_cast<DXWin::TDXControl*>(GoldDisplay),
                                 static_cast<DXWin::TDXControl*>(FirstAction),
                                 static_cast<DXWin::TDXControl*>(SecondAction)})
      c->Hide();
    return;
  }
  ShowGold();
  GoldDisplay->Show();
  SecondAction->Show();
  PriceDisplay->SetVisible(Building != cbBattleMaster);
  FirstAction->SetVisible(Building != cbBattleMaster);
  if (Building >= 0 && Building < 4) {
    Panels[Building]->Show();
    LeaveButton->Hint = LeaveHints[Building];
  }
}

void TCityWindow::ShowGold() { GoldDisplay->Caption = std::to_string(CurrentGold()); }

// Selection and leaving.

void TCityWindow::SelectUnit(TUnit* unit) {
  SelectedUnit = unit;
  switch (Building) {
    case cbTavern: ShowTavern(); break;
    case cbMageShop: ShowMageShop(); break;
    case cbBattleMaster: ShowBattleMaster(); break;
    case cbHealer: ShowHealer(); break;
    default: break;
  }
}

void TCityWindow::CheckSelection() {
  if (!City || City->DepartureGroup->GetUnitCount() == 0) SelectedUnit = nullptr;
}

void TCityWindow::ReturnToSquare() {
  Building = cbSquare;
  ReleaseWindowSprite(BuildingPicture);
  DrawBackground();
  LayoutGrids();
  UpdatePanels();
}

void TCityWindow::LeavePressed() {
  if (DragPending || Dragging || !City) return;
  if (Building != cbSquare) {
    ReturnToSquare();
    return;
  }
  if (GameData::TPlayer* player = CurrentPlayer()) {
    GameData::TActionRecord r;
    r.Words[0] = GameData::atLeaveCity;
    player->PostAction(true, r);
  }
}

void TCityWindow::EnterBuilding(i32 index) {
  CheckSelection();
  if (!SelectedUnit) {
    if (Game) Game->AddMessage("Zum Betreten muss eine Einheit ausgew\xE4hlt sein");
    return;
  }
  if (City) City->PostVisitMerchant(index);
}

void TCityWindow::OnExpand(DXWin::TDXControl* c) {
  if (c == DefenderExpand) ShowAllDefenders = !ShowAllDefenders;
  if (c == OthersExpand) ShowAllOthers = !ShowAllOthers;
  LayoutGrids();
  UpdatePanels();
}

void TCityWindow::OnKey(Plat::WPARAM& key, DXWin::TShiftState) {
  if (key == 27) LeavePressed();
}

// Drawing.

void TCityWindow::PaintWindow(Plat::TSurface* surface, const Base::TRect& rect) {
  if (!City) return;
  Plat::TSurface* cache = Game && Game->MapWindow ? Game->MapWindow->Cache : nullptr;
  if (cache) {
    const Base::TRect whole{0, 0, 800, 600};
    surface->Blt(&rect, cache, &whole, Plat::bltWait, nullptr);
  } else {
    if (CityPicture) CityPicture->Draw(surface, 0, rect.Left, rect.Top, &rect);
    if (BuildingPicture) BuildingPicture->Draw(surface, 0, rect.Left, rect.Top, &rect);
  }
  if (TitlePlate) TitlePlate->Draw(surface, 0, rect.Left + 400 - TitlePlate->Width / 2, rect.Top + 15, &rect);
  const bool inBuilding = Building >= 0 && Building < GameData::MerchantCount && City->Merchants[Building];
  if (TitleFont) {
    const std::string title = Upper(inBuilding ? City->Merchants[Building]->Name : City->Name);
    DrawCentredText(TitleFont, surface, rect.Left + 400, rect.Top + 19, title, 0, &rect);
  }
  if (inBuilding) {
    if (Gfx::TSprite* plate = TableSprite(MirroredPlateSlot)) plate->DrawMirrored(surface, 0, rect.Left + 18, rect.Top + 15, &rect);
    if (Gfx::TSprite* icon = BuildingIcons[Building]) icon->DrawMirrored(surface, 0, rect.Left + 27, rect.Top + 24, &rect);
  }
}

namespace {

Gfx::TSprite* RingOf(const TUnit* unit, i32 current) {
  const i32 owner = unit && unit->OwnerIndex != GameData::NoOwner ? unit->OwnerIndex : current;
  return TableSprite(SlotPlayerRing + owner);
}

}  // namespace

void TCityWindow::PaintDepartureCell(int, int column, const Base::TRect& cell, Plat::TSurface* surface) {
  if (!City) return;
  TUnit* unit = City->DepartureGroup->Units[column];
  const bool hover = DepartureGrid->IsCellHovered(0, column) && (Dragging || unit);
  if (Dragging && unit == DragUnit) unit = nullptr;
  DrawUnitTile(TileFrame, RingOf(unit, Scenario->CurrentPlayerIndex), unit, surface, cell,
               unit && unit == SelectedUnit, hover, true, true, "", nullptr);
}

void TCityWindow::PaintDefenderCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface) {
  if (!City) return;
  const i32 shownRow = row + (DefenderScroll->IsVisible() ? DefenderScroll->Position : 0);
  if (shownRow >= std::max(City->SlotCount, 1)) return;
  TUnit* unit = UnitInCell(DefenderGrid, shownRow, column);
  const bool own = City->GetOwner() == CurrentPlayer();
  const bool hover = DefenderGrid->IsCellHovered(row, column) && own && (Dragging || unit);
  if (Dragging && unit == DragUnit) unit = nullptr;
  DrawUnitTile(TileFrame, RingOf(unit, Scenario->CurrentPlayerIndex), unit, surface, cell, false, hover, true, own, "",
               nullptr);
}

void TCityWindow::PaintOtherCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface) {
  if (!City) return;
  const i32 shownRow = row + (OthersScroll->IsVisible() ? OthersScroll->Position : 0);
  TUnit* unit = UnitInCell(OthersGrid, shownRow, column);
  const bool own = unit && City->GetUnitOwner(unit) == CurrentPlayer();
  const bool hover = OthersGrid->IsCellHovered(row, column) && (Dragging || own);
  if (Dragging && unit == DragUnit) unit = nullptr;
  DrawUnitTile(TileFrame, RingOf(unit, Scenario->CurrentPlayerIndex), unit, surface, cell, false, hover, true, own, "",
               nullptr);
}

// Units in the grids.

TUnit* TCityWindow::UnitInCell(const TFaceControl* grid, i32 row, i32 column) const {
  if (!City || row < 0 || column < 0) return nullptr;
  if (grid == DepartureGrid) return row == 0 && column < 3 ? City->DepartureGroup->Units[column] : nullptr;
  if (grid == DefenderGrid) {
    const i32 entry = row * 3 + column;
    return row < City->SlotCount && entry < City->DefenderSlots.Count() ? City->DefenderSlots[entry] : nullptr;
  }
  if (grid == OthersGrid) return column == 0 && row < City->Units.Count() ? City->Units[row] : nullptr;
  return nullptr;
}

void TCityWindow::GridPressed(TFaceControl* grid, int button, int x, int y) {
  if (DragPending || Dragging || !City) return;
  TSpriteScrollBar* bar = grid == DefenderGrid ? DefenderScroll : grid == OthersGrid ? OthersScroll : nullptr;
  const i32 offset = bar && bar->IsVisible() ? bar->Position : 0;
  i32 row = -1, column = -1;
  grid->CellAt(x, y, offset, row, column);
  TUnit* unit = UnitInCell(grid, row, column);
  if (!unit) return;
  if (button == DXWin::mbRight) {
    if (Game && Game->UnitDetailWindow) Game->UnitDetailWindow->ShowUnit(unit, 130, 0);
    return;
  }
  if (button != DXWin::mbLeft) return;
  // The press is where the pointer is.
  const Plat::TPoint at = grid->ClientToScreen({x, y});
  if (grid == DepartureGrid) {
    SelectUnit(unit);
    PrepareDrag(grid, unit, row - offset, column, at.X, at.Y);
    UpdatePanels();
    return;
  }
  const bool mayDrag = grid == DefenderGrid ? City->GetOwner() == CurrentPlayer()
                                            : City->GetUnitOwner(unit) == CurrentPlayer();
  if (mayDrag) PrepareDrag(grid, unit, row - offset, column, at.X, at.Y);
}

void TCityWindow::PointerMoved(int x, int y) { DragPointerMoved(WindowSystem, x, y); }

void TCityWindow::OnMove(DXWin::TShiftState, int x, int y) {
  const Plat::TPoint p = ClientToScreen({x, y});
  PointerMoved(p.X, p.Y);
}

void TCityWindow::OnUp(int button, DXWin::TShiftState, int x, int y) {
  if (button != DXWin::mbLeft) return;
  const Plat::TPoint p = ClientToScreen({x, y});
  ButtonReleased(p.X, p.Y);
}

void TCityWindow::Reselect() {
  if (DragUnit != SelectedUnit || !City) return;
  GameData::TGroup& group = *City->DepartureGroup;
  if (group.GetUnitCount() <= 1)
    SelectUnit(nullptr);
  else
    SelectUnit(group.Units[0] == DragUnit ? group.Units[1] : group.Units[0]);
}

void TCityWindow::ButtonReleased(int x, int y) {
  if (Dragging) {
    for (TFaceControl* grid : {DepartureGrid, DefenderGrid, OthersGrid}) {
      if (!grid->IsVisible() || (grid->Owner && !grid->Owner->IsVisible())) continue;
      const Plat::TPoint local = grid->ScreenToClient({x, y});
      if (!grid->IsInside(local.X, local.Y)) continue;
      TSpriteScrollBar* bar = grid == DefenderGrid ? DefenderScroll : nullptr;
      i32 row = -1, column = -1;
      grid->CellAt(local.X, local.Y, bar && bar->IsVisible() ? bar->Position : 0, row, column);
      DropOn(grid, row);
      break;
    }
  }
  if (Dragging || DragPending) EndDrag(WindowSystem);
  UpdatePanels();
}

void TCityWindow::DropOn(TFaceControl* target, i32 row) {
  if (!City || !DragUnit) return;
  const i32 from = DragSource == DepartureGrid ? GameData::clDeparture
                   : DragSource == DefenderGrid ? GameData::clDefenders
                                                : GameData::clUnits;
  const u32 id = DragUnit->ID;
  if (target == DepartureGrid) {
    if (from == GameData::clDeparture || City->DepartureGroup->CheckAddUnit(DragUnit) != 0) return;
    if (City->DepartureGroup->GetUnitCount() == 0) SelectUnit(DragUnit);
    City->PostMoveUnit(from, id, GameData::clDeparture, -1);
  } else if (target == DefenderGrid) {
    if (row < 0 || !DefenderGroup->IsVisible() || City->GetOwner() != CurrentPlayer()) return;
    if (City->CanJoinSlot(row, DragUnit) != 0) return;
    if (from == GameData::clDefenders && City->FindSlotOfUnit(DragUnit) == row) return;
    if (from == GameData::clDeparture) Reselect();
    City->PostMoveUnit(from, id, GameData::clDefenders, row);
  } else if (target == OthersGrid) {
    if (from == GameData::clUnits || !OthersGroup->IsVisible()) return;
    if (from == GameData::clDeparture) Reselect();
    City->PostMoveUnit(from, id, GameData::clUnits, -1);
  }
}

void TCityWindow::GridDoubleClicked(TFaceControl* grid, int button, int x, int y) {
  if (button != DXWin::mbLeft || Dragging || !City) return;
  if (grid == DepartureGrid) {
    if (Building != cbSquare) return;
    i32 row = -1, column = -1;
    grid->CellAt(x, y, 0, row, column);
    TUnit* unit = UnitInCell(grid, row, column);
    if (!unit) return;
    DragPending = 0;
    DragUnit = unit;
    Reselect();
    DragUnit = nullptr;
    City->PostMoveUnit(GameData::clDeparture, unit->ID, GameData::clUnits, -1);
    UpdatePanels();
  } else if (grid == OthersGrid) {
    i32 row = -1, column = -1;
    grid->CellAt(x, y, OthersScroll->IsVisible() ? OthersScroll->Position : 0, row, column);
    TUnit* unit = UnitInCell(grid, row, column);
    if (!unit || City->GetUnitOwner(unit) != CurrentPlayer() || City->DepartureGroup->CheckAddUnit(unit) != 0) return;
    DragPending = 0;
    DragUnit = nullptr;
    if (City->DepartureGroup->GetUnitCount() == 0) SelectUnit(unit);
    City->PostMoveUnit(GameData::clUnits, unit->ID, GameData::clDeparture, -1);
    UpdatePanels();
  }
}

}  // namespace Main
