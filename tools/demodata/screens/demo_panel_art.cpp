#include "tools/demodata/screens/demo_panel_art.h"

#include <algorithm>
#include <cstdlib>

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_map_art.h"

namespace Builder {

namespace {

constexpr u32 PlayerRGB[5] = {0xC8C8C8, 0x0083E9, 0xD45C5C, 0x8CD27E, 0xD8E78B};
constexpr u32 SchoolRGB[4] = {0x3C8C3C, 0x3C5CC8, 0x9C3CB4, 0xB48C3C};
bool IsPanelSlot(i32 slot) {
  return (slot >= 1054 && slot <= 1062) || slot == 1087 || (slot >= 1093 && slot <= 1097) ||
         (slot >= 1103 && slot <= 1107) || (slot >= 1132 && slot <= 1141);
}

TSpriteShape Shape(i32 slot, i16 w, i16 h, i32 frames = 1, i16 hotX = 0, i16 hotY = 0) {
  TSpriteShape s;
  s.ID = PanelSpriteID(slot);
  s.Width = w;
  s.Height = h;
  s.Frames = frames;
  s.HotX = hotX;
  s.HotY = hotY;
  s.ColorKey = DemoKey;
  return s;
}

u32 Premultiplied(u32 rgb, u32 a) {
  const u32 r = (rgb >> 16) * a / 255, g = (rgb >> 8 & 0xFF) * a / 255, b = (rgb & 0xFF) * a / 255;
  return a << 24 | r << 16 | g << 8 | b;
}

// Parchment with a dark rim and a darker well for each rectangle given.
// The rows above top stay see-through: each of the map's unit panels lies
// that far over the one above it, and the first over the mini map's figures.
TPixelFunction PanelBackground(i32 w, i32 h, std::vector<Base::TRect> wells, i32 top = 0) {
  return [w, h, wells, top](i32, i32 x, i32 y) -> u32 {
    if (y < top) return DemoKey;
    if (x < 2 || y < top + 2 || x >= w - 2 || y >= h - 2) return Colour565(0x4A3420);
    for (const Base::TRect& r : wells)
      if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
        return (x == r.Left || y == r.Top) ? Colour565(0x6A5030) : Colour565(0xB89A6C);
    return (x * 3 + y * 5) % 11 == 0 ? Colour565(0xC8B088) : Colour565(0xDCC8A0);
  };
}

// A square border of the given width inside a w x h picture, keyed inside.
TPixelFunction Border(u32 rgb, i32 w, i32 h, i32 width, i32 inset = 0) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const i32 d = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
    return d >= inset && d < inset + width ? Colour565(rgb) : DemoKey;
  };
}

void Add(std::vector<std::unique_ptr<Gfx::TSprite>>& list, const TSpriteShape& shape, const TPixelFunction& pixels) {
  list.push_back(MakeSprite16(shape, pixels, TSpriteEncoding::RunLength));
}

void AddAlpha(std::vector<std::unique_ptr<Gfx::TSprite>>& list, TSpriteShape shape, const TPixelFunction& pixels) {
  shape.ColorKey = Gfx::NoColor;
  list.push_back(MakeAlphaSprite(shape, pixels, 0xFF));
}

}  // namespace

u32 PanelSpriteID(i32 slot) { return IsPanelSlot(slot) ? 6000 + static_cast<u32>(slot) : 0; }

void AddPanelSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list) {
  // Panel backgrounds: the map's layout and the battle screen's two columns.
  // The group panel's slots are 104 pixels apart and its panels 114 high:
  // the top band stays open, so that the name at the bottom of the panel
  // above shows through it.
  Add(list, Shape(1054, 238, 114),
      PanelBackground(238, 114, {{15, 11, 95, 91}, {126, 10, 190, 105}, {200, 10, 235, 105}}, PanelOverlap));
  Add(list, Shape(1061, 201, 132), PanelBackground(201, 132, {{106, 11, 186, 91}, {13, 10, 77, 105}, {6, 112, 146, 131}}));
  Add(list, Shape(1062, 194, 132), PanelBackground(194, 132, {{15, 11, 95, 91}, {126, 10, 190, 105}, {53, 112, 193, 131}}));
  // The spell-book button, normal and lit, its hot spot in the middle.
  for (i32 lit = 0; lit < 2; ++lit)
    Add(list, Shape(1055 + lit, 26, 26, 1, 13, 13), [lit](i32, i32 x, i32 y) -> u32 {
      if (x < 3 || x > 22 || y < 2 || y > 23) return DemoKey;
      if (x == 12 || x == 13) return Colour565(0xE8D8B0);
      return Colour565(lit ? 0xC04830 : 0x802818);
    });
  Add(list, Shape(1057, 8, 8), PanelPixels(0x808080));
  // The split mark (also the foreign unit's overlay and the list's row): red stripes.
  AddAlpha(list, Shape(1058, 80, 80), [](i32, i32 x, i32 y) -> u32 {
    return (x + y) % 12 < 4 ? Premultiplied(0xC02020, 0x90) : Premultiplied(0xF0E0C0, 0x30);
  });
  Add(list, Shape(1059, 80, 80), Border(0x6A6A6A, 80, 80, 3));
  Add(list, Shape(1060, 80, 80), Border(0xF0D040, 80, 80, 2, 3));
  // The frame of the detail window's unit picture; its parchment is the
  // vertical scroll's background.
  Add(list, Shape(1087, 104, 136, 1, 4, 4), Border(0x5A3A1A, 104, 136, 4));
  // The spell book's icon frame, hot spot on the icon's corner, and the tabs.
  Add(list, Shape(1093, 46, 46, 1, 3, 3), Border(0x6A4A20, 46, 46, 3));
  const i32 tabSchool[4] = {1, 2, 0, 3};  // slots 1094..1097: mage, psionic, druid, other
  for (i32 i = 0; i < 4; ++i) {
    const u32 rgb = SchoolRGB[tabSchool[i]];
    Add(list, Shape(1094 + i, 34, 44), [rgb](i32, i32 x, i32 y) -> u32 {
      if (x < 1 || x > 32) return DemoKey;
      if (x == 1 || x == 32 || y == 43) return Colour565(0x302010);
      return y > 30 && (x + y) % 5 == 0 ? Colour565(0xF0F0F0) : Colour565(rgb);
    });
  }
  // Gauges: the empty tube and the four fills, shimmering over four frames.
  Add(list, Shape(1103, 16, 46), [](i32, i32 x, i32 y) -> u32 {
    if (x < 3 || x > 12) return DemoKey;
    return x == 3 || x == 12 || y == 0 || y == 45 ? Colour565(0x302010) : Colour565(0x584838);
  });
  const u32 fills[4] = {0xD03020, 0xE0C030, 0x40B040, 0x3060E0};  // hit points, action points, experience, mana
  for (i32 i = 0; i < 4; ++i) {
    const u32 rgb = fills[i];
    Add(list, Shape(1104 + i, 6, 46, 4), [rgb](i32 frame, i32 x, i32 y) -> u32 {
      return (y + frame * 3) % 12 == 0 || x == 0 ? Colour565(rgb | 0x404040) : Colour565(rgb);
    });
  }
  // School pictures, drawn stretched behind icons.
  for (i32 school = 0; school < 4; ++school) {
    const u32 rgb = SchoolRGB[school];
    AddAlpha(list, Shape(1132 + school, 32, 32), [rgb](i32, i32 x, i32 y) -> u32 {
      const i32 d = std::min(std::min(x, y), std::min(31 - x, 31 - y));
      return d < 3 ? Premultiplied(0x281808, 0xFF) : Premultiplied(rgb, (x + y) % 6 == 0 ? 0xC0 : 0xFF);
    });
  }
  // Rings in the players' colours, then the dead unit's overlay.
  for (i32 p = 0; p < 5; ++p) Add(list, Shape(1136 + p, 80, 80), Border(PlayerRGB[p], 80, 80, 3));
  AddAlpha(list, Shape(1141, 40, 40), [](i32, i32 x, i32 y) -> u32 {
    return std::abs(x - y) < 3 || std::abs(x + y - 39) < 3 ? Premultiplied(0x200000, 0xF0) : Premultiplied(0x101010, 0x80);
  });
}

}  // namespace Builder
