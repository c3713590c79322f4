#include "frontend/game_params.h"

#include "world/scenario/player.h"

namespace Main {

void TGameParams::SetDefaults() {
  GameType = SinglePlayer;
  for (i32 i = 0; i < 5; ++i) Players[i].Kind = i == 1 ? GameData::pkHuman : GameData::pkComputer;
}

}  // namespace Main
