// The computer opponent's state of one player. The game world keeps it in
// step with the units the player owns; the planning comes with the
// computer opponent itself.
#pragma once

#include <memory>

#include "engine/data/data_list.h"
#include "world/scenario/opponent.h"

namespace AIHandler {

// The opponent's record of one of its units.
class TAIUnit : public Data::TDataObject {
 public:
  u32 UnitID = 0;
  u8 Alive = 0;
};

class TAIHandler : public GameData::TOpponent {
 public:
  explicit TAIHandler(GameData::TPlayer* player) : Player(player) {}

  void Clear() override;
  // Always true.
  bool AddUnit(GameData::TUnit* unit) override;
  // False when this handler holds no record of the unit.
  bool RemoveUnit(GameData::TUnit* unit, bool dropTargetingTasks) override;
  TAIUnit* FindAIUnit(const GameData::TUnit* unit) const;
  // The computer player's turn, on its thread: announces the turn, then ends it.
  void TakeTurn() override;

  GameData::TPlayer* Player;
  u32 NextID = 1;
  Data::TDataList<TAIUnit> Units{true};
};

// Makes every new player's opponent a TAIHandler; called once at start-up.
void ConnectToWorld();

}  // namespace AIHandler
