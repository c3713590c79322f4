// The hostile-reach map that the computer reads before it attacks or moves:
// the generated 128 x 128 map with 100 hostile units of 20 action points in
// groups of up to three. Baseline: 100 plain cost-map fills of the same
// limit from the same fields, one per unit.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace GameData;

struct TThreatGame {
  std::string Dir;
  std::unique_ptr<TScenario> Scenario;
  std::vector<TGroup*> Hostile;

  TThreatGame() {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    AIHandler::ConnectToWorld();
    Builder::TDemoData d = Builder::BuildDemoData();
    Builder::TScenarioParams params;
    params.Groups = 0;
    d.Scenario.Add("threat.scn", Builder::GenerateScenario(params));
    d.Globals.WritePacked(Dir, "globals");
    d.Graphics.WritePacked(Dir, "graphics");
    d.Scenario.WritePacked(Dir, "scenario");
    d.Sounds.WritePacked(Dir, "sounds");
    Data::DataPath = Dir;
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    Scenario = std::make_unique<TScenario>();
    Scenario->LoadFromArchive(Data2::ScenarioArchive, "threat.scn");
    // Player 1's units, hostile to player 2, spread over the passable land.
    TScenario& s = *Scenario;
    i32 units = 0;
    for (i32 i = 0; units < 100; ++i) {
      const i32 x = 5 + (i * 37) % 118, y = 5 + (i * 53) % 118;
      if (s.Costs[s.FieldIndex(x, y)] >= 255 || s.IsFieldInCity(x, y)) continue;
      auto* g = new TGroup(&s);
      g->X = static_cast<i16>(x * 40 + 20);
      g->Y = static_cast<i16>(y * 40 + 20);
      g->OwnerIndex = 1;
      s.AddMapObject(g);
      for (i32 k = 0; k < 3 && units < 100; ++k, ++units) {
        auto* u = new TUnit;
        u->SetPrototype(&Data2::GlobalData->UnitPrototypes[0]);
        g->AddUnit(u, true, true, true);
        u->Effective.ActionPoints.Current = 20;
      }
      Hostile.push_back(g);
    }
  }
  ~TThreatGame() {
    Scenario.reset();
    Data2::FreeGlobalData();
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
  }
};

TThreatGame& Game() {
  static TThreatGame game;
  return game;
}

void BM_ComputeThreatMap(benchmark::State& state) {
  TScenario& s = *Game().Scenario;
  auto& handler = static_cast<AIHandler::TAIHandler&>(*s.PlayerAt(2)->AIHandler);
  for (auto _ : state) {
    handler.ComputeThreatMap();
    benchmark::DoNotOptimize(handler.GetThreat(64, 64));
  }
}
BENCHMARK(BM_ComputeThreatMap)->Unit(benchmark::kMillisecond);

void BM_HundredCostMapFills(benchmark::State& state) {
  TThreatGame& game = Game();
  TScenario& s = *game.Scenario;
  const TPlayer* player = s.PlayerAt(2);
  for (auto _ : state) {
    for (const TGroup* g : game.Hostile)
      for (const TUnit* u : g->Units)
        if (u) s.ComputeCostMap(g->FieldX(), g->FieldY(), 20, player);
    benchmark::DoNotOptimize(s.CostMap.data());
  }
}
BENCHMARK(BM_HundredCostMapFills)->Unit(benchmark::kMillisecond);

}  // namespace
