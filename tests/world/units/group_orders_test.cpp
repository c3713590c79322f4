#include <algorithm>
#include <string>
#include <vector>

#include "tests/world/units/walk_fixture.h"
#include "world/locations/city.h"
#include "world/units/unit.h"

namespace WorldTest {
namespace {

using namespace GameData;

class GroupOrders : public TWalkFixture {
 protected:
  // A city with one occupied field and the entrance field west of it.
  TCity* City(u8 owner, i32 ex, i32 ey) {
    auto* c = new TCity(Scenario.get());
    c->Owner = owner;
    c->OccupiedArea->AddField(ex + 1, ey);
    c->EntranceArea->AddField(ex, ey);
    c->AnchorFieldX = ex + 1;
    c->AnchorFieldY = ey;
    Scenario->AddMapObject(c);
    return c;
  }
  // The result at once, or atNone when the order posted nothing.
  TActionRecord Taken() {
    TActionRecord r;
    Owner()->TakeAction(r);
    return r;
  }
  std::vector<i32> PointsOf(const TGroup* g) {
    std::vector<i32> out;
    for (const TUnit* u : g->Units)
      if (u) out.push_back(Points(u));
    return out;
  }
};

TEST_F(GroupOrders, RefusalsAndOrdersWithNothingToDo) {
  struct Case {
    const char* what;
    u32 result;  // atNone: ignored without a result
  };
  // Each case orders a fresh group of player 1 at (5, 5).
  auto check = [&](const Case& c, auto order) {
    Fresh();
    TGroup* g = Walker(5, 5, 12);
    order(g);
    TActionRecord r = Taken();
    if (c.result == atNone)
      EXPECT_EQ(r.Type(), atNone) << c.what;
    else
      EXPECT_TRUE(IsResult(r, c.result)) << c.what << ": " << r.Type() << " " << r.Words[1];
    EXPECT_NE(g->PendingAction, gaWalk) << c.what;
  };
  check({"an encounter is pending", atNone}, [](TGroup* g) {
    g->EncounterMode = amAttack;
    g->MoveTo(8, 5, 0, true);
  });
  check({"a battle runs", atNone}, [&](TGroup* g) {
    g->InBattle = 1;
    g->ApproachGroup(Foreign(2, 8, 5), amAttack, 0, true);
  });
  check({"camped with nobody marked to leave", arNoneLeaving}, [](TGroup* g) {
    g->CampState = csCamped;
    g->MoveTo(8, 5, 0, true);
  });
  check({"camped with everybody marked", arNoneLeaving}, [](TGroup* g) {
    g->CampState = csCamped;
    g->SplitMarks[0] = 1;
    g->MoveTo(8, 5, 0, true);
  });
  check({"walled in", arNoPath}, [&](TGroup* g) {
    for (i32 d = 0; d < 8; ++d) Scenario->Costs[Scenario->FieldIndex(10 + DirectionStepX[d], 10 + DirectionStepY[d])] = 255;
    g->MoveTo(10, 10, 0, true);
  });
  check({"the own field", arDone}, [](TGroup* g) { g->MoveTo(5, 5, 0, true); });
  check({"no free field beside the group", arNoPath}, [&](TGroup* g) {
    TGroup* cornered = Foreign(2, 0, 0);
    for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {1, 1}}) Foreign(0, x, y);
    g->ApproachGroup(cornered, amAttack, 0, true);
  });
  check({"no group", arNoPath}, [](TGroup* g) { g->JoinGroup(nullptr, 0, true); });
  check({"no such approach", arNoPath}, [&](TGroup* g) { g->ApproachGroup(Foreign(2, 8, 5), 3, 0, true); });
  check({"the entrance is held", arNoPath}, [&](TGroup* g) {
    TCity* city = City(2, 8, 5);
    Foreign(2, 8, 5);
    g->ApproachLocation(city, 0, true);
  });
  check({"too tired to strike", arNoActionPoints}, [&](TGroup* g) {
    SetPoints(g->Units[0], 3);
    g->ApproachGroup(Foreign(2, 6, 5), amAttack, 0, true);
  });
  check({"too tired to enter", arNoActionPoints}, [&](TGroup* g) {
    TCity* city = City(1, 5, 5);
    SetPoints(g->Units[0], 5);
    g->ApproachLocation(city, 0, true);
  });
}

TEST_F(GroupOrders, LocationsAreEnteredOrAttacked) {
  struct Case {
    const char* what;
    u8 owner;  // 255: a building
    bool defended;
    u32 type;
  };
  const Case cases[] = {
      {"an own city", 1, false, atEnterCity},
      {"a building", 255, false, atEnterBuilding},
      {"a hostile city without defenders is taken", 2, false, atEnterCity},
      {"a hostile city with defenders", 2, true, atAttackCity},
      {"a neutral city with defenders", 0, true, atEnterCity},
  };
  for (const Case& c : cases) {
    Fresh();
    TLocation* location;
    if (c.owner == 255) {
      auto* b = new TBuilding(Scenario.get());
      b->EntranceArea->AddField(6, 5);
      Scenario->AddMapObject(b);
      location = b;
    } else {
      TCity* city = City(c.owner, 6, 5);
      if (c.defended) {
        city->SetSlotCount(1);
        city->AddToSlot(0, NewUnit(Soldier), false, false, false);
      }
      location = city;
    }
    TGroup* g = Walker(2, 5, 20);
    g->ApproachLocation(location, 0, true);
    TActionRecord r = Run({g});
    EXPECT_EQ(r.Type(), c.type) << c.what;
    EXPECT_EQ(r.Words[1], location->ID) << c.what;
    EXPECT_EQ(At(g), (TField{6, 5})) << c.what;
  }
}

TEST_F(GroupOrders, ATargetTakenOffTheMapIsForgotten) {
  TGroup* g = Walker(2, 5, 20);
  TGroup* target = NewGroup(2, 8, 5, {Soldier});
  TCity* city = City(2, 6, 8);
  g->ApproachGroup(target, amAttack, 0, true);
  ASSERT_EQ(g->TargetGroup, target);
  Scenario->RemoveMapObject(target, false);
  EXPECT_EQ(g->TargetGroup, nullptr);
  g->ApproachLocation(city, 0, true);
  ASSERT_EQ(g->TargetLocation, city);
  Scenario->RemoveMapObject(city, false);
  EXPECT_EQ(g->TargetLocation, nullptr);
}

TEST_F(GroupOrders, APlainLocationEndsTheWalkWithDone) {
  // A location that is neither a building nor a city has nothing to enter:
  // the walk still reports, or the scenario would stay busy.
  struct TPlainLocation : TLocation {
    explicit TPlainLocation(TScenario* s) : TLocation(s, otLocation, "") {}
    Gfx::TSprite* GetSprite() const override { return nullptr; }
  };
  auto* place = new TPlainLocation(Scenario.get());
  place->EntranceArea->AddField(6, 5);
  Scenario->AddMapObject(place);
  TGroup* g = Walker(2, 5, 12);
  g->ApproachLocation(place, 0, true);
  EXPECT_TRUE(IsResult(Run({g}), arDone));
  EXPECT_EQ(At(g), (TField{6, 5}));
}

TEST_F(GroupOrders, AGroupThatCannotPayForEnteringStopsAtTheEntrance) {
  TCity* city = City(1, 6, 5);
  TGroup* g = Walker(2, 5, 12);  // 8 to walk, 6 to enter
  g->ApproachLocation(city, 0, true);
  EXPECT_TRUE(IsResult(Run({g}), arNoActionPoints));
  EXPECT_EQ(At(g), (TField{6, 5}));
  EXPECT_EQ(Points(g->Units[0]), 4);
}

TEST_F(GroupOrders, ACityGroupStepsOutAndWalksOn) {
  TCity* city = City(1, 6, 5);
  city->EntranceArea->AddField(6, 6);
  auto depart = [&] {
    TGroup* d = city->DepartureGroup.get();
    d->OwnerIndex = 1;
    d->AddUnit(NewUnit(Soldier), false, false, false);
    SetPoints(d->Units[0], 12);
    Owner()->Select(city);
    EXPECT_TRUE(d->IsDepartingCityGroup());
    return d;
  };
  TGroup* first = depart();
  first->MoveTo(6, 6, 0, true);
  EXPECT_TRUE(IsResult(Taken(), arDone)) << "the step-out field itself";
  EXPECT_GE(Scenario->IndexOfMapObject(first), 0);
  EXPECT_EQ(At(first), (TField{6, 6}));
  EXPECT_EQ(first->Direction, dSouthWest) << "away from the city's anchor";
  EXPECT_EQ(Owner()->Selection, first);
  EXPECT_NE(city->DepartureGroup.get(), first);
  EXPECT_EQ(city->DepartureGroup->GetUnitCount(), 0);
  EXPECT_EQ(city->DepartureGroup->OwnerIndex, 1);

  TGroup* second = depart();
  second->MoveTo(3, 5, 0, true);
  EXPECT_GE(Scenario->IndexOfMapObject(second), 0) << "on the map at once";
  EXPECT_TRUE(IsResult(Run({second}), arDone));
  EXPECT_EQ(At(second), (TField{3, 5}));
  EXPECT_EQ(Points(second->Units[0]), 6) << "stepping out costs nothing, three steps of 2";
}

TEST_F(GroupOrders, ACampedGroupWithAMarkedUnitLeavesItBehind) {
  TGroup* g = Walker(5, 5, 12, {Soldier, Wolf, Skeleton});
  TUnit* wolf = g->Units[1];
  g->CampState = csCamped;
  g->CampStyle = 2;
  g->SplitMarks[1] = 1;
  Scenario->UpdateOccupancy();
  TRandomState expected = RandomMain;
  NextRandom(expected);
  g->MoveTo(9, 5, 0, true);
  EXPECT_EQ(RandomMain.Low, expected.Low) << "one draw: the walking group's camp style";
  EXPECT_EQ(RandomMain.High, expected.High);
  EXPECT_TRUE(IsResult(Run({g}), arDone));
  EXPECT_EQ(At(g), (TField{9, 5}));
  EXPECT_EQ(g->GetUnitCount(), 2);
  EXPECT_EQ(g->CampState, csNone);
  EXPECT_EQ(g->SplitMarks[0] + g->SplitMarks[1] + g->SplitMarks[2], 0);
  TGroup* stay = Scenario->GetGroupAt(5, 5, nullptr);
  ASSERT_NE(stay, nullptr);
  EXPECT_EQ(stay->Units[0], wolf);
  EXPECT_EQ(wolf->Container, stay);
  EXPECT_EQ(stay->GetUnitCount(), 1);
  EXPECT_EQ(stay->CampState, csCamped);
  EXPECT_EQ(stay->CampStyle, 2);
  EXPECT_EQ(stay->OwnerIndex, 1);
}

TEST_F(GroupOrders, JoiningOnTheSameFieldMergesAtOnceUnlessTooMany) {
  TGroup* g = Walker(4, 4, 12);
  TGroup* other = NewGroup(1, 4, 4, {Wolf});
  other->CampState = csCamped;
  other->Direction = dNorth;
  TUnit* wolf = other->Units[0];
  g->JoinGroup(other, 0, true);
  EXPECT_TRUE(IsResult(Taken(), arDone));
  EXPECT_EQ(g->GetUnitCount(), 2);
  EXPECT_EQ(g->Units[0], wolf);
  EXPECT_EQ(g->CampState, csCamped) << "the joined group's camp";
  EXPECT_EQ(g->Direction, dNorth);
  EXPECT_EQ(Scenario->GetGroupAt(4, 4, g), nullptr);

  TGroup* pair = NewGroup(1, 4, 4, {Wolf, Skeleton});
  g->CampState = csNone;
  g->JoinGroup(pair, 0, true);
  EXPECT_TRUE(IsResult(Taken(), arDone));
  EXPECT_EQ(g->GetUnitCount(), 2) << "four units do not fit";
  EXPECT_EQ(pair->GetUnitCount(), 2);
}

TEST_F(GroupOrders, CheckMerge) {
  struct Case {
    std::vector<u32> mover, other;
    std::vector<u8> marks;
    i32 expected;
    const char* what;
  };
  const Case cases[] = {
      {{Soldier}, {Wolf, Wolf}, {}, 0, "three fit"},
      {{Soldier, Wolf}, {Wolf, Wolf}, {}, 1, "four do not"},
      {{Soldier, Wolf, Skeleton}, {Wolf, Wolf}, {0, 1, 1}, 0, "only the unmarked ones count"},
      {{Knight}, {Knight}, {}, 2, "two heroes"},
      {{Knight, Soldier}, {Knight}, {1, 0}, 0, "the hero stays behind"},
  };
  auto group = [&](i32 fx, const std::vector<u32>& prototypes) {
    TGroup* g = NewGroup(1, fx, 3, {});
    for (u32 p : prototypes) g->AddUnit(NewUnit(p), false, false, false);
    return g;
  };
  for (const Case& c : cases) {
    TGroup* g = group(3, c.mover);
    TGroup* o = group(4, c.other);
    for (std::size_t i = 0; i < c.marks.size(); ++i) g->SplitMarks[i] = c.marks[i];
    EXPECT_EQ(g->CheckMerge(o), c.expected) << c.what;
  }
}

TEST_F(GroupOrders, MakingAndBreakingCamp) {
  TGroup* g = Walker(5, 5, 1, {Soldier, Wolf, Skeleton});
  SetPoints(g->Units[2], 10);
  g->MakeCamp();
  EXPECT_EQ(g->CampState, csMaking);
  EXPECT_EQ(PointsOf(g), (std::vector<i32>{0, 0, 6})) << "six points, one a unit per pass";
  EXPECT_EQ(Scenario->OccupantAt(4, 4), g) << "the camp covers the fields round it";
  EXPECT_TRUE(IsResult(Run({g}), arDone));
  EXPECT_EQ(g->CampState, csCamped);

  g->MakeCamp();
  EXPECT_TRUE(IsResult(Taken(), arBlocked)) << "already camped";
  SetPoints(g->Units[2], 5);
  g->BreakCamp();
  EXPECT_TRUE(IsResult(Taken(), arNoActionPoints));
  EXPECT_EQ(g->CampState, csCamped);
  SetPoints(g->Units[2], 12);
  g->BreakCamp();
  EXPECT_EQ(g->CampState, csBreaking);
  EXPECT_EQ(Points(g->Units[2]), 6);
  EXPECT_EQ(Scenario->OccupantAt(4, 4), nullptr);
  EXPECT_TRUE(IsResult(Run({g}), arDone));
  EXPECT_EQ(g->CampState, csNone);
  g->BreakCamp();
  EXPECT_TRUE(IsResult(Taken(), arBlocked)) << "not camped";
}

TEST_F(GroupOrders, ACampNeedsEasyFreeGroundAndSixPoints) {
  struct Case {
    const char* what;
    void (*spoil)(TScenario&);
    i32 points;
    u32 result;
  };
  const Case cases[] = {
      {"five points in all", [](TScenario&) {}, 5, arNoActionPoints},
      {"a neighbour of saved cost 10", [](TScenario& s) { s.BaseCosts[s.FieldIndex(6, 6)] = 10; }, 12, arBlocked},
      {"a steep neighbour", [](TScenario& s) { s.Heights[s.FieldIndex(4, 5)] = 16; }, 12, arBlocked},
      {"a neighbour off the map", [](TScenario&) {}, 12, arBlocked},
  };
  for (const Case& c : cases) {
    Fresh();
    const bool edge = std::string(c.what).find("off the map") != std::string::npos;
    TGroup* g = Walker(edge ? 0 : 5, 5, c.points);
    c.spoil(*Scenario);
    EXPECT_EQ(g->CanMakeCamp(), c.result == arNoActionPoints) << c.what;
    g->MakeCamp();
    EXPECT_TRUE(IsResult(Taken(), c.result)) << c.what;
    EXPECT_EQ(g->CampState, csNone) << c.what;
    EXPECT_EQ(Points(g->Units[0]), c.points) << c.what;
  }
  Fresh();
  TGroup* g = Walker(5, 5, 12);
  Foreign(0, 6, 4);
  EXPECT_FALSE(g->CanMakeCamp()) << "a group beside it";
  EXPECT_TRUE(g->CanMakeCampAt(8, 8));
  EXPECT_TRUE(g->CanMakeCampAt(4, 6)) << "its own field beside the place does not count";
  EXPECT_FALSE(g->CanMakeCampAt(7, 4)) << "the other group beside the place";
  EXPECT_FALSE(g->CanMakeCampAt(6, 4)) << "the other group on the place";
  EXPECT_FALSE(g->CanMakeCampAt(5, 5)) << "its own field: as CanMakeCamp";
}

TEST_F(GroupOrders, StepOutAndRetreatCosts) {
  TGroup* g = Walker(5, 5, 2, {Soldier, Wolf});
  EXPECT_TRUE(g->CanStepOut());
  for (i32 d = 0; d < 8; ++d) Scenario->Costs[Scenario->FieldIndex(5 + DirectionStepX[d], 5 + DirectionStepY[d])] = 3;
  EXPECT_FALSE(g->CanStepOut());
  SetPoints(g->Units[0], 4);
  SetPoints(g->Units[1], 3);
  EXPECT_FALSE(g->CanRetreat()) << "retreat costs 4";
  g->Units[1]->Base.HitPoints.Current = 0;
  g->Units[1]->RecalcEffective(true);
  EXPECT_TRUE(g->CanRetreat()) << "the dead do not count";
  g->PayRetreatCost();
  EXPECT_EQ(Points(g->Units[0]), 0);
}

}  // namespace
}  // namespace WorldTest
