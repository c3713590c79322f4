// A push button that can end a modal window with a result, and a check box.
// Neither draws itself: the game's skinned descendants do.
#pragma once

#include "engine/dxwin/control.h"

namespace DXWin {

class TDXButton : public TDXControl {
 public:
  // Visible and enabled besides the flags given.
  TDXButton(TDXGroup* owner, TDXWindow* window, u32 flags) : TDXControl(owner, window, flags | cfVisible | cfEnabled) {}
  ~TDXButton() override;

  // Enter clicks a focused button.
  void KeyPress(char& c) override;
  // With a modal result, the window takes it and closes.
  void Click() override;

  // Makes the button the window's default (Enter) or cancel (Esc) button,
  // or stops it being that.
  void SetDefault(bool value);
  void SetCancel(bool value);

  i32 ModalResult = 0;
  bool Default = false;
  bool Cancel = false;
};

class TDXCheckBox : public TDXControl {
 public:
  TDXCheckBox(TDXGroup* owner, TDXWindow* window) : TDXControl(owner, window, cfVisible | cfEnabled) {}

  // The click handler still sees the state before the click.
  void Click() override;

  bool Checked = false;
};

}  // namespace DXWin
