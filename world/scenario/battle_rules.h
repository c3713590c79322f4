// What the game world asks of the battle engine: the automatic orders of a
// player's battle side and a battle resolved without a screen. The battle
// engine implements it and connects it at start-up, so the world never
// depends on it.
#pragma once

#include "engine/base/types.h"

namespace GameData {

class TFight;
class TGroup;
class TPlayer;

class TBattleRules {
 public:
  virtual ~TBattleRules() = default;
  // The quick decider for one side of fight (a human owner's automatic orders).
  virtual void ChooseOrders(TPlayer* player, TFight* fight, bool attackerSide, bool allowSpells) = 0;
  // The thorough decider for one side of fight (a computer owner).
  virtual void ChooseComputerOrders(TPlayer* player, TFight* fight, bool attackerSide) = 0;
  // Rounds with automatic orders for both sides until a side is beaten, the
  // attacker cannot attack any more or a side retreats; battle effects removed.
  virtual void ResolveBattle(TGroup* attacker, TGroup* defender, i32 defenceBonus) = 0;
};

// A null pointer disconnects; the rules object outlives every scenario.
void ConnectBattleRules(TBattleRules* rules);
bool IsBattleRulesConnected();
// Raises std::logic_error while none is connected.
TBattleRules& BattleRules();

}  // namespace GameData
