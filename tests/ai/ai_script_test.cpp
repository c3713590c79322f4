// Script messages: queued by scripts on the main thread, applied by the
// computer's turn in the order they came.
#include <gtest/gtest.h>

#include <thread>

#include "ai/ai_handler.h"
#include "tests/ai/ai_fixture.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace AIHandler;
using namespace GameData;

class AIScript : public AITest::TAIFixture {
 protected:
  void SetUp() override {
    TAIFixture::SetUp();
    Group = NewGroup(2, 3, 3, {WorldTest::Wolf, WorldTest::Wolf, WorldTest::Skeleton});
    Target = NewGroup(1, 8, 8, {WorldTest::Knight});
    TAIHandler& h = Handler(2);
    for (int i = 0; i < 2; ++i) {
      auto* t = new TAITask(&h, true);
      t->Header.TaskType = ttAttackUnit;
      t->Header.Target.Kind = tkUnit;
      t->Header.Target.SetObject(Target->Units[0]);
      t->Active = 0;
      h.Tasks.Items.Add(t);
    }
    Army = new TAIArmy;
    Army->Init(&h, true);
    h.Armies.AddSorted(Army);
  }
  u32 Unit(i32 slot) const { return Group->Units[slot]->ID; }
  TAITask* Task(i32 i) { return Handler(2).Tasks[i]; }

  TGroup* Group = nullptr;
  TGroup* Target = nullptr;
  TAIArmy* Army = nullptr;
};

TEST_F(AIScript, MessagesAreTextsAppliedInTheOrderTheyCame) {
  TAIHandler& h = Handler(2);
  EXPECT_FALSE(h.ProcessScriptMessages()) << "an empty queue";
  h.PostAssignUnitTask(Unit(0), Task(0)->ID);
  h.PostUnassignUnitTask(Unit(0));
  h.PostAssignUnitTask(Unit(0), Task(1)->ID);
  h.PostActivateTask(Task(1)->ID);
  h.PostDeleteTask(Task(0)->ID);
  h.PostAddUnitArmy(Unit(1), Army->ID);
  h.PostAddUnitArmy(Unit(2), Army->ID);
  h.PostAssignArmyTask(Army->ID, Task(1)->ID);
  h.PostRemoveUnitArmy(Unit(2));
  Data::TMemoryStream saved;
  h.ScriptStack.Save(saved);
  const std::string text = saved.AsString();
  EXPECT_NE(text.find("ASSIGN_UNIT_TASK " + std::to_string(Unit(0)) + " " + std::to_string(Task(0)->ID)), std::string::npos);
  EXPECT_NE(text.find("REMOVE_UNIT_ARMY " + std::to_string(Unit(2))), std::string::npos);

  TAITask* second = Task(1);
  EXPECT_TRUE(h.ProcessScriptMessages());
  EXPECT_EQ(h.ScriptStack.GetCount(), 0);
  ASSERT_EQ(h.Tasks.Count(), 1) << "the first task was deleted";
  EXPECT_EQ(h.Tasks[0], second);
  EXPECT_EQ(second->Active, 1);
  EXPECT_TRUE(second->HasUnit(AI(2, Group->Units[0])));
  EXPECT_TRUE(second->HasArmy(Army));
  EXPECT_EQ(Army->Units.Count(), 1) << "the skeleton left the army";
  EXPECT_TRUE(second->HasUnit(AI(2, Group->Units[2]))) << "and kept its task";

  h.PostUnassignArmyTask(Army->ID);
  h.PostDeactivateTask(second->ID);
  h.ProcessScriptMessages();
  EXPECT_FALSE(second->HasArmy(Army));
  EXPECT_EQ(second->Active, 0);
}

TEST_F(AIScript, MessagesThatCannotApplyChangeNothing) {
  TAIHandler& h = Handler(2);
  TAIUnit* a = AI(2, Group->Units[0]);
  Task(0)->AssignUnit(a);
  const std::string before = AITest::Bytes(h);
  h.PostAssignUnitTask(Unit(0), Task(1)->ID);   // assigned elsewhere
  h.PostAssignUnitTask(99999, Task(1)->ID);     // no such unit
  h.PostDeleteTask(12);                         // no such task
  h.PostAddUnitArmy(Unit(1), 4242);             // no such army
  h.PostUnassignArmyTask(4242);
  h.PostRemoveUnitArmy(Unit(1));                // in no army
  h.ScriptStack.Push("ACTIVATE_TASK x");        // damaged saves only
  h.ScriptStack.Push("ASSIGN_UNIT_TASK 5");
  h.ScriptStack.Push("DELETE_TASK 99999999999");
  h.ScriptStack.Push("DELETE_TASK " + std::to_string(Task(1)->ID) + "abc");
  h.ScriptStack.Push("SPAWN 3");
  h.ScriptStack.Push("");
  EXPECT_TRUE(h.ProcessScriptMessages());
  EXPECT_EQ(AITest::Bytes(h), before);

  // A task whose target died (gone from the scenario, its tasks not told) stays inactive.
  Target->RemoveUnit(Target->Units[0], true, false);
  h.PostActivateTask(Task(1)->ID);
  h.ProcessScriptMessages();
  EXPECT_EQ(Task(1)->Active, 0);
}

TEST_F(AIScript, TheQueueHoldsFiveHundredAndRefusesMoreUntouched) {
  TAIHandler& h = Handler(2);
  for (int i = 0; i < TAIScriptStack::Capacity; ++i) ASSERT_TRUE(h.PostDeactivateTask(static_cast<u32>(i)));
  EXPECT_FALSE(h.PostDeleteTask(1));
  EXPECT_EQ(h.ScriptStack.GetCount(), 500);
  // Saved and loaded, the messages keep their order.
  Data::TMemoryStream s;
  h.ScriptStack.Save(s);
  TAIScriptStack copy;
  s.SetPosition(0);
  copy.Load(s);
  EXPECT_EQ(copy.Pop(), "DEACTIVATE_TASK 0");
  EXPECT_EQ(copy.Pop(), "DEACTIVATE_TASK 1");
  EXPECT_EQ(copy.GetCount(), 498);
  std::string text = "  ASSIGN_UNIT_TASK 12 7";
  EXPECT_EQ(TAIScriptStack::NextToken(text), "");
  EXPECT_EQ(TAIScriptStack::NextToken(text), "");
  EXPECT_EQ(TAIScriptStack::NextToken(text), "ASSIGN_UNIT_TASK");
  EXPECT_EQ(TAIScriptStack::NextToken(text), "12");
  EXPECT_EQ(TAIScriptStack::NextToken(text), "7");
  EXPECT_EQ(text, "");
}

// Scripts push on the main thread while the computer's thread pops: run
// under ThreadSanitizer, the queue raises no report and loses nothing.
TEST_F(AIScript, PushAndPopFromTwoThreadsLoseNothing) {
  TAIScriptStack queue;
  constexpr int Messages = 20000;
  std::thread pusher([&] {
    for (int i = 0; i < Messages;)
      if (queue.Push("DELETE_TASK " + std::to_string(i))) ++i;
  });
  int next = 0;
  while (next < Messages) {
    if (queue.GetCount() == 0) continue;
    ASSERT_EQ(queue.Pop(), "DELETE_TASK " + std::to_string(next));
    ++next;
  }
  pusher.join();
  EXPECT_EQ(queue.GetCount(), 0);
}

}  // namespace
