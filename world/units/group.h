// A group of one to three units on the map: its record and stream, how
// units join and leave it, the values derived from its units, directions,
// field tests and its picture.
#pragma once

#include "world/map/area.h"
#include "world/map/map_object.h"

namespace GameData {

class TUnit;
class TPlayer;
class TLocation;
class TCity;

// Directions 0..7 and their steps in fields; y grows southward.
enum TDirection : u8 { dSouth, dSouthEast, dEast, dNorthEast, dNorth, dNorthWest, dWest, dSouthWest };
inline constexpr i32 DirectionStepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
inline constexpr i32 DirectionStepY[8] = {1, 1, 0, -1, -1, -1, 0, 1};
enum TCampState : i32 { csNone = 0, csMaking = 1, csCamped = 2, csBreaking = 3 };

constexpr i32 MaxGroupUnits = 3;
constexpr u8 NoOwner = 255;

class TGroup : public TMapObject {
 public:
  explicit TGroup(TScenario* scenario);
  ~TGroup() override = default;

  void Assign(const Data::TDataObject*) override {}
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  Gfx::TSprite* GetSprite() const override;
  i32 GetFrame() const override;
  Base::TRect GetRect() const override;
  Base::TRect GetMarkerRect() const override;
  void DrawGround(Gfx::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) override;
  void DrawOverlay(Gfx::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) override;
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
  i32 GetUnitCount() const;
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
  // Turning on the spot; the walking code animates it.
  void TurnTo(u8 direction);

  bool IsFieldOccupied(i32 fx, i32 fy) const;
  bool IsFieldTakenByOther(i32 fx, i32 fy) const;
  bool IsFieldFriendly(i32 fx, i32 fy) const;
  void MarkFields();
  void UpdateOwnerFog();
  bool IsNearCamp() const;

  bool HasConversation(i32 playerIndex, u32 ownerType) const;
  void TriggerConversations(i32 playerIndex, u32 ownerType);
  bool TriggerAreaConversations(u32 ownerType);
  void NotifyEnteredCity(const TCity* city);
  // Every unit pays the action points of entering the location.
  void PayEntryCost(const TLocation* location);

  Gfx::TSprite* GetMarkerSprite() const;
  void RandomizeIdleFrame();
  void ChooseCampStyle();

  u8 Direction = dSouth;
  u8 OwnerIndex = NoOwner;
  TUnit* Units[MaxGroupUnits] = {};
  u8 SplitMarks[MaxGroupUnits] = {};
  // Movement state.
  u32 TickCounter = 0;
  u16 TicksPerStep = 1;
  i32 PixelsPerStep = 4;
  u8 Frame = 0;
  u8 PendingAction = 0;
  u8 AnimationState = 0;
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
  u8 Reserved = 0;
  u8 DeferredStop = 0;
  u8 ShortStop = 0;
  u32 DeferredReasons = 0;
  TField StopField{};
  u8 StepPaid = 0;
  // Seen by the current player this turn (sightings of the player).
  u8 Sighted = 0;

 private:
  template <class F>
  i32 Sum(bool movingOnly, F value) const;
  void UnitsChanged();
};

}  // namespace GameData
