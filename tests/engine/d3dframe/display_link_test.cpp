// The application object's frame loop and display set-ups on the real
// framework: full screen, Alt+Enter to a window and back, lost surfaces.
#include <gtest/gtest.h>

#include <memory>

#include "engine/d3dframe/d3dframe.h"
#include "engine/d3dframe/display_link.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/system/clock.h"
#include "engine/platform/window/headless_platform.h"

namespace {

using namespace Plat;

struct TCalls {
  int Before = 0, After = 0, Restores = 0, Renders = 0;
} calls;

void OnBefore() { ++calls.Before; }
void OnAfter() { ++calls.After; }
void OnRestore() { ++calls.Restores; }
void OnRender() {
  ++calls.Renders;
  D3DFramework->PresentFrame();
}

class DisplayLink : public ::testing::Test {
 protected:
  void SetUp() override {
    calls = {};
    DisplayMachine() = FabricatedMachine();
    Install(std::make_unique<THeadlessPlatform>());
    Os = static_cast<THeadlessPlatform*>(&Current());
    SetClock(&Clock);
    SavedApp = DXApplication;
    App = std::make_unique<DXApp::TDXApplication>();
    DXApplication = App.get();
    App->Create(nullptr, "Orvandia", "OrvandiaWindow", 0xA0 | DXApp::AppAltEnterSwitch, 100, nullptr, nullptr,
                OnRender, OnRestore, OnBefore, OnAfter, nullptr, nullptr);
    Framework = std::make_unique<D3DFrame::TD3DFramework>(App->hWnd, "Orvandia", 3, 800, 600, 16, nullptr);
    D3DFramework = Framework.get();
    App->Display = &Link;
    App->SetFullscreen(-1, 50, 50, 800, 600);
  }
  void TearDown() override {
    App->Display = nullptr;
    D3DFramework = nullptr;
    Framework.reset();
    DXApplication = SavedApp;
    SetClock(nullptr);
    Install(nullptr);
  }
  void AltEnter() { Os->SendMessage(App->hWnd, WM_SYSKEYDOWN, VK_RETURN, KF_ALTDOWN_BIT); }

  THeadlessPlatform* Os = nullptr;
  TFakeClock Clock{1000};
  D3DFrame::TFrameworkDisplayLink Link;
  std::unique_ptr<D3DFrame::TD3DFramework> Framework;
  std::unique_ptr<DXApp::TDXApplication> App;
  DXApp::TDXApplication* SavedApp = nullptr;
};

TEST_F(DisplayLink, AltEnterSwitchesBetweenFullScreenAndAWindow) {
  EXPECT_FALSE(Framework->Windowed);
  EXPECT_TRUE(Os->Fullscreen);
  EXPECT_EQ(Link.ModeWidth(), 800);
  EXPECT_EQ(Link.ModeIndex(), 1);

  AltEnter();
  EXPECT_TRUE(Framework->Windowed);
  EXPECT_TRUE(Link.IsWindowed());
  EXPECT_FALSE(Os->Fullscreen);
  EXPECT_EQ(Framework->BackBuffer->Width(), 800);
  EXPECT_EQ(Framework->BackBuffer->Height(), 600);
  EXPECT_EQ(calls.Before, 1);
  EXPECT_EQ(calls.After, 1);

  AltEnter();
  EXPECT_FALSE(Framework->Windowed);
  EXPECT_TRUE(Os->Fullscreen);
  EXPECT_EQ(Framework->ModeIndex, 1) << "back to the mode it left";
  EXPECT_EQ(calls.After, 2);

  void* pixels = nullptr;
  int pitch = 0, width = 0, height = 0;
  ASSERT_TRUE(Link.LockBackBuffer(pixels, pitch, width, height));
  EXPECT_EQ(pixels, Framework->BackBuffer->Bits());
  EXPECT_EQ(pitch, 1600);
  Link.UnlockBackBuffer();
}

TEST_F(DisplayLink, TheFrameTickRestoresLostSurfaces) {
  App->FrameTick();
  const int shown = Os->PresentCount;
  EXPECT_GT(shown, 0);
  Framework->DirectDraw->SimulateSurfaceLoss();
  Clock.Advance(10);
  App->FrameTick();
  EXPECT_EQ(calls.Restores, 1);
  EXPECT_FALSE(Framework->SurfacesLost());
  EXPECT_GT(Os->PresentCount, shown);

  // Another program holding the screen: no frame.
  DisplayMachine().CooperativeLevel = Result::ExclusiveModeAlreadySet;
  const int renders = calls.Renders;
  Clock.Advance(50);
  App->FrameTick();
  EXPECT_EQ(calls.Renders, renders);
  DisplayMachine().CooperativeLevel = Result::Ok;
}

}  // namespace
