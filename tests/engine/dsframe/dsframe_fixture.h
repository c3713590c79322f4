// A sound framework on a device without output: the test mixes by hand and
// moves a fake clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/astreams/ax_stream.h"
#include "engine/dsframe/dsframe.h"
#include "engine/platform/system/clock.h"
#include "tests/engine/astreams/stream_helpers.h"
#include "tools/databuilder/sound_builder.h"

namespace DSFrameTest {

constexpr u32 Unthreaded = DSFrame::dsfContinuousPrimary | DSFrame::dsfExclusiveLevel;
constexpr u32 GameFlags = Unthreaded | DSFrame::dsfThreaded;

// Left of frame i is Ramp(i), right its negative: every frame tells where it came from.
inline i16 Ramp(i32 frame) { return static_cast<i16>(frame % 20000 + 1); }

inline std::string RampFile(i32 frames) {
  std::vector<i16> s;
  for (i32 i = 0; i < frames; ++i) s.insert(s.end(), {Ramp(i), static_cast<i16>(-Ramp(i))});
  return Builder::WriteAX({44100, 16, 2, 4}, s.data(), frames, false);
}

inline std::unique_ptr<TAudioStream> RampStream(i32 frames) {
  auto s = std::make_unique<TAXStream>();
  AudioTest::OpenOn(*s, RampFile(frames));
  return s;
}

class SoundFramework : public ::testing::Test {
 protected:
  void SetUp() override {
    Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Manual);
    Plat::SetClock(&Clock);
  }
  void TearDown() override {
    F.reset();
    Plat::SoundFaults() = {};
    Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Sdl);
    Plat::SetClock(nullptr);
    Plat::RegisterSoundLibrary();
  }

  // The game's set-up without the thread: 16 tracks, 3 persistent.
  void Make(u32 flags = Unthreaded, int bufferMs = 100) {
    F = std::make_unique<DSFrame::TDSFramework>(nullptr);
    F->Initialize(-1, flags, 16, 3, bufferMs, 44100, 16, 2);
  }

  std::vector<i16> Mix(int frames) {
    std::vector<i16> out(static_cast<std::size_t>(frames) * 2);
    F->DirectSound->Mix(out.data(), frames);
    return out;
  }

  // Mixes in steps of a tenth of the buffer with an update pass after each,
  // as the update thread would; the left channel of all of it.
  std::vector<i16> Play(int frames, int step = 441) {
    std::vector<i16> left;
    for (int done = 0; done < frames; done += step) {
      const auto out = Mix(step);
      for (int i = 0; i < step; ++i) left.push_back(out[2 * static_cast<std::size_t>(i)]);
      Clock.Advance(10);
      F->Update();
    }
    return left;
  }

  DSFrame::TTrack& Track(int i) { return F->Tracks[static_cast<std::size_t>(i)]; }

  Plat::TFakeClock Clock{1000};
  std::unique_ptr<DSFrame::TDSFramework> F;
};

}  // namespace DSFrameTest
