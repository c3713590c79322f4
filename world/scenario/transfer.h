// The campaign transfer: the units that travel from a won mission into the
// next one. The living units of the campaign player are collected, healed
// and set aside; the next mission adds the units waiting there and marks
// those it requires; the chosen ones are placed on the player's start area.
// Between those steps the lists own units of no scenario, and a save game
// carries them.
#pragma once

#include "engine/data/data_list.h"
#include "world/units/unit.h"

namespace GameData {

class TScenario;

class TTransfer : public Data::TDataObject {
 public:
  TTransfer();
  ~TTransfer() override;
  TTransfer(const TTransfer&) = delete;
  TTransfer& operator=(const TTransfer&) = delete;

  // Both lists, then one flags record per available unit. Its own ID is not
  // stored.
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  void TransferUnit(TUnit* unit);
  void ReturnUnit(TUnit* unit);
  // The player's living units of a won scenario, healed, in registry order.
  void CollectSurvivors(TScenario& scenario, i32 playerIndex);
  void AddWaitingUnits(TScenario& scenario);
  void AddRequiredUnits(TScenario& scenario);
  // The transferred units go onto the player's start area and belong to the
  // scenario from then on; the others are deleted.
  void PlaceTransferredUnits(TScenario& scenario, i32 playerIndex);

  Data::TDataList<TUnit> Available{true};
  Data::TDataList<TUnit> Transferred{true};
};

}  // namespace GameData
