// Small services of the map drawing shared by the scenario and its objects.
#pragma once

#include <string_view>

#include "engine/base/rect.h"
#include "engine/base/types.h"

namespace Gfx {
class TFont;
class TBitmap;
}
namespace Plat {
class TSurface;
}

namespace GameData {

// The text centred on x (x - its width / 2), its top at y.
void DrawTextCentered(Gfx::TFont* font, Plat::TSurface* target, i32 x, i32 y, std::string_view text, u32 colour,
                      const Base::TRect* clip);

// The four selection corners (global sprites 1 to 4) inside a rectangle on
// the target: top left, top right, bottom left, bottom right, placed by the
// size of the second.
void DrawSelectionCorners(Plat::TSurface* target, const Base::TRect& rect, const Base::TRect* clip);
void DrawSelectionCorners(Gfx::TBitmap* target, const Base::TRect& rect, const Base::TRect* clip);

}  // namespace GameData
