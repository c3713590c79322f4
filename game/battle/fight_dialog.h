// The battle screen.
#pragma once

#include "engine/base/types.h"

namespace GameData {
class TGroup;
class TCity;
}  // namespace GameData

namespace Main {

// Until it is drawn, every battle is resolved unseen with
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
