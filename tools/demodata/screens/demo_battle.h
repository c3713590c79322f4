// The demo's battle screen: its buttons, order lines, self-spell ring and
// map marker in the common sprite list, and the battle backgrounds of an
// area and of a city in the scenario's sprite list.
#pragma once

#include <memory>
#include <vector>

#include "engine/base/types.h"
#include "engine/gfx/sprite.h"

namespace GameData {
class TScenario;
}

namespace Builder {

// Battle backgrounds in the scenario sprite list.
constexpr u32 FieldBattleBackgroundID = 230, CityBattleBackgroundID = 231;

// The common-list ID of a battle screen slot (1044-1052, 1078), 0 for others.
u32 BattleSpriteID(i32 slot);
void AddBattleSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list);
void AddBattleBackgrounds(std::vector<std::unique_ptr<Gfx::TSprite>>& list);
// The first area takes the field background, every city the city's, and
// the scenario lists the field background as its default.
void SetBattleBackgrounds(GameData::TScenario& scenario);
// Every city takes the city's background.
void SetCityBattleBackgrounds(GameData::TScenario& scenario);

}  // namespace Builder
