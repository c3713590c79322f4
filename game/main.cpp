// Program entry: the window, the display framework in full screen, the data,
// and the frame loop until the program is asked to end.
#include <cstdio>
#include <exception>
#include <memory>

#include "ai/ai_handler.h"
#include "combat/battle_engine.h"
#include "combat/map_spell_effects.h"
#include "script/script_connection.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/d3dframe/display_link.h"
#include "engine/data/archive.h"
#include "engine/dsframe/dsframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/screen.h"
#include "engine/platform/window/platform.h"
#include "engine/platform/window/sdl_platform.h"
#include "frontend/front_end.h"
#include "game/demo_window.h"
#include "game/game.h"
#include "game/map_view.h"
#include "game/shell.h"
#include "game/sound_system.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/scenario/player.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"

namespace {

D3DFrame::TFrameworkDisplayLink displayLink;

// Only 16-bit modes of 640 x 480, 800 x 600 and 1024 x 768.
bool DisplayModeFilter(const Plat::TSurfaceDesc* mode) {
  if (mode->PixelFormat.BitCount != 16) return false;
  return (mode->Width == 640 && mode->Height == 480) || (mode->Width == 800 && mode->Height == 600) ||
         (mode->Width == 1024 && mode->Height == 768);
}

void ShowThreadError(const std::exception& e) { DXApplication->ShowException(e); }

// Everything after the window, in reverse order; safe after a start-up that
// failed halfway.
void Shutdown() {
  if (DSFramework) DSFramework->StopAll();
  Main::DeleteGame();
  Main::DeleteInterface();
  delete Main::MapView;
  Main::MapView = nullptr;
  Data2::FreeGlobalData();
  Data2::FreeMainData();
  Data2::FreeArchives();
  Main::DeleteSoundSystem();
  Gfx::Shutdown();
  DXApplication->Display = nullptr;
  delete D3DFramework;
  D3DFramework = nullptr;
}

void OnDestroy() {
  Shutdown();
  DXApplication->DetachWindow();
}

void InitApplication() {
  // Alt+Enter switches between full screen and a window.
  DXApplication->Create(nullptr, "Orvandia", "OrvandiaWindow", 0xA0 | DXApp::AppAltEnterSwitch, 100, OnDestroy,
                        Main::UpdateFrame, Main::RenderFrame, Main::RestoreSurfaces, Main::BeforeModeChange,
                        Main::AfterModeChange, Main::SetupScene, Main::HandleAppMessage);
  D3DFramework =
      new D3DFrame::TD3DFramework(DXApplication->hWnd, "Orvandia", D3DFrame::fwDirect3D | D3DFrame::fwRequireSize,
                                  800, 600, 16, DisplayModeFilter);
  DXApplication->Display = &displayLink;
  DXApplication->SetFullscreen(-1, 50, 50, 800, 600);
  Main::CreateSoundSystem();
  Data::InitData();
  Gfx::Startup();
  Data2::CreateArchives();
  Data2::CreateMainData();
  Main::CreateInterface();
  Data2::CreateGlobalData();
  Main::CreateGame();
  // The demo map, until the game opens on scenarios of its own.
  Main::MapView = new Main::TMapView;
  // Owned by the window system.
  new Main::TDemoWindow(WindowSystem, *Data2::GlobalData);
  MainMenu->Open(0);
}

}  // namespace

int main() {
  try {
    Plat::Install(std::make_unique<Plat::TSdlPlatform>());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  AIHandler::ConnectToWorld();
  Script::ConnectToWorld();
  GameData::ConnectCombat();
  GameData::ConnectSpellModule();
  GameData::ConnectThreadErrorReport(ShowThreadError);
  int exitCode = 0;
  try {
    InitApplication();
    exitCode = DXApplication->Run();
  } catch (const std::exception& e) {
    DXApplication->ShowException(e);
    if (DXApplication->hWnd) DXApplication->DestroyWindow();
    // The shell and scripts learn that the program ended on an error.
    exitCode = 1;
  }
  // The window's destroy ran the shutdown already unless the window never came.
  Shutdown();
  GameData::ConnectThreadErrorReport(nullptr);
  Plat::Install(nullptr);
  return exitCode;
}
