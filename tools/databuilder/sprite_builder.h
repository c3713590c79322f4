// Generated sprites and sprite archives ("GFXL"), written by the engine's own
// sprite classes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/sprite.h"

namespace Builder {

// A 5-6-5 pixel from 8-bit channels.
u16 Rgb565(u8 r, u8 g, u8 b);

// The value of pixel (x, y) of a frame: 5-6-5 for 16-bit sprites, ARGB for
// alpha sprites.
using TPixelFunction = std::function<u32(i32 frame, i32 x, i32 y)>;
TPixelFunction SolidPixels(u32 value);
// Squares of cell pixels in two values, moved one pixel right per frame.
TPixelFunction CheckerPixels(u32 a, u32 b, i32 cell);

struct TSpriteShape {
  u32 ID = 0;
  i16 Width = 0;
  i16 Height = 0;
  i32 Frames = 1;
  i16 HotX = 0;
  i16 HotY = 0;
  u32 ColorKey = Gfx::NoColor;
  u16 FrameMode = Gfx::fmSingle;
  // Shadow rows that darken the right half of every row, or the pixels
  // ShadowPixels names when it is set.
  bool Shadow = false;
  std::function<bool(i32 x, i32 y)> ShadowPixels = {};
};

enum class TSpriteEncoding { Raw, RunLength, Compressed };

// A 16-bit 5-6-5 sprite. Run-length rows turn key pixels into transparent
// runs; compressed rows are LZRW1-KH block sequences.
std::unique_ptr<Gfx::TSprite> MakeSprite16(const TSpriteShape& shape, const TPixelFunction& pixels,
                                           TSpriteEncoding encoding = TSpriteEncoding::Raw);
// A 32-bit ARGB sprite with the given alpha mode. Compressed: every frame one
// block sequence (encoding word 3, so frame mode 0 whatever the shape says).
std::unique_ptr<Gfx::TSprite> MakeAlphaSprite(const TSpriteShape& shape, const TPixelFunction& pixels,
                                              u8 alphaMode = 0xFF, bool compressed = false);

// The sprite's stream: its ID and the "GFX " record.
std::string SpriteBytes(const Gfx::TSprite& sprite);
// A "GFXL" file holding the sprites, sorted by ID.
std::string SpriteListBytes(u32 listID, std::vector<std::unique_ptr<Gfx::TSprite>> sprites);

}  // namespace Builder
