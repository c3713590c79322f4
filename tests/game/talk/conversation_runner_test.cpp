// The conversation runner in a headless game of the demo campaign: the
// scout's welcome with its portrait and two answers sent as type-18 records,
// the conversation log, a computer player's page that answers itself unseen,
// a bare speaker tag that shows nothing, and a session lost while a page
// is shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "game/talk/talk_dialog.h"
#include "tests/game/game_fixture.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace GameTest {
namespace {

using namespace GameData;

struct TShownPage {
  i32 Choices;
  std::string Speaker;
  bool Portrait;
};

class Conversations : public TGameFixture {
 protected:
  void SetUp() override {
    TGameFixture::SetUp();
    Headless->OnPage = [this](Main::TTalkDialog& page) {
      Pages.push_back({page.ChoiceCount, page.SpeakerName, page.Portrait != nullptr});
    };
    Headless->OnAction = [this](const TActionRecord& record, u64) {
      if (record.Type() == atConversationAnswer) Answers.push_back(record.Words[1]);
    };
  }

  TConversation* Add(u16 players, std::initializer_list<const char*> texts) {
    auto* c = new TConversation;
    c->ID = S().NewID();
    c->OwnerType = coTurnStart;
    c->TargetPlayers = players;
    for (const char* t : texts) c->Texts.emplace_back(t);
    c->SetScenario(&S());
    S().Conversations->AddSorted(c);
    return c;
  }

  std::vector<TShownPage> Pages;
  std::vector<u32> Answers;
};

TEST_F(Conversations, TheScoutsWelcomeIsAnsweredByRecordsAndLogged) {
  StartMission(1);
  ASSERT_EQ(Pages.size(), 3u);
  EXPECT_EQ(Pages[0].Choices, 0);
  EXPECT_FALSE(Pages[0].Portrait) << "the narrator";
  EXPECT_EQ(Pages[1].Choices, 2);
  EXPECT_EQ(Pages[1].Speaker, "Sp\xE4her");
  EXPECT_TRUE(Pages[1].Portrait) << "the owner's face from the unit sprites";
  EXPECT_EQ(Answers, (std::vector<u32>{1, 2000, 1})) << "read on, the first choice, read on";
  EXPECT_EQ(Player(1).ConversationLog,
            (std::vector<std::string>{"Willkommen!",
                                      "Sp\xE4her: Hauptmann, die W\xF6lfe kommen aus den Bergen.\nWas sollen wir "
                                      "tun?Die Grenzmark halten",
                                      "Nimm diese 100 Goldst\xFC" "cke f\xFCr die Truppe."}));
  EXPECT_EQ(Game->MissionNumber, 1u);
  EXPECT_EQ(Game->TalkDialog, nullptr);
}

TEST_F(Conversations, TheScoutsSecondAnswerWinsTheFirstMission) {
  Headless->PageAnswers = {2};
  StartMission(1);
  EXPECT_EQ(Answers, (std::vector<u32>{1, 2001, 1, 1})) << "mission 2 welcomes too";
  EXPECT_EQ(Game->MissionNumber, 2u);
  EXPECT_EQ(S().Title, "Die Furt");
  EXPECT_TRUE(Headless->Running());
}

TEST_F(Conversations, AComputersPageAnswersItselfUnseenAndABareTagShowsNothing) {
  StartMission(1);
  Pages.clear();
  Answers.clear();
  const std::size_t logged = Player(1).ConversationLog.size();
  TConversation* bare = Add(1 << 1, {"<TEXT><1><ENDTEXT>"});
  TConversation* asked = Add(1 << 2, {"<TEXT><0>Was nun?<ENDTEXT><CHOICE>Ja<ENDCHOICE><CHOICE>Nein<ENDCHOICE>",
                                      "<GETCHOSEN><SET(GLOBAL100,LOCAL0)>"});
  Act({atEndTurn});  // the computer's turn, then the human's again
  EXPECT_TRUE(Pages.empty()) << "nothing shown to the human";
  EXPECT_EQ(Player(1).ConversationLog.size(), logged);
  EXPECT_EQ(bare->Running, 0);
  ASSERT_EQ(Player(2).ConversationLog.size(), 1u);
  const i32 answer = S().Globals[100];
  ASSERT_TRUE(answer == 1 || answer == 2) << answer;
  EXPECT_EQ(Player(2).ConversationLog[0], answer == 1 ? "Was nun?Ja" : "Was nun?Nein");
  EXPECT_EQ(asked->Running, 0);
  EXPECT_TRUE(Answers.empty()) << "no record for a computer's page";
}

TEST_F(Conversations, ALostSessionWhileAPageShowsLeavesForTheMenu) {
  Headless->OnPage = [this](Main::TTalkDialog&) { S().LoseSession("Die Verbindung ist abgerissen."); };
  StartMission(1);
  EXPECT_FALSE(Headless->Running());
  EXPECT_EQ(Game->Scenario, nullptr);
  EXPECT_EQ(Game->TalkDialog, nullptr);
}

// The demo's area conversations switch themselves off: the pass stays in
// sight round after round, and the ford is crossed there and back again.
TEST_F(Conversations, AnAreasConversationShowsOnce) {
  struct TCase {
    i32 Mission;
    const char* Page;
    std::vector<std::pair<u32, u32>> Walks;  // fields; (0, 0) ends the turn
  };
  const TCase cases[] = {
      {1, "Hier beginnt der Pass.", {{7, 7}, {0, 0}, {0, 0}, {0, 0}}},
      {2, "Das Wasser ist kalt.", {{9, 13}, {0, 0}, {8, 13}, {9, 13}, {0, 0}, {8, 13}, {9, 13}}},
  };
  for (const TCase& c : cases) {
    StartMission(c.Mission);
    Act({atSelect, GroupOf(1)});
    for (const auto& [x, y] : c.Walks) {
      if (x == 0) {
        Act({atEndTurn});
        Act({atSelect, GroupOf(1)});
      } else {
        Act({atMove, x, y, 0, 0, 0, 0, 1});
      }
    }
    const auto& log = Player(1).ConversationLog;
    EXPECT_EQ(std::count(log.begin(), log.end(), c.Page), 1) << "mission " << c.Mission;
  }
}

TEST_F(Conversations, AnAnswerThePageDoesNotOfferIsRefused) {
  Headless->PageAnswers = {3};
  EXPECT_THROW(StartMission(1), std::runtime_error);
}

}  // namespace
}  // namespace GameTest
