// Scripted events of the demo missions that place, kill and move units.
#pragma once

namespace GameData {
class TScenario;
}

namespace Builder {

// Mission 2, player 1's second round: reinforcements join the knight at the
// ford's west bank, the lone wolf falls and the pack draws back east, near
// enough to the knight on the hill for the player to see it. The event's
// conversation is named UnitEventName.
constexpr const char* UnitEventName = "Verst\xE4rkung";
void AddUnitEvents(GameData::TScenario& scenario);

}  // namespace Builder
