// The portrait grid and the spell list box: cells and their gaps, the wheel,
// school pictures by spell number, skill requirements, offer colours, and a
// spell offer without its battle twin.
#include <gtest/gtest.h>

#include "controls/sprite_scroll_bar.h"
#include "game/panels/face_control.h"
#include "game/panels/spell_list_box.h"
#include "tests/game/panel_fixture.h"
#include "world/data2/global_data.h"

namespace PanelTest {
namespace {

TEST(FaceGrid, CellsAndGaps) {
  DXWin::TDXGroup owner(nullptr, nullptr, DXWin::cfVisible);
  auto* grid = new Main::TFaceControl(&owner);
  grid->Columns = 3;
  grid->UpdateSize();
  EXPECT_EQ(grid->Width, 3 * 94);
  EXPECT_EQ(grid->Height, 0);
  i32 row = 0, column = 0;
  grid->CellAt(20, 20, 0, row, column);
  EXPECT_EQ(row, -1);
  EXPECT_EQ(column, -1);
  grid->Rows = 5;
  grid->VisibleRows = 2;
  grid->UpdateSize();
  EXPECT_EQ(grid->Height, 2 * 130);
  struct TCase {
    i32 X, Y, Row, Column;
  };
  const TCase cases[] = {
      {9, 11, 3, 0},      // top-left pixel of the first square, row offset 3
      {94 + 5, 50, -1, -1},  // 5 pixels inside the second cell's left border
      {94 + 88, 130 + 90, 4, 1},
      {94 + 89, 130 + 50, -1, -1},
      {2 * 94 + 40, 2 * 130 + 40, -1, -1},  // below the visible rows
  };
  for (const TCase& c : cases) {
    grid->CellAt(c.X, c.Y, 3, row, column);
    EXPECT_EQ(row, c.Row) << c.X << "," << c.Y;
    EXPECT_EQ(column, c.Column) << c.X << "," << c.Y;
  }
  const Base::TRect r = grid->GetCellRect(1, 2);
  EXPECT_EQ(r.Left, 2 * 94 + 9);
  EXPECT_EQ(r.Bottom, 130 + 91);
}

TEST(FaceGrid, WheelMovesOnlyAVisibleBar) {
  DXWin::TDXGroup owner(nullptr, nullptr, DXWin::cfVisible);
  auto* bar = new Main::TSpriteScrollBar(&owner, true, 16, 16);
  bar->Max = 4;
  auto* grid = new Main::TFaceControl(&owner);
  grid->ScrollBar = bar;
  bar->Hide();
  grid->WheelDown();
  EXPECT_EQ(bar->Position, 0);
  bar->Show();
  grid->WheelDown();
  grid->WheelDown();
  grid->WheelUp();
  EXPECT_EQ(bar->Position, 1);
  for (int i = 0; i < 5; ++i) grid->WheelUp();
  EXPECT_EQ(bar->Position, 0);
}

TEST(SpellOffers, SchoolsAndRequirements) {
  const std::pair<i32, i32> schools[] = {{1, 0}, {12, 0}, {13, 1}, {24, 1}, {25, 2}, {36, 2}, {37, 3}, {61, 3}};
  for (auto [n, school] : schools) EXPECT_EQ(Main::OfferSchool(n), school) << n;
  struct TCase {
    i16 Level, APCost;
    const char* Text;
  };
  const TCase cases[] = {{3, 0, "(Level: 3)"}, {0, 2, "(AP: 2)"}, {2, 5, "(Level: 2 AP: 5)"}, {0, 0, ""}};
  for (const TCase& c : cases) {
    GameData::TSkillPrototype skill{};
    skill.Level = c.Level;
    skill.APCost = c.APCost;
    EXPECT_EQ(Main::SkillRequirements(skill), c.Text);
  }
}

class SpellList : public TPanelFixture {};

TEST_F(SpellList, OfferColoursAndAMissingTwin) {
  GameData::TUnit* u = GroupAt(7, 21)->Units[0];  // knows spell 1, may learn 1 to 3
  u->Base.Level = 1;
  u->Base.KnownSpells = GameData::MaskBit(1);
  u->Base.AllowedSpells = GameData::MaskBit(1) | GameData::MaskBit(2) | GameData::MaskBit(3);
  u->RecalcEffective(true);
  EXPECT_EQ(Main::SpellOfferColour(*u, 1), Main::OfferKnown);
  EXPECT_EQ(Main::SpellOfferColour(*u, 2), Main::OfferLearnable);
  EXPECT_EQ(Main::SpellOfferColour(*u, 3), Main::OfferLevelTooLow);  // level 2
  EXPECT_EQ(Main::SpellOfferColour(*u, 13), Main::OfferNotAllowed);

  // Offers: spell 1 (twin 65 exists) and spell 3, whose twin 67 is hidden for this test.
  const i32 twin = Data2::GlobalData->FindSpellPrototype(67);
  ASSERT_GE(twin, 0);
  Data2::GlobalData->SpellPrototypes[twin].Number = 32000;
  struct TRestore {
    i32 Index;
    ~TRestore() { Data2::GlobalData->SpellPrototypes[Index].Number = 67; }
  } restore{twin};
  static const u32 items[] = {2, 0, 120, 2, 80};
  auto* win = new Main::TOrvWindow(Sys.get(), 0, 0);
  win->SetBounds({0, 0, 600, 200});
  win->Show();
  Sys->ProcessRequests();
  auto* list = new Main::TSpellListBox(win, 560, 1, 2, nullptr);
  list->SetPosition(10, 10);
  list->SetItems(items, u);
  EXPECT_EQ(list->ItemCount, 2);
  DrawScreen();
  const u16 background = static_cast<u16>(Gfx::PackRGB565(0x304050));
  EXPECT_NE(Pixel(10 + 30, 10 + 40), background) << "the first offer is drawn";
  for (i32 x = 12; x < 560; x += 37)
    for (i32 y = 10 + 72 + 2; y < 10 + 144 - 2; y += 11) ASSERT_EQ(Pixel(x, y), background) << x << "," << y;
}

}  // namespace
}  // namespace PanelTest
