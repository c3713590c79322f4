// The map screen's corner panels on the second demo mission at player 1's
// turn: the mini map's layout, picture, hints and scrolling, the command
// buttons' picture, hints, visibility and orders, and how the side windows
// lie over each other.
#include <gtest/gtest.h>

#include <vector>

#include "controls/dialogs.h"
#include "controls/text_buttons.h"
#include "engine/gfx/colors.h"
#include "game/map/button_window.h"
#include "game/map/map_window.h"
#include "game/map/small_map_window.h"
#include "game/panels/group_panel.h"
#include "tests/game/panel_fixture.h"
#include "world/scenario/settings.h"

namespace PanelTest {
namespace {

using namespace GameData;
using Main::TButtonWindow;
using Main::TSmallMapWindow;

class MapScreen : public TPanelFixture {
 protected:
  void SetUp() override {
    TPanelFixture::SetUp();
    // The game owns the scenario while the windows ask it; handed back below.
    Game->Scenario.reset(Scenario.get());
    Game->MapWindow = std::make_unique<Main::TMapWindow>(Sys.get());
    Game->SmallMapWindow = std::make_unique<TSmallMapWindow>(Sys.get());
    Game->ButtonWindow = std::make_unique<TButtonWindow>(Sys.get());
    for (DXWin::TDXWindow* w : {static_cast<DXWin::TDXWindow*>(Game->MapWindow.get()),
                                static_cast<DXWin::TDXWindow*>(Game->SmallMapWindow.get()),
                                static_cast<DXWin::TDXWindow*>(Game->ButtonWindow.get())})
      w->Show();
    Game->MapWindow->SetScenario(Scenario.get());
    Mini().SetScenario(Scenario.get());
    Buttons().SetScenario(Scenario.get());
    Viewer().SetResult(1);
    Sys->ProcessRequests();
    SavedConfirm = Main::ConfirmEndTurn;
  }
  void TearDown() override {
    Main::ConfirmEndTurn = SavedConfirm;
    (void)Game->Scenario.release();
    TPanelFixture::TearDown();
  }

  TSmallMapWindow& Mini() const { return *Game->SmallMapWindow; }
  TButtonWindow& Buttons() const { return *Game->ButtonWindow; }
  TPlayer& Viewer() const { return *Scenario->ViewingPlayer; }
  // The record the last click posted, taken out unexecuted.
  TActionRecord Posted() {
    TActionRecord r;
    Viewer().TakeAction(r);
    Viewer().SetResult(1);
    return r;
  }
  // A click in the middle of a command button.
  void ClickButton(const DXWin::TDXControl* b) {
    const Base::TRect r = b->GetScreenRect();
    Click((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  // The screen point of a point of the mini map's picture.
  Plat::TPoint PictureAt(i32 x, i32 y) const { return Mini().Picture->ClientToScreen({x, y}); }

  bool SavedConfirm = true;
};

TEST(MiniMapLayout, PictureKeepsTheMapsAspect) {
  struct TCase {
    i32 Width, Height;
    Base::TRect Picture;
  };
  for (const TCase& c : {TCase{64, 32, {22, 39, 159, 107}}, TCase{32, 64, {63, 18, 118, 128}},
                         TCase{128, 128, {35, 18, 145, 128}}, TCase{40, 32, {22, 18, 159, 127}},
                         TCase{4, 128, {89, 18, 92, 128}}})
    EXPECT_EQ(Main::SmallMapPictureRect(c.Width, c.Height), c.Picture) << c.Width << " x " << c.Height;
}

TEST(MiniMapLayout, ViewRectangleStaysInThePicture) {
  struct TCase {
    const char* Name;
    i32 ViewX, ViewY, MapWidth, MapHeight, PictureWidth, PictureHeight;
    Base::TRect View;
  };
  const TCase cases[] = {
      {"top left", 0, 0, 64, 32, 137, 68, {0, 0, 43, 32}},
      {"scrolled to the bottom-right corner", 64 * 40 - 800 + 230, 32 * 40 - 600, 64, 32, 137, 68, {94, 36, 137, 68}},
      {"view wider and higher than the map", 0, 0, 16, 12, 137, 102, {0, 0, 137, 102}},
      {"middle", 1000, 1000, 128, 128, 110, 110, {21, 21, 39, 34}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Main::SmallMapViewRect(c.ViewX, c.ViewY, 800, 600, c.MapWidth, c.MapHeight, c.PictureWidth, c.PictureHeight),
              c.View)
        << c.Name;
}

TEST_F(MapScreen, MiniMapHintsByRectangle) {
  Viewer().Gold = 1234;
  Scenario->Round = 7;
  struct TCase {
    i32 X, Y;
    std::string Hint;
  };
  for (const TCase& c : {TCase{39, 130, "Gold: 1234"}, TCase{80, 147, "Gold: 1234"}, TCase{100, 140, "Runde: 7"},
                         TCase{183, 140, "Spieler: 1"}, TCase{81, 140, ""}, TCase{60, 100, ""}, TCase{184, 147, ""}})
    EXPECT_EQ(Mini().HintAt(c.X, c.Y), c.Hint) << c.X << "," << c.Y;
  // The update step follows the pointer.
  Move(Mini().Left + 100, Mini().Top + 140);
  Step();
  EXPECT_EQ(Mini().Hint, "Runde: 7");
  EXPECT_EQ(Mini().Picture->Hint, "Landkarte");
}

TEST_F(MapScreen, MiniMapClickAndDragScrollTheMap) {
  Main::TMapWindow& map = *Game->MapWindow;
  const Base::TRect r = Mini().Picture->GetScreenRect();
  ASSERT_EQ(r.Width(), 137);
  ASSERT_EQ(r.Height(), 109);
  // The pointed point lands in the middle of the map window.
  const auto expected = [&](i32 x, i32 y) {
    return Plat::TPoint{Scenario->Width * 40 * x / 137 - map.ViewRect.Width() / 2,
                        Scenario->Height * 40 * y / 109 - map.ViewRect.Height() / 2};
  };
  const auto view = [&] { return Plat::TPoint{Scenario->ViewX, Scenario->ViewY}; };
  Plat::TPoint p = PictureAt(60, 50);
  Press(p.X, p.Y);
  EXPECT_EQ(view(), expected(60, 50));
  EXPECT_EQ(Mini().Dragging, 1);
  p = PictureAt(70, 60);
  Move(p.X, p.Y);
  EXPECT_EQ(view(), expected(70, 60)) << "dragging scrolls along";
  Release(p.X, p.Y);
  EXPECT_EQ(Mini().Dragging, 0);
  p = PictureAt(80, 70);
  Move(p.X, p.Y);
  EXPECT_EQ(view(), expected(70, 60)) << "released: moving does nothing";
  // Clamped like every scroll: the top-left corner.
  p = PictureAt(0, 0);
  Click(p.X, p.Y);
  EXPECT_EQ(view(), (Plat::TPoint{0, 0}));
  // Busy, or a computer player's turn: the picture ignores the pointer.
  const Plat::TPoint before = view();
  p = PictureAt(100, 100);
  Viewer().SetResult(0);
  Click(p.X, p.Y);
  EXPECT_EQ(view(), before) << "busy";
  Viewer().SetResult(1);
  Viewer().Kind = pkComputer;
  Click(p.X, p.Y);
  EXPECT_EQ(view(), before) << "not a human";
  Viewer().Kind = pkHuman;
}

TEST_F(MapScreen, MiniMapPicture) {
  // Some fog explored but out of sight, the view in the middle of the map.
  Scenario->SetViewPosition(400, 300);
  DrawScreen();
  ExpectPicture("mini_map", TSmallMapWindow::Bounds);
  // Without a viewing player the picture is black.
  TPlayer* viewer = Scenario->ViewingPlayer;
  Scenario->ViewingPlayer = nullptr;
  DrawScreen();
  const Base::TRect r = Mini().Picture->GetScreenRect();
  EXPECT_EQ(Pixel(r.Left + 50, r.Top + 50), 0);
  EXPECT_EQ(Pixel(r.Left - 1, r.Top - 1), Gfx::PackRGB565(0x606060)) << "the grey line above a wide map";
  Scenario->ViewingPlayer = viewer;
}

TEST_F(MapScreen, ButtonBarPictureAndPortrait) {
  Step();
  // The pointer on the next-group button lights it.
  const Base::TRect next = Buttons().NextGroupButton->GetScreenRect();
  Move((next.Left + next.Right) / 2, (next.Top + next.Bottom) / 2);
  DrawScreen();
  ExpectPicture("button_bar", {640, 440, 800, 600});
  // A computer player's turn: no buttons, its portrait instead.
  Scenario->CurrentPlayerIndex = 2;
  Step();
  for (const DXWin::TDXControl* b : {static_cast<DXWin::TDXControl*>(Buttons().EndTurnButton),
                                     static_cast<DXWin::TDXControl*>(Buttons().MainMenuButton)})
    EXPECT_FALSE(b->IsVisible());
  DrawScreen();
  ExpectPicture("button_bar_portrait", TButtonWindow::Bounds);
  // Back to the human: the buttons return; busy, they are disabled.
  Scenario->CurrentPlayerIndex = 1;
  Viewer().SetResult(0);
  Step();
  EXPECT_TRUE(Buttons().EndTurnButton->IsVisible());
  EXPECT_FALSE(Buttons().EndTurnButton->IsEnabled());
}

TEST_F(MapScreen, ButtonHintsNameTheirKeys) {
  EXPECT_EQ(Buttons().EndTurnButton->Hint, Game->Shortcuts[Main::scEndTurn].FormatHint("Ende der Runde"));
  EXPECT_EQ(Buttons().DiaryButton->Hint, "Tagebuch [D/Num2]");
  EXPECT_EQ(Buttons().CampButton->Hint, Game->Shortcuts[Main::scCamp].FormatHint("Gruppe bilden/aufl\xF6sen"));
}

TEST_F(MapScreen, EndTurnAsksWhenTheSettingSaysSo) {
  Step();
  struct TCase {
    const char* Name;
    bool Confirm;
    Plat::WPARAM Answer;  // 0: no question expected
    bool Ends;
  };
  for (const TCase& c : {TCase{"no question", false, 0, true}, TCase{"answered Ja", true, Plat::VK_RETURN, true},
                         TCase{"answered Nein", true, Plat::VK_ESCAPE, false}}) {
    Main::ConfirmEndTurn = c.Confirm;
    bool asked = false;
    u32 colour = 1;
    Clock.StepPerRead = 1;
    WinTest::Script = [&](u32) {
      auto* box = dynamic_cast<Main::THorizYesNoDialog*>(Sys->ActiveWindow);
      if (!box || asked) return;
      asked = true;
      EXPECT_EQ(box->Question, "Runde beenden?");
      colour = box->YesButton->Colors[1];
      Os->KeyDown(c.Answer);
      Os->KeyUp(c.Answer);
    };
    ClickButton(Buttons().EndTurnButton);
    WinTest::Script = nullptr;
    Clock.StepPerRead = 0;
    EXPECT_EQ(asked, c.Confirm) << c.Name;
    if (c.Confirm) {
      EXPECT_EQ(colour, Gfx::PlayerColors[1]) << "hovered answers in the player's colour";
    }
    EXPECT_EQ(Posted().Type(), c.Ends ? atEndTurn : atNone) << c.Name;
  }
  // Not the local player's turn: nothing.
  Main::ConfirmEndTurn = false;
  Scenario->CurrentPlayerIndex = 2;
  Buttons().EndTurnClick();
  Scenario->CurrentPlayerIndex = 1;
  EXPECT_EQ(Posted().Type(), atNone);
}

TEST_F(MapScreen, NextGroupButtons) {
  // The viewer's three groups in map-object order; the second has spent its
  // action points.
  std::vector<TGroup*> own;
  for (TMapObject* o : Scenario->MapObjects)
    if (o->Type == otGroup && static_cast<TGroup*>(o)->GetOwner() == &Viewer()) own.push_back(static_cast<TGroup*>(o));
  ASSERT_EQ(own.size(), 3u);
  const auto spend = [](TGroup* g) {
    for (TUnit* u : g->Units)
      if (u) u->Effective.ActionPoints.Current = 0;
  };
  spend(own[1]);
  Step();
  struct TCase {
    const char* Name;
    TGroup* Selected;
    bool WithActionPoints;
    TGroup* Expected;  // null: nothing posted
  };
  const TCase cases[] = {
      {"nothing selected: the first own group", nullptr, false, own[0]},
      {"the next one", own[0], false, own[1]},
      {"with action points skips the spent group", own[0], true, own[2]},
      {"round the end of the list", own[2], false, own[0]},
  };
  for (const TCase& c : cases) {
    Viewer().Selection = c.Selected;
    ClickButton(c.WithActionPoints ? Buttons().NextActiveGroupButton : Buttons().NextGroupButton);
    const TActionRecord r = Posted();
    EXPECT_EQ(r.Type(), c.Expected ? atSelect : atNone) << c.Name;
    EXPECT_EQ(r.Words[1], c.Expected ? c.Expected->ID : 0u) << c.Name;
  }
  // The only own group that can still move, selected: nothing to go to.
  spend(own[2]);
  Viewer().Selection = own[0];
  Buttons().NextActiveGroupClick();
  EXPECT_EQ(Posted().Type(), atNone);
}

TEST_F(MapScreen, CampButtonByCampState) {
  TGroup* g = GroupAt(5, 14);
  Viewer().Selection = g;
  struct TCase {
    i32 State;
    u32 Posted;
  };
  for (const TCase& c : {TCase{csNone, atMakeCamp}, TCase{csCamped, atBreakCamp}, TCase{csMaking, atNone},
                         TCase{csBreaking, atNone}}) {
    g->CampState = c.State;
    Buttons().CampClick();
    const TActionRecord r = Posted();
    EXPECT_EQ(r.Type(), c.Posted) << c.State;
    if (c.Posted != atNone) {
      EXPECT_EQ(r.Words[1], g->ID);
    }
  }
  g->CampState = csNone;
  Viewer().Selection = GroupAt(15, 12);  // the enemy's
  Buttons().CampClick();
  EXPECT_EQ(Posted().Type(), atNone);
}

TEST_F(MapScreen, AClickedGroupPanelLeavesTheMiniMapsFiguresInSight) {
  Game->GroupInfoWindow = std::make_unique<Main::TGroupInfoWindow>(Sys.get());
  Main::TGroupInfoWindow& panel = *Game->GroupInfoWindow;
  panel.SetScenario(Scenario.get());
  panel.Show();
  Viewer().Gold = 1234;
  Scenario->Round = 7;
  Viewer().Select(GroupAt(5, 14));
  Step(12);
  ASSERT_EQ(panel.Left, 562);
  // The wells of gold, round and player; the first unit panel's top strip lies over their lower half.
  const Base::TRect figures{TSmallMapWindow::Bounds.Left + 39, 130, TSmallMapWindow::Bounds.Right - 3, 148};
  ASSERT_LT(panel.Top, figures.Bottom);
  const auto region = [&](const Base::TRect& r) {
    std::vector<u16> pixels;
    for (i32 y = r.Top; y < r.Bottom; ++y)
      for (i32 x = r.Left; x < r.Right; ++x) pixels.push_back(Pixel(x, y));
    return pixels;
  };
  const auto changed = [&](const std::vector<u16>& before) {
    const std::vector<u16> now = region(figures);
    i32 n = 0;
    for (size_t i = 0; i < now.size(); ++i) n += now[i] != before[i];
    return n;
  };
  const auto panelInFront = [&] { return Sys->Windows.IndexOf(&panel) < Sys->Windows.IndexOf(&Mini()); };
  // Each order of the two windows, reached by a click as a player would.
  Click(Mini().Left + 8, Mini().Top + 60);
  ASSERT_FALSE(panelInFront());
  Move(300, 300);
  DrawScreen();
  const std::vector<u16> figuresSeen = region(figures);
  Click(562 + 200, 140 + 40);
  EXPECT_TRUE(panelInFront()) << "a click raises the window it hits";
  Move(300, 300);
  DrawScreen();
  EXPECT_EQ(changed(figuresSeen), 0) << "the panel's top strip hides none of the figures";
  Viewer().Gold = 98765;
  DrawScreen();
  EXPECT_NE(changed(figuresSeen), 0) << "the figures are drawn inside the region compared";
}

}  // namespace
}  // namespace PanelTest
