// The spell book of the second demo mission, run through the real mark-up
// from the built data: entering the watchtower queues it, and the hero of
// the group that reads it rises a level, learns the spell and wears it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "script/script_connection.h"
#include "tests/world/demo_world.h"
#include "tools/demodata/scenario/demo_events_properties.h"
#include "world/scenario/conversation.h"
#include "world/scenario/script_interpreter.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;

TEST(DemoSpellBook, TheHeroEnteringTheTowerRisesLearnsTheSpellAndWearsIt) {
  Script::ConnectToWorld();
  WorldTest::TDemoWorld world;
  std::unique_ptr<TScenario> s = WorldTest::TDemoWorld::Load(world.ScenarioFile("demo2.scn"));
  TConversation* book = nullptr;
  for (TConversation* c : s->Conversations->Items)
    if (c->Name == Builder::TowerBookConversation) book = c;
  ASSERT_NE(book, nullptr);
  TGroup* party = nullptr;
  for (TMapObject* o : s->MapObjects)
    if (o->Type == otGroup && o->FieldX() == 5 && o->FieldY() == 14) party = static_cast<TGroup*>(o);
  ASSERT_NE(party, nullptr);
  EXPECT_TRUE(s->TriggerConversations(1, coLocationEntered, book->OwnerID));
  EXPECT_EQ(s->PopConversation(), book);

  TUnit* hero = party->Units[0];
  ASSERT_TRUE(hero->Hero);
  const i32 level = hero->Effective.Level, defence = hero->Effective.Defence.Current;
  ASSERT_FALSE(hero->KnowsSpell(Builder::TowerBookSpell));
  book->SetGroup(party);
  EXPECT_EQ(book->GetText(0),
            "<0>Im Wachturm liegt ein altes Zauberbuch. Dein Held liest darin, steigt eine Stufe auf und lernt den "
            "Zauber Steinhaut.");
  EXPECT_EQ(hero->Effective.Level, level + 1);
  EXPECT_EQ(hero->LevelledUp, 1);
  EXPECT_TRUE(hero->KnowsSpell(Builder::TowerBookSpell));
  EXPECT_TRUE(hero->HasAllowedSpell(Builder::TowerBookSpell));
  EXPECT_TRUE(hero->SpellLevelReached(Builder::TowerBookSpell)) << "castable from the new level";
  ASSERT_TRUE(hero->HasAfterEffect(Builder::TowerBookSpell));
  EXPECT_EQ(hero->AfterEffects[0]->TurnsLeft, Builder::TowerBookTurns);
  EXPECT_GE(hero->Effective.Defence.Current, defence + Builder::TowerBookDefence);
  EXPECT_EQ(hero->EffectIconSpells(), std::vector<i32>{Builder::TowerBookSpell}) << "shown below the portrait";
  EXPECT_EQ(book->Delete, 1) << "read once";
  ConnectScripts(nullptr);
}

}  // namespace
}  // namespace ScriptTest
