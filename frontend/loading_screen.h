// The loading picture over the whole screen while a long job (the global
// data at start-up, loading or starting a scenario) runs on a worker; a
// failure of the job is raised again on the main thread.
#pragma once

#include <functional>
#include <memory>

#include "engine/dxwin/window.h"

class TActionThread;

namespace Main {

class TLoadingScreen : public DXWin::TDXWindow {
 public:
  using TWork = void (*)();
  using TMethod = std::function<void()>;

  explicit TLoadingScreen(DXWin::TDXWindowSystem* windowSystem);
  // Waits for a job that still runs.
  ~TLoadingScreen() override;

  // Runs the job on a worker at 10 update steps per second until it ends,
  // then 100 again; a failed job is raised here with its message. Without
  // an application window (a headless run) it simply waits for the worker.
  void Run(TWork work);
  void RunMethod(const TMethod& work);

  // Owned while a job runs, null otherwise.
  TActionThread* Worker = nullptr;

 private:
  void RunWorker();
  void DrawPicture(Plat::TSurface* surface, const Base::TRect& rect);
  void Poll(DXWin::TDXControl*);
};

// Waits for the loading screen's worker when one runs (the program is ended
// while it loads).
void WaitForLoadingWork();

}  // namespace Main

// The one loading screen, made at start-up.
extern Main::TLoadingScreen* LoadingScreen;
