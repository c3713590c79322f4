// The demo's mouse cursors: every kind its own shape, not the same arrow in
// another fill, and the hot spot on the point it acts on.
#include "tools/demodata/screens/demo_cursors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/gfx/colors.h"

#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"

namespace {

constexpr i32 Size = 32;
constexpr u16 Ground = 0x1234;

struct TDrawn {
  std::vector<bool> Ink;
  i32 HotX, HotY;
  bool InkAt(i32 x, i32 y) const { return x >= 0 && y >= 0 && x < Size && y < Size && Ink[y * Size + x]; }
};

TDrawn Draw(TestSupport::TGfxDisplay& display, i32 slot) {
  const auto sprite = TestSupport::Loaded(*Builder::CursorSprite(slot, 8001 + static_cast<u32>(slot)));
  Plat::TSurface* back = display.Back();
  Gfx::FillRect(back, 0, 0, Size, Size, Ground, nullptr);
  sprite->Draw(back, 0, 0, 0, nullptr);
  TDrawn d{std::vector<bool>(Size * Size), sprite->HotX, sprite->HotY};
  for (i32 y = 0; y < Size; ++y)
    for (i32 x = 0; x < Size; ++x)
      d.Ink[y * Size + x] = reinterpret_cast<const u16*>(back->Bits() + static_cast<std::ptrdiff_t>(y) * back->Pitch())[x] != Ground;
  return d;
}

TEST(DemoCursors, EachKindHasItsOwnShape) {
  TestSupport::TGfxDisplay display(Size, Size);
  std::vector<TDrawn> cursors;
  for (i32 slot = 0; slot < Builder::CursorCount; ++slot) cursors.push_back(Draw(display, slot));
  for (i32 a = 0; a < Builder::CursorCount; ++a) {
    const TDrawn& c = cursors[a];
    bool rowInked = false, columnInked = false;
    for (i32 i = 0; i < Size; ++i) {
      rowInked = rowInked || c.InkAt(i, c.HotY);
      columnInked = columnInked || c.InkAt(c.HotX, i);
    }
    EXPECT_TRUE(rowInked && columnInked) << "cursor " << a << " acts where it shows something";
    for (i32 b = a + 1; b < Builder::CursorCount; ++b) {
      i32 differ = 0;
      for (i32 i = 0; i < Size * Size; ++i) differ += c.Ink[i] != cursors[b].Ink[i];
      EXPECT_GE(differ, 40) << "cursors " << a << " and " << b;
    }
  }
}

TEST(DemoCursors, ScrollCursorsPointWhereTheViewGoes) {
  TestSupport::TGfxDisplay display(Size, Size);
  const struct {
    i32 Slot, DX, DY;
  } cases[] = {{13, 0, 1}, {14, 0, -1}, {15, -1, 0}, {16, 1, 0}, {17, -1, -1}, {18, 1, -1}, {19, -1, 1}, {20, 1, 1}};
  for (const auto& c : cases) {
    const TDrawn d = Draw(display, c.Slot);
    const i32 hx = d.HotX - Size / 2, hy = d.HotY - Size / 2;
    EXPECT_GE(hx * c.DX + hy * c.DY, 8) << "slot " << c.Slot << ": the hot spot at the arrow's tip";
    EXPECT_LE(std::abs(hx * c.DY - hy * c.DX), 2) << "slot " << c.Slot;
  }
}

// All 24 on a grey ground, eight to a row, each with a red dot on its hot spot.
TEST(DemoCursors, Sheet) {
  constexpr i32 Cell = 40, W = 8 * Cell, H = 3 * Cell;
  TestSupport::TGfxDisplay display(W, H);
  Plat::TSurface* back = display.Back();
  Gfx::FillRect(back, 0, 0, W, H, Gfx::PackRGB565(0x607060), nullptr);
  for (i32 slot = 0; slot < Builder::CursorCount; ++slot) {
    const auto sprite = TestSupport::Loaded(*Builder::CursorSprite(slot, 8001 + static_cast<u32>(slot)));
    const i32 x = slot % 8 * Cell + 4, y = slot / 8 * Cell + 4;
    sprite->Draw(back, 0, x, y, nullptr);
    Gfx::FillRect(back, x + sprite->HotX, y + sprite->HotY, 1, 1, Gfx::PackRGB565(0xFF0000), nullptr);
  }
  TestSupport::ExpectGoldenPicture(ORV_GOLDEN_DIR "/demo_cursors", back->Bits(), back->Pitch(), W, H, false);
}

}  // namespace
