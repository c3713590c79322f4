// Fades, volumes and queued pieces of the sound framework, on a fake clock.
#include <gtest/gtest.h>

#include "engine/astreams/audio_list.h"
#include "tests/engine/dsframe/dsframe_fixture.h"

namespace {

using namespace DSFrameTest;

class Fades : public SoundFramework {
 protected:
  void SetUp() override {
    SoundFramework::SetUp();
    Make();
  }
  i32 BufferVolume(int track) {
    i32 v = 1;
    Track(track).Buffer->GetVolume(&v);
    return v;
  }
  void At(u32 ms) {
    Clock.Now = Start + ms;
    F->Update();
  }
  u32 Start = 0;
  std::unique_ptr<TAudioStream> Stream = RampStream(44100 * 5);
};

TEST_F(Fades, FadeInRisesOverOneAndAHalfSeconds) {
  struct TCase {
    u32 StartTime;
    int Volume;
    i32 Half, End;
  };
  // The last start lies just before the clock wraps around.
  const TCase cases[] = {{1000, 100, -1500, 0}, {1000, 75, -1625, -250}, {0xFFFFFC00u, 100, -1500, 0},
                         {1000, 13, -3000, -3000}};
  for (const TCase& c : cases) {
    Clock.Now = Start = c.StartTime;
    F->PlayOnTrack(5, Stream.get(), c.Volume, 0, true, false);
    EXPECT_EQ(Track(5).DSVolume, DSFrame::FadeFloor);
    EXPECT_EQ(BufferVolume(5), DSFrame::FadeFloor);
    At(750);
    EXPECT_EQ(Track(5).DSVolume, c.Half) << c.Volume;
    EXPECT_TRUE(Track(5).Flags & DSFrame::tfFading);
    At(1500);
    EXPECT_EQ(Track(5).DSVolume, c.End) << c.Volume;
    EXPECT_EQ(BufferVolume(5), c.End);
    EXPECT_FALSE(Track(5).Flags & DSFrame::tfFading);
    EXPECT_TRUE(F->IsPlaying(5));
  }
}

TEST_F(Fades, FadeOutPausesAPersistentTrackAndStopsAnOther) {
  for (int track : {1, 6}) {
    Clock.Now = Start = 5000;
    F->PlayOnTrack(track, Stream.get(), 100, 0, false, true);
    F->FadeOut(track);
    At(300);
    EXPECT_EQ(Track(track).DSVolume, -600);
    F->FadeOut(track);  // a second fade-out changes nothing
    EXPECT_EQ(Track(track).FadeStartTime, 5000u);
    At(1499);
    EXPECT_TRUE(F->IsPlaying(track));
    At(1500);
    EXPECT_FALSE(F->IsPlaying(track));
    EXPECT_EQ((Track(track).Flags & DSFrame::tfUsed) != 0, track < 3) << track;
  }
}

TEST_F(Fades, AQuietTrackFadesOutInTheNextPass) {
  F->PlayOnTrack(6, Stream.get(), 0, 0, false, false);
  EXPECT_EQ(Track(6).DSVolume, -4000);
  F->FadeOut(6);
  F->Update();
  EXPECT_FALSE(F->IsPlaying(6));
}

TEST_F(Fades, SetVolumeCancelsAFadeOnlyWithANewValue) {
  Clock.Now = Start = 1000;
  F->PlayOnTrack(6, Stream.get(), 50, 0, false, false);
  F->FadeOut(6);
  F->SetVolume(6, 50);
  EXPECT_TRUE(Track(6).Flags & DSFrame::tfFading);
  F->SetVolume(6, 75);
  EXPECT_FALSE(Track(6).Flags & DSFrame::tfFading);
  EXPECT_EQ(BufferVolume(6), -250);
  At(2000);
  EXPECT_TRUE(F->IsPlaying(6));
  EXPECT_EQ(BufferVolume(6), -250);
}

TEST_F(Fades, AQueuedPieceFollowsTheFadeOut) {
  Builder::TAudioListBuilder b;
  b.Add(1, AudioEntryAX, RampFile(44100));
  b.Add(2, AudioEntryAX, RampFile(22050));
  TAudioList list;
  list.Open(new Data::TMemoryStream(b.Bytes()), false);
  Clock.Now = Start = 1000;

  // On a stopped track the piece starts in the next pass.
  F->FadeToFromList(0, &list, 1, 80, 0, false, true);
  EXPECT_FALSE(F->IsPlaying(0));
  F->SetTrackVolume(0, 90);
  At(10);
  EXPECT_TRUE(F->IsPlaying(0));
  EXPECT_EQ(Track(0).Volume, 90);
  EXPECT_EQ(Track(0).Stream->Length, 44100);

  // The same piece again changes nothing; another one waits for the fade.
  F->FadeToFromList(0, &list, 1, 80, 0, false, true);
  EXPECT_FALSE(Track(0).Flags & DSFrame::tfFading);
  Start = Clock.Now;
  F->FadeToFromList(0, &list, 2, 70, 100, true, false);
  EXPECT_TRUE(Track(0).Flags & DSFrame::tfFading);
  At(750);
  EXPECT_EQ(Track(0).Stream->Length, 44100);
  At(1500);
  ASSERT_TRUE(F->IsPlaying(0));
  EXPECT_EQ(Track(0).CurrentID, 2u);
  EXPECT_EQ(Track(0).Stream->Length, 22050);
  EXPECT_EQ(Track(0).Volume, 70);
  EXPECT_TRUE(Track(0).Flags & DSFrame::tfFadeIn);
  EXPECT_FALSE(Track(0).Flags & DSFrame::tfLoop);
  // The start sample was honoured: the first fill began at frame 100.
  EXPECT_EQ(Track(0).StreamPosition, 100 + Track(0).BufferBytes / 4);
}

}  // namespace
