#include "world/units/unit_properties.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "tests/world/world_fixture.h"

namespace {

using GameData::TUnitProperties;
using GameData::TUnitProperty;
using WorldTest::Prop;

// A record with distinct values in every word and mask.
TUnitProperties Distinct() {
  TUnitProperties p{};
  for (i32 i = 0; i < TUnitProperties::WordCount; ++i) p.Word(i) = static_cast<i16>(i * 3 - 20);
  p.AllowedSkills = 0x0102030405060708ull;
  p.KnownSkills = 0x1112131415161718ull;
  p.AllowedSpells = 0x2122232425262728ull;
  p.KnownSpells = 0x8132333435363738ull;
  return p;
}

TEST(UnitProperty, ValueAtLevel) {
  struct TCase {
    TUnitProperty p;
    i32 level;
    i16 expected;
  };
  const TCase cases[] = {
      {Prop(10, 2, 3), 1, 10}, {Prop(10, 2, 3), 3, 10}, {Prop(10, 2, 3), 4, 12}, {Prop(10, 2, 3), 6, 12},
      {Prop(10, 2, 3), 7, 14}, {Prop(10, 2, 0), 1, 10}, {Prop(10, 2, 0), 20, 10}, {Prop(10, -3, 1), 5, -2},
      // Computed in 32 bits, kept in the low 16.
      {Prop(32767, 1, 1), 2, -32768},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(c.p.ValueAt(c.level), c.expected) << c.p.Base << "/" << c.p.Delta << "/" << c.p.Every << " L" << c.level;
}

TEST(UnitProperties, LayoutIsTheStoredFormat) {
  TUnitProperties p{};
  p.Level = 0x0102;
  p.Experiences = 0x0304;
  p.HitPoints = {0x1111, 0x1212, 0x1313, 0x1414};
  p.Sight = {0x2121, 0x2222, 0x2323, 0x2424};
  p.ExperienceBase = 0x3131;
  p.ExperienceDelta = 0x3232;
  p.Reserved[1] = 0x3333;
  p.AllowedSkills = 0x0807060504030201ull;
  p.KnownSpells = 0xF1F2F3F4F5F6F7F8ull;
  Data::TMemoryStream s;
  p.Write(s);
  const std::vector<u8>& b = s.Memory();
  ASSERT_EQ(b.size(), 128u);
  EXPECT_EQ(b[0], 0x02);
  EXPECT_EQ(b[1], 0x01);
  EXPECT_EQ(b[2], 0x04);
  EXPECT_EQ(b[8], 0x11);
  EXPECT_EQ(b[10], 0x12);
  EXPECT_EQ(b[14], 0x14);
  EXPECT_EQ(b[80], 0x21);
  EXPECT_EQ(b[86], 0x24);
  EXPECT_EQ(b[88], 0x31);
  EXPECT_EQ(b[90], 0x32);
  EXPECT_EQ(b[94], 0x33);
  // Masks: low double word first.
  EXPECT_EQ(b[96], 0x01);
  EXPECT_EQ(b[103], 0x08);
  EXPECT_EQ(b[120], 0xF8);
  EXPECT_EQ(b[127], 0xF1);

  // Words by index follow the same order.
  EXPECT_EQ(p.Word(4), 0x1111);
  EXPECT_EQ(p.Word(43), 0x2424);
  EXPECT_EQ(p.Word(44), 0x3131);
  EXPECT_EQ(p.Word(47), 0x3333);
}

TEST(UnitProperties, StreamRoundTripAndTruncation) {
  const TUnitProperties p = Distinct();
  Data::TMemoryStream s;
  p.Write(s);
  s.Seek(0, Data::soBeginning);
  TUnitProperties q{};
  q.Read(s);
  EXPECT_EQ(std::memcmp(&p, &q, sizeof p), 0);

  std::vector<u8> bytes = s.Memory();
  bytes.resize(127);
  Data::TMemoryStream truncated(bytes);
  EXPECT_THROW(q.Read(truncated), std::runtime_error);
}

TEST(UnitProperties, MaskBits) {
  EXPECT_EQ(GameData::MaskBit(1), 1ull << 63);
  EXPECT_EQ(GameData::MaskBit(64), 1ull);
  EXPECT_EQ(GameData::MaskBit(6), 1ull << 58);
  EXPECT_EQ(GameData::MaskBit(70), GameData::MaskBit(6)) << "battle spell n + 64 shares map spell n";
  EXPECT_EQ(GameData::MaskBit(128), 1ull);
  EXPECT_EQ(GameData::MaskBit(0), 0ull);
  EXPECT_EQ(GameData::MaskBit(129), 0ull);
}

TEST(UnitProperties, ExperienceAndLevels) {
  TUnitProperties p{};
  p.ExperienceBase = 100;
  p.ExperienceDelta = 50;
  const i32 needs[] = {0, 0, 150, 350, 600};
  for (i32 level = 0; level <= 4; ++level) EXPECT_EQ(p.ExperienceForLevel(level), needs[level]) << level;
  EXPECT_EQ(p.ExperienceForLevel(-3), 0);
  EXPECT_EQ(p.ExperienceForLevel(20), 19 * 100 + 50 * 20 * 19 / 2);
  EXPECT_EQ(p.ExperienceForLevel(32767), std::numeric_limits<i32>::max()) << "saturates instead of overflowing";
  p.ExperienceDelta = -50;
  EXPECT_EQ(p.ExperienceForLevel(32767), std::numeric_limits<i32>::min());
  p.ExperienceDelta = 50;

  EXPECT_EQ(p.LevelForExperience(0), 1);
  EXPECT_EQ(p.LevelForExperience(-50), 1);
  EXPECT_EQ(p.LevelForExperience(149), 1);
  EXPECT_EQ(p.LevelForExperience(150), 2);
  EXPECT_EQ(p.LevelForExperience(349), 2);
  EXPECT_EQ(p.LevelForExperience(600), 4);
  EXPECT_EQ(p.LevelForExperience(30000), 20);

  p.Level = 3;
  p.ResetExperience();
  EXPECT_EQ(p.Experiences, 350);
}

TEST(UnitProperties, ReachesLevelAboveAsLevelForExperienceDoes) {
  // Growing, flat, shrinking and mixed thresholds.
  const i16 slopes[][2] = {{100, 50}, {0, 0}, {100, 0}, {0, 7}, {-100, 50}, {100, -50}, {-3, -4}, {32767, 32767}};
  for (const auto& [base, delta] : slopes) {
    TUnitProperties p{};
    p.ExperienceBase = base;
    p.ExperienceDelta = delta;
    std::vector<i32> points = {std::numeric_limits<i32>::min(), -1, 0, 1, std::numeric_limits<i32>::max()};
    for (i32 l = 1; l <= GameData::MaxLevel + 1; ++l)
      for (i32 d : {-1, 0, 1}) points.push_back(p.ExperienceForLevel(l) + d);
    for (i32 level = -1; level <= GameData::MaxLevel + 1; ++level)
      for (i32 x : points)
        EXPECT_EQ(p.ReachesLevelAbove(x, level), p.LevelForExperience(x) > level)
            << base << "/" << delta << " L" << level << " " << x;
  }
}

TEST(UnitProperties, RecalcSetsEveryCurrentValue) {
  TUnitProperties p{};
  p.Level = 4;
  for (i32 i = 0; i < TUnitProperties::PropertyCount; ++i) p.Property(i) = {-1, static_cast<i16>(10 * i), 1, 3};
  p.Recalc();
  for (i32 i = 0; i < TUnitProperties::PropertyCount; ++i) EXPECT_EQ(p.Property(i).Current, 10 * i + 1) << i;
}

class UnitPropertiesWorld : public WorldTest::TWorldFixture {};

TEST_F(UnitPropertiesWorld, NewTurnRefillsActionPointsAndStepsMorale) {
  TUnitProperties p{};
  p.Level = 1;
  p.ActionPoints = {2, 12, 0, 0};
  p.MoraleRegenerate = Prop(15);
  struct TCase {
    i16 morale;
    i16 regenerate;
    i16 expected;
  };
  const TCase cases[] = {{80, 15, 79}, {40, 15, 50}, {50, 15, 50}, {30, 5, 35}, {40, -5, 35}, {51, 15, 50}};
  for (const TCase& c : cases) {
    p.Morale = c.morale;
    p.MoraleRegenerate.Current = c.regenerate;
    p.ActionPoints.Current = 2;
    p.NewTurn();
    EXPECT_EQ(p.Morale, c.expected) << c.morale << " +" << c.regenerate;
    EXPECT_EQ(p.ActionPoints.Current, 12);
  }
}

TEST_F(UnitPropertiesWorld, ResetMoraleTakesTheNormalMorale) {
  TUnitProperties p{};
  p.Morale = 99;
  p.ResetMorale();
  EXPECT_EQ(p.Morale, 50);
}

TEST(UnitProperties, Regeneration) {
  TUnitProperties p{};
  p.Level = 1;
  p.HitPoints = {10, 40, 0, 0};
  p.HPRegenerate = Prop(5);
  p.Mana = {18, 20, 0, 0};
  p.ManaRegenerate = Prop(5);
  p.RegenerateHitPoints(3);
  EXPECT_EQ(p.HitPoints.Current, 11);
  p.RegenerateHitPoints(1);
  EXPECT_EQ(p.HitPoints.Current, 16);
  p.RegenerateMana(2);
  EXPECT_EQ(p.Mana.Current, 20);
  p.RegenerateMana(1);
  EXPECT_EQ(p.Mana.Current, 20) << "never above the maximum";
}

TEST(UnitProperties, AddAddsWordsAndOrsMasks) {
  TUnitProperties p = Distinct();
  const TUnitProperties before = p;
  TUnitProperties change{};
  change.Attack.Current = 3;
  change.Reserved[0] = 1;
  change.HitPoints.Base = 32767;  // wraps around in 16 bits
  change.KnownSpells = GameData::MaskBit(3);
  p.Add(change);
  p.Add(change);
  EXPECT_EQ(p.Attack.Current, before.Attack.Current + 6);
  EXPECT_EQ(p.Reserved[0], before.Reserved[0] + 2);
  EXPECT_EQ(p.HitPoints.Base, static_cast<i16>(before.HitPoints.Base + 2 * 32767));
  EXPECT_EQ(p.KnownSpells, before.KnownSpells | GameData::MaskBit(3));
  EXPECT_EQ(p.AllowedSpells, before.AllowedSpells);
  for (i32 i = 0; i < TUnitProperties::WordCount; ++i) {
    if (i == 4 + 6 * 4 || i == 46 || i == 5) continue;  // ATTACK current, reserved, HITPOINTS BASE
    EXPECT_EQ(p.Word(i), before.Word(i)) << i;
  }
  // No word is left out (none of Distinct's is zero).
  TUnitProperties twice = before;
  twice.Add(before);
  for (i32 i = 0; i < TUnitProperties::WordCount; ++i) EXPECT_EQ(twice.Word(i), static_cast<i16>(2 * before.Word(i))) << i;
}

TEST_F(UnitPropertiesWorld, LearnAllowedSpellsOnlyReachedAndExisting) {
  // Spells 1 (level 1) and 3 (level 3) exist; 2 does not.
  TUnitProperties p{};
  p.Level = 2;
  p.AllowedSpells = GameData::MaskBit(1) | GameData::MaskBit(2) | GameData::MaskBit(3);
  p.LearnAllowedSpells();
  EXPECT_EQ(p.KnownSpells, GameData::MaskBit(1));
  p.Level = 3;
  p.LearnAllowedSpells();
  EXPECT_EQ(p.KnownSpells, GameData::MaskBit(1) | GameData::MaskBit(3));
}

TEST_F(UnitPropertiesWorld, RandomizeBaseVariesTheTenBasesWithOneDrawEach) {
  TUnitProperties p{};
  p.Level = 1;
  for (i32 i = 0; i < TUnitProperties::PropertyCount; ++i) p.Property(i) = {0, 100, 7, 2};
  p.HitPoints.Base = 5;  // too small to vary, still one draw
  p.ExperienceBase = 100;
  GameData::RandomMain = {12345, 0};
  p.RandomizeBase();
  // Ten steps of the stream from the seed.
  TRandomState expected{12345, 0};
  for (int i = 0; i < 10; ++i) NextRandom(expected);
  EXPECT_EQ(GameData::RandomMain.Low, expected.Low);
  EXPECT_EQ(GameData::RandomMain.High, expected.High);
  EXPECT_EQ(p.HitPoints.Base, 5);
  // The second draw, 1382990846 mod 21 = 20, gives HPREGENERATE 110.
  EXPECT_EQ(p.HPRegenerate.Base, 110);
  for (i32 i = 0; i < TUnitProperties::PropertyCount; ++i) {
    const TUnitProperty& q = p.Property(i);
    if (i > 0) {
      EXPECT_GE(q.Base, 90);
      EXPECT_LE(q.Base, 110);
    }
    EXPECT_EQ(q.Current, q.Base) << "recalculated";
    EXPECT_EQ(q.Delta, 7);
    EXPECT_EQ(q.Every, 2);
  }
  EXPECT_EQ(p.ExperienceBase, 100);
  EXPECT_EQ(p.Level, 1);
}

TEST(UnitProperties, ValuesByScriptKey) {
  TUnitProperties p{};
  p.Level = 4;
  p.Morale = 60;
  p.Experiences = 700;
  p.ExperienceBase = 100;
  p.ExperienceDelta = 50;
  p.HitPoints = {33, 40, 5, 1};
  p.Mana = {1, 20, 2, 2};
  p.ActionPoints = {3, 12, 0, 0};
  p.Sight = {4, 3, 1, 5};
  struct TCase {
    const char* key;
    i32 value;
  };
  const TCase cases[] = {{"LEVEL", 4},          {"MORALE", 60},          {"EXPERIENCES", 700},
                         {"EXPERIENCEBASE", 100}, {"EXPERIENCEDELTA", 50}, {"HITPOINTS", 33},
                         {"HITPOINTSBASE", 40}, {"HITPOINTSDELTA", 5},   {"HITPOINTSEVERY", 1},
                         {"HITPOINTSMAX", 55},  {"MANAMAX", 22},         {"ACTIONPOINTSMAX", 12},
                         {"SIGHT", 4},          {"SIGHTEVERY", 5}};
  for (const TCase& c : cases) EXPECT_EQ(p.GetValue(c.key), c.value) << c.key;

  p.SetValue("DEFENCEDELTA", 9);
  EXPECT_EQ(p.Defence.Delta, 9);
  p.SetValue("MORALEREGENERATEBASE", -4);
  EXPECT_EQ(p.MoraleRegenerate.Base, -4);
  p.SetValue("LEVEL", 2);
  EXPECT_EQ(p.GetValue("HITPOINTSMAX"), 45);

  for (const char* key : {"SIGHTMAX", "HIREPRICE", "hitpoints", "", "ATTACKBASEX"}) {
    try {
      p.GetValue(key);
      ADD_FAILURE() << key;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Unknown property: ") + key + ".");
    }
    EXPECT_THROW(p.SetValue(key, 1), std::runtime_error) << key;
  }
}

}  // namespace
