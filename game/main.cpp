// Program entry: the window, the display framework in full screen, the
// sound, the intro videos, the data behind the loading screen, the game, the
// main menu and the frame loop until the program is asked to end.
// "--log-startup" prints the time from launch to the first drawn frame of
// the menu and of a game and how each intro video ended,
// "--log-actions" every executed action record with the view position after
// it, the round and the gold of player 1 whenever a game or the menu over
// a game comes on screen, and each round of a battle on the battle screen as
// its orders are awaited.
#include <chrono>
#include <cstdio>
#include <cstring>
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
#include "game/battle/fight_dialog.h"
#include "game/control/game.h"
#include "game/control/shell.h"
#include "game/control/sound_system.h"
#include "game/control/start_up.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"

namespace {

D3DFrame::TFrameworkDisplayLink displayLink;

const auto Launch = std::chrono::steady_clock::now();
bool LogStartup = false;
bool StartingUp = false;
bool LogActions = false;

void PrintAction(const GameData::TActionRecord& r) {
  const GameData::TScenario* s = Game ? Game->Scenario.get() : nullptr;
  std::fprintf(stderr, "action %u %u %u %u %u %u %u %u view %d %d\n", r.Words[0], r.Words[1], r.Words[2], r.Words[3],
               r.Words[4], r.Words[5], r.Words[6], r.Words[7], s ? s->ViewX : 0, s ? s->ViewY : 0);
}

long long MillisecondsSinceLaunch() {
  return static_cast<long long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Launch).count());
}

bool MenuFrameLogged = false;
bool GameFrameLogged = false;
bool GameShown = false;
bool MenuShown = false;
// The battle round on screen; 0 without a battle.
int BattleRound = 0;

// Round and gold of player 1 of the loaded game, for the logs.
void PrintRoundAndGold(const char* screen) {
  const GameData::TPlayer* first = Game->Scenario->PlayerAt(1);
  std::fprintf(stderr, "%s round %d gold %u\n", screen, static_cast<int>(Game->Scenario->Round), first ? first->Gold : 0u);
}

// The shell's render step; the first frames drawn with the menu and with a
// game on screen are logged on request, and so is each return to a game.
void RenderFrame() {
  Main::RenderFrame();
  const bool menu = MainMenu && MainMenu->IsVisible();
  // A game's first frame may be its introduction.
  const bool game = Game && Game->Scenario;
  const bool active = game && Game->Active;
  if (LogStartup && menu && !MenuFrameLogged) {
    MenuFrameLogged = true;
    std::fprintf(stderr, "startup: first frame of the menu after %lld ms\n", MillisecondsSinceLaunch());
  }
  if (LogStartup && game && !GameFrameLogged) {
    GameFrameLogged = true;
    std::fprintf(stderr, "startup: first frame of the game after %lld ms\n", MillisecondsSinceLaunch());
  }
  if (LogActions && active && !GameShown) PrintRoundAndGold("game");
  if (LogActions && menu && game && !MenuShown) PrintRoundAndGold("menu");
  GameShown = active;
  MenuShown = menu;
  // A round that ended shows as the next one's orders; the last one ends the battle.
  const Main::TFightDialog* fight = game ? Game->FightDialog.get() : nullptr;
  const int round = fight && fight->BattleShown() ? fight->Rounds + 1 : 0;
  if (LogActions && round > BattleRound) std::fprintf(stderr, "battle round %d\n", round);
  BattleRound = round;
}

// Only 16-bit modes of 640 x 480, 800 x 600 and 1024 x 768.
bool DisplayModeFilter(const Plat::TSurfaceDesc* mode) {
  if (mode->PixelFormat.BitCount != 16) return false;
  return (mode->Width == 640 && mode->Height == 480) || (mode->Width == 800 && mode->Height == 600) ||
         (mode->Width == 1024 && mode->Height == 768);
}

void ShowThreadError(const std::exception& e) { DXApplication->ShowException(e); }

void LogVideo(const std::string& path) { std::fprintf(stderr, "video: playing %s\n", path.c_str()); }

// Everything after the window, in reverse order; safe after a start-up that
// failed halfway.
void Shutdown() {
  // A worker still loading reads the data freed below.
  Main::WaitForLoadingWork();
  if (DSFramework) DSFramework->StopAll();
  Main::DeleteGame();
  Main::DeleteInterface();
  Data2::FreeGlobalData();
  Data2::FreeMainData();
  Data2::FreeArchives();
  Gfx::Shutdown();
  DXApplication->Display = nullptr;
  delete D3DFramework;
  D3DFramework = nullptr;
  Main::DeleteSoundSystem();
}

// Inside a nested frame loop (the loading screen, a modal window) the code
// that runs it still holds the objects: the shutdown then follows once the
// outer loop has ended.
void OnDestroy() {
  if (DXApplication->ModalDepth == 0 && !StartingUp) Shutdown();
  DXApplication->DetachWindow();
}

void InitApplication() {
  // Alt+Enter switches between full screen and a window.
  DXApplication->Create(nullptr, "Orvandia", "OrvandiaWindow", 0xA0 | DXApp::AppAltEnterSwitch, 100, OnDestroy,
                        Main::UpdateFrame, RenderFrame, Main::RestoreSurfaces, Main::BeforeModeChange,
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
  VideoWindow->DeleteSoundSystem = Main::DeleteSoundSystem;
  VideoWindow->RestartSoundSystem = Main::RestartSoundSystem;
  DXApplication->OnDeactivate = [] {
    if (VideoWindow) VideoWindow->Suspend();
  };
  DXApplication->OnActivate = [] {
    if (VideoWindow) VideoWindow->Resume();
  };
  if (LogStartup) VideoWindow->OnOpened = LogVideo;
  Main::PlayIntroVideos(LogStartup);
  LoadingScreen->Run(Data2::CreateGlobalData);
  // Asked to end while loading.
  if (DXApplication->Quit) return;
  Main::CreateGame();
  if (LogActions) Game->OnActionExecuted = PrintAction;
  MainMenu->Open(0);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--log-startup") == 0) LogStartup = true;
    else if (std::strcmp(argv[i], "--log-actions") == 0) LogActions = true;
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
    StartingUp = true;
    InitApplication();
    StartingUp = false;
    if (!DXApplication->Quit) exitCode = DXApplication->Run();
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
