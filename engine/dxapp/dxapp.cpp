// The application object: window procedure, message loop, fixed-step frame
// clock with its update and render callbacks, modal loops, display set-ups
// and screenshots.
#include "engine/dxapp/dxapp.h"

#include <memory>
#include <stdexcept>
#include <string>

#include "engine/base/base.h"
#include "engine/platform/system/clock.h"
#include "engine/platform/window/platform.h"

using namespace Plat;

namespace {

std::unique_ptr<DXApp::TDXApplication> theApplication = std::make_unique<DXApp::TDXApplication>();

// Clock values wrap; their differences compare as signed 32-bit numbers.
i32 Elapsed(u32 later, u32 earlier) { return static_cast<i32>(later - earlier); }

void ScreenshotTrampoline() {
  if (DXApplication) DXApplication->TakeScreenshot();
}

void TerminateTrampoline() {
  if (DXApplication) DXApplication->Terminate();
}

}  // namespace

DXApp::TDXApplication* DXApplication = theApplication.get();

namespace DXApp {

TDXApplication::TDXApplication() { OnScreenshot = ScreenshotTrampoline; }

void TDXApplication::Create(HINSTANCE instance, const char* title, const char* className, u32 flags,
                            int updatesPerSecond, TCallback onDestroy, TCallback onUpdate, TCallback onRender,
                            TCallback onRestore, TCallback onBeforeModeChange, TCallback onAfterModeChange,
                            TCallback onWindowChanged, TMessageCallback onMessage) {
  Busy = 1;
  ResetTiming = 1;
  hInstance = instance;
  Base::SafeStrCopy(Title, title, sizeof Title);
  Flags = flags;
  OnDestroy = onDestroy;
  OnUpdate = onUpdate;
  OnRender = onRender;
  OnRestore = onRestore;
  OnBeforeModeChange = onBeforeModeChange;
  OnAfterModeChange = onAfterModeChange;
  OnWindowChanged = onWindowChanged;
  OnMessage = onMessage;
  UpdatesPerSecond = updatesPerSecond > 1000 ? 1000 : updatesPerSecond;
  if (UpdatesPerSecond > 0) StepMs = 1000 / UpdatesPerSecond;

  TPlatform& os = Current();
  TWndClass wc;
  wc.Style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.WndProc = WndProc;
  wc.ClassName = className;
  if (!os.RegisterClass(wc)) throw std::runtime_error("Register class failed.");
  hWnd = os.CreateWindow(className, Title, WS_POPUP | WS_SYSMENU, 0, 0, 0, 0, 0);
  if (!hWnd) throw std::runtime_error("Error creating window.");
  os.SetTerminateHandler(TerminateTrampoline);
  Busy = 0;
}

bool TDXApplication::Windowed() const { return Display && Display->IsWindowed(); }

LRESULT TDXApplication::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (DXApplication) return DXApplication->WindowProc(msg, wParam, lParam);
  return Current().DefWindowProc(hWnd, msg, wParam, lParam);
}

LRESULT TDXApplication::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  TPlatform& os = Current();
  HWND wnd = hWnd;
  try {
    if (OnMessage && ((msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
                      msg > WM_USER))
      OnMessage(msg, wParam, lParam);
    switch (msg) {
      case WM_ACTIVATEAPP:
        if (wParam != 0) {
          if (OnActivate) OnActivate();
        } else if (OnDeactivate) {
          OnDeactivate();
        }
        return 0;
      case WM_ACTIVATE:
        if (!Busy && !Windowed()) SetActive(LoWord(wParam) != WA_INACTIVE && HiWord(wParam) == 0);
        return 0;
      case WM_CLOSE:
        if (Quit)
          DestroyWindow();
        else if ((Flags & AppCloseInFullscreen) || Windowed())
          Terminate();
        return 0;
      case WM_DESTROY:
        if (OnDestroy) OnDestroy();
        os.PostQuitMessage(0);
        return 0;
      case WM_SETCURSOR:
        if (LoWord(static_cast<WPARAM>(lParam)) == HTCLIENT && !(Flags & AppNeverHideCursor) &&
            ((Flags & AppHideCursorWindowed) || (Active && !Windowed()))) {
          os.SetCursorVisible(false);
          return 1;
        }
        break;
      case WM_SYSCOMMAND:
        if (!Windowed()) {
          WPARAM cmd = wParam & ~static_cast<WPARAM>(0xF);
          if (cmd == SC_SIZE || cmd == SC_MOVE || cmd == SC_MAXIMIZE || cmd == SC_MONITORPOWER) return 0;
        }
        break;
      case WM_MOVE:
        if (!Busy && Windowed()) {
          UpdateClientRect();
          Display->SetWindowOrigin(static_cast<i16>(LoWord(static_cast<WPARAM>(lParam))),
                                   static_cast<i16>(HiWord(static_cast<WPARAM>(lParam))));
        }
        break;
      case WM_SIZE:
        if (!Busy) {
          SetActive(wParam != SIZE_MINIMIZED && wParam != SIZE_MAXHIDE);
          if (Active && Windowed()) HandleResize();
        }
        break;
      case WM_NCLBUTTONDOWN:
      case WM_NCMBUTTONDOWN:
        if (!os.IsZoomed(hWnd)) ResetTiming = 1;
        break;
      case WM_NCRBUTTONDOWN:
        ResetTiming = 1;
        break;
      case WM_GETMINMAXINFO:
        if (!Busy && lParam) {
          auto* info = reinterpret_cast<TMinMaxInfo*>(lParam);
          info->MinTrackSize = {100, 100};
        }
        break;
      case WM_POWERBROADCAST:
        return BROADCAST_QUERY_DENY;
      case WM_ENTERMENULOOP:
      case WM_ENTERSIZEMOVE:
        if (!Busy) SetActive(false);
        break;
      case WM_EXITMENULOOP:
      case WM_EXITSIZEMOVE:
        if (!Busy) SetActive(os.GetActiveWindow() == hWnd && !os.IsIconic(hWnd));
        break;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (wParam <= 255) KeyState[wParam] = 1;
        if (wParam == VK_MENU) {
          if (OnAltDown) OnAltDown();
          if (!Windowed()) return 0;
        }
        if ((Flags & AppAltEnterSwitch) && wParam == VK_RETURN && (lParam & KF_ALTDOWN_BIT)) {
          if (Windowed())
            GoFullscreen();
          else
            SwitchToWindowed();
        }
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        if (wParam <= 255) KeyState[wParam] = 0;
        if (wParam == VK_MENU && OnAltUp) OnAltUp();
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        os.SetCapture(hWnd);
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        os.ReleaseCapture();
        break;
      default:
        break;
    }
  } catch (const std::exception& e) {
    ShowException(e);
  }
  return os.DefWindowProc(wnd, msg, wParam, lParam);
}

void TDXApplication::SetActive(bool active) {
  if (static_cast<bool>(Active) == active) return;
  Active = active ? 1 : 0;
  if (active) ResetTiming = 1;
}

bool TDXApplication::PumpOnce() {
  TPlatform& os = Current();
  TMsg msg;
  if (os.PeekMessage(msg, PM_REMOVE)) {
    if (msg.Message == WM_QUIT) {
      ExitCode = static_cast<i32>(msg.wParam);
      return false;
    }
    os.TranslateMessage(msg);
    os.DispatchMessage(msg);
  } else if (Active) {
    FrameTick();
  } else {
    os.WaitMessage();
  }
  return true;
}

int TDXApplication::Run() {
  while (PumpOnce()) {
  }
  return ExitCode;
}

void TDXApplication::RunModalLoop(bool* done, TCallback onUpdate, TCallback onRender) {
  struct TRestore {
    TDXApplication& App;
    TCallback Update, Render;
    ~TRestore() {
      App.OnUpdate = Update;
      App.OnRender = Render;
      --App.ModalDepth;
    }
  } restore{*this, OnUpdate, OnRender};
  ++ModalDepth;
  if (onUpdate) OnUpdate = onUpdate;
  if (onRender) OnRender = onRender;
  if (!hWnd && OnWindowlessStep) {
    while (!Quit && !*done) OnWindowlessStep();
    return;
  }
  while (!Quit && !*done) {
    if (!PumpOnce()) {
      // Hand the quit message on so the outer loop ends too.
      Current().PostQuitMessage(ExitCode);
      break;
    }
  }
}

void TDXApplication::SetUpdatesPerSecond(int n) {
  UpdatesPerSecond = n > 1000 ? 1000 : n;
  if (UpdatesPerSecond > 0) StepMs = 1000 / UpdatesPerSecond;
}

void TDXApplication::Terminate() {
  Quit = 1;
  if (hWnd) Current().PostMessage(hWnd, WM_CLOSE, 0, 0);
}

void TDXApplication::ShowException(const std::exception& e) {
  const char* text = e.what();
  Current().MessageBox(hWnd, text ? text : "", Title, MB_ICONERROR);
}

void TDXApplication::DestroyWindow() {
  if (hWnd) {
    HWND wnd = hWnd;
    Current().DestroyWindow(wnd);
    hWnd = nullptr;
  }
}

void TDXApplication::DetachWindow() {
  Clock().Sleep(500);
  hWnd = nullptr;
}

void TDXApplication::SetMousePos(int x, int y) {
  TPoint p = Current().ClientToScreen(hWnd, {x, y});
  Current().SetCursorPos(p.X, p.Y);
}

void TDXApplication::FrameTick() {
  TPlatform& os = Current();
  if (Display) {
    TCooperativeStatus status = Display->CooperativeLevelStatus();
    if (status == TCooperativeStatus::HeldByOther) return;
    if (status == TCooperativeStatus::Failed && Windowed()) HandleDisplayChange();
  }
  TPoint p = os.GetCursorPos();
  if (Windowed()) p = os.ScreenToClient(hWnd, p);
  MouseX = p.X;
  MouseY = p.Y;
  if (Display && Display->SurfacesLost()) {
    if (!Display->RestoreAllSurfaces()) return;
    CallRestore();
    ResetTiming = 1;
  }
  if (UpdatesPerSecond > 0)
    FixedStepTick();
  else
    VariableStepTick();
}

void TDXApplication::CountFrame() {
  FrameCount += 1;
  FpsElapsed = Elapsed(Now, FpsStart);
  if (FpsElapsed > 1000) {
    FPS = static_cast<f32>(FrameCount * 1000.0 / FpsElapsed);
    FpsStart += 1000;
    FrameCount = 0;
  }
}

void TDXApplication::FixedStepTick() {
  if (ResetTiming) {
    Now = LastUpdate = LastRender = FpsStart = Clock().TimeGetTime();
    FpsElapsed = FrameCount = 0;
    ResetTiming = 0;
    DeltaTime = StepMs;
    if (OnRender) OnRender();
    return;
  }
  DeltaTime = StepMs;
  Now = Clock().TimeGetTime();
  if (Elapsed(Now, LastUpdate) < StepMs) return;
  LastUpdate += static_cast<u32>(StepMs);
  GameTime += static_cast<u32>(StepMs);
  UpdateCount += 1;
  if (OnUpdate) OnUpdate();
  if (Elapsed(Now, LastUpdate) >= StepMs && Elapsed(Now, LastRender) < 1000 && !ScreenshotRequested) return;
  LastRender = Now;
  CountFrame();
  if (OnRender) OnRender();
  if (ScreenshotRequested && OnScreenshot) {
    OnScreenshot();
    ScreenshotRequested = 0;
  }
  Clock().Sleep(1);
}

void TDXApplication::VariableStepTick() {
  if (ResetTiming) {
    Now = LastUpdate = FpsStart = Clock().TimeGetTime();
    DeltaTime = FpsElapsed = FrameCount = 0;
    ResetTiming = 0;
    if (OnRender) OnRender();
    return;
  }
  Now = Clock().TimeGetTime();
  if (!(Flags & AppNoMinimumStep) && Elapsed(Now, LastUpdate) < 10) return;
  DeltaTime = Elapsed(Now, LastUpdate);
  LastUpdate = Now;
  CountFrame();
  if (!(Flags & AppNoStepClamp) && DeltaTime > 50) DeltaTime = 50;
  GameTime += static_cast<u32>(DeltaTime);
  if (OnUpdate) OnUpdate();
  if (OnRender) OnRender();
}

void TDXApplication::CallRestore() {
  try {
    if (OnRestore) OnRestore();
  } catch (const std::exception& e) {
    ShowException(std::runtime_error(std::string(e.what()) + "\nFatal error - program will now exit."));
    Terminate();
  }
}

}  // namespace DXApp
