// The city window. Until its screen is drawn it is the executor of the city
// actions for whichever player posts them.
#pragma once

#include "engine/base/types.h"
#include "game/control/game_window.h"

namespace GameData {
class TScenario;
class TGroup;
class TCity;
}  // namespace GameData

namespace Main {

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

}  // namespace Main
