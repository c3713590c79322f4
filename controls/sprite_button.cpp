#include "controls/sprite_button.h"

#include "engine/gfx/sprite.h"
#include "controls/click_sound.h"

namespace Main {

void TSpriteButton::SetSprites(Gfx::TSprite* normal, Gfx::TSprite* hover, Gfx::TSprite* pressed,
                               Gfx::TSprite* disabled) {
  NormalSprite = normal;
  HoverSprite = hover;
  PressedSprite = pressed;
  DisabledSprite = disabled;
}

void TSpriteButton::MouseEnter() {
  AnimFrame = 0;
  DXWin::TDXButton::MouseEnter();
}

void TSpriteButton::Click() {
  PlayClickSound();
  DXWin::TDXButton::Click();
}

void TSpriteButton::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  Gfx::TSprite* sprite = NormalSprite;
  i32 frame = 0;
  if (!IsEnabled()) {
    sprite = DisabledSprite;
  } else if (IsHovered() && IsPressed()) {
    sprite = PressedSprite;
  } else if (IsHovered()) {
    sprite = HoverSprite;
    frame = AnimFrame;
  }
  if (sprite) sprite->Draw(surface, frame, rect.Left, rect.Top, &rect);
  DXWin::TDXButton::Draw(surface, rect);
}

void TSpriteButton::Update() {
  TickCount += 1;
  if (HoverSprite) {
    const i32 frames = HoverSprite->DrawableFrameCount();
    if (frames > 0 && TickCount % 10 == 0) AnimFrame = (AnimFrame + 1) % frames;
  }
  DXWin::TDXButton::Update();
}

}  // namespace Main
