// A player's fog recomputed on a full map: 128 x 128 fields of rolling
// terrain, 200 groups giving sight (as a walking group's owner gets after
// every step). Baselines in the same run: one plain pass over the same
// field array (the dimming alone), and marking every group's square of
// fields without the reach and angle rules.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "ai/ai_handler.h"
#include "bench/generated_map.h"
#include "world/data2/global_data.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

constexpr int MapSize = 128;
constexpr int GroupCount = 200;

struct TFullMap {
  std::unique_ptr<Data2::TGlobalData> Global = std::make_unique<Data2::TGlobalData>(Data2::TGlobalData::TEmpty{});
  std::unique_ptr<GameData::TScenario> Scenario = std::make_unique<GameData::TScenario>();

  TFullMap() {
    // The demo rules' sight values.
    Global->SightAngleTolerance = 4;
    Global->SightEyeHeight = 2;
    Global->SightDistanceScale = 10;
    Data2::GlobalData = Global.get();
    AIHandler::ConnectToWorld();
    Scenario->SetSize(MapSize, MapSize);
    for (int y = 0; y < MapSize; ++y)
      for (int x = 0; x < MapSize; ++x)
        Scenario->BaseHeights[y * MapSize + x] =
            static_cast<u16>(600 + 300 * std::sin(x * 0.21) + 250 * std::cos(y * 0.17) + 80 * std::sin((x + y) * 0.9));
    Scenario->RebuildFieldMaps();
    for (int i = 0; i < 3; ++i) {
      auto* p = new GameData::TPlayer(Scenario.get());
      p->ID = Scenario->NewID();
      Scenario->Players.Add(p);
    }
    std::mt19937 rng(11);
    for (int i = 0; i < GroupCount; ++i) {
      auto* g = new GameData::TGroup(Scenario.get());
      g->X = static_cast<i16>((rng() % MapSize) * 40 + 20);
      g->Y = static_cast<i16>((rng() % MapSize) * 40 + 20);
      g->OwnerIndex = 0;
      Scenario->AddMapObject(g);
      auto* unit = new GameData::TUnit;
      unit->Effective.Sight.Current = static_cast<i16>(2 + rng() % 5);
      g->AddUnit(unit, true, false, true);
    }
  }
  ~TFullMap() {
    Scenario.reset();
    Data2::GlobalData = nullptr;
  }
};

TFullMap& Map() {
  static TFullMap map;
  return map;
}

void BM_FogUpdate(benchmark::State& state) {
  GameData::TScenario& s = *Map().Scenario;
  for (auto _ : state) {
    s.UpdateFogOf(0);
    benchmark::DoNotOptimize(s.PlayerAt(0)->Fog->States.data());
  }
  state.SetItemsProcessed(state.iterations() * GroupCount);
}

void BM_FieldArrayPass(benchmark::State& state) {
  std::vector<u8>& states = Map().Scenario->PlayerAt(0)->Fog->States;
  for (auto _ : state) {
    for (u8& v : states)
      if (v == GameData::fsVisible) v = GameData::fsExplored;
    benchmark::DoNotOptimize(states.data());
  }
}

void BM_MarkSightSquares(benchmark::State& state) {
  GameData::TScenario& s = *Map().Scenario;
  std::vector<u8>& states = s.PlayerAt(0)->Fog->States;
  for (auto _ : state) {
    for (const GameData::TMapObject* o : s.MapObjects) {
      const auto* g = static_cast<const GameData::TGroup*>(o);
      const int r = g->GetSight(), gx = g->FieldX(), gy = g->FieldY();
      for (int y = std::max(gy - r, 0); y <= std::min(gy + r, MapSize - 1); ++y)
        for (int x = std::max(gx - r, 0); x <= std::min(gx + r, MapSize - 1); ++x)
          states[y * MapSize + x] = GameData::fsVisible;
    }
    benchmark::DoNotOptimize(states.data());
  }
  state.SetItemsProcessed(state.iterations() * GroupCount);
}

BENCHMARK(BM_FieldArrayPass);
BENCHMARK(BM_MarkSightSquares);
BENCHMARK(BM_FogUpdate);

// Player 1's fog on the generator's 128 x 128 map, with its hills, doodles
// and the player's own groups; the baseline is the plain pass over the same
// fog array.
GameData::TScenario& Generated() {
  static std::unique_ptr<GameData::TScenario> map = Bench::TGeneratedWorld::Map(128);
  Bench::TGeneratedWorld::Get();
  return *map;
}

void BM_GeneratedFogUpdate(benchmark::State& state) {
  GameData::TScenario& s = Generated();
  for (auto _ : state) {
    s.UpdateFogOf(1);
    benchmark::DoNotOptimize(s.PlayerAt(1)->Fog->States.data());
  }
}

void BM_GeneratedFieldArrayPass(benchmark::State& state) {
  std::vector<u8>& states = Generated().PlayerAt(1)->Fog->States;
  for (auto _ : state) {
    for (u8& v : states)
      if (v == GameData::fsVisible) v = GameData::fsExplored;
    benchmark::DoNotOptimize(states.data());
  }
}

BENCHMARK(BM_GeneratedFieldArrayPass);
BENCHMARK(BM_GeneratedFogUpdate);

}  // namespace
