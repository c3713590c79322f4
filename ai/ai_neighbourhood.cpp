// The searches around a field that the combat behaviour and the casting
// rules make: hostile groups, friends, clusters of hostiles and the task's
// own groups that need help. Distances are Chebyshev, in fields.
#include <algorithm>
#include <vector>

#include "ai/ai_handler.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

bool Within(const TGroup* g, i32 x, i32 y, i32 r) { return TAIHandler::InSquare(x, y, r, g->FieldX(), g->FieldY()); }

// Each group on the map once, in the scenario's object order.
template <class F>
void EachGroup(const TScenario& s, F f) {
  for (TMapObject* o : s.MapObjects)
    if (o->Type == otGroup && static_cast<TGroup*>(o)->GetUnitCount() > 0) f(static_cast<TGroup*>(o));
}

// The groups of the listed units, each once, in list order.
template <class F>
void EachTaskGroup(const TAIVirtualUnitList& units, F f) {
  std::vector<const TGroup*> seen;
  for (const TAIUnit* u : units) {
    TGroup* g = u->GetGroup();
    if (!g || std::find(seen.begin(), seen.end(), g) != seen.end()) continue;
    seen.push_back(g);
    f(g);
  }
}

}  // namespace

TUnit* TAIHandler::FindWeakestHostileNear(i32 x, i32 y, i32 r) {
  TUnit* best = nullptr;
  i32 lowest = 1000;
  for (TUnit* u : Scenario->Units.Items) {
    const TGroup* g = u->GetGroup();
    const TPlayer* owner = g ? g->GetOwner() : nullptr;
    if (!owner || Player->GetRelation(owner) != rHostile || !Player->CanSee(g) || !Within(g, x, y, r)) continue;
    if (const i32 d = g->GetTotalDefence(); d < lowest) {
      lowest = d;
      best = u;
    }
  }
  return best;
}

TUnit* TAIHandler::FindBestTargetNear(const TAIUnit* unit, i32 r) {
  const TGroup* own = unit ? unit->GetGroup() : nullptr;
  if (!own) return nullptr;
  TUnit* best = nullptr;
  i32 most = 0;
  for (TUnit* u : Scenario->Units.Items) {
    const TGroup* g = u->GetGroup();
    const TPlayer* owner = g ? g->GetOwner() : nullptr;
    if (!owner || Player->GetRelation(owner) != rHostile || !Player->CanSee(g) ||
        !Within(g, own->FieldX(), own->FieldY(), r))
      continue;
    if (const i32 d = own->EstimateReadyAttackDamage(g); d > most) {
      most = d;
      best = u;
    }
  }
  return best;
}

bool TAIHandler::IsHostileNear(i32 x, i32 y, i32 r) {
  bool found = false;
  EachGroup(*Scenario, [&](const TGroup* g) {
    const TPlayer* owner = g->GetOwner();
    found = found || (owner && Within(g, x, y, r) && Player->GetRelation(owner) == rHostile);
  });
  return found;
}

bool TAIHandler::HasNoFriendsNear(i32 x, i32 y, i32 r) const {
  bool friends = false;
  EachGroup(*Scenario, [&](const TGroup* g) {
    if (friends || !Within(g, x, y, r)) return;
    const i32 relation = Player->GetRelationToGroup(g);
    friends = relation == rSelf || relation == rAllied;
  });
  return !friends;
}

bool TAIHandler::CountLoneHostiles(i32 x, i32 y, i32& count, i32 r) const {
  count = 0;
  bool friends = false;
  EachGroup(*Scenario, [&](const TGroup* g) {
    if (friends || !Within(g, x, y, r)) return;
    const i32 relation = Player->GetRelationToGroup(g);
    if (relation == rSelf || relation == rAllied)
      friends = true;
    else if (relation == rHostile)
      ++count;
  });
  if (friends) {
    count = 0;
    return false;
  }
  return count >= 2 * r;
}

bool TAIHandler::FindHostileCluster(i32& x, i32& y, i32 r) const {
  i32 best = 0, bx = x, by = y;
  auto consider = [&](i32 fx, i32 fy) {
    i32 count = 0;
    if (Scenario->IsFieldOnMap(fx, fy) && CountLoneHostiles(fx, fy, count, r) && count > best) {
      best = count;
      bx = fx;
      by = fy;
    }
  };
  for (i32 fx = x; fx <= x + 2; ++fx)
    for (i32 fy = y; fy <= y + 2; ++fy) consider(fx, fy);
  for (i32 fx = x - 1; fx >= x - 2; --fx)
    for (i32 fy = y - 1; fy >= y - 2; --fy) consider(fx, fy);
  x = bx;
  y = by;
  return best > 0;
}

TGroup* TAIHandler::FindMostWoundedGroupNear(const TAIVirtualUnitList& units, i32 x, i32 y, i32 r) {
  TGroup* best = nullptr;
  i32 most = 0;
  EachTaskGroup(units, [&](TGroup* g) {
    if (!Within(g, x, y, r) || (g->FieldX() == x && g->FieldY() == y)) return;
    if (const i32 missing = g->GetTotalMaxHitPoints() - g->GetTotalHitPoints(); missing > most) {
      most = missing;
      best = g;
    }
  });
  return best;
}

TGroup* TAIHandler::FindWeakestAttackerNear(const TAIVirtualUnitList& units, i32 x, i32 y, i32 r) {
  TGroup* best = nullptr;
  i32 lowest = 1000;
  EachTaskGroup(units, [&](TGroup* g) {
    if (!Within(g, x, y, r) || (g->FieldX() == x && g->FieldY() == y)) return;
    if (!IsHostileNear(g->FieldX(), g->FieldY(), 2)) return;
    if (const i32 a = g->GetTotalAttack(); a < lowest) {
      lowest = a;
      best = g;
    }
  });
  return best;
}

TGroup* TAIHandler::FindWeakestDefenderNear(const TAIVirtualUnitList& units, i32 x, i32 y, i32 r) {
  TGroup* best = nullptr;
  i32 lowest = 1000;
  EachTaskGroup(units, [&](TGroup* g) {
    if (!Within(g, x, y, r) || (g->FieldX() == x && g->FieldY() == y)) return;
    if (!IsHostileNear(g->FieldX(), g->FieldY(), 2)) return;
    if (const i32 d = g->GetTotalDefence(); d < lowest) {
      lowest = d;
      best = g;
    }
  });
  return best;
}

}  // namespace AIHandler
