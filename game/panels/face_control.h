// A grid of 80 x 80 unit-portrait cells that its owner paints through a
// closure: the city window's unit and recruit grids, the transfer window's.
#pragma once

#include "engine/dxwin/control.h"

namespace DXWin {
class TDXScrollBar;
}

namespace Main {

// Row, column, cell rectangle (screen), surface.
using TDrawCellEvent = DXWin::TClosure<int, int, const Base::TRect&, Plat::TSurface*>;

class TFaceControl : public DXWin::TDXControl {
 public:
  explicit TFaceControl(DXWin::TDXGroup* owner, DXWin::TDXWindow* window = nullptr)
      : DXWin::TDXControl(owner, window, DXWin::cfVisible | DXWin::cfEnabled) {}
  ~TFaceControl() override;

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  void WheelUp() override;
  void WheelDown() override;

  void UpdateSize();
  // The portrait square of a visible cell, in control coordinates.
  Base::TRect GetCellRect(i32 row, i32 column) const;
  // The cell whose square holds the point (control coordinates); row counts
  // from rowOffset; both -1 for none.
  void CellAt(i32 x, i32 y, i32 rowOffset, i32& row, i32& column) const;
  bool IsCellHovered(i32 row, i32 column) const;
  i32 ShownRows() const { return VisibleRows < Rows ? VisibleRows : Rows; }

  i32 Rows = 0;
  i32 Columns = 0;
  i32 VisibleRows = 999;
  i32 CellWidth = 94;
  i32 CellHeight = 130;
  DXWin::TDXScrollBar* ScrollBar = nullptr;
  TDrawCellEvent OnDrawCell;

 private:
  void Scroll(i32 delta);
};

}  // namespace Main
