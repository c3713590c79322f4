// The 86 rows of the conversation command table in their fixed order, and
// the dispatch of a tag to its row.
#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/scenario/conversation.h"

namespace Script {

using C = TConversationCommands;

const TScriptCommandInfo TConversationCommands::Commands[CommandCount] = {
    {"0", 0, 0, &C::Speaker0},
    {"1", 0, 0, &C::Speaker1},
    {"2", 0, 0, &C::Speaker2},
    {"CRLF", 0, 0, &C::Crlf},
    {"DELETE", 0, 0, &C::Delete},
    {"SET", 2, 2, &C::Set},
    {"SETALIAS", 2, 2, &C::SetAlias},
    {"WRITELOG", 1, 1, &C::WriteLog},
    {"WRITEEXPRESSIONLOG", 1, 1, &C::WriteExpressionLog},
    {"IFEQUAL", 2, 2, &C::IfEqual},
    {"IFGREATER", 2, 2, &C::IfGreater},
    {"IFUNEQUAL", 2, 2, &C::IfUnequal},
    {"IFTRUE", 1, 1, &C::IfTrue},
    {"IFFALSE", 1, 1, &C::IfFalse},
    {"GETRANDOM", 1, 1, &C::GetRandom},
    {"GIVEQUEST", 1, 2, &C::GiveQuest},
    {"GIVEOBJECTIVE", 1, 2, &C::GiveObjective},
    {"GETHEROID", 0, 1, &C::GetHeroID},
    {"SHOWNAME", 0, 1, &C::ShowName},
    {"SHOWEXPRESSION", 1, 1, &C::ShowExpression},
    {"GIVEMONEY", 1, 2, &C::GiveMoney},
    {"PLAYSOUND", 1, 1, &C::PlaySound},
    {"GIVEARMY", 4, 1000, &C::GiveArmy},
    {"GETCHOSEN", 0, 0, &C::GetChosen},
    {"CHANGERELATION", 3, 3, &C::ChangeRelation},
    {"SETFOGAREA", 3, 3, &C::SetFogArea},
    {"GETPROPERTY", 2, 2, &C::GetProperty},
    {"SETPROPERTY", 3, 3, &C::SetProperty},
    {"SETPROPERTYTOALL", 4, 4, &C::SetPropertyToAll},
    {"CHANGEPROPERTY", 3, 3, &C::ChangeProperty},
    {"CHANGEPROPERTYTOALL", 4, 4, &C::ChangePropertyToAll},
    {"CLEARAFTEREFFECT", 0, 0, &C::ClearAfterEffect},
    {"ADDAFTEREFFECT", 3, 3, &C::AddAfterEffect},
    {"ADDAFTEREFFECTS", 3, 1000, &C::AddAfterEffects},
    {"LEARNSPELL", 2, 2, &C::LearnSpell},
    {"ALLOWSPELL", 2, 2, &C::AllowSpell},
    {"KNOWSSPELL", 2, 2, &C::KnowsSpell},
    {"HASALLOWEDSPELL", 2, 2, &C::HasAllowedSpell},
    {"LEARNSKILL", 2, 2, &C::LearnSkill},
    {"ALLOWSKILL", 2, 2, &C::AllowSkill},
    {"KNOWSSKILL", 2, 2, &C::KnowsSkill},
    {"HASALLOWEDSKILL", 2, 2, &C::HasAllowedSkill},
    {"GETUNITSINGROUP", 0, 0, &C::GetUnitsInGroup},
    {"GETUNITID", 1, 1, &C::GetUnitID},
    {"ACTIVATETASK", 1, 1, &C::ActivateTask},
    {"DEACTIVATETASK", 1, 1, &C::DeactivateTask},
    {"ASSIGNUNITS", 2, 1000, &C::AssignUnits},
    {"UNASSIGNUNITS", 1, 1000, &C::UnassignUnits},
    {"ASSIGNARMY", 2, 2, &C::AssignArmy},
    {"UNASSIGNARMY", 1, 1, &C::UnassignArmy},
    {"DELETETASK", 1, 1, &C::DeleteTask},
    {"ASSIGNUNITSARMY", 2, 1000, &C::AssignUnitsArmy},
    {"UNASSIGNUNITSARMY", 1, 1000, &C::UnassignUnitsArmy},
    {"GETTURN", 0, 0, &C::GetTurn},
    {"CALL", 1, 1, &C::Call},
    {"PLACEUNITOFPROTOTYPE", 5, 6, &C::PlaceUnitOfPrototype},
    {"GETQUESTSTATE", 1, 1, &C::GetQuestState},
    {"GETOBJECTIVESTATE", 1, 1, &C::GetObjectiveState},
    {"DELETEUNIT", 2, 2, &C::DeleteUnit},
    {"KILLUNIT", 1, 1, &C::KillUnit},
    {"SETWEATHERSTATE", 1, 1, &C::SetWeatherState},
    {"CHANGEDOODLE", 2, 4, &C::ChangeDoodle},
    {"ADDDOODLE", 3, 3, &C::AddDoodle},
    {"DELETEDOODLE", 1, 1, &C::DeleteDoodle},
    {"PLAYANIMATION", 5, 6, &C::PlayAnimation},
    {"CENTERVIEWTO", 2, 3, &C::CenterViewTo},
    {"CENTERVIEWTOUNIT", 1, 2, &C::CenterViewToUnit},
    {"ADDAFTEREFFECTTOALL", 4, 4, &C::AddAfterEffectToAll},
    {"LIVESUNIT", 1, 1, &C::LivesUnit},
    {"SETCITYOWNER", 1, 3, &C::SetCityOwner},
    {"DELETEALLAFTEREFFECTSOFTYPE", 3, 3, &C::DeleteAllAfterEffectsOfType},
    {"GETUNITPOSITION", 1, 1, &C::GetUnitPosition},
    {"PLACEUNITSTOCITY", 3, 1000, &C::PlaceUnitsToCity},
    {"MOVEGROUP", 2, 3, &C::MoveGroup},
    {"SQUAREEMPTY", 2, 2, &C::SquareEmpty},
    {"ENABLEMERCHANT", 2, 2, &C::EnableMerchant},
    {"MERCHANTENABLED", 1, 1, &C::MerchantEnabled},
    {"SETACTIVE", 2, 2, &C::SetActive},
    {"ACTIVE", 1, 1, &C::Active},
    {"GETMONEY", 0, 1, &C::GetMoney},
    {"RESETQUEST", 1, 1, &C::ResetQuest},
    {"UNITINAREA", 2, 2, &C::UnitInArea},
    {"UNITSINCITY", 2, 1000, &C::UnitsInCity},
    {"GETCONTROLLER", 1, 1, &C::GetController},
    {"SHOWQUESTHERONAME", 1, 1, &C::ShowQuestHeroName},
    {"GETUNITSINAREA", 1, 2, &C::GetUnitsInArea},
};

const TScriptCommandInfo* TConversationCommands::FindCommand(std::string_view name) {
  for (const TScriptCommandInfo& row : Commands)
    if (row.Name == name) return &row;
  return nullptr;
}

bool TConversationCommands::ExecuteCommand(std::string_view tag, std::string& output) {
  const std::string_view inner = tag.size() >= 2 ? tag.substr(1, tag.size() - 2) : std::string_view{};
  Conversation.CommandText = std::string(inner);
  const size_t p = inner.find('(');
  const size_t q = inner.find(')');
  // A "(" in the first place opens no parameters: the whole text is the name.
  const bool hasOpen = p != std::string_view::npos && p >= 1;
  std::string_view params;
  if (hasOpen && q != std::string_view::npos && p < q) params = inner.substr(p + 1, q - p - 1);
  const std::string_view name = hasOpen ? inner.substr(0, p) : inner;
  const TScriptCommandInfo* row = FindCommand(name);
  if (!row) RaiseScriptError(Base::Format("Unknown command: %s", std::string(name).c_str()));
  return (this->*row->Handler)(params, output);
}

bool TConversationCommands::NotAvailable(std::string_view, std::string&) {
  RaiseScriptError("Command not available yet!");
}

}  // namespace Script
