// The map window on the first demo mission: what a click would do, the
// records a click posts, the refusals, the keys, edge scrolling and dragging.
#include <gtest/gtest.h>

#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "frontend/front_end.h"
#include "game/map/map_window.h"
#include "tests/game/game_fixture.h"
#include "world/data2/main_data.h"
#include "world/locations/city.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameTest {
namespace {

using namespace GameData;
using Main::TClickOutcome;

class MapWindow : public TGameFixture {
 protected:
  void SetUp() override {
    TGameFixture::SetUp();
    StartMission(1);
    Hero = Group(1);
    Orcs = Group(2);
    Neutral = Group(0);
    ASSERT_TRUE(Hero && Orcs && Neutral);
    for (TMapObject* o : S().MapObjects)
      if (o->Type == otCity) City = static_cast<TCity*>(o);
    ASSERT_NE(City, nullptr);
    // The viewer has sighted the other groups; the neutral one has a
    // conversation to meet it by.
    Orcs->Sighted = Neutral->Sighted = 1;
    auto* meeting = new TConversation;
    meeting->ID = S().NewID();
    meeting->OwnerType = 2;
    meeting->OwnerID = Neutral->Units[0]->ID;
    meeting->TargetPlayers = 1 << 1;
    meeting->Active = 1;
    meeting->SetScenario(&S());
    S().Conversations->AddSorted(meeting);
    Act({atSelect, Hero->ID});
    ASSERT_EQ(Player(1).GetSelectedGroup(), Hero);
  }

  TGroup* Group(u8 owner) const { return S().FindGroup(GroupOf(owner)); }
  Main::TMapWindow& W() const { return *Game->MapWindow; }
  // The window point of a map pixel, the view centred on it first.
  Plat::TPoint At(i32 px, i32 py) const {
    S().SetViewPosition(px - 400, py - 300);
    return {px - S().ViewX, py - S().ViewY};
  }
  Plat::TPoint AtField(i32 fx, i32 fy) const { return At(fx * 40 + 20, fy * 40 + 20); }
  TClickOutcome Classify(Plat::TPoint p) const { return W().ClassifyClick(p.X, p.Y); }
  // Clicks and takes the posted record out of the mailbox, unexecuted.
  TActionRecord Click(Plat::TPoint p, int button = DXWin::mbLeft) {
    W().MapMouseDown(button, 0, p.X, p.Y);
    TActionRecord r;
    Player(1).TakeAction(r);
    // Not executed: the player may act again.
    if (r.Type() != atNone) Player(1).SetResult(1);
    return r;
  }

  TGroup* Hero = nullptr;
  TGroup* Orcs = nullptr;
  TGroup* Neutral = nullptr;
  TCity* City = nullptr;
};

TEST_F(MapWindow, ClassifiesWhatAClickWouldDo) {
  EXPECT_EQ(Classify(At(Hero->X, Hero->Y)), TClickOutcome::None) << "the acting group itself";
  EXPECT_EQ(Classify(AtField(Hero->FieldX() + 2, Hero->FieldY())), TClickOutcome::Move);
  ASSERT_EQ(W().PathLength, 2);
  EXPECT_EQ(S().Path[1].x, Hero->FieldX() + 2);
  EXPECT_EQ(Classify(At(Orcs->X, Orcs->Y)), TClickOutcome::Attack);
  EXPECT_EQ(W().Target, Orcs);
  ASSERT_TRUE(Neutral->HasConversation(1, 2));
  EXPECT_EQ(Classify(At(Neutral->X, Neutral->Y)), TClickOutcome::Meet);
  EXPECT_EQ(Classify(AtField(City->AnchorFieldX, City->AnchorFieldY)), TClickOutcome::Enter);
  // East of the map, where the view may scroll for the panels.
  S().SetViewPosition(S().Width * 40, 0);
  EXPECT_EQ(W().ClassifyClick(790, 300), TClickOutcome::None);
  // A hostile group with a conversation for the player is met, not attacked.
  Neutral->OwnerIndex = 2;
  EXPECT_EQ(Classify(At(Neutral->X, Neutral->Y)), TClickOutcome::Meet);
}

TEST_F(MapWindow, AClickPostsTheOutcomesRecord) {
  const i32 fx = Hero->FieldX() + 2, fy = Hero->FieldY();
  const TActionRecord move = Click(AtField(fx, fy));
  EXPECT_EQ(std::vector<u32>(move.Words, move.Words + 8),
            (std::vector<u32>{atMove, u32(fx), u32(fy), 0, 0, 0, 0, 1}));
  EXPECT_TRUE(W().MarkerShown);
  EXPECT_EQ(W().MarkerX, fx * 40 + 20);

  const TActionRecord attack = Click(At(Orcs->X, Orcs->Y));
  EXPECT_EQ(attack.Words[0], atMove);
  EXPECT_EQ(attack.Words[3], u32{amAttack});
  EXPECT_EQ(attack.Words[6], Orcs->ID);
  EXPECT_EQ(attack.Words[1], u32(Orcs->FieldX()));

  const TActionRecord enter = Click(AtField(City->AnchorFieldX, City->AnchorFieldY));
  EXPECT_EQ(std::vector<u32>(enter.Words, enter.Words + 8),
            (std::vector<u32>{atMove, 0, 0, 0, 0x100, 0, City->ID, 1}));

  EXPECT_EQ(Click(At(Hero->X, Hero->Y)).Type(), atNone) << "a click on the acting group";
  EXPECT_EQ(Click({2, 300}).Type(), atNone) << "the scrolling border";
  const TActionRecord deselect = Click({400, 300}, DXWin::mbRight);
  EXPECT_EQ(deselect.Type(), atSelect);
  EXPECT_EQ(deselect.Words[1], 0u);
}

TEST_F(MapWindow, TheWalkTheClickOrdersHappens) {
  const i32 fx = Hero->FieldX() + 2, fy = Hero->FieldY() + 1;
  W().MapMouseDown(DXWin::mbLeft, 0, AtField(fx, fy).X, AtField(fx, fy).Y);
  Headless->Settle();
  EXPECT_EQ(Hero->FieldX(), fx);
  EXPECT_EQ(Hero->FieldY(), fy);
}

TEST_F(MapWindow, RefusalsAreToldAndPostNothing) {
  // Two own groups that each bring a hero.
  TUnit* second = Hero->Units[1];
  ASSERT_TRUE(second && Hero->Units[0]);
  S().DetachUnit(second, false, false);
  S().PlaceNewUnit(1, Hero->FieldX() + 3, Hero->FieldY(), second, false, false, false, false);
  TGroup* other = second->GetGroup();
  ASSERT_TRUE(other && other != Hero);
  const i32 merge = Hero->CheckMerge(other);
  ASSERT_NE(merge, 1);
  Headless->Settle();
  const Plat::TPoint p = At(other->X, other->Y);
  if (merge == 2) {
    EXPECT_EQ(Classify(p), TClickOutcome::TwoHeroes);
    EXPECT_EQ(Click(p).Type(), atNone);
    EXPECT_EQ(Game->Messages.back(), "Vereinigung nicht m\xF6glich. Es befinden sich Helden in beiden Gruppen.");
  } else {
    EXPECT_EQ(Classify(p), TClickOutcome::Join);
    EXPECT_EQ(Click(p).Words[4], 1u);
  }
  // Nowhere to go: the move costs block every field but the group's own.
  std::fill(S().MoveCosts.begin(), S().MoveCosts.end(), u8{255});
  S().MoveCosts[static_cast<std::size_t>(S().FieldIndex(Hero->FieldX(), Hero->FieldY()))] = 0;
  EXPECT_EQ(Classify(AtField(Hero->FieldX() + 4, Hero->FieldY() + 4)), TClickOutcome::Blocked);
  EXPECT_EQ(Click(AtField(Hero->FieldX() + 4, Hero->FieldY() + 4)).Type(), atNone);
  EXPECT_EQ(Game->Messages.back(), "Weg versperrt.");
}

TEST_F(MapWindow, TheSelectedOwnCityIsEntered) {
  Act({atSelect, City->ID});
  ASSERT_EQ(Player(1).GetSelectedCity(), City);
  const TActionRecord r = Click(AtField(City->AnchorFieldX, City->AnchorFieldY));
  EXPECT_EQ(r.Type(), atEnterCity);
  EXPECT_EQ(r.Words[1], City->ID);
}

TEST_F(MapWindow, InputWaitsWhileTheScenarioIsBusy) {
  Player(1).SetResult(0);
  EXPECT_EQ(Click(AtField(Hero->FieldX() + 2, Hero->FieldY())).Type(), atNone);
  Player(1).SetResult(1);
  EXPECT_EQ(Click(AtField(Hero->FieldX() + 2, Hero->FieldY())).Type(), atMove);
}

TEST_F(MapWindow, KeysScrollAndOpenTheMenusPages) {
  // The demo map is 16 by 16 fields: the view reaches 70, 40.
  S().SetViewPosition(0, 40);
  Plat::WPARAM key = Plat::VK_RIGHT;
  W().MapKeyDown(key, 0);
  EXPECT_EQ(key, 0u) << "consumed";
  EXPECT_EQ(S().ViewX, 40);
  key = Plat::VK_UP;
  W().MapKeyDown(key, 0);
  EXPECT_EQ(S().ViewY, 0);
  key = Plat::VK_DOWN;
  W().MapKeyDown(key, DXWin::ssCtrl);
  EXPECT_EQ(S().ViewY, 0) << "ignored with Ctrl";
  key = Plat::VK_F1 + 5;  // F6
  W().MapKeyDown(key, 0);
  EXPECT_EQ(MainMenu->Page, 1);
  EXPECT_FALSE(Game->Active);
}

TEST_F(MapWindow, TheScreenEdgeScrollsAndShowsItsCursor) {
  struct {
    i32 X, Y;
    Main::TEdgeZone Zone;
  } const cases[] = {{2, 598, Main::ezBottomLeft}, {400, 300, Main::ezNone}, {0, 0, Main::ezTopLeft},
                     {799, 300, Main::ezRight},    {5, 5, Main::ezNone},       {4, 300, Main::ezLeft},
                     {795, 595, Main::ezBottomRight}, {400, 594, Main::ezNone}, {400, 595, Main::ezBottom}};
  for (const auto& c : cases) EXPECT_EQ(Main::EdgeZone(c.X, c.Y), c.Zone) << c.X << "," << c.Y;
  // The game has no window of its own here: the mouse is given one, and the
  // cursors come with the interface data.
  Data2::CreateMainData();
  Plat::HWND saved = DXApplication->hWnd;
  Plat::TWindow* fake = reinterpret_cast<Plat::TWindow*>(&saved);
  DXApplication->hWnd = fake;
  DXApplication->MouseX = 2;
  DXApplication->MouseY = 598;
  S().SetViewPosition(60, 0);
  W().UpdateMap();
  W().UpdateMap();
  DXApplication->hWnd = saved;
  EXPECT_EQ(S().ViewX, 50);
  EXPECT_EQ(S().ViewY, 10);
  EXPECT_EQ(WindowSystem->OverrideCursor,
            Data2::MainData->InterfaceSprites[Main::mcScrollFirst + static_cast<i32>(Main::ezBottomLeft)]);
  WindowSystem->SetOverrideCursor(nullptr);
  Data2::FreeMainData();
}

TEST(MapWindowDrag, SpeedGrowsPastNineteenPixels) {
  const i32 cases[][2] = {{0, 0}, {19, 0}, {-19, 0}, {20, 2}, {-25, -2}, {199, 19}, {300, 20}, {-300, -20}};
  for (const auto& c : cases) EXPECT_EQ(Main::DragSpeed(c[0]), c[1]) << c[0];
}

}  // namespace
}  // namespace GameTest
