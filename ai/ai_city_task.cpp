// City tasks: the task's units walk into a city, into an own one to
// strengthen it (its defenders are then set anew) or onto a hostile one's
// entrance to attack it, fighting weak hostiles on the way.
#include <vector>

#include "ai/ai_handler.h"
#include "ai/ai_task_rules.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

TCity* TaskCity(const TAITask& task) {
  return task.Header.Target.Kind == tkLocation ? dynamic_cast<TCity*>(task.Header.Target.Resolve()) : nullptr;
}

}  // namespace

i32 TAIHandler::ExecuteCityTask(TAITask* task) {
  if (!task || task->Units.Count() == 0) return 0;
  // A city that is gone, or a target that never named one, leaves nothing to do.
  TCity* city = TaskCity(*task);
  if (!city) return 0;
  const u32 cityID = city->ID;
  BringUnitsOutOfCities(task->Units, city, city->FieldX(), city->FieldY());
  TAIVirtualUnitList pool, acting;
  for (TAIUnit* u : task->Units)
    if (u->IsAlive() && u->GetGroup()) pool.Add(u);
  auto selected = [this] { return Player->GetSelectedGroup(); };

  while (ChooseActingUnits(pool, acting)) {
    GatherUnits(acting);
    ApplyPlayerNotifications();
    TGroup* g = selected();
    if (!g) continue;
    if (BelowSeventyFive(task->Priority)) {
      TUnit* hostile = FindWeakestHostileNear(g->FieldX(), g->FieldY(), 2);
      for (i32 k = 0; hostile && k < MaxOrderRepeats; ++k) {
        TGroup* h = hostile->GetGroup();
        if (!h || !(g = selected())) break;
        if (g->EstimateReadyAttackDamage(h) <= 2 * h->EstimateReadyCounterAttackDamage(g)) break;
        if (!GroupCombat(task->Units, h, task) || !(g = selected())) break;
        hostile = FindWeakestHostileNear(g->FieldX(), g->FieldY(), 2);
      }
    }
    if (!selected() || !(city = Scenario->FindCity(cityID))) continue;
    MoveIntoCity(task, city);
  }

  city = Scenario->FindCity(cityID);
  if (city && city->GetOwner() == Player) {
    PostSelect(nullptr);
    PostEnterCity(city);
    if ((city = Scenario->FindCity(cityID))) RebuildCityDefence(city);
    PostLeaveCity();
  }
  return 0;
}

void TAIHandler::MoveIntoCity(TAITask* task, TCity* city) {
  TGroup* g = Player->GetSelectedGroup();
  if (!g || !city) return;
  const u32 cityID = city->ID;
  if (IsCamped(g)) PostBreakCamp(g);
  const i32 priority = task->Priority;
  for (i32 round = 0; round < MaxOrderRepeats; ++round) {
    if (!(city = Scenario->FindCity(cityID))) return;
    const u32 r = ApproachLocation(city, 10, true);
    if (Scenario->CityScreenOpen) {
      // The group is inside: its units join the city's, and an own city's
      // defenders are chosen again with them.
      if ((city = Scenario->FindCity(cityID))) {
        DisbandDepartureGroup(city);
        if ((city = Scenario->FindCity(cityID)) && city->GetOwner() == Player) RebuildCityDefence(city);
      }
      PostLeaveCity();
      return;
    }
    if (!(g = Player->GetSelectedGroup())) return;
    if (r == arNoPath) {
      TUnit* u = FindWeakestHostileNear(g->FieldX(), g->FieldY(), 4);
      TGroup* h = u ? u->GetGroup() : nullptr;
      if (h && GroupCombat(task->Units, h, task)) continue;
      return;
    }
    if (r != arSighted) return;
    bool first = true;
    // Fights may queue new sightings; a few rounds of them are enough.
    for (i32 n = 0; n < Player->GetNotificationCount() && n < MaxOrderRepeats; ++n) {
      const TNotification* note = Player->GetNotification(n);
      if (!note || note->Kind != 3) continue;
      const TUnit* seen = Scenario->Units.LookupByID(note->UnitID);
      TGroup* seenGroup = seen ? seen->GetGroup() : nullptr;
      if (!seenGroup || Player->GetRelation(seenGroup->GetOwner()) != rHostile) continue;
      if (BelowSeventyFive(priority) &&
          g->EstimateReadyAttackDamage(seenGroup) > seenGroup->EstimateReadyCounterAttackDamage(g)) {
        GroupCombat(task->Units, seenGroup, task);
      } else if (first && Player->GetNotificationCount() - n < 4) {
        CastSightSpells(g, g);
      }
      if (!(g = Player->GetSelectedGroup())) return;
      if (first && g->GetMinActionPoints() < 15) {
        CastActionPointSpell(g, g);
        if (!(g = Player->GetSelectedGroup())) return;
      }
      first = false;
    }
    ApplyPlayerNotifications();
    if (!(g = Player->GetSelectedGroup())) return;
  }
}

void TAIHandler::DisbandDepartureGroup(const TCity* city) {
  const u32 cityID = city->ID;
  for (i32 slot = city->DepartureGroup->GetUnitCount() - 1; slot >= 0; --slot) {
    if (!(city = Scenario->FindCity(cityID))) return;
    if (slot >= city->DepartureGroup->GetUnitCount()) continue;
    if (const TUnit* u = city->DepartureGroup->Units[slot]) PostMoveCityUnit(clDeparture, u->ID, clUnits, 0);
  }
}

void TAIHandler::RebuildCityDefence(const TCity* city) {
  const u32 cityID = city->ID;
  for (i32 e = city->DefenderSlots.Count() - 1; e >= 0; --e) {
    if (!(city = Scenario->FindCity(cityID))) return;
    if (e >= city->DefenderSlots.Count()) continue;
    if (const TUnit* u = city->DefenderSlots[e]) PostMoveCityUnit(clDefenders, u->ID, clUnits, 0);
  }
  if (!(city = Scenario->FindCity(cityID))) return;
  // The strongest come last. The order is worked out on a copy: the city's
  // own list belongs to the main thread, and the other machines never see
  // this thread sort it.
  std::vector<u32> order;
  {
    Data::TObjectList<TUnit> sorted;
    for (TUnit* u : city->Units) sorted.Add(u);
    sorted.Sort(TCity::CompareCityUnits);
    for (const TUnit* u : sorted) order.push_back(u->ID);
  }
  const i32 slots = city->SlotCount;
  for (i32 slot = 0; slot < slots; ++slot) {
    i32 moved = 0;
    for (auto it = order.rbegin(); it != order.rend() && moved < 3; ++it) {
      if (!(city = Scenario->FindCity(cityID))) return;
      // A unit that left the city units (into an earlier slot, or away) is passed over.
      const TUnit* u = nullptr;
      for (const TUnit* c : city->Units)
        if (c && c->ID == *it) u = c;
      if (!u || city->GetUnitOwner(u) != Player || city->CanJoinSlot(slot, u) != 0) continue;
      PostMoveCityUnit(clUnits, u->ID, clDefenders, static_cast<u32>(slot));
      ++moved;
    }
  }
}

}  // namespace AIHandler
