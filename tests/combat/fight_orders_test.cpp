// The automatic battle orders: action values, the quick and the thorough
// decider, the worker and the main stream it keeps.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "combat/fight_orders.h"
#include "engine/athread/action_thread.h"
#include "tests/combat/combat_fixture.h"
#include "world/scenario/random.h"
#include "world/scenario/settings.h"

namespace CombatTest {
namespace {

using namespace GameData;
using WorldTest::Knight;
using WorldTest::Skeleton;
using WorldTest::Soldier;
using WorldTest::Wolf;

class FightOrders : public TCombatFixture {
 protected:
  void SetUp() override {
    TCombatFixture::SetUp();
    SavedCast = Main::CastInAutoCombat;
  }
  void TearDown() override {
    Main::CastInAutoCombat = SavedCast;
    TCombatFixture::TearDown();
  }
  bool SavedCast = true;

  // Both sides computer-owned: the thorough orders of the attacker, then of
  // the defender, as "kind.spell.target " of combatants 0..5 each time.
  std::string BothSidesDecide() {
    Scenario->Players[0]->Kind = pkComputer;
    Scenario->Players[1]->Kind = pkComputer;
    std::string got;
    auto note = [&] {
      for (i32 i = 0; i < CombatantCount; ++i)
        got += std::to_string(Fight.Actions[i].Kind) + "." + std::to_string(Fight.Actions[i].Spell) + "." +
               std::to_string(Fight.Actions[i].Target) + " ";
    };
    ChooseComputerAttackerOrders(&Fight);
    note();
    ChooseComputerDefenderOrders(&Fight);
    note();
    return got;
  }

  // Every battle spell with random level, class, targets, parameters and
  // costs; both sides of random kinds at levels 3 to 8, full mana and
  // random morale, each unit knowing `book` distinct spells; the units past
  // the living counts fallen.
  void LargeBookBattle(u32 seed, i32 book, u32 attackers, u32 defenders) {
    std::mt19937 rng(seed);
    auto pick = [&rng](u32 n) { return static_cast<i32>(rng() % n); };
    const u32 targetFlags[] = {1, 2, 3, 4, 16, 18, 19};
    const u32 kinds[] = {Soldier, Wolf, Skeleton, Knight};
    i16 numbers[61];
    for (i16 n = 65; n <= 125; ++n) {
      numbers[n - 65] = n;
      const i16 level = static_cast<i16>(1 + pick(6)), cls = static_cast<i16>(1 + pick(3));
      const u32 targets = targetFlags[pick(7)];
      i16 p[7];
      for (i32 k = 0; k < 7; ++k) p[k] = static_cast<i16>(pick(k < 2 ? 200 : k < 4 ? 60 : 20));
      TSpellPrototype& s = AddSpell(n, level, cls, targets, {p[0], p[1], p[2], p[3], p[4], p[5], p[6]});
      s.ManaCost = static_cast<i16>(pick(12));
      s.APCost = static_cast<i16>(1 + pick(6));
      s.CastExperience = static_cast<i16>(pick(30));
    }
    u32 k[6];
    for (i32 i = 0; i < 6; ++i) k[i] = kinds[pick(4)];
    MakeBattle({k[0], k[1], k[2]}, {k[3], k[4], k[5]});
    for (i32 i = 0; i < CombatantCount; ++i) {
      TUnit* u = U(i);
      SetLevelOf(u, static_cast<i16>(3 + pick(6)));
      SetHP(u, 5 + pick(60));
      SetMana(u, 1000);
      SetMorale(u, 20 + pick(80));
      // The first `book` spells of a shuffle.
      for (i32 j = 0; j < book; ++j) {
        std::swap(numbers[j], numbers[j + pick(static_cast<u32>(61 - j))]);
        Teach(u, numbers[j]);
      }
    }
    for (u32 i = attackers; i < 3; ++i) SetHP(U(static_cast<i32>(i)), 0);
    for (u32 i = defenders; i < 3; ++i) SetHP(U(static_cast<i32>(3 + i)), 0);
  }
};

TEST_F(FightOrders, ActionValues) {
  // The hero moves to the front: 3 is the knight, 4 the wolf.
  MakeBattle({Soldier}, {Wolf, Knight});
  // Estimated blow: attack 20 against defence 10.
  SetHP(U(4), 10);
  EXPECT_EQ(ScoreAction(U(0), U(4), false, &Fight, -1), 100);
  SetHP(U(3), 10);
  EXPECT_EQ(ScoreAction(U(0), U(3), false, &Fight, -1), 150);
  SetHP(U(3), 40);
  EXPECT_EQ(ScoreAction(U(0), U(3), false, &Fight, -1), 20);
  // Nothing changed by scoring.
  EXPECT_EQ(U(3)->Effective.HitPoints.Current, 40);
  EXPECT_EQ(U(0)->Effective.ActionPoints.Current, 12);
  // A spell: 40 hit points killed by spell 69 (damage 40).
  AddSpell(69, 1, 1, 2, {100, 0, 40, 0});
  Teach(U(0), 69);
  SetHP(U(4), 40);
  EXPECT_EQ(ScoreAction(U(0), U(4), false, &Fight, 69 - 64), 100);
  EXPECT_EQ(ScoreAction(U(0), U(3), false, &Fight, 69 - 64), 150);
  // Thirty points to a hero score sixty.
  Global->SpellPrototypes[Global->FindSpellPrototype(69)].Params[2] = 30;
  EXPECT_EQ(ScoreAction(U(0), U(3), false, &Fight, 69 - 64), 60);
  EXPECT_EQ(U(0)->Effective.Mana.Current, 20);
}

TEST_F(FightOrders, QuickDeciderWithoutSpellsStrikesTheWeakest) {
  AddSpell(69, 1, 1, 2, {100, 0, 40, 0});
  MakeBattle({Soldier, Soldier, Soldier}, {Wolf, Wolf});
  for (i32 i = 0; i < 3; ++i) Teach(U(i), 69);
  SetHP(U(4), 8);
  // Unit 2 cannot pay the attack cost: no order.
  SetAP(U(2), 3);
  Fight.SetAttackAction(2, 3);
  Main::CastInAutoCombat = false;
  ChooseAttackerOrders(&Fight, Main::CastInAutoCombat);
  // Equal mana: the unstable sort puts actor 1 first. It kills 4 (worth
  // 100); actor 0 finds 4 dead in its trial and strikes 3.
  EXPECT_EQ(Fight.Actions[1].Kind, fakAttack);
  EXPECT_EQ(Fight.Actions[1].Target, 4);
  EXPECT_EQ(Fight.Actions[0].Kind, fakAttack);
  EXPECT_EQ(Fight.Actions[0].Target, 3);
  EXPECT_EQ(Fight.Actions[2].Kind, fakNone);
  EXPECT_FALSE(U(4)->IsDead());
  // With spells: the blow before the spell on equal values; the spell that
  // kills 3 beats a blow of 10.
  ChooseAttackerOrders(&Fight, true);
  EXPECT_EQ(Fight.Actions[1].Kind, fakAttack);
  EXPECT_EQ(Fight.Actions[0].Kind, fakSpell);
  EXPECT_EQ(Fight.Actions[0].Spell, 69);
  EXPECT_EQ(Fight.Actions[0].Target, 3);
}

TEST_F(FightOrders, WithoutDamageEveryActorStrikesTheLowestDefence) {
  MakeBattle({Soldier, Soldier}, {Wolf, Wolf, Wolf});
  for (i32 i : {3, 4, 5}) {
    auto* e = new TAfterEffect{};
    e->EffectID = 79;
    e->Properties.Defence.Current = static_cast<i16>(i == 4 ? 30 : 40);
    U(i)->AddAfterEffect(e);
  }
  ChooseAttackerOrders(&Fight, true);
  for (i32 i : {0, 1}) {
    EXPECT_EQ(Fight.Actions[i].Kind, fakAttack);
    EXPECT_EQ(Fight.Actions[i].Target, 4);
  }
}

TEST_F(FightOrders, EvaluationsCompare) {
  auto ev = [](double cost, double benefit) {
    TFightEvaluation e;
    e.Cost = cost;
    e.Benefit = benefit;
    return e;
  };
  struct TCase {
    TFightEvaluation candidate, best;
    bool better;
  };
  const TCase cases[] = {
      {ev(5, 11), ev(5, 10), true},  {ev(5, 10), ev(5, 10), false}, {ev(4, 10), ev(5, 10), true},
      {ev(4, 9), ev(5, 10), false},  {ev(10, 20), ev(5, 10), true}, {ev(10, 14), ev(5, 10), false},
      {ev(0.5, 2), ev(0, 1), true},  {ev(1e6, 0), ev(0, 0), false}, {ev(6, 10), ev(5, 10), false},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(IsBetterEvaluation(c.candidate, c.best), c.better) << c.candidate.Cost << " " << c.candidate.Benefit;
}

TEST_F(FightOrders, ThoroughDeciderNeverChoosesAFailingSpell) {
  // Spell 97 would take all action points, but its estimated contest is lost.
  AddSpell(97, 1, 1, 2, {0, 100, 0});
  AddSpell(69, 1, 1, 2, {100, 0, 15, 0});
  MakeBattle({Soldier}, {Wolf});
  Teach(U(0), 97);
  ChooseComputerAttackerOrders(&Fight);
  EXPECT_EQ(Fight.Actions[0].Kind, fakAttack);
  EXPECT_EQ(Fight.Actions[0].Target, 3);
  // A spell that does more than a blow and wins its contest is chosen.
  Teach(U(0), 69);
  ChooseComputerAttackerOrders(&Fight);
  EXPECT_EQ(Fight.Actions[0].Kind, fakSpell);
  EXPECT_EQ(Fight.Actions[0].Spell, 69);
  EXPECT_EQ(U(3)->Effective.HitPoints.Current, 40);
}

TEST_F(FightOrders, AComputerDefenderMayProtectItselfAndThenStrikesBack) {
  MakeBattle({Soldier}, {Wolf});
  Scenario->Players[1]->Kind = pkComputer;
  Fight.SetAttackAction(0, 3);
  ChooseComputerDefenderOrders(&Fight);
  // The attacker's order stays.
  EXPECT_EQ(Fight.Actions[0].Target, 3);
  ASSERT_TRUE(Fight.Actions[3].Kind == fakProtect || Fight.Actions[3].Kind == fakAttack);
  Fight.ResolveProtectOrders();
  EXPECT_EQ(Fight.Actions[3].Kind, fakAttack);
  EXPECT_EQ(Fight.Actions[3].Target, 0);
}

TEST_F(FightOrders, TheWorkerLeavesTheMainStreamAsItFoundIt) {
  AddSpell(120, 1, 1, 16);
  AddSpell(78, 1, 1, 2, {3, 400});
  MakeBattle({Soldier, Soldier}, {Wolf, Wolf});
  Teach(U(0), 120), Teach(U(0), 78), Teach(U(3), 78);
  Scenario->Players[0]->Kind = pkComputer;
  const TRandomState before = RandomMain;
  const i32 units = Scenario->Units.Count();
  Fight.StartAttackerOrders();
  while (Fight.IsOrderThreadRunning()) std::this_thread::yield();
  EXPECT_TRUE(Fight.OrderThread->Succeeded) << Fight.OrderThread->ErrorMessage;
  Fight.FreeOrderThread();
  EXPECT_EQ(Fight.OrdersDone, 1);
  EXPECT_EQ(RandomMain.Low, before.Low);
  EXPECT_EQ(RandomMain.High, before.High);
  EXPECT_EQ(A->GetUnitCount(), 2);
  EXPECT_EQ(Scenario->Units.Count(), units);
  EXPECT_NE(Fight.Actions[0].Kind, fakNone);
  Fight.StartDefenderOrders();
  Fight.FreeOrderThread();
  EXPECT_EQ(Fight.OrdersDone, 1);
  EXPECT_NE(Fight.Actions[3].Kind, fakNone);
  EXPECT_EQ(RandomMain.Low, before.Low);
}

// The thorough decider over seeded battles: spells of many formulas, levels
// and classes, units with random pools. The decisions are those the decider
// made before it was made faster; any change of a decision shows here.
TEST_F(FightOrders, ThoroughDecisionsOverSeededBattles) {
  struct TCase {
    u32 Seed;
    const char* Orders;  // kind.spell.target of combatants 0..5, attacker's then defender's choice
  };
  const TCase cases[] = {
      {1, "1.-1.3 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.3 0.-1.-1 0.-1.-1 1.-1.0 0.-1.-1 0.-1.-1 "},
      {2, "1.-1.3 1.-1.3 1.-1.3 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.3 1.-1.3 1.-1.3 1.-1.0 0.-1.-1 0.-1.-1 "},
      {3, "1.-1.5 2.69.4 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.5 2.69.4 0.-1.-1 1.-1.0 2.69.0 1.-1.0 "},
      {4, "1.-1.3 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.3 0.-1.-1 0.-1.-1 1.-1.0 0.-1.-1 0.-1.-1 "},
      {5, "1.-1.4 1.-1.4 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.4 1.-1.4 0.-1.-1 2.116.0 2.121.0 0.-1.-1 "},
      {6, "1.-1.3 2.78.4 1.-1.3 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.3 2.78.4 1.-1.3 1.-1.0 1.-1.0 0.-1.-1 "},
      {7, "1.-1.3 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.3 0.-1.-1 0.-1.-1 1.-1.0 1.-1.0 2.69.0 "},
      {8, "1.-1.3 1.-1.3 1.-1.4 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.3 1.-1.3 1.-1.4 3.-1.4 1.-1.0 0.-1.-1 "},
  };
  const i16 numbers[] = {65, 66, 67, 69, 70, 71, 73, 76, 77, 78, 80, 84, 85, 89, 92, 97, 98, 104, 116, 120, 121, 122};
  const u32 targetFlags[] = {1, 2, 3, 4, 16, 18};
  const u32 kinds[] = {Soldier, Wolf, Skeleton, Knight};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Seed);
    std::mt19937 rng(c.Seed);
    auto pick = [&rng](u32 n) { return static_cast<i32>(rng() % n); };
    // One draw after the other: the order of a call's arguments is the compiler's.
    for (i16 n : numbers) {
      const i16 level = static_cast<i16>(1 + pick(4)), cls = static_cast<i16>(1 + pick(3));
      const u32 targets = targetFlags[pick(6)];
      i16 p[5];
      for (i32 k = 0; k < 5; ++k) p[k] = static_cast<i16>(pick(k < 2 ? 150 : k < 4 ? 60 : 20));
      AddSpell(n, level, cls, targets, {p[0], p[1], p[2], p[3], p[4]});
    }
    const u32 a = 1 + static_cast<u32>(pick(3));
    const u32 d = 1 + static_cast<u32>(pick(3));
    u32 k[6];
    for (i32 i = 0; i < 6; ++i) k[i] = kinds[pick(i == 3 ? 4 : 3)];
    MakeBattle({k[0], k[1], k[2]}, {k[3], k[4], k[5]});
    for (i32 i = 0; i < CombatantCount; ++i) {
      TUnit* u = U(i);
      if (!u) continue;
      const i16 level = static_cast<i16>(1 + pick(5));
      const i32 hp = 5 + pick(60);
      const i32 mana = pick(80);
      SetLevelOf(u, level);
      SetHP(u, hp);
      SetMana(u, mana);
      for (i32 k = 0; k < 5; ++k) Teach(u, numbers[pick(sizeof numbers / sizeof numbers[0])]);
    }
    // Fewer units on a side: the last ones fall in an earlier battle.
    for (u32 i = a; i < 3; ++i) SetHP(U(static_cast<i32>(i)), 0);
    for (u32 i = d; i < 3; ++i) SetHP(U(static_cast<i32>(3 + i)), 0);
    EXPECT_EQ(BothSidesDecide(), c.Orders);
    Fight.Reset();
  }
}

// As above with large spell books (see LargeBookBattle): the casting
// passes carry the trial rounds.
TEST_F(FightOrders, ThoroughDecisionsWithLargeSpellBooks) {
  struct TCase {
    u32 Seed;
    i32 Book;
    u32 Attackers, Defenders;  // living units of each side
    const char* Orders;
  };
  const TCase cases[] = {
      {10, 4, 3, 3,
       "1.-1.4 2.65.1 1.-1.3 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.4 2.65.1 1.-1.3 1.-1.1 2.65.4 3.-1.3 "},
      {12, 8, 3, 2,
       "1.-1.3 2.67.2 1.-1.3 0.-1.-1 0.-1.-1 0.-1.-1 1.-1.3 2.67.2 1.-1.3 1.-1.0 2.117.0 0.-1.-1 "},
      {13, 10, 2, 2,
       "2.78.3 2.100.4 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 2.78.3 2.100.4 0.-1.-1 2.78.0 2.112.1 0.-1.-1 "},
      {14, 16, 2, 2,
       "2.117.4 2.83.3 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 2.117.4 2.83.3 0.-1.-1 2.83.0 2.83.1 0.-1.-1 "},
      {15, 24, 2, 1,
       "2.114.0 2.69.3 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 2.114.0 2.69.3 0.-1.-1 2.111.0 0.-1.-1 0.-1.-1 "},
      {16, 30, 1, 2,
       "2.107.3 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 2.107.3 0.-1.-1 0.-1.-1 1.-1.0 2.77.0 0.-1.-1 "},
      {17, 40, 1, 2,
       "2.78.3 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 2.78.3 0.-1.-1 0.-1.-1 1.-1.0 2.78.0 0.-1.-1 "},
      {18, 61, 1, 1,
       "2.69.3 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 2.69.3 0.-1.-1 0.-1.-1 2.94.0 0.-1.-1 0.-1.-1 "},
      {19, 61, 2, 1,
       "2.123.3 2.125.1 0.-1.-1 0.-1.-1 0.-1.-1 0.-1.-1 2.123.3 2.125.1 0.-1.-1 2.99.3 0.-1.-1 0.-1.-1 "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Seed);
    LargeBookBattle(c.Seed, c.Book, c.Attackers, c.Defenders);
    EXPECT_EQ(BothSidesDecide(), c.Orders);
    Fight.Reset();
  }
}

// Many more small battles, pinned by a digest of all their decisions.
TEST_F(FightOrders, ThoroughDecisionsOverManySeedsKeepTheirDigest) {
  u32 digest = 2166136261u;
  for (u32 seed = 100; seed < 140; ++seed) {
    LargeBookBattle(seed, 1 + static_cast<i32>(seed % 3), 1 + seed % 3, 1 + seed / 3 % 2);
    for (char ch : BothSidesDecide()) digest = (digest ^ static_cast<u8>(ch)) * 16777619u;
    Fight.Reset();
  }
  EXPECT_EQ(digest, 1456071193u);
}

}  // namespace
}  // namespace CombatTest
