// Program entry: loads the global data, opens the window and runs the frame loop.
#include <cstdio>
#include <exception>
#include <memory>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "engine/dsframe/dsframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/platform.h"
#include "engine/platform/sdl_platform.h"
#include "game/sound_system.h"
#include "game/standin_display.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"

namespace {

Main::TStandInDisplay* display = nullptr;

void OnDestroy() { DXApplication->DetachWindow(); }
void OnUpdate() {}

void OnRender() {
  Main::DrawStandInPicture(display->Pixels(), Main::TStandInDisplay::Width, Main::TStandInDisplay::Height,
                           DXApplication->GameTime);
  display->Present();
}

void ShowThreadError(const std::exception& e) { DXApplication->ShowException(e); }

void OnMessage(Plat::UINT msg, Plat::WPARAM wParam, Plat::LPARAM) {
  if (msg == Plat::WM_KEYDOWN && wParam == Plat::VK_ESCAPE) DXApplication->Terminate();
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
  GameData::ConnectThreadErrorReport(ShowThreadError);
  auto standIn = std::make_unique<Main::TStandInDisplay>();
  display = standIn.get();
  int exitCode = 1;
  try {
    DXApplication->Create(nullptr, "Orvandia", "OrvandiaWindow", 0xA0, 100, OnDestroy, OnUpdate, OnRender, nullptr,
                          nullptr, nullptr, nullptr, OnMessage);
    DXApplication->Display = display;
    Main::CreateSoundSystem();
    Data::InitData();
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    DXApplication->SetFullscreen(-1, 50, 50, 800, 600);
    // The menu's music, until the menu itself exists.
    GameData::PlayMusic(Data2::GlobalData->MenuMusicID, Main::MusicVolume, 0, false);
    exitCode = DXApplication->Run();
  } catch (const std::exception& e) {
    DXApplication->ShowException(e);
  }
  GameData::ConnectThreadErrorReport(nullptr);
  if (DSFramework) DSFramework->StopAll();
  Data2::FreeGlobalData();
  Data2::FreeArchives();
  Main::DeleteSoundSystem();
  DXApplication->Display = nullptr;
  Plat::Install(nullptr);
  return exitCode;
}
