// The shell's message hook and update step: input reaches the window
// system, Ctrl+G switches the screenshot series.
#include "engine/platform/window/platform.h"
#include "game/control/shell.h"
#include "tests/engine/dxwin/window_fixture.h"

namespace {

using namespace Plat;

class Shell : public WinTest::TWindowFixture {
 protected:
  void SetUp() override {
    TWindowFixture::SetUp();
    App->OnMessage = Main::HandleAppMessage;
    App->OnUpdate = Main::UpdateFrame;
    ::WindowSystem = Sys.get();
    Main::ScreenshotSeries = false;
  }
  void TearDown() override {
    ::WindowSystem = nullptr;
    Main::ScreenshotSeries = false;
    TWindowFixture::TearDown();
  }
};

TEST_F(Shell, InputReachesTheWindows) {
  DXWin::TDXWindow* w = OpenWindow({10, 10, 100, 100});
  WinTest::TEventLog log;
  DXWin::TDXButton* b = WinTest::MakeButton(w, w, "b", {0, 0, 20, 20});
  log.Watch(*b);
  Click(15, 15);
  Step();
  EXPECT_EQ(log.Only("click"), (std::vector<std::string>{"click b"}));
}

TEST_F(Shell, CtrlGSwitchesTheScreenshotSeries) {
  Key('G');
  EXPECT_FALSE(Main::ScreenshotSeries) << "G alone";
  Os->KeyDown(VK_CONTROL);
  Key('G');
  EXPECT_TRUE(Main::ScreenshotSeries);
  Os->KeyDown('G');
  Os->KeyDown('G', true);
  Os->KeyDown('G', true);
  Drain();
  EXPECT_FALSE(Main::ScreenshotSeries) << "every repeated key-down switches again";
  Os->KeyUp('G');
  Key('G');
  EXPECT_TRUE(Main::ScreenshotSeries);
  static int taken;
  taken = 0;
  App->OnScreenshot = [] { ++taken; };
  Step(8);
  EXPECT_EQ(taken, 2) << "every fourth update step, after its frame";
}

}  // namespace
