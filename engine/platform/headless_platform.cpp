#include "engine/platform/headless_platform.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Plat {

LRESULT THeadlessPlatform::DefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DefaultLog.push_back({hWnd, msg, wParam, lParam});
  return TPlatform::DefWindowProc(hWnd, msg, wParam, lParam);
}

bool THeadlessPlatform::DefaultProcessed(UINT msg) const {
  return std::any_of(DefaultLog.begin(), DefaultLog.end(), [msg](const TMsg& m) { return m.Message == msg; });
}

void THeadlessPlatform::SetVideoMode(HWND, bool fullscreen, int width, int height) {
  Fullscreen = fullscreen;
  ModeWidth = width;
  ModeHeight = height;
}

void THeadlessPlatform::Present(HWND, const std::uint16_t* pixels, int pitchBytes, int width, int height) {
  ++PresentCount;
  LastFrame.assign(static_cast<std::size_t>(width) * height, 0);
  for (int y = 0; y < height; ++y)
    std::memcpy(&LastFrame[static_cast<std::size_t>(y) * width],
                reinterpret_cast<const std::uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(pitchBytes) * y,
                static_cast<std::size_t>(width) * 2);
}

void THeadlessPlatform::PumpEvents(bool wait) {
  if (!wait) return;
  if (!OnIdleWait) throw std::logic_error("Headless platform: waiting for a message that never comes.");
  OnIdleWait();
}

int THeadlessPlatform::BackendMessageBox(const std::string& text, const std::string& caption, UINT flags) {
  MessageBoxes.push_back({text, caption, flags});
  return 1;
}

}  // namespace Plat
