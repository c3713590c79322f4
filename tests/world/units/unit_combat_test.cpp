#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/world/world_fixture.h"
#include "world/scenario/settings.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace WorldTest {
namespace {

using GameData::TUnit;

void SetLevel(TUnit* u, i16 level) {
  u->Base.Level = level;
  u->Base.Recalc();
  u->Base.ResetExperience();
  u->RecalcEffective(true);
}

void SetMorale(TUnit* u, i32 morale) { u->AddMorale(morale - u->Effective.Morale); }

// Rules of the fixture: attack cost 4, damage experience 2, wound
// experience 1, kill experience 50, damage morale factor 10, kill morale 1 +
// 3 per level; difficulty 50/100/150 percent. Units at level 1: ATTACK 20
// (+1 per level), COUNTERATTACK 10, DEFENCE 10, HITPOINTS 40 (+5), MANA 20
// (+2), ACTIONPOINTS 12; experience 100 per level plus 50 x (level - 1).
// Player 0's soldier fights player 1's wolf, all players human.
class UnitCombat : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    SavedDifficulty = Main::Difficulty;
    MakeScenario();
    AttackerGroup = NewGroup(0, 1, 1, {Soldier});
    TargetGroup = NewGroup(1, 2, 1, {Wolf});
    Attacker = AttackerGroup->Units[0];
    Target = TargetGroup->Units[0];
  }
  void TearDown() override {
    Main::Difficulty = SavedDifficulty;
    TWorldFixture::TearDown();
  }
  // Player 0 becomes a computer player hostile to player 1.
  void MakeHardComputer(i32 difficulty) {
    Scenario->Players[0]->Kind = GameData::pkComputer;
    Scenario->Players[0]->Relations[1] = GameData::rHostile;
    Main::Difficulty = difficulty;
  }
  // The damage the next blow will do, without using up the draw.
  i32 NextAttackDamage(TUnit* attacker, TUnit* target, bool counter = false) {
    const TRandomState saved = GameData::RandomMain;
    i32 d = counter ? attacker->CounterAttackDamage(target) : attacker->AttackDamage(target);
    GameData::RandomMain = saved;
    return d;
  }

  i32 SavedDifficulty = 1;
  GameData::TGroup* AttackerGroup = nullptr;
  GameData::TGroup* TargetGroup = nullptr;
  TUnit* Attacker = nullptr;
  TUnit* Target = nullptr;
};

TEST_F(UnitCombat, EstimatedDamage) {
  struct TCase {
    const char* what;
    i32 morale;
    i32 bonus;
    i16 targetDefence;
    bool counter;
    i32 expected;
  };
  const TCase cases[] = {
      {"plain", 50, 0, 10, false, 10},
      {"defence bonus 50", 50, 50, 10, false, 5},
      {"defence bonus 33 truncates", 50, 33, 10, false, 7},
      {"negative bonus", 50, -50, 10, false, 15},
      {"morale 100", 100, 0, 10, false, 15},
      {"morale 0", 0, 0, 10, false, 5},
      {"morale 44", 44, 0, 10, false, 9},
      {"morale 45", 45, 0, 10, false, 10},
      {"morale 54", 54, 0, 10, false, 10},
      {"morale 55", 55, 0, 10, false, 11},
      {"never negative", 50, 0, 40, false, 0},
      {"counter-attack", 50, 0, 10, true, 15},
      {"counter-attack ignores the bonus", 50, 50, 10, true, 15},
      {"counter-attack with morale 100", 100, 0, 10, true, 20},
  };
  Attacker->Base.CounterAttack.Current = 25;
  for (const TCase& c : cases) {
    SetMorale(Attacker, c.morale);
    Target->DefenceBonus = c.bonus;
    Target->Base.Defence.Current = c.targetDefence;
    Target->RecalcEffective(true);
    const TRandomState before = GameData::RandomMain;
    i32 d = c.counter ? Attacker->EstimateCounterAttackDamage(Target) : Attacker->EstimateAttackDamage(Target);
    EXPECT_EQ(d, c.expected) << c.what;
    EXPECT_EQ(GameData::RandomMain.Low, before.Low) << "no draw";
    EXPECT_EQ(GameData::RandomMain.High, before.High);
  }
}

TEST_F(UnitCombat, RandomDamageIsAGaussianAroundTheEstimate) {
  // From this seed the first deviates are 21 and 16 for a strength of 20, 27
  // for a counter-attack strength of 25.
  GameData::RandomMain = {12345, 0};
  EXPECT_EQ(Attacker->AttackDamage(Target), 11);
  EXPECT_EQ(Attacker->AttackDamage(Target), 6);
  Attacker->Base.CounterAttack.Current = 25;
  Attacker->RecalcEffective(true);
  Target->DefenceBonus = 100;  // not for counter-attacks
  GameData::RandomMain = {12345, 0};
  EXPECT_EQ(Attacker->CounterAttackDamage(Target), 17);
  Target->DefenceBonus = 0;

  GameData::RandomMain = {2024, 7};
  const int n = 4000;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    i32 d = Attacker->AttackDamage(Target);
    ASSERT_GE(d, 0);
    sum += d;
  }
  EXPECT_NEAR(sum / n, 10.0, 0.2);

  // A strong defence never gives negative damage.
  Target->Base.Defence.Current = 22;
  Target->RecalcEffective(true);
  for (int i = 0; i < 500; ++i) ASSERT_GE(Attacker->AttackDamage(Target), 0);
}

TEST_F(UnitCombat, DifficultyScalesComputerPlayersAgainstPlayerOne) {
  // Hard (150 %): the computer's soldier strikes with 30 against 10.
  MakeHardComputer(2);
  EXPECT_EQ(Attacker->EstimateAttackDamage(Target), 20);
  // The human's wolf meets a defence of 15.
  EXPECT_EQ(Target->EstimateAttackDamage(Attacker), 5);
  EXPECT_EQ(Target->EstimateCounterAttackDamage(Attacker), 0);

  // Easy (50 %), morale 60: 21 x 0.5 = 10.5 rounds to 11.
  MakeHardComputer(0);
  SetMorale(Attacker, 60);
  EXPECT_EQ(Attacker->EstimateAttackDamage(Target), 1);
  SetMorale(Attacker, 50);

  // The result is cut to 16 bits: 45000 - 10 is negative there.
  MakeHardComputer(2);
  Attacker->Base.Attack.Current = 30000;
  Attacker->RecalcEffective(true);
  EXPECT_EQ(Attacker->EstimateAttackDamage(Target), 0);
  Attacker->Base.Attack.Current = 20;
  Attacker->RecalcEffective(true);

  // No scaling: not hostile to player 1, not a campaign, a human player, or
  // a unit without an owner.
  Scenario->Players[0]->Relations[1] = GameData::rNeutral;
  EXPECT_EQ(Attacker->EstimateAttackDamage(Target), 10);
  MakeHardComputer(2);
  Scenario->NotCampaign = 1;
  EXPECT_EQ(Attacker->EstimateAttackDamage(Target), 10);
  Scenario->NotCampaign = 0;
  Scenario->Players[0]->Kind = GameData::pkHuman;
  EXPECT_EQ(Attacker->EstimateAttackDamage(Target), 10);
  MakeHardComputer(2);
  AttackerGroup->RemoveUnit(Attacker, false, false);
  EXPECT_EQ(Attacker->EstimateAttackDamage(Target), 10);
}

TEST_F(UnitCombat, TakeDamageOverkill) {
  Target->AddHitPoints(-28);  // 12 left
  EXPECT_EQ(Target->TakeDamage(30), 12);
  EXPECT_EQ(Target->Base.HitPoints.Current, -18) << "the full blow comes off the base";
  EXPECT_EQ(Target->Effective.HitPoints.Current, 0);
  EXPECT_TRUE(Target->IsDead());
  EXPECT_EQ(Target->Effective.Experiences, 12) << "wound experience by the damage dealt";
  EXPECT_EQ(Target->Effective.Morale, 47) << "1 - 10 x 12 / 40 - 1 = -3";
  ASSERT_EQ(Target->Wounds.Count(), 1);
  EXPECT_EQ(Target->Wounds[0].Damage, 12);
  EXPECT_EQ(Target->Wounds[0].Age, 0);
}

TEST_F(UnitCombat, TakeDamageMoraleAndWounds) {
  struct TCase {
    i16 level;
    i32 damage;
    i32 morale;
    i32 wounds;
  };
  // HITPOINTS maximum 40 at level 1, 50 at level 3, 60 at level 5.
  // m = LEVEL - 10 x dealt / maximum - 1; only a negative m counts.
  const TCase cases[] = {{1, 0, 50, 0},  {1, 3, 50, 1},  {1, 4, 49, 1}, {1, 40, 40, 1},
                         {3, 10, 50, 1}, {3, 25, 47, 1}, {5, 10, 50, 1}, {5, 30, 49, 1}};
  for (const TCase& c : cases) {
    TUnit* u = NewUnit(Wolf);
    SetLevel(u, c.level);
    u->TakeDamage(c.damage);
    EXPECT_EQ(u->Effective.Morale, c.morale) << "level " << c.level << ", damage " << c.damage;
    EXPECT_EQ(u->Wounds.Count(), c.wounds);
  }
  TUnit* u = NewUnit(Wolf);
  u->RecordWounds = 0;
  u->TakeDamage(5);
  EXPECT_EQ(u->Wounds.Count(), 0);
  EXPECT_EQ(u->Effective.HitPoints.Current, 35);
}

TEST_F(UnitCombat, AttackPaysGainsAndHurts) {
  GameData::RandomMain = {12345, 0};
  const i32 d = NextAttackDamage(Attacker, Target);
  ASSERT_EQ(d, 11);
  Attacker->Attack(Target);
  EXPECT_EQ(Target->Effective.HitPoints.Current, 29);
  EXPECT_EQ(Target->Effective.Experiences, 11);
  EXPECT_EQ(Target->Effective.Morale, 48);
  EXPECT_EQ(Attacker->Effective.ActionPoints.Current, 8);
  EXPECT_EQ(Attacker->Base.ActionPoints.Current, 8);
  EXPECT_EQ(Attacker->Effective.Experiences, 22);
  EXPECT_EQ(Attacker->Effective.Morale, 50);
  EXPECT_FALSE(Target->IsDead());

  // A counter-attack is the same blow with COUNTERATTACK: 10 against 10.
  const i32 c = NextAttackDamage(Target, Attacker, true);
  Target->CounterAttack(Attacker);
  EXPECT_EQ(Attacker->Effective.HitPoints.Current, 40 - c);
  EXPECT_EQ(Target->Effective.ActionPoints.Current, 8);
}

TEST_F(UnitCombat, KillingBlow) {
  GameData::TGroup* g = NewGroup(1, 3, 3, {Wolf, Soldier});
  TUnit* victim = g->Units[0];
  TUnit* mate = g->Units[1];
  victim->AddHitPoints(-35);  // 5 left
  GameData::RandomMain = {12345, 0};
  ASSERT_EQ(NextAttackDamage(Attacker, victim), 11);
  Attacker->Attack(victim);
  EXPECT_TRUE(victim->IsDead());
  EXPECT_EQ(victim->Base.HitPoints.Current, -6);
  // 2 x 5 dealt, then 50 for the kill, both at the victim's level 1.
  EXPECT_EQ(Attacker->Effective.Experiences, 60);
  EXPECT_EQ(Attacker->Effective.Morale, 51);
  EXPECT_EQ(mate->Effective.Morale, 48);
  EXPECT_EQ(Target->Effective.Morale, 50) << "not in the victim's group";
}

TEST_F(UnitCombat, KillMoraleUsesTheLevelAfterTheKill) {
  // Killing a level-3 unit brings 6 + 150 experience: the killer reaches
  // level 2 before the kill morale, (3 - 2) x 3 + 1 = 4.
  SetLevel(Target, 3);
  Target->AddHitPoints(-49);
  GameData::RandomMain = {12345, 0};
  Attacker->Attack(Target);
  ASSERT_TRUE(Target->IsDead());
  EXPECT_EQ(Attacker->Effective.Experiences, 156);
  EXPECT_EQ(Attacker->Effective.Level, 2);
  EXPECT_EQ(Attacker->LevelledUp, 1);
  EXPECT_EQ(Attacker->Effective.Morale, 54);
}

TEST_F(UnitCombat, KillMoraleNumbers) {
  GameData::TGroup* g = NewGroup(1, 3, 3, {Wolf, Wolf, Wolf});
  TUnit* victim = g->Units[0];
  TUnit* sameLevel = g->Units[1];
  TUnit* lowLevel = g->Units[2];
  SetLevel(victim, 3);
  SetLevel(sameLevel, 3);

  Attacker->GainKillMorale(victim);
  EXPECT_EQ(Attacker->Effective.Morale, 57) << "(3 - 1) x 3 + 1";
  victim->GainKillMorale(Attacker);
  EXPECT_EQ(victim->Effective.Morale, 51) << "at least 1";

  victim->DemoralizeGroupMates();
  EXPECT_EQ(victim->Effective.Morale, 51);
  EXPECT_EQ(sameLevel->Effective.Morale, 48);
  EXPECT_EQ(lowLevel->Effective.Morale, 36);
  // The dead lose nothing.
  sameLevel->AddHitPoints(-1000);
  victim->DemoralizeGroupMates();
  EXPECT_EQ(sameLevel->Effective.Morale, 48);
  EXPECT_EQ(lowLevel->Effective.Morale, 22);

  // Outside a group nothing happens.
  TUnit* loner = NewUnit(Wolf);
  loner->DemoralizeGroupMates();
}

TEST_F(UnitCombat, AnAttackerUnderEffect100HurtsItself) {
  auto* e = new GameData::TAfterEffect{};
  e->EffectID = 100;
  e->TurnsLeft = 2;
  Attacker->AddAfterEffect(e);
  GameData::RandomMain = {12345, 0};
  Attacker->Attack(Target);
  EXPECT_EQ(Attacker->Effective.HitPoints.Current, 29);
  EXPECT_EQ(Attacker->Effective.Experiences, 11) << "wound experience only";
  EXPECT_EQ(Attacker->Effective.ActionPoints.Current, 8);
  EXPECT_EQ(Target->Effective.HitPoints.Current, 40);
  EXPECT_EQ(Target->Effective.Experiences, 0);
  EXPECT_EQ(Target->Effective.Morale, 50);
  EXPECT_TRUE(Target->Wounds.Count() == 0);

  Attacker->SimulateAttack(Target);
  EXPECT_EQ(Attacker->Effective.HitPoints.Current, 19);
  EXPECT_EQ(Target->Effective.HitPoints.Current, 40);
}

TEST_F(UnitCombat, SimulatedBlowsUseTheEstimate) {
  const TRandomState before = GameData::RandomMain;
  Attacker->SimulateAttack(Target);
  EXPECT_EQ(Target->Effective.HitPoints.Current, 30);
  EXPECT_EQ(Target->Effective.Experiences, 10);
  EXPECT_EQ(Target->Effective.Morale, 48);
  EXPECT_EQ(Attacker->Effective.ActionPoints.Current, 8);
  EXPECT_EQ(Attacker->Base.ActionPoints.Current, 12) << "only the effective record pays";
  EXPECT_EQ(Attacker->Effective.Experiences, 0);
  EXPECT_EQ(GameData::RandomMain.Low, before.Low);
  EXPECT_EQ(GameData::RandomMain.High, before.High);

  Attacker->Base.CounterAttack.Current = 25;
  Attacker->RecalcEffective(true);
  Attacker->SimulateCounterAttack(Target);
  EXPECT_EQ(Target->Effective.HitPoints.Current, 15);
  EXPECT_EQ(Attacker->Effective.ActionPoints.Current, 8) << "the recalculation gave the simulated cost back";

  // A simulated kill has no kill effects.
  Attacker->SimulateCounterAttack(Target);
  EXPECT_TRUE(Target->IsDead());
  EXPECT_EQ(Attacker->Effective.Experiences, 0);
  EXPECT_EQ(Attacker->Effective.Morale, 50);
}

TEST_F(UnitCombat, ExperienceIsDividedByTheLevel) {
  SetLevel(Attacker, 3);  // 350 points
  Attacker->GainExperience(10, 1);
  EXPECT_EQ(Attacker->Base.Experiences, 353) << "10 / 3";
  Attacker->GainExperience(100, 3);
  EXPECT_EQ(Attacker->Base.Experiences, 453);
  Attacker->GainExperience(-30, 1);
  EXPECT_EQ(Attacker->Base.Experiences, 443);
}

TEST_F(UnitCombat, MaxLevelCapsExperience) {
  Scenario->MaxLevel = 5;  // level 5 needs 900
  Attacker->GainExperience(5000, 1);
  EXPECT_EQ(Attacker->Base.Experiences, 900);
  EXPECT_EQ(Attacker->Effective.Level, 5);
  Attacker->GainExperience(100, 1);
  EXPECT_EQ(Attacker->Base.Experiences, 900);

  // Experience already above the cap is neither cut nor raised.
  Target->Base.Experiences = 1000;
  Target->GainExperience(100, 1);
  EXPECT_EQ(Target->Base.Experiences, 1000);
  EXPECT_EQ(Target->Effective.Level, 5);

  // Without an owner, or without a cap, experience grows freely.
  TUnit* loner = NewUnit(Wolf);
  loner->GainExperience(5000, 1);
  EXPECT_EQ(loner->Base.Experiences, 5000);
  Scenario->MaxLevel = 0;
  Attacker->GainExperience(100, 1);
  EXPECT_EQ(Attacker->Base.Experiences, 920);
}

TEST_F(UnitCombat, LevelUpOverSeveralLevels) {
  TUnit* u = NewUnit(Knight);
  u->AddHitPoints(-10);
  u->AddMana(-5);
  u->AddActionPoints(-2);
  u->Base.Attack.Current = 30;  // replaced by the value at the new level
  u->RecalcEffective(true);
  EXPECT_FALSE(u->CanLevelUp());
  EXPECT_FALSE(u->LevelUp());
  u->GainExperience(350, 1);
  EXPECT_EQ(u->Effective.Level, 3);
  EXPECT_EQ(u->Effective.HitPoints.Current, 40) << "30 + (50 - 40)";
  EXPECT_EQ(u->Effective.Mana.Current, 19) << "15 + (24 - 20)";
  EXPECT_EQ(u->Effective.ActionPoints.Current, 10);
  EXPECT_EQ(u->Effective.Attack.Current, 22);
  EXPECT_EQ(u->Effective.CounterAttack.Current, 10);
  EXPECT_EQ(u->LevelledUp, 1);
  EXPECT_FALSE(u->CanLevelUp());

  // Twenty is the top.
  u->GainExperience(30000, 3);
  EXPECT_EQ(u->Effective.Level, 20);
  EXPECT_EQ(u->Effective.HitPoints.Current, 40 + 17 * 5);
}

TEST_F(UnitCombat, TheDeadDoNotLevelUp) {
  Target->AddHitPoints(-40);
  Target->GainExperience(1000, 1);
  EXPECT_EQ(Target->Base.Experiences, 1000);
  EXPECT_EQ(Target->Effective.Level, 1);
  EXPECT_FALSE(Target->CanLevelUp());
}

// Damage and two gains of experience save recalculations of the values;
// the results are those of every step recalculated, from settled values and
// from values a recalculation has yet to settle.
TEST_F(UnitCombat, FewerRecalculationsSameValues) {
  enum TState { sPlain, sExcessHitPoints, sNearLevelUp, sStaleMorale, sCapped, sNegativeMaximum };
  auto prepare = [&](TUnit* u, TState state) {
    SetLevel(u, 3);
    if (state == sExcessHitPoints) {
      auto* e = new GameData::TAfterEffect{};
      e->EffectID = 79;
      e->Properties.HitPoints.Current = 30;
      u->AddAfterEffect(e);  // the base loses the excess, the values still show it
    }
    if (state == sNearLevelUp) u->Base.Experiences = static_cast<i16>(u->Base.ExperienceForLevel(4) - 3);
    if (state == sStaleMorale) u->Effective.Morale = 5;
    // Odd data: every recalculation takes the excess over -5 off again.
    if (state == sNegativeMaximum) u->Base.HitPoints = {-3, -5, 0, 0};
    Scenario->MaxLevel = state == sCapped ? 3 : 0;
  };
  auto same = [](const TUnit* a, const TUnit* b) {
    EXPECT_EQ(std::memcmp(&a->Base, &b->Base, sizeof a->Base), 0);
    EXPECT_EQ(std::memcmp(&a->Effective, &b->Effective, sizeof a->Effective), 0);
    EXPECT_EQ(a->LevelledUp, b->LevelledUp);
  };
  for (TState state : {sPlain, sExcessHitPoints, sNearLevelUp, sStaleMorale, sCapped, sNegativeMaximum}) {
    for (i32 damage : {0, 7, 200}) {
      SCOPED_TRACE(::testing::Message() << state << " " << damage);
      GameData::TGroup* g = NewGroup(0, 5, 5, {Knight, Knight});
      TUnit* a = g->Units[0];
      TUnit* b = g->Units[1];
      prepare(a, state);
      prepare(b, state);
      a->TakeDamage(damage);
      // Every step recalculated, as the rules state it.
      const i32 dealt = std::min<i32>(damage, b->Effective.HitPoints.Current);
      b->GainExperience(Global->WoundExperience * dealt, 1);
      const i32 maxHP = b->Effective.HitPoints.ValueAt(b->Effective.Level);
      b->AddMorale(std::min(b->Effective.Level - Global->DamageMoraleFactor * dealt / maxHP - 1, 0));
      b->Base.HitPoints.Current = static_cast<i16>(b->Base.HitPoints.Current - damage);
      b->RecalcEffective(true);
      same(a, b);

      prepare(a, state);
      prepare(b, state);
      a->GainExperienceTwice(damage, 3 * damage + 1, 2);
      b->GainExperience(damage, 2);
      b->GainExperience(3 * damage + 1, 2);
      same(a, b);
    }
  }
}

TEST_F(UnitCombat, DivisionsAreGuarded) {
  // A unit of level 0 gains as if it were level 1.
  TUnit* u = NewUnit(Wolf);
  SetLevel(u, 0);
  u->GainExperience(10, 1);
  EXPECT_EQ(u->Base.Experiences, 10);

  // A unit without a hit-point maximum loses no morale by share.
  TUnit* v = NewUnit(Wolf);
  v->Base.HitPoints = {0, 0, 0, 0};
  v->RecalcEffective(true);
  EXPECT_EQ(v->TakeDamage(5), 0);
  EXPECT_EQ(v->Base.HitPoints.Current, -5);
  EXPECT_EQ(v->Effective.Morale, 50);
}

}  // namespace
}  // namespace WorldTest
