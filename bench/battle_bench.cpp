// A battle round of three against three with spells, against the bare blow
// it is built from; the thorough automatic orders of a computer side with
// eight battle spells per unit (goal: under a second), and with all 61.
// The rules, units and spells are the demo data set's, read through the
// real prototype readers.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "combat/fight.h"
#include "combat/fight_orders.h"
#include "engine/data/stream.h"
#include "tools/demodata/rules/demo_rules.h"
#include "world/data2/global_data.h"
#include "world/scenario/opponent.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using namespace GameData;

class TNoOpponent : public TOpponent {
 public:
  bool AddUnit(TUnit*) override { return true; }
  bool RemoveUnit(TUnit*, bool) override { return true; }
  void TakeTurn() override {}
  void Clear() override {}
};

Data::TMemoryStream TextStream(const std::string& text) {
  return Data::TMemoryStream(std::vector<u8>(text.begin(), text.end()));
}

struct TBattle {
  std::unique_ptr<Data2::TGlobalData> Global = std::make_unique<Data2::TGlobalData>(Data2::TGlobalData::TEmpty{});
  std::unique_ptr<TScenario> Scenario;
  TGroup* Groups[2] = {};
  TFight Fight;

  // spellsPerUnit: how many battle spells each unit knows (8 or all 61).
  explicit TBattle(i32 spellsPerUnit) {
    Data2::GlobalData = Global.get();
    ConnectOpponent([](TPlayer*) -> std::unique_ptr<TOpponent> { return std::make_unique<TNoOpponent>(); });
    Global->AttackCost = 4;
    Global->DamageExperience = 2;
    Global->WoundExperience = 1;
    Global->KillExperience = 40;
    Global->NormalMorale = 50;
    Global->MaxMorale = 100;
    Global->DamageMoraleFactor = 10;
    Global->KillMoraleBase = 2;
    Global->KillMoralePerLevel = 3;
    auto nothing = [](u32) -> TAudioStream* { return nullptr; };
    auto units = TextStream(Builder::UnitPrototypeFile());
    ReadUnitPrototypes(units, Global->UnitPrototypes, nothing);
    for (TUnitPrototype& p : Global->UnitPrototypes) {
      // No sprite lists here.
      p.PortraitID = p.PictureID = 0;
      for (auto& set : p.SpriteIDs)
        for (u32& id : set) id = 0;
    }
    auto spells = TextStream(Builder::SpellPrototypeFile());
    ReadSpellPrototypes(spells, Global->SpellPrototypes, nothing, [](u32) {});
    Scenario = std::make_unique<TScenario>();
    Scenario->SetSize(8, 8);
    for (i32 i = 0; i < 2; ++i) {
      auto* p = new TPlayer(Scenario.get());
      p->Kind = pkComputer;
      Scenario->Players.Add(p);
    }
    const u32 sides[2][3] = {{1, 2, 5}, {3, 4, 3}};
    i32 next = 0;
    for (i32 k = 0; k < 2; ++k) {
      Groups[k] = new TGroup(Scenario.get());
      Groups[k]->X = static_cast<i16>(20 + 40 * k);
      Groups[k]->Y = 20;
      Groups[k]->OwnerIndex = static_cast<u8>(k);
      Scenario->AddMapObject(Groups[k]);
      for (u32 id : sides[k]) {
        auto* u = new TUnit;
        u->SetPrototype(FindUnitPrototype(id));
        u->Base.Level = 5;
        u->Base.Recalc();
        // Every unit knows its share of the battle spells (all for 61).
        for (i32 n = 0; n < spellsPerUnit; ++n) {
          i32 spell = 65 + (next + n * 7) % 61;
          u->Base.AllowedSpells |= MaskBit(spell);
          u->Base.KnownSpells |= MaskBit(spell);
        }
        next += 11;
        u->Base.Mana.Base = u->Base.Mana.Current = 200;
        u->RecalcEffective(true);
        Scenario->AddUnit(u, true);
        Groups[k]->AddUnit(u, false, true, false);
      }
    }
    Fight.SetGroups(Groups[0], Groups[1]);
  }
  ~TBattle() {
    Fight.Reset();
    Scenario.reset();
    Data2::GlobalData = nullptr;
  }

  // The orders of round k: each unit casts one of the spells it may cast
  // now on an allowed target, or strikes the first enemy.
  void OrdersOfRound(i32 k) {
    for (i32 c = 0; c < CombatantCount; ++c) {
      Fight.SetAttackAction(c, c < 3 ? 3 : 0);
      for (i32 tries = 0; tries < 61; ++tries) {
        i32 spell = 65 + (k * 5 + c * 13 + tries) % 61;
        i32 target = (k + c + tries) % 6;
        if (Fight.IsValidSpellTarget(c, spell, target)) {
          Fight.SetSpellAction(c, target, spell);
          break;
        }
      }
    }
  }
};

void BM_BattleRounds3v3WithSpells(benchmark::State& state) {
  TBattle battle(8);
  TFight& f = battle.Fight;
  f.Scratch = true;
  i32 casts = 0;
  for (auto _ : state) {
    for (i32 k = 0; k < 10000; ++k) {
      SeedRandom(RandomMain, static_cast<u32>(k));
      f.SaveUnitStates();
      battle.OrdersOfRound(k);
      f.SaveActions();
      i32 am, dm;
      bool dok, aok;
      f.CastSpells(&am, &dm, false, &dok, &aok);
      casts += am + dm > 0;
      f.ResolveProtectOrders();
      f.ExecuteAttackerAttacks();
      f.ExecuteDefenderAttacks();
      f.RestoreUnitStates();
      f.RestoreActions();
    }
  }
  state.counters["rounds_with_spells"] = casts / static_cast<double>(state.iterations());
}
BENCHMARK(BM_BattleRounds3v3WithSpells)->Unit(benchmark::kMillisecond);

// Baseline: the bare random blow a round is built from, as often.
void BM_AttackDamage(benchmark::State& state) {
  TBattle battle(8);
  TUnit* a = battle.Groups[0]->Units[0];
  TUnit* d = battle.Groups[1]->Units[0];
  for (auto _ : state) {
    SeedRandom(RandomMain, 1);
    i32 sum = 0;
    for (i32 k = 0; k < 10000; ++k) sum += a->AttackDamage(d);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_AttackDamage)->Unit(benchmark::kMillisecond);

// One recalculation of a unit's values, alone (0) and right after a 16-bit
// store into its base record (1), as the callers in a trial round make it:
// the copy of the record then waits for the store to land.
void BM_UnitRecalculation(benchmark::State& state) {
  TBattle battle(8);
  TUnit* u = battle.Groups[0]->Units[0];
  const bool store = state.range(0) != 0;
  for (auto _ : state) {
    for (i32 k = 0; k < 10000; ++k) {
      if (store) u->Base.Morale = static_cast<i16>(u->Base.Morale ^ 1);
      u->RecalcEffective(true);
    }
    benchmark::DoNotOptimize(u->Effective.Morale);
  }
}
BENCHMARK(BM_UnitRecalculation)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void ThoroughDecider(benchmark::State& state, i32 spells) {
  TBattle battle(spells);
  // Validity does not depend on the other units' choices: the number of
  // trial rounds is the product of each unit's valid choices.
  double trials = 1;
  for (i32 unit = 0; unit < 3; ++unit) {
    i32 n = 0;
    for (i32 t = -1; t <= 5; ++t)
      for (i32 s = -1; s < 64; ++s) n += IsAttackerCandidateValid(&battle.Fight, unit, s, t) ? 1 : 0;
    trials *= n;
  }
  for (auto _ : state) {
    battle.Fight.ClearActions();
    ChooseComputerAttackerOrders(&battle.Fight);
    benchmark::DoNotOptimize(battle.Fight.Actions[0].Kind);
  }
  state.counters["trial_rounds"] = trials;
}

void BM_ThoroughDecider3v3Spells8(benchmark::State& state) { ThoroughDecider(state, 8); }
BENCHMARK(BM_ThoroughDecider3v3Spells8)->Unit(benchmark::kMillisecond)->Iterations(3);

// Not gated: the worst case, every unit knowing all 61 battle spells.
void BM_ThoroughDecider3v3Spells61(benchmark::State& state) { ThoroughDecider(state, 61); }
BENCHMARK(BM_ThoroughDecider3v3Spells61)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
