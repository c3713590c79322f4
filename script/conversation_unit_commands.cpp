// Conversation commands that change where units are: new units of a
// prototype, units deleted, sent off the map or killed, off-map units taken
// into a city, and groups put on another field.
#include <algorithm>
#include <limits>
#include <memory>
#include <stdexcept>

#include "engine/base/base.h"
#include "script/conversation_commands.h"
#include "world/locations/city.h"
#include "world/scenario/random.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TGroup;
using GameData::TUnit;

GameData::TUnit* TConversationCommands::UnitOrError(i32 id) {
  TUnit* unit = World().FindUnit(static_cast<u32>(id));
  if (!unit) RaiseScriptError(Base::Format("Unit not found: %d.", static_cast<int>(id)));
  return unit;
}

bool TConversationCommands::PlaceUnitOfPrototype(std::string_view params, std::string&) {
  i32 player = TakeExpression(params);
  const i32 prototypeID = TakeExpression(params);
  const i32 level = TakeExpression(params);
  const i32 x = TakeExpression(params);
  const i32 y = TakeExpression(params);
  const i32 unitID = TakeOptionalExpression(params, 0);
  CheckNoMoreParameters(params);
  // A player the scenario lacks would own the unit without existing.
  if (player < -1 || player > 4 || player >= World().PlayerCount())
    RaiseScriptError("[PlaceUnitOfPrototype] Bad player index: " + std::to_string(player));
  if (player == -1) player = GroupOwner();
  if (level < 1) RaiseScriptError("Level cannot be less than 1! Level = " + std::to_string(level));
  const GameData::TUnitPrototype* prototype = GameData::FindUnitPrototype(static_cast<u32>(prototypeID));
  if (!prototype) RaiseScriptError("Bad prototype ID! ID = " + std::to_string(prototypeID));
  // The registry's refusal, raised before a group could be made for it
  // (whose failure would hide the reason).
  if (unitID != 0 && World().FindUnit(static_cast<u32>(unitID)))
    throw std::runtime_error(Base::Format("Object with given ID is already in list (%d).", static_cast<int>(unitID)));
  auto unit = std::make_unique<TUnit>();
  unit->SetPrototype(prototype);
  // The record holds a level as 16 bits: higher ones are the highest it holds.
  unit->Base.StartAtLevel(static_cast<i16>(std::min<i32>(level, std::numeric_limits<i16>::max())), true);
  unit->RecalcEffective(true);
  unit->ID = unitID != 0 ? static_cast<u32>(unitID) : World().NewID();
  unit->OwnerIndex = static_cast<u8>(player);
  TUnit* placed = unit.get();
  try {
    World().PlaceNewUnit(static_cast<u8>(player), x, y, placed, true, true, false, true);
  } catch (...) {
    // Once registered the scenario owns it, whatever failed after.
    if (World().Units.Items.IndexOf(placed) >= 0) unit.release();
    throw;
  }
  unit.release();
  Conversation.Refresh = 1;
  SetLocal0(static_cast<i32>(placed->ID));
  return true;
}

bool TConversationCommands::DeleteUnit(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  const i32 toOffline = TakeExpression(params);
  CheckNoMoreParameters(params);
  TUnit* unit = World().FindUnit(static_cast<u32>(id));
  if (!unit) return true;
  GameData::TPlayer* owner = unit->GetOwner();
  if (toOffline != 0 && owner && owner == World().PlayerAt(World().CurrentPlayerIndex) &&
      owner->Kind == GameData::pkComputer)
    RaiseScriptError("[DeleteUnit] Moving unit to offline in same player's turn!");
  // A group left empty leaves the map and is deleted: the conversation must
  // not speak to it afterwards.
  TGroup* group = unit->GetGroup();
  if (group && group == Conversation.Group && group->GetUnitCount() == 1 && !World().IsInDepartureGroup(unit))
    Conversation.Group = nullptr;
  if (toOffline != 0) {
    World().DetachUnit(unit, false, true);
    unit->Container = nullptr;
    World().OffMapUnits.Add(unit);
  } else {
    World().DetachUnit(unit, true, false);
  }
  if (owner) owner->UpdateFog();
  return true;
}

bool TConversationCommands::KillUnit(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  TUnit* unit = World().FindUnit(static_cast<u32>(id));
  if (!unit) return true;
  unit->KilledByScript = 1;
  // Hit points far below 0 must not wrap round to a living value.
  i16& hitPoints = unit->Base.HitPoints.Current;
  hitPoints = static_cast<i16>(std::max<i32>(hitPoints - 1000, std::numeric_limits<i16>::min()));
  unit->RecalcEffective(true);
  World().BeginDeathAnimations();
  return true;
}

bool TConversationCommands::PlaceUnitsToCity(std::string_view params, std::string&) {
  const i32 cityID = TakeExpression(params);
  const i32 flag = TakeExpression(params);
  if (flag != 0 && flag != 1) RaiseScriptError("Flag can be only 0 or 1");
  std::vector<i32> ids;
  while (const i32 id = TakeOptionalExpression(params, 0)) ids.push_back(id);
  if (ids.empty()) RaiseScriptError(Base::Format("Command should have at least %d parameters!", 3));
  GameData::TMapObject* object = World().FindMapObject(static_cast<u32>(cityID));
  if (!object) RaiseScriptError(Base::Format("City object not found! ID = %d.", static_cast<int>(cityID)));
  if (object->Type != GameData::otCity)
    RaiseScriptError(Base::Format("Object not city! ID=%d", static_cast<int>(cityID)));
  auto* city = static_cast<GameData::TCity*>(object);
  for (const i32 id : ids) {
    TUnit* unit = World().FindUnit(static_cast<u32>(id));
    if (!unit || unit->GetGroup() || unit->GetCity()) continue;
    World().OffMapUnits.Remove(unit);
    unit->OwnerIndex = GameData::NoOwner;
    if (flag == 1)
      city->AddRecruit(unit, false, true, false);
    else
      city->AddUnit(unit, false, true, false);
  }
  return true;
}

bool TConversationCommands::MoveGroup(std::string_view params, std::string&) {
  const i32 x = TakeExpression(params);
  const i32 y = TakeExpression(params);
  const i32 unitID = TakeOptionalExpression(params, 0);
  CheckNoMoreParameters(params);
  TGroup* group = Conversation.Group;
  if (unitID != 0) {
    group = UnitOrError(unitID)->GetGroup();
    if (!group) RaiseScriptError(Base::Format("Unit %d is not in group", static_cast<int>(unitID)));
  }
  // Neither checked by the command's callers: without them there is
  // nothing to move or nowhere to put it.
  if (!group) RaiseScriptError("No group to move!");
  const i32 index = World().IndexOfMapObject(group);
  if (index < 0) RaiseScriptError("Group is not on the map!");
  if (!World().IsFieldOnMap(x, y))
    RaiseScriptError(Base::Format("Field outside the map: %d,%d.", static_cast<int>(x), static_cast<int>(y)));
  World().MoveMapObject(index, x * GameData::FieldSize + GameData::FieldSize / 2,
                        y * GameData::FieldSize + GameData::FieldSize / 2);
  World().ComputeMoveCosts(x, y, group);
  group->UpdateOwnerFog();
  return true;
}

}  // namespace Script
