#include "engine/base/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/base/errors.h"
#include "tests/support/temp_dir.h"

namespace {

u32 Le32(const std::string& b, std::size_t at) {
  u32 v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<u8>(b[at + i]);
  return v;
}

u16 Le16(const std::string& b, std::size_t at) { return static_cast<u16>(static_cast<u8>(b[at]) | (static_cast<u8>(b[at + 1]) << 8)); }

TEST(Bitmap565, HeaderMasksAndBottomUpRows) {
  TestSupport::TTempDir dir;
  const int w = 3, h = 2, pitch = 8;  // pitch wider than a row
  std::vector<u8> pixels(pitch * h, 0xEE);
  const u16 values[2][3] = {{0xF800, 0x07E0, 0x001F}, {0x1234, 0xFFFF, 0x0000}};
  for (int y = 0; y < h; ++y) std::memcpy(&pixels[y * pitch], values[y], 6);
  Base::WriteBitmap565(dir.File("shot.bmp"), pixels.data(), pitch, w, h);

  std::string b = dir.Read("shot.bmp");
  const u32 rowBytes = 8;  // 6 rounded up to 4
  ASSERT_EQ(b.size(), 66u + rowBytes * h);
  EXPECT_EQ(b.substr(0, 2), "BM");
  EXPECT_EQ(Le32(b, 2), b.size());
  EXPECT_EQ(Le32(b, 10), 66u);
  EXPECT_EQ(Le32(b, 14), 40u);
  EXPECT_EQ(Le32(b, 18), 3u);
  EXPECT_EQ(Le32(b, 22), 2u);
  EXPECT_EQ(Le16(b, 28), 16);
  EXPECT_EQ(Le32(b, 30), 3u) << "bit fields";
  EXPECT_EQ(Le32(b, 54), 0xF800u);
  EXPECT_EQ(Le32(b, 58), 0x07E0u);
  EXPECT_EQ(Le32(b, 62), 0x001Fu);
  // The last picture row comes first.
  EXPECT_EQ(Le16(b, 66), 0x1234);
  EXPECT_EQ(Le16(b, 68), 0xFFFF);
  EXPECT_EQ(Le16(b, 66 + rowBytes), 0xF800);
  EXPECT_EQ(Le16(b, 66 + rowBytes + 4), 0x001F);
  EXPECT_EQ(Le16(b, 66 + 6), 0) << "row padding is zero";
}

TEST(Bitmap565, UnwritablePathIsAStreamError) {
  u16 px = 0;
  EXPECT_THROW(Base::WriteBitmap565("/nonexistent-dir/x/y.bmp", &px, 2, 1, 1), Base::EStreamError);
  // The message shows the path as the user knows it, and the system's reason.
  TestSupport::TTempDir dir;
  try {
    Base::WriteBitmap565(dir.Path() + "Bmp\\000000.bmp", &px, 2, 1, 1);
    ADD_FAILURE() << "written";
  } catch (const Base::EStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + dir.Path() + "Bmp/000000.bmp\". No such file or directory");
  }
}

}  // namespace
