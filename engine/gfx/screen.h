// What the sprite code needs to know about the display.
#pragma once

#include "engine/base/types.h"

namespace Gfx {

// The 16-bit display layout is 5-6-5 (false: 5-5-5).
extern bool ScreenIs565;

// Bits per pixel of the display device; 0 while there is none, and then no
// sprite is converted to a display format.
int DisplayBitsPerPixel();
// Called by the display set-up when a device is made (0 when it goes).
void SetDisplayBitsPerPixel(int bits);

// Colours: an RGB colour is 0x00RRGGBB; 16-bit pixels are 5-6-5 or 5-5-5.
constexpr u32 PackRGB565(u32 rgb) {
  return ((rgb >> 16) & 0xF8) << 8 | ((rgb >> 8) & 0xFF) >> 2 << 5 | (rgb & 0xFF) >> 3;
}
constexpr u32 PackRGB555(u32 rgb) {
  return ((rgb >> 16) & 0xFF) >> 3 << 10 | ((rgb >> 8) & 0xFF) >> 3 << 5 | (rgb & 0xFF) >> 3;
}
// The low 16 bits from 5-6-5 to 5-5-5 (green loses its lowest bit); the
// upper 16 bits pass through.
constexpr u32 RGB565ToRGB555(u32 p) { return (p & 0xFFFF0000u) | (p & 0x1F) | (p & 0xFFC0) >> 1; }
// The display's own layout, for code that writes pixels itself.
inline u32 RGBToScreenColor(u32 rgb) { return ScreenIs565 ? PackRGB565(rgb) : PackRGB555(rgb); }

}  // namespace Gfx
