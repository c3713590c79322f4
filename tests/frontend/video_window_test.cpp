// The video window: the film's rectangle on the screen, what ends a film,
// files that cannot be played, the sound framework going and coming back,
// the bars of a wide film, and a film suspended and resumed.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine/dxapp/dxapp.h"
#include "engine/platform/video/video_player.h"
#include "frontend/video_window.h"
#include "tests/engine/dxwin/window_fixture.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/support/temp_dir.h"
#include "tools/databuilder/video_builder.h"

namespace {

using Main::TVideoWindow;

TEST(VideoRectangle, FullWidthCentredFromTopToBottom) {
  const struct {
    int Width, Height;
    Base::TRect Rect;
  } cases[] = {
      {320, 240, {0, 0, 800, 600}},    {640, 480, {0, 0, 800, 600}},   {320, 180, {0, 75, 800, 525}},
      {1920, 1080, {0, 75, 800, 525}}, {800, 400, {0, 100, 800, 500}}, {300, 200, {0, 33, 800, 566}},
  };
  for (const auto& c : cases) {
    const Base::TRect r = TVideoWindow::VideoRectangle(c.Width, c.Height);
    EXPECT_EQ(r.Left, c.Rect.Left) << c.Width << "x" << c.Height;
    EXPECT_EQ(r.Top, c.Rect.Top) << c.Width << "x" << c.Height;
    EXPECT_EQ(r.Right, c.Rect.Right) << c.Width << "x" << c.Height;
    EXPECT_EQ(r.Bottom, c.Rect.Bottom) << c.Width << "x" << c.Height;
  }
}

std::vector<std::string> SoundCalls;

class VideoWindow : public WinTest::TWindowFixture {
 protected:
  void SetUp() override {
    WinTest::TWindowFixture::SetUp();
    Display = std::make_unique<TestSupport::TGfxDisplay>(800, 600);
    Films.Write("wide.mpg", Builder::TestFilm(160, 90, 1));
    Films.Write("full.mpg", Builder::TestFilm(160, 120, 1));
    Window = new TVideoWindow(Sys.get());
    Window->WithSound = false;
    Window->DeleteSoundSystem = [] { SoundCalls.push_back("delete"); };
    Window->RestartSoundSystem = [] { SoundCalls.push_back("restart"); };
    SoundCalls.clear();
  }
  void TearDown() override {
    delete Window;
    Display.reset();
    WinTest::TWindowFixture::TearDown();
  }
  // Plays a film; the script acts in each update step of its loop.
  void Play(const std::string& name, std::function<void(u32 step)> script) {
    const u32 start = App->UpdateCount;
    Clock.StepPerRead = 1;
    WinTest::Script = [this, start, script](u32 count) {
      // A film of a second ends long before; the loop must not run on.
      if (count - start > 20000) {
        ADD_FAILURE() << "the film never ended";
        App->Quit = 1;
      }
      // The decoder runs on its own thread: give it time.
      std::this_thread::sleep_for(std::chrono::microseconds(100));
      script(count - start);
    };
    Window->Play(Films.File(name));
    WinTest::Script = nullptr;
    Clock.StepPerRead = 0;
  }
  u16 Pixel(int x, int y) {
    Plat::TSurfaceDesc d;
    EXPECT_FALSE(Plat::Failed(Display->Back()->Lock(nullptr, d)));
    const u16 p = static_cast<const u16*>(d.Surface)[y * static_cast<int>(d.Pitch) / 2 + x];
    Display->Back()->Unlock();
    return p;
  }

  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  TestSupport::TTempDir Films;
  TVideoWindow* Window = nullptr;
};

TEST_F(VideoWindow, WhatEndsAFilmAndWhatIsSkipped) {
  Films.Write("empty.mpg", "");
  Films.Write("text.mpg", std::string(1024, 'x'));
  const struct {
    const char* File;
    Plat::WPARAM Key;  // 0 none, 1 a click
    u8 EndedBy;
  } cases[] = {
      {"full.mpg", Plat::VK_ESCAPE, 2}, {"full.mpg", Plat::VK_RETURN, 2}, {"wide.mpg", Plat::VK_SPACE, 2},
      {"wide.mpg", 1, 2},               {"full.mpg", 'A', 1},             {"wide.mpg", 0, 1},
      {"missing.mpg", 0, 0},            {"empty.mpg", 0, 0},              {"text.mpg", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.File) + " " + std::to_string(c.Key));
    SoundCalls.clear();
    bool opened = false;
    Play(c.File, [&](u32 step) {
      opened = Window->IsVisible() && Window->Player != nullptr;
      EXPECT_EQ(Window->Playing, 1);
      if (step != 5) return;
      if (c.Key == 1)
        Os->Click(DXWin::mbLeft, 400, 300);
      else if (c.Key != 0) {
        Os->KeyDown(c.Key);
        Os->KeyUp(c.Key);
      }
    });
    EXPECT_EQ(Window->EndedBy, c.EndedBy);
    EXPECT_EQ(opened, c.EndedBy != 0);
    EXPECT_EQ(SoundCalls, (std::vector<std::string>{"delete", "restart"}));
    EXPECT_EQ(Window->Playing, 0);
    EXPECT_EQ(Window->Player, nullptr);
    EXPECT_FALSE(Window->IsVisible());
  }
  // Skipped without a word.
  EXPECT_TRUE(Os->MessageBoxes.empty());
}

TEST_F(VideoWindow, AWideFilmLeavesBlackBarsAboveAndBelow) {
  int checked = 0;
  Play("wide.mpg", [&](u32 step) {
    // Once a picture has been shown; then end the film.
    if (checked > 0 || Pixel(400, 300) == 0) return;
    EXPECT_EQ(Window->VideoRect.Top, 75);
    for (int y : {0, 74, 525, 599}) EXPECT_EQ(Pixel(400, y), 0) << y;
    for (int y : {75, 300, 524}) EXPECT_NE(Pixel(400, y), 0) << y;
    checked = static_cast<int>(step);
    Window->EndVideo();
  });
  EXPECT_GT(checked, 0);
}

TEST_F(VideoWindow, ASuspendedFilmGoesOnWhereItStopped) {
  double saved = -1;
  u32 suspendedAt = 0;
  bool resumed = false;
  Play("full.mpg", [&](u32 step) {
    if (suspendedAt == 0 && Window->Player && Window->Player->Position() > 0.3) {
      Window->Suspend();
      saved = Window->SavedPosition;
      suspendedAt = step;
      EXPECT_EQ(Window->Player, nullptr);
      EXPECT_EQ(Window->Playing, 1);
    } else if (suspendedAt != 0 && !resumed && step == suspendedAt + 10) {
      // Nothing plays meanwhile.
      EXPECT_EQ(Window->Player, nullptr);
      Window->Resume();
      ASSERT_NE(Window->Player, nullptr);
      // The test's clock moves a millisecond each time it is read.
      EXPECT_NEAR(Window->Player->Position(), saved, 0.01);
      resumed = true;
    }
  });
  EXPECT_TRUE(resumed);
  EXPECT_GT(saved, 0.3);
  EXPECT_LT(saved, 1.0);
  EXPECT_EQ(Window->EndedBy, 1);
}

}  // namespace
