#include "world/scenario/sound.h"

#include "world/data2/global_data.h"
#include "world/scenario/settings.h"

namespace GameData {

// The sound device and its tracks come with the sound module; until then
// there is no device and every shortcut is silent, as it is without one.
void PlayMusic(u32, i32, i32, bool) {}
void FadeOutMusic() {}
void PlaySound(TAudioStream*, i32) {}
void PlaySoundByID(TAudioList*, u32, i32) {}
void PlaySpeech(u32) {}
void FadeOutSpeech() {}
void PlayBackgroundSound(u32, i32, bool, bool, bool) {}
void StopBackgroundSound(bool) {}
bool IsBackgroundSoundPlaying() { return false; }

i32 GetEffectVolume() { return Data2::GlobalData ? Data2::GlobalData->EffectVolume * Main::SFXVolume / 100 : 0; }

}  // namespace GameData
