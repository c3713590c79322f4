// The diary's pictures: its four tabs, beside the spell book's on the same
// book.
#pragma once

#include <memory>
#include <vector>

#include "engine/base/types.h"
#include "engine/gfx/sprite.h"

namespace Builder {

// The sprite ID of a diary tab's sprite-table slot; 0 for other slots.
u32 DiarySpriteID(i32 slot);
void AddDiarySprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list);

}  // namespace Builder
