// A book that opens in four frames (closed, cover turning, right page, both
// pages) when shown and closes the same way when hidden; the spell book and
// the diary draw their pages on it.
#pragma once

#include "controls/scroll_windows.h"

namespace Main {

class TBookWindow : public TOrvWindow {
 public:
  TBookWindow(DXWin::TDXWindowSystem* system, u32 flags);

  // The window stays visible while the book closes.
  void SetVisible(bool visible) override;
  void Update() override;
  // The window's drawing, then the book over it.
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // Where pages may be drawn: the right half at frame 2, all at frame 3,
  // nothing before.
  void GetOpenRect(Base::TRect& r) const;

  u32 StartTime = 0;
  u32 AnimState = asIdle;
  i32 Frame = 0;
  bool FreeOnClose = false;
  i32 FullWidth = 568, FullHeight = 456;
};

}  // namespace Main
