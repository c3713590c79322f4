// Until the battle screen is drawn, an attack on the map is fought out at
// once with the battle engine's rules and automatic orders.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/game/game_fixture.h"
#include "world/map/map_object.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {
namespace {

using namespace GameData;

class UnseenBattle : public TGameFixture {};

i32 CountOf(const TScenario& s, u16 type) {
  return static_cast<i32>(
      std::count_if(s.MapObjects.begin(), s.MapObjects.end(), [type](const TMapObject* o) { return o->Type == type; }));
}

TEST_F(UnseenBattle, AttackKillsLeavesCorpsesAndReportsLevels) {
  StartMission(1);
  TGroup* own = S().FindGroup(GroupOf(1));
  const u32 foreignID = GroupOf(2);
  TGroup* foreign = S().FindGroup(foreignID);
  ASSERT_TRUE(own && foreign);
  // Strong attackers one point short of their next level, who fight with
  // their weapons, not their spells; weak defenders.
  for (TUnit* u : own->Units) {
    if (!u) continue;
    u->Base.Attack.Current = 120;
    u->Base.KnownSpells = 0;
    u->Base.Experiences = static_cast<i16>(u->Base.ExperienceForLevel(u->Base.Level + 1) - 1);
    u->RecalcEffective(true);
  }
  i32 defenders = foreign->GetUnitCount();
  for (TUnit* u : foreign->Units)
    if (u) u->Base.HitPoints.Current = 5, u->RecalcEffective(true);
  const i32 corpses = CountOf(S(), otNaturalCorpse);
  // The ticker lets a line creep away a second after it came; a tall ticker
  // keeps the report however long the figures take to fall.
  Game->MessageLineCount = 200;
  Act({atSelect, own->ID});
  Act({atAttackGroup, foreignID});
  EXPECT_EQ(S().FindGroup(foreignID), nullptr) << "the beaten group leaves the map";
  EXPECT_EQ(CountOf(S(), otNaturalCorpse), corpses + defenders);
  EXPECT_FALSE(own->InBattle);
  EXPECT_EQ(S().BattleRunning, 0);
  EXPECT_TRUE(std::any_of(Game->Messages.begin(), Game->Messages.end(),
                          [](const std::string& m) { return m.find(" erreichte Level ") != std::string::npos; }));
}

}  // namespace
}  // namespace GameTest
