#include "game/control/start_up.h"

#include <exception>

#include "engine/data/archive.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/system/files.h"
#include "frontend/front_end.h"
#include "game/control/game.h"
#include "world/data2/global_data.h"

namespace Main {

void PlayIntroVideos() {
  if (!VideoWindow) return;
  for (i32 i = 0; i < 3; ++i) {
    const std::string path = Data::DataPath + "Video" + "\\" + VideoNames[static_cast<std::size_t>(i)];
    if (i == 0 && !Plat::FileExists(path)) continue;
    VideoWindow->Play(path);
  }
}

void StartNewCampaign() {
  if (!Game || !LoadingScreen || !Data2::GlobalData || Data2::GlobalData->MissionCount < 1) return;
  LoadingScreen->RunMethod([] { Game->LoadScenario(Data2::GlobalData->MissionFiles[0], 1); });
  // Asked to end while loading.
  if (DXApplication->Quit || !Game->Scenario) return;
  // The start save's picture is read from the back buffer, which only the
  // main thread touches: it is saved here, once the worker has finished,
  // and a save that cannot be written is reported as the game's own are.
  try {
    Game->AutoSaveMission();
  } catch (const std::exception& e) {
    Game->AddMessage(e.what());
  }
  TGameParams params;
  params.SetDefaults();
  Game->StartGame(params);
}

void ConnectStandInMenu() {
  if (!MainMenu) return;
  MainMenu->OnOpen = [](i32 page) {
    static bool started = false;
    if (!started) {
      started = true;
      MainMenu->Visible = 0;
      StartNewCampaign();
    } else if (page == 0 || !Game || !Game->Scenario) {
      DXApplication->Terminate();
    } else {
      MainMenu->Visible = 0;
      Game->Activate();
    }
  };
}

}  // namespace Main
