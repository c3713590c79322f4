// Shortcuts of the game world to the sound device: music, speech, background
// sounds and effects. Each does nothing while no sound device exists.
#pragma once

#include "engine/base/types.h"

class TAudioStream;
class TAudioList;

namespace GameData {

// Where the world's effects and background sounds go: the sound device, or a
// recorder that a test connects (null connects the device again).
class TSoundOutput {
 public:
  virtual ~TSoundOutput() = default;
  // Plays an entry of the global sound-effect list once.
  virtual void PlayEffect(u32 soundID, i32 volume) = 0;
  // Plays a sound object once; a recorder that does not ask for it hears nothing.
  virtual void PlayStream(TAudioStream* /*sound*/, i32 /*volume*/) {}
  virtual void PlayBackgroundSound(u32 soundID, i32 volume, bool queued, bool fadeIn, bool loop) = 0;
  virtual void StopBackgroundSound(bool fade) = 0;
  virtual bool IsBackgroundSoundPlaying() = 0;
};

void ConnectSoundOutput(TSoundOutput* output);
bool HasSoundDevice();

void PlayMusic(u32 musicID, i32 volume, i32 startSample, bool fadeIn);
void FadeOutMusic();
void PlaySound(TAudioStream* sound, i32 volume);
void PlaySoundByID(TAudioList* list, u32 soundID, i32 volume);
// An entry of the global sound-effect list, once.
void PlayEffectByID(u32 soundID, i32 volume);
void PlaySpeech(u32 speechID);
void FadeOutSpeech();
void PlayBackgroundSound(u32 soundID, i32 volume, bool queued, bool fadeIn, bool loop);
void StopBackgroundSound(bool fade);
bool IsBackgroundSoundPlaying();
// The volume of interface sound effects: the rules' effect volume scaled by the setting.
i32 GetEffectVolume();

}  // namespace GameData
