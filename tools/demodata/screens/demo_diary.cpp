#include "tools/demodata/screens/demo_diary.h"

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_map_art.h"

namespace Builder {

namespace {

constexpr i32 FirstTabSlot = 1098, TabCount = 4;

}  // namespace

u32 DiarySpriteID(i32 slot) {
  return slot >= FirstTabSlot && slot < FirstTabSlot + TabCount ? 6000 + static_cast<u32>(slot) : 0;
}

// Tabs as tall as the spell book's, so both books close them alike: notes,
// objectives, quests and conversations, each with its own stripes.
void AddDiarySprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list) {
  const u32 colours[TabCount] = {0xC8B078, 0xB43C3C, 0x3C8C5C, 0x3C6CB4};
  for (i32 i = 0; i < TabCount; ++i) {
    TSpriteShape shape;
    shape.ID = DiarySpriteID(FirstTabSlot + i);
    shape.Width = 34;
    shape.Height = 44;
    shape.ColorKey = DemoKey;
    const u32 rgb = colours[i];
    list.push_back(MakeSprite16(shape, [rgb, i](i32, i32 x, i32 y) -> u32 {
      if (x < 1 || x > 32) return DemoKey;
      if (x == 1 || x == 32 || y == 43) return Colour565(0x302010);
      return y > 24 && y % 4 == i % 2 && x > 6 && x < 27 ? Colour565(0xF0F0F0) : Colour565(rgb);
    }, TSpriteEncoding::RunLength));
  }
}

}  // namespace Builder
