// Path finding: step costs, the move costs and the cost map (searched by
// the path work), paths read back from them, and the field queries of the
// map window and the computer opponent. Every machine of a network game
// must find the same paths: ties go to the first direction.
#include <algorithm>
#include <cstring>
#include <limits>

#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameData {

namespace {

constexpr i32 Blocked = BlockedStep;

// The 16 fields two away from a camp's centre, in the order they are tried.
constexpr i32 CampRing[16][2] = {{0, 2},  {1, 2},   {2, 2},   {2, 1},   {2, 0},   {2, -1},  {2, -2}, {1, -2},
                                 {0, -2}, {-1, -2}, {-2, -2}, {-2, -1}, {-2, 0},  {-2, 1},  {-2, 2}, {-1, 2}};

const TPlayer* OwnerOf(const TGroup* group) { return group ? group->GetOwner() : nullptr; }

// The cheapest of the fields offered below a bound: the first one offered wins a tie.
struct TCheapest {
  explicit TCheapest(i64 bound) : Cost(bound) {}
  void Offer(i32 x, i32 y, i64 cost) {
    if (cost >= Cost) return;
    Cost = cost;
    X = x;
    Y = y;
  }
  i64 Cost;
  i32 X = 0, Y = 0;
};

bool TakeCheapest(const TCheapest& best, i32& fx, i32& fy, i64 bound = Blocked) {
  if (best.Cost >= bound) return false;
  fx = best.X;
  fy = best.Y;
  return true;
}

// Walks back from (x, y) to the cheapest neighbour, one step at a time,
// writing Path from entry 255 downwards, until arrived (x, y) holds or the
// buffer is full. The entry where the walk ended; -1 when it did not arrive.
template <class Arrived>
i32 WalkBack(TScenario& s, TPathWork& work, i32 x, i32 y, const TPlayer* owner, Arrived arrived) {
  // The steps as the search took them, capped at 255: no sum of 255 or
  // more is taken anyway.
  const u8* const steps = work.StepsFor(s);
  const TPassable passable(s, owner);
  i32 i = PathLength - 1;
  s.Path[i] = {static_cast<i16>(x), static_cast<i16>(y)};
  while (i >= 1 && !arrived(x, y)) {
    // A field held against the owner costs 255 from every side.
    if (passable.Blocks(s.OccupantAt(x, y))) return -1;
    TCheapest best(Blocked);
    for (i32 d = 0; d < 8; ++d) {
      const i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
      if (!s.IsFieldOnMap(nx, ny)) continue;
      // The step back from the neighbour, in the opposite direction.
      best.Offer(nx, ny, s.MoveCosts[s.FieldIndex(nx, ny)] + steps[work.StepIndex(nx, ny) + ((d + 4) & 7)]);
    }
    if (best.Cost >= Blocked) return -1;
    x = best.X;
    y = best.Y;
    s.Path[--i] = {static_cast<i16>(x), static_cast<i16>(y)};
  }
  return arrived(x, y) ? i : -1;
}

// Moves Path[from..255] to the front; the number of entries moved.
i32 PathToFront(TScenario& s, i32 from) {
  const i32 n = PathLength - from;
  std::memmove(s.Path, s.Path + from, static_cast<std::size_t>(n) * sizeof(TField));
  return n;
}

bool NearestFreeField(const TScenario& s, i32& fx, i32& fy, bool skipCities) {
  TCheapest best(std::numeric_limits<i64>::max());
  for (i32 y = 0; y < s.Height; ++y)
    for (i32 x = 0; x < s.Width; ++x) {
      const i32 i = s.FieldIndex(x, y);
      if (s.MoveCosts[i] > 254 || s.Occupancy[i]) continue;
      const i64 dx = x - fx, dy = y - fy, d = dx * dx + dy * dy;
      // The city test, a walk over the map objects, only for a nearer field.
      if (d < best.Cost && !(skipCities && s.IsFieldInCity(x, y))) best.Offer(x, y, d);
    }
  return TakeCheapest(best, fx, fy, std::numeric_limits<i64>::max());
}

}  // namespace

// Step costs.

i32 TScenario::TerrainStepCost(i32 fromX, i32 fromY, i32 toX, i32 toY) const {
  return TerrainCost(CostAt(toX, toY), HeightAt(toX, toY) - HeightAt(fromX, fromY), fromX != toX && fromY != toY,
                     TSlopeRules());
}

i32 TScenario::StepCost(i32 fromX, i32 fromY, i32 toX, i32 toY, const TPlayer* player) const {
  if (const TGroup* g = OccupantAt(toX, toY)) {
    i32 relation = player ? player->GetRelation(g->GetOwner()) : rNone;
    if (relation != rSelf && relation != rAllied) return Blocked;
  }
  return TerrainStepCost(fromX, fromY, toX, toY);
}

bool TScenario::IsHeightStepPassable(i32 fromX, i32 fromY, i32 toX, i32 toY) const {
  if (!IsFieldOnMap(fromX, fromY) || !IsFieldOnMap(toX, toY)) return false;
  i32 dh = HeightAt(toX, toY) - HeightAt(fromX, fromY);
  return (dh < 0 ? -dh : dh) < TSlopeRules().Limit;
}

// Move costs and paths.

void TScenario::ComputeMoveCosts(i32 fx, i32 fy, const TGroup* group) {
  PathWork.BeginMoveCosts(*this);
  if (IsFieldOnMap(fx, fy)) PathWork.AddMoveStart(fx, fy);
  PathWork.SpreadMoveCosts(*this, OwnerOf(group));
}

void TScenario::ComputeMoveCostsFromArea(const TArea& area, const TLocation*, const TGroup* group) {
  PathWork.BeginMoveCosts(*this);
  const TPlayer* owner = OwnerOf(group);
  const TPassable passable(*this, owner);
  for (i32 k = 0; k < area.Count(); ++k) {
    const i32 x = area[k].x, y = area[k].y;
    if (IsFieldOnMap(x, y) && !passable.Blocks(Occupancy[FieldIndex(x, y)])) PathWork.AddMoveStart(x, y);
  }
  PathWork.SpreadMoveCosts(*this, owner);
}

i32 TScenario::FindPath(i32 fromX, i32 fromY, i32 toX, i32 toY, const TGroup* group) {
  if (toX == fromX && toY == fromY) return 0;
  if (!IsFieldReachable(toX, toY)) return -1;
  i32 i = WalkBack(*this, PathWork, toX, toY, OwnerOf(group), [&](i32 x, i32 y) { return x == fromX && y == fromY; });
  return i < 0 ? -1 : PathToFront(*this, i + 1);
}

i32 TScenario::FindPathFromSources(i32 toX, i32 toY, const TGroup* group) {
  if (!IsFieldReachable(toX, toY)) return -1;
  i32 i = WalkBack(*this, PathWork, toX, toY, OwnerOf(group), [&](i32 x, i32 y) { return MoveCosts[FieldIndex(x, y)] == 0; });
  return i < 0 ? -1 : PathToFront(*this, i);
}

bool TScenario::IsFieldReachable(i32 fx, i32 fy) const {
  return IsFieldOnMap(fx, fy) && MoveCosts[FieldIndex(fx, fy)] < Blocked;
}

bool TScenario::IsObjectReachable(const TMapObject* object) const {
  return object && IsFieldReachable(object->FieldX(), object->FieldY());
}

bool TScenario::FindReachableAlongPath(i32 toX, i32 toY, const TGroup* group, i32& fx, i32& fy) const {
  fx = fy = -1;
  if (!group || !IsFieldReachable(toX, toY)) return false;
  const i32 points = group->GetMinActionPoints();
  if (MoveCosts[FieldIndex(toX, toY)] <= points) {
    fx = toX;
    fy = toY;
    return true;
  }
  i32 x = toX, y = toY;
  // Costs fall along the way back; the bound only guards a stale map.
  for (i32 step = 0; step < PathLength; ++step) {
    TCheapest best(Blocked);
    for (i32 d = 0; d < 8; ++d) {
      const i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
      if (IsFieldOnMap(nx, ny)) best.Offer(nx, ny, MoveCosts[FieldIndex(nx, ny)] + TerrainStepCost(nx, ny, x, y));
    }
    if (best.Cost >= Blocked) return false;
    x = best.X;
    y = best.Y;
    if (x == group->FieldX() && y == group->FieldY()) return false;
    if (MoveCosts[FieldIndex(x, y)] <= points) {
      fx = x;
      fy = y;
      return true;
    }
  }
  return false;
}

// Fields to stand on.

bool TScenario::FindFieldNextToGroup(const TGroup* target, const TGroup* moving, i32& fx, i32& fy) const {
  if (!target || !moving) return false;
  const i32 tx = target->FieldX(), ty = target->FieldY();
  const bool camp = target->CampState == csMaking || target->CampState == csCamped;
  const i32 count = camp ? 16 : 8;
  TCheapest best(Blocked);
  for (i32 k = 0; k < count; ++k) {
    const i32 x = tx + (camp ? CampRing[k][0] : DirectionStepX[k]);
    const i32 y = ty + (camp ? CampRing[k][1] : DirectionStepY[k]);
    if (IsHeightStepPassable(x, y, tx, ty) && !moving->IsFieldTakenByOther(x, y))
      best.Offer(x, y, MoveCosts[FieldIndex(x, y)]);
  }
  return TakeCheapest(best, fx, fy);
}

bool TScenario::HasFieldNextToGroup(const TGroup* target, const TGroup* moving) const {
  i32 x, y;
  return FindFieldNextToGroup(target, moving, x, y);
}

bool TScenario::FindFieldInLocation(const TLocation* location, const TGroup* group, i32& fx, i32& fy) const {
  if (!location || !group) return false;
  bool mayPass = false;
  if (location->Type == otCity) {
    const auto* city = static_cast<const TCity*>(location);
    const TPlayer* owner = group->GetOwner();
    const bool hostile = owner && owner->GetRelationToCity(city) == rHostile;
    mayPass = !city->Closed && (!hostile || !city->HasDefenders());
  }
  const TArea& entrance = *location->EntranceArea;
  TCheapest best(Blocked);
  for (i32 k = 0; k < entrance.Count(); ++k) {
    const i32 x = entrance[k].x, y = entrance[k].y;
    if (!IsFieldOnMap(x, y)) continue;
    if (!group->IsFieldTakenByOther(x, y) || (mayPass && group->IsFieldFriendly(x, y)))
      best.Offer(x, y, MoveCosts[FieldIndex(x, y)]);
  }
  return TakeCheapest(best, fx, fy);
}

bool TScenario::HasFieldInLocation(const TLocation* location, const TGroup* group) const {
  i32 x, y;
  return FindFieldInLocation(location, group, x, y);
}

bool TScenario::IsFieldInCity(i32 fx, i32 fy) const {
  for (const TMapObject* o : MapObjects)
    if (o->Type == otCity && static_cast<const TCity*>(o)->EntranceArea->ContainsField(fx, fy)) return true;
  return false;
}

bool TScenario::FindNearestFreeField(i32& fx, i32& fy) const { return NearestFreeField(*this, fx, fy, false); }

bool TScenario::FindNearestFreeFieldNoCity(i32& fx, i32& fy) const { return NearestFreeField(*this, fx, fy, true); }

// The cost map of the computer opponent.

void TScenario::ComputeCostMap(i32 fx, i32 fy, i32 limit, const TPlayer*) {
  CostLimit = limit;
  PathWork.SpreadCostMap(*this, fx, fy, limit);
}

i32 TScenario::GetCost(i32 fx, i32 fy) const { return IsFieldOnMap(fx, fy) ? CostMap[FieldIndex(fx, fy)] : CostLimit; }

i32 TScenario::GetCostTo(i32 fromX, i32 fromY, i32 limit, const TPlayer* player, i32 toX, i32 toY) {
  ComputeCostMap(fromX, fromY, limit, player);
  return GetCost(toX, toY);
}

bool TScenario::FindReachableFieldTowards(i32& fx, i32& fy) {
  const TPlayer* current = PlayerAt(CurrentPlayerIndex);
  const TGroup* group = current ? current->GetSelectedGroup() : nullptr;
  if (!group) return false;
  const i32 gx = group->FieldX(), gy = group->FieldY();
  if (fx == gx && fy == gy) return FindNearestFreeFieldNoCity(fx, fy);
  constexpr i32 limit = 10000;
  ComputeCostMap(gx, gy, limit, group->GetOwner());
  const i32 points = group->GetMinActionPoints();
  const i32 reach = points > 10 ? points : 100;
  if (!IsFieldOnMap(fx, fy)) return false;
  i32 x = fx, y = fy;
  // Costs fall strictly on the way back; the bound only guards the loop.
  for (i32 step = 0; step < Width * Height; ++step) {
    if (x == gx && y == gy) return false;
    const i32 i = FieldIndex(x, y);
    if (CostMap[i] <= reach && !Occupancy[i] && !IsFieldInCity(x, y)) {
      fx = x;
      fy = y;
      return true;
    }
    TCheapest best(std::numeric_limits<i64>::max());
    for (i32 d = 0; d < 8; ++d) {
      const i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
      if (!IsFieldOnMap(nx, ny)) continue;
      i32 stepCost = TerrainStepCost(nx, ny, x, y);
      if (stepCost >= Blocked) stepCost = limit;
      best.Offer(nx, ny, i64{CostMap[FieldIndex(nx, ny)]} + stepCost);
    }
    if (best.Cost >= limit) return false;
    x = best.X;
    y = best.Y;
  }
  return false;
}

void TScenario::ClearBattleFlags(TGroup* attacker, TGroup* defender) {
  if (attacker) attacker->InBattle = 0;
  if (defender) defender->InBattle = 0;
}

}  // namespace GameData
