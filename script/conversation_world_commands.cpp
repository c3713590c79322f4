// Conversation commands on what belongs to the players (relations, fog,
// cities, gold) and on the state of quests and objectives.
#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/map/fog.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace Script {

using GameData::TCity;

GameData::TCity* TConversationCommands::FindCity(i32 id) {
  GameData::TMapObject* object = World().FindMapObject(static_cast<u32>(id));
  return object && object->Type == GameData::otCity ? static_cast<TCity*>(object) : nullptr;
}

bool TConversationCommands::ChangeRelation(std::string_view params, std::string&) {
  i32 a = TakeExpression(params);
  const i32 b = TakeExpression(params);
  const i32 relation = TakeExpression(params);
  CheckNoMoreParameters(params);
  if (a < 0) a = GroupOwner();
  const i32 players = World().PlayerCount();
  if (a > 4 || a >= players) RaiseScriptError("ChangeRelation:Invalid 1st player index!");
  if (b < 0 || b > 4 || b >= players) RaiseScriptError("ChangeRelation:Invalid 2nd player index!");
  if (relation < 0 || relation > 2) RaiseScriptError("ChangeRelation:Invalid relation!");
  World().Players[a]->Relations[b] = static_cast<i8>(relation);
  World().Players[b]->Relations[a] = static_cast<i8>(relation);
  for (GameData::TMapObject* object : World().MapObjects)
    if (object->Type == GameData::otCity) static_cast<TCity*>(object)->RemoveHostileUnits();
  World().UpdateFogAll();
  World().UpdateOccupancy();
  if (GameData::TPlayer* current = World().PlayerAt(World().CurrentPlayerIndex))
    if (const GameData::TGroup* group = current->GetSelectedGroup())
      World().ComputeMoveCosts(group->FieldX(), group->FieldY(), group);
  return true;
}

bool TConversationCommands::SetFogArea(std::string_view params, std::string&) {
  const i32 areaID = TakeExpression(params);
  const i32 reveal = TakeExpression(params);
  i32 player = TakeOptionalExpression(params, -1);
  CheckNoMoreParameters(params);
  if (player < 0) player = GroupOwner();
  if (player > 4 || player >= World().PlayerCount()) RaiseScriptError("SetFogArea: invalid player.");
  if (reveal < 0 || reveal > 2) RaiseScriptError("SetFogArea: invalid reveal value.");
  GameData::TArea* area = nullptr;
  try {
    area = World().Areas.FindByID(static_cast<u32>(areaID));
  } catch (const std::exception& e) {
    RaiseScriptError(e.what());
  }
  GameData::TPlayer* owner = World().Players[player];
  // Area 0 names no area: nothing to apply.
  if (area && owner->Fog) {
    if (reveal == 0)
      owner->Fog->HideArea(*area);
    else if (reveal == 1)
      owner->Fog->RaiseArea(*area, GameData::fsExplored);
    else
      owner->SightAreas.push_back(area);
  }
  owner->UpdateFog();
  return true;
}

bool TConversationCommands::SetCityOwner(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  i32 player = TakeOptionalExpression(params, -1);
  i32 mode = TakeOptionalExpression(params, 0);
  CheckNoMoreParameters(params);
  GameData::TMapObject* object = World().FindMapObject(static_cast<u32>(id));
  if (!object) RaiseScriptError(Base::Format("City object not found! ID = %d.", static_cast<int>(id)));
  if (object->Type != GameData::otCity) RaiseScriptError(Base::Format("Object not city! ID=%d", static_cast<int>(id)));
  if (player < 0) player = World().CurrentPlayerIndex;
  CheckPlayerIndex(player);
  // Mode 0 and modes outside 1 to 3 hand the city over as mode 1 does.
  if (mode < 1 || mode > 3) mode = 1;
  static_cast<TCity*>(object)->SetOwner(player, mode);
  return true;
}

bool TConversationCommands::GetController(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  const TCity* city = FindCity(id);
  if (!city) RaiseScriptError(Base::Format("City object not found! ID = %d.", static_cast<int>(id)));
  SetLocal0(city->Owner);
  return true;
}

bool TConversationCommands::GetMoney(std::string_view params, std::string&) {
  i32 player = TakeOptionalExpression(params, -1);
  CheckNoMoreParameters(params);
  if (player == -1) player = GroupOwner();
  CheckPlayerIndex(player);
  SetLocal0(static_cast<i32>(World().Players[player]->Gold));
  return true;
}

namespace {

// How a command words its two lookup failures; the ID completes each text.
struct TQuestWording {
  std::string_view NotFound;
  std::string_view WrongType;
  std::string_view AfterID;
};

constexpr TQuestWording QuestStateWording{"Quest with qiven ID not found! ID=",
                                          "TQuestObjective is not of Quest type! ID=", ""};
constexpr TQuestWording ObjectiveStateWording{"Objective with qiven ID not found! ID=",
                                              "TQuestObjective is not of Objective type! ID=", ""};
constexpr TQuestWording ResetQuestWording{"Quest/Objective not found: ", "Quest/Objective is not of quest type: ",
                                          "."};

GameData::TQuestObjective& RequireQuest(TScriptValues& script, GameData::TScenario& scenario, i32 id,
                                        GameData::TQuestType type, const TQuestWording& wording) {
  const auto message = [&](std::string_view words) {
    return std::string(words) + std::to_string(id) + std::string(wording.AfterID);
  };
  GameData::TQuestObjective* quest =
      scenario.QuestObjectives ? scenario.QuestObjectives->LookupByID(static_cast<u32>(id)) : nullptr;
  if (!quest) script.RaiseScriptError(message(wording.NotFound));
  if (quest->Type != type) script.RaiseScriptError(message(wording.WrongType));
  return *quest;
}

}  // namespace

bool TConversationCommands::GetQuestState(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  SetLocal0(RequireQuest(*this, World(), id, GameData::qtQuest, QuestStateWording).State);
  return true;
}

bool TConversationCommands::GetObjectiveState(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  SetLocal0(RequireQuest(*this, World(), id, GameData::qtObjective, ObjectiveStateWording).State);
  return true;
}

bool TConversationCommands::ResetQuest(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  RequireQuest(*this, World(), id, GameData::qtQuest, ResetQuestWording).Reset();
  return true;
}

bool TConversationCommands::ShowQuestHeroName(std::string_view params, std::string& output) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  output += RequireQuest(*this, World(), id, GameData::qtQuest, QuestStateWording).HeroName;
  return true;
}

}  // namespace Script
