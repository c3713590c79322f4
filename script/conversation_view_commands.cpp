// Conversation commands on the map's dressing and the view (weather, doodles,
// animations, centring), on merchants and on other conversations, and the
// round counter.
#include <algorithm>
#include <limits>
#include <memory>
#include <stdexcept>

#include "engine/base/base.h"
#include "engine/gfx/sprite_list.h"
#include "script/conversation_commands.h"
#include "world/locations/city.h"
#include "world/locations/merchant.h"
#include "world/map/doodle.h"
#include "world/map/drawing.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Script {

using GameData::TDoodle;
using GameData::TScenario;

namespace {

constexpr i32 NoPosition = -1000;

std::string NoPrototype(i32 id) {
  return Base::Format("No doodle prototype found with ID = %d!", static_cast<int>(id));
}
std::string NoDoodle(i32 id) { return Base::Format("No doodle found with ID = %d!", static_cast<int>(id)); }

// The last record of the prototype file with the ID.
const GameData::TDoodlePrototype* LastDoodlePrototype(const TScenario& scenario, i32 id) {
  const GameData::TDoodlePrototype* found = nullptr;
  for (const GameData::TDoodlePrototype& p : scenario.DoodlePrototypes)
    if (p.ID == static_cast<u32>(id)) found = &p;
  return found;
}

GameData::TMerchant* FindMerchant(const TScenario& scenario, i32 id) {
  for (GameData::TMapObject* object : scenario.MapObjects) {
    if (object->Type != GameData::otCity) continue;
    for (const auto& merchant : static_cast<GameData::TCity*>(object)->Merchants)
      if (merchant && merchant->ID == static_cast<u32>(id)) return merchant.get();
  }
  return nullptr;
}

bool IsViewingCurrentPlayer(const TScenario& scenario) {
  const GameData::TPlayer* current = scenario.PlayerAt(scenario.CurrentPlayerIndex);
  return current && current == scenario.ViewingPlayer;
}

// Script values reach the whole i32 range: the centre's corner is taken in
// 64 bits and the view's own clamping then keeps it on the map.
i32 CornerFor(i32 centre, i32 size) {
  const i64 corner = static_cast<i64>(centre) - size / 2;
  return static_cast<i32>(std::clamp<i64>(corner, std::numeric_limits<i32>::min(), std::numeric_limits<i32>::max()));
}

void CentreView(TScenario& scenario, i32 x, i32 y, i32 steps) {
  scenario.ScrollViewTo(CornerFor(x, scenario.ViewWidth), CornerFor(y, scenario.ViewHeight), steps);
}

}  // namespace

void TConversationCommands::RefreshMoveCosts() {
  if (GameData::TPlayer* current = World().PlayerAt(World().CurrentPlayerIndex))
    if (const GameData::TGroup* group = current->GetSelectedGroup())
      World().ComputeMoveCosts(group->FieldX(), group->FieldY(), group);
}

void TConversationCommands::CountAddedMapObject() {
  if (++AddedMapObjects > MaxAddedMapObjects) RaiseScriptError("Too many doodles and animations added by one page!");
}

bool TConversationCommands::SetWeatherState(std::string_view params, std::string&) {
  const i32 state = TakeExpression(params);
  CheckNoMoreParameters(params);
  if (state < 0 || state > static_cast<i32>(GameData::wsOverlay))
    RaiseScriptError(Base::Format("Bad weather state! State=%d", static_cast<int>(state)));
  World().SetWeather(static_cast<u32>(state));
  return true;
}

bool TConversationCommands::AddDoodle(std::string_view params, std::string&) {
  const i32 prototypeID = TakeExpression(params);
  const i32 x = TakeOptionalExpression(params, NoPosition);
  const i32 y = TakeOptionalExpression(params, NoPosition);
  CheckNoMoreParameters(params);
  TScenario& s = World();
  const GameData::TDoodlePrototype* prototype = LastDoodlePrototype(s, prototypeID);
  if (!prototype) RaiseScriptError(NoPrototype(prototypeID));
  CountAddedMapObject();
  auto doodle = std::make_unique<TDoodle>(&s);
  try {
    doodle->SetPrototype(prototype);
  } catch (const std::runtime_error& e) {
    RaiseScriptError(e.what());
  }
  doodle->X = static_cast<i16>(x);
  doodle->Y = static_cast<i16>(y);
  doodle->ID = s.NewID();
  TDoodle* added = doodle.release();
  // The registry hands out the ID the doodle keeps.
  s.AddMapObject(added);
  s.RebuildFieldMaps();
  RefreshMoveCosts();
  SetLocal0(static_cast<i32>(added->ID));
  return true;
}

bool TConversationCommands::ChangeDoodle(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  const i32 prototypeID = TakeExpression(params);
  const i32 x = TakeOptionalExpression(params, NoPosition);
  const i32 y = TakeOptionalExpression(params, NoPosition);
  i32 active = TakeOptionalExpression(params, -1);
  CheckNoMoreParameters(params);
  TScenario& s = World();
  GameData::TMapObject* object = s.FindMapObject(static_cast<u32>(id));
  if (!object) return true;
  if (object->Type != GameData::otDoodle) RaiseScriptError(NoDoodle(id));
  const GameData::TDoodlePrototype* prototype = LastDoodlePrototype(s, prototypeID);
  if (!prototype) RaiseScriptError(NoPrototype(prototypeID));
  auto* doodle = static_cast<TDoodle*>(object);
  if (active == -1) active = doodle->Active;
  try {
    doodle->SetPrototype(prototype);
  } catch (const std::runtime_error& e) {
    RaiseScriptError(e.what());
  }
  doodle->Active = active != 0;
  if (x != NoPosition && y != NoPosition) s.MoveMapObject(s.IndexOfMapObject(doodle), x, y);
  return true;
}

bool TConversationCommands::DeleteDoodle(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  TScenario& s = World();
  GameData::TMapObject* object = s.FindMapObject(static_cast<u32>(id));
  if (object && object->Type != GameData::otDoodle)
    RaiseScriptError(NoDoodle(id));
  if (object) s.RemoveMapObject(object, false);
  s.RebuildFieldMaps();
  RefreshMoveCosts();
  return true;
}

bool TConversationCommands::PlayAnimation(std::string_view params, std::string&) {
  const i32 sprite = TakeExpression(params);
  const i32 x = TakeExpression(params);
  const i32 y = TakeExpression(params);
  const i32 layer = TakeExpression(params);
  const i32 frameDelay = TakeExpression(params);
  const i32 startDelay = TakeOptionalExpression(params, 0);
  CheckNoMoreParameters(params);
  TScenario& s = World();
  // An animation without a picture never finishes, and the conversation
  // runner would wait for it for ever: nothing is played.
  if (sprite == 0 || !s.Sprites) return true;
  CountAddedMapObject();
  auto animation = std::make_unique<GameData::TAnimation>(&s);
  try {
    animation->Init(static_cast<u32>(sprite), x, y, static_cast<u16>(layer), frameDelay, startDelay);
  } catch (const std::runtime_error& e) {
    RaiseScriptError(e.what());
  }
  animation->Changed = 1;
  s.AddMapObject(animation.release());
  s.NoAnimationRunning = 0;
  return true;
}

bool TConversationCommands::CenterViewTo(std::string_view params, std::string&) {
  const i32 x = TakeExpression(params);
  const i32 y = TakeExpression(params);
  const i32 steps = TakeOptionalExpression(params, 1);
  CheckNoMoreParameters(params);
  if (IsViewingCurrentPlayer(World())) CentreView(World(), x, y, steps);
  return true;
}

bool TConversationCommands::CenterViewToUnit(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  const i32 steps = TakeOptionalExpression(params, 1);
  CheckNoMoreParameters(params);
  const GameData::TUnit* unit = World().FindUnit(static_cast<u32>(id));
  const GameData::TGroup* group = unit ? unit->GetGroup() : nullptr;
  if (group && IsViewingCurrentPlayer(World())) CentreView(World(), group->X, group->Y, steps);
  return true;
}

bool TConversationCommands::EnableMerchant(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  const i32 flag = TakeExpression(params);
  CheckNoMoreParameters(params);
  GameData::TMerchant* merchant = FindMerchant(World(), id);
  if (!merchant) RaiseScriptError(Base::Format("Merchant not found! ID=%d", static_cast<int>(id)));
  merchant->Present = flag == 1;
  return true;
}

bool TConversationCommands::MerchantEnabled(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  const GameData::TMerchant* merchant = FindMerchant(World(), id);
  if (!merchant) RaiseScriptError(Base::Format("Merchant not found! ID=%d", static_cast<int>(id)));
  SetLocal0(merchant->Present != 0);
  return true;
}

GameData::TConversation& TConversationCommands::ConversationByID(i32 id) {
  GameData::TConversation* found =
      World().Conversations ? World().Conversations->LookupByID(static_cast<u32>(id)) : nullptr;
  if (!found) RaiseScriptError(Base::Format("Conversation not found! ID=%d", static_cast<int>(id)));
  return *found;
}

bool TConversationCommands::Call(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  GameData::TConversation& called = ConversationByID(id);
  TScenario& s = World();
  if (called.Running || s.PendingConversations.IndexOf(&called) >= 0) return true;
  // Conversations that call each other in a ring would keep the runner
  // going for ever.
  if (++s.CalledConversations > MaxCalledConversations)
    RaiseScriptError(Base::Format("Too many conversations called in a row! ID=%d", static_cast<int>(id)));
  s.QueueConversation(&called);
  return true;
}

bool TConversationCommands::SetActive(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  const i32 flag = TakeExpression(params);
  CheckNoMoreParameters(params);
  ConversationByID(id).Active = flag != 0;
  return true;
}

bool TConversationCommands::Active(std::string_view params, std::string&) {
  const i32 id = TakeExpression(params);
  CheckNoMoreParameters(params);
  SetLocal0(ConversationByID(id).Active != 0);
  return true;
}

bool TConversationCommands::GetTurn(std::string_view params, std::string&) {
  CheckNoMoreParameters(params);
  SetLocal0(World().Round);
  return true;
}

}  // namespace Script
