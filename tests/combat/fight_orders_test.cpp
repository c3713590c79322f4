// The automatic battle orders: action values, the quick and the thorough
// decider, the worker and the main stream it keeps.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace CombatTest
