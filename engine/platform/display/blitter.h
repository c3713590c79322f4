// The blitter of the software display: colour fill, copies with and without
// a source colour key, nearest-neighbour stretching, mirroring and rotation,
// on 16- and 32-bit pixels. Rectangles are already checked by the caller.
#pragma once

#include <cstdint>

namespace Plat {

// A rectangle of pixels: the first pixel, the row distance in bytes, the size.
struct TPixelView {
  std::uint8_t* Bits = nullptr;
  int Pitch = 0;
  int Width = 0;
  int Height = 0;
  int BytesPerPixel = 0;
};

struct TBlitKey {
  bool Enabled = false;
  std::uint32_t Value = 0;
};

void FillPixels(const TPixelView& dst, std::uint32_t color);
// Same size; source and destination may overlap (one surface).
void CopyPixels(const TPixelView& dst, const TPixelView& src, TBlitKey key);
// Any sizes, nearest source pixel for each destination pixel centre; mirrored
// left to right and/or top to bottom. Source and destination must not overlap.
void StretchPixels(const TPixelView& dst, const TPixelView& src, bool mirrorX, bool mirrorY, TBlitKey key);
// The source stretched to a w x h rectangle whose centre is (cx, cy) in the
// destination's coordinates, turned clockwise by angle radians about that
// centre; only destination pixels inside dst are written.
void RotatePixels(const TPixelView& dst, const TPixelView& src, double cx, double cy, double w, double h, double angle,
                  TBlitKey key);

// Row kernels, also used by the system's sprite code.
void CopyRowKeyed16(const std::uint16_t* src, std::uint16_t* dst, int count, std::uint16_t key);
void CopyRowKeyed32(const std::uint32_t* src, std::uint32_t* dst, int count, std::uint32_t key);

}  // namespace Plat
