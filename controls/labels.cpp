#include "controls/labels.h"

#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"

namespace Main {

namespace {

bool NoRunningGame(u32&) { return false; }

// The owner's clip rectangle; the control's own rectangle when it set none.
Base::TRect ClipOf(const TGetClipRectEvent& event, const Base::TRect& rect) {
  Base::TRect clip = rect;
  if (event) event(clip);
  return clip;
}

void DrawCaption(Gfx::TFont& font, Plat::TSurface* surface, const Base::TRect& rect, const std::string& caption,
                 bool wrap, u32 colour, const Base::TRect& clip) {
  if (wrap)
    font.DrawWrapped(surface, rect, caption, colour, &clip);
  else
    font.DrawText(surface, rect.Left, rect.Top, caption, colour, &clip);
}

}  // namespace

TPlayerColorQuery GamePlayerColor = NoRunningGame;

void TOrvLabel::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  DXWin::TDXControl::Draw(surface, rect);
  const Base::TRect clip = ClipOf(OnGetClipRect, rect);
  if (Font) DrawCaption(*Font, surface, rect, Caption, WordWrap, 0, clip);
}

void TOrvChoice::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  DXWin::TDXButton::Draw(surface, rect);
  const Base::TRect clip = ClipOf(OnGetClipRect, rect);
  u32 player = 0;
  if (!Font || !GamePlayerColor || !GamePlayerColor(player)) return;
  const u32 colour = Gfx::PackRGB565(IsHovered() ? player : 0x0000A0);
  DrawCaption(*Font, surface, rect, Caption, WordWrap, colour, clip);
}

void TTextLabel::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  DXWin::TDXControl::Draw(surface, rect);
  if (Font) Font->DrawText(surface, rect.Left, rect.Top, Text, Gfx::PackRGB565(Color), &rect);
}

}  // namespace Main
