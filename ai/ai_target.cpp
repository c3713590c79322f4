#include "ai/ai_target.h"

#include "ai/ai_handler.h"
#include "world/locations/city.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

bool UnitField(const TUnit* unit, i32& x, i32& y) {
  if (!unit) return false;
  if (const TGroup* g = unit->GetGroup()) {
    x = g->FieldX();
    y = g->FieldY();
    return true;
  }
  if (const TCity* c = unit->GetCity()) {
    x = c->AnchorFieldX;
    y = c->AnchorFieldY;
    return true;
  }
  return false;
}

void TAITarget::Assign(const Data::TDataObject* source) {
  const auto* t = dynamic_cast<const TAITarget*>(source);
  if (!t) return TDataObject::Assign(source);
  ID = t->ID;
  ObjectID = t->ObjectID;
  ReferenceID = t->ReferenceID;
  ReferenceKind = t->ReferenceKind;
  Valid = t->Valid;
  Kind = t->Kind;
  FieldX = t->FieldX;
  FieldY = t->FieldY;
  Radius = t->Radius;
}

void TAITarget::Load(Data::TStream& s) {
  TDataObject::Load(s);
  ObjectID = Data::ReadU32(s);
  Kind = Data::ReadU32(s);
  FieldX = Data::ReadI32(s);
  FieldY = Data::ReadI32(s);
  Radius = Data::ReadI32(s);
  ReferenceID = Data::ReadU32(s);
  ReferenceKind = Data::ReadU32(s);
  Valid = Data::ReadU8(s);
}

void TAITarget::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU32(s, ObjectID);
  Data::WriteU32(s, Kind);
  Data::WriteI32(s, FieldX);
  Data::WriteI32(s, FieldY);
  Data::WriteI32(s, Radius);
  Data::WriteU32(s, ReferenceID);
  Data::WriteU32(s, ReferenceKind);
  Data::WriteU8(s, Valid);
}

void TAITarget::Clear() {
  ObjectID = ReferenceID = ReferenceKind = 0;
  Valid = 0;
  Kind = tkNone;
  FieldX = FieldY = -1;
  Radius = 0;
}

namespace {

TScenario* ScenarioOf(const TAIHandler* h) { return h ? h->Scenario : nullptr; }

Data::TDataObject* Lookup(const TScenario* s, u32 kind, u32 id) {
  if (!s) return nullptr;
  switch (kind) {
    case tkUnit: return s->Units.LookupByID(id);
    case tkGroup: return s->FindGroup(id);
    case tkLocation: return s->FindMapObject(id);
    default: return nullptr;
  }
}

}  // namespace

Data::TDataObject* TAITarget::Resolve() const { return Lookup(ScenarioOf(Handler), Kind, ObjectID); }

Data::TDataObject* TAITarget::ResolveReference() const {
  const TScenario* s = ScenarioOf(Handler);
  if (!s) return nullptr;
  if (ReferenceKind == rkUnit) return s->Units.LookupByID(ReferenceID);
  if (ReferenceKind == rkGroup) return s->FindGroup(ReferenceID);
  return nullptr;
}

void TAITarget::SetObject(const Data::TDataObject* object) {
  if (!object) {
    ObjectID = 0;
    Valid = Kind == tkField ? 1 : 0;
    return;
  }
  ObjectID = object->ID;
  Valid = Resolve() ? 1 : 0;
}

void TAITarget::SetReference(const Data::TDataObject* object) { ReferenceID = object ? object->ID : 0; }

void TAITarget::SetField(i32 x, i32 y) {
  FieldX = x;
  FieldY = y;
}

bool TAITarget::Validate() {
  bool ok;
  if (Kind == tkField || Kind == tkAlways) {
    ok = true;
  } else {
    Data::TDataObject* o = Resolve();
    ok = o != nullptr;
    if (ok && Kind == tkUnit) {
      const auto* u = static_cast<const TUnit*>(o);
      ok = (u->GetGroup() || u->GetCity()) && !u->IsRecruit();
    }
  }
  Valid = ok ? 1 : 0;
  return ok;
}

bool TAITarget::IsVisible() const {
  const TPlayer* p = Handler ? Handler->Player : nullptr;
  if (!p || !p->Fog) return false;
  switch (Kind) {
    case tkField: return p->Fog->GetState(FieldX, FieldY, fsUnexplored) == fsVisible;
    case tkUnit: {
      const auto* u = static_cast<const TUnit*>(Resolve());
      const TGroup* g = u ? u->GetGroup() : nullptr;
      return g && p->CanSee(g);
    }
    case tkGroup: {
      const auto* g = static_cast<const TGroup*>(Resolve());
      return g && p->CanSee(g);
    }
    case tkLocation: {
      const auto* l = dynamic_cast<const TLocation*>(Resolve());
      if (!l) return false;
      for (i32 i = 0; i < l->EntranceArea->Count(); ++i) {
        const TField& f = (*l->EntranceArea)[i];
        if (p->Fog->GetState(f.x, f.y, fsUnexplored) == fsVisible) return true;
      }
      return false;
    }
    default: return false;
  }
}

bool TAITarget::IsHostile() const {
  const TPlayer* p = Handler ? Handler->Player : nullptr;
  if (!p) return false;
  const TPlayer* owner = nullptr;
  switch (Kind) {
    case tkUnit: {
      const auto* u = static_cast<const TUnit*>(Resolve());
      const TGroup* g = u ? u->GetGroup() : nullptr;
      owner = g ? g->GetOwner() : nullptr;
      break;
    }
    case tkGroup: {
      const auto* g = static_cast<const TGroup*>(Resolve());
      owner = g ? g->GetOwner() : nullptr;
      break;
    }
    case tkLocation: {
      const auto* c = dynamic_cast<const TCity*>(Resolve());
      owner = c ? c->GetOwner() : nullptr;
      break;
    }
    default: break;
  }
  return owner && owner->GetRelation(p) == rHostile;
}

void TAITarget::UpdateField() {
  if (!Validate()) return;
  if (Kind == tkUnit) {
    if (!UnitField(static_cast<const TUnit*>(Resolve()), FieldX, FieldY)) FieldX = FieldY = -1;
  } else if (Kind == tkGroup) {
    const auto* g = static_cast<const TGroup*>(Resolve());
    FieldX = g->FieldX();
    FieldY = g->FieldY();
  }
}

i32 TAITarget::CostTo(i32 x, i32 y) const {
  TScenario* s = ScenarioOf(Handler);
  if (!s) return PathCostLimit;
  return Handler->CostBetween(FieldX, FieldY, x, y);
}

i32 TAITarget::CostToUnit(const TUnit* unit) const {
  i32 x, y;
  if (!UnitField(unit, x, y)) return PathCostLimit;
  return CostTo(x, y);
}

i32 TAITarget::CostToTarget(const TAITarget& other) const { return CostTo(other.FieldX, other.FieldY); }

void TAITaskHeader::Assign(const Data::TDataObject* source) {
  const auto* h = dynamic_cast<const TAITaskHeader*>(source);
  if (!h) return TDataObject::Assign(source);
  ID = h->ID;
  TaskType = h->TaskType;
  Target.CopyFrom(&h->Target);
  Target.ID = h->Target.ID;
}

void TAITaskHeader::Load(Data::TStream& s) {
  TDataObject::Load(s);
  TaskType = Data::ReadU32(s);
  Target.Load(s);
}

void TAITaskHeader::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU32(s, TaskType);
  Target.Save(s);
}

void TAITaskHeader::Clear() {
  TaskType = ttNone;
  Target.Clear();
}

}  // namespace AIHandler
