#include "game/game_windows.h"

#include <algorithm>

#include "game/game.h"
#include "game/map_window.h"
#include "world/locations/city.h"
#include "world/scenario/battle_rules.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"

namespace Main {

// The command buttons.

bool TButtonWindow::LocalTurn() const {
  const GameData::TPlayer* current = Scenario ? Scenario->PlayerAt(Scenario->CurrentPlayerIndex) : nullptr;
  return current && current == Scenario->ViewingPlayer && current->Kind == GameData::pkHuman;
}

void TButtonWindow::EndTurnClick() {
  if (!LocalTurn()) return;
  GameData::TActionRecord r;
  r.Words[0] = GameData::atEndTurn;
  Scenario->PlayerAt(Scenario->CurrentPlayerIndex)->PostAction(true, r);
}

void TButtonWindow::SelectNextGroup(bool withActionPoints) {
  if (!LocalTurn()) return;
  GameData::TPlayer* current = Scenario->PlayerAt(Scenario->CurrentPlayerIndex);
  const auto& objects = Scenario->MapObjects;
  const i32 n = objects.Count();
  const GameData::TGroup* selected = current->GetSelectedGroup();
  const i32 start = selected ? Scenario->IndexOfMapObject(selected) : -1;
  // Cyclically after the selected group, which is not looked at again.
  for (i32 k = 1; k <= n; ++k) {
    const i32 i = (start + k) % n;
    if (selected && i == start) break;
    const GameData::TMapObject* o = objects[i];
    if (o->Type != GameData::otGroup) continue;
    const auto* g = static_cast<const GameData::TGroup*>(o);
    if (g->GetOwner() != current || (withActionPoints && !g->CanStepOut())) continue;
    GameData::TActionRecord r;
    r.Words[0] = GameData::atSelect;
    r.Words[1] = g->ID;
    current->PostAction(true, r);
    return;
  }
}

void TButtonWindow::NextGroupClick() { SelectNextGroup(false); }
void TButtonWindow::NextActiveGroupClick() { SelectNextGroup(true); }

void TButtonWindow::CampClick() {
  if (!LocalTurn()) return;
  GameData::TPlayer* current = Scenario->PlayerAt(Scenario->CurrentPlayerIndex);
  const GameData::TGroup* g = current->GetSelectedGroup();
  if (!g || current->GetRelationToGroup(g) != GameData::rSelf) return;
  GameData::TActionRecord r;
  if (g->CampState == GameData::csNone) r.Words[0] = GameData::atMakeCamp;
  else if (g->CampState == GameData::csCamped) r.Words[0] = GameData::atBreakCamp;
  else return;
  r.Words[1] = g->ID;
  current->PostAction(true, r);
}

void TButtonWindow::MainMenuClick() {
  if (LocalTurn()) Game->ReturnToMainMenu(0);
}

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
  if (!ViewerIsCurrent()) return;
  Game->MusicRestartPending = 0;
  GameData::PlayMusic(city->MusicID, MusicVolume, 0, false);
  Game->StopSounds();
  Game->HideWindows();
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
    case 0: City->HireUnit(unitID, playerIndex); break;
    case 1: City->RestoreMana(unitID, playerIndex); break;
    case 2: City->LearnSpell(number, unitID, playerIndex); break;
    case 3: City->BuySkill(number, unitID, playerIndex, false); break;
    case 4: City->HealUnit(unitID, playerIndex); break;
    case 5: City->BuySkill(number, unitID, playerIndex, true); break;
    case 6: City->BuyDrink(unitID, playerIndex); break;
    default: break;
  }
}

// The battle screen.

void TFightDialog::StartBattle(GameData::TGroup* attacker, GameData::TGroup* defender) {
  Attacker = attacker;
  Defender = defender;
}

void TFightDialog::StartCityBattle(GameData::TGroup* attacker, GameData::TCity*, i32) {
  Attacker = attacker;
  Defender = nullptr;
}

void TFightDialog::Execute() {
  Game->StopSounds();
  Game->HideWindows();
  Game->PlayBattleMusic();
  ResolveBattle(Attacker, Defender);
  Game->ShowWindows();
  Game->RequestMapMusic();
  if (Game->GroupInfoWindow) Game->GroupInfoWindow->UpdatePanels();
  if (Game->MapWindow) Game->MapWindow->Invalidate();
}

void TFightDialog::ResolveBattle(GameData::TGroup* attacker, GameData::TGroup* defender) {
  if (attacker) GameData::BattleRules().ResolveBattle(attacker, defender, 0);
  Attacker = Defender = nullptr;
}

void TFightDialog::ResolveCityBattle(GameData::TGroup* attacker, GameData::TCity*, i32) {
  ResolveBattle(attacker, nullptr);
}

}  // namespace Main
