// The pictures of the demo map, drawn by small pixel functions: units,
// decorations, markers, corners, flags, banners, camps, the fog's soft edges
// and the mist of the overlay weather, and the plain plates the window
// sprites share. 16-bit pictures are 5-6-5 on the key DemoKey; the mist is
// premultiplied ARGB.
#pragma once

#include <memory>

#include "tools/databuilder/sprite_builder.h"

namespace Builder {

constexpr u16 DemoKey = 0xF81F;

u16 Colour565(u32 rgb);

// A plate of one colour, every seventh diagonal in half of it: window
// pieces, icons and the panels without a picture of their own.
TPixelFunction PanelPixels(u32 rgb);

// A person or beast 40 x 40, feet at row 38; frames move the legs, and the
// dying set sinks to the ground.
TPixelFunction Figure(u32 rgb, bool beast, bool dying);
// Decorations of the doodle prototypes.
TPixelFunction Tree(i32 w, i32 h);
TPixelFunction Rock(i32 w, i32 h);
TPixelFunction Spring(i32 w, i32 h);
TPixelFunction Flowers(i32 w, i32 h);
// The ring under a selected group, pulsing over four frames.
TPixelFunction Marker(u32 rgb, i32 w, i32 h);
// Selection corner 1 to 4: top left, top right, bottom left, bottom right.
TPixelFunction Corner(i32 which, i32 size);
// A pole with a cloth waving over four frames.
TPixelFunction Flag(u32 rgb, i32 w, i32 h);
// The banner sheet: a column per unit count (its dots), a row per colour.
TPixelFunction Banner(const u32 (&colours)[5], i32 cellWidth, i32 cellHeight);
// A tent with a fire, for the camp styles.
TPixelFunction Camp(i32 style, i32 size);
TPixelFunction Mist(i32 size);

// The sprite over a field whose 3 x 3 neighbourhood has the mask's bits
// (bit (dy + 1) * 3 + dx + 1 for the neighbour at dx, dy): for the visible
// mask it darkens what is not visible by half, for the explored mask it
// blackens what is unexplored; both fade out over a dithered band.
std::unique_ptr<Gfx::TSprite> FogEdgeSprite(u32 id, u32 mask, bool explored);

}  // namespace Builder
