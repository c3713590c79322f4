#include "game/transfer/transfer_window.h"

#include <algorithm>

#include "controls/sprite_scroll_bar.h"
#include "controls/text_buttons.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "game/city/city_window.h"
#include "game/control/game.h"
#include "game/panels/face_control.h"
#include "game/panels/unit_detail_window.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/scenario/transfer.h"
#include "world/units/unit.h"

namespace Main {

using GameData::TUnit;

namespace {

// Window sprite entries.
constexpr i32 BackgroundEntry = 56, TileFrameEntry = 11, ButtonEntry = 46, TitlePlateEntry = 48;
// Scroll-bar pieces in the bar's slot order: arrows up x4, down x4, thumb x3, unused, track.
constexpr i32 ScrollEntries[13] = {16, 17, 18, 19, 20, 21, 22, 23, 12, 13, 14, -1, 24};
constexpr i32 GridTop = 125, AvailableLeft = 55, TransferLeft = 430;
constexpr u32 MaxCells = 1u << 20;

Gfx::TSprite* WindowEntry(i32 entry) {
  if (!Data2::GlobalData || entry < 0 || entry >= Data2::WindowSpriteCount) return nullptr;
  Data2::TGlobalData& g = *Data2::GlobalData;
  return g.WindowSpriteList.FindSprite(g.WindowSpriteIDs[entry]);
}

void ReleaseWindowSprite(Gfx::TSprite*& s) {
  if (Data2::GlobalData && s) Data2::GlobalData->WindowSpriteList.ReleaseSprite(s);
  s = nullptr;
}

}  // namespace

i32 TransferGridRows(i32 cells) {
  return cells <= 0 ? TTransferWindow::ShownRows : std::max(TTransferWindow::ShownRows, (cells - 1) / 3 + 1);
}

// Construction.

TTransferWindow::TTransferWindow(DXWin::TDXWindowSystem* windowSystem, GameData::TScenario* scenario,
                                 GameData::TTransfer* transfer)
    : TOrvWindow(windowSystem, 0x110000, 0), Scenario(scenario), Transfer(transfer) {
  SetSize(800, 600);
  AvailableCells = Transfer ? Transfer->Available.Count() : 0;
  // A damaged file's limit must not overflow the cell arithmetic.
  TransferCells = Scenario ? static_cast<i32>(std::min<u32>(Scenario->TransferLimit, MaxCells)) : 0;
  auto grid = [this](i32 left, TFaceControl*& g, TSpriteScrollBar*& bar) {
    g = new TFaceControl(this, this);
    g->Columns = Columns;
    g->Rows = ShownRows;
    g->VisibleRows = ShownRows;
    g->CellWidth = CellWidth;
    g->CellHeight = CellHeight;
    g->SetPosition(left, GridTop);
    bar = new TSpriteScrollBar(this, true, 52, 26);
    bar->Hide();
    g->ScrollBar = bar;
  };
  grid(AvailableLeft, AvailableGrid, AvailableScroll);
  grid(TransferLeft, TransferGrid, TransferScroll);
  AvailableGrid->OnDrawCell = TDrawCellEvent::Of<&TTransferWindow::PaintAvailableCell>(this);
  AvailableGrid->OnMouseDown = DXWin::TMouseEvent::Of<&TTransferWindow::OnAvailableDown>(this);
  AvailableGrid->OnDblClick = DXWin::TMouseEvent::Of<&TTransferWindow::OnAvailableDouble>(this);
  TransferGrid->OnDrawCell = TDrawCellEvent::Of<&TTransferWindow::PaintTransferCell>(this);
  TransferGrid->OnMouseDown = DXWin::TMouseEvent::Of<&TTransferWindow::OnTransferDown>(this);
  TransferGrid->OnDblClick = DXWin::TMouseEvent::Of<&TTransferWindow::OnTransferDouble>(this);

  DoneButton = new TMenuButton(this, this);
  DoneButton->SetPosition(614, 18);
  DoneButton->Caption = "FERTIG";
  DoneButton->Hint = "Transfer beenden";
  DoneButton->OnClick = DXWin::TNotifyEvent::Of<&TTransferWindow::OnDone>(this);
  AvailableLabel = new TButtonLabel(this, this);
  AvailableLabel->SetPosition(127, 84);
  AvailableLabel->Caption = "Verf\xFCgbar:";
  TransferLabel = new TButtonLabel(this, this);
  TransferLabel->SetPosition(502, 84);
  TransferLabel->Caption = "Transferiert:";

  OnMouseMove = DXWin::TMouseMoveEvent::Of<&TTransferWindow::OnMove>(this);
  OnMouseUp = DXWin::TMouseEvent::Of<&TTransferWindow::OnUp>(this);
  AcquireGraphics();
  LayoutGrids();
}

TTransferWindow::~TTransferWindow() {
  EndDrag(WindowSystem);
  ReleaseGraphics();
}

// Graphics.

void TTransferWindow::AcquireGraphics() {
  ReleaseGraphics();
  Background = WindowEntry(BackgroundEntry);
  TileFrame = WindowEntry(TileFrameEntry);
  ButtonBackground = WindowEntry(ButtonEntry);
  TitlePlate = WindowEntry(TitlePlateEntry);
  for (i32 i = 0; i < 13; ++i) ScrollSprites[i] = WindowEntry(ScrollEntries[i]);
  if (Data2::GlobalData) {
    Data2::TGlobalData& g = *Data2::GlobalData;
    const u32 buttonFontIDs[4] = {25, 24, 23, 22};
    try {
      for (i32 i = 0; i < 4; ++i) ButtonFonts[i] = g.AcquireFont(buttonFontIDs[i]);
      ButtonFonts[0]->Spacing = -3;
      LabelFont = g.AcquireFont(21);
      TitleFont = g.AcquireFont(26);
      TitleFont->Spacing = -3;
    } catch (const std::exception&) {
      // A data set without the window's fonts shows it without text.
    }
  }
  TScrollBarSprites bar{};
  for (i32 i = 0; i < 13; ++i) bar[i] = ScrollSprites[i];
  for (TSpriteScrollBar* b : {AvailableScroll, TransferScroll}) b->SetSprites(bar);
  DoneButton->SetFonts(ButtonFonts[0], ButtonFonts[1], ButtonFonts[2], ButtonFonts[3]);
  for (TButtonLabel* l : {AvailableLabel, TransferLabel}) l->SetFonts(TitleFont, TitleFont, TitleFont, TitleFont);
  for (TMenuButton* b : {static_cast<TMenuButton*>(DoneButton), static_cast<TMenuButton*>(AvailableLabel),
                         static_cast<TMenuButton*>(TransferLabel)}) {
    b->Sprite = ButtonBackground;
    b->AutoSize();
    b->CenterTextX();
    b->CenterTextY();
  }
}

void TTransferWindow::ReleaseGraphics() {
  for (Gfx::TSprite** s : {&Background, &TileFrame, &ButtonBackground, &TitlePlate}) ReleaseWindowSprite(*s);
  for (Gfx::TSprite*& s : ScrollSprites) ReleaseWindowSprite(s);
  if (Data2::GlobalData) {
    Data2::TGlobalData& g = *Data2::GlobalData;
    for (Gfx::TFont* f : {ButtonFonts[0], ButtonFonts[1], ButtonFonts[2], ButtonFonts[3], LabelFont, TitleFont})
      if (f) g.ReleaseFont(f);
  }
  for (Gfx::TFont*& f : ButtonFonts) f = nullptr;
  LabelFont = TitleFont = nullptr;
}

// Layout and the lists.

void TTransferWindow::LayoutGrids() {
  const std::pair<TFaceControl*, i32> grids[2] = {{AvailableGrid, AvailableCells}, {TransferGrid, TransferCells}};
  for (const auto& [grid, cells] : grids) {
    TSpriteScrollBar* bar = BarOf(grid);
    const i32 rows = TransferGridRows(cells);
    grid->Rows = rows;
    if (rows > ShownRows) {
      bar->Min = 0;
      bar->Max = rows - ShownRows;
      bar->Position = std::clamp(bar->Position, 0, bar->Max);
      bar->Show();
    } else {
      bar->Hide();
    }
    grid->SetSize(Columns * CellWidth, ShownRows * CellHeight);
    const i32 x = grid->Left + grid->Width - 1, y = grid->Top + 8;
    bar->SetBounds({x, y, x + 15, y + 382});
  }
}

TSpriteScrollBar* TTransferWindow::BarOf(const TFaceControl* grid) const {
  return grid == AvailableGrid ? AvailableScroll : TransferScroll;
}

i32 TTransferWindow::ScrollOf(const TFaceControl* grid) const {
  const TSpriteScrollBar* bar = BarOf(grid);
  return bar->IsVisible() ? bar->Position : 0;
}

i32 TTransferWindow::CellCount(const TFaceControl* grid) const {
  return grid == AvailableGrid ? AvailableCells : grid == TransferGrid ? TransferCells : 0;
}

i32 TTransferWindow::EntryAt(const TFaceControl* grid, i32 row, i32 column) const {
  if (row < 0 || column < 0 || column >= Columns) return -1;
  const i32 entry = Columns * row + column;
  return entry < CellCount(grid) ? entry : -1;
}

TUnit* TTransferWindow::UnitAt(const TFaceControl* grid, i32 row, i32 column) const {
  const i32 entry = EntryAt(grid, row, column);
  if (entry < 0 || !Transfer) return nullptr;
  const Data::TDataList<TUnit>& list = grid == AvailableGrid ? Transfer->Available : Transfer->Transferred;
  return entry < list.Count() ? list[entry] : nullptr;
}

bool TTransferWindow::MayTransfer() const {
  return Transfer && Scenario && static_cast<u32>(Transfer->Transferred.Count()) < Scenario->TransferLimit;
}

void TTransferWindow::Finish() {
  EndDrag(WindowSystem);
  SetModalResult(1);
  Close();
}

// Drawing.

void TTransferWindow::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  if (Background) Background->Draw(surface, 0, rect.Left, rect.Top, &rect);
  // The plate's centre rounds toward zero, as its half width does.
  if (TitlePlate) TitlePlate->Draw(surface, 0, rect.Left + 400 - TitlePlate->Width / 2, rect.Top + 15, &rect);
  if (TitleFont) DrawCentredText(TitleFont, surface, rect.Left + 400, rect.Top + 19, "Einheiten-Transfer", 0, &rect);
  TOrvWindow::Draw(surface, rect);
}

void TTransferWindow::PaintCell(TFaceControl* grid, int row, int column, const Base::TRect& cell,
                                Plat::TSurface* surface) {
  const i32 shownRow = row + ScrollOf(grid);
  if (EntryAt(grid, shownRow, column) < 0) return;
  TUnit* unit = UnitAt(grid, shownRow, column);
  const bool hovered = grid->IsCellHovered(row, column);
  const bool required = unit && unit->TransferRequired;
  const bool own = grid == AvailableGrid || !required;
  const bool highlight = hovered && (Dragging || (unit && (grid == AvailableGrid || !required)));
  if (Dragging && unit == DragUnit) unit = nullptr;
  const std::string label = unit && unit->TransferNew ? "NEU" : "";
  DrawUnitTile(TileFrame, nullptr, unit, surface, cell, false, highlight, true, own, label, LabelFont);
}

// Input.

void TTransferWindow::GridPressed(TFaceControl* grid, int button, int x, int y) {
  if (DragPending || Dragging) return;
  const i32 offset = ScrollOf(grid);
  i32 row = -1, column = -1;
  grid->CellAt(x, y, offset, row, column);
  TUnit* unit = UnitAt(grid, row, column);
  if (!unit) return;
  if (button == DXWin::mbRight) {
    if (Game && Game->UnitDetailWindow) Game->UnitDetailWindow->ShowUnit(unit, 130, 0);
    return;
  }
  if (button != DXWin::mbLeft || unit->TransferRequired) return;
  const Plat::TPoint at = grid->ClientToScreen({x, y});
  PrepareDrag(grid, unit, row - offset, column, at.X, at.Y);
}

void TTransferWindow::PointerMoved(int x, int y) { DragPointerMoved(WindowSystem, x, y); }

void TTransferWindow::OnMove(DXWin::TShiftState, int x, int y) {
  const Plat::TPoint p = ClientToScreen({x, y});
  PointerMoved(p.X, p.Y);
}

void TTransferWindow::OnUp(int button, DXWin::TShiftState, int x, int y) {
  if (button != DXWin::mbLeft) return;
  const Plat::TPoint p = ClientToScreen({x, y});
  ButtonReleased(p.X, p.Y);
}

void TTransferWindow::ButtonReleased(int x, int y) {
  if (Dragging) {
    for (TFaceControl* grid : {AvailableGrid, TransferGrid}) {
      const Plat::TPoint local = grid->ScreenToClient({x, y});
      i32 row = -1, column = -1;
      grid->CellAt(local.X, local.Y, ScrollOf(grid), row, column);
      if (EntryAt(grid, row, column) < 0) continue;
      DropOn(grid);
      break;
    }
  }
  EndDrag(WindowSystem);
  LayoutGrids();
}

void TTransferWindow::DropOn(TFaceControl* target) {
  if (!Transfer || !DragUnit) return;
  if (target == AvailableGrid && DragSource == TransferGrid)
    Transfer->ReturnUnit(DragUnit);
  else if (target == TransferGrid && DragSource == AvailableGrid && MayTransfer())
    Transfer->TransferUnit(DragUnit);
}

void TTransferWindow::GridDoubleClicked(TFaceControl* grid, int button, int x, int y) {
  if (button != DXWin::mbLeft || Dragging || !Transfer) return;
  i32 row = -1, column = -1;
  grid->CellAt(x, y, ScrollOf(grid), row, column);
  TUnit* unit = UnitAt(grid, row, column);
  if (!unit || unit->TransferRequired) return;
  DragPending = 0;
  if (grid == AvailableGrid) {
    if (MayTransfer()) Transfer->TransferUnit(unit);
  } else {
    Transfer->ReturnUnit(unit);
  }
  LayoutGrids();
}

}  // namespace Main
