#include <gtest/gtest.h>

#include <vector>

#include "engine/platform/headless_platform.h"

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

TEST_F(Messages, ClientAreaFollowsTheFrame) {
  // Caption without sizing frame: dialog frame of 3, caption of 19.
  EXPECT_EQ(os->GetClientRect(wnd), (TRect{0, 0, 200, 200}));
  EXPECT_EQ(os->ClientToScreen(wnd, {0, 0}), (TPoint{13, 42}));
  os->SetWindowStyle(wnd, WS_POPUP);
  EXPECT_EQ(os->GetClientRect(wnd), (TRect{0, 0, 206, 225}));
  EXPECT_EQ(os->ScreenToClient(wnd, {10, 20}), (TPoint{0, 0}));
}

}  // namespace
