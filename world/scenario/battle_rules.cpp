#include "world/scenario/battle_rules.h"

#include <stdexcept>

#include "world/scenario/player.h"

namespace GameData {

namespace {
TBattleRules* Connected = nullptr;
}

void ConnectBattleRules(TBattleRules* rules) { Connected = rules; }
bool IsBattleRulesConnected() { return Connected != nullptr; }

TBattleRules& BattleRules() {
  if (!Connected) throw std::logic_error("No battle engine connected.");
  return *Connected;
}

void TPlayer::ChooseAttackerOrders(TFight* fight, bool allowSpells) {
  BattleRules().ChooseOrders(this, fight, true, allowSpells);
}

void TPlayer::ChooseDefenderOrders(TFight* fight, bool allowSpells) {
  BattleRules().ChooseOrders(this, fight, false, allowSpells);
}

void TPlayer::ChooseComputerAttackerOrders(TFight* fight) { BattleRules().ChooseComputerOrders(this, fight, true); }
void TPlayer::ChooseComputerDefenderOrders(TFight* fight) { BattleRules().ChooseComputerOrders(this, fight, false); }

}  // namespace GameData
