#include "world/scenario/sound.h"

#include "engine/dsframe/dsframe.h"
#include "world/data2/global_data.h"
#include "world/scenario/settings.h"

namespace GameData {

namespace {

constexpr int MusicTrack = 0;
constexpr int BackgroundTrack = 1;
constexpr int SpeechTrack = 2;

// The lists come with the global data, which loads after the sound device.
bool Ready() { return DSFramework && Data2::GlobalData; }

// The world's sounds on the sound device; tests connect a recorder instead.
class TDeviceSoundOutput final : public TSoundOutput {
 public:
  void PlayEffect(u32 soundID, i32 volume) override {
    if (Ready()) PlaySoundByID(&Data2::GlobalData->SoundList, soundID, volume);
  }
  void PlayStream(TAudioStream* sound, i32 volume) override {
    if (!DSFramework || !sound || volume == 0) return;
    DSFramework->PlayStream(sound, 0, volume, false, false);
  }
  void PlayBackgroundSound(u32 soundID, i32 volume, bool queued, bool fadeIn, bool loop) override {
    if (!Ready() || Main::SFXVolume == 0) return;
    TAudioList* list = &Data2::GlobalData->SoundList;
    if (queued)
      DSFramework->FadeToFromList(BackgroundTrack, list, soundID, volume, 0, fadeIn, loop);
    else
      DSFramework->PlayFromList(BackgroundTrack, list, soundID, volume, 0, fadeIn, loop);
  }
  void StopBackgroundSound(bool fade) override {
    if (!DSFramework) return;
    if (fade)
      DSFramework->FadeOutTrack(BackgroundTrack);
    else
      DSFramework->Stop(BackgroundTrack);
  }
  bool IsBackgroundSoundPlaying() override { return DSFramework && DSFramework->IsTrackPlaying(BackgroundTrack); }
};

TDeviceSoundOutput DeviceOutput;
TSoundOutput* Output = &DeviceOutput;

}  // namespace

void ConnectSoundOutput(TSoundOutput* output) { Output = output ? output : &DeviceOutput; }
bool HasSoundDevice() { return Output != &DeviceOutput || DSFramework != nullptr; }

void PlayMusic(u32 musicID, i32 volume, i32 startSample, bool fadeIn) {
  if (!Ready() || volume == 0) return;
  DSFramework->FadeToFromList(MusicTrack, &Data2::GlobalData->MusicList, musicID, volume, startSample, fadeIn, true);
}

void FadeOutMusic() {
  if (DSFramework && Main::MusicVolume != 0) DSFramework->FadeOutTrack(MusicTrack);
}

void PlaySound(TAudioStream* sound, i32 volume) { Output->PlayStream(sound, volume); }

void PlaySoundByID(TAudioList* list, u32 soundID, i32 volume) {
  if (!DSFramework || !list) return;
  PlaySound(list->FindStream(soundID), volume);
}

void PlaySpeech(u32 speechID) {
  if (!Ready() || Main::SpeechVolume == 0) return;
  DSFramework->FadeToFromList(SpeechTrack, &Data2::GlobalData->SpeechList, speechID, Main::SpeechVolume, 0, false,
                              false);
}

void FadeOutSpeech() {
  if (DSFramework) DSFramework->FadeOutTrack(SpeechTrack);
}

void PlayEffectByID(u32 soundID, i32 volume) { Output->PlayEffect(soundID, volume); }

void PlayBackgroundSound(u32 soundID, i32 volume, bool queued, bool fadeIn, bool loop) {
  Output->PlayBackgroundSound(soundID, volume, queued, fadeIn, loop);
}

void StopBackgroundSound(bool fade) { Output->StopBackgroundSound(fade); }

bool IsBackgroundSoundPlaying() { return Output->IsBackgroundSoundPlaying(); }

i32 GetEffectVolume() { return Data2::GlobalData ? Data2::GlobalData->EffectVolume * Main::SFXVolume / 100 : 0; }

}  // namespace GameData
