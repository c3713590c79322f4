#include "tests/ai/ai_combat_fixture.h"

#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AITest {

using namespace GameData;

std::set<i32> TAICombatFixture::NoEffect;
std::map<i32, i32> TAICombatFixture::SimulatedDamage;

namespace {

bool HasEffect(const TScenario&, i32, i32 spell, i32, i32) { return !TAICombatFixture::NoEffect.count(spell); }

void Simulate(const TScenario&, TUnit*, i32 spell, TGroup* target) {
  const auto it = TAICombatFixture::SimulatedDamage.find(spell);
  if (it == TAICombatFixture::SimulatedDamage.end()) return;
  for (TUnit* u : target->Units)
    if (u) u->Effective.HitPoints.Current = static_cast<i16>(u->Effective.HitPoints.Current - it->second);
}

}  // namespace

void TAICombatFixture::SetUp() {
  TAIFixture::SetUp();
  for (i16 n = 1; n <= 61; ++n) {
    if (Global->FindSpellPrototype(n) >= 0) continue;
    TSpellPrototype s{};
    s.Number = n;
    s.Level = 1;
    s.ManaCost = 1;
    s.APCost = 1;
    Global->SpellPrototypes.Add(s);
  }
  for (TSpellPrototype& s : Global->SpellPrototypes) s.TargetFlags = 8;
  SavedRules = ConnectedSpellRules();
  TSpellRules rules = SavedRules;
  rules.HasEffect = HasEffect;
  rules.SimulateEffect = Simulate;
  ConnectSpellRules(rules);
  NoEffect.clear();
  SimulatedDamage.clear();
  for (i32 i = 1; i <= 2; ++i) Scenario->PlayerAt(i)->Relations[3 - i] = rHostile;
  SeedRandom(RandomThread, 7);
}

void TAICombatFixture::TearDown() {
  ConnectSpellRules(SavedRules);
  TAIFixture::TearDown();
}

void TAICombatFixture::MakeCaster(TGroup* g) {
  for (TUnit* u : g->Units) {
    if (!u) continue;
    u->Effective.KnownSpells = u->Effective.AllowedSpells = ~u64{0};
    u->Effective.Mana.Current = 1000;
    u->Effective.ActionPoints.Current = 100;
    u->Effective.Level = 1;
  }
}

void TAICombatFixture::MakeMundane(TGroup* g) {
  for (TUnit* u : g->Units) {
    if (!u) continue;
    u->Effective.KnownSpells = u->Effective.AllowedSpells = 0;
    u->Effective.Mana.Current = 0;
    u->Effective.Level = 1;
  }
}

void TAICombatFixture::SetHitPoints(TUnit* u, i32 current, i32 max) {
  u->Effective.HitPoints = {static_cast<i16>(current), static_cast<i16>(max), 0, 0};
}

void TAICombatFixture::SetMorale(TGroup* g, i32 morale) {
  for (TUnit* u : g->Units)
    if (u) u->Effective.Morale = static_cast<i16>(morale);
}

void TAICombatFixture::Select(TGroup* g) {
  TPlayer* p = g->GetOwner();
  Scenario->CurrentPlayerIndex = static_cast<i16>(Scenario->IndexOfPlayer(p));
  Scenario->UpdateOccupancy();
  p->Select(g);
  Scenario->ComputeMoveCosts(g->FieldX(), g->FieldY(), g);
}

std::vector<TActionRecord> TAICombatFixture::Play(i32 player, const std::function<void()>& op) {
  TPlayer* p = Scenario->PlayerAt(player);
  return Serve(player, op, [&](const TActionRecord& r) {
    const u32* w = r.Words;
    switch (r.Type()) {
      case atSelect: p->Select(Scenario->FindMapObject(w[1])); break;
      case atCastSpell:
        if (OnCast) OnCast(r);
        break;
      case atMove:
        if (TGroup* g = p->GetSelectedGroup(); g && (w[3] & 0xFF) == 0) {
          g->X = static_cast<i16>(static_cast<i32>(w[1]) * FieldSize + FieldSize / 2);
          g->Y = static_cast<i16>(static_cast<i32>(w[2]) * FieldSize + FieldSize / 2);
          Scenario->UpdateOccupancy();
        }
        break;
      default: break;
    }
    return u32{arDone};
  });
}

std::vector<i32> TAICombatFixture::Casts(const std::vector<TActionRecord>& records) {
  std::vector<i32> spells;
  for (const TActionRecord& r : records)
    if (r.Type() == atCastSpell) spells.push_back(static_cast<i32>(r.Words[2]));
  return spells;
}

}  // namespace AITest
