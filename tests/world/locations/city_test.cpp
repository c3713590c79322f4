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

class CityTest : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(16, 16, 4);
    City = new TCity(Scenario.get());
    City->Name = "Burg";
    City->OccupiedArea->AddField(7, 7);
    City->OccupiedArea->AddField(8, 7);
    City->EntranceArea->AddField(7, 8);
    City->Owner = 1;
    City->SetSlotCount(3);
    Scenario->AddMapObject(City);
  }

  TPlayer* Player(i32 i) const { return Scenario->PlayerAt(i); }
  bool Knows(i32 player, const TUnit* unit) const { return OpponentOf(Player(player)).Knows(unit); }
  i32 Records(i32 player) const { return static_cast<i32>(OpponentOf(Player(player)).Units.size()); }

  // New registered units of an owner index put into a list, each announced to its owner's opponent.
  TUnit* CityUnit(u32 prototype, u8 owner) {
    TUnit* u = NewUnit(prototype);
    u->OwnerIndex = owner;
    City->AddUnit(u, false, true, false);
    return u;
  }
  TUnit* Recruit(u32 prototype, u8 owner) {
    TUnit* u = NewUnit(prototype);
    u->OwnerIndex = owner;
    City->AddRecruit(u, false, true, false);
    return u;
  }
  TUnit* Defender(i32 slot, u32 prototype, u8 owner) {
    TUnit* u = NewUnit(prototype);
    u->OwnerIndex = owner;
    City->AddToSlot(slot, u, false, true, false);
    return u;
  }

  std::vector<TUnit*> UnitList() const { return {City->Units.begin(), City->Units.end()}; }
  std::vector<TUnit*> RecruitList() const { return {City->Recruits.begin(), City->Recruits.end()}; }
  std::vector<TUnit*> Slot(i32 s) const {
    return {City->DefenderSlots[3 * s], City->DefenderSlots[3 * s + 1], City->DefenderSlots[3 * s + 2]};
  }
  std::vector<TUnit*> Departure() const {
    return {City->DepartureGroup->Units[0], City->DepartureGroup->Units[1], City->DepartureGroup->Units[2]};
  }
  bool Exists(u32 id) const { return Scenario->FindUnit(id) != nullptr; }

  TCity* City = nullptr;
};

// Lists.

TEST_F(CityTest, OwnersOfCityAndUnits) {
  TUnit* kept = CityUnit(Soldier, NoOwner);
  TUnit* foreign = CityUnit(Soldier, 2);
  TUnit* stray = CityUnit(Soldier, 9);
  EXPECT_EQ(City->GetOwner(), Player(1));
  EXPECT_EQ(City->GetUnitOwner(kept), Player(1)) << "255: the city's owner";
  EXPECT_EQ(City->GetUnitOwner(foreign), Player(2));
  EXPECT_EQ(City->GetUnitOwner(stray), nullptr);
  City->Owner = NoOwner;
  EXPECT_EQ(City->GetOwner(), nullptr);
  EXPECT_EQ(City->GetUnitOwner(kept), nullptr);
  City->Owner = 4;
  EXPECT_EQ(City->GetOwner(), nullptr) << "not below the player count";
}

TEST_F(CityTest, ListChangesNotifyTheUnitsOwner) {
  TUnit* kept = CityUnit(Soldier, NoOwner);
  TUnit* foreign = CityUnit(Wolf, 2);
  TUnit* recruit = Recruit(Soldier, NoOwner);
  EXPECT_TRUE(Knows(1, kept));
  EXPECT_TRUE(Knows(2, foreign));
  EXPECT_TRUE(Knows(1, recruit));
  EXPECT_EQ(kept->Container, City);
  EXPECT_EQ(recruit->Container, City);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{kept, foreign}));

  TUnit* quiet = NewUnit(Soldier);
  quiet->OwnerIndex = 3;
  EXPECT_EQ(City->AddUnit(quiet, false, false, false), 2);
  EXPECT_FALSE(Knows(3, quiet));

  City->RemoveUnitAt(0, false, true);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{foreign, quiet}));
  EXPECT_FALSE(Knows(1, kept));
  EXPECT_EQ(kept->Container, nullptr);
  EXPECT_TRUE(Exists(kept->ID)) << "kept in the registry";

  u32 foreignID = foreign->ID;
  City->RemoveUnit(foreign, true, false);
  EXPECT_FALSE(Exists(foreignID)) << "unregistered and deleted";
  EXPECT_EQ(Records(2), 1) << "without notify the opponent keeps its record";

  u32 recruitID = recruit->ID;
  City->RemoveRecruit(recruit, true, true);
  EXPECT_FALSE(Exists(recruitID));
  EXPECT_EQ(Records(1), 0);
  EXPECT_TRUE(City->Recruits.Count() == 0);

  City->RemoveUnitAt(5, true, true);
  City->RemoveRecruitAt(0, true, true);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{quiet})) << "indices outside the lists change nothing";

  auto* fresh = new TUnit;
  fresh->SetPrototype(FindUnitPrototype(Wolf));
  fresh->OwnerIndex = NoOwner;
  City->AddRecruit(fresh, true, true, true);
  EXPECT_EQ(Scenario->FindUnit(fresh->ID), fresh) << "registered with a new ID";
  EXPECT_TRUE(City->IsRecruit(fresh));
  EXPECT_TRUE(Knows(1, fresh));
}

TEST_F(CityTest, DefenderSlotsFillFromTheFrontAndCloseUp) {
  City->SetSlotCount(2);
  EXPECT_EQ(City->DefenderSlots.Count(), 6);
  EXPECT_FALSE(City->HasDefenders());
  TUnit* a = Defender(1, Soldier, NoOwner);
  TUnit* b = Defender(1, Knight, NoOwner);
  TUnit* c = Defender(1, Wolf, 2);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{a, b, c}));
  EXPECT_EQ(c->Container, City);
  EXPECT_TRUE(Knows(1, b));
  EXPECT_TRUE(Knows(2, c));
  EXPECT_EQ(City->CountSlotUnits(1), 3);
  EXPECT_EQ(City->CountSlotUnits(0), 0);
  EXPECT_TRUE(City->SlotHasHero(1));
  EXPECT_FALSE(City->SlotHasHero(0));
  EXPECT_EQ(City->FindSlotOfUnit(b), 1);
  EXPECT_TRUE(City->IsDefender(b));
  EXPECT_TRUE(City->HasDefenders());

  City->RemoveFromSlotAt(3, false, true);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{b, c, nullptr})) << "later positions move down";
  EXPECT_EQ(a->Container, nullptr);
  EXPECT_FALSE(Knows(1, a));
  EXPECT_EQ(City->FindSlotOfUnit(a), -1);

  City->ClearSlotEntry(3, false, false);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{nullptr, c, nullptr})) << "ClearSlotEntry leaves the gap";
  City->AddToSlot(1, a, false, false, false);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{a, c, nullptr})) << "the first empty position is taken";

  City->RemoveAnyUnit(c, false, false);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{a, nullptr, nullptr}));

  // Slot numbers that do not exist are ignored.
  EXPECT_EQ(City->CountSlotUnits(-1), 0);
  EXPECT_EQ(City->CountSlotUnits(2), 0);
  EXPECT_FALSE(City->SlotHasHero(-1));
  City->AddToSlot(-1, c, false, false, false);
  City->AddToSlot(2, c, false, false, false);
  City->RemoveFromSlotAt(-1, false, false);
  City->RemoveFromSlotAt(6, false, false);
  EXPECT_EQ(c->Container, nullptr);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{a, nullptr, nullptr}));
}

TEST_F(CityTest, RemoveAnyUnitFindsTheList) {
  TUnit* u = CityUnit(Soldier, NoOwner);
  TUnit* r = Recruit(Soldier, NoOwner);
  TUnit* d = Defender(0, Soldier, NoOwner);
  for (TUnit* x : {u, r, d}) City->RemoveAnyUnit(x, false, true);
  EXPECT_EQ(City->Units.Count() + City->Recruits.Count(), 0);
  EXPECT_FALSE(City->HasDefenders());
  EXPECT_EQ(Records(1), 0);
}

TEST_F(CityTest, RemoveAllUnitsDeletesEveryList) {
  u32 ids[] = {CityUnit(Soldier, NoOwner)->ID, Recruit(Wolf, 2)->ID, Defender(2, Knight, NoOwner)->ID};
  City->RemoveAllUnits(true);
  for (u32 id : ids) EXPECT_FALSE(Exists(id));
  EXPECT_FALSE(City->HasDefenders());
  EXPECT_EQ(Records(1) + Records(2), 0);
}

// Taking a city off the map takes the units of its departure group with it;
// none is left registered with a group that no longer exists.
TEST_F(CityTest, RemovingTheCityTakesItsDepartureGroupAlong) {
  TUnit* leaving = NewUnit(Wolf);
  City->DepartureGroup->OwnerIndex = 1;
  City->DepartureGroup->AddUnit(leaving, false, true, false);
  const u32 leavingID = leaving->ID, keptID = CityUnit(Soldier, NoOwner)->ID;
  ASSERT_EQ(Records(1), 2);
  Scenario->RemoveMapObject(City, true);
  City = nullptr;
  EXPECT_FALSE(Exists(leavingID));
  EXPECT_FALSE(Exists(keptID));
  EXPECT_EQ(Records(1), 0);
}

TEST_F(CityTest, CanJoinSlotTestsInOrder) {
  Defender(0, Knight, NoOwner);
  Defender(0, Soldier, NoOwner);
  Defender(0, Soldier, NoOwner);
  Defender(1, Knight, NoOwner);
  TUnit* hero = NewUnit(Knight);
  TUnit* soldier = NewUnit(Soldier);
  TUnit* timidHero = NewUnit(Knight);
  TUnit* timid = NewUnit(Soldier);
  for (TUnit* u : {timidHero, timid}) {
    u->Base.Morale = 29;
    u->RecalcEffective(true);
  }
  struct Case {
    i32 slot;
    TUnit* unit;
    i32 answer;
    const char* what;
  } cases[] = {
      {0, timidHero, 1, "full wins over everything"},
      {1, timidHero, 2, "second hero before morale"},
      {1, soldier, 0, "room"},
      {2, timid, 3, "morale below 30"},
      {2, hero, 0, "empty slot"},
      {3, soldier, 1, "no such slot"},
      {-1, soldier, 1, "no such slot"},
  };
  for (const Case& c : cases) EXPECT_EQ(City->CanJoinSlot(c.slot, c.unit), c.answer) << c.what;
}

// Moving units between the lists.

class CityMoves : public CityTest {
 protected:
  void SetUp() override {
    CityTest::SetUp();
    for (i32 i = 0; i < 3; ++i) Defender(0, Soldier, NoOwner);
    Lone = Defender(1, Wolf, NoOwner);
    Walker = NewUnit(Soldier);
    Walker->OwnerIndex = 2;
    City->DepartureGroup->AddUnit(Walker, false, false, false);
    Kept = CityUnit(Soldier, 3);
    Hired = Recruit(Wolf, NoOwner);
    RecordCounts = {Records(0), Records(1), Records(2), Records(3)};
  }
  std::vector<i32> Counts() const { return {Records(0), Records(1), Records(2), Records(3)}; }

  TUnit* Lone = nullptr;
  TUnit* Walker = nullptr;
  TUnit* Kept = nullptr;
  TUnit* Hired = nullptr;
  std::vector<i32> RecordCounts;
};

TEST_F(CityMoves, IntoTheFirstSlotWithRoom) {
  City->MoveUnit(clDeparture, Walker->ID, clDefenders, -1);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{Lone, Walker, nullptr})) << "slots hold 3, 1 and 0 units";
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 0);
  EXPECT_EQ(Walker->Container, City);
  EXPECT_EQ(Walker->OwnerIndex, 2) << "the owner index is kept";
  EXPECT_EQ(Counts(), RecordCounts) << "no opponent is told";
}

TEST_F(CityMoves, BetweenEveryList) {
  City->MoveUnit(clUnits, Kept->ID, clRecruits, -1);
  EXPECT_EQ(RecruitList(), (std::vector<TUnit*>{Hired, Kept}));
  EXPECT_TRUE(City->Units.Count() == 0);

  City->MoveUnit(clRecruits, Hired->ID, clDeparture, -1);
  EXPECT_EQ(Departure(), (std::vector<TUnit*>{Walker, Hired, nullptr}));
  EXPECT_EQ(Hired->Container, City->DepartureGroup.get());

  City->MoveUnit(clDefenders, Lone->ID, clDefenders, 2);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>(3, nullptr)));
  EXPECT_EQ(Slot(2), (std::vector<TUnit*>{Lone, nullptr, nullptr}));

  TUnit* first = City->DefenderSlots[0];
  City->MoveUnit(clDefenders, first->ID, clUnits, -1);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{first}));
  EXPECT_EQ(City->CountSlotUnits(0), 2);
  EXPECT_NE(City->DefenderSlots[1], nullptr) << "the slot closed up";
  EXPECT_EQ(City->DefenderSlots[2], nullptr);

  City->MoveUnit(clDeparture, Walker->ID, clUnits, -1);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{first, Walker}));
  EXPECT_EQ(Walker->Container, City);
  EXPECT_EQ(Counts(), RecordCounts);
}

TEST_F(CityMoves, RefusedMovesLeaveTheUnitWhereItWas) {
  struct Case {
    i32 from;
    bool known;  // the unit's own ID, else one nobody has
    i32 to, slot;
    const char* what;
  } cases[] = {
      {clUnits, true, clDefenders, 0, "full slot"},
      {clUnits, true, clDefenders, 3, "slot past SlotCount"},
      {clUnits, true, clDefenders, 99, "slot far out"},
      {clUnits, true, clDefenders, -5, "negative slot"},
      {clUnits, true, 7, -1, "no such list"},
      {clUnits, true, -1, -1, "no such list"},
      {9, true, clRecruits, -1, "no such source"},
      {clUnits, true, clUnits, -1, "same list"},
      {clUnits, false, clRecruits, -1, "unknown unit"},
      {clRecruits, true, clUnits, -1, "not a recruit"},
      {clDeparture, true, clUnits, -1, "not leaving"},
      {clDefenders, true, clUnits, -1, "not a defender"},
  };
  for (const Case& c : cases) {
    City->MoveUnit(c.from, c.known ? Kept->ID : 987654, c.to, c.slot);
    EXPECT_EQ(UnitList(), (std::vector<TUnit*>{Kept})) << c.what;
    EXPECT_EQ(Kept->Container, City) << c.what;
    EXPECT_EQ(City->CountSlotUnits(0) + City->CountSlotUnits(1) + City->CountSlotUnits(2), 4) << c.what;
    EXPECT_EQ(RecruitList(), (std::vector<TUnit*>{Hired})) << c.what;
  }

  City->MoveUnit(clDefenders, Lone->ID, clDefenders, 1);
  City->MoveUnit(clDefenders, Lone->ID, clDefenders, -1);
  City->MoveUnit(clDefenders, Lone->ID, clDefenders, 0);
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{Lone, nullptr, nullptr})) << "own slot, slot -1 or a full slot";

  Defender(1, Soldier, NoOwner);
  Defender(1, Soldier, NoOwner);
  for (i32 i = 0; i < 3; ++i) Defender(2, Soldier, NoOwner);
  City->MoveUnit(clUnits, Kept->ID, clDefenders, -1);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{Kept})) << "no slot has room";

  City->DepartureGroup->AddUnit(NewUnit(Soldier), false, false, false);
  City->DepartureGroup->AddUnit(NewUnit(Soldier), false, false, false);
  City->MoveUnit(clUnits, Kept->ID, clDeparture, -1);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{Kept})) << "the departure group is full";
  EXPECT_EQ(Kept->Container, City);
}

TEST_F(CityMoves, ActionRecordsGoToTheCurrentPlayer) {
  Scenario->CurrentPlayerIndex = 2;
  u32 counter = Scenario->ActionCounter;
  TActionRecord r;
  auto words = [&](std::initializer_list<u32> expected) {
    std::vector<u32> want(expected);
    want.resize(14, 0);
    return std::vector<u32>(r.Words, r.Words + 14) == want;
  };

  City->PostMoveUnit(clDeparture, Walker->ID, clDefenders, -1);
  Player(2)->TakeAction(r);
  EXPECT_TRUE(words({14, 0, Walker->ID, 1, 0xFFFFFFFF}));
  EXPECT_EQ(Scenario->ActionCounter, counter + 1);
  EXPECT_EQ(Walker->Container, City->DepartureGroup.get()) << "posting changes nothing itself";

  City->PostVisitMerchant(3);
  Player(2)->TakeAction(r);
  EXPECT_TRUE(words({16, 3}));

  City->PostPurchase(pkBuySkill, Kept->ID, 2, 45);
  Player(2)->TakeAction(r);
  EXPECT_TRUE(words({17, 3, Kept->ID, 2, 45}));

  for (i32 p : {0, 1, 3}) {
    Player(p)->TakeAction(r);
    EXPECT_TRUE(words({0})) << "player " << p;
  }
  Scenario->CurrentPlayerIndex = -1;
  City->PostVisitMerchant(1);
  EXPECT_EQ(Scenario->ActionCounter, counter + 3) << "nobody to post to";
}

// Ownership.

class CityOwner : public CityTest {
 protected:
  // o = 1 (the city's owner), p = 2 (the new owner), q = 3 (a third player).
  void SetUp() override {
    CityTest::SetUp();
    a = CityUnit(Soldier, NoOwner);
    b = CityUnit(Knight, NoOwner);
    c = CityUnit(Soldier, 1);
    d = CityUnit(Soldier, 2);
    e = CityUnit(Wolf, 3);
    g = Defender(0, Knight, NoOwner);
    f = Defender(0, Soldier, NoOwner);
    h = Defender(1, Soldier, 2);
    i = Defender(1, Wolf, 3);
    j = Recruit(Soldier, NoOwner);
    k = Recruit(Soldier, 2);
    bID = b->ID;
    gID = g->ID;
    eID = e->ID;
    iID = i->ID;
  }
  std::vector<u8> Indices() const {
    std::vector<u8> out;
    for (const TUnit* u : City->Units) out.push_back(u->OwnerIndex);
    for (const TUnit* u : City->DefenderSlots) out.push_back(u ? u->OwnerIndex : 0xEE);
    for (const TUnit* u : City->Recruits) out.push_back(u->OwnerIndex);
    return out;
  }

  TUnit *a, *b, *c, *d, *e, *f, *g, *h, *i, *j, *k;
  u32 bID, gID, eID, iID;
};

TEST_F(CityOwner, SameOwnerChangesNothing) {
  std::vector<u8> before = Indices();
  std::vector<TUnit*> units = UnitList();
  for (i32 mode : {1, 2, 3}) {
    City->SetOwner(1, mode);
    EXPECT_EQ(Indices(), before) << mode;
    EXPECT_EQ(UnitList(), units) << mode;
    EXPECT_TRUE(Exists(bID)) << mode;
  }
  EXPECT_EQ(Records(1), 6);
}

TEST_F(CityOwner, Mode1HandsEverythingOver) {
  City->SetOwner(2, 1);
  EXPECT_EQ(City->Owner, 2);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{a, b, c, d, e}));
  EXPECT_EQ(Slot(0), (std::vector<TUnit*>{g, f, nullptr}));
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{h, i, nullptr}));
  for (u8 index : Indices()) EXPECT_TRUE(index == NoOwner || index == 0xEE) << int(index);
  EXPECT_EQ(Records(1), 0) << "the old owner's opponent forgets";
  EXPECT_EQ(Records(2), 11) << "the new owner's opponent knows every unit";
  EXPECT_FALSE(Knows(3, e)) << "a city unit leaves its own owner's opponent";
}

TEST_F(CityOwner, Mode2DeletesHeroesAndKeepsThirdPlayers) {
  City->SetOwner(2, 2);
  EXPECT_EQ(City->Owner, 2);
  EXPECT_FALSE(Exists(bID));
  EXPECT_FALSE(Exists(gID));
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{a, c, d, e}));
  EXPECT_EQ(Slot(0), (std::vector<TUnit*>{f, nullptr, nullptr})) << "the slot closed up";
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{h, i, nullptr}));
  EXPECT_EQ(RecruitList(), (std::vector<TUnit*>{j, k}));
  for (TUnit* u : {a, c, d, f, h, j, k}) EXPECT_EQ(u->OwnerIndex, NoOwner);
  for (TUnit* u : {a, c, f, j}) {
    EXPECT_FALSE(Knows(1, u));
    EXPECT_TRUE(Knows(2, u));
  }
  EXPECT_EQ(Records(1), 2) << "the deleted heroes were not announced";
  EXPECT_EQ(e->OwnerIndex, 3);
  EXPECT_EQ(i->OwnerIndex, 3);
  EXPECT_TRUE(Knows(3, e));
}

TEST_F(CityOwner, Mode2DeletesUnitsTheNewOwnerIsHostileTo) {
  Player(2)->Relations[3] = rHostile;
  City->SetOwner(2, 2);
  EXPECT_FALSE(Exists(eID));
  EXPECT_FALSE(Exists(iID));
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{a, c, d}));
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{h, nullptr, nullptr}));
}

TEST_F(CityOwner, Mode3OldOwnerKeepsItsUnits) {
  City->SetOwner(2, 3);
  EXPECT_EQ(City->Owner, 2);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{a, b, c, d, e, h, f, g})) << "defenders join from the last entry";
  EXPECT_EQ(Slot(0), (std::vector<TUnit*>(3, nullptr)));
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{i, nullptr, nullptr})) << "a third player's defender stays";
  EXPECT_EQ(RecruitList(), (std::vector<TUnit*>{j, k}));
  for (TUnit* u : {a, b, c, f, g, j}) EXPECT_EQ(u->OwnerIndex, 1);
  for (TUnit* u : {d, k}) EXPECT_EQ(u->OwnerIndex, NoOwner);
  EXPECT_EQ(h->OwnerIndex, 1) << "a defender of the new owner goes through 255 to the old owner";
  EXPECT_EQ(e->OwnerIndex, 3);
  EXPECT_EQ(i->OwnerIndex, 3);
  for (TUnit* u : {f, g, h}) EXPECT_EQ(u->Container, City);
  EXPECT_EQ(Records(1), 6);
  EXPECT_EQ(Records(2), 3);
  EXPECT_EQ(Records(3), 2);
}

TEST_F(CityOwner, HostileUnitsAreRemovedFromEveryList) {
  City->SetSlotCount(3);
  TUnit* foe = Defender(2, Wolf, 3);
  TUnit* friendly = Defender(2, Soldier, NoOwner);
  u32 foeID = foe->ID;
  TUnit* foeRecruit = Recruit(Wolf, 3);
  u32 foeRecruitID = foeRecruit->ID;
  Player(1)->Relations[3] = rHostile;
  City->RemoveHostileUnits();
  EXPECT_FALSE(Exists(eID));
  EXPECT_FALSE(Exists(iID));
  EXPECT_FALSE(Exists(foeID));
  EXPECT_FALSE(Exists(foeRecruitID));
  EXPECT_EQ(Slot(2), (std::vector<TUnit*>{friendly, nullptr, nullptr})) << "the slot stays packed";
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{a, b, c, d}));
  EXPECT_EQ(Records(3), 4) << "removed without notify";

  City->Owner = NoOwner;
  Player(1)->Relations[2] = rHostile;
  City->RemoveHostileUnits();
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{a, b, c, d})) << "a city without owner removes nothing";
}

TEST_F(CityOwner, HostileGroupEntersAndCaptures) {
  Player(2)->Relations[1] = rHostile;
  Player(2)->Relations[3] = rHostile;
  Scenario->CurrentPlayerIndex = 2;
  TGroup* group = NewGroup(2, 7, 8, {Soldier, Knight});
  TUnit* knight = group->Units[0];
  TUnit* soldier = group->Units[1];
  u32 groupID = group->ID;

  City->Enter(group);
  EXPECT_EQ(Scenario->CityScreenOpen, 1);
  EXPECT_EQ(City->Owner, 2);
  EXPECT_EQ(Scenario->FindGroup(groupID), nullptr) << "the group is off the map";
  EXPECT_EQ(Departure(), (std::vector<TUnit*>{knight, soldier, nullptr}));
  EXPECT_EQ(City->DepartureGroup->OwnerIndex, 2);
  for (TUnit* u : {knight, soldier}) {
    EXPECT_EQ(u->OwnerIndex, 2);
    EXPECT_EQ(u->Container, City->DepartureGroup.get());
    EXPECT_EQ(u->Effective.ActionPoints.Current, 12 - 6) << "the entry cost";
    EXPECT_TRUE(Exists(u->ID));
  }
  EXPECT_EQ(Player(2)->Selection, City->DepartureGroup.get());
  EXPECT_FALSE(Exists(bID)) << "the old owner's heroes are deleted";
  EXPECT_FALSE(Exists(gID));
  EXPECT_FALSE(Exists(eID)) << "third players the new owner is hostile to";
  EXPECT_FALSE(Exists(iID));
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{a, c, d}));
  for (TUnit* u : {a, c, d, f, j}) EXPECT_EQ(u->OwnerIndex, NoOwner);
}

TEST_F(CityOwner, FriendlyEntryKeepsTheOwner) {
  Scenario->CurrentPlayerIndex = 1;
  TGroup* group = NewGroup(1, 7, 8, {Soldier});
  TUnit* soldier = group->Units[0];
  City->Enter(group);
  EXPECT_EQ(City->Owner, 1);
  EXPECT_TRUE(Exists(bID));
  EXPECT_EQ(Departure(), (std::vector<TUnit*>{soldier, nullptr, nullptr}));
  EXPECT_EQ(soldier->OwnerIndex, 1);

  City->Enter(nullptr);
  EXPECT_EQ(Scenario->CityScreenOpen, 1);
}

TEST_F(CityTest, EnteringAFullDepartureGroupKeepsTheRestInTheCity) {
  Scenario->CurrentPlayerIndex = 1;
  for (u32 p : {Soldier, Wolf}) City->DepartureGroup->AddUnit(NewUnit(p), false, false, false);
  TGroup* group = NewGroup(1, 7, 8, {Soldier, Wolf});
  TUnit* first = group->Units[1];  // units move from the last slot
  TUnit* second = group->Units[0];
  City->Enter(group);
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 3);
  EXPECT_EQ(City->DepartureGroup->Units[2], first);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{second}));
  EXPECT_EQ(second->Container, City);
}

TEST_F(CityTest, LeavingAndDisbanding) {
  Scenario->CurrentPlayerIndex = 2;
  Scenario->CityScreenOpen = 1;
  TUnit* knight = NewUnit(Knight);
  TUnit* soldier = NewUnit(Soldier);
  City->DepartureGroup->AddUnit(soldier, false, false, false);
  City->DepartureGroup->AddUnit(knight, false, false, false);
  City->Leave();
  EXPECT_EQ(City->DepartureGroup->OwnerIndex, 2);
  EXPECT_EQ(Player(2)->Selection, City);
  EXPECT_EQ(Scenario->CityScreenOpen, 0);
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 2) << "the group stays with the city";

  Player(2)->Select(nullptr);
  EXPECT_EQ(City->DepartureGroup->GetUnitCount(), 0) << "deselecting disbands it";
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{soldier, knight})) << "from its last unit to its first";
  EXPECT_EQ(knight->Container, City);
}

TEST_F(CityTest, DefenderGroupForABattle) {
  TUnit* soldier = Defender(1, Soldier, NoOwner);
  TUnit* knight = Defender(1, Knight, NoOwner);
  City->Owner = 3;
  City->PrepareDefenderGroup(1);
  EXPECT_EQ(City->DefenderGroup->OwnerIndex, 3);
  EXPECT_EQ(City->DefenderGroup->Units[0], knight);
  EXPECT_EQ(City->DefenderGroup->Units[1], soldier);
  EXPECT_EQ(soldier->Container, City->DefenderGroup.get());
  EXPECT_EQ(Slot(1), (std::vector<TUnit*>{soldier, knight, nullptr})) << "they stay in their slot";
  City->ReleaseDefenderGroup();
  EXPECT_EQ(City->DefenderGroup->GetUnitCount(), 0);
  EXPECT_EQ(knight->Container, City);
}

// Turn start and caption.

TEST_F(CityTest, TimidDefendersLeaveTheirSlotAtTurnStart) {
  TUnit* a = CityUnit(Soldier, NoOwner);
  TUnit* x = Defender(0, Soldier, NoOwner);
  TUnit* timid = Defender(0, Soldier, NoOwner);
  TUnit* z = Defender(0, Soldier, NoOwner);
  TUnit* r = Recruit(Soldier, NoOwner);
  timid->Base.Morale = 0;
  timid->Base.MoraleRegenerate.Current = 0;
  for (TUnit* u : {a, x, timid, z, r}) {
    u->Base.ActionPoints.Current = 1;
    u->RecalcEffective(true);
  }
  City->NewTurn();
  EXPECT_EQ(Slot(0), (std::vector<TUnit*>{x, z, nullptr}));
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{a, timid}));
  EXPECT_EQ(timid->Container, City);
  EXPECT_EQ(a->Effective.ActionPoints.Current, 12) << "city units start a turn";
  EXPECT_EQ(x->Effective.ActionPoints.Current, 12) << "defenders too";
  EXPECT_EQ(r->Effective.ActionPoints.Current, 1) << "recruits are not aged";
  EXPECT_EQ(Records(1), 5) << "no opponent is told";
}

TEST_F(CityTest, CaptionNamesTheFirstDefendedSlot) {
  City->Tick();
  EXPECT_EQ(City->Caption, "Burg");
  Defender(1, Soldier, NoOwner);
  Defender(1, Wolf, NoOwner);
  Defender(2, Knight, NoOwner);
  City->Tick();
  EXPECT_EQ(City->Caption, "Burg\nVerteidiger: Soldat (1), Wolf (1)");
  Defender(0, Knight, NoOwner);
  City->Tick();
  EXPECT_EQ(City->Caption, "Burg\nVerteidiger: Ritter (1)");
  City->ClearSlotEntry(0, false, false);
  City->ClearSlotEntry(3, false, false);
  City->Tick();
  EXPECT_EQ(City->Caption, "Burg\nVerteidiger: Wolf (1)") << "a gap at position 0 leaves no stray comma";
}

// Deals.

class CityDeals : public CityTest {
 protected:
  void SetUp() override {
    CityTest::SetUp();
    Player(2)->Gold = 1000;
    City->Innkeeper()->DrinkPrice = 5;
    City->Mage()->ManaPrice = 3;
    City->Mage()->SpellPrices[0] = 7;
    City->Mage()->SpellPrices[2] = 11;
    City->Herbalist()->HealPrice = 2;
    City->Herbalist()->SkillPrices[0] = 13;
    City->BattleMaster()->SkillPrices[0] = 17;
    Buyer = CityUnit(Soldier, 2);
  }
  u32 Gold() const { return Player(2)->Gold; }
  TUnit* Buyer = nullptr;
};

TEST_F(CityDeals, HireUnitPaysLevelTimesPriceAndChangesOwner) {
  TUnit* r = Recruit(Wolf, NoOwner);
  r->Base.Level = 2;
  r->RecalcEffective(true);
  City->HireUnit(r->ID, 2);
  EXPECT_EQ(Gold(), 1000u - 20);
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{Buyer, r}));
  EXPECT_TRUE(City->Recruits.Count() == 0);
  EXPECT_EQ(r->OwnerIndex, 2);
  EXPECT_EQ(r->Container, City);
  EXPECT_FALSE(Knows(1, r)) << "the previous owner's opponent forgets it";
  EXPECT_TRUE(Knows(2, r));

  City->HireUnit(Buyer->ID, 2);
  City->HireUnit(777777, 2);
  TUnit* other = Recruit(Wolf, NoOwner);
  City->HireUnit(other->ID, 9);
  EXPECT_EQ(Gold(), 1000u - 20) << "not a recruit, unknown unit or no such player";
  EXPECT_TRUE(City->IsRecruit(other));
}

TEST_F(CityDeals, ManaAndHealingChargeWhatIsMissing) {
  Buyer->Base.Mana.Current = 5;
  Buyer->Base.HitPoints.Current = 10;
  Buyer->RecalcEffective(true);
  City->RestoreMana(Buyer->ID, 2);
  EXPECT_EQ(Gold(), 1000u - 45);
  EXPECT_EQ(Buyer->Effective.Mana.Current, 20);
  City->HealUnit(Buyer->ID, 2);
  EXPECT_EQ(Gold(), 1000u - 45 - 60);
  EXPECT_EQ(Buyer->Effective.HitPoints.Current, 40);

  City->HealUnit(Buyer->ID, 2);
  City->RestoreMana(Buyer->ID, 2);
  EXPECT_EQ(Gold(), 1000u - 105) << "full pools cost nothing";
  EXPECT_EQ(Buyer->Effective.HitPoints.Current, 40);
}

TEST_F(CityDeals, SpellAndSkillPricesComeFromTheRightMerchant) {
  City->LearnSpell(1, Buyer->ID, 2);
  EXPECT_EQ(Gold(), 1000u - 7);
  EXPECT_TRUE(Buyer->KnowsSpell(1));
  City->LearnSpell(3, Buyer->ID, 2);
  EXPECT_EQ(Gold(), 1000u - 18);
  City->LearnSpell(0, Buyer->ID, 2);
  City->LearnSpell(65, Buyer->ID, 2);
  EXPECT_EQ(Gold(), 1000u - 18) << "numbers outside the price table are not sold";

  City->BuySkill(1, Buyer->ID, 2, true);
  EXPECT_EQ(Gold(), 1000u - 18 - 13) << "the herbalist's price";
  EXPECT_EQ(Buyer->Effective.ActionPoints.Current, 12 - 2) << "the skill's action points";
  City->BuySkill(1, Buyer->ID, 2, false);
  EXPECT_EQ(Gold(), 1000u - 18 - 13 - 17) << "the battle master's price";
  EXPECT_EQ(Buyer->Effective.ActionPoints.Current, 12 - 4);
  City->BuySkill(65, Buyer->ID, 2, false);
  EXPECT_EQ(Gold(), 1000u - 48);
}

TEST_F(CityDeals, DrinksRaiseMoraleUpToTheCapAndAlwaysCost) {
  struct Case {
    i16 morale, after;
  } cases[] = {{50, 60}, {75, 80}, {80, 80}, {90, 90}};
  u32 gold = Gold();
  for (const Case& c : cases) {
    TUnit* u = CityUnit(Soldier, 2);
    u->Base.Morale = c.morale;
    u->RecalcEffective(true);
    City->BuyDrink(u->ID, 2);
    gold -= 5;
    EXPECT_EQ(Gold(), gold) << c.morale;
    EXPECT_EQ(u->Effective.Morale, c.after) << c.morale;
    ASSERT_EQ(u->AfterEffects.Count(), 1) << c.morale;
    const TAfterEffect* e = u->AfterEffects[0];
    EXPECT_EQ(e->EffectID, 0);
    EXPECT_EQ(e->TurnsLeft, 2);
    EXPECT_EQ(e->Properties.Attack.Current, -2);
    EXPECT_EQ(e->Properties.CounterAttack.Current, -2);
    EXPECT_EQ(e->Properties.Defence.Current, 0);
    EXPECT_EQ(u->Effective.Attack.Current, 18);
  }
}

// Map.

TEST_F(CityTest, NearestEntranceFieldTakesTheFirstOfEquals) {
  City->EntranceArea->Clear();
  i32 fx = -7, fy = -7;
  City->GetNearestEntranceField(4, 5, fx, fy);
  EXPECT_EQ(fx, -7) << "an empty area leaves the outputs";
  City->EntranceArea->AddField(6, 5);
  City->EntranceArea->AddField(2, 5);
  City->EntranceArea->AddField(4, 9);
  City->GetNearestEntranceField(4, 5, fx, fy);
  const TField& first = (*City->EntranceArea)[0];
  EXPECT_EQ(fx, first.x);
  EXPECT_EQ(fy, 5);
  City->GetNearestEntranceField(4, 8, fx, fy);
  EXPECT_EQ(fx, 4);
  EXPECT_EQ(fy, 9);
}

TEST_F(CityTest, RectangleAndHitTest) {
  EXPECT_EQ(City->GetRect(), (Base::TRect{280, 280, 360, 320}));
  EXPECT_TRUE(City->HitTest(359, 319));
  EXPECT_FALSE(City->HitTest(360, 300));
  EXPECT_EQ(City->GetSprite(), nullptr);
}

TEST_F(CityTest, SortUnitsByOwnerThenStrength) {
  TUnit* unowned = CityUnit(Soldier, NoOwner);
  TUnit* p2 = CityUnit(Soldier, 2);
  TUnit* strong = CityUnit(Soldier, 1);
  TUnit* weak = CityUnit(Soldier, 1);
  strong->Base.Defence.Current = 30;
  strong->RecalcEffective(true);
  weak->Base.Defence.Current = 5;
  weak->RecalcEffective(true);
  City->SortUnits();
  EXPECT_EQ(UnitList(), (std::vector<TUnit*>{weak, strong, p2, unowned}));
  // One point of defence weighs as much as four of attack.
  weak->Base.Defence.Current = 31;
  weak->Base.Attack.Current = 16;
  weak->RecalcEffective(true);
  strong->Base.Defence.Current = 30;
  strong->Base.Attack.Current = 20;
  strong->RecalcEffective(true);
  EXPECT_EQ(TCity::CompareCityUnits(weak, strong), 0);
  weak->Base.Attack.Current = 17;
  weak->RecalcEffective(true);
  EXPECT_GT(TCity::CompareCityUnits(weak, strong), 0);
}

TEST_F(CityTest, FlagRectanglesAndFrames) {
  auto flag = Builder::MakeSprite16({.ID = 1, .Width = 12, .Height = 20, .Frames = 5, .HotX = 3, .HotY = 19},
                                    Builder::SolidPixels(0));
  Global->SpriteTable[1112 + 5 * 2 + 1] = flag.get();
  City->Flags.Add({2, 300, 200});
  City->Flags.Add({2, 100, 50});
  City->Flags.Add({0, 10, 10});
  EXPECT_EQ(City->GetFlagRect(0), (Base::TRect{297, 181, 309, 201}));
  EXPECT_EQ(City->GetFlagRect(2), Base::TRect{}) << "no sprite in the slot";
  EXPECT_EQ(City->GetFlagRect(3), Base::TRect{}) << "no such flag";
  EXPECT_EQ(City->GetFlagRect(-1), Base::TRect{});
  Scenario->FrameCounter = 123;
  EXPECT_EQ(City->FlagFrame(0), 12 % 5);
  EXPECT_EQ(City->FlagFrame(1), (12 + 577 % 421) % 5);
  City->Owner = NoOwner;
  EXPECT_EQ(City->GetFlagRect(0), Base::TRect{}) << "a city without owner has no flags";
  Global->SpriteTable[1112 + 5 * 2 + 1] = nullptr;
}

// Stream.

class CityStream : public CityTest {
 protected:
  void SetUp() override {
    CityTest::SetUp();
    City->PictureID = 11;
    City->Reserved1 = 12;
    City->SetSlotCount(2);
    City->Reserved2 = 13;
    City->MusicID = 14;
    City->AnchorFieldX = 7;
    City->AnchorFieldY = -8;
    City->Area->AddField(3, 4);
    City->Flags.Add({3, 0x12345, -6});
    City->Flags.Add({1, 20, 30});
    City->Closed = 1;
    City->Mage()->Name = "Magier";
    City->Mage()->SpellPrices[5] = 99;
    City->Innkeeper()->DrinkPrice = 4;
    Units[0] = CityUnit(Soldier, NoOwner);
    Units[1] = CityUnit(Wolf, 2);
    Units[2] = Defender(0, Soldier, NoOwner);
    Units[3] = Defender(1, Knight, NoOwner);
    Units[4] = Defender(1, Soldier, 3);
    City->ClearSlotEntry(3, false, false);  // a gap: slot 1 is (empty, soldier, empty)
    City->AddUnit(Units[3], false, false, false);
    Units[5] = Recruit(Wolf, NoOwner);
  }
  static std::vector<u8> Bytes(const TCity& city) {
    Data::TMemoryStream s;
    city.Save(s);
    return s.Memory();
  }
  void Reattach() {
    for (TUnit* u : Units) u->Container = City;
  }
  // Where the flags begin: the list tag followed by the count 2 and the first style 3.
  static std::size_t FlagsOffset(const std::vector<u8>& bytes) {
    const u8 pattern[] = {'l', 'i', 's', 't', 2, 0, 0, 0, 3, 0, 0, 0, 0x45, 0x23, 0x01, 0};
    auto it = std::search(bytes.begin(), bytes.end(), std::begin(pattern), std::end(pattern));
    return static_cast<std::size_t>(it - bytes.begin());
  }

  TUnit* Units[6] = {};
};

TEST_F(CityStream, RoundTripGivesTheSameBytes) {
  std::vector<u8> bytes = Bytes(*City);
  for (const auto& m : City->Merchants) EXPECT_NE(m->ID, 0u) << "merchants get IDs on their first save";
  u32 mageID = City->Merchants[1]->ID;
  EXPECT_NE(City->Merchants[0]->ID, mageID);
  EXPECT_EQ(Bytes(*City), bytes) << "a second save keeps the IDs";
  EXPECT_EQ(City->Merchants[1]->ID, mageID);

  TCity copy(Scenario.get());
  Data::TMemoryStream in(bytes);
  copy.Load(in);
  EXPECT_EQ(in.Remaining(), 0);
  EXPECT_EQ(Bytes(copy), bytes);
  EXPECT_EQ(copy.Name, "Burg");
  EXPECT_EQ(copy.Caption, "Burg");
  EXPECT_EQ(copy.Owner, 1);
  EXPECT_EQ(copy.SlotCount, 2);
  EXPECT_EQ(copy.MusicID, 14u);
  EXPECT_EQ(copy.AnchorFieldY, -8);
  EXPECT_EQ(copy.Closed, 1u);
  EXPECT_EQ(copy.Flags.Count(), 2);
  EXPECT_EQ(copy.Flags[0].X, 0x12345);
  EXPECT_EQ(copy.Mage()->Name, "Magier");
  EXPECT_EQ(copy.Mage()->SpellPrices[5], 99u);
  EXPECT_EQ(copy.Merchants[1]->ID, mageID);
  EXPECT_EQ(std::vector<TUnit*>(copy.Units.begin(), copy.Units.end()), UnitList());
  EXPECT_EQ(std::vector<TUnit*>(copy.DefenderSlots.begin(), copy.DefenderSlots.end()),
            (std::vector<TUnit*>{Units[2], nullptr, nullptr, nullptr, Units[4], nullptr}));
  EXPECT_EQ(copy.Recruits[0], Units[5]);
  for (TUnit* u : Units) EXPECT_EQ(u->Container, &copy);
  EXPECT_EQ(copy.DepartureGroup->OwnerIndex, 1) << "the departure group belongs to the owner";

  Data::TMemoryStream again(bytes);
  copy.Load(again);
  EXPECT_EQ(copy.Units.Count(), 3) << "loading starts from a cleared city";
  EXPECT_EQ(copy.Flags.Count(), 2);
  Reattach();
}

TEST_F(CityStream, UnknownUnitFails) {
  std::vector<u8> bytes = Bytes(*City);
  u32 id = Units[1]->ID;
  City->RemoveUnit(Units[1], true, false);
  TCity copy(Scenario.get());
  Data::TMemoryStream in(bytes);
  try {
    copy.Load(in);
    FAIL() << "a unit missing from the registry must be refused";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Object with given ID not found (" + std::to_string(id) + ").");
  }
  Units[1] = Units[0];
  Reattach();
}

TEST_F(CityStream, DamagedFlagsFail) {
  std::vector<u8> bytes = Bytes(*City);
  std::size_t at = FlagsOffset(bytes);
  ASSERT_LT(at, bytes.size());
  struct Case {
    std::size_t offset;
    std::vector<u8> patch;
    const char* what;
    const char* message;
  } cases[] = {
      {at, {'t', 's', 'i', 'l'}, "wrong signature", "Invalid data."},
      {at + 4, {0xFF, 0xFF, 0xFF, 0xFF}, "negative count", "Invalid data."},
      {at + 4, {0x00, 0x00, 0x00, 0x40}, "count beyond the data", "Stream read error."},
  };
  for (const Case& c : cases) {
    std::vector<u8> damaged = bytes;
    std::copy(c.patch.begin(), c.patch.end(), damaged.begin() + static_cast<std::ptrdiff_t>(c.offset));
    TCity copy(Scenario.get());
    Data::TMemoryStream in(damaged);
    try {
      copy.Load(in);
      ADD_FAILURE() << c.what << ": loaded";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.message) << c.what;
    }
  }
  Reattach();
}

TEST_F(CityStream, TruncatedStreamsFail) {
  std::vector<u8> bytes = Bytes(*City);
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    TCity copy(Scenario.get());
    Data::TMemoryStream in(std::vector<u8>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_THROW(copy.Load(in), std::runtime_error) << n << " of " << bytes.size() << " bytes";
  }
  Reattach();
}

TEST_F(CityStream, ClearEmptiesListsWithoutDeletingUnits) {
  City->Clear();
  EXPECT_EQ(City->Units.Count() + City->Recruits.Count() + City->DefenderSlots.Count(), 0);
  EXPECT_EQ(City->SlotCount, 0);
  EXPECT_EQ(City->Owner, NoOwner);
  EXPECT_EQ(City->Layer, 20);
  EXPECT_EQ(City->Flags.Count(), 0);
  EXPECT_EQ(City->Mage()->SpellPrices[5], 0u);
  for (TUnit* u : Units) EXPECT_TRUE(Exists(u->ID));
}

}  // namespace
}  // namespace WorldTest
