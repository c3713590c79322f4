// A city: a location a player owns, holding units in its departure group,
// defender slots, city units and hire list, with six merchants and deals.
#pragma once

#include <memory>

#include "engine/data/dynamic_array.h"
#include "engine/data/object_list.h"
#include "world/locations/location.h"
#include "world/locations/merchant.h"
#include "world/units/group.h"

namespace GameData {

class TUnit;
class TPlayer;

struct TFlagInfo {
  static constexpr i32 StreamSize = 12;
  u32 Style;
  i32 X;
  i32 Y;
  void Read(Data::TStream& s) {
    Style = Data::ReadU32(s);
    X = Data::ReadI32(s);
    Y = Data::ReadI32(s);
  }
  void Write(Data::TStream& s) const {
    Data::WriteU32(s, Style);
    Data::WriteI32(s, X);
    Data::WriteI32(s, Y);
  }
};

enum TCityList : i32 { clDeparture = 0, clDefenders = 1, clUnits = 2, clRecruits = 3 };

// Word 1 of a purchase record.
enum TPurchaseKind : u32 {
  pkHireUnit = 0,
  pkRestoreMana = 1,
  pkLearnSpell = 2,
  pkBuySkill = 3,
  pkHealUnit = 4,
  pkBuyHealerSkill = 5,
  pkBuyDrink = 6,
};

constexpr i32 MerchantCount = 6;

class TCity : public TLocation {
 public:
  explicit TCity(TScenario* scenario);
  ~TCity() override;

  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  Gfx::TSprite* GetSprite() const override { return nullptr; }
  void Tick() override;
  Base::TRect GetRect() const override { return OccupiedRect(); }
  bool HitTest(i32 x, i32 y) const override { return OccupiedArea->ContainsField(x / 40, y / 40); }
  void DrawToBitmap(Gfx::TBitmap* target, i32 viewX, i32 viewY, const Base::TRect& screen) override;
  void Draw(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) override;
  void DrawOverlayToBitmap(Gfx::TBitmap* target, i32 viewX, i32 viewY, const Base::TRect& screen) override;
  void DrawOverlay(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) override;
  void Deselect() override;

  TPlayer* GetOwner() const;
  TPlayer* GetUnitOwner(const TUnit* unit) const;

  i32 AddUnit(TUnit* unit, bool registerUnit, bool notify, bool newID);
  i32 AddRecruit(TUnit* unit, bool registerUnit, bool notify, bool newID);
  void RemoveUnitAt(i32 index, bool unregister, bool notify);
  void RemoveUnit(TUnit* unit, bool unregister, bool notify);
  void RemoveRecruitAt(i32 index, bool unregister, bool notify);
  void RemoveRecruit(TUnit* unit, bool unregister, bool notify);
  void SetSlotCount(i32 n);
  i32 CountSlotUnits(i32 slot) const;
  bool SlotHasHero(i32 slot) const;
  i32 FindSlotOfUnit(const TUnit* unit) const;
  bool HasDefenders() const;
  bool IsDefender(const TUnit* unit) const;
  bool ContainsUnit(const TUnit* unit) const;
  bool IsRecruit(const TUnit* unit) const;
  void AddToSlot(i32 slot, TUnit* unit, bool newID, bool notify, bool registerUnit);
  void ClearSlotEntry(i32 entry, bool unregister, bool notify);
  void RemoveFromSlotAt(i32 entry, bool unregister, bool notify);
  void RemoveFromSlot(TUnit* unit, bool unregister, bool notify);
  void RemoveAnyUnit(TUnit* unit, bool unregister, bool notify);
  void RemoveAllUnits(bool notify);
  // 0 may join; 1 full; 2 a second hero; 3 morale too low.
  i32 CanJoinSlot(i32 slot, const TUnit* unit) const;
  void MoveUnit(i32 fromList, u32 unitID, i32 toList, i32 slot);
  void PostMoveUnit(i32 fromList, u32 unitID, i32 toList, i32 slot);
  void SortUnits();
  static int CompareCityUnits(const TUnit* a, const TUnit* b);

  void SetOwner(i32 playerIndex, i32 mode);
  void RemoveHostileUnits();
  void Enter(TGroup* group);
  void Leave();
  void DisbandDepartureGroup();
  void PrepareDefenderGroup(i32 slot);
  void ReleaseDefenderGroup();
  void NewTurn();

  void HireUnit(u32 unitID, i32 playerIndex);
  void RestoreMana(u32 unitID, i32 playerIndex);
  void LearnSpell(i32 spellNumber, u32 unitID, i32 playerIndex);
  void BuySkill(i32 skillID, u32 unitID, i32 playerIndex, bool atHerbalist);
  void HealUnit(u32 unitID, i32 playerIndex);
  void BuyDrink(u32 unitID, i32 playerIndex);
  void PostVisitMerchant(i32 merchantIndex);
  void PostPurchase(u32 kind, u32 unitID, i32 playerIndex, i32 number);

  void GetNearestEntranceField(i32 x, i32 y, i32& fx, i32& fy) const;
  Base::TRect GetFlagRect(i32 index) const;
  Gfx::TSprite* FlagSprite(i32 index) const;
  // The selection corners at the corners of the city's rectangle.
  template <class Target>
  void DrawCorners(Target* target, i32 viewX, i32 viewY, const Base::TRect& screen) const;
  i32 FlagFrame(i32 index) const;

  TInnkeeperMerchant* Innkeeper() const { return static_cast<TInnkeeperMerchant*>(Merchants[0].get()); }
  TMageMerchant* Mage() const { return static_cast<TMageMerchant*>(Merchants[1].get()); }
  TBattleMasterMerchant* BattleMaster() const { return static_cast<TBattleMasterMerchant*>(Merchants[2].get()); }
  THerbalistMerchant* Herbalist() const { return static_cast<THerbalistMerchant*>(Merchants[3].get()); }

  u32 PictureID = 0;
  u32 Reserved1 = 0;
  u8 Owner = NoOwner;
  std::unique_ptr<TGroup> DefenderGroup;
  std::unique_ptr<TGroup> DepartureGroup;
  Data::TDynamicArray<TUnit*> DefenderSlots;
  Data::TObjectList<TUnit> Units{false};
  Data::TObjectList<TUnit> Recruits{false};
  i32 SlotCount = 0;
  u32 Reserved2 = 0;
  u32 MusicID = 0;
  i32 AnchorFieldX = 0;
  i32 AnchorFieldY = 0;
  std::unique_ptr<TArea> Area = std::make_unique<TArea>();
  Data::TDynamicArray<TFlagInfo> Flags;
  u32 Closed = 0;
  std::unique_ptr<TMerchant> Merchants[MerchantCount];

 private:
  // A slot whose three entries exist (the stored entry count may fall short of SlotCount).
  bool IsSlot(i32 slot) const { return slot >= 0 && slot < SlotCount && 3 * slot + 2 < DefenderSlots.Count(); }
  bool IsEntry(i32 entry) const { return entry >= 0 && entry < DefenderSlots.Count(); }
  TUnit* Deal(u32 unitID, i32 playerIndex, TPlayer*& payer) const;
  void NotifyAdd(TPlayer* player, TUnit* unit);
  void NotifyRemove(TPlayer* player, TUnit* unit);
};

}  // namespace GameData
