// The scenario's fog updates: a player's fog is recomputed with the fog of
// every player it is allied to, since their groups give it sight.
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace GameData {

void TScenario::UpdateFog(TPlayer* player) {
  if (!player) return;
  player->Fog->Recompute(true);
  for (TPlayer* other : Players)
    if (other != player && player->GetRelation(other) == rAllied) other->Fog->Recompute(true);
}

void TScenario::UpdateFogOf(i32 playerIndex) { UpdateFog(PlayerAt(playerIndex)); }

void TScenario::UpdateFogAll() {
  for (TPlayer* player : Players) player->Fog->Recompute(true);
}

void TScenario::ResetFogAll() {
  for (TPlayer* player : Players) {
    player->Fog->Reset();
    player->Fog->Recompute(false);
  }
}

}  // namespace GameData
