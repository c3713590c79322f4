#include "engine/dxwin/control.h"

#include "engine/dxwin/window.h"
#include "engine/platform/window/platform.h"

using namespace Plat;

namespace DXWin {

namespace {

bool IsButtonUp(UINT msg) { return msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP; }

}  // namespace

TShiftState KeyShiftState(LPARAM lParam) {
  TShiftState s = 0;
  if (Current().IsKeyDown(VK_SHIFT)) s |= ssShift;
  if (Current().IsKeyDown(VK_CONTROL)) s |= ssCtrl;
  if (lParam & KF_ALTDOWN_BIT) s |= ssAlt;
  return s;
}

TShiftState MouseShiftState(WPARAM wParam) {
  TShiftState s = 0;
  if (wParam & MK_SHIFT) s |= ssShift;
  if (wParam & MK_CONTROL) s |= ssCtrl;
  if (Current().IsKeyDown(VK_MENU)) s |= ssAlt;
  if (wParam & MK_LBUTTON) s |= ssLeft;
  if (wParam & MK_RBUTTON) s |= ssRight;
  if (wParam & MK_MBUTTON) s |= ssMiddle;
  return s;
}

TDXControl::TDXControl(TDXGroup* owner, TDXWindow* window, u32 flags) : Flags(flags) {
  if (owner) owner->AddControl(this);
  try {
    if (window && (flags & cfTabStop))
      window->AddTabControl(this);
    else
      Window = window;
  } catch (...) {
    if (Owner) Owner->RemoveControl(this);
    throw;
  }
}

TDXControl::~TDXControl() {
  if (Owner) Owner->RemoveControl(this);
  if (Window) Window->ForgetTabControl(this);
}

void TDXControl::KeyDown(WPARAM& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(key, shift);
  if (key == VK_TAB && IsFocused() && Window && !(shift & (ssCtrl | ssAlt))) {
    key = 0;
    if (shift & ssShift)
      Window->FocusPrevious();
    else
      Window->FocusNext();
  }
}

void TDXControl::KeyUp(WPARAM& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(key, shift);
}

void TDXControl::KeyPress(char& c) {
  if (OnKeyPress) OnKeyPress(c);
}

void TDXControl::MouseDown(int button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    Flags |= cfPressed;
    if ((Flags & cfTabStop) && Window) Window->SetFocusIndex(TabIndex);
  }
  if (OnMouseDown) OnMouseDown(button, shift, x, y);
}

void TDXControl::MouseUp(int button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    Flags &= ~cfPressed;
    if (IsInside(x, y)) Click();
  }
  if (OnMouseUp) OnMouseUp(button, shift, x, y);
}

void TDXControl::DblClick(int button, TShiftState shift, int x, int y) {
  MouseDown(button, shift, x, y);
  if (OnDblClick) OnDblClick(button, shift, x, y);
}

void TDXControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(shift, x, y);
}

void TDXControl::MouseEnter() {
  Flags |= cfHovered;
  if (OnMouseEnter) OnMouseEnter(this);
}

void TDXControl::MouseLeave() {
  Flags &= ~cfHovered;
  if (OnMouseLeave) OnMouseLeave(this);
}

void TDXControl::Click() {
  if (OnClick) OnClick(this);
}

void TDXControl::Enter() {
  Flags |= cfFocused;
  if (OnEnter) OnEnter(this);
}

void TDXControl::Exit() {
  Flags &= ~cfFocused;
  if (OnExit) OnExit(this);
}

void TDXControl::Draw(TSurface* surface, const Base::TRect& rect) {
  if (OnDraw) OnDraw(surface, rect);
}

void TDXControl::HandleMessage(UINT& msg, WPARAM& wParam, LPARAM& lParam, bool& handled) {
  const auto l = static_cast<std::uintptr_t>(lParam);
  const TPoint p = ScreenToClient({LoWord(l), HiWord(l)});
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
    const bool covered = handled && !(Flags & cfDragging);
    const bool inside = IsInside(p.X, p.Y);
    if (!covered && inside && !IsHovered())
      MouseEnter();
    else if ((covered || !inside) && IsHovered())
      MouseLeave();
    if (!(!covered && (IsPressed() || inside)) && !IsButtonUp(msg)) return;
    if (inside || (Flags & cfDragging)) handled = true;
  }
  const TShiftState mouseShift = msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST ? MouseShiftState(wParam) : 0;
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      KeyDown(wParam, KeyShiftState(lParam));
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      KeyUp(wParam, KeyShiftState(lParam));
      break;
    case WM_CHAR: {
      char c = static_cast<char>(wParam);
      KeyPress(c);
      wParam = static_cast<WPARAM>(static_cast<std::intptr_t>(c));
      break;
    }
    case WM_MOUSEMOVE:
      MouseMove(mouseShift, p.X, p.Y);
      break;
    case WM_LBUTTONDOWN:
      MouseDown(mbLeft, mouseShift, p.X, p.Y);
      break;
    case WM_RBUTTONDOWN:
      MouseDown(mbRight, mouseShift, p.X, p.Y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, mouseShift, p.X, p.Y);
      break;
    case WM_LBUTTONUP:
      if (IsPressed()) MouseUp(mbLeft, mouseShift, p.X, p.Y);
      break;
    case WM_RBUTTONUP:
      MouseUp(mbRight, mouseShift, p.X, p.Y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, mouseShift, p.X, p.Y);
      break;
    case WM_LBUTTONDBLCLK:
      DblClick(mbLeft, mouseShift, p.X, p.Y);
      break;
    case WM_RBUTTONDBLCLK:
      DblClick(mbRight, mouseShift, p.X, p.Y);
      break;
    case WM_MBUTTONDBLCLK:
      DblClick(mbMiddle, mouseShift, p.X, p.Y);
      break;
    case WM_MOUSEWHEEL:
      if (!IsHovered()) break;
      WheelDelta += static_cast<std::int16_t>(HiWord(wParam));
      while (WheelDelta >= WHEEL_DELTA) {
        WheelDelta -= WHEEL_DELTA;
        WheelUp();
      }
      while (WheelDelta <= -WHEEL_DELTA) {
        WheelDelta += WHEEL_DELTA;
        WheelDown();
      }
      break;
    default:
      break;
  }
}

void TDXControl::Update() {
  if (OnUpdate) OnUpdate(this);
}

void TDXControl::WheelUp() {
  if (OnWheelUp) OnWheelUp(this);
}

void TDXControl::WheelDown() {
  if (OnWheelDown) OnWheelDown(this);
}

void TDXControl::RemoveFromTabOrder() {
  if (!Window || TabIndex < 0) return;
  if (Window->FocusIndex == TabIndex) Window->FocusFirst();
  Window->TabList[TabIndex] = nullptr;
}

void TDXControl::AddToTabOrder() {
  if (Window && TabIndex >= 0) Window->TabList[TabIndex] = this;
}

TDXWindowSystem* TDXControl::GetWindowSystem() { return Window ? Window->GetWindowSystem() : nullptr; }

void TDXControl::SetVisible(bool visible) {
  if (visible)
    Flags |= cfVisible;
  else
    Flags &= ~cfVisible;
  if (!IsEnabled()) return;
  if (visible)
    AddToTabOrder();
  else
    RemoveFromTabOrder();
}

void TDXControl::SetEnabled(bool enabled) {
  if (enabled)
    Flags |= cfEnabled;
  else
    Flags &= ~cfEnabled;
  if (!IsVisible()) return;
  if (enabled)
    AddToTabOrder();
  else
    RemoveFromTabOrder();
}

TDXControl* TDXControl::ControlAt(int x, int y) { return IsVisible() && ContainsPoint(x, y) ? this : nullptr; }

void TDXControl::SetBounds(const Base::TRect& r) {
  Left = r.Left;
  Top = r.Top;
  Width = r.Right - r.Left;
  Height = r.Bottom - r.Top;
}

void TDXControl::Show() {
  if (!IsVisible()) SetVisible(true);
}

void TDXControl::Hide() {
  if (IsVisible()) SetVisible(false);
}

void TDXControl::Enable() {
  if (!IsEnabled()) SetEnabled(true);
}

void TDXControl::Disable() {
  if (IsEnabled()) SetEnabled(false);
}

void TDXControl::DrawControl(TSurface* surface) {
  if (IsVisible()) Draw(surface, GetScreenRect());
}

void TDXControl::DispatchMessage(UINT& msg, WPARAM& wParam, LPARAM& lParam, bool& handled) {
  if (IsVisible() && (IsEnabled() || msg == WM_MOUSEMOVE)) HandleMessage(msg, wParam, lParam, handled);
}

void TDXControl::UpdateControl() {
  if (IsVisible()) Update();
}

TPoint TDXControl::ClientToScreen(TPoint p) const {
  for (const TDXControl* c = this; c; c = c->Owner) {
    p.X += c->Left;
    p.Y += c->Top;
  }
  return p;
}

TPoint TDXControl::ScreenToClient(TPoint p) const {
  for (const TDXControl* c = this; c; c = c->Owner) {
    p.X -= c->Left;
    p.Y -= c->Top;
  }
  return p;
}

Base::TRect TDXControl::GetScreenRect() const {
  const TPoint p = ClientToScreen({0, 0});
  return {p.X, p.Y, p.X + Width, p.Y + Height};
}

bool TDXControl::ContainsPoint(int x, int y) const {
  const TPoint p = ScreenToClient({x, y});
  return IsInside(p.X, p.Y);
}

}  // namespace DXWin
