// The reinforcements of the second demo mission, run through the real
// mark-up from the built data: new spearmen by the knight, the lone wolf
// dead with a corpse that stays, and the pack drawn back into the player's
// sight.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "script/script_connection.h"
#include "tests/world/demo_world.h"
#include "tools/demodata/scenario/demo_events_units.h"
#include "world/map/drawing.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/script_interpreter.h"
#include "world/units/group.h"

namespace ScriptTest {
namespace {

using namespace GameData;

TGroup* GroupAt(const TScenario& s, i32 fx, i32 fy) {
  for (TMapObject* o : s.MapObjects)
    if (o->Type == otGroup && o->FieldX() == fx && o->FieldY() == fy) return static_cast<TGroup*>(o);
  return nullptr;
}

TEST(DemoUnitEvents, ReinforcementsArriveTheLoneWolfFallsAndThePackDrawsBackInSight) {
  Script::ConnectToWorld();
  WorldTest::TDemoWorld world;
  std::unique_ptr<TScenario> s = WorldTest::TDemoWorld::Load(world.ScenarioFile("demo2.scn"));
  TConversation* event = nullptr;
  for (TConversation* c : s->Conversations->Items)
    if (c->Name == Builder::UnitEventName) event = c;
  ASSERT_NE(event, nullptr);
  s->CurrentPlayerIndex = 1;
  s->Round = 2;
  ASSERT_TRUE(s->TriggerConversations(1, coRound, 0));
  EXPECT_EQ(s->PopConversation(), event) << "player 1's second round starts it";

  TGroup* knight = GroupAt(*s, 5, 14);
  TGroup* lone = GroupAt(*s, 16, 16);
  TGroup* pack = GroupAt(*s, 15, 12);
  ASSERT_TRUE(knight && lone && pack);
  TUnit* wolf = lone->Units[0];
  ASSERT_EQ(knight->GetUnitCount(), 2);
  const i32 groups = static_cast<i32>(std::count_if(s->MapObjects.begin(), s->MapObjects.end(),
                                                    [](const TMapObject* o) { return o->Type == otGroup; }));

  EXPECT_EQ(event->GetText(0), "<0>Zwei Speertr\xE4ger sind an der Furt eingetroffen.\nEin Pfeil hat den einsamen "
                               "Wolf getroffen, und das Rudel weicht nach Osten zur\xFC" "ck.");
  EXPECT_EQ(event->Refresh, 1);

  ASSERT_EQ(knight->GetUnitCount(), 3);
  const TUnit* joined = knight->Units[2];
  EXPECT_EQ(joined->Prototype->ID, 5u);
  EXPECT_EQ(joined->Base.Level, 2);
  TGroup* beside = nullptr;
  for (TMapObject* o : s->MapObjects)
    if (o->Type == otGroup && std::max(std::abs(o->FieldX() - 5), std::abs(o->FieldY() - 14)) == 1)
      beside = static_cast<TGroup*>(o);
  ASSERT_NE(beside, nullptr) << "the second spearman on the first ring";
  EXPECT_EQ(beside->OwnerIndex, 1);
  ASSERT_EQ(beside->GetUnitCount(), 1);
  EXPECT_EQ(beside->Units[0]->Prototype->ID, 5u);

  EXPECT_TRUE(wolf->IsDead());
  EXPECT_EQ(s->WaitingForDeaths, 1);
  s->RemoveDeadUnits();
  EXPECT_EQ(GroupAt(*s, 16, 16), nullptr);
  const TNaturalCorpse* corpse = nullptr;
  for (TMapObject* o : s->MapObjects)
    if (o->Type == otNaturalCorpse && o->FieldX() == 16 && o->FieldY() == 16)
      corpse = static_cast<TNaturalCorpse*>(o);
  ASSERT_NE(corpse, nullptr);
  EXPECT_EQ(corpse->Lifetime, -1) << "killed by the script: it never decays";

  EXPECT_EQ(GroupAt(*s, 19, 11), pack);
  EXPECT_EQ(GroupAt(*s, 15, 12), nullptr);
  s->Players[1]->UpdateFog();
  EXPECT_TRUE(s->Players[1]->IsFieldVisible(19, 11)) << "the player sees the pack draw back";
  EXPECT_EQ(std::count_if(s->MapObjects.begin(), s->MapObjects.end(),
                          [](const TMapObject* o) { return o->Type == otGroup; }),
            groups) << "one group more, the lone wolf's less";
  ConnectScripts(nullptr);
}

}  // namespace
}  // namespace ScriptTest
