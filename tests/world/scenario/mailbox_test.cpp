#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tests/world/world_fixture.h"

namespace WorldTest {
namespace {

using namespace GameData;

class Mailbox : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario();
  }
  TPlayer* P(i32 i) const { return Scenario->PlayerAt(i); }
};

TEST_F(Mailbox, BusyWhileTheCurrentPlayersActionRunsOrTheDeadAreDying) {
  EXPECT_TRUE(Scenario->IsBusy()) << "no current player";
  Scenario->CurrentPlayerIndex = 1;
  EXPECT_FALSE(Scenario->IsBusy());
  TActionRecord r;
  r.Words[0] = atSelect;
  P(1)->PostAction(true, r);
  EXPECT_TRUE(Scenario->IsBusy());
  P(1)->SetResult(arDone);
  EXPECT_FALSE(Scenario->IsBusy());
  Scenario->WaitingForDeaths = 1;
  EXPECT_TRUE(Scenario->IsBusy());
  Scenario->WaitingForDeaths = 0;

  // Without a network nothing is sent, yet every post is numbered.
  const u32 counter = Scenario->ActionCounter;
  r.Words[1] = 7;
  P(1)->PostAction(true, r);
  r.Words[1] = 8;
  P(1)->PostAction(true, r);
  TActionRecord taken;
  P(1)->TakeAction(taken);
  EXPECT_EQ(taken.Words[1], 8u) << "a second post overwrites a record not yet taken";
  EXPECT_EQ(Scenario->ActionCounter, counter + 2);
}

// A computer player's thread posts and waits; the main thread takes and
// executes, as the dispatcher does once per update step.
TEST_F(Mailbox, TwoThreadsHandRecordsOverInOrder) {
  constexpr u32 Count = 40;
  TPlayer* ai = P(2);
  Scenario->CurrentPlayerIndex = 2;
  std::atomic<bool> posterDone{false};
  std::thread poster([&] {
    for (u32 i = 1; i <= Count; ++i) {
      TActionRecord r;
      r.Words[0] = i % 2 ? atSelect : atBattleOrders;
      r.Words[1] = i;
      ai->PostAction(true, r);
      // Battle orders go on once taken; everything else once executed.
      if (r.Words[0] == atBattleOrders)
        ai->WaitForEmptyMailbox();
      else
        ai->WaitForResult();
      ai->AddNotification(new TNotification{1, 0, 0, i, 0});
    }
    posterDone = true;
  });
  std::vector<u32> taken;
  u32 notes = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!posterDone && std::chrono::steady_clock::now() < end) {
    TActionRecord r;
    ai->TakeAction(r);
    if (r.Type() == atSelect) ai->SetResult(arDone);
    if (r.Type() != atNone) taken.push_back(r.Words[1]);
    while (TNotification* n = ai->PopNotification()) {
      EXPECT_EQ(n->UnitID, ++notes);
      delete n;
    }
    (void)Scenario->IsBusy();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!posterDone) ai->StopRequested = 1;  // a failure: end the thread rather than hang
  poster.join();
  ASSERT_EQ(taken.size(), Count);
  for (u32 i = 0; i < Count; ++i) EXPECT_EQ(taken[i], i + 1);
  EXPECT_EQ(Scenario->ActionCounter, Count);
  ai->ClearNotifications();
}

TEST_F(Mailbox, AStopRequestEndsEveryWait) {
  TPlayer* p = P(2);
  TActionRecord r;
  r.Words[0] = atSelect;
  p->PostAction(false, r);
  p->StopRequested = 1;
  EXPECT_THROW(p->WaitForResult(), EThreadTermination) << "a result that never comes";
  EXPECT_THROW(p->WaitForEmptyMailbox(), EThreadTermination) << "a record never taken";
  p->SetResult(arDone);
  p->StopRequested = 0;
  Scenario->WaitingForDeaths = 1;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    p->StopRequested = 1;
  });
  EXPECT_THROW(p->WaitForResult(), EThreadTermination) << "the dying that never ends";
  stopper.join();
  Scenario->WaitingForDeaths = 0;
}

}  // namespace
}  // namespace WorldTest
