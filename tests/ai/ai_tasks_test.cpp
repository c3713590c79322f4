// Attacking, guarding, protecting, following and the city tasks: which
// group the handlers fight, where they send their units, and how a city's
// defenders are chosen. The combat and spell rules are probes here, so the
// tests see the handlers' own decisions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/ai/ai_fixture.h"
#include "world/locations/city.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace GameData;
using namespace AIHandler;
using AITest::TAIFixture;

// Finds hostiles as the searches do (lowest total defence, first of equals),
// and records the fights and casts asked for instead of carrying them out.
class TProbe : public TAIHandler {
 public:
  using TAIHandler::TAIHandler;
  TUnit* FindWeakestHostileNear(i32 x, i32 y, i32 r) override {
    Radii.push_back(r);
    TUnit* best = nullptr;
    i32 lowest = 1000;
    for (TUnit* u : Scenario->Units.Items) {
      const TGroup* g = u ? u->GetGroup() : nullptr;
      if (!g || !InSquare(x, y, r, g->FieldX(), g->FieldY()) || Player->GetRelation(g->GetOwner()) != rHostile ||
          !Player->CanSee(g))
        continue;
      if (g->GetTotalDefence() < lowest) {
        lowest = g->GetTotalDefence();
        best = u;
      }
    }
    return best;
  }
  bool IsHostileNear(i32 x, i32 y, i32 r) override {
    for (const TMapObject* o : Scenario->MapObjects)
      if (o->Type == otGroup && InSquare(x, y, r, o->FieldX(), o->FieldY()) &&
          Player->GetRelation(static_cast<const TGroup*>(o)->GetOwner()) == rHostile)
        return true;
    return false;
  }
  bool GroupCombat(TAIVirtualUnitList&, TGroup* target, TAITask* task) override {
    Fights.emplace_back(target->ID, task->Header.TaskType);
    return false;
  }
  bool CastHealingSpells(TGroup*, TGroup* t) override { return Cast("heal", t); }
  bool CastDefenceSpells(TGroup*, TGroup* t) override { return Cast("defence", t); }
  bool CastShieldSpells(TGroup*, TGroup* t) override { return Cast("shield", t); }

  std::vector<i32> Radii;
  // Target group and the type of the task the fight is for.
  std::vector<std::pair<u32, u32>> Fights;
  std::vector<std::pair<std::string, u32>> Casts;

 private:
  bool Cast(const char* rule, const TGroup* t) {
    Casts.emplace_back(rule, t ? t->ID : 0);
    return false;
  }
};

class AITasks : public TAIFixture {
 protected:
  void SetUp() override {
    TAIFixture::SetUp();
    Reset();
  }
  // A fresh 24 x 24 world; player 2, the probe, is hostile to player 1 and sees everything.
  void Reset() {
    MakeScenario(24, 24, 3);
    TPlayer* p = Scenario->PlayerAt(2);
    p->AIHandler = std::make_unique<TProbe>(p);
    p->Relations[1] = rHostile;
    SeeAll(2);
  }
  TProbe& Probe() { return static_cast<TProbe&>(Handler(2)); }
  void SeeAll(i32 player) {
    TPlayer* p = Scenario->PlayerAt(player);
    p->Fog = std::make_unique<TFog>(p);
    for (i32 y = 0; y < Scenario->Height; ++y)
      for (i32 x = 0; x < Scenario->Width; ++x) p->Fog->SetState(x, y, fsVisible);
  }
  TAITask* NewTask(u32 type, std::initializer_list<const TGroup*> groups, i32 priority) {
    TAIHandler& h = Handler(2);
    auto* t = new TAITask(&h, true);
    t->Header.TaskType = type;
    t->Priority = priority;
    for (const TGroup* g : groups)
      for (const TUnit* u : g->Units)
        if (u) t->AssignUnit(h.FindAIUnit(u));
    h.Tasks.Items.Add(t);
    return t;
  }
  TCity* NewCity(i32 fx, i32 fy, i32 slots) {
    auto* city = new TCity(Scenario.get());
    city->OccupiedArea->AddField(fx, fy);
    city->EntranceArea->AddField(fx, fy + 1);
    city->X = static_cast<i16>(fx * FieldSize);
    city->Y = static_cast<i16>(fy * FieldSize);
    city->AnchorFieldX = fx;
    city->AnchorFieldY = fy + 1;
    city->Owner = 2;
    city->SetSlotCount(slots);
    Scenario->AddMapObject(city);
    return city;
  }
  // A unit of player 2 in the city's units, as strong as asked.
  TUnit* CityUnit(TCity* city, u32 prototype, i16 defence) {
    TUnit* u = NewUnit(prototype);
    u->OwnerIndex = 2;
    u->Effective.Defence.Current = defence;
    city->AddUnit(u, false, true, false);
    return u;
  }
  // Plays the main thread for player 2 as the game would: selections,
  // moves (onto a city's field with the enter flag: into the city), the
  // city's orders.
  std::vector<TActionRecord> Run(const std::function<void()>& op) {
    TPlayer* p = Scenario->PlayerAt(2);
    Scenario->CurrentPlayerIndex = 2;
    Scenario->UpdateOccupancy();
    TCity* open = nullptr;
    return Serve(2, op, [&](const TActionRecord& r) {
      const u32* w = r.Words;
      switch (r.Type()) {
        case atSelect:
          p->Select(Scenario->FindMapObject(w[1]));
          if (TGroup* g = p->GetSelectedGroup()) Scenario->ComputeMoveCosts(g->FieldX(), g->FieldY(), g);
          break;
        case atMove:
          if (TGroup* g = p->GetSelectedGroup()) {
            if ((w[4] >> 8 & 0xFF) && (open = Scenario->FindCity(w[6]))) {
              open->Enter(g);
            } else {
              g->X = static_cast<i16>(static_cast<i32>(w[1]) * FieldSize + FieldSize / 2);
              g->Y = static_cast<i16>(static_cast<i32>(w[2]) * FieldSize + FieldSize / 2);
            }
            Scenario->UpdateOccupancy();
          }
          break;
        case atEnterCity:
          if ((open = Scenario->FindCity(w[1]))) open->Enter(p->GetSelectedGroup());
          break;
        case atLeaveCity:
          if (open) open->Leave();
          open = nullptr;
          break;
        case atMoveCityUnit:
          if (open) open->MoveUnit(static_cast<i32>(w[1]), w[2], static_cast<i32>(w[3]), static_cast<i32>(w[4]));
          break;
        default: break;
      }
      return u32{arDone};
    });
  }
  static std::vector<TActionRecord> OfType(const std::vector<TActionRecord>& posted, u32 type) {
    std::vector<TActionRecord> out;
    for (const TActionRecord& r : posted)
      if (r.Type() == type) out.push_back(r);
    return out;
  }
};

// An intruder is looked for up to 1.5 times the radius (truncated), and the
// guard attacks it for its own task; farther off the guard stays on its post.
TEST_F(AITasks, AGuardAttacksIntrudersUpToHalfAgainItsRadius) {
  const struct {
    i32 radius, distance;
    bool attacks;
  } cases[] = {{3, 4, true}, {3, 5, false}, {2, 3, true}, {2, 4, false}, {1, 1, true}, {1, 2, false}, {0, 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "radius " << c.radius << ", intruder " << c.distance << " away");
    Reset();
    TGroup* guard = NewGroup(2, 10, 10, {WorldTest::Wolf});
    TGroup* intruder = NewGroup(1, 10 + c.distance, 10, {WorldTest::Wolf});
    // Priority 80: no detour to a weak hostile on the way.
    TAITask* task = NewTask(ttGuardArea, {guard}, 80);
    task->Header.Target.Kind = tkField;
    task->Header.Target.SetField(10, 10);
    task->Header.Target.Radius = c.radius;
    i32 result = -1;
    const auto posted = Run([&] { result = Handler(2).ExecuteGuardArea(task); });
    EXPECT_EQ(result, 0);
    ASSERT_FALSE(Probe().Radii.empty());
    EXPECT_EQ(Probe().Radii[0], c.radius * 3 / 2);
    if (c.attacks) {
      ASSERT_EQ(Probe().Fights.size(), 1u);
      EXPECT_EQ(Probe().Fights[0], std::make_pair(intruder->ID, u32{ttGuardArea}));
      EXPECT_EQ(task->Header.Target.ReferenceKind, u32{rkUnit});
      EXPECT_EQ(task->Header.Target.ReferenceID, intruder->Units[0]->ID);
    } else {
      EXPECT_TRUE(Probe().Fights.empty());
      EXPECT_EQ(task->Header.Target.ReferenceID, 0u);
      EXPECT_TRUE(OfType(posted, atMove).empty()) << "standing on its post, the guard stays";
    }
  }
}

// The guard that runs is the multi-task's copy of the handler's task; the
// intruder it picks is remembered on the handler's task for the next pass.
TEST_F(AITasks, TheIntruderIsRememberedOnTheTaskAPassRunsACopyOf) {
  TGroup* guard = NewGroup(2, 10, 10, {WorldTest::Wolf});
  TGroup* intruder = NewGroup(1, 12, 10, {WorldTest::Wolf});
  TAITask* task = NewTask(ttGuardArea, {guard}, 80);
  task->Header.Target.Kind = tkField;
  task->Header.Target.SetField(10, 10);
  task->Header.Target.Radius = 2;
  TAIMultiTask multi;
  multi.Members.Add(task);
  multi.Init(&Handler(2));
  ASSERT_TRUE(multi.Prepare());
  ASSERT_NE(multi.Combined, task);
  Run([&] { Handler(2).ExecuteGuardArea(multi.Combined); });
  EXPECT_EQ(task->Header.Target.ReferenceKind, u32{rkUnit});
  EXPECT_EQ(task->Header.Target.ReferenceID, intruder->Units[0]->ID);
}

// The intruder once chosen stays the target while it remains in the
// enlarged square, even when a weaker one comes; then the weakest again.
TEST_F(AITasks, AGuardKeepsItsIntruderUntilItLeavesTheSquare) {
  TGroup* guard = NewGroup(2, 10, 10, {WorldTest::Wolf});
  TGroup* strong = NewGroup(1, 12, 10, {WorldTest::Wolf, WorldTest::Wolf});
  TAITask* task = NewTask(ttGuardArea, {guard}, 60);
  task->Header.Target.Kind = tkField;
  task->Header.Target.SetField(10, 10);
  task->Header.Target.Radius = 2;
  task->Header.Target.ReferenceKind = rkUnit;
  task->Header.Target.ReferenceID = strong->Units[0]->ID;
  TGroup* weak = NewGroup(1, 8, 10, {WorldTest::Wolf});
  Run([&] { Handler(2).ExecuteGuardArea(task); });
  strong->X = static_cast<i16>(14 * FieldSize + FieldSize / 2);
  Run([&] { Handler(2).ExecuteGuardArea(task); });
  const std::vector<std::pair<u32, u32>> expected{{strong->ID, ttGuardArea}, {weak->ID, ttGuardArea}};
  EXPECT_EQ(Probe().Fights, expected);
  EXPECT_EQ(task->Header.Target.ReferenceID, weak->Units[0]->ID);
}

// A target hidden in the fog is looked for on its last known field (radius
// 2), not where it really stands, and is not fought.
TEST_F(AITasks, AnAttackOnAHiddenGroupGoesToItsLastField) {
  for (const bool hidden : {false, true}) {
    SCOPED_TRACE(hidden ? "hidden" : "in sight");
    Reset();
    TGroup* own = NewGroup(2, 3, 10, {WorldTest::Wolf});
    TGroup* target = NewGroup(1, 18, 10, {WorldTest::Wolf});
    if (hidden)
      for (i32 y = 6; y <= 14; ++y)
        for (i32 x = 16; x <= 23; ++x) Scenario->PlayerAt(2)->Fog->SetState(x, y, fsExplored);
    TAITask* task = NewTask(ttAttackGroup, {own}, 80);
    task->Header.Target.Kind = tkGroup;
    task->Header.Target.SetObject(target);
    task->Header.Target.SetField(12, 10);
    i32 result = -1;
    const auto moves = OfType(Run([&] { result = Handler(2).ExecuteAttackGroup(task); }), atMove);
    EXPECT_EQ(result, 0);
    if (hidden) {
      EXPECT_TRUE(Probe().Fights.empty());
      ASSERT_FALSE(moves.empty());
      EXPECT_LE(std::abs(static_cast<i32>(moves[0].Words[1]) - 12), 2);
      EXPECT_LE(std::abs(static_cast<i32>(moves[0].Words[2]) - 10), 2);
      EXPECT_TRUE(TAIHandler::InSquare(12, 10, 2, own->FieldX(), own->FieldY()));
    } else {
      EXPECT_TRUE(moves.empty()) << "the fight itself does the walking";
      const std::vector<std::pair<u32, u32>> expected{{target->ID, ttAttackGroup}};
      EXPECT_EQ(Probe().Fights, expected);
    }
  }
}

// Far from the target and below priority 75, a group turns on a hostile
// close by that it hurts enough; at 76 or with the target near it keeps it.
TEST_F(AITasks, AnAttackTurnsOnAWorthwhileHostileCloseByOnlyWhenItMayTakeRisks) {
  const struct {
    i32 priority, targetX;
    bool turns;
  } cases[] = {{50, 12, true}, {74, 12, true}, {76, 12, false}, {50, 5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "priority " << c.priority << ", target at x " << c.targetX);
    Reset();
    TGroup* own = NewGroup(2, 3, 10, {WorldTest::Knight, WorldTest::Wolf, WorldTest::Wolf});
    TGroup* target = NewGroup(1, c.targetX, 10, {WorldTest::Wolf});
    TGroup* close = NewGroup(1, 3, 12, {WorldTest::Wolf});
    ASSERT_GE(own->EstimateReadyAttackDamage(target), target->GetTotalHitPoints() / 8) << "no need for a weaker one";
    TAITask* task = NewTask(ttAttackGroup, {own}, c.priority);
    task->Header.Target.Kind = tkGroup;
    task->Header.Target.SetObject(target);
    task->Header.Target.SetField(c.targetX, 10);
    Run([&] { Handler(2).ExecuteAttackGroup(task); });
    ASSERT_EQ(Probe().Fights.size(), 1u);
    EXPECT_EQ(Probe().Fights[0].first, c.turns ? close->ID : target->ID);
  }
}

// A protecting group heals its ward below half of the ward's base hit
// points and shields it when a hostile stands within 3.
TEST_F(AITasks, AProtectingGroupHealsAndShieldsItsWard) {
  const struct {
    const char* name;
    i32 hitPointsLost;  // of the base value, in halves: 0 none, 1 exactly half, 2 more
    i32 hostileDistance;
    std::vector<std::string> rules;
  } cases[] = {{"hurt below half", 2, 0, {"heal"}},
               {"hurt to half", 1, 0, {}},
               {"a hostile 3 away", 0, 3, {"defence", "shield"}},
               {"a hostile 4 away", 0, 4, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    TGroup* wardGroup = NewGroup(2, 10, 10, {WorldTest::Wolf});
    TUnit* ward = wardGroup->Units[0];
    const i16 base = ward->Effective.HitPoints.Base;
    ward->Effective.HitPoints.Current = static_cast<i16>(c.hitPointsLost == 0 ? base : c.hitPointsLost == 1 ? base / 2 : base / 2 - 1);
    if (c.hostileDistance) NewGroup(1, 10, 10 + c.hostileDistance, {WorldTest::Wolf});
    TGroup* guards = NewGroup(2, 9, 10, {WorldTest::Wolf});
    TAITask* task = NewTask(ttProtectUnit, {guards}, 60);
    task->Header.Target.Kind = tkUnit;
    task->Header.Target.SetObject(ward);
    task->Header.Target.Radius = 1;
    Run([&] { Handler(2).ExecuteProtectUnit(task); });
    std::vector<std::string> rules;
    for (const auto& cast : Probe().Casts) {
      rules.push_back(cast.first);
      EXPECT_EQ(cast.second, wardGroup->ID);
    }
    EXPECT_EQ(rules, c.rules);
    EXPECT_TRUE(Probe().Fights.empty());
  }
}

// Defenders are chosen anew: the slots are emptied, then filled slot by
// slot with up to three of the strongest own units that may defend.
TEST_F(AITasks, ACitysDefenceIsRebuiltFromItsStrongestPermittedUnits) {
  struct TUnitSpec {
    u32 prototype;
    i16 defence;
    bool lowMorale = false;
    u8 owner = 2;
  };
  const struct {
    const char* name;
    i32 slots;
    std::vector<TUnitSpec> units;
    // Expected slot of each unit in the order above; -1 among the city units.
    std::vector<i32> slotOf;
  } cases[] = {
      {"two slots and seven units",
       2,
       {{2, 10}, {2, 70}, {2, 30}, {2, 60}, {2, 20}, {2, 50}, {2, 40}},
       {-1, 0, 1, 0, 1, 0, 1}},
      {"one hero a slot",
       2,
       {{WorldTest::Knight, 90}, {WorldTest::Knight, 80}, {2, 10}, {2, 20}},
       {0, 1, 0, 0}},
      {"no defending below the morale minimum, nor for another player",
       1,
       {{2, 90, true}, {2, 80, false, 1}, {2, 10}, {2, 20}},
       {-1, -1, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    TCity* city = NewCity(5, 5, c.slots);
    std::vector<TUnit*> units;
    for (const TUnitSpec& s : c.units) {
      TUnit* u = CityUnit(city, s.prototype, s.defence);
      u->OwnerIndex = s.owner;
      if (s.lowMorale) u->Effective.Morale = 5;
      units.push_back(u);
    }
    // The weakest starts as a defender; it must make room.
    city->MoveUnit(clUnits, units[0]->ID, clDefenders, 0);
    ASSERT_EQ(city->FindSlotOfUnit(units[0]), 0);
    const auto posted = Run([&] {
      Handler(2).PostEnterCity(city);
      Handler(2).RebuildCityDefence(city);
      Handler(2).PostLeaveCity();
    });
    const auto moves = OfType(posted, atMoveCityUnit);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves[0].Words[1], u32{clDefenders}) << "the slots are emptied first";
    for (std::size_t i = 0; i < units.size(); ++i) EXPECT_EQ(city->FindSlotOfUnit(units[i]), c.slotOf[i]) << "unit " << i;
  }
}

// A group that walks into its own city joins the city's units and the
// defence is rebuilt with the newcomers; the departure group ends empty.
TEST_F(AITasks, ACityTaskBringsItsGroupIntoTheCityAndSetsTheDefenders) {
  TCity* city = NewCity(10, 10, 1);
  TUnit* old = CityUnit(city, WorldTest::Wolf, 1);
  city->MoveUnit(clUnits, old->ID, clDefenders, 0);
  TGroup* g = NewGroup(2, 10, 14, {WorldTest::Wolf, WorldTest::Wolf});
  const u32 a = g->Units[0]->ID, b = g->Units[1]->ID;
  for (TUnit* u : g->Units)
    if (u) u->Effective.Defence.Current = 50;
  TAITask* task = NewTask(ttCityTask, {g}, 80);
  task->SetCityTask(city);
  i32 result = -1;
  const auto posted = Run([&] { result = Handler(2).ExecuteCityTask(task); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Scenario->CityScreenOpen, 0) << "the city is left again";
  EXPECT_EQ(city->DepartureGroup->GetUnitCount(), 0);
  std::vector<u32> defenders;
  for (const TUnit* u : city->DefenderSlots)
    if (u) defenders.push_back(u->ID);
  std::sort(defenders.begin(), defenders.end());
  std::vector<u32> expected{a, b, old->ID};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(defenders, expected);
  const auto moves = OfType(posted, atMoveCityUnit);
  ASSERT_GE(moves.size(), 3u);
  EXPECT_EQ(moves[0].Words[1], u32{clDeparture}) << "the newcomers leave the departure group first";
  EXPECT_EQ(moves[1].Words[1], u32{clDeparture});
}

// References from a scenario file that name nothing (any more) end the
// handler at once, posting nothing that moves.
TEST_F(AITasks, TasksWhoseTargetsAreGoneEndWithoutMoving) {
  const struct {
    const char* name;
    u32 type;
    std::function<void(TAITask&)> aim;
    i32 result;
  } cases[] = {
      {"a guard area never set", ttGuardArea, [](TAITask& t) { t.Header.Target.Kind = tkField; }, 0},
      {"a protected unit that is gone", ttProtectUnit,
       [](TAITask& t) {
         t.Header.Target.Kind = tkUnit;
         t.Header.Target.ObjectID = 999999;
       },
       0},
      {"a followed unit in a hostile city", ttFollowUnit,
       [this](TAITask& t) {
         TCity* city = NewCity(20, 20, 1);
         city->Owner = 1;
         TUnit* u = NewUnit(WorldTest::Wolf);
         u->OwnerIndex = 1;
         city->AddUnit(u, false, false, false);
         t.Header.Target.Kind = tkUnit;
         t.Header.Target.SetObject(u);
       },
       0},
      {"a city that is gone", ttCityTask,
       [](TAITask& t) {
         t.Header.Target.Kind = tkLocation;
         t.Header.Target.ObjectID = 999999;
       },
       0},
      {"an attacked group that is gone", ttAttackGroup,
       [](TAITask& t) {
         t.Header.Target.Kind = tkGroup;
         t.Header.Target.ObjectID = 999999;
       },
       1},
  };
  for (const auto& c : cases) {
    for (const bool withUnits : {true, false}) {
      SCOPED_TRACE(testing::Message() << c.name << (withUnits ? "" : ", no units"));
      Reset();
      TGroup* g = NewGroup(2, 3, 3, {WorldTest::Wolf});
      TAITask* task = withUnits ? NewTask(c.type, {g}, 60) : NewTask(c.type, {}, 60);
      c.aim(*task);
      i32 result = -1;
      const auto posted = Run([&] {
        TAIHandler& h = Handler(2);
        switch (c.type) {
          case ttGuardArea: result = h.ExecuteGuardArea(task); break;
          case ttProtectUnit: result = h.ExecuteProtectUnit(task); break;
          case ttFollowUnit: result = h.ExecuteFollowUnit(task); break;
          case ttCityTask: result = h.ExecuteCityTask(task); break;
          default: result = h.ExecuteAttackGroup(task); break;
        }
      });
      EXPECT_EQ(result, withUnits ? c.result : 0);
      EXPECT_TRUE(OfType(posted, atMove).empty());
      EXPECT_EQ(g->FieldX(), 3);
    }
  }
}

}  // namespace
