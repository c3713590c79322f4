#include "combat/battle_engine.h"

#include "world/scenario/battle_rules.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameData {

namespace {

class TBattleEngine : public TBattleRules {
 public:
  void ChooseOrders(TPlayer*, TFight*, bool, bool) override {}
  void ChooseComputerOrders(TPlayer*, TFight*, bool) override {}
  void ResolveBattle(TGroup* attacker, TGroup* defender, i32) override {
    if (attacker) attacker->Scenario->ClearBattleFlags(attacker, defender);
  }
};

TBattleEngine Engine;

}  // namespace

void ConnectCombat() { ConnectBattleRules(&Engine); }

}  // namespace GameData
