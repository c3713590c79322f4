// The demo units' fight sprites: small figures of rounded limbs, lit from the
// upper left and outlined, for the five fight sets in the eight directions,
// so that a glance tells who stands, walks, strikes, casts, flinches or dies
// and which way each one faces.
#pragma once

#include <memory>
#include <vector>

#include "engine/base/types.h"

namespace Gfx {
class TSprite;
}

namespace Builder {

// The fight sets' pictures: 64 by 72, feet on the hot spot.
constexpr i16 FighterWidth = 64, FighterHeight = 72, FighterHotX = 32, FighterHotY = 60;

// The sprite of fight set 5 to 9 of a demo prototype in one direction.
u32 FightSpriteID(u32 prototype, i32 set, i32 direction);
// Frames of a fight set: 4 standing, 6 for the others.
i32 FightSetFrames(i32 set);
// All fight sprites of one prototype (1 to 5), 32-bit alpha.
void AddFightSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list, u32 prototype);

}  // namespace Builder
