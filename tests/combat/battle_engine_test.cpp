#include <gtest/gtest.h>

#include "combat/battle_engine.h"
#include "world/scenario/battle_rules.h"

TEST(BattleEngine, ConnectsToTheWorld) {
  GameData::ConnectBattleRules(nullptr);
  EXPECT_THROW(GameData::BattleRules(), std::logic_error);
  GameData::ConnectCombat();
  EXPECT_TRUE(GameData::IsBattleRulesConnected());
}
