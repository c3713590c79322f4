// Scripted events of the demo missions that change the world itself: the map,
// the view, the merchants and the computer opponent's plan.
#pragma once

#include <string>

#include "engine/base/types.h"

namespace GameData {
class TCity;
class TScenario;
class TUnit;
}  // namespace GameData

namespace Builder {

class TDemoOpponent;

// Mission 2's bridge: when a group of player 1 reaches the west bank at the
// bridge site, the city's battle master lays a bridge over the river (a
// doodle that opens the passage), its building is shown with an animation
// and the view is brought there, his shop closes, and the computer (player 2)
// sends the guard to its waiting guard task on the far bank.
constexpr const char* BridgeEventName = "Die Br\xFC" "cke";
constexpr i32 BridgeFieldX = 9, BridgeFieldY = 20;
// The conversation's ID; the guard task is the last task of the computer.
u32 AddBridgeEvent(GameData::TScenario& scenario, GameData::TCity& smithy, TDemoOpponent& computer,
                   const GameData::TUnit& guard);

}  // namespace Builder
