#include "world/data2/prototypes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/base.h"
#include "engine/data/stream.h"
#include "tools/databuilder/text_builder.h"

namespace {

using Builder::TTextBuilder;
using GameData::MaskBit;

// Stand-ins for the sound list's streams: never dereferenced.
TAudioStream* FakeSound(u32 id) { return reinterpret_cast<TAudioStream*>(static_cast<uintptr_t>(0x1000 + id * 16)); }

// The sound list of the tests knows IDs 0 (none) and 1 to 9.
struct TSounds {
  std::vector<u32> Asked;
  GameData::TSoundResolver Resolver() {
    return [this](u32 id) -> TAudioStream* {
      Asked.push_back(id);
      if (id == 0) return nullptr;
      if (id > 9) throw std::runtime_error(Base::Format("Audio stream with given ID not found (%d).", id));
      return FakeSound(id);
    };
  }
};

// 48 words (each its own index + base) and four masks.
void AddProperties(TTextBuilder& t, i64 base, u64 allowedSpells, u64 knownSpells, u64 allowedSkills,
                   u64 knownSkills) {
  for (int line = 0; line < 6; ++line) {
    for (int i = 0; i < 8; ++i) t.Int(base + line * 8 + i);
  }
  t.Bits(allowedSpells).Bits(knownSpells).Bits(allowedSkills).Bits(knownSkills);
}

struct TUnitText {
  i64 ID = 7;
  std::string Hero = "1";
  std::string Name = "Dunkler Ritter";
  i64 Sounds[3] = {3, 0, 9};
  std::string Description = "Ein Ritter; \xe4lter als die Stadt";
};

void AddUnit(TTextBuilder& t, const TUnitText& u) {
  t.Int(u.ID);
  AddProperties(t, 100, MaskBit(1), MaskBit(64), MaskBit(2), MaskBit(45));
  t.Ints({501, 502, 503, 1, 250});  // portrait, picture, book picture, idle mode and period
  for (int set = 0; set < 10; ++set) {
    for (int d = 0; d < 8; ++d) t.Int(1000 + set * 10 + d);
  }
  t.Int(-2);  // kind
  t.Token(u.Hero).Token(u.Name);
  t.Ints({u.Sounds[0], u.Sounds[1], u.Sounds[2]});
  t.Ints({3, 2});
  t.Token(u.Description);
}

std::string UnitFile(std::initializer_list<TUnitText> units, i64 count = -1) {
  TTextBuilder t;
  t.Comment("unit prototypes").Token("header");
  t.Int(count >= 0 ? count : static_cast<i64>(units.size()));
  for (const TUnitText& u : units) AddUnit(t, u);
  return t.Text();
}

void AddSpell(TTextBuilder& t, i64 number, const std::string& name) {
  t.Int(number).Int(3).Token(name).Token("Beschreibung mit Leerzeichen");
  t.Ints({9, 2, 15, 4, 20, 2, 77});                 // targets, level, mana, AP, experience, class, icon
  t.Int(300).Int(1).Int(4).Int(301).Int(0).Int(5);  // cast sprite, sound, time; flight sprite, sound, time
  t.Int(12).Int(302).Int(2).Int(6);                 // flight speed; impact sprite, sound, time
  t.Ints({0, -1, 2, -3, 4, -5, 6, -7, 8, 32767});
}

void AddSkill(TTextBuilder& t, i64 number) {
  t.Int(number).Token("Zaehigkeit").Token("").Ints({2, 5, 123456});
  AddProperties(t, 0, 0, MaskBit(3), 0, MaskBit(number));
  t.Int(4);
  AddProperties(t, -10, MaskBit(1), 0, 0, 0);
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST(UnitPrototypes, ReadsEveryFieldInFileOrder) {
  TSounds sounds;
  Data::TMemoryStream s(UnitFile({TUnitText{}, TUnitText{.ID = 8, .Hero = "0", .Name = "Wolf", .Sounds = {0, 0, 0}}}));
  Data::TDynamicArray<GameData::TUnitPrototype> table;
  GameData::ReadUnitPrototypes(s, table, sounds.Resolver());
  ASSERT_EQ(table.Count(), 2);
  const GameData::TUnitPrototype& u = table[0];
  EXPECT_EQ(u.ID, 7u);
  EXPECT_EQ(u.Properties.Level, 100);
  EXPECT_EQ(u.Properties.HitPoints.Current, 104);
  EXPECT_EQ(u.Properties.Sight.Every, 143);
  EXPECT_EQ(u.Properties.Reserved[1], 147);
  // File order: allowed spells, known spells, allowed skills, known skills.
  EXPECT_EQ(u.Properties.AllowedSpells, MaskBit(1));
  EXPECT_EQ(u.Properties.KnownSpells, MaskBit(64));
  EXPECT_EQ(u.Properties.AllowedSkills, MaskBit(2));
  EXPECT_EQ(u.Properties.KnownSkills, MaskBit(45));
  EXPECT_EQ(u.PortraitID, 501u);
  EXPECT_EQ(u.PictureID, 502u);
  EXPECT_EQ(u.BookPictureID, 503u);
  EXPECT_EQ(u.IdleMode, 1);
  EXPECT_EQ(u.IdlePeriod, 250u);
  EXPECT_EQ(u.SpriteIDs[GameData::MapStand][0], 1000u);
  EXPECT_EQ(u.SpriteIDs[GameData::MapDie][7], 1017u);
  EXPECT_EQ(u.SpriteIDs[GameData::FightCast][3], 1093u);
  EXPECT_EQ(u.Kind, -2);
  EXPECT_TRUE(u.Hero);
  EXPECT_STREQ(u.Name, "Dunkler Ritter");
  EXPECT_EQ(u.AttackSound, FakeSound(3));
  EXPECT_EQ(u.DeathSounds[0], nullptr);
  EXPECT_EQ(u.DeathSounds[1], FakeSound(9));
  EXPECT_EQ(u.WeaponKind, 3);
  EXPECT_EQ(u.ArmourKind, 2);
  EXPECT_STREQ(u.Description, "Ein Ritter; \xe4lter als die Stadt");

  const GameData::TUnitPrototype& w = table[1];
  EXPECT_EQ(w.ID, 8u);
  EXPECT_FALSE(w.Hero);
  EXPECT_STREQ(w.Name, "Wolf");
  EXPECT_EQ(w.AttackSound, nullptr);
  EXPECT_EQ(w.DeathSounds[0], nullptr);
  EXPECT_EQ(w.DeathSounds[1], nullptr);
  EXPECT_EQ(sounds.Asked, (std::vector<u32>{3, 0, 9, 0, 0, 0}));
}

TEST(UnitPrototypes, ReplacesTheTableAndAcceptsAnEmptyFile) {
  Data::TDynamicArray<GameData::TUnitPrototype> table;
  table.SetCount(3);
  TSounds sounds;
  Data::TMemoryStream s(TTextBuilder().Token("x").Int(0).Text());
  GameData::ReadUnitPrototypes(s, table, sounds.Resolver());
  EXPECT_EQ(table.Count(), 0);
}

TEST(UnitPrototypes, MaximumTextLengths) {
  TSounds sounds;
  Data::TMemoryStream s(UnitFile({TUnitText{.Name = Repeat('n', 79), .Description = Repeat('d', 2047)}}));
  Data::TDynamicArray<GameData::TUnitPrototype> table;
  GameData::ReadUnitPrototypes(s, table, sounds.Resolver());
  ASSERT_EQ(table.Count(), 1);
  EXPECT_EQ(std::string(table[0].Name), Repeat('n', 79));
  EXPECT_EQ(std::string(table[0].Description), Repeat('d', 2047));
}

TEST(UnitPrototypes, MalformedFilesStopLoading) {
  struct TCase {
    const char* what;
    std::string text;
    const char* message;  // null: any error of the reader concerned
  };
  const TCase cases[] = {
      {"hero flag 2", UnitFile({TUnitText{.Hero = "2"}}), "Invalid data."},
      {"hero flag -1", UnitFile({TUnitText{.Hero = "-1"}}), "Invalid data."},
      {"hero flag not a number", UnitFile({TUnitText{.Hero = "ja"}}), "'ja' is not a valid integer value."},
      {"name of 80 characters", UnitFile({TUnitText{.Name = Repeat('n', 80)}}), "Invalid data."},
      {"description of 2048 characters", UnitFile({TUnitText{.Description = Repeat('d', 2048)}}), "Invalid data."},
      {"unknown sound", UnitFile({TUnitText{.Sounds = {3, 10, 0}}}), "Audio stream with given ID not found (10)."},
      {"count beyond the file", UnitFile({TUnitText{}}, 2), nullptr},
      {"huge count", UnitFile({TUnitText{}}, 2000000000), "Stream read error."},
      {"negative count", TTextBuilder().Token("x").Int(-1).Text(), "Invalid data."},
      {"count not a number", TTextBuilder().Token("x").Token("zwei").Text(), "'zwei' is not a valid integer value."},
      {"truncated record", UnitFile({TUnitText{}}).substr(0, 700), nullptr},
      {"empty file", "", nullptr},
  };
  for (const TCase& c : cases) {
    TSounds sounds;
    Data::TMemoryStream s(c.text);
    Data::TDynamicArray<GameData::TUnitPrototype> table;
    try {
      GameData::ReadUnitPrototypes(s, table, sounds.Resolver());
      ADD_FAILURE() << c.what << ": no error";
    } catch (const std::runtime_error& e) {
      if (c.message) {
        EXPECT_STREQ(e.what(), c.message) << c.what;
      }
    }
  }
}

TEST(UnitPrototypes, MaskWithOtherDigitsStopsLoading) {
  std::string text = UnitFile({TUnitText{}});
  // The first mask line: 64 binary digits; spoil one.
  std::size_t at = text.find(std::string(63, '0') + "1\r\n");
  ASSERT_NE(at, std::string::npos);
  text[at + 5] = '2';
  TSounds sounds;
  Data::TMemoryStream s(text);
  Data::TDynamicArray<GameData::TUnitPrototype> table;
  EXPECT_THROW(GameData::ReadUnitPrototypes(s, table, sounds.Resolver()), std::runtime_error);
}

TEST(SpellPrototypes, ReadsEveryFieldAndLocksTheIcon) {
  TTextBuilder t;
  t.Token("spells").Int(2);
  AddSpell(t, 65, "Feuerball");
  AddSpell(t, 1, "Heilung der Gruppe");
  TSounds sounds;
  std::vector<u32> locked;
  std::vector<std::size_t> soundsAtLock;
  Data::TMemoryStream s(t.Text());
  Data::TDynamicArray<GameData::TSpellPrototype> table;
  GameData::ReadSpellPrototypes(s, table, sounds.Resolver(), [&](u32 icon) {
    locked.push_back(icon);
    soundsAtLock.push_back(sounds.Asked.size());
  });
  ASSERT_EQ(table.Count(), 2);
  const GameData::TSpellPrototype& p = table[0];
  EXPECT_EQ(p.Number, 65);
  EXPECT_EQ(p.Usage, 3);
  EXPECT_STREQ(p.Name, "Feuerball");
  EXPECT_STREQ(p.Description, "Beschreibung mit Leerzeichen");
  EXPECT_EQ(p.TargetFlags, 9u);
  EXPECT_EQ(p.Level, 2);
  EXPECT_EQ(p.ManaCost, 15);
  EXPECT_EQ(p.APCost, 4);
  EXPECT_EQ(p.CastExperience, 20);
  EXPECT_EQ(p.Class, 2);
  EXPECT_EQ(p.IconID, 77u);
  EXPECT_EQ(p.CastSpriteID, 300u);
  EXPECT_EQ(p.CastSound, FakeSound(1));
  EXPECT_EQ(p.CastFrameTime, 4u);
  EXPECT_EQ(p.FlightSpriteID, 301u);
  EXPECT_EQ(p.FlightSound, nullptr);
  EXPECT_EQ(p.FlightFrameTime, 5u);
  EXPECT_EQ(p.FlightSpeed, 12u);
  EXPECT_EQ(p.ImpactSpriteID, 302u);
  EXPECT_EQ(p.ImpactSound, FakeSound(2));
  EXPECT_EQ(p.ImpactFrameTime, 6u);
  const i16 params[10] = {0, -1, 2, -3, 4, -5, 6, -7, 8, 32767};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(p.Params[i], params[i]) << i;
  EXPECT_STREQ(table[1].Name, "Heilung der Gruppe");
  // The icon is locked right after it is read, before the record's sounds.
  EXPECT_EQ(locked, (std::vector<u32>{77, 77}));
  EXPECT_EQ(soundsAtLock, (std::vector<std::size_t>{0, 3}));
}

TEST(SpellPrototypes, MalformedFilesStopLoading) {
  auto file = [](const std::string& name) {
    TTextBuilder t;
    t.Token("spells").Int(1);
    AddSpell(t, 3, name);
    return t.Text();
  };
  TTextBuilder beyond;
  beyond.Token("spells").Int(3);
  AddSpell(beyond, 3, "eins");
  const std::string cases[] = {file(Repeat('s', 256)), beyond.Text(), file("x").substr(0, 60)};
  for (const std::string& text : cases) {
    TSounds sounds;
    Data::TMemoryStream s(text);
    Data::TDynamicArray<GameData::TSpellPrototype> table;
    EXPECT_THROW(GameData::ReadSpellPrototypes(s, table, sounds.Resolver(), nullptr), std::runtime_error);
  }
  // 255 characters fit.
  TSounds sounds;
  Data::TMemoryStream s(file(Repeat('s', 255)));
  Data::TDynamicArray<GameData::TSpellPrototype> table;
  GameData::ReadSpellPrototypes(s, table, sounds.Resolver(), nullptr);
  EXPECT_EQ(std::string(table[0].Name), Repeat('s', 255));
}

TEST(SkillPrototypes, ReadsBonusDurationAndEffect) {
  TTextBuilder t;
  t.Token("skills").Int(2);
  AddSkill(t, 45);
  AddSkill(t, 1);
  Data::TMemoryStream s(t.Text());
  Data::TDynamicArray<GameData::TSkillPrototype> table;
  GameData::ReadSkillPrototypes(s, table);
  ASSERT_EQ(table.Count(), 2);
  const GameData::TSkillPrototype& k = table[0];
  EXPECT_EQ(k.Number, 45);
  EXPECT_STREQ(k.Name, "Zaehigkeit");
  EXPECT_STREQ(k.Description, "");
  EXPECT_EQ(k.Level, 2);
  EXPECT_EQ(k.APCost, 5);
  EXPECT_EQ(k.Unused, 123456u);
  EXPECT_EQ(k.Bonus.Level, 0);
  EXPECT_EQ(k.Bonus.Reserved[1], 47);
  EXPECT_EQ(k.Bonus.KnownSpells, MaskBit(3));
  EXPECT_EQ(k.Bonus.KnownSkills, MaskBit(45));
  EXPECT_EQ(k.Duration, 4u);
  EXPECT_EQ(k.Effect.Level, -10);
  EXPECT_EQ(k.Effect.Attack.Current, -10 + 28);
  EXPECT_EQ(k.Effect.AllowedSpells, MaskBit(1));
  EXPECT_EQ(table[1].Number, 1);
  EXPECT_EQ(table[1].Bonus.KnownSkills, MaskBit(1));
}

TEST(SkillPrototypes, MalformedFilesStopLoading) {
  TTextBuilder beyond;
  beyond.Token("skills").Int(2);
  AddSkill(beyond, 1);
  TTextBuilder longText;
  longText.Token("skills").Int(1).Int(1).Token("k").Token(Repeat('d', 2048));
  TTextBuilder badMask;
  badMask.Token("skills").Int(1);
  AddSkill(badMask, 1);
  std::string spoiled = badMask.Text();
  spoiled[spoiled.rfind(std::string(64, '0'))] = 'x';
  for (const std::string& text : {beyond.Text(), longText.Text(), spoiled}) {
    Data::TMemoryStream s(text);
    Data::TDynamicArray<GameData::TSkillPrototype> table;
    EXPECT_THROW(GameData::ReadSkillPrototypes(s, table), std::runtime_error);
  }
}

}  // namespace
