// The four building panels of the city window, the checks before a purchase
// is posted, and the execution of posted purchases for every player.
#include <algorithm>
#include <string>

#include "controls/sprite_scroll_bar.h"
#include "controls/text_buttons.h"
#include "engine/gfx/sprite.h"
#include "game/city/city_window.h"
#include "game/control/game.h"
#include "game/panels/face_control.h"
#include "game/panels/spell_list_box.h"
#include "game/panels/unit_detail_window.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/data2/prototypes.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

using GameData::TUnit;

namespace {

bool IsHuman(const TUnit* unit) { return unit && unit->Prototype && unit->Prototype->Kind == 1; }

// What filling a pool of the unit to its maximum costs; 0 when it is full.
u64 RefillPrice(const GameData::TUnitProperty& p, i32 level, u32 pricePerPoint) {
  const i32 missing = p.ValueAt(level) - p.Current;
  return missing > 0 ? static_cast<u64>(missing) * pricePerPoint : 0;
}

u64 HirePrice(const TUnit& unit) {
  return static_cast<u64>(std::max<i32>(unit.Effective.Level, 0)) * static_cast<u64>(std::max<i16>(unit.Effective.HirePrice, 0));
}

i32 SkillAPCost(i32 skill) {
  if (!Data2::GlobalData) return 0;
  const i32 index = Data2::GlobalData->FindSkillPrototype(static_cast<i16>(skill));
  return index >= 0 ? Data2::GlobalData->SkillPrototypes[index].APCost : 0;
}

void Say(const char* text) {
  if (Game) Game->AddMessage(text);
}

void SetButton(TMenuButton* b, const char* hint, const std::string& caption, bool enabled) {
  b->Hint = hint;
  b->Caption = caption;
  b->CenterTextX();
  b->SetEnabled(enabled);
}

}  // namespace

// The panels.

void TCityWindow::FillOfferList(i32 list, TOfferTable& table, const u32* prices) {
  FillOffers(table, prices);
  OfferLists[list]->SetItems(table, SelectedUnit);
  if (!SelectedUnit) {
    OfferLists[list]->ItemCount = 0;
    OfferLists[list]->UpdateLayout();
  }
}

void TCityWindow::ShowTavern() {
  CheckSelection();
  if (!City) return;
  PriceDisplay->Icon = PriceIcons[0];
  PriceDisplay->Hint = "Preis f\xFCr ein Bier";
  PriceDisplay->Caption = IsHuman(SelectedUnit) ? std::to_string(City->Innkeeper()->DrinkPrice) : "0";
  SetButton(FirstAction, "Gew\xE4hlter Einheit ein Bier kaufen", "Buy drink", IsHuman(SelectedUnit));
  SetButton(SecondAction, "Gew\xE4hlte Einheit zum Anheuern", "ANHEUERN", City->Recruits.Count() > 0);
  LayoutGrids();
}

void TCityWindow::ShowMageShop() {
  CheckSelection();
  if (!City) return;
  u64 price = 0;
  bool canBuy = false;
  if (SelectedUnit) {
    const GameData::TUnitProperty& mana = SelectedUnit->Effective.Mana;
    const i32 max = mana.ValueAt(SelectedUnit->Effective.Level);
    canBuy = max > 0 && max > mana.Current;
    if (canBuy) price = RefillPrice(mana, SelectedUnit->Effective.Level, City->Mage()->ManaPrice);
  }
  PriceDisplay->Icon = PriceIcons[1];
  PriceDisplay->Hint = "Preis f\xFCr Mana-Regeneration";
  PriceDisplay->Caption = std::to_string(price);
  SetButton(FirstAction, "Gew\xE4hlter Einheit Mana wiederherstellen", "MANA KAUFEN", canBuy);
  FillOfferList(0, SpellItems, City->Mage()->SpellPrices);
  SetButton(SecondAction, "Kaufe gew\xE4hlten Zauberspruch", "KAUFEN", SpellItems[0] > 0);
}

void TCityWindow::ShowBattleMaster() {
  if (!City) return;
  FillOfferList(1, BattleMasterItems, City->BattleMaster()->SkillPrices);
  SetButton(SecondAction, "Gew\xE4hlte F\xE4higkeit verbessern", "KAUFEN", BattleMasterItems[0] > 0);
}

void TCityWindow::ShowHealer() {
  CheckSelection();
  if (!City) return;
  u64 price = 0;
  bool canHeal = false;
  if (SelectedUnit) {
    const GameData::TUnitProperty& hp = SelectedUnit->Effective.HitPoints;
    canHeal = hp.ValueAt(SelectedUnit->Effective.Level) > hp.Current;
    if (canHeal) price = RefillPrice(hp, SelectedUnit->Effective.Level, City->Herbalist()->HealPrice);
  }
  PriceDisplay->Icon = PriceIcons[3];
  PriceDisplay->Hint = "Preis f\xFCr das Heilen von Wunden";
  PriceDisplay->Caption = std::to_string(price);
  SetButton(FirstAction, "Gew\xE4hlte Einheit heilen", "HEILEN", canHeal);
  FillOfferList(2, HerbalistItems, City->Herbalist()->SkillPrices);
  SetButton(SecondAction, "Gew\xE4hlte F\xE4higkeit kaufen", "KAUFEN", HerbalistItems[0] > 0);
}

// The recruit grid.

i32 TCityWindow::RecruitAt(i32 row, i32 column) const {
  if (!City || row < 0 || column < 0) return -1;
  const i32 entry = 7 * (row + (RecruitScroll->IsVisible() ? RecruitScroll->Position : 0)) + column;
  return entry < City->Recruits.Count() ? entry : -1;
}

void TCityWindow::PaintRecruitCell(int row, int column, const Base::TRect& cell, Plat::TSurface* surface) {
  const i32 entry = RecruitAt(row, column);
  if (entry < 0) return;
  TUnit* unit = City->Recruits[entry];
  const i32 owner = unit->OwnerIndex != GameData::NoOwner ? unit->OwnerIndex : Scenario->CurrentPlayerIndex;
  DrawUnitTile(TileFrame, TableSprite(SlotPlayerRing + owner), unit, surface, cell, entry == SelectedRecruit,
               RecruitGrid->IsCellHovered(row, column), true, true, std::to_string(HirePrice(*unit)), TextFont);
}

void TCityWindow::RecruitPressed(int button, int x, int y) {
  i32 row = -1, column = -1;
  RecruitGrid->CellAt(x, y, 0, row, column);
  const i32 entry = RecruitAt(row, column);
  if (entry < 0) return;
  if (button == DXWin::mbRight) {
    if (Game && Game->UnitDetailWindow) Game->UnitDetailWindow->ShowUnit(City->Recruits[entry], 130, 0);
  } else if (button == DXWin::mbLeft) {
    SelectedRecruit = entry;
  }
}

// Checks before posting.

void TCityWindow::FirstActionPressed() {
  if (!City || !SelectedUnit) return;
  const u32 gold = CurrentGold();
  const i32 level = SelectedUnit->Effective.Level;
  switch (Building) {
    case cbTavern:
      if (gold < City->Innkeeper()->DrinkPrice) return Say("Nicht gen\xFCgend Gold f\xFCr ein Bier");
      City->PostPurchase(GameData::pkBuyDrink, SelectedUnit->ID, Scenario->CurrentPlayerIndex, 0);
      break;
    case cbMageShop:
      if (gold < RefillPrice(SelectedUnit->Effective.Mana, level, City->Mage()->ManaPrice))
        return Say("Nicht gen\xFCgend Gold, um Mana wiederherzustellen");
      City->PostPurchase(GameData::pkRestoreMana, SelectedUnit->ID, Scenario->CurrentPlayerIndex, 0);
      break;
    case cbHealer:
      if (gold < RefillPrice(SelectedUnit->Effective.HitPoints, level, City->Herbalist()->HealPrice))
        return Say("Nicht gen\xFCgend Gold, um Einheit zu heilen");
      City->PostPurchase(GameData::pkHealUnit, SelectedUnit->ID, Scenario->CurrentPlayerIndex, 0);
      break;
    default:
      break;
  }
}

void TCityWindow::SecondActionPressed() {
  if (!City) return;
  const u32 gold = CurrentGold();
  if (Building == cbTavern) {
    if (SelectedRecruit < 0 || SelectedRecruit >= City->Recruits.Count()) return;
    TUnit* recruit = City->Recruits[SelectedRecruit];
    if (gold < HirePrice(*recruit)) return Say("Nicht gen\xFCgend Gold, um Einheit anzuheuern");
    City->PostPurchase(GameData::pkHireUnit, recruit->ID, Scenario->CurrentPlayerIndex, 0);
    return;
  }
  if (!SelectedUnit || Building < cbMageShop || Building > cbHealer) return;
  const u32* table = Building == cbMageShop ? SpellItems : Building == cbBattleMaster ? BattleMasterItems : HerbalistItems;
  const i32 item = OfferLists[Building - 1]->ItemIndex;
  if (item < 0 || static_cast<u32>(item) >= table[0]) return;
  const i32 number = static_cast<i32>(table[1 + 2 * item]) + 1;
  const u32 price = table[2 + 2 * item];
  TUnit& u = *SelectedUnit;
  if (Building == cbMageShop) {
    if (u.KnowsSpell(number)) return Say("Die Einheit kennt diesen Zauberspruch bereits");
    if (!u.HasAllowedSpell(number)) return Say("Einheit kann diesen Zauberspruch nicht erlernen");
    if (!u.SpellLevelReached(number))
      return Say("Der Level dieser Einheit ist zu niedrig, um diesen Zauberspruch zu erlernen");
    if (gold < price) return Say("Nicht gen\xFCgend Gold f\xFCr diesen Zauberspruch ");
    City->PostPurchase(GameData::pkLearnSpell, u.ID, Scenario->CurrentPlayerIndex, number);
    return;
  }
  const bool healer = Building == cbHealer;
  if (u.KnowsSkill(number))
    return Say(healer ? "Einheit hat diese F\xE4higkeit bereits" : "Einheit verf\xFCgt bereits \xFC" "ber diese F\xE4higkeit");
  if (!u.HasAllowedSkill(number)) return Say("Einheit kann diese F\xE4higkeit nicht erwerben");
  if (!u.SkillLevelReached(number))
    return Say(healer ? "Level der Einheit reicht nicht aus, um diese F\xE4higkeit zu erwerben"
                      : "Level der Einheit zu niedrig, um diese F\xE4higkeit zu erwerben");
  if (gold < price)
    return Say(healer ? "Nicht gen\xFCgend Gold, um diese F\xE4higkeit zu erwerben"
                      : "Nicht gen\xFCgend Gold, um diese F\xE4higkeit zu verbessern");
  if (SkillAPCost(number) > u.Effective.ActionPoints.Current) return Say("Nicht gen\xFCgend Aktionspunkte!");
  City->PostPurchase(healer ? GameData::pkBuyHealerSkill : GameData::pkBuySkill, u.ID, Scenario->CurrentPlayerIndex,
                     number);
}

// Executing.

bool TCityWindow::PurchaseIsSound(u32 kind, TUnit* unit, i32 playerIndex, i32 number) const {
  if (!unit || playerIndex != Scenario->CurrentPlayerIndex) return false;
  const GameData::TPlayer* payer = Scenario->PlayerAt(playerIndex);
  if (!payer) return false;
  const bool inCity = City->DepartureGroup->FindUnitByID(unit->ID) == unit || City->ContainsUnit(unit) ||
                      City->IsDefender(unit);
  if (kind == GameData::pkHireUnit) return City->IsRecruit(unit) && HirePrice(*unit) <= payer->Gold;
  if (!inCity) return false;
  const i32 level = unit->Effective.Level;
  u64 price = 0;
  switch (kind) {
    case GameData::pkRestoreMana: price = RefillPrice(unit->Effective.Mana, level, City->Mage()->ManaPrice); break;
    case GameData::pkHealUnit: price = RefillPrice(unit->Effective.HitPoints, level, City->Herbalist()->HealPrice); break;
    case GameData::pkBuyDrink: price = City->Innkeeper()->DrinkPrice; break;
    case GameData::pkLearnSpell:
    case GameData::pkBuySkill:
    case GameData::pkBuyHealerSkill: {
      if (number < 1 || number > GameData::PriceSlots) return false;
      const u32* prices = kind == GameData::pkLearnSpell  ? City->Mage()->SpellPrices
                          : kind == GameData::pkBuySkill ? City->BattleMaster()->SkillPrices
                                                         : City->Herbalist()->SkillPrices;
      price = prices[number - 1];
      // Only what the merchant sells can be bought.
      if (price == 0) return false;
      break;
    }
    default:
      return false;
  }
  return price <= payer->Gold;
}

void TCityWindow::ExecutePurchase(u32 kind, u32 unitID, i32 playerIndex, i32 number) {
  if (!City || !Scenario) return;
  if (!PurchaseIsSound(kind, Scenario->FindUnit(unitID), playerIndex, number)) return;
  const char* message = nullptr;
  switch (kind) {
    case GameData::pkHireUnit:
      City->HireUnit(unitID, playerIndex);
      message = "Einheit angeheuert";
      break;
    case GameData::pkRestoreMana:
      City->RestoreMana(unitID, playerIndex);
      message = "Mana wiederhergestellt";
      break;
    case GameData::pkLearnSpell:
      City->LearnSpell(number, unitID, playerIndex);
      message = "Zauberspruch schon erworben";
      break;
    case GameData::pkBuySkill:
      City->BuySkill(number, unitID, playerIndex, false);
      message = "F\xE4higkeit erworben";
      break;
    case GameData::pkHealUnit:
      City->HealUnit(unitID, playerIndex);
      message = "Einheit geheilt";
      break;
    case GameData::pkBuyHealerSkill:
      City->BuySkill(number, unitID, playerIndex, true);
      message = "F\xE4higkeit erworben";
      break;
    case GameData::pkBuyDrink:
      City->BuyDrink(unitID, playerIndex);
      message = "Bier gekauft";
      break;
    default:
      return;
  }
  if (!ViewerIsCurrent()) return;
  switch (kind) {
    case GameData::pkHireUnit: {
      const i32 count = City->Recruits.Count();
      if (SelectedRecruit >= count) SelectedRecruit = count - 1;
      ShowTavern();
      break;
    }
    case GameData::pkBuyDrink: ShowTavern(); break;
    case GameData::pkRestoreMana:
    case GameData::pkLearnSpell: ShowMageShop(); break;
    case GameData::pkBuySkill: ShowBattleMaster(); break;
    default: ShowHealer(); break;
  }
  Say(message);
  UpdatePanels();
}

}  // namespace Main
