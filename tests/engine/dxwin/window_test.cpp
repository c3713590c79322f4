// Windows and the window system: activation and z-order, modality, keys,
// dragging by the title strip, centring, freeing, and the modal loop.
#include "tests/engine/dxwin/window_fixture.h"

namespace WinTest {
namespace {

using namespace DXWin;
using Plat::VK_ESCAPE;
using Plat::VK_RETURN;

class Windows : public TWindowFixture {
 protected:
  // Windows in z-order from the front, by their text.
  std::vector<std::string> Order() const {
    std::vector<std::string> out;
    for (TDXWindow* w : Sys->Windows) out.push_back(w->Text);
    return out;
  }
  TDXWindow* Named(const char* name, const Base::TRect& r, u32 flags = 0, int dragBar = 0) {
    TDXWindow* w = OpenWindow(r, flags, dragBar);
    w->Text = name;
    return w;
  }
  TEventLog Log;
};

TEST_F(Windows, AClickOnAWindowBehindRaisesAndActivatesItAtOnce) {
  TDXWindow* map = Named("map", {0, 0, 800, 600}, wfBackground);
  TDXWindow* a = Named("a", {100, 100, 300, 300});
  TDXWindow* b = Named("b", {200, 200, 400, 400});
  EXPECT_EQ(Order(), (std::vector<std::string>{"b", "a", "map"}));
  EXPECT_EQ(Sys->ActiveWindow, b);
  Click(150, 150);
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b", "map"}));
  EXPECT_EQ(Sys->ActiveWindow, a);
  EXPECT_TRUE(a->IsActive());
  EXPECT_FALSE(b->IsActive());
  Click(700, 500);
  EXPECT_EQ(Sys->ActiveWindow, map);
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b", "map"})) << "a background window stays at the back";
  auto* late = new TDXWindow(Sys.get(), 0, 0);
  late->Text = "late";
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b", "late", "map"})) << "new windows wait behind the others";
}

TEST_F(Windows, OnlyTheActiveWindowAndBackgroundWindowsGetKeys) {
  TDXWindow* map = Named("map", {0, 0, 800, 600}, wfBackground);
  TDXWindow* a = Named("a", {100, 100, 300, 300});
  TDXWindow* b = Named("b", {400, 100, 600, 300});
  for (TDXWindow* w : {map, a, b}) w->OnKeyDown = TKeyEvent::Of<&TEventLog::Key>(&Log);
  Os->KeyDown('K');
  Drain();
  EXPECT_EQ(Log.Events.size(), 2u) << "the active window b and the map";
  a->Close();  // hidden, so b stays active
  b->Close();
  Drain();
  Step();
  EXPECT_EQ(Sys->ActiveWindow, map) << "the first visible window from the front";
}

TEST_F(Windows, AModalWindowAloneReceivesInput) {
  TDXWindow* map = Named("map", {0, 0, 800, 600}, wfBackground);
  TDXWindow* other = Named("other", {500, 100, 700, 300});
  TDXButton* behind = MakeButton(other, other, "behind", {0, 0, 200, 200});
  auto* dialog = new TDXWindow(Sys.get(), wfModal, 0);
  dialog->Text = "dialog";
  dialog->SetBounds({100, 100, 300, 300});
  TDXButton* ok = MakeButton(dialog, dialog, "ok", {10, 10, 60, 30});
  ok->ModalResult = 1;
  for (TDXControl* c : {static_cast<TDXControl*>(behind), static_cast<TDXControl*>(ok)}) Log.Watch(*c);
  map->OnKeyDown = TKeyEvent::Of<&TEventLog::Key>(&Log);
  map->OnWheelUp = TNotifyEvent::Of<&TEventLog::WheeledUp>(&Log);
  TDXWindow* shownMeanwhile = nullptr;
  const int result = RunModal(*dialog, [&](u32 step) {
    switch (step) {
      case 1:
        Os->MouseMove(600, 200);
        Os->Click(mbLeft, 600, 200);
        Os->KeyDown('K');
        Os->Wheel(120);
        break;
      case 2:
        shownMeanwhile = Named("meanwhile", {0, 0, 50, 50});
        break;
      case 3:
        EXPECT_EQ(Sys->ActiveWindow, dialog);
        EXPECT_EQ(Order().front(), "dialog") << "a window shown meanwhile stays behind";
        Os->MouseMove(120, 120);
        Os->Click(mbLeft, 120, 120);
        break;
      default:
        break;
    }
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Log.Events, (std::vector<std::string>{"enter ok", "click ok"}));
  EXPECT_FALSE(behind->IsHovered());
  Step();
  EXPECT_EQ(Sys->ActiveWindow, shownMeanwhile) << "active once the modal window closed";
}

TEST_F(Windows, EnterAndEscapeClickTheFocusedDefaultAndCancelButtons) {
  struct TCase {
    const char* name;
    Plat::WPARAM key;
    bool focusOk;
    int result;
  };
  for (const TCase& t : {TCase{"Enter on the focused button", VK_RETURN, true, 6},
                         TCase{"Enter clicks the default button", VK_RETURN, false, 7},
                         TCase{"Esc clicks the cancel button", VK_ESCAPE, true, 2}}) {
    SCOPED_TRACE(t.name);
    auto* dialog = new TDXWindow(Sys.get(), wfModal | wfFreeOnClose | wfCentered, 0);
    dialog->SetSize(200, 100);
    TDXButton* yes = MakeButton(dialog, dialog, "yes", {10, 10, 60, 30});
    yes->ModalResult = 6;
    TDXButton* no = MakeButton(dialog, dialog, "no", {70, 10, 120, 30});
    no->ModalResult = 7;
    no->SetDefault(true);
    TDXButton* cancel = MakeButton(dialog, dialog, "cancel", {130, 10, 180, 30}, 0);
    cancel->ModalResult = 2;
    cancel->SetCancel(true);
    int presses = 0;
    const int result = RunModal(*dialog, [&](u32 step) {
      if (step != 1) return;
      if (!t.focusOk) dialog->SetFocusIndex(-1);
      Os->KeyDown(t.key);
      Os->KeyUp(t.key);
      ++presses;
    });
    EXPECT_EQ(result, t.result);
    EXPECT_EQ(presses, 1);
    Step();
    EXPECT_EQ(Sys->Windows.Count(), 0) << "freed after closing";
  }
}

TEST_F(Windows, KeysClickNoDisabledOrHiddenDefaultOrCancelButton) {
  TDXWindow* w = Named("w", {0, 0, 200, 100});
  TDXButton* ok = MakeButton(w, w, "ok", {10, 10, 60, 30}, 0);
  TDXButton* cancel = MakeButton(w, w, "cancel", {70, 10, 120, 30}, 0);
  ok->SetDefault(true);
  cancel->SetCancel(true);
  Log.Watch(*ok);
  Log.Watch(*cancel);
  ok->Disable();
  cancel->Hide();
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  EXPECT_EQ(Log.Only("click"), std::vector<std::string>{});
  ok->Enable();
  Key(VK_RETURN);
  EXPECT_EQ(Log.Only("click"), (std::vector<std::string>{"click ok"}));
  delete ok;
  EXPECT_EQ(w->DefaultButton, nullptr) << "a deleted button is no longer the default";
}

TEST_F(Windows, TheDialogDiscardsTheMessageThatOpenedIt) {
  auto* dialog = new TDXWindow(Sys.get(), wfModal, 0);
  dialog->SetSize(200, 100);
  TDXButton* ok = MakeButton(dialog, dialog, "ok", {10, 10, 60, 30});
  ok->ModalResult = 1;
  ok->SetDefault(true);
  // Enter opened the dialog: its character is still pending.
  Os->KeyDown(VK_RETURN);
  Plat::TMsg m;
  ASSERT_TRUE(Os->PeekMessage(m, Plat::PM_REMOVE));
  Os->TranslateMessage(m);
  Script = [this, dialog](u32) {
    if (App->UpdateCount > 5000) dialog->SetModalResult(99);
  };
  Clock.StepPerRead = 1;
  EXPECT_EQ(dialog->ShowModal(true), 99) << "Enter did not close it at once";
}

TEST_F(Windows, DraggingStartsBeyondThreePixelsAndKeepsTheGrabbedPoint) {
  TDXWindow* w = Named("w", {100, 100, 300, 300}, wfDraggable, 20);
  Press(150, 110);
  Move(153, 107);
  EXPECT_EQ(w->Left, 100) << "3 pixels are not yet a drag";
  Move(154, 110);
  EXPECT_EQ(w->Left, 104);
  Move(250, 400);
  EXPECT_EQ(w->Left, 200);
  EXPECT_EQ(w->Top, 390);
  Release(250, 400);
  Move(260, 410);
  EXPECT_EQ(w->Left, 200) << "the drag ended";
  Press(150 + 100, 150 + 290);  // below the strip
  Move(300, 500);
  Release(300, 500);
  EXPECT_EQ(w->Top, 390);
}

TEST_F(Windows, ADragOffTheScreenAndALostFocusEndWithTheWindowReachable) {
  TDXWindow* w = Named("w", {100, 100, 300, 300}, wfDraggable, 20);
  TDXWindow* over = Named("over", {0, 0, 800, 50});
  Press(150, 110);
  Move(150, 100);
  Sys->ActivateWindow(over);  // another window comes in front meanwhile
  Move(-300, 20);  // over the other window and off the screen
  EXPECT_EQ(w->Left, -50) << "the grabbed point stops at the screen's edge";
  EXPECT_EQ(w->Top, 10);
  Move(20, 30);
  EXPECT_EQ(w->Left, -30) << "dragging goes on under a covering window";
  Os->LoseFocus();
  Drain();
  Move(400, 400);
  EXPECT_EQ(w->Left, -30) << "the release that never came ended the drag";
  EXPECT_FALSE(w->Flags & (cfDragging | cfDragPending));
}

TEST_F(Windows, CentredWhenShownOnTheDisplay) {
  for (int width : {400, 401}) {
    auto* w = new TDXWindow(Sys.get(), wfCentered, 0);
    w->SetSize(width, 300);
    w->Show();
    EXPECT_EQ(w->Left, width == 400 ? 200 : 199);
    EXPECT_EQ(w->Top, 150);
  }
}

TEST_F(Windows, AWindowHiddenBeforeItsActivationStaysInactive) {
  TDXWindow* a = Named("a", {0, 0, 100, 100});
  auto* b = new TDXWindow(Sys.get(), 0, 0);
  b->Show();
  b->Hide();
  Step();
  EXPECT_EQ(Sys->ActiveWindow, a);
  EXPECT_FALSE(b->IsActive());
}

TEST_F(Windows, FocusFollowsActivation) {
  TDXWindow* a = Named("a", {0, 0, 100, 100});
  TDXButton* button = MakeButton(a, a, "button", {0, 0, 10, 10});
  a->FocusFirst();
  Log.Watch(*button);
  button->OnExit = TNotifyEvent::Of<&TEventLog::Left>(&Log);
  TDXWindow* b = Named("b", {200, 0, 300, 100});
  EXPECT_FALSE(button->IsFocused()) << "the focused control of a deactivated window exits";
  Click(50, 50);
  EXPECT_TRUE(button->IsFocused());
  EXPECT_EQ(Sys->ActiveWindow, a);
  delete b;
  EXPECT_EQ(Sys->Windows.Count(), 1);
}

}  // namespace
}  // namespace WinTest
