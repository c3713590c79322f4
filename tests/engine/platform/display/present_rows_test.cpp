// What a window shows of the 16-bit picture.
#include "engine/platform/display/present_rows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PresentRows, ColoursKeepTheirEndsAndRowsTheirPitch) {
  const struct {
    std::uint16_t In;
    std::uint32_t Out;
  } cases[] = {
      {0x0000, 0x000000}, {0xFFFF, 0xFFFFFF}, {0xF800, 0xFF0000},
      {0x07E0, 0x00FF00}, {0x001F, 0x0000FF}, {0x0841, 0x080808},
  };
  for (const auto& c : cases) EXPECT_EQ(Plat::ExpandRGB565(c.In), c.Out) << std::hex << c.In;

  // Two rows of three pixels, both sides with padding that must stay untouched.
  const std::vector<std::uint16_t> from = {0xFFFF, 0x0000, 0xF800, 0x1234, 0x001F, 0x07E0, 0xFFFF, 0x5678};
  std::vector<std::uint32_t> to(10, 0xDEADBEEF);
  Plat::ExpandRowsRGB565(from.data(), 4 * 2, to.data(), 5 * 4, 3, 2);
  const std::vector<std::uint32_t> want = {0xFFFFFF, 0x000000, 0xFF0000, 0xDEADBEEF, 0xDEADBEEF,
                                           0x0000FF, 0x00FF00, 0xFFFFFF, 0xDEADBEEF, 0xDEADBEEF};
  EXPECT_EQ(to, want);
}

}  // namespace
