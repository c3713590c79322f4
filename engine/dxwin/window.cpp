#include "engine/dxwin/window.h"

#include <cstdlib>

#include "engine/d3dframe/d3dframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/button.h"
#include "engine/dxwin/window_system.h"
#include "engine/platform/window/platform.h"

using namespace Plat;

namespace DXWin {

int ScreenWidth() { return D3DFramework ? static_cast<int>(D3DFramework->DisplayMode.Width) : 800; }
int ScreenHeight() { return D3DFramework ? static_cast<int>(D3DFramework->DisplayMode.Height) : 600; }

TDXWindow::TDXWindow(TDXWindowSystem* windowSystem, u32 flags, int dragBarHeight)
    : TDXGroup(nullptr, nullptr, (flags | cfEnabled) & ~cfVisible), DragBarHeight(dragBarHeight) {
  if (windowSystem) windowSystem->AddWindow(this);
}

TDXWindow::~TDXWindow() {
  Destroying = true;
  if (WindowSystem) WindowSystem->RemoveWindow(this);
  // The children leave the tab order while it still stands.
  DeleteChildren();
}

void TDXWindow::MouseDown(int button, TShiftState shift, int x, int y) {
  TDXGroup::MouseDown(button, shift, x, y);
  RequestActivate();
  if ((Flags & wfDraggable) && button == mbLeft && x >= 0 && x < Width && y < DragBarHeight) {
    DragX = x;
    DragY = y;
    Flags |= cfDragPending;
  }
}

void TDXWindow::MouseMove(TShiftState shift, int x, int y) {
  if ((Flags & cfDragPending) && (std::abs(x - DragX) > 3 || std::abs(y - DragY) > 3)) {
    Flags &= ~cfDragPending;
    Flags |= cfDragging;
  }
  if (Flags & cfDragging) {
    Left += x - DragX;
    Top += y - DragY;
    TDXGroup::MouseMove(shift, DragX, DragY);
    return;
  }
  TDXGroup::MouseMove(shift, x, y);
}

void TDXWindow::MouseUp(int button, TShiftState shift, int x, int y) {
  TDXGroup::MouseUp(button, shift, x, y);
  if (button == mbLeft) Flags &= ~(cfDragPending | cfDragging);
}

void TDXWindow::HandleMessage(UINT& msg, WPARAM& wParam, LPARAM& lParam, bool& handled) {
  TDXGroup::HandleMessage(msg, wParam, lParam, handled);
  if (msg != WM_CHAR) return;
  char c = static_cast<char>(wParam);
  // A button that cannot be pressed by the mouse cannot be pressed by a key either.
  auto usable = [](TDXButton* b) { return b && b->IsVisible() && b->IsEnabled(); };
  if (c == 13 && usable(DefaultButton)) {
    c = 0;
    DefaultButton->Click();
  } else if (c == 27 && usable(CancelButton)) {
    c = 0;
    CancelButton->Click();
  }
  wParam = static_cast<WPARAM>(static_cast<std::intptr_t>(c));
}

void TDXWindow::SetVisible(bool visible) {
  if (visible) {
    if (Flags & wfCentered) {
      Left = (ScreenWidth() - Width) / 2;
      Top = (ScreenHeight() - Height) / 2;
    }
    Flags |= cfVisible;
    FocusFirst();
    RequestActivate();
  } else {
    // An activation still pending would make a hidden window active.
    Flags &= ~wfRequestActivate;
    RequestDeactivate();
    Flags &= ~cfVisible;
  }
}

void TDXWindow::Close() {
  if (Flags & wfModal) ModalDone = true;
  if (Flags & wfFreeOnClose) Flags |= wfRequestFree;
  Hide();
}

void TDXWindow::SetModalResult(int result) {
  if (result == 0) return;
  ModalResult = result;
  ModalDone = true;
}

int TDXWindow::ShowModal(bool discardOneMessage) {
  TPlatform& os = Current();
  TMsg m;
  // The quit message is never the one that opened the window: it stays.
  if (discardOneMessage && os.PeekMessage(m, PM_NOREMOVE) && m.Message != WM_QUIT) os.PeekMessage(m, PM_REMOVE);
  ModalDone = false;
  ModalResult = 0;
  Show();
  if (WindowSystem) {
    WindowSystem->RefreshMouse();
    WindowSystem->ProcessRequests();
  }
  InModalLoop = true;
  DXApplication->RunModalLoop(&ModalDone, nullptr, nullptr);
  InModalLoop = false;
  return ModalResult;
}

void TDXWindow::AddTabControl(TDXControl* control) {
  const bool usable = control->IsVisible() && control->IsEnabled();
  control->TabIndex = TabList.Add(usable ? control : nullptr);
  control->Window = this;
  if (FocusIndex < 0) FocusFirst();
}

void TDXWindow::ForgetTabControl(TDXControl* control) {
  const i32 i = control->TabIndex;
  if (i < 0 || i >= TabList.Count()) return;
  TabList[i] = nullptr;
  if (FocusIndex != i) return;
  FocusIndex = -1;
  // No focus changes while the window itself goes.
  if (!Destroying) FocusFirst();
}

void TDXWindow::SetFocusIndex(int index) {
  if (TDXControl* old = FocusedControl()) old->Exit();
  FocusIndex = index;
  if (TDXControl* now = FocusedControl()) now->Enter();
}

TDXControl* TDXWindow::FocusedControl() const {
  return FocusIndex >= 0 && FocusIndex < TabList.Count() ? TabList[FocusIndex] : nullptr;
}

bool TDXWindow::IsFocusable(int index) const {
  if (index < 0 || index >= TabList.Count() || !TabList[index]) return false;
  const TDXControl* c = TabList[index];
  if (!(c->Flags & cfTabStop)) return false;
  // A control inside a hidden or disabled group cannot take the focus either.
  for (; c && c != this; c = c->Owner)
    if (!c->IsVisible() || !c->IsEnabled()) return false;
  return true;
}

void TDXWindow::FocusFirst() {
  SetFocusIndex(-1);
  for (i32 i = 0; i < TabList.Count(); ++i)
    if (IsFocusable(i)) {
      SetFocusIndex(i);
      return;
    }
}

void TDXWindow::FocusNext() {
  for (i32 i = FocusIndex + 1; i < TabList.Count(); ++i)
    if (IsFocusable(i)) return SetFocusIndex(i);
  for (i32 i = 0; i < FocusIndex; ++i)
    if (IsFocusable(i)) return SetFocusIndex(i);
}

void TDXWindow::FocusPrevious() {
  for (i32 i = FocusIndex - 1; i >= 0; --i)
    if (IsFocusable(i)) return SetFocusIndex(i);
  for (i32 i = TabList.Count() - 1; i > FocusIndex; --i)
    if (IsFocusable(i)) return SetFocusIndex(i);
}

void TDXWindow::RequestActivate() {
  if (!IsActive()) Flags |= wfRequestActivate;
}

void TDXWindow::RequestDeactivate() {
  if (IsActive()) Flags |= wfRequestDeactivate;
}

void TDXWindow::DoActivate() {
  Flags &= ~wfRequestActivate;
  Flags |= wfActive;
  if (TDXControl* c = FocusedControl()) c->Enter();
}

void TDXWindow::DoDeactivate() {
  Flags &= ~(wfRequestDeactivate | wfActive);
  if (TDXControl* c = FocusedControl()) c->Exit();
}

}  // namespace DXWin
