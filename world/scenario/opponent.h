// What the game world tells a player's computer opponent and asks of it. The
// computer opponent implements it and connects its maker at start-up, so the
// world never depends on the planner.
#pragma once

#include <memory>

#include "engine/data/data_object.h"

namespace GameData {

class TPlayer;
class TUnit;

// Its stream lies inside the player's stream.
class TOpponent : public Data::TDataObject {
 public:
  // A unit joined a group or city of this player.
  virtual bool AddUnit(TUnit* unit) = 0;
  // A unit left; false when the opponent held no record of it.
  virtual bool RemoveUnit(TUnit* unit, bool dropTargetingTasks) = 0;
  // The computer player's whole turn, on the player's thread.
  virtual void TakeTurn() = 0;

  // Scripts steer the opponent only through messages it queues and applies
  // in its own turn. Task and army IDs are its own; an opponent that keeps
  // none has none. A message onto a full queue is dropped (false).
  virtual bool HasTask(u32) const { return false; }
  virtual bool HasArmy(u32) const { return false; }
  virtual bool HasAIUnit(const TUnit*) const { return false; }
  virtual bool PostDeleteTask(u32) { return false; }
  virtual bool PostAssignUnitTask(u32, u32) { return false; }
  virtual bool PostUnassignUnitTask(u32) { return false; }
  virtual bool PostAssignArmyTask(u32, u32) { return false; }
  virtual bool PostUnassignArmyTask(u32) { return false; }
  virtual bool PostAddUnitArmy(u32, u32) { return false; }
  virtual bool PostRemoveUnitArmy(u32) { return false; }
  virtual bool PostActivateTask(u32) { return false; }
  virtual bool PostDeactivateTask(u32) { return false; }
};

using TOpponentMaker = std::unique_ptr<TOpponent> (*)(TPlayer* player);

// A null maker disconnects.
void ConnectOpponent(TOpponentMaker maker);
bool IsOpponentConnected();
// The maker connected now, null when none.
TOpponentMaker ConnectedOpponent();
// Every player gets one; raises std::logic_error while none is connected.
std::unique_ptr<TOpponent> MakeOpponent(TPlayer* player);

}  // namespace GameData
