#include "tools/demodata/art/demo_faces.h"

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_map_art.h"

namespace Builder {

namespace {

constexpr i32 Size = 80;

bool InEllipse(i32 x, i32 y, i32 cx, i32 cy, i32 rx, i32 ry) {
  const i32 dx = x - cx, dy = y - cy;
  return dx * dx * ry * ry + dy * dy * rx * rx <= rx * rx * ry * ry;
}

}  // namespace

std::unique_ptr<Gfx::TSprite> ConversationFace(u32 id) {
  constexpr u32 Hair[] = {0x3A2414, 0x8C5A28, 0x202020, 0xB08A40, 0x6A6A6A};
  constexpr u32 Coat[] = {0x2F5A2F, 0x28407A, 0x7A2828, 0x5A4A2F, 0x4A2F5A};
  const u32 hair = Hair[id % 5], coat = Coat[id % 5];
  TSpriteShape s;
  s.ID = id;
  s.Width = s.Height = Size;
  s.ColorKey = Gfx::NoColor;
  // A head over the shoulders on a dark ground: hair, skin, eyes and mouth.
  return MakeSprite16(s, [hair, coat](i32, i32 x, i32 y) -> u32 {
    if (InEllipse(x, y, 40, 92, 34, 26)) return Colour565(coat);
    const bool head = InEllipse(x, y, 40, 40, 20, 25);
    if (!head) return InEllipse(x, y, 40, 34, 24, 24) && y < 40 ? Colour565(hair) : Rgb565(40, 32, 28);
    if (y < 26 || (y < 34 && (x < 24 || x > 56))) return Colour565(hair);
    if ((InEllipse(x, y, 32, 38, 3, 2) || InEllipse(x, y, 48, 38, 3, 2))) return Rgb565(30, 30, 60);
    if (y == 54 && x >= 34 && x <= 46) return Rgb565(140, 50, 50);
    if (x == 40 && y >= 40 && y <= 48) return Rgb565(190, 140, 110);
    return Rgb565(230, 180, 150);
  }, TSpriteEncoding::RunLength);
}

}  // namespace Builder
