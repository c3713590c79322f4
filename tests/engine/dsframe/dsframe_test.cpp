// The sound framework: opening the device and its errors, handing out tracks,
// and streams heard whole, looped and shared.
#include <gtest/gtest.h>

#include "engine/astreams/audio_list.h"
#include "tests/engine/dsframe/dsframe_fixture.h"

namespace {

using namespace DSFrameTest;
using DSFrame::EDirectSoundError;

TEST(SoundVolume, HundredthsOfADecibelFromPercent) {
  const std::pair<i32, i32> rows[] = {{100, 0},     {75, -250},   {50, -1000}, {25, -2250},
                                      {14, -2958},  {13, -3027},  {0, -4000},  {-5, -4000},
                                      {250, 0}};
  for (auto [volume, ds] : rows) EXPECT_EQ(DSFrame::VolumeToDSVolume(volume), ds) << volume;
}

TEST_F(SoundFramework, ConstructionAndOpeningFailWithTheirTexts) {
  Plat::SoundFaults().NoDevices = true;
  try {
    DSFrame::TDSFramework f(nullptr);
    FAIL();
  } catch (const EDirectSoundError& e) {
    EXPECT_STREQ(e.what(), "No sound devices were found during enumeration.");
  }
  Plat::SoundFaults() = {};
  Plat::UnregisterModule("dsound.dll");
  try {
    DSFrame::TDSFramework f(nullptr);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Load library 'dsound.dll' failed (The specified module could not be found).");
  }
  Plat::RegisterSoundLibrary();

  struct TCase {
    Plat::TSoundResult Plat::TSoundFaults::*Fault;
    Plat::TSoundResult Code;
    const char* Message;
  };
  const TCase cases[] = {
      {&Plat::TSoundFaults::Create, Plat::SoundErrNoDriver, "Error creating DirectSound (DSERR_NODRIVER)."},
      {&Plat::TSoundFaults::CooperativeLevel, static_cast<Plat::TSoundResult>(0x88780046u),
       "SetCooperativeLevel for DirectSound failed (DSERR_PRIOLEVELNEEDED)."},
      {&Plat::TSoundFaults::PrimaryBuffer, static_cast<Plat::TSoundResult>(0x8878000Au),
       "Error creating primary buffer (DSERR_ALLOCATED)."},
      {&Plat::TSoundFaults::PrimaryFormat, Plat::SoundErrBadFormat,
       "Error setting format of primary buffer (DSERR_BADFORMAT)."},
      {&Plat::TSoundFaults::PrimaryPlay, Plat::SoundErrInvalidCall,
       "Error setting primary buffer to continuous play mode (DSERR_INVALIDCALL)."},
  };
  for (const TCase& c : cases) {
    Plat::SoundFaults() = {};
    Plat::SoundFaults().*c.Fault = c.Code;
    DSFrame::TDSFramework f(nullptr);
    try {
      f.Initialize(-1, Unthreaded, 16, 3, 500, 44100, 16, 2);
      ADD_FAILURE() << c.Message;
    } catch (const EDirectSoundError& e) {
      EXPECT_STREQ(e.what(), c.Message);
      EXPECT_EQ(e.Code, c.Code);
    }
  }
  Plat::SoundFaults() = {};
  Make();
  Plat::SoundFaults().SecondaryBuffer = Plat::SoundErrBadFormat;
  auto s = RampStream(100);
  try {
    F->PlayStream(s.get(), 0, 100, false, false);
    FAIL();
  } catch (const EDirectSoundError& e) {
    EXPECT_STREQ(e.what(), "Error creating secondary buffer (DSERR_BADFORMAT).");
  }
  EXPECT_EQ(F->UsedTracks, 0);
}

TEST_F(SoundFramework, InitializeKeepsItsLimits) {
  Make(Unthreaded, 20);
  EXPECT_EQ(F->BufferMs, 50);
  EXPECT_EQ(F->Device, F->PrimaryDevice);
  EXPECT_EQ(F->TrackCount, 16);
  EXPECT_EQ(F->PersistentTrackCount, 3);
  F->Initialize(7, Unthreaded, 4, 1, 500, 22050, 8, 1);
  EXPECT_EQ(F->Device, F->PrimaryDevice);
  EXPECT_EQ(F->Format.BlockAlign, 1u);
  auto s = RampStream(100);
  EXPECT_EQ(F->PlayStream(s.get(), 0, 100, false, false), 1);
  EXPECT_EQ(Track(1).BufferBytes, 22050 * 4);  // half a second at the stream's format
}

TEST_F(SoundFramework, EffectsGetOnlyTheNonPersistentTracks) {
  Make();
  std::vector<std::unique_ptr<TAudioStream>> streams;
  for (int i = 0; i < 13; ++i) {
    streams.push_back(RampStream(100));
    EXPECT_EQ(F->PlayStream(streams.back().get(), 0, 100, false, false), 3 + i);
  }
  auto extra = RampStream(100);
  EXPECT_EQ(F->PlayStream(extra.get(), 0, 100, false, false), -1);
  try {
    F->PlayStream(extra.get(), 0, 100, false, true);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "All tracks are used.");
  }
  // A free track whose buffer has the stream's format comes first.
  const std::vector<i16> mono(50, 7);
  TAXStream monoStream;
  AudioTest::OpenOn(monoStream, Builder::WriteAX({22050, 16, 1, 2}, mono.data(), 50, false));
  F->Stop(3);
  F->Stop(4);
  EXPECT_EQ(F->PlayStream(&monoStream, 0, 100, false, false), 3);
  F->Stop(3);
  EXPECT_EQ(F->PlayStream(streams[0].get(), 0, 100, false, false), 4);
  EXPECT_EQ(F->PlayStream(&monoStream, 0, 100, false, false), 3);
}

TEST_F(SoundFramework, AShortStreamIsHeardWholeThenItsTrackEnds) {
  Make();
  auto s = RampStream(1000);
  const int track = F->PlayStream(s.get(), 0, 100, false, false);
  EXPECT_EQ(Track(track).EndMark, 4000);
  const std::vector<i16> left = Play(4410 + 2 * 441);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(left[i], Ramp(i)) << i;
  for (std::size_t i = 1000; i < left.size(); ++i) ASSERT_EQ(left[i], 0) << i;
  EXPECT_FALSE(F->IsPlaying(track));
  EXPECT_EQ(F->UsedTracks, 0);
}

TEST_F(SoundFramework, AStreamWithNothingInItEndsToo) {
  Make();
  for (u32 flags : {0u, DSFrame::tfLoop}) {
    auto s = RampStream(0);
    const int track = F->PlayStream(s.get(), flags, 100, false, false);
    Play(4410 + 2 * 441);
    EXPECT_FALSE(F->IsPlaying(track)) << flags;
  }
}

TEST_F(SoundFramework, ALoopShorterThanTheBufferRepeats) {
  Make();
  auto s = RampStream(1000);
  const int track = F->PlayStream(s.get(), DSFrame::tfLoop, 100, false, false);
  const std::vector<i16> left = Play(3 * 4410);
  for (std::size_t i = 0; i < left.size(); ++i) ASSERT_EQ(left[i], Ramp(static_cast<i32>(i % 1000))) << i;
  EXPECT_TRUE(F->IsPlaying(track));
  EXPECT_EQ(Track(track).Buffer->Underruns(), 0u);
}

TEST_F(SoundFramework, RefillsKeepALongStreamWithoutGaps) {
  Make();
  auto s = RampStream(3 * 44100);
  const int track = F->PlayStream(s.get(), 0, 100, false, false);
  Plat::TSoundBuffer* buffer = Track(track).Buffer;
  const std::vector<i16> left = Play(3 * 44100, 512);
  for (i32 i = 0; i < 3 * 44100; ++i) ASSERT_EQ(left[static_cast<std::size_t>(i)], Ramp(i)) << i;
  EXPECT_EQ(buffer->Underruns(), 0u);
  // The position is the stream's after the last refill, up to a buffer ahead.
  Make();
  auto t = RampStream(3 * 44100);
  F->PlayStream(t.get(), 0, 100, false, false);
  Play(44100);
  EXPECT_GE(F->GetPositionNoLock(3), 44100);
  EXPECT_LE(F->GetPositionNoLock(3), 44100 + 4410);
}

TEST_F(SoundFramework, TracksShareAPreloadedStreamEachAtItsOwnPlace) {
  Make();
  Builder::TAudioListBuilder b;
  b.Add(1, AudioEntryAX, RampFile(20000));
  TAudioList list;
  list.Open(new Data::TMemoryStream(b.Bytes()), true);
  TAudioStream* shared = list.FindStream(1);
  F->PlayStream(shared, 0, 100, false, false);
  Play(441 * 5);
  F->PlayStream(shared, 0, 100, false, false);
  const std::vector<i16> left = Play(441 * 20);
  for (std::size_t i = 0; i < left.size(); ++i)
    ASSERT_EQ(left[i], Ramp(static_cast<i32>(i) + 441 * 5) + Ramp(static_cast<i32>(i))) << i;
}

TEST_F(SoundFramework, StopAllLeavesPausedTracksAndCloseReleasesThem) {
  Make();
  auto music = RampStream(44100), effect = RampStream(44100);
  F->PlayOnTrack(0, music.get(), 100, 0, false, true);
  F->PlayStream(effect.get(), 0, 100, false, false);
  F->FadeOut(0);
  Clock.Advance(1500);
  F->Update();
  EXPECT_TRUE(Track(0).Flags & DSFrame::tfUsed);
  EXPECT_FALSE(F->IsPlaying(0));
  F->StopAll();
  EXPECT_EQ(F->UsedTracks, 1);
  EXPECT_TRUE(Track(0).Flags & DSFrame::tfUsed);
  F->Close();
  EXPECT_EQ(F->UsedTracks, 0);
  EXPECT_EQ(F->TrackCount, 0);
}

}  // namespace
