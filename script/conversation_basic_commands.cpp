// The core conversation commands: speaker marks and line feeds, variables
// and aliases, conditions, quests, names, gold, sound and armies.
#include <stdexcept>

#include "engine/base/base.h"
#include "engine/platform/system/text.h"
#include "script/conversation_commands.h"
#include "world/locations/city.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TGroup;
using GameData::TUnit;

GameData::TScenario& TConversationCommands::World() {
  if (!Scenario) RaiseScriptError("No scenario!");
  return *Scenario;
}

i32 TConversationCommands::GroupOwner() {
  if (!Conversation.Group) RaiseScriptError("No group to get PlayerIndex from!");
  return Conversation.Group->OwnerIndex;
}

void TConversationCommands::CheckPlayerIndex(i32 player) {
  // Indexes beyond the scenario's players name nobody; they are refused alike.
  if (player < 0 || player > 4 || player >= World().PlayerCount())
    RaiseScriptError(Base::Format("Invalid player index: %d.", static_cast<int>(player)));
}

bool TConversationCommands::Speaker0(std::string_view, std::string& output) {
  output += "<0>";
  return true;
}

bool TConversationCommands::Speaker1(std::string_view, std::string& output) {
  output += "<1>";
  return true;
}

bool TConversationCommands::Speaker2(std::string_view, std::string& output) {
  output += "<2>";
  return true;
}

bool TConversationCommands::Crlf(std::string_view, std::string& output) {
  output += '\n';
  return true;
}

bool TConversationCommands::Delete(std::string_view params, std::string&) {
  CheckNoMoreParameters(params);
  Conversation.Delete = 1;
  return true;
}

bool TConversationCommands::Set(std::string_view params, std::string&) {
  const std::string_view name = TakeParameter(params);
  const i32 value = TakeExpression(params);
  CheckNoMoreParameters(params);
  ResolveVariable(name) = value;
  return true;
}

namespace {

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

void SetAliasIn(std::vector<std::pair<std::string, i32>>& aliases, const std::string& name, i32 index) {
  for (auto& [alias, at] : aliases)
    if (Plat::EqualNoCase(alias, name)) {
      at = index;
      return;
    }
  aliases.emplace_back(name, index);
}

}  // namespace

bool TConversationCommands::SetAlias(std::string_view params, std::string&) {
  const std::string alias = Upper(TakeParameter(params));
  const std::string variable = Upper(TakeParameter(params));
  CheckNoMoreParameters(params);
  if (variable.substr(0, 5) == "LOCAL") {
    const i32 index = ToInteger(std::string_view(variable).substr(5));
    if (index < 0 || index >= GameData::ScriptLocalCount)
      RaiseScriptError("Bad index of local variable!\nThere is 32 local variables with index starting at 0!");
    SetAliasIn(Conversation.Aliases, alias, index);
  } else if (variable.substr(0, 6) == "GLOBAL") {
    const i32 index = ToInteger(std::string_view(variable).substr(6));
    if (index < 0 || index >= GameData::GlobalCount)
      RaiseScriptError("Bad index of global variable!\nThere is 1024 global variables with index starting at 0!");
    SetAliasIn(World().Aliases, alias, index);
  } else {
    throw std::runtime_error(Base::Format("Unknown variable:%s!", variable.c_str()));
  }
  return true;
}

bool TConversationCommands::WriteLog(std::string_view, std::string&) { return true; }

bool TConversationCommands::WriteExpressionLog(std::string_view params, std::string&) {
  TakeExpression(params);
  return true;
}

bool TConversationCommands::IfEqual(std::string_view params, std::string&) {
  const i32 a = TakeExpression(params);
  const i32 b = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a == b;
}

bool TConversationCommands::IfGreater(std::string_view params, std::string&) {
  const i32 a = TakeExpression(params);
  const i32 b = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a > b;
}

bool TConversationCommands::IfUnequal(std::string_view params, std::string&) {
  const i32 a = TakeExpression(params);
  const i32 b = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a != b;
}

bool TConversationCommands::IfTrue(std::string_view params, std::string&) {
  const i32 a = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a != 0;
}

bool TConversationCommands::IfFalse(std::string_view params, std::string&) {
  const i32 a = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a == 0;
}

bool TConversationCommands::GetRandom(std::string_view params, std::string&) {
  const i32 n = TakeExpression(params);
  CheckNoMoreParameters(params);
  SetLocal0(n >= 1 ? static_cast<i32>(static_cast<u32>(NextRandom(GameData::RandomMain)) % static_cast<u32>(n)) : 0);
  return true;
}

bool TConversationCommands::GiveQuest(std::string_view params, std::string&) {
  const i32 questID = TakeExpression(params);
  i32 heroID = TakeOptionalExpression(params, 0);
  CheckNoMoreParameters(params);
  if (heroID == 0) {
    if (!Conversation.Group) RaiseScriptError("No group to get HeroID from!");
    const TUnit* leader = Conversation.Group->GetLeader();
    // A group without units has no leader: nobody to give the quest to.
    if (!leader) RaiseScriptError(Base::Format("Hero not found: %d.", 0));
    heroID = static_cast<i32>(leader->ID);
  }
  const TUnit* hero = World().FindUnit(static_cast<u32>(heroID));
  if (!hero) RaiseScriptError(Base::Format("Hero not found: %d.", static_cast<int>(heroID)));
  if (!hero->Hero) RaiseScriptError(Base::Format("Unit is not a hero: %d.", static_cast<int>(heroID)));
  GameData::TQuestObjective* quest =
      World().QuestObjectives ? World().QuestObjectives->LookupByID(static_cast<u32>(questID)) : nullptr;
  if (!quest) RaiseScriptError(Base::Format("Quest/Objective not found: %d.", static_cast<int>(questID)));
  if (quest->Type != GameData::qtQuest)
    RaiseScriptError(Base::Format("Quest/Objective is not of quest type: %d.", static_cast<int>(questID)));
  quest->GiveToHero(static_cast<u32>(heroID));
  return true;
}

bool TConversationCommands::GiveObjective(std::string_view params, std::string&) {
  const i32 objectiveID = TakeExpression(params);
  i32 player = TakeOptionalExpression(params, -1);
  CheckNoMoreParameters(params);
  if (player == -1) player = GroupOwner();
  CheckPlayerIndex(player);
  GameData::TQuestObjective* objective =
      World().QuestObjectives ? World().QuestObjectives->LookupByID(static_cast<u32>(objectiveID)) : nullptr;
  if (!objective) RaiseScriptError(Base::Format("Quest/Objective not found: %d.", static_cast<int>(objectiveID)));
  if (objective->Type != GameData::qtObjective)
    RaiseScriptError(Base::Format("Quest/Objective is not of objective type: %d.", static_cast<int>(objectiveID)));
  objective->GiveToPlayer(player);
  return true;
}

namespace {

const TUnit* LastHero(const TGroup& group) {
  const TUnit* hero = nullptr;
  for (const TUnit* unit : group.Units)
    if (unit && unit->Hero) hero = unit;
  return hero;
}

}  // namespace

bool TConversationCommands::GetHeroID(std::string_view params, std::string&) {
  const i32 questID = TakeOptionalExpression(params, 0);
  CheckNoMoreParameters(params);
  SetLocal0(0);
  if (questID < 1) {
    const TUnit* hero = Conversation.Group ? LastHero(*Conversation.Group) : nullptr;
    if (hero) SetLocal0(static_cast<i32>(hero->ID));
    return true;
  }
  if (World().QuestObjectives)
    for (const GameData::TQuestObjective* quest : World().QuestObjectives->Items)
      if (quest->Type == GameData::qtQuest && quest->ID == static_cast<u32>(questID)) {
        SetLocal0(static_cast<i32>(quest->HeroID));
        return true;
      }
  RaiseScriptError(Base::Format("Quest with given ID not fount! Id=%d", static_cast<int>(questID)));
}

bool TConversationCommands::ShowName(std::string_view params, std::string& output) {
  const i32 unitID = TakeOptionalExpression(params, 0);
  CheckNoMoreParameters(params);
  if (unitID != 0) {
    if (const TUnit* unit = World().FindUnit(static_cast<u32>(unitID))) output += unit->Name;
    return true;
  }
  const TGroup* group = Conversation.Group;
  if (!group) return true;
  bool anyHero = false;
  for (const TUnit* unit : group->Units)
    if (unit && unit->Hero) {
      output += unit->Name;
      anyHero = true;
    }
  if (anyHero) return true;
  if (!group->Units[0]) RaiseScriptError("Trying to show name of empty group");
  output += group->Units[0]->Name;
  return true;
}

bool TConversationCommands::ShowExpression(std::string_view params, std::string& output) {
  const i32 value = TakeExpression(params);
  CheckNoMoreParameters(params);
  output += std::to_string(value);
  return true;
}

bool TConversationCommands::GiveMoney(std::string_view params, std::string&) {
  const i32 amount = TakeExpression(params);
  i32 player = TakeOptionalExpression(params, -1);
  CheckNoMoreParameters(params);
  if (player == -1) player = GroupOwner();
  CheckPlayerIndex(player);
  // Gold below 0 is kept as its two's complement and reads back negative.
  GameData::TPlayer* owner = World().Players[player];
  owner->Gold = static_cast<u32>(owner->Gold + static_cast<u32>(amount));
  return true;
}

bool TConversationCommands::PlaySound(std::string_view params, std::string&) {
  const i32 soundID = TakeExpression(params);
  CheckNoMoreParameters(params);
  GameData::PlayEffectByID(static_cast<u32>(soundID), Main::SFXVolume);
  return true;
}

bool TConversationCommands::GetChosen(std::string_view params, std::string&) {
  CheckNoMoreParameters(params);
  SetLocal0(Conversation.ChosenAnswer);
  return true;
}

bool TConversationCommands::GiveArmy(std::string_view params, std::string&) {
  i32 player = TakeExpression(params);
  const i32 x = TakeExpression(params);
  const i32 y = TakeExpression(params);
  if (player < 0) player = GroupOwner();
  if (player > 4 || player >= World().PlayerCount()) RaiseScriptError("GiveArmy:Invalid Player");
  while (const i32 id = TakeOptionalExpression(params, 0)) {
    TUnit* unit = World().FindUnit(static_cast<u32>(id));
    if (!unit) continue;
    if (TGroup* group = unit->GetGroup()) {
      group->SetOwner(static_cast<u8>(player));
    } else if (GameData::TCity* city = unit->GetCity()) {
      city->SetOwner(player, 1);
    } else {
      World().OffMapUnits.Remove(unit);
      World().PlaceNewUnit(static_cast<u8>(player), x, y, unit, false, true, false, true);
    }
  }
  Conversation.Refresh = 1;
  return true;
}

}  // namespace Script
