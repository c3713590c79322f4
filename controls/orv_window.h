// The base of all the game's windows: a plain window drawn as its group
// (the draw closure, then every child).
#pragma once

#include "engine/dxwin/window.h"

namespace Main {

class TOrvWindow : public DXWin::TDXWindow {
 public:
  using DXWin::TDXWindow::TDXWindow;
};

}  // namespace Main
