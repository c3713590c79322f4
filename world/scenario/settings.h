// The player's seven settings ("orvandia.ini", section "Settings"); the game
// controller reads and writes them, the game world only reads them.
#pragma once

#include "engine/base/types.h"

namespace Main {

extern i32 MusicVolume;
extern i32 SFXVolume;
extern i32 SpeechVolume;
extern i32 MovementSpeed;  // 0..4
extern i32 Difficulty;     // 0 "Leicht", 1 "Normal", 2 "Schwer"
extern bool ConfirmEndTurn;
extern bool CastInAutoCombat;

}  // namespace Main
