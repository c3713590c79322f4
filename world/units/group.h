// A group of one to three units on the map: its record and stream, how
// units join and leave it, the values derived from its units, directions,
// field tests and its picture.
#pragma once

#include <memory>

#include "engine/athread/action_thread.h"
#include "world/map/area.h"
#include "world/map/map_object.h"

namespace GameData {

class TUnit;
class TPlayer;
class TLocation;
class TCity;
class TSpellCourse;
struct TSpellPrototype;

// Directions 0..7 and their steps in fields; y grows southward.
enum TDirection : u8 { dSouth, dSouthEast, dEast, dNorthEast, dNorth, dNorthWest, dWest, dSouthWest };
inline constexpr i32 DirectionStepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
inline constexpr i32 DirectionStepY[8] = {1, 1, 0, -1, -1, -1, 0, 1};
enum TCampState : i32 { csNone = 0, csMaking = 1, csCamped = 2, csBreaking = 3 };
// What a group was ordered to do next; its tick takes it up.
enum TGroupAction : u8 { gaNone, gaStop, gaTurn, gaWalk, gaCast, gaDie, gaLookAround };
enum TGroupAnimState : u8 {
  asIdle,
  asTurning,         // to an ordered direction
  asTurningToWalk,   // toward the first field of a walk
  asTurningOnWalk,   // toward the next field during a walk
  asStepping,        // to the next field
  asTurningToCast,   // toward a spell's target
  asCasting,
  asDying,
  asLookingAround,
};
enum TGroupApproachMode : u8 { amNone, amAttack, amMeet };

// What a cast needs after its preparation: the spell, the volume, where
// from (the group's pixel) and where to (the target field's centre).
struct TCastData {
  const TSpellPrototype* Spell = nullptr;
  i32 Volume = 0;
  i32 FromX = 0, FromY = 0;
  i32 ToX = 0, ToY = 0;
  u32 CasterID = 0;
};

constexpr i32 MaxGroupUnits = 3;
constexpr u8 NoOwner = 255;

class TGroup : public TMapObject {
 public:
  explicit TGroup(TScenario* scenario);
  ~TGroup() override;

  void Assign(const Data::TDataObject*) override {}
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  Gfx::TSprite* GetSprite() const override;
  i32 GetFrame() const override;
  Base::TRect GetRect() const override;
  Base::TRect GetMarkerRect() const override;
  void DrawGround(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) override;
  void DrawOverlay(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) override;
  void Deselect() override;

  // Units. register: the scenario's unit registry; addToAI/notifyAI: the
  // computer opponent of the owner.
  void AddUnit(TUnit* unit, bool registerUnit, bool addToAI, bool newID);
  void RemoveUnitAt(i32 slot, bool unregister, bool notifyAI);
  void RemoveUnit(TUnit* unit, bool unregister, bool notifyAI);
  void RemoveAllUnits(bool notifyAI);
  i32 AppendUnit(TUnit* unit);
  void RemoveSlot(i32 slot);
  void ClearSlots();
  void MoveHeroesForward();
  // The units fill the slots from the front; inline, as battle trials ask
  // for it millions of times.
  i32 GetUnitCount() const {
    i32 n = 0;
    while (n < MaxGroupUnits && Units[n]) ++n;
    return n;
  }
  TUnit* FindUnitByID(u32 id) const;
  TUnit* GetLeader() const;
  bool HasHero() const;
  bool HasMovingHero() const;
  // Some units are marked to stay behind and some are not.
  bool IsSplitPending() const;
  // 0 allowed, 1 full, 2 a second hero.
  i32 CheckAddUnit(const TUnit* unit) const;
  void SetOwner(u8 index);
  TPlayer* GetOwner() const;

  // Values over the units (effective records); the moving units are those
  // without a split mark.
  i32 GetMinActionPoints() const;
  i32 GetMinMaxActionPoints() const;
  i32 GetManaSum() const;
  i32 GetMaxManaSum() const;
  i32 GetHitPointsSum() const;
  i32 GetMaxHitPointsSum() const;
  i32 GetSight() const;
  i32 GetTotalActionPoints() const;
  i32 GetTotalHitPoints() const;
  i32 GetTotalMaxHitPoints() const;
  i32 GetTotalMana() const;
  i32 GetTotalAttack() const;
  i32 GetTotalDefence() const;
  i32 GetLowestHitPoints() const;
  i32 GetLowestMorale() const;
  i32 GetWeakestMaxHitPoints() const;
  i32 GetHighestMorale() const;
  i32 GetHighestLevel() const;
  i32 GetHighestSight() const;
  i32 CountKnownSpells() const;
  i32 EstimateAttackDamage(const TGroup* enemy) const;
  i32 EstimateReadyAttackDamage(const TGroup* enemy) const;
  i32 EstimateCounterAttackDamage(const TGroup* enemy) const;
  i32 EstimateReadyCounterAttackDamage(const TGroup* enemy) const;
  void NewTurn();
  void AgeWounds();
  bool IsDefeated() const;
  bool CanAttack() const;
  bool CanEnter(const TLocation* location) const;
  bool CheckDying();

  static u8 StepDirection(i32 x0, i32 y0, i32 x1, i32 y1);
  static u8 FacingDirection(i32 x0, i32 y0, i32 x1, i32 y1);
  void TurnToField(i32 fx, i32 fy);

  // Movement: the tick walks, turns, camps, casts and dies; the orders
  // below plan and report through the owner's mailbox.
  void Tick() override;
  void TurnTo(u8 direction);
  void LookAround();
  void Stop();
  // Plans the walk to (fx, fy) along the scenario's path, keeping reserve
  // action points; posts NoPath or NoActionPoints when it cannot start.
  void MoveAlongPath(i32 fx, i32 fy, i32 reserve);
  void UpdateSpeed();
  // Puts the departure group of the owner's selected city on the map at
  // (fx, fy); false when the walk ends right there.
  bool LeaveCity(i32 fx, i32 fy, TGroup* joinTarget);
  void NotifyMovementSeen();
  void EndWalk();
  void EndCast();

  // Orders.
  void MoveTo(i32 fx, i32 fy, i32 reserve, bool refreshCosts);
  void JoinGroup(TGroup* target, i32 reserve, bool refreshCosts);
  void ApproachGroup(TGroup* target, u8 mode, i32 reserve, bool refreshCosts);
  void ApproachLocation(TLocation* location, i32 reserve, bool refreshCosts);
  void CastSpell(u32 casterUnitID, i32 spellID, i32 fx, i32 fy);
  // The spell worker's job: the spell's course from the cast data.
  void PrepareSpell();
  // Waits for the worker; its failure is raised here, on the main thread.
  void FinishSpellPreparation();
  void MakeCamp();
  void BreakCamp();
  bool CanMakeCamp() const;
  bool CanMakeCampAt(i32 fx, i32 fy) const;
  void StartAttack(TGroup* target);
  void StartMeeting(TGroup* target);
  void AttackCity(TLocation* location);
  void EnterLocation(TLocation* location);
  // The marked units stay behind as a new group.
  void Split();
  void Merge(TGroup* other);
  // 0 allowed, 1 too many units, 2 two heroes.
  i32 CheckMerge(const TGroup* other) const;
  bool IsDepartingCityGroup() const;
  bool CanStepOut() const;
  bool CanRetreat() const;
  void PayRetreatCost();

  bool IsFieldOccupied(i32 fx, i32 fy) const;
  bool IsFieldTakenByOther(i32 fx, i32 fy) const;
  bool IsFieldFriendly(i32 fx, i32 fy) const;
  void MarkFields();
  // Whether MarkFields enters the group on the field (its own, or its camp's 3 x 3).
  bool CoversField(i32 fx, i32 fy) const;
  i32 CampReach() const { return (CampState == csMaking || CampState == csCamped) ? 1 : 0; }
  void UpdateOwnerFog();
  bool IsNearCamp() const;

  bool HasConversation(i32 playerIndex, u32 ownerType) const;
  void TriggerConversations(i32 playerIndex, u32 ownerType);
  bool TriggerAreaConversations(u32 ownerType);
  void NotifyEnteredCity(const TCity* city);
  // Every unit pays the action points of entering the location.
  void PayEntryCost(const TLocation* location);
  void PostResult(u32 code);

  Gfx::TSprite* GetMarkerSprite() const;
  // The units' damage of the last two seconds, a number per age, x and y
  // being the group's position on the target.
  void DrawWounds(Plat::TSurface* target, i32 x, i32 y, const Base::TRect& screen) const;
  void RandomizeIdleFrame();
  void ChooseCampStyle();
  // The caption for the viewer from scratch; false when it shows none (no
  // viewer, or no relation to the owner).
  bool ComposeCaption(const TPlayer* viewer, std::string& out) const;

  u8 Direction = dSouth;
  u8 OwnerIndex = NoOwner;
  TUnit* Units[MaxGroupUnits] = {};
  u8 SplitMarks[MaxGroupUnits] = {};
  // Movement state.
  u32 TickCounter = 0;
  u16 TicksPerStep = 1;
  i32 PixelsPerStep = 4;
  u8 Frame = 0;
  u8 PendingAction = gaNone;
  u8 AnimationState = asIdle;
  u8 TurnTarget = 0;
  u8 OrderedDirection = 0;
  TField WalkStartField{};
  TField CurrentField{};
  TField NextField{};
  TField DestinationField{};
  i16 PathIndex = 0;
  TGroup* TargetGroup = nullptr;
  TLocation* TargetLocation = nullptr;
  u8 JoinFlag = 0;
  u8 ApproachMode = 0;
  u8 EncounterMode = 0;
  u8 ApproachedMark = 0;
  u8 InBattle = 0;
  i32 ActionPointReserve = 0;
  i32 CampState = csNone;
  i32 CampStyle = 0;
  // The prepared spell until the cast hands it to the scenario.
  std::unique_ptr<TSpellCourse> PreparedSpell;
  TCastData CastData;
  // Prepares PreparedSpell; declared after it, so it ends first.
  std::unique_ptr<TActionThread> SpellWorker;
  u8 Reserved = 0;
  u8 DeferredStop = 0;
  u8 ShortStop = 0;
  u8 ReasonSighted = 0;
  u8 ReasonConversation = 0;
  TField StopField{};
  u8 StepPaid = 0;
  // Seen by the current player this turn (sightings of the player).
  u8 Sighted = 0;

 private:
  template <class F>
  i32 Sum(bool movingOnly, F value) const;
  void UnitsChanged();
  // What the caption was last composed from; it is composed again only when
  // one of these differs (every group, every update step).
  struct TCaptionSource {
    const TPlayer* Viewer = nullptr;
    i32 Relation = -1;
    const TUnit* Units[MaxGroupUnits] = {};
    i32 Levels[MaxGroupUnits] = {};
    std::string Names[MaxGroupUnits];
    std::string Caption;
  };
  bool CaptionSourceIs(const TPlayer* viewer, i32 relation) const;
  TCaptionSource CaptionSource;
  // Parts of the tick.
  void UpdateCaption();
  void AnimateCamp();
  void AnimateIdle();
  void TakePendingAction();
  void Animate();
  void CheckEncounter();
  void TurnStep();
  void StepToNextField();
  void Arrive();
  void AnimateCast();
  void AnimateDying();
  // The step from CurrentField to the next path field; false when the path has none.
  bool StartFieldStep();
  bool StepAffordable() const;
  // Idle after a turn or a look round.
  void BecomeIdle();
  // Ends a walk that cannot go on: no points left, or a stop.
  void StopWalk(u32 result, bool outOfPoints);
  void RefreshMoveCosts();
  void PayStep();
  bool IsOtherGroupOn(i32 fx, i32 fy) const;
  // The common start of the walk orders; false when the order is refused.
  bool BeginWalkOrder(bool refreshCosts);
  bool IsPathStart(i32 fx, i32 fy) const;
  // Walks to (fx, fy), or steps out of the city there; true when the group
  // stands there now and acts at once.
  bool WalkOrStandAt(i32 fx, i32 fy, i32 reserve);
  void PayCampCost();
  i32 CampBuildFrames() const;
  // A field beside a camp at (cx, cy): passable, easy ground, nobody on it.
  bool IsCampGround(i32 cx, i32 cy, i32 fx, i32 fy) const;
  void PostToOwner(u32 type, u32 word1);
};

}  // namespace GameData
