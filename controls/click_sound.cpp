#include "controls/click_sound.h"

#include "world/data2/global_data.h"
#include "world/scenario/sound.h"

namespace Main {

void PlayClickSound() {
  if (Data2::GlobalData) GameData::PlaySound(Data2::GlobalData->InterfaceSounds[2], GameData::GetEffectVolume());
}

}  // namespace Main
