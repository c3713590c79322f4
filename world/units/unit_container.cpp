// Where a unit stands (its group or city), and what follows from it: the
// owner, the turn start's regeneration, leaving the game.
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

TGroup* TUnit::GetGroup() const {
  return Container && Container->Type == otGroup ? static_cast<TGroup*>(Container) : nullptr;
}

TCity* TUnit::GetCity() const {
  return Container && Container->Type == otCity ? static_cast<TCity*>(Container) : nullptr;
}

u16 TUnit::GetContainerType() const { return Container ? Container->Type : 0; }

TPlayer* TUnit::GetOwner() const {
  if (TGroup* g = GetGroup()) return g->GetOwner();
  if (TCity* c = GetCity()) return c->GetUnitOwner(this);
  return nullptr;
}

bool TUnit::IsRecruit() const {
  TCity* c = GetCity();
  return c && c->IsRecruit(this);
}

bool TUnit::IsInClosedCity() const {
  TCity* c = GetCity();
  return c && c->Closed;
}

bool TUnit::CanAttack() const {
  return !IsDead() && Data2::GlobalData && Effective.ActionPoints.Current >= Data2::GlobalData->AttackCost;
}

bool TUnit::CanEnter(const TLocation* location) const {
  return !IsDead() && Effective.ActionPoints.Current >= GetEntryCost(location);
}

void TUnit::NewTurn() {
  const bool rested = Effective.ActionPoints.Current == Effective.ActionPoints.ValueAt(Effective.Level);
  AgeAfterEffects();
  RecalcEffective(false);
  const TUnitProperties before = Effective;
  // The clamp takes a pool's excess off the base record; the changes below
  // are measured against the unclamped values, so they go onto the base
  // record as it was before the clamp, or the excess would be lost twice.
  const TUnitProperties unclampedBase = Base;
  RecalcEffective(true);
  TUnitProperties e = Effective;
  e.NewTurn();
  const TGroup* group = GetGroup();
  if (rested && ((group && group->CampState == csCamped) || GetCity())) {
    e.RegenerateMana(1);
    e.RegenerateHitPoints(1);
  } else {
    e.RegenerateMana(2);
    e.RegenerateHitPoints(3);
  }
  Base.ActionPoints.Current = static_cast<i16>(unclampedBase.ActionPoints.Current + e.ActionPoints.Current -
                                               before.ActionPoints.Current);
  Base.HitPoints.Current =
      static_cast<i16>(unclampedBase.HitPoints.Current + e.HitPoints.Current - before.HitPoints.Current);
  Base.Mana.Current = static_cast<i16>(unclampedBase.Mana.Current + e.Mana.Current - before.Mana.Current);
  Base.Morale = static_cast<i16>(Base.Morale + e.Morale - before.Morale);
  RecalcEffective(true);
}

bool TUnit::Vanish() {
  TGroup* group = GetGroup();
  if (!group) return false;
  group->RemoveUnit(this, true, false);
  return true;
}

}  // namespace GameData
