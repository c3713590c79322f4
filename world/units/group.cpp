#include "world/units/group.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cmath>
#include <numbers>

#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/locations/location.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/spell_course.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

bool IsMoving(const TGroup& g, i32 slot) { return g.Units[slot] && !g.SplitMarks[slot]; }

}  // namespace

TGroup::TGroup(TScenario* scenario) : TMapObject(scenario, otGroup, "Gruppe") {}

TGroup::~TGroup() = default;

void TGroup::Clear() {
  TMapObject::Clear();
  Direction = dSouth;
  OwnerIndex = NoOwner;
  ClearSlots();
  std::fill(std::begin(SplitMarks), std::end(SplitMarks), 0);
  TickCounter = 0;
  TicksPerStep = 1;
  PixelsPerStep = 4;
  Frame = PendingAction = AnimationState = TurnTarget = OrderedDirection = 0;
  WalkStartField = CurrentField = NextField = DestinationField = StopField = {};
  PathIndex = 0;
  TargetGroup = nullptr;
  TargetLocation = nullptr;
  JoinFlag = ApproachMode = EncounterMode = ApproachedMark = InBattle = 0;
  ActionPointReserve = 0;
  Reserved = DeferredStop = ShortStop = ReasonSighted = ReasonConversation = 0;
  StepPaid = 0;
}

void TGroup::Load(Data::TStream& s) {
  TMapObject::Load(s);
  Direction = Data::ReadU8(s);
  OwnerIndex = Data::ReadU8(s);
  u32 count = Data::ReadU32(s);
  Data::CheckData(count <= MaxGroupUnits);
  for (u32 i = 0; i < count; ++i) {
    TUnit* unit = Scenario->Units.FindByID(Data::ReadU32(s));
    Data::CheckData(unit != nullptr);
    Units[i] = unit;
    unit->Container = this;
  }
  TickCounter = Data::ReadU32(s);
  TicksPerStep = Data::ReadU16(s);
  Frame = Data::ReadU8(s);
  PendingAction = Data::ReadU8(s);
  AnimationState = Data::ReadU8(s);
  TurnTarget = Data::ReadU8(s);
  OrderedDirection = Data::ReadU8(s);
  for (TField* f : {&WalkStartField, &CurrentField, &NextField, &DestinationField}) f->Read(s);
  Data::ReadU16(s);
  Data::ReadU16(s);
  PathIndex = Data::ReadI16(s);
  JoinFlag = Data::ReadU8(s);
  ApproachMode = Data::ReadU8(s);
  EncounterMode = Data::ReadU8(s);
  ApproachedMark = Data::ReadU8(s);
  InBattle = Data::ReadU8(s);
  Reserved = Data::ReadU8(s);
  DeferredStop = Data::ReadU8(s);
  ShortStop = Data::ReadU8(s);
  StopField.Read(s);
  CampState = Data::ReadI32(s);
  CampStyle = Data::ReadI32(s);
  // The camp pictures are five slots of the sprite table.
  if (CampStyle < 0 || CampStyle > 4) throw Data::EInvalidData();
}

void TGroup::Save(Data::TStream& s) const {
  TMapObject::Save(s);
  Data::WriteU8(s, Direction);
  Data::WriteU8(s, OwnerIndex);
  i32 n = GetUnitCount();
  Data::WriteU32(s, static_cast<u32>(n));
  for (i32 i = 0; i < n; ++i) Data::WriteU32(s, Units[i]->ID);
  Data::WriteU32(s, TickCounter);
  Data::WriteU16(s, TicksPerStep);
  for (u8 v : {Frame, PendingAction, AnimationState, TurnTarget, OrderedDirection}) Data::WriteU8(s, v);
  for (const TField* f : {&WalkStartField, &CurrentField, &NextField, &DestinationField}) f->Write(s);
  Data::WriteU16(s, 0);
  Data::WriteU16(s, 0);
  Data::WriteI16(s, PathIndex);
  for (u8 v : {JoinFlag, ApproachMode, EncounterMode, ApproachedMark, InBattle}) Data::WriteU8(s, v);
  Data::WriteU8(s, 0);
  Data::WriteU8(s, DeferredStop);
  Data::WriteU8(s, ShortStop);
  StopField.Write(s);
  Data::WriteI32(s, CampState);
  Data::WriteI32(s, CampStyle);
}

// Units.

void TGroup::AddUnit(TUnit* unit, bool registerUnit, bool addToAI, bool newID) {
  if (GetUnitCount() >= MaxGroupUnits) throw std::runtime_error("Maximum number of units in group reached.");
  if (registerUnit) Scenario->AddUnit(unit, newID);
  unit->Container = this;
  Units[GetUnitCount()] = unit;
  if (addToAI)
    if (TPlayer* owner = GetOwner()) owner->AIHandler->AddUnit(unit);
  UnitsChanged();
}

void TGroup::RemoveUnitAt(i32 slot, bool unregister, bool notifyAI) {
  if (slot < 0 || slot >= MaxGroupUnits) return;
  TUnit* unit = Units[slot];
  if (!unit) return;
  if (notifyAI)
    if (TPlayer* owner = GetOwner()) owner->AIHandler->RemoveUnit(unit, true);
  unit->Container = nullptr;
  RemoveSlot(slot);
  if (unregister) Scenario->RemoveUnit(unit);
  UnitsChanged();
}

void TGroup::RemoveUnit(TUnit* unit, bool unregister, bool notifyAI) {
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (Units[i] == unit) {
      RemoveUnitAt(i, unregister, notifyAI);
      return;
    }
}

void TGroup::RemoveAllUnits(bool notifyAI) {
  for (i32 i = MaxGroupUnits - 1; i >= 0; --i) RemoveUnitAt(i, true, notifyAI);
}

i32 TGroup::AppendUnit(TUnit* unit) {
  i32 slot = GetUnitCount();
  Units[slot] = unit;
  return slot;
}

void TGroup::RemoveSlot(i32 slot) {
  for (i32 i = slot; i < MaxGroupUnits - 1; ++i) Units[i] = Units[i + 1];
  Units[MaxGroupUnits - 1] = nullptr;
}

void TGroup::ClearSlots() { std::fill(std::begin(Units), std::end(Units), nullptr); }

void TGroup::UnitsChanged() {
  MoveHeroesForward();
  ChooseCampStyle();
  Changed = 1;
}

void TGroup::MoveHeroesForward() {
  for (i32 i = GetUnitCount() - 1; i >= 1; --i)
    if (Units[i]->Hero) std::swap(Units[i], Units[i - 1]);
}

TUnit* TGroup::FindUnitByID(u32 id) const {
  for (TUnit* u : Units)
    if (u && u->ID == id) return u;
  return nullptr;
}

TUnit* TGroup::GetLeader() const {
  TUnit* leader = Units[0];
  for (TUnit* u : Units)
    if (u && u->Hero) leader = u;
  if (leader && leader->IsDead())
    for (TUnit* u : Units)
      if (u && !u->IsDead()) leader = u;
  return leader;
}

bool TGroup::HasHero() const {
  return std::any_of(std::begin(Units), std::end(Units), [](const TUnit* u) { return u && u->Hero; });
}

bool TGroup::IsSplitPending() const {
  bool marked = false, unmarked = false;
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (Units[i]) (SplitMarks[i] ? marked : unmarked) = true;
  return marked && unmarked;
}

bool TGroup::HasMovingHero() const {
  if (!IsSplitPending()) return HasHero();
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (IsMoving(*this, i) && Units[i]->Hero) return true;
  return false;
}

i32 TGroup::CheckAddUnit(const TUnit* unit) const {
  if (GetUnitCount() >= MaxGroupUnits) return 1;
  if (HasHero() && unit->Hero) return 2;
  return 0;
}

void TGroup::SetOwner(u8 index) {
  if (index == OwnerIndex) return;
  if (TPlayer* old = GetOwner())
    for (TUnit* u : Units)
      if (u) old->AIHandler->RemoveUnit(u, false);
  OwnerIndex = index;
  if (TPlayer* owner = GetOwner())
    for (TUnit* u : Units)
      if (u) owner->AIHandler->AddUnit(u);
}

TPlayer* TGroup::GetOwner() const { return Scenario ? Scenario->PlayerAt(OwnerIndex) : nullptr; }

// Derived values.

template <class F>
i32 TGroup::Sum(bool movingOnly, F value) const {
  i32 sum = 0;
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (Units[i] && (!movingOnly || !SplitMarks[i])) sum += value(*Units[i]);
  return sum;
}

i32 TGroup::GetMinActionPoints() const {
  i32 best = -1;
  for (i32 i = 0; i < MaxGroupUnits; ++i)
    if (IsMoving(*this, i) && (best < 0 || Units[i]->Effective.ActionPoints.Current < best))
      best = Units[i]->Effective.ActionPoints.Current;
  return best;
}

i32 TGroup::GetMinMaxActionPoints() const {
  i32 best = -1;
  for (i32 i = 0; i < MaxGroupUnits; ++i) {
    if (!IsMoving(*this, i)) continue;
    const TUnitProperties& e = Units[i]->Effective;
    i32 max = e.ActionPoints.ValueAt(e.Level);
    if (best < 0 || max < best) best = max;
  }
  return best;
}

i32 TGroup::GetManaSum() const { return Sum(true, [](const TUnit& u) { return u.Effective.Mana.Current; }); }
i32 TGroup::GetMaxManaSum() const {
  return Sum(true, [](const TUnit& u) { return u.Effective.Mana.ValueAt(u.Effective.Level); });
}
i32 TGroup::GetHitPointsSum() const { return Sum(true, [](const TUnit& u) { return u.Effective.HitPoints.Current; }); }
i32 TGroup::GetMaxHitPointsSum() const {
  return Sum(true, [](const TUnit& u) { return u.Effective.HitPoints.ValueAt(u.Effective.Level); });
}
i32 TGroup::GetTotalActionPoints() const {
  return Sum(false, [](const TUnit& u) { return u.Effective.ActionPoints.Current; });
}
i32 TGroup::GetTotalHitPoints() const {
  return Sum(false, [](const TUnit& u) { return u.Effective.HitPoints.Current; });
}
i32 TGroup::GetTotalMaxHitPoints() const {
  return Sum(false, [](const TUnit& u) { return u.Effective.HitPoints.ValueAt(u.Effective.Level); });
}
i32 TGroup::GetTotalMana() const { return Sum(false, [](const TUnit& u) { return u.Effective.Mana.Current; }); }
i32 TGroup::GetTotalAttack() const { return Sum(false, [](const TUnit& u) { return u.Effective.Attack.Current; }); }
i32 TGroup::GetTotalDefence() const {
  return Sum(false, [](const TUnit& u) { return u.Effective.Defence.Current; });
}
i32 TGroup::CountKnownSpells() const { return Sum(false, [](const TUnit& u) { return u.CountKnownSpells(); }); }

i32 TGroup::GetSight() const {
  i32 sight = 2;
  for (const TUnit* u : Units)
    if (u) sight = std::max<i32>(sight, u->Effective.Sight.Current);
  return sight;
}

i32 TGroup::GetLowestHitPoints() const {
  i32 v = INT32_MAX;
  for (const TUnit* u : Units)
    if (u) v = std::min<i32>(v, u->Effective.HitPoints.Current);
  return v;
}

i32 TGroup::GetLowestMorale() const {
  i32 v = INT32_MAX;
  for (const TUnit* u : Units)
    if (u) v = std::min<i32>(v, u->Effective.Morale);
  return v;
}

i32 TGroup::GetWeakestMaxHitPoints() const {
  const TUnit* weakest = nullptr;
  for (const TUnit* u : Units)
    if (u && (!weakest || u->Effective.HitPoints.Current < weakest->Effective.HitPoints.Current)) weakest = u;
  return weakest ? weakest->Effective.HitPoints.ValueAt(weakest->Effective.Level) : 0;
}

// The three maxima start from slot 0; an empty group has none and gives 0.
i32 TGroup::GetHighestMorale() const {
  i32 v = Units[0] ? Units[0]->Effective.Morale : 0;
  for (const TUnit* u : Units)
    if (u) v = std::max<i32>(v, u->Effective.Morale);
  return v;
}

i32 TGroup::GetHighestLevel() const {
  i32 v = Units[0] ? Units[0]->Effective.Level : 0;
  for (const TUnit* u : Units)
    if (u) v = std::max<i32>(v, u->Effective.Level);
  return v;
}

i32 TGroup::GetHighestSight() const {
  i32 v = Units[0] ? Units[0]->Effective.Sight.Current : 0;
  for (const TUnit* u : Units)
    if (u) v = std::max<i32>(v, u->Effective.Sight.Current);
  return v;
}

namespace {

template <class F>
i32 EstimateAgainst(const TGroup& own, const TGroup* enemy, bool readyOnly, F blow) {
  i32 sum = 0;
  for (TUnit* u : own.Units) {
    if (!u || (readyOnly && !u->CanAttack())) continue;
    i32 best = 0;
    for (TUnit* e : enemy->Units)
      if (e) best = std::max(best, blow(*u, e));
    sum += best;
  }
  return sum;
}

}  // namespace

i32 TGroup::EstimateAttackDamage(const TGroup* enemy) const {
  return EstimateAgainst(*this, enemy, false, [](const TUnit& u, const TUnit* e) { return u.EstimateAttackDamage(e); });
}
i32 TGroup::EstimateReadyAttackDamage(const TGroup* enemy) const {
  return EstimateAgainst(*this, enemy, true, [](const TUnit& u, const TUnit* e) { return u.EstimateAttackDamage(e); });
}
i32 TGroup::EstimateCounterAttackDamage(const TGroup* enemy) const {
  return EstimateAgainst(*this, enemy, false,
                         [](const TUnit& u, const TUnit* e) { return u.EstimateCounterAttackDamage(e); });
}
i32 TGroup::EstimateReadyCounterAttackDamage(const TGroup* enemy) const {
  return EstimateAgainst(*this, enemy, true,
                         [](const TUnit& u, const TUnit* e) { return u.EstimateCounterAttackDamage(e); });
}

void TGroup::NewTurn() {
  for (TUnit* u : Units)
    if (u) u->NewTurn();
}

void TGroup::AgeWounds() {
  for (TUnit* u : Units)
    if (u) u->AgeWounds();
}

bool TGroup::IsDefeated() const {
  return std::none_of(std::begin(Units), std::end(Units), [](const TUnit* u) { return u && !u->IsDead(); });
}

bool TGroup::CanAttack() const {
  return std::any_of(std::begin(Units), std::end(Units), [](const TUnit* u) { return u && u->CanAttack(); });
}

bool TGroup::CanEnter(const TLocation* location) const {
  return std::all_of(std::begin(Units), std::end(Units),
                     [location](const TUnit* u) { return !u || u->CanEnter(location); });
}

bool TGroup::CheckDying() {
  if (std::none_of(std::begin(Units), std::end(Units), [](const TUnit* u) { return u && u->IsDead(); }))
    return false;
  PendingAction = 5;
  return true;
}

void TGroup::PayEntryCost(const TLocation* location) {
  i32 cost = GetEntryCost(location);
  for (TUnit* u : Units)
    if (u) u->AddActionPoints(-cost);
}

// Directions.

u8 TGroup::StepDirection(i32 x0, i32 y0, i32 x1, i32 y1) {
  i32 dx = (x1 > x0) - (x1 < x0), dy = (y1 > y0) - (y1 < y0);
  static constexpr u8 table[3][3] = {
      // dy -1, 0, +1 for dx -1, 0, +1
      {dNorthWest, dWest, dSouthWest},
      {dNorth, dSouth, dSouth},
      {dNorthEast, dEast, dSouthEast},
  };
  return table[dx + 1][dy + 1];
}

u8 TGroup::FacingDirection(i32 x0, i32 y0, i32 x1, i32 y1) {
  double dx = x1 - x0, dy = y0 - y1;
  if (dx == 0 && dy == 0) return 0;
  double a = std::acos(dx / std::sqrt(dx * dx + dy * dy));
  if (dy < 0) a = 2 * std::numbers::pi - a;
  i32 s = static_cast<i32>(a / (std::numbers::pi / 8));
  if (s == 0) s = 16;
  static constexpr u8 directions[8] = {3, 4, 5, 6, 7, 0, 1, 2};
  for (i32 i = 0; i < 8; ++i)
    if (2 * i + 1 <= s && s < 2 * i + 3) return directions[i];
  return dEast;  // within 22.5 degrees of east
}

void TGroup::TurnToField(i32 fx, i32 fy) {
  if (fx == FieldX() && fy == FieldY()) return;
  TurnTo(StepDirection(FieldX(), FieldY(), fx, fy));
}

// Fields.

bool TGroup::IsFieldOccupied(i32 fx, i32 fy) const {
  return Scenario->GetGroupCovering(fx, fy, CampState != csNone ? nullptr : this) != nullptr;
}

bool TGroup::IsFieldTakenByOther(i32 fx, i32 fy) const {
  const TGroup* g = Scenario->OccupantAt(fx, fy);
  return g && (g != this || CampState != csNone);
}

bool TGroup::IsFieldFriendly(i32 fx, i32 fy) const {
  const TGroup* g = Scenario->OccupantAt(fx, fy);
  if (!g) return true;
  const TPlayer* own = GetOwner();
  i32 relation = own ? own->GetRelation(g->GetOwner()) : -1;
  return relation == -2 || relation == 2;
}

bool TGroup::CoversField(i32 fx, i32 fy) const {
  const i32 reach = CampReach();
  return std::abs(fx - FieldX()) <= reach && std::abs(fy - FieldY()) <= reach;
}

void TGroup::MarkFields() {
  const i32 reach = CampReach();
  for (i32 fy = FieldY() - reach; fy <= FieldY() + reach; ++fy)
    for (i32 fx = FieldX() - reach; fx <= FieldX() + reach; ++fx)
      if (Scenario->IsFieldOnMap(fx, fy)) Scenario->Occupancy[Scenario->FieldIndex(fx, fy)] = this;
}

void TGroup::UpdateOwnerFog() { Scenario->UpdateFogOf(OwnerIndex); }

bool TGroup::IsNearCamp() const {
  bool idle = AnimationState == asIdle || AnimationState == asTurning || AnimationState == asLookingAround;
  if (idle && PendingAction != gaWalk) return false;
  // A camp covers 60 pixels around its group, so every camp that near is
  // among the objects near this group's position.
  thread_local std::vector<TMapObject*> near;
  Scenario->ObjectsNear(X, Y, near);
  for (const TMapObject* o : near) {
    if (o->Type != otGroup || o == this) continue;
    if (static_cast<const TGroup*>(o)->CampState != csCamped) continue;
    i32 dx = o->X - X, dy = o->Y - Y;
    if (dx * dx + dy * dy < 1600) return true;
  }
  return false;
}

// Conversations.

bool TGroup::HasConversation(i32 playerIndex, u32 ownerType) const {
  for (const TUnit* u : Units)
    if (u && Scenario->FindConversation(playerIndex, ownerType, u->ID, 1)) return true;
  return false;
}

void TGroup::TriggerConversations(i32 playerIndex, u32 ownerType) {
  TUnit* leader = GetLeader();
  if (leader) Scenario->TriggerConversations(playerIndex, ownerType, leader->ID);
  for (TUnit* u : Units)
    if (u && u != leader) Scenario->TriggerConversations(playerIndex, ownerType, u->ID);
}

bool TGroup::TriggerAreaConversations(u32 ownerType) {
  bool started = false;
  for (TArea* area : Scenario->Areas.Items)
    if (area->ContainsField(FieldX(), FieldY()) && Scenario->TriggerConversations(OwnerIndex, ownerType, area->ID))
      started = true;
  return started;
}

void TGroup::NotifyEnteredCity(const TCity* city) {
  for (i32 p = 0; p < Scenario->PlayerCount(); ++p) {
    if (p == OwnerIndex) continue;
    TPlayer* player = Scenario->PlayerAt(p);
    for (TUnit* u : Units)
      if (u)
        player->AddNotification(new TNotification{4, static_cast<i16>(FieldX()), static_cast<i16>(FieldY()), u->ID,
                                                  city->ID});
  }
}

// Picture.

Gfx::TSprite* TGroup::GetSprite() const {
  TUnit* leader = GetLeader();
  if (!leader) return nullptr;
  auto table = [](i32 slot) -> Gfx::TSprite* {
    return Data2::GlobalData ? Data2::GlobalData->SpriteTable[slot] : nullptr;
  };
  if (IsDefeated() || AnimationState == asDying || PendingAction == gaDie) return leader->SpriteOf(MapDie, Direction);
  if (CampState == csCamped) return table(1034 + CampStyle);
  if (CampState == csMaking || CampState == csBreaking) return table(1039 + CampStyle);
  if (AnimationState == asCasting) return leader->SpriteOf(MapCast, Direction);
  if (AnimationState == asTurningOnWalk || AnimationState == asStepping) return leader->SpriteOf(MapWalk, Direction);
  return leader->SpriteOf(MapStand, Direction);
}

i32 TGroup::GetFrame() const {
  TUnit* leader = GetLeader();
  if ((AnimationState == asDying || PendingAction == gaDie) && leader && !leader->IsDead()) return 0;
  return Frame;
}

Base::TRect TGroup::GetRect() const {
  if (CampState == csNone) return {X - 20, Y - 20, X - 20 + 41, Y - 20 + 41};
  return {X - 60, Y - 60, X - 60 + 121, Y - 60 + 121};
}

Base::TRect TGroup::GetMarkerRect() const {
  if (CampState != csNone) return {X - 60, Y - 60, X - 60 + 121, Y - 60 + 121};
  const Gfx::TSprite* marker = GetMarkerSprite();
  if (!marker) return {};
  i32 left = X - marker->HotX, top = Y - marker->HotY;
  return {left, top, left + marker->Width, top + marker->Height};
}

Gfx::TSprite* TGroup::GetMarkerSprite() const {
  if (!Data2::GlobalData) return nullptr;
  return Data2::GlobalData->SpriteTable[OwnerIndex < 5 ? 5 + OwnerIndex : 5];
}

void TGroup::Deselect() {
  TMapObject::Deselect();
  std::fill(std::begin(SplitMarks), std::end(SplitMarks), 0);
}

void TGroup::RandomizeIdleFrame() {
  TUnit* leader = GetLeader();
  if (!leader || !leader->Prototype || AnimationState != asIdle) return;
  if (leader->Prototype->IdleMode != 1 || leader->Prototype->IdlePeriod == 0) return;
  i32 frames = AnimationFrameCount(GetSprite());
  if (frames > 0) Frame = static_cast<u8>(std::rand() % frames);  // picture only
}

void TGroup::ChooseCampStyle() {
  if (CampState != csNone) return;
  for (const TUnit* u : Units)
    if (u && (u->Kind == 2 || u->Kind == 4 || u->Kind == 8)) {
      CampStyle = 4;
      return;
    }
  CampStyle = NextRandom(RandomMain) & 3;
}

}  // namespace GameData
