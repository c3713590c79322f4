// One frame of the battle screen as it plays a round: the background, the
// owners' portraits, the status line, order lines, five units, a salvo of
// twenty projectiles in flight and rising damage numbers, drawn on the
// display framework. Baseline in the same run: a memcpy of one frame.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_screen.h"
#include "combat/spell.h"
#include "engine/data/archive.h"
#include "engine/dxapp/dxapp.h"
#include "game/battle/fight_dialog.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

struct TBattleScene {
  std::string Dir;
  std::unique_ptr<Main::THeadlessGame> Headless;
  Main::TFightDialog* F = nullptr;

  TBattleScene() {
    Bench::Screen();
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(Dir, Builder::TArchiveForm::Packed);
    Data::DataPath = Dir;
    Headless = std::make_unique<Main::THeadlessGame>(1);
    Headless->StartMission(1);
    GameData::TScenario& s = *Game->Scenario;
    GameData::TGroup* groups[2] = {};
    for (GameData::TMapObject* o : s.MapObjects)
      if (o->Type == GameData::otGroup) {
        auto* g = static_cast<GameData::TGroup*>(o);
        if (g->OwnerIndex >= 1 && g->OwnerIndex <= 2 && !groups[g->OwnerIndex - 1]) groups[g->OwnerIndex - 1] = g;
      }
    F = Game->FightDialog.get();
    F->StartBattle(groups[0], groups[1]);
    F->State = 4;
    F->StatusText = "Der Kampf beginnt...";
    F->Fight.SetAttackAction(0, 3);
    F->Fight.SetAttackAction(3, 0);
    F->Fight.SetAttackAction(4, 1);
    const GameData::TSpellPrototype* salvo = GameData::FindSpellRecord(95);
    auto* spell = new GameData::TSpell();
    spell->Scenario = &s;
    spell->Init(salvo, 0);
    spell->Start(F->Units[1].X, F->Units[1].Y, F->Units[4].X, F->Units[4].Y);
    for (u32 i = 0; i < spell->CastLength + spell->FlightLength / 2; ++i) spell->Tick();
    F->CurrentSpell = spell;
    for (i32 c = 0; c < GameData::CombatantCount; ++c)
      if (GameData::TUnit* u = F->Fight.UnitOf(c)) u->AddWound(7 + c);
  }
  ~TBattleScene() {
    if (F && F->Fight.Attacker) F->End();
    Headless.reset();
    std::filesystem::remove_all(Dir);
  }
};

TBattleScene& Scene() {
  static TBattleScene scene;
  return scene;
}

void BM_MemcpyFrame(benchmark::State& state) { Bench::MemcpyFrame(state); }
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);

void BM_BattleScreenFrame(benchmark::State& state) {
  TBattleScene& s = Scene();
  Plat::TSurface* back = Bench::Screen().Back;
  D3DFramework->Device3D->BeginScene();
  for (auto _ : state) {
    DXApplication->GameTime += 10;
    ++s.F->FrameClock;
    s.F->Paint(back, {0, 0, Bench::Width, Bench::Height});
    benchmark::ClobberMemory();
  }
  D3DFramework->Device3D->EndScene();
}
BENCHMARK(BM_BattleScreenFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
