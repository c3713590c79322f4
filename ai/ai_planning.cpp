// Tasks made and dropped, ranked by priority and given units, and bundled
// into the multi-tasks of a pass.
#include <cstdlib>

#include "ai/ai_army.h"
#include "ai/ai_handler.h"
#include "world/data2/prototypes.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

i32 MaxUnits(u32 type) {
  switch (type) {
    case ttAttackUnit:
    case ttGoToField: return 3;
    case ttGuardArea:
    case ttProtectUnit:
    case ttFollowUnit: return 6;
    case ttCityTask: return 12;
    default: return 0;
  }
}

bool InGroupOrCity(const TAIUnit* u) { return u->GetGroup() || u->GetCity(); }

bool Eligible(TAIUnit* u) { return u->IsAlive() && !u->Assigned && InGroupOrCity(u); }

i32 Compare(i32 a, i32 b) { return a < b ? -1 : a > b ? 1 : 0; }

void SortAscending(TAIVirtualUnitList& list) {
  list.Sort([](const TAIUnit* a, const TAIUnit* b) { return Compare(a->Score, b->Score); });
}

void SortDescending(TAIVirtualUnitList& list) {
  list.Sort([](const TAIUnit* a, const TAIUnit* b) { return Compare(b->Score, a->Score); });
}

TUnit* TargetUnit(const TAITask& task) {
  return task.Header.Target.Kind == tkUnit ? dynamic_cast<TUnit*>(task.Header.Target.Resolve()) : nullptr;
}

// Priority from the defence: 100 for none, lower the better defended.
i32 DefencePriority(i32 defence) { return 100 / (defence + 1); }

}  // namespace

// Task list upkeep.

bool TAIHandler::IsFirstPlayer() const { return Scenario && Scenario->IndexOfPlayer(Player) == 0; }

bool TAIHandler::UpdateTasks() {
  if (IsFirstPlayer()) {
    CreateHoldTasks();
    return Tasks.Count() > 0;
  }
  if (Tasks.Count() == 0) {
    CreateAttackTasks();
    return Tasks.Count() > 0;
  }
  for (i32 i = Tasks.Count() - 1; i >= 0; --i) {
    TAITask* task = Tasks[i];
    if (!task->Active) continue;
    if (task->IsFinished()) {
      for (TAIUnit* u : task->Units) u->Assigned = 0;
      task->Units.Clear();
      Tasks.Items[i] = nullptr;
      Tasks.Items.Delete(i);
      for (TAIMultiTask* m : MultiTasks.Items) m->Members.Remove(task);
      Discard(task);
      continue;
    }
    if (task->Header.TaskType != ttAttackUnit || task->Header.Target.IsVisible()) continue;
    const TUnit* target = TargetUnit(*task);
    bool drop = true;
    if (target && target->GetGroup()) {
      drop = false;
      for (TAIUnit* u : task->Units) {
        if (!u->IsAlive()) continue;
        if (std::abs(u->GetFieldX() - task->Header.Target.FieldX) <= 3 &&
            std::abs(u->GetFieldY() - task->Header.Target.FieldY) <= 3) {
          drop = true;
          break;
        }
      }
    }
    if (drop) {
      task->Active = 0;
      task->UnassignAll();
    }
  }
  CreateAttackTasks();
  return Tasks.Count() > 0;
}

void TAIHandler::CreateAttackTasks() {
  if (!Scenario || !Player) return;
  for (TUnit* unit : Scenario->Units.Items) {
    if (!unit->GetGroup() && !unit->GetCity()) continue;
    const TPlayer* owner = unit->GetOwner();
    if (!owner || Player->GetRelation(owner) != rHostile || unit->IsRecruit()) continue;
    bool targeted = false;
    for (const TAITask* t : Tasks.Items)
      if (t->Header.TaskType == ttAttackUnit && t->Header.Target.ObjectID == unit->ID) targeted = true;
    if (targeted) continue;
    auto task = std::make_unique<TAITask>(this, true);
    task->Header.TaskType = ttAttackUnit;
    task->Priority = DefencePriority(unit->Base.Defence.Current);
    task->Header.Target.Kind = tkUnit;
    task->Header.Target.SetObject(unit);
    i32 x = -1, y = -1;
    UnitField(unit, x, y);
    task->Header.Target.SetField(x, y);
    task->Active = task->Header.Target.IsVisible() ? 1 : 0;
    Tasks.Items.Add(task.release());
  }
}

void TAIHandler::CreateHoldTasks() {
  for (TAIUnit* unit : FreePool) {
    if (!unit->IsAlive() || !unit->GetGroup()) continue;
    const TUnit* game = unit->GetUnit();
    if (!game || !game->Prototype || game->Prototype->Kind != 2) continue;
    if (FindTaskOfUnit(unit)) continue;
    auto task = std::make_unique<TAITask>(this, true);
    task->Priority = 50;
    task->Active = 1;
    task->SetGoToField(unit->GetFieldX(), unit->GetFieldY(), 3);
    // A unit the task cannot take (one of an army) would get a new empty
    // task at every pass.
    if (!task->AssignUnit(unit)) continue;
    Tasks.Items.Add(task.release());
  }
}

bool TAITask::IsFinished() {
  switch (Header.TaskType) {
    case ttAttackUnit:
    case ttAttackGroup: return !Header.Target.Validate() || RelationToTarget() == rSelf;
    case ttProtectUnit:
    case ttFollowUnit: {
      if (!Header.Target.Validate()) return true;
      const TUnit* target = TargetUnit(*this);
      if (!target || target->GetGroup() || !target->GetCity()) return false;
      const i32 r = RelationToTarget();
      return r != rSelf && r != rAllied;
    }
    case ttGoToField: {
      if (Handler && Handler->IsFirstPlayer()) return false;
      const TAITarget& t = Header.Target;
      for (TAIUnit* u : Units)
        if (u->IsAlive() && std::abs(u->GetFieldX() - t.FieldX) <= t.Radius &&
            std::abs(u->GetFieldY() - t.FieldY) <= t.Radius)
          return true;
      return false;
    }
    default: return false;
  }
}

i32 TAITask::RelationToTarget() {
  const TPlayer* owner = Handler ? Handler->Player : nullptr;
  if (!owner) return rNone;
  const Data::TDataObject* object = Header.Target.Resolve();
  const TPlayer* other = nullptr;
  if (Header.Target.Kind == tkUnit) {
    if (const auto* u = dynamic_cast<const TUnit*>(object)) other = u->GetOwner();
  } else if (Header.Target.Kind == tkGroup) {
    if (const auto* g = dynamic_cast<const TGroup*>(object)) other = g->GetOwner();
  }
  return other ? owner->GetRelation(other) : rNone;
}

// Assignment.

i32 TAIHandler::CompareTaskPriority(const TAITask* a, const TAITask* b) { return Compare(b->Priority, a->Priority); }

void TAIHandler::AssignUnitsToTasks() {
  if (IsFirstPlayer()) return;
  Tasks.Items.Sort(CompareTaskPriority);
  for (i32 i = 0; i < Tasks.Count(); ++i) {
    TAITask* task = Tasks[i];
    if (!task->Active) continue;
    const u32 type = task->Header.TaskType;
    if ((type == ttAttackUnit || type == ttAttackGroup) && !task->Header.Target.IsHostile()) continue;
    if (task->Priority > 0) task->AssignUnits(FreePool);
  }
  for (TAITask* task : Tasks.Items)
    for (TAIUnit* u : task->Units) u->Fitness.SetHeader(&task->Header);
}

void TAITask::SetRequiredStrength() {
  RequiredStrength = 0;
  if (Header.TaskType != ttAttackUnit) return;
  if (const TUnit* target = TargetUnit(*this)) RequiredStrength = target->Effective.HitPoints.Current;
}

void TAITask::AssignUnits(TAIVirtualUnitList& pool) {
  const u32 type = Header.TaskType;
  const i32 max = MaxUnits(type);
  if (max == 0 || type == ttFollowUnit) return;
  if (type == ttAttackUnit) {
    SetRequiredStrength();
    ObtainedStrength = 0;
  }
  for (i32 i = Units.Count() - 1; i >= 0; --i) {
    TAIUnit* u = Units[i];
    if (!u->IsAlive() || !InGroupOrCity(u)) {
      u->Assigned = 0;
      Units.Delete(i);
    }
  }
  if (type == ttAttackUnit)
    for (TAIUnit* u : Units) ObtainedStrength += u->EvalAttack(&Header);
  if (Units.Count() >= max) return;

  if (type == ttAttackUnit) {
    if (ObtainedStrength >= RequiredStrength) return;
    const bool hasUnits = Units.Count() > 0;
    if (hasUnits) {
      RankByDistanceToTarget(Units);
      RankByDistanceToUnit(pool, Units[0]);
    } else {
      RankByDistanceToTarget(pool);
    }
    for (i32 i = 0; i < pool.Count(); ++i) {
      TAIUnit* u = pool[i];
      if (!Eligible(u)) continue;
      if (hasUnits && u->Score >= 20) continue;
      if (u->EvalAttack(&Header) <= 0 && u->EvalSpell(&Header) <= 0) continue;
      if (const TGroup* g = u->GetGroup(); g && !u->InArmy && g->GetUnitCount() + Units.Count() > max) continue;
      Units.Add(u);
      u->Assigned = 1;
      ObtainedStrength += u->EvalAttack(&Header);
      if (u->InArmy)
        AddArmyMates(u);
      else
        AddGroupMates(u);
      if (Units.Count() >= max || ObtainedStrength >= RequiredStrength) return;
    }
    return;
  }

  if (type == ttCityTask) {
    const auto* city = dynamic_cast<const TCity*>(Header.Target.Resolve());
    if (city && city->Closed) return;
    RankBySiege(pool);
    for (i32 i = 0; i < pool.Count(); ++i) {
      TAIUnit* u = pool[i];
      if (!Eligible(u) || u->EvalSiege(&Header) <= 0) continue;
      Units.Add(u);
      u->Assigned = 1;
      if (u->InArmy)
        AddArmyMates(u);
      else
        AddGroupMates(u);
      if (Units.Count() >= max) return;
    }
    return;
  }

  // Go to field, guard area, protect unit.
  if (type == ttGoToField)
    RankByScouting(pool);
  else
    RankByGuarding(pool);
  const TUnit* protectedUnit = type == ttProtectUnit ? TargetUnit(*this) : nullptr;
  for (i32 i = 0; i < pool.Count(); ++i) {
    TAIUnit* u = pool[i];
    if (!Eligible(u) || u->InArmy) continue;
    if (Units.Count() > 0 && u->CostToUnit(*Units[0]) >= 20) continue;
    if (type == ttProtectUnit && u->GetGroup() == (protectedUnit ? protectedUnit->GetGroup() : nullptr)) continue;
    const i32 value = type == ttGoToField ? u->EvalScout(&Header) : u->EvalGuard(&Header);
    if (value <= 0) continue;
    Units.Add(u);
    u->Assigned = 1;
    AddGroupMates(u);
    if (Units.Count() >= max) return;
  }
}

void TAITask::AddArmyMates(TAIUnit* unit) {
  if (!unit->Army) return;
  for (TAIUnit* mate : unit->Army->Units) {
    if (mate == unit) continue;
    Units.Add(mate);
    mate->Assigned = 1;
    if (Header.TaskType == ttAttackUnit) ObtainedStrength += mate->EvalAttack(&Header);
  }
}

void TAITask::AddGroupMates(TAIUnit* unit) {
  const TGroup* g = unit->GetGroup();
  if (!g || !Handler) return;
  const i32 n = g->GetUnitCount();
  if (n != 2 && n != 3) return;
  for (const TUnit* member : g->Units) {
    if (!member || member == unit->GetUnit()) continue;
    TAIUnit* mate = Handler->FindAIUnit(member);
    if (!mate || mate->Assigned || mate->InArmy) continue;
    Units.Add(mate);
    mate->Assigned = 1;
    if (Header.TaskType == ttAttackUnit) ObtainedStrength += mate->EvalAttack(&Header);
  }
}

// Rankings.

void TAITask::RankByDistanceToTarget(TAIVirtualUnitList& list) {
  for (TAIUnit* u : list) {
    u->Fitness.SetHeader(&Header);
    u->Score = Eligible(u) ? Header.Target.CostToUnit(u->GetUnit()) : 1000;
  }
  SortAscending(list);
}

void TAITask::RankByDistanceToUnit(TAIVirtualUnitList& list, TAIUnit* reference) {
  for (TAIUnit* u : list) {
    u->Fitness.SetHeader(&Header);
    u->Score = Eligible(u) ? reference->CostTo(u->GetFieldX(), u->GetFieldY()) : 1000;
  }
  SortAscending(list);
}

void TAITask::RankByScouting(TAIVirtualUnitList& list) {
  for (TAIUnit* u : list)
    u->Score = Eligible(u) ? u->EvalScout(&Header) - u->EvalDistance(&Header) / 8 : -10000;
  SortDescending(list);
}

void TAITask::RankByGuarding(TAIVirtualUnitList& list) {
  for (TAIUnit* u : list) u->Score = Eligible(u) ? u->EvalGuard(&Header) - u->EvalDistance(&Header) / 8 : -1000;
  SortDescending(list);
}

void TAITask::RankBySiege(TAIVirtualUnitList& list) {
  for (TAIUnit* u : list)
    u->Score = Eligible(u) ? u->EvalSiege(&Header) - u->EvalDistance(&Header) / 8 : -10000;
  SortDescending(list);
}

// Multi-tasks.

namespace {

bool NoUnitFartherThan(TAITask& task, i32 limit) {
  for (TAIUnit* u : task.Units)
    if (u->IsAlive() && task.Header.Target.CostToUnit(u->GetUnit()) > limit) return false;
  return true;
}

void RecomputePriority(TAITask& task) {
  if (task.Priority >= 100) return;
  if (const TUnit* target = TargetUnit(task)) task.Priority = DefencePriority(target->Effective.Defence.Current);
}

}  // namespace

bool TAIHandler::BuildMultiTasks() {
  TAIVirtualTaskList work;
  for (TAITask* t : Tasks.Items)
    if (t->Active) work.Add(t);
  MultiTasks.Clear();
  for (i32 i = 0; i < work.Count(); ++i) {
    TAITask* t = work[i];
    const u32 type = t->Header.TaskType;
    if (type == ttAttackUnit) {
      if (!t->Header.Target.Validate() || t->Units.Count() == 0) continue;
      RecomputePriority(*t);
      auto multi = std::make_unique<TAIMultiTask>();
      multi->Init(this);
      multi->Members.Add(t);
      const i32 n = t->Units.Count();
      if (n < 6 && NoUnitFartherThan(*t, 30))
        for (i32 k = work.Count() - 1; k > i; --k) {
          TAITask* u = work[k];
          if (u->Header.TaskType != ttAttackUnit || !u->Header.Target.Validate()) continue;
          if (u->Header.Target.CostToTarget(t->Header.Target) >= 16) continue;
          if (u->Units.Count() == 0 || !NoUnitFartherThan(*u, 30)) continue;
          RecomputePriority(*u);
          multi->Members.Add(u);
          work.Delete(k);
        }
      MultiTasks.Items.Add(multi.release());
      continue;
    }
    bool alone = type == ttGoToField || type == ttGuardArea || type == ttProtectUnit || type == ttFollowUnit;
    if (type == ttCityTask) {
      const auto* city = dynamic_cast<const TCity*>(t->Header.Target.Resolve());
      alone = !(city && city->Closed);
    }
    if (!alone) continue;
    auto multi = std::make_unique<TAIMultiTask>();
    multi->Init(this);
    multi->Members.Add(t);
    MultiTasks.Items.Add(multi.release());
  }
  return MultiTasks.Count() > 0;
}

bool TAIMultiTask::Prepare() {
  if (Members.Count() == 0 || !Combined) return false;
  TAITask* first = Members[0];
  const u32 type = first->Header.TaskType;
  if (type >= ttGoToField && type <= ttFollowUnit) {
    Combined->Units.Clear();
    Combined->CopyFrom(first);
    return true;
  }
  if (type != ttAttackUnit) return false;
  TAITask* best = first;
  for (i32 i = 1; i < Members.Count(); ++i) {
    TAITask* m = Members[i];
    TAITarget& t = m->Header.Target;
    if (!t.Validate() || !t.IsVisible() || !t.IsHostile()) continue;
    const bool bestSeen = best->Header.Target.Validate() && best->Header.Target.IsVisible();
    if (!bestSeen || m->Priority > best->Priority) best = m;
  }
  if (!best->Header.Target.Validate() || !best->Header.Target.IsHostile()) return false;
  const TUnit* target = TargetUnit(*best);
  const TGroup* group = target ? target->GetGroup() : nullptr;
  Combined->Header.Clear();
  Combined->Header.TaskType = ttAttackGroup;
  Combined->Header.Target.Kind = tkGroup;
  Combined->Header.Target.SetObject(group);
  Combined->Header.Target.SetField(best->Header.Target.FieldX, best->Header.Target.FieldY);
  Combined->Units.Clear();
  for (TAITask* m : Members)
    for (TAIUnit* u : m->Units) {
      Combined->Units.Add(u);
      u->Fitness.SetHeader(&Combined->Header);
    }
  return true;
}

}  // namespace AIHandler
