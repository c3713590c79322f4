// The casting rules: the slight shuffle, when a rule stops, and the
// simulation on copies that leaves the world as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "tests/ai/ai_combat_fixture.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace GameData;
using namespace AIHandler;
using AITest::TAICombatFixture;
using WorldTest::Knight;
using WorldTest::Wolf;

class AISpellRules : public TAICombatFixture {};

TEST_F(AISpellRules, AShuffleDrawsOncePerNeighbourPairAndSwapsOnTheDrawsBelowP) {
  const struct {
    i32 count;
    double p;
    u32 seed;
  } rows[] = {{1, 0.5, 3}, {2, 0.1, 4}, {4, 0.3, 5}, {8, 0.5, 6}, {8, 0.01, 9}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.count);
    std::vector<i32> list, expected;
    for (i32 i = 0; i < row.count; ++i) list.push_back(10 + i);
    expected = list;
    SeedRandom(RandomThread, row.seed);
    TRandomState reference = RandomThread;
    for (i32 i = 0; i + 1 < row.count; ++i)
      if (static_cast<double>(NextRandom(reference)) / 2147483648.0 < row.p) std::swap(expected[i], expected[i + 1]);
    TAIHandler::ShuffleSpellList(list.data(), row.count, row.p);
    EXPECT_EQ(list, expected);
    EXPECT_EQ(RandomThread.Low, reference.Low) << "exactly count - 1 draws";
    EXPECT_EQ(RandomThread.High, reference.High);
  }
}

// A healing cast brings the unit up by the gain; the rule stops once the
// weakest unit has 80 % of its maximum, trying each spell once per caster.
TEST_F(AISpellRules, HealingStopsAtEightyPercent) {
  const struct {
    i32 start, gain;
    std::size_t casts;
  } rows[] = {{50, 30, 1}, {50, 29, 2}, {79, 1, 1}, {10, 10, 3}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.start << " + " << row.gain);
    TGroup* g = NewGroup(2, 5, 5, {Knight});
    MakeCaster(g);
    SetHitPoints(g->Units[0], row.start, 100);
    Select(g);
    OnCast = [&](const TActionRecord& r) {
      EXPECT_EQ(r.Words[1], g->Units[0]->ID);
      EXPECT_EQ(r.Words[3], 5u);
      EXPECT_EQ(r.Words[4], 5u);
      g->Units[0]->Effective.HitPoints.Current = static_cast<i16>(g->Units[0]->Effective.HitPoints.Current + row.gain);
    };
    bool cast = false;
    const auto records = Play(2, [&] { cast = Handler(2).CastHealingSpells(g, g); });
    EXPECT_TRUE(cast);
    const std::vector<i32> spells = Casts(records);
    EXPECT_EQ(spells.size(), row.casts);
    for (i32 s : spells) EXPECT_TRUE(s == 12 || s == 54 || s == 1) << s;
    Scenario->RemoveMapObject(g, true);
  }
}

TEST_F(AISpellRules, FiltersDecideOnTheTargetAsItIsNow) {
  const struct {
    const char* name;
    i32 hp, morale, sight;
    bool (TAIHandler::*rule)(TGroup*, TGroup*);
    std::set<i32> noEffect;
    std::vector<i32> casts;
    bool result;
  } rows[] = {
      {"strength 39 at 70 % and morale 51", 70, 51, 3, &TAIHandler::CastStrengthSpells, {6}, {39}, true},
      {"strength 39 below 70 %", 69, 51, 3, &TAIHandler::CastStrengthSpells, {6}, {}, false},
      {"strength 39 at morale 50", 70, 50, 3, &TAIHandler::CastStrengthSpells, {6}, {}, false},
      {"shield 39 likewise", 69, 80, 3, &TAIHandler::CastShieldSpells, {2}, {}, false},
      {"morale 7 below 50 only", 100, 50, 3, &TAIHandler::CastMoraleSpells, {37, 46, 3}, {}, false},
      {"morale 7 at 49", 100, 49, 3, &TAIHandler::CastMoraleSpells, {37, 46, 3}, {7}, true},
      {"sight of one field: done without a cast", 100, 60, 1, &TAIHandler::CastSightSpells, {}, {}, true},
      {"sight of three fields", 100, 60, 3, &TAIHandler::CastSightSpells, {13}, {16}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TGroup* g = NewGroup(2, 5, 5, {Knight});
    MakeCaster(g);
    SetHitPoints(g->Units[0], row.hp, 100);
    SetMorale(g, row.morale);
    g->Units[0]->Effective.Sight.Current = static_cast<i16>(row.sight);
    Select(g);
    NoEffect = row.noEffect;
    bool result = !row.result;
    const auto records = Play(2, [&] { result = (Handler(2).*row.rule)(g, g); });
    EXPECT_EQ(Casts(records), row.casts);
    EXPECT_EQ(result, row.result);
    Scenario->RemoveMapObject(g, true);
  }
}

// Four lone hostiles around a field: 55 goes once, the others once per
// caster until the cluster breaks up.
TEST_F(AISpellRules, TheClusterRuleCastsFiftyFiveAtMostOnce) {
  TGroup* g = NewGroup(2, 10, 13, {Knight, Knight, Knight});
  MakeCaster(g);
  for (auto [x, y] : {std::pair{9, 9}, {10, 9}, {9, 10}, {11, 11}}) NewGroup(1, x, y, {Wolf});
  Select(g);
  i32 count = 0;
  ASSERT_TRUE(Handler(2).CountLoneHostiles(10, 10, count, 2));
  EXPECT_EQ(count, 4);
  NoEffect = {19, 18};
  auto records = Play(2, [&] { Handler(2).CastClusterSpells(g, 10, 10); });
  std::vector<i32> casts = Casts(records);
  EXPECT_EQ(std::count(casts.begin(), casts.end(), 55), 1);
  EXPECT_EQ(std::count(casts.begin(), casts.end(), 45), 3) << "one per caster";
  // A friend near the field ends it.
  NewGroup(2, 8, 11, {Wolf});
  EXPECT_FALSE(Handler(2).CountLoneHostiles(10, 10, count, 2));
  records = Play(2, [&] { Handler(2).CastClusterSpells(g, 10, 10); });
  casts = Casts(records);
  EXPECT_EQ(casts.size(), 1u) << "the rule asks only after a cast";
}

TEST_F(AISpellRules, TheSimulationPicksTheMostDamagingCastOnCopiesAndLeavesTheWorldAlone) {
  TGroup* caster = NewGroup(2, 4, 4, {Knight, Knight});
  TGroup* target = NewGroup(1, 6, 4, {Wolf, Wolf});
  MakeCaster(caster);
  for (TUnit* u : target->Units)
    if (u) SetHitPoints(u, 30, 30);
  Select(caster);
  const i32 list[] = {10, 43, 24, 0, 42};
  const struct {
    const char* name;
    std::map<i32, i32> damage;
    std::set<i32> noEffect;
    i32 best, slot, index;
  } rows[] = {
      {"none castable", {{10, 5}}, {10, 43, 24, 42}, 0, -1, -1},
      {"the larger wins", {{10, 5}, {43, 7}}, {}, 14, 1, 1},
      {"later candidates win ties", {{10, 7}, {43, 7}, {24, 7}}, {}, 14, 1, 2},
      {"healing counts as none", {{42, -9}}, {10, 43, 24}, 0, 1, 4},
      {"more than the target has", {{24, 50}}, {}, 100, 1, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SimulatedDamage = row.damage;
    NoEffect = row.noEffect;
    const TRandomState main = RandomMain;
    const i32 units = Scenario->Units.Count(), aiUnits = Handler(2).Units.Count() + Handler(1).Units.Count();
    i32 slot = 7, index = 7;
    const i32 best = Handler(2).FindBestSpellBySimulation(caster, target, slot, index, 5, list);
    EXPECT_EQ(best, row.best);
    EXPECT_EQ(slot, row.slot);
    EXPECT_EQ(index, row.index);
    EXPECT_EQ(target->GetTotalHitPoints(), 60);
    EXPECT_EQ(Scenario->Units.Count(), units);
    EXPECT_EQ(Handler(2).Units.Count() + Handler(1).Units.Count(), aiUnits);
    EXPECT_EQ(RandomMain.Low, main.Low);
    EXPECT_EQ(RandomMain.High, main.High);
  }
  // Nothing castable: the rule built on it casts nothing.
  NoEffect = {10, 43, 24, 42, 41, 17, 57, 40, 53, 20, 5, 48, 60, 31, 29, 14};
  EXPECT_TRUE(Casts(Play(2, [&] { Handler(2).CastSimulatedSpells(caster, target); })).empty());
}

// The simulated rule casts the best spell until the target is gone.
TEST_F(AISpellRules, SimulatedCastsGoOnUntilTheTargetIsGone) {
  TGroup* caster = NewGroup(2, 4, 4, {Knight});
  TGroup* target = NewGroup(1, 6, 4, {Wolf});
  MakeCaster(caster);
  SetHitPoints(target->Units[0], 30, 30);
  Select(caster);
  SimulatedDamage = {{41, 12}, {17, 11}};
  const u32 targetID = target->ID;
  OnCast = [&](const TActionRecord& r) {
    TGroup* t = Scenario->FindGroup(targetID);
    ASSERT_NE(t, nullptr);
    const i32 hp = t->Units[0]->Effective.HitPoints.Current - SimulatedDamage[static_cast<i32>(r.Words[2])];
    if (hp > 0)
      t->Units[0]->Effective.HitPoints.Current = static_cast<i16>(hp);
    else
      Scenario->RemoveMapObject(t, true);
  };
  bool cast = false;
  const auto records = Play(2, [&] { cast = Handler(2).CastSimulatedSpells(caster, target); });
  EXPECT_TRUE(cast);
  EXPECT_EQ(Casts(records), (std::vector<i32>{41, 41, 41}));
  EXPECT_EQ(Scenario->FindGroup(targetID), nullptr);
}

}  // namespace
