// Text drawn with the bitmap fonts: a caption label, a clickable choice in
// the current player's colour, and a label of the control's own text.
#pragma once

#include <string>

#include "engine/dxwin/button.h"

namespace Gfx {
class TFont;
}

namespace Main {

// Fills the clip rectangle of a label or choice; its owner sets it.
using TGetClipRectEvent = DXWin::TClosure<Base::TRect&>;

class TOrvLabel : public DXWin::TDXControl {
 public:
  TOrvLabel(DXWin::TDXGroup* owner, DXWin::TDXWindow* window, u32 flags)
      : DXWin::TDXControl(owner, window, flags | DXWin::cfVisible | DXWin::cfEnabled) {}

  // The caption at the top-left corner, or wrapped into the rectangle, in
  // the font's own colours.
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;

  void SetCaption(const std::string& caption) { Caption = caption; }
  void SetFont(Gfx::TFont* font) { Font = font; }
  void SetOnGetClipRect(TGetClipRectEvent event) { OnGetClipRect = event; }

  std::string Caption;
  Gfx::TFont* Font = nullptr;
  TGetClipRectEvent OnGetClipRect;
  bool WordWrap = false;
};

// The running game's current player colour (0x00RRGGBB); false while no game
// holding a scenario runs. The game connects it when it is made.
using TPlayerColorQuery = bool (*)(u32& rgb);
extern TPlayerColorQuery GamePlayerColor;

class TOrvChoice : public DXWin::TDXButton {
 public:
  TOrvChoice(DXWin::TDXGroup* owner, DXWin::TDXWindow* window) : DXWin::TDXButton(owner, window, 0) {}

  // Dark blue, in the current player's colour under the pointer; nothing
  // outside a running game.
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;

  void SetCaption(const std::string& caption) { Caption = caption; }
  void SetFont(Gfx::TFont* font) { Font = font; }
  void SetOnGetClipRect(TGetClipRectEvent event) { OnGetClipRect = event; }

  std::string Caption;
  Gfx::TFont* Font = nullptr;
  TGetClipRectEvent OnGetClipRect;
  bool WordWrap = false;
};

class TTextLabel : public DXWin::TDXControl {
 public:
  TTextLabel(DXWin::TDXGroup* owner, DXWin::TDXWindow* window)
      : DXWin::TDXControl(owner, window, DXWin::cfVisible | DXWin::cfEnabled) {}

  // Text in Color at the top-left corner, clipped to the rectangle.
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;

  Gfx::TFont* Font = nullptr;
  u32 Color = 0;  // 0x00RRGGBB
};

}  // namespace Main
