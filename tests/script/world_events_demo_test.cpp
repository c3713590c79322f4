// The bridge of the second demo mission, run from the built data as the
// conversation runner runs it: a bridge opens the river, an animation plays
// and the view goes there, the battle master's shop closes, and the computer
// sends its guard to the far bank in its next turn.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "script/script_connection.h"
#include "tests/world/demo_world.h"
#include "tools/demodata/scenario/demo_events_world.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/locations/city.h"
#include "world/map/doodle.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/script_interpreter.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;

class DemoBridge : public ::testing::Test {
 protected:
  void SetUp() override {
    Script::ConnectToWorld();
    AIHandler::ConnectToWorld();
    Scenario = WorldTest::TDemoWorld::Load(World.ScenarioFile("demo2.scn"));
    for (TConversation* c : Scenario->Conversations->Items)
      if (c->Name == Builder::BridgeEventName) Bridge = c;
    ASSERT_NE(Bridge, nullptr);
  }
  void TearDown() override { ConnectScripts(nullptr); }

  TGroup* GroupAt(i32 fx, i32 fy) {
    for (TMapObject* o : Scenario->MapObjects)
      if (o->Type == otGroup && o->FieldX() == fx && o->FieldY() == fy) return static_cast<TGroup*>(o);
    return nullptr;
  }
  TCity* Furtheim() {
    for (TMapObject* o : Scenario->MapObjects)
      if (o->Type == otCity && static_cast<TCity*>(o)->Name == "Furtheim") return static_cast<TCity*>(o);
    return nullptr;
  }
  AIHandler::TAIHandler& Computer() { return static_cast<AIHandler::TAIHandler&>(*Scenario->Players[2]->AIHandler); }

  WorldTest::TDemoWorld World;
  std::unique_ptr<TScenario> Scenario;
  TConversation* Bridge = nullptr;
};

TEST_F(DemoBridge, TheBridgeOpensTheRiverTheShopClosesAndTheGuardGoes) {
  constexpr i32 x = Builder::BridgeFieldX, y = Builder::BridgeFieldY;
  ASSERT_EQ(Scenario->CurrentPlayerIndex, 1);
  ASSERT_EQ(Scenario->ViewingPlayer, Scenario->Players[1]);
  EXPECT_EQ(Scenario->CostAt(x, y), 255) << "the river";
  TGroup* sorceress = GroupAt(7, 21);
  ASSERT_NE(sorceress, nullptr);
  const i32 roundByTheFord = Scenario->GetCostTo(x - 1, y, 10000, Scenario->Players[1], x + 1, y);
  EXPECT_LT(roundByTheFord, 10000) << "the ford is the way round";
  TCity* furtheim = Furtheim();
  ASSERT_NE(furtheim, nullptr);
  ASSERT_EQ(furtheim->BattleMaster()->Present, 1);
  AIHandler::TAITask* guardTask = Computer().Tasks[Computer().Tasks.Count() - 1];
  ASSERT_EQ(guardTask->Active, 0) << "the guard task waits";
  TGroup* camp = GroupAt(24, 9);
  ASSERT_NE(camp, nullptr);
  const AIHandler::TAIUnit* guard = Computer().FindAIUnit(camp->Units[0]);
  ASSERT_NE(guard, nullptr);

  // The sorceress reaches the west bank: the event queues the conversation,
  // and the runner asks it for its pages.
  ASSERT_TRUE(Scenario->TriggerConversations(1, coAreaEntered, Bridge->OwnerID));
  ASSERT_EQ(Scenario->PopConversation(), Bridge);
  Bridge->SetGroup(sorceress);
  Bridge->Running = 1;
  EXPECT_EQ(Bridge->GetText(0), "<0>Der Waffenmeister schl\xE4gt eine Br\xFC" "cke \xFC" "ber den Fluss.");
  const i32 doodleID = Bridge->Locals[1];
  auto* bridge = static_cast<TDoodle*>(Scenario->FindMapObject(static_cast<u32>(doodleID)));
  ASSERT_NE(bridge, nullptr);
  ASSERT_EQ(bridge->Type, otDoodle);
  EXPECT_EQ(bridge->Prototype->ID, Builder::BridgeDoodle);
  EXPECT_NE(bridge->GetSprite(), nullptr);
  EXPECT_EQ(Scenario->CostAt(x, y), 4) << "the bridge opens the river";
  const i32 overTheBridge = Scenario->GetCostTo(x - 1, y, 10000, Scenario->Players[1], x + 1, y);
  EXPECT_LT(overTheBridge, roundByTheFord / 2) << overTheBridge << " against " << roundByTheFord;
  EXPECT_EQ(Scenario->NoAnimationRunning, 0) << "the runner waits for the animation";
  EXPECT_EQ(Scenario->ScrollTargetY, y * FieldSize + FieldSize / 2 - Scenario->ViewHeight / 2);
  EXPECT_EQ(Scenario->ScrollSteps, 20);

  EXPECT_EQ(Bridge->GetText(1).substr(0, 35), "<0>Seine Schmiede bleibt geschlosse");
  Bridge->Running = 0;
  EXPECT_EQ(Bridge->Delete, 1) << "it runs once";
  EXPECT_EQ(furtheim->BattleMaster()->Present, 0);
  EXPECT_EQ(Computer().ScriptStack.GetCount(), 2);

  // The update steps play the animation out and scroll the view.
  const i32 objects = Scenario->MapObjects.Count();
  for (i32 tick = 0; tick < 30; ++tick) Scenario->Tick();
  EXPECT_EQ(Scenario->NoAnimationRunning, 1);
  EXPECT_EQ(Scenario->MapObjects.Count(), objects - 1) << "the finished animation is gone";
  EXPECT_EQ(Scenario->ScrollSteps, 0);
  EXPECT_EQ(Scenario->ViewY, y * FieldSize + FieldSize / 2 - Scenario->ViewHeight / 2);

  // The computer's next turn applies the messages.
  EXPECT_TRUE(Computer().ProcessScriptMessages());
  EXPECT_EQ(guardTask->Active, 1);
  EXPECT_TRUE(guardTask->HasUnit(guard));
}

}  // namespace
}  // namespace ScriptTest
