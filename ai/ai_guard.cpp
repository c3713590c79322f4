// Guarding an area, protecting a unit and following one: the handlers look
// at the situation around their target, remember an intruder in the
// target's reference, and hand their units on through a temporary task.
#include "ai/ai_handler.h"
#include "ai/ai_temporary_task.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

// The reference of a guard or protect task, when it is a unit standing in a
// group within r of (x, y).
TGroup* ReferenceGroupNear(const TAITarget& target, i32 x, i32 y, i32 r) {
  if (target.ReferenceKind != rkUnit) return nullptr;
  const auto* u = dynamic_cast<const TUnit*>(target.ResolveReference());
  TGroup* g = u ? u->GetGroup() : nullptr;
  return g && TAIHandler::InSquare(x, y, r, g->FieldX(), g->FieldY()) ? g : nullptr;
}

// The task that runs may be the multi-task's copy of the handler's task
// (same ID); the reference is kept on both, so that the next pass attacks
// the same intruder.
void SetReference(TAIHandler& h, TAITask& task, const TUnit* unit) {
  TAITask* kept = h.FindTask(task.ID);
  for (TAITask* t : {&task, kept}) {
    if (!t) continue;
    t->Header.Target.ReferenceKind = unit ? rkUnit : rkNone;
    t->Header.Target.SetReference(unit);
  }
}

// Keeps the reference while it stands in a group within r of (x, y), else
// takes the weakest visible hostile there; the group to attack, or null.
TGroup* Intruder(TAIHandler& h, TAITask& task, i32 x, i32 y, i32 r) {
  if (TGroup* g = ReferenceGroupNear(task.Header.Target, x, y, r)) return g;
  SetReference(h, task, nullptr);
  TUnit* u = h.FindWeakestHostileNear(x, y, r);
  TGroup* g = u ? u->GetGroup() : nullptr;
  if (g) SetReference(h, task, u);
  return g;
}

}  // namespace

// Go to the centre, or attack the intruder, through a temporary task that
// stands for this one.
namespace {

i32 GoToOrAttack(TAIHandler& h, TAITask& task, TGroup* intruder, i32 x, i32 y, i32 r) {
  if (!intruder) {
    TAITemporaryTask go(h, task, ttGoToField);
    go->SetGoToField(x, y, r);
    return h.ExecuteGoToField(go.Get(), &task);
  }
  TAITemporaryTask attack(h, task, ttAttackGroup);
  attack->Header.Target.Kind = tkGroup;
  attack->Header.Target.SetObject(intruder);
  attack->Header.Target.SetField(intruder->FieldX(), intruder->FieldY());
  return h.ExecuteAttackGroup(attack.Get(), &task);
}

// A unit in a city of this player or an ally is looked after by a city task
// for that city; anybody else's city ends the pass for the task.
i32 IntoWardsCity(TAIHandler& h, TAITask& task, const TUnit* ward) {
  const TCity* city = ward->GetCity();
  if (!city) return 0;
  const i32 relation = h.Player->GetRelation(city->GetUnitOwner(ward));
  if (relation != rSelf && relation != rAllied) return 0;
  TAITemporaryTask inside(h, task, ttCityTask);
  inside->SetCityTask(city);
  return h.ExecuteCityTask(inside.Get());
}

}  // namespace

i32 TAIHandler::ExecuteGuardArea(TAITask* task) {
  if (!task || task->Units.Count() == 0) return 0;
  const TAITarget& target = task->Header.Target;
  const i32 x = target.FieldX, y = target.FieldY, r = target.Radius;
  // An area that was never set has nothing to guard.
  if (!Scenario->IsFieldOnMap(x, y)) return 0;
  // Intruders are looked for a half further out than the units stay.
  TGroup* intruder = Intruder(*this, *task, x, y, r * 3 / 2);
  return GoToOrAttack(*this, *task, intruder, x, y, r);
}

i32 TAIHandler::ExecuteProtectUnit(TAITask* task) {
  if (!task || task->Units.Count() == 0 || !task->Header.Target.Validate()) return 0;
  const auto* ward = dynamic_cast<const TUnit*>(task->Header.Target.Resolve());
  if (!ward) return 0;
  const TGroup* wardGroup = ward->GetGroup();
  if (!wardGroup) return IntoWardsCity(*this, *task, ward);
  const i32 x = wardGroup->FieldX(), y = wardGroup->FieldY(), r = task->Header.Target.Radius;
  TGroup* intruder = Intruder(*this, *task, x, y, r);
  return GoToOrAttack(*this, *task, intruder, x, y, r);
}

i32 TAIHandler::ExecuteFollowUnit(TAITask* task) {
  if (!task || task->Units.Count() == 0 || !task->Header.Target.Validate()) return 0;
  const auto* followed = dynamic_cast<const TUnit*>(task->Header.Target.Resolve());
  if (!followed) return 0;
  const TGroup* g = followed->GetGroup();
  if (!g) return IntoWardsCity(*this, *task, followed);
  return GoToOrAttack(*this, *task, nullptr, g->FieldX(), g->FieldY(), task->Header.Target.Radius);
}

}  // namespace AIHandler
