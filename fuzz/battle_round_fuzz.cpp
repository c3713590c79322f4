// Input: group sizes, a round's flags, the values of six units, six 16-byte
// battle orders as peers send them, then parameters of the battle spells
// 65..125 as far as the input reaches. Runs one whole round.
#include <cstring>
#include <memory>

#include "combat/fight.h"
#include "world/data2/global_data.h"
#include "world/scenario/opponent.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

class TNoOpponent : public GameData::TOpponent {
 public:
  bool AddUnit(GameData::TUnit*) override { return true; }
  bool RemoveUnit(GameData::TUnit*, bool) override { return true; }
  void TakeTurn() override {}
  void Clear() override {}
};

struct TReader {
  const uint8_t* Data;
  size_t Size;
  size_t At = 0;
  u8 Byte() { return At < Size ? Data[At++] : 0; }
  i16 Word() { return static_cast<i16>(Byte() | (Byte() << 8)); }
};

struct TRules {
  Data2::TGlobalData Global{Data2::TGlobalData::TEmpty{}};
  TRules() {
    for (u32 id = 1; id <= 4; ++id) {
      GameData::TUnitPrototype p{};
      p.ID = id;
      p.Kind = id == 4 ? 4 : static_cast<i16>(id);
      p.Hero = id == 1;
      std::strcpy(p.Name, "Einheit");
      p.Properties.Level = 1;
      p.Properties.HitPoints = {30, 30, 3, 1};
      p.Properties.Attack = {15, 15, 1, 1};
      Global.UnitPrototypes.Add(p);
    }
    Global.AttackCost = 4;
    Global.DamageExperience = 2;
    Global.KillExperience = 20;
    Global.NormalMorale = 50;
    Global.MaxMorale = 100;
    Global.DifficultyPercent[0] = Global.DifficultyPercent[1] = Global.DifficultyPercent[2] = 100;
    for (i16 n = 65; n <= 126; ++n) {
      GameData::TSpellPrototype s{};
      s.Number = n;
      s.Usage = 2;
      s.Level = static_cast<i16>(1 + n % 5);
      s.Class = static_cast<i16>(1 + n % 3);
      s.TargetFlags = n % 2 ? 2 : 17;
      s.ManaCost = 3;
      s.APCost = 2;
      s.CastExperience = 5;
      Global.SpellPrototypes.Add(s);
    }
    Data2::GlobalData = &Global;
    GameData::ConnectOpponent([](GameData::TPlayer*) -> std::unique_ptr<GameData::TOpponent> {
      return std::make_unique<TNoOpponent>();
    });
  }
};

void SetUnit(GameData::TUnit* u, TReader& r) {
  GameData::TUnitProperties& b = u->Base;
  b.Level = static_cast<i16>(r.Byte() % 22);
  for (GameData::TUnitProperty* p : {&b.HitPoints, &b.Attack, &b.CounterAttack, &b.Defence, &b.Mana,
                                     &b.ActionPoints})
    p->Current = p->Base = r.Word();
  b.HitPoints.Every = r.Word();
  b.Morale = r.Word();
  b.Reserved[0] = r.Word();
  b.KnownSpells = b.AllowedSpells = ~0ull;
  u->DefenceBonus = r.Word();
  if (r.Byte() & 1) {
    auto* e = new GameData::TAfterEffect{};
    e->EffectID = 100;
    u->AfterEffects.Add(e);
  }
  u->RecalcEffective(true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TRules rules;
  TReader r{data, size};
  const i32 attackers = 1 + r.Byte() % 3, defenders = r.Byte() % 4;
  const u8 flags = r.Byte();
  GameData::SeedRandom(GameData::RandomMain, static_cast<u32>(r.Word()));
  auto scenario = std::make_unique<GameData::TScenario>();
  scenario->SetSize(8, 8);
  for (i32 i = 0; i < 2; ++i) {
    auto* p = new GameData::TPlayer(scenario.get());
    p->Kind = (flags & 8) && i == 0 ? GameData::pkComputer : GameData::pkHuman;
    scenario->Players.Add(p);
  }
  scenario->Players[0]->Relations[1] = GameData::rHostile;
  GameData::TGroup* groups[2] = {};
  for (i32 k = 0; k < 2; ++k) {
    const i32 count = k == 0 ? attackers : defenders;
    if (count == 0) continue;
    groups[k] = new GameData::TGroup(scenario.get());
    groups[k]->X = static_cast<i16>(20 + 40 * k);
    groups[k]->Y = 20;
    groups[k]->OwnerIndex = static_cast<u8>(k);
    scenario->AddMapObject(groups[k]);
    for (i32 i = 0; i < count; ++i) {
      auto* u = new GameData::TUnit;
      u->SetPrototype(&rules.Global.UnitPrototypes[r.Byte() % 4]);
      scenario->AddUnit(u, true);
      groups[k]->AddUnit(u, false, true, false);
    }
  }
  GameData::TFight fight;
  fight.Scratch = (flags & 4) != 0;
  fight.SetGroups(groups[0], groups[1]);
  for (i32 i = 0; i < GameData::CombatantCount; ++i)
    if (GameData::TUnit* u = fight.UnitOf(i)) SetUnit(u, r);
  for (GameData::TFightAction& a : fight.Actions) {
    u8 bytes[GameData::TFightAction::StreamSize];
    for (u8& b : bytes) b = r.Byte();
    a.Read(bytes);
  }
  for (i32 k = 0; k < rules.Global.SpellPrototypes.Count() && r.At < size; ++k)
    for (i16& p : rules.Global.SpellPrototypes[k].Params) p = r.Word();
  const bool estimate = (flags & 1) != 0;
  if (flags & 4) {
    fight.SaveUnitStates();
    fight.SaveActions();
  }
  i32 attackerMana, defenderMana;
  bool defenderOk, attackerOk;
  fight.CastSpells(&attackerMana, &defenderMana, estimate, &defenderOk, &attackerOk);
  fight.ResolveProtectOrders();
  if (estimate) {
    fight.SimulateAttackerAttacks();
    fight.SimulateDefenderAttacks();
  } else {
    fight.ExecuteAttackerAttacks();
    fight.ExecuteDefenderAttacks();
  }
  (void)fight.IsAttackerDefeated();
  (void)fight.IsDefenderDefeated();
  if (flags & 4) {
    fight.RestoreUnitStates();
    fight.RestoreActions();
  } else {
    fight.RemoveBattleEffects();
  }
  fight.Reset();
  for (i32 k = 0; k < rules.Global.SpellPrototypes.Count(); ++k)
    std::memset(rules.Global.SpellPrototypes[k].Params, 0, sizeof rules.Global.SpellPrototypes[k].Params);
  return 0;
}
