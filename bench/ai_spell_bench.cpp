// The computer's choice of a damaging spell: FindBestSpellBySimulation over
// its sixteen candidates, three casters of every map spell against a group
// of three, with the demo's spells and the real spell module. Baseline: the
// copies alone, the same 48 pairs of both groups built and thrown away.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "combat/map_spell_effects.h"
#include "engine/data/archive.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace GameData;

constexpr i32 Candidates[] = {10, 43, 24, 42, 41, 17, 57, 40, 53, 20, 5, 48, 60, 31, 29, 14};
constexpr i32 CandidateCount = 16;

struct TDuel {
  std::string Dir;
  std::unique_ptr<TScenario> Scenario;
  TGroup* Caster = nullptr;
  TGroup* Target = nullptr;

  TDuel() {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    AIHandler::ConnectToWorld();
    Builder::TDemoData d = Builder::BuildDemoData();
    d.Globals.WritePacked(Dir, "globals");
    d.Graphics.WritePacked(Dir, "graphics");
    d.Scenario.WritePacked(Dir, "scenario");
    d.Sounds.WritePacked(Dir, "sounds");
    Data::DataPath = Dir;
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    ConnectSpellModule();
    Scenario = std::make_unique<TScenario>();
    TScenario& s = *Scenario;
    s.SetSize(32, 32);
    std::fill(s.BaseCosts.begin(), s.BaseCosts.end(), 2);
    s.RebuildFieldMaps();
    for (i32 i = 0; i < 3; ++i) s.Players.Add(new TPlayer(&s));
    s.Players[1]->Relations[2] = s.Players[2]->Relations[1] = rHostile;
    Caster = Group(2, 10, 10);
    Target = Group(1, 12, 10);
    for (TUnit* u : Caster->Units) {
      u->Effective.KnownSpells = u->Effective.AllowedSpells = ~u64{0};
      u->Effective.Mana.Current = 500;
      u->Effective.ActionPoints.Current = 50;
      u->Effective.Level = 8;
    }
    Target->Sighted = 1;
    s.CurrentPlayerIndex = 2;
    s.UpdateOccupancy();
    s.Players[2]->Select(Caster);
  }
  TGroup* Group(u8 owner, i32 fx, i32 fy) {
    auto* g = new TGroup(Scenario.get());
    g->X = static_cast<i16>(fx * 40 + 20);
    g->Y = static_cast<i16>(fy * 40 + 20);
    g->OwnerIndex = owner;
    Scenario->AddMapObject(g);
    for (i32 k = 0; k < MaxGroupUnits; ++k) {
      auto* u = new TUnit;
      u->SetPrototype(FindUnitPrototype(2));
      g->AddUnit(u, true, true, true);
    }
    return g;
  }
  ~TDuel() {
    Scenario.reset();
    Data2::FreeGlobalData();
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
  }
};

TDuel& Duel() {
  static TDuel duel;
  return duel;
}

void BM_FindBestSpellBySimulation(benchmark::State& state) {
  TDuel& d = Duel();
  auto& handler = static_cast<AIHandler::TAIHandler&>(*d.Scenario->PlayerAt(2)->AIHandler);
  i32 slot = -1, index = -1, best = 0;
  for (auto _ : state) {
    best = handler.FindBestSpellBySimulation(d.Caster, d.Target, slot, index, CandidateCount, Candidates);
    benchmark::DoNotOptimize(best);
  }
  state.counters["damage"] = best;
  state.counters["spell"] = index >= 0 ? Candidates[index] : 0;
}
BENCHMARK(BM_FindBestSpellBySimulation)->Unit(benchmark::kMicrosecond);

void BM_CopyBothGroups48Times(benchmark::State& state) {
  TDuel& d = Duel();
  for (auto _ : state) {
    for (i32 k = 0; k < MaxGroupUnits * CandidateCount; ++k)
      for (const TGroup* source : {d.Caster, d.Target}) {
        TGroup copy(source->Scenario);
        std::unique_ptr<TUnit> units[MaxGroupUnits];
        for (i32 i = 0; i < MaxGroupUnits; ++i) {
          units[i] = std::make_unique<TUnit>();
          units[i]->Assign(source->Units[i]);
          copy.Units[i] = units[i].get();
        }
        benchmark::DoNotOptimize(copy.GetTotalHitPoints());
        copy.ClearSlots();
      }
  }
}
BENCHMARK(BM_CopyBothGroups48Times)->Unit(benchmark::kMicrosecond);

}  // namespace
