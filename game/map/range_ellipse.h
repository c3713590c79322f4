// The outline of a circle drawn with a pen that sets every other pixel, as
// the map shows the reach of an armed spell.
#pragma once

#include "engine/base/rect.h"
#include "engine/base/types.h"

namespace Plat {
class TSurface;
}

namespace Main {

// Around (cx, cy) with the radius, in 0x00RRGGBB, clipped to the rectangle
// and the surface.
void DrawRangeEllipse(Plat::TSurface* surface, i32 cx, i32 cy, i32 radius, u32 rgb, const Base::TRect& clip);

}  // namespace Main
