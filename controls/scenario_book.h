// The scenario introduction: an 800 x 600 page on which the title and the
// coloured, justified text scroll upward ten pixels a second until they have
// passed; a click, Esc, Enter or Space ends it early (modal result 1).
#pragma once

#include <string>

#include "controls/orv_window.h"
#include "engine/gfx/color_text.h"

namespace Main {

class TScenarioBookWindow : public TOrvWindow {
 public:
  TScenarioBookWindow(DXWin::TDXWindowSystem* system, u32 flags);
  ~TScenarioBookWindow() override;

  // The title in the bold font, one empty line, then the body's mark-up
  // (see ParseColorText); the text starts below the visible area.
  void SetText(const std::string& title, const std::string& body);
  void Update() override;
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;

  Gfx::TSprite* Background = nullptr;
  Gfx::TSprite* BottomEdge = nullptr;
  Gfx::TSprite* TopEdge = nullptr;
  Gfx::TColorText Body;
  i32 BodyHeight = 0;
  Base::TRect TextRect{};
  i32 ScrollY = 0;
  u32 TickCount = 0;
  std::string Title;
  i32 BodyOffset = 0;

 private:
  void WindowClick(DXWin::TDXControl*);
  void WindowKey(Plat::WPARAM& key, DXWin::TShiftState shift);
  void Finish();
};

}  // namespace Main
