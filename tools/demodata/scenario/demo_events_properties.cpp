#include "tools/demodata/scenario/demo_events_properties.h"

#include <string>

#include "world/map/map_object.h"
#include "world/scenario/conversation.h"
#include "world/scenario/scenario.h"

namespace Builder {

GameData::TConversation* AddTowerBookEvent(GameData::TScenario& scenario, const GameData::TMapObject& tower) {
  const std::string spell = std::to_string(TowerBookSpell);
  auto* c = new GameData::TConversation;
  c->ID = scenario.NewID();
  c->Name = TowerBookConversation;
  c->OwnerType = GameData::coLocationEntered;
  c->OwnerID = tower.ID;
  c->OwnerName = "Erz\xE4hler";
  c->ActivationRound = 1;
  c->TargetPlayers = 1 << 1;
  // Only a group with a hero finds it; the book is gone after one reading.
  c->Texts.push_back(
      "<GETHEROID><SET(LOCAL1,LOCAL0)><IFTRUE(LOCAL1)>"
      "<TEXT><0>Im Wachturm liegt ein altes Zauberbuch. Dein Held liest darin, steigt eine Stufe auf und "
      "lernt den Zauber Steinhaut.<ENDTEXT>"
      "<CHANGEPROPERTY(LOCAL1,LEVEL,1)><LEARNSPELL(LOCAL1," + spell + ")>"
      "<CLEARAFTEREFFECT><SETPROPERTY(0,DEFENCE," + std::to_string(TowerBookDefence) + ")>"
      "<ADDAFTEREFFECT(LOCAL1," + std::to_string(TowerBookTurns) + "," + spell + ")><DELETE><ENDIF>");
  c->SetScenario(&scenario);
  scenario.Conversations->AddSorted(c);
  return c;
}

}  // namespace Builder
