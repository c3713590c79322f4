// The hooks groups and cities call, the finders and the hostile-reach map.
#include <gtest/gtest.h>

#include "ai/ai_handler.h"
#include "tests/ai/ai_fixture.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace AIHandler;
using namespace GameData;

class AIHooks : public AITest::TAIFixture {
 protected:
  // A task of the player aimed at the game unit.
  TAITask* AttackTask(i32 player, const TUnit* target) {
    TAIHandler& h = Handler(player);
    auto* t = new TAITask(&h, true);
    t->Header.TaskType = ttAttackUnit;
    t->Header.Target.Kind = tkUnit;
    t->Header.Target.SetObject(target);
    h.Tasks.Items.Add(t);
    return t;
  }
};

TEST_F(AIHooks, UnitsGetAIUnitsWithNewIDsAndLoseThemWhenTheyLeave) {
  TGroup* g = NewGroup(1, 3, 3, {WorldTest::Knight, WorldTest::Wolf});
  TAIHandler& h = Handler(1);
  ASSERT_EQ(h.Units.Count(), 2);
  EXPECT_EQ(h.Units[0]->ID, FirstID);
  EXPECT_EQ(h.Units[1]->ID, FirstID + 1);
  EXPECT_EQ(h.Units[1]->Alive, 1) << "a registered unit";
  EXPECT_EQ(h.Units[1]->Fitness.UnitID, g->Units[1]->ID);
  EXPECT_EQ(h.Units[1]->Assigned + h.Units[1]->InArmy, 0);
  EXPECT_EQ(Handler(2).Units.Count(), 0);
  EXPECT_EQ(h.FindAIUnit(nullptr), nullptr);
  EXPECT_EQ(h.FindAIUnitByUnitID(g->Units[0]->ID), h.Units[0]);

  TUnit* wolf = g->Units[1];
  g->RemoveUnit(wolf, false, true);
  EXPECT_EQ(h.FindAIUnit(wolf), nullptr);
  EXPECT_FALSE(h.RemoveUnit(wolf, true)) << "unknown: false, nothing changes";
  EXPECT_EQ(h.Units.Count(), 1);
  g->AddUnit(wolf, false, true, false);
  EXPECT_EQ(h.FindAIUnit(wolf)->ID, FirstID + 2) << "back with a new ID";

  // A change of owner moves the units between the handlers.
  g->SetOwner(2);
  EXPECT_EQ(h.Units.Count(), 0);
  EXPECT_EQ(Handler(2).Units.Count(), 2);
}

TEST_F(AIHooks, TheDropFlagDecidesWhetherOtherPlayersTasksOnTheUnitSurvive) {
  TGroup* g = NewGroup(1, 3, 3, {WorldTest::Knight, WorldTest::Wolf});
  TUnit* knight = g->Units[0];
  TAITask* hunt = AttackTask(2, knight);
  TAITask* other = AttackTask(2, g->Units[1]);
  TAITask* own = AttackTask(1, knight);
  TAIUnit* self = AI(1, knight);
  TAITask* holder = new TAITask(&Handler(1), true);
  Handler(1).Tasks.Items.Add(holder);
  holder->AssignUnit(self);
  auto* army = new TAIArmy;
  army->Init(&Handler(1), true);
  Handler(1).Armies.AddSorted(army);
  army->Units.Add(self);
  self->Army = army;
  self->InArmy = 1;

  own->Units.Add(self);

  // A change of owner keeps the tasks aimed at the unit; one that held the
  // unit lets go of it, which is about to be deleted.
  ASSERT_TRUE(Handler(1).RemoveUnit(knight, false));
  EXPECT_EQ(Handler(2).FindTask(hunt->ID), hunt);
  EXPECT_EQ(Handler(1).FindTask(own->ID), own);
  EXPECT_EQ(own->Units.Count(), 0);
  EXPECT_EQ(holder->Units.Count(), 0) << "released";
  EXPECT_EQ(army->Units.Count(), 0);

  Handler(1).AddUnit(knight);
  const u32 huntID = hunt->ID;
  ASSERT_TRUE(Handler(1).RemoveUnit(knight, true));
  EXPECT_EQ(Handler(2).FindTask(huntID), nullptr) << "every player's tasks on the unit go";
  EXPECT_EQ(Handler(2).Tasks.Count(), 1);
  EXPECT_EQ(Handler(2).Tasks[0], other);
  EXPECT_EQ(Handler(1).Tasks.Count(), 1);
}

TEST_F(AIHooks, FindersReturnTheFirstMatchOrNull) {
  TGroup* g = NewGroup(2, 3, 3, {WorldTest::Wolf, WorldTest::Wolf});
  TAIHandler& h = Handler(2);
  TAIUnit* a = AI(2, g->Units[0]);
  TAIUnit* b = AI(2, g->Units[1]);
  auto* t1 = new TAITask(&h, true);
  auto* t2 = new TAITask(&h, true);
  h.Tasks.Items.Add(t1);
  h.Tasks.Items.Add(t2);
  t2->Units.Add(a);
  t1->Units.Add(a);
  auto* army = new TAIArmy;
  army->Init(&h, true);
  h.Armies.AddSorted(army);
  army->AddUnit(b);
  EXPECT_EQ(h.FindTask(t2->ID), t2);
  EXPECT_EQ(h.FindTask(1), nullptr);
  EXPECT_EQ(h.FindTaskOfUnit(a), t1) << "list order";
  EXPECT_EQ(h.FindTaskOfUnit(b), nullptr);
  EXPECT_EQ(h.FindArmy(army->ID), army);
  EXPECT_EQ(h.FindArmy(army->ID + 1), nullptr);
  EXPECT_EQ(h.FindArmyOfUnit(b), army);
  EXPECT_EQ(h.FindArmyOfUnit(a), nullptr);
  EXPECT_EQ(h.FindAIUnitByUnitID(12345), nullptr);
}

// A hostile group of three units with 10 action points on its own field
// adds 3 x ((10 - 0 + 4) / 10) = 3 there and 0 three steps (cost 6) away;
// a straight step costs 2, a diagonal one 3.
TEST_F(AIHooks, HostileGroupsAddTheirReachToTheMap) {
  TGroup* enemy = NewGroup(1, 8, 8, {WorldTest::Wolf, WorldTest::Wolf, WorldTest::Skeleton});
  for (TUnit* u : enemy->Units) u->Effective.ActionPoints.Current = 10;
  NewGroup(0, 2, 2, {WorldTest::Wolf});
  TAIHandler& h = Handler(2);
  EXPECT_EQ(h.GetThreat(8, 8), 0) << "before the first computation";
  h.ComputeThreatMap();
  EXPECT_EQ(h.GetThreat(8, 8), 0) << "not hostile yet";
  Scenario->PlayerAt(2)->Relations[1] = rHostile;
  h.ComputeThreatMap();
  const struct {
    i32 x, y, threat;
  } cases[] = {{8, 8, 3}, {9, 8, 3}, {10, 8, 3}, {9, 9, 3}, {10, 9, 0}, {11, 8, 0}, {2, 2, 0}, {-1, 0, 0}, {16, 3, 0}};
  for (const auto& c : cases) EXPECT_EQ(h.GetThreat(c.x, c.y), c.threat) << c.x << "," << c.y;
  for (TUnit* u : enemy->Units) u->Effective.ActionPoints.Current = 20;
  h.ComputeThreatMap();
  EXPECT_EQ(h.GetThreat(8, 8), 3 * 2) << "(20 + 4) / 10";
  EXPECT_EQ(h.GetThreat(11, 8), 3 * 1) << "(20 - 6 + 4) / 10";
}

// The world may take units away while the computer's pass holds them: the
// pass's lists let go of them, and what the pass still points at stays
// readable until the pass ends.
TEST_F(AIHooks, UnitsAndTasksRemovedDuringAPassAreNeverUsedFreed) {
  TGroup* g = NewGroup(2, 3, 3, {WorldTest::Wolf, WorldTest::Skeleton});
  TGroup* target = NewGroup(1, 6, 6, {WorldTest::Knight});
  TAIHandler& h = Handler(2);
  TAIUnit* a = AI(2, g->Units[0]);
  TAITask* hunt = AttackTask(2, target->Units[0]);
  hunt->AssignUnit(a);
  auto* sub = new TAITask(&h, true);
  hunt->SubTasks.Items.Add(sub);
  sub->Units.Add(a);
  auto* multi = new TAIMultiTask;
  multi->Init(&h);
  multi->Members.Add(hunt);
  multi->Combined->Units.Add(a);
  h.MultiTasks.Items.Add(multi);
  h.FreePool.Add(a);

  h.BeginPass();
  g->RemoveUnit(g->Units[0], true, true);  // killed in a battle the pass posted
  target->RemoveUnit(target->Units[0], true, true);
  EXPECT_EQ(h.FreePool.Count(), 0);
  EXPECT_EQ(multi->Combined->Units.Count(), 0);
  EXPECT_EQ(multi->Members.Count(), 0) << "the task on the dead target went";
  EXPECT_EQ(h.Tasks.Count(), 0);
  EXPECT_EQ(a->Alive, 0) << "kept until the pass ends, and dead";
  EXPECT_EQ(hunt->Units.Count(), 0);
  h.EndPass();
  EXPECT_EQ(h.Units.Count(), 1);
}

TEST_F(AIHooks, ClearingEmptiesEverythingButTheNextID) {
  TGroup* g = NewGroup(2, 3, 3, {WorldTest::Wolf, WorldTest::Skeleton});
  TAIHandler& h = Handler(2);
  auto* army = new TAIArmy;
  army->Init(&h, true);
  h.Armies.AddSorted(army);
  army->AddUnit(AI(2, g->Units[0]));
  auto* t = new TAITask(&h, true);
  h.Tasks.Items.Add(t);
  t->AssignUnit(AI(2, g->Units[1]));
  h.PostDeleteTask(t->ID);
  h.PassFlag = 1;
  const u32 next = h.NextIDValue;
  h.Clear();
  EXPECT_EQ(h.Units.Count() + h.Tasks.Count() + h.Armies.Count() + h.ScriptStack.GetCount(), 0);
  EXPECT_EQ(h.PassFlag, 0u);
  EXPECT_EQ(h.NextID(), next);
}

}  // namespace
