// The computer opponent's stream inside every player's stream: sizes byte
// for byte, the stored-class check for each class, and damaged input.
#include <gtest/gtest.h>

#include "ai/ai_handler.h"
#include "engine/base/errors.h"
#include "tests/ai/ai_fixture.h"
#include "tests/engine/data/stored_class_check.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

using namespace AIHandler;
using namespace GameData;
using AITest::Bytes;

class AIStream : public AITest::TAIFixture {
 protected:
  // Player 2's handler with AI units for a group of two, a task holding the
  // first, an army holding the second, and two queued messages.
  TAIHandler& Filled() {
    TGroup* g = NewGroup(2, 4, 4, {WorldTest::Wolf, WorldTest::Skeleton});
    TAIHandler& h = Handler(2);
    h.ID = 31;
    h.PassFlag = 1;
    auto* task = new TAITask(&h, true);
    task->Name = "Wacht";
    task->Reserved = 9;
    task->Header.TaskType = ttGuardArea;
    task->Header.Target.Kind = tkField;
    task->Header.Target.SetField(3, 5);
    task->Header.Target.Radius = 2;
    task->Header.Target.ReferenceID = 12;
    task->Header.Target.ReferenceKind = rkGroup;
    task->Priority = 60;
    task->ObtainedStrength = 3;
    task->RequiredStrength = 4;
    task->Active = 0;
    h.Tasks.Items.Add(task);
    task->AssignUnit(AI(2, g->Units[0]));
    auto* army = new TAIArmy;
    army->Init(&h, true);
    army->Name = "Rudel";
    h.Armies.AddSorted(army);
    army->AddUnit(AI(2, g->Units[1]));
    AI(2, g->Units[1])->Score = -7;
    h.PostDeleteTask(5);
    h.PostAddUnitArmy(7, 8);
    return h;
  }
};

std::string Words(std::initializer_list<u32> words) {
  Data::TMemoryStream s;
  for (u32 w : words) Data::WriteU32(s, w);
  return s.AsString();
}

TEST_F(AIStream, AFreshHandlerSavesItsIDNextIDPassFlagThreeZeroCountsAndAnEmptyQueue) {
  TAIHandler h(Scenario->PlayerAt(1));
  h.ID = 5;
  EXPECT_EQ(Bytes(h), Words({5, 10000, 0, 0, 0, 0, 0, 0}));
}

TEST_F(AIStream, EachObjectHasItsSize) {
  TAIHandler& h = Filled();
  TAITask empty(&h, false);
  empty.Name = "abc";
  TAIArmy army;
  army.Init(&h, false);
  army.Name = "xy";
  army.Units.Add(h.Units[0]);
  const TAIUnit* inArmy = h.Units[1];
  const struct {
    const char* name;
    const Data::TDataObject& object;
    std::size_t size;
  } cases[] = {
      {"target", empty.Header.Target, 33},
      {"header", empty.Header, 4 + 4 + 33},
      {"fitness", h.Units[0]->Fitness, 8},
      {"AI unit", *h.Units[0], 4 + 1 + 4 + 1 + 8 + 1},
      {"AI unit in an army", *inArmy, 4 + 1 + 4 + 1 + 8 + 1 + 4},
      {"task with no units", empty, 4 + (4 + 3) + (4 + 4 + 33) + 4 * 4 + 1 + 4},
      {"task with one unit", *h.Tasks[0], 4 + (4 + 5) + (4 + 4 + 33) + 4 * 4 + 1 + 4 + 4},
      {"army", army, 4 + (4 + 2) + 4 + 4},
  };
  for (const auto& c : cases) EXPECT_EQ(Bytes(c.object).size(), c.size) << c.name;
  const std::string target = Bytes(h.Tasks[0]->Header.Target);
  EXPECT_EQ(target.substr(4, 32), Words({0, tkField, 3, 5, 2, 12, rkGroup}).substr(0, 28) + target.substr(32, 4))
      << "object, kind, field, radius, reference ID and kind, then valid";
  EXPECT_EQ(Bytes(*inArmy).substr(19), Words({h.Armies[0]->ID})) << "the army's ID after the in-army byte";
}

TEST_F(AIStream, EveryClassJoinsTheStoredClassCheck) {
  TAIHandler& h = Filled();
  TAIHandler* hp = &h;
  const TestSupport::TStoredClass classes[] = {
      {.Name = "target",
       .Make = [hp] { return std::make_unique<TAITarget>(hp); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& t = static_cast<TAITarget&>(o);
             t.ID = 3;
             t.ObjectID = 4;
             t.ReferenceID = 5;
             t.ReferenceKind = rkUnit;
             t.Valid = 1;
             t.Kind = tkUnit;
             t.SetField(6, 7);
             t.Radius = 8;
           },
       .Copies = true,
       .AfterClear = [](Data::TDataObject&) {}},
      {.Name = "task header",
       .Make = [hp] { return std::make_unique<TAITaskHeader>(hp); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& t = static_cast<TAITaskHeader&>(o);
             t.ID = 2;
             t.TaskType = ttFollowUnit;
             t.Target.ID = 1;
             t.Target.Kind = tkUnit;
             t.Target.ObjectID = 9;
           },
       .Copies = true,
       .AfterClear = [](Data::TDataObject& o) { static_cast<TAITaskHeader&>(o).Target.ID = 0; }},
      {.Name = "fitness",
       .Make = [hp] { return std::make_unique<TAIFitness>(hp); },
       .Fill = [](Data::TDataObject& o) { o.ID = 4, static_cast<TAIFitness&>(o).UnitID = 77; },
       .Copies = true},
      {.Name = "AI unit",
       .Make = [hp] { return std::make_unique<TAIUnit>(hp); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& u = static_cast<TAIUnit&>(o);
             u.ID = 10;
             u.Assigned = 1;
             u.Score = -3;
             u.Alive = 1;
             u.Fitness.ID = 2;
             u.Fitness.UnitID = 33;
             u.InArmy = 1;
             u.StoredArmyID = 12;
           },
       .Copies = true,
       .AfterClear = [](Data::TDataObject& o) { static_cast<TAIUnit&>(o).Fitness.ID = 0; }},
      {.Name = "task",
       .Make = [hp] { return std::make_unique<TAITask>(hp, false); },
       .Fill = [hp](Data::TDataObject& o) { o.CopyFrom(hp->Tasks[0]); },
       .Copies = true,
       .AfterClear =
           [](Data::TDataObject& o) {
             auto& t = static_cast<TAITask&>(o);
             t.Reserved = 0;
             t.Header.ID = t.Header.Target.ID = 0;
           }},
      {.Name = "army",
       .Make =
           [hp] {
             auto a = std::make_unique<TAIArmy>();
             a->Init(hp, false);
             return a;
           },
       .Fill =
           [hp](Data::TDataObject& o) {
             auto& a = static_cast<TAIArmy&>(o);
             a.ID = 40;
             a.Name = "Heer";
             a.Units.Add(hp->Units[0]);
           },
       .Copies = true},
      {.Name = "script queue",
       .Make = [] { return std::make_unique<TAIScriptStack>(); },
       .Fill =
           [](Data::TDataObject& o) {
             o.ID = 6;
             static_cast<TAIScriptStack&>(o).Push("DELETE_TASK 3");
           },
       .AfterClear = [](Data::TDataObject&) {}},
      {.Name = "computer opponent",
       .Make = [this] { return std::make_unique<TAIHandler>(Scenario->PlayerAt(2)); },
       .Fill = [hp](Data::TDataObject&) { (void)hp; },
       .ClearSavesAsNew = false},
  };
  for (const auto& c : classes) {
    if (c.Name == "computer opponent") {
      // Filled is the scenario's own handler: check it by its bytes.
      const std::string bytes = Bytes(h);
      TAIHandler loaded(Scenario->PlayerAt(2));
      Data::TMemoryStream in(bytes);
      loaded.Load(in);
      EXPECT_EQ(in.Remaining(), 0);
      EXPECT_EQ(Bytes(loaded), bytes);
      EXPECT_EQ(loaded.Units[1]->Army, loaded.Armies[0]) << "the army is linked";
      EXPECT_EQ(loaded.Tasks[0]->Units[0], loaded.Units[0]) << "the task's unit is the loaded AI unit";
      EXPECT_EQ(loaded.ScriptStack.GetCount(), 2);
      loaded.Clear();
      EXPECT_EQ(Bytes(loaded).substr(8), Words({0, 0, 0, 0, 0, 0})) << "cleared; the next ID stays";
      continue;
    }
    TestSupport::ExpectStoredClassRoundTrip(c);
  }
}

TEST_F(AIStream, DamagedStreamsAreRefusedWithTheirMessages) {
  TAIHandler& h = Filled();
  const std::string good = Bytes(h);
  const u32 firstUnit = h.Units[0]->ID, army = h.Armies[0]->ID;
  TAIUnit stray;
  stray.ID = 999;
  auto edited = [&](auto edit) {
    TAIHandler copy(Scenario->PlayerAt(2));
    Data::TMemoryStream in(good);
    copy.Load(in);
    edit(copy);
    return Bytes(copy);
  };
  auto replaced = [&](std::size_t at, u32 value) {
    std::string b = good;
    const std::string w = Words({value});
    b.replace(at, 4, w);
    return b;
  };
  const std::string noQueue = edited([](TAIHandler& c) { c.ScriptStack.Clear(); });
  const std::size_t unitCountAt = 12, taskCountAt = 12 + 4 + 19 + 23;
  const struct {
    const char* name;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"unit count past the end", replaced(unitCountAt, 1000), "Invalid data."},
      {"task count past the end", replaced(taskCountAt, 0x10000000), "Invalid data."},
      {"task naming no AI unit", edited([&](TAIHandler& c) { c.Tasks[0]->Units[0] = &stray; }),
       "AIUnit with given ID not found."},
      {"army naming no AI unit", edited([&](TAIHandler& c) { c.Armies[0]->Units[0] = &stray; }),
       "AIUnit with given ID not found."},
      {"unit naming no army", edited([&](TAIHandler& c) {
         c.Armies[0]->ID = army + 50;
         c.Units[1]->Army = nullptr;
         c.Units[1]->StoredArmyID = army;
       }),
       "AIArmy with given ID not found."},
      {"queue above 500", noQueue.substr(0, noQueue.size() - 8) + Words({0, 501}), "Invalid data."},
      {"army holding a unit that names no army", edited([](TAIHandler& c) { c.Units[1]->InArmy = 0; }), "Invalid data."},
      {"units out of order", edited([&](TAIHandler& c) { std::swap(c.Units.Items[0], c.Units.Items[1]); }),
       "Invalid data."},
      {"next ID not above the IDs", edited([&](TAIHandler& c) { c.NextIDValue = firstUnit; }), "Invalid data."},
  };
  for (const auto& c : cases) {
    TAIHandler fresh(Scenario->PlayerAt(2));
    Data::TMemoryStream in(c.bytes);
    try {
      fresh.Load(in);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.name;
    }
  }
  for (std::size_t n = 0; n < good.size(); ++n) {
    TAIHandler fresh(Scenario->PlayerAt(2));
    Data::TMemoryStream in(good.substr(0, n));
    EXPECT_THROW(fresh.Load(in), std::runtime_error) << "cut to " << n;
  }
}

}  // namespace
