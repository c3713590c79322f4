// A conversation's new unit takes the nearest field it may stand on, searched
// ring by ring; on a crowded 128 x 128 map whose centre is full out to ring
// 40 the command must stay well under 5 ms. The baseline walks the same
// rings with a plain test of cost and occupancy per field.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "bench/generated_map.h"
#include "script/conversation_commands.h"
#include "world/scenario/conversation.h"
#include "world/scenario/random.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

constexpr i32 Centre = 64, FullRadius = 40;
constexpr u32 Spearman = 5;

struct TCrowdedMap {
  std::unique_ptr<GameData::TScenario> Scenario;
  GameData::TConversation Talk;
  i32 Rings = 0;

  TCrowdedMap() {
    Bench::TGeneratedWorld::Get();
    Builder::TScenarioParams p;
    p.Groups = 12000;
    Data::TMemoryStream bytes(Builder::GenerateScenario(p));
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->Load(bytes);
    Scenario->CurrentPlayerIndex = 1;
    Scenario->UpdateOccupancy();
    GameData::TScenario& s = *Scenario;
    // Player 0 owns nothing here: it joins no group and needs a free field.
    for (i32 y = Centre - FullRadius; y <= Centre + FullRadius; ++y)
      for (i32 x = Centre - FullRadius; x <= Centre + FullRadius; ++x) {
        auto unit = std::make_unique<GameData::TUnit>();
        unit->SetPrototype(GameData::FindUnitPrototype(Spearman));
        if (!s.CanPlaceUnitAt(unit.get(), 0, x, y, true)) continue;
        s.PlaceUnit(unit.get(), x * GameData::FieldSize + 20, y * GameData::FieldSize + 20, 1, true, false, true);
        unit.release();
      }
    Talk.ID = 1;
    Talk.SetScenario(Scenario.get());
    Place();
  }

  // Places the unit through the command and takes it away again: the ring it
  // was found on.
  i32 Place() {
    Script::TConversationCommands(Talk).ProcessText(Page);
    GameData::TUnit* unit = Scenario->FindUnit(static_cast<u32>(Talk.Locals[0]));
    const GameData::TGroup* group = unit->GetGroup();
    Rings = std::max(std::abs(group->FieldX() - Centre), std::abs(group->FieldY() - Centre));
    Scenario->DetachUnit(unit, true, false);
    return Rings;
  }

  const std::string Page =
      "<PLACEUNITOFPROTOTYPE(0,5,1," + std::to_string(Centre) + "," + std::to_string(Centre) + ")>";
};

TCrowdedMap& Map() {
  static TCrowdedMap map;
  Bench::TGeneratedWorld::Get();
  return map;
}

void BM_PlaceUnitOfPrototypeCrowded(benchmark::State& state) {
  TCrowdedMap& map = Map();
  GameData::TScenario& s = *map.Scenario;
  for (auto _ : state) {
    Script::TConversationCommands(map.Talk).ProcessText(map.Page);
    state.PauseTiming();
    s.DetachUnit(s.FindUnit(static_cast<u32>(map.Talk.Locals[0])), true, false);
    state.ResumeTiming();
  }
  state.counters["ring"] = map.Rings;
}
BENCHMARK(BM_PlaceUnitOfPrototypeCrowded)->Unit(benchmark::kMicrosecond);

// The same rings, each field tested for cost and occupancy alone.
void BM_PlainLoopOverTheSameRings(benchmark::State& state) {
  TCrowdedMap& map = Map();
  const GameData::TScenario& s = *map.Scenario;
  const i32 rings = map.Rings;
  for (auto _ : state) {
    i32 free = 0;
    for (i32 r = 0; r <= rings; ++r)
      for (i32 y = Centre - r; y <= Centre + r; ++y) {
        const bool edgeRow = y == Centre - r || y == Centre + r;
        for (i32 x = Centre - r; x <= Centre + r; x += edgeRow ? 1 : std::max(1, 2 * r)) {
          if (!s.IsFieldOnMap(x, y)) continue;
          const i32 i = s.FieldIndex(x, y);
          free += s.Costs[i] < 255 && !s.Occupancy[i];
        }
      }
    benchmark::DoNotOptimize(free);
  }
}
BENCHMARK(BM_PlainLoopOverTheSameRings)->Unit(benchmark::kMicrosecond);

}  // namespace
