#include "world/units/unit_properties.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "engine/base/base.h"
#include "world/data2/global_data.h"
#include "world/scenario/random.h"

namespace GameData {

namespace {

constexpr TUnitProperty TUnitProperties::* Properties[TUnitProperties::PropertyCount] = {
    &TUnitProperties::HitPoints,     &TUnitProperties::HPRegenerate,     &TUnitProperties::Mana,
    &TUnitProperties::ManaRegenerate, &TUnitProperties::ActionPoints,     &TUnitProperties::MoraleRegenerate,
    &TUnitProperties::Attack,        &TUnitProperties::CounterAttack,    &TUnitProperties::Defence,
    &TUnitProperties::Sight};

constexpr const char* PropertyKeys[TUnitProperties::PropertyCount] = {
    "HITPOINTS", "HPREGENERATE", "MANA", "MANAREGENERATE", "ACTIONPOINTS", "MORALEREGENERATE",
    "ATTACK",    "COUNTERATTACK", "DEFENCE", "SIGHT"};

constexpr i16 TUnitProperty::* PropertyWords[4] = {&TUnitProperty::Current, &TUnitProperty::Base,
                                                    &TUnitProperty::Delta, &TUnitProperty::Every};

constexpr const char* WordSuffixes[4] = {"", "BASE", "DELTA", "EVERY"};

i32 NormalMorale() { return Data2::GlobalData ? Data2::GlobalData->NormalMorale : 0; }

}  // namespace

i32 TUnitProperties::KeyWord(std::string_view key, i32& maxOf) {
  maxOf = -1;
  const std::pair<std::string_view, i32> plain[] = {
      {"LEVEL", 0}, {"EXPERIENCES", 1}, {"MORALE", 2}, {"EXPERIENCEBASE", 44}, {"EXPERIENCEDELTA", 45}};
  for (const auto& [name, word] : plain)
    if (key == name) return word;
  for (i32 p = 0; p < PropertyCount; ++p) {
    const std::string_view name = PropertyKeys[p];
    if (key.substr(0, name.size()) != name) continue;
    const std::string_view suffix = key.substr(name.size());
    for (i32 w = 0; w < 4; ++w)
      if (suffix == WordSuffixes[w]) return 4 + p * 4 + w;
    if ((p == 0 || p == 2 || p == 4) && suffix == "MAX") {
      maxOf = p;
      return -1;
    }
  }
  return -1;
}

namespace {

[[noreturn]] void UnknownKey(const std::string& key) {
  throw std::runtime_error(Base::Format("Unknown property: %s.", key.c_str()));
}

}  // namespace

TUnitProperty& TUnitProperties::Property(i32 index) { return this->*Properties[index]; }
const TUnitProperty& TUnitProperties::Property(i32 index) const { return this->*Properties[index]; }

i16& TUnitProperties::Word(i32 index) {
  switch (index) {
    case 0: return Level;
    case 1: return Experiences;
    case 2: return Morale;
    case 3: return HirePrice;
    case 44: return ExperienceBase;
    case 45: return ExperienceDelta;
    case 46: return Reserved[0];
    case 47: return Reserved[1];
    default: return Property((index - 4) / 4).*PropertyWords[(index - 4) % 4];
  }
}

i16 TUnitProperties::Word(i32 index) const { return const_cast<TUnitProperties*>(this)->Word(index); }

void TUnitProperties::Read(Data::TStream& s) {
  for (i32 i = 0; i < WordCount; ++i) Word(i) = Data::ReadI16(s);
  AllowedSkills = Data::ReadU64(s);
  KnownSkills = Data::ReadU64(s);
  AllowedSpells = Data::ReadU64(s);
  KnownSpells = Data::ReadU64(s);
}

void TUnitProperties::Write(Data::TStream& s) const {
  for (i32 i = 0; i < WordCount; ++i) Data::WriteI16(s, Word(i));
  Data::WriteU64(s, AllowedSkills);
  Data::WriteU64(s, KnownSkills);
  Data::WriteU64(s, AllowedSpells);
  Data::WriteU64(s, KnownSpells);
}

void TUnitProperties::Recalc() {
  for (i32 p = 0; p < PropertyCount; ++p) Property(p).Current = Property(p).ValueAt(Level);
}

i32 TUnitProperties::ExperienceForLevel(i32 level) const {
  if (level < 1) return 0;
  // Levels far beyond the last come from scripts; their points saturate
  // instead of wrapping.
  const i64 l = std::min<i64>(level, 0x7FFF);
  const i64 points = (l - 1) * ExperienceBase + ExperienceDelta * l * (l - 1) / 2;
  return static_cast<i32>(std::clamp<i64>(points, std::numeric_limits<i32>::min(), std::numeric_limits<i32>::max()));
}

i32 TUnitProperties::LevelForExperience(i32 points) const {
  for (i32 level = MaxLevel; level >= 1; --level)
    if (points >= ExperienceForLevel(level)) return level;
  return 1;
}

bool TUnitProperties::ReachesLevelAbove(i32 points, i32 level) const {
  if (level < 1) return true;
  if (level >= MaxLevel) return false;
  // Growing thresholds: the next level alone decides.
  if (ExperienceBase >= 0 && ExperienceDelta >= 0) return points >= ExperienceForLevel(level + 1);
  for (i32 l = MaxLevel; l > level; --l)
    if (points >= ExperienceForLevel(l)) return true;
  return false;
}

void TUnitProperties::ResetExperience() { Experiences = static_cast<i16>(ExperienceForLevel(Level)); }

void TUnitProperties::ResetMorale() { Morale = static_cast<i16>(NormalMorale()); }

void TUnitProperties::LearnAllowedSpells() {
  if (!Data2::GlobalData) return;
  for (i32 id = 1; id <= 64; ++id) {
    if (!(AllowedSpells & MaskBit(id))) continue;
    i32 index = Data2::GlobalData->FindSpellPrototype(static_cast<i16>(id));
    if (index >= 0 && Data2::GlobalData->SpellPrototypes[index].Level <= Level) KnownSpells |= MaskBit(id);
  }
}

void TUnitProperties::StartAtLevel(i16 level, bool learnSpells) {
  Level = level;
  Recalc();
  ResetExperience();
  ResetMorale();
  if (learnSpells) LearnAllowedSpells();
  RandomizeBase();
}

void TUnitProperties::RandomizeBase() {
  for (i32 p = 0; p < PropertyCount; ++p) Property(p).Base = static_cast<i16>(VaryTenPercent(Property(p).Base));
  Recalc();
}

void TUnitProperties::NewTurn() {
  ActionPoints.Current = ActionPoints.ValueAt(Level);
  const i32 normal = NormalMorale();
  if (Morale > normal)
    Morale = static_cast<i16>(Morale - 1);
  else
    Morale = static_cast<i16>(std::min(normal, Morale + MoraleRegenerate.Current));
}

void TUnitProperties::RegenerateHitPoints(i32 divisor) {
  HitPoints.Current = static_cast<i16>(std::min<i32>(HitPoints.ValueAt(Level), HitPoints.Current + HPRegenerate.Current / divisor));
}

void TUnitProperties::RegenerateMana(i32 divisor) {
  Mana.Current = static_cast<i16>(std::min<i32>(Mana.ValueAt(Level), Mana.Current + ManaRegenerate.Current / divisor));
}

void TUnitProperties::Add(const TUnitProperties& other) {
  // The words of Word() lie in its order at the start of the record: added
  // as one array, since every recalculation of a unit's effective values
  // runs this once per after-effect.
  static_assert(offsetof(TUnitProperties, HitPoints) == 8 && offsetof(TUnitProperties, Sight) == 80 &&
                offsetof(TUnitProperties, Reserved) == 92 && offsetof(TUnitProperties, AllowedSkills) == 2 * WordCount);
  static_assert(offsetof(TUnitProperty, Base) == 2 && offsetof(TUnitProperty, Every) == 6 && sizeof(TUnitProperty) == 8);
  i16 to[WordCount], from[WordCount];
  std::memcpy(to, this, sizeof to);
  std::memcpy(from, &other, sizeof from);
  for (i32 i = 0; i < WordCount; ++i) to[i] = static_cast<i16>(to[i] + from[i]);
  std::memcpy(this, to, sizeof to);
  AllowedSkills |= other.AllowedSkills;
  KnownSkills |= other.KnownSkills;
  AllowedSpells |= other.AllowedSpells;
  KnownSpells |= other.KnownSpells;
}

i32 TUnitProperties::GetValue(const std::string& key) const {
  i32 maxOf;
  i32 word = KeyWord(key, maxOf);
  if (maxOf >= 0) return Property(maxOf).ValueAt(Level);
  if (word < 0) UnknownKey(key);
  return Word(word);
}

void TUnitProperties::SetValue(const std::string& key, i32 value) {
  i32 maxOf;
  i32 word = KeyWord(key, maxOf);
  if (word < 0) UnknownKey(key);
  Word(word) = static_cast<i16>(value);
}

}  // namespace GameData
