// The transfer window between two campaign missions: the grids' rows, cells
// and scroll bars, moving units by double click and by dragging within the
// limit, required units that stay, "FERTIG"; and the demo campaign, whose
// won second mission shows the window, takes a choice made by posted input
// and starts the third mission with the chosen units.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "controls/sprite_scroll_bar.h"
#include "controls/text_buttons.h"
#include "engine/dxwin/window_system.h"
#include "engine/platform/window/wintypes.h"
#include "game/panels/face_control.h"
#include "game/transfer/transfer_window.h"
#include "tests/game/game_fixture.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/transfer.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {
namespace {

using GameData::TUnit;
using Main::TFaceControl;
using Main::TTransferWindow;

constexpr u32 Knight = 1, Sorceress = 2, Spearman = 5;

TUnit* NewUnit(u32 prototype) {
  auto* unit = new TUnit;
  unit->SetPrototype(GameData::FindUnitPrototype(prototype));
  unit->OwnerIndex = 1;
  return unit;
}

// The centre of a cell's portrait in the grid's and in the screen's coordinates.
Plat::TPoint CellCentre(const TFaceControl* grid, i32 row, i32 column) {
  const Base::TRect r = grid->GetCellRect(row, column);
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}
Plat::TPoint ScreenCentre(const TFaceControl* grid, i32 row, i32 column) {
  return grid->ClientToScreen(CellCentre(grid, row, column));
}

class TransferWindow : public TGameFixture {
 protected:
  void SetUp() override {
    TGameFixture::SetUp();
    StartMission(1);
  }
  void TearDown() override {
    Win.reset();
    Moved.Clear();
    TGameFixture::TearDown();
  }
  // Available units of the given prototypes; the first `required` of them
  // already in the transferred list and required, as the controller leaves them.
  void Open(const std::vector<u32>& prototypes, i32 required, u32 limit) {
    for (u32 p : prototypes) Moved.Available.Items.Add(NewUnit(p));
    for (i32 i = 0; i < required; ++i) {
      TUnit* unit = Moved.Available[0];
      Moved.TransferUnit(unit);
      unit->TransferRequired = 1;
    }
    S().TransferLimit = limit;
    Win = std::make_unique<TTransferWindow>(WindowSystem, &S(), &Moved);
  }
  void DoubleClick(TFaceControl* grid, i32 row, i32 column) {
    const Plat::TPoint p = CellCentre(grid, row, column);
    Win->GridDoubleClicked(grid, DXWin::mbLeft, p.X, p.Y);
  }
  // A press on a cell, the pointer moved by (dx, dy), released over a cell.
  void Drag(TFaceControl* from, i32 row, i32 column, i32 dx, i32 dy) {
    const Plat::TPoint p = CellCentre(from, row, column), s = ScreenCentre(from, row, column);
    Win->GridPressed(from, DXWin::mbLeft, p.X, p.Y);
    Win->PointerMoved(s.X + dx, s.Y + dy);
  }
  void DropOn(TFaceControl* grid, i32 row, i32 column) {
    const Plat::TPoint s = ScreenCentre(grid, row, column);
    Win->ButtonReleased(s.X, s.Y);
  }
  // Cells of the visible rows that are painted.
  i32 PaintedCells(const TFaceControl* grid) const {
    i32 n = 0;
    for (i32 r = 0; r < 3; ++r)
      for (i32 c = 0; c < 3; ++c) n += Win->EntryAt(grid, r, c) >= 0;
    return n;
  }

  GameData::TTransfer Moved;
  std::unique_ptr<TTransferWindow> Win;
};

TEST(TransferLayout, GridRowsThreeAtLeast) {
  const std::pair<i32, i32> rows[] = {{0, 3}, {1, 3}, {4, 3}, {9, 3}, {10, 4}, {12, 4}, {13, 5}, {31, 11}};
  for (auto [cells, expected] : rows) EXPECT_EQ(Main::TransferGridRows(cells), expected) << cells;
}

// Each grid has as many cells as units were available at the opening, or as
// the limit: more than nine scroll; cells beyond the count are not painted.
TEST_F(TransferWindow, GridCellsAndScrollBarsFollowTheCountsAndTheLimit) {
  struct TCase {
    i32 Available;
    u32 Limit;
    i32 AvailableMax, TransferMax;  // -1: no scroll bar
    i32 AvailablePainted, TransferPainted;
  };
  const TCase cases[] = {
      {4, 3, -1, -1, 4, 3}, {10, 0, 1, -1, 9, 0}, {0, 12, -1, 1, 0, 9}, {9, 13, -1, 2, 9, 9}, {13, 9, 2, -1, 9, 9}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Available << " available, limit " << c.Limit);
    Win.reset();
    Moved.Clear();
    Open(std::vector<u32>(static_cast<std::size_t>(c.Available), Spearman), 0, c.Limit);
    EXPECT_EQ(Win->AvailableCells, c.Available);
    EXPECT_EQ(Win->TransferCells, static_cast<i32>(c.Limit));
    const std::pair<Main::TSpriteScrollBar*, i32> bars[] = {{Win->AvailableScroll, c.AvailableMax},
                                                            {Win->TransferScroll, c.TransferMax}};
    for (auto [bar, max] : bars) {
      EXPECT_EQ(bar->IsVisible(), max >= 0);
      if (max >= 0) {
        EXPECT_EQ(bar->Min, 0);
        EXPECT_EQ(bar->Max, max);
      }
    }
    EXPECT_EQ(PaintedCells(Win->AvailableGrid), c.AvailablePainted);
    EXPECT_EQ(PaintedCells(Win->TransferGrid), c.TransferPainted);
    DoubleClick(Win->AvailableGrid, 0, 0);
    EXPECT_EQ(Moved.Transferred.Count(), c.Limit > 0 && c.Available > 0 ? 1 : 0) << "with a limit of 0 none goes";
  }
  // Both grids 3 x 103 by 3 x 132, each bar at the grid's right edge.
  for (auto [grid, bar, left] : {std::tuple{Win->AvailableGrid, Win->AvailableScroll, 55},
                                 std::tuple{Win->TransferGrid, Win->TransferScroll, 430}}) {
    EXPECT_EQ(grid->Left, left);
    EXPECT_EQ(grid->Top, 125);
    EXPECT_EQ(grid->Width, 309);
    EXPECT_EQ(grid->Height, 396);
    EXPECT_EQ(bar->Left, left + 308);
    EXPECT_EQ(bar->Top, 133);
    EXPECT_EQ(bar->Width, 15);
    EXPECT_EQ(bar->Height, 382);
  }
  // Scrolled by a row, the first cell shows the fourth entry.
  Win->AvailableScroll->Position = 1;
  EXPECT_EQ(Win->UnitAt(Win->AvailableGrid, 1, 0), Moved.Available[3]);
}

// Double clicks move units both ways, but no more than the limit go and a
// required unit neither goes back nor starts a drag; a returned unit comes
// last, in the first free cell after the others.
TEST_F(TransferWindow, DoubleClicksKeepTheLimitAndTheRequiredUnits) {
  Open({Spearman, Knight, Sorceress, Spearman, Knight}, 1, 3);
  TUnit* required = Moved.Transferred[0];
  TUnit* first = Moved.Available[0];
  DoubleClick(Win->AvailableGrid, 0, 0);
  DoubleClick(Win->AvailableGrid, 0, 0);
  EXPECT_EQ(Moved.Transferred.Count(), 3);
  EXPECT_EQ(Moved.Transferred[1], first);
  DoubleClick(Win->AvailableGrid, 0, 0);
  EXPECT_EQ(Moved.Transferred.Count(), 3) << "the limit is reached";
  EXPECT_EQ(Moved.Available.Count(), 2);

  DoubleClick(Win->TransferGrid, 0, 0);
  Win->GridPressed(Win->TransferGrid, DXWin::mbLeft, CellCentre(Win->TransferGrid, 0, 0).X,
                   CellCentre(Win->TransferGrid, 0, 0).Y);
  EXPECT_EQ(Win->DragPending, 0) << "a required unit is not dragged";
  EXPECT_EQ(Moved.Transferred[0], required);
  EXPECT_EQ(Moved.Available.Items.IndexOf(required), -1);

  DoubleClick(Win->TransferGrid, 0, 1);
  EXPECT_EQ(Moved.Available.Count(), 3);
  EXPECT_EQ(Moved.Available[2], first) << "returned units come last";
  EXPECT_EQ(Win->UnitAt(Win->AvailableGrid, 0, 2), first);
  // An empty cell and a cell beyond the count hold nothing to click.
  DoubleClick(Win->AvailableGrid, 1, 2);
  EXPECT_EQ(Moved.Transferred.Count(), 2);
}

// A press becomes a drag 6 pixels away; the drop moves the unit between the
// grids within the limit; anything else and a mere press move nothing.
TEST_F(TransferWindow, DragsMoveUnitsBetweenTheGrids) {
  Open({Spearman, Knight, Sorceress, Spearman}, 0, 2);
  TUnit* first = Moved.Available[0];
  Drag(Win->AvailableGrid, 0, 0, 5, -5);
  EXPECT_EQ(Win->DragPending, 1);
  EXPECT_EQ(Win->Dragging, 0) << "5 pixels are no drag";
  DropOn(Win->TransferGrid, 0, 0);
  EXPECT_EQ(Moved.Transferred.Count(), 0);
  EXPECT_EQ(Win->DragPending, 0);

  Drag(Win->AvailableGrid, 0, 0, 0, 6);
  EXPECT_EQ(Win->Dragging, 1);
  EXPECT_EQ(Win->DragUnit, first);
  EXPECT_TRUE(static_cast<bool>(WindowSystem->OnDrawCursor)) << "the portrait follows the pointer";
  DropOn(Win->TransferGrid, 0, 1);
  EXPECT_EQ(Moved.Transferred.Count(), 1);
  EXPECT_EQ(Moved.Transferred[0], first);
  EXPECT_FALSE(static_cast<bool>(WindowSystem->OnDrawCursor));
  EXPECT_EQ(Win->DragUnit, nullptr);

  struct TDrop {
    bool FromAvailable;
    bool OntoAvailable;
    i32 Row, Column;
    i32 Transferred;  // afterwards
  };
  const TDrop drops[] = {
      {true, true, 0, 2, 1},    // within its own grid
      {true, false, 1, 0, 1},   // beyond the transferred grid's two cells
      {true, false, 0, 1, 2},   // onto the transferred grid
      {true, false, 0, 0, 2},   // the limit is reached
      {false, true, 1, 2, 2},   // beyond the available grid's four cells
      {false, true, 1, 0, 1},   // back, onto a free cell of the available grid
      {false, false, 0, 1, 1},  // within its own grid
  };
  for (const TDrop& d : drops) {
    SCOPED_TRACE(testing::Message() << d.Row << "," << d.Column);
    TFaceControl* from = d.FromAvailable ? Win->AvailableGrid : Win->TransferGrid;
    Drag(from, 0, 0, 20, 20);
    ASSERT_EQ(Win->Dragging, 1);
    DropOn(d.OntoAvailable ? Win->AvailableGrid : Win->TransferGrid, d.Row, d.Column);
    EXPECT_EQ(Moved.Transferred.Count(), d.Transferred);
    EXPECT_EQ(Moved.Available.Count() + Moved.Transferred.Count(), 4);
    EXPECT_EQ(Win->Dragging, 0);
  }
}

TEST_F(TransferWindow, FertigEndsTheChoiceWithResultOne) {
  Open({Spearman}, 0, 1);
  EXPECT_EQ(Win->DoneButton->Caption, "FERTIG");
  EXPECT_EQ(Win->DoneButton->Hint, "Transfer beenden");
  EXPECT_EQ(Win->AvailableLabel->Caption, "Verf\xFCgbar:");
  EXPECT_EQ(Win->TransferLabel->Caption, "Transferiert:");
  Win->Show();
  Win->DoneButton->Click();
  EXPECT_EQ(Win->ModalResult, 1);
  EXPECT_FALSE(Win->IsVisible());
  EXPECT_EQ(Moved.Available.Count(), 1) << "the window changes nothing but the lists";
}

// Pointer input as the shell's window procedure hands it to the window
// system: a move there, then the button messages.
void Post(Plat::TPoint at, std::initializer_list<Plat::UINT> messages) {
  const Plat::LPARAM where = Plat::MakeLParam(at.X, at.Y);
  WindowSystem->HandleMessage(Plat::WM_MOUSEMOVE, 0, where);
  for (Plat::UINT m : messages)
    WindowSystem->HandleMessage(m, m == Plat::WM_LBUTTONUP ? 0 : Plat::MK_LBUTTON, where);
}
void DoubleClickAt(Plat::TPoint at) {
  Post(at, {Plat::WM_LBUTTONDOWN, Plat::WM_LBUTTONUP, Plat::WM_LBUTTONDBLCLK, Plat::WM_LBUTTONUP});
}

// Winning the second mission shows the window over the third one: the
// survivors and the third mission's new units to choose from, its required
// spearman already chosen; two double clicks and "FERTIG" by the pointer
// bring exactly those three units onto the third mission's start area.
TEST_F(TransferWindow, WinningTheSecondMissionLeadsThroughTheWindowIntoTheThird) {
  StartMission(2);
  i32 shown = 0;
  std::vector<TUnit*> chosen;
  std::set<u32> heroIDs;
  u32 newUnits = 0;
  Headless->OnTransfer = [&](TTransferWindow& w) {
    ++shown;
    EXPECT_EQ(Game->MissionNumber, 3u);
    EXPECT_EQ(Game->Scenario->Title, "Der Heimweg");
    ASSERT_EQ(w.Transfer->Transferred.Count(), 1);
    EXPECT_TRUE(w.Transfer->Transferred[0]->TransferRequired);
    EXPECT_TRUE(w.Transfer->Transferred[0]->TransferNew);
    for (const TUnit* u : w.Transfer->Available.Items) newUnits += u->TransferNew;
    ASSERT_GE(w.Transfer->Available.Count(), 2);
    chosen = {w.Transfer->Available[0], w.Transfer->Available[1]};
    for (const TUnit* u : chosen)
      if (u->Hero) heroIDs.insert(u->ID);
    // The first double click takes cell 0; the second unit then sits there.
    for (i32 i = 0; i < 2; ++i) {
      DoubleClickAt(ScreenCentre(w.AvailableGrid, 0, 0));
    }
    const Plat::TPoint done = w.DoneButton->ClientToScreen({w.DoneButton->Width / 2, w.DoneButton->Height / 2});
    Post(done, {Plat::WM_LBUTTONDOWN, Plat::WM_LBUTTONUP});
    EXPECT_EQ(w.ModalResult, 1) << "FERTIG closed it";
  };
  S().Globals[1] = 0;
  Act({GameData::atEndTurn});
  ASSERT_EQ(shown, 1);
  EXPECT_EQ(newUnits, 1u) << "the sorceress waiting in the third mission";
  ASSERT_EQ(Game->MissionNumber, 3u);
  std::vector<const TUnit*> onMap;
  for (const TUnit* u : S().Units.Items)
    if (u->GetGroup() && u->GetOwner() == &Player(1)) onMap.push_back(u);
  ASSERT_EQ(onMap.size(), 3u);
  i32 spearmen = 0;
  for (const TUnit* u : onMap) spearmen += u->Prototype->ID == Spearman;
  EXPECT_GE(spearmen, 1) << "the required spearman";
  for (u32 id : heroIDs) EXPECT_NE(S().FindUnit(id), nullptr) << "a hero keeps his ID " << id;
  for (TUnit* u : chosen) EXPECT_NE(std::find(onMap.begin(), onMap.end(), u), onMap.end());
  EXPECT_EQ(Game->Transfer.Available.Count(), 0);
  EXPECT_EQ(Game->Transfer.Transferred.Count(), 0);
  EXPECT_TRUE(Headless->Running());
}

}  // namespace
}  // namespace GameTest
