// The choice between two campaign missions: which of the units that may go
// travel into the next mission. Two portrait grids, the available units and
// the transferred ones, between which the player drags or double-clicks
// units; required units stay where they are, and no more units go than the
// next mission takes. It changes nothing but the transfer's two lists.
#pragma once

#include "controls/orv_window.h"
#include "game/city/portrait_drag.h"

namespace GameData {
class TScenario;
class TTransfer;
class TUnit;
}  // namespace GameData
namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

class TFaceControl;
class TMenuButton;
class TButtonLabel;
class TSpriteScrollBar;

// Rows of a transfer grid of n cells: 3 a row, 3 at least.
i32 TransferGridRows(i32 cells);

class TTransferWindow : public TOrvWindow, public TPortraitDrag {
 public:
  static constexpr i32 Columns = 3, ShownRows = 3, CellWidth = 103, CellHeight = 132;

  TTransferWindow(DXWin::TDXWindowSystem* windowSystem, GameData::TScenario* scenario, GameData::TTransfer* transfer);
  ~TTransferWindow() override;

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;

  void LayoutGrids();
  // "FERTIG": the modal result 1.
  void Finish();

  // Input as the closures receive it, public for the tests: grid presses in
  // the grid's coordinates, moves and releases in the screen's.
  void GridPressed(TFaceControl* grid, int button, int x, int y);
  void GridDoubleClicked(TFaceControl* grid, int button, int x, int y);
  void PointerMoved(int x, int y);
  void ButtonReleased(int x, int y);

  // The list entry a cell shows (row counted with the scroll), -1 for a cell
  // beyond the grid's cell count; the unit there, or null.
  i32 EntryAt(const TFaceControl* grid, i32 row, i32 column) const;
  GameData::TUnit* UnitAt(const TFaceControl* grid, i32 row, i32 column) const;
  i32 CellCount(const TFaceControl* grid) const;
  bool MayTransfer() const;

  GameData::TScenario* Scenario = nullptr;
  GameData::TTransfer* Transfer = nullptr;
  i32 AvailableCells = 0;
  i32 TransferCells = 0;

  // Window sprite entries and fonts held while the window lives.
  Gfx::TSprite* Background = nullptr;
  Gfx::TSprite* TileFrame = nullptr;
  Gfx::TSprite* ButtonBackground = nullptr;
  Gfx::TSprite* TitlePlate = nullptr;
  Gfx::TSprite* ScrollSprites[13] = {};
  Gfx::TFont* ButtonFonts[4] = {};  // 25, 24, 23, 22: normal, hover, pressed, disabled
  Gfx::TFont* LabelFont = nullptr;  // 21
  Gfx::TFont* TitleFont = nullptr;  // 26

  TFaceControl* AvailableGrid = nullptr;
  TSpriteScrollBar* AvailableScroll = nullptr;
  TFaceControl* TransferGrid = nullptr;
  TSpriteScrollBar* TransferScroll = nullptr;
  TMenuButton* DoneButton = nullptr;
  TButtonLabel* AvailableLabel = nullptr;
  TButtonLabel* TransferLabel = nullptr;

 private:
  void AcquireGraphics();
  void ReleaseGraphics();
  TSpriteScrollBar* BarOf(const TFaceControl* grid) const;
  i32 ScrollOf(const TFaceControl* grid) const;
  void DropOn(TFaceControl* target);

  void PaintCell(TFaceControl* grid, int row, int column, const Base::TRect& cell, Plat::TSurface* surface);
  void PaintAvailableCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface) {
    PaintCell(AvailableGrid, row, column, cell, surface);
  }
  void PaintTransferCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface) {
    PaintCell(TransferGrid, row, column, cell, surface);
  }
  void OnAvailableDown(int button, DXWin::TShiftState, int x, int y) { GridPressed(AvailableGrid, button, x, y); }
  void OnTransferDown(int button, DXWin::TShiftState, int x, int y) { GridPressed(TransferGrid, button, x, y); }
  void OnAvailableDouble(int button, DXWin::TShiftState, int x, int y) {
    GridDoubleClicked(AvailableGrid, button, x, y);
  }
  void OnTransferDouble(int button, DXWin::TShiftState, int x, int y) {
    GridDoubleClicked(TransferGrid, button, x, y);
  }
  void OnMove(DXWin::TShiftState, int x, int y);
  void OnUp(int button, DXWin::TShiftState, int x, int y);
  void OnDone(DXWin::TDXControl*) { Finish(); }
};

}  // namespace Main
