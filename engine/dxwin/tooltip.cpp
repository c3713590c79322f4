#include "engine/dxwin/tooltip.h"

#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/control.h"

namespace DXWin {

void TDXTooltip::Disarm() {
  Armed = false;
  if (IsVisible()) SetVisible(false);
  HoverControl = nullptr;
}

void TDXTooltip::Track(TDXControl* control, int x, int y) {
  if (!Armed || !control || control->Hint.empty()) {
    if (IsVisible()) SetVisible(false);
    HoverControl = nullptr;
    return;
  }
  const u32 now = DXApplication->GameTime;
  if (IsVisible()) {
    // It follows the pointer, and from control to control without a new delay.
    if (control != HoverControl || control->Hint != Text) {
      Text = control->Hint;
      SetText(Text);
      HoverControl = control;
    }
    SetPosition(x, y);
  } else if (control == HoverControl) {
    if (static_cast<i32>(now - HoverStart) > static_cast<i32>(TooltipDelay)) {
      Text = control->Hint;
      SetText(Text);
      SetPosition(x, y);
      SetVisible(true);
    }
  } else {
    HoverStart = now;
    HoverControl = control;
  }
}

}  // namespace DXWin
