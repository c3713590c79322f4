// Conversation commands that teach, allow and test a unit's spells and
// skills through the masks of its property record. Teaching writes the base
// record; tests read the effective one, so bits from after-effects count.
#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TUnit;
using GameData::TUnitProperties;

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
constexpr bool Known = true, Allowed = false;

u64& Mask(TUnitProperties& record, bool spell, bool known) {
  if (spell) return known ? record.KnownSpells : record.AllowedSpells;
  return known ? record.KnownSkills : record.AllowedSkills;
}

}  // namespace

bool TConversationCommands::TeachMaskBit(std::string_view params, bool spell, bool learn) {
  auto [unit, bit] = MaskTarget(params, spell);
  Mask(unit->Base, spell, Allowed) |= bit;
  if (learn) Mask(unit->Base, spell, Known) |= bit;
  unit->RecalcEffective(true);
  return true;
}

bool TConversationCommands::TestMaskBit(std::string_view params, bool spell, bool known) {
  auto [unit, bit] = MaskTarget(params, spell);
  SetLocal0((Mask(unit->Effective, spell, known) & bit) != 0);
  return true;
}

bool TConversationCommands::LearnSpell(std::string_view params, std::string&) {
  return TeachMaskBit(params, Spell, true);
}

bool TConversationCommands::AllowSpell(std::string_view params, std::string&) {
  return TeachMaskBit(params, Spell, false);
}

bool TConversationCommands::KnowsSpell(std::string_view params, std::string&) {
  return TestMaskBit(params, Spell, Known);
}

bool TConversationCommands::HasAllowedSpell(std::string_view params, std::string&) {
  return TestMaskBit(params, Spell, Allowed);
}

bool TConversationCommands::LearnSkill(std::string_view params, std::string&) {
  return TeachMaskBit(params, Skill, true);
}

bool TConversationCommands::AllowSkill(std::string_view params, std::string&) {
  return TeachMaskBit(params, Skill, false);
}

bool TConversationCommands::KnowsSkill(std::string_view params, std::string&) {
  return TestMaskBit(params, Skill, Known);
}

bool TConversationCommands::HasAllowedSkill(std::string_view params, std::string&) {
  return TestMaskBit(params, Skill, Allowed);
}

}  // namespace Script
