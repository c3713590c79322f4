// The game's windows as the controller drives them (the map window, the
// mini map, the command buttons, the group panel and the conversation window
// have files of their own): the city window and the battle screen. This is
// what the controller needs of them so far (binding, showing, the view, and
// the world changes that the city actions and battles make on every machine); their drawing and input
// come with the windows themselves.
#pragma once

#include "engine/base/types.h"
#include "game/group_panel.h"

namespace GameData {
class TScenario;
class TGroup;
class TCity;
}  // namespace GameData

namespace Main {

// The base of the windows shown and hidden with the game.
class TGameWindow {
 public:
  virtual ~TGameWindow() = default;
  virtual void SetScenario(GameData::TScenario* scenario) { Scenario = scenario; }
  void Show() { Visible = 1; }
  void Hide() { Visible = 0; }

  GameData::TScenario* Scenario = nullptr;
  u8 Visible = 0;
};

// Executes the city actions for whichever player posts them.
class TCityWindow : public TGameWindow {
 public:
  void SetScenario(GameData::TScenario* scenario) override;
  void Open(GameData::TCity* city, GameData::TGroup* group);
  void CloseCity();
  void MoveUnit(i32 fromList, u32 unitID, i32 toList, i32 slot);
  void VisitMerchant(i32 index);
  void ExecutePurchase(u32 kind, u32 unitID, i32 playerIndex, i32 number);
  // The building buttons follow the merchants present; drawn with the window.
  void LayoutBuildingButtons() {}

  GameData::TCity* City = nullptr;
  // -1 the square, 0..3 a merchant's building.
  i32 Building = -1;

 private:
  bool ViewerIsCurrent() const;
};

// The battle screen. Until it is drawn, every battle is resolved unseen with
// the battle engine's rules and automatic orders for both sides.
class TFightDialog {
 public:
  void StartBattle(GameData::TGroup* attacker, GameData::TGroup* defender);
  void StartCityBattle(GameData::TGroup* attacker, GameData::TCity* city, i32 slot);
  // Shows the prepared battle until it has ended.
  void Execute();
  void ResolveBattle(GameData::TGroup* attacker, GameData::TGroup* defender);
  void ResolveCityBattle(GameData::TGroup* attacker, GameData::TCity* city, i32 slot);
  // The orders of one battle side: its request and three 16-byte orders.
  void SetOrders(u32, const u32*) {}

 private:
  GameData::TGroup* Attacker = nullptr;
  GameData::TGroup* Defender = nullptr;
};

}  // namespace Main
