#include "tools/demodata/demo_battle_spells.h"

#include <string>

#include "tools/demodata/demo_sprites.h"

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

// The rows the drawing needs a picture for: an impact (most) or a cast (98).
bool NeedsImpactSprite(i16 n) {
  for (i16 k : {81, 82, 93, 95, 104, 105, 106, 107, 116, 119, 124})
    if (n == k) return true;
  return false;
}

}  // namespace

void WriteBattleSpells(TTextBuilder& t) {
  for (const TBattleSpellDef& s : Spells) {
    const u32 icon = SpellIconID(s.Number);
    t.Int(s.Number).Int(2).Token(s.Name).Token(std::string("Der Kampfzauber ") + s.Name + ".");
    t.Int(s.Targets).Int(s.Level).Int(s.Mana).Int(s.AP).Int(10).Int(s.Class).Int(icon);
    t.Int(s.Number == 98 ? icon : 0).Int(0).Int(2);  // cast sprite, sound, frame time
    t.Int(0).Int(0).Int(2).Int(8);                     // flight sprite, sound, frame time, speed
    t.Int(NeedsImpactSprite(s.Number) ? icon : 0).Int(0).Int(2);
    for (i16 p : s.Params) t.Int(p);
  }
}

}  // namespace Builder
