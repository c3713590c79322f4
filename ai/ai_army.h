// A named set of AI units that join and leave tasks as one.
#pragma once

#include <string>

#include "ai/ai_task.h"

namespace AIHandler {

class TAIArmy : public Data::TDataObject {
 public:
  TAIArmy() = default;
  ~TAIArmy() override;
  TAIArmy(const TAIArmy&) = delete;
  TAIArmy& operator=(const TAIArmy&) = delete;

  // With newID the army takes the handler's next ID.
  void Init(TAIHandler* handler, bool newID);
  void Assign(const Data::TDataObject* source) override;
  // Unit IDs are looked up in the handler's AI units.
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  // Refused for a unit in an army or assigned to a task; joins the task
  // that holds the army's units, if any.
  bool AddUnit(TAIUnit* unit);
  // Its task keeps it.
  bool RemoveUnit(TAIUnit* unit);
  bool Contains(const TAIUnit* unit) const { return Units.IndexOf(unit) >= 0; }
  bool HasAssignedUnit() const;

  TAIHandler* Handler = nullptr;
  std::string Name;
  TAIVirtualUnitList Units;
};

using TAIArmyList = Data::TDataList<TAIArmy>;

}  // namespace AIHandler
