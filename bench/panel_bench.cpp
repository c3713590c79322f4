// The group panel's share of a frame: three unit panels (backgrounds,
// portraits with effect icons, twelve gauges, names and numbers) drawn on
// the software display, beside a blit of the same 238 x 312 area in the
// same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/data/archive.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/screen.h"
#include "engine/platform/window/platform.h"
#include "engine/platform/window/sdl_platform.h"
#include "game/panels/group_panel.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

constexpr int Width = 800, Height = 600;

struct TScene {
  std::string Dir;
  Plat::TSurface* Back = nullptr;
  Plat::TSurface* Copy = nullptr;
  std::unique_ptr<GameData::TScenario> Scenario;
  Main::TGroupInfoWindow* Panel = nullptr;

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
    Copy = D3DFramework->CreateOffscreenSurface(Width, Height, 0);
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(Dir, Builder::TArchiveForm::Packed);
    Data::DataPath = Dir;
    AIHandler::ConnectToWorld();
    Data2::CreateArchives();
    Data2::CreateMainData();
    Data2::CreateGlobalData();
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->LoadFromArchive(Data2::ScenarioArchive, "demo2.scn");
    WindowSystem = new DXWin::TDXWindowSystem;
    Panel = new Main::TGroupInfoWindow(WindowSystem);
    Panel->SetPosition(Width - Main::TGroupInfoWindow::Width, Main::TGroupInfoWindow::WindowTop);
    Panel->Show();
    // Three units of the mission, each under two spells.
    i32 slot = 0;
    for (GameData::TMapObject* o : Scenario->MapObjects) {
      if (o->Type != GameData::otGroup) continue;
      for (GameData::TUnit* u : static_cast<GameData::TGroup*>(o)->Units)
        if (u && slot < 3) {
          for (i32 id : {1, 13}) {
            auto* e = new GameData::TAfterEffect{};
            e->EffectID = id;
            e->TurnsLeft = 3;
            u->AddAfterEffect(e);
          }
          Panel->Panels[slot]->SetUnit(u);
          Panel->Panels[slot]->SetPosition(0, Main::TGroupInfoWindow::SlotPitch * slot);
          ++slot;
        }
    }
  }
  ~TScene() {
    delete WindowSystem;
    WindowSystem = nullptr;
    Scenario.reset();
    Copy->Release();
    Data2::FreeGlobalData();
    Data2::FreeMainData();
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
  }
  Base::TRect Area() const { return Panel->GetScreenRect(); }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void BM_BlitPanelArea(benchmark::State& state) {
  TScene& s = Scene();
  const Base::TRect r = s.Area();
  for (auto _ : state) {
    s.Back->Blt(&r, s.Copy, &r, Plat::bltWait, nullptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BlitPanelArea)->Unit(benchmark::kMicrosecond);

void BM_DrawGroupPanel(benchmark::State& state) {
  TScene& s = Scene();
  D3DFramework->Device3D->BeginScene();
  for (auto _ : state) {
    DXApplication->GameTime += 10;
    s.Panel->DrawControl(s.Back);
    benchmark::ClobberMemory();
  }
  D3DFramework->Device3D->EndScene();
}
BENCHMARK(BM_DrawGroupPanel)->Unit(benchmark::kMicrosecond);

}  // namespace
