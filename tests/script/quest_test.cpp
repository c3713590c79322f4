// The quest pass over the scenario's quests and objectives, their state
// changes and final conversations, and the conversation object's own
// operations.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "script/script_connection.h"
#include "tests/world/world_fixture.h"
#include "world/scenario/conversation.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/script_interpreter.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;
using WorldTest::Knight;
using WorldTest::Wolf;

class QuestPass : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    Script::ConnectToWorld();
    MakeScenario(16, 16, 3);
    Scenario->CurrentPlayerIndex = 1;
  }
  void TearDown() override {
    GameData::ConnectScripts(nullptr);
    TWorldFixture::TearDown();
  }

  // An active entry whose script counts its runs in GLOBAL(100 + its number)
  // and returns GLOBAL(200 + its number).
  TQuestObjective* AddEntry(i32 type, i32 player, u32 finalConversation) {
    auto* q = new TQuestObjective;
    q->ID = Scenario->NewID();
    q->Type = type;
    q->FinalConversationID = finalConversation;
    const i32 n = Scenario->QuestObjectives->Count();
    q->Check.Script = "<SET(GLOBAL" + std::to_string(100 + n) + ",GLOBAL" + std::to_string(100 + n) +
                      "+1)><SETRESULT(GLOBAL" + std::to_string(200 + n) + ")>";
    q->SetScenario(Scenario.get());
    Scenario->QuestObjectives->AddSorted(q);
    if (type == qtObjective) q->GiveToPlayer(player);
    return q;
  }
  TConversation* AddConversation() {
    auto* c = new TConversation;
    c->ID = Scenario->NewID();
    c->SetScenario(Scenario.get());
    Scenario->Conversations->AddSorted(c);
    return c;
  }
  i32 Runs(i32 entry) const { return Scenario->Globals[100 + entry]; }
  void Decide(i32 entry, i32 result) { Scenario->Globals[200 + entry] = result; }
};

TEST_F(QuestPass, OnlyTheCurrentPlayersActiveEntriesRunAndAChangeQueuesTheFinalConversation) {
  TConversation* won = AddConversation();
  TConversation* lost = AddConversation();
  AddEntry(qtObjective, 1, won->ID);
  AddEntry(qtObjective, 2, lost->ID);
  TQuestObjective* open = AddEntry(qtObjective, 1, 0);
  open->State = qsNotGiven;

  Scenario->UpdateQuestObjectives();
  EXPECT_EQ(Runs(0), 1);
  EXPECT_EQ(Runs(1), 0) << "player 2 is not the current player";
  EXPECT_EQ(Runs(2), 0) << "not given";
  EXPECT_EQ(Scenario->QuestObjectives->Items[0]->State, qsActive) << "a result of 0 keeps it open";
  EXPECT_EQ(Scenario->PopConversation(), nullptr);

  Decide(0, 1);
  Decide(1, -1);
  Scenario->UpdateQuestObjectives();
  EXPECT_EQ(Scenario->QuestObjectives->Items[0]->State, qsSolved);
  EXPECT_EQ(Scenario->PopConversation(), won);
  Scenario->UpdateQuestObjectives();
  EXPECT_EQ(Runs(0), 2) << "a solved entry runs no more";
  EXPECT_EQ(Scenario->PopConversation(), nullptr) << "queued once";

  Scenario->CurrentPlayerIndex = 2;
  Scenario->UpdateQuestObjectives();
  EXPECT_EQ(Scenario->QuestObjectives->Items[1]->State, qsFailed);
  EXPECT_EQ(Scenario->PopConversation(), lost);
}

TEST_F(QuestPass, QuestsFollowTheirHeroAndFailWhenItIsGone) {
  TConversation* mourning = AddConversation();
  TGroup* group = NewGroup(2, 3, 3, {Knight, Wolf});
  TUnit* hero = group->Units[0];
  TQuestObjective* quest = AddEntry(qtQuest, 0, mourning->ID);
  TQuestObjective* missing = AddEntry(qtObjective, 1, 999);
  quest->GiveToHero(hero->ID);
  EXPECT_EQ(quest->HeroName, hero->Name);
  EXPECT_EQ(quest->PlayerIndex, 1) << "the player index is left to the pass";

  Scenario->CurrentPlayerIndex = 2;
  Scenario->UpdateQuestObjectives();
  EXPECT_EQ(quest->PlayerIndex, 2);
  EXPECT_EQ(Runs(0), 1);

  Scenario->DetachUnit(hero, true, false);
  Scenario->UpdateQuestObjectives();
  EXPECT_EQ(quest->State, qsFailed);
  EXPECT_EQ(Runs(0), 1) << "no script runs for a vanished hero";
  EXPECT_EQ(Scenario->PopConversation(), mourning);
  quest->UpdatePlayerFromHero(false);
  EXPECT_EQ(quest->PlayerIndex, 2) << "a vanished hero changes nothing";
  EXPECT_EQ(missing->State, qsActive) << "player 1's entry waits for its player";
  Scenario->CurrentPlayerIndex = 1;
  Decide(1, 1);
  Scenario->UpdateQuestObjectives();
  EXPECT_EQ(missing->State, qsSolved);
  EXPECT_EQ(Scenario->PopConversation(), nullptr) << "a final conversation that does not exist queues nothing";
}

TEST_F(QuestPass, GivingResettingAndClearing) {
  TGroup* group = NewGroup(1, 3, 3, {Knight});
  TQuestObjective* quest = AddEntry(qtQuest, 0, 0);
  quest->Check.Locals[5] = 9;
  const u32 before = Scenario->NextID;
  quest->GiveToHero(group->Units[0]->ID);
  EXPECT_EQ(quest->State, qsActive);
  EXPECT_EQ(quest->Check.Locals[5], 0) << "a quest starts its count afresh";
  EXPECT_EQ(quest->GivenSerial, before);

  TQuestObjective* objective = AddEntry(qtObjective, 2, 0);
  objective->State = qsSolved;
  objective->Check.Locals[5] = 9;
  objective->GiveToPlayer(1);
  EXPECT_EQ(objective->State, qsActive) << "given again, it is active again";
  EXPECT_EQ(objective->PlayerIndex, 1);
  EXPECT_EQ(objective->Check.Locals[5], 9) << "an objective keeps its count";
  EXPECT_GT(objective->GivenSerial, quest->GivenSerial);

  quest->Reset();
  EXPECT_EQ(quest->State, qsNotGiven);
  EXPECT_EQ(quest->PlayerIndex, 0);
  EXPECT_EQ(quest->HeroID, 0u);
  EXPECT_TRUE(quest->HeroName.empty());
  objective->Clear();
  EXPECT_EQ(objective->PlayerIndex, 1);
  EXPECT_EQ(objective->Check.Owner, objective) << "the check keeps its owner";

  quest->Type = qtQuest;
  quest->HeroID = 31337;
  try {
    quest->UpdatePlayerFromHero(true);
    ADD_FAILURE() << "a missing hero must raise when it must exist";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Hero not in scenario! ID=31337");
  }
}

TEST_F(QuestPass, AScriptErrorEndsThePassAtItsEntry) {
  AddEntry(qtObjective, 1, 0);
  TQuestObjective* broken = AddEntry(qtObjective, 1, 0);
  AddEntry(qtObjective, 1, 0);
  broken->Check.Script = "<SETRESULT(1)><NOSUCHCOMMAND>";
  Decide(0, 1);
  Decide(2, 1);
  EXPECT_THROW(Scenario->UpdateQuestObjectives(), std::runtime_error);
  EXPECT_EQ(Scenario->QuestObjectives->Items[0]->State, qsSolved);
  EXPECT_EQ(broken->State, qsActive) << "an error leaves the entry as it was";
  EXPECT_EQ(Runs(2), 0);
}

TEST_F(QuestPass, ConversationsAreTriggeredOnlyWhenActiveAndMeantForThePlayer) {
  TConversation* c = AddConversation();
  c->TargetPlayers = 5;
  c->OwnerType = coAreaEntered;
  c->OwnerID = 77;
  EXPECT_TRUE(c->IsTargetPlayer(0) && c->IsTargetPlayer(2));
  EXPECT_FALSE(c->IsTargetPlayer(1) || c->IsTargetPlayer(3) || c->IsTargetPlayer(4));
  EXPECT_FALSE(Scenario->TriggerConversations(1, coAreaEntered, 77));
  EXPECT_FALSE(Scenario->TriggerConversations(2, coAreaEntered, 78));
  c->Active = 0;
  EXPECT_FALSE(Scenario->TriggerConversations(2, coAreaEntered, 77));
  c->Active = 1;
  EXPECT_TRUE(Scenario->TriggerConversations(2, coAreaEntered, 77));
  EXPECT_EQ(Scenario->PopConversation(), c);
}

TEST_F(QuestPass, PagesAndAliasesOfAConversation) {
  TConversation* c = AddConversation();
  c->Refresh = 1;
  EXPECT_EQ(c->GetText(0), "") << "no texts: nothing to show";
  EXPECT_EQ(c->Refresh, 0);
  c->Texts = {"<TEXT><0>Hallo<ENDTEXT>"};
  c->Refresh = 1;
  EXPECT_EQ(c->GetText(-1), "");
  EXPECT_EQ(c->GetText(1), "");
  EXPECT_EQ(c->Refresh, 0);
  EXPECT_FALSE(c->GetText(0).empty());
  c->Aliases = {{"Runde", 3}, {"RUNDE", 4}};
  EXPECT_EQ(c->FindAlias("rUNDE"), 3);
  EXPECT_EQ(c->FindAlias("RUND"), -1);
}

}  // namespace
}  // namespace ScriptTest
