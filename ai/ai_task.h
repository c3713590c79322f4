// A task of the computer opponent: a type and target, a priority and the AI
// units given to it; and the multi-task that runs several tasks as one.
#pragma once

#include <string>

#include "ai/ai_unit.h"
#include "engine/data/data_list.h"

namespace GameData {
struct TNotification;
}

namespace AIHandler {

class TAIArmy;
class TAITask;

// Not owning: the objects belong to the handler's lists.
using TAIVirtualUnitList = Data::TObjectList<TAIUnit>;
using TAIVirtualTaskList = Data::TObjectList<TAITask>;
using TAITaskList = Data::TDataList<TAITask>;

class TAITask : public Data::TDataObject {
 public:
  // With newID the task takes the handler's next ID, else 0 until loaded.
  explicit TAITask(TAIHandler* handler = nullptr, bool newID = false);
  ~TAITask() override;
  TAITask(const TAITask&) = delete;
  TAITask& operator=(const TAITask&) = delete;

  void Assign(const Data::TDataObject* source) override;
  // Unit IDs are looked up in the handler's AI units.
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  // Leaves the units' flags alone.
  void Clear() override;

  // Refused for a unit that is assigned or in an army.
  bool AssignUnit(TAIUnit* unit);
  void UnassignUnit(TAIUnit* unit);
  void UnassignAll();
  bool UnassignUnitIfFree(TAIUnit* unit);
  void AssignArmy(TAIArmy* army);
  // False at the first army unit (from the last) that this task does not hold.
  bool UnassignArmy(TAIArmy* army);
  bool HasUnit(const TAIUnit* unit) const;
  bool HasGameUnit(const GameData::TUnit* unit) const;
  bool HasArmy(const TAIArmy* army) const;
  void SetPriority(i32 value) { Priority = value; }
  void SetGoToField(i32 x, i32 y, i32 radius);
  void SetCityTask(const GameData::TCity* city);

  // Planning.
  bool IsFinished();
  void SetRequiredStrength();
  void AssignUnits(TAIVirtualUnitList& pool);
  void AddArmyMates(TAIUnit* unit);
  void AddGroupMates(TAIUnit* unit);
  void RankByDistanceToTarget(TAIVirtualUnitList& list);
  void RankByDistanceToUnit(TAIVirtualUnitList& list, TAIUnit* reference);
  void RankByScouting(TAIVirtualUnitList& list);
  void RankByGuarding(TAIVirtualUnitList& list);
  void RankBySiege(TAIVirtualUnitList& list);
  void RefreshTarget();
  void ApplyNotification(const GameData::TNotification& notification);
  // The owner's relation to the owner of the target unit or group; -1 when none.
  i32 RelationToTarget();

  TAIHandler* Handler;
  std::string Name;
  u32 Reserved = 0;
  TAITaskHeader Header;
  TAIVirtualUnitList Units;
  i32 Priority = 0;
  i32 ObtainedStrength = 0;
  i32 RequiredStrength = 0;
  u8 Active = 1;
  // Owned, never stored.
  TAITaskList SubTasks{false};
};

// Not stored: rebuilt at every pass.
class TAIMultiTask : public Data::TDataObject {
 public:
  TAIMultiTask() = default;
  ~TAIMultiTask() override;
  TAIMultiTask(const TAIMultiTask&) = delete;
  TAIMultiTask& operator=(const TAIMultiTask&) = delete;

  void Assign(const Data::TDataObject*) override {}
  void Load(Data::TStream&) override {}
  void Save(Data::TStream&) const override {}
  void Clear() override {}

  // Creates the combined task with a new ID.
  void Init(TAIHandler* handler);
  // Makes the combined task the one to run now; false when none.
  bool Prepare();

  TAIHandler* Handler = nullptr;
  TAITask* Combined = nullptr;
  TAIVirtualTaskList Members;
};

using TAIMultiTaskList = Data::TDataList<TAIMultiTask>;

}  // namespace AIHandler
