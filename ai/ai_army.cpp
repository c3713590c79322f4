#include "ai/ai_army.h"

#include "ai/ai_handler.h"
#include "engine/base/errors.h"

namespace AIHandler {

TAIArmy::~TAIArmy() { Clear(); }

void TAIArmy::Init(TAIHandler* handler, bool newID) {
  Handler = handler;
  if (newID && handler) ID = handler->NextID();
}

void TAIArmy::Assign(const Data::TDataObject* source) {
  const auto* a = dynamic_cast<const TAIArmy*>(source);
  if (!a) return TDataObject::Assign(source);
  ID = a->ID;
  Name = a->Name;
  for (TAIUnit* u : a->Units) Units.Add(u);
}

void TAIArmy::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Data::ReadString(s, Name);
  const u32 count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, 4);
  Units.SetCapacity(static_cast<i32>(count));
  for (u32 i = 0; i < count; ++i) {
    TAIUnit* unit = Handler ? Handler->Units.LookupByID(Data::ReadU32(s)) : nullptr;
    if (!unit) throw Data::EInvalidData("AIUnit with given ID not found.");
    Units.Add(unit);
  }
}

void TAIArmy::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteString(s, Name);
  Data::WriteU32(s, static_cast<u32>(Units.Count()));
  for (const TAIUnit* u : Units) Data::WriteU32(s, u->ID);
}

// Units that name another army (a damaged stream) leave the list without
// touching their link.
void TAIArmy::Clear() {
  for (i32 i = Units.Count() - 1; i >= 0; --i)
    if (!RemoveUnit(Units[i])) Units.Delete(i);
  Name.clear();
}

bool TAIArmy::AddUnit(TAIUnit* unit) {
  if (!unit || unit->InArmy || unit->Assigned) return false;
  if (HasAssignedUnit() && Handler)
    for (TAITask* task : Handler->Tasks.Items)
      if (task->HasArmy(this)) {
        task->AssignUnit(unit);
        break;
      }
  unit->Army = this;
  unit->InArmy = 1;
  Units.Add(unit);
  return true;
}

bool TAIArmy::RemoveUnit(TAIUnit* unit) {
  if (!unit || unit->Army != this || !Contains(unit)) return false;
  unit->Army = nullptr;
  unit->InArmy = 0;
  unit->StoredArmyID = 0;
  Units.Remove(unit);
  return true;
}

bool TAIArmy::HasAssignedUnit() const {
  for (const TAIUnit* u : Units)
    if (u->Assigned) return true;
  return false;
}

}  // namespace AIHandler
