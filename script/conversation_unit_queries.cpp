// Conversation commands that ask about units: alive or not, where they
// stand, the units of the group spoken to, free fields, areas and cities.
#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/conversation.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TGroup;
using GameData::TUnit;

namespace {

bool GroupInArea(const TGroup* group, const GameData::TArea& area) {
  return group && area.ContainsField(group->FieldX(), group->FieldY());
}

}  // namespace

const GameData::TArea* TConversationCommands::AreaOrError(i32 id) {
  const GameData::TArea* area = World().Areas.LookupByID(static_cast<u32>(id));
  if (!area) RaiseScriptError(Base::Format("Area not found: %d.", static_cast<int>(id)));
  return area;
}

bool TConversationCommands::LivesUnit(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  const TUnit* unit = World().FindUnit(static_cast<u32>(id));
  SetLocal0(unit && !unit->IsDead() ? 1 : 0);
  return true;
}

bool TConversationCommands::GetUnitPosition(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  const TUnit* unit = UnitOrError(id);
  if (const TGroup* group = unit->GetGroup()) {
    Locals[0] = group->FieldX();
    Locals[1] = group->FieldY();
  } else if (const GameData::TCity* city = unit->GetCity()) {
    Locals[0] = -1;
    Locals[1] = static_cast<i32>(city->ID);
  } else {
    Locals[0] = -2;
    Locals[1] = 0;
  }
  return true;
}

bool TConversationCommands::GetUnitsInGroup(std::string_view params, std::string&) {
  CheckNoMoreParameters(params);
  SetLocal0(Conversation.Group ? Conversation.Group->GetUnitCount() : 0);
  return true;
}

bool TConversationCommands::GetUnitID(std::string_view params, std::string&) {
  const i32 index = TakeExpression(params);
  CheckNoMoreParameters(params);
  if (!Conversation.Group) RaiseScriptError("No group to get UnitID from!");
  if (index < 0 || index >= Conversation.Group->GetUnitCount()) RaiseScriptError("Bad unit index!");
  SetLocal0(static_cast<i32>(Conversation.Group->Units[index]->ID));
  return true;
}

bool TConversationCommands::SquareEmpty(std::string_view params, std::string&) {
  const i32 x = TakeExpression(params);
  const i32 y = TakeExpression(params);
  CheckNoMoreParameters(params);
  // A field beside the map is never free.
  SetLocal0(World().IsFieldOnMap(x, y) && World().IsFieldFree(x, y) ? 1 : 0);
  return true;
}

bool TConversationCommands::UnitInArea(std::string_view params, std::string&) {
  const i32 areaID = TakeExpression(params);
  const i32 unitID = TakeExpression(params);
  CheckNoMoreParameters(params);
  const GameData::TArea* area = AreaOrError(areaID);
  const TUnit* unit = World().FindUnit(static_cast<u32>(unitID));
  SetLocal0(unit && GroupInArea(unit->GetGroup(), *area) ? 1 : 0);
  return true;
}

bool TConversationCommands::UnitsInCity(std::string_view params, std::string&) {
  const i32 cityID = TakeExpression(params);
  std::vector<i32> ids;
  while (const i32 id = TakeOptionalExpression(params, 0)) ids.push_back(id);
  const GameData::TCity* city = FindCity(cityID);
  if (!city) RaiseScriptError(Base::Format("City object not found! ID = %d.", static_cast<int>(cityID)));
  i32 all = 1;
  for (const i32 id : ids) {
    const TUnit* unit = World().FindUnit(static_cast<u32>(id));
    const TGroup* group = unit ? unit->GetGroup() : nullptr;
    if (!unit || (unit->GetCity() != city && (!group || group != city->DepartureGroup.get()))) all = 0;
  }
  SetLocal0(all);
  return true;
}

bool TConversationCommands::GetUnitsInArea(std::string_view params, std::string&) {
  const i32 areaID = TakeExpression(params);
  const i32 player = TakeOptionalExpression(params, -1);
  CheckNoMoreParameters(params);
  if (player < -1 || player > 4)
    RaiseScriptError(Base::Format("GetUnitsInArea: bad player index: %d.", static_cast<int>(player)));
  const GameData::TArea* area = AreaOrError(areaID);
  i32 count = 0;
  for (const TUnit* unit : World().Units.Items) {
    const TGroup* group = unit->GetGroup();
    if (unit->IsDead() || !GroupInArea(group, *area)) continue;
    if (player < 0 || group->OwnerIndex == player) ++count;
  }
  SetLocal0(count);
  return true;
}

}  // namespace Script
