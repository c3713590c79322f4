// Conversation commands that teach, allow and test a unit's spells and
// skills through the masks of its property record. Teaching writes the base
// record; tests read the effective one, so bits from after-effects count.
#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TUnit;

std::pair<GameData::TUnit*, u64> TConversationCommands::MaskTarget(std::string_view params, bool spell) {
  const i32 id = TakeExpression(params);
  const i32 index = TakeExpression(params);
  CheckNoMoreParameters(params);
  TUnit& unit = UnitForCommand(id);
  if (index < 1 || index > 64)
    RaiseScriptError(spell ? Base::Format("Bad spell index: %d.", static_cast<int>(index))
                           : Base::Format("Bad skill index: %d.", static_cast<int>(index)));
  return {&unit, GameData::MaskBit(index)};
}

namespace {

constexpr bool Spell = true, Skill = false;

}  // namespace

bool TConversationCommands::LearnSpell(std::string_view params, std::string&) {
  auto [unit, bit] = MaskTarget(params, Spell);
  unit->Base.AllowedSpells |= bit;
  unit->Base.KnownSpells |= bit;
  unit->RecalcEffective(true);
  return true;
}

bool TConversationCommands::AllowSpell(std::string_view params, std::string&) {
  auto [unit, bit] = MaskTarget(params, Spell);
  unit->Base.AllowedSpells |= bit;
  unit->RecalcEffective(true);
  return true;
}

bool TConversationCommands::KnowsSpell(std::string_view params, std::string&) {
  auto [unit, bit] = MaskTarget(params, Spell);
  SetLocal0((unit->Effective.KnownSpells & bit) != 0);
  return true;
}

bool TConversationCommands::HasAllowedSpell(std::string_view params, std::string&) {
  auto [unit, bit] = MaskTarget(params, Spell);
  SetLocal0((unit->Effective.AllowedSpells & bit) != 0);
  return true;
}

bool TConversationCommands::LearnSkill(std::string_view params, std::string&) {
  auto [unit, bit] = MaskTarget(params, Skill);
  unit->Base.AllowedSkills |= bit;
  unit->Base.KnownSkills |= bit;
  unit->RecalcEffective(true);
  return true;
}

bool TConversationCommands::AllowSkill(std::string_view params, std::string&) {
  auto [unit, bit] = MaskTarget(params, Skill);
  unit->Base.AllowedSkills |= bit;
  unit->RecalcEffective(true);
  return true;
}

bool TConversationCommands::KnowsSkill(std::string_view params, std::string&) {
  auto [unit, bit] = MaskTarget(params, Skill);
  SetLocal0((unit->Effective.KnownSkills & bit) != 0);
  return true;
}

bool TConversationCommands::HasAllowedSkill(std::string_view params, std::string&) {
  auto [unit, bit] = MaskTarget(params, Skill);
  SetLocal0((unit->Effective.AllowedSkills & bit) != 0);
  return true;
}

}  // namespace Script
