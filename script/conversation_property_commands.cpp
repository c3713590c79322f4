// Conversation commands that read and write a unit's property record by
// name, one unit at a time or every unit that two masks select.
#include <algorithm>
#include <limits>

#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/scenario/conversation.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TUnit;
using GameData::TUnitProperties;

namespace {

constexpr i32 LevelWord = 0;

i16 Saturate16(i64 value) {
  return static_cast<i16>(std::clamp<i64>(value, std::numeric_limits<i16>::min(), std::numeric_limits<i16>::max()));
}

}  // namespace

GameData::TUnit& TConversationCommands::UnitForCommand(i32 id) {
  TUnit* unit = World().FindUnit(static_cast<u32>(id));
  if (!unit) RaiseScriptError(Base::Format("Unit not found: %d.", static_cast<int>(id)));
  return *unit;
}

GameData::TUnitProperties& TConversationCommands::PropertyRecord(i32 id) {
  return id == 0 ? Conversation.AfterEffect.Properties : UnitForCommand(id).Base;
}

bool TConversationCommands::UnitMatchesMasks(const GameData::TUnit& unit, i32 playerMask, i32 kindMask) {
  const i32 owner = World().IndexOfPlayer(unit.GetOwner());
  if (owner < 0 || !(static_cast<u32>(playerMask) >> (owner & 31) & 1)) return false;
  return (unit.Kind & static_cast<i64>(kindMask)) == unit.Kind;
}

void TConversationCommands::WriteProperty(GameData::TUnitProperties& record, GameData::TUnit* unit, i32 word,
                                          i32 value, bool change) {
  if (word == LevelWord) {
    // A level is reached only through the points it needs; far levels
    // saturate the 16-bit points instead of wrapping below the current ones.
    const i64 level = change ? (value > 0 ? i64{record.Level} + value : 0) : (value > record.Level ? value : 0);
    if (level > 0) {
      const i32 target = static_cast<i32>(std::min<i64>(level, std::numeric_limits<i32>::max()));
      record.Experiences = Saturate16(record.ExperienceForLevel(target));
      if (unit) unit->LevelledUp = 1;
    }
  } else {
    i16& field = record.Word(word);
    field = static_cast<i16>(change ? static_cast<u32>(field) + static_cast<u32>(value) : static_cast<u32>(value));
  }
  if (unit) {
    unit->RecalcEffective(true);
    unit->LevelUp();
  }
}

bool TConversationCommands::GetProperty(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  const std::string name(TakeParameter(params));
  CheckNoMoreParameters(params);
  const TUnitProperties& record = PropertyRecord(id);
  i32 maxOf;
  const i32 word = TUnitProperties::KeyWord(name, maxOf);
  if (maxOf >= 0)
    SetLocal0(record.Property(maxOf).ValueAt(record.Level));
  else if (word >= 0)
    SetLocal0(record.Word(word));
  else
    RaiseScriptError(Base::Format("Unknown property: %s.", name.c_str()));
  return true;
}

bool TConversationCommands::WritePropertyOfOne(std::string_view params, bool change) {
  const i32 id = TakeExpression(params);
  const std::string name(TakeParameter(params));
  const i32 value = TakeExpression(params);
  CheckNoMoreParameters(params);
  TUnitProperties& record = PropertyRecord(id);
  i32 maxOf;
  const i32 word = TUnitProperties::KeyWord(name, maxOf);
  if (word < 0) RaiseScriptError(Base::Format("Unknown property: %s.", name.c_str()));
  WriteProperty(record, id == 0 ? nullptr : &UnitForCommand(id), word, value, change);
  return true;
}

bool TConversationCommands::WritePropertyOfAll(std::string_view params, bool change) {
  const i32 playerMask = TakeExpression(params);
  const i32 kindMask = TakeExpression(params);
  const std::string name(TakeParameter(params));
  const i32 value = TakeExpression(params);
  CheckNoMoreParameters(params);
  i32 maxOf;
  const i32 word = TUnitProperties::KeyWord(name, maxOf);
  for (TUnit* unit : World().Units.Items) {
    if (!UnitMatchesMasks(*unit, playerMask, kindMask)) continue;
    // A bad name is reported by the first unit it would change.
    if (word < 0) RaiseScriptError(Base::Format("Unknown property: %s.", name.c_str()));
    WriteProperty(unit->Base, unit, word, value, change);
  }
  return true;
}

bool TConversationCommands::SetProperty(std::string_view params, std::string&) {
  return WritePropertyOfOne(params, false);
}

bool TConversationCommands::ChangeProperty(std::string_view params, std::string&) {
  return WritePropertyOfOne(params, true);
}

bool TConversationCommands::SetPropertyToAll(std::string_view params, std::string&) {
  return WritePropertyOfAll(params, false);
}

bool TConversationCommands::ChangePropertyToAll(std::string_view params, std::string&) {
  return WritePropertyOfAll(params, true);
}

}  // namespace Script
