// Headless games from action scripts: the demo campaign played to its end,
// saving and loading on the way, gives the same hashes as without; the
// scout's second answer wins the first mission.
#include "tools/replay/replay_script.h"

#include <gtest/gtest.h>

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
  // The hero groups of the two missions.
  void SetUp() override {
    Main::THeadlessGame headless(1);
    for (auto [name, id] : {std::pair{"demo1.scn", &Hero1}, {"demo2.scn", &Hero2}}) {
      Game->LoadScenario(name, 1);
      for (const GameData::TMapObject* o : Game->Scenario->MapObjects)
        if (o->Type == GameData::otGroup && static_cast<const GameData::TGroup*>(o)->OwnerIndex == 1) *id = o->ID;
    }
  }

  // The campaign: walking, camping, turns, both missions won by the word a
  // script sets; with saving, each save is loaded again at once.
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
        "act select %u   # a loaded game has no selection\n"
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
        "act endturn\n",
        Hero1, save1.c_str(), Hero1, Hero1, Hero1, save2.c_str(), Hero2);
  }

  TestSupport::TDemoDataDir Data;
  u32 Hero1 = 0, Hero2 = 0;
};

TEST_F(Replay_, TheDemoCampaignPlaysToItsEndWithTheSameHashesThroughSaves) {
  const std::vector<std::string> plain = Play(Campaign(false));
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(plain.back(), "menu") << "the last mission won ends at the menu";
  EXPECT_EQ(Play(Campaign(false)), plain) << "the same script twice";
  EXPECT_EQ(Play(Campaign(true)), plain) << "saved and loaded on the way";
  for (const char* save : {"auto01.sav", "auto02.sav", "autosave.sav", "mid.sav"})
    EXPECT_TRUE(Plat::FileExists(Data2::SaveDirectory + save)) << save;
  i32 missionStarts = 0;
  for (const std::string& line : plain) missionStarts += line.find(" result ") != std::string::npos;
  EXPECT_GT(missionStarts, 10);
}

// The scout's welcome ends the first mission by its second answer: mission
// 2 loads at once, and its player keeps no log of mission 1's pages.
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
  EXPECT_EQ(answers, 5) << "read on, the second choice, read on; mission 2's welcome and its second round's news";
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "menu");
  EXPECT_EQ(Play(script(true)), lines) << "the log goes through a save";
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
