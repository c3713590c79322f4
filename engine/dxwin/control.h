// The base of every widget: a rectangle relative to its owner group, state
// flags, texts, a cursor, virtual operations that turn window messages into
// input events, and the event closures through which the owner reacts.
#pragma once

#include <string>

#include "engine/base/rect.h"
#include "engine/base/types.h"
#include "engine/dxwin/closure.h"
#include "engine/platform/window/wintypes.h"

namespace Gfx {
class TSprite;
}
namespace Plat {
class TSurface;
}

namespace DXWin {

class TDXControl;
class TDXGroup;
class TDXWindow;
class TDXWindowSystem;

// Bits of Flags; the bits from 0x10000 up belong to windows.
constexpr u32 cfEnabled = 0x01;
constexpr u32 cfVisible = 0x02;
constexpr u32 cfFocused = 0x04;
constexpr u32 cfHovered = 0x08;
constexpr u32 cfPressed = 0x10;  // the left button went down on the control
constexpr u32 cfDragPending = 0x20;
constexpr u32 cfDragging = 0x40;
constexpr u32 cfTabStop = 0x100;

// Shift state of input events.
using TShiftState = u32;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssCtrl = 2;
constexpr TShiftState ssAlt = 4;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;

// Mouse buttons of input events.
constexpr int mbLeft = 0;
constexpr int mbRight = 1;
constexpr int mbMiddle = 2;

// Shift and Ctrl from the key state, Alt from bit 29 of a key message.
TShiftState KeyShiftState(Plat::LPARAM lParam);
// Shift, Ctrl and the buttons from a mouse message's MK_ flags, Alt from the key state.
TShiftState MouseShiftState(Plat::WPARAM wParam);

using TKeyEvent = TClosure<Plat::WPARAM&, TShiftState>;
using TKeyPressEvent = TClosure<char&>;
using TMouseEvent = TClosure<int, TShiftState, int, int>;  // button, shift, x, y
using TMouseMoveEvent = TClosure<TShiftState, int, int>;
using TNotifyEvent = TClosure<TDXControl*>;
using TDrawEvent = TClosure<Plat::TSurface*, const Base::TRect&>;  // back buffer, screen rectangle

class TDXControl {
 public:
  // Joins the owner's children; a tab stop (cfTabStop) with a window joins
  // its tab order. Flags are taken exactly as passed.
  TDXControl(TDXGroup* owner, TDXWindow* window, u32 flags);
  virtual ~TDXControl();
  TDXControl(const TDXControl&) = delete;
  TDXControl& operator=(const TDXControl&) = delete;

  // Input, in control coordinates; the defaults update the flags and call
  // the closures.
  virtual void KeyDown(Plat::WPARAM& key, TShiftState shift);
  virtual void KeyUp(Plat::WPARAM& key, TShiftState shift);
  virtual void KeyPress(char& c);
  virtual void MouseDown(int button, TShiftState shift, int x, int y);
  virtual void MouseUp(int button, TShiftState shift, int x, int y);
  virtual void DblClick(int button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Click();
  virtual void Enter();
  virtual void Exit();
  virtual void Draw(Plat::TSurface* surface, const Base::TRect& rect);
  // Turns a window message (mouse positions in screen coordinates) into the
  // operations above; handled tells controls behind that the pointer is covered.
  virtual void HandleMessage(Plat::UINT& msg, Plat::WPARAM& wParam, Plat::LPARAM& lParam, bool& handled);
  virtual void Update();  // once per update step
  virtual void WheelUp();
  virtual void WheelDown();
  virtual void RemoveFromTabOrder();
  virtual void AddToTabOrder();
  virtual TDXWindowSystem* GetWindowSystem();
  virtual void SetVisible(bool visible);
  virtual void SetEnabled(bool enabled);
  // This control when it is visible and holds the screen point.
  virtual TDXControl* ControlAt(int x, int y);

  void SetBounds(const Base::TRect& r);
  void SetPosition(int left, int top) {
    Left = left;
    Top = top;
  }
  void SetSize(int width, int height) {
    Width = width;
    Height = height;
  }
  void SetCursor(Gfx::TSprite* cursor) { Cursor = cursor; }
  // Each changes the state only when it differs.
  void Show();
  void Hide();
  void Enable();
  void Disable();

  void DrawControl(Plat::TSurface* surface);
  // HandleMessage when visible, and enabled unless the message is a mouse
  // move (a disabled control still tracks hovering).
  void DispatchMessage(Plat::UINT& msg, Plat::WPARAM& wParam, Plat::LPARAM& lParam, bool& handled);
  void UpdateControl();

  // Screen: the back buffer's pixels.
  Plat::TPoint ClientToScreen(Plat::TPoint p) const;
  Plat::TPoint ScreenToClient(Plat::TPoint p) const;
  Base::TRect GetScreenRect() const;
  bool IsInside(int x, int y) const { return x >= 0 && x < Width && y >= 0 && y < Height; }
  bool ContainsPoint(int x, int y) const;

  bool IsVisible() const { return (Flags & cfVisible) != 0; }
  bool IsEnabled() const { return (Flags & cfEnabled) != 0; }
  bool IsHovered() const { return (Flags & cfHovered) != 0; }
  bool IsPressed() const { return (Flags & cfPressed) != 0; }
  bool IsFocused() const { return (Flags & cfFocused) != 0; }

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnWheelUp;
  TNotifyEvent OnWheelDown;
  TNotifyEvent OnClick;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TNotifyEvent OnUpdate;
  TDrawEvent OnDraw;

  u32 Flags;
  TDXGroup* Owner = nullptr;
  TDXWindow* Window = nullptr;  // whose tab order the control belongs to
  i32 TabIndex = -1;
  i32 Left = 0, Top = 0;  // relative to the owner group
  i32 Width = 0, Height = 0;
  std::string Text;
  std::string Hint;  // tooltip text
  Gfx::TSprite* Cursor = nullptr;  // null: the window system's default
  u32 Tag = 0;
  i32 WheelDelta = 0;  // wheel movement not yet turned into steps
};

}  // namespace DXWin
