#include "frontend/front_end.h"

#include "controls/orv_tooltip.h"
#include "engine/dxwin/window_system.h"
#include "world/data2/main_data.h"

namespace Main {

std::array<std::string, 9> VideoNames;
static_assert(Data2::VideoNameCount == 9);

void CreateInterface() {
  WindowSystem = new DXWin::TDXWindowSystem;
  if (Data2::MainData) {
    WindowSystem->SetDefaultCursor(Data2::MainData->InterfaceSprites[Data2::isDefaultCursor]);
    for (std::size_t i = 0; i < VideoNames.size(); ++i) VideoNames[i] = Data2::MainData->VideoNames[i];
  }
  WindowSystem->SetTooltip(new TOrvTooltip);
  MainMenu = new TMainMenu(WindowSystem);
  LoadingScreen = new TLoadingScreen(WindowSystem);
  VideoWindow = new TVideoWindow(WindowSystem);
}

void DeleteInterface() {
  delete MainMenu;
  delete LoadingScreen;
  delete VideoWindow;
  MainMenu = nullptr;
  LoadingScreen = nullptr;
  VideoWindow = nullptr;
  // With every window still registered.
  delete WindowSystem;
  WindowSystem = nullptr;
}

}  // namespace Main
