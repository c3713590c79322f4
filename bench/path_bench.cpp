// Path finding on a full map: every move order and every click of the map
// window runs the move-cost search and reads a path back from it; the
// computer opponent runs the cost map for each plan. Baseline: a plain
// breadth-first flood over the same field array, with no step costs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "bench/generated_map.h"
#include "world/data2/global_data.h"
#include "world/scenario/opponent.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

using namespace GameData;

class TNoOpponent : public TOpponent {
 public:
  bool AddUnit(TUnit*) override { return true; }
  bool RemoveUnit(TUnit*, bool) override { return true; }
  void TakeTurn() override {}
};

constexpr i32 Size = 128;

// A 128 by 128 map of rolling hills (slopes over both thresholds, a few
// cliffs), roads, grass, forest, swamp and water, five players and 300
// groups. A winding road walled in by rock leads from the centre: the far
// end of it lies more than 200 steps away.
struct TBenchMap {
  std::unique_ptr<Data2::TGlobalData> Global = std::make_unique<Data2::TGlobalData>(Data2::TGlobalData::TEmpty{});
  std::unique_ptr<TScenario> Scenario;
  TGroup* Mover = nullptr;
  TField Far{};

  TBenchMap() {
    Data2::GlobalData = Global.get();
    Global->SlopeThreshold1 = 4;
    Global->SlopeThreshold2 = 8;
    Global->SlopeLimit = 16;
    ConnectOpponent([](TPlayer*) -> std::unique_ptr<TOpponent> { return std::make_unique<TNoOpponent>(); });
    Scenario = std::make_unique<TScenario>();
    TScenario& s = *Scenario;
    s.SetSize(Size, Size);
    std::mt19937 rng(2024);
    for (i32 y = 0; y < Size; ++y)
      for (i32 x = 0; x < Size; ++x) {
        const i32 i = s.FieldIndex(x, y);
        const double hill = 30 + 14 * std::sin(x * 0.21) * std::cos(y * 0.17) + 9 * std::sin((x + 2 * y) * 0.11);
        s.BaseHeights[i] = static_cast<u16>(hill + rng() % 5);
        const u32 r = rng() % 100;
        s.BaseCosts[i] = static_cast<u8>(r < 10 ? 1 : r < 60 ? 2 : r < 85 ? 3 + rng() % 3 : r < 95 ? 8 + rng() % 5 : 255);
      }
    // The road: rows 64, 66, ... 72 from x 64 to 124, joined at alternate ends.
    for (i32 y = 62; y <= 74; ++y)
      for (i32 x = 62; x < Size; ++x) s.BaseCosts[s.FieldIndex(x, y)] = 255;
    auto road = [&](i32 x, i32 y) {
      s.BaseCosts[s.FieldIndex(x, y)] = 1;
      s.BaseHeights[s.FieldIndex(x, y)] = 30;
    };
    road(62, 64);
    road(63, 64);
    for (i32 row = 0; row < 5; ++row) {
      for (i32 x = 64; x <= 124; ++x) road(x, 64 + 2 * row);
      if (row < 4) road(row % 2 == 0 ? 124 : 64, 65 + 2 * row);
    }
    s.RebuildFieldMaps();

    for (i32 p = 0; p < 5; ++p) {
      auto* player = new TPlayer(&s);
      player->ID = s.NewID();
      s.Players.Add(player);
    }
    TPlayer* mover = s.PlayerAt(1);
    mover->Relations[2] = mover->Relations[3] = rHostile;
    mover->Relations[4] = rAllied;
    s.CurrentPlayerIndex = 1;

    Mover = Place(1, 62, 64);
    for (i32 placed = 1; placed < 300;) {
      i32 x = static_cast<i32>(rng() % Size), y = static_cast<i32>(rng() % Size);
      if (s.Costs[s.FieldIndex(x, y)] == 255 || s.OccupantAt(x, y) || (x >= 62 && y >= 62 && y <= 74)) continue;
      Place(static_cast<u8>(rng() % 5), x, y)->Sighted = 1;
      ++placed;
    }
    s.UpdateOccupancy();

    // The farthest road field the move costs reach.
    s.ComputeMoveCosts(62, 64, Mover);
    for (i32 y = 64; y <= 72; ++y)
      for (i32 x = 62; x <= 124; ++x) {
        u8 c = s.MoveCosts[s.FieldIndex(x, y)];
        if (s.Costs[s.FieldIndex(x, y)] == 1 && c < 255 && c > s.MoveCosts[s.FieldIndex(Far.x, Far.y)])
          Far = {static_cast<i16>(x), static_cast<i16>(y)};
      }
  }
  ~TBenchMap() {
    Scenario.reset();
    Data2::GlobalData = nullptr;
  }

  TGroup* Place(u8 owner, i32 x, i32 y) {
    auto* g = new TGroup(Scenario.get());
    g->X = static_cast<i16>(x * 40 + 20);
    g->Y = static_cast<i16>(y * 40 + 20);
    g->OwnerIndex = owner;
    Scenario->AddMapObject(g);
    return g;
  }
};

TBenchMap& Map() {
  static TBenchMap map;
  return map;
}

void BM_ComputeMoveCostsFromCentre(benchmark::State& state) {
  TBenchMap& m = Map();
  for (auto _ : state) {
    m.Scenario->ComputeMoveCosts(62, 64, m.Mover);
    benchmark::DoNotOptimize(m.Scenario->MoveCosts.data());
  }
  i32 reached = 0;
  for (u8 c : m.Scenario->MoveCosts) reached += c < 255;
  state.counters["fields"] = reached;
}
BENCHMARK(BM_ComputeMoveCostsFromCentre);

void BM_FindPath(benchmark::State& state) {
  TBenchMap& m = Map();
  m.Scenario->ComputeMoveCosts(62, 64, m.Mover);
  i32 steps = 0;
  for (auto _ : state) {
    steps = m.Scenario->FindPath(62, 64, m.Far.x, m.Far.y, m.Mover);
    benchmark::DoNotOptimize(steps);
  }
  state.counters["steps"] = steps;
  if (steps < 200) state.SkipWithError("the path is shorter than 200 steps");
}
BENCHMARK(BM_FindPath);

// What a move order costs before the group walks.
void BM_MoveCostsAndPath(benchmark::State& state) {
  TBenchMap& m = Map();
  for (auto _ : state) {
    m.Scenario->ComputeMoveCosts(62, 64, m.Mover);
    benchmark::DoNotOptimize(m.Scenario->FindPath(62, 64, m.Far.x, m.Far.y, m.Mover));
  }
}
BENCHMARK(BM_MoveCostsAndPath);

void BM_ComputeCostMap10000(benchmark::State& state) {
  TBenchMap& m = Map();
  for (auto _ : state) {
    m.Scenario->ComputeCostMap(20, 20, 10000, m.Mover->GetOwner());
    benchmark::DoNotOptimize(m.Scenario->CostMap.data());
  }
}
BENCHMARK(BM_ComputeCostMap10000);

// Baseline: every passable field of the same map flooded breadth-first
// from the same field, one unit per step, in a plain array queue.
void BM_BaselinePlainFlood(benchmark::State& state) {
  TBenchMap& m = Map();
  const TScenario& s = *m.Scenario;
  std::vector<u8> seen(s.Costs.size());
  std::vector<i32> queue(s.Costs.size());
  for (auto _ : state) {
    std::fill(seen.begin(), seen.end(), 0);
    i32 head = 0, tail = 0;
    queue[tail++] = s.FieldIndex(62, 64);
    seen[queue[0]] = 1;
    while (head < tail) {
      const i32 i = queue[head++], x = i % Size, y = i / Size;
      for (i32 d = 0; d < 8; ++d) {
        const i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
        if (nx < 0 || ny < 0 || nx >= Size || ny >= Size) continue;
        const i32 n = ny * Size + nx;
        if (seen[n] || s.Costs[n] == 255) continue;
        seen[n] = 1;
        queue[tail++] = n;
      }
    }
    benchmark::DoNotOptimize(seen.data());
  }
}
BENCHMARK(BM_BaselinePlainFlood);

// The same on the generator's 128 x 128 map (300 groups, 3000 doodles, 8
// cities, its hills and blocked fields): a group of player 1 in the middle
// of it, a path to the farthest field its move costs reach, and the plain
// flood over the same fields from the same place as the baseline.
struct TGeneratedPaths {
  std::unique_ptr<TScenario> Scenario = Bench::TGeneratedWorld::Map(128);
  TGroup* Mover = nullptr;
  TField Far{};
  TGeneratedPaths() {
    i32 best = INT32_MAX;
    for (TMapObject* o : Scenario->MapObjects)
      if (o->Type == otGroup && static_cast<TGroup*>(o)->OwnerIndex == 1) {
        const i32 d = std::abs(o->FieldX() - 64) + std::abs(o->FieldY() - 64);
        if (d < best) {
          best = d;
          Mover = static_cast<TGroup*>(o);
        }
      }
    Scenario->ComputeMoveCosts(Mover->FieldX(), Mover->FieldY(), Mover);
    u8 farthest = 0;
    for (i32 y = 0; y < Size; ++y)
      for (i32 x = 0; x < Size; ++x)
        if (u8 c = Scenario->MoveCosts[Scenario->FieldIndex(x, y)]; c < 255 && c > farthest && !Scenario->OccupantAt(x, y)) {
          farthest = c;
          Far = {static_cast<i16>(x), static_cast<i16>(y)};
        }
  }
};

TGeneratedPaths& Generated() {
  static TGeneratedPaths paths;
  Bench::TGeneratedWorld::Get();
  return paths;
}

void BM_GeneratedMoveCostsAndPath(benchmark::State& state) {
  TGeneratedPaths& g = Generated();
  TScenario& s = *g.Scenario;
  i32 steps = 0;
  for (auto _ : state) {
    s.ComputeMoveCosts(g.Mover->FieldX(), g.Mover->FieldY(), g.Mover);
    steps = s.FindPath(g.Mover->FieldX(), g.Mover->FieldY(), g.Far.x, g.Far.y, g.Mover);
    benchmark::DoNotOptimize(steps);
  }
  state.counters["steps"] = steps;
}
BENCHMARK(BM_GeneratedMoveCostsAndPath);

void BM_GeneratedBaselinePlainFlood(benchmark::State& state) {
  TGeneratedPaths& g = Generated();
  const TScenario& s = *g.Scenario;
  std::vector<u8> seen(s.Costs.size());
  std::vector<i32> queue(s.Costs.size());
  for (auto _ : state) {
    std::fill(seen.begin(), seen.end(), 0);
    i32 head = 0, tail = 0;
    queue[tail++] = s.FieldIndex(g.Mover->FieldX(), g.Mover->FieldY());
    seen[queue[0]] = 1;
    while (head < tail) {
      const i32 i = queue[head++], x = i % Size, y = i / Size;
      for (i32 d = 0; d < 8; ++d) {
        const i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
        if (nx < 0 || ny < 0 || nx >= Size || ny >= Size) continue;
        const i32 n = ny * Size + nx;
        if (seen[n] || s.Costs[n] == 255) continue;
        seen[n] = 1;
        queue[tail++] = n;
      }
    }
    benchmark::DoNotOptimize(seen.data());
  }
}
BENCHMARK(BM_GeneratedBaselinePlainFlood);

}  // namespace
