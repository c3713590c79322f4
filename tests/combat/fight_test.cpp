// The battle record and one round: wire format, combatants, spell targets,
// costs, the order of casting, contests, protect orders and blows.
#include <gtest/gtest.h>

#include <vector>

#include "engine/data/stream.h"
#include "tests/combat/combat_fixture.h"
#include "world/scenario/random.h"

namespace CombatTest {
namespace {

using namespace GameData;
using WorldTest::Knight;
using WorldTest::Skeleton;
using WorldTest::Soldier;
using WorldTest::Wolf;

class FightRecord : public TCombatFixture {};

TEST_F(FightRecord, OrderTravelsAsSixteenLittleEndianBytes) {
  TFightAction a;
  a.Present = 1;
  a.Kind = fakSpell;
  a.Spell = 70;
  a.Target = 4;
  u8 bytes[16];
  a.Write(bytes);
  const u8 expected[16] = {1, 0, 0, 0, 2, 0, 0, 0, 70, 0, 0, 0, 4, 0, 0, 0};
  EXPECT_EQ(std::vector<u8>(bytes, bytes + 16), std::vector<u8>(expected, expected + 16));
  a.Clear();
  EXPECT_EQ(a.Present, 1);
  a.Write(bytes);
  const u8 cleared[16] = {1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::vector<u8>(bytes, bytes + 16), std::vector<u8>(cleared, cleared + 16));
  // Padding is not read; the stream form is the same bytes.
  bytes[1] = 0x55;
  TFightAction b;
  b.Read(bytes);
  EXPECT_EQ(b, a);
  Data::TMemoryStream s;
  a.Write(s);
  s.SetPosition(0);
  TFightAction c;
  c.Read(s);
  EXPECT_EQ(c, a);
}

TEST_F(FightRecord, CombatantsFollowTheGroupsAtEveryCall) {
  MakeBattle({Soldier, Knight}, {Wolf, Wolf, Wolf});
  EXPECT_EQ(Fight.Actions[1].Present, 1);
  EXPECT_EQ(Fight.Actions[2].Present, 0);
  EXPECT_FALSE(Fight.IsCombatant(2));
  EXPECT_FALSE(Fight.IsCombatantAlive(2));
  for (i32 bad : {-1, 6, 100, -100}) EXPECT_EQ(Fight.UnitOf(bad), nullptr) << bad;
  EXPECT_EQ(Fight.FindCombatant(D->Units[2]), 5);
  EXPECT_EQ(Fight.FindCombatantOfUnit(nullptr), -1);
  D->Units[1]->Base.HitPoints.Current = 0;
  D->Units[1]->RecalcEffective(true);
  EXPECT_TRUE(Fight.IsCombatant(4));
  EXPECT_FALSE(Fight.IsCombatantAlive(4));
  EXPECT_FALSE(Fight.IsDefenderDefeated());
  Fight.SetDefender(nullptr);
  EXPECT_TRUE(Fight.IsDefenderDefeated());
  for (i32 i = 3; i < 6; ++i) EXPECT_FALSE(Fight.IsCombatant(i));
  Fight.SetDefender(D);
  Fight.SetDefenceBonus(25);
  EXPECT_EQ(A->Units[0]->DefenceBonus, 0);
  EXPECT_EQ(D->Units[2]->DefenceBonus, 25);
}

TEST_F(FightRecord, SpellTargetsBySideFlags) {
  AddSpell(79, 1, 1, 1);   // own side
  AddSpell(81, 1, 1, 2);   // other side
  AddSpell(102, 1, 1, 16); // the caster alone
  AddSpell(110, 3, 1, 1);  // above the caster's level
  MakeBattle({Soldier, Soldier}, {Wolf, Wolf, Wolf});
  for (i32 c : {1, 4})
    for (i32 s : {79, 81, 102, 110}) Teach(U(c), s);
  struct TCase {
    i32 caster, spell, target;
    bool valid;
  };
  const TCase cases[] = {
      {4, 79, 3, true},   {4, 79, 4, true},  {4, 79, 0, false}, {4, 81, 0, true},  {4, 81, 5, false},
      {1, 79, 0, true},   {1, 79, 3, false}, {1, 81, 5, true},  {4, 102, 4, true}, {4, 102, 3, false},
      {1, 102, 1, true},  {1, 110, 0, false}, {1, 99, 0, false}, {0, 79, 0, false},  // 0 knows nothing
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Fight.IsValidSpellTarget(c.caster, c.spell, c.target), c.valid) << c.caster << " " << c.spell << " " << c.target;
  // A caster without the mana cannot cast.
  U(4)->AddMana(-U(4)->Effective.Mana.Current);
  EXPECT_FALSE(Fight.IsValidSpellTarget(4, 79, 3));
}

TEST_F(FightRecord, SpellCostComesFromTheBasePools) {
  AddSpell(79, 1, 1, 1);
  MakeBattle({Soldier}, {Wolf});
  Fight.SetSpellAction(0, 0, 79);
  EXPECT_EQ(Fight.PaySpellCost(0, nullptr), 5);
  EXPECT_EQ(U(0)->Effective.Mana.Current, 15);
  EXPECT_EQ(U(0)->Effective.ActionPoints.Current, 9);
}

TEST_F(FightRecord, RestoringAfterASimulatedSummonLeavesTheGroupAsItWas) {
  AddSpell(120, 1, 1, 16);
  MakeBattle({Soldier}, {Wolf});
  Fight.Scratch = true;
  const i32 units = Scenario->Units.Count();
  Fight.SaveUnitStates();
  Fight.SaveActions();
  Fight.SetSpellAction(0, 0, 120);
  Fight.ApplySpellEffect(0, nullptr);
  EXPECT_EQ(A->GetUnitCount(), 3);
  EXPECT_EQ(Scenario->Units.Count(), units);
  Fight.RestoreUnitStates();
  Fight.RestoreActions();
  EXPECT_EQ(A->GetUnitCount(), 1);
  EXPECT_EQ(Fight.Actions[0].Kind, fakNone);
}

class FightRound : public TCombatFixture {
 protected:
  void Cast(bool estimate = true) {
    Fight.CastSpells(&AttackerMana, &DefenderMana, estimate, &DefenderOk, &AttackerOk);
  }
  i32 AttackerMana = -1, DefenderMana = -1;
  bool DefenderOk = false, AttackerOk = false;
};

TEST_F(FightRound, SpellsGoByClassOneThreeTwoThenLevelThenSide) {
  AddSpell(66, 1, 1, 2);
  AddSpell(113, 1, 2, 2);
  AddSpell(100, 1, 3, 1);
  AddSpell(79, 2, 1, 2);
  MakeBattle({Soldier, Soldier, Soldier}, {Wolf, Wolf});
  SetLevelOf(U(2), 2);
  Teach(U(0), 113), Teach(U(1), 66), Teach(U(2), 79), Teach(U(3), 100);
  Fight.SetSpellAction(0, 4, 113);
  Fight.SetSpellAction(1, 4, 66);
  Fight.SetSpellAction(2, 4, 79);
  Fight.SetSpellAction(3, 4, 100);
  Cast(false);
  std::vector<i32> order;
  for (const TAfterEffect* e : U(4)->AfterEffects) order.push_back(e->EffectID);
  EXPECT_EQ(order, (std::vector<i32>{66, 79, 100, 113}));
  EXPECT_EQ(AttackerMana, 15);
  EXPECT_EQ(DefenderMana, 5);
  EXPECT_TRUE(AttackerOk && DefenderOk);
}

TEST_F(FightRound, ACasterKilledEarlierNeitherCastsNorStrikes) {
  AddSpell(123, 1, 1, 2, {200, 50});
  AddSpell(113, 1, 2, 2);
  MakeBattle({Soldier}, {Wolf});
  Teach(U(0), 113), Teach(U(3), 123);
  Fight.SetSpellAction(0, 3, 113);
  Fight.SetSpellAction(3, 0, 123);
  Cast(true);
  EXPECT_TRUE(U(0)->IsDead());
  EXPECT_EQ(AttackerMana, 0);
  EXPECT_EQ(DefenderMana, 5);
  Fight.SetAttackAction(0, 3);
  Fight.ResolveProtectOrders();
  const i32 hp = U(3)->Effective.HitPoints.Current;
  Fight.ExecuteAttackerAttacks();
  EXPECT_EQ(U(3)->Effective.HitPoints.Current, hp);
}

TEST_F(FightRound, AnImmuneTargetCostsTheManaAndFailsTheSide) {
  AddSpell(66, 1, 1, 2);
  MakeBattle({Soldier}, {Wolf});
  Teach(U(0), 66);
  U(3)->Base.KnownSkills |= MaskBit(48);
  U(3)->RecalcEffective(true);
  Fight.SetSpellAction(0, 3, 66);
  Cast(false);
  EXPECT_EQ(AttackerMana, 5);
  EXPECT_FALSE(AttackerOk);
  EXPECT_TRUE(DefenderOk);
  EXPECT_TRUE(U(3)->AfterEffects.Count() == 0);
}

TEST_F(FightRound, Contests) {
  struct TCase {
    const char* what;
    i16 spell;
    u32 target;
    std::initializer_list<i16> params;
    bool estimate;
    bool expected;
    bool draws;
  };
  const TCase cases[] = {
      {"estimate c > 0, t = 0", 97, Wolf, {100, 0}, true, true, false},
      {"estimate c = 0, t = 0", 97, Wolf, {0, 0}, true, false, false},
      {"estimate c = t", 97, Wolf, {100, 100}, true, false, false},
      {"74 against the living fails without a draw", 74, Wolf, {900, 0}, false, false, false},
      {"118 against the undead always", 118, Skeleton, {}, false, true, false},
      {"118 against the living fails", 118, Wolf, {}, false, false, false},
      {"84 against a humanoid always", 84, Soldier, {}, false, true, false},
      {"84 against a creature of kind 4 fails", 84, Skeleton, {}, false, false, false},
      {"92 against the undead fails", 92, Skeleton, {100, 0}, false, false, false},
      {"a real contest draws twice", 97, Wolf, {100, 100}, false, true, true},
      {"a spell without a contest", 66, Wolf, {}, false, true, false},
  };
  for (const TCase& c : cases) {
    Fight.Reset();
    AddSpell(c.spell, 1, 1, 2, c.params);
    MakeBattle({Soldier}, {c.target});
    Fight.SetSpellAction(0, 3, c.spell);
    const TRandomState before = RandomMain;
    bool result = Fight.SpellTakesEffect(0, nullptr, c.estimate);
    if (!c.draws) {
      EXPECT_EQ(result, c.expected) << c.what;
    }
    EXPECT_EQ(RandomMain.Low != before.Low || RandomMain.High != before.High, c.draws) << c.what;
  }
}

TEST_F(FightRound, Spell69SpendsCourageBeforeTheContest) {
  AddSpell(69, 1, 1, 2, {100, 100, 0, 0, 20});
  MakeBattle({Soldier}, {Wolf});
  Fight.SetSpellAction(0, 3, 69);
  // Morale 50 - 20 = 30 against defence 10.
  EXPECT_TRUE(Fight.SpellTakesEffect(0, nullptr, true));
  EXPECT_EQ(U(0)->Effective.Morale, 30);
  U(0)->RecalcEffective(true);
  EXPECT_EQ(U(0)->Effective.Morale, 50);
}

TEST_F(FightRound, ProtectorsDrawOneAttackerEachAndStrikeBack) {
  MakeBattle({Soldier, Soldier, Soldier}, {Wolf, Wolf, Wolf});
  // Attackers 0 and 1 strike ward 5; protectors 3 and 4 guard 5, so does 5 itself.
  Fight.SetAttackAction(0, 5);
  Fight.SetAttackAction(1, 5);
  Fight.SetAttackAction(2, 3);
  Fight.SetProtectAction(3, 5);
  Fight.SetProtectAction(4, 5);
  Fight.SetProtectAction(5, 5);
  Fight.ResolveProtectOrders();
  EXPECT_EQ(Fight.Actions[0].Target, 3);
  EXPECT_EQ(Fight.Actions[1].Target, 4);
  EXPECT_EQ(Fight.Actions[3].Kind, fakAttack);
  EXPECT_EQ(Fight.Actions[3].Target, 0);
  EXPECT_EQ(Fight.Actions[4].Target, 1);
  EXPECT_EQ(Fight.Actions[5].Kind, fakNone);
  EXPECT_EQ(Fight.Actions[2].Target, 3);
}

TEST_F(FightRound, AProtectorWhoseWardNobodyAttacksStrikesItsOwnAttacker) {
  MakeBattle({Soldier, Soldier}, {Wolf, Wolf});
  Fight.SetAttackAction(1, 3);
  Fight.SetProtectAction(3, 4);
  Fight.ResolveProtectOrders();
  EXPECT_EQ(Fight.Actions[3].Kind, fakAttack);
  EXPECT_EQ(Fight.Actions[3].Target, 1);
  EXPECT_EQ(Fight.Actions[1].Target, 3);
  // Attack orders that cannot be carried out are cleared.
  Fight.SetAttackAction(0, 4);
  U(0)->AddActionPoints(-U(0)->Effective.ActionPoints.Current);
  Fight.ResolveProtectOrders();
  EXPECT_EQ(Fight.Actions[0].Kind, fakNone);
}

TEST_F(FightRound, ADefenderKilledByTheBlowsDoesNotStrikeBack) {
  MakeBattle({Soldier}, {Wolf});
  U(3)->Base.HitPoints.Current = 1;
  U(3)->RecalcEffective(true);
  Fight.SetAttackAction(0, 3);
  Fight.SetAttackAction(3, 0);
  Fight.ExecuteAttackerAttacks();
  ASSERT_TRUE(U(3)->IsDead());
  const i32 hp = U(0)->Effective.HitPoints.Current;
  Fight.ExecuteDefenderAttacks();
  EXPECT_EQ(U(0)->Effective.HitPoints.Current, hp);
}

TEST_F(FightRound, BlowsOfARealRoundDrawInCombatantOrder) {
  MakeBattle({Soldier, Soldier}, {Wolf, Wolf});
  for (i32 i : {0, 1}) Fight.SetAttackAction(i, 3 + i);
  for (i32 i : {3, 4}) Fight.SetAttackAction(i, i - 3);
  TRandomState copy = RandomMain;
  i32 expected[4];
  // Attack damage: strength 20 (morale 50) against defence 10.
  for (i32 k = 0; k < 2; ++k) expected[k] = std::max(0, GaussRandom(copy, 20) - 10);
  Fight.ExecuteAttackerAttacks();
  for (i32 k = 0; k < 2; ++k) EXPECT_EQ(40 - U(3 + k)->Effective.HitPoints.Current, expected[k]);
  for (i32 k = 2; k < 4; ++k) expected[k] = std::max(0, GaussRandom(copy, 10) - 10);
  Fight.ExecuteDefenderAttacks();
  EXPECT_EQ(RandomMain.Low, copy.Low);
  EXPECT_EQ(RandomMain.High, copy.High);
}

}  // namespace
}  // namespace CombatTest
