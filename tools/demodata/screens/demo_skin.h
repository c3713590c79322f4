// The window sprites of the demo data: the pieces of the skinned controls
// (menu-button plate, scroll bars, check box) drawn by hand, plain panels
// for the other entries.
#pragma once

#include <memory>

#include "engine/gfx/sprite.h"

namespace Builder {

// The window sprite of a WindowSpriteIDs entry (0 to 56), with its ID.
std::unique_ptr<Gfx::TSprite> WindowSprite(int entry);

// Entries of the skin pieces.
constexpr int MenuButtonEntry = 4;
constexpr int VerticalScrollBarEntry = 12;    // 13 entries: thumb x3, unused, arrows x4 x2, track
constexpr int HorizontalScrollBarEntry = 25;  // the same order
constexpr int CheckBoxEntry = 38;             // checked x3, unchecked x3: normal, hover, pressed

}  // namespace Builder
