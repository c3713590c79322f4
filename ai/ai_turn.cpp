// A computer player's turn on its player thread: passes of planning and
// execution, then the end of the turn.
#include <memory>

#include "ai/ai_handler.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace AIHandler {

using namespace GameData;

namespace {

// Keeps the removed objects of a pass readable until it ends, also when a
// stop request ends the turn inside a wait.
class TPassScope {
 public:
  explicit TPassScope(TAIHandler& handler) : Handler(handler) { Handler.BeginPass(); }
  ~TPassScope() { Handler.EndPass(); }
  TPassScope(const TPassScope&) = delete;
  TPassScope& operator=(const TPassScope&) = delete;

 private:
  TAIHandler& Handler;
};

bool UsableUnit(TAIUnit* u) {
  return u->IsAlive() && (u->GetGroup() || u->GetCity()) && !u->IsRecruit() && !u->IsInClosedCity();
}

}  // namespace

void TAIHandler::TakeTurn() {
  PassesRun = 0;
  CostMap.Invalidate();
  PostTurnStart();
  RunTurnPasses();
}

i32 TAIHandler::PassCount() const { return IsFirstPlayer() ? 1 : 4; }

void TAIHandler::RunTurnPasses() {
  i32 passes = PassCount();
  for (i32 pass = 0; pass < passes; ++pass) {
    TPassScope scope(*this);
    ++PassesRun;
    if (ProcessScriptMessages() && pass == passes - 1) ++passes;
    RefreshUnitPool();
    if (FreePool.Count() == 0) {
      Player->ClearNotifications();
      break;
    }
    PassFlag = 1;
    RefreshTargets();
    if (!UpdateTasks()) {
      Player->ClearNotifications();
      break;
    }
    ApplyPlayerNotifications();
    RefreshTargets();
    AssignUnitsToTasks();
    if (!BuildMultiTasks()) break;
    for (i32 i = 0; i < MultiTasks.Count(); ++i) {
      TAIMultiTask* multi = MultiTasks[i];
      if (multi->Members.Count() == 0) continue;
      const bool protect = multi->Members[0]->Header.TaskType == ttProtectUnit;
      const bool runs = protect ? pass >= 2 : (pass < 2 || pass >= 4);
      if (!runs) continue;
      ExecuteMultiTask(multi);
      if (ProcessScriptMessages()) {
        if (pass == passes - 1) ++passes;
        break;
      }
    }
  }
  FreePool.Clear();
  MultiTasks.Clear();
  PostEndTurn();
}

void TAIHandler::RefreshUnitPool() {
  FreePool.Clear();
  for (TAIUnit* u : Units.Items)
    if (UsableUnit(u)) FreePool.Add(u);
  for (i32 i = Tasks.Count() - 1; i >= 0; --i) {
    TAITask* task = Tasks[i];
    if (task->Header.Target.Kind == tkUnit && task->Header.Target.Validate()) continue;
    for (i32 k = task->Units.Count() - 1; k >= 0; --k)
      if (k < task->Units.Count() && !UsableUnit(task->Units[k])) task->UnassignUnit(task->Units[k]);
  }
  for (TAIArmy* army : Armies.Items)
    for (i32 k = army->Units.Count() - 1; k >= 0; --k)
      if (k < army->Units.Count() && !UsableUnit(army->Units[k])) army->RemoveUnit(army->Units[k]);
}

void TAIHandler::RefreshTargets() {
  for (TAITask* task : Tasks.Items) task->RefreshTarget();
}

void TAIHandler::ApplyPlayerNotifications() {
  for (;;) {
    std::unique_ptr<TNotification> n(Player->PopNotification());
    if (!n) return;
    if (n->Kind >= 1 && n->Kind <= 3)
      for (TAITask* task : Tasks.Items) task->ApplyNotification(*n);
  }
}

void TAITask::RefreshTarget() {
  if (Header.Target.Validate() && Header.Target.IsVisible()) Header.Target.UpdateField();
  if (Header.TaskType == ttAttackUnit && RelationToTarget() == rHostile) Active = 1;
}

void TAITask::ApplyNotification(const TNotification& n) {
  if (!Header.Target.Validate() || Header.Target.ObjectID != n.UnitID) return;
  if (Header.TaskType == ttAttackUnit && RelationToTarget() == rHostile) Active = 1;
  Header.Target.SetField(n.X, n.Y);
}

}  // namespace AIHandler
