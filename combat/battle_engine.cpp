#include "combat/battle_engine.h"

#include <stdexcept>
#include <string>

#include "combat/fight.h"
#include "combat/fight_orders.h"
#include "engine/athread/action_thread.h"
#include "world/scenario/battle_rules.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameData {

namespace {

// Rounds of an unseen battle end long before this; spells that give action
// points back must not keep one going for ever.
constexpr i32 MaxUnseenRounds = 200;

void TakeOrders(TFight& fight, bool attackerSide) {
  if (attackerSide)
    fight.StartAttackerOrders();
  else
    fight.StartDefenderOrders();
  // Waits for the worker; its failure is raised here, on the main thread.
  fight.OrderThread->Stop();
  const bool succeeded = fight.OrderThread->Succeeded != 0;
  const std::string message = fight.OrderThread->ErrorMessage;
  fight.FreeOrderThread();
  if (!succeeded) throw std::runtime_error(message);
}

class TBattleEngine : public TBattleRules {
 public:
  void ChooseOrders(TPlayer*, TFight* fight, bool attackerSide, bool allowSpells) override {
    if (attackerSide)
      ChooseAttackerOrders(fight, allowSpells);
    else
      ChooseDefenderOrders(fight, allowSpells);
  }

  void ChooseComputerOrders(TPlayer*, TFight* fight, bool attackerSide) override {
    if (attackerSide)
      ChooseComputerAttackerOrders(fight);
    else
      ChooseComputerDefenderOrders(fight);
  }

  void ResolveBattle(TGroup* attacker, TGroup* defender, i32 defenceBonus) override {
    if (!attacker) return;
    TScenario* scenario = attacker->Scenario;
    // A city's defenders come with the battle screen; until then nothing happens.
    if (!defender) {
      scenario->ClearBattleFlags(attacker, defender);
      return;
    }
    TFight fight;
    fight.Unseen = true;
    fight.SetGroups(attacker, defender);
    fight.SetDefenceBonus(defenceBonus);
    scenario->BattleRunning = 1;
    try {
      for (i32 round = 0; round < MaxUnseenRounds; ++round) {
        if (fight.IsAttackerDefeated() || fight.IsDefenderDefeated() || !attacker->CanAttack()) break;
        TakeOrders(fight, true);
        TakeOrders(fight, false);
        i32 attackerMana, defenderMana;
        bool defenderOk, attackerOk;
        fight.CastSpells(&attackerMana, &defenderMana, false, &defenderOk, &attackerOk);
        fight.ResolveProtectOrders();
        fight.ExecuteAttackerAttacks();
        fight.ExecuteDefenderAttacks();
        fight.ClearActions();
      }
    } catch (...) {
      fight.RemoveBattleEffects();
      scenario->BattleRunning = 0;
      scenario->ClearBattleFlags(attacker, defender);
      throw;
    }
    fight.RemoveBattleEffects();
    fight.Reset();
    scenario->BattleRunning = 0;
    scenario->ClearBattleFlags(attacker, defender);
    const bool attackerStands = !attacker->IsDefeated();
    scenario->RemoveDeadUnits();
    if (attackerStands) scenario->ComputeMoveCosts(attacker->FieldX(), attacker->FieldY(), attacker);
  }
};

TBattleEngine Engine;

}  // namespace

void ConnectCombat() { ConnectBattleRules(&Engine); }

}  // namespace GameData
