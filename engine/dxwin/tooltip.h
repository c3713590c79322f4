// The tooltip the window system shows after the pointer rested on a control
// with a hint; how it looks belongs to a descendant.
#pragma once

#include <string>

#include "engine/base/types.h"

namespace Plat {
class TSurface;
}

namespace DXWin {

class TDXControl;

class TDXTooltip {
 public:
  TDXTooltip() = default;
  virtual ~TDXTooltip() = default;
  TDXTooltip(const TDXTooltip&) = delete;
  TDXTooltip& operator=(const TDXTooltip&) = delete;

  virtual void SetVisible(bool visible) = 0;
  virtual bool IsVisible() = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void SetPosition(int x, int y) = 0;
  virtual void Update() = 0;
  virtual void Draw(Plat::TSurface* surface) = 0;

  // A mouse button was released.
  void Arm() { Armed = true; }
  // A mouse button was pressed: hidden until the next rest after the release.
  void Disarm();
  // Once per update step with the control under the pointer and the pointer.
  void Track(TDXControl* control, int x, int y);

  TDXControl* HoverControl = nullptr;
  u32 HoverStart = 0;  // game time
  bool Armed = true;
  std::string Text;
};

// Game time the pointer rests on a control before its tooltip shows.
constexpr u32 TooltipDelay = 500;

}  // namespace DXWin
