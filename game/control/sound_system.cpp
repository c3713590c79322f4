#include "game/control/sound_system.h"

#include "engine/dsframe/dsframe.h"
#include "engine/dxapp/dxapp.h"

namespace Main {

u8 SoundStarted = 0;

void CreateSoundSystem() {
  DeleteSoundSystem();
  try {
    DSFramework = new DSFrame::TDSFramework(DXApplication->hWnd);
    DSFramework->Initialize(-1, DSFrame::dsfThreaded | DSFrame::dsfContinuousPrimary | DSFrame::dsfExclusiveLevel, 16, 3,
                            500, 44100, 16, 2);
    SoundStarted = 1;
  } catch (const EDirectXError&) {
    // No sound device: the game goes on without sound.
    DeleteSoundSystem();
  }
}

void RestartSoundSystem() {
  if (SoundStarted) CreateSoundSystem();
}

void DeleteSoundSystem() {
  delete DSFramework;
  DSFramework = nullptr;
}

}  // namespace Main
