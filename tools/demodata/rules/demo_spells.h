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

// Sprite IDs in the spell sprite list, above the icons (7000 + spell number).
constexpr u32 SpellCastSpriteID = 7200, SpellFlightSpriteID = 7201, SpellImpactSpriteID = 7202,
              SpellRainSpriteID = 7203, SpellAreaSpriteID = 7204, SpellBeamSpriteID = 7205;

// The map spells' numbers in file order.
std::vector<i32> DemoMapSpellNumbers();
// Writes the map spells' records; the caller writes the count first.
void WriteMapSpells(TTextBuilder& t);
// The cast, flight and impact sprites of the map spells.
void AddMapSpellSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list);

}  // namespace Builder
