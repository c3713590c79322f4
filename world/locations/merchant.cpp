#include "world/locations/merchant.h"

#include <algorithm>

#include "world/data2/global_data.h"

namespace GameData {

namespace {

void ReadPrices(Data::TStream& s, u32 (&prices)[PriceSlots]) {
  for (u32& p : prices) p = Data::ReadU32(s);
}

void WritePrices(Data::TStream& s, const u32 (&prices)[PriceSlots]) {
  for (u32 p : prices) Data::WriteU32(s, p);
}

}  // namespace

void TMerchant::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Data::CheckData(Data::ReadU32(s) == Kind);
  Present = Data::ReadU8(s);
  for (u32& r : Reserved) r = Data::ReadU32(s);
  Data::ReadString(s, Name);
  PictureID = Data::ReadU32(s);
  Data::ReadString(s, ReservedText);
  IconID = Data::ReadU32(s);
  Reserved2 = Data::ReadU32(s);
}

void TMerchant::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU32(s, Kind);
  Data::WriteU8(s, Present);
  for (u32 r : Reserved) Data::WriteU32(s, r);
  Data::WriteString(s, Name);
  Data::WriteU32(s, PictureID);
  Data::WriteString(s, ReservedText);
  Data::WriteU32(s, IconID);
  Data::WriteU32(s, Reserved2);
}

void TMerchant::Clear() {
  ID = 0;
  Present = 0;
  std::fill(std::begin(Reserved), std::end(Reserved), 0);
  Name.clear();
  PictureID = 0;
  ReservedText.clear();
  IconID = 0;
  Reserved2 = 0;
}

void TInnkeeperMerchant::Load(Data::TStream& s) {
  TMerchant::Load(s);
  DrinkPrice = Data::ReadU32(s);
}
void TInnkeeperMerchant::Save(Data::TStream& s) const {
  TMerchant::Save(s);
  Data::WriteU32(s, DrinkPrice);
}
void TInnkeeperMerchant::Clear() {
  TMerchant::Clear();
  DrinkPrice = 0;
}

void TMageMerchant::Load(Data::TStream& s) {
  TMerchant::Load(s);
  ManaPrice = Data::ReadU32(s);
  ReadPrices(s, SpellPrices);
}
void TMageMerchant::Save(Data::TStream& s) const {
  TMerchant::Save(s);
  Data::WriteU32(s, ManaPrice);
  WritePrices(s, SpellPrices);
}
void TMageMerchant::Clear() {
  TMerchant::Clear();
  ManaPrice = 0;
  std::fill(std::begin(SpellPrices), std::end(SpellPrices), 0);
}

void TBattleMasterMerchant::Load(Data::TStream& s) {
  TMerchant::Load(s);
  Reserved3 = Data::ReadU32(s);
  ReadPrices(s, SkillPrices);
}
void TBattleMasterMerchant::Save(Data::TStream& s) const {
  TMerchant::Save(s);
  Data::WriteU32(s, Reserved3);
  WritePrices(s, SkillPrices);
}
void TBattleMasterMerchant::Clear() {
  TMerchant::Clear();
  Reserved3 = 0;
  std::fill(std::begin(SkillPrices), std::end(SkillPrices), 0);
}

void THerbalistMerchant::Load(Data::TStream& s) {
  TMerchant::Load(s);
  HealPrice = Data::ReadU32(s);
  Reserved3 = Data::ReadU32(s);
  ReadPrices(s, SkillPrices);
}
void THerbalistMerchant::Save(Data::TStream& s) const {
  TMerchant::Save(s);
  Data::WriteU32(s, HealPrice);
  Data::WriteU32(s, Reserved3);
  WritePrices(s, SkillPrices);
}
void THerbalistMerchant::Clear() {
  TMerchant::Clear();
  HealPrice = 0;
  Reserved3 = 0;
  std::fill(std::begin(SkillPrices), std::end(SkillPrices), 0);
}

const TSpellPrototype* GetSpellByIndex(i32 index) {
  if (!Data2::GlobalData) return nullptr;
  i32 i = Data2::GlobalData->FindSpellPrototype(static_cast<i16>(index + 1));
  return i < 0 ? nullptr : &Data2::GlobalData->SpellPrototypes[i];
}

const TSpellPrototype* GetFightSpellByIndex(i32 index) {
  if (!Data2::GlobalData) return nullptr;
  i32 i = Data2::GlobalData->FindSpellPrototype(static_cast<i16>(index + 65));
  return i < 0 ? nullptr : &Data2::GlobalData->SpellPrototypes[i];
}

const TSkillPrototype* GetSkillByIndex(i32 index) {
  if (!Data2::GlobalData) return nullptr;
  i32 i = Data2::GlobalData->FindSkillPrototype(static_cast<i16>(index + 1));
  return i < 0 ? nullptr : &Data2::GlobalData->SkillPrototypes[i];
}

}  // namespace GameData
