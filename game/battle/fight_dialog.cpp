#include "game/battle/fight_dialog.h"

#include <algorithm>

#include "game/control/game.h"
#include "game/map/map_window.h"
#include "game/panels/group_panel.h"
#include "world/locations/city.h"
#include "world/scenario/battle_rules.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"

namespace Main {

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
