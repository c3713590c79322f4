// A unit's portrait dragged out of a grid cell, as the city and transfer
// windows move units: a press waits until the pointer has gone far enough,
// then the portrait follows the cursor until the button is released.
#pragma once

#include "engine/base/types.h"

namespace GameData {
class TUnit;
}
namespace Plat {
class TSurface;
}
namespace DXWin {
class TDXWindowSystem;
}

namespace Main {

class TFaceControl;

// A press becomes a drag once the pointer is 6 pixels or more away on either axis.
bool DragDistanceReached(i32 dx, i32 dy);

class TPortraitDrag {
 public:
  u8 DragPending = 0, Dragging = 0;
  GameData::TUnit* DragUnit = nullptr;
  i32 DragStartX = 0, DragStartY = 0;
  i32 GrabX = 0, GrabY = 0;  // the press's offset from the cell's corner
  TFaceControl* DragSource = nullptr;

 protected:
  // The press at px, py (screen) on the cell shown at visibleRow, column.
  void PrepareDrag(TFaceControl* grid, GameData::TUnit* unit, i32 visibleRow, i32 column, i32 px, i32 py);
  // A pending drag begins once the pointer (screen) has gone far enough.
  void DragPointerMoved(DXWin::TDXWindowSystem* windowSystem, i32 x, i32 y);
  void BeginDrag(DXWin::TDXWindowSystem* windowSystem);
  void EndDrag(DXWin::TDXWindowSystem* windowSystem);
  void DrawDraggedPortrait(Plat::TSurface* surface, int x, int y);
};

}  // namespace Main
