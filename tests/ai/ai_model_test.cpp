// Targets, AI units, tasks, armies and fitness measures against a small world.
#include <gtest/gtest.h>

#include "ai/ai_handler.h"
#include "tests/ai/ai_fixture.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace AIHandler;
using namespace GameData;

class AIModel : public AITest::TAIFixture {
 protected:
  void SetUp() override {
    TAIFixture::SetUp();
    City = new TCity(Scenario.get());
    City->OccupiedArea->AddField(10, 10);
    City->EntranceArea->AddField(10, 11);
    City->X = City->Y = 10 * 40;
    City->AnchorFieldX = 10;
    City->AnchorFieldY = 11;
    City->Owner = 1;
    City->SetSlotCount(2);
    Scenario->AddMapObject(City);
    Scenario->PlayerAt(1)->Relations[2] = rHostile;
    Scenario->PlayerAt(2)->Relations[1] = rHostile;
  }
  TAITarget UnitTarget(const TUnit* unit) {
    TAITarget t(&Handler(2));
    t.Kind = tkUnit;
    t.SetObject(unit);
    return t;
  }
  TCity* City = nullptr;
};

TEST_F(AIModel, TargetsResolveByKindAndStayValidOnlyWhileTheirObjectIs) {
  TGroup* hero = NewGroup(1, 3, 4, {WorldTest::Knight});
  TUnit* knight = hero->Units[0];
  for (u32 kind : {tkField, tkAlways}) {
    TAITarget t(&Handler(2));
    t.Kind = kind;
    t.SetObject(nullptr);
    EXPECT_EQ(t.Valid, kind == tkField ? 1 : 0) << "SetObject(null) on kind " << kind;
    EXPECT_TRUE(t.Validate()) << "kind " << kind << " needs no object";
    EXPECT_EQ(t.Resolve(), nullptr);
  }
  TAITarget group(&Handler(2));
  group.Kind = tkGroup;
  group.SetObject(hero);
  EXPECT_EQ(group.Resolve(), hero);
  TAITarget city(&Handler(2));
  city.Kind = tkLocation;
  city.SetObject(City);
  EXPECT_EQ(city.Resolve(), City);
  EXPECT_TRUE(city.IsHostile()) << "player 1's city, seen by player 2";

  TAITarget unit = UnitTarget(knight);
  EXPECT_EQ(unit.Resolve(), knight);
  EXPECT_TRUE(unit.IsHostile());
  unit.UpdateField();
  EXPECT_EQ(unit.FieldX, 3);
  EXPECT_EQ(unit.FieldY, 4);
  // Out of every group: the unit still exists but is no target.
  hero->RemoveUnit(knight, false, true);
  EXPECT_FALSE(unit.Validate());
  EXPECT_NE(unit.Resolve(), nullptr);
  EXPECT_FALSE(unit.IsHostile()) << "a unit in no group has no owner";
  // On a city's hire list: still no target; in its units: a target again.
  City->AddRecruit(knight, false, false, false);
  EXPECT_FALSE(unit.Validate());
  City->RemoveRecruit(knight, false, false);
  City->AddUnit(knight, false, false, false);
  EXPECT_TRUE(unit.Validate());
  unit.UpdateField();
  EXPECT_EQ(unit.FieldX, 10) << "the city's stored field";
  EXPECT_EQ(unit.FieldY, 11);
  City->RemoveUnit(knight, true, false);
  EXPECT_FALSE(unit.Validate()) << "gone from the scenario";
  EXPECT_EQ(unit.Valid, 0);
}

TEST_F(AIModel, AnAIUnitThatDiedStaysDeadAndAnswersForItsPlace) {
  TGroup* wolves = NewGroup(2, 5, 6, {WorldTest::Wolf, WorldTest::Wolf});
  TAIUnit* a = AI(2, wolves->Units[0]);
  TAIUnit* b = AI(2, wolves->Units[1]);
  EXPECT_TRUE(a->IsAlive());
  EXPECT_EQ(a->GetFieldX(), 5);
  EXPECT_EQ(a->GetFieldY(), 6);
  EXPECT_EQ(a->CostToUnit(*b), 0);
  EXPECT_EQ(a->CostTo(8, 6), 6) << "three steps of cost 2";
  a->Alive = 0;
  EXPECT_FALSE(a->IsAlive()) << "the unit lives, but the flag never comes back";
  wolves->Units[1]->Effective.HitPoints.Current = 0;
  EXPECT_FALSE(b->IsAlive());
  EXPECT_EQ(b->Alive, 0);
  TUnit* loose = wolves->Units[0];
  wolves->RemoveUnit(loose, false, false);
  EXPECT_EQ(a->GetFieldX(), 0) << "in no group or city";
  EXPECT_EQ(b->CostToUnit(*a), 1000);
  EXPECT_EQ(a->GetGroup(), nullptr);
}

TEST_F(AIModel, TasksTakeFreeUnitsAndArmiesOnlyAsAWhole) {
  TGroup* g = NewGroup(2, 5, 6, {WorldTest::Wolf, WorldTest::Wolf, WorldTest::Skeleton});
  TAIHandler& h = Handler(2);
  TAIUnit* a = AI(2, g->Units[0]);
  TAIUnit* b = AI(2, g->Units[1]);
  TAIUnit* c = AI(2, g->Units[2]);
  auto* first = new TAITask(&h, true);
  auto* second = new TAITask(&h, true);
  h.Tasks.Items.Add(first);
  h.Tasks.Items.Add(second);
  EXPECT_EQ(second->ID, first->ID + 1) << "IDs from the handler's next ID";
  EXPECT_GE(first->ID, FirstID);

  auto* army = new TAIArmy;
  army->Init(&h, true);
  h.Armies.AddSorted(army);
  ASSERT_TRUE(army->AddUnit(a));
  ASSERT_TRUE(army->AddUnit(b));
  EXPECT_FALSE(army->AddUnit(a)) << "already in an army";
  EXPECT_FALSE(first->AssignUnit(a)) << "free, but in an army";
  first->AssignArmy(army);
  EXPECT_TRUE(first->HasArmy(army));
  EXPECT_EQ(a->Assigned, 1);
  EXPECT_TRUE(first->AssignUnit(c));
  EXPECT_FALSE(second->AssignUnit(c)) << "assigned already";
  EXPECT_FALSE(first->UnassignUnitIfFree(a)) << "army units stay";
  EXPECT_TRUE(first->HasGameUnit(g->Units[2]));

  // A unit joining an army that works on a task joins that task.
  TGroup* more = NewGroup(2, 7, 7, {WorldTest::Wolf});
  TAIUnit* d = AI(2, more->Units[0]);
  EXPECT_TRUE(army->AddUnit(d));
  EXPECT_TRUE(first->HasUnit(d));
  // Leaving the army keeps the task.
  EXPECT_TRUE(army->RemoveUnit(d));
  EXPECT_TRUE(first->HasUnit(d));
  EXPECT_FALSE(army->RemoveUnit(d));

  // The army leaves from its last unit back; one not held stops it.
  second->Units.Add(b);
  first->Units.Remove(b);
  EXPECT_FALSE(first->UnassignArmy(army)) << "b is not in this task";
  EXPECT_TRUE(first->HasUnit(a));
  EXPECT_TRUE(second->UnassignArmy(army) == false) << "a is not in the second task";
  EXPECT_EQ(b->Assigned, 0);

  // An army given twice is listed twice; its units leave with every entry.
  first->AssignArmy(army);
  first->UnassignUnit(a);
  EXPECT_FALSE(first->HasUnit(a));
  first->UnassignAll();
  EXPECT_EQ(first->Units.Count(), 0);
  EXPECT_EQ(a->Assigned + c->Assigned + d->Assigned, 0);

  first->SetGoToField(4, 9, 2);
  EXPECT_EQ(first->Header.TaskType, ttGoToField);
  EXPECT_EQ(first->Header.Target.Valid, 1);
  EXPECT_EQ(first->Header.Target.Radius, 2);
  second->SetCityTask(City);
  EXPECT_EQ(second->Header.TaskType, ttCityTask);
  EXPECT_EQ(second->Header.Target.Kind, tkLocation);
  EXPECT_EQ(second->Header.Target.Valid, 1);
  EXPECT_EQ(second->Header.Target.FieldX, 10);
}

TEST_F(AIModel, FitnessMeasuresReadTheBaseValuesAtTheUnitsLevel) {
  TGroup* g = NewGroup(2, 2, 2, {WorldTest::Wolf});
  TUnit* u = g->Units[0];
  u->Base.Level = 5;
  u->Base.Sight = WorldTest::Prop(3, 1, 2);         // 3 + (4 / 2) x 1 = 5
  u->Base.ActionPoints = WorldTest::Prop(10, 5, 3);  // 10 + (4 / 3) x 5 = 15
  u->Base.CounterAttack = WorldTest::Prop(7, 9, 0);  // EVERY 0: the base
  u->Base.Attack = WorldTest::Prop(20, 2, 1);        // 20 + 4 x 2 = 28
  TUnit* defender = NewUnit(WorldTest::Soldier);
  defender->Base.Level = 1;
  defender->Base.Defence = WorldTest::Prop(10);
  TUnit* other = NewUnit(WorldTest::Soldier);
  other->Base.Level = 1;
  other->Base.Defence = WorldTest::Prop(20);
  City->AddToSlot(0, defender, false, false, false);
  City->AddToSlot(1, other, false, false, false);
  TAIUnit* a = AI(2, u);
  TAITask siege(&Handler(2), false);
  siege.SetCityTask(City);
  EXPECT_EQ(a->EvalScout(&siege.Header), 5 * 15);
  EXPECT_EQ(a->EvalGuard(&siege.Header), 7);
  EXPECT_EQ(a->EvalSiege(&siege.Header), 28 - 15) << "own attack less the defenders' average defence";
  EXPECT_EQ(a->EvalAttack(&siege.Header), 0) << "no attack task";
  EXPECT_EQ(a->EvalDistance(&siege.Header), 8 * 3 + 2) << "from the city's field (10, 11): eight diagonal steps and one straight";
}

}  // namespace
