// The software rasterizer for triangles of transformed vertices: pixel
// centres on integer coordinates and a top-left fill rule, affine texture
// coordinates, point or bilinear sampling with clamped or wrapped addressing,
// and blending into 16-bit (5-6-5 or 5-5-5) or 32-bit render targets.
// Axis-aligned quads take a faster path, unscaled point-sampled ones the
// fastest: one texel per pixel along each row.
#pragma once

#include <cstdint>

#include "engine/platform/display/blitter.h"
#include "engine/platform/display/display_types.h"
#include "engine/platform/window/wintypes.h"

namespace Plat {

struct TTLVertex;

struct TRasterTarget {
  TPixelView Pixels;
  TPixelFormat Format;
  TRect Clip;  // viewport within the target
};

// ARGB8888 texels, row after row.
struct TRasterTexture {
  const std::uint32_t* Texels = nullptr;
  int Width = 0, Height = 0;
  int PitchTexels = 0;
};

struct TRasterState {
  bool Blend = false;
  std::uint32_t SrcBlend = 2, DestBlend = 1;  // one, zero
  std::uint32_t MagFilter = 1, MinFilter = 1;  // point
  bool Clamp = false;
  bool Textured = false;
  std::uint32_t FlatColor = 0;  // ARGB, without a texture
};

void DrawTriangleFan(const TRasterTarget& target, const TRasterTexture& texture, const TRasterState& state,
                     const TTLVertex* vertices, int count);
void DrawTriangleList(const TRasterTarget& target, const TRasterTexture& texture, const TRasterState& state,
                      const TTLVertex* vertices, int count);

}  // namespace Plat
