// The sound device's life in the program: made at start-up, taken down
// around every video and at the end. A machine without sound runs silent.
#pragma once

#include "engine/base/types.h"

namespace Main {

// Set once the sound device started; only then is it made again after a video.
extern u8 SoundStarted;

void CreateSoundSystem();
void RestartSoundSystem();
void DeleteSoundSystem();

}  // namespace Main
