// The mini map's picture as every frame draws it: the scenario's thumbnail
// and the viewer's fog overlay stretched over it, with the view rectangle,
// on the generated 128 x 128 map with some of the fog revealed. Baseline in
// the same run: a blit of the same 110 x 110 area.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_screen.h"
#include "bench/generated_map.h"
#include "engine/d3dframe/d3dframe.h"
#include "game/map/small_map_window.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace {

struct TScene {
  std::unique_ptr<GameData::TScenario> Scenario;
  std::unique_ptr<Main::TSmallMapWindow> Mini;
  Plat::TSurface* Copy = nullptr;

  TScene() {
    Bench::Screen();
    Scenario = Bench::TGeneratedWorld::Map(128);
    // Player 1's groups light their part of the map.
    Scenario->UpdateFogOf(1);
    Scenario->SetViewPosition(2000, 2000);
    Mini = std::make_unique<Main::TSmallMapWindow>(nullptr);
    Mini->SetScenario(Scenario.get());
    Copy = D3DFramework->CreateOffscreenSurface(Bench::Width, Bench::Height, 0);
  }
  ~TScene() {
    Mini.reset();
    Scenario.reset();
    Copy->Release();
  }
  Base::TRect Area() const { return Mini->Picture->GetScreenRect(); }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void BM_BlitMiniMapArea(benchmark::State& state) {
  TScene& s = Scene();
  const Base::TRect r = s.Area();
  for (auto _ : state) {
    Bench::Screen().Back->Blt(&r, s.Copy, &r, Plat::bltWait, nullptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BlitMiniMapArea)->Unit(benchmark::kMicrosecond);

void BM_PaintMiniMapPicture(benchmark::State& state) {
  TScene& s = Scene();
  const Base::TRect r = s.Area();
  for (auto _ : state) {
    s.Mini->PaintPicture(Bench::Screen().Back, r);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PaintMiniMapPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
