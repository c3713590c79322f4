#include "tools/demodata/rules/demo_spells.h"

#include <cmath>

#include "engine/gfx/sprite.h"
#include "tools/databuilder/demo_sounds.h"
#include "tools/databuilder/sprite_builder.h"
#include "tools/databuilder/text_builder.h"
#include "tools/demodata/art/demo_sprites.h"

namespace Builder {

namespace {

// Target flags: 1 friends, 2 hostiles, 4 neutrals, 8 any field, 16 the
// caster's own field, 32 a free field.
struct TMapSpell {
  i16 Number;
  const char* Name;
  i16 Level, Mana, AP;
  u32 Targets;
  i16 Class;
  u32 Impact;
  i16 Params[10];
};

// Names are Windows-1252; the first four keep their earlier names and costs.
const TMapSpell MapSpells[] = {
    {1, "Heilung", 1, 5, 3, 1, 1, SpellImpactSpriteID, {10, 100}},
    {2, "Feuerpfeil", 1, 6, 4, 2, 1, SpellImpactSpriteID, {2, 50, 1, 50}},
    {3, "Weitsicht", 2, 4, 2, 8, 2, SpellImpactSpriteID, {5, 100}},
    {13, "Frosthauch", 3, 10, 5, 2, 2, SpellImpactSpriteID, {100, 100, 50, 70, 70}},
    {4, "Eile", 1, 4, 2, 1, 1, SpellImpactSpriteID, {2, 50}},
    {5, "Furcht", 2, 8, 4, 2, 2, SpellImpactSpriteID, {100, 100, 5, 100, 5}},
    {8, "Erdbeben", 4, 20, 8, 8, 3, SpellAreaSpriteID, {50, 70, 90, 100, 60, 30}},
    {10, "Bannfluch", 3, 12, 5, 2, 2, SpellImpactSpriteID, {100, 100, 1, 10}},
    {11, "Magieschild", 2, 8, 3, 1, 1, SpellImpactSpriteID, {}},
    {12, "Gro\xDF" "e Heilung", 3, 14, 4, 1, 1, SpellImpactSpriteID, {}},
    {17, "Eislanze", 2, 9, 4, 2, 3, SpellImpactSpriteID, {100, 100, 4, 100, 200, 50}},
    {18, "Feuersturm", 5, 30, 10, 8, 3, SpellAreaSpriteID, {60, 75, 90, 3, 2, 1, 50, 70, 90}},
    {19, "Sternenregen", 5, 28, 10, 8, 3, SpellAreaSpriteID, {6, 3, 1, 4, 2, 80, 60, 50, 70, 40}},
    {21, "Sprung", 2, 10, 2, 32, 1, SpellImpactSpriteID, {}},
    {23, "Beschw\xF6rung", 3, 15, 6, 32, 1, SpellImpactSpriteID, {3, 4}},
    {24, "L\xE4hmung", 2, 9, 4, 2, 2, SpellImpactSpriteID, {30, 70}},
    {26, "Bollwerk", 3, 12, 4, 1, 1, SpellImpactSpriteID, {100, 1, 2, 3, 1, 1, 2}},
    {29, "Glutball", 3, 12, 5, 2, 3, SpellImpactSpriteID, {2, 1, 100, 200, 50}},
    {31, "Pfeilhagel", 4, 18, 6, 2, 3, SpellImpactSpriteID, {100, 100, 100, 20}},
    {33, "Sp\xE4herregen", 1, 6, 2, 8, 1, SpellRainSpriteID, {10, 100, 0, 0, 0, 0, 0, 0, 0, 2}},
    {34, "Manaraub", 2, 4, 3, 2, 2, SpellImpactSpriteID, {100, 100, 50}},
    {36, "Verf\xFChrung", 5, 30, 8, 2, 2, SpellImpactSpriteID, {100, 100}},
    {40, "Flammenpfeil", 1, 5, 3, 2, 3, SpellImpactSpriteID, {200, 100, 100}},
    {44, "Steinhaut", 2, 8, 3, 1, 1, SpellImpactSpriteID, {10, 2, 25}},
    {48, "Wirbelwind", 3, 14, 5, 2, 3, SpellImpactSpriteID, {50}},
    {54, "Totenruhe", 2, 8, 3, 1, 1, SpellImpactSpriteID, {100}},
    {56, "Spiegelbild", 4, 20, 6, 16, 1, SpellImpactSpriteID, {}},
    {57, "Sto\xDF" "welle", 3, 14, 5, 2, 3, SpellBeamSpriteID, {100, 100, 3, 100, 200, 50, 50, 2, 100, 100}},
    {58, "Nebel", 2, 7, 3, 1, 1, SpellImpactSpriteID, {2, 3, 100}},
    {59, "Rudelruf", 3, 16, 6, 32, 1, SpellImpactSpriteID, {100, 3}},
};

using TList = std::vector<std::unique_ptr<Gfx::TSprite>>;

TSpriteShape Shape(u32 id, i16 w, i16 h, i32 frames, u16 mode = Gfx::fmSingle) {
  TSpriteShape s;
  s.ID = id;
  s.Width = w;
  s.Height = h;
  s.Frames = frames;
  s.HotX = static_cast<i16>(w / 2);
  s.HotY = static_cast<i16>(h / 2);
  s.FrameMode = mode;
  return s;
}

// A glow that swells with the frame, its colour weighed by its alpha.
TPixelFunction Glow(u32 rgb, i32 w, i32 h, i32 frames) {
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    const f32 dx = (x + 0.5f - w / 2.0f) / (w / 2.0f), dy = (y + 0.5f - h / 2.0f) / (h / 2.0f);
    const f32 reach = 0.45f + 0.55f * static_cast<f32>(frame % frames + 1) / static_cast<f32>(frames);
    const f32 d = std::sqrt(dx * dx + dy * dy) / reach;
    if (d >= 1) return 0;
    const u32 a = static_cast<u32>(255 * (1 - d));
    const auto c = [&](int shift) { return ((rgb >> shift & 0xFF) * a / 255) << shift; };
    return a << 24 | c(16) | c(8) | c(0);
  };
}

}  // namespace

std::vector<i32> DemoMapSpellNumbers() {
  std::vector<i32> n;
  for (const TMapSpell& s : MapSpells) n.push_back(s.Number);
  return n;
}

void WriteMapSpells(TTextBuilder& t) {
  for (const TMapSpell& s : MapSpells) {
    t.Int(s.Number).Int(1).Token(s.Name).Token(std::string("Der Zauber ") + s.Name + ".");
    t.Int(s.Targets).Int(s.Level).Int(s.Mana).Int(s.AP).Int(10).Int(s.Class).Int(SpellIconID(s.Number));
    // Cast sprite, sound and frame time; flight sprite, sound, frame time
    // and speed (hundredths of a pixel per step); impact sprite, sound and
    // frame time.
    t.Int(SpellCastSpriteID).Int(ClickSoundID).Int(2);
    t.Int(SpellFlightSpriteID).Int(ThunderSoundID).Int(2).Int(400);
    t.Int(s.Impact).Int(HitSoundID).Int(3);
    for (i16 p : s.Params) t.Int(p);
  }
}

void AddMapSpellSprites(TList& list) {
  list.push_back(MakeAlphaSprite(Shape(SpellCastSpriteID, 24, 24, 6), Glow(0xFF8030, 24, 24, 6), 0xFF));
  list.push_back(MakeAlphaSprite(Shape(SpellFlightSpriteID, 32, 16, 4), Glow(0x60C0FF, 32, 16, 4), 0xFF));
  list.push_back(MakeAlphaSprite(Shape(SpellImpactSpriteID, 40, 40, 8), Glow(0xFFE060, 40, 40, 8), 0xFF));
  // The rain's last frame is a background, not a frame of its animation.
  list.push_back(MakeAlphaSprite(Shape(SpellRainSpriteID, 32, 32, 9, Gfx::fmLastIsBackground),
                                 Glow(0x80FFA0, 32, 32, 8), 0xFF));
  list.push_back(MakeAlphaSprite(Shape(SpellAreaSpriteID, 64, 64, 8), Glow(0xFF5020, 64, 64, 8), 0xFF));
  list.push_back(MakeAlphaSprite(Shape(SpellBeamSpriteID, 48, 12, 8), Glow(0xC0A0FF, 48, 12, 8), 0xFF));
}

}  // namespace Builder
