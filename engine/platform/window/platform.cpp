#include "engine/platform/window/platform.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "engine/platform/system/text.h"

namespace Plat {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(AsciiLower(static_cast<unsigned char>(c)));
  return s;
}

// Not destroyed at exit: a platform still installed then belongs to a process
// that is dying (a lost display ends it from inside the display library), and
// tearing the backend down at that point can hang.
TPlatform* installed = nullptr;

}  // namespace

TPlatform::TPlatform() = default;
TPlatform::~TPlatform() = default;

TPlatform& Current() {
  if (!installed) throw std::logic_error("No platform installed.");
  return *installed;
}

bool Installed() { return installed != nullptr; }

void Install(std::unique_ptr<TPlatform> platform) {
  delete installed;
  installed = platform.release();
}

bool TPlatform::RegisterClass(const TWndClass& wc) {
  if (wc.ClassName.empty() || wc.WndProc == nullptr) return false;
  auto key = Lower(wc.ClassName);
  if (Classes.count(key)) return false;
  Classes[key] = std::make_unique<TWndClass>(wc);
  return true;
}

HWND TPlatform::CreateWindow(const std::string& className, const std::string& title, std::uint32_t style,
                             std::uint32_t exStyle, int x, int y, int width, int height) {
  auto it = Classes.find(Lower(className));
  if (it == Classes.end()) return nullptr;
  auto w = std::make_unique<TWindow>();
  w->Class = it->second.get();
  w->Title = title;
  w->Style = style;
  w->ExStyle = exStyle;
  w->Rect = {x, y, x + width, y + height};
  TWindow* raw = w.get();
  if (!BackendWindowCreated(*raw)) return nullptr;
  Windows.push_back(std::move(w));
  return reinterpret_cast<HWND>(raw);
}

TWindow* TPlatform::Window(HWND hWnd) const {
  for (const auto& w : Windows)
    if (reinterpret_cast<HWND>(w.get()) == hWnd) return w.get();
  return nullptr;
}

bool TPlatform::IsWindow(HWND hWnd) const { return Window(hWnd) != nullptr; }

bool TPlatform::DestroyWindow(HWND hWnd) {
  TWindow* w = Window(hWnd);
  if (!w) return false;
  SendMessage(hWnd, WM_DESTROY, 0, 0);
  if (ActiveWindow == hWnd) ActiveWindow = nullptr;
  if (Capture == hWnd) Capture = nullptr;
  BackendWindowDestroyed(*w);
  Queue.RemoveFor(hWnd);
  std::erase_if(Windows, [w](const auto& p) { return p.get() == w; });
  return true;
}

LRESULT TPlatform::SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWindow* w = Window(hWnd);
  if (!w) return 0;
  return w->Class->WndProc(hWnd, msg, wParam, lParam);
}

LRESULT TPlatform::DefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT)) SendMessage(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessage(hWnd, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(hWnd, SW_MINIMIZE);
          break;
        default:
          break;
      }
      return 0;
    case WM_SETCURSOR:
      // The class cursor is the arrow: default processing shows it.
      if (LoWord(static_cast<std::uintptr_t>(lParam)) == HTCLIENT) SetCursorVisible(true);
      return 0;
    default:
      return 0;
  }
}

bool TPlatform::PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd && !IsWindow(hWnd)) return false;
  Queue.Post({hWnd, msg, wParam, lParam});
  Wake();
  return true;
}

void TPlatform::PostQuitMessage(int exitCode) {
  Queue.Post({nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0});
  Wake();
}

void TPlatform::PostFront(const TMsg& msg) { Translated.push_back(msg); }

bool TPlatform::PeekMessage(TMsg& msg, UINT removeFlag) {
  if (!Translated.empty()) {
    msg = Translated.front();
    if (removeFlag & PM_REMOVE) Translated.erase(Translated.begin());
    return true;
  }
  if (Queue.Empty()) PumpEvents(false);
  if (!(removeFlag & PM_REMOVE)) return Queue.Peek(msg);
  if (!Queue.Take(msg)) return false;
  TrackKeyState(msg);
  return true;
}

void TPlatform::TrackKeyState(const TMsg& msg) {
  auto set = [this](WPARAM vk, bool down) { KeysDown[vk & 0xFF] = down; };
  switch (msg.Message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      set(msg.wParam, true);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      set(msg.wParam, false);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      set(VK_LBUTTON, msg.Message != WM_LBUTTONUP);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
      set(VK_RBUTTON, msg.Message != WM_RBUTTONUP);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
      set(VK_MBUTTON, msg.Message != WM_MBUTTONUP);
      break;
    default:
      break;
  }
}

TPoint TPlatform::ClampToPicture(TPoint p) const {
  if (PictureWidth > 0) p.X = std::clamp(p.X, 0, PictureWidth - 1);
  if (PictureHeight > 0) p.Y = std::clamp(p.Y, 0, PictureHeight - 1);
  return p;
}

bool TPlatform::GetMessage(TMsg& msg) {
  while (!PeekMessage(msg, PM_REMOVE)) PumpEvents(true);
  return msg.Message != WM_QUIT;
}

void TPlatform::TranslateMessage(const TMsg& msg) {
  // Keys that produce a character without text input: Backspace, Tab, Enter, Esc.
  if (msg.Message != WM_KEYDOWN) return;
  if (msg.wParam == VK_BACK || msg.wParam == VK_TAB || msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)
    PostFront({msg.hWnd, WM_CHAR, msg.wParam, msg.lParam});
}

LRESULT TPlatform::DispatchMessage(const TMsg& msg) {
  if (!msg.hWnd) return 0;
  return SendMessage(msg.hWnd, msg.Message, msg.wParam, msg.lParam);
}

void TPlatform::WaitMessage() {
  if (!Translated.empty() || !Queue.Empty()) return;
  PumpEvents(true);
}

void TPlatform::ShowWindow(HWND hWnd, int cmd) {
  TWindow* w = Window(hWnd);
  if (!w) return;
  switch (cmd) {
    case SW_HIDE:
      w->Visible = false;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      w->Visible = true;
      w->Minimized = true;
      w->Maximized = false;
      break;
    case SW_MAXIMIZE:
      w->Visible = true;
      w->Minimized = false;
      w->Maximized = true;
      break;
    default:  // SW_SHOWNORMAL, SW_SHOW, SW_RESTORE
      w->Visible = true;
      w->Minimized = false;
      if (cmd != SW_SHOW) w->Maximized = false;
      break;
  }
  BackendWindowChanged(*w);
}

void TPlatform::SetFocus(HWND hWnd) {
  if (IsWindow(hWnd)) ActiveWindow = hWnd;
}

bool TPlatform::IsIconic(HWND hWnd) const {
  TWindow* w = Window(hWnd);
  return w && w->Minimized;
}

bool TPlatform::IsZoomed(HWND hWnd) const {
  TWindow* w = Window(hWnd);
  return w && w->Maximized;
}

std::uint32_t TPlatform::GetWindowStyle(HWND hWnd) const {
  TWindow* w = Window(hWnd);
  return w ? w->Style : 0;
}

std::uint32_t TPlatform::GetWindowExStyle(HWND hWnd) const {
  TWindow* w = Window(hWnd);
  return w ? w->ExStyle : 0;
}

void TPlatform::SetWindowStyle(HWND hWnd, std::uint32_t style) {
  if (TWindow* w = Window(hWnd)) {
    w->Style = style;
    BackendWindowChanged(*w);
  }
}

void TPlatform::SetWindowExStyle(HWND hWnd, std::uint32_t exStyle) {
  if (TWindow* w = Window(hWnd)) {
    w->ExStyle = exStyle;
    BackendWindowChanged(*w);
  }
}

TRect TPlatform::GetWindowRect(HWND hWnd) const {
  TWindow* w = Window(hWnd);
  return w ? w->Rect : TRect{};
}

TRect TPlatform::ClientScreenRect(const TWindow& w) const {
  TRect r = w.Rect;
  if ((w.Style & WS_CAPTION) == WS_CAPTION) {
    bool sizing = (w.Style & WS_THICKFRAME) != 0;
    int fx = GetSystemMetrics(sizing ? SM_CXFRAME : SM_CXDLGFRAME);
    int fy = GetSystemMetrics(sizing ? SM_CYFRAME : SM_CYDLGFRAME);
    r.Left += fx;
    r.Right -= fx;
    r.Top += fy + GetSystemMetrics(SM_CYCAPTION);
    r.Bottom -= fy;
  }
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

TRect TPlatform::GetClientRect(HWND hWnd) const {
  TWindow* w = Window(hWnd);
  if (!w) return {};
  if (w->Minimized) return {};
  TRect r = ClientScreenRect(*w);
  return {0, 0, r.Width(), r.Height()};
}

TPoint TPlatform::ClientToScreen(HWND hWnd, TPoint p) const {
  TWindow* w = Window(hWnd);
  if (!w) return p;
  TRect r = ClientScreenRect(*w);
  return {p.X + r.Left, p.Y + r.Top};
}

TPoint TPlatform::ScreenToClient(HWND hWnd, TPoint p) const {
  TWindow* w = Window(hWnd);
  if (!w) return p;
  TRect r = ClientScreenRect(*w);
  return {p.X - r.Left, p.Y - r.Top};
}

void TPlatform::MoveWindow(HWND hWnd, int x, int y, int width, int height, bool) {
  if (TWindow* w = Window(hWnd)) {
    w->Rect = {x, y, x + width, y + height};
    BackendWindowChanged(*w);
  }
}

void TPlatform::PlaceWindow(HWND hWnd, const TRect& rect, bool topmost) {
  if (TWindow* w = Window(hWnd)) {
    w->Rect = rect;
    w->ExStyle = topmost ? (w->ExStyle | WS_EX_TOPMOST) : (w->ExStyle & ~WS_EX_TOPMOST);
    w->Visible = true;
    BackendWindowChanged(*w);
  }
}

int TPlatform::GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CYCAPTION:
      return 19;
    default:
      return 0;
  }
}

void TPlatform::SetCursorVisible(bool visible) {
  if (visible == CursorShown) return;
  CursorShown = visible;
  BackendCursorVisible(visible);
}

void TPlatform::SetCursorPos(int x, int y) {
  CursorPos = {x, y};
  BackendCursorPos(CursorPos);
}

int TPlatform::MessageBox(HWND, const std::string& text, const std::string& caption, UINT flags) {
  return BackendMessageBox(text, caption, flags);
}

int TPlatform::BackendMessageBox(const std::string& text, const std::string& caption, UINT) {
  std::fprintf(stderr, "%s: %s\n", Cp1252ToUtf8(caption).c_str(), Cp1252ToUtf8(text).c_str());
  return 1;
}

void TPlatform::RequestTerminate() {
  if (TerminateHandler) TerminateHandler();
}

}  // namespace Plat
