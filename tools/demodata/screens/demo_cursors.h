// The demo's 24 mouse cursors, each kind its own shape: the arrow, moving,
// attacking, casting or not, meeting, entering, refused, waiting, the
// click marker, the eight scroll directions, dragging and its anchor,
// turning pages and the battle screen's shield.
#pragma once

#include <memory>

#include "engine/base/types.h"
#include "engine/gfx/sprite.h"

namespace Builder {

constexpr i32 CursorCount = 24;

// The cursor of interface slot 0 to 23 as a keyed 16-bit sprite with that ID,
// its hot spot on the point it acts on.
std::unique_ptr<Gfx::TSprite> CursorSprite(i32 slot, u32 id);

}  // namespace Builder
