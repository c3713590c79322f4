#include "engine/platform/display/blitter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace Plat {

namespace {

template <typename P>
P* Row(const TPixelView& v, int y) {
  return reinterpret_cast<P*>(v.Bits + static_cast<std::ptrdiff_t>(v.Pitch) * y);
}

template <typename P>
void FillRows(const TPixelView& dst, P color) {
  for (int y = 0; y < dst.Height; ++y) std::fill_n(Row<P>(dst, y), dst.Width, color);
}

// The loop stays free of branches so that the compiler turns it into vector
// selects.
template <typename P>
void CopyRowKeyed(const P* __restrict src, P* __restrict dst, int count, P key) {
  for (int i = 0; i < count; ++i) {
    P s = src[i];
    dst[i] = s == key ? dst[i] : s;
  }
}

template <typename P>
void CopyRows(const TPixelView& dst, const TPixelView& src, TBlitKey key) {
  const std::size_t rowBytes = static_cast<std::size_t>(dst.Width) * sizeof(P);
  // Within one surface a lower destination is copied from the bottom up;
  // memmove handles rows that overlap sideways.
  const bool upward = dst.Bits > src.Bits;
  for (int i = 0; i < dst.Height; ++i) {
    int y = upward ? dst.Height - 1 - i : i;
    P* d = Row<P>(dst, y);
    const P* s = Row<P>(src, y);
    if (!key.Enabled) {
      std::memmove(d, s, rowBytes);
    } else if (d + dst.Width <= s || s + dst.Width <= d) {
      CopyRowKeyed<P>(s, d, dst.Width, static_cast<P>(key.Value));
    } else {
      std::vector<P> row(s, s + dst.Width);
      CopyRowKeyed<P>(row.data(), d, dst.Width, static_cast<P>(key.Value));
    }
  }
}

// Index of the source pixel whose span holds destination pixel i's centre.
inline int NearestIndex(int i, int srcSize, int dstSize) {
  return static_cast<int>((static_cast<std::int64_t>(2 * i + 1) * srcSize) / (2 * static_cast<std::int64_t>(dstSize)));
}

template <typename P>
void StretchRows(const TPixelView& dst, const TPixelView& src, bool mirrorX, bool mirrorY, TBlitKey key) {
  std::vector<int> columns(static_cast<std::size_t>(dst.Width));
  for (int x = 0; x < dst.Width; ++x) columns[x] = NearestIndex(mirrorX ? dst.Width - 1 - x : x, src.Width, dst.Width);
  const P k = static_cast<P>(key.Value);
  for (int y = 0; y < dst.Height; ++y) {
    const P* s = Row<P>(src, NearestIndex(mirrorY ? dst.Height - 1 - y : y, src.Height, dst.Height));
    P* d = Row<P>(dst, y);
    if (key.Enabled) {
      for (int x = 0; x < dst.Width; ++x) {
        P v = s[columns[x]];
        if (v != k) d[x] = v;
      }
    } else {
      for (int x = 0; x < dst.Width; ++x) d[x] = s[columns[x]];
    }
  }
}

template <typename P>
void RotateRows(const TPixelView& dst, const TPixelView& src, double cx, double cy, double w, double h, double angle,
                TBlitKey key) {
  if (w <= 0 || h <= 0 || src.Width <= 0 || src.Height <= 0) return;
  const double c = std::cos(angle), s = std::sin(angle);
  // The turned rectangle's bounding box, clipped to the destination.
  const double ex = (std::fabs(c) * w + std::fabs(s) * h) / 2, ey = (std::fabs(s) * w + std::fabs(c) * h) / 2;
  const auto within = [](double v, int size) { return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(size))); };
  const int x0 = within(std::floor(cx - ex), dst.Width), x1 = within(std::ceil(cx + ex), dst.Width);
  const int y0 = within(std::floor(cy - ey), dst.Height), y1 = within(std::ceil(cy + ey), dst.Height);
  // Source coordinates step linearly along a row: 16.16 fixed point.
  const double sx = src.Width / w, sy = src.Height / h;
  const auto fixed = [](double v) { return static_cast<std::int64_t>(std::floor(v * 65536.0)); };
  const std::int64_t du = fixed(c * sx), dv = fixed(-s * sy);
  const std::int64_t maxU = static_cast<std::int64_t>(src.Width) << 16, maxV = static_cast<std::int64_t>(src.Height) << 16;
  const P k = static_cast<P>(key.Value);
  for (int y = y0; y < y1; ++y) {
    const double py = y + 0.5 - cy, px = x0 + 0.5 - cx;
    std::int64_t u = fixed((c * px + s * py + w / 2) * sx);
    std::int64_t v = fixed((-s * px + c * py + h / 2) * sy);
    P* d = Row<P>(dst, y);
    for (int x = x0; x < x1; ++x, u += du, v += dv) {
      if (u < 0 || v < 0 || u >= maxU || v >= maxV) continue;
      P value = Row<P>(src, static_cast<int>(v >> 16))[u >> 16];
      if (!key.Enabled || value != k) d[x] = value;
    }
  }
}

}  // namespace

void CopyRowKeyed16(const std::uint16_t* src, std::uint16_t* dst, int count, std::uint16_t key) {
  CopyRowKeyed<std::uint16_t>(src, dst, count, key);
}

void CopyRowKeyed32(const std::uint32_t* src, std::uint32_t* dst, int count, std::uint32_t key) {
  CopyRowKeyed<std::uint32_t>(src, dst, count, key);
}

void FillPixels(const TPixelView& dst, std::uint32_t color) {
  if (dst.BytesPerPixel == 2)
    FillRows<std::uint16_t>(dst, static_cast<std::uint16_t>(color));
  else if (dst.BytesPerPixel == 4)
    FillRows<std::uint32_t>(dst, color);
}

void CopyPixels(const TPixelView& dst, const TPixelView& src, TBlitKey key) {
  if (dst.BytesPerPixel == 2)
    CopyRows<std::uint16_t>(dst, src, key);
  else if (dst.BytesPerPixel == 4)
    CopyRows<std::uint32_t>(dst, src, key);
}

void StretchPixels(const TPixelView& dst, const TPixelView& src, bool mirrorX, bool mirrorY, TBlitKey key) {
  if (dst.BytesPerPixel == 2)
    StretchRows<std::uint16_t>(dst, src, mirrorX, mirrorY, key);
  else if (dst.BytesPerPixel == 4)
    StretchRows<std::uint32_t>(dst, src, mirrorX, mirrorY, key);
}

void RotatePixels(const TPixelView& dst, const TPixelView& src, double cx, double cy, double w, double h, double angle,
                  TBlitKey key) {
  if (dst.BytesPerPixel == 2)
    RotateRows<std::uint16_t>(dst, src, cx, cy, w, h, angle, key);
  else if (dst.BytesPerPixel == 4)
    RotateRows<std::uint32_t>(dst, src, cx, cy, w, h, angle, key);
}

}  // namespace Plat
