// The tooltip of the game's look: the caption in standard font 3 on the
// stretched ticker background, below the pointer and kept on the screen.
#pragma once

#include <string>

#include "engine/dxwin/tooltip.h"

namespace Main {

class TOrvTooltip : public DXWin::TDXTooltip {
 public:
  void SetVisible(bool visible) override;
  bool IsVisible() override { return Visible; }
  void SetText(const std::string& text) override;
  void SetPosition(int x, int y) override;
  void Update() override {}
  void Draw(Plat::TSurface* surface) override;

  bool Visible = false;
  i32 X = 0, Y = 0;  // the caption's top-left corner on the screen
  i32 RequestX = 0, RequestY = 0;  // the pointer
  std::string Caption;

 private:
  // Places the caption 40 pixels below the pointer, or above it near the
  // bottom, always inside the screen; only while shown.
  void Reposition();
  i32 CaptionWidth = 0, CaptionHeight = 0;
};

}  // namespace Main
