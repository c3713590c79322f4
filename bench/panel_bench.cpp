// The group panel's share of a frame: three unit panels (backgrounds,
// portraits with effect icons, twelve gauges, names and numbers) drawn on
// the software display, beside a blit of the same 238 x 312 area in the
// same run.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_data.h"
#include "bench/bench_screen.h"
#include "ai/ai_handler.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "game/panels/group_panel.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using Bench::Width, Bench::Height;

struct TScene {
  // The display comes first: the data loads its pictures onto it.
  Plat::TSurface* Back = Bench::Screen().Back;
  Bench::TDemoData Data{true};
  Plat::TSurface* Copy = nullptr;
  std::unique_ptr<GameData::TScenario> Scenario;
  Main::TGroupInfoWindow* Panel = nullptr;

  TScene() {
    Copy = D3DFramework->CreateOffscreenSurface(Width, Height, 0);
    AIHandler::ConnectToWorld();
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
