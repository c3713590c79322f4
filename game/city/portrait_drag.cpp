#include "game/city/portrait_drag.h"

#include <cstdlib>

#include "game/panels/face_control.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/sprite.h"
#include "world/units/unit.h"

namespace Main {

bool DragDistanceReached(i32 dx, i32 dy) { return std::abs(dx) > 5 || std::abs(dy) > 5; }

void TPortraitDrag::PrepareDrag(TFaceControl* grid, GameData::TUnit* unit, i32 visibleRow, i32 column, i32 px,
                                i32 py) {
  DragPending = 1;
  DragStartX = px;
  DragStartY = py;
  DragSource = grid;
  DragUnit = unit;
  const Base::TRect cell = grid->GetCellRect(visibleRow, column);
  const Plat::TPoint corner = grid->ClientToScreen({cell.Left, cell.Top});
  GrabX = px - corner.X;
  GrabY = py - corner.Y;
}

void TPortraitDrag::DragPointerMoved(DXWin::TDXWindowSystem* windowSystem, i32 x, i32 y) {
  if (DragPending && DragDistanceReached(x - DragStartX, y - DragStartY)) BeginDrag(windowSystem);
}

void TPortraitDrag::BeginDrag(DXWin::TDXWindowSystem* windowSystem) {
  DragPending = 0;
  Dragging = 1;
  if (windowSystem)
    windowSystem->OnDrawCursor = DXWin::TDrawCursorEvent::Of<&TPortraitDrag::DrawDraggedPortrait>(this);
}

void TPortraitDrag::EndDrag(DXWin::TDXWindowSystem* windowSystem) {
  const bool hadClosure = Dragging;
  DragPending = Dragging = 0;
  DragUnit = nullptr;
  DragStartX = DragStartY = GrabX = GrabY = 0;
  DragSource = nullptr;
  if (hadClosure && windowSystem) windowSystem->OnDrawCursor = {};
}

void TPortraitDrag::DrawDraggedPortrait(Plat::TSurface* surface, int x, int y) {
  if (Dragging && DragUnit && DragUnit->Portrait) DragUnit->Portrait->Draw(surface, 0, x - GrabX, y - GrabY, nullptr);
}

}  // namespace Main
