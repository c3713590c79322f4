#include "tools/demodata/scenario/demo_opponent.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "world/units/unit.h"

namespace Builder {

namespace {

// Reads fields and keeps their bytes as they were.
class TCopier {
 public:
  explicit TCopier(Data::TStream& in) : In(in) {}
  u32 U32() {
    const u32 v = Data::ReadU32(In);
    Data::WriteU32(Out, v);
    return v;
  }
  void Bytes(i64 n) {
    Data::CheckAvailable(In, n, 1);
    std::string buffer(static_cast<std::size_t>(n), '\0');
    if (n) In.ReadBuffer(buffer.data(), static_cast<i32>(n));
    Out.WriteBuffer(buffer.data(), static_cast<i32>(n));
  }
  void String() { Data::WriteString(Out, Data::ReadString(In)); }
  void IDList() {
    const u32 n = U32();
    Bytes(4 * static_cast<i64>(n));
  }
  std::string Take() {
    std::string out = Out.AsString();
    Out = Data::TMemoryStream();
    return out;
  }

 private:
  Data::TStream& In;
  Data::TMemoryStream Out;
};

std::unique_ptr<GameData::TOpponent> MakeDemoOpponent(GameData::TPlayer*) { return std::make_unique<TDemoOpponent>(); }

}  // namespace

TDemoOpponent::TUnitRecord* TDemoOpponent::FindUnit(u32 unitID) {
  for (TUnitRecord& r : Records)
    if (r.UnitID == unitID) return &r;
  return nullptr;
}

namespace {
TDemoOpponent::TUnitRecord& Known(TDemoOpponent& o, u32 unitID) {
  TDemoOpponent::TUnitRecord* r = o.FindUnit(unitID);
  if (!r) throw std::invalid_argument("the plan names a unit that has no AI unit");
  return *r;
}
}  // namespace

bool TDemoOpponent::AddUnit(GameData::TUnit* unit) {
  if (FindUnit(unit->ID)) return true;
  TUnitRecord r;
  r.ID = NextID++;
  r.UnitID = unit->ID;
  Records.push_back(r);
  return true;
}

bool TDemoOpponent::RemoveUnit(GameData::TUnit* unit, bool) {
  auto it = std::find_if(Records.begin(), Records.end(), [unit](const TUnitRecord& r) { return r.UnitID == unit->ID; });
  if (it == Records.end()) return false;
  Records.erase(it);
  return true;
}

void TDemoOpponent::Clear() {
  PassFlag = 0;
  Records.clear();
  TaskCount = ArmyCount = 0;
  TaskBytes.clear();
  ArmyBytes.clear();
  QueueBytes.assign(8, '\0');
}

void TDemoOpponent::Load(Data::TStream& s) {
  TDataObject::Load(s);
  NextID = Data::ReadU32(s);
  PassFlag = Data::ReadU32(s);
  const u32 units = Data::ReadU32(s);
  Data::CheckAvailable(s, units, 19);
  for (u32 i = 0; i < units; ++i) {
    TUnitRecord r;
    r.ID = Data::ReadU32(s);
    r.Assigned = Data::ReadU8(s);
    r.Score = Data::ReadI32(s);
    r.Alive = Data::ReadU8(s);
    r.FitnessID = Data::ReadU32(s);
    r.UnitID = Data::ReadU32(s);
    r.InArmy = Data::ReadU8(s);
    if (r.InArmy) r.ArmyID = Data::ReadU32(s);
    Records.push_back(r);
  }
  TCopier c(s);
  TaskCount = Data::ReadU32(s);
  Data::CheckAvailable(s, TaskCount, 70);
  for (u32 i = 0; i < TaskCount; ++i) {
    c.U32();
    c.String();
    c.Bytes(8 + 33 + 16 + 1);
    c.IDList();
  }
  TaskBytes = c.Take();
  ArmyCount = Data::ReadU32(s);
  Data::CheckAvailable(s, ArmyCount, 12);
  for (u32 i = 0; i < ArmyCount; ++i) {
    c.U32();
    c.String();
    c.IDList();
  }
  ArmyBytes = c.Take();
  c.U32();
  const u32 messages = c.U32();
  Data::CheckData(messages <= 500);
  for (u32 i = 0; i < messages; ++i) c.String();
  QueueBytes = c.Take();
}

void TDemoOpponent::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU32(s, NextID);
  Data::WriteU32(s, PassFlag);
  Data::WriteU32(s, static_cast<u32>(Records.size()));
  for (const TUnitRecord& r : Records) {
    Data::WriteU32(s, r.ID);
    Data::WriteU8(s, r.Assigned);
    Data::WriteI32(s, r.Score);
    Data::WriteU8(s, r.Alive);
    Data::WriteU32(s, r.FitnessID);
    Data::WriteU32(s, r.UnitID);
    Data::WriteU8(s, r.InArmy);
    if (r.InArmy) Data::WriteU32(s, r.ArmyID);
  }
  Data::WriteU32(s, TaskCount);
  s.WriteBuffer(TaskBytes.data(), static_cast<i32>(TaskBytes.size()));
  Data::WriteU32(s, ArmyCount);
  s.WriteBuffer(ArmyBytes.data(), static_cast<i32>(ArmyBytes.size()));
  s.WriteBuffer(QueueBytes.data(), static_cast<i32>(QueueBytes.size()));
}

u32 TDemoOpponent::AddTask(u32 type, const TTarget& target, i32 priority, const std::vector<u32>& unitIDs,
                            bool active) {
  const u32 id = NextID++;
  Data::TMemoryStream t;
  Data::WriteU32(t, id);
  Data::WriteString(t, "");
  Data::WriteU32(t, 0);  // the header's ID
  Data::WriteU32(t, type);
  Data::WriteU32(t, 0);  // the target's ID
  Data::WriteU32(t, target.ObjectID);
  Data::WriteU32(t, target.Kind);
  Data::WriteI32(t, target.FieldX);
  Data::WriteI32(t, target.FieldY);
  Data::WriteI32(t, target.Radius);
  Data::WriteU32(t, 0);  // no reference
  Data::WriteU32(t, 0);
  Data::WriteU8(t, target.Valid);
  Data::WriteU32(t, 0);  // the reserved word
  Data::WriteI32(t, priority);
  Data::WriteI32(t, 0);
  Data::WriteI32(t, 0);
  Data::WriteU8(t, active ? 1 : 0);
  Data::WriteU32(t, static_cast<u32>(unitIDs.size()));
  for (u32 unitID : unitIDs) {
    TUnitRecord& r = Known(*this, unitID);
    r.Assigned = 1;
    Data::WriteU32(t, r.ID);
  }
  TaskBytes += t.AsString();
  ++TaskCount;
  return id;
}

u32 TDemoOpponent::AddArmy(const std::string& name, const std::vector<u32>& unitIDs) {
  const u32 id = NextID++;
  Data::TMemoryStream a;
  Data::WriteU32(a, id);
  Data::WriteString(a, name);
  Data::WriteU32(a, static_cast<u32>(unitIDs.size()));
  for (u32 unitID : unitIDs) {
    TUnitRecord& r = Known(*this, unitID);
    r.InArmy = 1;
    r.ArmyID = id;
    Data::WriteU32(a, r.ID);
  }
  ArmyBytes += a.AsString();
  ++ArmyCount;
  return id;
}

TDemoOpponentConnection::TDemoOpponentConnection() : Saved(GameData::ConnectedOpponent()) {
  GameData::ConnectOpponent(MakeDemoOpponent);
}

TDemoOpponentConnection::~TDemoOpponentConnection() { GameData::ConnectOpponent(Saved); }

}  // namespace Builder
