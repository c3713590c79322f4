// The platform on SDL2: one real window, input turned into window messages,
// and the 16-bit picture shown through a streaming texture.
#pragma once

#include <memory>

#include "engine/platform/window/platform.h"

namespace Plat {

class TSdlPlatform final : public TPlatform {
 public:
  // Throws std::runtime_error when SDL's video cannot start.
  TSdlPlatform();
  ~TSdlPlatform() override;

  void SetVideoMode(HWND hWnd, bool fullscreen, int width, int height) override;
  void Present(HWND hWnd, const std::uint16_t* pixels, int pitchBytes, int width, int height) override;

 protected:
  void PumpEvents(bool wait) override;
  void Wake() override;
  bool BackendWindowCreated(TWindow& w) override;
  void BackendWindowChanged(TWindow& w) override;
  void BackendWindowDestroyed(TWindow& w) override;
  void BackendCursorVisible(bool visible) override;
  void BackendCursorPos(TPoint screen) override;
  int BackendMessageBox(const std::string& text, const std::string& caption, UINT flags) override;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> Impl;
};

// Virtual-key code of an SDL key (0 when it has none); numLock decides the
// keypad's meaning.
WPARAM VirtualKeyOfSdlKey(int sdlKeycode, bool numLock);

}  // namespace Plat
