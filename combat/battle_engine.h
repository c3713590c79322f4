// The battle engine as the game world sees it: connected once at start-up.
#pragma once

namespace GameData {

// Makes the world's battle calls reach this engine.
void ConnectCombat();

}  // namespace GameData
