// What the front end asks of the game controller, which lies beside it: the
// controller implements this and connects it when it is made.
#pragma once

#include <string>

#include "engine/base/types.h"
#include "frontend/game_params.h"

namespace GameData {
class TScenario;
}

namespace Main {

class TGameLink {
 public:
  virtual ~TGameLink() = default;

  // A game with a scenario is running (the current scenario is not null).
  virtual bool ScenarioRunning() const = 0;
  // The game windows come back with the map music.
  virtual void Activate() = 0;
  // Replaces the current scenario; raises on failure. Runs on the loading
  // screen's worker.
  virtual void LoadScenario(const std::string& name, i32 missionNumber) = 0;
  // Writes the mission-start save "auto%02d.sav".
  virtual void AutoSaveMission() = 0;
  virtual void StartGame(const TGameParams& params) = 0;
  // Into the save directory; both raise on failure.
  virtual void SaveGame(const std::string& fileName, bool missionStart, bool withTransfer) = 0;
  // Reads a save and replaces the scenario; runs on the loading screen's
  // worker. BindLoadedGame then finishes it on the main thread.
  virtual void LoadGame(const std::string& fileName) = 0;
  virtual void BindLoadedGame() = 0;
  // No scenario afterwards, game type 0.
  virtual void CloseScenario() = 0;
  // The seven settings into "orvandia.ini".
  virtual void SaveSettings() = 0;
  // The loaded scenario, null when none.
  virtual GameData::TScenario* CurrentScenario() const = 0;
};

// Null while no controller exists.
extern TGameLink* GameLink;

}  // namespace Main
