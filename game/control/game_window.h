// The base of the game's full-screen windows, which the controller shows and
// hides with the game.
#pragma once

#include "engine/base/types.h"

namespace GameData {
class TScenario;
}  // namespace GameData

namespace Main {

class TGameWindow {
 public:
  virtual ~TGameWindow() = default;
  virtual void SetScenario(GameData::TScenario* scenario) { Scenario = scenario; }
  void Show() { Visible = 1; }
  void Hide() { Visible = 0; }

  GameData::TScenario* Scenario = nullptr;
  u8 Visible = 0;
};

}  // namespace Main
