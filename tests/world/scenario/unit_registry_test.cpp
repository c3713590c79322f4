#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/gfx/sprite_list.h"
#include "tests/world/world_fixture.h"
#include "tools/databuilder/sprite_builder.h"
#include "world/locations/city.h"
#include "world/map/drawing.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

constexpr u32 DieSprite = 100;  // 4 frames, the last the background

class UnitRegistry : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    for (i32 i = 0; i < Global->UnitPrototypes.Count(); ++i)
      for (u32& id : Global->UnitPrototypes[i].SpriteIDs[MapDie]) id = DieSprite;
    Builder::TSpriteShape shape;
    shape.ID = DieSprite;
    shape.Width = 40;
    shape.Height = 30;
    shape.Frames = 4;
    shape.FrameMode = Gfx::fmLastIsBackground;
    std::vector<std::unique_ptr<Gfx::TSprite>> sprites;
    sprites.push_back(Builder::MakeSprite16(shape, Builder::SolidPixels(7)));
    Global->UnitSpriteList.OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(2, std::move(sprites))));
    MakeScenario(12, 12, 3);
  }

  TGroup* GroupAt(i32 fx, i32 fy) const { return Scenario->GetGroupAt(fx, fy, nullptr); }
  // By address only: the object may be gone.
  bool OnMap(const TMapObject* o) const {
    return std::find(Scenario->MapObjects.begin(), Scenario->MapObjects.end(), o) != Scenario->MapObjects.end();
  }
  void Block(i32 fx, i32 fy) { Scenario->Costs[Scenario->FieldIndex(fx, fy)] = 255; }
  TCity* NewCity(u8 owner, i32 fx, i32 fy) {
    auto* city = new TCity(Scenario.get());
    city->OccupiedArea->AddField(fx, fy);
    city->Owner = owner;
    Scenario->AddMapObject(city);
    return city;
  }
  static void Kill(TUnit* unit) { unit->Effective.HitPoints.Current = 0; }
  std::vector<TNaturalCorpse*> Corpses() const {
    std::vector<TNaturalCorpse*> out;
    for (TMapObject* o : Scenario->MapObjects)
      if (o->Type == otNaturalCorpse) out.push_back(static_cast<TNaturalCorpse*>(o));
    return out;
  }
  // A new unit placed the way scripts place them.
  TUnit* Place(u32 prototype, u8 owner, i32 fx, i32 fy, bool mayJoin = false) {
    auto* unit = new TUnit;
    unit->SetPrototype(FindUnitPrototype(prototype));
    Scenario->PlaceNewUnit(owner, fx, fy, unit, true, true, true, mayJoin);
    return unit;
  }
};

TEST_F(UnitRegistry, ANewUnitTakesTheNearestFreeField) {
  TUnit* first = Place(Wolf, 1, 5, 5);
  ASSERT_NE(GroupAt(5, 5), nullptr) << "a free field itself";
  EXPECT_EQ(first->GetGroup(), GroupAt(5, 5));
  EXPECT_EQ(GroupAt(5, 5)->OwnerIndex, 1);
  EXPECT_TRUE(OpponentOf(Scenario->PlayerAt(1)).Knows(first));
  EXPECT_EQ(Scenario->FindUnit(first->ID), first) << "registered";

  Place(Wolf, 1, 5, 5);
  EXPECT_NE(GroupAt(5, 4), nullptr) << "the nearest cell of the first ring, in row order";
  Block(4, 5);
  Place(Wolf, 1, 5, 5);
  EXPECT_NE(GroupAt(6, 5), nullptr) << "the next straight neighbour; the blocked one is skipped";

  // A blocked point: the place found is as near as the ring allows.
  Block(9, 9);
  Block(9, 8);
  Block(8, 9);
  Block(10, 9);
  Block(9, 10);
  Place(Soldier, 2, 9, 9);
  EXPECT_NE(GroupAt(8, 8), nullptr) << "a diagonal neighbour when the straight ones are blocked";

  // A unit the new group cannot take (its ID is taken): no group is left behind.
  auto* twin = new TUnit;
  twin->ID = first->ID;
  try {
    Scenario->PlaceUnit(twin, 10 * 40 + 20, 1 * 40 + 20, 1, true, false, false);
    ADD_FAILURE() << "a second unit under one ID";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Error placing unit!");
  }
  EXPECT_EQ(GroupAt(10, 1), nullptr);
  delete twin;

  for (i32 y = 0; y < 12; ++y)
    for (i32 x = 0; x < 12; ++x) Block(x, y);
  auto* homeless = new TUnit;
  homeless->SetPrototype(FindUnitPrototype(Wolf));
  try {
    Scenario->PlaceNewUnit(1, 3, 3, homeless, true, false, true, false);
    ADD_FAILURE() << "placed on a blocked map";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "There is no place for new unit in scenario!");
  }
  delete homeless;
}

TEST_F(UnitRegistry, JoiningAGroupOnTheField) {
  struct TCase {
    u8 groupOwner;
    std::vector<u32> members;
    u32 newcomer;
    bool mayJoin;
    bool joins;
  } cases[] = {
      {1, {Wolf}, Wolf, true, true},
      {1, {Wolf, Wolf}, Knight, true, true},
      {1, {Wolf, Wolf, Wolf}, Wolf, true, false},    // full
      {1, {Knight}, Knight, true, false},            // a second hero
      {1, {Knight}, Wolf, true, true},
      {2, {Wolf}, Wolf, true, false},                // another owner
      {1, {Wolf}, Wolf, false, false},
  };
  for (const TCase& c : cases) {
    MakeScenario(12, 12, 3);
    TGroup* g = NewGroup(c.groupOwner, 4, 4, {});
    for (u32 p : c.members) g->AddUnit(NewUnit(p), false, false, false);
    TUnit* u = Place(c.newcomer, 1, 4, 4, c.mayJoin);
    EXPECT_EQ(u->GetGroup() == g, c.joins) << int(c.groupOwner) << " " << c.members.size() << " " << c.newcomer;
    EXPECT_EQ(g->GetUnitCount(), static_cast<i32>(c.members.size()) + (c.joins ? 1 : 0));
  }
}

TEST_F(UnitRegistry, PlacingInACityAndInAnArea) {
  TCity* city = NewCity(2, 3, 3);
  auto* guest = new TUnit;
  guest->SetPrototype(FindUnitPrototype(Soldier));
  Scenario->PlaceUnit(guest, 3 * 40 + 5, 3 * 40 + 35, 1, true, false, true);
  EXPECT_EQ(guest->GetCity(), city);
  EXPECT_EQ(guest->OwnerIndex, NoOwner) << "kept for the city's owner";

  TArea area;
  area.AddField(3, 3);   // the city: no place for a group
  area.AddField(20, 1);  // beside the map
  area.AddField(6, 1);
  area.AddField(7, 1);
  for (int i = 0; i < 2; ++i) {
    auto* u = new TUnit;
    u->SetPrototype(FindUnitPrototype(Wolf));
    Scenario->PlaceUnitInArea(u, 1, area, true, false, true, false);
  }
  EXPECT_NE(GroupAt(6, 1), nullptr);
  EXPECT_NE(GroupAt(7, 1), nullptr) << "the next field of the area";
  auto* third = new TUnit;
  third->SetPrototype(FindUnitPrototype(Wolf));
  Scenario->PlaceUnitInArea(third, 1, area, true, false, true, false);
  EXPECT_NE(GroupAt(3, 2), nullptr) << "a full area: as near as possible to its last field, the city's";

  auto* lost = new TUnit;
  lost->SetPrototype(FindUnitPrototype(Wolf));
  Scenario->PlaceUnitInArea(lost, 1, TArea{}, true, false, true, false);
  EXPECT_EQ(lost->GetGroup(), GroupAt(0, 0)) << "an empty area: near field (0, 0)";
}

TEST_F(UnitRegistry, DetachingLeavesNoEmptyGroupBehind) {
  TGroup* g = NewGroup(1, 2, 2, {Wolf, Soldier});
  Scenario->PlayerAt(1)->Select(g);
  TUnit* a = g->Units[0];
  TUnit* b = g->Units[1];
  Scenario->DetachUnit(a, false, true);
  EXPECT_EQ(a->Container, nullptr);
  EXPECT_EQ(Scenario->FindUnit(a->ID), a) << "still registered";
  EXPECT_FALSE(OpponentOf(Scenario->PlayerAt(1)).Knows(a));
  Scenario->DetachUnit(b, true, false);
  EXPECT_FALSE(OnMap(g)) << "the empty group left the map";
  EXPECT_EQ(Scenario->PlayerAt(1)->Selection, nullptr);

  TCity* city = NewCity(1, 8, 8);
  TUnit* leaving = NewUnit(Wolf);
  city->DepartureGroup->AddUnit(leaving, false, false, false);
  EXPECT_TRUE(Scenario->IsInDepartureGroup(leaving));
  Scenario->DetachUnit(leaving, true, false);
  EXPECT_EQ(city->DepartureGroup->GetUnitCount(), 0) << "the departure group stays with its city";
  TUnit* recruit = NewUnit(Soldier);
  city->AddRecruit(recruit, false, false, false);
  Scenario->DetachUnit(recruit, false, false);
  EXPECT_EQ(city->Recruits.Count(), 0);

  Scenario->OffMapUnits.Add(a);
  EXPECT_EQ(Scenario->FindOffMapUnit(a->ID), a);
  const u32 id = a->ID;
  Scenario->DetachUnit(a, true, false);
  EXPECT_EQ(Scenario->FindOffMapUnit(id), nullptr);
  EXPECT_EQ(Scenario->FindUnit(id), nullptr);
}

TEST_F(UnitRegistry, TheDeadLeaveCorpsesAndTheirLists) {
  TGroup* fallen = NewGroup(1, 2, 2, {Wolf, Soldier});
  fallen->Direction = dEast;
  TGroup* hurt = NewGroup(2, 6, 6, {Knight, Wolf});
  TCity* city = NewCity(2, 9, 9);
  TUnit* defender = NewUnit(Soldier);
  city->AddToSlot(0, defender, false, false, false);
  TUnit* cityUnit = NewUnit(Soldier);
  city->AddUnit(cityUnit, false, false, false);
  TUnit* recruit = NewUnit(Wolf);
  city->AddRecruit(recruit, false, false, false);
  TUnit* offMap = NewUnit(Wolf);
  Scenario->OffMapUnits.Add(offMap);
  TUnit* survivor = hurt->Units[0];
  Scenario->PlayerAt(1)->Select(fallen);
  fallen->Units[0]->KilledByScript = 1;
  for (TUnit* u : {fallen->Units[0], fallen->Units[1], hurt->Units[1], defender, cityUnit, recruit, offMap}) Kill(u);
  const i32 before = Scenario->Units.Count();
  const i16 fallenX = fallen->X, fallenY = fallen->Y;

  Scenario->RemoveDeadUnits();
  EXPECT_EQ(Scenario->Units.Count(), before - 7);
  EXPECT_FALSE(OnMap(fallen));
  EXPECT_EQ(Scenario->PlayerAt(1)->Selection, nullptr);
  EXPECT_EQ(hurt->GetUnitCount(), 1);
  EXPECT_EQ(hurt->Units[0], survivor);
  EXPECT_EQ(city->CountSlotUnits(0), 0);
  EXPECT_EQ(city->Units.Count(), 0);
  EXPECT_EQ(city->Recruits.Count(), 0) << "no list keeps a deleted unit";
  EXPECT_EQ(Scenario->OffMapUnits.Count(), 0);

  std::vector<TNaturalCorpse*> corpses = Corpses();
  ASSERT_EQ(corpses.size(), 3u) << "one per unit that died in a group on the map";
  i32 atFallen = 0;
  for (TNaturalCorpse* c : corpses) {
    EXPECT_EQ(c->Layer, CorpseLayer);
    EXPECT_EQ(c->SpriteID, DieSprite);
    EXPECT_EQ(c->Frame, 2) << "the last frame before the background";
    if (c->X == fallenX && c->Y == fallenY) ++atFallen;
  }
  EXPECT_EQ(atFallen, 2);
}

TEST_F(UnitRegistry, CorpsesLieForAFewRoundsUnlessAScriptKilled) {
  for (int i = 0; i < 40; ++i) {
    TGroup* g = NewGroup(1, 1 + i % 10, 1 + i / 10, {Wolf});
    g->Units[0]->KilledByScript = i == 0;
    Kill(g->Units[0]);
  }
  Scenario->RemoveDeadUnits();
  std::vector<TNaturalCorpse*> corpses = Corpses();
  ASSERT_EQ(corpses.size(), 40u);
  i32 forever = 0;
  for (TNaturalCorpse* c : corpses) {
    if (c->Lifetime == -1) {
      ++forever;
      continue;
    }
    EXPECT_GE(c->Lifetime, Global->CorpseLifetime - 2);
    EXPECT_LE(c->Lifetime, Global->CorpseLifetime + 1);
  }
  EXPECT_EQ(forever, 1);

  Global->CorpseLifetime = 0;
  MakeScenario(12, 12, 3);
  for (int i = 0; i < 20; ++i) Kill(NewGroup(1, i % 10, i / 10, {Wolf})->Units[0]);
  Scenario->RemoveDeadUnits();
  for (TNaturalCorpse* c : Corpses()) {
    EXPECT_GE(c->Lifetime, 0) << "never below 0";
    EXPECT_LE(c->Lifetime, 1);
  }
}

TEST_F(UnitRegistry, CheckAfterLoadingPutsEveryUnitInOnePlace) {
  TGroup* front = NewGroup(1, 2, 2, {Wolf});
  TGroup* back = NewGroup(1, 4, 6, {});  // later in draw order
  TUnit* twice = front->Units[0];
  back->AppendUnit(twice);
  TGroup* other = NewGroup(1, 8, 1, {Soldier});
  TUnit* offAndHeld = other->Units[0];
  Scenario->OffMapUnits.Add(offAndHeld);
  TUnit* away = NewUnit(Wolf);
  Scenario->OffMapUnits.Add(away);
  // A second unit under a taken ID: sorted in beside the first.
  auto* copy = new TUnit;
  copy->SetPrototype(FindUnitPrototype(Wolf));
  copy->ID = away->ID;
  Scenario->Units.Items.Insert(copy, Scenario->Units.Items.IndexOf(away) + 1);
  Scenario->OffMapUnits.Add(copy);

  EXPECT_TRUE(Scenario->CheckUnitLists());
  EXPECT_EQ(twice->Container, back) << "the holder found first from the end";
  EXPECT_FALSE(OnMap(front)) << "left empty, it left the map";
  EXPECT_EQ(offAndHeld->Container, other);
  EXPECT_EQ(Scenario->OffMapUnits.IndexOf(offAndHeld), -1);
  TUnit* kept = Scenario->FindUnit(away->ID);
  EXPECT_EQ(Scenario->OffMapUnits.Count(), 1);
  EXPECT_EQ(Scenario->OffMapUnits[0], kept) << "the unit the ID names; the other is gone";
  EXPECT_EQ(kept->Container, nullptr);
  EXPECT_FALSE(Scenario->CheckUnitLists()) << "nothing left to mend";
}

TEST_F(UnitRegistry, ExtractingKeepsTheUnitAlive) {
  TUnit* u = NewUnit(Wolf);
  Scenario->OffMapUnits.Add(u);
  Scenario->ExtractOffMapUnit(u);
  EXPECT_EQ(Scenario->FindUnit(u->ID), nullptr);
  EXPECT_EQ(Scenario->OffMapUnits.Count(), 0);
  Scenario->AddUnit(u, false);
  Scenario->ExtractUnit(u);
  EXPECT_EQ(Scenario->FindUnit(u->ID), nullptr);
  delete u;

  TUnit* learned = NewUnit(Knight);
  learned->LearnSpell(3);
  learned->LearnSpell(1);
  Scenario->ForgetUnlearnedSpells();
  EXPECT_TRUE(learned->KnowsSpell(1));
  EXPECT_FALSE(learned->KnowsSpell(3)) << "above the unit's level";
}

}  // namespace
}  // namespace WorldTest
