#include "tests/engine/dxapp/app_fixture.h"

namespace AppTest {
namespace {

using namespace Plat;

class WindowProc : public TAppFixture {};

TEST_F(WindowProc, CreateCutsTheTitleAndStartsHiddenAndInactive) {
  std::string longTitle(85, 'T');
  Create(0xA0, 2000, longTitle.c_str());
  EXPECT_EQ(std::string(App->Title), std::string(79, 'T'));
  EXPECT_EQ(App->UpdatesPerSecond, 1000);
  EXPECT_EQ(App->StepMs, 1);
  EXPECT_EQ(App->Active, 0);
  EXPECT_EQ(App->ResetTiming, 1);
  EXPECT_EQ(Os->GetWindowStyle(App->hWnd), WS_POPUP | WS_SYSMENU);
}

TEST_F(WindowProc, SecondRegistrationOfTheClassFails) {
  Create();
  DXApp::TDXApplication second;
  try {
    second.Create(nullptr, "x", "OrvandiaWindow", 0, 100, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Register class failed.");
  }
}

TEST_F(WindowProc, CloseInFullscreenNeedsTerminateOrFlag) {
  StartFullscreen();
  EXPECT_EQ(Send(WM_CLOSE), 0);
  EXPECT_TRUE(Os->IsWindow(App->hWnd)) << "Alt+F4 in full screen does nothing";
  EXPECT_FALSE(Os->DefaultProcessed(WM_CLOSE));
  App->Terminate();
  Drain();
  EXPECT_EQ(App->hWnd, nullptr);
  EXPECT_EQ(Log.Destroys, 1);
}

TEST_F(WindowProc, CloseEndsTheProgramWithFlagOrWindowed) {
  StartFullscreen(0xA1);
  Send(WM_CLOSE);
  EXPECT_EQ(App->Quit, 1);
  Drain();
  EXPECT_EQ(Log.Destroys, 1);
}

TEST_F(WindowProc, WindowedSetupAndClose) {
  Create();
  App->SetWindowed(SW_MAXIMIZE, 40, 30, 800, 600);
  EXPECT_FALSE(Os->IsZoomed(App->hWnd)) << "fixed-size windows do not maximise";
  EXPECT_EQ(App->ClientRect, (TRect{43, 52, 843, 652}));
  EXPECT_EQ(Os->GetWindowRect(App->hWnd), (TRect{40, 30, 846, 655}));
  EXPECT_EQ(Display.WindowedInits, 1);
  EXPECT_EQ(App->Active, 1);
  Send(WM_CLOSE);
  EXPECT_EQ(App->Quit, 1);
}

TEST_F(WindowProc, WindowedFailureFallsBackToFullscreenWithFlag) {
  Create(0xA4);
  Display.FailInitWindowed = true;
  App->SetWindowed(SW_SHOWNORMAL, 0, 0, 800, 600);
  ASSERT_EQ(Os->MessageBoxes.size(), 1u);
  EXPECT_EQ(Os->MessageBoxes[0].Text,
            "SetCooperativeLevel failed (DDERR_GENERIC).\n\nError initializing windowed mode. Switching to fullscreen.");
  EXPECT_EQ(Display.FullscreenInits, 1);
  EXPECT_EQ(App->WindowRect, (TRect{50, 50, 696, 555}));

  TAppFixture::TearDown();
  TAppFixture::SetUp();
  Create(0xA0);
  Display.FailInitWindowed = true;
  EXPECT_THROW(App->SetWindowed(SW_SHOWNORMAL, 0, 0, 800, 600), EDirectXError);
}

TEST_F(WindowProc, AltIsSwallowedInFullscreenAndTracked) {
  StartFullscreen();
  EXPECT_EQ(Send(WM_SYSKEYDOWN, VK_MENU, KF_ALTDOWN_BIT), 0);
  EXPECT_FALSE(Os->DefaultProcessed(WM_SYSKEYDOWN));
  EXPECT_EQ(App->KeyState[VK_MENU], 1);
  Send(WM_SYSKEYUP, VK_MENU, 0);
  EXPECT_EQ(App->KeyState[VK_MENU], 0);
  Send(WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(Os->DefaultProcessed(WM_KEYDOWN)) << "other keys get default processing";
}

TEST_F(WindowProc, FixedAnswers) {
  StartFullscreen();
  EXPECT_EQ(Send(WM_POWERBROADCAST), BROADCAST_QUERY_DENY);
  TMinMaxInfo info{};
  Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.MinTrackSize, (TPoint{100, 100}));
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MAXIMIZE | 2), 0);
  EXPECT_FALSE(Os->DefaultProcessed(WM_SYSCOMMAND));
  // Full screen hides the cursor over the client area while active.
  EXPECT_EQ(Send(WM_SETCURSOR, 0, HTCLIENT), 1);
  EXPECT_FALSE(Os->CursorVisible());
}

TEST_F(WindowProc, ActivationPausesAndRestartsTheClocks) {
  StartFullscreen();
  App->FrameTick();
  EXPECT_EQ(App->ResetTiming, 0);
  Send(WM_ACTIVATEAPP, 0);
  Send(WM_ACTIVATE, WA_INACTIVE);
  EXPECT_EQ(Log.Deactivates, 1);
  EXPECT_EQ(App->Active, 0);
  Send(WM_ACTIVATEAPP, 1);
  Send(WM_ACTIVATE, WA_ACTIVE | 0x10000);  // still minimised
  EXPECT_EQ(App->Active, 0);
  Send(WM_ACTIVATE, WA_CLICKACTIVE);
  EXPECT_EQ(Log.Activates, 1);
  EXPECT_EQ(App->Active, 1);
  EXPECT_EQ(App->ResetTiming, 1);
  Send(WM_SIZE, SIZE_MINIMIZED);
  EXPECT_EQ(App->Active, 0);
}

TEST_F(WindowProc, ActivationIsIgnoredWhileWindowed) {
  Create();
  App->SetWindowed(SW_SHOWNORMAL, 0, 0, 800, 600);
  Send(WM_ACTIVATE, WA_INACTIVE);
  EXPECT_EQ(App->Active, 1) << "a window keeps running without focus";
}

TEST_F(WindowProc, ExceptionInHandlingIsShownAndProcessingGoesOn) {
  StartFullscreen();
  Log.ThrowInMessage = true;
  Send(WM_KEYDOWN, 'A', 0);
  ASSERT_EQ(Os->MessageBoxes.size(), 1u);
  EXPECT_EQ(Os->MessageBoxes[0].Text, "Key broke.");
  EXPECT_EQ(Os->MessageBoxes[0].Caption, "Orvandia");
  EXPECT_EQ(Os->MessageBoxes[0].Flags, MB_ICONERROR);
  EXPECT_TRUE(Os->DefaultProcessed(WM_KEYDOWN));
}

TEST_F(WindowProc, AltEnterSwitchesModesWithFlag) {
  StartFullscreen(0x1A0);
  Send(WM_SYSKEYDOWN, VK_RETURN, KF_ALTDOWN_BIT);
  EXPECT_TRUE(Display.Windowed);
  EXPECT_EQ(App->FullscreenMode, 1);
  EXPECT_EQ(Os->GetWindowRect(App->hWnd), (TRect{50, 50, 856, 675}));
  Send(WM_SYSKEYDOWN, VK_RETURN, KF_ALTDOWN_BIT);
  EXPECT_FALSE(Display.Windowed);
  EXPECT_EQ(Os->GetWindowStyle(App->hWnd), WS_POPUP | WS_SYSMENU);
}

TEST_F(WindowProc, SignalTerminatesInAnOrderlyWay) {
  StartFullscreen();
  Os->SimulateTerminateRequest();
  EXPECT_EQ(App->Quit, 1);
  EXPECT_EQ(App->Run(), 0);
  EXPECT_EQ(Log.Destroys, 1);
}

}  // namespace
}  // namespace AppTest
