#include "engine/dxwin/group.h"

namespace DXWin {

TDXGroup::~TDXGroup() { DeleteChildren(); }

void TDXGroup::DeleteChildren() {
  for (TDXControl* c : Children)
    if (c) c->Owner = nullptr;
  Children.Clear();
}

void TDXGroup::AddControl(TDXControl* control) {
  Children.Add(control);
  control->Owner = this;
}

void TDXGroup::RemoveControl(TDXControl* control) {
  const i32 i = Children.IndexOf(control);
  if (i < 0) return;
  Children[i] = nullptr;
  Children.Delete(i);
  control->Owner = nullptr;
}

void TDXGroup::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  TDXControl::Draw(surface, rect);
  for (i32 i = 0; i < Children.Count(); ++i)
    if (TDXControl* c = Children[i]) c->DrawControl(surface);
}

void TDXGroup::HandleMessage(Plat::UINT& msg, Plat::WPARAM& wParam, Plat::LPARAM& lParam, bool& handled) {
  // The children share the flag as the group received it: one in front that
  // takes a mouse message covers those behind it, and nothing they do
  // changes what the group hands back.
  const bool received = handled;
  TDXControl::HandleMessage(msg, wParam, lParam, handled);
  bool childHandled = received;
  for (i32 i = Children.Count() - 1; i >= 0; --i)
    if (i < Children.Count())
      if (TDXControl* c = Children[i]) c->DispatchMessage(msg, wParam, lParam, childHandled);
}

void TDXGroup::Update() {
  TDXControl::Update();
  for (i32 i = 0; i < Children.Count(); ++i)
    if (TDXControl* c = Children[i]) c->UpdateControl();
}

void TDXGroup::RemoveFromTabOrder() {
  TDXControl::RemoveFromTabOrder();
  for (TDXControl* c : Children)
    if (c) c->RemoveFromTabOrder();
}

void TDXGroup::AddToTabOrder() {
  TDXControl::AddToTabOrder();
  for (TDXControl* c : Children)
    if (c) c->AddToTabOrder();
}

TDXControl* TDXGroup::ControlAt(int x, int y) {
  if (!IsVisible()) return nullptr;
  const bool sized = Width != 0 && Height != 0;
  if (sized && !ContainsPoint(x, y)) return nullptr;
  for (i32 i = Children.Count() - 1; i >= 0; --i)
    if (TDXControl* c = Children[i])
      if (TDXControl* found = c->ControlAt(x, y)) return found;
  return sized ? this : nullptr;
}

}  // namespace DXWin
