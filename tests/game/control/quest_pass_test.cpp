// The quest pass runs whenever the controller executes a result record: the
// demo's first objective is solved once the computer's group is beaten, and
// its final conversation runs.
#include <gtest/gtest.h>

#include "tests/game/game_fixture.h"
#include "world/scenario/conversation.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameTest {
namespace {

using namespace GameData;

using QuestPassInGame = TGameFixture;

TEST_F(QuestPassInGame, BeatingTheComputersGroupSolvesTheDemoObjective) {
  StartMission(1);
  TQuestObjective* objective = nullptr;
  for (TQuestObjective* q : S().QuestObjectives->Items)
    if (q->Name == "Die Grenzmark") objective = q;
  ASSERT_NE(objective, nullptr);
  ASSERT_EQ(objective->State, qsActive);
  const u32 finalID = objective->FinalConversationID;
  TConversation* final = S().Conversations->LookupByID(finalID);
  ASSERT_NE(final, nullptr);
  // The runner removes a conversation marked so once it has run.
  final->Delete = 1;

  Act({atResult, arDone});
  EXPECT_EQ(objective->State, qsActive) << "the wolves still live";
  EXPECT_NE(S().Conversations->LookupByID(finalID), nullptr);

  TGroup* wolves = S().FindGroup(GroupOf(2));
  ASSERT_NE(wolves, nullptr);
  for (TUnit* unit : wolves->Units)
    if (unit) unit->Effective.HitPoints.Current = 0;
  Act({atResult, arDone});
  EXPECT_EQ(objective->State, qsSolved);
  EXPECT_EQ(S().Conversations->LookupByID(finalID), nullptr) << "its final conversation ran";
}

}  // namespace
}  // namespace GameTest
