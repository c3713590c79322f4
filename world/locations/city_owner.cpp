// A city changing hands, groups entering and leaving, the defender group of
// a battle, the turn start and moves between the city's lists.
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace GameData {

void TCity::SetOwner(i32 p, i32 mode) {
  if (p == Owner) return;
  const i32 o = Owner;
  TPlayer* oldOwner = GetOwner();
  TPlayer* newOwner = Scenario->PlayerAt(p);
  auto isOld = [&](const TUnit* u) {
    return mode == 1 ? u->OwnerIndex != p : (u->OwnerIndex == o || u->OwnerIndex == NoOwner);
  };
  // One unit of a list in modes 1 and 2: an old owner's hero captured in
  // mode 2 is deleted; other units of the old owner pass to the new owner
  // (the old side's opponent forgets them, the new one's learns them).
  auto takeOver = [&](TUnit* u, TPlayer* oldSide, auto remove) {
    if (isOld(u)) {
      if (mode == 2 && u->Hero) {
        remove(true);
        return;
      }
      if (oldSide) oldSide->AIHandler->RemoveUnit(u, true);
      u->OwnerIndex = NoOwner;
      if (newOwner) newOwner->AIHandler->AddUnit(u);
    } else if (u->OwnerIndex == p) {
      u->OwnerIndex = NoOwner;
    }
  };
  // Mode 3 for city units and recruits: the old owner keeps its units.
  auto keep = [&](TUnit* u) {
    if (u->OwnerIndex == NoOwner)
      u->OwnerIndex = static_cast<u8>(o);
    else if (u->OwnerIndex == p)
      u->OwnerIndex = NoOwner;
  };

  for (i32 i = Units.Count() - 1; i >= 0; --i) {
    TUnit* u = Units[i];
    if (mode == 3)
      keep(u);
    else
      takeOver(u, GetUnitOwner(u), [&](bool reg) { RemoveUnitAt(i, reg, false); });
  }
  for (i32 e = DefenderSlots.Count() - 1; e >= 0; --e) {
    TUnit* u = DefenderSlots[e];
    if (!u) continue;
    if (mode != 3) {
      takeOver(u, oldOwner, [&](bool reg) { RemoveFromSlotAt(e, reg, false); });
      continue;
    }
    if (u->OwnerIndex == p) u->OwnerIndex = NoOwner;
    if (u->OwnerIndex == NoOwner || u->OwnerIndex == o) {
      u->OwnerIndex = static_cast<u8>(o);
      MoveUnit(clDefenders, u->ID, clUnits, -1);
    }
  }
  for (i32 i = Recruits.Count() - 1; i >= 0; --i) {
    TUnit* u = Recruits[i];
    if (mode == 3)
      keep(u);
    else
      takeOver(u, oldOwner, [&](bool reg) { RemoveRecruitAt(i, reg, false); });
  }
  Owner = static_cast<u8>(p);
  RemoveHostileUnits();
}

void TCity::RemoveHostileUnits() {
  TPlayer* owner = GetOwner();
  if (!owner) return;
  auto hostile = [&](const TUnit* u) { return owner->GetRelation(GetUnitOwner(u)) == 1; };
  for (i32 i = Units.Count() - 1; i >= 0; --i)
    if (hostile(Units[i])) RemoveUnitAt(i, true, false);
  for (i32 e = DefenderSlots.Count() - 1; e >= 0; --e)
    if (DefenderSlots[e] && hostile(DefenderSlots[e])) RemoveFromSlotAt(e, true, false);
  for (i32 i = Recruits.Count() - 1; i >= 0; --i)
    if (hostile(Recruits[i])) RemoveRecruitAt(i, true, false);
}

void TCity::Enter(TGroup* group) {
  Scenario->CityScreenOpen = 1;
  if (!group) return;
  DepartureGroup->OwnerIndex = group->OwnerIndex;
  TPlayer* entering = group->GetOwner();
  if (entering && entering->GetRelationToCity(this) == 1) {
    SetOwner(group->OwnerIndex, 2);
    group->UpdateOwnerFog();
  }
  group->PayEntryCost(this);
  if (TPlayer* current = Scenario->PlayerAt(Scenario->CurrentPlayerIndex)) current->Select(DepartureGroup.get());
  for (i32 slot = group->GetUnitCount() - 1; slot >= 0; --slot) {
    TUnit* u = group->Units[slot];
    u->OwnerIndex = group->OwnerIndex;
    group->RemoveUnitAt(slot, false, false);
    // A departure group that is already full keeps the rest in the city
    // rather than losing them.
    if (DepartureGroup->GetUnitCount() < MaxGroupUnits)
      DepartureGroup->AddUnit(u, false, false, false);
    else
      AddUnit(u, false, false, false);
  }
  Scenario->RemoveMapObject(group, false);
}

void TCity::Leave() {
  DepartureGroup->OwnerIndex = static_cast<u8>(Scenario->CurrentPlayerIndex);
  if (TPlayer* current = Scenario->PlayerAt(Scenario->CurrentPlayerIndex)) current->Select(this);
  Scenario->ComputeMoveCostsFromArea(*EntranceArea, this, DepartureGroup.get());
  Scenario->CityScreenOpen = 0;
}

void TCity::DisbandDepartureGroup() {
  for (i32 slot = DepartureGroup->GetUnitCount() - 1; slot >= 0; --slot) {
    TUnit* u = DepartureGroup->Units[slot];
    DepartureGroup->RemoveUnitAt(slot, false, false);
    AddUnit(u, false, false, false);
  }
}

void TCity::PrepareDefenderGroup(i32 slot) {
  DefenderGroup->OwnerIndex = Owner;
  DefenderGroup->ClearSlots();
  for (i32 k = 0; k < 3; ++k) {
    i32 e = 3 * slot + k;
    if (e < DefenderSlots.Count() && DefenderSlots[e]) DefenderGroup->AddUnit(DefenderSlots[e], false, false, false);
  }
}

void TCity::ReleaseDefenderGroup() {
  for (TUnit* u : DefenderGroup->Units)
    if (u) u->Container = this;
  DefenderGroup->ClearSlots();
}

void TCity::NewTurn() {
  for (TUnit* u : Units) u->NewTurn();
  for (TUnit* u : DefenderSlots)
    if (u) u->NewTurn();
  const i32 minimum = Data2::GlobalData ? Data2::GlobalData->MinDefendMorale : 0;
  for (i32 e = DefenderSlots.Count() - 1; e >= 0; --e) {
    TUnit* u = DefenderSlots[e];
    if (!u || u->Effective.Morale >= minimum) continue;
    RemoveFromSlotAt(e, false, false);
    AddUnit(u, false, false, false);
  }
}

void TCity::MoveUnit(i32 from, u32 unitID, i32 to, i32 slot) {
  // The arguments come from action records: anything that names no list, no
  // slot or no room leaves the unit where it is.
  if (to < clDeparture || to > clRecruits) return;
  if (to == clDefenders) {
    if (slot == -1 && from != clDefenders)
      for (i32 s = 0; s < SlotCount; ++s)
        if (IsSlot(s) && CountSlotUnits(s) < 3) {
          slot = s;
          break;
        }
    if (!IsSlot(slot) || CountSlotUnits(slot) >= 3) return;
  }
  if (to == clDeparture && from != clDeparture && DepartureGroup->GetUnitCount() >= MaxGroupUnits) return;
  TUnit* unit = nullptr;
  switch (from) {
    case clDeparture:
      if (to == clDeparture) return;
      unit = DepartureGroup->FindUnitByID(unitID);
      if (!unit) return;
      DepartureGroup->RemoveUnit(unit, false, false);
      break;
    case clDefenders: {
      for (TUnit* u : DefenderSlots)
        if (u && u->ID == unitID) unit = u;
      if (!unit) return;
      if (to == clDefenders && slot == FindSlotOfUnit(unit)) return;
      RemoveFromSlot(unit, false, false);
      break;
    }
    case clUnits:
      if (to == clUnits) return;
      for (TUnit* u : Units)
        if (u->ID == unitID) unit = u;
      if (!unit) return;
      RemoveUnit(unit, false, false);
      break;
    case clRecruits:
      if (to == clRecruits) return;
      for (TUnit* u : Recruits)
        if (u->ID == unitID) unit = u;
      if (!unit) return;
      RemoveRecruit(unit, false, false);
      break;
    default:
      return;
  }
  switch (to) {
    case clDeparture: DepartureGroup->AddUnit(unit, false, false, false); break;
    case clDefenders: AddToSlot(slot, unit, false, false, false); break;
    case clUnits: AddUnit(unit, false, false, false); break;
    case clRecruits: AddRecruit(unit, false, false, false); break;
    default: break;
  }
}

}  // namespace GameData
