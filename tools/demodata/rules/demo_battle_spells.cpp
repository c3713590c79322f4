#include "tools/demodata/rules/demo_battle_spells.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_sprites.h"

namespace Builder {

namespace {

struct TBattleSpellDef {
  i16 Number;
  const char* Name;
  i16 Level, Class, Mana, AP;
  u32 Targets;  // 1 own side, 2 other side, 16 the caster
  i16 Params[10];
};

// Spell 87 turns its target into prototype 3 (the wolf); spell 116 divides
// by L x P2 / 100, so its P2 is at least 100.
const TBattleSpellDef Spells[DemoBattleSpellCount] = {
    {65, "Wundsegen", 1, 1, 5, 3, 1, {10, 200}},
    {66, "Schildwall", 1, 1, 6, 3, 1, {3, 100, 2, 50}},
    {67, "Kampfeszorn", 2, 1, 8, 3, 1, {3, 100, 200}},
    {68, "Eilschritt", 2, 1, 6, 2, 1, {2, 100}},
    {69, "Feuerstrahl", 1, 2, 6, 4, 2, {100, 100, 8, 300, 5}},
    {70, "Blutrausch", 3, 1, 8, 3, 1, {4, 100, 70}},
    {71, "Mutworte", 1, 1, 4, 2, 1, {500}},
    {72, "Bleischwere", 2, 3, 7, 3, 2, {10, 5}},
    {73, "Kraftraub", 3, 3, 10, 4, 2, {150, 100, 5, 3}},
    {74, "Totenbann", 3, 2, 12, 4, 2, {200, 100, 0, 0}},
    {75, "Zauberschutz", 4, 1, 12, 3, 1, {}},
    {76, "Lebensdorn", 5, 3, 18, 5, 2, {100, 100, 5}},
    {77, "Lichtlanze", 2, 2, 8, 4, 2, {100, 100, 10, 500, 4, 200}},
    {78, "Funkenschlag", 1, 2, 5, 3, 2, {6, 300}},
    {79, "Steinhaut", 1, 1, 5, 2, 1, {4, 100}},
    {80, "Schw\xE4""chefluch", 2, 3, 8, 3, 2, {100, 100, 60, 60}},
    {81, "S\xE4urenebel", 3, 2, 10, 4, 2, {100, 100, 4, 200, 300, 100}},
    {82, "Felsensturz", 4, 2, 14, 5, 2, {1500, 50, 80, 80}},
    {83, "Frostbiss", 2, 2, 7, 3, 2, {5, 200, 300, 100}},
    {84, "Lebensraub", 3, 2, 10, 4, 2, {800, 100, 100, 200}},
    {85, "Manabrand", 2, 3, 7, 3, 2, {150, 100}},
    {86, "Ersch\xF6pfung", 3, 3, 9, 3, 2, {}},
    {87, "Tiergestalt", 4, 3, 15, 5, 2, {100, 100, 3}},
    {88, "Herausforderung", 1, 1, 4, 2, 1, {}},
    {89, "Fluchwort", 2, 3, 7, 3, 2, {100, 100, 2, 100, 1, 100}},
    {90, "Igelwehr", 2, 1, 6, 3, 1, {5, 100, 2, 100}},
    {91, "Schreckensbild", 3, 3, 9, 4, 2, {500, 2, 100, 1, 100, 100}},
    {92, "Verfall", 4, 2, 13, 4, 2, {100, 100, 2, 20, 30, 45}},
    {93, "Schlafsand", 3, 3, 9, 4, 2, {100, 100, 200, 300, 100}},
    {94, "Ablenkung", 1, 3, 4, 2, 2, {}},
    {95, "Mutesschlag", 2, 2, 8, 3, 2, {100, 50}},
    {96, "Sammlung", 1, 1, 2, 0, 16, {50, 50, 0}},
    {97, "L\xE4hmung", 4, 3, 12, 4, 2, {100, 100, 0}},
    {98, "Manasog", 3, 3, 6, 3, 2, {100, 100, 10}},
    {99, "Festung", 2, 1, 7, 3, 1, {3, 100, 50}},
    {100, "Wirrsinn", 4, 3, 12, 4, 2, {}},
    {101, "Schlachtruf", 1, 1, 4, 2, 1, {30}},
    {102, "Windlauf", 2, 1, 7, 2, 1, {3, 100}},
    {103, "Wutgeheul", 3, 1, 9, 3, 1, {5, 3, 80, 120, 2}},
    {104, "Geisterfaust", 1, 2, 5, 3, 2, {100, 100}},
    {105, "R\xFCstungsbrecher", 2, 2, 7, 3, 2, {100, 100, 200}},
    {106, "Sehnenschnitt", 3, 2, 9, 4, 2, {100, 100, 100, 100}},
    {107, "Versteinerung", 5, 3, 18, 5, 2, {50, 50, 50, 2}},
    {108, "Zeitbann", 5, 3, 20, 6, 2, {}},
    {109, "Bollwerk", 3, 1, 9, 3, 1, {80, 80, 6}},
    {110, "Siegesruf", 2, 1, 7, 3, 1, {10, 3, 2}},
    {111, "Blutopfer", 3, 1, 8, 3, 1, {5, 4, 3, 2, 5}},
    {112, "Splitterhieb", 3, 2, 10, 4, 2, {100, 70, 70}},
    {113, "Stilles Zeichen", 1, 1, 3, 2, 1, {}},
    {114, "Erneuerung", 5, 1, 20, 6, 1, {}},
    {115, "B\xF6ser Blick", 1, 3, 5, 2, 2, {0, 0, 3, 2, 3}},
    {116, "Tr\xE4gheit", 2, 3, 7, 3, 2, {100, 100, 150, 2}},
    {117, "Treibsand", 3, 2, 9, 4, 2, {100, 100, 50, 4, 200}},
    {118, "Grabeshauch", 2, 1, 6, 3, 1, {800}},
    {119, "Seuche", 4, 2, 14, 5, 2, {100, 100, 100, 100, 100}},
    {120, "Spiegelbilder", 5, 1, 20, 6, 1, {}},
    {121, "Gewittersturm", 4, 2, 14, 5, 2, {100, 100, 5, 200, 300, 100, 100}},
    {122, "Bet\xF6rung", 4, 3, 14, 4, 2, {100, 100, 1, 1}},
    {123, "Todeswort", 5, 3, 20, 6, 2, {80, 100}},
    {124, "Kettenblitz", 3, 2, 10, 4, 2, {8, 300}},
    {125, "Lebensquell", 5, 1, 20, 6, 1, {}},
};

// The colours of the three classes: gold, fire, violet.
constexpr u32 ClassRgb[3] = {0xFFD860, 0xFF6A20, 0xB060FF};

// Premultiplied ARGB of a colour at an alpha of a (0 to 1), toward white by w.
u32 Light(u32 rgb, f32 a, f32 w = 0) {
  a = std::clamp(a, 0.0f, 1.0f);
  const auto ch = [&](i32 shift) {
    const f32 c = static_cast<f32>(rgb >> shift & 0xFF) * (1 - w) + 255 * w;
    return static_cast<u32>(c * a) << shift;
  };
  return static_cast<u32>(255 * a) << 24 | ch(16) | ch(8) | ch(0);
}

// A soft spot: 1 at its centre, 0 from radius r on.
f32 Spot(f32 dx, f32 dy, f32 r) { return std::max(0.0f, 1 - std::sqrt(dx * dx + dy * dy) / r); }

TSpriteShape SpellShape(u32 id, i16 w, i16 h, i32 frames) {
  TSpriteShape s;
  s.ID = id, s.Width = w, s.Height = h, s.Frames = frames;
  s.HotX = static_cast<i16>(w / 2), s.HotY = static_cast<i16>(h / 2);
  return s;
}

// Six sparks circling inward onto a swelling core.
TPixelFunction Gathering(u32 rgb) {
  return [rgb](i32 frame, i32 x, i32 y) -> u32 {
    const f32 px = static_cast<f32>(x) + 0.5f - 16, py = static_cast<f32>(y) + 0.5f - 16, f = static_cast<f32>(frame);
    f32 v = Spot(px, py, 3 + f);
    for (i32 k = 0; k < 6; ++k) {
      const f32 angle = static_cast<f32>(k) * std::numbers::pi_v<f32> / 3 + f * 0.45f, r = 13 - 2 * f;
      v = std::max(v, Spot(px - r * std::cos(angle), py - r * std::sin(angle), 3));
    }
    return v > 0 ? Light(rgb, v * 1.5f, v * 0.6f) : 0;
  };
}

// A bright head near the top with a flickering tail below it.
TPixelFunction Bolt(u32 rgb) {
  return [rgb](i32 frame, i32 x, i32 y) -> u32 {
    const f32 px = static_cast<f32>(x) + 0.5f - 12, py = static_cast<f32>(y) + 0.5f;
    f32 v = Spot(px, py - 12, 7);
    if (py > 12) {
      const f32 along = (py - 12) / 28, wobble = std::sin(py * 0.6f + static_cast<f32>(frame) * 1.6f) * 1.5f * along;
      v = std::max(v, Spot(px - wobble, 0, 5 * (1 - along)) * (1 - along));
    }
    return v > 0 ? Light(rgb, v * 1.6f, v * v) : 0;
  };
}

// A ring widening and fading with a flash at its start and eight sparks.
TPixelFunction Burst(u32 rgb) {
  return [rgb](i32 frame, i32 x, i32 y) -> u32 {
    const f32 px = static_cast<f32>(x) + 0.5f - 28, py = static_cast<f32>(y) + 0.5f - 28, f = static_cast<f32>(frame);
    const f32 d = std::sqrt(px * px + py * py), r = 5 + 3 * f, fade = 1 - f / 8;
    f32 v = std::max(0.0f, 1 - std::abs(d - r) / 3.5f) * fade;
    v = std::max(v, Spot(px, py, 12 - 1.5f * f));
    for (i32 k = 0; k < 8; ++k) {
      const f32 angle = static_cast<f32>(k) * std::numbers::pi_v<f32> / 4 + 0.3f;
      v = std::max(v, Spot(px - (r + 4) * std::cos(angle), py - (r + 4) * std::sin(angle), 2.5f) * fade);
    }
    return v > 0 ? Light(rgb, v * 1.4f, v * 0.5f) : 0;
  };
}

}  // namespace

u32 BattleSpellSpriteID(i32 spellClass, i32 phase) {
  return 7300 + static_cast<u32>(std::clamp(spellClass, 1, 3) * 10 + phase);
}

void WriteBattleSpells(TTextBuilder& t) {
  for (const TBattleSpellDef& s : Spells) {
    const u32 icon = SpellIconID(s.Number);
    t.Int(s.Number).Int(2).Token(s.Name).Token(std::string("Der Kampfzauber ") + s.Name + ".");
    t.Int(s.Targets).Int(s.Level).Int(s.Mana).Int(s.AP).Int(10).Int(s.Class).Int(icon);
    // Cast, flight and impact: sprite, sound, frame time; the flight's speed
    // in hundredths of a pixel per step.
    t.Int(BattleSpellSpriteID(s.Class, 0)).Int(0).Int(2);
    t.Int(BattleSpellSpriteID(s.Class, 1)).Int(0).Int(2).Int(300);
    t.Int(BattleSpellSpriteID(s.Class, 2)).Int(0).Int(2);
    for (i16 p : s.Params) t.Int(p);
  }
}

void AddBattleSpellSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list) {
  for (i32 c = 1; c <= 3; ++c) {
    const u32 rgb = ClassRgb[c - 1];
    list.push_back(MakeAlphaSprite(SpellShape(BattleSpellSpriteID(c, 0), 32, 32, 6), Gathering(rgb)));
    list.push_back(MakeAlphaSprite(SpellShape(BattleSpellSpriteID(c, 1), 24, 40, 4), Bolt(rgb)));
    list.push_back(MakeAlphaSprite(SpellShape(BattleSpellSpriteID(c, 2), 56, 56, 8), Burst(rgb)));
  }
}

}  // namespace Builder
