// Conversation mark-up: the command table and its dispatch, the blocks of a
// page, the loop budget, and the commands on variables, quests, gold,
// relations, fog and cities.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>

#include "script/conversation_commands.h"
#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/map/fog.h"
#include "world/scenario/conversation.h"
#include "world/scenario/quest_objective.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;
using Script::TConversationCommands;
using WorldTest::Knight;
using WorldTest::Skeleton;
using WorldTest::Wolf;

std::string ErrorOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

std::string Framed(const std::string& message, const std::string& command) {
  return "[TConversation]\n" + message + "\nCommand:" + command + " ConversationID=77";
}

class Markup : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(16, 16, 3);
    Scenario->CurrentPlayerIndex = 0;
    Talk.ID = 77;
    Talk.SetScenario(Scenario.get());
    Mine = NewGroup(1, 2, 2, {Knight, Wolf});
    Mine->Units[0]->Name = "Aldo";
    Talk.SetGroup(Mine);
  }

  std::string Page(const std::string& text) { return TConversationCommands(Talk).ProcessText(text); }
  std::string ErrorOfPage(const std::string& text) {
    return ErrorOf([&] { Page(text); });
  }
  TQuestObjective* AddEntry(i32 type) {
    auto* q = new TQuestObjective;
    q->ID = Scenario->NewID();
    q->Type = type;
    q->SetScenario(Scenario.get());
    Scenario->QuestObjectives->AddSorted(q);
    return q;
  }
  TCity* AddCity(u8 owner) {
    auto* city = new TCity(Scenario.get());
    city->OccupiedArea->AddField(12, 2);
    city->EntranceArea->AddField(12, 3);
    city->Owner = owner;
    city->SetSlotCount(3);
    Scenario->AddMapObject(city);
    return city;
  }

  TConversation Talk;
  TGroup* Mine = nullptr;
};

TEST_F(Markup, TheTableHoldsEightySixRowsInOrderAndDispatchesByName) {
  const auto* table = TConversationCommands::Table();
  std::set<std::string_view> names;
  for (int i = 0; i < TConversationCommands::CommandCount; ++i) {
    ASSERT_NE(table[i].Handler, nullptr) << i;
    names.insert(table[i].Name);
  }
  EXPECT_EQ(names.size(), 86u);
  const struct {
    int Row;
    const char* Name;
    i32 Min, Max;
  } rows[] = {{0, "0", 0, 0},           {3, "CRLF", 0, 0},           {22, "GIVEARMY", 4, 1000},
              {23, "GETCHOSEN", 0, 0},  {56, "GETQUESTSTATE", 1, 1}, {69, "SETCITYOWNER", 1, 3},
              {79, "GETMONEY", 0, 1},   {85, "GETUNITSINAREA", 1, 2}};
  for (const auto& r : rows) {
    EXPECT_EQ(table[r.Row].Name, r.Name);
    EXPECT_EQ(table[r.Row].MinParams, r.Min) << r.Name;
    EXPECT_EQ(table[r.Row].MaxParams, r.Max) << r.Name;
    EXPECT_EQ(TConversationCommands::FindCommand(r.Name), &table[r.Row]);
  }
  EXPECT_EQ(TConversationCommands::FindCommand("set"), nullptr) << "names are matched case-sensitively";

  // Tag forms: junk after ")" ignored, empty parameter lists, counts outside
  // Min and Max still run, surplus parameters only where a handler tests.
  TConversationCommands commands(Talk);
  std::string out;
  EXPECT_TRUE(commands.ExecuteCommand("<SET(LOCAL3,5)JUNK>", out));
  EXPECT_EQ(Talk.Locals[3], 5);
  EXPECT_TRUE(commands.ExecuteCommand("<DELETE()>", out));
  EXPECT_EQ(Talk.Delete, 1);
  EXPECT_TRUE(commands.ExecuteCommand("<WRITELOG(1,2,3)>", out));
  EXPECT_TRUE(commands.ExecuteCommand("<1(X)>", out));
  EXPECT_EQ(out, "<1>");
  EXPECT_TRUE(commands.ExecuteCommand("<GIVEARMY(1,5,5)>", out)) << "three parameters although Min is 4";
  EXPECT_EQ(ErrorOf([&] { commands.ExecuteCommand("<IFTRUE(1,2)>", out); }),
            Framed("Parameter(s) 2 NOT expected!", "IFTRUE(1,2)"));
  EXPECT_EQ(ErrorOf([&] { commands.ExecuteCommand("<FOO(1)>", out); }), Framed("Unknown command: FOO", "FOO(1)"));
  EXPECT_TRUE(commands.ExecuteCommand("<KILLUNIT(5)>", out)) << "an ID that names no unit does nothing";
}

TEST_F(Markup, PagesAreBuiltFromTextAndChoiceBlocks) {
  const struct {
    const char* Text;
    const char* Page;
  } cases[] = {
      {"commentary <SET(LOCAL1,2)> only", ""},
      {"<TEXT><1>Hello<CRLF>there<ENDTEXT>", "<1>Hello\nthere"},
      {"<text><0>lower case tags<endtext>", "<0>lower case tags"},
      {"<CRLF><TEXT><2>x<ENDTEXT> dropped", "<2>x"},
      {"<TEXT><1>Pick<ENDTEXT><CHOICE>Yes<ENDCHOICE><CHOICE>No<SHOWEXPRESSION(3-5)><ENDCHOICE>",
       "<1>Pick<CHOICE>Yes<ENDCHOICE><CHOICE>No-2<ENDCHOICE>"},
      {"<LOOP(3)><TEXT>a<ENDTEXT><ENDLOOP>", "aaa"},
      {"<LOOP(0)><TEXT>a<ENDTEXT><ENDLOOP><LOOP(-2)><TEXT>b<ENDTEXT><ENDLOOP>", ""},
      {"<LOOP(2)><LOOP(2)><TEXT>n<ENDTEXT><ENDLOOP><TEXT>-<ENDTEXT><ENDLOOP>", "nn-nn-"},
      {"<SET(LOCAL1,3)><WHILE(LOCAL1)><SET(LOCAL1,LOCAL1-1)><TEXT>x<ENDTEXT><ENDWHILE>", "xxx"},
      {"<IFEQUAL(1,1)><TEXT>yes<ENDTEXT><ELSE><TEXT>no<ENDTEXT><ENDIF>", "yes"},
      {"<IFEQUAL(1,2)><TEXT>yes<ENDTEXT><ELSE><TEXT>no<ENDTEXT><ENDIF>", "no"},
      {"<IFGREATER(1,2)><TEXT>yes<ENDTEXT><ENDIF><TEXT>!<ENDTEXT>", "!"},
      {"<IFTRUE(1)><IFFALSE(1)><TEXT>a<ENDTEXT><ELSE><TEXT>b<ENDTEXT><ENDIF><ELSE><TEXT>c<ENDTEXT><ENDIF>", "b"},
      {"<TEXT>open", "(error)"},
  };
  for (const auto& c : cases) {
    std::string page;
    try {
      page = Page(c.Text);
    } catch (const std::exception&) {
      page = "(error)";
    }
    EXPECT_EQ(page, c.Page) << c.Text;
  }
  EXPECT_EQ(Talk.Locals[1], 0) << "the WHILE counted down";
}

TEST_F(Markup, BadBlocksRaiseTheirMessages) {
  const struct {
    const char* Text;
    std::string Message;
  } cases[] = {
      {"<TEXT>a<TEXT>", "No nested <Text> commands supported!"},
      {"<TEXT>a<CHOICE>", "No <Choice> command supported in <Text> command!"},
      {"<TEXT>a<NOTE(1)>", "No <Note()> command supported in <Text> command!"},
      {"<TEXT>a<IFTRUE(1)>", "No <If..> commands supported in <Text> command!"},
      {"<TEXT>a", "Could not find <EndText>!"},
      {"<CHOICE><CHOICE>", "No nested <Choice> commands supported!"},
      {"<CHOICE><TEXT>", "No <Text> command supported in <Choice> command!"},
      {"<CHOICE><NOTE(0)>", "No <Note()> command supported in <Choice> command!"},
      {"<CHOICE><IF>", "No <If..> commands supported in <Choice> command!"},
      {"<CHOICE>a", "Could not find <EndChoice>!"},
      {"<NOTE><TEXT>", "No <Text> command supported in <Note()> command!"},
      {"<NOTE><CHOICE>", "No <Choice> command supported in <Note()> command!"},
      {"<NOTE><NOTE(1)>", "No nested <Note()> commands supported!"},
      {"<NOTE><IFTRUE(1)>", "No <If..> commands supported in <Note> command!"},
      {"<NOTE>a", "Could not find <EndNote>!"},
      // LOOP, WHILE and NOTE name their whole tag, upper-cased, brackets and all.
      {"<NOTE(7)>a<ENDNOTE>", Framed("Invalid player index: 7.", "<NOTE(7)>")},
      {"<note(1,2)>a<endnote>", Framed("Parameter(s) 2 NOT expected!", "<NOTE(1,2)>")},
      {"<IFTRUE(1)>a<ENDLOOP>", Framed("Could not find <EndIf> in text: ENDLOOP>", "")},
      {"<LOOP>x<ENDLOOP>", Framed("Parameter expected!", "<LOOP>")},
      {"<loopx>x<endloop>", Framed("Parameter expected!", "<LOOPX>")},
      {"<LOOP(2", Framed("Parameter expected!", "<LOOP(2")},
      {"<LOOP(2)>x", Framed("Could not find <EndLoop> in text: x", "<LOOP(2)>")},
      {"<WHILE(1)>x<WHILE>y<ENDWHILE>z", Framed("Could not find <EndWhile> in text: ENDWHILE>z", "<WHILE(1)>")},
      {"<While(1,0)><EndWhile>", Framed("Parameter(s) 0 NOT expected!", "<WHILE(1,0)>")},
      // The table's commands, IF included, name the tag without its brackets.
      {"<IFTRUE(1,2)><ENDIF>", Framed("Parameter(s) 2 NOT expected!", "IFTRUE(1,2)")},
      {"<(3)>", Framed("Unknown command: (3)", "(3)")},
      {"<ENDIF>", Framed("Unknown command: ENDIF", "ENDIF")},
      {"<TEXT ><ENDTEXT>", Framed("Unknown command: TEXT ", "TEXT ")},
      {"<TEXT><LOOP(2)><ENDTEXT>", Framed("Unknown command: LOOP", "LOOP(2)")},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOfPage(c.Text), c.Message) << c.Text;
}

TEST_F(Markup, LoopsThatNeverEndStopAtTheBudget) {
  EXPECT_EQ(ErrorOfPage("<WHILE(1)><ENDWHILE>"), Framed("Loop budget exhausted: more than 100000 rounds of LOOP or WHILE!", "<WHILE(1)>"));
  EXPECT_EQ(ErrorOfPage("<LOOP(2000000000)><SET(LOCAL2,LOCAL2+1)><ENDLOOP>"),
            Framed("Loop budget exhausted: more than 100000 rounds of LOOP or WHILE!", "SET(LOCAL2,LOCAL2+1)"));
  EXPECT_EQ(Talk.Locals[2], 100000) << "what ran before the error stays done";
  // Nested loops share one budget per page; a new page starts afresh.
  EXPECT_NE(ErrorOfPage("<LOOP(400)><LOOP(400)><ENDLOOP><ENDLOOP>").find("Loop budget exhausted"), std::string::npos);
  EXPECT_EQ(Page("<LOOP(300)><LOOP(300)><ENDLOOP><ENDLOOP><TEXT>ok<ENDTEXT>"), "ok");
  EXPECT_NE(ErrorOfPage(std::string(100, '<') + "IF(1)>").size(), 0u);
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "<LOOP(1)>";
  for (int i = 0; i < 200; ++i) deep += "<ENDLOOP>";
  EXPECT_NE(ErrorOfPage(deep).find("Blocks nested deeper than 64 levels!"), std::string::npos);
}

TEST_F(Markup, NotesGoToThePlayersDiaryAndNotToThePage) {
  EXPECT_EQ(Page("<NOTE>Met <SHOWNAME><ENDNOTE><NOTE(2)>Gold: <SHOWEXPRESSION(40+2)><ENDNOTE><TEXT><0>Hi<ENDTEXT>"),
            "<0>Hi");
  ASSERT_EQ(Scenario->Players[0]->Notes.size(), 1u) << "no player: the current one";
  EXPECT_EQ(Scenario->Players[0]->Notes[0], "Met Aldo");
  ASSERT_EQ(Scenario->Players[2]->Notes.size(), 1u);
  EXPECT_EQ(Scenario->Players[2]->Notes[0], "Gold: 42");
}

TEST_F(Markup, VariablesAliasesAndRandomNumbers) {
  Page("<SETALIAS(count,local5)><SET(COUNT,COUNT+1)><SET(COUNT,COUNT+1)><SETALIAS(COUNT,LOCAL6)><SET(COUNT,9)>"
       "<SETALIAS(Town,GLOBAL12)><SET(TOWN,3)>");
  EXPECT_EQ(Talk.Locals[5], 2);
  EXPECT_EQ(Talk.Locals[6], 9);
  EXPECT_EQ(Scenario->Globals[12], 3);
  EXPECT_EQ(Scenario->FindAlias("town"), 12) << "the scenario's alias serves every script";
  EXPECT_EQ(ErrorOfPage("<SETALIAS(A,B)>"), "Unknown variable:B!");
  EXPECT_EQ(ErrorOfPage("<SETALIAS(A,LOCAL32)>"),
            Framed("Bad index of local variable!\nThere is 32 local variables with index starting at 0!",
                   "SETALIAS(A,LOCAL32)"));
  EXPECT_EQ(ErrorOfPage("<SETALIAS(A,GLOBAL1024)>"),
            Framed("Bad index of global variable!\nThere is 1024 global variables with index starting at 0!",
                   "SETALIAS(A,GLOBAL1024)"));
  const TRandomState before = RandomMain;
  Page("<GETRANDOM(1)>");
  EXPECT_EQ(Talk.Locals[0], 0);
  EXPECT_NE(std::memcmp(&before, &RandomMain, sizeof before), 0) << "GETRANDOM(1) still draws";
  const TRandomState after = RandomMain;
  Page("<GETRANDOM(0)>");
  EXPECT_EQ(std::memcmp(&after, &RandomMain, sizeof after), 0) << "GETRANDOM(0) draws nothing";
}

TEST_F(Markup, QuestsObjectivesAndNames) {
  TQuestObjective* quest = AddEntry(qtQuest);
  TQuestObjective* objective = AddEntry(qtObjective);
  const std::string q = std::to_string(quest->ID), o = std::to_string(objective->ID);
  const std::string knight = std::to_string(Mine->Units[0]->ID), wolf = std::to_string(Mine->Units[1]->ID);

  EXPECT_EQ(Page("<TEXT><SHOWQUESTHERONAME(" + q + ")><ENDTEXT>"), "") << "never given: no name";
  Page("<GIVEQUEST(" + q + ",0)><GIVEOBJECTIVE(" + o + ")>");
  EXPECT_EQ(quest->State, qsActive);
  EXPECT_EQ(quest->HeroID, Mine->Units[0]->ID);
  EXPECT_EQ(objective->State, qsActive);
  EXPECT_EQ(objective->PlayerIndex, 1) << "the group's owner";
  Page("<GETHEROID(" + q + ")><SET(LOCAL1,LOCAL0)><GETHEROID><SET(LOCAL2,LOCAL0)><GETQUESTSTATE(" + q +
       ")><SET(LOCAL3,LOCAL0)><GETOBJECTIVESTATE(" + o + ")>");
  EXPECT_EQ(Talk.Locals[1], static_cast<i32>(Mine->Units[0]->ID));
  EXPECT_EQ(Talk.Locals[2], static_cast<i32>(Mine->Units[0]->ID));
  EXPECT_EQ(Talk.Locals[3], qsActive);
  EXPECT_EQ(Talk.Locals[0], qsActive);

  quest->State = qsSolved;
  Page("<RESETQUEST(" + q + ")><GETQUESTSTATE(" + q + ")>");
  EXPECT_EQ(Talk.Locals[0], qsNotGiven);
  EXPECT_EQ(quest->HeroID, 0u);

  EXPECT_EQ(Page("<TEXT><SHOWNAME><SHOWNAME(" + wolf + ")>|<SHOWNAME(99999)><ENDTEXT>"),
            "Aldo" + Mine->Units[1]->Name + "|");
  const struct {
    std::string Tag, Message;
  } cases[] = {
      {"GIVEQUEST(" + q + "," + wolf + ")", "Unit is not a hero: " + wolf + "."},
      {"GIVEQUEST(" + q + ",99999)", "Hero not found: 99999."},
      {"GIVEQUEST(" + o + ")", "Quest/Objective is not of quest type: " + o + "."},
      {"GIVEQUEST(99999)", "Quest/Objective not found: 99999."},
      {"GIVEOBJECTIVE(" + o + ",-2)", "Invalid player index: -2."},
      {"GIVEOBJECTIVE(" + q + ",1)", "Quest/Objective is not of objective type: " + q + "."},
      {"GETHEROID(" + o + ")", "Quest with given ID not fount! Id=" + o},
      {"GETQUESTSTATE(" + o + ")", "TQuestObjective is not of Quest type! ID=" + o},
      {"GETQUESTSTATE(99999)", "Quest with qiven ID not found! ID=99999"},
      {"GETOBJECTIVESTATE(" + q + ")", "TQuestObjective is not of Objective type! ID=" + q},
      {"GETOBJECTIVESTATE(99999)", "Objective with qiven ID not found! ID=99999"},
      {"RESETQUEST(" + o + ")", "Quest/Objective is not of quest type: " + o + "."},
      {"SHOWQUESTHERONAME(" + o + ")", "TQuestObjective is not of Quest type! ID=" + o},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOfPage("<" + c.Tag + ">"), Framed(c.Message, c.Tag)) << c.Tag;

  Talk.SetGroup(nullptr);
  EXPECT_EQ(ErrorOfPage("<GIVEQUEST(" + q + ")>"), Framed("No group to get HeroID from!", "GIVEQUEST(" + q + ")"));
  EXPECT_EQ(Page("<TEXT><SHOWNAME><ENDTEXT><GETHEROID>"), "");
  EXPECT_EQ(Talk.Locals[0], 0);
}

TEST_F(Markup, GoldRelationsAndCities) {
  Scenario->Players[0]->Gold = 100;
  Scenario->Players[1]->Gold = 10;
  Page("<GIVEMONEY(-50,0)><GIVEMONEY(25)>");
  EXPECT_EQ(Scenario->Players[0]->Gold, 50u);
  EXPECT_EQ(Scenario->Players[1]->Gold, 35u);
  Page("<GIVEMONEY(-40)><GETMONEY>");
  EXPECT_EQ(Talk.Locals[0], -5) << "gold below 0 reads back negative";
  EXPECT_EQ(ErrorOfPage("<GETMONEY(-2)>"), Framed("Invalid player index: -2.", "GETMONEY(-2)"));

  TCity* city = AddCity(1);
  TUnit* guest = NewUnit(Skeleton);
  city->AddToSlot(0, guest, false, false, false);
  guest->OwnerIndex = 2;
  const std::string id = std::to_string(city->ID);
  Page("<CHANGERELATION(-1,2,1)>");
  EXPECT_EQ(Scenario->Players[1]->Relations[2], rHostile);
  EXPECT_EQ(Scenario->Players[2]->Relations[1], rHostile);
  EXPECT_EQ(ErrorOfPage("<CHANGERELATION(0,1,3)>"),
            Framed("ChangeRelation:Invalid relation!", "CHANGERELATION(0,1,3)"));
  EXPECT_EQ(ErrorOfPage("<CHANGERELATION(5,1,1)>"),
            Framed("ChangeRelation:Invalid 1st player index!", "CHANGERELATION(5,1,1)"));
  EXPECT_EQ(ErrorOfPage("<CHANGERELATION(0,-1,1)>"),
            Framed("ChangeRelation:Invalid 2nd player index!", "CHANGERELATION(0,-1,1)"));
  EXPECT_EQ(Scenario->Players[0]->Relations[1], rNeutral);

  // Mode 0 and modes outside 1 to 3 hand over as mode 1; no player: the current one.
  for (const char* tag : {"<SETCITYOWNER(%s,2)>", "<SETCITYOWNER(%s,1,0)>", "<SETCITYOWNER(%s,2,9)>",
                          "<SETCITYOWNER(%s)>"}) {
    std::string text = tag;
    text.replace(text.find("%s"), 2, id);
    Page(text);
    Page("<GETCONTROLLER(" + id + ")>");
    EXPECT_EQ(Talk.Locals[0], text == "<SETCITYOWNER(" + id + ")>" ? 0 : city->Owner) << text;
  }
  EXPECT_EQ(city->Owner, 0);
  city->Owner = NoOwner;
  Page("<GETCONTROLLER(" + id + ")>");
  EXPECT_EQ(Talk.Locals[0], 255);
  const std::string group = std::to_string(Mine->ID);
  EXPECT_EQ(ErrorOfPage("<SETCITYOWNER(" + group + ",1)>"),
            Framed("Object not city! ID=" + group, "SETCITYOWNER(" + group + ",1)"));
  EXPECT_EQ(ErrorOfPage("<SETCITYOWNER(99999,1)>"),
            Framed("City object not found! ID = 99999.", "SETCITYOWNER(99999,1)"));
  EXPECT_EQ(ErrorOfPage("<GETCONTROLLER(" + group + ")>"),
            Framed("City object not found! ID = " + group + ".", "GETCONTROLLER(" + group + ")"));
}

TEST_F(Markup, FogAreasAndArmies) {
  auto* area = new TArea;
  area->ID = Scenario->NewID();
  area->AddField(9, 9);
  Scenario->Areas.AddSorted(area);
  const std::string a = std::to_string(area->ID);
  Page("<SETFOGAREA(" + a + ",1,2)>");
  EXPECT_EQ(Scenario->Players[2]->Fog->GetState(9, 9, 99), fsExplored);
  Page("<SETFOGAREA(" + a + ",0,2)>");
  EXPECT_EQ(Scenario->Players[2]->Fog->GetState(9, 9, 99), fsUnexplored);
  Page("<SETFOGAREA(" + a + ",2,2)>");
  EXPECT_EQ(Scenario->Players[2]->Fog->GetState(9, 9, 99), fsVisible);
  EXPECT_EQ(ErrorOfPage("<SETFOGAREA(" + a + ",3,2)>"),
            Framed("SetFogArea: invalid reveal value.", "SETFOGAREA(" + a + ",3,2)"));
  EXPECT_EQ(ErrorOfPage("<SETFOGAREA(99999,1,2)>"),
            Framed("Object with given ID not found (99999).", "SETFOGAREA(99999,1,2)"));

  TGroup* theirs = NewGroup(2, 9, 9, {Wolf});
  TUnit* spare = NewUnit(Skeleton);
  Scenario->OffMapUnits.Add(spare);
  const std::string list =
      std::to_string(theirs->Units[0]->ID) + ",99999," + std::to_string(spare->ID) + ",0," + std::to_string(Mine->Units[0]->ID);
  Talk.Refresh = 0;
  Page("<GIVEARMY(-2,5,5," + list + ")>");
  EXPECT_EQ(theirs->OwnerIndex, 1) << "a negative player is the group's owner";
  ASSERT_NE(spare->GetGroup(), nullptr);
  EXPECT_EQ(spare->GetGroup()->OwnerIndex, 1);
  EXPECT_EQ(Scenario->OffMapUnits.IndexOf(spare), -1);
  EXPECT_EQ(Talk.Refresh, 1);
  EXPECT_EQ(ErrorOfPage("<GIVEARMY(5,1,1)>"), Framed("GiveArmy:Invalid Player", "GIVEARMY(5,1,1)"));
}

}  // namespace
}  // namespace ScriptTest
