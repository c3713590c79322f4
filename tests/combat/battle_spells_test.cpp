// The battle spells 65..125: one row per formula, with the caster at level
// 2 (L = 2) and a level-1 target. Fixture values at level 1: HP 40, ATTACK
// 20, COUNTER 10, DEFENCE 10, MANA 20, AP 12, MORALE 50; the caster at
// level 2 has HP 45, ATTACK 21 and MANA 22.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "combat/fight_orders.h"
#include "tests/combat/combat_fixture.h"
#include "world/scenario/random.h"

namespace CombatTest {
namespace {

using namespace GameData;
using WorldTest::Knight;
using WorldTest::Skeleton;
using WorldTest::Soldier;
using WorldTest::Wolf;

struct TRow {
  i16 Spell;
  std::vector<i16> Params;
  std::function<void(TUnit* s, TUnit* t)> Setup;
  // r: a copy of the main stream before the effect.
  std::function<void(TUnit* s, TUnit* t, TRandomState r)> Check;
};

i32 Rnd(TRandomState& r, i32 n) { return n > 0 ? NextRandom(r) % n : 0; }

const TAfterEffect* EffectOf(const TUnit* u, i32 id) {
  for (const TAfterEffect* e : u->AfterEffects)
    if (e->EffectID == id) return e;
  return nullptr;
}

#define HP(u) (u)->Effective.HitPoints.Current
#define ATT(u) (u)->Effective.Attack.Current
#define CTR(u) (u)->Effective.CounterAttack.Current
#define DEF(u) (u)->Effective.Defence.Current
#define AP(u) (u)->Effective.ActionPoints.Current
#define MANA(u) (u)->Effective.Mana.Current
#define MOR(u) (u)->Effective.Morale

auto None = [](TUnit*, TUnit*) {};

class BattleSpells : public TCombatFixture {
 protected:
  void Run(const TRow& row) {
    SCOPED_TRACE(row.Spell);
    Fight.Reset();
    AddSpell(row.Spell, 1, 1, 3, std::initializer_list<i16>{});
    i32 index = Global->FindSpellPrototype(row.Spell);
    for (size_t k = 0; k < row.Params.size(); ++k) Global->SpellPrototypes[index].Params[k] = row.Params[k];
    MakeBattle({Soldier}, {Wolf, Wolf});
    SetLevelOf(U(0), 2);
    row.Setup(U(0), U(3));
    Fight.SetSpellAction(0, 3, row.Spell);
    TRandomState r = RandomMain;
    Fight.ApplySpellEffect(0, nullptr);
    row.Check(U(0), U(3), r);
  }
};

TEST_F(BattleSpells, Formulas) {
  const TRow rows[] = {
      {65, {5, 150}, [](TUnit*, TUnit* t) { SetHP(t, 30); }, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(HP(t), 38); }},
      {66, {3, 100, 1, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(DEF(t), 15);
         EXPECT_EQ(CTR(t), 12);
       }},
      {67, {2, 50, 100}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 23);
         EXPECT_EQ(MOR(t), 52);
       }},
      {68, {1, 100}, [](TUnit*, TUnit* t) { SetAP(t, 6); },
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(AP(t), 9);
         EXPECT_EQ(t->Effective.ActionPoints.Base, 15);
         EXPECT_EQ(EffectOf(t, 68)->TurnsLeft, 1);
       }},
      {69, {0, 0, 7, 100}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(HP(t), 31); }},
      {70, {1, 100, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 23);
         EXPECT_EQ(DEF(t), 5);
       }},
      {71, {100}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(MOR(t), 52); }},
      {72, {5, 25}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(AP(t), 9); }},
      {73, {0, 0, 7, 3}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 7);
         EXPECT_EQ(CTR(t), 3);
       }},
      {75, {}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_TRUE(t->IsImmuneToSpell(66)); }},
      {76, {0, 0, 5}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(HP(t), 5); }},
      {77, {0, 0, 1, 500, 2, 300}, None,
       [](TUnit*, TUnit* t, TRandomState r) { EXPECT_EQ(HP(t), 40 - (Rnd(r, 6) + 2)); }},
      {78, {3, 400}, None, [](TUnit*, TUnit* t, TRandomState r) { EXPECT_EQ(HP(t), 40 - (Rnd(r, 8) + 8 + 3)); }},
      {124, {3, 400}, None, [](TUnit*, TUnit* t, TRandomState r) { EXPECT_EQ(HP(t), 40 - (Rnd(r, 8) + 8 + 3)); }},
      {79, {1, 100}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(DEF(t), 13); }},
      {80, {0, 0, 100, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 10);
         EXPECT_EQ(CTR(t), 5);
       }},
      {81, {0, 0, 1, 100, 300, 150}, None,
       [](TUnit*, TUnit* t, TRandomState r) {
         EXPECT_EQ(HP(t), 40 - (Rnd(r, 6) + 2 + 1));
         EXPECT_EQ(DEF(t), 7);
       }},
      {82, {2000, 100, 50, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 10);
         EXPECT_EQ(DEF(t), 5);
         EXPECT_EQ(AP(t), 6);
       }},
      {82, {100, 100, 100, 100}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(HP(t), 40); }},
      {83, {1, 100, 300, 100}, None,
       [](TUnit*, TUnit* t, TRandomState r) {
         EXPECT_EQ(HP(t), 40 - (Rnd(r, 6) + 2 + 1));
         EXPECT_EQ(CTR(t), 8);
       }},
      {84, {500, 100, 50, 100}, [](TUnit* s, TUnit*) { SetHP(s, 30); },
       [](TUnit* s, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 30);
         EXPECT_EQ(HP(s), 40);
         EXPECT_EQ(MOR(t), 46);
         EXPECT_EQ(ATT(t), 18);
         EXPECT_EQ(CTR(t), 9);
       }},
      {85, {}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(MANA(t), 0); }},
      {86, {}, [](TUnit*, TUnit* t) { SetMana(t, 5); },
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(MANA(t), 20);
         EXPECT_EQ(AP(t), 0);
       }},
      {89, {0, 0, 1, 100, 2, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 17);
         EXPECT_EQ(CTR(t), 7);
       }},
      {90, {1, 100, 1, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(DEF(t), 13);
         EXPECT_EQ(ATT(t), 18);
         EXPECT_EQ(CTR(t), 8);
       }},
      {91, {100, 1, 100, 1, 50, 100}, [](TUnit*, TUnit* t) { SetAP(t, 6); },
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(MOR(t), 48);
         EXPECT_EQ(ATT(t), 17);
         EXPECT_EQ(CTR(t), 8);
         EXPECT_EQ(AP(t), 8);
       }},
      {92, {0, 0, 2, 50, 50, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 20);
         EXPECT_EQ(ATT(t), 10);
         EXPECT_EQ(CTR(t), 5);
       }},
      {93, {0, 0, 100, 250, 100}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(AP(t), 10);
         EXPECT_EQ(HP(t), 35);
         EXPECT_EQ(CTR(t), 8);
       }},
      {95, {100, 50}, [](TUnit* s, TUnit*) { SetMorale(s, 60); },
       [](TUnit* s, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 35);
         EXPECT_EQ(HP(s), 45);
       }},
      {95, {100, 50}, [](TUnit* s, TUnit*) { SetMorale(s, 40); },
       [](TUnit* s, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 40);
         EXPECT_EQ(HP(s), 35);
       }},
      {96, {50, 100, 4}, [](TUnit* s, TUnit*) { SetHP(s, 30), SetMana(s, 5); },
       [](TUnit* s, TUnit*, TRandomState) {
         EXPECT_EQ(HP(s), 36);
         EXPECT_EQ(MANA(s), 17);
         EXPECT_EQ(AP(s), 4);
       }},
      {97, {0, 0, 3}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(AP(t), 3); }},
      {98, {0, 0, 50}, [](TUnit* s, TUnit*) { SetMana(s, 0); },
       [](TUnit* s, TUnit* t, TRandomState) {
         EXPECT_EQ(MANA(t), 0);
         EXPECT_EQ(MANA(s), 20);
       }},
      {99, {1, 100, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(DEF(t), 12);
         EXPECT_EQ(AP(t), 6);
       }},
      {100, {}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_TRUE(t->HasAfterEffect(100)); }},
      {101, {40}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(MOR(t), 60); }},
      {102, {1, 100}, [](TUnit*, TUnit* t) { SetAP(t, 6); },
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(AP(t), 9);
         EXPECT_EQ(EffectOf(t, 102)->TurnsLeft, 0);
       }},
      {103, {2, 3, 50, 50, 0}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 22);
         EXPECT_EQ(CTR(t), 13);
         EXPECT_EQ(HP(t), 20);
         EXPECT_EQ(MOR(t), 25);
       }},
      {104, {100, 100}, None,
       [](TUnit*, TUnit* t, TRandomState r) {
         const i32 blow = GaussRandom(r, 21) - 10;
         EXPECT_EQ(HP(t), 40 - std::max(blow, 0));
       }},
      {105, {100, 100, 100}, None,
       [](TUnit*, TUnit* t, TRandomState r) {
         const bool hit = GaussRandom(r, 21) - 10 >= 1;
         EXPECT_EQ(DEF(t), hit ? 8 : 10);
       }},
      {105, {100, 900}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 40);
         EXPECT_EQ(t->AfterEffects.Count(), 0);
       }},
      {106, {100, 100, 100, 100}, None,
       [](TUnit*, TUnit* t, TRandomState r) {
         const bool hit = GaussRandom(r, 21) - 10 >= 1;
         EXPECT_EQ(ATT(t), hit ? 14 : 20);
         EXPECT_EQ(CTR(t), hit ? 7 : 10);
       }},
      {107, {50, 50, 100, 2}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 35);
         EXPECT_EQ(ATT(t), 10);
         EXPECT_EQ(CTR(t), 10);
         EXPECT_EQ(DEF(t), 2);
       }},
      {108, {}, None,
       [](TUnit* s, TUnit* t, TRandomState) {
         EXPECT_EQ(AP(t), 0);
         EXPECT_EQ(MANA(s), 0);
         EXPECT_EQ(AP(s), 12);
       }},
      {109, {50, 50, 3}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 10);
         EXPECT_EQ(CTR(t), 5);
         EXPECT_EQ(DEF(t), 13);
       }},
      {110, {5, 2, 3}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(MOR(t), 55);
         EXPECT_EQ(ATT(t), 22);
         EXPECT_EQ(CTR(t), 13);
       }},
      {111, {5, 2, 3, 4, 6}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 34);
         EXPECT_EQ(DEF(t), 14);
         EXPECT_EQ(ATT(t), 22);
       }},
      {112, {50, 50, 50}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 35);
         EXPECT_EQ(ATT(t), 10);
         EXPECT_EQ(CTR(t), 5);
       }},
      {113, {}, None, [](TUnit*, TUnit* t, TRandomState) { EXPECT_TRUE(t->HasAfterEffect(113)); }},
      {114, {}, [](TUnit*, TUnit* t) { SetHP(t, 10), SetMana(t, 0); },
       [](TUnit* s, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 40);
         EXPECT_EQ(MANA(t), 20);
         EXPECT_EQ(MANA(s), 0);
       }},
      {115, {0, 0, 1, 2, 3}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 19);
         EXPECT_EQ(CTR(t), 8);
         EXPECT_EQ(DEF(t), 7);
       }},
      {116, {0, 0, 100, 2}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(AP(t), 6);
         EXPECT_EQ(DEF(t), 8);
       }},
      // L x P2 / 100 = 0 would divide by zero: the action points stay.
      {116, {0, 0, 10, 2}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(AP(t), 12);
         EXPECT_EQ(DEF(t), 8);
       }},
      {117, {0, 0, 50, 1, 100}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(AP(t), 6);
         EXPECT_EQ(HP(t), 37);
       }},
      {118, {200}, [](TUnit*, TUnit* t) { SetHP(t, 30); }, [](TUnit*, TUnit* t, TRandomState) { EXPECT_EQ(HP(t), 34); }},
      {119, {0, 0, 100, 100, 100}, None,
       [](TUnit*, TUnit* t, TRandomState) {
         EXPECT_EQ(ATT(t), 14);
         EXPECT_EQ(CTR(t), 7);
         EXPECT_EQ(HP(t), 28);
       }},
      {121, {0, 0, 1, 100, 300, 100, 50}, None,
       [](TUnit*, TUnit* t, TRandomState r) {
         EXPECT_EQ(HP(t), 40 - (Rnd(r, 6) + 2 + 1));
         EXPECT_EQ(ATT(t), 18);
         EXPECT_EQ(CTR(t), 9);
       }},
      {123, {}, None,
       [](TUnit* s, TUnit* t, TRandomState) {
         EXPECT_TRUE(t->IsDead());
         EXPECT_EQ(MANA(s), 0);
       }},
      {125, {}, [](TUnit*, TUnit* t) { SetHP(t, 10); },
       [](TUnit* s, TUnit* t, TRandomState) {
         EXPECT_EQ(HP(t), 40);
         EXPECT_EQ(MANA(s), 1);
       }},
  };
  for (const TRow& row : rows) Run(row);
}

// Data that makes a divisor zero: spell 80 by a caster of level 0, a trial
// round over a unit whose hit-point maximum is 0.
TEST_F(BattleSpells, ZeroDivisorsChangeNothing) {
  AddSpell(80, 1, 1, 2, {100, 100, 100, 50});
  MakeBattle({Soldier}, {Wolf});
  SetLevelOf(U(0), 0);
  Fight.SetSpellAction(0, 3, 80);
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(U(3)->Effective.Attack.Current, 20);
  EXPECT_EQ(U(3)->Effective.CounterAttack.Current, 5);
  SetLevelOf(U(0), 1);
  U(3)->Base.HitPoints = TUnitProperty{5, 0, 0, 0};
  U(3)->RecalcEffective(false);
  Fight.ClearActions();
  Fight.SetAttackAction(0, 3);
  // The killed unit scores 100; no share of a zero maximum is taken.
  const TFightEvaluation r = EvaluateAttackerRound(&Fight);
  EXPECT_EQ(r.Benefit, 100.0);
  U(3)->Base.HitPoints = TUnitProperty{5, 0, 0, 0};
  U(3)->RecalcEffective(false);
  Fight.ClearActions();
  EXPECT_EQ(EvaluateAttackerRound(&Fight).Benefit, 0.0);
}

TEST_F(BattleSpells, Spell74HurtsTheUndeadOnASecondContest) {
  AddSpell(74, 1, 1, 2, {1000, 0, 3, 7});
  MakeBattle({Soldier}, {Skeleton});
  Fight.SetSpellAction(0, 3, 74);
  TRandomState r = RandomMain;
  const bool wins = GaussGreater(10, 0);
  RandomMain = r;
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(U(3)->IsDead(), wins);
  EXPECT_EQ(U(0)->Effective.Mana.Current, wins ? 7 : 20);
}

TEST_F(BattleSpells, ACasterUnderEffect100HurtsItselfAndEarnsNoDamageExperience) {
  AddSpell(69, 1, 1, 2, {0, 0, 7, 0});
  MakeBattle({Soldier}, {Wolf});
  auto* e = new TAfterEffect{};
  e->EffectID = 100;
  U(0)->AddAfterEffect(e);
  const i32 experience = U(0)->Base.Experiences;
  Fight.SetSpellAction(0, 3, 69);
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(U(0)->Effective.HitPoints.Current, 33);
  EXPECT_EQ(U(3)->Effective.HitPoints.Current, 40);
  // Only the wound experience of the caster's own loss.
  EXPECT_EQ(U(0)->Base.Experiences, experience + 7);
}

TEST_F(BattleSpells, DoublesFillTheCastersGroupWithItsHitPoints) {
  AddSpell(120, 1, 1, 16);
  MakeBattle({Soldier}, {Wolf, Wolf, Wolf});
  SetHP(U(0), 33);
  Fight.SetSpellAction(0, 0, 120);
  Fight.ApplySpellEffect(0, nullptr);
  ASSERT_EQ(A->GetUnitCount(), 3);
  for (i32 i : {1, 2}) {
    EXPECT_EQ(U(i)->Effective.HitPoints.Current, 33);
    EXPECT_EQ(U(i)->Hero, 0);
    EXPECT_EQ(Fight.Actions[i].Present, 1);
    EXPECT_NE(Scenario->FindUnit(U(i)->ID), nullptr);
    EXPECT_TRUE(WorldTest::OpponentOf(Scenario->Players[0]).Knows(U(i)));
  }
  // A full group gets none; the end of the battle takes them away.
  Fight.SetSpellAction(3, 3, 120);
  Fight.ApplySpellEffect(3, nullptr);
  EXPECT_EQ(D->GetUnitCount(), 3);
  Fight.RemoveBattleEffects();
  EXPECT_EQ(A->GetUnitCount(), 1);
}

TEST_F(BattleSpells, DrawingAttacksRedirectsOnlyOrdersAtTheTargetsSide) {
  AddSpell(88, 1, 1, 1);
  MakeBattle({Soldier, Soldier}, {Wolf, Wolf, Wolf});
  Fight.SetAttackAction(0, 3);
  Fight.SetSpellAction(1, 5, 69);
  Fight.SetSpellAction(4, 4, 88);
  Fight.SetAttackAction(3, 0);
  Fight.ApplySpellEffect(4, nullptr);
  EXPECT_EQ(Fight.Actions[0].Target, 4);
  EXPECT_EQ(Fight.Actions[1].Target, 4);
  EXPECT_EQ(Fight.Actions[1].Kind, fakSpell);
  EXPECT_EQ(Fight.Actions[3].Target, 0);
}

TEST_F(BattleSpells, TurningAgainstTheOwnSide) {
  AddSpell(122, 1, 1, 2, {0, 0, 2, 1});
  MakeBattle({Soldier}, {Wolf, Wolf, Wolf});
  Fight.SetAttackAction(4, 0);
  Fight.SetSpellAction(0, 4, 122);
  TRandomState r = RandomMain;
  const i32 pick = NextRandom(r) % 2;
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(Fight.Actions[4].Kind, fakAttack);
  EXPECT_EQ(Fight.Actions[4].Target, pick == 0 ? 3 : 5);
  // The only unit of its group has nobody to turn on: its order is cleared.
  Fight.Reset();
  MakeBattle({Soldier}, {Wolf});
  Fight.SetAttackAction(3, 0);
  Fight.SetSpellAction(0, 3, 122);
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(Fight.Actions[3].Kind, fakNone);
}

TEST_F(BattleSpells, AKillBySpell123GivesKillExperienceAndMorale) {
  AddSpell(123, 1, 1, 2);
  MakeBattle({Soldier}, {Wolf, Wolf});
  U(3)->Base.Reserved[0] = 30;
  U(3)->RecalcEffective(true);
  const i32 experience = U(0)->Base.Experiences;
  const i32 mateMorale = U(4)->Effective.Morale;
  Fight.SetSpellAction(0, 3, 123);
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_TRUE(U(3)->IsDead());
  EXPECT_EQ(U(0)->Base.Experiences, experience + 30);
  EXPECT_GT(U(0)->Effective.Morale, 50);
  EXPECT_LT(U(4)->Effective.Morale, mateMorale);
}

TEST_F(BattleSpells, TransformationEndsWithTheBattle) {
  i32 skeleton = Global->FindUnitPrototype(Skeleton);
  Global->UnitPrototypes[skeleton].Properties.Attack = WorldTest::Prop(30, 2, 1);
  Global->UnitPrototypes[skeleton].Properties.Level = 2;
  AddSpell(87, 1, 1, 2, {0, 0, static_cast<i16>(Skeleton)});
  MakeBattle({Soldier}, {Wolf});
  const TUnitProperties before = U(3)->Effective;
  Fight.SetSpellAction(0, 3, 87);
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(U(3)->Prototype->ID, Skeleton);
  EXPECT_EQ(U(3)->Name, "Skelett");
  EXPECT_EQ(U(3)->Effective.Attack.Current, 32);
  EXPECT_EQ(U(3)->Effective.Attack.Base, 30);
  // A second transformation still goes back to the unit's own prototype.
  Fight.ApplySpellEffect(0, nullptr);
  Fight.RemoveBattleEffects();
  EXPECT_EQ(U(3)->Prototype->ID, WorldTest::Wolf);
  EXPECT_EQ(U(3)->Name, "Wolf");
  EXPECT_EQ(U(3)->Effective.Attack.Current, before.Attack.Current);
  // An unknown prototype leaves the unit as it is.
  Global->SpellPrototypes[Global->FindSpellPrototype(87)].Params[2] = 999;
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(U(3)->Prototype->ID, WorldTest::Wolf);
}

TEST_F(BattleSpells, NoEffectWithoutALivingTargetOrOutsideTheBattleSpells) {
  AddSpell(69, 1, 1, 2, {0, 0, 7, 0});
  GameData::TSpellPrototype& map = AddSpell(5, 1, 1, 2, {0, 0, 7, 0});
  map.Usage = 1;
  AddSpell(126, 1, 1, 2);
  Global->SpellPrototypes[Global->FindSpellPrototype(126)].CastExperience = 10;
  MakeBattle({Soldier}, {Wolf});
  for (i32 target : {-1, 6, 1}) {
    Fight.SetSpellAction(0, target, 69);
    Fight.ApplySpellEffect(0, nullptr);
  }
  Fight.SetSpellAction(0, 3, 5);
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(U(3)->Effective.HitPoints.Current, 40);
  const i32 experience = U(0)->Base.Experiences;
  Fight.SetSpellAction(0, 3, 126);
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(U(0)->Base.Experiences, experience + 10);
}

}  // namespace
}  // namespace CombatTest
