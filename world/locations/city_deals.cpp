// What a city's merchants sell, and the actions the city screen posts.
#include <algorithm>

#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/action.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace GameData {

TUnit* TCity::Deal(u32 unitID, i32 playerIndex, TPlayer*& payer) const {
  payer = Scenario->PlayerAt(playerIndex);
  TUnit* unit = Scenario->FindUnit(unitID);
  return payer ? unit : nullptr;
}

namespace {

void Charge(TPlayer* payer, u64 price) { payer->Gold -= static_cast<u32>(price); }

i32 MissingOf(const TUnitProperty& p, i16 level) { return p.ValueAt(level) - p.Current; }

// Fills a pool of the unit to its maximum at a price per point; the product
// is formed in 64 bits and its low 32 bits are charged.
void RefillPool(TUnit* unit, TPlayer* payer, TUnitProperty TUnitProperties::* pool, u32 pricePerPoint) {
  i32 missing = MissingOf(unit->Effective.*pool, unit->Effective.Level);
  u64 price = static_cast<u64>(static_cast<i64>(missing) * pricePerPoint);
  (unit->Base.*pool).Current = static_cast<i16>((unit->Base.*pool).Current + missing);
  unit->RecalcEffective(true);
  Charge(payer, price);
}

}  // namespace

void TCity::HireUnit(u32 unitID, i32 playerIndex) {
  TPlayer* payer;
  TUnit* unit = Deal(unitID, playerIndex, payer);
  i32 index = unit ? Recruits.IndexOf(unit) : -1;
  if (index < 0) return;
  u32 price = static_cast<u32>(unit->Effective.Level * unit->Effective.HirePrice);
  RemoveRecruitAt(index, false, true);
  unit->OwnerIndex = static_cast<u8>(playerIndex);
  AddUnit(unit, false, true, false);
  Charge(payer, price);
}

void TCity::RestoreMana(u32 unitID, i32 playerIndex) {
  TPlayer* payer;
  TUnit* unit = Deal(unitID, playerIndex, payer);
  if (unit) RefillPool(unit, payer, &TUnitProperties::Mana, Mage()->ManaPrice);
}

void TCity::LearnSpell(i32 spellNumber, u32 unitID, i32 playerIndex) {
  TPlayer* payer;
  TUnit* unit = Deal(unitID, playerIndex, payer);
  if (!unit || spellNumber < 1 || spellNumber > PriceSlots) return;
  unit->LearnSpell(spellNumber);
  Charge(payer, Mage()->SpellPrices[spellNumber - 1]);
}

void TCity::BuySkill(i32 skillID, u32 unitID, i32 playerIndex, bool atHerbalist) {
  TPlayer* payer;
  TUnit* unit = Deal(unitID, playerIndex, payer);
  if (!unit || skillID < 1 || skillID > PriceSlots) return;
  u32 price = atHerbalist ? Herbalist()->SkillPrices[skillID - 1] : BattleMaster()->SkillPrices[skillID - 1];
  unit->LearnSkill(skillID);
  if (Data2::GlobalData) {
    i32 index = Data2::GlobalData->FindSkillPrototype(static_cast<i16>(skillID));
    if (index >= 0) unit->AddActionPoints(-Data2::GlobalData->SkillPrototypes[index].APCost);
  }
  Charge(payer, price);
}

void TCity::HealUnit(u32 unitID, i32 playerIndex) {
  TPlayer* payer;
  TUnit* unit = Deal(unitID, playerIndex, payer);
  if (unit) RefillPool(unit, payer, &TUnitProperties::HitPoints, Herbalist()->HealPrice);
}

void TCity::BuyDrink(u32 unitID, i32 playerIndex) {
  TPlayer* payer;
  TUnit* unit = Deal(unitID, playerIndex, payer);
  if (!unit || !Data2::GlobalData) return;
  const Data2::TGlobalData& g = *Data2::GlobalData;
  i32 gain = std::min(g.DrinkMoraleCap - unit->Effective.Morale, g.DrinkMoraleGain);
  if (gain > 0) unit->AddMorale(gain);
  auto* effect = new TAfterEffect{};
  effect->Properties.Attack.Current = static_cast<i16>(-g.DrinkAttackPenalty);
  effect->Properties.CounterAttack.Current = static_cast<i16>(-g.DrinkAttackPenalty);
  effect->TurnsLeft = g.DrinkPenaltyTurns;
  effect->EffectID = 0;
  unit->AddAfterEffect(effect);
  Charge(payer, Innkeeper()->DrinkPrice);
}

namespace {

void PostToCurrent(TScenario* scenario, const TActionRecord& record) {
  if (TPlayer* current = scenario->PlayerAt(scenario->CurrentPlayerIndex)) current->PostAction(true, record);
}

}  // namespace

void TCity::PostMoveUnit(i32 fromList, u32 unitID, i32 toList, i32 slot) {
  TActionRecord r;
  r.Words[0] = atMoveCityUnit;
  r.Words[1] = static_cast<u32>(fromList);
  r.Words[2] = unitID;
  r.Words[3] = static_cast<u32>(toList);
  r.Words[4] = static_cast<u32>(slot);
  PostToCurrent(Scenario, r);
}

void TCity::PostVisitMerchant(i32 merchantIndex) {
  TActionRecord r;
  r.Words[0] = atVisitMerchant;
  r.Words[1] = static_cast<u32>(merchantIndex);
  PostToCurrent(Scenario, r);
}

void TCity::PostPurchase(u32 kind, u32 unitID, i32 playerIndex, i32 number) {
  TActionRecord r;
  r.Words[0] = atPurchase;
  r.Words[1] = kind;
  r.Words[2] = unitID;
  r.Words[3] = static_cast<u32>(playerIndex);
  r.Words[4] = static_cast<u32>(number);
  PostToCurrent(Scenario, r);
}

}  // namespace GameData
