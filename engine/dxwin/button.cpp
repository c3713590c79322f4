#include "engine/dxwin/button.h"

#include "engine/dxwin/window.h"

namespace DXWin {

TDXButton::~TDXButton() {
  if (!Window) return;
  if (Window->DefaultButton == this) Window->DefaultButton = nullptr;
  if (Window->CancelButton == this) Window->CancelButton = nullptr;
}

void TDXButton::KeyPress(char& c) {
  TDXControl::KeyPress(c);
  if (IsFocused() && c == 13) {
    c = 0;
    Click();
  }
}

void TDXButton::Click() {
  TDXControl::Click();
  if (ModalResult != 0 && Window) {
    Window->ModalResult = ModalResult;
    Window->Close();
  }
}

void TDXButton::SetDefault(bool value) {
  Default = value;
  if (!Window) return;
  if (value)
    Window->DefaultButton = this;
  else if (Window->DefaultButton == this)
    Window->DefaultButton = nullptr;
}

void TDXButton::SetCancel(bool value) {
  Cancel = value;
  if (!Window) return;
  if (value)
    Window->CancelButton = this;
  else if (Window->CancelButton == this)
    Window->CancelButton = nullptr;
}

void TDXCheckBox::Click() {
  TDXControl::Click();
  Checked = !Checked;
}

}  // namespace DXWin
