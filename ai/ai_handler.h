// The computer opponent's state of one player. The game world keeps it in
// step with the units the player owns; the planning comes with the
// computer opponent itself.
#pragma once

#include "engine/data/data_list.h"

namespace GameData {
class TPlayer;
class TUnit;
}  // namespace GameData

namespace AIHandler {

// The opponent's record of one of its units.
class TAIUnit : public Data::TDataObject {
 public:
  u32 UnitID = 0;
  u8 Alive = 0;
};

class TAIHandler : public Data::TDataObject {
 public:
  explicit TAIHandler(GameData::TPlayer* player) : Player(player) {}

  void Clear() override;
  // Always true.
  bool AddUnit(GameData::TUnit* unit);
  // False when this handler holds no record of the unit.
  bool RemoveUnit(GameData::TUnit* unit, bool dropTargetingTasks);
  TAIUnit* FindAIUnit(const GameData::TUnit* unit) const;
  // The computer player's turn, on its thread: announces the turn, then ends it.
  void TakeTurn();

  GameData::TPlayer* Player;
  u32 NextID = 1;
  Data::TDataList<TAIUnit> Units{true};
};

}  // namespace AIHandler
