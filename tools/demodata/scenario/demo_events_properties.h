// Mission 2's old spell book in the watchtower: the hero of the group that
// enters the tower rises a level, learns the stone-skin spell and wears it
// for three turns.
#pragma once

#include "engine/base/types.h"

namespace GameData {
class TConversation;
class TMapObject;
class TScenario;
}  // namespace GameData

namespace Builder {

constexpr const char* TowerBookConversation = "Das Zauberbuch";
// The spell the book teaches and whose effect it leaves.
constexpr i32 TowerBookSpell = 44;
constexpr i32 TowerBookTurns = 3, TowerBookDefence = 3;

GameData::TConversation* AddTowerBookEvent(GameData::TScenario& scenario, const GameData::TMapObject& tower);

}  // namespace Builder
