// Two machines in one process, each with its own scenario and transport on
// the in-process loopback: the actions of one machine's human replayed on
// the other in sequence order, and what a bad peer makes of that.
#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/world/scenario/two_machines.h"
#include "tests/world/world_fixture.h"

namespace WorldTest {
namespace {

using namespace GameData;
using DPFrame::DPID;

TActionRecord Record(std::initializer_list<u32> words) {
  TActionRecord r;
  i32 i = 0;
  for (u32 w : words) r.Words[i++] = w;
  return r;
}

class Replay : public TWorldFixture, public TTwoMachines {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    Saved = Plat::NetSettings();
    Plat::NetSettings().Log = [](const std::string&) {};
    Reconnect();
  }
  void TearDown() override {
    Disconnect();
    Plat::NetSettings() = Saved;
    TWorldFixture::TearDown();
  }

  void Reconnect() {
    Disconnect();
    MakeScenario(16, 16, 3);
    std::unique_ptr<TScenario> a = std::move(Scenario);
    MakeScenario(16, 16, 3);
    ASSERT_TRUE(Connect(std::move(a), std::move(Scenario), "replay-" + std::to_string(++HubCounter)));
  }

  static std::vector<u8> Raw(u32 sequence, const TActionRecord& record) {
    TActionMessage m;
    m.Sequence = sequence;
    m.Record = record;
    return m.Encode();
  }

  static bool SameRecords(const std::vector<TActionRecord>& a, const std::vector<TActionRecord>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (!std::equal(std::begin(a[i].Words), std::end(a[i].Words), std::begin(b[i].Words))) return false;
    return true;
  }

  Plat::TNetSettings Saved;
  static inline int HubCounter = 0;
};

TEST_F(Replay, BothMachinesExecuteTheSameActionsInTheSameOrder) {
  StartTurn(A, 0);
  StartTurn(B, 0);
  ASSERT_TRUE(Click(A, Record({atResult, arDone})));  // the turn start, so its scripts run everywhere
  ASSERT_TRUE(Click(A, Record({atSelect, 1234})));
  ASSERT_TRUE(Click(A, Record({atMove, 3, 4})));
  // Numbered two past the first move: B replays it only once its own walk
  // has ended with its own result record.
  ASSERT_TRUE(Click(A, Record({atMove, 5, 6, 0, 1, 0, 77})));
  ASSERT_TRUE(Click(A, Record({atEndTurn})));
  ASSERT_TRUE(Pump([&] { return A.Scenario->CurrentPlayerIndex == 1 && B.Scenario->CurrentPlayerIndex == 1; }));

  ASSERT_TRUE(Click(B, Record({atResult, arDone})));
  ASSERT_TRUE(Click(B, Record({atMove, 7, 8})));
  ASSERT_TRUE(Click(B, Record({atConversationAnswer, 2001})));
  ASSERT_TRUE(Click(B, Record({atEndTurn})));
  ASSERT_TRUE(Pump([&] { return A.Scenario->CurrentPlayerIndex == 0 && B.Scenario->CurrentPlayerIndex == 0; }));

  EXPECT_EQ(A.Log.size(), 12u);
  EXPECT_TRUE(SameRecords(A.Log, B.Log));
  EXPECT_EQ(A.Scenario->ActionCounter, 12u);
  EXPECT_EQ(B.Scenario->ActionCounter, 12u);
  EXPECT_FALSE(A.Scenario->SessionLost);
  EXPECT_FALSE(B.Scenario->SessionLost);
}

TEST_F(Replay, BattleOrdersAndAnswersDoNotWaitForTheRunningAction) {
  StartTurn(A, 0);
  StartTurn(B, 0);
  A.Current()->PostAction(true, Record({atSelect, 1}));
  A.Current()->PostAction(true, Record({atConversationAnswer, 1}));
  A.Current()->PostAction(true, Record({atSelect, 2}));
  // B takes the first record and leaves it running (its result stays 0).
  TActionRecord r;
  ASSERT_TRUE(TakeNext(B, r));
  ASSERT_TRUE(TakeNext(B, r)) << "the answer comes while the select still runs";
  EXPECT_EQ(r.Type(), u32{atConversationAnswer});
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  B.Current()->TakeAction(r);
  EXPECT_EQ(r.Type(), u32{atNone}) << "the next select waits for the result";
  B.Current()->SetResult(arDone);
  ASSERT_TRUE(TakeNext(B, r));
  EXPECT_EQ(r.Words[1], 2u);
}

// A record this machine made itself is executed before a remote answer
// numbered after it, even when it was not taken yet as the answer arrives.
TEST_F(Replay, AReplayNeverOverwritesARecordNotYetTaken) {
  StartTurn(B, 0);
  B.Current()->PostResult(arDone);
  A.Net->Send(A.Me, B.Me, 1, Raw(1, Record({atConversationAnswer, 1})).data(), 68);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  TActionRecord r;
  B.Current()->TakeAction(r);
  EXPECT_EQ(r.Type(), u32{atResult});
  ASSERT_TRUE(TakeNext(B, r));
  EXPECT_EQ(r.Type(), u32{atConversationAnswer});
  EXPECT_FALSE(B.Scenario->SessionLost);
}

TEST_F(Replay, APostIsSentNumberedAndAResultNever) {
  // B plays no remote turn now: nothing reads its queue but the test.
  StartTurn(A, 0);
  A.Current()->PostAction(true, Record({atSelect, 42}));
  A.Current()->PostResult(arDone);
  A.Current()->PostAction(false, Record({atSelect, 43}));
  A.Current()->PostAction(true, Record({atEndTurn}));
  std::vector<std::vector<u8>> got;
  ASSERT_TRUE(Pump(
      [&] {
        DPID from = 0;
        std::vector<u8> data;
        while (B.Net->Receive(&from, B.Me, Plat::DPRECEIVE_TOPLAYER, data))
          if (from == A.Me) got.push_back(data);
        return got.size() >= 2;
      },
      2000));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  DPID from = 0;
  std::vector<u8> more;
  while (B.Net->Receive(&from, B.Me, Plat::DPRECEIVE_TOPLAYER, more)) EXPECT_EQ(from, 0u) << "nothing else was sent";
  EXPECT_EQ(got[0], Raw(0, Record({atSelect, 42})));
  EXPECT_EQ(got[1], Raw(3, Record({atEndTurn}))) << "numbered after the two posts that stayed here";
  EXPECT_EQ(A.Scenario->ActionCounter, 4u);
}

TEST_F(Replay, ABadPeerEndsTheSessionWithAReason) {
  struct TCase {
    const char* name;
    std::function<void()> misbehave;
    const char* reason;
  } cases[] = {
      {"cut short", [&] { A.Net->Send(A.Me, B.Me, 1, Raw(0, Record({atSelect})).data(), 67); }, "67 bytes"},
      {"unknown type", [&] { A.Net->Send(A.Me, B.Me, 1, Raw(0, Record({19})).data(), 68); }, "unknown action type 19"},
      {"a follow-up", [&] { A.Net->Send(A.Me, 0, 1, Raw(0, Record({atAttackGroup, 5})).data(), 68); }, "never sent"},
      {"beside the map", [&] { A.Net->Send(A.Me, B.Me, 1, Raw(0, Record({atMove, 99, 1})).data(), 68); }, "word 1"},
      {"twice the same",
       [&] {
         A.Net->Send(A.Me, B.Me, 1, Raw(0, Record({atSelect, 1})).data(), 68);
         A.Net->Send(A.Me, B.Me, 1, Raw(0, Record({atSelect, 1})).data(), 68);
       },
       "action 0 came after action 0"},
      {"far ahead", [&] { A.Net->Send(A.Me, B.Me, 1, Raw(5000, Record({atSelect})).data(), 68); }, "too far ahead"},
      {"a flood",
       [&] {
         const std::vector<u8> junk(3, 0xEE);
         for (int i = 0; i < 5000; ++i) A.Net->Send(A.Me, B.Me, 1, junk.data(), 3);
       },
       "3 bytes"},
      {"the peer leaves", [&] { A.Net->DestroyPlayer(A.Me); }, "a player left"},
      {"the host goes", [&] { A.Scenario.reset(), A.Net.reset(); }, "connection to the session was lost"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    StartTurn(B, 0);
    c.misbehave();
    ASSERT_TRUE(Pump([&] { return B.Scenario->SessionLost != 0; }));
    EXPECT_NE(B.Scenario->SessionLostReason.find(c.reason), std::string::npos) << B.Scenario->SessionLostReason;
    const auto start = std::chrono::steady_clock::now();
    B.Current()->WaitForThread();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "the thread ended by itself";
    Reconnect();
  }
}

TEST_F(Replay, StoppingEndsAReplayWaitingForMessages) {
  StartTurn(B, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const auto start = std::chrono::steady_clock::now();
  B.Current()->StopThread();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_FALSE(B.Current()->ThreadRunning());
  EXPECT_FALSE(B.Scenario->SessionLost);
}

}  // namespace
}  // namespace WorldTest
