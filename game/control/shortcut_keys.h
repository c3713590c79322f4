// The game's keyboard shortcuts: each record binds up to two virtual-key
// codes, with the names the tooltips show behind their captions.
#pragma once

#include <string>

#include "engine/base/types.h"
#include "engine/platform/window/wintypes.h"

namespace Main {

struct TShortcutKey {
  // Zeroes the record, then stores key 1 and its name (at most 19
  // characters) and, when key 2 is not 0, key 2 and its name.
  void Set(int key1, const char* name1, int key2, const char* name2);
  // True when a set key equals the code; the code then becomes 0 so that no
  // later record or handler sees the key.
  bool Matches(Plat::WPARAM& key) const;
  // "caption [name1/name2]", "caption [name1]" or the caption alone.
  std::string FormatHint(const std::string& caption) const;

  u32 Key1;  // 0: no binding
  u32 Key2;
  char Name1[20];
  char Name2[20];
};

// The records by number, in the order of the table.
enum TShortcut : int {
  // Command buttons.
  scEndTurn = 0,
  scNextGroup = 1,
  scNextGroupWithAPs = 2,
  scCamp = 3,
  scDiary = 4,
  scCreatureBook = 5,
  scMainMenu = 6,
  // Spell books of the group panel's three slots.
  scPanelSpellBook1 = 7,
  // Battle screen.
  scRetreat = 10,
  scAutomaticOrders = 11,
  scAcceptOrders = 12,
  scCombatant1 = 13,  // to 18
  scTakeBack = 19,
  scBattleSpellBook = 20,
  // Spell book.
  scSpellTab1 = 21,  // to 24
  scSpellPreviousPage = 25,
  scSpellNextPage = 26,
  scSpellFirstPage = 27,
  scSpellLastPage = 28,
  scSpellClose = 29,
  scSpellSlot1 = 30,  // to 37
  // Heroes, entry i of HeroHotkeyUnits.
  scHero1 = 38,  // to 53
  // Diary.
  scDiaryTab1 = 54,  // to 57
  scDiaryPreviousPage = 58,
  scDiaryNextPage = 59,
  scDiaryFirstPage = 60,
  scDiaryLastPage = 61,
  scDiaryClose = 62,
  // Creature book.
  scCreatureCategory1 = 63,  // to 65
  scCreaturePreviousPage = 66,
  scCreatureNextPage = 67,
  scCreatureFirstEntry = 68,
  scCreatureLastEntry = 69,
  scCreatureClose = 70,
  ShortcutCount = 71
};

constexpr int HeroHotkeyCount = 16;
// The heroes that records scHero1 + i select.
extern const u32 HeroHotkeyUnits[HeroHotkeyCount];

// Fills all records as the game binds them (the controller's InitShortcuts).
void FillShortcuts(TShortcutKey (&shortcuts)[ShortcutCount]);

}  // namespace Main
