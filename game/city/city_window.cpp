#include "game/city/city_window.h"

#include <algorithm>

#include "game/control/game.h"
#include "game/map/map_window.h"
#include "world/locations/city.h"
#include "world/scenario/battle_rules.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"

namespace Main {

// The city window.

void TCityWindow::SetScenario(GameData::TScenario* scenario) {
  TGameWindow::SetScenario(scenario);
  City = nullptr;
  Building = -1;
}

bool TCityWindow::ViewerIsCurrent() const {
  return Scenario && Scenario->ViewingPlayer && Scenario->ViewingPlayer == Scenario->PlayerAt(Scenario->CurrentPlayerIndex);
}

void TCityWindow::Open(GameData::TCity* city, GameData::TGroup* group) {
  City = city;
  Building = -1;
  city->Enter(group);
  // There is no city screen to leave by yet: a human's group walks out again
  // at once and waits at the gate as the city's departure group. The test is
  // the player's kind, which every machine of a network game knows alike.
  const GameData::TPlayer* player = Scenario ? Scenario->PlayerAt(Scenario->CurrentPlayerIndex) : nullptr;
  if (!player || player->Kind != GameData::pkComputer) {
    city->Leave();
    City = nullptr;
    return;
  }
}

void TCityWindow::CloseCity() {
  if (City) {
    City->Leave();
    if (ViewerIsCurrent()) {
      Game->MusicRestartPending = 0;
      GameData::PlayMusic(Scenario->MusicTracks[0], MusicVolume, 0, false);
      if (Game->MapWindow) Game->MapWindow->Invalidate();
      Game->ShowWindows();
    }
  }
  City = nullptr;
  Building = -1;
}

void TCityWindow::MoveUnit(i32 fromList, u32 unitID, i32 toList, i32 slot) {
  if (City) City->MoveUnit(fromList, unitID, toList, slot);
}

void TCityWindow::VisitMerchant(i32 index) {
  if (!City || index == Building || index < 0 || index >= GameData::MerchantCount) return;
  if (index < 4) Building = index;
  Scenario->TriggerConversations(Scenario->CurrentPlayerIndex, GameData::coMerchant, City->Merchants[index]->ID);
}

void TCityWindow::ExecutePurchase(u32 kind, u32 unitID, i32 playerIndex, i32 number) {
  if (!City) return;
  switch (kind) {
    case GameData::pkHireUnit: City->HireUnit(unitID, playerIndex); break;
    case GameData::pkRestoreMana: City->RestoreMana(unitID, playerIndex); break;
    case GameData::pkLearnSpell: City->LearnSpell(number, unitID, playerIndex); break;
    case GameData::pkBuySkill: City->BuySkill(number, unitID, playerIndex, false); break;
    case GameData::pkHealUnit: City->HealUnit(unitID, playerIndex); break;
    case GameData::pkBuyHealerSkill: City->BuySkill(number, unitID, playerIndex, true); break;
    case GameData::pkBuyDrink: City->BuyDrink(unitID, playerIndex); break;
    default: break;
  }
}

}  // namespace Main
