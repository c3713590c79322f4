// Carrying out a multi-task and the movement orders of the acting group.
#include "ai/ai_handler.h"
#include "world/locations/location.h"
#include "world/map/path_work.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

// A handler that keeps asking for a new preparation in a world that does
// not change would hold the turn for ever.
constexpr i32 MaxPrepareRounds = 64;

}  // namespace

i32 TAIHandler::CostBetween(i32 fromX, i32 fromY, i32 toX, i32 toY) {
  if (!Scenario) return PathCostLimit;
  return CostMap.CostTo(*Scenario, fromX, fromY, PathCostLimit, toX, toY);
}

void TAIHandler::ExecuteMultiTask(TAIMultiTask* multi) {
  for (i32 round = 0; round < MaxPrepareRounds; ++round) {
    if (!multi->Prepare()) return;
    TAITask* task = multi->Combined;
    i32 again = 0;
    switch (task->Header.TaskType) {
      case ttAttackGroup: again = ExecuteAttackGroup(task); break;
      case ttGoToField: again = ExecuteGoToField(task); break;
      case ttGuardArea: again = ExecuteGuardArea(task); break;
      case ttProtectUnit: again = ExecuteProtectUnit(task); break;
      case ttFollowUnit: again = ExecuteFollowUnit(task); break;
      case ttCityTask: again = ExecuteCityTask(task); break;
      default: break;
    }
    if (!again) return;
  }
}

u32 TAIHandler::MoveToField(i32 x, i32 y, bool refreshCosts, i32 reserve, bool substituteIsFailure) {
  const bool free = Scenario->IsFieldOnMap(x, y) && !Scenario->Occupancy[static_cast<std::size_t>(Scenario->FieldIndex(x, y))];
  const bool acting = Player->GetSelectedGroup() || Player->GetSelectedCity();
  if (free && acting && Scenario->IsFieldReachable(x, y)) return PostMove(x, y, false, 0, false, nullptr, reserve, refreshCosts);
  if (!FindFieldTowards(x, y)) return arNoPath;
  const u32 r = PostMove(x, y, false, 0, false, nullptr, reserve, refreshCosts);
  return substituteIsFailure && r == arDone ? arNoPath : r;
}

u32 TAIHandler::MoveToJoin(const TGroup* group, bool substituteIsFailure, bool refreshCosts, i32 reserve) {
  if (!group) return arNoPath;
  if (Scenario->IsObjectReachable(group))
    return PostMove(group->FieldX(), group->FieldY(), true, 0, false, group, reserve, refreshCosts);
  i32 x = group->FieldX(), y = group->FieldY();
  if (!FindFieldTowards(x, y)) return arNoPath;
  const u32 r = PostMove(x, y, false, 0, false, nullptr, reserve, refreshCosts);
  return substituteIsFailure && r == arDone ? arNoPath : r;
}

u32 TAIHandler::ApproachGroup(const TGroup* group, u32 mode, bool refreshCosts, i32 reserve) {
  if (!group) return arNoPath;
  if (Scenario->HasFieldNextToGroup(group, Player->GetActingGroup()))
    return PostMove(group->FieldX(), group->FieldY(), false, mode, false, group, reserve, refreshCosts);
  i32 x = group->FieldX(), y = group->FieldY();
  if (!FindFieldTowards(x, y)) return arNoPath;
  return PostMove(x, y, false, 0, false, nullptr, reserve, refreshCosts);
}

u32 TAIHandler::ApproachLocation(const TLocation* location, i32 reserve, bool refreshCosts) {
  if (!location) return arNoPath;
  const TGroup* acting = Player->GetActingGroup();
  if (Scenario->HasFieldInLocation(location, acting))
    return PostMove(location->FieldX(), location->FieldY(), false, 0, true, location, reserve, refreshCosts);
  const i32 gx = acting ? acting->FieldX() : 0, gy = acting ? acting->FieldY() : 0;
  const TArea* area = location->EntranceArea->Count() > 0 ? location->EntranceArea.get() : location->OccupiedArea.get();
  const i32 nearest = area->FindNearestField(gx, gy);
  if (nearest < 0) return arNoPath;
  i32 x = (*area)[nearest].x, y = (*area)[nearest].y;
  if (!FindFieldTowards(x, y)) return arNoPath;
  return PostMove(x, y, false, 0, false, nullptr, reserve, refreshCosts);
}

// As the scenario's search, on the handler's own cost map.
bool TAIHandler::FindFieldTowards(i32& fx, i32& fy) {
  const TGroup* group = Player ? Player->GetSelectedGroup() : nullptr;
  if (!group || !Scenario) return false;
  const TScenario& s = *Scenario;
  const i32 gx = group->FieldX(), gy = group->FieldY();
  if (fx == gx && fy == gy) return s.FindNearestFreeFieldNoCity(fx, fy);
  const std::vector<i32>& costs = CostMap.Fill(s, gx, gy, PathCostLimit);
  const i32 points = group->GetMinActionPoints();
  const i32 reach = points > 10 ? points : 100;
  if (!s.IsFieldOnMap(fx, fy)) return false;
  i32 x = fx, y = fy;
  for (i32 step = 0; step < s.Width * s.Height; ++step) {
    if (x == gx && y == gy) return false;
    const std::size_t i = static_cast<std::size_t>(s.FieldIndex(x, y));
    if (costs[i] <= reach && !s.Occupancy[i] && !s.IsFieldInCity(x, y)) {
      fx = x;
      fy = y;
      return true;
    }
    i64 best = -1;
    i32 bx = x, by = y;
    for (i32 d = 0; d < 8; ++d) {
      const i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
      if (!s.IsFieldOnMap(nx, ny)) continue;
      i32 stepCost = s.TerrainStepCost(nx, ny, x, y);
      if (stepCost >= BlockedStep) stepCost = PathCostLimit;
      const i64 c = i64{costs[static_cast<std::size_t>(s.FieldIndex(nx, ny))]} + stepCost;
      if (best < 0 || c < best) {
        best = c;
        bx = nx;
        by = ny;
      }
    }
    if (best < 0 || best >= PathCostLimit) return false;
    x = bx;
    y = by;
  }
  return false;
}

bool TAIHandler::AllInSameGroup(const TAIVirtualUnitList& units) {
  if (units.Count() == 0) return false;
  const TGroup* first = units[0]->GetGroup();
  if (!first) return false;
  for (const TAIUnit* u : units) {
    const TGroup* g = u->GetGroup();
    if (!g || g->ID != first->ID) return false;
  }
  return true;
}

bool TAIHandler::InSquare(i32 cx, i32 cy, i32 r, i32 x, i32 y) {
  return x >= cx - r && x <= cx + r && y >= cy - r && y <= cy + r;
}

i32 TAIHandler::CompareFitness(const TAIUnit* a, const TAIUnit* b) {
  return a->Score > b->Score ? 1 : a->Score < b->Score ? -1 : 0;
}

}  // namespace AIHandler
