// A remote player's conversation pages in a headless game whose player 2
// plays on another machine: the peer is a second session on the loopback hub
// or on TCP/IP at 127.0.0.1 that sends its player's records as that
// player's machine would. Its answers may come before this machine shows
// the page they answer.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/dpframe/dpframe.h"
#include "engine/platform/net/net_settings.h"
#include "game/talk/talk_dialog.h"
#include "tests/engine/dpframe/loopback_address.h"
#include "tests/game/game_fixture.h"
#include "world/map/drawing.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace GameTest {
namespace {

using namespace GameData;

enum class TLink { Loopback, Tcp };

TActionRecord Record(std::initializer_list<u32> words) {
  TActionRecord r;
  u32* w = r.Words;
  for (u32 word : words) *w++ = word;
  return r;
}

class PeerAnswers : public TGameFixture, public ::testing::WithParamInterface<TLink> {
 protected:
  void SetUp() override {
    TGameFixture::SetUp();
    SavedNet = Plat::NetSettings();
    Plat::NetSettings().Log = [](const std::string&) {};
    StartMission(1);
    // A page that waits for an answer that never comes fails in seconds.
    Headless->ModalStepLimit = 20000;
    Connect();
    Game->GameType = Main::NetworkPlayer;
    Player(2).Kind = pkRemote;
  }
  void TearDown() override {
    // The scenario first: it stops the replay thread that reads the host.
    TGameFixture::TearDown();
    Peer.reset();
    Host.reset();
    Plat::NetSettings() = SavedNet;
  }

  void Connect() {
    Host = std::make_unique<DPFrame::TDPFramework>();
    Peer = std::make_unique<DPFrame::TDPFramework>();
    const std::string hub = "peer-answers-" + std::to_string(++HubCounter);
    if (GetParam() == TLink::Loopback)
      Host->InitializeConnection(NetTest::LoopbackAddress(hub));
    else
      Host->InitializeConnection(Host->CreateTCPIPAddress("127.0.0.1:0"));
    Host->HostSession("Antworten", 0x2044, 8, 100, 0, 0, 0);
    Host->CreatePlayer("A", &HostID);
    if (GetParam() == TLink::Loopback) {
      Peer->InitializeConnection(NetTest::LoopbackAddress(hub));
    } else {
      const std::string target = "127.0.0.1:" + std::to_string(Host->DirectPlay->EnumerationPort());
      Peer->InitializeConnection(Peer->CreateTCPIPAddress(target.c_str()));
    }
    for (int i = 0; i < 40 && Peer->Sessions.Count() == 0; ++i) Peer->EnumSessions(50);
    ASSERT_EQ(Peer->Sessions.Count(), 1);
    Peer->JoinSession(0);
    Peer->CreatePlayer("B", &PeerID);
    S().Network = Host.get();
    S().NetworkPlayerID = HostID;
  }

  TConversation* AddTurnStart(u16 players, std::initializer_list<const char*> texts) {
    auto* c = new TConversation;
    c->ID = S().NewID();
    c->OwnerType = coTurnStart;
    c->TargetPlayers = players;
    for (const char* t : texts) c->Texts.emplace_back(t);
    c->SetScenario(&S());
    S().Conversations->AddSorted(c);
    return c;
  }

  // The human ends the turn; the peer's player then sends the records of its
  // whole turn at once, numbered after the end of turn as its machine
  // numbers them.
  void EndTurnAndReceive(const std::vector<TActionRecord>& turn) {
    u32 sequence = S().ActionCounter;
    Player(1).PostAction(true, Record({atEndTurn}));
    for (const TActionRecord& record : turn) {
      TActionMessage message;
      message.Sequence = ++sequence;
      message.Record = record;
      const std::vector<u8> bytes = message.Encode();
      Peer->Send(PeerID, HostID, Plat::DPSEND_GUARANTEED, bytes.data(), static_cast<u32>(bytes.size()));
    }
  }

  // Steps until done holds; false on time-out.
  bool StepUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      Headless->Step();
    }
    return true;
  }

  // The human's next turn waits for input.
  bool HumansTurn() {
    if (!Headless->Running()) return false;
    Player(1).Lock();
    const bool posted = Player(1).Mailbox.Type() != atNone;
    Player(1).Unlock();
    return S().CurrentPlayerIndex == 1 && !S().IsBusy() && !posted;
  }

  std::unique_ptr<DPFrame::TDPFramework> Host, Peer;
  DPFrame::DPID HostID = 0, PeerID = 0;
  Plat::TNetSettings SavedNet;
  static inline int HubCounter = 0;
};

// The peer's machine shows the second page while this one still plays the
// animation between the pages: the second answer is executed here before
// its page exists, and the page takes it once shown.
TEST_P(PeerAnswers, AnAnswerThatComesBeforeItsPageClosesThePageOnceShown) {
  AddTurnStart(1 << 2, {"<TEXT><0>Eins.<ENDTEXT>", "<PLAYANIMATION(220,300,300,12,1000000)>",
                        "<TEXT><0>Zwei?<ENDTEXT><CHOICE>Ja<ENDCHOICE><CHOICE>Nein<ENDCHOICE>",
                        "<GETCHOSEN><SET(GLOBAL100,LOCAL0)>"});
  bool cameEarly = false;
  Headless->OnAction = [&](const TActionRecord& record, u64) {
    if (record.Type() != atConversationAnswer || record.Words[1] != 2001) return;
    cameEarly = Game->TalkDialog == nullptr;
    // The animation ends only now, so that the page surely comes after.
    for (TMapObject* o : S().MapObjects)
      if (o->Type == otAnimation) static_cast<TAnimation*>(o)->Finished = 1;
  };
  EndTurnAndReceive({Record({atResult, arDone}), Record({atConversationAnswer, 1}),
                     Record({atConversationAnswer, 2001}), Record({atEndTurn})});
  ASSERT_TRUE(StepUntil([&] { return HumansTurn(); }));
  EXPECT_TRUE(cameEarly) << "the answer came while no page was shown";
  EXPECT_EQ(S().Globals[100], 2) << "the second choice, as on the peer's machine";
  EXPECT_EQ(Player(2).ConversationLog, (std::vector<std::string>{"Eins.", "Zwei?Nein"}));
  EXPECT_FALSE(S().SessionLost);
}

// Answers that no page here takes show the machines out of step: the
// network game ends with a reason instead of waiting for ever.
TEST_P(PeerAnswers, AnAnswerForNoPageEndsTheNetworkGame) {
  struct {
    const char* Name;
    std::vector<const char*> Pages;
    std::vector<TActionRecord> Turn;
  } cases[] = {
      {"no conversation", {}, {Record({atResult, arDone}), Record({atConversationAnswer, 2001}), Record({atEndTurn})}},
      {"one answer more than pages",
       {"<TEXT><0>Nur eine Seite.<ENDTEXT>"},
       {Record({atResult, arDone}), Record({atConversationAnswer, 1}), Record({atConversationAnswer, 1}),
        Record({atEndTurn})}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (&c != &cases[0]) {
      TearDown();
      SetUp();
    }
    if (!c.Pages.empty()) {
      auto* k = AddTurnStart(1 << 2, {});
      for (const char* page : c.Pages) k->Texts.emplace_back(page);
    }
    std::string reason;
    Headless->OnAction = [&](const TActionRecord&, u64) {
      if (Game->Scenario && S().SessionLost) reason = S().SessionLostReason;
    };
    EndTurnAndReceive(c.Turn);
    ASSERT_TRUE(StepUntil([&] { return !Headless->Running(); }));
    EXPECT_EQ(reason, Main::StrayAnswerEnd);
  }
}

INSTANTIATE_TEST_SUITE_P(Links, PeerAnswers, ::testing::Values(TLink::Loopback, TLink::Tcp),
                         [](const ::testing::TestParamInfo<TLink>& info) {
                           return std::string(info.param == TLink::Loopback ? "Loopback" : "Tcp");
                         });

}  // namespace
}  // namespace GameTest
