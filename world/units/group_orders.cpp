// The orders a group takes from the dispatcher: walks to a field, to a
// group or into a location, spells and camps; the encounters a walk ends
// in; splitting before a walk and merging after one. An order either
// starts something that reports later, or posts its result at once.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/spell_course.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

// Action points of making or breaking a camp.
constexpr i32 CampCost = 6;
// A camp needs flat, easy ground round it: saved move costs below this.
constexpr i32 CampGroundCost = 10;

}  // namespace

bool TGroup::IsDepartingCityGroup() const {
  const TPlayer* owner = GetOwner();
  const TCity* city = owner ? owner->GetSelectedCity() : nullptr;
  return city && city->DepartureGroup.get() == this && GetUnitCount() > 0;
}

// Walks.

bool TGroup::BeginWalkOrder(bool refreshCosts) {
  DeferredStop = ShortStop = ReasonSighted = ReasonConversation = 0;
  StopField = {};
  if (IsDepartingCityGroup()) {
    const TCity* city = GetOwner()->GetSelectedCity();
    if (refreshCosts) Scenario->ComputeMoveCostsFromArea(*city->EntranceArea, city, this);
    return true;
  }
  // The encounter reports for itself.
  if (EncounterMode || ApproachedMark || InBattle) return false;
  if (CampState != csNone && !IsSplitPending()) {
    PostResult(arNoneLeaving);
    return false;
  }
  if (refreshCosts) RefreshMoveCosts();
  return true;
}

bool TGroup::IsPathStart(i32 fx, i32 fy) const { return Scenario->Path[0] == TField{static_cast<i16>(fx), static_cast<i16>(fy)}; }

bool TGroup::WalkOrStandAt(i32 fx, i32 fy, i32 reserve) {
  if (IsDepartingCityGroup()) {
    if (Scenario->FindPathFromSources(fx, fy, this) < 1) {
      PostResult(arNoPath);
      return false;
    }
    if (!IsPathStart(fx, fy)) {
      MoveAlongPath(fx, fy, reserve);
      return false;
    }
    return LeaveCity(fx, fy, nullptr);
  }
  if (fx != FieldX() || fy != FieldY()) {
    MoveAlongPath(fx, fy, reserve);
    return false;
  }
  return true;
}

void TGroup::MoveTo(i32 fx, i32 fy, i32 reserve, bool refreshCosts) {
  if (!BeginWalkOrder(refreshCosts)) return;
  if (IsDepartingCityGroup()) {
    if (Scenario->FindPathFromSources(fx, fy, this) <= 0) {
      PostResult(arNoPath);
      return;
    }
    if (IsPathStart(fx, fy)) {
      if (LeaveCity(fx, fy, nullptr)) PostResult(arDone);
      return;
    }
  } else if (fx == FieldX() && fy == FieldY()) {
    PostResult(arDone);
    return;
  }
  JoinFlag = 0;
  ApproachMode = amNone;
  TargetGroup = nullptr;
  TargetLocation = nullptr;
  MoveAlongPath(fx, fy, reserve);
}

void TGroup::JoinGroup(TGroup* target, i32 reserve, bool refreshCosts) {
  if (!target) {
    PostResult(arNoPath);
    return;
  }
  if (!BeginWalkOrder(refreshCosts)) return;
  const i32 tx = target->FieldX(), ty = target->FieldY();
  if (IsDepartingCityGroup()) {
    if (Scenario->FindPathFromSources(tx, ty, this) <= 0) {
      PostResult(arNoPath);
      return;
    }
    if (IsPathStart(tx, ty)) {
      if (LeaveCity(tx, ty, target)) {
        Merge(target);
        PostResult(arDone);
      }
      return;
    }
  } else if (tx == FieldX() && ty == FieldY()) {
    Merge(target);
    PostResult(arDone);
    return;
  }
  JoinFlag = 1;
  ApproachMode = amNone;
  TargetGroup = target;
  TargetLocation = nullptr;
  MoveAlongPath(tx, ty, reserve);
}

void TGroup::ApproachGroup(TGroup* target, u8 mode, i32 reserve, bool refreshCosts) {
  if (!target || (mode != amAttack && mode != amMeet)) {
    PostResult(arNoPath);
    return;
  }
  if (!BeginWalkOrder(refreshCosts)) return;
  i32 fx, fy;
  if (!Scenario->FindFieldNextToGroup(target, this, fx, fy)) {
    PostResult(arNoPath);
    return;
  }
  JoinFlag = 0;
  ApproachMode = mode;
  TargetGroup = target;
  TargetLocation = nullptr;
  if (!WalkOrStandAt(fx, fy, reserve)) return;
  if (mode == amAttack)
    StartAttack(target);
  else
    StartMeeting(target);
}

void TGroup::ApproachLocation(TLocation* location, i32 reserve, bool refreshCosts) {
  if (!location) {
    PostResult(arNoPath);
    return;
  }
  if (!BeginWalkOrder(refreshCosts)) return;
  i32 fx, fy;
  if (!Scenario->FindFieldInLocation(location, this, fx, fy)) {
    PostResult(arNoPath);
    return;
  }
  // A hostile city is attacked while it has defenders, else entered and so taken.
  u8 mode = amMeet;
  if (location->Type == otCity) {
    const auto* city = static_cast<const TCity*>(location);
    const TPlayer* owner = GetOwner();
    if (owner && owner->GetRelationToCity(city) == rHostile && city->HasDefenders()) mode = amAttack;
  }
  JoinFlag = 0;
  ApproachMode = mode;
  TargetGroup = nullptr;
  TargetLocation = location;
  if (!WalkOrStandAt(fx, fy, reserve)) return;
  if (mode == amAttack)
    AttackCity(location);
  else
    EnterLocation(location);
}

// What a walk ends in.

void TGroup::StartAttack(TGroup* target) {
  if (!CanAttack()) {
    StopWalk(arNoActionPoints, true);
    return;
  }
  // Turn first: a turn is not taken while an encounter is pending.
  TurnToField(target->FieldX(), target->FieldY());
  target->TurnToField(FieldX(), FieldY());
  TargetGroup = target;
  EncounterMode = amAttack;
  target->ApproachedMark = amAttack;
}

void TGroup::StartMeeting(TGroup* target) {
  TurnToField(target->FieldX(), target->FieldY());
  target->TurnToField(FieldX(), FieldY());
  TargetGroup = target;
  EncounterMode = amMeet;
  target->ApproachedMark = amMeet;
}

void TGroup::EnterLocation(TLocation* location) {
  if (!CanEnter(location)) {
    StopWalk(arNoActionPoints, true);
    return;
  }
  if (location->Type == otBuilding)
    PostToOwner(atEnterBuilding, location->ID);
  else if (location->Type == otCity)
    PostToOwner(atEnterCity, location->ID);
  else
    PostResult(arDone);  // nothing to enter; the turn must go on
}

void TGroup::AttackCity(TLocation* location) {
  if (!CanAttack()) {
    StopWalk(arNoActionPoints, true);
    return;
  }
  if (location->Type == otCity)
    PostToOwner(atAttackCity, location->ID);
  else
    PostResult(arDone);
}

// Spells.

void TGroup::CastSpell(u32 casterUnitID, i32 spellID, i32 fx, i32 fy) {
  DestinationField = {static_cast<i16>(fx), static_cast<i16>(fy)};
  PendingAction = gaCast;
  if (TUnit* leader = GetLeader()) leader->LoadSpriteSet(MapCast);
  const i32 k = Data2::GlobalData ? Data2::GlobalData->FindSpellPrototype(static_cast<i16>(spellID)) : -1;
  CastData.Spell = k >= 0 ? &Data2::GlobalData->SpellPrototypes[k] : nullptr;
  CastData.Volume = Main::SFXVolume;
  CastData.FromX = X;
  CastData.FromY = Y;
  FieldToPixel(fx, fy, CastData.ToX, CastData.ToY);
  CastData.CasterID = casterUnitID;
  // A cast ordered while the last preparation still runs waits for it.
  if (SpellWorker) SpellWorker->Stop();
  PreparedSpell.reset(NewSpellCourse());
  PreparedSpell->Scenario = Scenario;
  // The preparation touches only the new spell; the cast's animation takes
  // it up once the worker is done.
  if (!SpellWorker) SpellWorker = std::make_unique<TActionThread>();
  SpellWorker->SetMethod([this] { PrepareSpell(); });
  SpellWorker->Start(0);
}

void TGroup::FinishSpellPreparation() {
  if (!SpellWorker) return;
  SpellWorker->Stop();
  if (!SpellWorker->Succeeded) {
    PreparedSpell.reset();
    std::string message = SpellWorker->ErrorMessage;
    SpellWorker.reset();
    throw std::runtime_error(message);
  }
}

void TGroup::PrepareSpell() {
  TSpellCourse* spell = PreparedSpell.get();
  if (!spell) return;
  spell->CasterID = CastData.CasterID;
  spell->TargetX = CastData.ToX / FieldSize;
  spell->TargetY = CastData.ToY / FieldSize;
  spell->Init(CastData.Spell, CastData.Volume);
  spell->Start(CastData.FromX, CastData.FromY, CastData.ToX, CastData.ToY);
}

// Camps.

void TGroup::PayCampCost() {
  i32 paid = 0;
  for (bool any = true; any && paid < CampCost;) {
    any = false;
    for (TUnit* u : Units)
      if (u && paid < CampCost && u->Effective.ActionPoints.Current > 0) {
        u->AddActionPoints(-1);
        ++paid;
        any = true;
      }
  }
}

void TGroup::MakeCamp() {
  // The interface gives no such order; it is refused rather than left unanswered.
  if (CampState != csNone) {
    Scenario->UpdateOccupancy();
    PostResult(arBlocked);
    return;
  }
  const bool blocked = !CanMakeCamp();
  if (blocked || GetTotalActionPoints() < CampCost) {
    PostResult(blocked ? arBlocked : arNoActionPoints);
    return;
  }
  PayCampCost();
  CampState = csMaking;
  Frame = 0;
  Scenario->UpdateOccupancy();
}

void TGroup::BreakCamp() {
  if (CampState != csCamped) {
    Scenario->UpdateOccupancy();
    PostResult(arBlocked);
    return;
  }
  if (GetTotalActionPoints() < CampCost) {
    PostResult(arNoActionPoints);
    return;
  }
  PayCampCost();
  CampState = csBreaking;
  // The build animation plays backwards.
  Frame = static_cast<u8>(std::max(0, CampBuildFrames() - 1));
  Scenario->UpdateOccupancy();
}

bool TGroup::IsCampGround(i32 cx, i32 cy, i32 fx, i32 fy) const {
  return Scenario->IsHeightStepPassable(cx, cy, fx, fy) && Scenario->BaseCosts[Scenario->FieldIndex(fx, fy)] < CampGroundCost &&
         !Scenario->GetGroupCovering(fx, fy, this);
}

bool TGroup::CanMakeCamp() const {
  for (i32 d = 0; d < 8; ++d)
    if (!IsCampGround(FieldX(), FieldY(), FieldX() + DirectionStepX[d], FieldY() + DirectionStepY[d])) return false;
  return true;
}

bool TGroup::CanMakeCampAt(i32 fx, i32 fy) const {
  if (fx == FieldX() && fy == FieldY()) return CanMakeCamp();
  if (!Scenario->IsFieldOnMap(fx, fy) || Scenario->BaseCosts[Scenario->FieldIndex(fx, fy)] >= CampGroundCost ||
      Scenario->OccupantAt(fx, fy))
    return false;
  for (i32 d = 0; d < 8; ++d) {
    const i32 x = fx + DirectionStepX[d], y = fy + DirectionStepY[d];
    if ((x != FieldX() || y != FieldY()) && !IsCampGround(fx, fy, x, y)) return false;
  }
  return true;
}

// Splitting and merging.

void TGroup::Split() {
  if (!IsSplitPending()) return;
  auto* stay = new TGroup(Scenario);
  stay->X = X;
  stay->Y = Y;
  stay->OwnerIndex = OwnerIndex;
  stay->Direction = Direction;
  stay->CampStyle = CampStyle;
  stay->CampState = CampState;
  stay->Frame = Frame;
  Scenario->AddMapObject(stay);
  CampState = csNone;
  CampStyle = NextRandom(RandomMain) & 3;
  TUnit* moving[MaxGroupUnits] = {};
  i32 n = 0;
  for (i32 slot = 0; slot < MaxGroupUnits; ++slot) {
    TUnit* u = Units[slot];
    if (!u) continue;
    if (SplitMarks[slot]) {
      u->Container = stay;
      stay->AppendUnit(u);
    } else {
      moving[n++] = u;
    }
  }
  ClearSlots();
  std::copy_n(moving, n, Units);
  std::fill(std::begin(SplitMarks), std::end(SplitMarks), 0);
  MoveHeroesForward();
  stay->MoveHeroesForward();
  Changed = stay->Changed = 1;
  UpdateOwnerFog();
}

void TGroup::Merge(TGroup* other) {
  if (!other || other == this || GetUnitCount() + other->GetUnitCount() > MaxGroupUnits) return;
  Direction = other->Direction;
  TUnit* own[MaxGroupUnits];
  std::copy(std::begin(Units), std::end(Units), own);
  ClearSlots();
  for (TUnit* u : other->Units)
    if (u) {
      u->Container = this;
      AppendUnit(u);
    }
  for (TUnit* u : own)
    if (u) AppendUnit(u);
  other->ClearSlots();
  // The marks named this group's old slots.
  std::fill(std::begin(SplitMarks), std::end(SplitMarks), 0);
  CampState = other->CampState;
  CampStyle = other->CampStyle;
  Frame = other->Frame;
  if (TargetGroup == other) TargetGroup = nullptr;
  Scenario->RemoveMapObject(other, false);
  MoveHeroesForward();
  Changed = 1;
  UpdateOwnerFog();
}

i32 TGroup::CheckMerge(const TGroup* other) const {
  const bool split = IsSplitPending();
  i32 count = 0;
  for (i32 slot = 0; slot < MaxGroupUnits; ++slot)
    if (Units[slot] && (!split || !SplitMarks[slot])) ++count;
  if (count + other->GetUnitCount() > MaxGroupUnits) return 1;
  if (HasMovingHero() && other->HasHero()) return 2;
  return 0;
}

// Costs the city and battle screens ask about.

bool TGroup::CanStepOut() const {
  i32 cheapest = 255;
  for (i32 d = 0; d < 8; ++d) {
    const i32 x = FieldX() + DirectionStepX[d], y = FieldY() + DirectionStepY[d];
    if (Scenario->IsFieldOnMap(x, y)) cheapest = std::min(cheapest, Scenario->StepCost(FieldX(), FieldY(), x, y, GetOwner()));
  }
  return GetMinActionPoints() >= cheapest;
}

bool TGroup::CanRetreat() const {
  const i32 cost = Data2::GlobalData ? Data2::GlobalData->RetreatCost : 0;
  return std::all_of(std::begin(Units), std::end(Units), [cost](const TUnit* u) {
    return !u || u->IsDead() || u->Effective.ActionPoints.Current >= cost;
  });
}

void TGroup::PayRetreatCost() {
  const i32 cost = Data2::GlobalData ? Data2::GlobalData->RetreatCost : 0;
  for (TUnit* u : Units)
    if (u) u->AddActionPoints(-cost);
}

}  // namespace GameData
