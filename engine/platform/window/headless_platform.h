// A platform without a display for tests: it records what the system asked of
// it (default processing, message boxes, presented frames) and never blocks.
#pragma once

#include <functional>
#include <vector>

#include "engine/platform/window/platform.h"

namespace Plat {

class THeadlessPlatform final : public TPlatform {
 public:
  struct TMessageBoxCall {
    std::string Text;
    std::string Caption;
    UINT Flags = 0;
  };

  LRESULT DefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetVideoMode(HWND hWnd, bool fullscreen, int width, int height) override;
  void Present(HWND hWnd, const std::uint16_t* pixels, int pitchBytes, int width, int height) override;

  // Moves the pointer as the user would, without a message.
  void MoveCursor(int x, int y) { CursorPos = {x, y}; }

  // A person's input as the display backend posts it to the first window:
  // positions in client coordinates (held on the picture), buttons 0 left,
  // 1 right, 2 middle, the MK_ flags and key bits from what is held.
  void MouseMove(int x, int y);
  void MouseButton(int button, bool down, int x, int y);
  void Click(int button, int x, int y) {
    MouseButton(button, true, x, y);
    MouseButton(button, false, x, y);
  }
  // A second press soon after the first: down, up, double click, up.
  void DoubleClick(int button, int x, int y);
  void Wheel(int delta);  // WHEEL_DELTA a notch; positive: away from the user
  void KeyDown(WPARAM vk, bool repeat = false);
  void KeyUp(WPARAM vk);
  void TypeChar(unsigned char c);  // text input of one Windows-1252 character
  // The window loses the focus: held buttons and keys are released first.
  void LoseFocus();
  void GainFocus();
  void SimulateTerminateRequest() { RequestTerminate(); }
  bool DefaultProcessed(UINT msg) const;

  std::vector<TMsg> DefaultLog;
  std::vector<TMessageBoxCall> MessageBoxes;
  bool Fullscreen = false;
  int ModeWidth = 0, ModeHeight = 0;
  int PresentCount = 0;
  std::vector<std::uint16_t> LastFrame;  // width x height, packed
  // Called when the system waits for a message and none is queued; it may
  // post one. Without it such a wait is a test error, not a hang.
  std::function<void()> OnIdleWait;

 protected:
  void PumpEvents(bool wait) override;
  int BackendMessageBox(const std::string& text, const std::string& caption, UINT flags) override;

 private:
  HWND Target() const;
  WPARAM MouseKeyFlags() const;
  void PostMouse(UINT msg, int x, int y);

  bool ButtonHeld[3] = {false, false, false};
  bool KeyHeld[256] = {};
  TPoint Mouse;
};

}  // namespace Plat
