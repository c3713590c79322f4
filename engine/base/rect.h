// Rectangles: left, top, right, bottom; right and bottom exclusive.
#pragma once

#include <algorithm>

#include "engine/platform/window/wintypes.h"

namespace Base {

using TRect = Plat::TRect;

inline bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

// The common part; empty rectangles give an empty (all zero) result.
inline bool IntersectRect(TRect& out, const TRect& a, const TRect& b) {
  out = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  if (IsRectEmpty(out)) {
    out = {};
    return false;
  }
  return true;
}

// The smallest rectangle holding both; an empty one adds nothing.
inline TRect UnionRect(const TRect& a, const TRect& b) {
  if (IsRectEmpty(a)) return IsRectEmpty(b) ? TRect{} : b;
  if (IsRectEmpty(b)) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

inline bool PointInRect(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

}  // namespace Base
