// Bitmap fonts ("FONT"): rendered from a TrueType font through FreeType, or
// drawn by hand for tests. Glyphs are 16-bit 5-6-5 with the ink 0 and the
// key FontKey, one per Windows-1252 character.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/gfx/font.h"

namespace Builder {

constexpr u32 FontKey = 0xF81F;

struct TFontStyle {
  // A TrueType file; a bare name is looked for among Debian's DejaVu fonts.
  std::string File;
  i32 PixelSize = 12;
  // Slanted by a shear, for an italic the font files lack.
  bool Oblique = false;
  // The stored value of an ink pixel; drawn as that value plus the text
  // colour, so ink 1 turns the colour 0xFFFF into black.
  u16 Ink = 0;
  // Blank columns after every glyph, for fonts drawn with a negative extra
  // advance that would otherwise run their letters into each other.
  i32 Tracking = 0;
};

// Every character the font holds at that size, hinted for one-bit pixels.
// A missing file raises a run-time error naming it.
std::unique_ptr<Gfx::TFont> RenderFont(u32 id, const TFontStyle& style);

// A hand-drawn font: glyph c is width(c) pixels wide, a frame of ink around
// an empty inside, and the cells as wide as the widest glyph.
std::unique_ptr<Gfx::TFont> MakeBoxFont(u32 id, u16 height, const std::function<i32(u8 c)>& width);

// The font's stream: its ID and the "FONT" record.
std::string FontBytes(const Gfx::TFont& font);

}  // namespace Builder
