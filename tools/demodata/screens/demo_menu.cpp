#include "tools/demodata/screens/demo_menu.h"

#include <cstdlib>

#include "tools/databuilder/sprite_builder.h"
#include "tools/databuilder/text_builder.h"
#include "tools/demodata/art/demo_map_art.h"
#include "tools/demodata/art/demo_sprites.h"

namespace Builder {

namespace {

TSpriteShape Shape(u32 id, i16 w, i16 h, i32 frames = 1) {
  TSpriteShape shape;
  shape.ID = id;
  shape.Width = w;
  shape.Height = h;
  shape.Frames = frames;
  shape.ColorKey = DemoKey;
  return shape;
}

u32 WindowID(int entry) { return FirstWindowSpriteID + static_cast<u32>(entry); }

// Night sky over dark hills with a tower at the left; its window's light
// flickers from frame to frame. Large flat areas keep the runs long.
std::unique_ptr<Gfx::TSprite> Background() {
  return MakeSprite16(Shape(WindowID(0), 800, 600, 2), [](i32 frame, i32 x, i32 y) -> u32 {
    const i32 hill = 430 - std::abs((x % 400) - 200) / 4;
    if (x >= 560 && x < 780 && y >= 110 && y < 520) return Colour565(0x241A12);  // behind the buttons
    if (x >= 170 && x < 250 && y >= 200 && y < 470) {
      const bool window = x >= 200 && x < 220 && y >= 240 && y < 270;
      if (window) return Colour565(frame == 0 ? 0xE0B040 : 0xC08830);
      return Colour565(0x3A3440);
    }
    if (y >= hill) return Colour565(y >= 520 ? 0x141008 : 0x1E2A1A);
    return Colour565(y < 200 ? 0x101830 : 0x182440);
  }, TSpriteEncoding::RunLength);
}

// A pale beam of light, more transparent at its edges.
std::unique_ptr<Gfx::TSprite> Beam() {
  return MakeAlphaSprite(Shape(WindowID(1), 64, 16, 2), [](i32 frame, i32, i32 y) -> u32 {
    const i32 edge = std::abs(2 * y - 15);
    const u32 alpha = static_cast<u32>(std::max(0, 200 - edge * 12 - frame * 30));
    return alpha << 24 | 0xFFE8A0;
  });
}

// A hooded figure whose staff glows brighter and darker.
std::unique_ptr<Gfx::TSprite> Figure() {
  return MakeSprite16(Shape(WindowID(2), 60, 80, 4), [](i32 frame, i32 x, i32 y) -> u32 {
    const bool staff = x >= 48 && x < 51 && y >= 6;
    const bool glow = x >= 44 && x < 55 && y < 10;
    if (glow) return Colour565(0x806020 + static_cast<u32>(frame) * 0x201008);
    if (staff) return Colour565(0x5A3A1A);
    const i32 half = 6 + y / 4;
    if (y >= 8 && std::abs(x - 26) <= half) return Colour565(y < 24 ? 0x2A2440 : 0x3A3060);
    return DemoKey;
  }, TSpriteEncoding::RunLength);
}

// A small diamond with its hot spot in the middle.
std::unique_ptr<Gfx::TSprite> Marker() {
  TSpriteShape shape = Shape(WindowID(3), 15, 15);
  shape.HotX = 7;
  shape.HotY = 7;
  return MakeSprite16(shape, [](i32, i32 x, i32 y) -> u32 {
    return std::abs(x - 7) + std::abs(y - 7) <= 7 ? Colour565(0xF0D060) : DemoKey;
  }, TSpriteEncoding::RunLength);
}

// A parchment plate with a dark edge.
std::unique_ptr<Gfx::TSprite> Plate(int entry, i16 w, i16 h, u32 rgb) {
  return MakeSprite16(Shape(WindowID(entry), w, h), [=](i32, i32 x, i32 y) -> u32 {
    if (x < 3 || y < 3 || x >= w - 3 || y >= h - 3) return Colour565(0x3A2814);
    return Colour565(rgb);
  }, TSpriteEncoding::RunLength);
}

}  // namespace

bool IsMenuPictureEntry(int entry) { return entry >= 0 && entry <= 7 && entry != 4; }

std::unique_ptr<Gfx::TSprite> MenuPicture(int entry) {
  switch (entry) {
    case 0: return Background();
    case 1: return Beam();
    case 2: return Figure();
    case 3: return Marker();
    case 5: return Plate(5, 520, 290, 0x2C2418);   // behind the list
    case 6: return Plate(6, 390, 125, 0x4A3A24);   // the title, the thumbnail on it
    default: return Plate(7, 520, 440, 0x3A3020);  // options
  }
}

std::unique_ptr<Gfx::TSprite> CreditsPicture(int index) {
  // Light parchment behind the dark text, a picture frame on the right.
  const u32 paper = index == 0 ? 0xE8DCC0 : 0xDCE4E8;
  return MakeSprite16(Shape(CreditsPictureIDs[index], 800, 600), [=](i32, i32 x, i32 y) -> u32 {
    if (x >= 420 && x < 760 && y >= 80 && y < 520) {
      const bool edge = x < 426 || x >= 754 || y < 86 || y >= 514;
      return Colour565(edge ? 0x5A4028 : index == 0 ? 0x7A9A60 : 0x6080A8);
    }
    return Colour565(y < 300 ? paper : paper - 0x101010);
  }, TSpriteEncoding::RunLength);
}

std::string CreditsFile() {
  TTextBuilder t;
  t.Comment("Orvandia demo credits");
  t.Int(2).Int(CreditsPictureIDs[0]).Int(CreditsPictureIDs[1]);
  for (const char* line : {"<1>Orvandia", "-", "<2>Programmierung", "Das Entwicklerteam", "-", "<2>Daten",
                           "Erzeugt vom Datenbauer", "-", "<2>Gr\xFC\xDF" "e", "An alle Spieler in K\xF6ln und M\xFCnchen",
                           "-", "<1>Danke f\xFCr's Spielen!"})
    t.Token(line);
  t.Token("<end>");
  return t.Text();
}

}  // namespace Builder
