// Going to a field: a task's units leave their cities, gather into acting
// groups of up to three and march toward the target field, fighting weak
// hostiles on the way.
#include <algorithm>

#include "ai/ai_handler.h"
#include "ai/ai_task_rules.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

TUnit* FirstUnit(const TGroup* g) {
  for (TUnit* u : g->Units)
    if (u) return u;
  return nullptr;
}

}  // namespace

double TAIHandler::Draw() { return static_cast<double>(NextRandom(RandomThread)) / 2147483648.0; }

i32 TAIHandler::RandomBelow(i32 n) { return n < 1 ? 0 : NextRandom(RandomThread) % n; }

void TAIHandler::BringUnitsOutOfCities(const TAIVirtualUnitList& units, const TCity* except, i32 x, i32 y) {
  // The hooks may take units out of the task's list while a record runs.
  TAIVirtualUnitList listed;
  for (TAIUnit* u : units) listed.Add(u);
  PostSelect(nullptr);
  for (i32 i = 0; i < listed.Count(); ++i) {
    TAIUnit* first = listed[i];
    TCity* city = first->IsAlive() ? first->GetCity() : nullptr;
    if (!city || city == except) continue;
    const u32 cityID = city->ID;
    PostEnterCity(city);
    for (i32 k = i; k < listed.Count(); ++k) {
      TAIUnit* u = listed[k];
      city = Scenario->FindCity(cityID);
      if (!city || city->DepartureGroup->GetUnitCount() >= MaxGroupUnits) break;
      if (!u->IsAlive() || u->GetCity() != city) continue;
      const TUnit* unit = u->GetUnit();
      i32 from = -1;
      for (const TUnit* d : city->DefenderSlots)
        if (d == unit) from = clDefenders;
      if (from < 0 && city->Units.IndexOf(const_cast<TUnit*>(unit)) >= 0) from = clUnits;
      if (from >= 0) PostMoveCityUnit(static_cast<u32>(from), unit->ID, clDeparture, 0);
    }
    PostLeaveCity();
    city = Scenario->FindCity(cityID);
    if (city && Player->GetActingGroup()) {
      i32 fx = x, fy = y;
      city->GetNearestEntranceField(x, y, fx, fy);
      if (Scenario->FindNearestFreeField(fx, fy))
        RepeatWhileSighted([&] { return MoveToField(fx, fy, true, 0, true); });
      PostSelect(nullptr);
    }
  }
  PostSelect(nullptr);
}

bool TAIHandler::FindFieldAlongPath(const TGroup* group, i32& x, i32& y) const {
  i32 fx = -1, fy = -1;
  if (!Scenario->FindReachableAlongPath(x, y, group, fx, fy)) return false;
  x = fx;
  y = fy;
  return true;
}

bool TAIHandler::MoveToCampField(i32 x, i32 y, i32 r) {
  const TGroup* g = Player->GetSelectedGroup();
  if (!g) return false;
  const i32 gx = g->FieldX(), gy = g->FieldY();
  i64 best = -1;
  i32 bx = 0, by = 0;
  for (i32 fx = x - r; fx <= x + r; ++fx)
    for (i32 fy = y - r; fy <= y + r; ++fy) {
      if (!Scenario->IsFieldOnMap(fx, fy) || !g->CanMakeCampAt(fx, fy)) continue;
      const i64 d = i64{fx - gx} * (fx - gx) + i64{fy - gy} * (fy - gy);
      if (best < 0 || d < best) {
        best = d;
        bx = fx;
        by = fy;
      }
    }
  return best >= 0 && MoveToField(bx, by, true, 0, false) == arDone;
}

i32 TAIHandler::ExecuteGoToField(TAITask* task, TAITask* outer) {
  if (!task || task->Units.Count() == 0) return 0;
  const i32 x = task->Header.Target.FieldX, y = task->Header.Target.FieldY, r = task->Header.Target.Radius;
  const i32 priority = task->Priority;
  const bool first = IsFirstPlayer();
  BringUnitsOutOfCities(task->Units, nullptr, x, y);
  TAIVirtualUnitList pool, acting;
  for (TAIUnit* u : task->Units)
    if (u->IsAlive() && u->GetGroup()) pool.Add(u);
  auto selected = [this] { return Player->GetSelectedGroup(); };

  while (ChooseActingUnits(pool, acting)) {
    TGroup* g = GatherUnits(acting);
    ApplyPlayerNotifications();
    if (!g || !(g = selected())) continue;

    // Weak hostiles close by are fought first.
    if (BelowSeventyFive(priority)) {
      TUnit* hostile = FindWeakestHostileNear(g->FieldX(), g->FieldY(), 2);
      for (i32 k = 0; hostile && k < MaxOrderRepeats; ++k) {
        TGroup* h = hostile->GetGroup();
        if (!h || !(g = selected())) break;
        if (g->EstimateReadyAttackDamage(h) <= 2 * h->EstimateReadyCounterAttackDamage(g)) break;
        if (!GroupCombat(task->Units, h, task) || !(g = selected())) break;
        hostile = FindWeakestHostileNear(g->FieldX(), g->FieldY(), 2);
      }
    }
    if (!(g = selected())) continue;

    i32 dx = x + RandomBelow(2 * r) - r, dy = y + RandomBelow(2 * r) - r;
    dx = std::clamp<i32>(dx, 0, Scenario->Width - 1);
    dy = std::clamp<i32>(dy, 0, Scenario->Height - 1);

    if (g->GetTotalMana() > 0) {
      const i32 c = CostBetween(g->FieldX(), g->FieldY(), dx, dy);
      const i32 points = g->GetMinActionPoints();
      if (!Player->IsFieldVisible(dx, dy) && c >= points / 2 && c < 2 * points &&
          (r == 0 || outer || !CastScoutSpell(g, dx, dy)) && Draw() < 0.5)
        CastMovementSpells(g, g);
    }
    if (!(g = selected())) continue;

    if (outer && outer->Header.TaskType == ttGuardArea && InSquare(x, y, r, g->FieldX(), g->FieldY())) {
      if (Player->IsFieldVisible(dx, dy) && !IsCamped(g) && g->GetLowestHitPoints() <= g->GetWeakestMaxHitPoints() / 3) {
        ComputeThreatMap();
        if (GetThreat(dx, dy) == 0 && (g->CanMakeCampAt(g->FieldX(), g->FieldY()) || MoveToCampField(x, y, r)) &&
            (g = selected()))
          PostMakeCamp(g);
      }
      if (!(g = selected())) continue;
      if (g->GetTotalMana() > 0 && !IsCamped(g) && Draw() <= 0.4) {
        const TUnit* leader = FirstUnit(g);
        TAIUnit* leaderAI = leader ? FindAIUnit(leader) : nullptr;
        i32 sx = 0, sy = 0;
        if (CastSummoningSpells(g, sx, sy) && leaderAI) {
          const TGroup* summoned = Scenario->IsFieldOnMap(sx, sy)
                                       ? Scenario->Occupancy[static_cast<std::size_t>(Scenario->FieldIndex(sx, sy))]
                                       : nullptr;
          const TUnit* newcomer = summoned ? FirstUnit(summoned) : nullptr;
          if (newcomer && leaderAI->Army) {
            PostAddUnitArmy(newcomer->ID, leaderAI->Army->ID);
          } else if (newcomer) {
            const TAITask* own = FindTaskOfUnit(leaderAI);
            PostAssignUnitTask(newcomer->ID, own ? own->ID : outer->ID);
          }
        }
      }
    } else if (!LookAfterProtected(outer)) {
      continue;
    }
    if (!(g = selected())) continue;

    const bool there = InSquare(x, y, r, g->FieldX(), g->FieldY()) && Player->IsFieldVisible(dx, dy) &&
                       !(first && (g->FieldX() != dx || g->FieldY() != dy));
    if (there) continue;
    i32 tx = dx, ty = dy;
    const bool free = !Scenario->Occupancy[static_cast<std::size_t>(Scenario->FieldIndex(dx, dy))];
    if (!free && !FindFieldTowards(tx, ty)) continue;
    ComputeThreatMap();
    if (IsCamped(g)) PostBreakCamp(g);
    bool pointsRuleTried = false;
    for (i32 round = 0; round < MaxOrderRepeats && (g = selected()); ++round) {
      u32 result = 0;
      if (!first) {
        result = MoveToField(dx, dy, true, 0, false);
      } else {
        i32 reserve = 10;
        tx = dx;
        ty = dy;
        if (!Scenario->IsFieldReachable(tx, ty)) FindFieldTowards(tx, ty);
        i32 ax = tx, ay = ty;
        if (FindFieldAlongPath(g, ax, ay) && GetThreat(ax, ay) == 0) reserve = 0;
        result = MoveToField(tx, ty, true, reserve, false);
      }
      if (!(g = selected())) break;
      if (result == arNoActionPoints && !outer && !pointsRuleTried) {
        pointsRuleTried = true;
        if (CastActionPointSpell(g, g)) continue;
        break;
      }
      if (result != arSighted) break;
      const i32 count = Player->GetNotificationCount();
      for (i32 n = 0; n < count; ++n) {
        const TNotification* note = Player->GetNotification(n);
        if (!note || note->Kind != 3) continue;
        const TUnit* seen = Scenario->Units.LookupByID(note->UnitID);
        TGroup* seenGroup = seen ? seen->GetGroup() : nullptr;
        if (!seenGroup || !seen->GetOwner() || Player->GetRelation(seen->GetOwner()) != rHostile) continue;
        if (g->GetMinActionPoints() < 15) CastActionPointSpell(g, g);
        if (!(g = selected())) break;
        const u32 seenID = seenGroup->ID;
        if ((outer || BelowSeventyFive(priority)) && (seenGroup = Scenario->FindGroup(seenID)) &&
            g->EstimateReadyAttackDamage(seenGroup) * 5 > seenGroup->EstimateReadyCounterAttackDamage(g) * 6 &&
            InSquare(g->FieldX(), g->FieldY(), 2, seenGroup->FieldX(), seenGroup->FieldY())) {
          GroupCombat(task->Units, seenGroup, task);
          break;
        }
        if (!outer && Player->GetNotificationCount() < 4 && (seenGroup = Scenario->FindGroup(seenID)))
          CastSightSpells(g, g);
        if (!(g = selected())) break;
      }
      ApplyPlayerNotifications();
    }
  }
  return 0;
}

}  // namespace AIHandler
