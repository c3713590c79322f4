// The parchment windows: a parchment between two rods that unrolls from its
// middle when shown and rolls up again when hidden, in twice as many
// milliseconds as it is long, with a sound for each. The vertical kind
// unrolls up and down, the horizontal kind left and right.
#pragma once

#include "controls/orv_window.h"

namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

// Animation states of the opening windows.
enum TAnimState : u32 { asIdle = 0, asOpening = 1, asClosing = 2 };

// What both kinds share; Vertical picks the axis.
class TScrollWindow : public TOrvWindow {
 public:
  // The window stays visible while its closing animation runs.
  void SetVisible(bool visible) override;
  void Update() override;
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // The unrolled part, screen coordinates.
  void GetVisibleRect(Base::TRect& r);

  u32 StartTime = 0;
  u32 AnimState = asIdle;
  i32 OpenSize = 0;
  bool FreeOnClose = false;
  i32 FullWidth = 0, FullHeight = 0;
  i32 RollWidth = 0, RollHeight = 0;
  Gfx::TSprite* Background = nullptr;
  Gfx::TSprite* Roll = nullptr;

 protected:
  // The sprites of the table's slots, or the default sizes without them.
  TScrollWindow(DXWin::TDXWindowSystem* system, u32 flags, bool vertical, int backgroundSlot);
  // The animated size, the full one and the rod's along the axis.
  i32& Animated() { return Vertical ? Height : Width; }
  i32 FullSize() const { return Vertical ? FullHeight : FullWidth; }
  i32 RollSize() const { return Vertical ? RollHeight : RollWidth; }

  const bool Vertical;
};

class TVertScrollWindow : public TScrollWindow {
 public:
  TVertScrollWindow(DXWin::TDXWindowSystem* system, u32 flags);
};

class THorizScrollWindow : public TScrollWindow {
 public:
  THorizScrollWindow(DXWin::TDXWindowSystem* system, u32 flags);
};

// The game's clock in milliseconds; 0 without an application.
u32 GameTimeNow();

}  // namespace Main
