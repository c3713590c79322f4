// Condition scripts: tags, IF blocks with ELSE, the commands against a small
// world, and the errors with their frame.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "script/check_script.h"
#include "script/script_connection.h"
#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/script_interpreter.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;
using WorldTest::Knight;
using WorldTest::Skeleton;
using WorldTest::Wolf;

class CheckScripts : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    Script::ConnectToWorld();
    MakeScenario(16, 16, 3);
    Quest.ID = 42;
    Quest.HeroID = 4711;
    Quest.SetScenario(Scenario.get());
    Mine = NewGroup(1, 2, 2, {Knight, Wolf});
    Theirs = NewGroup(2, 9, 9, {Wolf, Skeleton});
    Area = new TArea;
    Area->ID = Scenario->NewID();
    Area->AddField(9, 9);
    Area->AddField(2, 3);
    Scenario->Areas.AddSorted(Area);
    City = new TCity(Scenario.get());
    City->OccupiedArea->AddField(12, 2);
    City->EntranceArea->AddField(12, 3);
    City->Owner = 1;
    City->SetSlotCount(3);
    Scenario->AddMapObject(City);
    Guard = NewUnit(Skeleton);
    City->AddToSlot(0, Guard, false, false, false);
  }
  void TearDown() override {
    GameData::ConnectScripts(nullptr);
    TWorldFixture::TearDown();
  }

  i32 Run(const std::string& script) {
    Quest.Check.Script = script;
    return Quest.Check.Execute();
  }
  i32 Local0(const std::string& script) {
    Run(script);
    return Quest.Check.Locals[0];
  }
  std::string ErrorOf(const std::string& script) {
    try {
      Run(script);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no error)";
  }
  static std::string Id(const Data::TDataObject* o) { return std::to_string(o->ID); }
  std::string Unit(const TGroup* g, i32 i) const { return Id(g->Units[i]); }

  TQuestObjective Quest;
  TGroup* Mine = nullptr;
  TGroup* Theirs = nullptr;
  TArea* Area = nullptr;
  TCity* City = nullptr;
  TUnit* Guard = nullptr;
};

TEST_F(CheckScripts, BlocksAndResults) {
  Scenario->Round = 3;
  const struct {
    const char* Script;
    i32 Result;
  } cases[] = {
      {"", 0},
      {"no tags at all", 0},
      {"<IFEQUAL(1,1)><SETRESULT(1)><ELSE><SETRESULT(-1)><ENDIF>", 1},
      {"<IFEQUAL(1,2)><SETRESULT(1)><ELSE><SETRESULT(-1)><ENDIF>", -1},
      {"<IFEQUAL(1,2)><SETRESULT(1)><ENDIF><SETRESULT(LOCAL0+9)>", 9},
      // The inner ELSE belongs to the inner block.
      {"<IFTRUE(1)><IFFALSE(1)><SETRESULT(5)><ELSE><SETRESULT(6)><ENDIF><SET(LOCAL1,LOCAL0+1)><ELSE><SETRESULT(-1)>"
       "<ENDIF><SETRESULT(LOCAL0+LOCAL1+5)>",
       6},
      {"<IfGreater(2,1)><ifunequal(1,1)><else><setresult(8)><endif><endif>", 8},
      {"a<getturn>b<CRLF>c<SETRESULT(LOCAL0)>", 3},
      {"<SETRESULT(1)><SETRESULT(2)>", 2},
      {"<SET(LOCAL2,5)junk><SETRESULT(LOCAL2)>", 5},
      // Without ">" the last character is taken for the closing bracket.
      {"<SETRESULT(7)x", 7},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(c.Script), c.Result) << c.Script;
}

TEST_F(CheckScripts, ErrorsEndTheRunInTheFrame) {
  const struct {
    const char* Script;
    const char* Message;
    const char* Command;
  } cases[] = {
      // The block's end is sought before its condition runs.
      {"<SETRESULT(1)><IFTRUE(NOBODY)><SETRESULT(2)>", "Could not find <EndIf>!", "SETRESULT(1)"},
      {"<ELSE>", "Unknown command: ELSE.", "ELSE"},
      {"<foo(1)>", "Unknown command: FOO.", "FOO(1)"},
      {"<(1)>", "Unknown command: (1).", "(1)"},
      {"<SET(LOCAL0, )>", "Parameter expected!", "SET(LOCAL0, )"},
      {"<IFTRUE(1,2)><ENDIF>", "Parameter(s) 2 NOT expected!", "IFTRUE(1,2)"},
      {"<SETRESULT(7)", "Parameter expected!", "SETRESULT(7"},
      {"<GETPROTOTYPECOUNT(1,5)>", "LivesPrototype: bad player index: 5.", "GETPROTOTYPECOUNT(1,5)"},
      {"<GETUNITSINAREA(1,-2)>", "GetUnitsInArea: bad player index: -2.", "GETUNITSINAREA(1,-2)"},
      {"<GETUNITSINAREA(0)>", "Area not found: 0.", "GETUNITSINAREA(0)"},
      {"<UNITINAREA(99,1)>", "Area not found: 99.", "UNITINAREA(99,1)"},
      {"<GETCONTROLLER(5)>", "City object not found! ID = 5.", "GETCONTROLLER(5)"},
      {"<UNITSINCITY(5,1)>", "City object not found! ID = 5.", "UNITSINCITY(5,1)"},
      {"<GETHEROID(1)>", "Parameter(s) 1 NOT expected!", "GETHEROID(1)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorOf(c.Script), "[TCheck]\n" + std::string(c.Message) + "\nCommand:" + c.Command + " CheckID=42")
        << c.Script;
  EXPECT_EQ(ErrorOf("<SET(LOCAL1,3)><SETRESULT(1)><SET(LOCAL2,NOBODY)>"), "Unknown variable:NOBODY!");
  EXPECT_EQ(Quest.Check.Locals[1], 3) << "what ran before the error stays";
}

TEST_F(CheckScripts, GetRandomDrawsFromTheMainStreamOnlyForAPositiveRange) {
  const TRandomState before = RandomMain;
  EXPECT_EQ(Local0("<SET(LOCAL0,9)><GETRANDOM(0)>"), 0);
  EXPECT_EQ(RandomMain.Low, before.Low);
  EXPECT_EQ(RandomMain.High, before.High);
  TRandomState copy = RandomMain;
  const i32 expected = NextRandom(copy) % 6;
  EXPECT_EQ(Local0("<GETRANDOM(6)>"), expected);
  EXPECT_EQ(RandomMain.Low, copy.Low);
}

TEST_F(CheckScripts, CommandsInspectTheWorld) {
  TUnit* deadWolf = Theirs->Units[0];
  deadWolf->Effective.HitPoints.Current = 0;
  const std::string alive = Unit(Mine, 0), dead = Id(deadWolf), city = Id(City), area = Id(Area);
  const struct {
    std::string Script;
    i32 Local0;
  } cases[] = {
      {"<LIVESUNIT(" + alive + ")>", 1},
      {"<LIVESUNIT(" + dead + ")>", 0},
      {"<LIVESUNIT(999)>", 0},
      {"<LIVEUNITSAND(" + alive + ",0,999)>", 1},
      {"<LIVEUNITSAND(" + alive + "," + dead + ")>", 1},
      {"<LIVEUNITSAND(" + alive + ",999)>", 0},
      {"<LIVEUNITSAND(0)>", 0},
      {"<LIVEUNITSOR(999," + dead + ")>", 1},
      {"<LIVEUNITSOR(999,998)>", 0},
      {"<GETPROTOTYPECOUNT(2)>", 2},
      {"<GETPROTOTYPECOUNT(2,2)>", 1},
      {"<GETPROTOTYPECOUNT(3)>", 1},
      {"<GETPROTOTYPECOUNT(3,-1,junk)>", 1},
      {"<GETUNITSINAREA(" + area + ")>", 1},
      {"<GETUNITSINAREA(" + area + ",1)>", 0},
      {"<UNITINAREA(" + area + "," + Unit(Theirs, 1) + ")>", 1},
      {"<UNITINAREA(" + area + "," + alive + ")>", 0},
      {"<UNITINAREA(" + area + "," + Id(Guard) + ")>", 0},
      {"<GETUNITS(1)>", 3},
      {"<GETUNITS(2)>", 2},
      {"<GETCONTROLLER(" + city + ")>", 1},
      {"<GETHEROID>", 4711},
      {"<UNITSINCITY(" + city + "," + Id(Guard) + ")>", 1},
      {"<UNITSINCITY(" + city + "," + alive + ")>", 0},
      {"<UNITSINCITY(" + city + ")>", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(Local0(c.Script), c.Local0) << c.Script;
  City->Owner = NoOwner;
  EXPECT_EQ(Local0("<GETCONTROLLER(" + city + ")>"), 255);
}

TEST_F(CheckScripts, LinesAreCutAndJoinedAtTheMarker) {
  const struct {
    const char* Script;
    std::vector<std::string> Lines;
  } cuts[] = {
      {"", {}}, {"a<CRLF>b<CRLF>", {"a", "b"}}, {"a<CRLF><CRLF>b", {"a", "", "b"}}, {"<CRLF>a", {"", "a"}}};
  for (const auto& c : cuts) {
    Quest.Check.Script = c.Script;
    EXPECT_EQ(*Quest.Check.GetLines(), c.Lines) << c.Script;
  }
  Quest.Check.SetLines({"", "", "a", "", "b"});
  EXPECT_EQ(Quest.Check.Script, "a<CRLF><CRLF>b") << "empty lines at the start vanish";
}

}  // namespace
}  // namespace ScriptTest
