#include "world/locations/location.h"

#include <algorithm>

#include "world/data2/global_data.h"
#include "world/locations/city.h"

namespace GameData {

TLocation::TLocation(TScenario* scenario, u16 type, const std::string& caption)
    : TMapObject(scenario, type, caption) {}

void TLocation::Load(Data::TStream& s) {
  TMapObject::Load(s);
  Data::ReadString(s, Name);
  OccupiedArea->Load(s);
  EntranceArea->Load(s);
  SightArea->Load(s);
  Caption = Name;
}

void TLocation::Save(Data::TStream& s) const {
  TMapObject::Save(s);
  Data::WriteString(s, Name);
  OccupiedArea->Save(s);
  EntranceArea->Save(s);
  SightArea->Save(s);
}

void TLocation::Clear() {
  TMapObject::Clear();
  Name.clear();
  OccupiedArea->Clear();
  EntranceArea->Clear();
  SightArea->Clear();
}

Base::TRect TLocation::OccupiedRect() const {
  const TArea& a = *OccupiedArea;
  if (a.Count() == 0) return {};
  i32 x0 = a[0].x, x1 = a[0].x, y0 = a[0].y, y1 = a[0].y;
  for (i32 i = 1; i < a.Count(); ++i) {
    x0 = std::min<i32>(x0, a[i].x);
    x1 = std::max<i32>(x1, a[i].x);
    y0 = std::min<i32>(y0, a[i].y);
    y1 = std::max<i32>(y1, a[i].y);
  }
  return {x0 * 40, y0 * 40, (x1 + 1) * 40, (y1 + 1) * 40};
}

TBuilding::TBuilding(TScenario* scenario) : TLocation(scenario, otBuilding, "Geb\xE4ude") {}

i32 GetEntryCost(const TLocation* location) {
  if (!location || !Data2::GlobalData) return 0;
  const Data2::TGlobalData& g = *Data2::GlobalData;
  if (location->Type == otBuilding) return g.BuildingEntryCost;
  if (location->Type == otCity)
    return static_cast<const TCity*>(location)->Closed ? g.BuildingEntryCost : g.CityEntryCost;
  return 0;
}

}  // namespace GameData
