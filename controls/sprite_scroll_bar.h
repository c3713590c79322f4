// A scroll bar drawn with sprites: the track, both buttons in four states
// and the thumb in three, each centred across the bar.
#pragma once

#include <array>

#include "engine/dxwin/scroll_bar.h"

namespace Main {

// Slots of the sprites.
enum TScrollBarSprite : int {
  sbDecrementNormal,
  sbDecrementHover,
  sbDecrementPressed,
  sbDecrementDisabled,
  sbIncrementNormal,
  sbIncrementHover,
  sbIncrementPressed,
  sbIncrementDisabled,
  sbThumbNormal,
  sbThumbHover,
  sbThumbPressed,
  sbUnused,
  sbTrack,
  ScrollBarSpriteCount
};

using TScrollBarSprites = std::array<Gfx::TSprite*, ScrollBarSpriteCount>;

class TSpriteScrollBar : public DXWin::TDXScrollBar {
 public:
  TSpriteScrollBar(DXWin::TDXGroup* owner, bool vertical, int buttonSize, int thumbSize)
      : DXWin::TDXScrollBar(owner, vertical, buttonSize, thumbSize) {}

  // A disabled bar shows its buttons disabled and no thumb.
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  void PartPressed() override;

  void SetSprites(const TScrollBarSprites& sprites) { Sprites = sprites; }

  TScrollBarSprites Sprites{};

 private:
  void DrawPart(Plat::TSurface* surface, Gfx::TSprite* sprite, const Base::TRect& part) const;
  // The sprite of a button for its state.
  Gfx::TSprite* ButtonSprite(u32 state, int first) const;
};

}  // namespace Main
