// The windowing platform: window classes and windows, the message queue, the
// cursor, message boxes and the presentation of a 16-bit picture. The window
// bookkeeping (styles, rectangles, default processing) is shared; a backend
// (SDL, or headless for tests) only mirrors it and feeds input.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/platform/window/message_queue.h"
#include "engine/platform/window/wintypes.h"

namespace Plat {

struct TWndClass {
  std::uint32_t Style = 0;
  WNDPROC WndProc = nullptr;
  std::string ClassName;
};

struct TWindow {
  const TWndClass* Class = nullptr;
  std::string Title;
  std::uint32_t Style = 0;
  std::uint32_t ExStyle = 0;
  TRect Rect;  // outer rectangle, screen coordinates
  bool Visible = false;
  bool Minimized = false;
  bool Maximized = false;
  void* Backend = nullptr;
};

class TPlatform {
 public:
  TPlatform();
  virtual ~TPlatform();
  TPlatform(const TPlatform&) = delete;
  TPlatform& operator=(const TPlatform&) = delete;

  // Window classes and windows.
  bool RegisterClass(const TWndClass& wc);
  HWND CreateWindow(const std::string& className, const std::string& title, std::uint32_t style,
                    std::uint32_t exStyle, int x, int y, int width, int height);
  bool DestroyWindow(HWND hWnd);
  bool IsWindow(HWND hWnd) const;
  virtual LRESULT DefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // Message queue.
  bool PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void PostQuitMessage(int exitCode);
  bool PeekMessage(TMsg& msg, UINT removeFlag);
  bool GetMessage(TMsg& msg);  // false for WM_QUIT
  void TranslateMessage(const TMsg& msg);
  LRESULT DispatchMessage(const TMsg& msg);
  void WaitMessage();

  // Window state.
  void ShowWindow(HWND hWnd, int cmd);
  void UpdateWindow(HWND) {}
  void SetFocus(HWND hWnd);
  HWND GetActiveWindow() const { return ActiveWindow; }
  bool IsIconic(HWND hWnd) const;
  bool IsZoomed(HWND hWnd) const;
  std::uint32_t GetWindowStyle(HWND hWnd) const;
  std::uint32_t GetWindowExStyle(HWND hWnd) const;
  void SetWindowStyle(HWND hWnd, std::uint32_t style);
  void SetWindowExStyle(HWND hWnd, std::uint32_t exStyle);
  TRect GetWindowRect(HWND hWnd) const;
  TRect GetClientRect(HWND hWnd) const;  // origin 0, 0
  TPoint ClientToScreen(HWND hWnd, TPoint p) const;
  TPoint ScreenToClient(HWND hWnd, TPoint p) const;
  void MoveWindow(HWND hWnd, int x, int y, int width, int height, bool repaint);
  // Places the window at an outer rectangle, topmost or not, and shows it.
  void PlaceWindow(HWND hWnd, const TRect& rect, bool topmost);
  static int GetSystemMetrics(int index);

  // Whether a key or mouse button (virtual-key code) is held, as of the
  // last input message taken from the queue.
  bool IsKeyDown(UINT vk) const { return vk < KeysDown.size() && KeysDown[vk]; }

  // Mouse and cursor.
  void SetCapture(HWND hWnd) { Capture = hWnd; }
  void ReleaseCapture() { Capture = nullptr; }
  HWND GetCapture() const { return Capture; }
  void SetCursorVisible(bool visible);
  bool CursorVisible() const { return CursorShown; }
  TPoint GetCursorPos() const { return CursorPos; }
  void SetCursorPos(int x, int y);

  // Message box; text and caption are Windows-1252.
  int MessageBox(HWND hWnd, const std::string& text, const std::string& caption, UINT flags);

  // Display: the window shows a 16-bit 5-6-5 picture of the given size, in
  // full screen (scaled with its aspect kept) or in the window.
  virtual void SetVideoMode(HWND hWnd, bool fullscreen, int width, int height) = 0;
  virtual void Present(HWND hWnd, const std::uint16_t* pixels, int pitchBytes, int width, int height) = 0;

  // Called on the main thread when the user asks the process to end
  // (a signal); the application ends itself in an orderly way.
  void SetTerminateHandler(void (*handler)()) { TerminateHandler = handler; }

 protected:
  TWindow* Window(HWND hWnd) const;
  TRect ClientScreenRect(const TWindow& w) const;
  // The backend turns its events into posted messages; with wait it blocks
  // until at least one event arrived or a wake-up was requested.
  virtual void PumpEvents(bool wait) = 0;
  virtual void Wake() {}
  // False when the backend could not make the window (LastErrorText says why).
  virtual bool BackendWindowCreated(TWindow&) { return true; }
  virtual void BackendWindowChanged(TWindow&) {}
  virtual void BackendWindowDestroyed(TWindow&) {}
  virtual void BackendCursorVisible(bool) {}
  virtual void BackendCursorPos(TPoint) {}
  virtual int BackendMessageBox(const std::string& text, const std::string& caption, UINT flags);
  void RequestTerminate();
  void PostFront(const TMsg& msg);
  // Mouse positions in messages lie on the picture of the last video mode,
  // so a drag that leaves the window holds the pointer at its edge.
  TPoint ClampToPicture(TPoint client) const;

  int PictureWidth = 0, PictureHeight = 0;

  TMessageQueue Queue;
  std::vector<TMsg> Translated;  // WM_CHAR made by TranslateMessage, delivered next
  std::map<std::string, std::unique_ptr<TWndClass>> Classes;
  std::vector<std::unique_ptr<TWindow>> Windows;
  HWND ActiveWindow = nullptr;
  HWND Capture = nullptr;
  bool CursorShown = true;
  TPoint CursorPos;
  void (*TerminateHandler)() = nullptr;

 private:
  void TrackKeyState(const TMsg& msg);
  std::array<bool, 256> KeysDown{};
};

// The installed platform. Install replaces (and deletes) the previous one.
TPlatform& Current();
bool Installed();
void Install(std::unique_ptr<TPlatform> platform);

}  // namespace Plat
