// The game controller as the front end reaches it.
#include "frontend/game_link.h"
#include "game/control/game.h"
#include "world/scenario/scenario.h"

namespace Main {

namespace {

class TControllerLink : public TGameLink {
 public:
  bool ScenarioRunning() const override { return Game && Game->Scenario; }
  void Activate() override { Game->Activate(); }
  void LoadScenario(const std::string& name, i32 missionNumber) override { Game->LoadScenario(name, missionNumber); }
  void AutoSaveMission() override { Game->AutoSaveMission(); }
  void StartGame(const TGameParams& params) override { Game->StartGame(params); }
  void SaveGame(const std::string& fileName, bool missionStart, bool withTransfer) override {
    Game->SaveGame(fileName, missionStart, withTransfer);
  }
  void LoadGame(const std::string& fileName) override { Game->ReadGame(fileName); }
  void BindLoadedGame() override { Game->BindLoadedGame(); }
  void CloseScenario() override { Game->CloseScenario(); }
  void SaveSettings() override { Game->SaveSettings(); }
  GameData::TScenario* CurrentScenario() const override { return Game ? Game->Scenario.get() : nullptr; }
};

TControllerLink ControllerLink;

}  // namespace

void ConnectGameLink(bool connect) { GameLink = connect ? &ControllerLink : nullptr; }

}  // namespace Main
