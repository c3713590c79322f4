// An image in memory with 16 or 32 bits per pixel, reached row by row through
// its scan lines; the software drawing target of the map's cached pictures.
#pragma once

#include <vector>

#include "engine/base/types.h"

namespace Gfx {

class TBitmap {
 public:
  // bitsPerPixel 16 or 32; the pixels start zero.
  TBitmap(int width, int height, int bitsPerPixel);

  int Width() const { return W; }
  int Height() const { return H; }
  int BitsPerPixel() const { return Bits; }
  int Pitch() const { return RowBytes; }
  u8* ScanLine(int y) { return Pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(RowBytes); }
  const u8* ScanLine(int y) const {
    return Pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(RowBytes);
  }

 private:
  int W, H, Bits, RowBytes;
  std::vector<u8> Pixels;
};

}  // namespace Gfx
