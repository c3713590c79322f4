#include "tests/combat/combat_fixture.h"

#include "world/scenario/battle_rules.h"
#include "combat/battle_engine.h"

namespace CombatTest {

void TCombatFixture::SetUp() {
  TWorldFixture::SetUp();
  GameData::ConnectCombat();
  MakeScenario();
}

void TCombatFixture::TearDown() {
  Fight.Reset();
  TWorldFixture::TearDown();
}

GameData::TSpellPrototype& TCombatFixture::AddSpell(i16 number, i16 level, i16 cls, u32 targets,
                                                    std::initializer_list<i16> params) {
  GameData::TSpellPrototype s{};
  s.Number = number;
  s.Usage = 2;
  s.Level = level;
  s.Class = cls;
  s.TargetFlags = targets;
  s.ManaCost = 5;
  s.APCost = 3;
  s.CastExperience = 0;
  i32 k = 0;
  for (i16 p : params) s.Params[k++] = p;
  i32 index = Global->FindSpellPrototype(number);
  if (index >= 0) {
    Global->SpellPrototypes[index] = s;
    return Global->SpellPrototypes[index];
  }
  Global->SpellPrototypes.Add(s);
  return Global->SpellPrototypes[Global->SpellPrototypes.Count() - 1];
}

void TCombatFixture::MakeBattle(std::initializer_list<u32> attackers, std::initializer_list<u32> defenders) {
  A = NewGroup(0, 1, 1, attackers);
  D = NewGroup(1, 2, 1, defenders);
  Fight.SetGroups(A, D);
}

void TCombatFixture::Teach(GameData::TUnit* u, i32 spell) {
  u->Base.AllowedSpells |= GameData::MaskBit(spell);
  u->Base.KnownSpells |= GameData::MaskBit(spell);
  u->RecalcEffective(true);
}

void TCombatFixture::SetLevelOf(GameData::TUnit* u, i16 level) {
  u->Base.Level = level;
  u->Base.Recalc();
  u->Base.ResetExperience();
  u->RecalcEffective(true);
}

void TCombatFixture::SetHP(GameData::TUnit* u, i32 hp) {
  u->Base.HitPoints.Current = static_cast<i16>(u->Base.HitPoints.Current + hp - u->Effective.HitPoints.Current);
  u->RecalcEffective(true);
}

void TCombatFixture::SetMana(GameData::TUnit* u, i32 mana) {
  u->Base.Mana.Current = static_cast<i16>(u->Base.Mana.Current + mana - u->Effective.Mana.Current);
  u->RecalcEffective(true);
}

void TCombatFixture::SetAP(GameData::TUnit* u, i32 ap) {
  u->Base.ActionPoints.Current =
      static_cast<i16>(u->Base.ActionPoints.Current + ap - u->Effective.ActionPoints.Current);
  u->RecalcEffective(true);
}

void TCombatFixture::SetMorale(GameData::TUnit* u, i32 morale) { u->AddMorale(morale - u->Effective.Morale); }

}  // namespace CombatTest
