#include "tools/demodata/rules/demo_rules.h"

#include <initializer_list>

#include "tools/demodata/rules/demo_battle_spells.h"

#include "tools/databuilder/demo_sounds.h"
#include "tools/databuilder/text_builder.h"
#include "tools/demodata/art/demo_fighters.h"
#include "tools/demodata/art/demo_sprites.h"
#include "tools/demodata/rules/demo_spells.h"
#include "tools/demodata/screens/demo_city.h"
#include "world/data2/prototypes.h"

namespace Builder {

namespace {

GameData::TUnitProperty Grow(i16 base, i16 delta, i16 every) { return {base, base, delta, every}; }

struct TUnitDef {
  u32 ID;
  const char* Name;
  i16 Kind;
  bool Hero;
  i16 HitPoints, Attack, Defence, Mana, ActionPoints, Sight;
  u64 AllowedSpells;
  const char* Description;
  i16 Level = 1;
};

u64 Spells(std::initializer_list<i32> numbers) {
  u64 mask = 0;
  for (i32 n : numbers) mask |= GameData::MaskBit(n);
  return mask;
}

// The sorceress knows spells of three schools: more druid spells than one
// spread of the spell book holds, some of the mage's and some others. She
// starts at the level of the strongest of them.
const u64 SorceressSpells = Spells({1, 2, 3, 4, 5, 8, 10, 11, 12, 13, 17, 21, 24, 40, 44, 58});

// Our demo creatures and heroes; names are Windows-1252.
const TUnitDef Units[DemoUnitPrototypeCount] = {
    {1, "Ritter", 1, true, 60, 22, 14, 0, 14, 3, 0, "Ein Ritter aus den Grenzlanden."},
    {2, "Magierin", 1, true, 35, 10, 8, 40, 12, 4, SorceressSpells, "Sie kennt die alten Spr\xFC" "che.", 4},
    {3, "Wolf", 2, false, 30, 16, 6, 0, 18, 4, 0, "Ein grauer Waldwolf."},
    {4, "Skelett", 4, false, 25, 14, 10, 0, 10, 2, 0, "Knochen, die nicht ruhen."},
    {5, "Speertr\xE4ger", 1, false, 40, 15, 12, 0, 12, 3, 0, "Ein Soldat mit Speer."},
};

}  // namespace

void WritePropertiesText(TTextBuilder& t, const GameData::TUnitProperties& p) {
  for (i32 i = 0; i < GameData::TUnitProperties::WordCount; ++i) t.Int(p.Word(i));
  t.Bits(p.AllowedSpells).Bits(p.KnownSpells).Bits(p.AllowedSkills).Bits(p.KnownSkills);
}

std::string RulesFile() {
  TTextBuilder t;
  t.Comment("Orvandia demo rules: 42 values, then the campaign's missions");
  const i32 values[42] = {
      50,  100, 30, 0, 10,  // morale: normal, max, min to defend, unused, damage factor
      2,   3,   4,  2, 10,  // kill morale base and per level; sight tolerance, eye height, distance scale
      4,   8,   16, 4, 0,   // slopes, limit; attack cost; unused
      6,   9,   25, 4,      // entry costs (city, building), city defence bonus, retreat cost
      0,   0,   0,  0, 0, 0, 0, 0,  // unused
      2,   1,   40,         // experience: damage, wound, kill
      10,  2,   2,  80,     // drink: morale gain, attack penalty, turns, morale cap
      5,                    // corpse lifetime
      75,  100, 140,        // difficulty percent
      0,   0,   0,          // unused
      80,                   // effect volume
  };
  for (i32 v : values) t.Int(v);
  t.Int(3).Token("demo1.scn").Token("demo2.scn").Token("demo3.scn");
  return t.Text();
}

std::string UnitPrototypeFile() {
  TTextBuilder t;
  t.Comment("unit prototypes").Token("Einheiten").Int(DemoUnitPrototypeCount);
  for (const TUnitDef& u : Units) {
    GameData::TUnitProperties p{};
    p.Level = u.Level;
    p.HirePrice = u.Hero ? 40 : 15;
    p.HitPoints = Grow(u.HitPoints, 5, 1);
    p.HPRegenerate = Grow(6, 1, 3);
    p.Mana = Grow(u.Mana, u.Mana ? 4 : 0, 1);
    p.ManaRegenerate = Grow(u.Mana ? 5 : 0, 0, 0);
    p.ActionPoints = Grow(u.ActionPoints, 1, 5);
    p.MoraleRegenerate = Grow(10, 0, 0);
    p.Attack = Grow(u.Attack, 2, 2);
    p.CounterAttack = Grow(static_cast<i16>(u.Attack / 2), 1, 2);
    p.Defence = Grow(u.Defence, 1, 2);
    p.Sight = Grow(u.Sight, 1, 10);
    p.ExperienceBase = 100;
    p.ExperienceDelta = 50;
    p.ResetExperience();
    // A unit above level 1 starts with its level's values in full.
    for (i32 i = 0; i < GameData::TUnitProperties::PropertyCount; ++i)
      p.Property(i).Current = p.Property(i).ValueAt(p.Level);
    p.AllowedSpells = u.AllowedSpells;
    p.KnownSpells = u.AllowedSpells;
    p.AllowedSkills = GameData::MaskBit(1) | GameData::MaskBit(2);
    t.Int(u.ID);
    WritePropertiesText(t, p);
    t.Int(UnitSpriteID(u.ID, 10)).Int(UnitSpriteID(u.ID, 11)).Int(CreatureBookPictureID + u.ID).Int(1).Int(80);
    for (i32 set = 0; set < 10; ++set)
      for (i32 d = 0; d < 8; ++d)
        t.Int(set == 3 ? 0 : set >= GameData::FightStand ? FightSpriteID(u.ID, set, d) : UnitSpriteID(u.ID, set));
    t.Int(u.Kind).Int(u.Hero ? 1 : 0).Token(u.Name);
    t.Int(HitSoundID).Int(HitSoundID).Int(0);  // attack and death sounds
    t.Int(u.Hero ? 1 : 2).Int(u.Kind == 4 ? 3 : 2).Token(u.Description);
  }
  return t.Text();
}

std::string SpellPrototypeFile() {
  TTextBuilder t;
  t.Comment("spells").Token("Zauber").Int(static_cast<i64>(DemoMapSpellNumbers().size()) + DemoBattleSpellCount);
  WriteMapSpells(t);
  WriteBattleSpells(t);
  return t.Text();
}

std::string SkillPrototypeFile() {
  TTextBuilder t;
  t.Comment("skills").Token("Fertigkeiten").Int(3);
  auto skill = [&](i16 number, const char* name, i16 level, GameData::TUnitProperties bonus, u32 duration,
                   GameData::TUnitProperties effect) {
    t.Int(number).Token(name).Token(std::string(name) + " verbessert die Einheit.");
    t.Int(level).Int(2).Int(0);
    // Learning a skill adds its bonus, which carries the skill's own bit.
    bonus.KnownSkills |= GameData::MaskBit(number);
    WritePropertiesText(t, bonus);
    t.Int(duration);
    WritePropertiesText(t, effect);
  };
  GameData::TUnitProperties sword{}, tough{}, none{}, guard{};
  sword.Attack.Current = 2;
  sword.Attack.Base = 2;
  tough.HitPoints.Base = 10;
  guard.Defence.Current = 3;
  skill(1, "Schwertkampf", 1, sword, 0, none);
  skill(2, "Z\xE4higkeit", 2, tough, 2, guard);
  skill(45, "Magieresistenz", 3, none, 0, none);
  return t.Text();
}

std::string SpriteTableFile() {
  TTextBuilder t;
  t.Comment("sprite table: 1142 sprite IDs, then the banner cell size");
  for (i32 slot = 0; slot < 1142; ++slot) t.Int(SpriteTableID(slot));
  t.Int(12).Int(10);
  return t.Text();
}

}  // namespace Builder
