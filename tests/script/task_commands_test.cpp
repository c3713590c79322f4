// Conversation commands on the computer opponents' tasks and armies: what
// each queues on which opponent, and the errors for IDs that name nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai/ai_handler.h"
#include "script/conversation_commands.h"
#include "tests/script/script_test_support.h"
#include "tests/world/world_fixture.h"
#include "world/scenario/conversation.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;
using AIHandler::TAIHandler;
using AIHandler::TAITask;
using Script::TConversationCommands;

class TaskCommands : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    AIHandler::ConnectToWorld();
    MakeScenario(16, 16, 3);
    Wolves = NewGroup(2, 3, 3, {WorldTest::Wolf, WorldTest::Wolf, WorldTest::Skeleton});
    Knight = NewGroup(1, 8, 8, {WorldTest::Knight});
    Stray = NewUnit(WorldTest::Wolf);
    TAIHandler& h = Handler(2);
    for (int i = 0; i < 2; ++i) {
      auto* t = new TAITask(&h, true);
      t->Header.TaskType = AIHandler::ttGuardArea;
      h.Tasks.Items.Add(t);
    }
    auto* army = new AIHandler::TAIArmy;
    army->Init(&h, true);
    h.Armies.AddSorted(army);
    Talk.ID = 77;
    Talk.SetScenario(Scenario.get());
    Talk.Locals[0] = 55;
  }

  TAIHandler& Handler(i32 player) { return static_cast<TAIHandler&>(*Scenario->Players[player]->AIHandler); }
  std::string Task(i32 i) { return std::to_string(Handler(2).Tasks[i]->ID); }
  std::string Army() { return std::to_string(Handler(2).Armies[0]->ID); }
  std::string Wolf(i32 slot) { return std::to_string(Wolves->Units[slot]->ID); }
  std::string KnightID() { return std::to_string(Knight->Units[0]->ID); }
  std::string StrayID() { return std::to_string(Stray->ID); }
  // The player's queued messages, oldest first; the queue is emptied.
  std::vector<std::string> Queue(i32 player) {
    std::vector<std::string> out;
    while (Handler(player).ScriptStack.GetCount() > 0) out.push_back(Handler(player).ScriptStack.Pop());
    return out;
  }
  void Run(const std::string& text) { TConversationCommands(Talk).ProcessText(text); }
  std::string ErrorOfRun(const std::string& text) {
    return ErrorOf([&] { Run(text); });
  }

  TConversation Talk;
  TGroup* Wolves = nullptr;
  TGroup* Knight = nullptr;
  TUnit* Stray = nullptr;
};

TEST_F(TaskCommands, EachCommandQueuesItsMessagesOnTheOpponentThatHoldsTheTaskArmyOrUnit) {
  const struct {
    std::string tag;
    std::vector<std::string> queued;
  } cases[] = {
      {"<ACTIVATETASK(" + Task(1) + ")>", {"ACTIVATE_TASK " + Task(1)}},
      {"<DEACTIVATETASK(" + Task(0) + ")>", {"DEACTIVATE_TASK " + Task(0)}},
      {"<DELETETASK(" + Task(1) + ")>", {"DELETE_TASK " + Task(1)}},
      {"<ASSIGNUNITS(" + Task(0) + "," + Wolf(0) + "," + Wolf(2) + ",0," + Wolf(1) + ")>",
       {"ASSIGN_UNIT_TASK " + Wolf(0) + " " + Task(0), "ASSIGN_UNIT_TASK " + Wolf(2) + " " + Task(0)}},
      {"<ASSIGNUNITS(" + Task(0) + ",99999," + Wolf(1) + ")>", {"ASSIGN_UNIT_TASK " + Wolf(1) + " " + Task(0)}},
      {"<UNASSIGNUNITS(" + Wolf(0) + "," + Wolf(1) + ")>",
       {"UNASSIGN_UNIT_TASK " + Wolf(0), "UNASSIGN_UNIT_TASK " + Wolf(1)}},
      {"<ASSIGNARMY(" + Task(0) + ",4242)>", {"ASSIGN_ARMY_TASK 4242 " + Task(0)}},
      {"<UNASSIGNARMY(" + Army() + ")>", {"UNASSIGN_ARMY_TASK " + Army()}},
      {"<ASSIGNUNITSARMY(" + Army() + "," + KnightID() + "," + Wolf(1) + ")>",
       {"ADD_UNIT_ARMY " + Wolf(1) + " " + Army()}},
      {"<UNASSIGNUNITSARMY(" + Wolf(2) + ")>", {"REMOVE_UNIT_ARMY " + Wolf(2)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(ErrorOfRun(c.tag), "(no error)");
    EXPECT_EQ(Queue(2), c.queued);
    EXPECT_TRUE(Queue(1).empty());
    EXPECT_EQ(Talk.Locals[0], 55) << "LOCAL0 is left alone";
  }
  Run("<UNASSIGNUNITS(" + KnightID() + ")>");
  EXPECT_EQ(Queue(1), std::vector<std::string>{"UNASSIGN_UNIT_TASK " + KnightID()}) << "the knight's own opponent";
}

TEST_F(TaskCommands, IDsThatNameNothingRaiseTheirMessages) {
  // The third wolf's AI unit is gone from its opponent.
  Handler(2).RemoveUnit(Wolves->Units[2], false);
  const struct {
    std::string command;
    std::string message;
  } cases[] = {
      {"ACTIVATETASK(999)", "Task with given ID not found: 999"},
      {"DEACTIVATETASK(-4)", "Task with given ID not found: -4"},
      {"DELETETASK(999)", "[DeleteTask] Task with given ID not found: 999"},
      {"ASSIGNARMY(999," + Army() + ")", "[AssignArmy] Task with given ID not found: 999"},
      {"UNASSIGNARMY(999)", "[UnAssignArmy] Army with given ID not found: 999"},
      {"ASSIGNUNITS(" + Task(0) + ",0," + Wolf(0) + ")", "Command should have at least 1 parameters!"},
      {"ASSIGNUNITS(999," + Wolf(0) + ")", "Task with given ID not found: 999"},
      {"ASSIGNUNITS(" + Task(0) + "," + StrayID() + ")", "[AssignUnits] Unit with id: " + StrayID() + " is offline!"},
      {"ASSIGNUNITS(" + Task(0) + "," + KnightID() + ")",
       "[AssignUnits] Unit with id: " + KnightID() + " doesn't have good player!"},
      {"ASSIGNUNITS(" + Task(0) + "," + Wolf(2) + ")",
       "[AssignUnits] Unit with id: " + Wolf(2) + " doesn't have an AIUnit!"},
      {"ASSIGNUNITSARMY(" + Army() + ")", "[AssignUnitsArmy] Command should have at least 2 parameters!"},
      {"ASSIGNUNITSARMY(999," + Wolf(0) + ")", "[AssignUnitsArmy] Army with given ID not found: 999"},
      {"ASSIGNUNITSARMY(" + Army() + "," + StrayID() + ")",
       "[AssignUnitsArmy] Unit with id: " + StrayID() + " is offline!"},
      {"ASSIGNUNITSARMY(" + Army() + "," + Wolf(2) + ")",
       "[AssignUnitsArmy] Unit with id: " + Wolf(2) + " doesn't have an AIUnit!"},
      {"UNASSIGNUNITS", "[UnAssignUnits] Command should have at least 1 parameter!"},
      {"UNASSIGNUNITS(" + StrayID() + ")", "[UnAssignUnits] Unit with id: " + StrayID() + " doesn't have an AI unit!"},
      {"UNASSIGNUNITSARMY(0)", "[UnAssignUnitsArmy] Command should have at least 1 parameter!"},
      {"UNASSIGNUNITSARMY(" + Wolf(2) + ")",
       "[UnAssignUnitsArmy] Unit with id: " + Wolf(2) + " doesn't have an AI Unit!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(ErrorOfRun("<" + c.command + ">"), Framed(c.message, c.command, 77));
    EXPECT_TRUE(Queue(2).empty());
  }
}

TEST_F(TaskCommands, MessagesPostedBeforeAnErrorStay) {
  EXPECT_EQ(ErrorOfRun("<ASSIGNUNITS(" + Task(0) + "," + Wolf(0) + "," + StrayID() + ")>"),
            Framed("[AssignUnits] Unit with id: " + StrayID() + " is offline!",
                   "ASSIGNUNITS(" + Task(0) + "," + Wolf(0) + "," + StrayID() + ")", 77));
  EXPECT_EQ(Queue(2), std::vector<std::string>{"ASSIGN_UNIT_TASK " + Wolf(0) + " " + Task(0)});

  // A unit two opponents claim: the first is told, the second raises.
  Handler(1).AddUnit(Wolves->Units[0]);
  EXPECT_EQ(ErrorOfRun("<UNASSIGNUNITSARMY(" + Wolf(0) + ")>"),
            Framed("AIUnit in two AIHandlers!", "UNASSIGNUNITSARMY(" + Wolf(0) + ")", 77));
  EXPECT_EQ(Queue(1), std::vector<std::string>{"REMOVE_UNIT_ARMY " + Wolf(0)});
  EXPECT_TRUE(Queue(2).empty());
}

TEST_F(TaskCommands, TheOpponentAppliesTheQueuedMessagesInItsTurn) {
  TAITask* guard = Handler(2).Tasks[0];
  guard->Header.Target.Kind = AIHandler::tkAlways;
  Run("<ASSIGNUNITS(" + Task(0) + "," + Wolf(0) + ")><ACTIVATETASK(" + Task(0) + ")>");
  EXPECT_FALSE(guard->HasUnit(Handler(2).FindAIUnit(Wolves->Units[0]))) << "nothing changes before the turn";
  EXPECT_TRUE(Handler(2).ProcessScriptMessages());
  EXPECT_TRUE(guard->HasUnit(Handler(2).FindAIUnit(Wolves->Units[0])));
  EXPECT_EQ(guard->Active, 1);
}

}  // namespace
}  // namespace ScriptTest
