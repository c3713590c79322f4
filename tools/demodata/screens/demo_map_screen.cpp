#include "tools/demodata/screens/demo_map_screen.h"

#include <algorithm>
#include <cstdlib>

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_map_art.h"
#include "world/scenario/random.h"

namespace Builder {

namespace {

constexpr i32 FrameSlot = 1053, PanelSlot = 1063, FirstButtonSlot = 1064, LastButtonSlot = 1077;
constexpr i32 ButtonSize = 40;

TSpriteShape Shape(i32 slot, i16 w, i16 h, i16 hotX = 0, i16 hotY = 0) {
  TSpriteShape s;
  s.ID = MapScreenSpriteID(slot);
  s.Width = w;
  s.Height = h;
  s.HotX = hotX;
  s.HotY = hotY;
  s.ColorKey = DemoKey;
  return s;
}

u32 Parchment(i32 x, i32 y) { return (x * 3 + y * 5) % 11 == 0 ? Colour565(0xC8B088) : Colour565(0xDCC8A0); }

// The sign at the left of a number's well, on a 14 x 14 grid: a coin for
// the gold, an hourglass for the round, a little figure for the player.
bool WellSign(i32 well, i32 x, i32 y) {
  const i32 cx = x - 7, cy = y - 7;
  if (well == 0) return cx * cx + cy * cy <= 25;
  if (well == 1) return std::abs(cy) <= 5 && std::abs(cx) <= std::abs(cy) + 1;
  return (cx * cx + (cy + 3) * (cy + 3) <= 5) || (cy >= 0 && cy <= 6 && std::abs(cx) <= 3);
}

// The mini map's frame: parchment with a dark rim, a well for the picture
// and one for each of the three numbers.
u32 FramePixel(i32 x, i32 y) {
  constexpr i32 W = 183, H = 153;
  constexpr i32 wellLefts[3] = {39, 91, 142};
  constexpr u32 signs[3] = {0xE0B030, 0x6A5030, 0x0083E9};
  if (x < 3 || y < 3 || x >= W - 3 || y >= H - 3) return Colour565(0x4A3420);
  if (x >= 19 && x < 162 && y >= 15 && y < 131)
    return x < 21 || y < 17 || x >= 160 || y >= 129 ? Colour565(0x6A5030) : Colour565(0x202020);
  for (i32 i = 0; i < 3; ++i) {
    const i32 left = wellLefts[i];
    if (y < 130 || y >= 148 || x < left || x >= std::min(left + 42, W - 3)) continue;
    if (x == left || y == 130) return Colour565(0x6A5030);
    if (x >= left + 2 && x < left + 16 && y >= 132 && y < 146 && WellSign(i, x - left - 2, y - 132))
      return Colour565(signs[i]);
    return Colour565(0xB89A6C);
  }
  return Parchment(x, y);
}

// The round panel: parchment inside a bronze ring, keyed outside.
u32 PanelPixel(i32 x, i32 y) {
  const i32 dx = 2 * x - 144, dy = 2 * y - 144, d2 = dx * dx + dy * dy;
  if (d2 > 144 * 144) return DemoKey;
  if (d2 > 134 * 134) return Colour565(0x8C6428);
  return Parchment(x, y);
}

// The symbol of each command on a 40 x 40 grid: an hourglass (end of the
// round), an arrow (next group), an arrow with a dot (next group that can
// move), a tent (camp), a closed book (creatures), an open page (diary) and
// three bars (main menu).
bool Symbol(i32 command, i32 x, i32 y) {
  const i32 cx = x - 20, cy = y - 20;
  switch (command) {
    case 0: return std::abs(cy) <= 10 && std::abs(cx) <= std::abs(cy) && std::abs(cy) >= 2;
    case 1:
    case 2: {
      const bool arrow = (cy >= -3 && cy <= 3 && cx >= -10 && cx <= 4) || (cx > 4 && cx <= 11 && std::abs(cy) <= 11 - cx);
      const bool dot = command == 2 && cx * cx + (cy + 10) * (cy + 10) <= 9;
      return arrow || dot;
    }
    case 3: return cy >= -10 && cy <= 9 && std::abs(cx) <= (cy + 11) * 11 / 20 && !(std::abs(cx) <= 2 && cy >= 3);
    case 4: return std::abs(cx) <= 9 && std::abs(cy) <= 11 && !(cx >= -6 && cx <= 8 && std::abs(cy) <= 8 && cx % 5 == 0);
    case 5: return std::abs(cx) <= 11 && std::abs(cy) <= 9 && cx != 0 && (cy % 4 != 0 || std::abs(cx) < 3);
    default: return std::abs(cx) <= 10 && (std::abs(cy + 7) <= 1 || std::abs(cy) <= 1 || std::abs(cy - 7) <= 1);
  }
}

// Slots 1064 to 1077 in pairs of rest and lit; the command of a pair.
i32 CommandOfSlot(i32 slot) {
  constexpr i32 commands[7] = {1, 2, 0, 5, 4, 6, 3};  // pairs from 1064
  return commands[(slot - FirstButtonSlot) / 2];
}

TPixelFunction ButtonPixels(i32 slot) {
  const i32 command = CommandOfSlot(slot);
  const bool lit = (slot - FirstButtonSlot) % 2 == 1;
  return [command, lit](i32, i32 x, i32 y) -> u32 {
    const i32 dx = 2 * x - 39, dy = 2 * y - 39, d2 = dx * dx + dy * dy;
    if (d2 > 38 * 38) return DemoKey;
    if (d2 > 33 * 33) return Colour565(lit ? 0xE8C060 : 0x6A4C20);
    if (Symbol(command, x, y)) return Colour565(lit ? 0xFFF4D0 : 0x302010);
    return Colour565(lit ? 0xB04828 : 0x7A3018);
  };
}

void Add(std::vector<std::unique_ptr<Gfx::TSprite>>& list, const TSpriteShape& shape, const TPixelFunction& pixels) {
  list.push_back(MakeSprite16(shape, pixels, TSpriteEncoding::RunLength));
}

}  // namespace

u32 MapScreenSpriteID(i32 slot) {
  const bool ours = slot == FrameSlot || (slot >= PanelSlot && slot <= LastButtonSlot);
  return ours ? 6000 + static_cast<u32>(slot) : 0;
}

void AddMapScreenSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list) {
  Add(list, Shape(FrameSlot, 183, 153), [](i32, i32 x, i32 y) { return FramePixel(x, y); });
  Add(list, Shape(PanelSlot, 145, 145), [](i32, i32 x, i32 y) { return PanelPixel(x, y); });
  for (i32 slot = FirstButtonSlot; slot <= LastButtonSlot; ++slot)
    Add(list, Shape(slot, ButtonSize, ButtonSize, ButtonSize / 2, ButtonSize / 2), ButtonPixels(slot));
}

std::unique_ptr<Gfx::TSprite> MapThumbnail(i32 width, i32 height, const TGroundFunction& ground) {
  // The largest picture of the map's aspect that fits 137 x 110.
  i32 w = 137, h = height * 137 / std::max(width, 1);
  if (h > 110) {
    h = 110;
    w = width * 110 / std::max(height, 1);
  }
  TSpriteShape shape;
  shape.Width = static_cast<i16>(std::max(w, 1));
  shape.Height = static_cast<i16>(std::max(h, 1));
  const i32 mapW = width * GameData::FieldSize, mapH = height * GameData::FieldSize;
  return MakeSprite16(shape, [=](i32, i32 x, i32 y) -> u32 {
    return ground((2 * x + 1) * mapW / (2 * shape.Width), (2 * y + 1) * mapH / (2 * shape.Height));
  });
}

}  // namespace Builder
