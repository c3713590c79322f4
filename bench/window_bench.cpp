// The windows' share of every frame: the demo window of the game's look
// (list, scroll bar, buttons, check box, labels) with the cursor and a
// tooltip drawn on the software display, its update step and the routing of
// a mouse move, each beside a memcpy of one 800 x 600 16-bit frame in the
// same run.
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "bench/bench_screen.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "controls/orv_tooltip.h"
#include "tests/game/demo_window.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace {

using Bench::Width, Bench::Height;

// The framework in full screen on SDL's dummy driver, the demo data loaded
// as the game loads it, and the window system with the demo window.
struct TScene {
  // The display comes first: the data loads its pictures onto it.
  Plat::TSurface* Back = Bench::Screen().Back;
  Bench::TDemoData Data{true};
  TScene() {
    WindowSystem = new DXWin::TDXWindowSystem;
    WindowSystem->SetDefaultCursor(Data2::MainData->InterfaceSprites[Data2::isDefaultCursor]);
    WindowSystem->SetTooltip(new Main::TOrvTooltip);
    new Main::TDemoWindow(WindowSystem, *Data2::GlobalData);
    // The pointer rests on a list row: one row is hot, its tooltip shown.
    WindowSystem->HandleMessage(Plat::WM_MOUSEMOVE, 0, Plat::MakeLParam(300, 250));
    DXApplication->MouseX = 300;
    DXApplication->MouseY = 250;
    for (int i = 0; i < 60; ++i) {
      DXApplication->GameTime += 10;
      WindowSystem->Update();
    }
  }
  ~TScene() {
    delete WindowSystem;
    WindowSystem = nullptr;
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void BM_MemcpyFrame(benchmark::State& state) { Bench::MemcpyFrame(state); }
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);

void BM_DrawDemoWindow(benchmark::State& state) {
  TScene& s = Scene();
  if (!WindowSystem->Tooltip->IsVisible()) state.SkipWithError("no tooltip");
  D3DFramework->Device3D->BeginScene();
  for (auto _ : state) {
    WindowSystem->Draw(s.Back);
    benchmark::ClobberMemory();
  }
  D3DFramework->Device3D->EndScene();
}
BENCHMARK(BM_DrawDemoWindow)->Unit(benchmark::kMicrosecond);

void BM_UpdateStep(benchmark::State& state) {
  Scene();
  for (auto _ : state) {
    DXApplication->UpdateCount += 1;
    WindowSystem->Update();
  }
}
BENCHMARK(BM_UpdateStep)->Unit(benchmark::kMicrosecond);

void BM_MouseMove(benchmark::State& state) {
  Scene();
  int x = 0;
  for (auto _ : state) {
    x = (x + 7) % 400;
    WindowSystem->HandleMessage(Plat::WM_MOUSEMOVE, 0, Plat::MakeLParam(200 + x, 250));
  }
}
BENCHMARK(BM_MouseMove)->Unit(benchmark::kMicrosecond);

}  // namespace
