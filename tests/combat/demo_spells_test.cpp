// The demo data's map spells as the game loads them: alpha sprites that
// reach the device, frame times, speeds and frame counts that keep every
// division away from 0, and a whole course with its effect on a demo map.
#include <gtest/gtest.h>

#include <algorithm>

#include "combat/map_spell_effects.h"
#include "combat/spell.h"
#include "engine/gfx/sprite.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/world/demo_world.h"
#include "tools/demodata/rules/demo_spells.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/spell_course.h"
#include "world/units/group.h"

namespace CombatTest {
namespace {

using namespace GameData;

bool IsOneOf(i32 n, std::initializer_list<i32> set) { return std::find(set.begin(), set.end(), n) != set.end(); }

TEST(DemoSpells, EveryMapSpellPlaysAndDividesByNothingZero) {
  TestSupport::TGfxDisplay display(200, 150);
  WorldTest::TDemoWorld world;
  ConnectSpellModule();
  const std::vector<i32> numbers = Builder::DemoMapSpellNumbers();
  ASSERT_GE(numbers.size(), 29u);
  std::unique_ptr<TScenario> scenario = WorldTest::TDemoWorld::Load(world.ScenarioFile("demo1.scn"));
  scenario->CurrentPlayerIndex = 1;
  scenario->ViewingPlayer = scenario->PlayerAt(1);
  for (i32 n : numbers) {
    SCOPED_TRACE("spell " + std::to_string(n));
    const TSpellPrototype* record = FindSpellRecord(n);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Usage, 1);
    EXPECT_GT(record->CastFrameTime, 0u);
    EXPECT_GT(record->FlightFrameTime, 0u);
    EXPECT_GT(record->ImpactFrameTime, 0u);
    EXPECT_GT(record->FlightSpeed, 0u);
    TSpell spell;
    spell.Scenario = scenario.get();
    spell.Init(record, 100);
    for (Gfx::TSprite* s : {spell.CastSprite, spell.FlightSprite, spell.ImpactSprite}) {
      ASSERT_NE(s, nullptr);
      EXPECT_NE(s->AlphaMode(), 0) << "drawn rotated and along lines: alpha";
      EXPECT_TRUE(s->Flags & Gfx::sfDeviceObjects);
      EXPECT_GT(TSpell::UsableFrames(s), 0);
    }
    EXPECT_LE(80 / TSpell::UsableFrames(spell.CastSprite), 80) << "the projectiles' pixels per cast frame";
    spell.Start(300, 300, 460, 380);
    if (IsOneOf(n, {17, 29, 31, 40})) {
      EXPECT_GT(spell.FlightLength, 0u);
    }
    if (n == 33) {
      EXPECT_GT(record->Params[9], 0) << "a radius before the first cast";
    }
    i32 steps = 0;
    for (; steps < 2000 && !spell.Finished; ++steps) {
      spell.Tick();
      spell.Draw(D3DFramework->BackBuffer, -200, -250, 0);
    }
    EXPECT_TRUE(spell.Finished);
  }
  ConnectSpellRules({});
}

// Every battle spell shows its cast, flight and impact: the flying ones take
// time on the way, and each course raises its effect once and ends.
TEST(DemoSpells, EveryBattleSpellFliesAndLands) {
  TestSupport::TGfxDisplay display(800, 600);
  WorldTest::TDemoWorld world;
  for (i16 n = 65; n <= 125; ++n) {
    SCOPED_TRACE("spell " + std::to_string(n));
    const TSpellPrototype* record = FindSpellRecord(n);
    ASSERT_NE(record, nullptr);
    EXPECT_GT(record->FlightSpeed, 0u);
    TSpell spell;
    spell.Init(record, 100);
    for (Gfx::TSprite* s : {spell.CastSprite, spell.FlightSprite, spell.ImpactSprite}) {
      ASSERT_NE(s, nullptr);
      EXPECT_NE(s->AlphaMode(), 0);
      EXPECT_GT(TSpell::UsableFrames(s), 0);
    }
    // From the first attacker's cell to the first defender's, on the field.
    spell.Start(32, 224, 224, 32);
    const bool flies = IsOneOf(n, {77, 78, 81, 82, 93, 95, 98, 104, 105, 106, 116, 119, 124});
    EXPECT_EQ(spell.FlightLength > 0, flies);
    EXPECT_GT(spell.ImpactLength, 0u);
    i32 steps = 0, effects = 0;
    for (; steps < 3000 && !spell.Finished; ++steps) {
      spell.Tick();
      effects += spell.EffectFlag ? 1 : 0;
      spell.Draw(D3DFramework->BackBuffer, 208, 150, 0);
    }
    EXPECT_TRUE(spell.Finished);
    EXPECT_EQ(effects, 1);
  }
}

}  // namespace
}  // namespace CombatTest
