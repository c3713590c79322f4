#include "tools/demodata/scenario/demo_events_world.h"

#include "tools/demodata/art/demo_sprites.h"
#include "tools/demodata/scenario/demo_opponent.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/conversation.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace Builder {

using namespace GameData;

u32 AddBridgeEvent(TScenario& s, TCity& smithy, TDemoOpponent& computer, const TUnit& guard) {
  auto* bank = new TArea;
  bank->ID = s.NewID();
  for (i32 y = BridgeFieldY - 1; y <= BridgeFieldY + 1; ++y) bank->AddField(BridgeFieldX - 1, y);
  s.Areas.AddSorted(bank);

  // The guard waits on the far bank until the script sends it.
  TDemoOpponent::TTarget farBank{0, 3, BridgeFieldX + 1, BridgeFieldY, 2};
  const u32 guardTask = computer.AddTask(4, farBank, 65, {}, false);

  const std::string x = std::to_string(BridgeFieldX * FieldSize + FieldSize / 2);
  const std::string y = std::to_string(BridgeFieldY * FieldSize + FieldSize / 2);
  const std::string task = std::to_string(guardTask);
  auto* c = new TConversation;
  c->ID = s.NewID();
  c->Name = BridgeEventName;
  c->OwnerType = coAreaEntered;
  c->OwnerID = bank->ID;
  c->OwnerName = smithy.BattleMaster()->Name;
  c->ActivationRound = 1;
  c->TargetPlayers = 1 << 1;
  c->Texts.push_back("<TEXT><0>Der Waffenmeister schl\xE4gt eine Br\xFC" "cke \xFC" "ber den Fluss.<ENDTEXT>"
                     "<ADDDOODLE(" + std::to_string(BridgeDoodle) + "," + x + "," + y + ")><SET(LOCAL1,LOCAL0)>"
                     "<PLAYANIMATION(" + std::to_string(AnimationSpriteID) + "," + x + "," + y + ",12,3)>"
                     "<CENTERVIEWTO(" + x + "," + y + ",20)>");
  c->Texts.push_back("<TEXT><0>Seine Schmiede bleibt geschlossen, solange er am Fluss arbeitet. Am anderen Ufer "
                     "bezieht eine Wache Stellung.<ENDTEXT>"
                     "<ENABLEMERCHANT(" + std::to_string(smithy.BattleMaster()->ID) + ",0)>"
                     "<ASSIGNUNITS(" + task + "," + std::to_string(guard.ID) + ")>"
                     "<ACTIVATETASK(" + task + ")><DELETE>");
  c->SetScenario(&s);
  s.Conversations->AddSorted(c);
  return c->ID;
}

}  // namespace Builder
