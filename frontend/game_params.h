// How a game is started: its type, this machine's network player and the
// five players' kinds and names.
#pragma once

#include <string>

#include "engine/base/types.h"

namespace Main {

enum TGameType : u8 { SinglePlayer = 0, NetworkPlayer = 1, NoViewer = 2, NetworkSpectator = 3 };

struct TPlayerParams {
  u32 Kind = 0;  // GameData::TPlayerKind in the low byte
  std::string Name;
};

struct TGameParams {
  u8 GameType = SinglePlayer;
  u32 NetworkID = 0;  // this machine's player in a network game
  TPlayerParams Players[5];
  // A single-player game: player 1 the local human, every other a computer.
  void SetDefaults();
};

}  // namespace Main
