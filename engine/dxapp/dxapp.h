// The one application object: the window, the message loop and the
// fixed-step frame clock that calls the program's update and render steps.
#pragma once

#include <exception>

#include "engine/base/types.h"
#include "engine/dxapp/display_link.h"
#include "engine/platform/window/wintypes.h"

namespace DXApp {

using TCallback = void (*)();
using TMessageCallback = void (*)(Plat::UINT msg, Plat::WPARAM wParam, Plat::LPARAM lParam);

// Option bits of Flags.
constexpr u32 AppCloseInFullscreen = 0x01;
constexpr u32 AppNoStepClamp = 0x02;
constexpr u32 AppWindowedFallback = 0x04;
constexpr u32 AppSwitchFallback = 0x08;
constexpr u32 AppNeverHideCursor = 0x10;
constexpr u32 AppHideCursorWindowed = 0x20;
constexpr u32 AppNoMinimumStep = 0x40;
constexpr u32 AppFixedSizeWindow = 0x80;
constexpr u32 AppAltEnterSwitch = 0x100;

class TDXApplication {
 public:
  TDXApplication();

  void Create(Plat::HINSTANCE instance, const char* title, const char* className, u32 flags, int updatesPerSecond,
              TCallback onDestroy, TCallback onUpdate, TCallback onRender, TCallback onRestore,
              TCallback onBeforeModeChange, TCallback onAfterModeChange, TCallback onWindowChanged,
              TMessageCallback onMessage);
  void SetFullscreen(int modeIndex, int left, int top, int width, int height);
  void SetWindowed(int showCmd, int left, int top, int width, int height);
  int Run();
  void RunModalLoop(bool* done, TCallback onUpdate, TCallback onRender);
  void SetUpdatesPerSecond(int n);
  void Terminate();
  void ShowException(const std::exception& e);
  void DestroyWindow();
  void DetachWindow();
  void SetMousePos(int x, int y);
  void TakeScreenshot();

  // One pass of the idle loop while active.
  void FrameTick();
  Plat::LRESULT WindowProc(Plat::UINT msg, Plat::WPARAM wParam, Plat::LPARAM lParam);
  static Plat::LRESULT WndProc(Plat::HWND hWnd, Plat::UINT msg, Plat::WPARAM wParam, Plat::LPARAM lParam);

  Plat::HWND hWnd = nullptr;
  Plat::HINSTANCE hInstance = nullptr;
  char Title[80] = {};
  u32 Flags = 0;
  u8 Active = 0;
  u8 Busy = 0;
  u8 Quit = 0;
  i32 ExitCode = 0;
  f32 FPS = 0;
  u32 GameTime = 0;
  i32 DeltaTime = 0;
  u32 UpdateCount = 0;
  u8 ResetTiming = 0;
  u32 Now = 0;
  u32 LastUpdate = 0;
  u32 FpsStart = 0;
  i32 FpsElapsed = 0;
  i32 FrameCount = 0;
  u32 LastRender = 0;
  i32 UpdatesPerSecond = 0;
  i32 StepMs = 0;
  Plat::TRect ClientRect;
  Plat::TRect WindowRect;
  u32 SavedStyle = 0;
  u32 SavedExStyle = 0;
  i32 FullscreenMode = -1;
  TCallback OnDestroy = nullptr;
  TCallback OnUpdate = nullptr;
  TCallback OnRender = nullptr;
  TCallback OnRestore = nullptr;
  TCallback OnBeforeModeChange = nullptr;
  TCallback OnAfterModeChange = nullptr;
  TCallback OnWindowChanged = nullptr;
  TMessageCallback OnMessage = nullptr;
  TCallback OnScreenshot = nullptr;
  TCallback OnActivate = nullptr;
  TCallback OnDeactivate = nullptr;
  TCallback OnAltDown = nullptr;
  TCallback OnAltUp = nullptr;
  u8 KeyState[256] = {};
  i32 MouseX = 0;
  i32 MouseY = 0;
  u8 ScreenshotRequested = 0;
  // Nested frame loops running (RunModalLoop).
  i32 ModalDepth = 0;
  // Without a window no frame clock runs: a program driven without a screen
  // sets this, and a nested loop then calls it once per pass to advance one
  // update step (calling OnUpdate as the frame loop would).
  TCallback OnWindowlessStep = nullptr;
  u32 ScreenshotNumber = 0;

  // The display device; set by the start-up once it exists.
  TDisplayLink* Display = nullptr;

 private:
  bool Windowed() const;
  bool PumpOnce();
  void SetActive(bool active);
  void UpdateClientRect();
  Plat::TPoint AdjustWindowSize(int width, int height) const;
  void ApplyWindowStyle(bool fullscreen);
  void SaveWindowPlacement();
  void RestoreWindowPlacement();
  void EnterFullscreen(int modeIndex);
  void EnterWindowed();
  void HandleDisplayChange();
  void HandleResize();
  void GoFullscreen();
  void SwitchToFullscreen(int modeIndex);
  void SwitchToWindowed();
  void CallRestore();
  void FixedStepTick();
  void VariableStepTick();
  void CountFrame();
};

}  // namespace DXApp

// The process-wide application object, made by the module's start-up.
extern DXApp::TDXApplication* DXApplication;
