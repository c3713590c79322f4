// SETPROPERTYTOALL over 2,000 registered units in groups of three players,
// against plain loops over the same units in the same run: one doing the
// same steps (owner and kind tests, the write, the recalculation and the
// level test), one only writing the field.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "script/conversation_commands.h"
#include "world/data2/global_data.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

using namespace GameData;

constexpr int UnitCount = 2000;

struct TUnitWorld {
  std::unique_ptr<Data2::TGlobalData> Global = std::make_unique<Data2::TGlobalData>(Data2::TGlobalData::TEmpty{});
  std::unique_ptr<TScenario> Scenario = std::make_unique<TScenario>();
  TConversation Talk;

  TUnitWorld() {
    Data2::GlobalData = Global.get();
    AIHandler::ConnectToWorld();
    Scenario->SetSize(64, 64);
    for (int i = 0; i < 3; ++i) {
      auto* p = new TPlayer(Scenario.get());
      p->ID = Scenario->NewID();
      Scenario->Players.Add(p);
    }
    for (int made = 0, g = 0; made < UnitCount; ++g) {
      auto* group = new TGroup(Scenario.get());
      group->X = static_cast<i16>((g % 64) * 40 + 20);
      group->Y = static_cast<i16>((g / 64) * 40 + 20);
      group->OwnerIndex = static_cast<u8>(g % 3);
      Scenario->AddMapObject(group);
      for (int k = 0; k < MaxGroupUnits && made < UnitCount; ++k, ++made) {
        auto* unit = new TUnit;
        unit->Kind = 1 << (made % 3);
        unit->Base.Level = 1;
        unit->Base.HitPoints = {40, 40, 5, 1};
        unit->Base.Morale = 50;
        group->AddUnit(unit, true, false, true);
      }
    }
    Talk.ID = 1;
    Talk.SetScenario(Scenario.get());
  }
  ~TUnitWorld() {
    Scenario.reset();
    Data2::GlobalData = nullptr;
  }
};

TUnitWorld& World() {
  static TUnitWorld world;
  return world;
}

// Players 1 and 2, humans and undead (kinds 1 and 4): about 4 units in 9.
void BM_SetPropertyToAll(benchmark::State& state) {
  TUnitWorld& w = World();
  for (auto _ : state) {
    Script::TConversationCommands commands(w.Talk);
    std::string out;
    benchmark::DoNotOptimize(commands.ExecuteCommand("<SETPROPERTYTOALL(6,5,MORALE,60)>", out));
  }
  state.SetItemsProcessed(state.iterations() * UnitCount);
}
BENCHMARK(BM_SetPropertyToAll)->Unit(benchmark::kMicrosecond);

void BM_SameStepsPlainLoop(benchmark::State& state) {
  TUnitWorld& w = World();
  for (auto _ : state)
    for (TUnit* unit : w.Scenario->Units.Items) {
      const int owner = w.Scenario->IndexOfPlayer(unit->GetOwner());
      if (owner < 0 || !(6 >> owner & 1) || (unit->Kind & 5) != unit->Kind) continue;
      unit->Base.Morale = 60;
      unit->RecalcEffective(true);
      unit->LevelUp();
    }
  state.SetItemsProcessed(state.iterations() * UnitCount);
}
BENCHMARK(BM_SameStepsPlainLoop)->Unit(benchmark::kMicrosecond);

void BM_FieldWritePlainLoop(benchmark::State& state) {
  TUnitWorld& w = World();
  for (auto _ : state) {
    for (TUnit* unit : w.Scenario->Units.Items) unit->Base.Morale = 60;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * UnitCount);
}
BENCHMARK(BM_FieldWritePlainLoop)->Unit(benchmark::kMicrosecond);

}  // namespace
