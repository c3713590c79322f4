// Headless games from action scripts: the demo campaign played to its end,
// saving and loading on the way, gives the same hashes as without; the
// scout's second answer wins the first mission.
#include "tools/replay/replay_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/base/base.h"
#include "engine/platform/system/files.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "tests/world/demo_data_dir.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

std::vector<std::string> Play(const std::string& script) {
  std::vector<std::string> lines;
  Replay::RunScript(script, [&](const std::string& line) { lines.push_back(line); });
  return lines;
}

class Replay_ : public ::testing::Test {
 protected:
  // The hero groups of the two missions; mission 2's knight and sorceress
  // by their fields, and its tower.
  void SetUp() override {
    Main::THeadlessGame headless(1);
    for (auto [name, id] : {std::pair{"demo1.scn", &Hero1}, {"demo2.scn", &Hero2}}) {
      Game->LoadScenario(name, 1);
      for (const GameData::TMapObject* o : Game->Scenario->MapObjects) {
        if (o->Type == GameData::otGroup && static_cast<const GameData::TGroup*>(o)->OwnerIndex == 1) *id = o->ID;
        if (o->Type == GameData::otGroup && o->FieldX() == 20 && o->FieldY() == 12) Knight = o->ID;
        if (o->Type == GameData::otGroup && o->FieldX() == 7 && o->FieldY() == 21) Sorceress = o->ID;
        if (o->Type == GameData::otBuilding && o->Caption == "Wachturm") Tower = o->ID;
      }
    }
  }

  // The campaign: walking, camping, turns, the three missions won by the word
  // a script sets (the third one with the required unit alone, as the
  // transfer window is finished at once); with saving, each save is loaded
  // again at once.
  std::string Campaign(bool saving) const {
    const std::string save1 = saving ? "save mid.sav\nload mid.sav\n" : "";
    const std::string save2 = saving ? "save 03.sav\nload 03.sav\n" : "";
    return Base::Format(
        "# the demo campaign\n"
        "seed 42\n"
        "answer 1   # the scout's page: hold the march\n"
        "mission 1\n"
        "act select %u\n"
        "act move 7 6 0 0 0 0 1\n"
        "act endturn\n"
        "act move 9 8 0 0 0 0 1\n"
        "%s"
        "act select %u\n"
        "act makecamp %u\n"
        "hash\n"
        "act endturn\n"
        "act breakcamp %u\n"
        "global 1 0\n"
        "act endturn\n"
        "%s"
        "act select %u\n"
        "act move 7 14 0 0 0 0 1\n"
        "act endturn\n"
        "global 1 0\n"
        "act endturn\n"
        "global 1 0\n"
        "act endturn\n",
        Hero1, save1.c_str(), Hero1, Hero1, Hero1, save2.c_str(), Hero2);
  }

  TestSupport::TDemoDataDir Data;
  u32 Hero1 = 0, Hero2 = 0, Knight = 0, Sorceress = 0, Tower = 0;
};

TEST_F(Replay_, TheDemoCampaignPlaysToItsEndWithTheSameHashesThroughSaves) {
  const std::vector<std::string> plain = Play(Campaign(false));
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(plain.back(), "menu") << "the last mission won ends at the menu";
  EXPECT_EQ(Play(Campaign(false)), plain) << "the same script twice";
  EXPECT_EQ(Play(Campaign(true)), plain) << "saved and loaded on the way";
  for (const char* save : {"auto01.sav", "auto02.sav", "auto03.sav", "autosave.sav", "mid.sav"})
    EXPECT_TRUE(Plat::FileExists(Data2::SaveDirectory + save)) << save;
  i32 missionStarts = 0;
  for (const std::string& line : plain) missionStarts += line.find(" result ") != std::string::npos;
  EXPECT_GT(missionStarts, 10);
}

// The scout's welcome ends the first mission by its second answer: mission
// 2 loads at once, and its player keeps no log of mission 1's pages; the
// script then wins missions 2 and 3.
TEST_F(Replay_, TheScoutsAnswerWinsTheFirstMission) {
  auto script = [this](bool saving) {
    return Base::Format(
        "seed 7\n"
        "answer 2\n"
        "mission 1\n"
        "hash\n"
        "%s"
        "act select %u\n"
        "act move 7 14 0 0 0 0 1\n"
        "act endturn\n"
        "global 1 0\n"
        "act endturn\n"
        "global 1 0\n"
        "act endturn\n",
        saving ? "save 02.sav\nload 02.sav\n" : "", Hero2);
  };
  std::vector<std::string> lines;
  u32 mission = 0;
  std::vector<std::string> log;
  Replay::RunScript(script(false), [&](const std::string& line) {
    lines.push_back(line);
    if (line.rfind("state ", 0) != 0) return;
    mission = Game->MissionNumber;
    log = Game->Scenario->PlayerAt(1)->ConversationLog;
  });
  EXPECT_EQ(mission, 2u) << "the second answer ended mission 1";
  EXPECT_EQ(log, std::vector<std::string>{"Willkommen!"}) << "mission 2's own welcome";
  i32 answers = 0;
  for (const std::string& line : lines) answers += line.find(" answer ") != std::string::npos;
  EXPECT_EQ(answers, 6)
      << "read on, the second choice, read on; mission 2's welcome and its second round's news; mission 3's welcome";
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "menu");
  EXPECT_EQ(Play(script(true)), lines) << "the log goes through a save";
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string script;
  for (const std::string& line : lines) script += line + "\n";
  return script;
}

// A save and its load in place change nothing that follows: every later
// record has the hash it has in the game played without them. Mission 2
// saves before and after its round-2 messenger, its bridge and its tower,
// and after walks its computer player saw.
TEST_F(Replay_, ASaveAndItsLoadChangeNoLaterRecord) {
  const std::string knight = std::to_string(Knight), sorceress = std::to_string(Sorceress);
  std::vector<std::string> second = {"seed 7", "mission 2", "act select " + knight, "act move 21 13 0 0 0 0 1",
                                     "act endturn", "act select " + sorceress, "act move 8 20 0 0 0 0 1"};
  // The computer's groups close in on the knight and cost it a round.
  for (i32 round = 0; round < 6; ++round)
    second.insert(second.end(), {"act select " + knight, "act move 14 6 0 0 0 0 1", "act endturn"});
  second.insert(second.end(), {"act select " + knight,
                               "act move 14 5 0 256 0 " + std::to_string(Tower) + " 1", "act endturn"});
  const std::string hero = std::to_string(Hero1);
  const std::vector<std::string> first = {
      "seed 42",        "answer 1", "mission 1", "act select " + hero, "act move 7 6 0 0 0 0 1", "act endturn",
      "act select " + hero, "act move 9 8 0 0 0 0 1", "act makecamp " + hero, "act endturn", "act breakcamp " + hero,
      "act endturn"};
  struct {
    const char* Name;
    const std::vector<std::string>& Script;
    std::size_t After;   // script lines before the save
    const char* Record;  // a record that follows the save
  } cases[] = {
      {"mission 1: after a walk", first, 5, " endturn "},
      {"mission 1: in camp", first, 9, " breakcamp "},
      {"mission 1: after the camp", first, 11, " endturn "},
      {"mission 2: a walk, then the messenger's round", second, 4, " answer "},
      {"mission 2: the messenger answered", second, 5, " answer "},
      {"mission 2: before the bridge", second, 6, " answer "},
      {"mission 2: after the bridge", second, 7, " move "},
      {"mission 2: a walk the computer saw", second, 9, " endturn "},
      {"mission 2: before the tower", second, 25, " enterbuilding "},
      {"mission 2: after the tower", second, 27, " endturn "},
  };
  const std::vector<std::string> plainFirst = Play(Joined(first)), plainSecond = Play(Joined(second));
  for (const auto& c : cases) {
    // The hash command marks where the save stands.
    std::vector<std::string> script = c.Script;
    script.insert(script.begin() + static_cast<std::ptrdiff_t>(c.After), {"hash", "save turn.sav", "load turn.sav"});
    std::vector<std::string> lines = Play(Joined(script));
    const auto mark = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("state ", 0) == 0; });
    ASSERT_NE(mark, lines.end()) << c.Name;
    const auto after = lines.erase(mark);
    EXPECT_TRUE(std::any_of(after, lines.end(), [&](const std::string& l) { return l.find(c.Record) != std::string::npos; }))
        << c.Name << ": no" << c.Record << "record after the save";
    EXPECT_EQ(lines, &c.Script == &first ? plainFirst : plainSecond) << c.Name;
  }
}

TEST_F(Replay_, ADifferentSeedPlaysADifferentGame) {
  std::string other = Campaign(false);
  other.replace(other.find("seed 42"), 7, "seed 43");
  EXPECT_NE(Play(other), Play(Campaign(false)));
}

TEST_F(Replay_, BadLinesAreNamed) {
  struct {
    const char* Script;
    const char* Message;
  } cases[] = {
      {"mission 1\nact fly 1\n", "line 2: unknown action \"fly\""},
      {"mission 1\nact 19\n", "line 2: unknown action \"19\""},
      {"act endturn\n", "line 1: no game is running"},
      {"mission 9\n", "line 1: There is no mission 9."},
      {"mission x\n", "line 1: \"mission\" needs a number"},
      {"mission 1\nglobal 1024 0\n", "line 2: \"global\" needs a number from 0 to 1023"},
      {"mission 1\nseed 3\n", "line 2: \"seed\" comes before the game starts"},
      {"jump\n", "line 1: unknown command \"jump\""},
      {"mission 1\nload none.sav\n", "line 2: Cannot open file"},
      {"answer 0\n", "line 1: \"answer\" needs a number from 1"},
      {"answer 3\nmission 1\n", "line 2: The conversation page offers 2 answers, not answer 3."},
  };
  for (const auto& c : cases) {
    try {
      Play(c.Script);
      ADD_FAILURE() << c.Script;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.Message, 0), 0u) << e.what();
    }
  }
}

}  // namespace
