// Colours and the pixel kernels, with rows that break their bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/gfx/colors.h"
#include "engine/gfx/kernels.h"

namespace {

const u8* Bytes(const std::string& s) { return reinterpret_cast<const u8*>(s.data()); }
const u8* End(const std::string& s) { return Bytes(s) + s.size(); }

std::string Pixel(u16 p) { return std::string{static_cast<char>(p & 0xFF), static_cast<char>(p >> 8)}; }

TEST(Colors, PackAndUnpack) {
  EXPECT_EQ(Gfx::PackRGB565(0x00FFFFFF), 0xFFFFu);
  EXPECT_EQ(Gfx::PackRGB555(0x00FFFFFF), 0x7FFFu);
  EXPECT_EQ(Gfx::RGB565ToRGB(0xFFFF), 0x00F8FCF8u);
  EXPECT_EQ(Gfx::RGB555ToRGB(0x7FFF), 0x00F8F8F8u);
  EXPECT_EQ(Gfx::RGB565ToRGB555(0xF81F), 0x7C1Fu);
  EXPECT_EQ(Gfx::RGB565ToRGB555(0x1234F81F), 0x12347C1Fu) << "the high half passes through";
  EXPECT_EQ(Gfx::SwapRedBlue(0x00112233), 0x00332211u);
  EXPECT_EQ(Gfx::SwapRedBlue(0xFF112233), 0x00332211u);
  Gfx::ScreenIs565 = false;
  EXPECT_EQ(Gfx::RGBToScreenColor(0x00FFFFFF), 0x7FFFu);
  EXPECT_EQ(Gfx::ScreenColorToRGB(0x7FFF), 0x00F8F8F8u);
  Gfx::ScreenIs565 = true;
  EXPECT_EQ(Gfx::RGBToScreenColor(0x00FFFFFF), 0xFFFFu);
}

TEST(Kernels, RunLengthRowsOfEncodingOne) {
  const u16 a = 0x1111, b = 0x2222, key = 0xF81F;
  const std::string row = std::string("\x02") + Pixel(a) + Pixel(b) + "\xFD" + Pixel(key) + std::string(1, '\0');
  std::vector<u16> dst(5, 7);
  EXPECT_EQ(Gfx::DecodeRLERowKeyed16(Bytes(row), End(row), dst.data(), 5, key), End(row));
  EXPECT_EQ(dst, (std::vector<u16>{a, b, 7, 7, 7}));
  EXPECT_EQ(Gfx::DecodeRLERowKeyed16(Bytes(row), End(row), dst.data(), 4, key), nullptr) << "five pixels for four";
  // A key with bits above the 16 equals no pixel, clipped or not.
  for (bool clipped : {false, true}) {
    dst.assign(5, 7);
    const u32 wide = 0x10000u | key;
    EXPECT_EQ(clipped ? Gfx::DecodeRLERowClipped16(Bytes(row), End(row), dst.data(), 0, 5, wide)
                      : Gfx::DecodeRLERowKeyed16(Bytes(row), End(row), dst.data(), 5, wide),
              End(row));
    EXPECT_EQ(dst, (std::vector<u16>{a, b, key, key, key})) << clipped;
  }
  EXPECT_EQ(Gfx::DecodeRLERow16(Bytes(row), End(row), dst.data(), 5), End(row));
  EXPECT_EQ(dst, (std::vector<u16>{a, b, key, key, key}));
  dst.assign(3, 7);
  EXPECT_EQ(Gfx::DecodeRLERowClipped16(Bytes(row), End(row), dst.data(), 1, 3, key), End(row));
  EXPECT_EQ(dst, (std::vector<u16>{b, 7, 7}));
  // A sprite without a key draws every run, clipped or not.
  EXPECT_EQ(Gfx::DecodeRLERowClipped16(Bytes(row), End(row), dst.data(), 1, 3, 0xFFFFFFFF), End(row));
  EXPECT_EQ(dst, (std::vector<u16>{b, key, key}));
  EXPECT_EQ(Gfx::SkipRLERow(Bytes(row), End(row)), End(row));

  std::string converted = std::string("\x01") + Pixel(0xF81F) + "\xFE" + Pixel(0x07E0) + std::string(1, '\0');
  u8* p = reinterpret_cast<u8*>(converted.data());
  EXPECT_EQ(Gfx::ConvertRLERow565To555(p, p + converted.size()), p + converted.size());
  EXPECT_EQ(converted, std::string("\x01") + Pixel(0x7C1F) + "\xFE" + Pixel(0x03E0) + std::string(1, '\0'));
}

TEST(Kernels, RunLengthRowsOfEncodingTwo) {
  // Length, then words: (2 literals, run of 3), (transparent 2 = -34, end).
  const u16 a = 0x1111, b = 0x2222, c = 0x3333;
  const std::string row = std::string("\x10\x00", 2) + "\x02\xFD" + Pixel(a) + Pixel(b) + Pixel(c) +
                          std::string("\xDE\x00", 2);
  std::vector<u16> dst(7, 7);
  EXPECT_EQ(Gfx::DecodeRLE2Row16(Bytes(row), End(row), dst.data(), 7, 0xFFFF), End(row));
  EXPECT_EQ(dst, (std::vector<u16>{a, b, c, c, c, 0xFFFF, 0xFFFF}));
  dst.assign(7, 7);
  EXPECT_EQ(Gfx::DecodeRLE2RowKeyed16(Bytes(row), End(row), dst.data(), 7), End(row));
  EXPECT_EQ(dst, (std::vector<u16>{a, b, c, c, c, 7, 7}));
  dst.assign(2, 7);
  EXPECT_EQ(Gfx::DecodeRLE2RowClipped16(Bytes(row), End(row), dst.data(), 4, 2), End(row));
  EXPECT_EQ(dst, (std::vector<u16>{c, 7}));

  // An empty row: the unkeyed decoder fills it, the others leave it.
  const std::string empty("\x02\x00", 2);
  dst.assign(3, 7);
  EXPECT_EQ(Gfx::DecodeRLE2Row16(Bytes(empty), End(empty), dst.data(), 3, 0x1234), End(empty));
  EXPECT_EQ(dst, (std::vector<u16>(3, 0x1234)));
  EXPECT_EQ(Gfx::DecodeRLE2RowKeyed16(Bytes(empty), End(empty), dst.data(), 3), End(empty));
  // A first word of two zero counts ends the row at once.
  const std::string zero("\x04\x00\x00\x00", 4);
  EXPECT_EQ(Gfx::DecodeRLE2RowKeyed16(Bytes(zero), End(zero), dst.data(), 3), End(zero));
  // A run of 128 carries one pixel.
  const std::string long128 = std::string("\x06\x00\x80\x00", 4) + Pixel(a);
  std::vector<u16> wide(128, 0);
  EXPECT_EQ(Gfx::DecodeRLE2RowKeyed16(Bytes(long128), End(long128), wide.data(), 128), End(long128));
  EXPECT_EQ(wide, std::vector<u16>(128, a));
}

TEST(Kernels, DamagedRowsStopAtTheirBounds) {
  std::vector<u16> dst(4, 7);
  const struct {
    const char* What;
    std::string Row;
    int Encoding;
  } damaged[] = {
      {"literals past the data", std::string("\x03") + Pixel(1), 1},
      {"run past the width", std::string("\xF0") + Pixel(1) + std::string(1, '\0'), 1},
      {"no end byte", std::string("\x01") + Pixel(1), 1},
      {"encoding 2 without words", std::string("\x08\x00", 2), 2},
      {"encoding 2 literals past the data", std::string("\x10\x00\x05\x00", 4) + Pixel(1), 2},
      {"encoding 2 past the width", std::string("\x10\x00\xD0\x00", 4), 2},
      {"half a length", std::string(1, '\x02'), 2},
  };
  for (const auto& d : damaged) {
    if (d.Encoding == 1) {
      EXPECT_EQ(Gfx::DecodeRLERow16(Bytes(d.Row), End(d.Row), dst.data(), 4), nullptr) << d.What;
      EXPECT_EQ(Gfx::DecodeRLERowKeyed16(Bytes(d.Row), End(d.Row), dst.data(), 4, 0), nullptr) << d.What;
      EXPECT_EQ(Gfx::SkipRLERow(Bytes(d.Row), End(d.Row)) == nullptr, d.What != std::string("run past the width"))
          << d.What;
    } else {
      EXPECT_EQ(Gfx::DecodeRLE2Row16(Bytes(d.Row), End(d.Row), dst.data(), 4, 0), nullptr) << d.What;
      EXPECT_EQ(Gfx::DecodeRLE2RowKeyed16(Bytes(d.Row), End(d.Row), dst.data(), 4), nullptr) << d.What;
    }
  }
  // Shadow rows: a length past the data, or below its own two bytes.
  for (const std::string& bad : {std::string("\x09\x00\xFE", 3), std::string("\x01\x00", 2)})
    EXPECT_EQ(Gfx::ShadowRow16(Bytes(bad), End(bad), dst.data(), 4, 0xF7DE), nullptr);
}

TEST(Kernels, ShadowsCopiesAndGlyphs) {
  // Skip one, darken two, skip one, darken past the width.
  const std::string shadow("\x07\x00\x01\xFE\x01\xFC\x00", 7);
  std::vector<u16> dst(5, 0xFFFF);
  EXPECT_EQ(Gfx::ShadowRow16(Bytes(shadow), End(shadow), dst.data(), 5, 0xF7DE), End(shadow));
  EXPECT_EQ(dst, (std::vector<u16>{0xFFFF, 0x7BEF, 0x7BEF, 0xFFFF, 0x7BEF}));
  std::vector<u16> window(2, 0xFFFF);
  EXPECT_EQ(Gfx::ShadowRowClipped16(Bytes(shadow), End(shadow), window.data(), 2, 2, 0x7BDE), End(shadow));
  EXPECT_EQ(window, (std::vector<u16>{0x3DEF, 0xFFFF}));
  std::vector<u32> deep(5, 0x00FFFFFF);
  Gfx::ShadowRowClipped32(Bytes(shadow), End(shadow), deep.data(), 0, 5);
  EXPECT_EQ(deep[1], 0x007F7F7Fu);

  const std::vector<u16> src{1, 9, 3};
  std::vector<u16> out(3, 0);
  Gfx::CopyRowKeyed16(src.data(), out.data(), 3, 9);
  EXPECT_EQ(out, (std::vector<u16>{1, 0, 3}));
  Gfx::DrawGlyphRow16(src.data(), out.data(), 3, 9, 0xFFFF);
  EXPECT_EQ(out, (std::vector<u16>{0, 0, 2})) << "the colour is added, wrapping";
  const u8 src24[] = {1, 2, 3, 9, 9, 9};
  u8 out24[6] = {};
  Gfx::CopyRowKeyed24(src24, out24, 2, 0x090909);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out24), 6), std::string("\x01\x02\x03\x00\x00\x00", 6));

  const u8 rgb[] = {1, 2, 3, 4, 5, 6};
  u8 argb[8];
  Gfx::ConvertBlock24To32(rgb, argb, 2, 1, 6, 8);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(argb), 8), std::string("\x01\x02\x03\x00\x04\x05\x06\x00", 8));
  u8 back[6];
  Gfx::ConvertBlock32To24(argb, back, 2, 1, 8, 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 6), std::string(reinterpret_cast<const char*>(rgb), 6));
}

TEST(Kernels, NearestResamplingKeepsTheCorners) {
  std::vector<u32> src(16);
  for (u32 i = 0; i < 16; ++i) src[i] = i;
  std::vector<u32> dst(4);
  Gfx::ResampleNearest32(src.data(), 4, 4, dst.data(), 2, 2);
  EXPECT_EQ(dst, (std::vector<u32>{0, 3, 12, 15}));
  std::vector<u32> one(1);
  Gfx::ResampleNearest32(src.data(), 4, 4, one.data(), 1, 1);
  EXPECT_EQ(one[0], 0u);
}

}  // namespace
