#include "game/interface.h"

#include "engine/dxwin/window_system.h"

namespace Main {

void CreateInterface() { WindowSystem = new DXWin::TDXWindowSystem; }

void DeleteInterface() {
  delete WindowSystem;
  WindowSystem = nullptr;
}

}  // namespace Main
