// The spell book: tabs by school, pages and spreads, what it refuses, its
// results by key and mouse, two spreads as pictures, and the group panel's
// book arming a map spell.
#include <gtest/gtest.h>

#include <cstdio>

#include "game/panels/group_panel.h"
#include "game/panels/spell_book.h"
#include "tests/game/panel_fixture.h"
#include "world/data2/global_data.h"

namespace PanelTest {
namespace {

using Main::TSpellSelectDialog;
using namespace Plat;

TEST(SpellBookRules, TabsAndTargetKinds) {
  const std::pair<i16, i32> tabs[] = {{1, 0},  {12, 0}, {13, 1}, {24, 1}, {25, 2},  {36, 2},
                                      {37, 3}, {61, 3}, {65, 0}, {77, 1}, {100, 2}, {101, 3}};
  for (auto [number, tab] : tabs) {
    GameData::TSpellPrototype spell{};
    spell.Number = number;
    EXPECT_EQ(TSpellSelectDialog::TabOf(TSpellSelectDialog::BaseNumber(spell)), tab) << number;
  }
  EXPECT_EQ(TSpellSelectDialog::TargetKinds(16 | 2), "Selbst + Feind");
  EXPECT_EQ(TSpellSelectDialog::TargetKinds(1 | 4 | 8 | 32), "Verb\xFCndet + Neutral + Beliebig + Leeres Feld");
  EXPECT_EQ(TSpellSelectDialog::TargetKinds(0), "");
  i32 x = 0, y = 0;
  TSpellSelectDialog::EntryAnchor(1, 3, x, y);
  EXPECT_EQ(x, 63 + 235);
  EXPECT_EQ(y, 98 + 210);
}

// The demo's own caster, as the data builder makes her: more druid spells
// than one spread holds, and spells on further tabs.
using DemoSpellBook = TPanelFixture;

TEST_F(DemoSpellBook, TheSorceressFillsASecondSpreadAndSecondTab) {
  GameData::TUnit* sorceress = GroupAt(7, 21)->Units[0];
  ASSERT_TRUE(sorceress->Hero);
  auto* book = new TSpellSelectDialog(Sys.get());
  book->SetUnit(sorceress, Main::SpellUsageMap);
  EXPECT_EQ(book->Tab, 0);
  EXPECT_GT(book->OpenCount(), 2 * book->SpellsPerPage);
  book->PageForward();
  EXPECT_EQ(book->Page, 2);
  i32 tabs = 0;
  for (i32 t = 0; t < Main::TSpellSelectDialog::TabCount; ++t) tabs += book->Tabs[t]->IsVisible();
  EXPECT_GE(tabs, 2);
  book->SetUnit(sorceress, Main::SpellUsageBattle);
  EXPECT_GE(book->OpenCount(), 1) << "battle twins of her map spells";
}

class SpellBook : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    Caster = GroupAt(7, 21)->Units[0];
    // Eight more mage spells beside spell 13: nine on one tab. The demo's own
    // spells of those numbers step aside.
    for (i32 i = 0; i < Data2::GlobalData->SpellPrototypes.Count(); ++i) {
      GameData::TSpellPrototype& own = Data2::GlobalData->SpellPrototypes[i];
      if (own.Number >= 14 && own.Number <= 21) own.Number = static_cast<i16>(-own.Number);
    }
    for (i16 n = 14; n <= 21; ++n) {
      GameData::TSpellPrototype p{};
      p.Number = n;
      p.Usage = 1;
      std::snprintf(p.Name, sizeof p.Name, "Spruch %d", n);
      std::snprintf(p.Description, sizeof p.Description, "Der Spruch mit der Nummer %d.", n);
      p.TargetFlags = n % 2 ? 16 | 1 : 2 | 32;
      p.Level = static_cast<i16>(1 + n % 3);
      p.ManaCost = n == 15 ? 999 : 5;
      p.APCost = 2;
      p.Class = 1;
      p.IconID = 7000 + static_cast<u32>(n % 3 + 1);
      Data2::GlobalData->SpellPrototypes.Add(p);
    }
    GameData::TUnitProperties& b = Caster->Base;
    b.Level = 3;
    b.Mana.Current = 40;
    b.ActionPoints.Current = 12;
    b.AllowedSpells = b.KnownSpells = 0;
    for (i32 n : {1, 2, 13, 14, 15, 16, 17, 18, 19, 20, 21}) b.AllowedSpells |= GameData::MaskBit(n);
    b.KnownSpells = b.AllowedSpells & ~GameData::MaskBit(2);  // 2 allowed, not known
    Caster->RecalcEffective(true);
    Book = new TSpellSelectDialog(Sys.get());
  }
  void Open() {
    Book->Show();
    Sys->ProcessRequests();
    Step(30);  // the opening frames
  }
  // The book's window point on screen.
  void MoveTo(i32 x, i32 y) { Move(Book->Left + x, Book->Top + y); }

  GameData::TUnit* Caster = nullptr;
  TSpellSelectDialog* Book = nullptr;
};

TEST_F(SpellBook, FillsTabsByUsageAndKnowledge) {
  Book->SetUnit(Caster, Main::SpellUsageMap);
  EXPECT_EQ(Book->SpellLists[0].size(), 1u);  // 1; 2 is not known, 3 not allowed
  EXPECT_EQ(Book->SpellLists[1].size(), 9u);
  EXPECT_TRUE(Book->SpellLists[2].empty());
  EXPECT_EQ(Book->Tab, 0);  // the first tab with entries is open
  EXPECT_TRUE(Book->Tabs[0]->IsVisible() && Book->Tabs[1]->IsVisible());
  EXPECT_FALSE(Book->Tabs[2]->IsVisible() || Book->Tabs[3]->IsVisible());
  EXPECT_EQ(Book->Tabs[0]->IsOpen, 1);
  EXPECT_EQ(Book->Tabs[0]->Height, Book->Tabs[0]->Picture->Height - 17);
  EXPECT_EQ(Book->Tabs[1]->Height, Book->Tabs[1]->Picture->Height);
  EXPECT_EQ(Book->Tabs[1]->Hint, "Magier-Spr\xFC" "che [F2]");
  // Battle usage: spell 65, the twin of a known map spell.
  Book->SetUnit(Caster, Main::SpellUsageBattle);
  ASSERT_EQ(Book->SpellLists[0].size(), 1u);
  EXPECT_EQ(Book->SpellLists[0][0].Spell->Number, 65);
  // A level below a spell's hides it.
  Caster->Base.Level = 2;
  Caster->RecalcEffective(true);
  Book->SetUnit(Caster, Main::SpellUsageMap);
  EXPECT_EQ(Book->SpellLists[1].size(), 5u);  // 13, 14, 17 and 20 (level 3) drop out
}

TEST_F(SpellBook, PagesSpreadsAndKeys) {
  Book->SetUnit(Caster, Main::SpellUsageMap);
  Open();
  Key(VK_F1 + 1);
  EXPECT_EQ(Book->Tab, 1);
  EXPECT_EQ(Book->Page, 0);
  // Spread 0 shows eight; the right edge offers the next spread.
  EXPECT_EQ(Book->EntryAt(63, 98 + 210), 3);
  EXPECT_EQ(Book->EntryAt(63 + 235, 98 + 210), 7);
  MoveTo(Book->Width - 20, 440);
  EXPECT_EQ(Book->Hint, "N\xE4" "chste Seite [PgDown]");
  MoveTo(20, 440);
  EXPECT_EQ(Book->Hint, "");
  MoveTo(Book->Width - 20, 440);
  Click(Book->Left + Book->Width - 20, Book->Top + 440);
  EXPECT_EQ(Book->Page, 2);
  EXPECT_EQ(Book->EntryAt(63, 98), 8);
  EXPECT_EQ(Book->EntryAt(63 + 235, 98), -1);
  MoveTo(70, 100);
  EXPECT_EQ(Book->HotEntry, 8);
  EXPECT_NE(Book->Hint.find("[1]"), std::string::npos) << Book->Hint;
  MoveTo(20, 440);
  EXPECT_EQ(Book->Hint, "Vorherige Seite [PgUp]");
  struct TCase {
    Plat::WPARAM Key;
    i32 Page;
  };
  const TCase keys[] = {{VK_NEXT, 2}, {VK_PRIOR, 0}, {VK_PRIOR, 0}, {VK_END, 2}, {VK_HOME, 0}, {VK_F1 + 2, 0}};
  for (const TCase& c : keys) {
    Key(c.Key);
    EXPECT_EQ(Book->Page, c.Page) << c.Key;
  }
  EXPECT_EQ(Book->Tab, 1) << "F3 selects no hidden tab";
  // Another tab starts at its first spread.
  Key(VK_END);
  Key(VK_F1);
  EXPECT_EQ(Book->Tab, 0);
  EXPECT_EQ(Book->Page, 0);
}

// A spread turned by key or click, without a move, shows the hint and the lit
// entry of what is now under the pointer.
TEST_F(SpellBook, TheHintFollowsATurnWithoutAMove) {
  Book->SetUnit(Caster, Main::SpellUsageMap);
  Open();
  Key(VK_F1 + 1);
  MoveTo(Book->Width - 20, 440);
  EXPECT_EQ(Book->Hint, "N\xE4" "chste Seite [PgDown]");
  Key(VK_NEXT);
  EXPECT_EQ(Book->Page, 2);
  EXPECT_EQ(Book->Hint, "") << "no spread after the last";
  Key(VK_PRIOR);
  EXPECT_EQ(Book->Hint, "N\xE4" "chste Seite [PgDown]");
  Click(Book->Left + Book->Width - 20, Book->Top + 440);
  EXPECT_EQ(Book->Page, 2);
  EXPECT_EQ(Book->Hint, "");
  // Over the first entry, another tab lights its own first spell.
  Key(VK_HOME);
  MoveTo(70, 100);
  ASSERT_EQ(Book->HotEntry, 0);
  const std::string before = Book->Hint;
  Key(VK_F1);
  EXPECT_EQ(Book->HotEntry, 0);
  const std::string after = Book->Hint;
  EXPECT_NE(after, before);
  MoveTo(20, 440);
  MoveTo(70, 100);
  EXPECT_EQ(Book->Hint, after);
}

TEST_F(SpellBook, RefusesWhatCannotBeCast) {
  Book->SetUnit(Caster, Main::SpellUsageMap);
  Book->SelectTab(1);
  // Slot 2 holds spell 15, which costs more mana than the caster has.
  ASSERT_EQ(Book->SpellLists[1][2].Spell->Number, 15);
  Book->CastSlot(2);
  Book->CastSlot(9);
  Book->PageForward();
  Book->CastSlot(1);  // beyond the ninth
  EXPECT_EQ(Book->ModalResult, 0);
  // A unit that knows nothing usable: all tabs hidden, only closing works.
  GameData::TUnit* knight = GroupAt(5, 14)->Units[0];
  auto* empty = new TSpellSelectDialog(Sys.get());
  empty->SetUnit(knight, Main::SpellUsageMap);
  EXPECT_EQ(empty->Tab, -1);
  for (auto* tab : empty->Tabs) EXPECT_FALSE(tab->IsVisible());
  const int result = RunModal(*empty, [&](u32 step) {
    if (step == 30) Os->KeyDown('1');
    if (step == 40) Os->KeyDown(VK_RIGHT);
    if (step == 50) Os->KeyDown(VK_ESCAPE);
  });
  EXPECT_EQ(result, Main::SpellResultBase);
}

TEST_F(SpellBook, ResultsByKeyClickAndRightButton) {
  struct TCase {
    const char* Name;
    std::function<void(TSpellSelectDialog&)> Input;
    i32 Result;
  };
  const TCase cases[] = {
      {"key 2 on the mage tab", [&](TSpellSelectDialog&) { Os->KeyDown('2'); }, 1014},
      {"click on the first entry",
       [&](TSpellSelectDialog& b) {
         Os->MouseMove(b.Left + 70, b.Top + 100);
         Os->Click(DXWin::mbLeft, b.Left + 70, b.Top + 100);
       },
       1013},
      {"click after a page turn by key",
       [&](TSpellSelectDialog& b) {
         Os->MouseMove(b.Left + 70, b.Top + 100);
         Drain();
         Os->KeyDown(VK_NEXT);
         Drain();
         Os->MouseButton(DXWin::mbLeft, true, b.Left + 70, b.Top + 100);
         Os->MouseButton(DXWin::mbLeft, false, b.Left + 70, b.Top + 100);
       },
       1021},
      {"shifted key",
       [&](TSpellSelectDialog&) { Os->KeyDown(VK_SHIFT);
         Os->KeyDown('1');
       },
       0},
      {"right button", [&](TSpellSelectDialog& b) { Os->MouseButton(DXWin::mbRight, true, b.Left + 200, b.Top + 200); },
       Main::SpellResultBase},
  };
  for (const TCase& c : cases) {
    auto* book = new TSpellSelectDialog(Sys.get());
    book->SetUnit(Caster, Main::SpellUsageMap);
    book->SelectTab(1);
    bool ended = false;
    const int result = RunModal(*book, [&](u32 step) {
      if (step == 30) c.Input(*book);
      if (step == 60 && c.Result == 0) {
        ended = true;
        App->Quit = 1;
      }
    });
    if (c.Result == 0) {
      EXPECT_TRUE(ended) << c.Name;
      App->Quit = 0;
      Os->KeyUp(VK_SHIFT);
      book->Close();
    } else {
      EXPECT_EQ(result, c.Result) << c.Name;
    }
  }
}

TEST_F(SpellBook, TwoSpreadsPicture) {
  Book->SetUnit(Caster, Main::SpellUsageMap);
  Book->SelectTab(1);
  Open();
  MoveTo(70 + 235, 100 + 70);  // the entry of spell 18: its frame
  DrawScreen();
  const Base::TRect area = Book->GetScreenRect();
  ExpectPicture("spell_book_spread1", area);
  Key(VK_NEXT);
  MoveTo(20, 440);
  DrawScreen();
  ExpectPicture("spell_book_spread2", area);
}

TEST_F(SpellBook, NoChoiceArmsNothing) {
  auto* panel = new Main::TGroupInfoWindow(Sys.get());
  panel->SetScenario(Scenario.get());
  panel->Show();
  Scenario->ViewingPlayer->Select(GroupAt(7, 21));
  Step(12);
  Clock.StepPerRead = 1;
  // Closed with Esc, then a loop that ends without any result (the program quitting).
  for (bool quit : {false, true}) {
    Game->ArmedSpell = 5;
    Game->ArmedCaster = 2;
    u32 at = 0;
    WinTest::Script = [&](u32 count) {
      if (at == 0) at = count;
      if (count == at + 40) {
        if (quit)
          App->Quit = 1;
        else
          Os->KeyDown(VK_ESCAPE);
      }
    };
    panel->OpenSpellBook(0);
    App->Quit = 0;
    EXPECT_EQ(Game->ArmedSpell, 0) << quit;
    EXPECT_EQ(Game->ArmedCaster, 0) << quit;
  }
  WinTest::Script = nullptr;
  Clock.StepPerRead = 0;
}

TEST_F(SpellBook, GroupPanelArmsTheChosenSpell) {
  // Select a group, look at its unit, open its book and choose.
  auto* panel = new Main::TGroupInfoWindow(Sys.get());
  panel->SetScenario(Scenario.get());
  panel->Show();
  Scenario->ViewingPlayer->Select(GroupAt(7, 21));
  Step(12);
  ASSERT_TRUE(panel->Panels[0]->SpellButton->IsVisible());
  Clock.StepPerRead = 1;
  u32 phase = 0, at = 0;
  WinTest::Script = [&](u32 count) {
    if (at == 0) at = count;
    if (phase == 0 && Game->UnitDetailWindow->IsVisible()) {
      phase = 1;
      at = count;
    }
    if (phase == 1 && count == at + 5) Os->KeyDown(VK_ESCAPE);
    if (count > at + 3000) App->Quit = 1;
  };
  Os->MouseMove(562 + 50, 140 + 50);
  Os->MouseButton(DXWin::mbRight, true, 562 + 50, 140 + 50);
  Drain();
  EXPECT_EQ(phase, 1u) << "the detail window opened";
  EXPECT_FALSE(Game->UnitDetailWindow->IsVisible());
  phase = 0;
  at = 0;
  WinTest::Script = [&](u32 count) {
    if (at == 0) at = count;
    if (count == at + 40) Os->KeyDown('1');
    if (count > at + 3000) App->Quit = 1;
  };
  const i32 x = 562 + 96 + 14, y = 140 + 39 + 14;
  Os->MouseMove(x, y);
  Os->Click(DXWin::mbLeft, x, y);
  Drain();
  WinTest::Script = nullptr;
  Clock.StepPerRead = 0;
  EXPECT_EQ(Game->ArmedSpell, 1);
  EXPECT_EQ(Game->ArmedCaster, 0);
}

}  // namespace
}  // namespace PanelTest
