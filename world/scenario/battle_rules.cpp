#include "world/scenario/battle_rules.h"

#include <stdexcept>

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

}  // namespace GameData
