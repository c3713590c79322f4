// Loading a scenario is what "Neues Spiel" and every loaded game wait for:
// the demo mission and a full 128 x 128 map with a few thousand objects,
// each beside the plain read of the same bytes through the same stream.
// The update step runs 100 times a second on the full map.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

// The demo data set with "large.scn" beside the demo missions, loaded as
// the game loads it.
struct TDemoGame {
  std::string Dir;
  TDemoGame() {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    AIHandler::ConnectToWorld();
    Builder::TDemoData d = Builder::BuildDemoData();
    d.Scenario.Add("large.scn", Builder::GenerateScenario({}));
    d.Globals.WritePacked(Dir, "globals");
    d.Graphics.WritePacked(Dir, "graphics");
    d.Scenario.WritePacked(Dir, "scenario");
    d.Sounds.WritePacked(Dir, "sounds");
    Data::DataPath = Dir;
    Data2::CreateArchives();
    Data2::CreateGlobalData();
  }
  ~TDemoGame() {
    Data2::FreeGlobalData();
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
  }
};

TDemoGame& Game() {
  static TDemoGame game;
  return game;
}

const char* FileOf(const benchmark::State& state) { return state.range(0) ? "large.scn" : "demo1.scn"; }

void BM_LoadScenario(benchmark::State& state) {
  Game();
  for (auto _ : state) {
    GameData::TScenario scenario;
    scenario.LoadFromArchive(Data2::ScenarioArchive, FileOf(state));
    benchmark::DoNotOptimize(scenario.MapObjects.Count());
  }
}
BENCHMARK(BM_LoadScenario)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The baseline: the same file read whole through the archive's stream.
void BM_ReadScenarioBytes(benchmark::State& state) {
  Game();
  std::string bytes;
  for (auto _ : state) {
    std::unique_ptr<Data::TStream> file(Data2::ScenarioArchive->OpenFile(FileOf(state)));
    bytes.resize(static_cast<std::size_t>(file->GetSize()));
    file->ReadBuffer(bytes.data(), static_cast<i32>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<i64>(bytes.size()));
}
BENCHMARK(BM_ReadScenarioBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The step as the game runs it: player 1 is the current and the viewing
// player, so the groups keep the captions the pointer shows.
void BM_TickLargeInRain(benchmark::State& state) {
  Game();
  GameData::TScenario scenario;
  scenario.LoadFromArchive(Data2::ScenarioArchive, "large.scn");
  scenario.SetWeather(GameData::wsRain);
  if (state.range(0)) {
    scenario.CurrentPlayerIndex = 1;
    scenario.ViewingPlayer = scenario.PlayerAt(1);
    scenario.UpdateOccupancy();
  }
  for (int i = 0; i < 1200; ++i) scenario.Tick();
  for (auto _ : state) scenario.Tick();
}
// Baseline (0): the same step with nobody viewing, which leaves the captions out.
BENCHMARK(BM_TickLargeInRain)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// What every step added before captions were kept: each group's caption
// composed afresh.
void BM_ComposeEveryCaption(benchmark::State& state) {
  Game();
  GameData::TScenario scenario;
  scenario.LoadFromArchive(Data2::ScenarioArchive, "large.scn");
  const GameData::TPlayer* viewer = scenario.PlayerAt(1);
  std::string caption;
  for (auto _ : state)
    for (const GameData::TMapObject* o : scenario.MapObjects)
      if (o->Type == GameData::otGroup) {
        static_cast<const GameData::TGroup*>(o)->ComposeCaption(viewer, caption);
        benchmark::DoNotOptimize(caption.data());
      }
}
BENCHMARK(BM_ComposeEveryCaption)->Unit(benchmark::kMicrosecond);

}  // namespace
