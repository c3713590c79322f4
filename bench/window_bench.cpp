// The windows' share of every frame: the demo window of the game's look
// (list, scroll bar, buttons, check box, labels) with the cursor and a
// tooltip drawn on the software display, its update step and the routing of
// a mouse move, each beside a memcpy of one 800 x 600 16-bit frame in the
// same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/d3dframe/d3dframe.h"
#include "engine/data/archive.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/screen.h"
#include "engine/platform/window/platform.h"
#include "engine/platform/window/sdl_platform.h"
#include "controls/orv_tooltip.h"
#include "tests/game/demo_window.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace {

constexpr int Width = 800, Height = 600;

// The framework in full screen on SDL's dummy driver, the demo data loaded
// as the game loads it, and the window system with the demo window.
struct TScene {
  std::string Dir;
  Plat::TSurface* Back = nullptr;
  TScene() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    Plat::Install(std::make_unique<Plat::TSdlPlatform>());
    Plat::TWndClass wc;
    wc.WndProc = [](Plat::HWND h, Plat::UINT m, Plat::WPARAM w, Plat::LPARAM l) {
      return Plat::Current().DefWindowProc(h, m, w, l);
    };
    wc.ClassName = "Bench";
    Plat::Current().RegisterClass(wc);
    Plat::HWND window = Plat::Current().CreateWindow("Bench", "Bench", Plat::WS_POPUP, 0, 0, 0, Width, Height);
    Plat::Current().ShowWindow(window, Plat::SW_SHOWNORMAL);
    D3DFramework = new D3DFrame::TD3DFramework(window, "Bench", 3, Width, Height, 16, nullptr);
    D3DFramework->InitializeFullscreen(-1, -1, -1);
    Gfx::Startup();
    Back = D3DFramework->BackBuffer;
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(Dir, Builder::TArchiveForm::Packed);
    Data::DataPath = Dir;
    Data2::CreateArchives();
    Data2::CreateMainData();
    Data2::CreateGlobalData();
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
    Data2::FreeGlobalData();
    Data2::FreeMainData();
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void BM_MemcpyFrame(benchmark::State& state) {
  std::vector<u8> from(Width * Height * 2, 1), to(Width * Height * 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
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
