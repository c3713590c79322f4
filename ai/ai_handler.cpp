#include "ai/ai_handler.h"

#include <algorithm>
#include <unordered_set>

#include "engine/base/errors.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

// The smallest streams, for the counts' checks: an AI unit without an army,
// a task with an empty name and no units, an army likewise.
constexpr i64 MinUnitBytes = 4 + 1 + 4 + 1 + TAIFitness::StreamSize + 1;
constexpr i64 MinTaskBytes = 4 + 4 + 8 + TAITarget::StreamSize + 4 * 4 + 1 + 4;
constexpr i64 MinArmyBytes = 4 + 4 + 4;

template <class T, class Make>
T* LoadOne(Data::TStream& s, Make make) {
  std::unique_ptr<T> object(make());
  object->Load(s);
  return object.release();
}

}  // namespace

TAIHandler::TAIHandler(TPlayer* owner) : Player(owner), Scenario(owner ? owner->Scenario : nullptr) {}

TAIHandler::~TAIHandler() {
  PassRunning = false;
  Clear();
}

// Units go last: armies and tasks still touch them while they are emptied.
void TAIHandler::Clear() {
  PassFlag = 0;
  FreePool.Clear();
  MultiTasks.Clear();
  Tasks.Clear();
  Armies.Clear();
  Units.Clear();
  ScriptStack.Clear();
  if (!PassRunning) {
    RemovedTasks.clear();
    RemovedUnits.clear();
  }
}

void TAIHandler::Load(Data::TStream& s) {
  TDataObject::Load(s);
  NextIDValue = Data::ReadU32(s);
  PassFlag = Data::ReadU32(s);
  u32 highest = 0;
  // Lists searched by ID must arrive in ascending order.
  auto checkOrder = [&highest](u32 id) {
    Data::CheckData(id > highest);
    highest = id;
  };
  u32 count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, MinUnitBytes);
  Units.Items.SetCapacity(static_cast<i32>(count));
  for (u32 i = 0; i < count; ++i) {
    TAIUnit* unit = LoadOne<TAIUnit>(s, [this] { return new TAIUnit(this); });
    Units.Items.Add(unit);
    checkOrder(unit->ID);
  }
  count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, MinTaskBytes);
  for (u32 i = 0; i < count; ++i) {
    TAITask* task = LoadOne<TAITask>(s, [this] { return new TAITask(this, false); });
    Tasks.Items.Add(task);
    highest = std::max(highest, task->ID);
  }
  count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, MinArmyBytes);
  const u32 unitsHighest = highest;
  highest = 0;
  for (u32 i = 0; i < count; ++i) {
    TAIArmy* army = LoadOne<TAIArmy>(s, [this] {
      auto* a = new TAIArmy;
      a->Init(this, false);
      return a;
    });
    Armies.Items.Add(army);
    checkOrder(army->ID);
  }
  highest = std::max(highest, unitsHighest);
  for (TAIUnit* unit : Units.Items) {
    if (!unit->InArmy) continue;
    unit->Army = Armies.LookupByID(unit->StoredArmyID);
    if (!unit->Army) throw Data::EInvalidData("AIArmy with given ID not found.");
  }
  // An army holds only units linked to it, each once: removing a unit then
  // leaves no army pointing at it.
  std::unordered_set<const TAIUnit*> inArmies;
  for (const TAIArmy* army : Armies.Items)
    for (const TAIUnit* unit : army->Units) Data::CheckData(unit->Army == army && inArmies.insert(unit).second);
  ScriptStack.Load(s);
  // A next ID at or below an ID in use would make the next new AI unit
  // collide with a stored one in the middle of a game.
  Data::CheckData(NextIDValue > highest);
  SizeThreatMap();
}

void TAIHandler::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU32(s, NextIDValue);
  Data::WriteU32(s, PassFlag);
  Data::WriteU32(s, static_cast<u32>(Units.Count()));
  for (const TAIUnit* u : Units.Items) u->Save(s);
  Data::WriteU32(s, static_cast<u32>(Tasks.Count()));
  for (const TAITask* t : Tasks.Items) t->Save(s);
  Data::WriteU32(s, static_cast<u32>(Armies.Count()));
  for (const TAIArmy* a : Armies.Items) a->Save(s);
  ScriptStack.Save(s);
}

// Hooks.

bool TAIHandler::AddUnit(TUnit* unit) {
  auto record = std::make_unique<TAIUnit>(this);
  record->ID = NextID();
  record->Clear();
  record->Fitness.SetUnit(unit);
  record->Alive = unit && Scenario && Scenario->Units.LookupByID(unit->ID) ? 1 : 0;
  Units.AddSorted(record.get());
  record.release();
  return true;
}

bool TAIHandler::RemoveUnit(TUnit* unit, bool dropTargetingTasks) {
  TAIUnit* record = FindAIUnit(unit);
  if (!record) return false;
  RemoveAIUnit(record, dropTargetingTasks);
  return true;
}

void TAIHandler::RemoveAIUnit(TAIUnit* unit, bool dropTargetingTasks) {
  // This handler's own tasks let go of the unit even when it is not (yet)
  // a player's handler of the scenario.
  bool self = false;
  for (i32 i = 0; Scenario && i < Scenario->PlayerCount(); ++i)
    if (auto* h = dynamic_cast<TAIHandler*>(Scenario->PlayerAt(i)->AIHandler.get())) {
      h->DropUnitFromTasks(unit, dropTargetingTasks);
      self = self || h == this;
    }
  if (!self) DropUnitFromTasks(unit, dropTargetingTasks);
  RemoveFromArmies(unit);
  // The lists of the running pass let go of it too.
  while (FreePool.IndexOf(unit) >= 0) FreePool.Remove(unit);
  for (TAIMultiTask* m : MultiTasks.Items)
    if (m->Combined && m->Combined->HasUnit(unit)) m->Combined->UnassignUnit(unit);
  for (TAITask* t : Tasks.Items)
    for (TAITask* sub : t->SubTasks.Items)
      if (sub->HasUnit(unit)) sub->UnassignUnit(unit);
  // A temporary task only borrows the unit: its flags stay.
  for (TAITask* t : TemporaryTasks)
    while (t->Units.IndexOf(unit) >= 0) t->Units.Remove(unit);
  const i32 index = Units.Items.IndexOf(unit);
  if (index < 0) return;
  Units.Items[index] = nullptr;
  Units.Items.Delete(index);
  Discard(unit);
}

// A task aimed at the unit that is kept (flag clear) still lets go of the
// unit, which is about to be deleted.
void TAIHandler::DropUnitFromTasks(const TAIUnit* unit, bool dropTargetingTasks) {
  const u32 unitID = unit->Fitness.UnitID;
  for (i32 i = Tasks.Count() - 1; i >= 0; --i) {
    if (i >= Tasks.Count()) continue;
    TAITask* task = Tasks[i];
    if (task->Header.Target.ObjectID == unitID && dropTargetingTasks) {
      DeleteTask(task);
      continue;
    }
    if (task->HasUnit(unit)) task->UnassignUnit(const_cast<TAIUnit*>(unit));
  }
}

void TAIHandler::RemoveFromArmies(TAIUnit* unit) {
  for (TAIArmy* army : Armies.Items)
    if (army->Contains(unit)) {
      army->RemoveUnit(unit);
      return;
    }
}

void TAIHandler::DeleteTask(TAITask* task) {
  task->UnassignAll();
  for (TAIMultiTask* m : MultiTasks.Items) m->Members.Remove(task);
  const i32 index = Tasks.Items.IndexOf(task);
  if (index < 0) return;
  Tasks.Items[index] = nullptr;
  Tasks.Items.Delete(index);
  Discard(task);
}

void TAIHandler::Discard(TAIUnit* unit) {
  if (!PassRunning) {
    delete unit;
    return;
  }
  unit->Alive = 0;
  RemovedUnits.emplace_back(unit);
}

void TAIHandler::Discard(TAITask* task) {
  if (!PassRunning) {
    delete task;
    return;
  }
  RemovedTasks.emplace_back(task);
}

void TAIHandler::BeginPass() { PassRunning = true; }

void TAIHandler::EndPass() {
  PassRunning = false;
  RemovedTasks.clear();
  RemovedUnits.clear();
}

// Finders.

TAIUnit* TAIHandler::FindAIUnit(const TUnit* unit) const {
  if (!unit) return nullptr;
  for (TAIUnit* u : Units.Items) {
    const TUnit* game = u->GetUnit();
    if (game && game->ID == unit->ID) return u;
  }
  return nullptr;
}

TAIUnit* TAIHandler::FindAIUnitByUnitID(u32 unitID) const {
  for (TAIUnit* u : Units.Items)
    if (u->Fitness.UnitID == unitID) return u;
  return nullptr;
}

TAITask* TAIHandler::FindTask(u32 taskID) const {
  for (TAITask* t : Tasks.Items)
    if (t->ID == taskID) return t;
  return nullptr;
}

TAITask* TAIHandler::FindTaskOfUnit(const TAIUnit* unit) const {
  for (TAITask* t : Tasks.Items)
    if (t->HasUnit(unit)) return t;
  return nullptr;
}

TAIArmy* TAIHandler::FindArmy(u32 armyID) const {
  for (TAIArmy* a : Armies.Items)
    if (a->ID == armyID) return a;
  return nullptr;
}

TAIArmy* TAIHandler::FindArmyOfUnit(const TAIUnit* unit) const {
  for (TAIArmy* a : Armies.Items)
    if (a->Contains(unit)) return a;
  return nullptr;
}

namespace {
std::unique_ptr<TOpponent> MakeHandler(TPlayer* player) { return std::make_unique<TAIHandler>(player); }
}  // namespace

void ConnectToWorld() { ConnectOpponent(MakeHandler); }

}  // namespace AIHandler
