#include "game/panels/face_control.h"

#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/scroll_bar.h"

namespace Main {

TFaceControl::~TFaceControl() = default;

void TFaceControl::UpdateSize() { SetSize(Columns * CellWidth, ShownRows() * CellHeight); }

Base::TRect TFaceControl::GetCellRect(i32 row, i32 column) const {
  const i32 x = column * CellWidth, y = row * CellHeight;
  return {x + 9, y + 11, x + 89, y + 91};
}

void TFaceControl::CellAt(i32 x, i32 y, i32 rowOffset, i32& row, i32& column) const {
  row = column = -1;
  for (i32 r = 0; r < ShownRows(); ++r)
    for (i32 c = 0; c < Columns; ++c)
      if (Base::PointInRect(GetCellRect(r, c), x, y)) {
        row = rowOffset + r;
        column = c;
        return;
      }
}

bool TFaceControl::IsCellHovered(i32 row, i32 column) const {
  if (!IsHovered() || !DXApplication) return false;
  const Plat::TPoint p = ScreenToClient({DXApplication->MouseX, DXApplication->MouseY});
  i32 r = -1, c = -1;
  CellAt(p.X, p.Y, 0, r, c);
  return r == row && c == column;
}

void TFaceControl::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  if (!OnDrawCell) return;
  for (i32 r = 0; r < ShownRows(); ++r)
    for (i32 c = 0; c < Columns; ++c) {
      const Base::TRect cell = GetCellRect(r, c);
      OnDrawCell(r, c, {cell.Left + rect.Left, cell.Top + rect.Top, cell.Right + rect.Left, cell.Bottom + rect.Top}, surface);
    }
}

void TFaceControl::Scroll(i32 delta) {
  if (!ScrollBar || !ScrollBar->IsVisible()) return;
  ScrollBar->Position += delta;
  ScrollBar->Changed(false);
}

void TFaceControl::WheelUp() {
  Scroll(-1);
  DXWin::TDXControl::WheelUp();
}

void TFaceControl::WheelDown() {
  Scroll(1);
  DXWin::TDXControl::WheelDown();
}

}  // namespace Main
