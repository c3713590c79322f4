// Locations: map objects that cover a set of fields and that groups enter;
// buildings are locations without a picture of their own.
#pragma once

#include <memory>

#include "world/map/area.h"
#include "world/map/map_object.h"

namespace GameData {

class TLocation : public TMapObject {
 public:
  TLocation(TScenario* scenario, u16 type, const std::string& caption);
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  // The sight fields: the sight area, or the occupied area when it is empty.
  const TArea& SightFields() const { return SightArea->Count() > 0 ? *SightArea : *OccupiedArea; }
  // The bounding rectangle of the occupied fields in pixels; empty without fields.
  Base::TRect OccupiedRect() const;

  std::string Name;
  std::unique_ptr<TArea> OccupiedArea = std::make_unique<TArea>();
  std::unique_ptr<TArea> EntranceArea = std::make_unique<TArea>();
  std::unique_ptr<TArea> SightArea = std::make_unique<TArea>();
};

class TBuilding : public TLocation {
 public:
  explicit TBuilding(TScenario* scenario);
  Gfx::TSprite* GetSprite() const override { return nullptr; }
  Base::TRect GetRect() const override { return OccupiedRect(); }
  bool HitTest(i32 x, i32 y) const override { return OccupiedArea->ContainsField(x / 40, y / 40); }
};

// Action points of entering a location: a building, a city (or a closed one), else 0.
i32 GetEntryCost(const TLocation* location);

}  // namespace GameData
