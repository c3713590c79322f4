// Group combat: when a hopeless attack is given up or turned into a
// retreat, with its coin flips on the player thread's stream, how near is
// near, and where a retreat goes.
#include <gtest/gtest.h>

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

// The first seed whose first draw lies below one half (heads) or not.
u32 SeedWithFirstDraw(bool heads) {
  for (u32 seed = 1;; ++seed) {
    TRandomState r;
    SeedRandom(r, seed);
    if ((static_cast<double>(NextRandom(r)) / 2147483648.0 < 0.5) == heads) return seed;
  }
}

enum TOutcome { Attack, Hold, Retreat };

class AIGroupCombat : public TAICombatFixture {
 protected:
  // A lone wolf of player 2 at (3, 8) that casts nothing, against three
  // knights of player 1 `distance` fields east.
  TOutcome Fight(i32 distance, i32 priority, u32 seed, i32* retreatX = nullptr, i32* retreatY = nullptr) {
    MakeScenario(16, 16, 3);
    for (i32 i = 1; i <= 2; ++i) Scenario->PlayerAt(i)->Relations[3 - i] = rHostile;
    TGroup* s = NewGroup(2, 3, 8, {Wolf});
    TGroup* t = NewGroup(1, 3 + distance, 8, {Knight, Knight, Knight});
    MakeMundane(s);
    SetMorale(s, 60);
    s->Units[0]->Effective.ActionPoints.Current = 10;
    s->Units[0]->Effective.Attack.Current = 1;
    for (TUnit* u : t->Units) {
      u->Effective.ActionPoints.Current = 40;
      u->Effective.CounterAttack.Current = 40;
    }
    Select(s);
    EXPECT_LT(s->EstimateReadyAttackDamage(t), t->EstimateReadyCounterAttackDamage(s)) << "hopeless";
    TAITask task(&Handler(2), false);
    task.Priority = priority;
    TAIVirtualUnitList units;
    units.Add(Handler(2).FindAIUnit(s->Units[0]));
    SeedRandom(RandomThread, seed);
    const auto records = Play(2, [&] { Handler(2).GroupCombat(units, t, &task); });
    for (const TActionRecord& r : records) {
      if (r.Type() != atMove) continue;
      if ((r.Words[3] & 0xFF) == amAttack && r.Words[6] == t->ID) return Attack;
      if (retreatX) *retreatX = static_cast<i32>(r.Words[1]);
      if (retreatY) *retreatY = static_cast<i32>(r.Words[2]);
      return Retreat;
    }
    return Hold;
  }
};

TEST_F(AIGroupCombat, AHopelessAttackIsGivenUpOrTurnedIntoARetreatByPriority) {
  const u32 heads = SeedWithFirstDraw(true), tails = SeedWithFirstDraw(false);
  const struct {
    const char* name;
    i32 distance, priority;
    u32 seed;
    TOutcome outcome;
  } rows[] = {
      {"76 never gives up", 3, 76, heads, Attack},
      {"75 gives up on heads", 3, 75, heads, Hold},
      {"75 attacks on tails", 3, 75, tails, Attack},
      {"74 always gives up", 3, 74, tails, Hold},
      {"51 gives up without retreat", 3, 51, heads, Hold},
      {"50 retreats on heads", 3, 50, heads, Retreat},
      {"50 holds on tails", 3, 50, tails, Hold},
      {"49 always retreats", 3, 49, tails, Retreat},
      {"level + 2 fields is near", 3, 74, heads, Hold},
      {"one field more is not: it attacks", 4, 74, heads, Attack},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Fight(row.distance, row.priority, row.seed), row.outcome);
  }
}

// The retreat goes to the least threatened field the group's points reach,
// the first in rows from the top on a tie, away from where it stood.
TEST_F(AIGroupCombat, ARetreatGoesToTheLeastThreatenedFieldInReach) {
  i32 x = -1, y = -1;
  ASSERT_EQ(Fight(3, 40, 1, &x, &y), Retreat);
  TAIHandler& h = Handler(2);
  const i32 points = 10;
  i32 best = 1000, bx = -1, by = -1;
  for (i32 fy = 0; fy < Scenario->Height; ++fy)
    for (i32 fx = 0; fx < Scenario->Width; ++fx)
      if (Scenario->MoveCosts[static_cast<std::size_t>(Scenario->FieldIndex(fx, fy))] <= points &&
          h.GetThreat(fx, fy) < best) {
        best = h.GetThreat(fx, fy);
        bx = fx;
        by = fy;
      }
  EXPECT_EQ(x, bx);
  EXPECT_EQ(y, by);
  EXPECT_LT(h.GetThreat(x, y), h.GetThreat(3, 8));
  EXPECT_GT(h.GetThreat(3, 8), 0);
}

// A camped caster strong enough to win hits the target with spells first;
// a target killed by them is noticed by its ID and no attack is ordered.
TEST_F(AIGroupCombat, ATargetKilledBySpellsIsNotAttacked) {
  for (u32 seed : {SeedWithFirstDraw(true), SeedWithFirstDraw(false)}) {
    SCOPED_TRACE(seed);
    MakeScenario(16, 16, 3);
    for (i32 i = 1; i <= 2; ++i) Scenario->PlayerAt(i)->Relations[3 - i] = rHostile;
    TGroup* s = NewGroup(2, 5, 5, {Knight, Knight, Knight});
    TGroup* t = NewGroup(1, 7, 5, {Wolf});
    MakeCaster(s);
    SetMorale(s, 60);
    s->CampState = csCamped;
    SetHitPoints(t->Units[0], 30, 30);
    SetMorale(t, 50);
    NoEffect = {36};
    SimulatedDamage = {{41, 100}};
    Select(s);
    ASSERT_GE(s->EstimateReadyAttackDamage(t), t->GetTotalHitPoints() / 3);
    const u32 targetID = t->ID;
    OnCast = [&](const TActionRecord&) {
      if (TGroup* g = Scenario->FindGroup(targetID)) Scenario->RemoveMapObject(g, true);
    };
    TAITask task(&Handler(2), false);
    task.Priority = 50;
    TAIVirtualUnitList units;
    bool gone = false;
    SeedRandom(RandomThread, seed);
    const auto records = Play(2, [&] { gone = Handler(2).GroupCombat(units, t, &task); });
    EXPECT_TRUE(gone);
    EXPECT_EQ(Casts(records).size(), 1u);
    for (const TActionRecord& r : records) EXPECT_NE(r.Type(), u32{atMove});
    EXPECT_EQ(Scenario->FindGroup(targetID), nullptr);
  }
}

}  // namespace
