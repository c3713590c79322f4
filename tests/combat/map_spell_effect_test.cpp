// The map spells' effects: formulas by table, immunity, the 5 x 5 and 3 x 3
// areas at the map's edge, summons, moves, the fog, experience, the players
// told of the cast, deaths, and two worlds fed the same casts ending alike.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/data/stream.h"
#include "combat/spell_rules.h"
#include "tests/combat/spell_fixture.h"
#include "world/map/fog.h"
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

class MapSpellEffect : public TSpellFixture {
 protected:
  void SetUp() override {
    TSpellFixture::SetUp();
    Scenario->Players[1]->Relations[2] = rHostile;
    Scenario->Players[2]->Relations[1] = rHostile;
    Casters = NewGroup(1, 4, 4, {Knight});
    Caster = Casters->Units[0];
    SetLevel(Caster, 5);
    Scenario->CurrentPlayerIndex = 1;
    Scenario->Players[1]->Select(Casters);
    Global->InterfaceSounds[3] = FakeSound(5);
    for (i32 number : {1, 3}) SpellRecord(number).CastExperience = 10;
  }
  static void SetLevel(TUnit* u, i16 level) {
    u->Base.Level = level;
    u->Base.Recalc();
    u->RecalcEffective(true);
  }
  static void Wound(TUnit* u, i32 points) {
    u->Base.HitPoints.Current = static_cast<i16>(u->Base.HitPoints.Current - points);
    u->RecalcEffective(true);
  }
  static void MakeImmune(TUnit* u) {
    u->Base.KnownSkills |= MaskBit(48);
    u->RecalcEffective(true);
  }
  // Adds the spell with the parameters and casts it on the field.
  void Cast(i32 number, const std::vector<i16>& params, i32 fx, i32 fy) {
    if (Global->FindSpellPrototype(static_cast<i16>(number)) < 0) AddSpells({Record(static_cast<i16>(number))});
    TSpellPrototype& r = SpellRecord(number);
    std::fill(std::begin(r.Params), std::end(r.Params), 0);
    i32 k = 0;
    for (i16 p : params) r.Params[k++] = p;
    Scenario->ApplySpellEffect(0, number, fx, fy);
  }
  bool FailureSounded() const {
    for (const auto& c : Sounds.Calls)
      if (c.Sound == FakeSound(5)) return true;
    return false;
  }

  TGroup* Casters = nullptr;
  TUnit* Caster = nullptr;
};

TEST_F(MapSpellEffect, FormulasOfTheSingleTargetSpells) {
  struct TCase {
    i32 Spell;
    std::vector<i16> Params;
    u32 Prototype;
    std::function<void(TUnit*)> Before;
    std::function<void(const TUnit*, const TUnit*)> Check;
    bool NoEffect = false;
  } cases[] = {
      {2, {3, 100, 2, 200}, Soldier, nullptr,
       [](const TUnit* t, const TUnit*) {
         EXPECT_EQ(DefenceOf(t), 18);
         EXPECT_EQ(t->Effective.CounterAttack.Current, 22);
         EXPECT_EQ(t->AfterEffects[0]->TurnsLeft, 1);
       }},
      {3, {5, 100}, Skeleton, nullptr, [](const TUnit* t, const TUnit*) { EXPECT_EQ(HitPointsOf(t), 35); }},
      {3, {5, 100}, Soldier, nullptr, [](const TUnit* t, const TUnit*) { EXPECT_EQ(Morale(t), 60); }},
      {6, {1, 100, 50, 200}, Soldier, nullptr,
       [](const TUnit* t, const TUnit*) {
         EXPECT_EQ(AttackOf(t), 26);
         EXPECT_EQ(DefenceOf(t), 5);
         EXPECT_EQ(t->AfterEffects[0]->TurnsLeft, 10);
       }},
      {12, {}, Soldier, [](TUnit* t) { Wound(t, 15); }, [](const TUnit* t, const TUnit*) { EXPECT_EQ(HitPointsOf(t), 40); }},
      {14, {7, 50}, Soldier, nullptr,
       [](const TUnit* t, const TUnit*) {
         EXPECT_EQ(HitPointsOf(t), 33);
         EXPECT_EQ(ActionPointsOf(t), 6);
       }},
      {14, {7, 50}, Skeleton, nullptr, [](const TUnit* t, const TUnit*) { EXPECT_EQ(HitPointsOf(t), 40) << "undead"; },
       true},
      {22, {}, Soldier, [](TUnit* t) { t->AddMana(-15); },
       [](const TUnit* t, const TUnit*) {
         EXPECT_EQ(ManaOf(t), 20);
         EXPECT_EQ(ActionPointsOf(t), 0);
       }},
      {24, {100, 50}, Soldier, nullptr,
       [](const TUnit* t, const TUnit*) {
         EXPECT_EQ(HitPointsOf(t), 10) << "(4 - 1) x 10 x 100 / 100";
         EXPECT_EQ(AttackOf(t), 10);
         EXPECT_EQ(t->AfterEffects[0]->TurnsLeft, 2);
       }},
      {27, {100, 1, 0, 2, 0, 100}, Soldier, [](TUnit* t) { t->AddActionPoints(-5); },
       [](const TUnit* t, const TUnit*) {
         EXPECT_EQ(Morale(t), 45);
         EXPECT_EQ(AttackOf(t), 19);
         EXPECT_EQ(t->Effective.CounterAttack.Current, 8);
         EXPECT_EQ(ActionPointsOf(t), 12);
       }},
      {35, {2, 100, 50}, Soldier, nullptr,
       [](const TUnit* t, const TUnit*) {
         EXPECT_EQ(ActionPointsOf(t), 6);
         EXPECT_EQ(DefenceOf(t), 17);
         EXPECT_EQ(t->AfterEffects[0]->TurnsLeft, 2);
       }},
      {44, {3, 2, 30}, Soldier, nullptr,
       [](const TUnit* t, const TUnit* caster) {
         EXPECT_EQ(ManaOf(caster), 3);
         EXPECT_EQ(ActionPointsOf(t), 2);
         EXPECT_EQ(DefenceOf(t), 30);
       }},
      {58, {1, 4, 100}, Soldier, nullptr,
       [](const TUnit* t, const TUnit*) {
         EXPECT_EQ(t->Effective.Sight.Current, 1);
         EXPECT_EQ(DefenceOf(t), 14);
         EXPECT_EQ(t->AfterEffects[0]->TurnsLeft, 6);
       }},
      {54, {100}, Wolf, [](TUnit* t) { Wound(t, 30); },
       [](const TUnit* t, const TUnit*) { EXPECT_EQ(HitPointsOf(t), 10) << "kind 2 has no bit 4"; }, true},
      {54, {100}, Skeleton, [](TUnit* t) { Wound(t, 30); },
       [](const TUnit* t, const TUnit*) { EXPECT_EQ(HitPointsOf(t), 25) << "100 x 5 x 3 / 100"; }},
  };
  for (const TCase& c : cases) {
    TGroup* target = NewGroup(2, 6, 4, {c.Prototype});
    TUnit* t = target->Units[0];
    if (c.Before) c.Before(t);
    const i32 exp = Caster->Base.Experiences;
    Cast(c.Spell, c.Params, 6, 4);
    SCOPED_TRACE("spell " + std::to_string(c.Spell));
    c.Check(t, Caster);
    if (c.NoEffect)
      EXPECT_EQ(Caster->Base.Experiences, exp) << "no effect, no experience";
    else
      EXPECT_GT(Caster->Base.Experiences, exp) << "a spell with an effect teaches";
    Scenario->RemoveMapObject(target, false);
    Caster->AddMana(100);
  }
}

TEST_F(MapSpellEffect, ImmuneUnitsAreSkippedAndAllImmuneIsAFailure) {
  TGroup* target = NewGroup(2, 6, 4, {Soldier, Soldier});
  MakeImmune(target->Units[0]);
  SeeAll(Scenario->Players[1]);
  Cast(14, {7, 0}, 6, 4);
  EXPECT_EQ(HitPointsOf(target->Units[0]), 40);
  EXPECT_EQ(HitPointsOf(target->Units[1]), 33);
  EXPECT_FALSE(FailureSounded());

  MakeImmune(target->Units[1]);
  const i32 exp = Caster->Base.Experiences, morale = Morale(Caster);
  Cast(5, {100, 100, 10, 100, 7}, 6, 4);
  EXPECT_EQ(HitPointsOf(target->Units[1]), 33) << "nobody hit";
  EXPECT_EQ(Caster->Base.Experiences, exp) << "no effect, no experience";
  EXPECT_TRUE(FailureSounded());
  EXPECT_EQ(Morale(Caster), morale - 7) << "spell 5 costs morale whatever it hits";

  Sounds.Calls.clear();
  Scenario->ViewingPlayer = nullptr;
  Cast(14, {7, 0}, 6, 4);
  EXPECT_FALSE(FailureSounded()) << "nobody to hear it";
}

TEST_F(MapSpellEffect, HealingPassesOverTheUnitsAndLosesTheRest) {
  TGroup* target = NewGroup(1, 5, 4, {Soldier, Soldier, Soldier});
  Wound(target->Units[0], 3);
  Wound(target->Units[1], 12);
  Cast(1, {1000, 0}, 5, 4);
  for (TUnit* u : target->Units) EXPECT_EQ(HitPointsOf(u), 40);

  Wound(target->Units[0], 5);
  Wound(target->Units[1], 5);
  Cast(1, {3, 0}, 5, 4);
  EXPECT_EQ(HitPointsOf(target->Units[0]), 37) << "one point per pass";
  EXPECT_EQ(HitPointsOf(target->Units[1]), 36);
}

TEST_F(MapSpellEffect, AreaSpellsHitEveryOwnerOnTheMapOnly) {
  // The caster's own group stands inside the square: spell 8 hurts it too.
  TGroup* corner = NewGroup(2, 0, 0, {Soldier});
  TGroup* own = NewGroup(1, 2, 1, {Soldier});
  TGroup* outside = NewGroup(2, 4, 1, {Soldier});
  Cast(8, {50, 50, 50, 100, 100, 100}, 1, 1);
  EXPECT_EQ(HitPointsOf(corner->Units[0]), 40 - 7) << "(5 + 3 - 1) x 100 / 100";
  EXPECT_EQ(ActionPointsOf(corner->Units[0]), 6);
  EXPECT_EQ(HitPointsOf(own->Units[0]), 33);
  EXPECT_EQ(HitPointsOf(outside->Units[0]), 40);

  // 3 x 3 weights: centre, edges, corners.
  TGroup* centre = NewGroup(2, 10, 10, {Soldier});
  TGroup* edge = NewGroup(2, 11, 10, {Soldier});
  TGroup* diagonal = NewGroup(2, 11, 11, {Soldier});
  Cast(26, {0, 1, 2, 3, 4, 5, 6}, 10, 10);
  EXPECT_EQ(DefenceOf(centre->Units[0]), 13);
  EXPECT_EQ(AttackOf(centre->Units[0]), 14);
  EXPECT_EQ(DefenceOf(edge->Units[0]), 12);
  EXPECT_EQ(AttackOf(edge->Units[0]), 15);
  EXPECT_EQ(DefenceOf(diagonal->Units[0]), 11);
  EXPECT_EQ(AttackOf(diagonal->Units[0]), 16);
}

TEST_F(MapSpellEffect, TheRainExploresTheDiscAndTellsTheDrawingItsRadius) {
  TPlayer* owner = Scenario->Players[1];
  std::fill(owner->Fog->States.begin(), owner->Fog->States.end(), fsUnexplored);
  // r = (10 - (8 - 5) x 100 / 100) / 2 = 3
  Cast(33, {10, 100}, 8, 8);
  EXPECT_EQ(SpellRecord(33).Params[9], 3);
  EXPECT_NE(owner->Fog->GetState(11, 8, fsUnexplored), fsUnexplored);
  EXPECT_NE(owner->Fog->GetState(10, 10, fsUnexplored), fsUnexplored) << "distance 2.83";
  EXPECT_EQ(owner->Fog->GetState(11, 10, fsUnexplored), fsUnexplored) << "distance 3.61";
  EXPECT_EQ(owner->Fog->GetState(12, 8, fsUnexplored), fsUnexplored);
}

TEST_F(MapSpellEffect, AGroupPushedAwayOrMovedWithNowhereToGoStays) {
  TGroup* target = NewGroup(2, 6, 4, {Soldier});
  std::fill(Scenario->Costs.begin(), Scenario->Costs.end(), 255);
  Cast(48, {100}, 6, 4);
  EXPECT_EQ(target->FieldX(), 6);
  EXPECT_EQ(target->FieldY(), 4);
  EXPECT_EQ(HitPointsOf(target->Units[0]), 30) << "DEFENCE x 100 / 100";

  Scenario->RebuildFieldMaps();
  Cast(21, {}, 9, 9);
  EXPECT_EQ(Casters->FieldX(), 9) << "the caster's group moves";
  EXPECT_EQ(Casters->FieldY(), 9);
}

TEST_F(MapSpellEffect, ATemporarySummonDiesWhenItsEffectEnds) {
  Cast(47, {60, static_cast<i16>(Wolf)}, 5, 5);
  TGroup* summoned = Scenario->GetGroupAt(5, 5, nullptr);
  ASSERT_NE(summoned, nullptr);
  EXPECT_EQ(summoned->OwnerIndex, 1);
  TUnit* wolf = summoned->Units[0];
  EXPECT_EQ(wolf->Effective.Level, 3) << "5 x 60 / 100";
  EXPECT_GT(HitPointsOf(wolf), 0);
  EXPECT_EQ(wolf->AfterEffects[0]->TurnsLeft, 5) << "LEVEL - spell level + 1";
  for (i32 turn = 0; turn < 5; ++turn) wolf->AgeAfterEffects();
  wolf->RecalcEffective(true);
  EXPECT_TRUE(wolf->IsDead());

  // A full group of the caster's owner on the field cannot take another.
  TGroup* full = NewGroup(1, 7, 7, {Soldier, Soldier, Soldier});
  EXPECT_NO_THROW(Cast(47, {60, static_cast<i16>(Wolf)}, 7, 7));
  EXPECT_EQ(full->GetUnitCount(), 3);
}

TEST_F(MapSpellEffect, KillsGiveExperienceAndMoraleAndTheDeadLeaveAfterDying) {
  TGroup* target = NewGroup(2, 6, 4, {Wolf, Wolf});
  target->Units[0]->Base.Reserved[0] = 30;
  target->Units[0]->RecalcEffective(true);
  const i32 exp = Caster->Base.Experiences;
  Cast(60, {1000, 0, 0}, 6, 4);
  EXPECT_TRUE(target->Units[0]->IsDead());
  // cast 10 x 1 / 5, damage 2 x 80 x 1 / 5, kill 30 x 1 / 5 and 0
  EXPECT_EQ(Caster->Base.Experiences - exp, 2 + 32 + 6);
  EXPECT_EQ(Scenario->WaitingForDeaths, 1);
  for (i32 k = 0; k < 200 && Scenario->WaitingForDeaths; ++k) Scenario->Tick();
  EXPECT_EQ(Scenario->WaitingForDeaths, 0);
  EXPECT_EQ(Scenario->GetGroupAt(6, 4, nullptr), nullptr) << "the dead group left the map";
}

TEST_F(MapSpellEffect, PlayersWhoSeeTheTargetAreaAreToldByRadius) {
  struct TCase {
    i32 Spell, Distance;
    bool Told;
  } cases[] = {{7, 2, true}, {7, 3, false}, {26, 1, true}, {26, 2, false},
               {13, 0, false}, {12, 0, true}, {12, 1, false}, {55, 2, true}};
  TPlayer* watcher = Scenario->Players[2];
  for (const TCase& c : cases) {
    watcher->ClearNotifications();
    SeeOnly(watcher, {{8 + c.Distance, 8}});
    Cast(c.Spell, {}, 8, 8);
    ASSERT_EQ(watcher->GetNotificationCount(), c.Told ? 1 : 0) << c.Spell << " at " << c.Distance;
    if (!c.Told) continue;
    const TNotification* n = watcher->GetNotification(0);
    EXPECT_EQ(n->Kind, 2u);
    EXPECT_EQ(n->X, 4);
    EXPECT_EQ(n->Y, 4);
    EXPECT_EQ(n->UnitID, Caster->ID);
    EXPECT_EQ(n->Extra, static_cast<u32>(c.Spell));
  }
}

// Every random spell on a world with groups of three owners, from one seed:
// the world's bytes and the main stream after each cast.
std::vector<std::string> PlayCasts(const std::function<void(i32, const std::vector<i16>&, i32, i32)>& cast,
                                   TScenario& scenario) {
  const std::pair<i32, std::vector<i16>> casts[] = {
      {17, {100, 100, 3, 50, 200, 100}},         {19, {3, 2, 1, 2, 1, 80, 70, 60, 50, 40}},
      {40, {200, 100}},                          {41, {300, 100, 100, 1, 100}},
      {43, {50, 20, 10}},                        {57, {100, 100, 2, 100, 200, 100, 100, 5, 100, 100}},
      {60, {3, 100, 300}},                       {7, {10, 20, 30}},
      {23, {static_cast<i16>(WorldTest::Wolf), static_cast<i16>(WorldTest::Skeleton)}},
      {36, {100, 10}},                           {48, {50}},
      {31, {100, 100, 100, 10}},                 {55, {10, 10}},
  };
  std::vector<std::string> states;
  {
    Data::TMemoryStream s;
    scenario.Save(s);
    states.emplace_back(s.Memory().begin(), s.Memory().end());
  }
  for (const auto& [spell, params] : casts) {
    cast(spell, params, 6, 4);
    Data::TMemoryStream s;
    scenario.Save(s);
    Data::WriteU32(s, RandomMain.Low);
    Data::WriteU32(s, RandomMain.High);
    states.emplace_back(s.Memory().begin(), s.Memory().end());
  }
  return states;
}

TEST_F(MapSpellEffect, TwoWorldsFedTheSameCastsEndByteIdentical) {
  // Groups draw their camp style from the main stream as units join them.
  const auto build = [&] {
    SeedRandom(RandomMain, 4711);
    MakeScenario(16, 16, 3);
    Scenario->Players[1]->Relations[2] = rHostile;
    Scenario->Players[2]->Relations[1] = rHostile;
    Casters = NewGroup(1, 4, 4, {Knight});
    Caster = Casters->Units[0];
    SetLevel(Caster, 5);
    Scenario->CurrentPlayerIndex = 1;
    Scenario->Players[1]->Select(Casters);
    NewGroup(2, 6, 4, {Soldier, Wolf, Skeleton});
    NewGroup(2, 7, 5, {Wolf, Wolf});
    NewGroup(0, 5, 5, {Soldier});
    NewGroup(1, 6, 6, {Soldier});
  };
  const auto cast = [&](i32 spell, const std::vector<i16>& params, i32 x, i32 y) { Cast(spell, params, x, y); };
  build();
  const std::vector<std::string> first = PlayCasts(cast, *Scenario);
  build();
  const std::vector<std::string> second = PlayCasts(cast, *Scenario);
  ASSERT_EQ(first.size(), second.size());
  for (std::size_t k = 0; k < first.size(); ++k) ASSERT_TRUE(first[k] == second[k]) << "after cast " << k;
  EXPECT_NE(first.front(), first.back()) << "the casts changed the world";
}

}  // namespace
}  // namespace CombatTest
