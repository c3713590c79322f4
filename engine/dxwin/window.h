// A top-level control group: its own tab order, default and cancel buttons,
// dragging by a title strip, activation, and a modal mode that runs a nested
// frame loop until a result is set. Positions of windows are screen positions.
#pragma once

#include "engine/dxwin/group.h"

namespace DXWin {

class TDXButton;

// Window bits of Flags.
constexpr u32 wfModal = 0x10000;
constexpr u32 wfBackground = 0x20000;  // behind all others; keys even when not active
constexpr u32 wfFreeOnClose = 0x40000;
constexpr u32 wfDraggable = 0x80000;
constexpr u32 wfCentered = 0x100000;  // centred each time it is shown
constexpr u32 wfActive = 0x1000000;
constexpr u32 wfRequestFree = 0x10000000;
constexpr u32 wfRequestActivate = 0x20000000;
constexpr u32 wfRequestDeactivate = 0x40000000;

class TDXWindow : public TDXGroup {
 public:
  // Hidden and enabled; registered with the window system when given.
  TDXWindow(TDXWindowSystem* windowSystem, u32 flags, int dragBarHeight);
  ~TDXWindow() override;

  void MouseDown(int button, TShiftState shift, int x, int y) override;
  void MouseUp(int button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  // Enter clicks the default button, Esc the cancel button, unless a
  // control consumed the character.
  void HandleMessage(Plat::UINT& msg, Plat::WPARAM& wParam, Plat::LPARAM& lParam, bool& handled) override;
  TDXWindowSystem* GetWindowSystem() override { return WindowSystem; }
  void SetVisible(bool visible) override;

  // Ends a modal loop, requests freeing for wfFreeOnClose, hides.
  void Close();
  // A non-zero result ends a modal loop.
  void SetModalResult(int result);
  // Shows the window and runs the application's nested frame loop until it
  // is closed or given a result; discardOneMessage drops the pending message
  // that opened it.
  int ShowModal(bool discardOneMessage);

  void AddTabControl(TDXControl* control);
  // A control that goes away leaves its slot empty; the focus moves on.
  void ForgetTabControl(TDXControl* control);
  void SetFocusIndex(int index);
  void FocusFirst();
  void FocusNext();
  void FocusPrevious();
  bool IsFocusable(int index) const;
  TDXControl* FocusedControl() const;

  void RequestActivate();
  void RequestDeactivate();
  void DoActivate();
  void DoDeactivate();

  bool IsActive() const { return (Flags & wfActive) != 0; }
  bool IsModal() const { return (Flags & wfModal) != 0; }
  bool IsBackground() const { return (Flags & wfBackground) != 0; }

  TDXWindowSystem* WindowSystem = nullptr;
  i32 DragX = 0, DragY = 0;  // where a drag started, window coordinates
  i32 DragBarHeight;
  Data::TObjectList<TDXControl> TabList{false};  // null while a control is hidden or disabled
  i32 FocusIndex = -1;
  TDXButton* DefaultButton = nullptr;
  TDXButton* CancelButton = nullptr;
  i32 ModalResult = 0;
  bool ModalDone = false;
  // While its modal loop runs a window is not freed: the loop still reads it.
  bool InModalLoop = false;

 private:
  bool Destroying = false;
};

// The display's size, for centring windows and placing tooltips.
int ScreenWidth();
int ScreenHeight();

}  // namespace DXWin
