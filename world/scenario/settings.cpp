#include "world/scenario/settings.h"

namespace Main {

i32 MusicVolume = 100;
i32 SFXVolume = 100;
i32 SpeechVolume = 100;
i32 MovementSpeed = 2;
i32 Difficulty = 1;
bool ConfirmEndTurn = true;
bool CastInAutoCombat = true;

}  // namespace Main
