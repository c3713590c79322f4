// The pictures of the map screen's corner panels: the mini map's frame, the
// round panel behind the command buttons and the buttons at rest and lit,
// in the common sprite list; and the scenario's thumbnail, the map as the
// mini map shows it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/base/types.h"
#include "engine/gfx/sprite.h"

namespace Builder {

// The sprite ID of a map-screen slot; 0 for other slots.
u32 MapScreenSpriteID(i32 slot);
void AddMapScreenSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list);

// The 5-6-5 colour of the ground at a map pixel.
using TGroundFunction = std::function<u32(i32 px, i32 py)>;
// A picture of the map of width x height fields at the size of the mini
// map's picture, each pixel the ground at its middle.
std::unique_ptr<Gfx::TSprite> MapThumbnail(i32 width, i32 height, const TGroundFunction& ground);

}  // namespace Builder
