// The computer's view of one of its own game units, and the measures that
// rank it for a task.
#pragma once

#include "ai/ai_target.h"

namespace GameData {
class TCity;
class TGroup;
class TMapObject;
class TUnit;
}  // namespace GameData

namespace AIHandler {

class TAIArmy;

// Measures one game unit against the task header set last.
class TAIFitness : public Data::TDataObject {
 public:
  static constexpr i32 StreamSize = 8;
  explicit TAIFitness(TAIHandler* handler = nullptr) : Handler(handler) {}

  void Assign(const Data::TDataObject* source) override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  void SetHeader(const TAITaskHeader* header) { Header = header; }
  void SetUnit(const GameData::TUnit* unit);
  // Null when the scenario no longer holds the unit.
  GameData::TUnit* GetUnit() const;

  i32 AttackValue() const;
  i32 SpellValue() const;
  i32 Distance() const;
  i32 ScoutValue() const;
  i32 GuardValue() const;
  i32 SiegeValue() const;

  TAIHandler* Handler;
  const TAITaskHeader* Header = nullptr;
  u32 UnitID = 0;
};

class TAIUnit : public Data::TDataObject {
 public:
  explicit TAIUnit(TAIHandler* handler = nullptr) : Handler(handler), Fitness(handler) {}

  void Assign(const Data::TDataObject* source) override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  // Once false, false for good.
  bool IsAlive();
  GameData::TUnit* GetUnit() const { return Fitness.GetUnit(); }
  GameData::TGroup* GetGroup() const;
  GameData::TCity* GetCity() const;
  // 0 when the game unit is gone or stands in no group or city.
  i32 GetFieldX() const;
  i32 GetFieldY() const;
  bool IsRecruit() const;
  bool IsInClosedCity() const;
  i32 CostTo(i32 x, i32 y) const;
  // 1000 when the other stands in no group or city.
  i32 CostToUnit(const TAIUnit& other) const;
  i32 CostToObject(const GameData::TMapObject* object) const;

  i32 EvalAttack(const TAITaskHeader* header);
  i32 EvalSpell(const TAITaskHeader* header);
  i32 EvalDistance(const TAITaskHeader* header);
  i32 EvalScout(const TAITaskHeader* header);
  i32 EvalGuard(const TAITaskHeader* header);
  i32 EvalSiege(const TAITaskHeader* header);

  TAIHandler* Handler;
  TAIFitness Fitness;
  u8 Alive = 0;
  TAIArmy* Army = nullptr;
  // The army ID read from a stream, linked by the handler once the armies are read.
  u32 StoredArmyID = 0;
  u8 Assigned = 0;
  u8 InArmy = 0;
  // Scratch of the rankings; stored but meaningless between passes.
  i32 Score = 0;
};

}  // namespace AIHandler
