#include "tests/engine/gfx/golden.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/base/bitmap.h"

namespace TestSupport {

namespace {

using Picture = std::vector<std::uint16_t>;

// The 5-6-5 pixels of a BMP written by the engine's bitmap writer; empty when
// the file is missing or not such a picture.
Picture ReadBitmap565(const std::string& path, int& width, int& height) {
  std::ifstream f(path, std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  auto u32 = [&](std::size_t at) {
    return at + 4 <= b.size() ? static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24)
                              : 0u;
  };
  if (b.size() < 66 || b[0] != 'B' || b[1] != 'M' || (b[28] | b[29] << 8) != 16 || u32(30) != 3) return {};
  width = static_cast<int>(u32(18));
  height = static_cast<int>(u32(22));
  const std::size_t offset = u32(10), rowBytes = (static_cast<std::size_t>(width) * 2 + 3) & ~std::size_t{3};
  if (width <= 0 || height <= 0 || offset + rowBytes * height > b.size()) return {};
  Picture p(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = &b[offset + rowBytes * (height - 1 - y)];
    for (int x = 0; x < width; ++x) p[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint16_t>(row[2 * x] | row[2 * x + 1] << 8);
  }
  return p;
}

std::uint64_t Hash(const Picture& p) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::uint16_t v : p) {
    h = (h ^ (v & 0xFF)) * 1099511628211ull;
    h = (h ^ (v >> 8)) * 1099511628211ull;
  }
  return h;
}

}  // namespace

void ExpectGoldenPicture(const std::string& path, const void* pixels, int pitch, int width, int height, bool is555) {
  Picture actual(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint16_t v;
      std::memcpy(&v, static_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(pitch) * y + 2 * x, 2);
      // A 5-5-5 picture is stored as 5-6-5 so that it shows right.
      if (is555) v = static_cast<std::uint16_t>((v & 0x1F) | (v & 0x7FE0) << 1);
      actual[static_cast<std::size_t>(y) * width + x] = v;
    }
  const char* update = std::getenv("ORV_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    Base::WriteBitmap565(path + ".bmp", actual.data(), width * 2, width, height);
    return;
  }
  int w = 0, h = 0;
  const Picture expected = ReadBitmap565(path + ".bmp", w, h);
  if (!expected.empty() && w == width && h == height && Hash(expected) == Hash(actual)) return;
  Base::WriteBitmap565(path + ".actual.bmp", actual.data(), width * 2, width, height);
  ADD_FAILURE() << "picture differs from " << path << ".bmp; the drawn one is in " << path << ".actual.bmp";
}

}  // namespace TestSupport
