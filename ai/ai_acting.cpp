// The acting group: up to three of a task's units chosen and brought into
// one group by posted split, select and merge orders.
#include "ai/ai_handler.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

bool IsHero(const TAIUnit* u) {
  const TUnit* g = u->GetUnit();
  return g && g->Hero;
}

// The unit of the pool nearest to the reference by path cost, the first of
// equals; heroes left out when asked. -1 when none.
i32 Nearest(const TAIVirtualUnitList& pool, const TAIUnit* reference, bool nonHeroOnly) {
  i32 best = -1, bestCost = 0;
  for (i32 i = 0; i < pool.Count(); ++i) {
    if (nonHeroOnly && IsHero(pool[i])) continue;
    const i32 cost = pool[i]->CostToUnit(*reference);
    if (best < 0 || cost < bestCost) {
      best = i;
      bestCost = cost;
    }
  }
  return best;
}

bool TakeNearest(TAIVirtualUnitList& pool, TAIVirtualUnitList& result, bool nonHeroOnly) {
  const i32 i = Nearest(pool, result[0], nonHeroOnly);
  if (i < 0) return false;
  result.Add(pool[i]);
  pool.Delete(i);
  return true;
}

// The pool unit and the later pool units of its group.
void WithGroupMates(const TAIVirtualUnitList& pool, i32 first, TAIVirtualUnitList& result) {
  result.Clear();
  result.Add(pool[first]);
  const TGroup* g = pool[first]->GetGroup();
  for (i32 j = first + 1; j < pool.Count(); ++j)
    if (g && pool[j]->GetGroup() == g) result.Add(pool[j]);
}

void RemoveAll(TAIVirtualUnitList& pool, const TAIVirtualUnitList& taken) {
  for (TAIUnit* u : taken) pool.Remove(u);
}

bool InList(const TAIVirtualUnitList& list, const TUnit* unit) {
  for (const TAIUnit* u : list)
    if (unit && u->Fitness.UnitID == unit->ID) return true;
  return false;
}

bool IsCamped(const TGroup* g) { return g && g->CampState == csCamped; }

}  // namespace

bool TAIHandler::ChooseActingUnits(TAIVirtualUnitList& pool, TAIVirtualUnitList& result) {
  result.Clear();
  for (i32 i = 0; i < pool.Count(); ++i) {
    WithGroupMates(pool, i, result);
    if (result.Count() == 3) {
      RemoveAll(pool, result);
      return true;
    }
  }
  for (i32 i = 0; i < pool.Count(); ++i) {
    WithGroupMates(pool, i, result);
    if (result.Count() != 2) continue;
    RemoveAll(pool, result);
    if (pool.Count() == 0) return true;
    const TGroup* g = result[0]->GetGroup();
    TakeNearest(pool, result, g && g->HasHero());
    return true;
  }
  result.Clear();
  if (pool.Count() == 0) return false;
  result.Add(pool[0]);
  pool.Delete(0);
  if (pool.Count() == 0) return true;
  if (IsHero(result[0])) {
    if (!TakeNearest(pool, result, true) || pool.Count() == 0) return true;
    TakeNearest(pool, result, true);
    return true;
  }
  TakeNearest(pool, result, false);
  if (pool.Count() == 0) return true;
  TakeNearest(pool, result, IsHero(result[1]));
  return true;
}

TGroup* TAIHandler::GatherUnits(TAIVirtualUnitList& units) {
  if (units.Count() == 0) return nullptr;
  TGroup* g = units[0]->GetGroup();
  if (!g) return nullptr;
  const u32 gid = g->ID;
  PostSelect(g);
  if (!(g = Scenario->FindGroup(gid))) return nullptr;
  MarkOnlyUnit(g, units[0]->GetUnit(), 0);
  if (!(g = Scenario->FindGroup(gid))) return nullptr;
  MarkListedUnits(g, units, 0);
  if (!(g = Scenario->FindGroup(gid))) return nullptr;
  if (AllInSameGroup(units)) return g;

  TAIVirtualUnitList kept;
  for (TAIUnit* u : units) kept.Add(u);
  for (i32 i = units.Count() - 1; i >= 0; --i)
    if (units[i]->GetGroup() == g) units.Delete(i);
  if (units.Count() == 0) return nullptr;

  bool someStay = false;
  for (const TUnit* u : g->Units)
    if (u && !InList(kept, u)) someStay = true;
  TGroup* result = nullptr;
  if (someStay) {
    const TGroup* g1 = units[0]->GetGroup();
    if (!g1) return nullptr;
    bool whole = true;
    for (const TUnit* u : g1->Units)
      if (u && !InList(units, u)) whole = false;
    const i32 oldX = g->FieldX(), oldY = g->FieldY();
    if (whole) {
      PostMove(g1->FieldX(), g1->FieldY(), true, 0, false, g1, 10, true);
    } else {
      i32 x = g1->FieldX(), y = g1->FieldY();
      if (!FindFieldTowards(x, y)) return nullptr;
      PostMove(x, y, false, 0, false, nullptr, 10, true);
    }
    TGroup* moved = Player->GetSelectedGroup();
    if (!moved || (moved->FieldX() == oldX && moved->FieldY() == oldY)) return nullptr;
    result = BringUnitsToGroup(moved, units);
  } else {
    result = BringUnitsToGroup(g, units);
  }
  if (!result) return nullptr;
  const u32 rid = result->ID;
  MarkOnlyUnit(result, kept[0]->GetUnit(), 0);
  if (!(result = Scenario->FindGroup(rid))) return nullptr;
  MarkListedUnits(result, kept, 0);
  return Scenario->FindGroup(rid);
}

TGroup* TAIHandler::BringUnitsToGroup(TGroup* target, TAIVirtualUnitList& units) {
  if (!target || units.Count() == 0) return nullptr;
  const u32 tid = target->ID;
  auto join = [this](u32 groupID) {
    return RepeatWhileSighted([&] { return MoveToJoin(Scenario->FindGroup(groupID), true, true, 0); });
  };
  auto selected = [this]() -> TGroup* { return Player->GetSelectedGroup(); };

  if (units.Count() != 2) {
    TAIUnit* u = units[0];
    TGroup* g = u->GetGroup();
    if (!g) return nullptr;
    if (g == target) return target;
    const u32 gid = g->ID;
    PostSelect(g);
    if (!(g = Scenario->FindGroup(gid))) return nullptr;
    MarkOnlyUnit(g, u->GetUnit(), 0);
    if ((g = Scenario->FindGroup(gid)) && g->GetUnitCount() == 1 && IsCamped(g)) PostBreakCamp(g);
    if (join(tid) == arDone) return selected();
    TGroup* t = Scenario->FindGroup(tid);
    TGroup* mover = u->GetGroup();
    if (!t || !mover || PostSelectGroup(t) != arDone) return nullptr;
    if (!(t = Scenario->FindGroup(tid)) || !(mover = u->GetGroup()) || t->CheckMerge(mover) != 0) return nullptr;
    if (IsCamped(t)) PostBreakCamp(t);
    if (!(mover = u->GetGroup())) return nullptr;
    return join(mover->ID) == arDone ? selected() : nullptr;
  }

  TAIUnit* u1 = units[0];
  TAIUnit* u2 = units[1];
  TGroup* g1 = u1->GetGroup();
  TGroup* g2 = u2->GetGroup();
  if (!g1 || !g2) return nullptr;
  if (g1 == g2 && g1 == target) return target;
  if (g1 == target || g2 == target) {
    TAIVirtualUnitList one;
    one.Add(g1 == target ? u2 : u1);
    return BringUnitsToGroup(target, one);
  }
  if (g1 == g2) {
    const u32 gid = g1->ID;
    PostSelect(g1);
    TGroup* g = Scenario->FindGroup(gid);
    if (!g) return nullptr;
    MarkOnlyUnit(g, u1->GetUnit(), 0);
    if (!(g = Scenario->FindGroup(gid))) return nullptr;
    MarkUnit(g, u2->GetUnit(), 0);
    if (join(tid) == arDone) return selected();
    TGroup* t = Scenario->FindGroup(tid);
    TGroup* mover = u1->GetGroup();
    if (!t || !mover) return nullptr;
    const u32 mid = mover->ID;
    if (PostSelectGroup(t) != arDone) return nullptr;
    if (!(t = Scenario->FindGroup(tid)) || !(mover = Scenario->FindGroup(mid)) || t->CheckMerge(mover) != 0)
      return nullptr;
    return join(mid) == arDone ? selected() : nullptr;
  }

  // Two groups: first bring the two together, then to the target.
  if (BringDepth < 2) {
    TAIVirtualUnitList pair;
    pair.Add(u1);
    pair.Add(u2);
    ++BringDepth;
    TGroup* together = GatherUnits(pair);
    TGroup* result = nullptr;
    TGroup* t = Scenario->FindGroup(tid);
    if (together && t) result = BringUnitsToGroup(t, units);
    --BringDepth;
    if (together) return result;
  }
  TGroup* t = Scenario->FindGroup(tid);
  if (!t || PostSelectGroup(t) != arDone) return nullptr;
  TGroup* other = u1->GetGroup();
  if (other && other->GetUnitCount() > 1) other = u2->GetGroup();
  if (!other) return nullptr;
  if (other->GetUnitCount() == 1) {
    join(other->ID);
    return nullptr;
  }
  const u32 oid = other->ID;
  RepeatWhileSighted([&]() -> u32 {
    const TGroup* o = Scenario->FindGroup(oid);
    if (!o) return arNoPath;
    i32 x = o->FieldX(), y = o->FieldY();
    if (!FindFieldTowards(x, y)) return arNoPath;
    return MoveToField(x, y, true, 0, true);
  });
  return nullptr;
}

}  // namespace AIHandler
