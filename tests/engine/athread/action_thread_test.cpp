#include "engine/athread/action_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "engine/base/errors.h"
#include "tests/engine/dxapp/app_fixture.h"

namespace {

std::atomic<bool> release{false};
std::atomic<int> runs{0};

void Blocked() {
  while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ++runs;
}
void Fails() { throw Data::EInvalidData(); }
void Works() { ++runs; }
void ThrowsOddly() { throw 42; }

void WaitForEnd(TActionThread& t) {
  for (int i = 0; i < 5000 && t.IsRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_FALSE(t.IsRunning());
}

TEST(ActionThread, RunsTheWorkAndReportsTheOutcome) {
  struct {
    TActionThread::TFunction Work;
    u8 Succeeded;
    const char* Message;
  } cases[] = {
      {Works, 1, ""},
      {Fails, 0, "Invalid data."},
      {ThrowsOddly, 0, "TActionThread: Unknown exception."},
      {nullptr, 1, ""},
  };
  for (const auto& c : cases) {
    TActionThread t;
    t.SetFunction(c.Work);
    t.Start(0);
    WaitForEnd(t);
    EXPECT_EQ(t.Succeeded, c.Succeeded);
    EXPECT_EQ(t.ErrorMessage, c.Message);
  }
}

TEST(ActionThread, RefusesChangesAndASecondStartWhileRunning) {
  release = false;
  runs = 0;
  TActionThread t;
  t.SetFunction(Blocked);
  t.Start(0);
  EXPECT_TRUE(t.IsRunning());
  struct {
    void (*Call)(TActionThread&);
    const char* Message;
  } cases[] = {
      {[](TActionThread& a) { a.Start(0); }, "TActionThread: Already running."},
      {[](TActionThread& a) { a.SetFunction(Works); }, "TActionThread: Cannot initialize when running."},
      {[](TActionThread& a) { a.SetMethod([] {}); }, "TActionThread: Cannot initialize when running."},
  };
  for (const auto& c : cases) {
    try {
      c.Call(t);
      ADD_FAILURE() << c.Message;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.Message);
    }
  }
  EXPECT_TRUE(t.IsRunning()) << "the running work is left alone";
  release = true;
  WaitForEnd(t);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(t.Succeeded, 1);
}

TEST(ActionThread, ASecondRunAfterAFailureSucceedsAndKeepsTheOldMessage) {
  int calls = 0;
  TActionThread t;
  t.SetMethod([&] {
    if (++calls == 1) throw std::runtime_error("First run broke.");
  });
  t.Start(0);
  WaitForEnd(t);
  EXPECT_EQ(t.Succeeded, 0);
  t.Start(0);
  WaitForEnd(t);
  EXPECT_EQ(t.Succeeded, 1);
  EXPECT_EQ(t.ErrorMessage, "First run broke.") << "meaningful only while Succeeded is 0";
  EXPECT_EQ(calls, 2);
}

TEST(ActionThread, DestroyingWaitsForRunningWork) {
  release = false;
  runs = 0;
  {
    TActionThread t;
    t.SetFunction(Blocked);
    t.Start(0);
    std::thread releaser([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      release = true;
    });
    releaser.detach();
  }
  EXPECT_EQ(runs, 1) << "the work finished before the object went";
}

// The calling pattern: a nested frame loop polls the worker; its failure is
// raised again on the main thread.
class ActionThreadCaller : public AppTest::TAppFixture {};

TActionThread* polled = nullptr;
bool* pollDone = nullptr;
void PollWorker() { *pollDone = !polled->IsRunning(); }

TEST_F(ActionThreadCaller, TheFailureReachesTheWaitingCaller) {
  StartFullscreen();
  Clock.AdvanceOnSleep = true;
  Clock.StepPerRead = 1;
  auto runJob = [this](TActionThread::TFunction work) {
    TActionThread worker;
    worker.SetFunction(work);
    worker.Start(0);
    bool done = false;
    polled = &worker;
    pollDone = &done;
    App->RunModalLoop(&done, PollWorker, nullptr);
    if (!worker.Succeeded) throw std::runtime_error(worker.ErrorMessage);
  };
  EXPECT_NO_THROW(runJob(Works));
  try {
    runJob(Fails);
    FAIL() << "the failure was lost";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Invalid data.");
  }
  EXPECT_GT(AppTest::Log.Renders, 0) << "the interface kept drawing while waiting";
}

}  // namespace
