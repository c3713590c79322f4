// The 128-byte property record of a unit: the template of a prototype, a
// unit's base and effective records, and the body of after-effects and
// skills. Its layout is a file format.
#pragma once

#include <string>
#include <string_view>

#include "engine/base/types.h"
#include "engine/data/stream.h"

namespace GameData {

constexpr i32 MaxLevel = 20;

struct TUnitProperty {
  i16 Current;
  i16 Base;
  i16 Delta;
  i16 Every;
  // BASE + ((level - 1) / EVERY) x DELTA, in 16 bits; BASE when EVERY is 0.
  // Inline and without a division for the common EVERY 1: every
  // recalculation of a unit asks it for each pool.
  i16 ValueAt(i32 level) const {
    if (Every == 0) return Base;
    if (Every == 1) return static_cast<i16>(Base + (level - 1) * Delta);
    return static_cast<i16>(Base + ((level - 1) / Every) * Delta);
  }
};

// The bit of a skill or spell ID in a mask: ID 1 is the top bit, 64 the
// lowest; battle spells 65..128 share the bit of ID - 64.
inline u64 MaskBit(i32 id) {
  if (id > 64) id -= 64;
  if (id < 1 || id > 64) return 0;
  return 1ull << (64 - id);
}

struct TUnitProperties {
  static constexpr i32 StreamSize = 128;
  static constexpr i32 WordCount = 48;  // the 16-bit words that Add adds
  static constexpr i32 PropertyCount = 10;

  i16 Level;
  i16 Experiences;
  i16 Morale;
  i16 HirePrice;
  TUnitProperty HitPoints;
  TUnitProperty HPRegenerate;
  TUnitProperty Mana;
  TUnitProperty ManaRegenerate;
  TUnitProperty ActionPoints;
  TUnitProperty MoraleRegenerate;
  TUnitProperty Attack;
  TUnitProperty CounterAttack;
  TUnitProperty Defence;
  TUnitProperty Sight;
  i16 ExperienceBase;
  i16 ExperienceDelta;
  i16 Reserved[2];
  u64 AllowedSkills;
  u64 KnownSkills;
  u64 AllowedSpells;
  u64 KnownSpells;

  // The ten properties in record order (HITPOINTS first, SIGHT last).
  TUnitProperty& Property(i32 index);
  const TUnitProperty& Property(i32 index) const;
  // The first 48 16-bit words in record order.
  i16& Word(i32 index);
  i16 Word(i32 index) const;

  void Read(Data::TStream& s);
  void Write(Data::TStream& s) const;

  void Recalc();
  i32 ExperienceForLevel(i32 level) const;
  i32 LevelForExperience(i32 points) const;
  // LevelForExperience(points) > level, asked after every gain of experience.
  bool ReachesLevelAbove(i32 points, i32 level) const;
  void ResetExperience();
  void ResetMorale();
  void LearnAllowedSpells();
  void RandomizeBase();
  // A new unit's record at a level: values, experience and morale for it,
  // the allowed spells up to it known when asked, each BASE then varied on
  // the main stream.
  void StartAtLevel(i16 level, bool learnSpells);
  void NewTurn();
  void RegenerateHitPoints(i32 divisor);
  void RegenerateMana(i32 divisor);
  void Add(const TUnitProperties& other);

  // The word (index for Word) that a script key names, -1 for none; the
  // read-only "...MAX" keys give -1 with their property's index in maxOf.
  static i32 KeyWord(std::string_view key, i32& maxOf);
  // Values by the keys of the scripts ("LEVEL", "HITPOINTSBASE",
  // "MANAMAX" ...); an unknown key raises "Unknown property: %s.".
  i32 GetValue(const std::string& key) const;
  void SetValue(const std::string& key, i32 value);
};

}  // namespace GameData
