// The scout's welcome of the first demo mission, run through the real
// mark-up from the built data: its portrait and two answers; the second ends
// the mission, the first pays the troops and writes the diary.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "script/script_connection.h"
#include "tests/world/demo_world.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/script_interpreter.h"

namespace ScriptTest {
namespace {

using namespace GameData;

class DemoWelcome : public ::testing::Test {
 protected:
  void SetUp() override {
    Script::ConnectToWorld();
    Scenario = WorldTest::TDemoWorld::Load(World.ScenarioFile("demo1.scn"));
    for (TConversation* c : Scenario->Conversations->Items)
      if (c->Name == "Der Sp\xE4her") Scout = c;
    ASSERT_NE(Scout, nullptr);
    Scenario->CurrentPlayerIndex = 1;
  }
  void TearDown() override { ConnectScripts(nullptr); }

  WorldTest::TDemoWorld World;
  std::unique_ptr<TScenario> Scenario;
  TConversation* Scout = nullptr;
};

TEST_F(DemoWelcome, TheSecondAnswerEndsTheMissionTheFirstPaysAndNotes) {
  EXPECT_NE(Scout->OwnerFaceID, 0u) << "a portrait";
  EXPECT_EQ(Scout->OwnerName, "Sp\xE4her");
  const std::string first = Scout->GetText(0);
  EXPECT_EQ(first,
            "<1>Hauptmann, die W\xF6lfe kommen aus den Bergen.\nWas sollen wir tun?"
            "<CHOICE>Die Grenzmark halten<ENDCHOICE><CHOICE>Die Grenzmark ist sicher<ENDCHOICE>");

  TPlayer* human = Scenario->Players[1];
  const u32 gold = human->Gold;
  Scout->ChosenAnswer = 1;
  EXPECT_EQ(Scout->GetText(1), "<0>Nimm diese 100 Goldst\xFC"
                               "cke f\xFCr die Truppe.");
  EXPECT_EQ(human->Gold, gold + 100);
  ASSERT_EQ(human->Notes.size(), 1u);
  EXPECT_EQ(human->Notes[0], "Die Grenzmark halten.");
  EXPECT_NE(Scenario->Globals[1], 0) << "the mission goes on";

  Scout->ChosenAnswer = 2;
  EXPECT_EQ(Scout->GetText(1), "<0>Die Grenzmark ist sicher.");
  EXPECT_EQ(Scenario->Globals[1], 0) << "player 1's word is 0: the game's end test makes it the winner";
  EXPECT_EQ(human->Gold, gold + 100);
}

}  // namespace
}  // namespace ScriptTest
