#include "world/units/unit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/gfx/sprite_list.h"
#include "tests/world/world_fixture.h"
#include "tools/databuilder/sprite_builder.h"
#include "world/locations/city.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using GameData::MaskBit;
using GameData::TAfterEffect;
using GameData::TUnit;

// A timed change with nothing in it yet.
TAfterEffect* Effect(i32 id, i32 turns = 5) {
  auto* e = new TAfterEffect{};
  e->EffectID = id;
  e->TurnsLeft = turns;
  return e;
}

TAfterEffect* AttackEffect(i32 id, i16 attack, i32 turns = 5) {
  TAfterEffect* e = Effect(id, turns);
  e->Properties.Attack.Current = attack;
  return e;
}

void SetLevel(TUnit* u, i16 level) {
  u->Base.Level = level;
  u->Base.Recalc();
  u->Base.ResetExperience();
  u->RecalcEffective(true);
}

// Knight, Wolf, Skeleton, Soldier at level 1: HITPOINTS 40 (+5 per level),
// HPREGENERATE 6, MANA 20 (+2), MANAREGENERATE 4, ACTIONPOINTS 12,
// MORALEREGENERATE 15, ATTACK 20 (+1), COUNTERATTACK 10, DEFENCE 10, SIGHT 3;
// normal morale 50.
class UnitTest : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario();
  }
};

TEST_F(UnitTest, SetPrototypeMakesALevelOneUnit) {
  TUnit* u = NewUnit(Knight);
  EXPECT_EQ(u->Prototype, GameData::FindUnitPrototype(Knight));
  EXPECT_EQ(u->Name, "Ritter");
  EXPECT_EQ(u->Hero, 1);
  EXPECT_EQ(u->Kind, GameData::ukHuman);
  EXPECT_EQ(u->Effective.Level, 1);
  EXPECT_EQ(u->Effective.HitPoints.Current, 40);
  EXPECT_EQ(u->Effective.Morale, 50);
  EXPECT_EQ(u->Effective.Experiences, 0);
  EXPECT_EQ(u->RecordWounds, 1);

  // A level-3 prototype starts with the experience of level 3; a negative
  // kind is sign-extended.
  GameData::TUnitPrototype p = *GameData::FindUnitPrototype(Wolf);
  p.Properties.Level = 3;
  p.Properties.Morale = 7;
  p.Kind = -2;
  TUnit w;
  w.SetPrototype(&p);
  EXPECT_EQ(w.Base.Experiences, 350);
  EXPECT_EQ(w.Base.HitPoints.Current, 50);
  EXPECT_EQ(w.Base.Attack.Current, 22);
  EXPECT_EQ(w.Base.Morale, 50);
  EXPECT_EQ(w.Kind, -2);
  EXPECT_EQ(w.Hero, 0);

  EXPECT_EQ(GameData::FindUnitPrototype(99), nullptr);
}

TEST_F(UnitTest, SpellEffectsCountOncePerIDOtherEffectsAlways) {
  struct TCase {
    i32 id;
    bool once;
  };
  const TCase cases[] = {{0, false}, {1, true}, {5, true}, {64, true}, {65, true},
                         {128, true}, {129, false}, {5001, false}, {-1, false}};
  for (const TCase& c : cases) {
    TUnit* u = NewUnit(Wolf);
    u->AddAfterEffect(AttackEffect(c.id, 3));
    u->AddAfterEffect(AttackEffect(c.id, 7));
    EXPECT_EQ(u->Effective.Attack.Current, c.once ? 27 : 30) << c.id;
    EXPECT_EQ(u->Base.Attack.Current, 20);
  }
  // The newest of an ID counts, whichever is larger; other IDs do not mix in.
  TUnit* u = NewUnit(Wolf);
  u->AddAfterEffect(AttackEffect(5, 7));
  u->AddAfterEffect(AttackEffect(69, 1));
  u->AddAfterEffect(AttackEffect(5, 3));
  EXPECT_EQ(u->Effective.Attack.Current, 24);
  EXPECT_TRUE(u->HasAfterEffect(69));
  EXPECT_TRUE(u->HasSpellEffect(5));
  EXPECT_FALSE(u->HasAfterEffect(6));
  u->RemoveAfterEffectsByID(5);
  EXPECT_EQ(u->AfterEffects.Count(), 1);
  EXPECT_EQ(u->Effective.Attack.Current, 21);
  u->ClearAfterEffects();
  EXPECT_EQ(u->Effective.Attack.Current, 20);
}

TEST_F(UnitTest, EffectsRunOutAtTheTurnStart) {
  TUnit* u = NewUnit(Wolf);
  u->AddAfterEffect(AttackEffect(0, 1, 1));
  u->AddAfterEffect(AttackEffect(7, 2, 2));
  EXPECT_EQ(u->Effective.Attack.Current, 23);
  u->NewTurn();
  ASSERT_EQ(u->AfterEffects.Count(), 1);
  EXPECT_EQ(u->AfterEffects[0]->EffectID, 7);
  EXPECT_EQ(u->AfterEffects[0]->TurnsLeft, 1);
  EXPECT_EQ(u->Effective.Attack.Current, 22);
  u->NewTurn();
  EXPECT_EQ(u->AfterEffects.Count(), 0);
  EXPECT_EQ(u->Effective.Attack.Current, 20);

  // Aging alone does not recalculate.
  u->AddAfterEffect(AttackEffect(0, 4, 1));
  u->AgeAfterEffects();
  EXPECT_EQ(u->AfterEffects.Count(), 0);
  EXPECT_EQ(u->Effective.Attack.Current, 24);
}

TEST_F(UnitTest, PoolsStopAtTheirLimits) {
  TUnit* u = NewUnit(Knight);
  u->AddHitPoints(-10);
  EXPECT_EQ(u->Effective.HitPoints.Current, 30);
  u->AddHitPoints(50);
  EXPECT_EQ(u->Effective.HitPoints.Current, 40);
  EXPECT_EQ(u->Base.HitPoints.Current, 40);
  // Costs are not limited: the base goes below zero, the effective shows 0.
  u->AddHitPoints(-55);
  EXPECT_EQ(u->Base.HitPoints.Current, -15);
  EXPECT_EQ(u->Effective.HitPoints.Current, 0);
  EXPECT_TRUE(u->IsDead());
  EXPECT_FALSE(u->CanAttack());
  EXPECT_FALSE(u->CanLevelUp());

  u->AddMana(-25);
  EXPECT_EQ(u->Base.Mana.Current, -5);
  // The room is measured from the shown 0: 20 are added to the base's -5.
  u->AddMana(100);
  EXPECT_EQ(u->Effective.Mana.Current, 15);
  u->AddMana(100);
  EXPECT_EQ(u->Effective.Mana.Current, 20);
  u->AddActionPoints(-9);
  EXPECT_EQ(u->Effective.ActionPoints.Current, 3);
  u->AddActionPoints(100);
  EXPECT_EQ(u->Effective.ActionPoints.Current, 12);

  u->AddMorale(-200);
  EXPECT_EQ(u->Effective.Morale, 0);
  EXPECT_EQ(u->Base.Morale, 0);
  u->AddMorale(200);
  EXPECT_EQ(u->Effective.Morale, 100);
  // The limit applies to the effective morale: with +30 from an effect, +50
  // on 50 adds only 20 to the base.
  u->AddMorale(-50);
  TAfterEffect* e = Effect(0);
  e->Properties.Morale = 30;
  u->AddAfterEffect(e);
  EXPECT_EQ(u->Effective.Morale, 80);
  u->AddMorale(50);
  EXPECT_EQ(u->Base.Morale, 70);
  EXPECT_EQ(u->Effective.Morale, 100);
}

TEST_F(UnitTest, ClampTakesThePoolExcessOffTheBase) {
  TUnit* u = NewUnit(Knight);
  TAfterEffect* e = Effect(9);
  e->Properties.HitPoints.Base = 10;  // maximum 50 while it lasts
  u->AddAfterEffect(e);
  u->AddHitPoints(30);
  EXPECT_EQ(u->Effective.HitPoints.Current, 50);
  EXPECT_EQ(u->Base.HitPoints.Current, 50);
  u->RemoveAfterEffectsByID(9);
  // The base loses the excess; the effective record keeps it until the next
  // recalculation.
  EXPECT_EQ(u->Base.HitPoints.Current, 40);
  EXPECT_EQ(u->Effective.HitPoints.Current, 50);
  u->RecalcEffective(true);
  EXPECT_EQ(u->Effective.HitPoints.Current, 40);

  // Negative values show as 0, morale stays within 0..100; without clamp
  // nothing is limited.
  TAfterEffect* f = Effect(10);
  f->Properties.Attack.Current = -30;
  f->Properties.Sight.Current = -4;
  f->Properties.Morale = 80;
  u->AddAfterEffect(f);
  EXPECT_EQ(u->Effective.Attack.Current, 0);
  EXPECT_EQ(u->Effective.Sight.Current, 0);
  EXPECT_EQ(u->Effective.Morale, 100);
  u->RecalcEffective(false);
  EXPECT_EQ(u->Effective.Attack.Current, -10);
  EXPECT_EQ(u->Effective.Morale, 130);
  EXPECT_EQ(u->Base.Attack.Current, 20);
}

TEST_F(UnitTest, UndeadMoraleIsAlwaysTheNormalMorale) {
  TUnit* u = NewUnit(Skeleton);
  u->AddMorale(-30);
  EXPECT_EQ(u->Effective.Morale, 50);
  TAfterEffect* e = Effect(0);
  e->Properties.Morale = 20;
  u->AddAfterEffect(e);
  EXPECT_EQ(u->Effective.Morale, 50);
  u->RecalcEffective(false);
  EXPECT_EQ(u->Effective.Morale, 50);
  u->NewTurn();
  EXPECT_EQ(u->Effective.Morale, 50);
}

TEST_F(UnitTest, TurnStartRegeneration) {
  // A rested unit in a camp or a city regains its full HPREGENERATE (6) and
  // MANAREGENERATE (4); otherwise a third and a half.
  enum TPlace { Nowhere, Moving, Camped, InCity };
  struct TCase {
    TPlace place;
    bool acted;
    i32 hitPoints;
    i32 mana;
  };
  const TCase cases[] = {{Camped, false, 26, 14}, {Camped, true, 22, 12},  {InCity, false, 26, 14},
                         {InCity, true, 22, 12},  {Moving, false, 22, 12}, {Nowhere, false, 22, 12}};
  i32 field = 0;
  for (const TCase& c : cases) {
    GameData::TGroup* group = NewGroup(0, ++field, 2, {Knight});
    TUnit* u = group->Units[0];
    auto city = std::make_unique<GameData::TCity>(Scenario.get());
    if (c.place == Camped) group->CampState = GameData::csCamped;
    if (c.place == Nowhere || c.place == InCity) group->RemoveUnit(u, false, false);
    if (c.place == InCity) city->AddUnit(u, false, false, false);
    u->AddHitPoints(-20);
    u->AddMana(-10);
    if (c.acted) u->AddActionPoints(-1);
    u->AddMorale(-20);
    u->NewTurn();
    EXPECT_EQ(u->Effective.HitPoints.Current, c.hitPoints) << c.place << c.acted;
    EXPECT_EQ(u->Base.HitPoints.Current, c.hitPoints);
    EXPECT_EQ(u->Effective.Mana.Current, c.mana) << c.place << c.acted;
    EXPECT_EQ(u->Effective.ActionPoints.Current, 12);
    EXPECT_EQ(u->Effective.Morale, 45) << "30 + MORALEREGENERATE 15";
    if (c.place == InCity) city->RemoveUnit(u, false, false);
  }
}

TEST_F(UnitTest, TurnStartBringsNegativePoolsBack) {
  TUnit* u = NewUnit(Knight);
  u->AddActionPoints(-15);
  u->AddMana(-23);
  EXPECT_EQ(u->Effective.ActionPoints.Current, 0);
  u->NewTurn();
  EXPECT_EQ(u->Base.ActionPoints.Current, 12);
  EXPECT_EQ(u->Effective.ActionPoints.Current, 12);
  // Regeneration starts from the shown 0; the base takes the change against -3.
  EXPECT_EQ(u->Base.Mana.Current, 2);
  EXPECT_EQ(u->Effective.Mana.Current, 2);
}

TEST_F(UnitTest, TurnStartAfterARaisedMaximumRunsOut) {
  // An effect raised the maxima; when it runs out the pools fall back to the
  // normal maxima once, not twice.
  TUnit* u = NewUnit(Knight);
  TAfterEffect* e = Effect(0, 1);
  e->Properties.HitPoints.Base = 10;
  e->Properties.ActionPoints.Base = 4;
  u->AddAfterEffect(e);
  u->AddHitPoints(10);
  u->AddActionPoints(4);
  ASSERT_EQ(u->Effective.HitPoints.Current, 50);
  ASSERT_EQ(u->Effective.ActionPoints.Current, 16);
  u->NewTurn();
  EXPECT_EQ(u->AfterEffects.Count(), 0);
  EXPECT_EQ(u->Effective.HitPoints.Current, 40);
  EXPECT_EQ(u->Base.HitPoints.Current, 40);
  EXPECT_EQ(u->Effective.ActionPoints.Current, 12);
  EXPECT_EQ(u->Base.ActionPoints.Current, 12);
}

TEST_F(UnitTest, DisplayName) {
  TUnit* u = NewUnit(Wolf);
  EXPECT_EQ(u->GetDisplayName(), "Wolf (1)");
  SetLevel(u, 3);
  EXPECT_EQ(u->GetDisplayName(), "Wolf (3)");
  SetLevel(u, 0);
  EXPECT_EQ(u->GetDisplayName(), "Wolf");
}

TEST_F(UnitTest, OnlySpellEffectsShowAnIcon) {
  // Fixture spells: 1, 3 and 65.
  TUnit* u = NewUnit(Wolf);
  for (i32 id : {0, 3, 5001, 1, 99, 65, 3, 65536 + 1}) u->AddAfterEffect(Effect(id));
  EXPECT_EQ(u->EffectIconSpells(), (std::vector<i32>{3, 1, 65, 3}));
}

TEST(UnitEffectIcons, RowsOfFourFromTheBottomUp) {
  struct TCase {
    i32 k;
    Base::TRect frame;
    Base::TRect icon;
  };
  // Below a picture at (100, 200): the first row's frames at y 255.
  const TCase cases[] = {
      {0, {103, 255, 125, 277}, {106, 258, 122, 274}},
      {3, {154, 255, 176, 277}, {157, 258, 173, 274}},
      {4, {103, 238, 125, 260}, {106, 241, 122, 257}},
      {9, {120, 221, 142, 243}, {123, 224, 139, 240}},
  };
  for (const TCase& c : cases) {
    Base::TRect frame, icon;
    TUnit::EffectIconRects(c.k, 100, 200, frame, icon);
    EXPECT_EQ(frame.Left, c.frame.Left) << c.k;
    EXPECT_EQ(frame.Top, c.frame.Top) << c.k;
    EXPECT_EQ(frame.Right, c.frame.Right) << c.k;
    EXPECT_EQ(frame.Bottom, c.frame.Bottom) << c.k;
    EXPECT_EQ(icon.Left, c.icon.Left) << c.k;
    EXPECT_EQ(icon.Top, c.icon.Top) << c.k;
    EXPECT_EQ(icon.Right, c.icon.Right) << c.k;
    EXPECT_EQ(icon.Bottom, c.icon.Bottom) << c.k;
  }
  const std::pair<i32, i32> schools[] = {{1, 0},  {12, 0}, {13, 1}, {23, 1}, {24, 2}, {35, 2},
                                         {36, 3}, {64, 3}, {65, 0}, {77, 1}, {100, 3}};
  for (auto [id, school] : schools) EXPECT_EQ(TUnit::SpellSchool(id), school) << id;
}

class UnitStream : public UnitTest {
 protected:
  // A unit with a changed base record, a name, two effects and an owner index.
  TUnit* Sample() {
    TUnit* u = NewUnit(Knight);
    u->Name = "Sir Test";
    u->AddHitPoints(-7);
    u->Base.KnownSpells = MaskBit(1) | MaskBit(64);
    TAfterEffect* e = AttackEffect(5, 3, 2);
    e->Kept = 1;
    e->Reserved1 = 11;
    e->Reserved2 = 12;
    u->AddAfterEffect(e);
    u->AddAfterEffect(AttackEffect(5001, -1, 9));
    u->OwnerIndex = 255;
    u->Kind = 0x123456789ll;
    return u;
  }
  static std::vector<u8> Bytes(const TUnit& u) {
    Data::TMemoryStream s;
    u.Save(s);
    return s.Memory();
  }
};

TEST_F(UnitStream, SaveLoadSaveGivesTheSameBytes) {
  TUnit* u = Sample();
  const std::vector<u8> first = Bytes(*u);
  // ID, prototype, record, kind, hero, name, count, 2 effects, owner index.
  EXPECT_EQ(first.size(), 4u + 4 + 128 + 8 + 1 + 4 + 8 + 4 + 2 * 148 + 1);
  EXPECT_EQ(first[4], Knight);
  EXPECT_EQ(first.back(), 255);

  TUnit v;
  v.AddAfterEffect(AttackEffect(0, 50));  // replaced by the load
  Data::TMemoryStream in(first);
  v.Load(in);
  EXPECT_EQ(Bytes(v), first);
  EXPECT_EQ(v.ID, u->ID);
  EXPECT_EQ(v.Prototype, u->Prototype);
  EXPECT_EQ(v.Name, "Sir Test");
  EXPECT_EQ(v.Kind, 0x123456789ll);
  EXPECT_EQ(v.Hero, 1);
  EXPECT_EQ(v.OwnerIndex, 255);
  ASSERT_EQ(v.AfterEffects.Count(), 2);
  EXPECT_EQ(v.AfterEffects[0]->Kept, 1);
  EXPECT_EQ(v.AfterEffects[0]->Reserved1, 11);
  EXPECT_EQ(v.AfterEffects[1]->EffectID, 5001);
  EXPECT_EQ(v.AfterEffects[1]->TurnsLeft, 9);
  EXPECT_EQ(std::memcmp(&v.Effective, &u->Effective, sizeof v.Effective), 0) << "recalculated on load";
  EXPECT_EQ(v.Effective.Attack.Current, 22);
  EXPECT_EQ(v.Effective.HitPoints.Current, 33);
}

TEST_F(UnitStream, TruncatedStreamsRaise) {
  const std::vector<u8> bytes = Bytes(*Sample());
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    Data::TMemoryStream in(std::vector<u8>(bytes.begin(), bytes.begin() + static_cast<long>(n)));
    TUnit v;
    EXPECT_THROW(v.Load(in), std::runtime_error) << n;
  }
}

TEST_F(UnitStream, DamagedStreamsRaise) {
  const std::vector<u8> bytes = Bytes(*Sample());
  auto put32 = [](std::vector<u8> b, std::size_t at, u32 v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<u8>(v >> (8 * i));
    return b;
  };
  const std::size_t nameAt = 4 + 4 + 128 + 8 + 1;
  const std::size_t countAt = nameAt + 4 + 8;
  struct TCase {
    const char* what;
    std::vector<u8> bytes;
    const char* message;
  };
  const TCase cases[] = {
      {"unknown prototype", put32(bytes, 4, 99), "Prototype not found."},
      {"no prototype", put32(bytes, 4, 0), "Prototype not found."},
      {"name longer than the stream", put32(bytes, nameAt, 0x7FFFFFFF), "Invalid data."},
      {"effect count beyond the stream", put32(bytes, countAt, 3), "Invalid data."},
      {"huge effect count", put32(bytes, countAt, 0xFFFFFFFF), "Invalid data."},
  };
  for (const TCase& c : cases) {
    Data::TMemoryStream in(c.bytes);
    TUnit v;
    try {
      v.Load(in);
      ADD_FAILURE() << c.what;
    } catch (const Data::EInvalidData& e) {
      EXPECT_STREQ(e.what(), c.message) << c.what;
    }
  }
}

TEST_F(UnitTest, AssignAndCopyCombatStateMakeDeepCopies) {
  GameData::TGroup* g = NewGroup(1, 1, 1, {Knight});
  TUnit* src = g->Units[0];
  src->AddAfterEffect(AttackEffect(5, 3));
  src->DefenceBonus = 25;
  src->AddHitPoints(-5);

  TUnit a;
  a.AddAfterEffect(AttackEffect(0, 9));
  a.Assign(src);
  EXPECT_EQ(a.ID, src->ID);
  EXPECT_EQ(a.Name, "Ritter");
  EXPECT_EQ(a.Container, g);
  EXPECT_EQ(a.DefenceBonus, 25);
  ASSERT_EQ(a.AfterEffects.Count(), 1) << "the copies replace the unit's own effects";
  EXPECT_NE(a.AfterEffects[0], src->AfterEffects[0]);
  EXPECT_EQ(a.Effective.Attack.Current, 23);
  EXPECT_EQ(a.Effective.HitPoints.Current, 35);
  a.Assign(&a);
  EXPECT_EQ(a.AfterEffects.Count(), 1);
  a.Container = nullptr;

  TUnit b;
  b.AddAfterEffect(AttackEffect(0, 9));
  b.CopyCombatState(src);
  EXPECT_EQ(b.ID, 0u);
  EXPECT_EQ(b.Name, "");
  EXPECT_EQ(b.Container, nullptr);
  EXPECT_EQ(b.Prototype, src->Prototype);
  EXPECT_EQ(b.DefenceBonus, 25);
  ASSERT_EQ(b.AfterEffects.Count(), 1);
  EXPECT_NE(b.AfterEffects[0], src->AfterEffects[0]);
  EXPECT_EQ(b.Effective.Attack.Current, 23);
}

TEST_F(UnitTest, BattleOrderSimulationDropsNewEffects) {
  TUnit* u = NewUnit(Wolf);
  u->AddAfterEffect(AttackEffect(5, 1));
  u->MarkAfterEffects();
  u->AddAfterEffect(AttackEffect(70, 2));
  u->AddAfterEffect(AttackEffect(0, 4));
  u->RemoveNewAfterEffects();
  ASSERT_EQ(u->AfterEffects.Count(), 1);
  EXPECT_EQ(u->AfterEffects[0]->EffectID, 5);
  EXPECT_EQ(u->AfterEffects[0]->Kept, 0);
}

TEST_F(UnitTest, OneBattleUnitsVanishWithTheirEffect) {
  for (bool simulation : {true, false}) {
    GameData::TGroup* g = NewGroup(1, simulation ? 1 : 2, 1, {Wolf, Knight});
    TUnit* summoned = g->Units[1];
    const i32 registered = Scenario->Units.Items.Count();
    if (simulation) summoned->MarkAfterEffects();
    summoned->AddAfterEffect(Effect(GameData::EffectOneBattleOnly));
    if (simulation)
      summoned->RemoveNewAfterEffects();
    else
      summoned->RemoveFightSpellEffects();
    EXPECT_EQ(g->GetUnitCount(), 1) << simulation;
    EXPECT_EQ(Scenario->Units.Items.Count(), registered - 1) << simulation;
    EXPECT_EQ(Scenario->Units.Items.IndexOf(summoned), -1);
  }
}

// A one-battle unit in no group cannot vanish: the other effects still end
// and the effective record is recomputed.
TEST_F(UnitTest, OneBattleEffectOfAUnitInNoGroupEndsLikeTheOthers) {
  for (bool simulation : {true, false}) {
    TUnit* u = NewUnit(Wolf);
    if (simulation) u->MarkAfterEffects();
    u->AddAfterEffect(AttackEffect(66, 1));
    u->AddAfterEffect(Effect(GameData::EffectOneBattleOnly));
    u->AddAfterEffect(AttackEffect(70, 2));
    if (simulation)
      u->RemoveNewAfterEffects();
    else
      u->RemoveFightSpellEffects();
    EXPECT_EQ(u->AfterEffects.Count(), 0) << simulation;
    EXPECT_NE(Scenario->Units.Items.IndexOf(u), -1) << simulation;
    if (!simulation) {
      EXPECT_EQ(u->Effective.Attack.Current, 20);
    }
  }
}

TEST_F(UnitTest, BattleEffectsEndAfterTheBattle) {
  TUnit* u = NewUnit(Wolf);
  u->SavedPrototype = u->Prototype;
  u->Prototype = GameData::FindUnitPrototype(Skeleton);
  u->Name = "Skelett";
  u->AddAfterEffect(AttackEffect(64, 1));
  u->AddAfterEffect(AttackEffect(65, 2));
  u->AddAfterEffect(Effect(GameData::EffectTransformation));
  u->AddAfterEffect(AttackEffect(128, 4));
  u->AddAfterEffect(AttackEffect(5001, 8));
  u->AddAfterEffect(AttackEffect(0, 16));
  u->RemoveFightSpellEffects();
  EXPECT_EQ(u->Prototype, GameData::FindUnitPrototype(Wolf));
  EXPECT_EQ(u->SavedPrototype, nullptr);
  EXPECT_EQ(u->Name, "Wolf");
  EXPECT_EQ(u->AfterEffects.Count(), 3);
  EXPECT_EQ(u->Effective.Attack.Current, 20 + 1 + 8 + 16);
}

class UnitSpells : public UnitTest {};

TEST_F(UnitSpells, KnowingAndLearning) {
  // Fixture spells: 1 (level 1, class 1), 3 (level 3, class 2), 65 (level 2);
  // each costs 5 mana and 3 action points.
  TUnit* u = NewUnit(Knight);
  EXPECT_EQ(u->CountKnownSpells(), 0);
  EXPECT_FALSE(u->HasCastableSpell());
  u->LearnSpell(3);
  EXPECT_TRUE(u->KnowsSpell(3));
  EXPECT_EQ(u->Base.KnownSpells, MaskBit(3));
  EXPECT_FALSE(u->HasCastableSpell()) << "level 3 not reached";
  u->LearnSpell(1);
  EXPECT_EQ(u->CountKnownSpells(), 2);
  EXPECT_TRUE(u->HasCastableSpell());
  EXPECT_TRUE(u->KnowsSpell(65)) << "shares the bit of spell 1";

  EXPECT_TRUE(u->SpellLevelReached(1));
  EXPECT_FALSE(u->SpellLevelReached(3));
  EXPECT_FALSE(u->SpellLevelReached(65));
  EXPECT_FALSE(u->SpellLevelReached(2)) << "no such spell";
  EXPECT_TRUE(u->SkillLevelReached(1));
  EXPECT_FALSE(u->SkillLevelReached(2));

  u->ForgetSpellsAboveLevel();
  EXPECT_EQ(u->Base.KnownSpells, MaskBit(1));
  SetLevel(u, 3);
  u->LearnSpell(3);
  u->ForgetSpellsAboveLevel();
  EXPECT_EQ(u->CountKnownSpells(), 2);

  // Allowed masks from an effect count too.
  TAfterEffect* e = Effect(0);
  e->Properties.AllowedSpells = MaskBit(3);
  e->Properties.AllowedSkills = MaskBit(45);
  u->AddAfterEffect(e);
  EXPECT_TRUE(u->HasAllowedSpell(3));
  EXPECT_TRUE(u->HasAllowedSkill(45));
  EXPECT_FALSE(u->HasAllowedSpell(1));
}

TEST_F(UnitSpells, CanCastSpell) {
  auto spell = [&](i16 number) { return &Global->SpellPrototypes[Global->FindSpellPrototype(number)]; };
  struct TCase {
    const char* what;
    i16 spell;
    i16 level;
    u64 allowed, known;
    i32 apLoss, manaLoss;
    bool expected;
  };
  const u64 b1 = MaskBit(1), b3 = MaskBit(3);
  const TCase cases[] = {
      {"all met", 1, 1, b1, b1, 0, 0, true},
      {"exactly enough", 1, 1, b1, b1, 9, 15, true},
      {"action points short", 1, 1, b1, b1, 10, 0, false},
      {"mana short", 1, 1, b1, b1, 0, 16, false},
      {"not allowed", 1, 1, 0, b1, 0, 0, false},
      {"not known", 1, 1, b1, 0, 0, 0, false},
      {"level too low", 3, 2, b3, b3, 0, 0, false},
      {"level reached", 3, 3, b3, b3, 0, 0, true},
      {"battle spell shares the bit", 65, 2, b1, b1, 0, 0, true},
      {"battle spell level", 65, 1, b1, b1, 0, 0, false},
  };
  for (const TCase& c : cases) {
    TUnit* u = NewUnit(Knight);
    SetLevel(u, c.level);
    u->Base.AllowedSpells = c.allowed;
    u->Base.KnownSpells = c.known;
    u->AddActionPoints(-c.apLoss);
    u->AddMana(-c.manaLoss);
    EXPECT_EQ(u->CanCastSpell(spell(c.spell)), c.expected) << c.what;
  }
}

TEST_F(UnitSpells, ImmunityBySkillOrEffect) {
  struct TCase {
    const char* what;
    i32 skill;
    i32 effect;
    bool level1Spell;  // spell 1: level 1, class 1
    bool level3Spell;  // spell 3: level 3, class 2
  };
  const TCase cases[] = {
      {"nothing", 0, -1, false, false},  {"skill 45", 45, -1, true, false}, {"skill 46", 46, -1, true, true},
      {"skill 47", 47, -1, true, true},  {"skill 48", 48, -1, true, true},  {"skill 44", 44, -1, false, false},
      {"effect 11", 0, 11, true, true},  {"effect 75", 0, 75, true, true},  {"effect 44", 0, 44, true, true},
      {"effect 49", 0, 49, false, true}, {"effect 114", 0, 114, false, true}, {"effect 12", 0, 12, false, false},
  };
  for (const TCase& c : cases) {
    TUnit* u = NewUnit(Wolf);
    u->Base.KnownSkills = MaskBit(c.skill);
    if (c.effect >= 0) u->AddAfterEffect(Effect(c.effect));
    u->RecalcEffective(true);
    EXPECT_EQ(u->IsImmuneToSpell(1), c.level1Spell) << c.what;
    EXPECT_EQ(u->IsImmuneToSpell(3), c.level3Spell) << c.what;
  }
  // Skill 47 ends at level 7.
  GameData::TSpellPrototype high{};
  high.Number = 20;
  high.Level = 7;
  Global->SpellPrototypes.Add(high);
  TUnit* u = NewUnit(Wolf);
  u->Base.KnownSkills = MaskBit(47);
  u->RecalcEffective(true);
  EXPECT_FALSE(u->IsImmuneToSpell(20));
  u->Base.KnownSkills |= MaskBit(48);
  u->RecalcEffective(true);
  EXPECT_TRUE(u->IsImmuneToSpell(20));
}

TEST_F(UnitSpells, LearnSkillAddsBonusAndTimedEffect) {
  // Skill 1: ATTACK +2 for good, DEFENCE +1 for 3 turns.
  TUnit* u = NewUnit(Knight);
  u->LearnSkill(1);
  EXPECT_EQ(u->Base.Attack.Current, 22);
  ASSERT_EQ(u->AfterEffects.Count(), 1);
  const TAfterEffect& e = *u->AfterEffects[0];
  EXPECT_EQ(e.EffectID, 5001);
  EXPECT_EQ(e.TurnsLeft, 3);
  EXPECT_EQ(e.Kept, 0);
  EXPECT_EQ(u->Effective.Defence.Current, 11);
  EXPECT_EQ(u->Effective.Attack.Current, 22);

  // Skill 45 has no timed part.
  u->LearnSkill(45);
  EXPECT_EQ(u->AfterEffects.Count(), 1);
  // An unknown skill changes nothing.
  u->LearnSkill(33);
  EXPECT_EQ(u->Base.Attack.Current, 22);

  // A skill that brings experience raises the level at once.
  GameData::TSkillPrototype wisdom{};
  wisdom.Number = 7;
  wisdom.Bonus.Experiences = 150;
  wisdom.Bonus.KnownSkills = MaskBit(7);
  Global->SkillPrototypes.Add(wisdom);
  u->LearnSkill(7);
  EXPECT_TRUE(u->KnowsSkill(7));
  EXPECT_EQ(u->Effective.Level, 2);
  EXPECT_EQ(u->LevelledUp, 1);
}

TEST_F(UnitTest, ContainerQueries) {
  GameData::TGroup* g = NewGroup(2, 1, 1, {Knight});
  TUnit* u = g->Units[0];
  EXPECT_EQ(u->GetOwner(), Scenario->PlayerAt(2));
  EXPECT_EQ(u->GetGroup(), g);
  EXPECT_EQ(u->GetCity(), nullptr);
  EXPECT_EQ(u->GetContainerType(), static_cast<u16>(GameData::otGroup));
  EXPECT_FALSE(u->IsRecruit());
  g->RemoveUnit(u, false, false);
  EXPECT_EQ(u->GetOwner(), nullptr);
  EXPECT_EQ(u->GetContainerType(), 0);

  auto city = std::make_unique<GameData::TCity>(Scenario.get());
  city->Owner = 1;
  city->AddRecruit(u, false, false, false);
  EXPECT_EQ(u->GetCity(), city.get());
  EXPECT_EQ(u->GetGroup(), nullptr);
  EXPECT_TRUE(u->IsRecruit());
  u->OwnerIndex = 255;
  EXPECT_EQ(u->GetOwner(), Scenario->PlayerAt(1)) << "255: the city's owner";
  u->OwnerIndex = 0;
  EXPECT_EQ(u->GetOwner(), Scenario->PlayerAt(0));
  EXPECT_FALSE(u->IsInClosedCity());
  city->Closed = 1;
  EXPECT_TRUE(u->IsInClosedCity());

  // Entering a city costs 6 action points, a closed one 9.
  EXPECT_TRUE(u->CanEnter(city.get()));
  u->AddActionPoints(-4);
  EXPECT_FALSE(u->CanEnter(city.get()));
  city->Closed = 0;
  EXPECT_TRUE(u->CanEnter(city.get()));
  EXPECT_TRUE(u->CanAttack());
  u->AddActionPoints(-5);
  EXPECT_FALSE(u->CanAttack()) << "3 left, an attack costs 4";
  city->RemoveRecruit(u, false, false);
}

TEST_F(UnitTest, WoundsAgeAway) {
  TUnit* u = NewUnit(Wolf);
  u->AddWound(5);
  for (int i = 0; i < 100; ++i) u->AgeWounds();
  u->AddWound(7);
  for (int i = 0; i < 99; ++i) u->AgeWounds();
  ASSERT_EQ(u->Wounds.Count(), 2);
  EXPECT_EQ(u->Wounds[0].Age, 199);
  u->AgeWounds();
  ASSERT_EQ(u->Wounds.Count(), 1);
  EXPECT_EQ(u->Wounds[0].Damage, 7);
  EXPECT_EQ(u->Wounds[0].Age, 100);
  u->RecordWounds = 0;
  u->AddWound(3);
  EXPECT_EQ(u->Wounds.Count(), 1);
}

// Units whose prototypes name sprites of a generated unit sprite list.
class UnitSprites : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    std::vector<std::unique_ptr<Gfx::TSprite>> sprites;
    auto add = [&](u32 id) { sprites.push_back(Builder::MakeSprite16({.ID = id, .Width = 2, .Height = 2}, Builder::SolidPixels(0x1234))); };
    for (u32 base : {100u, 200u}) {
      add(base);      // portrait
      add(base + 1);  // picture
      for (i32 set = 0; set < GameData::SpriteSetCount; ++set) add(base + 10 + static_cast<u32>(set));
    }
    Global->UnitSpriteList.OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(17, std::move(sprites))));
    // Knight uses 100.., Wolf 200.., every direction the set's one sprite.
    for (auto [id, base] : {std::pair{Knight, 100u}, std::pair{Wolf, 200u}}) {
      GameData::TUnitPrototype& p = Global->UnitPrototypes[Global->FindUnitPrototype(id)];
      p.PortraitID = base;
      p.PictureID = base + 1;
      for (i32 set = 0; set < GameData::SpriteSetCount; ++set)
        for (u32& s : p.SpriteIDs[set]) s = base + 10 + static_cast<u32>(set);
    }
    MakeScenario();
  }
  i32 Refs(u32 id) const {
    i32 i = Global->UnitSpriteList.IndexOfID(id);
    return Global->UnitSpriteList.Index[i].RefCount;
  }
};

TEST_F(UnitSprites, MapSpritesComeWithThePrototype) {
  TUnit* u = NewUnit(Knight);
  ASSERT_NE(u->Portrait, nullptr);
  EXPECT_EQ(u->Portrait->ID, 100u);
  EXPECT_EQ(u->SpriteOf(GameData::MapStand, 3)->ID, 110u);
  EXPECT_EQ(u->SpriteOf(GameData::MapDie, 7)->ID, 111u);
  EXPECT_EQ(u->SpriteOf(GameData::MapWalk, 0), nullptr);
  EXPECT_EQ(u->Picture, nullptr);
  EXPECT_EQ(Refs(110), 8) << "one reference per direction";

  u->LoadSpriteSet(GameData::MapWalk);
  u->LoadSpriteSet(GameData::MapWalk);  // already loaded: nothing
  EXPECT_EQ(Refs(112), 8);
  u->ReleaseSpriteSet(GameData::MapWalk);
  EXPECT_EQ(u->SpriteOf(GameData::MapWalk, 0), nullptr);
  EXPECT_EQ(Global->UnitSpriteList.FindLoadedSprite(112), nullptr);

  u->LoadPicture();
  EXPECT_EQ(u->Picture->ID, 101u);
  u->ReleasePicture();
  EXPECT_EQ(u->Picture, nullptr);

  // The battle screen's fight sets: attack and cast one direction at a time.
  u->LoadFightAttackSprite(5);
  u->LoadFightAttackSprite(13);  // the same direction: nothing
  EXPECT_EQ(Refs(118), 1);
  EXPECT_EQ(u->SpriteOf(GameData::FightAttack, 4), nullptr);
  u->LoadFightCastSprite(2);
  u->LoadFightStandSprites();
  EXPECT_EQ(Refs(119), 1);
  EXPECT_EQ(Refs(115), 8);
  u->ReleaseFightAttackSprite();
  u->ReleaseFightCastSprite();
  u->ReleaseFightStandSprites();
  EXPECT_EQ(Global->UnitSpriteList.FindLoadedSprite(118), nullptr);
  EXPECT_EQ(Global->UnitSpriteList.FindLoadedSprite(115), nullptr);

  // Reloading with the same portrait keeps everything.
  u->LoadSpriteSet(GameData::FightAttack);
  Gfx::TSprite* portrait = u->Portrait;
  u->ReloadSprites();
  EXPECT_EQ(u->Portrait, portrait);
  EXPECT_NE(u->SpriteOf(GameData::FightAttack, 0), nullptr);

  // Another prototype: the loaded sets come from it, the others stay empty.
  u->LoadPicture();
  u->Prototype = GameData::FindUnitPrototype(Wolf);
  u->ReloadSprites();
  EXPECT_EQ(u->Portrait->ID, 200u);
  EXPECT_EQ(u->Picture->ID, 201u);
  EXPECT_EQ(u->SpriteOf(GameData::MapStand, 0)->ID, 210u);
  EXPECT_EQ(u->SpriteOf(GameData::FightAttack, 5)->ID, 218u);
  EXPECT_EQ(u->SpriteOf(GameData::FightStand, 0), nullptr);
  for (u32 id : {100u, 101u, 110u, 111u, 118u}) EXPECT_EQ(Global->UnitSpriteList.FindLoadedSprite(id), nullptr) << id;

  u->ReleaseAllSprites();
  EXPECT_EQ(u->Portrait, nullptr);
  EXPECT_EQ(Global->UnitSpriteList.FindLoadedSprite(210), nullptr);
}

TEST_F(UnitSprites, LoadAndClearHandleTheSprites) {
  TUnit* u = NewUnit(Wolf);
  Data::TMemoryStream s;
  u->Save(s);
  s.Seek(0, Data::soBeginning);
  TUnit v;
  v.Load(s);
  EXPECT_EQ(v.Portrait->ID, 200u);
  EXPECT_EQ(Refs(210), 16);
  v.Clear();
  EXPECT_EQ(v.Portrait, nullptr);
  EXPECT_EQ(Refs(210), 8);
  EXPECT_EQ(v.Prototype, nullptr);
  EXPECT_EQ(v.Name, "");
  EXPECT_EQ(v.Effective.HitPoints.Current, 0);
}

}  // namespace
}  // namespace WorldTest
