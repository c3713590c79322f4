// A button drawn with a sprite for each state; the hover sprite animates.
#pragma once

#include "engine/dxwin/button.h"

namespace Main {

class TSpriteButton : public DXWin::TDXButton {
 public:
  TSpriteButton(DXWin::TDXGroup* owner, DXWin::TDXWindow* window) : DXWin::TDXButton(owner, window, 0) {}

  // The hover animation starts at its first frame each time the pointer arrives.
  void MouseEnter() override;
  void Click() override;
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // Runs the hover animation: a frame every 10 update steps.
  void Update() override;

  void SetSprites(Gfx::TSprite* normal, Gfx::TSprite* hover, Gfx::TSprite* pressed, Gfx::TSprite* disabled);

  i32 AnimFrame = 0;
  u32 TickCount = 0;
  Gfx::TSprite* NormalSprite = nullptr;
  Gfx::TSprite* HoverSprite = nullptr;
  Gfx::TSprite* PressedSprite = nullptr;
  Gfx::TSprite* DisabledSprite = nullptr;
};

}  // namespace Main
