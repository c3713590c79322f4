#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/data/stream.h"
#include "tests/world/world_fixture.h"
#include "tools/databuilder/sprite_builder.h"
#include "world/locations/city.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

class GroupTest : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(16, 16, 3);
  }

  bool Knows(i32 player, const TUnit* unit) const { return OpponentOf(Scenario->PlayerAt(player)).Knows(unit); }
  i32 Records(i32 player) const { return static_cast<i32>(OpponentOf(Scenario->PlayerAt(player)).Units.size()); }

  // A group off the map (no occupancy, no AI) holding units in exactly this slot order.
  TGroup* Loose(std::initializer_list<u32> prototypes) {
    auto* group = new TGroup(Scenario.get());
    group->OwnerIndex = 1;
    group->X = group->Y = 100;
    Scenario->AddMapObject(group);
    for (u32 p : prototypes) {
      TUnit* u = NewUnit(p);
      u->Container = group;
      group->AppendUnit(u);
    }
    return group;
  }

  // Small distinct sprites: only which one is chosen matters.
  static std::vector<std::unique_ptr<Gfx::TSprite>> Sprites(i32 n) {
    std::vector<std::unique_ptr<Gfx::TSprite>> out;
    for (i32 i = 0; i < n; ++i)
      out.push_back(Builder::MakeSprite16({.ID = static_cast<u32>(i + 1), .Width = 1, .Height = 1},
                                          Builder::SolidPixels(0)));
    return out;
  }

  static void SetPool(TUnitProperty& p, i16 current, i16 max) { p = {current, max, 0, 0}; }
  static void Kill(TUnit* u) {
    u->Base.HitPoints.Current = 0;
    u->RecalcEffective(true);
  }
};

std::vector<TUnit*> Slots(const TGroup* g) { return {g->Units[0], g->Units[1], g->Units[2]}; }

// Units.

TEST_F(GroupTest, FourthUnitIsRefusedAndLeavesEverythingAsItWas) {
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Wolf, Skeleton});
  TUnit* extra = NewUnit(Soldier);
  std::vector<TUnit*> before = Slots(g);
  EXPECT_EQ(g->CheckAddUnit(extra), 1);
  try {
    g->AddUnit(extra, false, true, false);
    FAIL() << "a fourth unit must be refused";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Maximum number of units in group reached.");
  }
  EXPECT_EQ(Slots(g), before);
  EXPECT_EQ(extra->Container, nullptr);
  EXPECT_FALSE(Knows(1, extra));
}

TEST_F(GroupTest, CheckAddUnitRefusesASecondHero) {
  TGroup* heroes = NewGroup(1, 3, 3, {Knight});
  TGroup* plain = NewGroup(1, 5, 3, {Soldier});
  TUnit* knight = NewUnit(Knight);
  TUnit* soldier = NewUnit(Soldier);
  EXPECT_EQ(heroes->CheckAddUnit(knight), 2);
  EXPECT_EQ(heroes->CheckAddUnit(soldier), 0);
  EXPECT_EQ(plain->CheckAddUnit(knight), 0);
}

TEST_F(GroupTest, AddedHeroGoesToSlotZeroOthersKeepTheirOrder) {
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Wolf});
  TUnit* soldier = g->Units[0];
  TUnit* wolf = g->Units[1];
  TUnit* knight = NewUnit(Knight);
  g->AddUnit(knight, false, true, false);
  EXPECT_EQ(Slots(g), (std::vector<TUnit*>{knight, soldier, wolf}));
  EXPECT_EQ(knight->Container, g);
  EXPECT_TRUE(g->HasHero());
  EXPECT_EQ(g->GetUnitCount(), 3);
  EXPECT_EQ(g->FindUnitByID(wolf->ID), wolf);
  EXPECT_EQ(g->FindUnitByID(12345), nullptr);
}

TEST_F(GroupTest, AddUnitRegistersAndTellsOnlyTheOwnersOpponentWhenAsked) {
  TGroup* g = NewGroup(2, 3, 3, {});
  auto* fresh = new TUnit;
  fresh->SetPrototype(FindUnitPrototype(Wolf));
  g->AddUnit(fresh, true, false, true);
  EXPECT_GE(fresh->ID, 1000u) << "a new scenario ID";
  EXPECT_EQ(Scenario->FindUnit(fresh->ID), fresh);
  EXPECT_FALSE(Knows(2, fresh));

  TUnit* told = NewUnit(Soldier);
  g->AddUnit(told, false, true, false);
  EXPECT_TRUE(Knows(2, told));
  EXPECT_FALSE(Knows(0, told));
  EXPECT_FALSE(Knows(1, told));
}

TEST_F(GroupTest, GetLeaderRules) {
  // Slots are filled as written (no hero moved forward).
  struct Case {
    const char* name;
    std::initializer_list<u32> units;
    std::vector<i32> dead;
    i32 leader;  // slot, -1 none
  } cases[] = {
      {"no hero: slot 0", {Soldier, Wolf}, {}, 0},
      {"the last hero in slot order", {Knight, Soldier, Knight}, {}, 2},
      {"dead leader: the last living unit", {Soldier, Wolf, Skeleton}, {0}, 2},
      {"dead hero: the last living unit", {Soldier, Knight, Wolf}, {1, 2}, 0},
      {"nobody lives: the dead leader", {Soldier, Knight}, {0, 1}, 1},
      {"empty", {}, {}, -1},
  };
  for (const Case& c : cases) {
    TGroup* g = Loose(c.units);
    for (i32 slot : c.dead) Kill(g->Units[slot]);
    EXPECT_EQ(g->GetLeader(), c.leader < 0 ? nullptr : g->Units[c.leader]) << c.name;
  }
}

TEST_F(GroupTest, RemoveUnitAtClosesSlotsButKeepsSplitMarks) {
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Wolf, Skeleton});
  TUnit* a = g->Units[0];
  TUnit* b = g->Units[1];
  TUnit* c = g->Units[2];
  g->SplitMarks[1] = 1;

  g->RemoveUnitAt(0, false, true);
  EXPECT_EQ(Slots(g), (std::vector<TUnit*>{b, c, nullptr}));
  EXPECT_EQ(g->SplitMarks[0], 0);
  EXPECT_EQ(g->SplitMarks[1], 1) << "marks stay with the slot, not the unit";
  EXPECT_EQ(a->Container, nullptr);
  EXPECT_EQ(Scenario->FindUnit(a->ID), a) << "not unregistered";
  EXPECT_FALSE(Knows(1, a));
  EXPECT_TRUE(Knows(1, b));

  u32 bID = b->ID;
  g->RemoveUnitAt(0, true, false);
  EXPECT_EQ(Slots(g), (std::vector<TUnit*>{c, nullptr, nullptr}));
  EXPECT_EQ(Scenario->FindUnit(bID), nullptr) << "unregistered and deleted";
  EXPECT_EQ(Records(1), 2) << "without notify the opponent keeps its record";

  g->RemoveUnitAt(2, true, true);
  g->RemoveUnitAt(-1, true, true);
  g->RemoveUnitAt(3, true, true);
  EXPECT_EQ(Slots(g), (std::vector<TUnit*>{c, nullptr, nullptr})) << "empty or invalid slots change nothing";

  g->RemoveUnit(c, false, true);
  EXPECT_EQ(g->GetUnitCount(), 0);
  EXPECT_FALSE(Knows(1, c));
}

TEST_F(GroupTest, RemoveAllUnitsDeletesThem) {
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Wolf});
  u32 ids[] = {g->Units[0]->ID, g->Units[1]->ID};
  g->RemoveAllUnits(true);
  EXPECT_EQ(g->GetUnitCount(), 0);
  for (u32 id : ids) EXPECT_EQ(Scenario->FindUnit(id), nullptr);
  EXPECT_EQ(Records(1), 0);
}

TEST_F(GroupTest, SetOwnerMovesTheUnitsBetweenOpponents) {
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Wolf});
  g->SetOwner(2);
  EXPECT_EQ(g->OwnerIndex, 2);
  EXPECT_EQ(g->GetOwner(), Scenario->PlayerAt(2));
  EXPECT_EQ(Records(1), 0);
  EXPECT_EQ(Records(2), 2);
  EXPECT_TRUE(Knows(2, g->Units[0]));
  EXPECT_TRUE(Knows(2, g->Units[1]));

  g->SetOwner(2);
  EXPECT_EQ(Records(2), 2) << "the same owner changes nothing";

  g->SetOwner(NoOwner);
  EXPECT_EQ(g->GetOwner(), nullptr);
  EXPECT_EQ(Records(2), 0);
}

TEST_F(GroupTest, SplitMarksAndMovingHero) {
  TGroup* g = NewGroup(1, 3, 3, {Knight, Soldier});
  EXPECT_TRUE(g->HasMovingHero());
  g->SplitMarks[0] = 1;
  EXPECT_TRUE(g->IsSplitPending());
  EXPECT_FALSE(g->HasMovingHero()) << "the hero stays behind";
  g->SplitMarks[0] = 0;
  g->SplitMarks[1] = 1;
  EXPECT_TRUE(g->HasMovingHero());
  g->SplitMarks[0] = 1;
  EXPECT_FALSE(g->IsSplitPending()) << "all marked is no split";
  EXPECT_TRUE(g->HasMovingHero());
  g->Deselect();
  EXPECT_EQ(g->SplitMarks[0] + g->SplitMarks[1] + g->SplitMarks[2], 0);
}

// Derived values.

TEST_F(GroupTest, DerivedValuesOverMovingAndAllUnits) {
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Wolf, Soldier});  // no undead: their morale is fixed
  struct Values {
    i16 ap, apMax, hp, hpMax, mana, manaMax, morale, attack, defence, sight, level;
  } values[] = {
      {5, 12, 30, 40, 4, 20, 50, 5, 1, 3, 1},
      {7, 8, 10, 50, 6, 10, 70, 6, 2, 5, 2},
      {2, 6, 10, 33, 1, 7, 20, 7, 3, 1, 4},  // marked to stay behind
  };
  for (i32 i = 0; i < 3; ++i) {
    TUnitProperties& b = g->Units[i]->Base;
    const Values& v = values[i];
    SetPool(b.ActionPoints, v.ap, v.apMax);
    SetPool(b.HitPoints, v.hp, v.hpMax);
    SetPool(b.Mana, v.mana, v.manaMax);
    b.Morale = v.morale;
    b.Attack.Current = v.attack;
    b.Defence.Current = v.defence;
    b.Sight.Current = v.sight;
    b.Level = v.level;
    g->Units[i]->RecalcEffective(true);
  }
  g->Units[0]->LearnSpell(1);
  g->Units[1]->LearnSpell(1);
  g->Units[1]->LearnSpell(3);
  g->SplitMarks[2] = 1;

  EXPECT_EQ(g->GetMinActionPoints(), 5) << "the marked unit's 2 is ignored";
  EXPECT_EQ(g->GetMinMaxActionPoints(), 8);
  EXPECT_EQ(g->GetManaSum(), 10);
  EXPECT_EQ(g->GetMaxManaSum(), 30);
  EXPECT_EQ(g->GetHitPointsSum(), 40);
  EXPECT_EQ(g->GetMaxHitPointsSum(), 90);
  EXPECT_EQ(g->GetTotalActionPoints(), 14);
  EXPECT_EQ(g->GetTotalHitPoints(), 50);
  EXPECT_EQ(g->GetTotalMaxHitPoints(), 123);
  EXPECT_EQ(g->GetTotalMana(), 11);
  EXPECT_EQ(g->GetTotalAttack(), 18);
  EXPECT_EQ(g->GetTotalDefence(), 6);
  EXPECT_EQ(g->GetLowestHitPoints(), 10);
  EXPECT_EQ(g->GetWeakestMaxHitPoints(), 50) << "the first of the units with the lowest hit points";
  EXPECT_EQ(g->GetLowestMorale(), 20);
  EXPECT_EQ(g->GetHighestMorale(), 70);
  EXPECT_EQ(g->GetHighestLevel(), 4);
  EXPECT_EQ(g->GetHighestSight(), 5);
  EXPECT_EQ(g->GetSight(), 5);
  EXPECT_EQ(g->CountKnownSpells(), 3);

  for (u8& m : g->SplitMarks) m = 1;
  EXPECT_EQ(g->GetMinActionPoints(), -1) << "no moving unit";
  EXPECT_EQ(g->GetMinMaxActionPoints(), -1);
  EXPECT_EQ(g->GetHitPointsSum(), 0);
  EXPECT_EQ(g->GetTotalHitPoints(), 50) << "totals count every unit";
}

TEST_F(GroupTest, DerivedValuesOfSmallAndEmptyGroups) {
  TGroup* g = NewGroup(1, 3, 3, {Soldier});
  g->Units[0]->Base.Sight.Current = 1;
  g->Units[0]->RecalcEffective(true);
  EXPECT_EQ(g->GetSight(), 2) << "at least 2";
  EXPECT_EQ(g->GetHighestSight(), 1);

  TGroup* empty = NewGroup(1, 5, 5, {});
  EXPECT_EQ(empty->GetLowestHitPoints(), 0x7FFFFFFF);
  EXPECT_EQ(empty->GetLowestMorale(), 0x7FFFFFFF);
  EXPECT_EQ(empty->GetWeakestMaxHitPoints(), 0);
  EXPECT_EQ(empty->GetMinActionPoints(), -1);
  EXPECT_EQ(empty->GetSight(), 2);
  EXPECT_TRUE(empty->IsDefeated());
  EXPECT_FALSE(empty->CanAttack());
}

TEST_F(GroupTest, DyingAndDefeat) {
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Wolf});
  EXPECT_FALSE(g->CheckDying());
  EXPECT_EQ(g->PendingAction, 0);
  Kill(g->Units[1]);
  EXPECT_FALSE(g->IsDefeated());
  EXPECT_TRUE(g->CheckDying());
  EXPECT_EQ(g->PendingAction, 5);
  Kill(g->Units[0]);
  EXPECT_TRUE(g->IsDefeated());
}

TEST_F(GroupTest, EstimatesTakeTheBestTargetPerUnit) {
  TGroup* own = NewGroup(1, 3, 3, {Soldier, Knight});
  TGroup* enemy = NewGroup(2, 5, 5, {Wolf, Skeleton});
  // Make the enemy units differ so that the best target matters.
  enemy->Units[0]->Base.Defence.Current = 1;
  enemy->Units[0]->RecalcEffective(true);
  enemy->Units[1]->Base.Defence.Current = 30;
  enemy->Units[1]->RecalcEffective(true);

  auto expected = [&](bool readyOnly, bool counter) {
    i32 sum = 0;
    for (TUnit* u : own->Units) {
      if (!u || (readyOnly && !u->CanAttack())) continue;
      i32 best = 0;
      for (TUnit* e : enemy->Units)
        if (e) best = std::max(best, counter ? u->EstimateCounterAttackDamage(e) : u->EstimateAttackDamage(e));
      sum += best;
    }
    return sum;
  };
  EXPECT_GT(own->EstimateAttackDamage(enemy), 0);
  EXPECT_EQ(own->EstimateAttackDamage(enemy), expected(false, false));
  EXPECT_EQ(own->EstimateCounterAttackDamage(enemy), expected(false, true));

  // A unit without the action points of an attack is left out of the ready estimates.
  own->Units[1]->Base.ActionPoints.Current = 1;
  own->Units[1]->RecalcEffective(true);
  EXPECT_FALSE(own->Units[1]->CanAttack());
  EXPECT_EQ(own->EstimateReadyAttackDamage(enemy), expected(true, false));
  EXPECT_LT(own->EstimateReadyAttackDamage(enemy), own->EstimateAttackDamage(enemy));
  EXPECT_EQ(own->EstimateReadyCounterAttackDamage(enemy), expected(true, true));
}

// Camp style.

TEST_F(GroupTest, CampStyleFourForCreaturesWithoutDrawing) {
  for (i64 kind : {2, 4, 8}) {
    TGroup* g = NewGroup(1, 3, 3, {});
    TUnit* creature = NewUnit(Soldier);
    creature->Kind = kind;
    TRandomState before = RandomMain;
    g->AddUnit(NewUnit(Knight), false, false, false);
    EXPECT_NE(RandomMain.Low, before.Low) << "a human alone draws";
    before = RandomMain;
    g->AddUnit(creature, false, false, false);
    g->AddUnit(NewUnit(Soldier), false, false, false);
    EXPECT_EQ(g->CampStyle, 4) << "kind " << kind;
    EXPECT_EQ(RandomMain.Low, before.Low) << "kind " << kind << ": no draw";
    EXPECT_EQ(RandomMain.High, before.High);
  }
}

TEST_F(GroupTest, CampStyleOfHumansDrawsOncePerUnitChange) {
  TRandomState stream = RandomMain;
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Soldier, Soldier});
  i32 last = 0;
  for (i32 i = 0; i < 3; ++i) last = NextRandom(stream);
  EXPECT_EQ(g->CampStyle, last & 3);
  EXPECT_EQ(RandomMain.Low, stream.Low);
  EXPECT_EQ(RandomMain.High, stream.High);

  g->RemoveUnitAt(2, false, false);
  EXPECT_EQ(g->CampStyle, NextRandom(stream) & 3) << "a removal draws as well";
  EXPECT_EQ(RandomMain.Low, stream.Low);

  g->CampState = csCamped;
  g->CampStyle = 7;
  g->RemoveUnitAt(1, false, false);
  EXPECT_EQ(g->CampStyle, 7) << "kept while camping";
  EXPECT_EQ(RandomMain.Low, stream.Low) << "and nothing drawn";
}

// Directions.

TEST_F(GroupTest, StepDirectionBySigns) {
  struct Case {
    i32 dx, dy;
    u8 direction;
  } cases[] = {{0, 3, dSouth}, {2, 1, dSouthEast}, {5, 0, dEast},  {1, -1, dNorthEast}, {0, -4, dNorth},
               {-1, -2, dNorthWest}, {-3, 0, dWest}, {-1, 7, dSouthWest}, {0, 0, dSouth}};
  for (const Case& c : cases)
    EXPECT_EQ(TGroup::StepDirection(10, 10, 10 + c.dx, 10 + c.dy), c.direction) << c.dx << "," << c.dy;
  EXPECT_EQ(TGroup::StepDirection(5, 5, 6, 4), dNorthEast);
}

TEST_F(GroupTest, FacingDirectionByAngle) {
  struct Case {
    i32 x1, y1;  // from (0, 0); screen y grows downwards
    u8 direction;
    const char* what;
  } cases[] = {
      {0, -10, dNorth, "straight above"},
      {87, -50, dNorthEast, "30 degrees above east"},
      {100, 0, dEast, "east"},
      {100, -30, dEast, "16.7 degrees above east"},
      {100, 30, dEast, "16.7 degrees below east"},
      {10, -10, dNorthEast, "45 degrees"},
      {-10, -10, dNorthWest, "north-west"},
      {-10, 0, dWest, "west"},
      {-10, 10, dSouthWest, "south-west"},
      {0, 10, dSouth, "straight below"},
      {10, 10, dSouthEast, "south-east"},
      {0, 0, 0, "the same point"},
  };
  for (const Case& c : cases) EXPECT_EQ(TGroup::FacingDirection(0, 0, c.x1, c.y1), c.direction) << c.what;
}

TEST_F(GroupTest, TurnToFieldFacesTheFieldUnlessItIsTheGroupsOwn) {
  TGroup* g = NewGroup(1, 5, 5, {Soldier});
  g->Direction = dWest;
  g->TurnToField(5, 5);
  EXPECT_EQ(g->PendingAction, gaNone);
  g->TurnToField(6, 4);
  EXPECT_EQ(g->PendingAction, gaTurn);
  EXPECT_EQ(g->OrderedDirection, dNorthEast);
  for (i32 i = 0; i < 15; ++i) g->Tick();
  EXPECT_EQ(g->Direction, dNorthEast) << "the tick turns it, 45 degrees every fifth tick";
  EXPECT_EQ(g->AnimationState, asIdle);
}

// Fields.

TEST_F(GroupTest, IsFieldOccupiedCountsCampsAndItselfOnlyWhileCamping) {
  TGroup* a = NewGroup(1, 5, 5, {Soldier});
  TGroup* b = NewGroup(2, 9, 9, {Wolf});
  EXPECT_FALSE(a->IsFieldOccupied(5, 5)) << "its own field";
  EXPECT_TRUE(a->IsFieldOccupied(9, 9));
  EXPECT_FALSE(a->IsFieldOccupied(8, 8));

  b->CampState = csCamped;
  Scenario->MapObjectChanged(b);
  EXPECT_TRUE(a->IsFieldOccupied(8, 8)) << "the camp covers 3 x 3";
  EXPECT_TRUE(a->IsFieldOccupied(10, 10));
  EXPECT_FALSE(a->IsFieldOccupied(11, 9));
  b->CampState = csBreaking;
  Scenario->MapObjectChanged(b);
  EXPECT_FALSE(a->IsFieldOccupied(8, 8)) << "a camp being broken covers its field only";

  a->CampState = csMaking;
  Scenario->MapObjectChanged(a);
  EXPECT_TRUE(a->IsFieldOccupied(5, 5)) << "a camping group counts itself";
  EXPECT_TRUE(a->IsFieldOccupied(4, 6));
}

TEST_F(GroupTest, OccupancyTestsUseTheCurrentPlayersMap) {
  TGroup* a = NewGroup(1, 5, 5, {Soldier});
  TGroup* ally = NewGroup(0, 9, 9, {Wolf});
  TGroup* foe = NewGroup(2, 12, 12, {Wolf});
  TGroup* unseen = NewGroup(2, 2, 2, {Wolf});
  ally->Sighted = foe->Sighted = 1;
  TPlayer* p1 = Scenario->PlayerAt(1);
  p1->Relations[0] = rAllied;
  p1->Relations[2] = rHostile;
  Scenario->CurrentPlayerIndex = 1;
  Scenario->UpdateOccupancy();

  EXPECT_FALSE(a->IsFieldTakenByOther(5, 5));
  EXPECT_TRUE(a->IsFieldTakenByOther(9, 9));
  EXPECT_TRUE(a->IsFieldTakenByOther(12, 12));
  EXPECT_FALSE(a->IsFieldTakenByOther(2, 2)) << "not sighted: not on the current player's map";
  EXPECT_FALSE(a->IsFieldTakenByOther(6, 6));
  EXPECT_FALSE(a->IsFieldTakenByOther(-1, 3));
  EXPECT_FALSE(a->IsFieldTakenByOther(16, 3));

  EXPECT_TRUE(a->IsFieldFriendly(5, 5)) << "itself";
  EXPECT_TRUE(a->IsFieldFriendly(9, 9)) << "allied";
  EXPECT_FALSE(a->IsFieldFriendly(12, 12)) << "hostile";
  EXPECT_TRUE(a->IsFieldFriendly(6, 6)) << "empty";
  p1->Relations[0] = rNeutral;
  EXPECT_FALSE(a->IsFieldFriendly(9, 9)) << "neutral";
  (void)unseen;

  a->CampState = csCamped;
  Scenario->UpdateOccupancy();
  EXPECT_TRUE(a->IsFieldTakenByOther(5, 5)) << "a camp counts itself";
  EXPECT_TRUE(a->IsFieldTakenByOther(4, 4));
  EXPECT_FALSE(a->IsFieldTakenByOther(3, 3));
}

TEST_F(GroupTest, CampAtTheMapEdgeMarksOnlyFieldsOnTheMap) {
  TGroup* g = NewGroup(1, 0, 15, {Soldier});
  g->CampState = csMaking;
  std::fill(Scenario->Occupancy.begin(), Scenario->Occupancy.end(), nullptr);
  g->MarkFields();
  i32 marked = 0;
  for (TGroup* o : Scenario->Occupancy) marked += o == g;
  EXPECT_EQ(marked, 4);
  EXPECT_EQ(Scenario->OccupantAt(1, 14), g);
}

TEST_F(GroupTest, IsNearCampOnlyForWalkingGroupsCloseToACamp) {
  TGroup* camp = NewGroup(2, 5, 5, {Wolf});
  camp->CampState = csCamped;
  TGroup* g = NewGroup(1, 5, 6, {Soldier});
  g->AnimationState = 3;
  EXPECT_FALSE(g->IsNearCamp()) << "40 pixels is not less than 40";
  g->Y = static_cast<i16>(camp->Y + 39);
  EXPECT_TRUE(g->IsNearCamp());

  struct Case {
    u8 state, pending;
    bool near;
  } cases[] = {{0, 0, false}, {1, 0, false}, {8, 0, false}, {0, 3, true},
               {0, 1, false}, {0, 2, false}, {4, 0, true},  {3, 1, true}};
  for (const Case& c : cases) {
    g->AnimationState = c.state;
    g->PendingAction = c.pending;
    EXPECT_EQ(g->IsNearCamp(), c.near) << int(c.state) << "/" << int(c.pending);
  }
  g->AnimationState = 3;
  camp->CampState = csMaking;
  EXPECT_FALSE(g->IsNearCamp()) << "only a finished camp hides";
}

TEST_F(GroupTest, NotifyEnteredCityTellsEveryOtherPlayerPerUnit) {
  TGroup* g = NewGroup(1, 4, 6, {Soldier, Wolf});
  auto* city = new TCity(Scenario.get());
  city->OccupiedArea->AddField(4, 7);
  Scenario->AddMapObject(city);
  g->NotifyEnteredCity(city);

  EXPECT_EQ(Scenario->PlayerAt(1)->GetNotificationCount(), 0);
  for (i32 p : {0, 2}) {
    TPlayer* player = Scenario->PlayerAt(p);
    ASSERT_EQ(player->GetNotificationCount(), 2);
    for (i32 i = 0; i < 2; ++i) {
      std::unique_ptr<TNotification> n(player->PopNotification());
      EXPECT_EQ(n->Kind, 4u);
      EXPECT_EQ(n->X, 4);
      EXPECT_EQ(n->Y, 6);
      EXPECT_EQ(n->UnitID, g->Units[i]->ID);
      EXPECT_EQ(n->Extra, city->ID);
    }
  }
}

// Picture.

TEST_F(GroupTest, RectanglesOfGroupsAndCamps) {
  TGroup* g = NewGroup(2, 3, 4, {Soldier});  // centre (140, 180)
  EXPECT_EQ(g->GetRect(), (Base::TRect{120, 160, 161, 201}));
  EXPECT_EQ(g->GetMarkerRect(), Base::TRect{}) << "no marker sprite loaded";
  for (i32 state : {csMaking, csCamped, csBreaking}) {
    g->CampState = state;
    EXPECT_EQ(g->GetRect(), (Base::TRect{80, 120, 201, 241})) << state;
    EXPECT_EQ(g->GetMarkerRect(), (Base::TRect{80, 120, 201, 241})) << state;
  }

  auto marker = Builder::MakeSprite16({.ID = 7, .Width = 30, .Height = 10, .HotX = 15, .HotY = 2},
                                      Builder::SolidPixels(0));
  Global->SpriteTable[7] = marker.get();
  g->CampState = csNone;
  EXPECT_EQ(g->GetMarkerSprite(), marker.get()) << "slot 5 + owner";
  EXPECT_EQ(g->GetMarkerRect(), (Base::TRect{125, 178, 155, 188}));
  Global->SpriteTable[7] = nullptr;
}

TEST_F(GroupTest, MarkerSpriteSlots) {
  auto sprites = Sprites(5);
  for (i32 i = 0; i < 5; ++i) Global->SpriteTable[5 + i] = sprites[i].get();
  TGroup* g = NewGroup(0, 3, 3, {Soldier});
  for (u8 owner : {0, 1, 4}) {
    g->OwnerIndex = owner;
    EXPECT_EQ(g->GetMarkerSprite(), sprites[owner].get()) << int(owner);
  }
  for (u8 owner : {5, 255}) {
    g->OwnerIndex = owner;
    EXPECT_EQ(g->GetMarkerSprite(), sprites[0].get()) << int(owner);
  }
  for (i32 i = 0; i < 5; ++i) Global->SpriteTable[5 + i] = nullptr;
}

TEST_F(GroupTest, SpriteChoice) {
  auto unitSprites = Sprites(SpriteSetCount);
  auto camps = Sprites(10);
  TGroup* g = NewGroup(1, 3, 3, {Soldier, Knight});
  TUnit* leader = g->GetLeader();
  ASSERT_EQ(leader, g->Units[0]);
  for (i32 set : {MapStand, MapDie, MapWalk, MapCast}) leader->Sprites[set][dEast] = unitSprites[set].get();
  for (i32 i = 0; i < 10; ++i) Global->SpriteTable[1034 + i] = camps[i].get();
  g->Direction = dEast;
  g->CampStyle = 2;

  EXPECT_EQ(g->GetSprite(), unitSprites[MapStand].get());
  g->AnimationState = 3;
  EXPECT_EQ(g->GetSprite(), unitSprites[MapWalk].get());
  g->AnimationState = 4;
  EXPECT_EQ(g->GetSprite(), unitSprites[MapWalk].get());
  g->AnimationState = 6;
  EXPECT_EQ(g->GetSprite(), unitSprites[MapCast].get());
  g->CampState = csMaking;
  EXPECT_EQ(g->GetSprite(), camps[5 + 2].get()) << "slot 1039 + style";
  g->CampState = csBreaking;
  EXPECT_EQ(g->GetSprite(), camps[5 + 2].get());
  g->CampState = csCamped;
  EXPECT_EQ(g->GetSprite(), camps[2].get()) << "slot 1034 + style";
  g->Frame = 6;
  g->PendingAction = 5;
  EXPECT_EQ(g->GetSprite(), unitSprites[MapDie].get()) << "dying wins over the camp";
  EXPECT_EQ(g->GetFrame(), 0) << "a living leader waits on frame 0";
  Kill(leader);
  Kill(g->Units[1]);
  EXPECT_EQ(g->GetFrame(), 6);
  g->PendingAction = 0;
  g->AnimationState = 0;
  EXPECT_EQ(g->GetSprite(), unitSprites[MapDie].get()) << "nobody lives";

  for (i32 set : {MapStand, MapDie, MapWalk, MapCast}) leader->Sprites[set][dEast] = nullptr;
  for (i32 i = 0; i < 10; ++i) Global->SpriteTable[1034 + i] = nullptr;
  EXPECT_EQ(NewGroup(1, 5, 5, {})->GetSprite(), nullptr) << "no leader";
}

// Stream.

class GroupStream : public GroupTest {
 protected:
  TGroup* Filled() {
    TGroup* g = NewGroup(2, 3, 4, {Soldier, Knight});
    g->Direction = dNorthWest;
    g->TickCounter = 0x01020304;
    g->TicksPerStep = 7;
    g->Frame = 3;
    g->PendingAction = 2;
    g->AnimationState = 4;
    g->TurnTarget = 5;
    g->OrderedDirection = 6;
    g->WalkStartField = {1, 2};
    g->CurrentField = {3, 4};
    g->NextField = {-5, 6};
    g->DestinationField = {7, 8};
    g->PathIndex = -9;
    g->JoinFlag = 1;
    g->ApproachMode = 2;
    g->EncounterMode = 3;
    g->ApproachedMark = 4;
    g->InBattle = 1;
    g->Reserved = 0x55;
    g->DeferredStop = 1;
    g->ShortStop = 1;
    g->StopField = {10, 11};
    g->CampState = csCamped;
    g->CampStyle = 3;
    return g;
  }
  static std::vector<u8> Bytes(const TGroup& g) {
    Data::TMemoryStream s;
    g.Save(s);
    return s.Memory();
  }
};

TEST_F(GroupStream, RoundTripKeepsEveryStoredField) {
  TGroup* g = Filled();
  std::vector<u8> bytes = Bytes(*g);
  ASSERT_EQ(bytes.size(), 79u) << "12 map-object bytes, 8 unit-ID bytes, 59 group bytes";
  EXPECT_EQ(bytes[12], dNorthWest);
  EXPECT_EQ(bytes[13], 2) << "owner";
  EXPECT_EQ(bytes[14], 2) << "unit count";
  EXPECT_EQ(bytes[64], 0) << "the reserved byte is written as 0";

  TGroup copy(Scenario.get());
  Data::TMemoryStream in(bytes);
  copy.Load(in);
  EXPECT_EQ(in.Remaining(), 0);
  EXPECT_EQ(Bytes(copy), bytes) << "saving the loaded group gives the same bytes";
  EXPECT_EQ(copy.ID, g->ID);
  EXPECT_EQ(copy.X, g->X);
  EXPECT_EQ(Slots(&copy), Slots(g));
  EXPECT_EQ(copy.Units[0]->Container, &copy);
  EXPECT_EQ(copy.OwnerIndex, 2);
  EXPECT_EQ(copy.TickCounter, 0x01020304u);
  EXPECT_EQ(copy.TicksPerStep, 7);
  EXPECT_EQ(copy.OrderedDirection, 6);
  EXPECT_EQ(copy.NextField.x, -5);
  EXPECT_EQ(copy.DestinationField.y, 8);
  EXPECT_EQ(copy.PathIndex, -9);
  EXPECT_EQ(copy.ApproachedMark, 4);
  EXPECT_EQ(copy.ShortStop, 1);
  EXPECT_EQ(copy.StopField.y, 11);
  EXPECT_EQ(copy.CampState, csCamped);
  EXPECT_EQ(copy.CampStyle, 3);
  EXPECT_EQ(copy.PixelsPerStep, 4) << "not stored";
  for (i32 i = 0; i < 2; ++i) g->Units[i]->Container = g;
}

TEST_F(GroupStream, LoadingReplacesEarlierUnits) {
  TGroup* one = NewGroup(1, 2, 2, {Wolf});
  std::vector<u8> bytes = Bytes(*one);
  TGroup three(Scenario.get());
  for (i32 i = 0; i < 3; ++i) three.AppendUnit(NewUnit(Soldier));
  Data::TMemoryStream in(bytes);
  three.Load(in);
  EXPECT_EQ(Slots(&three), (std::vector<TUnit*>{one->Units[0], nullptr, nullptr}));
  one->Units[0]->Container = one;
}

TEST_F(GroupStream, UnknownUnitIDFails) {
  TGroup* g = Filled();
  std::vector<u8> bytes = Bytes(*g);
  const u32 missing = 4242;
  std::memcpy(&bytes[22], &missing, 4);  // the second unit ID
  TGroup copy(Scenario.get());
  Data::TMemoryStream in(bytes);
  try {
    copy.Load(in);
    FAIL() << "an unknown unit must be refused";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Object with given ID not found (4242).");
  }
  for (TUnit* u : g->Units)
    if (u) u->Container = g;
}

TEST_F(GroupStream, TooManyUnitsAndTruncationFail) {
  TGroup* g = Filled();
  std::vector<u8> bytes = Bytes(*g);
  std::vector<u8> four = bytes;
  four[14] = 4;
  {
    TGroup copy(Scenario.get());
    Data::TMemoryStream in(four);
    EXPECT_THROW(copy.Load(in), std::runtime_error);
    EXPECT_EQ(copy.GetUnitCount(), 0);
  }
  // The camp style picks one of five camp pictures.
  for (i32 style : {-1, 5}) {
    std::vector<u8> bad = bytes;
    std::memcpy(&bad[bad.size() - 4], &style, 4);
    TGroup copy(Scenario.get());
    Data::TMemoryStream in(bad);
    EXPECT_THROW(copy.Load(in), Data::EInvalidData) << "camp style " << style;
  }
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    TGroup copy(Scenario.get());
    Data::TMemoryStream in(std::vector<u8>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_THROW(copy.Load(in), std::runtime_error) << n << " bytes";
  }
  for (TUnit* u : g->Units)
    if (u) u->Container = g;
}

TEST_F(GroupStream, ClearKeepsTheCamp) {
  TGroup* g = Filled();
  TUnit* a = g->Units[0];
  TUnit* b = g->Units[1];
  g->Clear();
  EXPECT_EQ(g->GetUnitCount(), 0);
  EXPECT_EQ(g->OwnerIndex, NoOwner);
  EXPECT_EQ(g->Direction, dSouth);
  EXPECT_EQ(g->TicksPerStep, 1);
  EXPECT_EQ(g->PathIndex, 0);
  EXPECT_EQ(g->StopField.x, 0);
  EXPECT_EQ(g->CampState, csCamped);
  EXPECT_EQ(g->CampStyle, 3);
  g->AppendUnit(a);
  g->AppendUnit(b);
}

}  // namespace
}  // namespace WorldTest
