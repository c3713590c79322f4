#include "tools/demodata/art/demo_sprites.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/data/stream.h"
#include "tools/databuilder/sprite_builder.h"
#include "tools/databuilder/text_builder.h"
#include "tools/demodata/art/demo_faces.h"
#include "tools/demodata/art/demo_fighters.h"
#include "tools/demodata/art/demo_map_art.h"
#include "tools/demodata/rules/demo_battle_spells.h"
#include "tools/demodata/rules/demo_spells.h"
#include "tools/demodata/screens/demo_battle.h"
#include "tools/demodata/screens/demo_city.h"
#include "tools/demodata/screens/demo_cursors.h"
#include "tools/demodata/screens/demo_diary.h"
#include "tools/demodata/screens/demo_map_screen.h"
#include "tools/demodata/screens/demo_menu.h"
#include "tools/demodata/screens/demo_panel_art.h"
#include "tools/demodata/screens/demo_scrolls.h"
#include "tools/demodata/screens/demo_skin.h"
#include "world/map/background.h"

namespace Builder {

namespace {

constexpr u32 PlayerColors[5] = {0xC8C8C8, 0x0083E9, 0xD45C5C, 0x8CD27E, 0xD8E78B};
using TList = std::vector<std::unique_ptr<Gfx::TSprite>>;

TSpriteShape Shape(u32 id, i16 w, i16 h, i32 frames = 1, i16 hotX = 0, i16 hotY = 0) {
  TSpriteShape s;
  s.ID = id;
  s.Width = w;
  s.Height = h;
  s.Frames = frames;
  s.HotX = hotX;
  s.HotY = hotY;
  s.ColorKey = DemoKey;
  return s;
}

// A filled circle on the key colour, with a lighter rim moving by frame.
TPixelFunction Disc(u32 rgb, i32 w, i32 h) {
  return [rgb, w, h](i32 frame, i32 x, i32 y) -> u32 {
    i32 dx = 2 * x - (w - 1), dy = 2 * y - (h - 1), r = std::min(w, h) - 2;
    i32 d2 = dx * dx + dy * dy;
    if (d2 > r * r) return DemoKey;
    bool rim = d2 > (r - 4) * (r - 4) && ((x + y + frame) / 3) % 2 == 0;
    return rim ? 0xFFFF : Colour565(rgb);
  };
}

void Add(TList& list, const TSpriteShape& shape, const TPixelFunction& pixels) {
  list.push_back(MakeSprite16(shape, pixels, TSpriteEncoding::RunLength));
}

}  // namespace

u32 SpriteTableID(i32 slot) {
  if (u32 id = PanelSpriteID(slot)) return id;
  if (u32 id = MapScreenSpriteID(slot)) return id;
  if (u32 id = DiarySpriteID(slot)) return id;
  if (u32 id = BattleSpriteID(slot)) return id;
  if ((slot >= 1 && slot <= 9) || (slot >= 1034 && slot <= 1043) || slot == WeatherOverlaySlot ||
      (slot >= 1108 && slot <= 1136) || IsScrollSlot(slot))
    return 5000 + static_cast<u32>(slot);
  // Fog edges; over a field with everything around it explored nothing is drawn.
  if (slot >= FogEdgeSlot && slot < FogEdgeSlot + 1023) return 20000 + static_cast<u32>(slot);
  if (slot == FogEdgeSlot + 1023) return 0;
  return GenericSpriteID;
}

u32 UnitSpriteID(u32 prototype, i32 set) { return 10000 + prototype * 100 + static_cast<u32>(set); }
u32 SpellIconID(i32 spellNumber) { return 7000 + static_cast<u32>(spellNumber); }

std::string CommonSprites() {
  TList list;
  Add(list, Shape(GenericSpriteID, 16, 16), PanelPixels(0x806040));
  for (i32 slot = 1; slot <= 4; ++slot) Add(list, Shape(SpriteTableID(slot), 10, 10), Corner(slot, 10));
  for (i32 owner = 0; owner < 5; ++owner)
    Add(list, Shape(SpriteTableID(5 + owner), 44, 22, 4, 22, 3), Marker(PlayerColors[owner], 44, 22));
  for (u32 mask = 0; mask < 1023; ++mask)
    list.push_back(FogEdgeSprite(SpriteTableID(FogEdgeSlot + static_cast<i32>(mask)), mask & 511, mask >= 512));
  for (i32 style = 0; style < 10; ++style)
    Add(list, Shape(SpriteTableID(1034 + style), 120, 120, 4, 60, 60), Camp(style % 5, 120));
  TSpriteShape mist = Shape(SpriteTableID(WeatherOverlaySlot), 64, 64);
  mist.ColorKey = Gfx::NoColor;
  list.push_back(MakeAlphaSprite(mist, Mist(64), 0xFF));
  // The map's path arrows pointing north about their centre: red beyond
  // reach this turn, green reachable, yellow without the points to attack.
  for (i32 slot = 1108; slot <= 1110; ++slot) {
    TSpriteShape arrow = Shape(SpriteTableID(slot), 24, 24, 1, 12, 12);
    arrow.ColorKey = Gfx::NoColor;
    const u32 rgb = slot == 1108 ? 0xD03020 : slot == 1109 ? 0x30C040 : 0xE0C020;
    list.push_back(MakeAlphaSprite(arrow, [rgb](i32, i32 x, i32 y) -> u32 {
      const bool head = y >= 3 && y < 13 && std::abs(2 * x - 23) <= 2 * (y - 3);
      const bool shaft = y >= 13 && y < 21 && x >= 9 && x < 15;
      return head || shaft ? 0xFF000000 | rgb : 0;
    }, 0xFF));
  }
  // The banner sheet: three columns (unit count) by five rows (colour).
  Add(list, Shape(SpriteTableID(1111), 36, 50), Banner(PlayerColors, 12, 10));
  for (i32 slot = 1112; slot <= 1136; ++slot) {
    i32 owner = (slot - 1112) % 5;
    Add(list, Shape(SpriteTableID(slot), 16, 24, 4, 1, 23), Flag(PlayerColors[owner], 16, 24));
  }
  AddPanelSprites(list);
  AddMapScreenSprites(list);
  AddDiarySprites(list);
  AddBattleSprites(list);
  for (i32 slot = HorizScrollSlot; slot <= PortraitFrameSlot; ++slot)
    list.push_back(ScrollSprite(slot, SpriteTableID(slot)));
  list.push_back(ScrollSprite(BookSlot, SpriteTableID(BookSlot)));
  return SpriteListBytes(1, std::move(list));
}

std::string WindowSprites() {
  TList list;
  for (i32 i = 0; i < WindowSpriteCount; ++i) list.push_back(WindowSprite(i));
  AddCityPictures(list, DemoUnitPrototypeCount);
  for (int i = 0; i < 2; ++i) list.push_back(CreditsPicture(i));
  return SpriteListBytes(2, std::move(list));
}

namespace {

std::string BuildUnitSprites() {
  TList list;
  for (u32 p = 1; p <= DemoUnitPrototypeCount; ++p) {
    u32 rgb = PlayerColors[p % 5] ^ 0x204060;
    const bool beast = p == 3;  // the wolf
    for (i32 set = 0; set < 5; ++set) {
      if (set == 3) continue;  // the extra set is never loaded
      Add(list, Shape(UnitSpriteID(p, set), 40, 40, set == 0 ? 1 : 4, 20, 30), Figure(rgb, beast, set == 1));
    }
    AddFightSprites(list, p);
    Add(list, Shape(UnitSpriteID(p, 10), 80, 80), Disc(rgb, 80, 80));
    Add(list, Shape(UnitSpriteID(p, 11), 96, 128), Disc(rgb, 96, 128));
  }
  // Conversation owners' faces, by the IDs of the scenarios' face list.
  for (u32 i = 0; i < FaceCount; ++i) list.push_back(ConversationFace(FirstFaceID + i));
  return SpriteListBytes(3, std::move(list));
}

}  // namespace

std::string UnitSprites() {
  // The same bytes every time, and the fight sets take a while to draw.
  static const std::string bytes = BuildUnitSprites();
  return bytes;
}

std::string SpellSprites() {
  TList list;
  for (i32 n : {1, 2, 3, 13, 65, 66}) Add(list, Shape(SpellIconID(n), 40, 40), Disc(0x3050F0 + static_cast<u32>(n) * 0x0B0300, 40, 40));
  for (i32 n : DemoMapSpellNumbers())
    if (n != 1 && n != 2 && n != 3 && n != 13)
      Add(list, Shape(SpellIconID(n), 40, 40), Disc(0x3050F0 + static_cast<u32>(n) * 0x0B0300, 40, 40));
  AddMapSpellSprites(list);
  AddBattleSpellSprites(list);
  for (i32 n = 67; n <= 125; ++n) Add(list, Shape(SpellIconID(n), 40, 40), Disc(0x3050F0 + static_cast<u32>(n) * 0x0B0300, 40, 40));
  return SpriteListBytes(4, std::move(list));
}

u32 InterfaceSpriteID(i32 slot) { return 8001 + static_cast<u32>(slot); }

// Slots 0 to 23 are cursors, 24 the loading picture, 25 the parchment
// behind the ticker and the tooltips.
std::string InterfaceSprites() {
  TList list;
  for (i32 slot = 0; slot < CursorCount; ++slot) list.push_back(CursorSprite(slot, InterfaceSpriteID(slot)));
  TSpriteShape loading = Shape(InterfaceSpriteID(24), 800, 600);
  loading.ColorKey = Gfx::NoColor;
  list.push_back(MakeSprite16(loading, [](i32, i32 x, i32 y) -> u32 {
    const i32 dx = x - 400, dy = y - 300, glow = std::max(0, 255 - (dx * dx + dy * dy) / 700);
    return Rgb565(static_cast<u8>(30 + glow / 3), static_cast<u8>(20 + glow / 4), static_cast<u8>(40 + glow / 6));
  }, TSpriteEncoding::RunLength));
  // The parchment is drawn stretched on the display device: an alpha sprite,
  // nearly opaque, its colour weighed by its alpha.
  TSpriteShape parchment = Shape(InterfaceSpriteID(25), 32, 32);
  parchment.ColorKey = Gfx::NoColor;
  list.push_back(MakeAlphaSprite(parchment, [](i32, i32 x, i32 y) -> u32 {
    const u32 rgb = (x * 7 + y * 13) % 5 == 0 ? 0xD8C8A0 : 0xE8DCC0, a = 0xE8;
    const u32 r = (rgb >> 16) * a / 255, g = (rgb >> 8 & 0xFF) * a / 255, b = (rgb & 0xFF) * a / 255;
    return a << 24 | r << 16 | g << 8 | b;
  }));
  Add(list, Shape(InterfaceSpriteID(26), 16, 16), PanelPixels(0x404040));
  return SpriteListBytes(5, std::move(list));
}

std::string InterfaceSpriteIDFile() {
  TTextBuilder t;
  t.Comment("interface sprites: cursors, loading picture, ticker background");
  for (i32 slot = 0; slot < 27; ++slot) t.Int(InterfaceSpriteID(slot));
  return t.Text();
}

std::string ScenarioSprites() {
  TList list;
  Add(list, Shape(TreeSpriteID, 40, 56, 1, 20, 50), Tree(40, 56));
  Add(list, Shape(RockSpriteID, 36, 28, 1, 18, 20), Rock(36, 28));
  Add(list, Shape(SpringSpriteID, 32, 32, 4, 16, 16), Spring(32, 32));
  Add(list, Shape(FlowersSpriteID, 80, 40, 1, 40, 20), Flowers(80, 40));
  TSpriteShape picture = Shape(CityPictureID, 800, 600);
  picture.ColorKey = Gfx::NoColor;
  list.push_back(MakeSprite16(picture, CheckerPixels(Rgb565(90, 70, 50), Rgb565(120, 100, 70), 50),
                              TSpriteEncoding::RunLength));
  for (u32 i = 0; i < 4; ++i) Add(list, Shape(MerchantIconID + i, 48, 48), PanelPixels(0x604020 + i * 0x102030));
  Add(list, Shape(AnimationSpriteID, 48, 48, 6, 24, 40), Disc(0xF0C040, 48, 48));
  AddBattleBackgrounds(list);
  // Planks across the river between two dark rails.
  Add(list, Shape(BridgeSpriteID, 40, 44, 1, 20, 22), [](i32, i32 x, i32 y) -> u32 {
    if (x < 3 || x >= 37) return Rgb565(70, 50, 30);
    return y % 6 == 0 ? Rgb565(96, 68, 40) : Rgb565(150, 110, 66);
  });
  return SpriteListBytes(6, std::move(list));
}

std::string FaceSprites() {
  TList list;
  for (u32 i = 0; i < FaceCount; ++i)
    Add(list, Shape(FirstFaceID + i, 64, 64), Disc(PlayerColors[i] ^ 0x101010, 64, 64));
  return SpriteListBytes(7, std::move(list));
}

std::string Background(i16 width, i16 height) {
  return PaintedBackground(width, height, [width](i32, i32 x, i32 y) -> u32 {
    const i32 tile = x / GameData::BackgroundTileSize + y / GameData::BackgroundTileSize * width;
    const u16 grass = Rgb565(70, static_cast<u8>(120 + tile * 7 % 40), 50), earth = Rgb565(110, 95, 60);
    return ((x % GameData::BackgroundTileSize) / 20 + (y % GameData::BackgroundTileSize) / 20) % 2 ? earth : grass;
  });
}

std::string PaintedBackground(i16 width, i16 height, const TPixelFunction& map) {
  GameData::TBackground background;
  background.ID = 1;
  background.Width = width;
  background.Height = height;
  constexpr i32 tile = GameData::BackgroundTileSize;
  for (i32 i = 0; i < width * height; ++i) {
    TSpriteShape shape = Shape(static_cast<u32>(i + 1), tile, tile);
    shape.ColorKey = Gfx::NoColor;
    const i32 left = i % width * tile, top = i / width * tile;
    background.Tiles.push_back(MakeSprite16(
        shape, [&](i32, i32 x, i32 y) { return map(0, left + x, top + y); }, TSpriteEncoding::RunLength));
  }
  Data::TMemoryStream s;
  background.Save(s);
  return s.AsString();
}

}  // namespace Builder
