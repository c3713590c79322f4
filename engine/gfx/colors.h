// Colours: 0x00RRGGBB values and the 16-bit 5-6-5 and 5-5-5 pixel layouts.
#pragma once

#include "engine/base/types.h"

namespace Gfx {

// The 16-bit display layout is 5-6-5 (false: 5-5-5).
extern bool ScreenIs565;

// The five players' colours, 0x00RRGGBB by the player's index in the scenario.
constexpr u32 PlayerColors[5] = {0xC8C8C8, 0x0083E9, 0xD45C5C, 0x8CD27E, 0xD8E78B};

constexpr u32 PackRGB565(u32 rgb) { return ((rgb >> 16) & 0xF8) << 8 | ((rgb >> 8 & 0xFF) >> 2) << 5 | (rgb & 0xFF) >> 3; }
constexpr u32 PackRGB555(u32 rgb) { return ((rgb >> 16 & 0xFF) >> 3) << 10 | ((rgb >> 8 & 0xFF) >> 3) << 5 | (rgb & 0xFF) >> 3; }
// Green loses its lowest bit; bits 16-31 pass through.
constexpr u32 RGB565ToRGB555(u32 p) { return (p & 0xFFFF0000u) | (p & 0x1F) | (p & 0xFFC0) >> 1; }
constexpr u32 RGB565ToRGB(u16 p) { return static_cast<u32>(p >> 11) << 19 | static_cast<u32>(p >> 5 & 0x3F) << 10 | static_cast<u32>(p & 0x1F) << 3; }
constexpr u32 RGB555ToRGB(u16 p) { return static_cast<u32>(p >> 10 & 0x1F) << 19 | static_cast<u32>(p >> 5 & 0x1F) << 11 | static_cast<u32>(p & 0x1F) << 3; }
// Bits 0-7 and 16-23 exchanged, bits 24-31 cleared.
constexpr u32 SwapRedBlue(u32 c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

inline u32 RGBToScreenColor(u32 rgb) { return ScreenIs565 ? PackRGB565(rgb) : PackRGB555(rgb); }
inline u32 ScreenColorToRGB(u32 p) {
  return ScreenIs565 ? RGB565ToRGB(static_cast<u16>(p)) : RGB555ToRGB(static_cast<u16>(p));
}
// A 5-6-5 colour in the display's layout.
inline u32 ScreenColor565(u32 p) { return ScreenIs565 ? p : RGB565ToRGB555(p); }

}  // namespace Gfx
