#include "tests/engine/dxapp/app_fixture.h"

namespace AppTest {
namespace {

class FrameLoop : public TAppFixture {
 protected:
  void SetUp() override {
    TAppFixture::SetUp();
    StartFullscreen();
    App->FrameTick();  // the clocks restart here
    Log.Updates = Log.Renders = 0;
  }
};

TEST_F(FrameLoop, FirstTickAfterResetRendersWithoutUpdate) {
  App->ResetTiming = 1;
  Clock.Advance(500);
  App->FrameTick();
  EXPECT_EQ(Log.Renders, 1);
  EXPECT_EQ(Log.Updates, 0);
  EXPECT_EQ(App->LastUpdate, Clock.Now);
  EXPECT_EQ(Clock.SleepCalls, 0) << "no sleep after the restart render";
}

TEST_F(FrameLoop, NoStepDueMeansNothing) {
  Clock.Advance(9);
  App->FrameTick();
  EXPECT_EQ(Log.Updates + Log.Renders + Clock.SleepCalls, 0);
  Clock.Advance(1);
  App->FrameTick();
  EXPECT_EQ(Log.Updates, 1);
  EXPECT_EQ(Log.Renders, 1);
  EXPECT_EQ(Clock.SleepCalls, 1);
  EXPECT_EQ(App->GameTime, 10u);
  EXPECT_EQ(App->UpdateCount, 1u);
}

TEST_F(FrameLoop, CatchesUpHalfASecondRenderingOnlyAtTheEnd) {
  Clock.Advance(500);
  for (int i = 1; i <= 50; ++i) {
    App->FrameTick();
    EXPECT_EQ(Log.Updates, i);
    EXPECT_EQ(Log.Renders, i == 50 ? 1 : 0) << "tick " << i;
  }
  App->FrameTick();
  EXPECT_EQ(Log.Updates, 50);
  EXPECT_EQ(App->GameTime, 500u);
}

TEST_F(FrameLoop, LongStallRendersFirstThenCatchesUpSilently) {
  Clock.Advance(1500);
  App->FrameTick();
  EXPECT_EQ(Log.Renders, 1) << "over 1000 ms since the last render";
  for (int i = 2; i < 150; ++i) App->FrameTick();
  EXPECT_EQ(Log.Renders, 1);
  App->FrameTick();
  EXPECT_EQ(Log.Updates, 150);
  EXPECT_EQ(Log.Renders, 2);
}

TEST_F(FrameLoop, ScreenshotRequestRendersWhileBehind) {
  App->OnScreenshot = OnScreenshot;
  Clock.Advance(300);
  App->ScreenshotRequested = 1;
  App->FrameTick();
  EXPECT_EQ(Log.Renders, 1);
  EXPECT_EQ(Log.Screenshots, 1);
  EXPECT_EQ(App->ScreenshotRequested, 0);
}

TEST_F(FrameLoop, ClockWrapAroundIsASmallStep) {
  Clock.Now = 0xFFFFFFF8u;
  App->ResetTiming = 1;
  App->FrameTick();
  Clock.Advance(16);  // wraps past zero
  App->FrameTick();
  EXPECT_EQ(Log.Updates, 1);
  EXPECT_EQ(App->LastUpdate, 0x00000002u);
}

TEST_F(FrameLoop, FrameRateWindowAdvancesByExactlyOneSecond) {
  Clock.AdvanceOnSleep = false;
  u32 start = App->FpsStart;
  for (int i = 0; i < 101; ++i) {
    Clock.Advance(10);
    App->FrameTick();
  }
  // 1010 ms after the start: the first window longer than 1000 ms closes.
  EXPECT_EQ(App->FpsStart, start + 1000);
  EXPECT_EQ(App->FrameCount, 0);
  EXPECT_NEAR(App->FPS, 101 * 1000.0 / 1010, 0.01);
}

TEST_F(FrameLoop, UpdatesPerSecondLimitsAndSwitches) {
  App->SetUpdatesPerSecond(2000);
  EXPECT_EQ(App->UpdatesPerSecond, 1000);
  EXPECT_EQ(App->StepMs, 1);
  App->SetUpdatesPerSecond(30);
  EXPECT_EQ(App->StepMs, 33);
  App->SetUpdatesPerSecond(10);
  u32 gameTime = App->GameTime;
  EXPECT_EQ(App->StepMs, 100);
  App->SetUpdatesPerSecond(100);
  EXPECT_EQ(App->StepMs, 10);
  EXPECT_EQ(App->GameTime, gameTime);
  App->SetUpdatesPerSecond(0);
  EXPECT_EQ(App->StepMs, 10) << "variable mode keeps the old step";
}

TEST_F(FrameLoop, VariableStepClampsAndNeedsTenMilliseconds) {
  App->SetUpdatesPerSecond(0);
  App->ResetTiming = 1;
  App->FrameTick();
  Clock.Advance(5);
  App->FrameTick();
  EXPECT_EQ(Log.Updates, 0);
  Clock.Advance(195);
  App->FrameTick();
  EXPECT_EQ(Log.Updates, 1);
  EXPECT_EQ(App->DeltaTime, 50);
  EXPECT_EQ(App->UpdateCount, 0u) << "the update counter stands still in this mode";
}

TEST_F(FrameLoop, LostSurfacesRestoreOrWait) {
  Display.Lost = true;
  Display.RestoreSucceeds = false;
  Clock.Advance(10);
  App->FrameTick();
  EXPECT_EQ(Log.Updates + Log.Renders + Log.Restores, 0);
  Display.RestoreSucceeds = true;
  App->FrameTick();
  EXPECT_EQ(Log.Restores, 1);
  EXPECT_EQ(Log.Renders, 1) << "clocks restart after a restore";
  EXPECT_EQ(Log.Updates, 0);
}

TEST_F(FrameLoop, FailedRestoreIsFatal) {
  Log.ThrowInRestore = true;
  Display.Lost = true;
  App->FrameTick();
  ASSERT_EQ(Os->MessageBoxes.size(), 1u);
  EXPECT_EQ(Os->MessageBoxes[0].Text, "Restore broke.\nFatal error - program will now exit.");
  EXPECT_EQ(App->Quit, 1);
}

TEST_F(FrameLoop, DisplayHeldByAnotherProgramStopsTicks) {
  Display.Status = DXApp::TCooperativeStatus::HeldByOther;
  Clock.Advance(100);
  App->FrameTick();
  EXPECT_EQ(Log.Updates + Log.Renders, 0);
}

TEST_F(FrameLoop, MousePositionIsReadEachTick) {
  Os->MoveCursor(123, 456);
  App->FrameTick();
  EXPECT_EQ(App->MouseX, 123);
  EXPECT_EQ(App->MouseY, 456);
}

TEST_F(FrameLoop, ModalLoopRunsUntilDoneAndPutsCallbacksBack) {
  bool done = true;
  App->RunModalLoop(&done, nullptr, nullptr);
  EXPECT_EQ(Log.Updates, 0) << "entered done: returns at once";

  done = false;
  Log.DoneAfterUpdates = &done;
  Log.DoneAt = 3;
  Clock.StepPerRead = 1;
  auto otherRender = [] { Log.Events.push_back("modal render"); };
  Os->OnIdleWait = [] { FAIL() << "the active loop never waits"; };
  App->RunModalLoop(&done, nullptr, otherRender);
  EXPECT_EQ(Log.Updates, 3);
  EXPECT_EQ(Log.Renders, 0);
  EXPECT_FALSE(Log.Events.empty());
  EXPECT_EQ(App->OnRender, &OnRender);
  EXPECT_EQ(App->OnUpdate, &OnUpdate);
}

TEST_F(FrameLoop, RunEndsWithTheQuitCode) {
  App->Terminate();
  EXPECT_EQ(App->Run(), 0);
  EXPECT_EQ(Log.Destroys, 1);
  EXPECT_EQ(App->hWnd, nullptr);
  EXPECT_FALSE(Os->IsWindow(App->hWnd));
}

TEST_F(FrameLoop, InactiveLoopWaitsForMessages) {
  Send(Plat::WM_ACTIVATE, Plat::WA_INACTIVE);
  EXPECT_EQ(App->Active, 0);
  int waits = 0;
  Os->OnIdleWait = [&] {
    ++waits;
    Os->PostQuitMessage(3);
  };
  EXPECT_EQ(App->Run(), 3);
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(Log.Updates + Log.Renders, 0);
}

}  // namespace
}  // namespace AppTest
