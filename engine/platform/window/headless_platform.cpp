#include "engine/platform/window/headless_platform.h"

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
  PictureWidth = width;
  PictureHeight = height;
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

HWND THeadlessPlatform::Target() const {
  if (Windows.empty()) throw std::logic_error("Headless platform: input without a window.");
  return reinterpret_cast<HWND>(Windows.front().get());
}

WPARAM THeadlessPlatform::MouseKeyFlags() const {
  WPARAM f = 0;
  if (ButtonHeld[0]) f |= MK_LBUTTON;
  if (ButtonHeld[1]) f |= MK_RBUTTON;
  if (ButtonHeld[2]) f |= MK_MBUTTON;
  if (KeyHeld[VK_SHIFT]) f |= MK_SHIFT;
  if (KeyHeld[VK_CONTROL]) f |= MK_CONTROL;
  return f;
}

void THeadlessPlatform::PostMouse(UINT msg, int x, int y) {
  Mouse = ClampToPicture({x, y});
  HWND hWnd = Target();
  CursorPos = ClientToScreen(hWnd, Mouse);
  if (msg == WM_MOUSEMOVE)
    Queue.Post({hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hWnd), MakeLParam(HTCLIENT, WM_MOUSEMOVE)});
  Queue.Post({hWnd, msg, MouseKeyFlags(), MakeLParam(Mouse.X, Mouse.Y)});
}

void THeadlessPlatform::MouseMove(int x, int y) { PostMouse(WM_MOUSEMOVE, x, y); }

void THeadlessPlatform::MouseButton(int button, bool down, int x, int y) {
  static constexpr UINT downMsg[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static constexpr UINT upMsg[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
  if (button < 0 || button > 2) throw std::logic_error("Headless platform: no such mouse button.");
  ButtonHeld[button] = down;
  PostMouse(down ? downMsg[button] : upMsg[button], x, y);
}

void THeadlessPlatform::DoubleClick(int button, int x, int y) {
  static constexpr UINT dblMsg[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
  Click(button, x, y);
  ButtonHeld[button] = true;
  PostMouse(dblMsg[button], x, y);
  MouseButton(button, false, x, y);
}

void THeadlessPlatform::Wheel(int delta) {
  Queue.Post({Target(), WM_MOUSEWHEEL, MouseKeyFlags() | static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16,
              MakeLParam(CursorPos.X, CursorPos.Y)});
}

void THeadlessPlatform::KeyDown(WPARAM vk, bool repeat) {
  const bool alt = KeyHeld[VK_MENU] || vk == VK_MENU;
  KeyHeld[vk & 0xFF] = true;
  LPARAM l = 1;
  if (alt) l |= KF_ALTDOWN_BIT;
  if (repeat) l |= KF_REPEAT_BIT;
  Queue.Post({Target(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, l});
}

void THeadlessPlatform::KeyUp(WPARAM vk) {
  const bool alt = KeyHeld[VK_MENU] || vk == VK_MENU;
  KeyHeld[vk & 0xFF] = false;
  LPARAM l = 1 | KF_REPEAT_BIT | static_cast<LPARAM>(1u << 31);
  if (alt) l |= KF_ALTDOWN_BIT;
  Queue.Post({Target(), alt ? WM_SYSKEYUP : WM_KEYUP, vk, static_cast<LPARAM>(static_cast<std::uint32_t>(l))});
}

void THeadlessPlatform::TypeChar(unsigned char c) { Queue.Post({Target(), WM_CHAR, c, 1}); }

void THeadlessPlatform::LoseFocus() {
  for (int vk = 0; vk < 256; ++vk)
    if (KeyHeld[vk]) KeyUp(static_cast<WPARAM>(vk));
  for (int i = 0; i < 3; ++i)
    if (ButtonHeld[i]) MouseButton(i, false, Mouse.X, Mouse.Y);
  HWND hWnd = Target();
  ActiveWindow = nullptr;
  Queue.Post({hWnd, WM_ACTIVATE, WA_INACTIVE, 0});
  Queue.Post({hWnd, WM_ACTIVATEAPP, 0, 0});
}

void THeadlessPlatform::GainFocus() {
  HWND hWnd = Target();
  ActiveWindow = hWnd;
  Queue.Post({hWnd, WM_ACTIVATEAPP, 1, 0});
  Queue.Post({hWnd, WM_ACTIVATE, WA_ACTIVE, 0});
}

int THeadlessPlatform::BackendMessageBox(const std::string& text, const std::string& caption, UINT flags) {
  MessageBoxes.push_back({text, caption, flags});
  return 1;
}

}  // namespace Plat
