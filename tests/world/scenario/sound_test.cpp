// The world's shortcuts to the sound device: music, speech, background
// sounds and effects on their tracks, and silence where a volume is 0.
#include <gtest/gtest.h>

#include "engine/dsframe/dsframe.h"
#include "tests/world/world_fixture.h"
#include "tools/databuilder/sound_builder.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"

namespace WorldTest {
namespace {

using namespace GameData;

class Sounds : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    const std::vector<i16> tone(3000, 500);
    Builder::TAudioListBuilder list;
    list.Add(1, AudioEntryAX, Builder::WriteAX({22050, 16, 1, 2}, tone.data(), 3000, false));
    list.Add(2, AudioEntryAX, Builder::WriteAX({22050, 16, 1, 2}, tone.data(), 2000, false));
    for (TAudioList* l : {&Global->SoundList, &Global->MusicList, &Global->SpeechList})
      l->Open(new Data::TMemoryStream(list.Bytes()), l == &Global->SoundList);
  }
  void TearDown() override {
    delete DSFramework;
    DSFramework = nullptr;
    Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Sdl);
    Main::SFXVolume = Main::SpeechVolume = Main::MusicVolume = 100;
    TWorldFixture::TearDown();
  }
  void StartDevice() {
    Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Manual);
    DSFramework = new DSFrame::TDSFramework(nullptr);
    DSFramework->Initialize(-1, 0x28, 16, 3, 500, 44100, 16, 2);
  }
  const DSFrame::TTrack& Track(int i) { return DSFramework->Tracks[static_cast<std::size_t>(i)]; }
};

TEST_F(Sounds, EverythingIsSilentWithoutADevice) {
  PlayMusic(1, 100, 0, false);
  PlaySound(Global->SoundList.FindStream(1), 100);
  PlayBackgroundSound(1, 100, false, false, true);
  PlaySpeech(1);
  StopBackgroundSound(true);
  EXPECT_FALSE(IsBackgroundSoundPlaying());
}

TEST_F(Sounds, EachKindGoesToItsTrack) {
  StartDevice();
  PlayMusic(2, 80, 0, false);
  PlaySpeech(1);
  DSFramework->Update();  // queued pieces start in the next pass
  EXPECT_TRUE(DSFramework->IsPlaying(0));
  EXPECT_TRUE(Track(0).Flags & DSFrame::tfLoop);
  EXPECT_EQ(Track(0).Volume, 80);
  EXPECT_EQ(Track(0).CurrentID, 2u);
  EXPECT_TRUE(DSFramework->IsPlaying(2));
  EXPECT_FALSE(Track(2).Flags & DSFrame::tfLoop);

  PlayBackgroundSound(1, 60, false, true, true);
  EXPECT_TRUE(IsBackgroundSoundPlaying());
  EXPECT_TRUE(Track(1).Flags & DSFrame::tfFadeIn);
  StopBackgroundSound(false);
  EXPECT_FALSE(IsBackgroundSoundPlaying());

  PlaySoundByID(&Global->SoundList, 2, 50);
  EXPECT_TRUE(DSFramework->IsPlaying(3));
  PlaySoundByID(&Global->SoundList, 9, 50);  // no such sound
  EXPECT_FALSE(DSFramework->IsPlaying(4));
}

TEST_F(Sounds, AZeroVolumePlaysNothing) {
  StartDevice();
  Main::SFXVolume = 0;
  PlayBackgroundSound(1, 60, false, false, true);
  EXPECT_FALSE(IsBackgroundSoundPlaying());
  PlaySound(Global->SoundList.FindStream(1), 0);
  PlayMusic(1, 0, 0, false);
  Main::SpeechVolume = 0;
  PlaySpeech(1);
  DSFramework->Update();
  EXPECT_EQ(DSFramework->UsedTracks, 0);
  EXPECT_EQ(GetEffectVolume(), 0);
}

}  // namespace
}  // namespace WorldTest
