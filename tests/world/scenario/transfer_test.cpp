#include "world/scenario/transfer.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/data/stream.h"
#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

class Transfer : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario();
  }
  void TearDown() override {
    // The scenario's groups may still point at collected units.
    Scenario.reset();
    Moved.Clear();
    TWorldFixture::TearDown();
  }

  static std::vector<u32> IDs(const Data::TDataList<TUnit>& list) {
    std::vector<u32> ids;
    for (const TUnit* u : list.Items) ids.push_back(u->ID);
    return ids;
  }

  // A unit of no scenario, as the transfer holds them.
  static TUnit* LooseUnit(u32 prototype, u32 id) {
    auto* unit = new TUnit;
    unit->SetPrototype(FindUnitPrototype(prototype));
    unit->ID = id;
    return unit;
  }

  TTransfer Moved;
};

// Every living unit of the player is healed to the values of its level,
// gets normal morale, loses its after-effects and leaves the registry, in
// registry order; others stay.
TEST_F(Transfer, CollectsTheSurvivorsOfThePlayerHealed) {
  TGroup* heroes = NewGroup(1, 2, 2, {Knight, Soldier});
  TGroup* enemies = NewGroup(2, 8, 8, {Wolf});
  TUnit* knight = heroes->Units[0];
  knight->Base.Level = 3;
  knight->Base.HitPoints.Current = 7;
  knight->Base.Morale = 12;
  auto* weakness = new TAfterEffect{};
  weakness->Properties.HitPoints.Current = -30;
  weakness->TurnsLeft = 5;
  knight->AddAfterEffect(weakness);
  heroes->Units[1]->Base.Mana.Current = 0;
  heroes->Units[1]->RecalcEffective(true);

  Moved.CollectSurvivors(*Scenario, 1);

  EXPECT_EQ(IDs(Moved.Available), (std::vector<u32>{heroes->Units[0]->ID, heroes->Units[1]->ID}));
  EXPECT_EQ(knight->AfterEffects.Count(), 0);
  EXPECT_EQ(knight->Base.HitPoints.Current, 40 + 2 * 5) << "the value at level 3";
  EXPECT_EQ(knight->Effective.HitPoints.Current, 50);
  EXPECT_EQ(knight->Base.Morale, 50);
  EXPECT_EQ(heroes->Units[1]->Base.Mana.Current, 20);
  EXPECT_EQ(knight->Container, nullptr);
  EXPECT_EQ(Scenario->FindUnit(knight->ID), nullptr);
  EXPECT_EQ(Scenario->FindUnit(enemies->Units[0]->ID), enemies->Units[0]);
}

TEST_F(Transfer, WaitingAndRequiredUnitsJoin) {
  TUnit* waiting = NewUnit(Knight);
  Scenario->OffMapUnits.Add(waiting);
  Scenario->WaitingUnitIDs.Add(9999);
  Scenario->WaitingUnitIDs.Add(waiting->ID);
  Moved.Available.Items.Add(LooseUnit(Soldier, 10));
  Moved.Available.Items.Add(LooseUnit(Wolf, 11));
  Moved.AddWaitingUnits(*Scenario);
  EXPECT_EQ(IDs(Moved.Available), (std::vector<u32>{10, 11, waiting->ID})) << "a missing ID is skipped";
  EXPECT_EQ(waiting->TransferNew, 1);
  EXPECT_EQ(Scenario->OffMapUnits.Count(), 0);
  EXPECT_EQ(Scenario->FindUnit(waiting->ID), nullptr);

  for (u32 id : {waiting->ID, 10u, 777u}) Scenario->RequiredUnitIDs.Add(id);
  Moved.AddRequiredUnits(*Scenario);
  EXPECT_EQ(IDs(Moved.Transferred), (std::vector<u32>{10, waiting->ID}));
  EXPECT_EQ(IDs(Moved.Available), (std::vector<u32>{11}));
  EXPECT_EQ(Moved.Transferred[0]->TransferRequired, 1);

  Moved.ReturnUnit(Moved.Transferred[0]);
  Moved.TransferUnit(Moved.Available[0]);
  EXPECT_EQ(IDs(Moved.Available), (std::vector<u32>{10}));
  EXPECT_EQ(IDs(Moved.Transferred), (std::vector<u32>{waiting->ID, 11}));
}

// The chosen units go onto the start area for the player; heroes keep
// their IDs, others get new ones; those left behind are deleted.
TEST_F(Transfer, PlacesTheTransferredUnitsOnTheStartArea) {
  Scenario->Players[1]->StartArea->AddField(5, 6);
  Moved.Transferred.Items.Add(LooseUnit(Knight, 500));
  Moved.Transferred.Items.Add(LooseUnit(Soldier, 501));
  Moved.Available.Items.Add(LooseUnit(Wolf, 502));
  TUnit* hero = Moved.Transferred[0];
  TUnit* soldier = Moved.Transferred[1];
  Moved.PlaceTransferredUnits(*Scenario, 1);
  EXPECT_EQ(Moved.Available.Count(), 0);
  EXPECT_EQ(Moved.Transferred.Count(), 0);
  EXPECT_EQ(Scenario->FindUnit(500), hero);
  EXPECT_NE(soldier->ID, 501u);
  EXPECT_EQ(Scenario->FindUnit(soldier->ID), soldier);
  for (TUnit* u : {hero, soldier}) {
    ASSERT_NE(u->GetGroup(), nullptr);
    EXPECT_EQ(u->GetOwner(), Scenario->Players[1]);
  }
  EXPECT_EQ(hero->GetGroup()->FieldX(), 5);
  EXPECT_EQ(hero->GetGroup()->FieldY(), 6);
}

TEST_F(Transfer, FlagsTravelWithTheSave) {
  for (u32 id : {20u, 21u, 22u}) Moved.Available.Items.Add(LooseUnit(Wolf, id));
  Moved.Available[1]->TransferRequired = 1;
  Moved.Available[2]->TransferNew = 1;
  Data::TMemoryStream s;
  Moved.Save(s);
  TTransfer loaded;
  s.SetPosition(0);
  loaded.Load(s);
  ASSERT_EQ(loaded.Available.Count(), 3);
  EXPECT_EQ(loaded.Available[1]->TransferRequired, 1);
  EXPECT_EQ(loaded.Available[2]->TransferNew, 1);
  EXPECT_EQ(loaded.Available[0]->TransferRequired + loaded.Available[0]->TransferNew, 0);

  // Empty: two empty list streams and the flags header with count 0.
  Data::TMemoryStream empty;
  TTransfer().Save(empty);
  EXPECT_EQ(empty.Memory().size(), 12u + 12u + 8u);
}

TEST_F(Transfer, DamagedStreams) {
  Moved.Available.Items.Add(LooseUnit(Wolf, 30));
  Data::TMemoryStream good;
  Moved.Save(good);
  const std::string bytes = good.AsString();
  const std::size_t flags = bytes.size() - 2 - 8;  // "list", count, one record
  auto withFlags = [&](const std::string& tail) { return bytes.substr(0, flags) + tail; };
  auto count = [](i32 n) {
    Data::TMemoryStream s;
    Data::WriteI32(s, n);
    return s.AsString();
  };
  struct {
    const char* Name;
    std::string Bytes;
    bool Loads;
  } cases[] = {
      {"truncated", bytes.substr(0, bytes.size() - 1), false},
      {"no flags tag", withFlags("tsil" + count(1) + "\x01\x01"), false},
      {"negative count", withFlags("list" + count(-1)), false},
      {"count past the end", withFlags("list" + count(1000) + "\x01\x01"), false},
      {"more flags than units", withFlags("list" + count(2) + std::string("\x01\x00\x01\x01", 4)), true},
      {"fewer flags than units", withFlags("list" + count(0)), true},
  };
  for (const auto& c : cases) {
    TTransfer loaded;
    Data::TMemoryStream in(c.Bytes);
    if (c.Loads) {
      EXPECT_NO_THROW(loaded.Load(in)) << c.Name;
      EXPECT_EQ(loaded.Available.Count(), 1) << c.Name;
    } else {
      EXPECT_ANY_THROW(loaded.Load(in)) << c.Name;
    }
  }
}

}  // namespace
}  // namespace WorldTest
