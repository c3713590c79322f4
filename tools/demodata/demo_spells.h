// The map spells of the demo data set: records that cover every drawing
// family, and their alpha sprites. Times, speeds and frame counts stay
// above 0 wherever the spells divide by them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/base/types.h"

namespace Gfx {
class TSprite;
}

namespace Builder {

class TTextBuilder;

// Sprite IDs in the spell sprite list.
constexpr u32 SpellCastSpriteID = 7100, SpellFlightSpriteID = 7101, SpellImpactSpriteID = 7102,
              SpellRainSpriteID = 7103, SpellAreaSpriteID = 7104, SpellBeamSpriteID = 7105;

// The map spells' numbers in file order.
std::vector<i32> DemoMapSpellNumbers();
// Writes the map spells' records; the caller writes the count first.
void WriteMapSpells(TTextBuilder& t);
// The cast, flight and impact sprites of the map spells.
void AddMapSpellSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list);

}  // namespace Builder
