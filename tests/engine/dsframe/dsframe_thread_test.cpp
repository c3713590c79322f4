// The sound framework with its update thread: refills in real time while
// another thread mixes, and the demo music through SDL's dummy driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/astreams/audio_list.h"
#include "tests/engine/dsframe/dsframe_fixture.h"
#include "tools/databuilder/demo_sounds.h"

namespace {

using namespace DSFrameTest;
using Clock = std::chrono::steady_clock;

// The test thread plays the sound card: it mixes a hundredth of a second
// every ten milliseconds while the update thread refills.
TEST(SoundThread, RefillsAStreamingBufferWithoutGaps) {
  Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Manual);
  // Also when an assertion ends the test early: the next test wants SDL's output.
  struct TRestore {
    ~TRestore() { Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Sdl); }
  } restore;
  {
    // The stream outlives the framework, whose update thread reads it until the end.
    auto stream = RampStream(4 * 44100);
    DSFrame::TDSFramework f(nullptr);
    f.Initialize(-1, GameFlags, 16, 3, 500, 44100, 16, 2);
    const int track = f.PlayStream(stream.get(), 0, 100, false, false);
    ASSERT_GE(track, 0);
    Plat::TSoundBuffer* buffer = nullptr;
    {
      std::lock_guard<std::recursive_mutex> guard(f.Lock);
      buffer = f.Tracks[static_cast<std::size_t>(track)].Buffer;
    }
    std::vector<i16> out(441 * 2);
    auto next = Clock::now();
    for (i32 frame = 0; frame < 3 * 44100; frame += 441) {
      // A card plays at its pace: a test thread that was kept waiting does
      // not catch up in a burst the update thread could not have foreseen.
      next = std::max(next + std::chrono::milliseconds(10), Clock::now() - std::chrono::milliseconds(10));
      std::this_thread::sleep_until(next);
      f.DirectSound->Mix(out.data(), 441);
      for (i32 i = 0; i < 441; ++i) ASSERT_EQ(out[2 * static_cast<std::size_t>(i)], Ramp(frame + i)) << frame + i;
      // The public side takes the lock meanwhile.
      if (frame % 4410 == 0) {
        EXPECT_TRUE(f.IsPlaying(track));
      }
    }
    EXPECT_EQ(buffer->Underruns(), 0u);
    {
      std::lock_guard<std::recursive_mutex> guard(f.Lock);
      EXPECT_TRUE(f.IsPlayingNoLock(track));
      EXPECT_GE(f.GetPositionNoLock(track), 3 * 44100);
    }
  }
}

// What the program does at start-up: the game's settings, the menu music
// from a streaming list, and SDL's dummy driver (the test environment's)
// consuming it in real time.
TEST(SoundThread, TheDemoMusicAdvancesThroughSdlAudio) {
  Builder::TAudioListBuilder b;
  b.Add(Builder::DemoMusicID, AudioEntryMP3, Builder::DemoMusicMP3());
  TAudioList music;
  music.Open(new Data::TMemoryStream(b.Bytes()), false);
  DSFrame::TDSFramework f(nullptr);
  f.Initialize(-1, GameFlags, 16, 3, 500, 44100, 16, 2);
  ASSERT_TRUE(f.DirectSound->HasOutput());
  f.FadeToFromList(0, &music, Builder::DemoMusicID, 100, 0, false, true);
  int first = 0, later = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (Clock::now() < deadline && later <= first + 44100 / 2) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard<std::recursive_mutex> guard(f.Lock);
    if (!f.IsPlayingNoLock(0)) continue;
    if (first == 0) first = f.GetPositionNoLock(0);
    later = f.GetPositionNoLock(0);
  }
  EXPECT_GT(first, 0);
  EXPECT_GT(later, first + 44100 / 2);
  f.StopAll();
}

}  // namespace
