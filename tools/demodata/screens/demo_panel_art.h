// The pictures of the unit panels, the detail window and the spell book:
// panel backgrounds, rings and overlays, gauges, school pictures, book tabs
// and frames, in the common sprite list.
#pragma once

#include <memory>
#include <vector>

#include "engine/base/types.h"
#include "engine/gfx/sprite.h"

namespace Builder {

// Rows at the top of the group panel's background left open: the band where
// the panel of the slot above overlaps it.
constexpr i32 PanelOverlap = 10;

// The sprite ID of a panel picture's sprite-table slot; 0 for other slots.
u32 PanelSpriteID(i32 slot);
void AddPanelSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list);

}  // namespace Builder
