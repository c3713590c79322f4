// The computer opponent's stream as the demo scenarios carry it, written by
// the builder's own code: one AI unit for each unit of a player's groups and
// cities (IDs from 10000, the next ID above them), tasks and armies the
// scenario authors, and an empty script queue. It also reads such a stream
// back unchanged, so the world's tests can load and save the demo files
// without the computer opponent itself.
#pragma once

#include <string>
#include <vector>

#include "engine/data/stream.h"
#include "world/scenario/opponent.h"

namespace Builder {

class TDemoOpponent : public GameData::TOpponent {
 public:
  struct TUnitRecord {
    u32 ID = 0;
    u8 Assigned = 0;
    i32 Score = 0;
    u8 Alive = 1;
    u32 FitnessID = 0;
    u32 UnitID = 0;
    u8 InArmy = 0;
    u32 ArmyID = 0;
  };
  struct TTarget {
    u32 ObjectID = 0;
    u32 Kind = 0;
    i32 FieldX = -1;
    i32 FieldY = -1;
    i32 Radius = 0;
    u8 Valid = 1;
  };

  // A unit already recorded is not recorded twice.
  bool AddUnit(GameData::TUnit* unit) override;
  bool RemoveUnit(GameData::TUnit* unit, bool dropTargetingTasks) override;
  void TakeTurn() override {}
  void Clear() override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;

  // Authored plan: a task of the given type and target holding the AI units
  // of the game units (waiting when not active), and an army of the AI
  // units of game units; both return their IDs.
  u32 AddTask(u32 type, const TTarget& target, i32 priority, const std::vector<u32>& unitIDs, bool active = true);
  u32 AddArmy(const std::string& name, const std::vector<u32>& unitIDs);
  TUnitRecord* FindUnit(u32 unitID);

  u32 NextID = 10000;
  u32 PassFlag = 0;
  std::vector<TUnitRecord> Records;
  u32 TaskCount = 0;
  std::string TaskBytes;
  u32 ArmyCount = 0;
  std::string ArmyBytes;
  // The script queue's stream: its ID, the count and the messages.
  std::string QueueBytes = std::string(8, '\0');
};

// Connects TDemoOpponent while it lives, then what was connected before.
class TDemoOpponentConnection {
 public:
  TDemoOpponentConnection();
  ~TDemoOpponentConnection();
  TDemoOpponentConnection(const TDemoOpponentConnection&) = delete;
  TDemoOpponentConnection& operator=(const TDemoOpponentConnection&) = delete;

 private:
  GameData::TOpponentMaker Saved;
};

}  // namespace Builder
