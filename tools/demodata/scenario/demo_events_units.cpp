#include "tools/demodata/scenario/demo_events_units.h"

#include <stdexcept>
#include <string>

#include "world/scenario/conversation.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace Builder {

namespace {

using namespace GameData;

const TUnit* FirstUnitAt(const TScenario& s, i32 fx, i32 fy) {
  for (const TMapObject* o : s.MapObjects)
    if (o->Type == otGroup && o->FieldX() == fx && o->FieldY() == fy) return static_cast<const TGroup*>(o)->Units[0];
  throw std::logic_error("no group on the field");
}

}  // namespace

void AddUnitEvents(TScenario& s) {
  const std::string wolf = std::to_string(FirstUnitAt(s, 16, 16)->ID);
  const std::string pack = std::to_string(FirstUnitAt(s, 15, 12)->ID);
  auto* c = new TConversation;
  c->ID = s.NewID();
  c->Name = UnitEventName;
  c->OwnerType = coRound;
  c->OwnerName = "Bote";
  c->ActivationRound = 2;
  c->TargetPlayers = 1 << 1;
  // Two spearmen of level 2 at the knight's field: the first fills his
  // group, the second stands on the nearest free field beside it.
  c->Texts.push_back("<PLACEUNITOFPROTOTYPE(1,5,2,5,14)><PLACEUNITOFPROTOTYPE(1,5,2,5,14)>"
                     "<KILLUNIT(" + wolf + ")><MOVEGROUP(19,11," + pack + ")>"
                     "<TEXT><0>Zwei Speertr\xE4ger sind an der Furt eingetroffen.<CRLF>Ein Pfeil hat den einsamen "
                     "Wolf getroffen, und das Rudel weicht nach Osten zur\xFC" "ck.<ENDTEXT>");
  c->SetScenario(&s);
  s.Conversations->AddSorted(c);
}

}  // namespace Builder
