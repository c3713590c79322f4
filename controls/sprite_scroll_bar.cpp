#include "controls/sprite_scroll_bar.h"

#include "engine/gfx/sprite.h"
#include "controls/click_sound.h"

namespace Main {

using DXWin::psHovered;
using DXWin::psPressed;

void TSpriteScrollBar::DrawPart(Plat::TSurface* surface, Gfx::TSprite* sprite, const Base::TRect& part) const {
  if (!sprite) return;
  Base::TRect clip = part;
  int x = part.Left, y = part.Top;
  if (Vertical) {
    const int shift = (part.Width() - sprite->Width) / 2;
    x += shift;
    clip.Left += shift;
  } else {
    const int shift = (part.Height() - sprite->Height) / 2;
    y += shift;
    clip.Top += shift;
  }
  sprite->Draw(surface, 0, x, y, &clip);
}

Gfx::TSprite* TSpriteScrollBar::ButtonSprite(u32 state, int first) const {
  const bool over = (state & psHovered) && IsHovered();
  if (over && (state & psPressed)) return Sprites[first + 2];
  if (over) return Sprites[first + 1];
  return Sprites[first];
}

void TSpriteScrollBar::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  DrawPart(surface, Sprites[sbTrack], TrackRect());
  if (IsEnabled()) {
    DrawPart(surface, ButtonSprite(UpState, sbDecrementNormal), DecrementRect());
    DrawPart(surface, ButtonSprite(DownState, sbIncrementNormal), IncrementRect());
    Gfx::TSprite* thumb = Sprites[sbThumbNormal];
    if (ThumbState & psPressed)
      thumb = Sprites[sbThumbPressed];
    else if ((ThumbState & psHovered) && IsHovered())
      thumb = Sprites[sbThumbHover];
    DrawPart(surface, thumb, ThumbRect());
  } else {
    DrawPart(surface, Sprites[sbDecrementDisabled], DecrementRect());
    DrawPart(surface, Sprites[sbIncrementDisabled], IncrementRect());
  }
  DXWin::TDXScrollBar::Draw(surface, rect);
}

void TSpriteScrollBar::PartPressed() { PlayClickSound(); }

}  // namespace Main
