// The game's windows as the controller drives them: the map window, the mini
// map, the command buttons, the group panel, the city window, the battle
// screen and the conversation window. This is what the controller needs of
// them so far (binding, showing, the view, and the world changes that the
// city actions and battles make on every machine); their drawing and input
// come with the windows themselves.
#pragma once

#include "engine/base/types.h"

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

class TMapWindow : public TGameWindow {
 public:
  void SetScenario(GameData::TScenario* scenario) override;
  // The whole picture is drawn anew on the next paint.
  void Invalidate() { RedrawAll = 1; }
  // Scrolls the view to the map pixel in steps update steps (0: at once);
  // with acknowledge the current player's result word becomes 1 once there.
  void CentreOn(i32 x, i32 y, i32 steps, bool acknowledge);
  bool IsInView(i32 x, i32 y) const;
  void HideClickMarker() { ClickMarker = 0; }
  // One update step of the window.
  void Update();

  u8 RedrawAll = 0;
  u8 Centring = 0;
  u8 Acknowledge = 0;
  u8 ClickMarker = 0;
};

class TSmallMapWindow : public TGameWindow {};
class TButtonWindow : public TGameWindow {};

class TGroupInfoWindow : public TGameWindow {
 public:
  void UpdatePanels() {}
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

// The conversation window while a page is shown modally.
class TTalkDialog {
 public:
  void EndWithResult(i32 result) { ModalResult = result; }
  i32 ModalResult = 0;
};

}  // namespace Main
