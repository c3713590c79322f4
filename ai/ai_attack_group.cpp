// Attacking a group: the task's units, nearest first, gather into acting
// groups and fight the target or a better one close by; a hidden target is
// looked for on its last known field.
#include <algorithm>

#include "ai/ai_handler.h"
#include "ai/ai_task_rules.h"
#include "ai/ai_temporary_task.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

// Ascending by score; equal scores keep their order.
void SortByScore(TAIVirtualUnitList& list) {
  std::vector<TAIUnit*> items(list.begin(), list.end());
  std::stable_sort(items.begin(), items.end(),
                   [](const TAIUnit* a, const TAIUnit* b) { return TAIHandler::CompareFitness(a, b) < 0; });
  list.Clear();
  for (TAIUnit* u : items) list.Add(u);
}

void ScoreByDistance(TAIVirtualUnitList& list, const TAITaskHeader& header) {
  for (TAIUnit* u : list) u->Score = u->EvalDistance(&header);
  SortByScore(list);
}

TGroup* TargetGroup(const TAITask& task) {
  return task.Header.Target.Kind == tkGroup ? dynamic_cast<TGroup*>(task.Header.Target.Resolve()) : nullptr;
}

}  // namespace

bool TAIHandler::LookAfterProtected(const TAITask* outer) {
  TGroup* g = Player->GetSelectedGroup();
  if (!g) return false;
  if (!outer || outer->Header.TaskType != ttProtectUnit) return true;
  TAITarget target;
  target.Assign(&outer->Header.Target);
  target.Handler = this;
  if (!target.Validate()) return true;
  const auto* ward = dynamic_cast<const TUnit*>(target.Resolve());
  const TGroup* wardGroup = ward ? ward->GetGroup() : nullptr;
  if (!wardGroup) return true;
  const u32 wardGroupID = wardGroup->ID;
  if (ward->Effective.HitPoints.Current < ward->Effective.HitPoints.Base / 2) {
    CastHealingSpells(g, Scenario->FindGroup(wardGroupID));
    if (!(g = Player->GetSelectedGroup())) return false;
  }
  TGroup* w = Scenario->FindGroup(wardGroupID);
  if (!w || !IsHostileNear(w->FieldX(), w->FieldY(), 3)) return true;
  CastDefenceSpells(g, w);
  if (!(g = Player->GetSelectedGroup())) return false;
  if ((w = Scenario->FindGroup(wardGroupID))) CastShieldSpells(g, w);
  return Player->GetSelectedGroup() != nullptr;
}

i32 TAIHandler::ExecuteAttackGroup(TAITask* task, TAITask* outer) {
  if (!task || task->Units.Count() == 0) return 0;
  TAITarget& target = task->Header.Target;
  if (!target.Validate()) return 1;
  BringUnitsOutOfCities(task->Units, nullptr, target.FieldX, target.FieldY);
  TAIVirtualUnitList pool, acting;
  for (TAIUnit* u : task->Units)
    if (u->IsAlive() && u->GetGroup()) pool.Add(u);

  // A hidden target is looked for where it was last seen.
  if (!target.IsVisible()) {
    TAITemporaryTask search(*this, *task, ttGoToField);
    search->SetGoToField(target.FieldX, target.FieldY, 2);
    ExecuteGoToField(search.Get(), task);
  }
  if (!target.Validate()) return 1;
  if (!target.IsVisible()) return 0;
  for (i32 i = pool.Count() - 1; i >= 0; --i)
    if (!pool[i]->IsAlive() || !pool[i]->GetGroup()) pool.Delete(i);
  ScoreByDistance(pool, task->Header);

  const i32 priority = task->Priority;
  TAITask* combatTask = outer ? outer : task;
  while (ChooseActingUnits(pool, acting)) {
    ScoreByDistance(acting, task->Header);
    GatherUnits(acting);
    ApplyPlayerNotifications();
    TGroup* g = Player->GetSelectedGroup();
    if (!g) continue;
    if (!target.Validate()) return 1;
    if (!LookAfterProtected(outer)) continue;
    if (!target.Validate()) return 1;
    TGroup* t = TargetGroup(*task);
    if (!t || !(g = Player->GetSelectedGroup())) continue;

    // A target too strong for the group gives way to a better one near by;
    // a far one to one in reach.
    if (g->EstimateReadyAttackDamage(t) < t->GetTotalHitPoints() / 8 && g->GetTotalMana() < 20 && priority < 100) {
      if (TUnit* u = FindBestTargetNear(acting[0], 4)) {
        TGroup* ug = u->GetGroup();
        if (g->EstimateReadyAttackDamage(ug) > g->EstimateReadyAttackDamage(t) && CanReachGroup(ug)) t = ug;
      }
    } else if ((BelowSeventyFive(priority) && !InSquare(g->FieldX(), g->FieldY(), 2, t->FieldX(), t->FieldY())) ||
               (priority < 20 && Draw() < 0.1)) {
      if (TUnit* u = FindBestTargetNear(acting[0], 2)) {
        TGroup* ug = u->GetGroup();
        if ((g->EstimateReadyAttackDamage(ug) >= ug->GetTotalHitPoints() / 8 || g->GetTotalMana() >= 20) &&
            CanReachGroup(ug))
          t = ug;
      }
    }
    if (GroupCombat(task->Units, t, combatTask)) return 1;
  }
  return 0;
}

}  // namespace AIHandler
