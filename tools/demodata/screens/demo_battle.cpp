#include "tools/demodata/screens/demo_battle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_map_art.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/scenario.h"

namespace Builder {

namespace {

TSpriteShape Shape(u32 id, i16 w, i16 h, i32 frames, i16 hotX, i16 hotY, u32 key) {
  TSpriteShape s;
  s.ID = id, s.Width = w, s.Height = h, s.Frames = frames, s.HotX = hotX, s.HotY = hotY, s.ColorKey = key;
  return s;
}

// A round button: a ring in the button's colour (brighter for hover) and
// its sign drawn by inside(x, y) on a 60 by 60 square centred at 30, 30.
TPixelFunction Button(u32 rgb, bool hover, bool (*sign)(i32 x, i32 y)) {
  return [rgb, hover, sign](i32, i32 x, i32 y) -> u32 {
    const i32 dx = x - 30, dy = y - 30, d2 = dx * dx + dy * dy;
    if (d2 > 28 * 28) return DemoKey;
    if (d2 > 24 * 24) return hover ? Rgb565(250, 240, 180) : Rgb565(90, 70, 40);
    if (sign(x, y)) return Rgb565(245, 245, 235);
    const u32 r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    const u32 k = hover ? 5 : 4;
    return Rgb565(static_cast<u8>(std::min<u32>(255, r * k / 4)), static_cast<u8>(std::min<u32>(255, g * k / 4)),
                  static_cast<u8>(std::min<u32>(255, b * k / 4)));
  };
}

// Two circling arrows: automatic orders.
bool AutoSign(i32 x, i32 y) {
  const i32 dx = x - 30, dy = y - 30, d2 = dx * dx + dy * dy;
  return d2 >= 11 * 11 && d2 <= 15 * 15 && !(std::abs(dx) < 4 && dy < 0) && !(std::abs(dx) < 4 && dy > 0 && dx > 0);
}
// An arrow pointing left: retreat.
bool RetreatSign(i32 x, i32 y) {
  const i32 dy = std::abs(y - 30);
  return (x >= 26 && x < 44 && dy <= 3) || (x >= 14 && x < 26 && dy <= x - 14);
}
// A tick: accept.
bool AcceptSign(i32 x, i32 y) {
  const i32 a = y - (x + 18), b = y - (-x + 62);
  return (x >= 16 && x < 27 && std::abs(a) <= 3) || (x >= 25 && x < 45 && std::abs(b - (-18)) <= 3);
}

// A dashed band moving along its length with the frame, in ARGB.
TPixelFunction Line(u32 rgb) {
  return [rgb](i32 frame, i32 x, i32 y) -> u32 {
    const bool dash = ((x + frame * 4) / 8) % 2 == 0;
    const i32 edge = std::abs(2 * y - 7);
    const u32 alpha = edge > 5 ? 0x60 : dash ? 0xF0 : 0x90;
    return alpha << 24 | rgb;
  };
}

// A glowing ring about the hot spot in the middle.
TPixelFunction Ring(u32 rgb) {
  return [rgb](i32 frame, i32 x, i32 y) -> u32 {
    const f32 d = std::sqrt(static_cast<f32>((x - 32) * (x - 32) + (y - 32) * (y - 32)));
    const f32 r = 22.0f + static_cast<f32>(frame % 4);
    const f32 off = std::abs(d - r);
    if (off > 4.0f) return 0;
    return static_cast<u32>(255.0f * (1.0f - off / 4.0f)) << 24 | rgb;
  };
}

// Two crossed blades that flash: the battle marker on the map.
TPixelFunction Marker() {
  return [](i32 frame, i32 x, i32 y) -> u32 {
    const bool blade = std::abs(x - y) <= 2 || std::abs(x + y - 39) <= 2;
    const bool inside = x >= 4 && x < 36 && y >= 4 && y < 36;
    if (!blade || !inside) return DemoKey;
    return frame % 2 ? Rgb565(250, 230, 120) : Rgb565(200, 40, 30);
  };
}

// A battle field: grass or paving in checks, darker toward the bottom.
TPixelFunction Ground(u8 r, u8 g, u8 b, i32 cell) {
  return [r, g, b, cell](i32, i32 x, i32 y) -> u32 {
    const i32 shade = (x / cell + y / cell) % 2 ? 12 : 0;
    const i32 fall = y / 30;
    auto c = [&](u8 v) { return static_cast<u8>(std::clamp(v + shade - fall, 0, 255)); };
    return Rgb565(c(r), c(g), c(b));
  };
}

}  // namespace

u32 BattleSpriteID(i32 slot) {
  return (slot >= 1044 && slot <= 1052) || slot == 1078 ? 5000 + static_cast<u32>(slot) : 0;
}

void AddBattleSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list) {
  struct {
    i32 Slot;
    u32 Rgb;
    bool (*Sign)(i32, i32);
  } buttons[] = {{1044, 0x2F5F9F, AutoSign}, {1046, 0x9F6F2F, RetreatSign}, {1048, 0x2F8F3F, AcceptSign}};
  for (const auto& b : buttons)
    for (i32 hover = 0; hover < 2; ++hover)
      list.push_back(MakeSprite16(Shape(BattleSpriteID(b.Slot + hover), 60, 60, 1, 30, 30, DemoKey),
                                  Button(b.Rgb, hover != 0, b.Sign), TSpriteEncoding::RunLength));
  list.push_back(MakeAlphaSprite(Shape(BattleSpriteID(1050), 32, 8, 4, 0, 4, Gfx::NoColor), Line(0xE03020)));
  list.push_back(MakeAlphaSprite(Shape(BattleSpriteID(1051), 32, 8, 4, 0, 4, Gfx::NoColor), Line(0x4080F0)));
  list.push_back(MakeAlphaSprite(Shape(BattleSpriteID(1052), 64, 64, 4, 32, 32, Gfx::NoColor), Ring(0x60A0FF)));
  list.push_back(
      MakeSprite16(Shape(BattleSpriteID(1078), 40, 40, 4, 20, 20, DemoKey), Marker(), TSpriteEncoding::RunLength));
}

void AddBattleBackgrounds(std::vector<std::unique_ptr<Gfx::TSprite>>& list) {
  list.push_back(MakeSprite16(Shape(FieldBattleBackgroundID, 800, 600, 1, 0, 0, Gfx::NoColor),
                              Ground(70, 120, 55, 64), TSpriteEncoding::RunLength));
  list.push_back(MakeSprite16(Shape(CityBattleBackgroundID, 800, 600, 1, 0, 0, Gfx::NoColor),
                              Ground(120, 112, 100, 32), TSpriteEncoding::RunLength));
}

void SetBattleBackgrounds(GameData::TScenario& s) {
  if (s.Areas.Count() > 0) s.Areas[0]->Value = FieldBattleBackgroundID;
  SetCityBattleBackgrounds(s);
  s.BattleBackgrounds.Add(FieldBattleBackgroundID);
}

void SetCityBattleBackgrounds(GameData::TScenario& s) {
  for (GameData::TMapObject* o : s.MapObjects)
    if (o->Type == GameData::otCity) static_cast<GameData::TCity*>(o)->Reserved1 = CityBattleBackgroundID;
}

}  // namespace Builder
