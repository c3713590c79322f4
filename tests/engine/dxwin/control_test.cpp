// Controls and groups driven by real message sequences: routing in nested
// groups, covering, hovering, clicks and drags, the wheel and the tab order.
#include "tests/engine/dxwin/window_fixture.h"

namespace WinTest {
namespace {

using namespace DXWin;
using Plat::VK_MENU;
using Plat::VK_CONTROL;
using Plat::VK_SHIFT;
using Plat::VK_TAB;

class Controls : public TWindowFixture {
 protected:
  void SetUp() override {
    TWindowFixture::SetUp();
    Win = OpenWindow({100, 100, 400, 300});
    // A panel at (10, 10) holding two overlapping buttons; a zero-size group
    // with a button further right.
    Panel = new TDXGroup(Win, Win, cfVisible | cfEnabled);
    Panel->SetBounds({10, 10, 210, 110});
    Back = MakeButton(Panel, Win, "back", {0, 0, 100, 50});
    Front = MakeButton(Panel, Win, "front", {50, 20, 150, 70});
    Loose = new TDXGroup(Win, Win, cfVisible | cfEnabled);
    Far = MakeButton(Loose, Win, "far", {220, 10, 280, 40});
    for (TDXControl* c : {Back, Front, Far}) Log.Watch(*c);
  }
  TDXWindow* Win = nullptr;
  TDXGroup* Panel = nullptr;
  TDXGroup* Loose = nullptr;
  TDXButton *Back = nullptr, *Front = nullptr, *Far = nullptr;
  TEventLog Log;
};

TEST_F(Controls, TheChildInFrontTakesTheClickAndCoversTheOneBehind) {
  Move(120, 115);  // only on the back button
  EXPECT_TRUE(Back->IsHovered());
  Click(170, 135);  // where both overlap
  EXPECT_FALSE(Back->IsHovered()) << "covered by the button in front";
  EXPECT_TRUE(Front->IsHovered());
  EXPECT_EQ(Log.Only("click"), (std::vector<std::string>{"click front"}));
  EXPECT_EQ(Log.Only("leave"), (std::vector<std::string>{"leave back"}));
  EXPECT_TRUE(Panel->IsHovered()) << "a group under its children is hovered too";

  Click(330, 115);  // the zero-size group's child, far from the group's origin
  EXPECT_EQ(Log.Only("click").back(), "click far");
  EXPECT_EQ(Sys->ControlAt(330, 115), Far);
  EXPECT_EQ(Sys->ControlAt(380, 280), Win) << "a sized group catches the pointer itself";
  EXPECT_EQ(Sys->ControlAt(500, 280), nullptr);
}

TEST_F(Controls, AClickNeedsPressAndReleaseOnTheSameControl) {
  Press(120, 115);
  EXPECT_TRUE(Back->IsPressed());
  Move(30, 30);  // out of the window, the button still pressed
  Release(30, 30);
  EXPECT_FALSE(Back->IsPressed());
  Press(120, 115);
  Move(30, 30);
  Move(125, 118);
  Release(125, 118);
  Press(330, 115);  // pressed on one control, released on another
  Release(120, 115);
  EXPECT_EQ(Log.Only("click"), (std::vector<std::string>{"click back"}));
  EXPECT_FALSE(Far->IsPressed());
}

TEST_F(Controls, ADragLeavingTheScreenIsHeldAtItsEdge) {
  std::vector<std::string> moves;
  struct TMoves {
    std::vector<std::string>* Out;
    void Moved(TShiftState shift, int x, int y) {
      Out->push_back(std::to_string(shift) + " " + std::to_string(x) + "," + std::to_string(y));
    }
  } recorder{&moves};
  Back->OnMouseMove = TMouseMoveEvent::Of<&TMoves::Moved>(&recorder);
  Press(120, 115);
  Move(-40, 900);  // the pointer left the picture while the button is held
  Release(-40, 900);
  EXPECT_EQ(moves, (std::vector<std::string>{"0 10,5", "8 -110,489"})) << "left button held, pointer at 0, 599";
  EXPECT_EQ(Log.Only("click"), std::vector<std::string>{});
}

TEST_F(Controls, ADisabledControlTracksHoveringButTakesNoInput) {
  Front->Disable();
  Move(170, 135);
  EXPECT_TRUE(Front->IsHovered());
  EXPECT_FALSE(Back->IsHovered()) << "it still covers what lies behind it";
  Click(170, 135);
  EXPECT_EQ(Log.Only("click"), (std::vector<std::string>{"click back"})) << "the press passes it by";
  Move(390, 290);
  EXPECT_FALSE(Front->IsHovered());
}

TEST_F(Controls, WheelStepsEvery120UnitsWhileHovered) {
  Move(120, 115);
  Os->Wheel(240);
  Drain();
  EXPECT_EQ(Log.Only("wheel"), (std::vector<std::string>{"wheel up back", "wheel up back"}));
  Os->Wheel(60);
  Drain();
  EXPECT_EQ(Log.Only("wheel").size(), 2u);
  Os->Wheel(60);
  Drain();
  EXPECT_EQ(Log.Only("wheel").size(), 3u);
  Os->Wheel(-120);
  Drain();
  EXPECT_EQ(Log.Only("wheel").back(), "wheel down back");
  Move(390, 290);
  Os->Wheel(-120);
  Drain();
  EXPECT_EQ(Log.Only("wheel").size(), 4u) << "not hovered";
}

TEST_F(Controls, DoubleClickIsAPressToo) {
  Front->OnDblClick = TMouseEvent::Of<&TEventLog::DoubleClicked>(&Log);
  Os->MouseMove(170, 135);
  Os->DoubleClick(mbLeft, 170, 135);
  Drain();
  EXPECT_EQ(Log.Only("click"), (std::vector<std::string>{"click front", "click front"}));
  EXPECT_EQ(Log.Only("double"), (std::vector<std::string>{"double 0"}));
}

TEST_F(Controls, MouseEventsCarryButtonShiftAndControlCoordinates) {
  Front->OnMouseDown = TMouseEvent::Of<&TEventLog::Pressed>(&Log);
  Os->KeyDown(VK_SHIFT);
  Os->KeyDown(VK_CONTROL);
  Os->MouseMove(170, 135);
  Os->MouseButton(mbRight, true, 170, 135);
  Os->MouseButton(mbRight, false, 170, 135);
  Os->KeyUp(VK_CONTROL);
  Os->KeyUp(VK_SHIFT);
  Os->KeyDown(VK_MENU);
  Os->MouseButton(mbLeft, true, 171, 136);
  Os->MouseButton(mbLeft, false, 171, 136);
  Os->KeyUp(VK_MENU);
  Drain();
  EXPECT_EQ(Log.Only("down"), (std::vector<std::string>{"down 1 19 10,5", "down 0 12 11,6"}));
  EXPECT_EQ(Log.Only("click"), (std::vector<std::string>{"click front"})) << "only the left button clicks";
}

TEST_F(Controls, TabMovesTheFocusOverUsableTabStops) {
  EXPECT_EQ(Win->FocusedControl(), Back) << "the first tab stop has the focus";
  Front->Hide();
  Key(VK_TAB);
  EXPECT_EQ(Win->FocusedControl(), Far);
  Key(VK_TAB);
  EXPECT_EQ(Win->FocusedControl(), Back) << "wrapping";
  Os->KeyDown(VK_SHIFT);
  Key(VK_TAB);
  Os->KeyUp(VK_SHIFT);
  Drain();
  EXPECT_EQ(Win->FocusedControl(), Far);
  Front->Show();
  for (Plat::WPARAM modifier : {VK_CONTROL, VK_MENU}) {
    Os->KeyDown(modifier);
    Key(VK_TAB);
    Os->KeyUp(modifier);
    Drain();
    EXPECT_EQ(Win->FocusedControl(), Far) << "Ctrl+Tab and Alt+Tab do nothing";
  }
  // A held key repeats: each repeat moves on.
  Os->KeyDown(VK_TAB);
  Os->KeyDown(VK_TAB, true);
  Os->KeyUp(VK_TAB);
  Drain();
  EXPECT_EQ(Win->FocusedControl(), Front);
  EXPECT_TRUE(Front->IsFocused());
  EXPECT_FALSE(Back->IsFocused());
  EXPECT_FALSE(Far->IsFocused());
}

TEST_F(Controls, HidingOrDisablingAGroupTakesItsChildrenOutOfTheTabOrder) {
  Click(170, 135);
  EXPECT_EQ(Win->FocusedControl(), Front) << "a click focuses a tab stop";
  Panel->Hide();
  EXPECT_EQ(Win->FocusedControl(), Far);
  EXPECT_EQ(Win->TabList[Back->TabIndex], nullptr);
  Back->Hide();
  Back->Show();  // shown on its own, but inside a hidden group
  Key(VK_TAB);
  EXPECT_EQ(Win->FocusedControl(), Far);
  Panel->Show();
  Panel->Disable();
  Key(VK_TAB);
  EXPECT_EQ(Win->FocusedControl(), Far);
  Panel->Enable();
  Key(VK_TAB);
  EXPECT_EQ(Win->FocusedControl(), Back);
  EXPECT_EQ(Back->TabIndex, 0) << "the order never changes";
  EXPECT_EQ(Far->TabIndex, 2);
}

TEST_F(Controls, AControlDeletedLeavesItsGroupAndTabSlot) {
  Click(170, 135);
  delete Front;
  EXPECT_EQ(Panel->Children.Count(), 1);
  EXPECT_EQ(Win->FocusedControl(), Back) << "the focus moves to the first tab stop";
  Key(VK_TAB);
  EXPECT_EQ(Win->FocusedControl(), Far);
  delete Panel;  // its children go with it
  EXPECT_EQ(Win->Children.Count(), 1);
  Key(VK_TAB);
  EXPECT_EQ(Win->FocusedControl(), Far);
}

TEST_F(Controls, KeysReachEveryControlOfTheActiveWindowWithTheirShiftState) {
  Far->OnKeyDown = TKeyEvent::Of<&TEventLog::Key>(&Log);
  Far->OnKeyPress = TKeyPressEvent::Of<&TEventLog::Char>(&Log);
  Os->KeyDown(VK_MENU);
  Os->KeyDown('X');
  Os->KeyUp('X');
  Os->KeyUp(VK_MENU);
  Os->KeyDown(VK_SHIFT);
  Os->KeyDown('Y');
  Os->TypeChar('Y');
  Drain();
  // A modifier's own key-down already finds it held.
  EXPECT_EQ(Log.Only("key"), (std::vector<std::string>{"key 18 4", "key 88 4", "key 16 1", "key 89 1"}));
  EXPECT_EQ(Log.Only("char"), (std::vector<std::string>{"char Y"}));
}

}  // namespace
}  // namespace WinTest
