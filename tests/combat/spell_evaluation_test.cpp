// The computer opponent's questions about map spells: the answer table,
// answers that repeat and leave every stream alone, and simulations that
// change only the copies they are given and draw only from the thread's
// stream.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "combat/spell_rules.h"
#include "tests/combat/spell_fixture.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"

namespace CombatTest {
namespace {

using namespace GameData;
using WorldTest::Knight;
using WorldTest::Skeleton;
using WorldTest::Soldier;
using WorldTest::Wolf;

bool SameStream(const TRandomState& a, const TRandomState& b) { return a.Low == b.Low && a.High == b.High; }

class SpellEvaluation : public TSpellFixture {
 protected:
  void SetUp() override {
    TSpellFixture::SetUp();
    Scenario->Players[1]->Relations[2] = rHostile;
    Casters = NewGroup(1, 4, 4, {Knight});
    Caster = Casters->Units[0];
    Caster->Base.Level = 5;
    Caster->Base.Recalc();
    Caster->RecalcEffective(true);
    Scenario->CurrentPlayerIndex = 1;
    Scenario->Players[1]->Select(Casters);
    SavedThread = RandomThread;
  }
  void TearDown() override {
    RandomThread = SavedThread;
    TSpellFixture::TearDown();
  }
  void Params(i32 number, std::vector<i16> params) {
    if (Global->FindSpellPrototype(static_cast<i16>(number)) < 0) AddSpells({Record(static_cast<i16>(number))});
    TSpellPrototype& r = SpellRecord(number);
    std::fill(std::begin(r.Params), std::end(r.Params), 0);
    for (std::size_t k = 0; k < params.size(); ++k) r.Params[k] = params[k];
  }
  bool Ask(i32 number, i32 fx, i32 fy) {
    const TRandomState main = RandomMain, thread = RandomThread;
    const bool first = Scenario->SpellHasEffect(0, number, fx, fy);
    EXPECT_TRUE(SameStream(main, RandomMain)) << number << ": the main stream is untouched";
    EXPECT_TRUE(SameStream(thread, RandomThread)) << number << ": no draw at all";
    EXPECT_EQ(Scenario->SpellHasEffect(0, number, fx, fy), first) << number << ": the same question, the same answer";
    return first;
  }

  TGroup* Casters = nullptr;
  TUnit* Caster = nullptr;
  TRandomState SavedThread;
};

TEST_F(SpellEvaluation, AnswersByRule) {
  TGroup* soldiers = NewGroup(2, 6, 4, {Soldier, Soldier});
  TGroup* undead = NewGroup(2, 6, 6, {Skeleton});
  TGroup* single = NewGroup(2, 8, 8, {Wolf});
  for (i32 n : {2, 5, 9, 10, 14, 20, 21, 24, 33, 40, 43, 54, 59}) Params(n, {});
  Params(5, {100, 100});
  Params(9, {1000, 10});
  Params(10, {1000, 10});
  Params(40, {100, 100, 100});
  struct TCase {
    i32 Spell, X, Y;
    bool Answer;
  } cases[] = {
      {21, 12, 12, true},  {33, 12, 12, true},   {59, 6, 4, false},    {2, 6, 4, true},    {2, 12, 12, false},
      {5, 6, 4, true},     {9, 6, 4, true},      {9, 6, 6, false},     {10, 6, 6, true},   {10, 6, 4, false},
      {14, 6, 4, true},    {14, 6, 6, false},    {20, 6, 6, false},    {24, 6, 6, false},  {43, 8, 8, false},
      {43, 6, 4, true},    {54, 6, 6, true},     {54, 6, 4, false},    {40, 6, 4, true},   {62, 6, 4, false},
      {0, 6, 4, false},
  };
  for (const TCase& c : cases) EXPECT_EQ(Ask(c.Spell, c.X, c.Y), c.Answer) << c.Spell << " at " << c.X << "," << c.Y;

  // A weak caster loses the contest without chance; a strong one wins it.
  Params(5, {1, 10000});
  EXPECT_FALSE(Ask(5, 6, 4));
  // Effects every unit already carries answer no, except spell 17's damage.
  Params(17, {100, 1});
  for (TUnit* u : soldiers->Units)
    if (u) u->AddAfterEffect(NewAfterEffect(2, 3));
  EXPECT_FALSE(Ask(2, 6, 4));
  for (TUnit* u : soldiers->Units)
    if (u) u->AddAfterEffect(NewAfterEffect(17, 3));
  EXPECT_TRUE(Ask(17, 6, 4));
  // The markers 11 and 49 only while no unit carries them.
  Params(49, {});
  EXPECT_TRUE(Ask(49, 6, 6));
  undead->Units[0]->AddAfterEffect(NewAfterEffect(49, 1));
  EXPECT_FALSE(Ask(49, 6, 6));
  // An immune group: nothing is open to the spell.
  single->Units[0]->Base.KnownSkills |= MaskBit(48);
  single->Units[0]->RecalcEffective(true);
  Params(60, {});
  EXPECT_FALSE(Ask(60, 8, 8));
  EXPECT_TRUE(Ask(60, 6, 4));
}

TEST_F(SpellEvaluation, SimulationsChangeOnlyTheCopiesAndDrawOnlyFromTheThreadStream) {
  TGroup* target = NewGroup(2, 6, 4, {Soldier, Skeleton});
  const std::vector<std::pair<i32, std::vector<i16>>> spells = {
      {5, {100, 100, 5, 100, 3}},    {10, {1000, 10, 1, 5}},       {14, {7, 50}},
      {17, {100, 100, 3, 50, 200, 100}}, {20, {100, 10, 10, 100, 100}}, {24, {100, 50}},
      {29, {10, 1, 100, 100, 100}},  {31, {200, 100, 100, 10}},    {40, {200, 100}},
      {41, {300, 100, 100, 1, 100}}, {42, {300, 100, 100, 100, 1, 100}}, {43, {50, 20, 10}},
      {48, {100}},                   {53, {100, 100, 2, 3}},       {57, {100, 100, 2, 100, 200, 100, 100, 5, 100, 100}},
      {60, {3, 100, 300}},
  };
  for (const auto& [number, params] : spells) Params(number, params);
  const i32 originalHP = HitPointsOf(target->Units[0]);
  bool drewFromThread = false;
  for (const auto& [number, params] : spells) {
    SCOPED_TRACE("spell " + std::to_string(number));
    TUnit caster;
    caster.CopyCombatState(Caster);
    TGroup copy(Scenario.get());
    copy.X = target->X;
    copy.Y = target->Y;
    copy.OwnerIndex = target->OwnerIndex;
    std::unique_ptr<TUnit> units[2];
    for (i32 k = 0; k < 2; ++k) {
      units[k] = std::make_unique<TUnit>();
      units[k]->CopyCombatState(target->Units[k]);
      units[k]->Kind = target->Units[k]->Kind;
      copy.Units[k] = units[k].get();
    }
    const TRandomState main = RandomMain, thread = RandomThread;
    Scenario->SimulateSpellEffect(&caster, number, &copy);
    EXPECT_TRUE(SameStream(main, RandomMain)) << "the main stream is never touched";
    drewFromThread = drewFromThread || !SameStream(thread, RandomThread);
    EXPECT_EQ(HitPointsOf(target->Units[0]), originalHP) << "the real unit is untouched";
    const bool hurt = HitPointsOf(units[0].get()) < originalHP || HitPointsOf(units[1].get()) < 40;
    const bool drained = ActionPointsOf(units[0].get()) < ActionPointsOf(target->Units[0]) ||
                         HitPointsOf(units[0].get()) != originalHP || ManaOf(&caster) != ManaOf(Caster) ||
                         Morale(&caster) != Morale(Caster);
    EXPECT_TRUE(hurt || drained) << "the simulation changed the copies";
    copy.ClearSlots();
  }
  EXPECT_TRUE(drewFromThread);
  // A copy that falls below 1 hit point is simply dead in the copy.
  TUnit caster;
  caster.CopyCombatState(Caster);
  TGroup copy(Scenario.get());
  TUnit weak;
  weak.CopyCombatState(target->Units[0]);
  copy.Units[0] = &weak;
  Params(60, {1000, 0, 0});
  Scenario->SimulateSpellEffect(&caster, 60, &copy);
  EXPECT_TRUE(weak.IsDead());
  EXPECT_EQ(Scenario->WaitingForDeaths, 0) << "no death animation";
  copy.ClearSlots();
}

}  // namespace
}  // namespace CombatTest
