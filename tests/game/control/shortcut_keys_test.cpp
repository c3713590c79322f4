// The shortcut records: the whole table as the game binds it, matching that
// consumes the key, and the hint texts of the tooltips.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/control/shortcut_keys.h"

namespace {

using namespace Main;

struct TRow {
  int Number;
  u32 Key1;
  const char* Name1;
  u32 Key2;
  const char* Name2;
};

// clang-format off
const TRow Table[ShortcutCount] = {
  {0, 0x0D, "Enter", 0x67, "Num7"}, {1, 0x6A, "Num*", 0x68, "Num8"}, {2, 0x6B, "Num+", 0x69, "Num9"},
  {3, 0x54, "T", 0x63, "Num3"}, {4, 0x44, "D", 0x62, "Num2"}, {5, 0x43, "C", 0x61, "Num1"},
  {6, 0x1B, "Esc", 0x65, "Num5"}, {7, 0x51, "Q", 0, ""}, {8, 0x57, "W", 0, ""}, {9, 0x45, "E", 0, ""},
  {10, 0x1B, "Esc", 0x52, "R"}, {11, 0x20, "Space", 0x41, "A"}, {12, 0x0D, "Enter", 0x46, "F"},
  {13, 0x31, "1", 0, ""}, {14, 0x32, "2", 0, ""}, {15, 0x33, "3", 0, ""}, {16, 0x34, "4", 0, ""},
  {17, 0x35, "5", 0, ""}, {18, 0x36, "6", 0, ""}, {19, 0x08, "BkSpace", 0, ""}, {20, 0x43, "C", 0x53, "S"},
  {21, 0x70, "F1", 0, ""}, {22, 0x71, "F2", 0, ""}, {23, 0x72, "F3", 0, ""}, {24, 0x73, "F4", 0, ""},
  {25, 0x21, "PgUp", 0, ""}, {26, 0x22, "PgDown", 0, ""}, {27, 0x24, "Home", 0, ""}, {28, 0x23, "End", 0, ""},
  {29, 0x1B, "Esc", 0, ""}, {30, 0x31, "1", 0, ""}, {31, 0x32, "2", 0, ""}, {32, 0x33, "3", 0, ""},
  {33, 0x34, "4", 0, ""}, {34, 0x35, "5", 0, ""}, {35, 0x36, "6", 0, ""}, {36, 0x37, "7", 0, ""},
  {37, 0x38, "8", 0, ""},
  {38, 0x31, "1", 0, ""}, {39, 0x32, "2", 0, ""}, {40, 0, "", 0, ""}, {41, 0x33, "3", 0, ""},
  {42, 0x34, "4", 0, ""}, {43, 0x35, "5", 0, ""}, {44, 0x36, "6", 0, ""}, {45, 0x37, "7", 0, ""},
  {46, 0x38, "8", 0, ""}, {47, 0x39, "9", 0, ""}, {48, 0x39, "9", 0, ""}, {49, 0x39, "9", 0, ""},
  {50, 0x30, "0", 0, ""}, {51, 0x30, "0", 0, ""}, {52, 0xBD, "-", 0, ""}, {53, 0xBB, "=", 0, ""},
  {54, 0x70, "F1", 0, ""}, {55, 0x71, "F2", 0, ""}, {56, 0x72, "F3", 0, ""}, {57, 0x73, "F4", 0, ""},
  {58, 0x21, "PgUp", 0, ""}, {59, 0x22, "PgDown", 0, ""}, {60, 0x24, "Home", 0, ""}, {61, 0x23, "End", 0, ""},
  {62, 0x1B, "Esc", 0x0D, "Enter"},
  {63, 0x70, "F1", 0, ""}, {64, 0x71, "F2", 0, ""}, {65, 0x72, "F3", 0, ""},
  {66, 0x21, "PgUp", 0, ""}, {67, 0x22, "PgDown", 0, ""}, {68, 0x24, "Home", 0, ""}, {69, 0x23, "End", 0, ""},
  {70, 0x1B, "Esc", 0x0D, "Enter"},
};
// clang-format on

TEST(ShortcutKeys, TheGameBindsEveryRecordAsTabled) {
  TShortcutKey keys[ShortcutCount];
  std::memset(keys, 0x5A, sizeof keys);
  FillShortcuts(keys);
  static_assert(sizeof(TShortcutKey) == 48);
  for (const TRow& row : Table) {
    SCOPED_TRACE(row.Number);
    const TShortcutKey& k = keys[row.Number];
    EXPECT_EQ(k.Key1, row.Key1);
    EXPECT_STREQ(k.Name1, row.Name1);
    EXPECT_EQ(k.Key2, row.Key2);
    EXPECT_STREQ(k.Name2, row.Name2);
  }
  EXPECT_EQ(HeroHotkeyUnits[2], 519u) << "the hero without a key";
  EXPECT_EQ(HeroHotkeyUnits[15], 521u);
}

TEST(ShortcutKeys, HintTexts) {
  TShortcutKey keys[ShortcutCount];
  FillShortcuts(keys);
  struct TCase {
    int Number;
    const char* Caption;
    const char* Hint;
  };
  for (const TCase& t : {TCase{scDiary, "Tagebuch", "Tagebuch [D/Num2]"},
                         TCase{scPanelSpellBook1, "Zauberbuch", "Zauberbuch [Q]"},
                         TCase{scHero1 + 2, "Held", "Held"},
                         TCase{scEndTurn, "Ende der Runde", "Ende der Runde [Enter/Num7]"},
                         TCase{scCreatureClose, "Schlie\xDF" "en", "Schlie\xDF" "en [Esc/Enter]"},
                         TCase{scSpellTab1 + 3, "Andere Zauberspr\xFC" "che", "Andere Zauberspr\xFC" "che [F4]"}})
    EXPECT_EQ(keys[t.Number].FormatHint(t.Caption), t.Hint);
}

TEST(ShortcutKeys, SetKeepsSecondKeysAndNamesWithinTheRecord) {
  TShortcutKey k;
  k.Set('X', "X", 0, "ignored");
  EXPECT_STREQ(k.Name2, "") << "no second key, no second name";
  EXPECT_EQ(k.Key2, 0u);
  k.Set('Y', "A name of 25 characters!!", 'Z', "Zett");
  EXPECT_EQ(std::string(k.Name1), "A name of 25 charac");
  EXPECT_STREQ(k.Name2, "Zett");
}

TEST(ShortcutKeys, MatchingConsumesTheKey) {
  TShortcutKey keys[ShortcutCount];
  FillShortcuts(keys);
  Plat::WPARAM key = 0;
  EXPECT_FALSE(keys[scHero1 + 2].Matches(key)) << "a key code of 0 never matches, not even an empty record";
  key = 0x62;
  EXPECT_TRUE(keys[scDiary].Matches(key)) << "the second key";
  EXPECT_EQ(key, 0u);
  // Return on the map ends the turn; in the battle it accepts; the books close.
  struct TCase {
    std::vector<int> Order;
    int Expected;
  };
  for (const TCase& t : {TCase{{scEndTurn, scNextGroup, scDiary}, scEndTurn},
                         TCase{{scRetreat, scAutomaticOrders, scAcceptOrders}, scAcceptOrders},
                         TCase{{scDiaryTab1, scDiaryNextPage, scDiaryClose}, scDiaryClose},
                         TCase{{scCreatureFirstEntry, scCreatureClose}, scCreatureClose}}) {
    key = Plat::VK_RETURN;
    int matched = -1;
    for (int n : t.Order)
      if (keys[n].Matches(key) && matched < 0) matched = n;
    EXPECT_EQ(matched, t.Expected);
    EXPECT_EQ(key, 0u) << "no later record sees the key";
  }
  key = 'R';
  EXPECT_FALSE(keys[scEndTurn].Matches(key));
  EXPECT_EQ(key, static_cast<Plat::WPARAM>('R'));
}

}  // namespace
