// The unit panel and the group panel: gauge arithmetic, hints, the three
// layouts as pictures, the group panel's slides, split marks and spell-book
// button, and a right click that opens the detail window.
#include <gtest/gtest.h>

#include "game/panels/group_panel.h"
#include "game/panels/unit_panel.h"
#include "tests/game/panel_fixture.h"
#include "world/data2/global_data.h"

namespace PanelTest {
namespace {

using Main::TGroupInfoWindow;
using Main::TUnitInfoControl;

GameData::TAfterEffect* Effect(i32 id, i32 turns) {
  auto* e = new GameData::TAfterEffect{};
  e->EffectID = id;
  e->TurnsLeft = turns;
  return e;
}

TEST(GaugeArithmetic, FillAndNumbers) {
  struct TCase {
    i32 Max, Value, Base, Fill;
    const char *MaxText, *ValueText;
  };
  const TCase cases[] = {
      {1500, 750, -1, 23, "1K", "0K"},  // half full, thousands
      {60, 60, -1, 46, "60", "60"},
      {60, 90, -1, 46, "60", "90"},   // above the maximum stays full
      {0, 5, -1, 0, "0", "5"},        // no maximum, no fill
      {150, 100, 100, 0, "150", "100"},  // experience just at its level: empty
      {150, 150, 100, 46, "150", "150"},  // at the next level's: full
      {150, 125, 100, 23, "150", "125"},
      {100, 100, 100, 0, "100", "100"},  // no span
      {150, 40, 100, 0, "150", "40"},    // below the level's start: empty, not below the tube
      {999, 999, -1, 46, "999", "999"},
      {1000, 1999, -1, 46, "1K", "1K"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Main::GaugeFillHeight(c.Max, c.Value, c.Base), c.Fill) << c.Max << " " << c.Value << " " << c.Base;
    EXPECT_EQ(Main::GaugeNumber(c.Max, c.Max), c.MaxText);
    EXPECT_EQ(Main::GaugeNumber(c.Value, c.Max), c.ValueText);
  }
}

class UnitPanel : public TPanelFixture {
 protected:
  // The panels of the three layouts side by side in one window.
  void SetUp() override {
    TPanelFixture::SetUp();
    Win = new Main::TOrvWindow(Sys.get(), 0, 0);
    Win->SetBounds({0, 0, 700, 140});
    Win->Show();
    Sys->ProcessRequests();
    for (i32 layout = 0; layout < 3; ++layout) {
      Panels[layout] = new TUnitInfoControl(Win, Win, DXWin::cfVisible | DXWin::cfEnabled, layout);
      Panels[layout]->SetPosition(Lefts[layout], 2);
    }
  }
  GameData::TUnit* Sorceress() const { return GroupAt(7, 21)->Units[0]; }

  Main::TOrvWindow* Win = nullptr;
  TUnitInfoControl* Panels[3] = {};
  const i32 Lefts[3] = {2, 250, 460};
};

TEST_F(UnitPanel, HintsByHotRectangle) {
  GameData::TUnit* u = Sorceress();
  GameData::TUnitProperties& e = u->Base;
  e.Morale = 40;
  e.HitPoints.Current = 20;
  e.ActionPoints.Current = 7;
  e.Mana.Current = 15;
  e.Experiences = 30;
  u->RecalcEffective(true);
  const GameData::TUnitProperties& f = u->Effective;
  ASSERT_EQ(Data2::GlobalData->MaxMorale, 100);
  struct TCase {
    i32 X, Y;
    std::string Hint;
  };
  // Layout 0, positions inside the panel.
  const TCase cases[] = {
      {130, 50, "Trefferpunkte: 20/" + std::to_string(f.HitPoints.ValueAt(f.Level))},
      {150, 50, "Aktionspunkte: 7/" + std::to_string(f.ActionPoints.ValueAt(f.Level))},
      {160, 50, "Mana: 15/" + std::to_string(f.Mana.ValueAt(f.Level))},
      {180, 104, "Erfahrung: 30 (" + std::to_string(f.ExperienceForLevel(f.Level + 1)) + ")"},
      {210, 20, "Moral: 40/100"},
      {210, 30, "Sicht: " + std::to_string(f.Sight.Current)},
      {234, 66, "Angriff: " + std::to_string(f.Attack.Current)},
      {200, 67, "Gegenangriff: " + std::to_string(f.CounterAttack.Current)},
      {200, 104, "Abwehr: " + std::to_string(f.Defence.Current)},
      {100, 80, "Level: " + std::to_string(f.Level)},
      {50, 50, ""},   // the portrait
      {235, 50, ""},  // right of the numbers
  };
  Panels[0]->SetUnit(u);
  for (const TCase& c : cases) {
    Move(Lefts[0] + c.X, 2 + c.Y);
    Step();
    EXPECT_EQ(Panels[0]->Hint, c.Hint) << c.X << "," << c.Y;
  }
  // Without a unit the hint stays as it was.
  Panels[0]->SetUnit(nullptr);
  Move(Lefts[0] + 210, 22);
  Step();
  EXPECT_EQ(Panels[0]->Hint, "");
  // The battle layouts have no sight number; the right column shows morale where the left shows attack.
  Panels[1]->SetUnit(u);
  Move(Lefts[1] + 40, 2 + 120);
  Step();
  EXPECT_EQ(Panels[1]->Hint, "Angriff: " + std::to_string(f.Attack.Current));
  Panels[2]->SetUnit(u);
  Move(Lefts[2] + 60, 2 + 120);
  Step();
  EXPECT_EQ(Panels[2]->Hint, "Moral: 40/100");
}

TEST_F(UnitPanel, SpellButtonFollowsTheUnit) {
  GameData::TUnit* knight = GroupAt(5, 14)->Units[0];
  GameData::TUnit* sorceress = Sorceress();
  ASSERT_FALSE(knight->HasCastableSpell());
  ASSERT_TRUE(sorceress->HasCastableSpell());
  TUnitInfoControl& p = *Panels[0];
  p.SetUnit(sorceress);
  EXPECT_TRUE(p.SpellButton->IsVisible());
  p.Marked = p.Active = 1;
  p.SetUnit(sorceress);  // the same unit changes nothing
  EXPECT_EQ(p.Marked, 1);
  p.SetUnit(knight);
  EXPECT_FALSE(p.SpellButton->IsVisible());
  EXPECT_EQ(p.Marked, 0);
  EXPECT_EQ(p.Active, 0);
  EXPECT_EQ(p.SpellButton->Hint, "Zauberbuch");
  EXPECT_EQ(p.PortraitButton->Hint, "Einheit w\xE4hlen/abw\xE4hlen");
  EXPECT_EQ(Panels[1]->PortraitButton->Hint, "Einheit w\xE4hlen");
}

TEST_F(UnitPanel, SlidesAreNotRedirected) {
  TUnitInfoControl& p = *Panels[0];
  p.SlideTo(102, 2, 100);
  p.SlideTo(2, 300, 100);  // ignored while under way
  Step(5);
  EXPECT_EQ(p.Left, 2 + 100 * 50 / 100);
  EXPECT_EQ(p.Top, 2);
  Step(6);
  EXPECT_EQ(p.Left, 102);
  EXPECT_EQ(p.Sliding, 0);
  p.SlideTo(102, 2, 100);  // already there
  EXPECT_EQ(p.Sliding, 0);
}

TEST_F(UnitPanel, ThreeLayoutsPicture) {
  GameData::TUnit* u = Sorceress();
  u->AddAfterEffect(Effect(1, 3));
  u->AddAfterEffect(Effect(13, 2));
  u->AddAfterEffect(Effect(5001, 2));  // a skill's effect shows no icon
  u->AddAfterEffect(Effect(65, 1));
  u->Base.HitPoints.Current = 20;
  u->Base.Experiences = 120;
  u->RecalcEffective(true);
  GameData::TUnit* knight = GroupAt(5, 14)->Units[0];
  knight->Base.HitPoints.Current = 0;  // dead: the overlay
  knight->RecalcEffective(false);
  Panels[0]->SetUnit(u);
  Panels[0]->Marked = 1;
  Panels[1]->SetUnit(knight);
  Panels[1]->Active = 1;
  Panels[2]->SetUnit(GroupAt(5, 14)->Units[1]);
  Move(Lefts[2] + 40, 40);  // the hover frame on the right column's portrait
  DrawScreen();
  ExpectPicture("panel_layouts", {0, 0, 660, 140});
}

class GroupPanel : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    Panel = new TGroupInfoWindow(Sys.get());
    Panel->SetScenario(Scenario.get());
    Panel->Show();
    Sys->ProcessRequests();
  }
  GameData::TPlayer& Viewer() const { return *Scenario->ViewingPlayer; }

  TGroupInfoWindow* Panel = nullptr;
};

TEST_F(GroupPanel, SlidesInAndShrinksToTheGroup) {
  Step();
  EXPECT_EQ(Panel->State, Main::psHidden);
  EXPECT_EQ(Panel->Left, 800);
  GameData::TGroup* pair = GroupAt(5, 14);
  ASSERT_EQ(pair->GetUnitCount(), 2);
  Viewer().Select(pair);
  Step();
  EXPECT_EQ(Panel->Group, pair);
  EXPECT_EQ(Panel->State, Main::psShown);
  Step(11);
  EXPECT_EQ(Panel->Left, 562);
  EXPECT_EQ(Panel->Top, 140);
  EXPECT_EQ(Panel->Height, 208);
  EXPECT_EQ(Panel->Panels[0]->Unit, pair->Units[0]);
  EXPECT_EQ(Panel->Panels[1]->Left, 0);
  EXPECT_EQ(Panel->Panels[2]->Left, 238);
  EXPECT_EQ(Panel->Panels[2]->Unit, nullptr);
  // A group of one: the second panel slides out, the window keeps its height until it is out.
  Viewer().Select(GroupAt(7, 21));
  Step(2);
  EXPECT_EQ(Panel->Panels[1]->Sliding, 1);
  EXPECT_EQ(Panel->Height, 208);
  Step(12);
  EXPECT_EQ(Panel->Panels[1]->Left, 238);
  EXPECT_EQ(Panel->Height, 104);
  // No group: the window slides out to the right.
  Viewer().Select(nullptr);
  Step(12);
  EXPECT_EQ(Panel->State, Main::psHidden);
  EXPECT_EQ(Panel->Left, 800);
}

TEST_F(GroupPanel, PortraitClickPostsTheMarks) {
  GameData::TGroup* pair = GroupAt(5, 14);
  pair->SplitMarks[0] = 1;
  pair->SplitMarks[1] = 0;
  Viewer().Select(pair);
  Step(12);
  EXPECT_EQ(Panel->Panels[0]->Marked, 1);
  Click(562 + 15 + 40, 140 + 104 + 11 + 40);  // the second portrait
  EXPECT_EQ(Viewer().Mailbox.Words[0], static_cast<u32>(GameData::atMarkUnits));
  EXPECT_EQ(Viewer().Mailbox.Words[1], 0x0101u);
  // While the scenario is busy the portraits are disabled.
  Step();
  EXPECT_TRUE(Scenario->IsBusy());
  EXPECT_FALSE(Panel->Panels[0]->PortraitButton->IsEnabled());
  // During another player's turn there is no group and nothing is posted.
  Viewer().SetResult(1);
  Viewer().Mailbox = {};
  Scenario->CurrentPlayerIndex = static_cast<i16>((Scenario->CurrentPlayerIndex + 1) % GameData::MaxPlayers);
  Step();
  EXPECT_EQ(Panel->Group, nullptr);
  Panel->ToggleMark(0);
  EXPECT_EQ(Viewer().Mailbox.Words[0], 0u);
}

TEST_F(GroupPanel, NoSpellBookWithoutCastableSpell) {
  Viewer().Select(GroupAt(5, 14));
  Step(12);
  EXPECT_FALSE(Panel->Panels[0]->SpellButton->IsVisible());
  Game->ArmedSpell = 0;
  Panel->OpenSpellBook(0);
  Panel->OpenSpellBook(2);  // beyond the group
  EXPECT_EQ(Game->ArmedSpell, 0);
  EXPECT_EQ(Game->ArmedCaster, 0);
  EXPECT_EQ(Panel->Panels[0]->SpellButton->Hint, "Zauberbuch [Q]");
}

TEST_F(GroupPanel, RightClickOpensTheDetailWindow) {
  GameData::TGroup* one = GroupAt(7, 21);
  Viewer().Select(one);
  Step(12);
  Main::TUnitDetailWindow& detail = *Game->UnitDetailWindow;
  Clock.StepPerRead = 1;
  u32 shownAt = 0;
  WinTest::Script = [&](u32 count) {
    if (detail.IsVisible() && shownAt == 0) shownAt = count;
    if (shownAt != 0 && count == shownAt + 3) Os->KeyDown(27);
    if (shownAt == 0 && count > 500) App->Quit = 1;
  };
  Os->MouseMove(562 + 50, 140 + 50);
  Os->MouseButton(DXWin::mbRight, true, 562 + 50, 140 + 50);
  Drain();
  WinTest::Script = nullptr;
  Clock.StepPerRead = 0;
  EXPECT_NE(shownAt, 0u);
  EXPECT_EQ(detail.Unit, one->Units[0]);
  EXPECT_EQ(detail.PanelLeft, 20);
  EXPECT_EQ(detail.ModalResult, 1);
  EXPECT_FALSE(detail.IsVisible());
}

}  // namespace
}  // namespace PanelTest
