// The commands of condition scripts. Each takes its parameters first, then
// acts; value commands answer in LOCAL0.
#include <vector>

#include "engine/base/base.h"
#include "script/check_script.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace Script {

using GameData::TArea;
using GameData::TCity;
using GameData::TGroup;
using GameData::TUnit;

const TCheckScript::TCommand TCheckScript::Commands[CommandCount] = {
    {"CRLF", &TCheckScript::Crlf},
    {"SET", &TCheckScript::Set},
    {"IFEQUAL", &TCheckScript::IfEqual},
    {"IFGREATER", &TCheckScript::IfGreater},
    {"IFUNEQUAL", &TCheckScript::IfUnequal},
    {"IFTRUE", &TCheckScript::IfTrue},
    {"IFFALSE", &TCheckScript::IfFalse},
    {"GETRANDOM", &TCheckScript::GetRandom},
    {"SETRESULT", &TCheckScript::SetResult},
    {"LIVESUNIT", &TCheckScript::LivesUnit},
    {"LIVEUNITSAND", &TCheckScript::LiveUnitsAnd},
    {"LIVEUNITSOR", &TCheckScript::LiveUnitsOr},
    {"GETPROTOTYPECOUNT", &TCheckScript::GetPrototypeCount},
    {"GETUNITSINAREA", &TCheckScript::GetUnitsInArea},
    {"UNITINAREA", &TCheckScript::UnitInArea},
    {"GETTURN", &TCheckScript::GetTurn},
    {"GETUNITS", &TCheckScript::GetUnits},
    {"GETCONTROLLER", &TCheckScript::GetController},
    {"GETHEROID", &TCheckScript::GetHeroID},
    {"UNITSINCITY", &TCheckScript::UnitsInCity},
};

namespace {

bool GroupFieldInArea(const TGroup* group, const TArea& area) {
  return area.ContainsField(group->FieldX(), group->FieldY());
}

}  // namespace

void TCheckScript::CheckPlayer(i32 player, const char* message) {
  if (player < -1 || player > 4) RaiseScriptError(Base::Format(message, static_cast<int>(player)));
}

bool TCheckScript::Crlf(std::string_view) { return true; }

bool TCheckScript::Set(std::string_view params) {
  i32& variable = ResolveVariable(TakeParameter(params));
  const i32 value = TakeExpression(params);
  CheckNoMoreParameters(params);
  variable = value;
  return true;
}

bool TCheckScript::IfEqual(std::string_view params) {
  const i32 a = TakeExpression(params);
  const i32 b = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a == b;
}

bool TCheckScript::IfGreater(std::string_view params) {
  const i32 a = TakeExpression(params);
  const i32 b = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a > b;
}

bool TCheckScript::IfUnequal(std::string_view params) {
  const i32 a = TakeExpression(params);
  const i32 b = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a != b;
}

bool TCheckScript::IfTrue(std::string_view params) {
  const i32 a = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a != 0;
}

bool TCheckScript::IfFalse(std::string_view params) {
  const i32 a = TakeExpression(params);
  CheckNoMoreParameters(params);
  return a == 0;
}

bool TCheckScript::GetRandom(std::string_view params) {
  const i32 n = TakeExpression(params);
  CheckNoMoreParameters(params);
  SetLocal0(n >= 1 ? NextRandom(GameData::RandomMain) % n : 0);
  return true;
}

bool TCheckScript::SetResult(std::string_view params) {
  const i32 value = TakeExpression(params);
  CheckNoMoreParameters(params);
  Check.Result = value;
  return true;
}

bool TCheckScript::LivesUnit(std::string_view params) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  const TUnit* unit = World().FindUnit(static_cast<u32>(id));
  SetLocal0(unit && !unit->IsDead() ? 1 : 0);
  return true;
}

bool TCheckScript::LiveUnitsAnd(std::string_view params) {
  bool all = World().FindUnit(static_cast<u32>(TakeExpression(params))) != nullptr;
  while (const i32 id = TakeOptionalExpression(params, 0))
    if (!World().FindUnit(static_cast<u32>(id))) all = false;
  SetLocal0(all ? 1 : 0);
  return true;
}

bool TCheckScript::LiveUnitsOr(std::string_view params) {
  bool any = World().FindUnit(static_cast<u32>(TakeExpression(params))) != nullptr;
  while (const i32 id = TakeOptionalExpression(params, 0))
    if (World().FindUnit(static_cast<u32>(id))) any = true;
  SetLocal0(any ? 1 : 0);
  return true;
}

bool TCheckScript::GetPrototypeCount(std::string_view params) {
  const i32 prototype = TakeExpression(params);
  const i32 player = TakeOptionalExpression(params, -1);
  CheckPlayer(player, "LivesPrototype: bad player index: %d.");
  i32 count = 0;
  for (const TUnit* unit : World().Units.Items) {
    const TGroup* group = unit->GetGroup();
    if (!group || (player >= 0 && group->OwnerIndex != player)) continue;
    if (unit->Prototype && unit->Prototype->ID == static_cast<u32>(prototype)) ++count;
  }
  SetLocal0(count);
  return true;
}

bool TCheckScript::GetUnitsInArea(std::string_view params) {
  const i32 areaID = TakeExpression(params);
  const i32 player = TakeOptionalExpression(params, -1);
  CheckNoMoreParameters(params);
  CheckPlayer(player, "GetUnitsInArea: bad player index: %d.");
  const TArea* area = World().Areas.LookupByID(static_cast<u32>(areaID));
  if (!area) RaiseScriptError(Base::Format("Area not found: %d.", static_cast<int>(areaID)));
  i32 count = 0;
  for (const TUnit* unit : World().Units.Items) {
    const TGroup* group = unit->GetGroup();
    if (!group || unit->IsDead() || (player >= 0 && group->OwnerIndex != player)) continue;
    if (GroupFieldInArea(group, *area)) ++count;
  }
  SetLocal0(count);
  return true;
}

bool TCheckScript::UnitInArea(std::string_view params) {
  const i32 areaID = TakeExpression(params);
  const i32 unitID = TakeExpression(params);
  CheckNoMoreParameters(params);
  const TArea* area = World().Areas.LookupByID(static_cast<u32>(areaID));
  if (!area) RaiseScriptError(Base::Format("Area not found: %d.", static_cast<int>(areaID)));
  const TUnit* unit = World().FindUnit(static_cast<u32>(unitID));
  const TGroup* group = unit ? unit->GetGroup() : nullptr;
  SetLocal0(group && GroupFieldInArea(group, *area) ? 1 : 0);
  return true;
}

bool TCheckScript::GetTurn(std::string_view) {
  SetLocal0(World().Round);
  return true;
}

bool TCheckScript::GetUnits(std::string_view params) {
  const i32 player = TakeExpression(params);
  CheckNoMoreParameters(params);
  i32 count = 0;
  for (const TUnit* unit : World().Units.Items) {
    const TGroup* group = unit->GetGroup();
    const TCity* city = unit->GetCity();
    if ((group && group->OwnerIndex == player) || (city && city->Owner == player)) ++count;
  }
  SetLocal0(count);
  return true;
}

namespace {

const TCity* CityWithID(GameData::TScenario& scenario, i32 id) {
  const GameData::TMapObject* object = scenario.FindMapObject(static_cast<u32>(id));
  return object && object->Type == GameData::otCity ? static_cast<const TCity*>(object) : nullptr;
}

}  // namespace

bool TCheckScript::GetController(std::string_view params) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  const TCity* city = CityWithID(World(), id);
  if (!city) RaiseScriptError(Base::Format("City object not found! ID = %d.", static_cast<int>(id)));
  SetLocal0(city->Owner);
  return true;
}

bool TCheckScript::GetHeroID(std::string_view params) {
  CheckNoMoreParameters(params);
  SetLocal0(Check.Owner ? static_cast<i32>(Check.Owner->HeroID) : 0);
  return true;
}

bool TCheckScript::UnitsInCity(std::string_view params) {
  const i32 id = TakeExpression(params);
  const TCity* city = CityWithID(World(), id);
  if (!city) RaiseScriptError(Base::Format("City object not found! ID = %d.", static_cast<int>(id)));
  i32 all = 1;
  while (const i32 unitID = TakeOptionalExpression(params, 0)) {
    const TUnit* unit = World().FindUnit(static_cast<u32>(unitID));
    if (!unit || (unit->GetCity() != city && unit->GetGroup() != city->DepartureGroup.get())) {
      all = 0;
      break;
    }
  }
  SetLocal0(all);
  return true;
}

}  // namespace Script
