#include "engine/base/base.h"
#include "tests/engine/dxapp/app_fixture.h"
#include "tests/support/temp_dir.h"

namespace AppTest {
namespace {

class Screenshot : public TAppFixture {
 protected:
  void SetUp() override {
    TAppFixture::SetUp();
    SavedDir = Base::AppDir;
    Base::AppDir = Dir.Path();
  }
  void TearDown() override {
    Base::AppDir = SavedDir;
    TAppFixture::TearDown();
  }
  TestSupport::TTempDir Dir;
  std::string SavedDir;
};

TEST_F(Screenshot, NumbersFromZeroInEveryRunAndMakesTheFolder) {
  StartFullscreen();
  Display.Buffer[0] = 0xF800;
  Display.Buffer[800 * 599] = 0x001F;
  App->TakeScreenshot();
  App->TakeScreenshot();
  EXPECT_EQ(App->ScreenshotNumber, 2u);
  EXPECT_EQ(Display.Locks, 2);
  EXPECT_EQ(Display.Unlocks, 2);
  std::string first = Dir.Read("Bmp/000000.bmp");
  ASSERT_EQ(first.size(), 66u + 800 * 600 * 2);
  EXPECT_EQ(Dir.Read("Bmp/000001.bmp").size(), first.size());
  // Bottom-up: the last row (blue pixel first) starts the pixel data.
  EXPECT_EQ(static_cast<u8>(first[66]), 0x1F);
  EXPECT_EQ(static_cast<u8>(first[66 + 1600 * 599 + 1]), 0xF8);

  // A second run starts again at 000000 and overwrites.
  DXApp::TDXApplication second;
  second.Display = &Display;
  Display.Buffer[800 * 599] = 0x07E0;
  second.TakeScreenshot();
  EXPECT_EQ(static_cast<u8>(Dir.Read("Bmp/000000.bmp")[67]), 0x07);
}

TEST_F(Screenshot, RequestedThroughTheFrameLoop) {
  StartFullscreen();
  App->FrameTick();
  App->ScreenshotRequested = 1;
  Clock.Advance(10);
  App->FrameTick();
  EXPECT_EQ(App->ScreenshotNumber, 1u);
  EXPECT_EQ(App->ScreenshotRequested, 0);
}

}  // namespace
}  // namespace AppTest
