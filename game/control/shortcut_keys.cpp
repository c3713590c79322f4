#include "game/control/shortcut_keys.h"

#include <cstdio>
#include <cstring>

#include "engine/base/base.h"

using namespace Plat;

namespace Main {

const u32 HeroHotkeyUnits[HeroHotkeyCount] = {500, 501, 519, 503, 504, 505, 506, 507,
                                              508, 509, 512, 515, 516, 522, 517, 521};

void TShortcutKey::Set(int key1, const char* name1, int key2, const char* name2) {
  std::memset(this, 0, sizeof *this);
  Key1 = static_cast<u32>(key1);
  Base::SafeStrCopy(Name1, name1, sizeof Name1);
  if (key2 == 0) return;
  Key2 = static_cast<u32>(key2);
  Base::SafeStrCopy(Name2, name2, sizeof Name2);
}

bool TShortcutKey::Matches(WPARAM& key) const {
  if ((Key1 != 0 && Key1 == key) || (Key2 != 0 && Key2 == key)) {
    key = 0;
    return true;
  }
  return false;
}

std::string TShortcutKey::FormatHint(const std::string& caption) const {
  if (Key1 == 0) return caption;
  if (Key2 == 0) return caption + " [" + Name1 + "]";
  return caption + " [" + Name1 + "/" + Name2 + "]";
}

void FillShortcuts(TShortcutKey (&s)[ShortcutCount]) {
  for (TShortcutKey& k : s) k.Set(0, "", 0, "");
  s[scEndTurn].Set(VK_RETURN, "Enter", 0x67, "Num7");
  s[scNextGroup].Set(VK_MULTIPLY, "Num*", 0x68, "Num8");
  s[scNextGroupWithAPs].Set(VK_ADD, "Num+", 0x69, "Num9");
  s[scCamp].Set('T', "T", 0x63, "Num3");
  s[scDiary].Set('D', "D", 0x62, "Num2");
  s[scCreatureBook].Set('C', "C", 0x61, "Num1");
  s[scMainMenu].Set(VK_ESCAPE, "Esc", 0x65, "Num5");
  s[scPanelSpellBook1].Set('Q', "Q", 0, "");
  s[scPanelSpellBook1 + 1].Set('W', "W", 0, "");
  s[scPanelSpellBook1 + 2].Set('E', "E", 0, "");
  s[scRetreat].Set(VK_ESCAPE, "Esc", 'R', "R");
  s[scAutomaticOrders].Set(VK_SPACE, "Space", 'A', "A");
  s[scAcceptOrders].Set(VK_RETURN, "Enter", 'F', "F");
  for (int i = 0; i < 6; ++i) {
    const char digit[2] = {static_cast<char>('1' + i), 0};
    s[scCombatant1 + i].Set('1' + i, digit, 0, "");
  }
  s[scTakeBack].Set(VK_BACK, "BkSpace", 0, "");
  s[scBattleSpellBook].Set('C', "C", 'S', "S");
  char name[8];
  for (int i = 0; i < 4; ++i) {
    std::snprintf(name, sizeof name, "F%d", i + 1);
    s[scSpellTab1 + i].Set(static_cast<int>(VK_F1) + i, name, 0, "");
    s[scDiaryTab1 + i].Set(static_cast<int>(VK_F1) + i, name, 0, "");
    if (i < 3) s[scCreatureCategory1 + i].Set(static_cast<int>(VK_F1) + i, name, 0, "");
  }
  for (int book : {scSpellPreviousPage, scDiaryPreviousPage, scCreaturePreviousPage}) {
    s[book].Set(VK_PRIOR, "PgUp", 0, "");
    s[book + 1].Set(VK_NEXT, "PgDown", 0, "");
    s[book + 2].Set(VK_HOME, "Home", 0, "");
    s[book + 3].Set(VK_END, "End", 0, "");
  }
  s[scSpellClose].Set(VK_ESCAPE, "Esc", 0, "");
  for (int i = 0; i < 8; ++i) {
    const char digit[2] = {static_cast<char>('1' + i), 0};
    s[scSpellSlot1 + i].Set('1' + i, digit, 0, "");
  }
  // The heroes take the number row in order; the hero of slot 2 has no key,
  // and the row's last two keys are the ones right of 0 on the keyboard
  // (minus and the equals or plus key), which the names show.
  static const struct {
    int Key;
    const char* Name;
  } heroes[HeroHotkeyCount] = {{'1', "1"}, {'2', "2"}, {0, ""},  {'3', "3"}, {'4', "4"}, {'5', "5"},
                               {'6', "6"}, {'7', "7"}, {'8', "8"}, {'9', "9"}, {'9', "9"}, {'9', "9"},
                               {'0', "0"}, {'0', "0"}, {static_cast<int>(VK_OEM_MINUS), "-"},
                               {static_cast<int>(VK_OEM_PLUS), "="}};
  for (int i = 0; i < HeroHotkeyCount; ++i) s[scHero1 + i].Set(heroes[i].Key, heroes[i].Name, 0, "");
  s[scDiaryClose].Set(VK_ESCAPE, "Esc", VK_RETURN, "Enter");
  s[scCreatureClose].Set(VK_ESCAPE, "Esc", VK_RETURN, "Enter");
}

}  // namespace Main
