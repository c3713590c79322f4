// Going to a field: where the acting group is sent, with how many action
// points kept, and how units leave their cities first.
#include <gtest/gtest.h>

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

class AIGoToField : public TAIFixture {
 protected:
  void SeeAll(i32 player) {
    TPlayer* p = Scenario->PlayerAt(player);
    p->Fog = std::make_unique<TFog>(p);
    for (i32 y = 0; y < Scenario->Height; ++y)
      for (i32 x = 0; x < Scenario->Width; ++x) p->Fog->SetState(x, y, fsVisible);
  }
  TAITask* GoToTask(TAIHandler& h, const TGroup* g, i32 x, i32 y, i32 r, i32 priority) {
    auto* t = new TAITask(&h, true);
    t->SetGoToField(x, y, r);
    t->Priority = priority;
    for (const TUnit* u : g->Units)
      if (u) t->AssignUnit(h.FindAIUnit(u));
    h.Tasks.Items.Add(t);
    return t;
  }
  // Plays the main thread: selections select, moves put the selected group
  // on the field asked for, city orders go to the city, as the game would.
  std::vector<TActionRecord> Run(i32 player, TAITask* task) {
    TPlayer* p = Scenario->PlayerAt(player);
    Scenario->CurrentPlayerIndex = static_cast<i16>(player);
    Scenario->UpdateOccupancy();
    return Serve(player, [&] { Handler(player).ExecuteGoToField(task); }, [&](const TActionRecord& r) {
      const u32* w = r.Words;
      switch (r.Type()) {
        case atSelect:
          p->Select(Scenario->FindMapObject(w[1]));
          if (TGroup* g = p->GetSelectedGroup()) Scenario->ComputeMoveCosts(g->FieldX(), g->FieldY(), g);
          break;
        case atMove:
          if (TGroup* g = p->GetSelectedGroup()) {
            g->X = static_cast<i16>(static_cast<i32>(w[1]) * FieldSize + FieldSize / 2);
            g->Y = static_cast<i16>(static_cast<i32>(w[2]) * FieldSize + FieldSize / 2);
            Scenario->UpdateOccupancy();
          }
          break;
        case atEnterCity: p->Select(Scenario->FindCity(w[1])); break;
        case atMoveCityUnit:
          if (TCity* c = p->GetSelectedCity()) c->MoveUnit(static_cast<i32>(w[1]), w[2], static_cast<i32>(w[3]), -1);
          break;
        default: break;
      }
      return u32{arDone};
    });
  }
  static std::vector<TActionRecord> Moves(const std::vector<TActionRecord>& posted) {
    std::vector<TActionRecord> moves;
    for (const TActionRecord& r : posted)
      if (r.Type() == atMove) moves.push_back(r);
    return moves;
  }
};

// Record words of a move: 1 x, 2 y, 5 reserve.
TEST_F(AIGoToField, TheGroupAimsAtItsFieldAndKeepsPointsOnlyForTheFirstPlayerUnderThreat) {
  const struct {
    const char* name;
    i32 player;
    bool threat;
    i32 reserve;
  } cases[] = {
      {"a computer player keeps no points", 2, true, 0},
      {"the first player keeps none where no hostile reaches", 0, false, 0},
      {"the first player keeps ten where a hostile reaches", 0, true, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MakeScenario(16, 16, 3);
    Scenario->PlayerAt(0)->Relations[1] = rHostile;
    Scenario->PlayerAt(2)->Relations[1] = rHostile;
    SeeAll(c.player);
    TGroup* g = NewGroup(static_cast<u8>(c.player), 3, 4, {WorldTest::Wolf});
    TGroup* hostile = c.threat ? NewGroup(1, 7, 6, {WorldTest::Wolf}) : nullptr;
    TAIHandler& h = Handler(c.player);
    // Radius 0: no draw moves the destination off the field.
    TAITask* task = GoToTask(h, g, 6, 5, 0, 50);
    const auto moves = Moves(Run(c.player, task));
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].Words[1], 6u);
    EXPECT_EQ(moves[0].Words[2], 5u);
    EXPECT_EQ(static_cast<i32>(moves[0].Words[5]), c.reserve);
    EXPECT_EQ(g->FieldX(), 6);
    // Standing on its field in sight, the group is not sent again (the
    // hostile two fields away made too strong to be fought on the way).
    if (hostile)
      for (TUnit* u : hostile->Units)
        if (u) u->Effective.CounterAttack.Current = 100;
    EXPECT_TRUE(Moves(Run(c.player, task)).empty());
  }
}

TEST_F(AIGoToField, AGroupThatCannotGetThereMovesNothingAndTheHandlerEnds) {
  SeeAll(2);
  TGroup* g = NewGroup(2, 3, 4, {WorldTest::Wolf});
  // A wall of blocked fields around the target.
  for (i32 y = 8; y <= 12; ++y)
    for (i32 x = 8; x <= 12; ++x)
      if (x == 8 || x == 12 || y == 8 || y == 12) Scenario->Costs[static_cast<std::size_t>(Scenario->FieldIndex(x, y))] = 255;
  TAIHandler& h = Handler(2);
  TAITask* task = GoToTask(h, g, 10, 10, 0, 50);
  EXPECT_TRUE(Moves(Run(2, task)).empty());
  EXPECT_EQ(g->FieldX(), 3);
}

TEST_F(AIGoToField, UnitsInACityLeaveItThroughTheDepartureGroupFirst) {
  SeeAll(2);
  auto* city = new TCity(Scenario.get());
  city->OccupiedArea->AddField(2, 2);
  city->EntranceArea->AddField(2, 3);
  city->X = city->Y = 2 * FieldSize;
  city->AnchorFieldX = 2;
  city->AnchorFieldY = 3;
  city->Owner = 2;
  city->SetSlotCount(1);
  Scenario->AddMapObject(city);
  TUnit* u = NewUnit(WorldTest::Wolf);
  u->OwnerIndex = 2;
  city->AddUnit(u, false, true, false);
  TAIHandler& h = Handler(2);
  ASSERT_NE(h.FindAIUnit(u), nullptr);
  auto* task = new TAITask(&h, true);
  task->SetGoToField(10, 10, 1);
  task->Priority = 50;
  task->AssignUnit(h.FindAIUnit(u));
  h.Tasks.Items.Add(task);
  const auto posted = Run(2, task);
  std::vector<u32> types;
  for (const TActionRecord& r : posted) types.push_back(r.Type());
  ASSERT_GE(types.size(), 4u);
  EXPECT_EQ(types[0], u32{atSelect}) << "deselects first";
  EXPECT_EQ(types[1], u32{atEnterCity});
  EXPECT_EQ(types[2], u32{atMoveCityUnit});
  EXPECT_EQ(posted[2].Words[1], u32{clUnits});
  EXPECT_EQ(posted[2].Words[2], u->ID);
  EXPECT_EQ(posted[2].Words[3], u32{clDeparture});
  EXPECT_EQ(types[3], u32{atLeaveCity});
}

}  // namespace
