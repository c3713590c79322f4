// The computer's turn: planning on the generated 128 x 128 map with five
// players and 100 groups, every computer group marching on the middle, the
// records executed by the game's dispatcher in the headless game (no
// drawing). Per computer turn, with the cost maps kept between records and,
// for comparison, filled afresh for every query: the planning time (the
// turn without the waits for the posted records), records, fills and
// queries, and the threat maps computed with the time of each (their fills
// counted among the fills). The stress round gives the computer groups
// attacks and city tasks instead. Baseline in the same run: one full
// cost-map fill on the same map.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace {

using namespace GameData;

struct TTurnGame {
  std::string Dir;
  std::unique_ptr<Main::THeadlessGame> Headless;
  explicit TTurnGame(bool campaigns) {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::TDemoData d = Builder::BuildDemoData();
    Builder::TScenarioParams params;
    params.Players = 5;
    params.Groups = 100;
    params.Marches = !campaigns;
    params.Campaigns = campaigns;
    d.Scenario.Add("turns.scn", Builder::GenerateScenario(params));
    d.Globals.WritePacked(Dir, "globals");
    d.Graphics.WritePacked(Dir, "graphics");
    d.Scenario.WritePacked(Dir, "scenario");
    d.Sounds.WritePacked(Dir, "sounds");
    Data::DataPath = Dir;
    Headless = std::make_unique<Main::THeadlessGame>(1);
    Headless->StartScenario("turns.scn");
  }
  ~TTurnGame() {
    Headless.reset();
    std::filesystem::remove_all(Dir);
  }
};

// One game at a time: the game's globals hold one scenario.
std::unique_ptr<TTurnGame> Current;
bool CurrentCampaigns = false;

TTurnGame& Turns(bool campaigns = false) {
  if (!Current || CurrentCampaigns != campaigns) {
    Current.reset();
    Current = std::make_unique<TTurnGame>(campaigns);
    CurrentCampaigns = campaigns;
  }
  return *Current;
}

AIHandler::TAIHandler& HandlerOf(i32 player) {
  return static_cast<AIHandler::TAIHandler&>(*Game->Scenario->PlayerAt(player)->AIHandler);
}

void RunRounds(benchmark::State& state, bool caching, bool campaigns = false) {
  TTurnGame& g = Turns(campaigns);
  TScenario& s = *Game->Scenario;
  i32 computers = 0;
  for (i32 i = 0; i < s.PlayerCount(); ++i)
    if (s.PlayerAt(i)->Kind == pkComputer) {
      ++computers;
      HandlerOf(i).CostMap.Caching = caching;
    }
  u64 fills = 0, queries = 0, turns = 0, records = 0, threats = 0;
  i64 waited = 0, wall = 0, filling = 0, threatening = 0;
  TActionRecord end;
  end.Words[0] = atEndTurn;
  auto sum = [&](i32 sign) {
    for (i32 i = 0; i < s.PlayerCount(); ++i)
      if (s.PlayerAt(i)->Kind == pkComputer) {
        const AIHandler::TAIHandler& h = HandlerOf(i);
        fills += sign * h.CostMap.Fills;
        queries += sign * h.CostMap.Queries;
        records += sign * h.PostedRecords;
        waited += sign * h.WaitedNanoseconds;
        filling += sign * h.CostMap.FillNanoseconds;
        threats += sign * h.ThreatMapComputations;
        threatening += sign * h.ThreatMapNanoseconds;
      }
  };
  for (auto _ : state) {
    sum(-1);
    const auto start = std::chrono::steady_clock::now();
    g.Headless->Act(end);
    g.Headless->Settle();
    wall += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    sum(1);
    turns += static_cast<u64>(computers);
  }
  const double n = static_cast<double>(turns);
  state.counters["computer_turns_per_round"] = computers;
  // The whole round less the waits, shared out: main-thread work between
  // the turns counts as planning here.
  state.counters["planning_ms_per_turn"] = static_cast<double>(wall - waited) / 1e6 / n;
  state.counters["records_per_turn"] = static_cast<double>(records) / n;
  state.counters["fills_per_turn"] = static_cast<double>(fills) / n;
  state.counters["queries_per_turn"] = static_cast<double>(queries) / n;
  state.counters["fill_ms_each"] = fills ? static_cast<double>(filling) / 1e6 / static_cast<double>(fills) : 0;
  state.counters["threat_maps_per_turn"] = static_cast<double>(threats) / n;
  // A threat map's own fills are counted among the fills as well.
  state.counters["threat_map_ms_each"] = threats ? static_cast<double>(threatening) / 1e6 / static_cast<double>(threats) : 0;
  state.counters["tasks_player2"] = HandlerOf(2).Tasks.Count();
}

// A round: the human ends the turn, every computer player takes its turn.
void BM_ComputerRound(benchmark::State& state) { RunRounds(state, true); }
BENCHMARK(BM_ComputerRound)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_ComputerRoundFreshFills(benchmark::State& state) { RunRounds(state, false); }
BENCHMARK(BM_ComputerRoundFreshFills)->Unit(benchmark::kMillisecond)->Iterations(4);

// The stress turn: the same map, its computer groups attacking the human's
// groups, going into cities and marching, sorceresses among them.
void BM_StressComputerRound(benchmark::State& state) { RunRounds(state, true, true); }
BENCHMARK(BM_StressComputerRound)->Unit(benchmark::kMillisecond)->Iterations(4);

// The baseline: one full fill of the computer's cost map on the same map.
void BM_OneCostMapFill(benchmark::State& state) {
  Turns();
  AIHandler::TAICostMap map;
  map.Caching = false;
  const TScenario& s = *Game->Scenario;
  i32 k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(map.Fill(s, 10 + k % 100, 20 + k % 90, AIHandler::PathCostLimit).data());
    ++k;
  }
}
BENCHMARK(BM_OneCostMapFill)->Unit(benchmark::kMillisecond);

}  // namespace
