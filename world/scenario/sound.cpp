#include "world/scenario/sound.h"

#include "world/data2/global_data.h"
#include "world/scenario/settings.h"

namespace GameData {

namespace {
TSoundOutput* Output = nullptr;
}  // namespace

void ConnectSoundOutput(TSoundOutput* output) { Output = output; }
bool HasSoundDevice() { return Output != nullptr; }

// Music, speech and streams come with the sound module; until then they are
// silent, as they are without a device.
void PlayMusic(u32, i32, i32, bool) {}
void FadeOutMusic() {}
void PlaySound(TAudioStream*, i32) {}
void PlaySoundByID(TAudioList*, u32, i32) {}
void PlaySpeech(u32) {}
void FadeOutSpeech() {}

void PlayEffectByID(u32 soundID, i32 volume) {
  if (Output) Output->PlayEffect(soundID, volume);
}

void PlayBackgroundSound(u32 soundID, i32 volume, bool queued, bool fadeIn, bool loop) {
  if (Output) Output->PlayBackgroundSound(soundID, volume, queued, fadeIn, loop);
}

void StopBackgroundSound(bool fade) {
  if (Output) Output->StopBackgroundSound(fade);
}

bool IsBackgroundSoundPlaying() { return Output && Output->IsBackgroundSoundPlaying(); }

i32 GetEffectVolume() { return Data2::GlobalData ? Data2::GlobalData->EffectVolume * Main::SFXVolume / 100 : 0; }

}  // namespace GameData
