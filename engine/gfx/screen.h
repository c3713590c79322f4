// What the sprite code needs to know about the display.
#pragma once

namespace Gfx {

// The 16-bit display layout is 5-6-5 (false: 5-5-5).
extern bool ScreenIs565;

// Bits per pixel of the display device; 0 while there is none, and then no
// sprite is converted to a display format.
int DisplayBitsPerPixel();
// Called by the display set-up when a device is made (0 when it goes).
void SetDisplayBitsPerPixel(int bits);

}  // namespace Gfx
