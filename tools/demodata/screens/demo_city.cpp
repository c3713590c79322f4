#include "tools/demodata/screens/demo_city.h"

#include <cstdlib>

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_map_art.h"

namespace Builder {

namespace {

constexpr int TileFrameEntry = 11, ButtonEntry = 46, TitlePlateEntry = 48, GoldIconEntry = 49, FirstPriceIconEntry = 50,
              LastPriceIconEntry = 53, TransferBackgroundEntry = 56;

TSpriteShape Shape(u32 id, i16 w, i16 h, i16 hotX = 0, i16 hotY = 0) {
  TSpriteShape s;
  s.ID = id;
  s.Width = w;
  s.Height = h;
  s.HotX = hotX;
  s.HotY = hotY;
  s.ColorKey = DemoKey;
  return s;
}

std::unique_ptr<Gfx::TSprite> Make(const TSpriteShape& shape, const TPixelFunction& pixels) {
  return MakeSprite16(shape, pixels, TSpriteEncoding::RunLength);
}

// A dark wooden frame around the 80 x 80 portrait square, open inside.
TPixelFunction TileFrame() {
  return [](i32, i32 x, i32 y) -> u32 {
    const bool inside = x >= 4 && x < 84 && y >= 4 && y < 84;
    if (inside) return DemoKey;
    return Colour565((x + y) % 9 == 0 ? 0x3A2812 : 0x6B4A26);
  };
}

// A plate with a raised rim, in the menu buttons' colours.
TPixelFunction Plate(i32 w, i32 h, u32 face) {
  return [=](i32, i32 x, i32 y) -> u32 {
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1) return Colour565(0x2A1E10);
    if (x == 1 || y == 1) return Colour565(0xE8D4A8);
    if (x == w - 2 || y == h - 2) return Colour565(0x4A3620);
    return Colour565(face + static_cast<u32>(y / 4) * 0x030201);
  };
}

// A round icon: a coin, a mug, a flask, a sword, a cross.
TPixelFunction Icon(int entry) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const i32 dx = x - 12, dy = y - 12;
    const bool disc = dx * dx + dy * dy <= 121;
    if (!disc) return DemoKey;
    switch (entry) {
      case GoldIconEntry: return Colour565(dx * dx + dy * dy <= 49 ? 0xF0C040 : 0xB08820);
      case 50: return Colour565(y < 8 ? 0xF8F0E0 : 0xC08030);  // beer under foam
      case 51: return Colour565(std::abs(dx) <= 2 || std::abs(dy) <= 2 ? 0xE03030 : 0xF0F0F0);
      case 52: return Colour565(y > 10 ? 0x3060E0 : 0xA0C0F0);
      default: return Colour565(std::abs(dx - dy) <= 1 ? 0xD0D0D8 : 0x704818);
    }
  };
}

// A full-screen picture: a floor, a back wall and a lighter middle, tinted.
TPixelFunction Scene(u32 tint) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const u32 wall = tint, floor = (tint >> 1) & 0x7F7F7F;
    if (y >= 380) return Colour565((x / 40 + y / 20) % 2 ? floor : floor + 0x101010);
    if (x > 300 && x < 500 && y > 160) return Colour565(wall + 0x202020);
    return Colour565(y % 30 == 0 ? wall - 0x101010 : wall);
  };
}

// A creature's page: the parchment right, a framed picture of it left.
TPixelFunction BookPage(u32 rgb) {
  return [=](i32, i32 x, i32 y) -> u32 {
    if (x >= 410 && x < 760 && y >= 50 && y < 500) return Colour565(0xEDE0C0);
    const i32 dx = x - 220, dy = y - 280;
    if (dx * dx / 4 + dy * dy / 9 <= 3600) return Colour565(rgb);
    if (y >= 505) return Colour565(0x4A3620);
    return Colour565(0x8A6E48);
  };
}

}  // namespace

bool IsCityWindowEntry(int entry) {
  return entry == TileFrameEntry || entry == ButtonEntry || entry == TitlePlateEntry ||
         entry == GoldIconEntry ||
         (entry >= FirstPriceIconEntry && entry <= LastPriceIconEntry) || entry == TransferBackgroundEntry;
}

std::unique_ptr<Gfx::TSprite> CityWindowSprite(int entry, u32 id) {
  switch (entry) {
    case TileFrameEntry: return Make(Shape(id, 88, 88, 4, 4), TileFrame());
    case ButtonEntry: return Make(Shape(id, 160, 32), Plate(160, 32, 0x7A5C36));
    case TitlePlateEntry: return Make(Shape(id, 320, 36), Plate(320, 36, 0xC8B080));
    case TransferBackgroundEntry: return Make(Shape(id, 800, 600), Scene(0x506070));
    default: return Make(Shape(id, 24, 24, 12, 12), Icon(entry));
  }
}

void AddCityPictures(std::vector<std::unique_ptr<Gfx::TSprite>>& list, u32 prototypeCount) {
  const u32 tints[4] = {0x705030, 0x403870, 0x605848, 0x406048};
  for (u32 i = 0; i < 4; ++i) list.push_back(Make(Shape(BuildingPictureID + i, 800, 600), Scene(tints[i])));
  for (u32 p = 1; p <= prototypeCount; ++p)
    list.push_back(Make(Shape(CreatureBookPictureID + p, 800, 600), BookPage(0x303030 + p * 0x201408)));
}

}  // namespace Builder
