#include "ai/ai_unit.h"

#include <algorithm>

#include "ai/ai_army.h"
#include "ai/ai_handler.h"
#include "world/locations/city.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

i32 AtLevel(const TUnit& u, const TUnitProperty& p) { return p.ValueAt(u.Base.Level); }

i32 AttackGain(const TUnit& attacker, const TUnit& target) {
  return std::max(0, 2 * attacker.EstimateAttackDamage(&target) - target.EstimateCounterAttackDamage(&attacker));
}

}  // namespace

// Fitness.

void TAIFitness::Assign(const Data::TDataObject* source) {
  const auto* f = dynamic_cast<const TAIFitness*>(source);
  if (!f) return TDataObject::Assign(source);
  ID = f->ID;
  Header = f->Header;
  UnitID = f->UnitID;
}

void TAIFitness::Load(Data::TStream& s) {
  TDataObject::Load(s);
  UnitID = Data::ReadU32(s);
}

void TAIFitness::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU32(s, UnitID);
}

void TAIFitness::Clear() {
  Header = nullptr;
  UnitID = 0;
}

void TAIFitness::SetUnit(const TUnit* unit) { UnitID = unit ? unit->ID : 0; }

TUnit* TAIFitness::GetUnit() const {
  return Handler && Handler->Scenario ? Handler->Scenario->Units.LookupByID(UnitID) : nullptr;
}

i32 TAIFitness::AttackValue() const {
  const TUnit* unit = GetUnit();
  if (!Header || !unit) return 0;
  const Data::TDataObject* target = Header->Target.Resolve();
  if (Header->TaskType == ttAttackUnit) {
    const auto* t = dynamic_cast<const TUnit*>(target);
    return t ? AttackGain(*unit, *t) : 0;
  }
  if (Header->TaskType == ttAttackGroup) {
    const auto* t = dynamic_cast<const TGroup*>(target);
    if (!t) return 0;
    if (const TGroup* own = unit->GetGroup())
      return std::max(0, 2 * own->EstimateAttackDamage(t) - t->EstimateCounterAttackDamage(own));
    i32 best = 0;
    for (const TUnit* u : t->Units)
      if (u) best = std::max(best, AttackGain(*unit, *u));
    return best;
  }
  return 0;
}

i32 TAIFitness::SpellValue() const {
  const TUnit* unit = GetUnit();
  if (!Header || !unit) return 0;
  if (Header->TaskType == ttAttackUnit) return AtLevel(*unit, unit->Base.Mana);
  if (Header->TaskType != ttAttackGroup) return 0;
  i32 sum = 0;
  auto add = [&sum](const TUnit& u) { sum += u.CountKnownSpells() + AtLevel(u, u.Base.Mana); };
  if (const TGroup* g = unit->GetGroup()) {
    for (const TUnit* u : g->Units)
      if (u) add(*u);
  } else {
    add(*unit);
  }
  return sum;
}

i32 TAIFitness::Distance() const { return Header ? Header->Target.CostToUnit(GetUnit()) : PathCostLimit; }

i32 TAIFitness::ScoutValue() const {
  const TUnit* u = GetUnit();
  return u ? AtLevel(*u, u->Base.Sight) * AtLevel(*u, u->Base.ActionPoints) : 0;
}

i32 TAIFitness::GuardValue() const {
  const TUnit* u = GetUnit();
  return u ? AtLevel(*u, u->Base.CounterAttack) : 0;
}

i32 TAIFitness::SiegeValue() const {
  const TUnit* u = GetUnit();
  if (!Header || !u) return 0;
  const auto* city = dynamic_cast<const TCity*>(Header->Target.Resolve());
  i32 sum = 0, count = 0;
  if (city)
    for (i32 i = 0; i < city->DefenderSlots.Count(); ++i)
      if (const TUnit* d = city->DefenderSlots[i]) {
        sum += AtLevel(*d, d->Base.Defence);
        ++count;
      }
  const i32 average = count ? sum / count : 0;
  return std::max(0, AtLevel(*u, u->Base.Attack) - average);
}

// AI unit.

void TAIUnit::Assign(const Data::TDataObject* source) {
  const auto* u = dynamic_cast<const TAIUnit*>(source);
  if (!u) return TDataObject::Assign(source);
  ID = u->ID;
  Fitness.CopyFrom(&u->Fitness);
  Alive = u->Alive;
  Army = u->Army;
  StoredArmyID = u->StoredArmyID;
  Assigned = u->Assigned;
  InArmy = u->InArmy;
  Score = u->Score;
}

void TAIUnit::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Assigned = Data::ReadU8(s);
  Score = Data::ReadI32(s);
  Alive = Data::ReadU8(s);
  Fitness.Load(s);
  InArmy = Data::ReadU8(s);
  if (InArmy) StoredArmyID = Data::ReadU32(s);
}

void TAIUnit::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU8(s, Assigned);
  Data::WriteI32(s, Score);
  Data::WriteU8(s, Alive);
  Fitness.Save(s);
  Data::WriteU8(s, InArmy);
  if (InArmy) Data::WriteU32(s, Army ? Army->ID : StoredArmyID);
}

void TAIUnit::Clear() {
  Fitness.Clear();
  Army = nullptr;
  StoredArmyID = 0;
  Assigned = InArmy = Alive = 0;
  Score = 0;
}

bool TAIUnit::IsAlive() {
  if (!Alive) return false;
  const TUnit* u = GetUnit();
  Alive = u && !u->IsDead() ? 1 : 0;
  return Alive != 0;
}

TGroup* TAIUnit::GetGroup() const {
  const TUnit* u = GetUnit();
  return u ? u->GetGroup() : nullptr;
}

TCity* TAIUnit::GetCity() const {
  const TUnit* u = GetUnit();
  return u ? u->GetCity() : nullptr;
}

i32 TAIUnit::GetFieldX() const {
  i32 x = 0, y = 0;
  return UnitField(GetUnit(), x, y) ? x : 0;
}

i32 TAIUnit::GetFieldY() const {
  i32 x = 0, y = 0;
  return UnitField(GetUnit(), x, y) ? y : 0;
}

bool TAIUnit::IsRecruit() const {
  const TUnit* u = GetUnit();
  return u && u->IsRecruit();
}

bool TAIUnit::IsInClosedCity() const {
  const TUnit* u = GetUnit();
  return u && u->IsInClosedCity();
}

i32 TAIUnit::CostTo(i32 x, i32 y) const {
  if (!Handler || !Handler->Scenario) return PathCostLimit;
  return Handler->CostBetween(GetFieldX(), GetFieldY(), x, y);
}

i32 TAIUnit::CostToUnit(const TAIUnit& other) const {
  i32 x, y;
  if (!UnitField(other.GetUnit(), x, y)) return 1000;
  return CostTo(x, y);
}

i32 TAIUnit::CostToObject(const TMapObject* object) const {
  return object ? CostTo(object->FieldX(), object->FieldY()) : PathCostLimit;
}

i32 TAIUnit::EvalAttack(const TAITaskHeader* header) {
  Fitness.SetHeader(header);
  return Fitness.AttackValue();
}
i32 TAIUnit::EvalSpell(const TAITaskHeader* header) {
  Fitness.SetHeader(header);
  return Fitness.SpellValue();
}
i32 TAIUnit::EvalDistance(const TAITaskHeader* header) {
  Fitness.SetHeader(header);
  return Fitness.Distance();
}
i32 TAIUnit::EvalScout(const TAITaskHeader* header) {
  Fitness.SetHeader(header);
  return Fitness.ScoutValue();
}
i32 TAIUnit::EvalGuard(const TAITaskHeader* header) {
  Fitness.SetHeader(header);
  return Fitness.GuardValue();
}
i32 TAIUnit::EvalSiege(const TAITaskHeader* header) {
  Fitness.SetHeader(header);
  return Fitness.SiegeValue();
}

}  // namespace AIHandler
