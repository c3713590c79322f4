// The window system behind the real application object on the headless
// platform: input goes in as the display backend posts it and passes the
// message loop, the application's hook and the window system; update steps
// run on a fake clock.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/button.h"
#include "engine/dxwin/window_system.h"
#include "engine/platform/system/clock.h"
#include "engine/platform/window/headless_platform.h"

namespace WinTest {

// What the application's callbacks reach; they are plain functions.
inline DXWin::TDXWindowSystem* System = nullptr;
inline Plat::TSurface* Target = nullptr;
// Called in every update step before the window system's update, with the
// application's update count.
inline std::function<void(u32)> Script;

inline void UpdateFrame() {
  if (Script) Script(DXApplication->UpdateCount);
  if (System) System->Update();
}
inline void RenderFrame() {
  if (System && Target) System->Draw(Target);
}
inline void HandleAppMessage(Plat::UINT msg, Plat::WPARAM wParam, Plat::LPARAM lParam) {
  if (System) System->HandleMessage(msg, wParam, lParam);
}

// Events of controls as text, in order.
struct TEventLog {
  std::vector<std::string> Events;

  void Clicked(DXWin::TDXControl* c) { Events.push_back("click " + c->Text); }
  void Entered(DXWin::TDXControl* c) { Events.push_back("enter " + c->Text); }
  void Left(DXWin::TDXControl* c) { Events.push_back("leave " + c->Text); }
  void WheeledUp(DXWin::TDXControl* c) { Events.push_back("wheel up " + c->Text); }
  void WheeledDown(DXWin::TDXControl* c) { Events.push_back("wheel down " + c->Text); }
  void Pressed(int button, DXWin::TShiftState shift, int x, int y) {
    Events.push_back("down " + std::to_string(button) + " " + std::to_string(shift) + " " + std::to_string(x) + "," +
                     std::to_string(y));
  }
  void DoubleClicked(int button, DXWin::TShiftState, int, int) { Events.push_back("double " + std::to_string(button)); }
  void Key(Plat::WPARAM& key, DXWin::TShiftState shift) {
    Events.push_back("key " + std::to_string(key) + " " + std::to_string(shift));
  }
  void Char(char& c) { Events.push_back(std::string("char ") + c); }

  // Clicks, hovering and the wheel of a control.
  void Watch(DXWin::TDXControl& c) {
    using namespace DXWin;
    c.OnClick = TNotifyEvent::Of<&TEventLog::Clicked>(this);
    c.OnMouseEnter = TNotifyEvent::Of<&TEventLog::Entered>(this);
    c.OnMouseLeave = TNotifyEvent::Of<&TEventLog::Left>(this);
    c.OnWheelUp = TNotifyEvent::Of<&TEventLog::WheeledUp>(this);
    c.OnWheelDown = TNotifyEvent::Of<&TEventLog::WheeledDown>(this);
  }
  // Only the events that start with prefix.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : Events)
      if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
  }
};

class TWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Plat::Install(std::make_unique<Plat::THeadlessPlatform>());
    Os = static_cast<Plat::THeadlessPlatform*>(&Plat::Current());
    Plat::SetClock(&Clock);
    SavedApp = DXApplication;
    App = std::make_unique<DXApp::TDXApplication>();
    DXApplication = App.get();
    App->Create(nullptr, "Orvandia", "OrvandiaWindow", 0xA0, 100, nullptr, UpdateFrame, RenderFrame, nullptr, nullptr,
                nullptr, nullptr, HandleAppMessage);
    Os->SetVideoMode(App->hWnd, true, 800, 600);
    App->Active = 1;
    App->FrameTick();  // the first tick only starts the clock
    Sys = std::make_unique<DXWin::TDXWindowSystem>();
    System = Sys.get();
  }
  void TearDown() override {
    Script = nullptr;
    Target = nullptr;
    System = nullptr;
    Sys.reset();
    DXApplication = SavedApp;
    Plat::SetClock(nullptr);
    Plat::Install(nullptr);
  }

  // Dispatches every queued message as the message loop does.
  void Drain() {
    Plat::TMsg m;
    while (Os->PeekMessage(m, Plat::PM_REMOVE) && m.Message != Plat::WM_QUIT) {
      Os->TranslateMessage(m);
      Os->DispatchMessage(m);
    }
  }
  // Messages first, then n update steps of 10 ms.
  void Step(int n = 1) {
    Drain();
    for (int i = 0; i < n; ++i) {
      Clock.Advance(10);
      App->FrameTick();
    }
  }
  void Move(int x, int y) {
    Os->MouseMove(x, y);
    Drain();
  }
  void Click(int x, int y) {
    Os->MouseMove(x, y);
    Os->Click(DXWin::mbLeft, x, y);
    Drain();
  }
  void Press(int x, int y) {
    Os->MouseMove(x, y);
    Os->MouseButton(DXWin::mbLeft, true, x, y);
    Drain();
  }
  void Release(int x, int y) {
    Os->MouseButton(DXWin::mbLeft, false, x, y);
    Drain();
  }
  void Key(Plat::WPARAM vk) {
    Os->KeyDown(vk);
    Os->KeyUp(vk);
    Drain();
  }
  // Runs the window modally; the script gives it its input and ends the
  // application after maxSteps update steps in case the window never closes.
  int RunModal(DXWin::TDXWindow& w, std::function<void(u32 step)> script, u32 maxSteps = 2000) {
    const u32 start = App->UpdateCount;
    Clock.StepPerRead = 1;
    Script = [this, start, script, maxSteps](u32 count) {
      if (count - start > maxSteps) {
        ADD_FAILURE() << "the modal window never ended";
        App->Quit = 1;
      }
      script(count - start);
    };
    const int result = w.ShowModal(false);
    Script = nullptr;
    Clock.StepPerRead = 0;
    return result;
  }
  // A window of the system at a screen rectangle, shown and active.
  DXWin::TDXWindow* OpenWindow(const Base::TRect& r, u32 flags = 0, int dragBar = 0) {
    auto* w = new DXWin::TDXWindow(Sys.get(), flags, dragBar);
    w->SetBounds(r);
    w->Show();
    Sys->ProcessRequests();
    return w;
  }

  Plat::TFakeClock Clock{5000};
  Plat::THeadlessPlatform* Os = nullptr;
  std::unique_ptr<DXApp::TDXApplication> App;
  DXApp::TDXApplication* SavedApp = nullptr;
  std::unique_ptr<DXWin::TDXWindowSystem> Sys;
};

// A button of a window or group with a name in its text.
inline DXWin::TDXButton* MakeButton(DXWin::TDXGroup* owner, DXWin::TDXWindow* window, const char* name,
                                    const Base::TRect& r, u32 flags = DXWin::cfTabStop) {
  auto* b = new DXWin::TDXButton(owner, window, flags);
  b->Text = name;
  b->SetBounds(r);
  return b;
}

}  // namespace WinTest
