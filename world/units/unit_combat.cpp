// Blows, damage, experience and levels of a unit.
#include <algorithm>
#include <cmath>

#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

const Data2::TGlobalData& Global() { return *Data2::GlobalData; }

// A unit without an owner (no container) is not scaled for difficulty.
i32 Scaled(const TUnit* unit, i32 value) {
  const TPlayer* owner = unit->GetOwner();
  return owner ? owner->ScaleForDifficulty(value) : value;
}

// The low 32 bits of a product, as the rules compute it.
i32 Wrap32(i64 value) { return static_cast<i32>(value); }

}  // namespace

void TUnit::BlowStrength(const TUnit* target, bool counter, i32& strength, i32& defence) const {
  i32 base = counter ? Effective.CounterAttack.Current : Effective.Attack.Current;
  strength = Scaled(this, base + ((Effective.Morale + 5) / 10 - 5));
  // 32-bit arithmetic; a wild bonus wraps instead of overflowing.
  i32 d = counter ? target->Effective.Defence.Current
                  : Wrap32(i64{target->Effective.Defence.Current} * Wrap32(100 + i64{target->DefenceBonus})) / 100;
  defence = Scaled(target, d);
}

i32 TUnit::AttackDamage(TUnit* target) {
  i32 s, dd;
  BlowStrength(target, false, s, dd);
  i32 g = GaussRandom(RandomMain, s);
  return std::max<i32>(0, static_cast<i16>(g - dd));
}

i32 TUnit::CounterAttackDamage(TUnit* target) {
  i32 s, dd;
  BlowStrength(target, true, s, dd);
  i32 g = GaussRandom(RandomMain, s);
  return std::max<i32>(0, static_cast<i16>(g - dd));
}

i32 TUnit::EstimateAttackDamage(const TUnit* target) const {
  i32 s, dd;
  BlowStrength(target, false, s, dd);
  return std::max<i32>(0, static_cast<i16>(s - dd));
}

i32 TUnit::EstimateCounterAttackDamage(const TUnit* target) const {
  i32 s, dd;
  BlowStrength(target, true, s, dd);
  return std::max<i32>(0, static_cast<i16>(s - dd));
}

void TUnit::Strike(TUnit* target, i32 damage) {
  i32 dealt = 0;
  if (HasAfterEffect(100))
    TakeDamage(damage);
  else
    dealt = target->TakeDamage(damage);
  Base.ActionPoints.Current = static_cast<i16>(Base.ActionPoints.Current - static_cast<i16>(Global().AttackCost));
  RecalcEffective(true);
  GainExperience(Wrap32(i64{Global().DamageExperience} * dealt), target->Effective.Level);
  if (target->IsDead()) {
    GainExperience(Global().KillExperience, target->Effective.Level);
    GainKillMorale(target);
    target->DemoralizeGroupMates();
  }
}

void TUnit::Attack(TUnit* target) { Strike(target, AttackDamage(target)); }
void TUnit::CounterAttack(TUnit* target) { Strike(target, CounterAttackDamage(target)); }

void TUnit::SimulateStrike(TUnit* target, i32 damage) {
  if (HasAfterEffect(100))
    TakeDamage(damage);
  else
    target->TakeDamage(damage);
  Effective.ActionPoints.Current =
      static_cast<i16>(Effective.ActionPoints.Current - static_cast<i16>(Global().AttackCost));
}

void TUnit::SimulateAttack(TUnit* target) { SimulateStrike(target, EstimateAttackDamage(target)); }
void TUnit::SimulateCounterAttack(TUnit* target) { SimulateStrike(target, EstimateCounterAttackDamage(target)); }

i32 TUnit::TakeDamage(i32 damage) {
  i32 dealt = std::min<i32>(damage, Effective.HitPoints.Current);
  if (dealt > 0) AddWound(dealt);
  GainExperience(Wrap32(i64{Global().WoundExperience} * dealt), 1);
  i32 maxHP = Effective.HitPoints.ValueAt(Effective.Level);
  // A unit without hit points to lose has no share to lose them by.
  i32 m = maxHP > 0 ? Effective.Level - Wrap32(i64{Global().DamageMoraleFactor} * dealt) / maxHP - 1 : 0;
  if (PoolsCut) {
    AddMorale(std::min(m, 0));
  } else {
    // The last recalculation took nothing off the pools, so the one of the
    // morale alone would take nothing either: one does for both changes.
    const i32 n = static_cast<i32>(std::clamp<i64>(i64{Effective.Morale} + std::min(m, 0), 0, 100)) - Effective.Morale;
    Base.Morale = static_cast<i16>(Base.Morale + n);
  }
  Base.HitPoints.Current = static_cast<i16>(Base.HitPoints.Current - damage);
  RecalcEffective(true);
  return dealt;
}

void TUnit::AddExperience(i32 points, i32 factor) {
  const TPlayer* owner = GetOwner();
  bool cap = owner && owner->Scenario && owner->Scenario->MaxLevel > 0;
  i32 limit = cap ? std::max<i32>(Base.ExperienceForLevel(owner->Scenario->MaxLevel), Base.Experiences) : 0;
  // Units in play have a level of at least 1.
  i32 level = std::max<i32>(Effective.Level, 1);
  Base.Experiences = static_cast<i16>(Base.Experiences + Wrap32(i64{points} * factor) / level);
  if (cap && Base.Experiences > limit) Base.Experiences = static_cast<i16>(limit);
}

void TUnit::GainExperience(i32 points, i32 factor) {
  AddExperience(points, factor);
  RecalcEffective(true);
  LevelUp();
}

void TUnit::GainExperienceTwice(i32 points, i32 morePoints, i32 factor) {
  GainExperience(points, factor);
  // The values are those of the last recalculation; when it took nothing
  // off the pools, another would change the experience alone.
  const i16 before = Base.Experiences;
  AddExperience(morePoints, factor);
  if (PoolsCut)
    RecalcEffective(true);
  else
    Effective.Experiences = static_cast<i16>(Effective.Experiences + (Base.Experiences - before));
  LevelUp();
}

bool TUnit::CanLevelUp() const { return !IsDead() && Base.ReachesLevelAbove(Base.Experiences, Effective.Level); }

bool TUnit::LevelUp() {
  if (!CanLevelUp()) return false;
  const i16 oldHP = Base.HitPoints.ValueAt(Base.Level), oldMana = Base.Mana.ValueAt(Base.Level),
            oldAP = Base.ActionPoints.ValueAt(Base.Level);
  Base.Level = static_cast<i16>(Base.LevelForExperience(Base.Experiences));
  Base.HitPoints.Current = static_cast<i16>(Base.HitPoints.Current + Base.HitPoints.ValueAt(Base.Level) - oldHP);
  Base.Mana.Current = static_cast<i16>(Base.Mana.Current + Base.Mana.ValueAt(Base.Level) - oldMana);
  Base.ActionPoints.Current =
      static_cast<i16>(Base.ActionPoints.Current + Base.ActionPoints.ValueAt(Base.Level) - oldAP);
  for (TUnitProperty* p : {&Base.HPRegenerate, &Base.ManaRegenerate, &Base.MoraleRegenerate, &Base.Attack,
                           &Base.CounterAttack, &Base.Defence, &Base.Sight})
    p->Current = p->ValueAt(Base.Level);
  RecalcEffective(true);
  LevelledUp = 1;
  return true;
}

void TUnit::GainKillMorale(const TUnit* victim) {
  AddMorale(std::max(1, (victim->Effective.Level - Effective.Level) * Global().KillMoralePerLevel +
                            Global().KillMoraleBase));
}

void TUnit::DemoralizeGroupMates() {
  TGroup* group = GetGroup();
  if (!group) return;
  for (TUnit* mate : group->Units) {
    if (!mate || mate == this || mate->IsDead()) continue;
    mate->AddMorale(-2 * std::max(1, (Effective.Level - mate->Effective.Level) * Global().KillMoralePerLevel +
                                         Global().KillMoraleBase));
  }
}

}  // namespace GameData
