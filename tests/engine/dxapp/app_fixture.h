// Runs the real application object on the headless platform with a fake
// clock and a fake display.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/base/errors.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/system/clock.h"
#include "engine/platform/window/headless_platform.h"

namespace AppTest {

struct TFakeDisplay : DXApp::TDisplayLink {
  DXApp::TCooperativeStatus Status = DXApp::TCooperativeStatus::Ready;
  bool Windowed = false;
  bool Lost = false;
  bool RestoreSucceeds = true;
  bool FailInitWindowed = false;
  int Releases = 0, FullscreenInits = 0, WindowedInits = 0, Locks = 0, Unlocks = 0;
  std::vector<u16> Buffer = std::vector<u16>(800 * 600);

  DXApp::TCooperativeStatus CooperativeLevelStatus() override { return Status; }
  bool SurfacesLost() override { return Lost; }
  bool RestoreAllSurfaces() override {
    if (RestoreSucceeds) Lost = false;
    return RestoreSucceeds;
  }
  void ReleaseAll() override { ++Releases; }
  void InitFullscreen(Plat::HWND, int) override {
    ++FullscreenInits;
    Windowed = false;
  }
  void InitWindowed(Plat::HWND, const Plat::TRect&) override {
    if (FailInitWindowed) throw D3DFrame::EDirectDrawError("SetCooperativeLevel failed (%s).", static_cast<HRESULT>(0x80004005));
    ++WindowedInits;
    Windowed = true;
  }
  void ChangeMode(int) override {}
  void ResizeWindowed(const Plat::TRect&) override {}
  void SetWindowOrigin(int, int) override {}
  bool IsWindowed() override { return Windowed; }
  int ModeIndex() override { return 1; }
  int ModeWidth() override { return 800; }
  int ModeHeight() override { return 600; }
  bool LockBackBuffer(void*& pixels, int& pitch, int& width, int& height) override {
    ++Locks;
    pixels = Buffer.data();
    pitch = 1600;
    width = 800;
    height = 600;
    return true;
  }
  void UnlockBackBuffer() override { ++Unlocks; }
};

// What the callbacks saw; plain function callbacks cannot carry a context.
struct TLog {
  int Updates = 0, Renders = 0, Restores = 0, Destroys = 0, Activates = 0, Deactivates = 0, Screenshots = 0;
  std::vector<std::string> Events;
  bool ThrowInRestore = false;
  bool ThrowInMessage = false;
  bool* DoneAfterUpdates = nullptr;
  int DoneAt = 0;
};

inline TLog Log;

inline void OnUpdate() {
  ++Log.Updates;
  if (Log.DoneAfterUpdates && Log.Updates >= Log.DoneAt) *Log.DoneAfterUpdates = true;
}
inline void OnRender() { ++Log.Renders; }
inline void OnRestore() {
  ++Log.Restores;
  if (Log.ThrowInRestore) throw std::runtime_error("Restore broke.");
}
inline void OnDestroy() {
  ++Log.Destroys;
  Log.Events.push_back("destroy");
}
inline void OnMessage(Plat::UINT msg, Plat::WPARAM, Plat::LPARAM) {
  if (Log.ThrowInMessage && msg == Plat::WM_KEYDOWN) throw std::runtime_error("Key broke.");
}
inline void OnActivate() { ++Log.Activates; }
inline void OnDeactivate() { ++Log.Deactivates; }
inline void OnScreenshot() { ++Log.Screenshots; }

class TAppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Log = TLog{};
    Plat::Install(std::make_unique<Plat::THeadlessPlatform>());
    Os = static_cast<Plat::THeadlessPlatform*>(&Plat::Current());
    Plat::SetClock(&Clock);
    SavedApp = DXApplication;
    App = std::make_unique<DXApp::TDXApplication>();
    DXApplication = App.get();
    App->Display = &Display;
  }
  void TearDown() override {
    DXApplication = SavedApp;
    Plat::SetClock(nullptr);
    Plat::Install(nullptr);
  }
  void Create(u32 flags = 0xA0, int ups = 100, const char* title = "Orvandia") {
    App->Create(nullptr, title, "OrvandiaWindow", flags, ups, OnDestroy, OnUpdate, OnRender, OnRestore, nullptr, nullptr,
                nullptr, OnMessage);
    App->OnActivate = OnActivate;
    App->OnDeactivate = OnDeactivate;
  }
  void StartFullscreen(u32 flags = 0xA0) {
    Create(flags);
    App->SetFullscreen(-1, 50, 50, 800, 600);
  }
  Plat::LRESULT Send(Plat::UINT msg, Plat::WPARAM w = 0, Plat::LPARAM l = 0) {
    return Os->SendMessage(App->hWnd, msg, w, l);
  }
  // Dispatches every queued message.
  void Drain() {
    Plat::TMsg m;
    while (Os->PeekMessage(m, Plat::PM_REMOVE) && m.Message != Plat::WM_QUIT) Os->DispatchMessage(m);
  }

  Plat::TFakeClock Clock{1000};
  Plat::THeadlessPlatform* Os = nullptr;
  TFakeDisplay Display;
  std::unique_ptr<DXApp::TDXApplication> App;
  DXApp::TDXApplication* SavedApp = nullptr;
};

}  // namespace AppTest
