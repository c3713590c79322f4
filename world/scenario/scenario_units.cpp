// The unit registry: every unit is registered once and stands in exactly one
// place (a group on the map, a list of a city, or off the map). Placing new
// units, taking them out, the dead leaving corpses, and the check after loading.
#include <memory>
#include <optional>

#include "world/locations/city.h"
#include "world/map/drawing.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameData {

namespace {

i32 FieldCentre(i32 f) { return f * FieldSize + FieldSize / 2; }

}  // namespace

void TScenario::DeleteUnitAt(i32 index) {
  if (index < 0 || index >= Units.Count()) return;
  OffMapUnits.Remove(Units[index]);
  Units.Items.Delete(index);
}

void TScenario::ExtractUnit(TUnit* unit) {
  i32 index = Units.Items.IndexOf(unit);
  if (index >= 0) {
    Units.Items[index] = nullptr;
    Units.Items.Delete(index);
  }
  unit->Container = nullptr;
}

void TScenario::ExtractOffMapUnit(TUnit* unit) {
  OffMapUnits.Remove(unit);
  ExtractUnit(unit);
}

TUnit* TScenario::FindOffMapUnit(u32 id) const {
  for (TUnit* unit : OffMapUnits)
    if (unit->ID == id) return unit;
  return nullptr;
}

// Placing.

void TScenario::PlaceUnit(TUnit* unit, i32 px, i32 py, u8 owner, bool registerUnit, bool notifyAI, bool newID) {
  const i32 index = GetObjectIndexAt(px, py);
  TMapObject* hit = index >= 0 ? MapObjects[index] : nullptr;
  if (hit && hit->Type == otGroup) {
    auto* group = static_cast<TGroup*>(hit);
    group->AddUnit(unit, registerUnit, notifyAI, newID);
    group->RandomizeIdleFrame();
    return;
  }
  if (hit && hit->Type == otCity) {
    unit->OwnerIndex = NoOwner;
    static_cast<TCity*>(hit)->AddUnit(unit, registerUnit, notifyAI, newID);
    return;
  }
  std::unique_ptr<TGroup> made;
  try {
    made = std::make_unique<TGroup>(this);
    made->X = static_cast<i16>(FieldCentre(px / FieldSize));
    made->Y = static_cast<i16>(FieldCentre(py / FieldSize));
    made->OwnerIndex = owner;
    AddMapObject(made.get());
  } catch (const std::exception&) {
    // Once in the list, the list deletes it.
    if (made && IndexOfMapObject(made.get()) >= 0) RemoveMapObject(made.release(), false);
    throw std::runtime_error("Error placing unit!");
  }
  TGroup* group = made.release();
  try {
    group->AddUnit(unit, registerUnit, notifyAI, newID);
  } catch (const std::exception&) {
    RemoveMapObject(group, false);
    throw std::runtime_error("Error placing unit!");
  }
  group->RandomizeIdleFrame();
}

bool TScenario::CanPlaceUnitAt(const TUnit* unit, u8 owner, i32 fx, i32 fy, bool mayJoin) const {
  // A group must not be made beside the map, whatever an area names.
  if (!IsFieldOnMap(fx, fy)) return false;
  const i32 index = GetObjectIndexAtField(fx, fy);
  if (index < 0) return true;
  // IsFieldFree with the object already found: the ring search of a new unit
  // asks this of every field it passes.
  const u16 type = MapObjects[index]->Type;
  if (CostAt(fx, fy) != 255 && !GetGroupCovering(fx, fy, nullptr) && type != otCity && type != otBuilding) return true;
  if (!mayJoin || type != otGroup) return false;
  const auto* group = static_cast<const TGroup*>(MapObjects[index]);
  if (group->OwnerIndex != owner || group->GetUnitCount() >= MaxGroupUnits) return false;
  return !group->HasHero() || !unit->Hero;
}

void TScenario::PlaceNewUnit(u8 owner, i32 fx, i32 fy, TUnit* unit, bool registerUnit, bool notifyAI, bool newID,
                             bool mayJoin) {
  std::optional<TField> best;
  i64 bestDistance = 0;
  const i32 radii = std::max<i32>(Width, Height);
  for (i32 r = 0; !best && r < radii; ++r)
    for (i32 y = fy - r; y <= fy + r; ++y) {
      const bool edgeRow = y == fy - r || y == fy + r;
      // Inner rows of the ring hold only its left and right cell.
      for (i32 x = fx - r; x <= fx + r; x += edgeRow ? 1 : 2 * r) {
        if (!IsFieldOnMap(x, y) || Costs[FieldIndex(x, y)] >= 255 || !CanPlaceUnitAt(unit, owner, x, y, mayJoin))
          continue;
        const i64 distance = static_cast<i64>(x - fx) * (x - fx) + static_cast<i64>(y - fy) * (y - fy);
        if (!best || distance < bestDistance) {
          best = TField{static_cast<i16>(x), static_cast<i16>(y)};
          bestDistance = distance;
        }
      }
    }
  if (!best) throw std::runtime_error("There is no place for new unit in scenario!");
  PlaceUnit(unit, FieldCentre(best->x), FieldCentre(best->y), owner, registerUnit, notifyAI, newID);
}

void TScenario::PlaceUnitInArea(TUnit* unit, u8 owner, const TArea& area, bool registerUnit, bool notifyAI,
                                bool newID, bool mayJoin) {
  for (i32 i = 0; i < area.Count(); ++i)
    if (CanPlaceUnitAt(unit, owner, area[i].x, area[i].y, mayJoin)) {
      PlaceUnit(unit, FieldCentre(area[i].x), FieldCentre(area[i].y), owner, registerUnit, notifyAI, newID);
      return;
    }
  const TField last = area.Count() > 0 ? area[area.Count() - 1] : TField{0, 0};
  PlaceNewUnit(owner, last.x, last.y, unit, registerUnit, notifyAI, newID, mayJoin);
}

// Taking units out.

bool TScenario::IsInDepartureGroup(const TUnit* unit) const {
  const TGroup* group = unit->GetGroup();
  if (!group) return false;
  for (const TMapObject* o : MapObjects)
    if (o->Type == otCity && static_cast<const TCity*>(o)->DepartureGroup.get() == group) return true;
  return false;
}

void TScenario::DetachUnit(TUnit* unit, bool unregister, bool notifyAI) {
  if (TGroup* group = unit->GetGroup()) {
    const bool departure = IsInDepartureGroup(unit);
    group->RemoveUnit(unit, unregister, notifyAI);
    if (group->GetUnitCount() > 0 || departure) return;
    for (TPlayer* player : Players)
      if (player->GetSelectedGroup() == group) player->Select(nullptr);
    RemoveMapObject(group, false);
  } else if (TCity* city = unit->GetCity()) {
    city->RemoveAnyUnit(unit, unregister, notifyAI);
  } else {
    OffMapUnits.Remove(unit);
    if (unregister) RemoveUnit(unit);
  }
}

void TScenario::RemoveDeadUnits() {
  std::vector<std::unique_ptr<TNaturalCorpse>> corpses;
  auto leaveCorpse = [&](const TGroup& group, const TUnit& unit) {
    auto corpse = std::make_unique<TNaturalCorpse>(this);
    corpse->InitForUnit(unit, group.Direction, group.X, group.Y);
    corpses.push_back(std::move(corpse));
  };
  for (i32 i = MapObjects.Count() - 1; i >= 0; --i) {
    if (i >= MapObjects.Count()) continue;
    TMapObject* o = MapObjects[i];
    if (o->Type == otCity) {
      auto* city = static_cast<TCity*>(o);
      for (i32 e = city->DefenderSlots.Count() - 1; e >= 0; --e)
        if (TUnit* u = city->DefenderSlots[e]; u && u->IsDead()) city->ClearSlotEntry(e, true, false);
      for (i32 k = city->Units.Count() - 1; k >= 0; --k)
        if (city->Units[k]->IsDead()) city->RemoveUnitAt(k, true, false);
    } else if (o->Type == otGroup) {
      auto* group = static_cast<TGroup*>(o);
      if (!group->IsDefeated()) {
        for (i32 s = MaxGroupUnits - 1; s >= 0; --s) {
          TUnit* u = group->Units[s];
          if (!u || !u->IsDead()) continue;
          leaveCorpse(*group, *u);
          group->RemoveUnitAt(s, true, false);
          group->UpdateOwnerFog();
        }
      } else {
        for (const TUnit* u : group->Units)
          if (u) leaveCorpse(*group, *u);
        for (TPlayer* player : Players)
          if (player->GetSelectedGroup() == group) player->Select(nullptr);
        const u8 owner = group->OwnerIndex;
        RemoveMapObjectAt(i, false);
        UpdateFogOf(owner);
      }
    }
  }
  // The dead no step above reached (a departure group, a hire list, off the
  // map) leave their list before they are deleted.
  for (i32 i = Units.Count() - 1; i >= 0; --i) {
    if (i >= Units.Count()) continue;
    TUnit* unit = Units[i];
    if (!unit->IsDead()) continue;
    DetachUnit(unit, false, false);
    DeleteUnitAt(Units.Items.IndexOf(unit));
  }
  for (auto& corpse : corpses) AddMapObject(corpse.release());
}

void TScenario::BeginDeathAnimations() {
  for (TMapObject* o : MapObjects)
    if (o->Type == otGroup && static_cast<TGroup*>(o)->CheckDying()) WaitingForDeaths = 1;
}

// The check after loading.

bool TScenario::CheckUnitLists() {
  bool changed = false;
  // Every container is decided anew; until then none may point to a group
  // that the check removes.
  for (TUnit* unit : Units.Items) unit->Container = nullptr;
  for (i32 k = 0; k < Units.Count(); ++k) {
    TUnit* unit = Units[k];
    TMapObject* holder = nullptr;
    // The first holder found keeps the unit; any later entry goes.
    auto held = [&](TMapObject* container) {
      if (!holder) {
        holder = container;
        return false;
      }
      changed = true;
      return true;
    };
    for (i32 i = MapObjects.Count() - 1; i >= 0; --i) {
      TMapObject* o = MapObjects[i];
      if (o->Type == otGroup) {
        auto* group = static_cast<TGroup*>(o);
        for (i32 s = MaxGroupUnits - 1; s >= 0; --s)
          if (group->Units[s] == unit && held(group)) group->RemoveUnitAt(s, false, false);
        if (group->GetUnitCount() == 0) {
          RemoveMapObjectAt(i, true);
          changed = true;
        }
      } else if (o->Type == otCity) {
        auto* city = static_cast<TCity*>(o);
        for (i32 j = city->Units.Count() - 1; j >= 0; --j)
          if (city->Units[j] == unit && held(city)) city->RemoveUnitAt(j, false, false);
        for (i32 e = city->DefenderSlots.Count() - 1; e >= 0; --e)
          if (city->DefenderSlots[e] == unit && held(city)) city->ClearSlotEntry(e, false, false);
        for (i32 j = city->Recruits.Count() - 1; j >= 0; --j)
          if (city->Recruits[j] == unit && held(city)) city->RemoveRecruitAt(j, false, false);
        // Also a place a unit may stand in, though no file stores it.
        TGroup* departure = city->DepartureGroup.get();
        for (i32 s = MaxGroupUnits - 1; s >= 0; --s)
          if (departure->Units[s] == unit && held(departure)) departure->RemoveUnitAt(s, false, false);
      }
    }
    bool listed = false;
    for (i32 i = OffMapUnits.Count() - 1; i >= 0; --i) {
      if (OffMapUnits[i] != unit) continue;
      if (holder || listed) {
        OffMapUnits.Delete(i);
        changed = true;
      }
      listed = true;
    }
    unit->Container = holder;
  }
  for (i32 i = Units.Count() - 1; i >= 0; --i) {
    if (i >= Units.Count()) continue;
    TUnit* unit = Units[i];
    if (Units.LookupByID(unit->ID) == unit) continue;
    DetachUnit(unit, true, true);
    changed = true;
  }
  return changed;
}

void TScenario::ForgetUnlearnedSpells() {
  for (TUnit* unit : Units.Items) unit->ForgetSpellsAboveLevel();
}

}  // namespace GameData
