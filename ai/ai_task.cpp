#include "ai/ai_task.h"

#include "ai/ai_army.h"
#include "ai/ai_handler.h"
#include "engine/base/errors.h"
#include "world/locations/city.h"

namespace AIHandler {

namespace {

// Each ID names an AI unit of the handler, read before any task or army.
void ReadUnitIDs(Data::TStream& s, TAIHandler* handler, TAIVirtualUnitList& units) {
  const u32 count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 4);
  units.SetCapacity(static_cast<i32>(count));
  for (u32 i = 0; i < count; ++i) {
    TAIUnit* unit = handler ? handler->Units.LookupByID(Data::ReadU32(s)) : nullptr;
    if (!unit) throw Data::EInvalidData("AIUnit with given ID not found.");
    units.Add(unit);
  }
}

void WriteUnitIDs(Data::TStream& s, const TAIVirtualUnitList& units) {
  Data::WriteU32(s, static_cast<u32>(units.Count()));
  for (const TAIUnit* u : units) Data::WriteU32(s, u->ID);
}

}  // namespace

TAITask::TAITask(TAIHandler* handler, bool newID) : Handler(handler), Header(handler) {
  if (newID && handler) ID = handler->NextID();
}

TAITask::~TAITask() = default;

void TAITask::Assign(const Data::TDataObject* source) {
  const auto* t = dynamic_cast<const TAITask*>(source);
  if (!t) return TDataObject::Assign(source);
  Header.CopyFrom(&t->Header);
  Priority = t->Priority;
  ObtainedStrength = t->ObtainedStrength;
  RequiredStrength = t->RequiredStrength;
  Reserved = t->Reserved;
  Name = t->Name;
  Active = t->Active;
  ID = t->ID;
  for (TAIUnit* u : t->Units) Units.Add(u);
}

void TAITask::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Data::ReadString(s, Name);
  Header.Load(s);
  Reserved = Data::ReadU32(s);
  Priority = Data::ReadI32(s);
  ObtainedStrength = Data::ReadI32(s);
  RequiredStrength = Data::ReadI32(s);
  Active = Data::ReadU8(s);
  ReadUnitIDs(s, Handler, Units);
}

void TAITask::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteString(s, Name);
  Header.Save(s);
  Data::WriteU32(s, Reserved);
  Data::WriteI32(s, Priority);
  Data::WriteI32(s, ObtainedStrength);
  Data::WriteI32(s, RequiredStrength);
  Data::WriteU8(s, Active);
  WriteUnitIDs(s, Units);
}

void TAITask::Clear() {
  Header.Clear();
  Units.Clear();
  Priority = ObtainedStrength = RequiredStrength = 0;
  Name.clear();
  Active = 1;
}

bool TAITask::AssignUnit(TAIUnit* unit) {
  if (!unit || unit->Assigned || unit->InArmy) return false;
  unit->Assigned = 1;
  Units.Add(unit);
  return true;
}

// Every entry goes: assigning an army twice lists its units twice.
void TAITask::UnassignUnit(TAIUnit* unit) {
  unit->Assigned = 0;
  for (i32 i = Units.Count() - 1; i >= 0; --i)
    if (Units[i] == unit) Units.Delete(i);
}

void TAITask::UnassignAll() {
  while (Units.Count() > 0) UnassignUnit(Units[Units.Count() - 1]);
}

bool TAITask::UnassignUnitIfFree(TAIUnit* unit) {
  if (!unit || !unit->Assigned || unit->InArmy) return false;
  UnassignUnit(unit);
  return true;
}

void TAITask::AssignArmy(TAIArmy* army) {
  for (TAIUnit* u : army->Units) {
    u->Assigned = 1;
    Units.Add(u);
  }
}

bool TAITask::UnassignArmy(TAIArmy* army) {
  for (i32 i = army->Units.Count() - 1; i >= 0; --i) {
    TAIUnit* u = army->Units[i];
    if (!u->Assigned || !HasUnit(u)) return false;
    UnassignUnit(u);
  }
  return true;
}

bool TAITask::HasUnit(const TAIUnit* unit) const { return unit && Units.IndexOf(unit) >= 0; }

bool TAITask::HasGameUnit(const GameData::TUnit* unit) const {
  return Handler && HasUnit(Handler->FindAIUnit(unit));
}

bool TAITask::HasArmy(const TAIArmy* army) const {
  for (const TAIUnit* u : Units)
    if (u->Army == army) return true;
  return false;
}

void TAITask::SetGoToField(i32 x, i32 y, i32 radius) {
  Header.Clear();
  Header.TaskType = ttGoToField;
  Header.Target.Kind = tkField;
  Header.Target.SetObject(nullptr);
  Header.Target.SetField(x, y);
  Header.Target.Radius = radius;
}

void TAITask::SetCityTask(const GameData::TCity* city) {
  Header.Clear();
  Header.TaskType = ttCityTask;
  Header.Target.Kind = tkLocation;
  Header.Target.SetObject(city);
  if (city) Header.Target.SetField(city->AnchorFieldX, city->AnchorFieldY);
}

TAIMultiTask::~TAIMultiTask() { delete Combined; }

void TAIMultiTask::Init(TAIHandler* handler) {
  Handler = handler;
  delete Combined;
  Combined = new TAITask(handler, true);
}

}  // namespace AIHandler
