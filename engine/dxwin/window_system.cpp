#include "engine/dxwin/window_system.h"

#include <vector>

#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/tooltip.h"
#include "engine/gfx/sprite.h"

using namespace Plat;

DXWin::TDXWindowSystem* WindowSystem = nullptr;

namespace DXWin {

TDXWindowSystem::TDXWindowSystem() {
  if (DXApplication) {
    MouseX = DXApplication->MouseX;
    MouseY = DXApplication->MouseY;
  }
}

TDXWindowSystem::~TDXWindowSystem() {
  for (TDXWindow* w : Windows)
    if (w) w->WindowSystem = nullptr;
  delete Tooltip;
  Tooltip = nullptr;
  ActiveWindow = nullptr;
  Windows.Clear();
}

void TDXWindowSystem::AddWindow(TDXWindow* window) {
  i32 i = Windows.Add(window);
  window->WindowSystem = this;
  if (window->IsBackground()) return;
  for (; i > 0 && Windows[i - 1]->IsBackground(); --i) Windows.Exchange(i, i - 1);
}

void TDXWindowSystem::RemoveWindow(TDXWindow* window) {
  const i32 i = Windows.IndexOf(window);
  if (i < 0) return;
  Windows[i] = nullptr;
  Windows.Delete(i);
  window->WindowSystem = nullptr;
  if (ActiveWindow == window) ActiveWindow = nullptr;
}

void TDXWindowSystem::SetTooltip(TDXTooltip* tooltip) {
  if (tooltip == Tooltip) return;
  delete Tooltip;
  Tooltip = tooltip;
}

TDXWindow* TDXWindowSystem::ModalWindow() const {
  return ActiveWindow && ActiveWindow->IsModal() && ActiveWindow->IsVisible() ? ActiveWindow : nullptr;
}

TDXWindow* TDXWindowSystem::WindowAt(int x, int y) const {
  if (TDXWindow* modal = ModalWindow()) return modal;
  for (TDXWindow* w : Windows)
    if (w->IsVisible() && w->ContainsPoint(x, y)) return w;
  return nullptr;
}

TDXControl* TDXWindowSystem::ControlAt(int x, int y) const {
  if (TDXWindow* modal = ModalWindow()) return modal->ControlAt(x, y);
  for (TDXWindow* w : Windows)
    if (TDXControl* c = w->ControlAt(x, y)) return c;
  return nullptr;
}

void TDXWindowSystem::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (Tooltip) {
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN)
      Tooltip->Disarm();
    else if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP)
      Tooltip->Arm();
  }
  if (msg == WM_MOUSEMOVE) {
    MouseX = LoWord(static_cast<std::uintptr_t>(lParam));
    MouseY = HiWord(static_cast<std::uintptr_t>(lParam));
  }
  bool handled = false;
  if (TDXWindow* modal = ModalWindow()) {
    modal->DispatchMessage(msg, wParam, lParam, handled);
  } else {
    const bool key = msg >= WM_KEYFIRST && msg <= WM_KEYLAST;
    // Indexes, not iterators: a handler may open a window.
    for (i32 i = 0; i < Windows.Count(); ++i) {
      TDXWindow* w = Windows[i];
      if (key && w != ActiveWindow && !w->IsBackground()) continue;
      w->DispatchMessage(msg, wParam, lParam, handled);
    }
  }
  ProcessRequests();
}

void TDXWindowSystem::ProcessRequests() {
  constexpr u32 requests = wfRequestFree | wfRequestActivate | wfRequestDeactivate;
  // Activation reorders the list: the windows with requests are taken first.
  std::vector<TDXWindow*> pending;
  for (i32 i = Windows.Count() - 1; i >= 0; --i)
    if (Windows[i]->Flags & requests) pending.push_back(Windows[i]);
  for (TDXWindow* w : pending) {
    if (Windows.IndexOf(w) < 0) continue;
    if ((w->Flags & wfRequestFree) && !w->InModalLoop) {
      DeactivateWindow(w);
      RemoveWindow(w);
      delete w;
    } else if ((w->Flags & wfRequestActivate) && !(w->Flags & wfRequestFree)) {
      ActivateWindow(w);
    } else if (w->Flags & wfRequestDeactivate) {
      DeactivateWindow(w);
    }
  }
}

void TDXWindowSystem::ActivateWindow(TDXWindow* window) {
  if (window == ActiveWindow) return;
  TDXWindow* keeper = ActiveWindow && ActiveWindow->IsModal() && !window->IsModal() ? ActiveWindow : nullptr;
  if (keeper) {
    // Its activate request stays: it is retried until the modal window has gone.
    window->DoDeactivate();
  } else {
    if (ActiveWindow) ActiveWindow->DoDeactivate();
    window->DoActivate();
    ActiveWindow = window;
  }
  if (!window->IsBackground())
    for (i32 i = Windows.IndexOf(window); i > 0 && Windows[i - 1] != keeper; --i) Windows.Exchange(i, i - 1);
  RefreshMouse();
}

void TDXWindowSystem::DeactivateWindow(TDXWindow* window) {
  if (window != ActiveWindow) return;
  window->DoDeactivate();
  ActiveWindow = nullptr;
  for (TDXWindow* w : Windows)
    if (w != window && w->IsVisible()) {
      w->DoActivate();
      ActiveWindow = w;
      break;
    }
  RefreshMouse();
}

void TDXWindowSystem::RefreshMouse() {
  bool handled = false;
  for (i32 i = 0; i < Windows.Count(); ++i) {
    TDXWindow* w = Windows[i];
    UINT msg = WM_MOUSEMOVE;
    WPARAM wParam = 0;
    LPARAM lParam = MakeLParam(MouseX, MouseY);
    w->DispatchMessage(msg, wParam, lParam, handled);
    if (w == ModalWindow()) handled = true;
  }
}

void TDXWindowSystem::Draw(TSurface* surface) {
  for (i32 i = Windows.Count() - 1; i >= 0; --i) Windows[i]->DrawControl(surface);
  DrawCursor(surface);
  if (Tooltip) Tooltip->Draw(surface);
}

void TDXWindowSystem::DrawCursor(TSurface* surface) {
  CurrentCursor = OverrideCursor;
  if (!CurrentCursor) {
    TDXControl* c = ControlAt(MouseX, MouseY);
    CurrentCursor = c && c->Cursor ? c->Cursor : DefaultCursor;
  }
  if (OnDrawCursor) OnDrawCursor(surface, MouseX, MouseY);
  if (!CurrentCursor) return;
  const i32 frames = CurrentCursor->DrawableFrameCount();
  const u32 updates = DXApplication ? DXApplication->UpdateCount : 0;
  const i32 frame = frames > 0 ? static_cast<i32>(updates / 10 % static_cast<u32>(frames)) : 0;
  CurrentCursor->Draw(surface, frame, MouseX - CurrentCursor->HotX, MouseY - CurrentCursor->HotY, nullptr);
}

void TDXWindowSystem::Update() {
  for (i32 i = Windows.Count() - 1; i >= 0; --i)
    if (i < Windows.Count()) Windows[i]->UpdateControl();
  ProcessRequests();
  if (!Tooltip) return;
  Tooltip->Update();
  Tooltip->Track(ControlAt(MouseX, MouseY), MouseX, MouseY);
}

}  // namespace DXWin
