// A group's tick: turning, walking from field centre to field centre and
// paying for each step, stopping at sightings, the encounters a walk ends
// in, and the camp, cast and dying animations. Every machine of a network
// game runs the same ticks on the same data; only pictures (idle frames,
// looking round, corpse pictures) draw from the run-time generator.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/map/drawing.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/scenario/spell_course.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

constexpr i32 CampSprite = 1034;
constexpr i32 CampBuildSprite = 1039;

// The frames an animation cycles through; a missing picture counts one.
i32 FrameCount(const Gfx::TSprite* sprite) { return std::max(1, AnimationFrameCount(sprite)); }

Gfx::TSprite* TableSprite(i32 slot) {
  if (!Data2::GlobalData || slot < 0 || slot >= Data2::SpriteTableSize) return nullptr;
  return Data2::GlobalData->SpriteTable[slot];
}

i32 Toward(i32 from, i32 to, i32 pixels) {
  if (to > from) return std::min(to, from + pixels);
  return std::max(to, from - pixels);
}

bool IsTurning(u8 state) {
  return state == asTurning || state == asTurningToWalk || state == asTurningOnWalk || state == asTurningToCast ||
         state == asLookingAround;
}

}  // namespace

void TGroup::PostResult(u32 code) {
  if (TPlayer* owner = GetOwner()) owner->PostResult(code);
}

void TGroup::PostToOwner(u32 type, u32 word1) {
  TPlayer* owner = GetOwner();
  if (!owner) return;
  TActionRecord record;
  record.Words[0] = type;
  record.Words[1] = word1;
  owner->PostAction(false, record);
}

bool TGroup::IsOtherGroupOn(i32 fx, i32 fy) const { return Scenario->GetGroupCovering(fx, fy, this) != nullptr; }

void TGroup::RefreshMoveCosts() { Scenario->ComputeMoveCosts(FieldX(), FieldY(), this); }

// Pending actions.

void TGroup::TurnTo(u8 direction) {
  if (EncounterMode || ApproachedMark || InBattle || CampState != csNone) return;
  PendingAction = gaTurn;
  OrderedDirection = direction % 8;
}

void TGroup::LookAround() {
  if (EncounterMode || ApproachedMark || InBattle || CampState != csNone) return;
  PendingAction = gaLookAround;
  OrderedDirection = static_cast<u8>((Direction + std::rand() % 3 + 7) % 8);  // picture only
}

void TGroup::Stop() {
  if (EncounterMode || ApproachedMark || InBattle) return;
  PendingAction = gaStop;
}

void TGroup::EndWalk() {
  AnimationState = asIdle;
  if (TUnit* leader = GetLeader()) leader->ReleaseSpriteSet(MapWalk);
}

void TGroup::EndCast() {
  AnimationState = asIdle;
  if (TUnit* leader = GetLeader()) leader->ReleaseSpriteSet(MapCast);
}

void TGroup::BecomeIdle() {
  if (AnimationState == asLookingAround)
    AnimationState = asIdle;
  else
    EndWalk();
}

void TGroup::StopWalk(u32 result, bool outOfPoints) {
  if (outOfPoints)
    if (TPlayer* owner = GetOwner()) owner->OutOfActionPoints = 1;
  EndWalk();
  RefreshMoveCosts();
  PostResult(result);
}

// Planning a walk.

void TGroup::MoveAlongPath(i32 fx, i32 fy, i32 reserve) {
  StepPaid = 0;
  const bool departing = IsDepartingCityGroup();
  const i32 n = departing ? Scenario->FindPathFromSources(fx, fy, this)
                          : Scenario->FindPath(FieldX(), FieldY(), fx, fy, this);
  if (n <= 0) {
    PostResult(arNoPath);
    return;
  }
  const TField* path = Scenario->Path;
  auto costAt = [&](i32 k) { return Scenario->MoveCosts[Scenario->FieldIndex(path[k].x, path[k].y)]; };
  const i32 available = GetMinActionPoints() - reserve;
  i32 stop = -1;
  for (i32 k = 0; k < n && stop < 0; ++k)
    if (costAt(k) > available) stop = k;
  if (stop < 0 && ApproachMode == amMeet && TargetLocation &&
      available - GetEntryCost(TargetLocation) < costAt(n - 1))
    stop = n;  // the entrance is reached, entering is not paid for
  i32 back = -1;
  if (stop >= 0) {
    back = stop - 1;
    while (back >= 0 && IsFieldOccupied(path[back].x, path[back].y)) --back;
    if (back != stop - 1 || ApproachMode == amMeet) {
      ShortStop = 1;
      if (back >= 0) StopField = path[back];
    }
  }
  if (costAt(0) > available || (ShortStop && back < 0)) {
    if (TPlayer* owner = GetOwner()) owner->OutOfActionPoints = 1;
    PostResult(arNoActionPoints);
    return;
  }
  bool goOn = true;
  if (departing) {
    goOn = LeaveCity(path[0].x, path[0].y, nullptr);
    PathIndex = 1;
  } else {
    Split();
    PathIndex = 0;
  }
  if (!goOn) return;
  PendingAction = gaWalk;
  WalkStartField = {static_cast<i16>(FieldX()), static_cast<i16>(FieldY())};
  DestinationField = {static_cast<i16>(fx), static_cast<i16>(fy)};
  ActionPointReserve = reserve;
  if (TUnit* leader = GetLeader()) leader->LoadSpriteSet(MapWalk);
}

void TGroup::UpdateSpeed() {
  // Percent of the base step time by the movement-speed setting.
  static constexpr i32 Percent[11] = {240, 180, 133, 66, 0, 0, 0, 0, 0, 0, 0};
  const i32 p = Percent[std::clamp(Main::MovementSpeed, 0, 10)];
  PixelsPerStep = 4;
  TicksPerStep = static_cast<u16>(std::max(1, (3 * p + 50) / 100));
  // A foreign group the viewer sees neither here nor there crosses a field a tick.
  const TPlayer* viewer = Scenario->ViewingPlayer;
  const TPlayer* owner = GetOwner();
  if (owner && viewer && viewer != owner && !viewer->IsFieldVisible(CurrentField.x, CurrentField.y) &&
      !viewer->IsFieldVisible(NextField.x, NextField.y)) {
    TicksPerStep = 1;
    PixelsPerStep = 40;
  }
}

bool TGroup::LeaveCity(i32 fx, i32 fy, TGroup* joinTarget) {
  TPlayer* owner = GetOwner();
  TCity* city = owner ? owner->GetSelectedCity() : nullptr;
  if (!city || city->DepartureGroup.get() != this) {
    PostResult(arNoPath);
    return false;
  }
  i32 px, py;
  FieldToPixel(fx, fy, px, py);
  X = static_cast<i16>(px);
  Y = static_cast<i16>(py);
  Direction = StepDirection(city->AnchorFieldX, city->AnchorFieldY, fx, fy);
  OwnerIndex = static_cast<u8>(Scenario->CurrentPlayerIndex);
  // The map takes the group over; the city gets a new, empty departure group.
  TGroup* self = city->DepartureGroup.release();
  city->DepartureGroup = std::make_unique<TGroup>(Scenario);
  city->DepartureGroup->OwnerIndex = OwnerIndex;
  Scenario->AddMapObject(self);
  if (TPlayer* current = Scenario->PlayerAt(Scenario->CurrentPlayerIndex)) current->Select(this);
  UpdateOwnerFog();
  NotifyMovementSeen();
  owner = GetOwner();
  const bool sighted = owner && owner->SightingStop;
  const TGroup* there = Scenario->GetGroupCovering(fx, fy, this);
  if (sighted && there && there != joinTarget) {
    DeferredStop = 1;
    ReasonSighted = 1;
    ReasonConversation = 0;
  } else if (sighted) {
    if (joinTarget) Merge(joinTarget);
    RefreshMoveCosts();
    PostResult(arSighted);
    return false;
  }
  if (ShortStop && fx == StopField.x && fy == StopField.y) {
    if (owner) owner->OutOfActionPoints = 1;
    RefreshMoveCosts();
    PostResult(arNoActionPoints);
    return false;
  }
  return true;
}

void TGroup::NotifyMovementSeen() {
  for (i32 p = 0; p < Scenario->PlayerCount(); ++p) {
    TPlayer* player = Scenario->PlayerAt(p);
    if (p == OwnerIndex || !player->IsFieldVisible(FieldX(), FieldY())) continue;
    for (const TUnit* u : Units)
      if (u)
        player->AddNotification(
            new TNotification{1, static_cast<i16>(FieldX()), static_cast<i16>(FieldY()), u->ID, 0});
  }
}

// The tick.

void TGroup::Tick() {
  TMapObject::Tick();
  if (Selected) Changed = 1;
  if (!Scenario) return;
  AgeWounds();
  UpdateCaption();
  ++TickCounter;
  AnimateCamp();
  AnimateIdle();
  const bool processing = AnimationState == asStepping ? TickCounter % std::max<u16>(TicksPerStep, 1) == 0
                                                       : TickCounter % 5 == 0;
  if (processing) {
    TakePendingAction();
    Animate();
  }
  CheckEncounter();
}

bool TGroup::ComposeCaption(const TPlayer* viewer, std::string& out) const {
  if (!viewer) return false;
  const char* kind;
  switch (viewer->GetRelation(GetOwner())) {
    case rHostile: kind = "Feindliche Gruppe"; break;
    case rSelf: kind = "Deine Gruppe"; break;
    case rNeutral: kind = "Neutrale Gruppe"; break;
    case rAllied: kind = "Verb\xFCndete Gruppe"; break;
    default: return false;
  }
  out = kind;
  out += ":\n";
  const char* separator = "";
  for (const TUnit* u : Units)
    if (u) {
      out += separator;
      out += u->GetDisplayName();
      separator = ", ";
    }
  return true;
}

bool TGroup::CaptionSourceIs(const TPlayer* viewer, i32 relation) const {
  const TCaptionSource& s = CaptionSource;
  if (s.Viewer != viewer || s.Relation != relation) return false;
  for (i32 i = 0; i < MaxGroupUnits; ++i) {
    const TUnit* u = Units[i];
    if (s.Units[i] != u) return false;
    if (u && (s.Levels[i] != u->Effective.Level || s.Names[i] != u->Name)) return false;
  }
  return true;
}

void TGroup::UpdateCaption() {
  const TPlayer* viewer = Scenario->ViewingPlayer;
  if (!viewer) return;
  const i32 relation = viewer->GetRelation(GetOwner());
  TCaptionSource& s = CaptionSource;
  if (!CaptionSourceIs(viewer, relation)) {
    std::string caption;
    if (!ComposeCaption(viewer, caption)) return;
    s.Viewer = viewer;
    s.Relation = relation;
    for (i32 i = 0; i < MaxGroupUnits; ++i) {
      const TUnit* u = Units[i];
      s.Units[i] = u;
      s.Levels[i] = u ? u->Effective.Level : 0;
      if (u)
        s.Names[i] = u->Name;
      else
        s.Names[i].clear();
    }
    s.Caption = std::move(caption);
  }
  if (Caption != s.Caption) Caption = s.Caption;
}

i32 TGroup::CampBuildFrames() const { return AnimationFrameCount(TableSprite(CampBuildSprite + CampStyle)); }

void TGroup::AnimateCamp() {
  switch (CampState) {
    case csCamped:
      if (TickCounter % 12 == 0) Frame = static_cast<u8>((Frame + 1) % FrameCount(TableSprite(CampSprite + CampStyle)));
      break;
    case csMaking:
      if (TickCounter % 6 != 0) break;
      ++Frame;
      if (Frame >= CampBuildFrames() - 1) {
        Frame = 0;
        CampState = csCamped;
        PostResult(arDone);
      }
      break;
    case csBreaking:
      if (TickCounter % 6 != 0) break;
      if (Frame == 0) {
        CampState = csNone;
        PostResult(arDone);
      } else {
        --Frame;
      }
      break;
    default:
      break;
  }
}

void TGroup::AnimateIdle() {
  if (AnimationState != asIdle || PendingAction != gaNone || EncounterMode || ApproachedMark || InBattle) return;
  // A camp animates itself; the dead lie still.
  if (Scenario->BattleRunning || CampState != csNone || IsDefeated()) return;
  const TUnit* leader = GetLeader();
  if (!leader || !leader->Prototype) return;
  const u32 delay = leader->Prototype->IdlePeriod;
  const bool due = delay != 0 && TickCounter % delay == 0;
  auto advance = [&] { Frame = static_cast<u8>((Frame + 1) % FrameCount(GetSprite())); };
  switch (leader->Prototype->IdleMode) {
    case 0:
      Frame = 0;
      break;
    case 1:
      if (due) advance();
      break;
    case 2:
      if (due && (Frame != 0 || std::rand() % 50 == 0)) advance();  // picture only
      break;
    default:
      break;
  }
  if (TickCounter % 10 == 0 && std::rand() % 70 == 14) LookAround();
}

void TGroup::TakePendingAction() {
  const bool between = AnimationState == asStepping ? !IsFieldCentre(X, Y)
                                                    : AnimationState > asStepping && AnimationState != asLookingAround;
  switch (PendingAction) {
    case gaStop:
      if (between || IsOtherGroupOn(FieldX(), FieldY())) return;
      PendingAction = gaNone;
      if (AnimationState == asLookingAround) {
        AnimationState = asIdle;
      } else {
        EndWalk();
        RefreshMoveCosts();
      }
      PostResult(arDone);
      return;
    case gaTurn:
    case gaLookAround: {
      if (between) return;
      const bool look = PendingAction == gaLookAround;
      PendingAction = gaNone;
      if (Direction != OrderedDirection) {
        AnimationState = look ? asLookingAround : asTurning;
        TurnTarget = OrderedDirection;
      } else {
        BecomeIdle();
      }
      return;
    }
    case gaWalk:
      if (between) return;
      PendingAction = gaNone;
      if (FieldX() == DestinationField.x && FieldY() == DestinationField.y) {
        EndWalk();
        PostResult(arDone);
        return;
      }
      Frame = 2;
      CurrentField = {static_cast<i16>(FieldX()), static_cast<i16>(FieldY())};
      if (!StartFieldStep()) return;
      if (TurnTarget != Direction) {
        AnimationState = asTurningToWalk;
      } else if (!StepAffordable()) {
        StopWalk(arNoActionPoints, true);
      } else {
        AnimationState = asStepping;
      }
      return;
    case gaCast:
      // The spell is prepared when the cast is ordered. A camp keeps its picture.
      if (CampState == csNone) Frame = 0;
      PendingAction = gaNone;
      if (FieldX() == DestinationField.x && FieldY() == DestinationField.y) {
        AnimationState = asCasting;
      } else {
        TurnTarget = FacingDirection(FieldX(), FieldY(), DestinationField.x, DestinationField.y);
        AnimationState = TurnTarget == Direction ? asCasting : asTurningToCast;
      }
      return;
    case gaDie:
      PendingAction = gaNone;
      AnimationState = asDying;
      Frame = 0;
      Scenario->WaitingForDeaths = 1;
      if (Scenario->ViewingPlayer && Scenario->ViewingPlayer->CanSee(this))
        for (const TUnit* u : Units)
          if (u && u->IsDead() && u->Prototype)
            for (TAudioStream* sound : u->Prototype->DeathSounds) PlaySound(sound, Main::SFXVolume);
      return;
    default:
      return;
  }
}

bool TGroup::StartFieldStep() {
  if (PathIndex < 0 || PathIndex >= PathLength) {
    // Only a damaged save gets here: the walk has no next field.
    StopWalk(arNoPath, false);
    return false;
  }
  NextField = Scenario->Path[PathIndex];
  StepPaid = 0;
  UpdateSpeed();
  TurnTarget = StepDirection(CurrentField.x, CurrentField.y, NextField.x, NextField.y);
  return true;
}

bool TGroup::StepAffordable() const {
  const i32 cost = Scenario->StepCost(CurrentField.x, CurrentField.y, NextField.x, NextField.y, GetOwner());
  return cost <= GetMinActionPoints() - ActionPointReserve;
}

void TGroup::PayStep() {
  const i32 cost = Scenario->StepCost(CurrentField.x, CurrentField.y, NextField.x, NextField.y, GetOwner());
  for (TUnit* u : Units)
    if (u) u->AddActionPoints(-cost);
  StepPaid = 1;
}

void TGroup::Animate() {
  if (IsTurning(AnimationState)) {
    TurnStep();
    return;
  }
  switch (AnimationState) {
    case asStepping: StepToNextField(); break;
    case asCasting: AnimateCast(); break;
    case asDying: AnimateDying(); break;
    default: break;
  }
}

void TGroup::TurnStep() {
  const u8 target = TurnTarget % 8;
  if (Direction != target) {
    const i32 right = (target - Direction + 8) % 8, left = (Direction - target + 8) % 8;
    Direction = static_cast<u8>(right <= left ? (Direction + 1) % 8 : (Direction + 7) % 8);
  }
  if (Direction != target) return;
  switch (AnimationState) {
    case asTurning: EndWalk(); break;
    case asLookingAround: AnimationState = asIdle; break;
    case asTurningToCast: AnimationState = asCasting; break;
    default:
      // Facing the next field of a walk.
      Frame = 2;
      if (StepAffordable())
        AnimationState = asStepping;
      else
        StopWalk(arNoActionPoints, true);
      break;
  }
}

void TGroup::StepToNextField() {
  i32 tx, ty;
  FieldToPixel(NextField.x, NextField.y, tx, ty);
  const i32 x = Toward(X, tx, PixelsPerStep), y = Toward(Y, ty, PixelsPerStep);
  if (i32 index = Scenario->IndexOfMapObject(this); index >= 0) {
    Scenario->MoveMapObject(index, x, y);
  } else {
    X = static_cast<i16>(x);
    Y = static_cast<i16>(y);
  }
  if (PixelsPerStep == 4 && Frame == 2 && !StepPaid) PayStep();
  Frame = static_cast<u8>((Frame + 1) % FrameCount(GetSprite()));
  if (X == tx && Y == ty) Arrive();
}

void TGroup::Arrive() {
  // Every field step is paid once, also when the walk picture never showed frame 2.
  if (!StepPaid) PayStep();
  UpdateOwnerFog();
  NotifyMovementSeen();
  const i32 fx = FieldX(), fy = FieldY();
  const TPlayer* owner = GetOwner();
  const bool areaConversation = TriggerAreaConversations(coAreaEntered);
  const bool conversation = areaConversation || (DeferredStop && ReasonConversation);
  const bool sighted = (owner && owner->SightingStop) || (DeferredStop && ReasonSighted);
  const bool atDestination = fx == DestinationField.x && fy == DestinationField.y;
  if (conversation || sighted) {
    if (!IsOtherGroupOn(fx, fy)) {
      EndWalk();
      if (atDestination && JoinFlag) Merge(TargetGroup);
      RefreshMoveCosts();
      PostResult(conversation && !sighted ? arStopped : arSighted);
      return;
    }
    // Nobody stops on another group's field: on to the next free one.
    DeferredStop = 1;
    ReasonSighted = sighted;
    ReasonConversation = conversation;
  }
  if (ShortStop && fx == StopField.x && fy == StopField.y) {
    StopWalk(arNoActionPoints, true);
    return;
  }
  if (atDestination) {
    EndWalk();
    RefreshMoveCosts();
    if (JoinFlag) {
      const bool deferred = DeferredStop;
      Merge(TargetGroup);
      PostResult(deferred ? arSighted : arDone);
    } else if (ApproachMode == amAttack && TargetGroup) {
      StartAttack(TargetGroup);
    } else if (ApproachMode == amAttack && TargetLocation) {
      AttackCity(TargetLocation);
    } else if (ApproachMode == amMeet && TargetGroup) {
      StartMeeting(TargetGroup);
    } else if (ApproachMode == amMeet && TargetLocation) {
      EnterLocation(TargetLocation);
    } else {
      PostResult(arDone);
    }
    return;
  }
  ++PathIndex;
  CurrentField = {static_cast<i16>(fx), static_cast<i16>(fy)};
  if (!StartFieldStep()) return;
  if (TurnTarget != Direction) AnimationState = asTurningOnWalk;
  if (!StepAffordable()) StopWalk(arNoActionPoints, true);
}

void TGroup::AnimateCast() {
  // A camp keeps its picture: the cast happens at once.
  const bool camped = CampState != csNone;
  if (!camped) {
    ++Frame;
    if (Frame < FrameCount(GetSprite())) return;
    Frame = 0;
  }
  EndCast();
  FinishSpellPreparation();
  TUnit* caster = FindUnitByID(CastData.CasterID);
  if (caster && CastData.Spell) {
    caster->AddActionPoints(-CastData.Spell->APCost);
    caster->AddMana(-CastData.Spell->ManaCost);
  }
  if (PreparedSpell)
    Scenario->SetCurrentSpell(PreparedSpell.release());
  else
    PostResult(arDone);
}

void TGroup::AnimateDying() {
  TUnit* leader = GetLeader();
  if (!leader) {
    AnimationState = asIdle;
    Frame = 0;
    return;
  }
  if (Frame < 255) ++Frame;
  const i32 leaderFrames = FrameCount(leader->SpriteOf(MapDie, Direction));
  const bool leaderDone = leader->IsDead() && Frame == leaderFrames;
  for (i32 slot = MaxGroupUnits - 1; slot >= 0; --slot) {
    TUnit* u = Units[slot];
    if (!u) continue;
    const i32 r = std::rand() % 8;  // the corpse picture: picture only
    if (u == leader || !u->IsDead()) continue;
    const Gfx::TSprite* die = u->SpriteOf(MapDie, r);
    if (Frame != FrameCount(die) && !leaderDone) continue;
    auto* corpse = new TNaturalCorpse(Scenario);
    corpse->InitForUnit(*u, r, X, Y);
    Scenario->QueueMapObject(corpse);
    RemoveUnitAt(slot, true, false);
  }
  const bool othersDead =
      std::any_of(std::begin(Units), std::end(Units), [&](const TUnit* u) { return u && u != leader && u->IsDead(); });
  const bool leaderFinished = leader->IsDead() && Frame >= leaderFrames;
  if (!othersDead && (!leader->IsDead() || leaderFinished)) {
    AnimationState = asIdle;
    Frame = 0;
  }
  if (leaderFinished) Frame = static_cast<u8>(leaderFrames - 1);
}

void TGroup::CheckEncounter() {
  if (!EncounterMode || !TargetGroup) return;
  TGroup* target = TargetGroup;
  if (StepDirection(FieldX(), FieldY(), target->FieldX(), target->FieldY()) != Direction) return;
  if (target->CampState == csNone &&
      StepDirection(target->FieldX(), target->FieldY(), FieldX(), FieldY()) != target->Direction)
    return;
  const u8 mode = EncounterMode;
  EncounterMode = 0;
  target->ApproachedMark = 0;
  if (mode == amAttack) {
    InBattle = target->InBattle = 1;
    PostToOwner(atAttackGroup, target->ID);
  } else {
    InBattle = target->InBattle = 0;
    if (GetOwner()) target->TriggerConversations(OwnerIndex, coGroupMet);
    PostToOwner(atResult, arDone);
  }
}

}  // namespace GameData
