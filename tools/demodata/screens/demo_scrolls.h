// The pictures of the game's opening windows: the parchments and rods of the
// two scroll windows, the portrait frame, the book that opens in four frames,
// and the page and edges of the scenario introduction.
#pragma once

#include <memory>

#include "engine/gfx/sprite.h"

namespace Builder {

// Sprite-table slots of these pictures.
constexpr int HorizScrollSlot = 1082;  // background, then the rod at 1083
constexpr int VertScrollSlot = 1084;   // background, then the rod at 1085
constexpr int PortraitFrameSlot = 1086;
constexpr int BookSlot = 1092;
bool IsScrollSlot(int slot);
// The common-list sprite of one of those slots, with the given ID.
std::unique_ptr<Gfx::TSprite> ScrollSprite(int slot, u32 id);

// Window entries 8, 9 and 10: the introduction's page and its two edges.
constexpr int BookPageEntry = 8;
bool IsBookPageEntry(int entry);
std::unique_ptr<Gfx::TSprite> BookPageSprite(int entry, u32 id);

}  // namespace Builder
