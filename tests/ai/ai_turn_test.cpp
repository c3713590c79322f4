// The computer's turn: tasks made, ranked and given units, bundled into
// multi-tasks, run in passes; acting units chosen and the movement orders.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/ai/ai_fixture.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace GameData;
using namespace AIHandler;
using AITest::TAIFixture;

// Runs of the type handlers by pass; a script message may be queued once
// from the protect handler in a chosen pass.
class TRecordingHandler : public TAIHandler {
 public:
  using TAIHandler::TAIHandler;
  i32 ExecuteGoToField(TAITask*, TAITask*) override {
    Runs.emplace_back(PassesRun - 1, ttGoToField);
    return 0;
  }
  i32 ExecuteProtectUnit(TAITask*) override {
    Runs.emplace_back(PassesRun - 1, ttProtectUnit);
    if (PassesRun - 1 == MessageInPass) {
      MessageInPass = -1;
      PostActivateTask(12345);
    }
    return 0;
  }
  std::vector<std::pair<i32, u32>> Runs;
  i32 MessageInPass = -1;
};

class AITurn : public TAIFixture {
 protected:
  void SetUp() override {
    TAIFixture::SetUp();
    Hostile(1, 2);
  }
  void Hostile(i32 a, i32 b) {
    Scenario->PlayerAt(a)->Relations[b] = rHostile;
    Scenario->PlayerAt(b)->Relations[a] = rHostile;
  }
  void SeeAll(i32 player) {
    TPlayer* p = Scenario->PlayerAt(player);
    p->Fog = std::make_unique<TFog>(p);
    for (i32 y = 0; y < Scenario->Height; ++y)
      for (i32 x = 0; x < Scenario->Width; ++x) p->Fog->SetState(x, y, fsVisible);
  }
  TRecordingHandler& Recording(i32 player) {
    TPlayer* p = Scenario->PlayerAt(player);
    p->AIHandler = std::make_unique<TRecordingHandler>(p);
    return static_cast<TRecordingHandler&>(*p->AIHandler);
  }
  TAITask* GoToTask(TAIHandler& h, TAIUnit* unit, i32 x, i32 y) {
    auto* t = new TAITask(&h, true);
    t->SetGoToField(x, y, 0);
    t->Priority = 10;
    t->AssignUnit(unit);
    h.Tasks.Items.Add(t);
    return t;
  }
  TAITask* ProtectTask(TAIHandler& h, TAIUnit* unit, TUnit* protectedUnit) {
    auto* t = new TAITask(&h, true);
    t->Header.TaskType = ttProtectUnit;
    t->Header.Target.Kind = tkUnit;
    t->Header.Target.SetObject(protectedUnit);
    t->Priority = 10;
    t->AssignUnit(unit);
    h.Tasks.Items.Add(t);
    return t;
  }
  std::vector<TActionRecord> RunTurn(i32 player) {
    Scenario->CurrentPlayerIndex = static_cast<i16>(player);
    return Serve(player, [&] { Handler(player).TakeTurn(); }, [](const TActionRecord&) { return u32{arDone}; });
  }
};

TEST_F(AITurn, AttackTasksFollowTheHostileUnitsWithPrioritiesFromDefence) {
  const struct {
    i16 defence;
    i32 priority;
  } cases[] = {{0, 100}, {4, 20}, {9, 10}, {100, 0}};
  std::vector<TUnit*> targets;
  for (i32 i = 0; i < 4; ++i) {
    TGroup* g = NewGroup(1, 2 + 3 * i, 2, {WorldTest::Soldier});
    g->Units[0]->Base.Defence.Current = cases[i].defence;
    targets.push_back(g->Units[0]);
  }
  NewGroup(0, 12, 12, {WorldTest::Soldier});  // not hostile
  TAIHandler& h = Handler(2);
  h.CreateAttackTasks();
  ASSERT_EQ(h.Tasks.Count(), 4);
  for (i32 i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(h.Tasks[i]->Header.TaskType, ttAttackUnit);
    EXPECT_EQ(h.Tasks[i]->Header.Target.ObjectID, targets[static_cast<std::size_t>(i)]->ID) << "scenario unit order";
    EXPECT_EQ(h.Tasks[i]->Priority, cases[i].priority);
    EXPECT_EQ(h.Tasks[i]->Header.Target.FieldX, 2 + 3 * i);
    EXPECT_EQ(h.Tasks[i]->Active, 0) << "unseen without fog";
  }
  h.CreateAttackTasks();
  EXPECT_EQ(h.Tasks.Count(), 4) << "no second task for a targeted unit";

  // The zero-priority task gets no units; the others are sorted by priority.
  SeeAll(2);
  TGroup* own = NewGroup(2, 9, 9, {WorldTest::Knight});
  for (TAITask* t : h.Tasks.Items) t->Active = 1;
  h.RefreshUnitPool();
  h.AssignUnitsToTasks();
  EXPECT_EQ(h.Tasks[0]->Priority, 100);
  EXPECT_EQ(h.Tasks[3]->Priority, 0);
  EXPECT_EQ(h.Tasks[3]->Units.Count(), 0);
  EXPECT_TRUE(h.Tasks[0]->HasGameUnit(own->Units[0])) << "the first task in priority order takes the unit";
}

TEST_F(AITurn, TheFirstPlayerMakesOneHoldTaskPerCreatureAndNeverDropsOne) {
  TGroup* g = NewGroup(0, 5, 5, {WorldTest::Wolf, WorldTest::Knight});
  TAIHandler& h = Handler(0);
  h.RefreshUnitPool();
  ASSERT_EQ(h.FreePool.Count(), 2);
  EXPECT_TRUE(h.UpdateTasks());
  EXPECT_TRUE(h.UpdateTasks());
  ASSERT_EQ(h.Tasks.Count(), 1) << "kind 2 only, once";
  const TAITask* t = h.Tasks[0];
  EXPECT_EQ(t->Header.TaskType, ttGoToField);
  EXPECT_EQ(t->Priority, 50);
  EXPECT_EQ(t->Header.Target.Radius, 3);
  EXPECT_EQ(t->Header.Target.FieldX, 5);
  const TUnit* wolf = g->Units[0]->Prototype->ID == WorldTest::Wolf ? g->Units[0] : g->Units[1];
  EXPECT_TRUE(t->HasGameUnit(wolf));
  EXPECT_FALSE(h.Tasks[0]->IsFinished()) << "a hold task of the first player never ends";
}

TEST_F(AITurn, AnAttackTaskTakesFurtherUnitsOnlyFromNearby) {
  const struct {
    i32 candidateX;
    bool threeUnits;
    bool joins;
  } cases[] = {{11, false, true}, {12, false, false}, {3, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.candidateX);
    MakeScenario(32, 16, 3);
    Hostile(1, 2);
    SeeAll(2);
    TGroup* target = NewGroup(1, 30, 5, {WorldTest::Knight});
    target->Units[0]->Effective.HitPoints.Current = 10000;
    TGroup* first = NewGroup(2, 2, 5, {WorldTest::Soldier});
    TGroup* candidate = c.threeUnits ? NewGroup(2, c.candidateX, 5, {WorldTest::Soldier, WorldTest::Soldier, WorldTest::Soldier})
                                     : NewGroup(2, c.candidateX, 5, {WorldTest::Soldier});
    TAIHandler& h = Handler(2);
    h.CreateAttackTasks();
    ASSERT_EQ(h.Tasks.Count(), 1);
    TAITask* task = h.Tasks[0];
    task->AssignUnit(AI(2, first->Units[0]));
    h.RefreshUnitPool();
    task->AssignUnits(h.FreePool);
    EXPECT_EQ(task->HasGameUnit(candidate->Units[0]), c.joins) << "cost 2 per step: below 20 joins";
  }
}

TEST_F(AITurn, NearbyAttackTasksMergeIntoOneMultiTask) {
  const struct {
    i32 secondTargetX;
    i32 multiTasks;
  } cases[] = {{12, 1}, {13, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.secondTargetX);
    MakeScenario(32, 16, 3);
    Hostile(1, 2);
    SeeAll(2);
    NewGroup(1, 5, 5, {WorldTest::Soldier});
    NewGroup(1, c.secondTargetX, 5, {WorldTest::Soldier});
    TGroup* a = NewGroup(2, 5, 7, {WorldTest::Soldier});
    TGroup* b = NewGroup(2, c.secondTargetX, 7, {WorldTest::Soldier});
    TAIHandler& h = Handler(2);
    h.CreateAttackTasks();
    ASSERT_EQ(h.Tasks.Count(), 2);
    h.Tasks[0]->AssignUnit(AI(2, a->Units[0]));
    h.Tasks[1]->AssignUnit(AI(2, b->Units[0]));
    ASSERT_TRUE(h.BuildMultiTasks());
    EXPECT_EQ(h.MultiTasks.Count(), c.multiTasks) << "targets 14 apart merge, 16 apart do not";
    TAIMultiTask* m = h.MultiTasks[0];
    ASSERT_TRUE(m->Prepare());
    EXPECT_EQ(m->Combined->Header.TaskType, ttAttackGroup);
    EXPECT_EQ(m->Combined->Units.Count(), c.multiTasks == 1 ? 2 : 1) << "every member's units";
  }
}

TEST_F(AITurn, PassesRunTheTaskTypesOnTheirPasses) {
  const struct {
    i32 player;
    i32 messageInPass;
    std::vector<std::pair<i32, u32>> runs;
    i32 passes;
  } cases[] = {
      {2, -1, {{0, ttGoToField}, {1, ttGoToField}, {2, ttProtectUnit}, {3, ttProtectUnit}}, 4},
      {2, 3, {{0, ttGoToField}, {1, ttGoToField}, {2, ttProtectUnit}, {3, ttProtectUnit}, {4, ttGoToField}, {4, ttProtectUnit}}, 5},
      {2, 2, {{0, ttGoToField}, {1, ttGoToField}, {2, ttProtectUnit}, {3, ttProtectUnit}}, 4},
      {0, -1, {{0, ttGoToField}}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "player " << c.player << " message in pass " << c.messageInPass);
    MakeScenario(16, 16, 3);
    TRecordingHandler& h = Recording(c.player);
    h.MessageInPass = c.messageInPass;
    TGroup* walker = NewGroup(static_cast<u8>(c.player), 2, 2, {WorldTest::Soldier});
    TGroup* guard = NewGroup(static_cast<u8>(c.player), 8, 8, {WorldTest::Soldier});
    TAITask* go = GoToTask(h, h.FindAIUnit(walker->Units[0]), 14, 14);
    ProtectTask(h, h.FindAIUnit(guard->Units[0]), walker->Units[0]);
    // Protect before go in the list: equal priorities keep their order here.
    h.Tasks.Items[0] = nullptr;
    h.Tasks.Items.Delete(0);
    h.Tasks.Items.Add(go);
    const auto posted = RunTurn(c.player);
    ASSERT_GE(posted.size(), 2u);
    EXPECT_EQ(posted.front().Type(), atResult);
    EXPECT_EQ(posted.back().Type(), atEndTurn);
    EXPECT_EQ(h.PassesRun, c.passes);
    std::vector<std::pair<i32, u32>> runs = h.Runs;
    std::stable_sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::pair<i32, u32>> expected = c.runs;
    std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    // Within a pass the order follows the sorted task list.
    auto byPassAndType = [](std::vector<std::pair<i32, u32>> v) {
      std::sort(v.begin(), v.end());
      return v;
    };
    EXPECT_EQ(byPassAndType(runs), byPassAndType(expected));
  }
}

TEST_F(AITurn, ATurnWithoutUsableUnitsEndsInItsFirstPass) {
  TPlayer* p = Scenario->PlayerAt(2);
  p->AddNotification(new TNotification{1, 3, 3, 0, 0});
  const auto posted = RunTurn(2);
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].Type(), atResult);
  EXPECT_EQ(posted[1].Type(), atEndTurn);
  EXPECT_EQ(Handler(2).PassesRun, 1);
  EXPECT_EQ(p->GetNotificationCount(), 0) << "the notifications are cleared";
}

TEST_F(AITurn, NotificationsMoveTheTargetFieldAndActivate) {
  TGroup* target = NewGroup(1, 4, 4, {WorldTest::Soldier});
  TAIHandler& h = Handler(2);
  h.CreateAttackTasks();
  ASSERT_EQ(h.Tasks.Count(), 1);
  TAITask* t = h.Tasks[0];
  t->Active = 0;
  TPlayer* p = Scenario->PlayerAt(2);
  p->AddNotification(new TNotification{4, 9, 9, target->Units[0]->ID, 0});
  p->AddNotification(new TNotification{1, 6, 7, target->Units[0]->ID, 0});
  p->AddNotification(new TNotification{3, 8, 8, target->Units[0]->ID + 999, 0});
  h.ApplyPlayerNotifications();
  EXPECT_EQ(p->GetNotificationCount(), 0);
  EXPECT_EQ(t->Header.Target.FieldX, 6) << "kind 4 and other units' notices change nothing";
  EXPECT_EQ(t->Header.Target.FieldY, 7);
  EXPECT_EQ(t->Active, 1);
}

TEST_F(AITurn, ActingUnitsComeFromOneGroupFirstAndNeverHoldTwoHeroes) {
  TGroup* three = NewGroup(2, 10, 10, {WorldTest::Soldier, WorldTest::Wolf, WorldTest::Soldier});
  TGroup* heroA = NewGroup(2, 2, 2, {WorldTest::Knight});
  TGroup* heroB = NewGroup(2, 3, 2, {WorldTest::Knight});
  TGroup* wolf = NewGroup(2, 6, 2, {WorldTest::Wolf});
  TGroup* far = NewGroup(2, 14, 2, {WorldTest::Wolf});
  TAIHandler& h = Handler(2);
  auto ai = [&](TGroup* g, i32 slot) { return h.FindAIUnit(g->Units[slot]); };
  const struct {
    const char* name;
    std::vector<TAIUnit*> pool;
    std::vector<TAIUnit*> chosen;
  } cases[] = {
      {"three of one group, wherever they stand", {ai(heroA, 0), ai(three, 0), ai(wolf, 0), ai(three, 1), ai(three, 2)},
       {ai(three, 0), ai(three, 1), ai(three, 2)}},
      {"two heroes and a creature", {ai(heroA, 0), ai(heroB, 0), ai(wolf, 0)}, {ai(heroA, 0), ai(wolf, 0)}},
      {"nearest first", {ai(far, 0), ai(heroA, 0), ai(wolf, 0)}, {ai(far, 0), ai(wolf, 0), ai(heroA, 0)}},
      {"a pair of one group and the nearest other", {ai(three, 0), ai(three, 2), ai(far, 0), ai(heroA, 0)},
       {ai(three, 0), ai(three, 2), ai(far, 0)}},
      {"one", {ai(wolf, 0)}, {ai(wolf, 0)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TAIVirtualUnitList pool, result;
    for (TAIUnit* u : c.pool) pool.Add(u);
    ASSERT_TRUE(h.ChooseActingUnits(pool, result));
    std::vector<TAIUnit*> got(result.begin(), result.end());
    EXPECT_EQ(got, c.chosen);
    EXPECT_EQ(pool.Count() + result.Count(), static_cast<i32>(c.pool.size())) << "taken out of the pool";
  }
  TAIVirtualUnitList empty, result;
  EXPECT_FALSE(h.ChooseActingUnits(empty, result));
}

TEST_F(AITurn, MovementOrdersReportArrivalOnlyAtTheirField) {
  TGroup* mover = NewGroup(2, 2, 2, {WorldTest::Soldier});
  NewGroup(1, 8, 2, {WorldTest::Soldier})->Sighted = 1;
  TAIHandler& h = Handler(2);
  TPlayer* p = Scenario->PlayerAt(2);
  Scenario->CurrentPlayerIndex = 2;
  Scenario->UpdateOccupancy();
  p->Select(mover);
  u32 result = 0;
  // Onto an occupied field: a substitute on the way, which is no arrival.
  auto posted = Serve(2, [&] { result = h.MoveToField(8, 2, true, 0, true); },
                      [](const TActionRecord&) { return u32{arDone}; });
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].Type(), atMove);
  EXPECT_FALSE(posted[0].Words[1] == 8 && posted[0].Words[2] == 2) << "never onto the occupied field";
  EXPECT_EQ(result, arNoPath);
  posted = Serve(2, [&] { result = h.MoveToField(8, 2, true, 0, false); },
                 [](const TActionRecord&) { return u32{arDone}; });
  EXPECT_EQ(result, arDone) << "without the flag the substitute counts";

  // A world that keeps reporting sightings ends the repetition.
  i32 orders = 0;
  posted = Serve(2, [&] { result = h.RepeatWhileSighted([&] { ++orders; return h.MoveToField(5, 5, false, 0, false); }); },
                 [](const TActionRecord&) { return u32{arSighted}; });
  EXPECT_EQ(orders, TAIHandler::MaxOrderRepeats);
  EXPECT_EQ(result, arSighted);

  EXPECT_TRUE(TAIHandler::InSquare(5, 5, 2, 7, 3));
  EXPECT_FALSE(TAIHandler::InSquare(5, 5, 2, 8, 5));
}

TEST_F(AITurn, GatheringAWholeGroupSelectsItAndMovesNothing) {
  TGroup* g = NewGroup(2, 4, 4, {WorldTest::Soldier, WorldTest::Wolf});
  TAIHandler& h = Handler(2);
  Scenario->CurrentPlayerIndex = 2;
  TAIVirtualUnitList units;
  units.Add(h.FindAIUnit(g->Units[0]));
  units.Add(h.FindAIUnit(g->Units[1]));
  TGroup* result = nullptr;
  const auto posted = Serve(2, [&] { result = h.GatherUnits(units); }, [&](const TActionRecord& r) {
    if (r.Type() == atSelect) Scenario->PlayerAt(2)->Select(Scenario->FindGroup(r.Words[1]));
    return u32{arDone};
  });
  EXPECT_EQ(result, g);
  for (const TActionRecord& r : posted) EXPECT_NE(r.Type(), atMove);
  ASSERT_FALSE(posted.empty());
  EXPECT_EQ(posted[0].Type(), atSelect);
  EXPECT_EQ(posted.back().Type(), atMarkUnits);
  EXPECT_EQ(posted.back().Words[1], 0x010000u) << "both units move, the empty slot stays";
}

}  // namespace

namespace {

// A script may change the terrain while the turn waits: a kept map must
// then answer as a fresh fill does.
TEST_F(AITurn, KeptCostMapsFollowTheTerrain) {
  TAICostMap kept, fresh;
  fresh.Caching = false;
  EXPECT_EQ(kept.CostTo(*Scenario, 2, 2, PathCostLimit, 10, 2), fresh.CostTo(*Scenario, 2, 2, PathCostLimit, 10, 2));
  for (i32 y = 0; y < Scenario->Height; ++y) Scenario->Costs[static_cast<std::size_t>(Scenario->FieldIndex(6, y))] = 255;
  const i32 walled = fresh.CostTo(*Scenario, 2, 2, PathCostLimit, 10, 2);
  EXPECT_EQ(walled, PathCostLimit);
  EXPECT_EQ(kept.CostTo(*Scenario, 2, 2, PathCostLimit, 10, 2), walled);
  EXPECT_EQ(kept.Fills, 2u);
}

}  // namespace
