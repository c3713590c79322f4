// Spells per frame on the software display, measured against a memcpy of
// one 800 x 600 16-bit frame in the same run: the salvo of 20 projectiles
// and the field rain of radius 10 (about 300 pieces), each rebuilt and
// drawn; and the effect of a 5 x 5 spell over full groups against a copy of
// the same units' records.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "ai/ai_handler.h"
#include "bench/bench_screen.h"
#include "combat/map_spell_effects.h"
#include "combat/spell.h"
#include "engine/data/stream.h"
#include "tools/databuilder/sprite_builder.h"
#include "world/data2/global_data.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

using namespace GameData;

std::unique_ptr<Gfx::TSprite> Glow(u32 id, i32 frames, i16 size) {
  Builder::TSpriteShape shape;
  shape.ID = id;
  shape.Width = shape.Height = size;
  shape.Frames = frames;
  shape.HotX = shape.HotY = static_cast<i16>(size / 2);
  return Builder::MakeAlphaSprite(
      shape,
      [size](i32, i32 x, i32 y) -> u32 {
        const i32 dx = 2 * x - size, dy = 2 * y - size, d2 = dx * dx + dy * dy;
        if (d2 >= size * size) return 0;
        const u32 a = static_cast<u32>(255 - 255 * d2 / (size * size));
        return a << 24 | (a * 0xFF / 255) << 16 | (a * 0xC0 / 255) << 8 | (a * 0x40 / 255);
      },
      0xFF);
}

TSpellPrototype Record(i16 number) {
  TSpellPrototype s{};
  s.Number = number;
  s.Level = 1;
  s.CastSpriteID = 1;
  s.FlightSpriteID = 2;
  s.ImpactSpriteID = 3;
  s.CastFrameTime = 2;
  s.FlightFrameTime = 1;
  s.ImpactFrameTime = 3;
  s.FlightSpeed = 400;
  return s;
}

TUnitPrototype Soldier() {
  TUnitPrototype p{};
  p.ID = 1;
  p.Kind = 1;
  TUnitProperties& r = p.Properties;
  r.Level = 1;
  r.HitPoints = {400, 400, 5, 1};
  r.ActionPoints = {12, 12, 0, 0};
  r.Attack = {20, 20, 1, 1};
  r.CounterAttack = {10, 10, 0, 0};
  r.Defence = {10, 10, 0, 0};
  r.Sight = {3, 3, 0, 0};
  r.ExperienceBase = 100;
  r.ExperienceDelta = 50;
  return p;
}

// The global data with the spells' sprites and a 64 x 64 world seen by its
// current player, player 1.
struct TWorld {
  Data2::TGlobalData Global{Data2::TGlobalData::TEmpty{}};
  std::unique_ptr<TScenario> Scenario;
  TWorld() {
    Bench::Screen();
    AIHandler::ConnectToWorld();
    Data2::GlobalData = &Global;
    Global.NormalMorale = 50;
    Global.MaxMorale = 100;
    Global.DamageExperience = 1;
    Global.DifficultyPercent[1] = 100;
    Global.UnitPrototypes.Add(Soldier());
    std::vector<std::unique_ptr<Gfx::TSprite>> list;
    list.push_back(Glow(1, 6, 24));
    list.push_back(Glow(2, 4, 24));
    list.push_back(Glow(3, 8, 32));
    Global.SpellSpriteList.OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(4, std::move(list))));
    for (i16 n : {31, 33, 18}) Global.SpellPrototypes.Add(Record(n));
    Global.SpellPrototypes[1].Params[9] = 10;
    // 18: the hit points kept, action points and counter-attack to 90 %, defence - 1.
    for (i32 k = 0; k < 9; ++k) Global.SpellPrototypes[2].Params[k] = k < 3 ? 90 : k < 6 ? 1 : 90;
    ConnectSpellModule();
    Scenario = NewWorld();
  }
  std::unique_ptr<TScenario> NewWorld() {
    auto s = std::make_unique<TScenario>();
    s->SetSize(64, 64);
    std::fill(s->BaseCosts.begin(), s->BaseCosts.end(), 2);
    s->RebuildFieldMaps();
    for (i32 i = 0; i < 3; ++i) s->Players.Add(new TPlayer(s.get()));
    s->CurrentPlayerIndex = 1;
    s->ViewingPlayer = s->Players[1];
    std::fill(s->Players[1]->Fog->States.begin(), s->Players[1]->Fog->States.end(), fsVisible);
    return s;
  }
  std::unique_ptr<TSpell> Spell(i32 index, i32 sx, i32 sy, i32 tx, i32 ty, u32 frame) {
    auto spell = std::make_unique<TSpell>();
    spell->Scenario = Scenario.get();
    spell->Init(&Global.SpellPrototypes[index], 0);
    spell->Start(sx, sy, tx, ty);
    for (u32 k = 0; k < frame; ++k) spell->Tick();
    return spell;
  }
};

TWorld& World() {
  static TWorld world;
  return world;
}

void BM_MemcpyFrame(benchmark::State& state) { Bench::MemcpyFrame(state); }
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);

void DrawEachFrame(benchmark::State& state, TSpell& spell, i32 dx, i32 dy) {
  Plat::TSurface* back = D3DFramework->BackBuffer;
  D3DFramework->Device3D->BeginScene();
  for (auto _ : state) {
    spell.BuildDrawInfos();
    spell.Draw(back, dx, dy, 0);
    benchmark::ClobberMemory();
  }
  D3DFramework->Device3D->EndScene();
  state.counters["pieces"] = spell.DrawInfoList.Count();
}

void BM_Salvo20Projectiles(benchmark::State& state) {
  // 160 steps in: every one of the 20 projectiles is in flight.
  auto spell = World().Spell(0, 420, 500, 1180, 900, 160);
  DrawEachFrame(state, *spell, -400, -400);
}
BENCHMARK(BM_Salvo20Projectiles)->Unit(benchmark::kMicrosecond);

void BM_FieldRainRadius10(benchmark::State& state) {
  // 24 steps in: the impact index equals the frame count, so every field of
  // the disc shows a piece.
  auto spell = World().Spell(1, 1300, 1300, 1300, 1300, 24);
  DrawEachFrame(state, *spell, -900, -1000);
}
BENCHMARK(BM_FieldRainRadius10)->Unit(benchmark::kMicrosecond);

// 25 groups of three units on the 5 x 5 square around the target.
void FillSquare(TScenario& s, TGroup*& caster) {
  caster = new TGroup(&s);
  caster->X = caster->Y = 20 * 40 + 20;
  caster->OwnerIndex = 1;
  s.AddMapObject(caster);
  const auto unit = [&]() {
    auto* u = new TUnit;
    u->SetPrototype(&Data2::GlobalData->UnitPrototypes[0]);
    return u;
  };
  caster->AddUnit(unit(), true, false, true);
  for (i32 dy = -2; dy <= 2; ++dy)
    for (i32 dx = -2; dx <= 2; ++dx) {
      auto* g = new TGroup(&s);
      g->X = static_cast<i16>((30 + dx) * 40 + 20);
      g->Y = static_cast<i16>((30 + dy) * 40 + 20);
      g->OwnerIndex = 2;
      s.AddMapObject(g);
      for (i32 k = 0; k < MaxGroupUnits; ++k) g->AddUnit(unit(), true, false, true);
    }
  s.Players[1]->Select(caster);
}

void BM_ApplySpellEffect5x5FullGroups(benchmark::State& state) {
  TWorld& w = World();
  for (auto _ : state) {
    state.PauseTiming();
    w.Scenario = w.NewWorld();
    TGroup* caster;
    FillSquare(*w.Scenario, caster);
    state.ResumeTiming();
    w.Scenario->ApplySpellEffect(0, 18, 30, 30);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ApplySpellEffect5x5FullGroups)->Unit(benchmark::kMicrosecond);

// The baseline of the effect: one pass copying the 75 units' records.
void BM_Copy75UnitRecords(benchmark::State& state) {
  TWorld& w = World();
  w.Scenario = w.NewWorld();
  TGroup* caster;
  FillSquare(*w.Scenario, caster);
  std::vector<TUnitProperties> copies(76);
  for (auto _ : state) {
    const i32 n = std::min<i32>(w.Scenario->Units.Count(), 76);
    for (i32 k = 0; k < n; ++k) copies[static_cast<std::size_t>(k)] = w.Scenario->Units[k]->Effective;
    benchmark::DoNotOptimize(copies.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Copy75UnitRecords)->Unit(benchmark::kMicrosecond);

}  // namespace
