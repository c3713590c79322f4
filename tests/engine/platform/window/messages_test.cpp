#include <gtest/gtest.h>

#include <vector>

#include "engine/platform/window/headless_platform.h"

namespace {

using namespace Plat;

std::vector<TMsg> received;

LRESULT RecordingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  received.push_back({hWnd, msg, wParam, lParam});
  return Current().DefWindowProc(hWnd, msg, wParam, lParam);
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    received.clear();
    Install(std::make_unique<THeadlessPlatform>());
    os = static_cast<THeadlessPlatform*>(&Current());
    TWndClass wc;
    wc.WndProc = RecordingProc;
    wc.ClassName = "Test";
    ASSERT_TRUE(os->RegisterClass(wc));
    wnd = os->CreateWindow("TEST", "t", WS_CAPTION | WS_SYSMENU, 0, 10, 20, 206, 225);
    ASSERT_NE(wnd, nullptr);
  }
  void TearDown() override { Install(nullptr); }
  THeadlessPlatform* os = nullptr;
  HWND wnd = nullptr;
};

TEST_F(Messages, TranslatedCharComesRightAfterItsKey) {
  os->PostMessage(wnd, WM_KEYDOWN, VK_RETURN, 1);
  os->PostMessage(wnd, WM_KEYUP, VK_RETURN, 1);
  TMsg m;
  ASSERT_TRUE(os->GetMessage(m));
  os->TranslateMessage(m);
  os->DispatchMessage(m);
  ASSERT_TRUE(os->GetMessage(m));
  EXPECT_EQ(m.Message, WM_CHAR);
  EXPECT_EQ(m.wParam, VK_RETURN);
  ASSERT_TRUE(os->GetMessage(m));
  EXPECT_EQ(m.Message, WM_KEYUP);
}

TEST_F(Messages, QuitAndPeekWithoutRemoving) {
  os->PostQuitMessage(7);
  TMsg m;
  ASSERT_TRUE(os->PeekMessage(m, PM_NOREMOVE));
  ASSERT_TRUE(os->PeekMessage(m, PM_NOREMOVE));
  EXPECT_FALSE(os->GetMessage(m));
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(os->PeekMessage(m, PM_REMOVE));
  EXPECT_THROW(os->WaitMessage(), std::logic_error) << "a headless wait never blocks";
}

TEST_F(Messages, DefaultCloseDestroysAndAltF4Closes) {
  os->SendMessage(wnd, WM_SYSKEYDOWN, VK_F4, KF_ALTDOWN_BIT);
  ASSERT_GE(received.size(), 4u);
  EXPECT_EQ(received[1].Message, WM_SYSCOMMAND);
  EXPECT_EQ(received[2].Message, WM_CLOSE);
  EXPECT_EQ(received[3].Message, WM_DESTROY);
  EXPECT_FALSE(os->IsWindow(wnd));
}

TEST_F(Messages, KeyStateFollowsTheMessagesTakenAndFocusLossReleasesInput) {
  os->SetVideoMode(wnd, true, 800, 600);
  os->KeyDown(VK_MENU);
  os->KeyDown('F', false);
  os->KeyDown('F', true);
  os->MouseMove(-5, 700);
  os->MouseButton(0, true, 900, 10);
  os->LoseFocus();
  EXPECT_FALSE(os->IsKeyDown(VK_MENU)) << "nothing taken yet";
  struct TExpect {
    UINT Message;
    WPARAM wParam;
    LPARAM lParam;
  };
  const LPARAM up = static_cast<LPARAM>(0xE0000001u);  // Alt, previous state, released
  for (const TExpect& e : {TExpect{WM_SYSKEYDOWN, VK_MENU, 0x20000001}, TExpect{WM_SYSKEYDOWN, 'F', 0x20000001},
                           TExpect{WM_SYSKEYDOWN, 'F', 0x60000001}, TExpect{WM_SETCURSOR, 0, 0},
                           TExpect{WM_MOUSEMOVE, 0, MakeLParam(0, 599)}, TExpect{WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(799, 10)},
                           TExpect{WM_SYSKEYUP, VK_MENU, up}, TExpect{WM_KEYUP, 'F', static_cast<LPARAM>(0xC0000001u)},
                           TExpect{WM_LBUTTONUP, 0, MakeLParam(799, 10)}, TExpect{WM_ACTIVATE, WA_INACTIVE, 0},
                           TExpect{WM_ACTIVATEAPP, 0, 0}}) {
    TMsg m;
    ASSERT_TRUE(os->PeekMessage(m, PM_REMOVE));
    EXPECT_EQ(m.Message, e.Message);
    if (e.Message == WM_SETCURSOR) continue;
    EXPECT_EQ(m.wParam, e.wParam) << m.Message;
    EXPECT_EQ(m.lParam, e.lParam) << m.Message;
    if (m.Message == WM_LBUTTONDOWN) {
      EXPECT_TRUE(os->IsKeyDown(VK_MENU));
      EXPECT_TRUE(os->IsKeyDown('F'));
      EXPECT_TRUE(os->IsKeyDown(VK_LBUTTON));
    }
  }
  EXPECT_FALSE(os->IsKeyDown(VK_MENU));
  EXPECT_FALSE(os->IsKeyDown(VK_LBUTTON));
}

TEST_F(Messages, ClientAreaFollowsTheFrame) {
  // Caption without sizing frame: dialog frame of 3, caption of 19.
  EXPECT_EQ(os->GetClientRect(wnd), (TRect{0, 0, 200, 200}));
  EXPECT_EQ(os->ClientToScreen(wnd, {0, 0}), (TPoint{13, 42}));
  os->SetWindowStyle(wnd, WS_POPUP);
  EXPECT_EQ(os->GetClientRect(wnd), (TRect{0, 0, 206, 225}));
  EXPECT_EQ(os->ScreenToClient(wnd, {10, 20}), (TPoint{0, 0}));
}

}  // namespace
