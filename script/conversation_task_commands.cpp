// Conversation commands that steer the computer opponents: they never touch
// its tasks, armies or units, they queue messages on the opponent that holds
// them, which its next planning pass applies.
#include <vector>

#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/scenario/opponent.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TOpponent;
using GameData::TPlayer;
using GameData::TUnit;

namespace {

std::string Id(i32 id) { return std::to_string(id); }
std::string TaskNotFound(i32 task) { return Base::Format("Task with given ID not found: %d", static_cast<int>(task)); }

// The player whose opponent answers first, in player order.
template <class Has>
TPlayer* FirstOpponentWith(const GameData::TScenario& scenario, Has has) {
  for (TPlayer* player : scenario.Players)
    if (player->AIHandler && has(*player->AIHandler)) return player;
  return nullptr;
}

TPlayer* TaskHolder(const GameData::TScenario& scenario, i32 taskID) {
  return FirstOpponentWith(scenario, [taskID](const TOpponent& o) { return o.HasTask(static_cast<u32>(taskID)); });
}

TPlayer* ArmyHolder(const GameData::TScenario& scenario, i32 armyID) {
  return FirstOpponentWith(scenario, [armyID](const TOpponent& o) { return o.HasArmy(static_cast<u32>(armyID)); });
}

bool IsOffline(const TUnit& unit) { return !unit.GetGroup() && !unit.GetCity(); }

}  // namespace

std::vector<i32> TConversationCommands::TakeIDList(std::string_view& params) {
  std::vector<i32> ids;
  while (const i32 id = TakeOptionalExpression(params, 0)) ids.push_back(id);
  return ids;
}

TOpponent& TConversationCommands::OpponentWithTask(i32 task, const std::string& missing) {
  TPlayer* holder = TaskHolder(World(), task);
  if (!holder) RaiseScriptError(missing);
  return *holder->AIHandler;
}

bool TConversationCommands::ActivateTask(std::string_view params, std::string&) {
  const i32 task = TakeExpression(params);
  CheckNoMoreParameters(params);
  OpponentWithTask(task, TaskNotFound(task)).PostActivateTask(static_cast<u32>(task));
  return true;
}

bool TConversationCommands::DeactivateTask(std::string_view params, std::string&) {
  const i32 task = TakeExpression(params);
  CheckNoMoreParameters(params);
  OpponentWithTask(task, TaskNotFound(task)).PostDeactivateTask(static_cast<u32>(task));
  return true;
}

bool TConversationCommands::DeleteTask(std::string_view params, std::string&) {
  const i32 task = TakeExpression(params);
  CheckNoMoreParameters(params);
  const std::string missing = "[DeleteTask] Task with given ID not found: " + Id(task);
  OpponentWithTask(task, missing).PostDeleteTask(static_cast<u32>(task));
  return true;
}

bool TConversationCommands::AssignArmy(std::string_view params, std::string&) {
  const i32 task = TakeExpression(params);
  const i32 army = TakeExpression(params);
  CheckNoMoreParameters(params);
  OpponentWithTask(task, "[AssignArmy] Task with given ID not found: " + Id(task))
      .PostAssignArmyTask(static_cast<u32>(army), static_cast<u32>(task));
  return true;
}

bool TConversationCommands::UnassignArmy(std::string_view params, std::string&) {
  const i32 army = TakeExpression(params);
  CheckNoMoreParameters(params);
  TPlayer* holder = ArmyHolder(World(), army);
  if (!holder) RaiseScriptError("[UnAssignArmy] Army with given ID not found: " + Id(army));
  holder->AIHandler->PostUnassignArmyTask(static_cast<u32>(army));
  return true;
}

bool TConversationCommands::AssignUnits(std::string_view params, std::string&) {
  const i32 task = TakeExpression(params);
  const std::vector<i32> units = TakeIDList(params);
  if (units.empty()) RaiseScriptError(Base::Format("Command should have at least %d parameters!", 1));
  TPlayer* holder = TaskHolder(World(), task);
  if (!holder) RaiseScriptError(TaskNotFound(task));
  for (const i32 id : units) {
    const TUnit* unit = World().FindUnit(static_cast<u32>(id));
    if (!unit) continue;
    if (IsOffline(*unit)) RaiseScriptError("[AssignUnits] Unit with id: " + Id(id) + " is offline!");
    if (unit->GetOwner() != holder)
      RaiseScriptError("[AssignUnits] Unit with id: " + Id(id) + " doesn't have good player!");
    if (!holder->AIHandler->HasAIUnit(unit))
      RaiseScriptError("[AssignUnits] Unit with id: " + Id(id) + " doesn't have an AIUnit!");
    holder->AIHandler->PostAssignUnitTask(unit->ID, static_cast<u32>(task));
  }
  return true;
}

bool TConversationCommands::AssignUnitsArmy(std::string_view params, std::string&) {
  const i32 army = TakeExpression(params);
  const std::vector<i32> units = TakeIDList(params);
  if (units.empty()) RaiseScriptError("[AssignUnitsArmy] Command should have at least 2 parameters!");
  TPlayer* holder = ArmyHolder(World(), army);
  if (!holder) RaiseScriptError("[AssignUnitsArmy] Army with given ID not found: " + Id(army));
  for (const i32 id : units) {
    const TUnit* unit = World().FindUnit(static_cast<u32>(id));
    if (!unit) continue;
    if (IsOffline(*unit))
      RaiseScriptError("[AssignUnitsArmy] Unit with id: " + Id(id) + " is offline!");
    if (unit->GetOwner() != holder) continue;
    if (!holder->AIHandler->HasAIUnit(unit))
      RaiseScriptError("[AssignUnitsArmy] Unit with id: " + Id(id) + " doesn't have an AIUnit!");
    holder->AIHandler->PostAddUnitArmy(unit->ID, static_cast<u32>(army));
  }
  return true;
}

bool TConversationCommands::UnassignUnits(std::string_view params, std::string&) {
  const std::vector<i32> units = TakeIDList(params);
  if (units.empty()) RaiseScriptError("[UnAssignUnits] Command should have at least 1 parameter!");
  for (const i32 id : units) {
    const TUnit* unit = World().FindUnit(static_cast<u32>(id));
    if (!unit) continue;
    TPlayer* holder = FirstOpponentWith(World(), [unit](const TOpponent& o) { return o.HasAIUnit(unit); });
    if (!holder) RaiseScriptError("[UnAssignUnits] Unit with id: " + Id(id) + " doesn't have an AI unit!");
    holder->AIHandler->PostUnassignUnitTask(unit->ID);
  }
  return true;
}

bool TConversationCommands::UnassignUnitsArmy(std::string_view params, std::string&) {
  const std::vector<i32> units = TakeIDList(params);
  if (units.empty()) RaiseScriptError("[UnAssignUnitsArmy] Command should have at least 1 parameter!");
  for (const i32 id : units) {
    const TUnit* unit = World().FindUnit(static_cast<u32>(id));
    if (!unit) continue;
    bool posted = false;
    for (TPlayer* player : World().Players) {
      if (!player->AIHandler || !player->AIHandler->HasAIUnit(unit)) continue;
      if (posted) RaiseScriptError("AIUnit in two AIHandlers!");
      player->AIHandler->PostRemoveUnitArmy(unit->ID);
      posted = true;
    }
    if (!posted) RaiseScriptError("[UnAssignUnitsArmy] Unit with id: " + Id(id) + " doesn't have an AI Unit!");
  }
  return true;
}

}  // namespace Script
