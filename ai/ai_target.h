// What a task aims at: a unit, a group, a field, a location, or nothing.
// Objects are named by ID so that a target survives its object and a save.
#pragma once

#include "engine/data/data_object.h"

namespace GameData {
class TMapObject;
class TUnit;
}  // namespace GameData

namespace AIHandler {

class TAIHandler;

enum TAITaskType : u32 {
  ttNone = 0,
  ttAttackUnit = 1,
  ttAttackGroup = 2,
  ttGoToField = 3,
  ttGuardArea = 4,
  ttProtectUnit = 5,
  ttCityTask = 6,
  ttIdle = 7,
  ttFollowUnit = 8,
};

enum TAITargetKind : u32 { tkNone = 0, tkUnit = 1, tkGroup = 2, tkField = 3, tkLocation = 4, tkAlways = 5 };

// The second object of a target, for the execution of follow and protect tasks.
enum TAIReferenceKind : u32 { rkNone = 0, rkUnit = 1, rkGroup = 2 };

// Resolve and the queries reach the world through the handler; a target
// without one resolves to nothing.
class TAITarget : public Data::TDataObject {
 public:
  static constexpr i32 StreamSize = 33;
  explicit TAITarget(TAIHandler* handler = nullptr) : Handler(handler) {}

  void Assign(const Data::TDataObject* source) override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  // Null for kinds 0, 3 and 5 and for an object that no longer exists; a
  // TUnit for kind 1, a TGroup for 2, any map object for 4.
  Data::TDataObject* Resolve() const;
  Data::TDataObject* ResolveReference() const;
  // The kind is set first.
  void SetObject(const Data::TDataObject* object);
  void SetReference(const Data::TDataObject* object);
  void SetField(i32 x, i32 y);
  bool Validate();
  bool IsVisible() const;
  bool IsHostile() const;
  void UpdateField();
  i32 CostTo(i32 x, i32 y) const;
  // To the field of the unit's group, else of its city.
  i32 CostToUnit(const GameData::TUnit* unit) const;
  i32 CostToTarget(const TAITarget& other) const;

  TAIHandler* Handler;
  u32 ObjectID = 0;
  u32 ReferenceID = 0;
  u32 ReferenceKind = rkNone;
  u8 Valid = 0;
  u32 Kind = tkNone;
  i32 FieldX = -1;
  i32 FieldY = -1;
  i32 Radius = 0;
};

class TAITaskHeader : public Data::TDataObject {
 public:
  explicit TAITaskHeader(TAIHandler* handler = nullptr) : Target(handler) {}

  void Assign(const Data::TDataObject* source) override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  u32 TaskType = ttNone;
  TAITarget Target;
};

// The field of a unit's group, else of its city; false when it stands in neither.
bool UnitField(const GameData::TUnit* unit, i32& x, i32& y);

}  // namespace AIHandler
