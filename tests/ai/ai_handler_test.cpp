// The computer opponent keeps one record per unit the world announces, and
// its turn announces itself and ends.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ai/ai_handler.h"
#include "tests/engine/data/stored_class_check.h"
#include "tests/world/world_fixture.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

using namespace GameData;

class AIHandlerTest : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    AIHandler::ConnectToWorld();
    MakeScenario(16, 16, 3);
  }
  AIHandler::TAIHandler& Handler(i32 player) {
    return static_cast<AIHandler::TAIHandler&>(*Scenario->PlayerAt(player)->AIHandler);
  }
};

TEST_F(AIHandlerTest, RecordsFollowTheUnitsOfTheOwnersGroups) {
  TGroup* group = NewGroup(1, 3, 3, {WorldTest::Knight, WorldTest::Wolf});
  AIHandler::TAIHandler& h = Handler(1);
  ASSERT_EQ(h.Units.Items.Count(), 2);
  EXPECT_EQ(h.Units.Items[0]->ID, 10000u);
  EXPECT_EQ(h.Units.Items[1]->ID, 10001u);
  TUnit* wolf = group->Units[1];
  ASSERT_NE(h.FindAIUnit(wolf), nullptr);
  EXPECT_EQ(h.FindAIUnit(wolf)->Alive, 1) << "a registered unit";
  EXPECT_EQ(Handler(2).Units.Items.Count(), 0);

  group->RemoveUnit(wolf, false, true);
  EXPECT_EQ(h.FindAIUnit(wolf), nullptr);
  EXPECT_FALSE(h.RemoveUnit(wolf, true)) << "no record left";
}

TEST_F(AIHandlerTest, TurnAnnouncesItselfWaitsForTheResultAndEnds) {
  TPlayer* ai = Scenario->PlayerAt(2);
  ai->Kind = pkComputer;
  Scenario->CurrentPlayerIndex = 2;
  ai->BeginTurn();
  auto takePosted = [&](TActionRecord& out) {
    for (int i = 0; i < 500; ++i) {
      ai->TakeAction(out);
      if (out.Type() != atNone) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  };
  TActionRecord r;
  ASSERT_TRUE(takePosted(r));
  EXPECT_EQ(r.Type(), atResult);
  EXPECT_EQ(r.Words[1], 1u);
  ai->SetResult(arDone);
  ASSERT_TRUE(takePosted(r));
  EXPECT_EQ(r.Type(), atEndTurn);
  // As the dispatcher does: the result first, then the thread is joined.
  ai->SetResult(arDone);
  ai->EndTurn();
  EXPECT_FALSE(ai->ThreadRunning());
}

// The opponent's part of the player stream joins the stored classes' check.
TEST_F(AIHandlerTest, StoredLikeEveryStoredClass) {
  TPlayer* player = Scenario->PlayerAt(1);
  TestSupport::ExpectStoredClassRoundTrip(
      {.Name = "computer opponent",
       .Make = [player] { return std::make_unique<AIHandler::TAIHandler>(player); },
       .Fill = [](Data::TDataObject& o) { o.ID = 77; }});
}

}  // namespace
