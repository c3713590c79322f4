#include "game/map/range_ellipse.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/gfx/colors.h"
#include "engine/platform/display/surface.h"

namespace Main {

namespace {

struct TPoint {
  i32 X, Y;
  bool operator==(const TPoint&) const = default;
};

// The outline in drawing order, clockwise from the top, each pixel once, so
// that every other one is set as a pen walking around it would.
std::vector<TPoint> Outline(i32 r) {
  // One octant from the top, x growing, y shrinking (midpoint steps).
  std::vector<TPoint> octant;
  for (i32 x = 0, y = r, d = 1 - r; x <= y; ++x) {
    octant.push_back({x, y});
    if (d < 0) {
      d += 2 * x + 3;
    } else {
      d += 2 * (x - y) + 5;
      --y;
    }
  }
  const auto n = static_cast<i32>(octant.size());
  std::vector<TPoint> loop;
  const auto add = [&loop](TPoint p) {
    if (loop.empty() || !(loop.back() == p)) loop.push_back(p);
  };
  // Each quarter: the octant forward, then mirrored on the diagonal backward.
  const i32 sx[4] = {1, 1, -1, -1}, sy[4] = {-1, 1, 1, -1};
  for (i32 q = 0; q < 4; ++q) {
    const bool swap = q % 2 == 1;
    for (i32 i = 0; i < n; ++i) {
      const TPoint o = octant[static_cast<std::size_t>(i)];
      add(swap ? TPoint{sx[q] * o.Y, sy[q] * o.X} : TPoint{sx[q] * o.X, sy[q] * o.Y});
    }
    for (i32 i = n - 1; i >= 0; --i) {
      const TPoint o = octant[static_cast<std::size_t>(i)];
      add(swap ? TPoint{sx[q] * o.X, sy[q] * o.Y} : TPoint{sx[q] * o.Y, sy[q] * o.X});
    }
  }
  if (loop.size() > 1 && loop.front() == loop.back()) loop.pop_back();
  return loop;
}

}  // namespace

void DrawRangeEllipse(Plat::TSurface* surface, i32 cx, i32 cy, i32 radius, u32 rgb, const Base::TRect& clip) {
  if (!surface || radius <= 0) return;
  Plat::TSurfaceDesc desc;
  if (surface->Lock(nullptr, desc) != 0 || !desc.Surface) return;
  const i32 w = static_cast<i32>(desc.Width), h = static_cast<i32>(desc.Height);
  const i32 left = std::max(clip.Left, 0), top = std::max(clip.Top, 0);
  const i32 right = std::min(clip.Right, w), bottom = std::min(clip.Bottom, h);
  const i32 bytes = static_cast<i32>(desc.PixelFormat.BitCount / 8);
  const u32 colour = bytes == 2 ? Gfx::RGBToScreenColor(rgb) : rgb;
  const std::vector<TPoint> loop = Outline(radius);
  for (std::size_t i = 0; i < loop.size(); i += 2) {
    const i32 x = cx + loop[i].X, y = cy + loop[i].Y;
    if (x < left || x >= right || y < top || y >= bottom) continue;
    u8* p = static_cast<u8*>(desc.Surface) + static_cast<std::ptrdiff_t>(y) * desc.Pitch + x * bytes;
    if (bytes == 2) {
      const u16 c = static_cast<u16>(colour);
      std::memcpy(p, &c, 2);
    } else if (bytes == 4) {
      std::memcpy(p, &colour, 4);
    }
  }
  surface->Unlock();
}

}  // namespace Main
