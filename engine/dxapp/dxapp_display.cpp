// The display set-ups of the application object: first set-up in either mode,
// switching between full screen and a window, desktop changes, resizing, and
// the screenshot of the back buffer.
#include <stdexcept>
#include <string>

#include "engine/base/base.h"
#include "engine/base/bitmap.h"
#include "engine/base/errors.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/system/files.h"
#include "engine/platform/window/platform.h"

using namespace Plat;

namespace DXApp {

namespace {

// Sets Busy and ResetTiming for a display set-up and clears Busy afterwards.
struct TBusyScope {
  explicit TBusyScope(TDXApplication& app) : App(app) {
    App.Busy = 1;
    App.ResetTiming = 1;
  }
  ~TBusyScope() { App.Busy = 0; }
  TDXApplication& App;
};

u32 WindowedStyle(u32 flags) {
  return (flags & AppFixedSizeWindow) ? (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) : WS_OVERLAPPEDWINDOW;
}

void Call(TCallback callback) {
  if (callback) callback();
}

}  // namespace

Plat::TPoint TDXApplication::AdjustWindowSize(int width, int height) const {
  bool dialog = (Flags & AppFixedSizeWindow) != 0;
  int fx = TPlatform::GetSystemMetrics(dialog ? SM_CXDLGFRAME : SM_CXFRAME);
  int fy = TPlatform::GetSystemMetrics(dialog ? SM_CYDLGFRAME : SM_CYFRAME);
  return {width + 2 * fx, height + 2 * fy + TPlatform::GetSystemMetrics(SM_CYCAPTION)};
}

void TDXApplication::ApplyWindowStyle(bool fullscreen) {
  TPlatform& os = Current();
  if (fullscreen) {
    os.SetWindowStyle(hWnd, WS_POPUP | WS_SYSMENU);
    os.SetWindowExStyle(hWnd, WS_EX_TOPMOST);
  } else {
    os.SetWindowStyle(hWnd, WindowedStyle(Flags));
    os.SetWindowExStyle(hWnd, 0);
  }
}

void TDXApplication::UpdateClientRect() {
  TPlatform& os = Current();
  TRect c = os.GetClientRect(hWnd);
  TPoint origin = os.ClientToScreen(hWnd, {0, 0});
  ClientRect = {origin.X, origin.Y, origin.X + c.Width(), origin.Y + c.Height()};
}

void TDXApplication::SaveWindowPlacement() {
  TPlatform& os = Current();
  SavedStyle = os.GetWindowStyle(hWnd);
  SavedExStyle = os.GetWindowExStyle(hWnd);
  WindowRect = os.GetWindowRect(hWnd);
}

void TDXApplication::RestoreWindowPlacement() {
  TPlatform& os = Current();
  os.SetWindowStyle(hWnd, SavedStyle);
  os.SetWindowExStyle(hWnd, SavedExStyle);
  os.PlaceWindow(hWnd, WindowRect, false);
}

void TDXApplication::SetFullscreen(int modeIndex, int left, int top, int width, int height) {
  TBusyScope busy(*this);
  TPlatform& os = Current();
  TPoint outer = AdjustWindowSize(width, height);
  WindowRect = {left, top, left + outer.X, top + outer.Y};
  SavedStyle = WindowedStyle(Flags);
  SavedExStyle = 0;
  FullscreenMode = -1;
  ApplyWindowStyle(true);
  if (Display) {
    Display->ReleaseAll();
    Display->InitFullscreen(hWnd, modeIndex);
  }
  int w = Display ? Display->ModeWidth() : 0;
  int h = Display ? Display->ModeHeight() : 0;
  os.MoveWindow(hWnd, 0, 0, w, h, false);
  os.ShowWindow(hWnd, SW_SHOWNORMAL);
  os.UpdateWindow(hWnd);
  os.SetFocus(hWnd);
  Call(OnWindowChanged);
  Active = 1;
}

void TDXApplication::SetWindowed(int showCmd, int left, int top, int width, int height) {
  try {
    TBusyScope busy(*this);
    TPlatform& os = Current();
    ApplyWindowStyle(false);
    TPoint outer = AdjustWindowSize(width, height);
    os.MoveWindow(hWnd, left, top, outer.X, outer.Y, false);
    if ((Flags & AppFixedSizeWindow) && showCmd == SW_MAXIMIZE) showCmd = SW_SHOWNORMAL;
    os.ShowWindow(hWnd, showCmd);
    os.UpdateWindow(hWnd);
    os.SetFocus(hWnd);
    if (os.IsIconic(hWnd)) {
      ClientRect = {0, 0, 16, 16};
      Active = 0;
    } else {
      UpdateClientRect();
      Active = 1;
    }
    if (Display) {
      Display->ReleaseAll();
      Display->InitWindowed(hWnd, ClientRect);
    }
    Call(OnWindowChanged);
  } catch (const EDirectXError& e) {
    if (!(Flags & AppWindowedFallback)) throw;
    Current().MessageBox(hWnd, std::string(e.what()) + "\n\nError initializing windowed mode. Switching to fullscreen.",
                         Title, MB_ICONERROR);
    if (Current().IsIconic(hWnd)) Current().ShowWindow(hWnd, SW_SHOWNORMAL);
    SaveWindowPlacement();
    SetFullscreen(-1, 50, 50, 640, 480);
  }
}

void TDXApplication::EnterFullscreen(int modeIndex) {
  TBusyScope busy(*this);
  TPlatform& os = Current();
  Call(OnBeforeModeChange);
  if (Windowed()) {
    SaveWindowPlacement();
    ApplyWindowStyle(true);
    Display->ReleaseAll();
    Display->InitFullscreen(hWnd, modeIndex);
  } else if (Display) {
    Display->ChangeMode(modeIndex);
  }
  os.MoveWindow(hWnd, 0, 0, Display ? Display->ModeWidth() : 0, Display ? Display->ModeHeight() : 0, false);
  Call(OnAfterModeChange);
  Call(OnWindowChanged);
}

void TDXApplication::EnterWindowed() {
  TBusyScope busy(*this);
  TPlatform& os = Current();
  Call(OnBeforeModeChange);
  FullscreenMode = Display ? Display->ModeIndex() : 0;
  os.MoveWindow(hWnd, 0, 0, 0, 0, false);
  if (Display) Display->ReleaseAll();
  RestoreWindowPlacement();
  UpdateClientRect();
  if (Display) Display->InitWindowed(hWnd, ClientRect);
  Call(OnAfterModeChange);
  Call(OnWindowChanged);
}

void TDXApplication::HandleDisplayChange() {
  TBusyScope busy(*this);
  Call(OnBeforeModeChange);
  if (Display) Display->ReleaseAll();
  UpdateClientRect();
  if (Display) Display->InitWindowed(hWnd, ClientRect);
  Call(OnAfterModeChange);
  Call(OnWindowChanged);
}

void TDXApplication::HandleResize() {
  UpdateClientRect();
  if (Display) Display->ResizeWindowed(ClientRect);
  Call(OnWindowChanged);
}

void TDXApplication::GoFullscreen() { SwitchToFullscreen(FullscreenMode); }

void TDXApplication::SwitchToFullscreen(int modeIndex) {
  if (Current().IsIconic(hWnd)) return;
  try {
    EnterFullscreen(modeIndex);
  } catch (const EDirectXError& e) {
    if (!(Flags & AppSwitchFallback)) throw;
    Current().MessageBox(
        hWnd, std::string(e.what()) + "\n\nError switching to fullscreen mode. Switching back to desktop.", Title,
        MB_ICONERROR);
    EnterWindowed();
  }
}

void TDXApplication::SwitchToWindowed() {
  if (Current().IsIconic(hWnd)) return;
  try {
    EnterWindowed();
  } catch (const EDirectXError& e) {
    if (!(Flags & AppSwitchFallback)) throw;
    Current().MessageBox(
        hWnd, std::string(e.what()) + "\n\nError switching to windowed mode. Switching back to fullscreen.", Title,
        MB_ICONERROR);
    EnterFullscreen(FullscreenMode);
  }
}

void TDXApplication::TakeScreenshot() {
  if (!Display) return;
  void* pixels = nullptr;
  int pitch = 0, width = 0, height = 0;
  if (!Display->LockBackBuffer(pixels, pitch, width, height)) return;
  struct TUnlock {
    TDisplayLink* Link;
    ~TUnlock() { Link->UnlockBackBuffer(); }
  } unlock{Display};
  std::string dir = Base::AppDir + "Bmp\\";
  // The folder is made when missing rather than failing the screenshot.
  CreateDirectories(dir);
  std::string name = Base::Format("%s%.6d.bmp", dir.c_str(), static_cast<int>(ScreenshotNumber));
  Base::WriteBitmap565(name, pixels, pitch, width, height);
  ScreenshotNumber += 1;
}

}  // namespace DXApp
