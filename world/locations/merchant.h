// The six shops of a city: a kind, a present flag, pictures and prices.
#pragma once

#include <string>

#include "engine/data/data_object.h"

namespace GameData {

struct TSpellPrototype;
struct TSkillPrototype;

enum TMerchantKind : u32 { mkInnkeeper = 1, mkMage = 2, mkBattleMaster = 3, mkHerbalist = 4, mkCustom = 5 };

constexpr i32 PriceSlots = 64;

class TMerchant : public Data::TDataObject {
 public:
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  const u32 Kind;
  u8 Present = 0;
  u32 Reserved[8] = {};
  std::string Name;
  u32 PictureID = 0;
  std::string ReservedText;
  u32 IconID = 0;
  u32 Reserved2 = 0;

 protected:
  explicit TMerchant(u32 kind) : Kind(kind) {}
};

class TInnkeeperMerchant : public TMerchant {
 public:
  TInnkeeperMerchant() : TMerchant(mkInnkeeper) {}
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  u32 DrinkPrice = 0;
};

class TMageMerchant : public TMerchant {
 public:
  TMageMerchant() : TMerchant(mkMage) {}
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  u32 ManaPrice = 0;
  u32 SpellPrices[PriceSlots] = {};
};

class TBattleMasterMerchant : public TMerchant {
 public:
  TBattleMasterMerchant() : TMerchant(mkBattleMaster) {}
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  u32 Reserved3 = 0;
  u32 SkillPrices[PriceSlots] = {};
};

class THerbalistMerchant : public TMerchant {
 public:
  THerbalistMerchant() : TMerchant(mkHerbalist) {}
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  u32 HealPrice = 0;
  u32 Reserved3 = 0;
  u32 SkillPrices[PriceSlots] = {};
};

class TCustomMerchant : public TMerchant {
 public:
  TCustomMerchant() : TMerchant(mkCustom) {}
};

// The prototypes behind the price slots of the shop lists; null when absent.
const TSpellPrototype* GetSpellByIndex(i32 index);
const TSpellPrototype* GetFightSpellByIndex(i32 index);
const TSkillPrototype* GetSkillByIndex(i32 index);

}  // namespace GameData
