// The 16-bit picture turned into the 32-bit pixels windows show, row by
// row: the conversion SDL would make itself runs pixel by pixel through
// its generic blitter, many times slower than the drawing of a frame.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Plat {

// 5-6-5 to 0x00RRGGBB (X8R8G8B8), the low bits filled from the high ones so
// that white stays white.
inline std::uint32_t ExpandRGB565(std::uint16_t p) {
  const std::uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
  return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

// Rows of width pixels; pitches in bytes.
inline void ExpandRowsRGB565(const std::uint16_t* from, int fromPitch, std::uint32_t* to, int toPitch, int width,
                             int height) {
  for (int y = 0; y < height; ++y) {
    const auto* src = reinterpret_cast<const std::uint16_t*>(reinterpret_cast<const std::uint8_t*>(from) +
                                                             static_cast<std::ptrdiff_t>(y) * fromPitch);
    auto* dst = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(to) +
                                                 static_cast<std::ptrdiff_t>(y) * toPitch);
    for (int x = 0; x < width; ++x) dst[x] = ExpandRGB565(src[x]);
  }
}

}  // namespace Plat
