// Script messages: the scenario's scripts steer the computer opponent only
// through these texts, which its turn applies in the order they came.
#include <optional>

#include "ai/ai_handler.h"
#include "engine/base/base.h"
#include "world/scenario/scenario.h"

namespace AIHandler {

namespace {

// Only the posting operations make messages, so their numbers always
// parse; a number that does not (a damaged save) drops the message.
std::optional<u32> NextNumber(std::string& text) {
  const std::string token = TAIScriptStack::NextToken(text);
  if (token.empty() || token.size() > 10) return std::nullopt;
  u64 value = 0;
  for (char c : token) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<u64>(c - '0');
  }
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<u32>(value);
}

}  // namespace

bool TAIHandler::PushMessage(const char* word, u32 first) {
  return ScriptStack.Push(Base::Format("%s%u", word, first));
}

bool TAIHandler::PushMessage(const char* word, u32 first, u32 second) {
  return ScriptStack.Push(Base::Format("%s%u %u", word, first, second));
}

bool TAIHandler::PostDeleteTask(u32 taskID) { return PushMessage("DELETE_TASK ", taskID); }
bool TAIHandler::PostAssignUnitTask(u32 unitID, u32 taskID) { return PushMessage("ASSIGN_UNIT_TASK ", unitID, taskID); }
bool TAIHandler::PostUnassignUnitTask(u32 unitID) { return PushMessage("UNASSIGN_UNIT_TASK ", unitID); }
bool TAIHandler::PostAssignArmyTask(u32 armyID, u32 taskID) { return PushMessage("ASSIGN_ARMY_TASK ", armyID, taskID); }
bool TAIHandler::PostUnassignArmyTask(u32 armyID) { return PushMessage("UNASSIGN_ARMY_TASK ", armyID); }
bool TAIHandler::PostAddUnitArmy(u32 unitID, u32 armyID) { return PushMessage("ADD_UNIT_ARMY ", unitID, armyID); }
bool TAIHandler::PostRemoveUnitArmy(u32 unitID) { return PushMessage("REMOVE_UNIT_ARMY ", unitID); }
bool TAIHandler::PostActivateTask(u32 taskID) { return PushMessage("ACTIVATE_TASK ", taskID); }
bool TAIHandler::PostDeactivateTask(u32 taskID) { return PushMessage("DEACTIVATE_TASK ", taskID); }

bool TAIHandler::ProcessScriptMessages() {
  bool any = false;
  while (ScriptStack.GetCount() >= 1) {
    any = true;
    ApplyMessage(ScriptStack.Pop());
  }
  return any;
}

void TAIHandler::ApplyMessage(std::string text) {
  const std::string word = TAIScriptStack::NextToken(text);
  // The AI unit of a game unit that the scenario still holds.
  auto aiUnit = [this](u32 unitID) -> TAIUnit* {
    if (!Scenario || !Scenario->Units.LookupByID(unitID)) return nullptr;
    return FindAIUnitByUnitID(unitID);
  };
  const std::optional<u32> a = NextNumber(text);
  if (!a) return;
  if (word == "DELETE_TASK") {
    if (TAITask* t = FindTask(*a)) DeleteTask(t);
  } else if (word == "UNASSIGN_UNIT_TASK") {
    if (TAIUnit* u = aiUnit(*a))
      if (TAITask* t = FindTaskOfUnit(u)) t->UnassignUnitIfFree(u);
  } else if (word == "UNASSIGN_ARMY_TASK") {
    if (TAIArmy* army = FindArmy(*a))
      for (TAITask* t : Tasks.Items)
        if (t->HasArmy(army)) {
          t->UnassignArmy(army);
          break;
        }
  } else if (word == "REMOVE_UNIT_ARMY") {
    if (TAIUnit* u = aiUnit(*a))
      if (TAIArmy* army = FindArmyOfUnit(u)) army->RemoveUnit(u);
  } else if (word == "ACTIVATE_TASK") {
    if (TAITask* t = FindTask(*a); t && t->Header.Target.Validate()) {
      t->Header.Target.UpdateField();
      t->Active = 1;
    }
  } else if (word == "DEACTIVATE_TASK") {
    if (TAITask* t = FindTask(*a)) t->Active = 0;
  } else {
    const std::optional<u32> b = NextNumber(text);
    if (!b) return;
    if (word == "ASSIGN_UNIT_TASK") {
      TAIUnit* u = aiUnit(*a);
      TAITask* t = FindTask(*b);
      if (u && t) t->AssignUnit(u);
    } else if (word == "ASSIGN_ARMY_TASK") {
      TAIArmy* army = FindArmy(*a);
      TAITask* t = FindTask(*b);
      if (army && t) t->AssignArmy(army);
    } else if (word == "ADD_UNIT_ARMY") {
      TAIUnit* u = aiUnit(*a);
      TAIArmy* army = FindArmy(*b);
      if (u && army) army->AddUnit(u);
    }
  }
}

}  // namespace AIHandler
