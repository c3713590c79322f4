// Conversation commands that hand copies of the after-effect work record to
// units and take after-effects away by ID.
#include <memory>
#include <vector>

#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/scenario/conversation.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TAfterEffect;
using GameData::TUnit;

void TConversationCommands::GiveAfterEffect(GameData::TUnit& unit, i32 turns, i32 effectID) {
  if (unit.AfterEffects.Count() >= MaxAfterEffects)
    RaiseScriptError(Base::Format("Too many after-effects on unit %d.", static_cast<int>(unit.ID)));
  auto effect = std::make_unique<TAfterEffect>(Conversation.AfterEffect);
  effect->TurnsLeft = turns;
  effect->EffectID = effectID;
  unit.AddAfterEffect(effect.release());
}

bool TConversationCommands::ClearAfterEffect(std::string_view params, std::string&) {
  CheckNoMoreParameters(params);
  Conversation.AfterEffect = TAfterEffect{};
  return true;
}

bool TConversationCommands::AddAfterEffect(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  const i32 turns = TakeExpression(params);
  const i32 effectID = TakeExpression(params);
  CheckNoMoreParameters(params);
  GiveAfterEffect(UnitForCommand(id), turns, effectID);
  return true;
}

bool TConversationCommands::AddAfterEffects(std::string_view params, std::string&) {
  const i32 turns = TakeExpression(params);
  const i32 effectID = TakeExpression(params);
  std::vector<i32> ids;
  for (i32 id = TakeOptionalExpression(params, 0); id != 0; id = TakeOptionalExpression(params, 0)) ids.push_back(id);
  CheckNoMoreParameters(params);
  if (ids.empty()) RaiseScriptError(Base::Format("Command should have at least %d parameters!", 1));
  for (i32 id : ids)
    if (TUnit* unit = World().FindUnit(static_cast<u32>(id))) GiveAfterEffect(*unit, turns, effectID);
  return true;
}

bool TConversationCommands::AddAfterEffectToAll(std::string_view params, std::string&) {
  const i32 playerMask = TakeExpression(params);
  const i32 kindMask = TakeExpression(params);
  const i32 turns = TakeExpression(params);
  const i32 effectID = TakeExpression(params);
  CheckNoMoreParameters(params);
  for (TUnit* unit : World().Units.Items)
    if (UnitMatchesMasks(*unit, playerMask, kindMask)) GiveAfterEffect(*unit, turns, effectID);
  return true;
}

bool TConversationCommands::DeleteAllAfterEffectsOfType(std::string_view params, std::string&) {
  const i32 playerMask = TakeExpression(params);
  const i32 kindMask = TakeExpression(params);
  const i32 effectID = TakeExpression(params);
  CheckNoMoreParameters(params);
  // Units off the map lose the effect whatever the masks say.
  for (TUnit* unit : World().Units.Items)
    if (!unit->GetOwner() || UnitMatchesMasks(*unit, playerMask, kindMask)) unit->RemoveAfterEffectsByID(effectID);
  return true;
}

}  // namespace Script
