#include <algorithm>
#include <vector>

#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/locations/location.h"
#include "world/map/drawing.h"
#include "world/scenario/conversation.h"
#include "world/scenario/spell_course.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

class ScenarioModel : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario();
  }
  TDrawing* Drawing(i32 x, i32 y, u16 layer) {
    auto* d = new TDrawing(Scenario.get());
    d->Init(nullptr, 0, x, y, layer);
    Scenario->AddMapObject(d);
    return d;
  }
  std::vector<TMapObject*> Order() const {
    return std::vector<TMapObject*>(Scenario->MapObjects.begin(), Scenario->MapObjects.end());
  }
  TBuilding* Building(i32 fx, i32 fy) {
    auto* b = new TBuilding(Scenario.get());
    b->OccupiedArea->AddField(fx, fy);
    Scenario->AddMapObject(b);
    return b;
  }
};

TEST_F(ScenarioModel, DrawOrderByLayerThenYThenXDescending) {
  TDrawing* low = Drawing(100, 100, 12);
  TDrawing* top = Drawing(50, 10, 10);
  TDrawing* right = Drawing(90, 60, 10);
  TDrawing* left = Drawing(30, 60, 10);
  EXPECT_EQ(Order(), (std::vector<TMapObject*>{top, right, left, low}));
  for (i32 i = 0; i < Scenario->MapObjects.Count(); ++i) EXPECT_EQ(Scenario->MapObjects[i]->ListPosition, i);
  EXPECT_GE(low->ID, 1000u) << "objects get scenario IDs";

  // Moving re-sorts by neighbouring swaps only.
  Scenario->MoveMapObject(top->ListPosition, 50, 80);
  EXPECT_EQ(Order(), (std::vector<TMapObject*>{right, left, top, low}));
  Scenario->MoveMapObject(top->ListPosition, 50, 0);
  EXPECT_EQ(Order(), (std::vector<TMapObject*>{top, right, left, low}));
}

TEST_F(ScenarioModel, EqualObjectsGoWhereTheSearchPutsThem) {
  TDrawing* first = Drawing(40, 40, 10);
  TDrawing* second = Drawing(40, 40, 10);
  EXPECT_EQ(Order(), (std::vector<TMapObject*>{second, first}));
  Scenario->MoveMapObject(first->ListPosition, 40, 40);
  EXPECT_EQ(Order(), (std::vector<TMapObject*>{second, first})) << "equal neighbours are not swapped";
}

TEST_F(ScenarioModel, HitTestPrefersGroupsThenLocations) {
  TBuilding* building = Building(3, 3);
  auto* city = new TCity(Scenario.get());
  city->OccupiedArea->AddField(5, 5);
  Scenario->AddMapObject(city);
  TGroup* group = NewGroup(1, 3, 3, {Wolf});
  EXPECT_EQ(Scenario->GetObjectIndexAtField(3, 3), group->ListPosition);
  Scenario->RemoveMapObject(group, true);
  EXPECT_EQ(Scenario->GetObjectIndexAtField(3, 3), building->ListPosition);
  EXPECT_EQ(Scenario->GetObjectIndexAtField(5, 5), city->ListPosition);
  EXPECT_EQ(Scenario->GetObjectIndexAtField(4, 4), -1);
  EXPECT_EQ(Scenario->GetObjectIndexAt(-5000, 99999), -1) << "far off the map";
  EXPECT_EQ(Scenario->FindBuilding(building->ID), building);
  EXPECT_EQ(Scenario->FindCity(building->ID), nullptr);
  EXPECT_EQ(Scenario->FindMapObject(city->ID), city);
}

TEST_F(ScenarioModel, RemovingAGroupDeletesItsUnits) {
  TGroup* group = NewGroup(1, 2, 2, {Wolf, Soldier});
  u32 unitID = group->Units[0]->ID;
  Scenario->PlayerAt(1)->Select(group);
  Scenario->RemoveMapObject(group, true);
  EXPECT_EQ(Scenario->FindUnit(unitID), nullptr);
  EXPECT_EQ(Scenario->Units.Count(), 0);
  EXPECT_EQ(Scenario->PlayerAt(1)->Selection, nullptr) << "no selection of a deleted object";
  EXPECT_EQ(Scenario->LastDrawFlags, 0u);
}

TEST_F(ScenarioModel, CampsBlockTheFieldsAroundThem) {
  TGroup* group = NewGroup(1, 5, 5, {Wolf});
  EXPECT_FALSE(Scenario->IsFieldFree(5, 5));
  EXPECT_TRUE(Scenario->IsFieldFree(6, 6));
  group->CampState = csCamped;
  for (i32 dy = -1; dy <= 1; ++dy)
    for (i32 dx = -1; dx <= 1; ++dx) EXPECT_FALSE(Scenario->IsFieldFree(5 + dx, 5 + dy)) << dx << "," << dy;
  EXPECT_TRUE(Scenario->IsFieldFree(7, 5));
  EXPECT_EQ(Scenario->GetGroupCovering(6, 4, nullptr), group);
  EXPECT_EQ(Scenario->GetGroupCovering(6, 4, group), nullptr);
  EXPECT_EQ(Scenario->GetGroupAt(6, 4, nullptr), nullptr) << "standing, not covering";

  Building(9, 9);
  EXPECT_FALSE(Scenario->IsFieldFree(9, 9));
  Scenario->Costs[Scenario->FieldIndex(1, 1)] = 255;
  EXPECT_FALSE(Scenario->IsFieldFree(1, 1));
}

TEST_F(ScenarioModel, FieldQueriesOutsideTheMap) {
  struct {
    i32 X, Y;
  } outside[] = {{-1, 0}, {0, -1}, {16, 0}, {0, 16}, {-1000, 5000}};
  for (auto f : outside) {
    EXPECT_FALSE(Scenario->IsFieldOnMap(f.X, f.Y));
    EXPECT_EQ(Scenario->CostAt(f.X, f.Y), 255);
    EXPECT_EQ(Scenario->HeightAt(f.X, f.Y), 0);
    EXPECT_EQ(Scenario->OccupantAt(f.X, f.Y), nullptr);
    EXPECT_FALSE(Scenario->IsFieldFree(f.X, f.Y));
  }
  EXPECT_TRUE(Scenario->IsFieldOnMap(15, 15));
  EXPECT_EQ(Scenario->CostAt(15, 15), 2);
}

TEST_F(ScenarioModel, OccupancyFollowsTheCurrentPlayersKnowledge) {
  TGroup* own = NewGroup(1, 2, 2, {Wolf});
  TGroup* foreign = NewGroup(2, 6, 6, {Wolf});
  Scenario->CurrentPlayerIndex = 1;
  Scenario->UpdateOccupancy();
  EXPECT_EQ(Scenario->OccupantAt(2, 2), own);
  EXPECT_EQ(Scenario->OccupantAt(6, 6), nullptr) << "not sighted this turn";
  foreign->Sighted = 1;
  foreign->CampState = csCamped;
  Scenario->UpdateOccupancy();
  EXPECT_EQ(Scenario->OccupantAt(7, 7), foreign);
}

// A moving group updates only the fields it leaves and enters: after random
// walks of crowded groups, camps among them, the occupancy is what a whole
// rebuild makes, the group last in draw order winning a shared field.
TEST_F(ScenarioModel, MovingGroupsKeepTheOccupancyOfAWholeRebuild) {
  u32 state = 99;
  auto next = [&](u32 n) {
    state = state * 1103515245u + 12345u;
    return static_cast<i32>((state >> 16) % n);
  };
  std::vector<TGroup*> groups;
  for (i32 i = 0; i < 24; ++i) {
    TGroup* g = NewGroup(static_cast<u8>(1 + i % 2), 4 + next(8), 4 + next(8), {Wolf});
    g->Sighted = static_cast<u8>(next(2));
    if (i % 5 == 0) g->CampState = csCamped;
    groups.push_back(g);
  }
  Scenario->CurrentPlayerIndex = 1;
  Scenario->UpdateOccupancy();
  i32 compared = 0, shared = 0;
  for (i32 step = 0; step < 3000; ++step) {
    TGroup* g = groups[static_cast<std::size_t>(next(24))];
    const i32 x = std::clamp(g->X + next(41) - 20, 0, 16 * 40 - 1), y = std::clamp(g->Y + next(41) - 20, 0, 16 * 40 - 1);
    Scenario->MoveMapObject(Scenario->IndexOfMapObject(g), x, y);
    if (step % 7 != 0) continue;
    const std::vector<TGroup*> moved = Scenario->Occupancy;
    Scenario->UpdateOccupancy();
    ASSERT_EQ(moved, Scenario->Occupancy) << "step " << step;
    ++compared;
    for (TGroup* a : groups)
      for (TGroup* b : groups) shared += a < b && a->FieldX() == b->FieldX() && a->FieldY() == b->FieldY();
  }
  EXPECT_GT(shared, 0) << "the walks put groups on one field";
  // Another current player's view is built whole on the next move.
  Scenario->CurrentPlayerIndex = 2;
  Scenario->MoveMapObject(Scenario->IndexOfMapObject(groups[0]), groups[0]->X + 1, groups[0]->Y);
  const std::vector<TGroup*> moved = Scenario->Occupancy;
  Scenario->UpdateOccupancy();
  EXPECT_EQ(moved, Scenario->Occupancy);
  EXPECT_GT(compared, 400);
}

TEST_F(ScenarioModel, NewRoundAgesNaturalCorpses) {
  auto corpse = [&](i32 lifetime) {
    auto* c = new TNaturalCorpse(Scenario.get());
    c->Init(0, 0, 100, 100, 9, lifetime);
    Scenario->AddMapObject(c);
    return c->ID;
  };
  u32 shortLived = corpse(1), forever = corpse(-1), twoRounds = corpse(2);
  Scenario->NewRound();
  EXPECT_EQ(Scenario->Round, 1);
  EXPECT_EQ(Scenario->FindMapObject(shortLived), nullptr);
  EXPECT_NE(Scenario->FindMapObject(forever), nullptr);
  EXPECT_NE(Scenario->FindMapObject(twoRounds), nullptr);
  for (int i = 0; i < 5; ++i) Scenario->NewRound();
  EXPECT_EQ(Scenario->FindMapObject(twoRounds), nullptr);
  EXPECT_NE(Scenario->FindMapObject(forever), nullptr);
  EXPECT_EQ(Scenario->GetObjectIndexAt(100, 100), -1) << "corpses carry no picture here";
}

TEST_F(ScenarioModel, QueuedObjectsJoinAtTheEndOfTheFrame) {
  auto* d = new TDrawing(Scenario.get());
  Scenario->QueueMapObject(d);
  EXPECT_EQ(Scenario->MapObjects.Count(), 0);
  Scenario->AddQueuedObjects();
  EXPECT_EQ(Scenario->MapObjects.Count(), 1);
  EXPECT_EQ(Scenario->QueuedObjects.Count(), 0);
}

TEST_F(ScenarioModel, AliasesAndIDs) {
  Scenario->AddAlias("Sieg", 1);
  EXPECT_EQ(Scenario->FindAlias("sieg"), 1);
  EXPECT_EQ(Scenario->FindAlias("GLOBAL7"), -1);
  u32 id = Scenario->NewID();
  EXPECT_EQ(Scenario->NewID(), id + 1);
}

TEST_F(ScenarioModel, ConversationTriggers) {
  auto conversation = [&](u32 ownerType, u32 ownerID, i32 round, u8 active) {
    auto* c = new TConversation;
    c->ID = Scenario->NewID();
    c->OwnerType = ownerType;
    c->OwnerID = ownerID;
    c->ActivationRound = round;
    c->Active = active;
    c->TargetPlayers = 1 << 1;
    Scenario->Conversations->Items.Add(c);
    return c;
  };
  TConversation* byRound = conversation(coRound, 0, 2, 1);
  TConversation* byArea = conversation(coArea, 77, 0, 1);
  TConversation* everyTurn = conversation(coTurnStart, 0, 0, 1);
  TConversation* inactive = conversation(coArea, 77, 0, 0);

  EXPECT_FALSE(Scenario->TriggerConversations(1, coRound, 0)) << "round 0 is not round 2";
  Scenario->Round = 2;
  EXPECT_TRUE(Scenario->TriggerConversations(1, coRound, 0));
  EXPECT_TRUE(Scenario->TriggerConversations(1, coArea, 77));
  EXPECT_TRUE(Scenario->TriggerConversations(1, coArea, 77)) << "queued again: the queue ignores repeats";
  EXPECT_TRUE(Scenario->TriggerConversations(1, coTurnStart, 123));
  EXPECT_FALSE(Scenario->TriggerConversations(2, coArea, 77)) << "not addressed to player 2";
  EXPECT_EQ(Scenario->PopConversation(), byRound);
  EXPECT_EQ(Scenario->PopConversation(), byArea);
  EXPECT_EQ(Scenario->PopConversation(), everyTurn);
  EXPECT_EQ(Scenario->PopConversation(), nullptr);

  EXPECT_EQ(Scenario->FindConversation(1, coArea, 77, 1), byArea);
  EXPECT_EQ(Scenario->FindConversation(1, coArea, 77, 2), inactive);
  byArea->Running = 1;
  Scenario->QueueConversation(byArea);
  EXPECT_EQ(Scenario->PopConversation(), nullptr) << "a running conversation is not queued";
}

}  // namespace
}  // namespace WorldTest
