#include "world/scenario/transfer.h"

#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace GameData {

namespace {

// Takes a unit out of a list that owns it, without deleting it.
void TakeOut(Data::TDataList<TUnit>& list, TUnit* unit) {
  i32 index = list.Items.IndexOf(unit);
  if (index < 0) return;
  list.Items[index] = nullptr;
  list.Items.Delete(index);
}

bool IsListed(const Data::TDynamicArray<u32>& ids, u32 id) { return ids.IndexOf(id) >= 0; }

}  // namespace

TTransfer::TTransfer() = default;
TTransfer::~TTransfer() = default;

void TTransfer::Clear() {
  Available.Clear();
  Transferred.Clear();
}

void TTransfer::Save(Data::TStream& s) const {
  Available.Save(s);
  Transferred.Save(s);
  Data::WriteListTag(s);
  Data::WriteI32(s, Available.Count());
  for (const TUnit* unit : Available.Items) {
    Data::WriteU8(s, unit->TransferRequired);
    Data::WriteU8(s, unit->TransferNew);
  }
}

void TTransfer::Load(Data::TStream& s) {
  Clear();
  Available.Load(s);
  Transferred.Load(s);
  Data::ReadListTag(s);
  const i32 count = Data::ReadI32(s);
  Data::CheckData(count >= 0);
  Data::CheckAvailable(s, count, 2);
  // Flags beyond the available units belong to none; units beyond the
  // flags keep theirs cleared.
  for (i32 i = 0; i < count; ++i) {
    const u8 required = Data::ReadU8(s);
    const u8 added = Data::ReadU8(s);
    if (i >= Available.Count()) continue;
    Available[i]->TransferRequired = required;
    Available[i]->TransferNew = added;
  }
}

void TTransfer::TransferUnit(TUnit* unit) {
  TakeOut(Available, unit);
  Transferred.Items.Add(unit);
}

void TTransfer::ReturnUnit(TUnit* unit) {
  TakeOut(Transferred, unit);
  Available.Items.Add(unit);
}

void TTransfer::CollectSurvivors(TScenario& scenario, i32 playerIndex) {
  const TPlayer* player = scenario.PlayerAt(playerIndex);
  if (!player) return;
  for (i32 i = scenario.Units.Count() - 1; i >= 0; --i) {
    TUnit* unit = scenario.Units[i];
    if (unit->GetOwner() != player) continue;
    unit->ClearAfterEffects();
    unit->Base.HitPoints.Current = unit->Base.HitPoints.ValueAt(unit->Base.Level);
    unit->Base.Mana.Current = unit->Base.Mana.ValueAt(unit->Base.Level);
    if (Data2::GlobalData) unit->Base.Morale = static_cast<i16>(Data2::GlobalData->NormalMorale);
    unit->RecalcEffective(true);
    if (unit->Effective.HitPoints.Current < 1) continue;
    scenario.ExtractUnit(unit);
    Available.Items.Insert(unit, 0);
    unit->TransferRequired = 0;
    unit->TransferNew = 0;
  }
}

void TTransfer::AddWaitingUnits(TScenario& scenario) {
  for (u32 id : scenario.WaitingUnitIDs) {
    TUnit* unit = scenario.FindOffMapUnit(id);
    if (!unit) continue;
    scenario.ExtractOffMapUnit(unit);
    Available.Items.Add(unit);
    unit->TransferNew = 1;
  }
}

void TTransfer::AddRequiredUnits(TScenario& scenario) {
  for (i32 i = Available.Count() - 1; i >= 0; --i) {
    TUnit* unit = Available[i];
    if (!IsListed(scenario.RequiredUnitIDs, unit->ID)) continue;
    TakeOut(Available, unit);
    Transferred.Items.Insert(unit, 0);
    unit->TransferRequired = 1;
  }
}

void TTransfer::PlaceTransferredUnits(TScenario& scenario, i32 playerIndex) {
  const TPlayer* player = scenario.PlayerAt(playerIndex);
  while (player && Transferred.Count() > 0) {
    TUnit* unit = Transferred[0];
    // Placed first, then let go: a unit that finds no place stays here.
    scenario.PlaceUnitInArea(unit, static_cast<u8>(playerIndex), *player->StartArea, true, true, !unit->Hero,
                             false);
    TakeOut(Transferred, unit);
  }
  Available.Clear();
  Transferred.Clear();
}

}  // namespace GameData
