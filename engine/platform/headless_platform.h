// A platform without a display for tests: it records what the system asked of
// it (default processing, message boxes, presented frames) and never blocks.
#pragma once

#include <functional>
#include <vector>

#include "engine/platform/platform.h"

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
};

}  // namespace Plat
