#include "world/locations/city.h"

#include <algorithm>

#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/map/map_draw.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

constexpr u16 CityLayer = 20;

}  // namespace

TCity::TCity(TScenario* scenario)
    : TLocation(scenario, otCity, "Stadt"),
      DefenderGroup(std::make_unique<TGroup>(scenario)),
      DepartureGroup(std::make_unique<TGroup>(scenario)) {
  Layer = CityLayer;
  SetSlotCount(1);
  Merchants[0] = std::make_unique<TInnkeeperMerchant>();
  Merchants[1] = std::make_unique<TMageMerchant>();
  Merchants[2] = std::make_unique<TBattleMasterMerchant>();
  Merchants[3] = std::make_unique<THerbalistMerchant>();
  Merchants[4] = std::make_unique<TCustomMerchant>();
  Merchants[5] = std::make_unique<TCustomMerchant>();
}

// Units belong to the registry: the groups only let go of them, and no unit
// keeps pointing at a group that is gone.
TCity::~TCity() {
  for (TGroup* group : {DefenderGroup.get(), DepartureGroup.get()}) {
    for (TUnit* unit : group->Units)
      if (unit && unit->Container == group) unit->Container = nullptr;
    group->ClearSlots();
  }
}

void TCity::Clear() {
  TLocation::Clear();
  Layer = CityLayer;
  PictureID = 0;
  Reserved1 = 0;
  Owner = NoOwner;
  Units.Clear();
  DefenderSlots.Clear();
  Recruits.Clear();
  SlotCount = 0;
  Reserved2 = 0;
  MusicID = 0;
  AnchorFieldX = AnchorFieldY = 0;
  Area->Clear();
  Flags.Clear();
  Closed = 0;
  DepartureGroup->Clear();
  for (auto& m : Merchants) m->Clear();
}

void TCity::Load(Data::TStream& s) {
  TLocation::Load(s);
  PictureID = Data::ReadU32(s);
  Reserved1 = Data::ReadU32(s);
  Owner = Data::ReadU8(s);
  SlotCount = Data::ReadI32(s);
  Reserved2 = Data::ReadU32(s);
  MusicID = Data::ReadU32(s);
  auto readUnit = [&](bool allowEmpty) -> TUnit* {
    u32 id = Data::ReadU32(s);
    if (id == 0 && allowEmpty) return nullptr;
    TUnit* unit = Scenario->Units.FindByID(id);
    Data::CheckData(unit != nullptr);
    unit->Container = this;
    return unit;
  };
  u32 count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 4);
  for (u32 i = 0; i < count; ++i) Units.Add(readUnit(false));
  count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 4);
  DefenderSlots.SetCount(static_cast<i32>(count));
  for (u32 i = 0; i < count; ++i) DefenderSlots[static_cast<i32>(i)] = readUnit(true);
  count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 4);
  for (u32 i = 0; i < count; ++i) Recruits.Add(readUnit(false));
  AnchorFieldX = Data::ReadI32(s);
  AnchorFieldY = Data::ReadI32(s);
  Area->Load(s);
  Flags.Load(s);
  for (auto& m : Merchants) m->Load(s);
  DepartureGroup->SetOwner(Owner);
  Closed = Data::ReadU32(s);
}

void TCity::Save(Data::TStream& s) const {
  // Merchants get scenario IDs the first time they are stored.
  for (auto& m : Merchants)
    if (m->ID == 0) m->ID = Scenario->NewID();
  TLocation::Save(s);
  Data::WriteU32(s, PictureID);
  Data::WriteU32(s, Reserved1);
  Data::WriteU8(s, Owner);
  Data::WriteI32(s, SlotCount);
  Data::WriteU32(s, Reserved2);
  Data::WriteU32(s, MusicID);
  Data::WriteU32(s, static_cast<u32>(Units.Count()));
  for (const TUnit* u : Units) Data::WriteU32(s, u->ID);
  Data::WriteU32(s, static_cast<u32>(DefenderSlots.Count()));
  for (const TUnit* u : DefenderSlots) Data::WriteU32(s, u ? u->ID : 0);
  Data::WriteU32(s, static_cast<u32>(Recruits.Count()));
  for (const TUnit* u : Recruits) Data::WriteU32(s, u->ID);
  Data::WriteI32(s, AnchorFieldX);
  Data::WriteI32(s, AnchorFieldY);
  Area->Save(s);
  Flags.Save(s);
  for (const auto& m : Merchants) m->Save(s);
  Data::WriteU32(s, Closed);
}

// Owners.

TPlayer* TCity::GetOwner() const { return Scenario ? Scenario->PlayerAt(Owner) : nullptr; }

TPlayer* TCity::GetUnitOwner(const TUnit* unit) const {
  if (unit->OwnerIndex == NoOwner) return GetOwner();
  return Scenario ? Scenario->PlayerAt(unit->OwnerIndex) : nullptr;
}

void TCity::NotifyAdd(TPlayer* player, TUnit* unit) {
  if (player) player->AIHandler->AddUnit(unit);
}

void TCity::NotifyRemove(TPlayer* player, TUnit* unit) {
  if (player) player->AIHandler->RemoveUnit(unit, true);
}

// Lists.

i32 TCity::AddUnit(TUnit* unit, bool registerUnit, bool notify, bool newID) {
  if (registerUnit) Scenario->AddUnit(unit, newID);
  unit->Container = this;
  i32 index = Units.Add(unit);
  if (notify) NotifyAdd(GetUnitOwner(unit), unit);
  return index;
}

i32 TCity::AddRecruit(TUnit* unit, bool registerUnit, bool notify, bool newID) {
  if (registerUnit) Scenario->AddUnit(unit, newID);
  unit->Container = this;
  i32 index = Recruits.Add(unit);
  if (notify) NotifyAdd(GetUnitOwner(unit), unit);
  return index;
}

void TCity::RemoveUnitAt(i32 index, bool unregister, bool notify) {
  if (index < 0 || index >= Units.Count()) return;
  TUnit* unit = Units[index];
  if (notify) NotifyRemove(GetUnitOwner(unit), unit);
  unit->Container = nullptr;
  Units.Delete(index);
  if (unregister) Scenario->RemoveUnit(unit);
}

void TCity::RemoveUnit(TUnit* unit, bool unregister, bool notify) {
  i32 index = Units.IndexOf(unit);
  if (index >= 0) RemoveUnitAt(index, unregister, notify);
}

void TCity::RemoveRecruitAt(i32 index, bool unregister, bool notify) {
  if (index < 0 || index >= Recruits.Count()) return;
  TUnit* unit = Recruits[index];
  if (notify) NotifyRemove(GetUnitOwner(unit), unit);
  unit->Container = nullptr;
  Recruits.Delete(index);
  if (unregister) Scenario->RemoveUnit(unit);
}

void TCity::RemoveRecruit(TUnit* unit, bool unregister, bool notify) {
  i32 index = Recruits.IndexOf(unit);
  if (index >= 0) RemoveRecruitAt(index, unregister, notify);
}

void TCity::SetSlotCount(i32 n) {
  DefenderSlots.SetCount(3 * n);
  SlotCount = n;
}

i32 TCity::CountSlotUnits(i32 slot) const {
  i32 n = 0;
  for (i32 k = 0; k < 3; ++k)
    if (slot >= 0 && IsEntry(3 * slot + k) && DefenderSlots[3 * slot + k]) ++n;
  return n;
}

bool TCity::SlotHasHero(i32 slot) const {
  for (i32 k = 0; k < 3; ++k) {
    i32 e = 3 * slot + k;
    if (slot >= 0 && IsEntry(e) && DefenderSlots[e] && DefenderSlots[e]->Hero) return true;
  }
  return false;
}

i32 TCity::FindSlotOfUnit(const TUnit* unit) const {
  for (i32 e = 0; e < DefenderSlots.Count(); ++e)
    if (DefenderSlots[e] == unit) return e / 3;
  return -1;
}

bool TCity::HasDefenders() const {
  return std::any_of(DefenderSlots.begin(), DefenderSlots.end(), [](const TUnit* u) { return u != nullptr; });
}

bool TCity::IsDefender(const TUnit* unit) const { return unit && FindSlotOfUnit(unit) >= 0; }
bool TCity::ContainsUnit(const TUnit* unit) const { return Units.IndexOf(unit) >= 0; }
bool TCity::IsRecruit(const TUnit* unit) const { return Recruits.IndexOf(unit) >= 0; }

void TCity::AddToSlot(i32 slot, TUnit* unit, bool newID, bool notify, bool registerUnit) {
  if (slot < 0) return;
  for (i32 k = 0; k < 3; ++k) {
    i32 e = 3 * slot + k;
    if (!IsEntry(e) || DefenderSlots[e]) continue;
    if (registerUnit) Scenario->AddUnit(unit, newID);
    unit->Container = this;
    DefenderSlots[e] = unit;
    if (notify) NotifyAdd(GetUnitOwner(unit), unit);
    return;
  }
}

void TCity::ClearSlotEntry(i32 entry, bool unregister, bool notify) {
  if (!IsEntry(entry)) return;
  TUnit* unit = DefenderSlots[entry];
  if (!unit) return;
  if (notify) NotifyRemove(GetUnitOwner(unit), unit);
  unit->Container = nullptr;
  DefenderSlots[entry] = nullptr;
  if (unregister) Scenario->RemoveUnit(unit);
}

void TCity::RemoveFromSlotAt(i32 entry, bool unregister, bool notify) {
  if (!IsEntry(entry)) return;
  ClearSlotEntry(entry, unregister, notify);
  // A slot cut short by the stored entry count closes up within what exists.
  i32 last = std::min((entry / 3) * 3 + 2, DefenderSlots.Count() - 1);
  for (i32 e = entry; e < last; ++e) DefenderSlots[e] = DefenderSlots[e + 1];
  DefenderSlots[last] = nullptr;
}

void TCity::RemoveFromSlot(TUnit* unit, bool unregister, bool notify) {
  for (i32 e = 0; e < DefenderSlots.Count(); ++e)
    if (DefenderSlots[e] == unit) {
      RemoveFromSlotAt(e, unregister, notify);
      return;
    }
}

void TCity::RemoveAnyUnit(TUnit* unit, bool unregister, bool notify) {
  for (i32 e = 0; e < DefenderSlots.Count(); ++e)
    if (DefenderSlots[e] == unit) {
      ClearSlotEntry(e, unregister, notify);
      return;
    }
  if (ContainsUnit(unit))
    RemoveUnit(unit, unregister, notify);
  else
    RemoveRecruit(unit, unregister, notify);
}

void TCity::RemoveAllUnits(bool notify) {
  // The departure group's units leave with the city like all the others.
  DepartureGroup->RemoveAllUnits(notify);
  for (i32 i = Units.Count() - 1; i >= 0; --i) RemoveUnitAt(i, true, notify);
  for (i32 e = DefenderSlots.Count() - 1; e >= 0; --e) ClearSlotEntry(e, true, notify);
  for (i32 i = Recruits.Count() - 1; i >= 0; --i) RemoveRecruitAt(i, true, notify);
}

i32 TCity::CanJoinSlot(i32 slot, const TUnit* unit) const {
  // A slot that does not exist has no room either.
  if (!IsSlot(slot) || CountSlotUnits(slot) >= 3) return 1;
  if (unit->Hero && SlotHasHero(slot)) return 2;
  if (Data2::GlobalData && unit->Effective.Morale < Data2::GlobalData->MinDefendMorale) return 3;
  return 0;
}

int TCity::CompareCityUnits(const TUnit* a, const TUnit* b) {
  if (a->OwnerIndex != b->OwnerIndex) return a->OwnerIndex < b->OwnerIndex ? -1 : 1;
  auto strength = [](const TUnit* u) {
    const TUnitProperties& e = u->Effective;
    return e.Defence.Current * 100 + e.HitPoints.Current * 75 + e.CounterAttack.Current * 50 +
           e.Attack.Current * 25 + e.Mana.ValueAt(e.Level) * 12;
  };
  i32 sa = strength(a), sb = strength(b);
  return sa < sb ? -1 : (sa > sb ? 1 : 0);
}

void TCity::SortUnits() { Units.Sort(CompareCityUnits); }

// Map picture.

Gfx::TSprite* TCity::FlagSprite(i32 index) const {
  if (!Data2::GlobalData || Owner == NoOwner || index < 0 || index >= Flags.Count()) return nullptr;
  i32 slot = 1112 + 5 * static_cast<i32>(Flags[index].Style) + Owner;
  if (slot < 0 || slot >= Data2::SpriteTableSize) return nullptr;
  return Data2::GlobalData->SpriteTable[slot];
}

i32 TCity::FlagFrame(i32 index) const {
  const Gfx::TSprite* sprite = FlagSprite(index);
  i32 n = AnimationFrameCount(sprite);
  if (n <= 0) return 0;
  i32 counter = static_cast<i32>(Scenario ? Scenario->FrameCounter : 0);
  return ((counter / 10) + (index * 577) % 421) % n;
}

Base::TRect TCity::GetFlagRect(i32 index) const {
  const Gfx::TSprite* sprite = FlagSprite(index);
  if (!sprite) return {};
  const TFlagInfo& f = Flags[index];
  i32 left = f.X - sprite->HotX, top = f.Y - sprite->HotY;
  return {left, top, left + sprite->Width, top + sprite->Height};
}

// The software path shows the flags standing still.
void TCity::DrawToBitmap(Gfx::TBitmap* target, i32 viewX, i32 viewY, const Base::TRect& screen) {
  TLocation::DrawToBitmap(target, viewX, viewY, screen);
  for (i32 i = 0; i < Flags.Count(); ++i)
    if (Gfx::TSprite* sprite = FlagSprite(i))
      sprite->DrawToBitmap(target, 0, Flags[i].X - viewX + screen.Left - sprite->HotX,
                           Flags[i].Y - viewY + screen.Top - sprite->HotY, &screen);
}

void TCity::Draw(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) {
  TLocation::Draw(target, viewX, viewY, screen);
  for (i32 i = 0; i < Flags.Count(); ++i)
    if (Gfx::TSprite* sprite = FlagSprite(i))
      sprite->Draw(target, FlagFrame(i), Flags[i].X - viewX + screen.Left - sprite->HotX,
                   Flags[i].Y - viewY + screen.Top - sprite->HotY, &screen);
}

template <class Target>
void TCity::DrawCorners(Target* target, i32 viewX, i32 viewY, const Base::TRect& screen) const {
  if (!Selected || !MeetsView(viewX, viewY, screen)) return;
  const Base::TRect r = GetRect();
  const i32 dx = screen.Left - viewX, dy = screen.Top - viewY;
  DrawSelectionCorners(target, {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}, &screen);
}

void TCity::DrawOverlayToBitmap(Gfx::TBitmap* target, i32 viewX, i32 viewY, const Base::TRect& screen) {
  TLocation::DrawOverlayToBitmap(target, viewX, viewY, screen);
  DrawCorners(target, viewX, viewY, screen);
}

void TCity::DrawOverlay(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) {
  TLocation::DrawOverlay(target, viewX, viewY, screen);
  DrawCorners(target, viewX, viewY, screen);
}

void TCity::Deselect() {
  TMapObject::Deselect();
  if (DepartureGroup->GetUnitCount() > 0) DisbandDepartureGroup();
}

void TCity::Tick() {
  DepartureGroup->AgeWounds();
  DefenderGroup->AgeWounds();
  Caption = Name;
  for (i32 slot = 0; slot * 3 < DefenderSlots.Count(); ++slot) {
    if (CountSlotUnits(slot) == 0) continue;
    Caption += "\nVerteidiger: ";
    // Names are separated rather than prefixed, so a gap at position 0 leaves no stray comma.
    bool first = true;
    for (i32 k = 0; k < 3; ++k) {
      const TUnit* u = DefenderSlots[3 * slot + k];
      if (!u) continue;
      if (!first) Caption += ", ";
      Caption += u->GetDisplayName();
      first = false;
    }
    break;
  }
}

void TCity::GetNearestEntranceField(i32 x, i32 y, i32& fx, i32& fy) const {
  i64 best = 1000000000;
  for (i32 i = 0; i < EntranceArea->Count(); ++i) {
    const TField& f = (*EntranceArea)[i];
    i64 d = static_cast<i64>(f.x - x) * (f.x - x) + static_cast<i64>(f.y - y) * (f.y - y);
    if (d < best) {
      best = d;
      fx = f.x;
      fy = f.y;
    }
  }
}

}  // namespace GameData
