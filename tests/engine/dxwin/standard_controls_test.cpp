// Buttons, check boxes, the tooltip's timing, scroll bars and list boxes,
// driven through the message loop with update steps on the fake clock; the
// window system's animated cursor on the software display.
#include "engine/dxwin/list_box.h"
#include "engine/dxwin/tooltip.h"
#include "tests/engine/dxwin/window_fixture.h"
#include "tests/engine/gfx/gfx_display.h"

namespace WinTest {
namespace {

using namespace DXWin;

struct TRecordingTooltip : TDXTooltip {
  void SetVisible(bool visible) override { Visible = visible; }
  bool IsVisible() override { return Visible; }
  void SetText(const std::string& text) override { Shown = text; }
  void SetPosition(int x, int y) override { At = {x, y}; }
  void Update() override {}
  void Draw(Plat::TSurface*) override {}
  bool Visible = false;
  std::string Shown;
  Plat::TPoint At;
};

struct TBar : TDXScrollBar {
  TBar(TDXGroup* owner, bool vertical, int buttonSize, int thumbSize)
      : TDXScrollBar(owner, vertical, buttonSize, thumbSize) {}
  void PartPressed() override { ++Presses; }
  int Presses = 0;
};

class StandardControls : public TWindowFixture {
 protected:
  void SetUp() override {
    TWindowFixture::SetUp();
    Win = OpenWindow({100, 100, 500, 400});
  }
  TDXWindow* Win = nullptr;
  TEventLog Log;
};

TEST_F(StandardControls, ACheckBoxHandlerSeesTheStateBeforeTheClick) {
  auto* box = new TDXCheckBox(Win, Win);
  box->SetBounds({10, 10, 30, 30});
  struct TSeen {
    TDXCheckBox* Box;
    std::vector<bool> States;
    void Clicked(TDXControl*) { States.push_back(Box->Checked); }
  } seen{box, {}};
  box->OnClick = TNotifyEvent::Of<&TSeen::Clicked>(&seen);
  Click(115, 115);
  Click(115, 115);
  EXPECT_EQ(seen.States, (std::vector<bool>{false, true}));
  EXPECT_FALSE(box->Checked);
  EXPECT_EQ(box->TabIndex, -1) << "no tab stop";
}

TEST_F(StandardControls, TheTooltipShowsAfterTheDelayAndHidesOnAPress) {
  auto* tip = new TRecordingTooltip;
  Sys->SetTooltip(tip);
  TDXButton* a = MakeButton(Win, Win, "a", {10, 10, 60, 30});
  a->Hint = "Erster";
  TDXButton* b = MakeButton(Win, Win, "b", {70, 10, 120, 30});
  b->Hint = "Zweiter";
  TDXButton* silent = MakeButton(Win, Win, "silent", {130, 10, 180, 30});
  // Update steps until the tooltip shows, at most 100.
  auto stepsUntilShown = [&] {
    for (int n = 1; n <= 100; ++n) {
      Step();
      if (tip->Visible) return n;
    }
    return 0;
  };
  Move(115, 115);
  EXPECT_EQ(stepsUntilShown(), 52) << "more than 500 ms after the first step that saw the pointer rest";
  EXPECT_EQ(tip->Shown, "Erster");
  EXPECT_EQ(tip->At, (Plat::TPoint{115, 115}));
  Move(175, 112);  // onto the next control: no new delay
  Step();
  EXPECT_TRUE(tip->Visible);
  EXPECT_EQ(tip->Shown, "Zweiter");
  EXPECT_EQ(tip->At, (Plat::TPoint{175, 112}));
  Press(176, 112);
  EXPECT_FALSE(tip->Visible) << "hidden at once by a press";
  Step(80);
  EXPECT_FALSE(tip->Visible) << "not while the button is held";
  Release(176, 112);
  EXPECT_EQ(stepsUntilShown(), 52) << "the delay starts again after the release";
  Move(235, 115);
  Step();
  EXPECT_FALSE(tip->Visible) << "a control without a hint has none";
  b->Hint = "Neu";
  Move(176, 112);
  Step(60);
  EXPECT_EQ(tip->Shown, "Neu");
  b->Hint = "Anders";
  Step();
  EXPECT_EQ(tip->Shown, "Anders") << "a hint that changes while shown is taken";
  (void)silent;
}

class ScrollBars : public StandardControls {
 protected:
  void SetUp() override {
    StandardControls::SetUp();
    // A vertical bar at screen (300, 120), 16 x 200: buttons of 16, a thumb of 20.
    Bar = new TBar(Win, true, 16, 20);
    Bar->SetBounds({200, 20, 216, 220});
    Bar->Max = 100;
    Bar->OnChange = TNotifyEvent::Of<&TEventLog::Clicked>(&Log);
    Bar->Text = "bar";
  }
  TBar* Bar = nullptr;
};

TEST_F(ScrollBars, AHeldButtonStepsAtThePressThenEvery20Steps) {
  Press(308, 310);  // the incrementing button
  EXPECT_EQ(Bar->Position, 1);
  EXPECT_EQ(Bar->Presses, 1);
  Step(19);
  EXPECT_EQ(Bar->Position, 1);
  Step();
  EXPECT_EQ(Bar->Position, 2);
  Step(20);
  EXPECT_EQ(Bar->Position, 3);
  Move(250, 250);  // off the button, still held
  Step(45);
  EXPECT_EQ(Bar->Position, 3);
  Move(308, 312);
  Step();
  EXPECT_EQ(Bar->Position, 4) << "coming back onto the button steps at once";
  Release(308, 312);
  Step(40);
  EXPECT_EQ(Bar->Position, 4);
  Click(308, 125);  // the decrementing button
  Step(40);
  EXPECT_EQ(Bar->Position, 3);
  EXPECT_EQ(Log.Events.size(), 5u) << "every change notified";
}

TEST_F(ScrollBars, TheThumbFollowsThePointerWhileHeld) {
  const Base::TRect thumb = Bar->ThumbRect();
  EXPECT_EQ(thumb, (Base::TRect{300, 137, 316, 157})) << "one pixel into the track at the minimum";
  Press(305, 140);
  EXPECT_EQ(Bar->Position, 0);
  EXPECT_EQ(Bar->GrabY, 3);
  Move(305, 230);
  Step();
  EXPECT_EQ(Bar->Position, Bar->PositionAt(300, 227));
  EXPECT_EQ(Bar->ThumbRect().Top, 227) << "the thumb lies where it was dragged";
  Move(305, 590);
  Step();
  EXPECT_EQ(Bar->Position, 100);
  Release(305, 590);
  Move(250, 140);
  Step();
  EXPECT_EQ(Bar->Position, 100);
  Os->Wheel(120);
  Drain();
  EXPECT_EQ(Bar->Position, 100) << "the pointer is not on the bar";
  Move(305, 200);
  Os->Wheel(240);
  Drain();
  EXPECT_EQ(Bar->Position, 98);
}

TEST_F(ScrollBars, PositionsAlongTheTrack) {
  struct TCase {
    int min, max, y;
    int expected;
  };
  // The track runs from 136 to 304. With 101 positions a step is narrower
  // than the thumb, so half a thumb is kept free at both ends (146 to 294);
  // the point mapped is the thumb's middle, 10 below its top.
  for (const TCase& t : {TCase{0, 100, 0, 0}, TCase{0, 100, 136, 0}, TCase{0, 100, 137, 0}, TCase{0, 100, 139, 1},
                         TCase{0, 100, 200, 43}, TCase{0, 100, 283, 101}, TCase{0, 100, 284, 100},
                         TCase{0, 0, 200, 0}, TCase{5, 3, 200, 5}, TCase{0, 3, 200, 1}, TCase{0, 3, 300, 3}}) {
    Bar->Min = t.min;
    Bar->Max = t.max;
    EXPECT_EQ(Bar->PositionAt(300, t.y), t.expected) << t.min << ".." << t.max << " at " << t.y;
  }
  Bar->Max = 0;
  Bar->Position = 7;
  Bar->Changed(false);
  EXPECT_EQ(Bar->Position, 0);
  EXPECT_EQ(Bar->ThumbRect().Top, 137) << "an empty range draws the thumb at the start";
}

TEST_F(ScrollBars, ABarDisabledWhileHeldStopsStepping) {
  Press(308, 310);
  Bar->Disable();
  Step(100);
  EXPECT_EQ(Bar->Position, 1);
}

class ListBoxes : public StandardControls {
 protected:
  void SetUp() override {
    StandardControls::SetUp();
    Bar = new TBar(Win, true, 16, 20);
    Bar->SetSize(16, 10);
    List = new TDXListBox(Win, 120, 20, Bar);
    List->SetPosition(10, 10);
    List->RowCount = 5;
    List->OnDrawItem = TDrawItemEvent::Of<&ListBoxes::DrawnItem>(this);
  }
  void DrawnItem(Plat::TSurface*, const Base::TRect& row, bool hot, bool selected, int index) {
    Rows.push_back(std::to_string(index) + (hot ? " hot" : "") + (selected ? " selected" : "") + " at " +
                   std::to_string(row.Top));
  }
  std::vector<std::string> Draw() {
    Rows.clear();
    Win->DrawControl(nullptr);
    return Rows;
  }
  TBar* Bar = nullptr;
  TDXListBox* List = nullptr;
  std::vector<std::string> Rows;
};

TEST_F(ListBoxes, TheScrollBarShowsOnlyWhenTheItemsDoNotFit) {
  List->ItemCount = 3;
  List->UpdateLayout();
  EXPECT_FALSE(Bar->IsVisible());
  EXPECT_EQ(List->Height, 100);
  EXPECT_EQ(Draw(), (std::vector<std::string>{"0 selected at 110", "1 at 130", "2 at 150"}));
  List->ItemCount = 8;
  List->UpdateLayout();
  EXPECT_TRUE(Bar->IsVisible());
  EXPECT_EQ(Bar->Min, 0);
  EXPECT_EQ(Bar->Max, 3);
  EXPECT_EQ(Bar->Left, 131);
  EXPECT_EQ(Bar->Top, 10);
  EXPECT_EQ(Bar->Height, 100);
  EXPECT_EQ(Bar->Width, 16);
  List->Disable();
  EXPECT_FALSE(Bar->IsEnabled());
  List->Enable();
  List->Hide();
  EXPECT_FALSE(Bar->IsVisible());
}

TEST_F(ListBoxes, ClicksSelectAndTheWheelAndTheBarScroll) {
  List->ItemCount = 8;
  List->UpdateLayout();
  Click(115, 155);  // row 2
  EXPECT_EQ(List->ItemIndex, 2);
  Os->Wheel(-240);
  Drain();
  EXPECT_EQ(List->TopIndex, 2);
  EXPECT_EQ(Bar->Position, 2);
  Os->Wheel(-240);
  Drain();
  EXPECT_EQ(List->TopIndex, 3) << "held at the last page";
  Step();
  EXPECT_EQ(Draw(), (std::vector<std::string>{"3 at 110", "4 at 130", "5 hot at 150", "6 at 170", "7 at 190"}));
  Click(115, 195);
  EXPECT_EQ(List->ItemIndex, 7);
  Click(237, 113);  // the bar's decrementing button
  Step();
  EXPECT_EQ(List->TopIndex, 2) << "the list follows its bar";
  List->ItemCount = 4;
  List->UpdateLayout();
  EXPECT_EQ(List->ItemIndex, 3);
  EXPECT_EQ(List->TopIndex, 0);
}

TEST_F(ListBoxes, AnEmptyListSelectsNothing) {
  List->UpdateLayout();
  EXPECT_EQ(List->ItemIndex, -1);
  Click(115, 115);
  EXPECT_EQ(List->ItemIndex, -1);
  EXPECT_EQ(List->ItemAt(5, 5), -1);
  EXPECT_EQ(Draw(), std::vector<std::string>{});
}

TEST_F(StandardControls, TheCursorAdvancesAFrameEveryTenUpdateSteps) {
  TestSupport::TGfxDisplay display(64, 32);
  Builder::TSpriteShape shape;
  shape.Width = 4;
  shape.Height = 4;
  shape.Frames = 8;
  shape.HotX = 2;
  shape.HotY = 1;
  auto cursor = TestSupport::Loaded(*Builder::MakeSprite16(shape, [](i32 frame, i32, i32) -> u32 {
    return static_cast<u32>(frame + 1);
  }));
  shape.FrameMode = Gfx::fmLastIsBackground;
  shape.Frames = 3;
  auto withBackground = TestSupport::Loaded(*Builder::MakeSprite16(shape, [](i32 frame, i32, i32) -> u32 {
    return static_cast<u32>(frame + 1);
  }));
  Win->Hide();
  Sys->SetDefaultCursor(cursor.get());
  Move(20, 10);
  auto pixel = [&] { return reinterpret_cast<const u16*>(display.Back()->Bits() + 9 * display.Back()->Pitch())[18]; };
  for (u32 count : {30u, 39u, 110u, 119u, 40u}) {
    App->UpdateCount = count;
    Sys->Draw(display.Back());
    EXPECT_EQ(pixel(), count == 40 ? 5 : 4) << count;
  }
  Sys->SetOverrideCursor(withBackground.get());
  App->UpdateCount = 30;
  Sys->Draw(display.Back());
  EXPECT_EQ(pixel(), 2) << "two animation frames before the background";
  EXPECT_EQ(Sys->CurrentCursor, withBackground.get());
}

}  // namespace
}  // namespace WinTest
