#include "world/map/area.h"

#include <limits>

namespace GameData {

int CompareFields(const TField& a, const TField& b) {
  if (a.y != b.y) return a.y < b.y ? -1 : 1;
  if (a.x != b.x) return a.x < b.x ? -1 : 1;
  return 0;
}

void TArea::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Fields.Load(s);
  Value = Data::ReadU32(s);
}

void TArea::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Fields.Save(s);
  Data::WriteU32(s, Value);
}

void TArea::Clear() {
  Fields.Clear();
  Value = 0;
}

bool TArea::Find(const TField& field, i32& index) const { return Fields.Find(field, CompareFields, index); }

void TArea::AddSorted(const TField& field) {
  i32 index;
  Find(field, index);
  Fields.Insert(field, index);
}

void TArea::AddField(i32 x, i32 y) { AddSorted({static_cast<i16>(x), static_cast<i16>(y)}); }

bool TArea::ContainsField(i32 x, i32 y) const {
  i32 index;
  return Find({static_cast<i16>(x), static_cast<i16>(y)}, index);
}

i32 TArea::FindNearestField(i32 x, i32 y) const {
  // Start from the distance to (1000, 1000): any field of a real map is nearer.
  const i64 fx = 1000 - static_cast<i64>(x), fy = 1000 - static_cast<i64>(y);
  i64 best = fx * fx + fy * fy;
  i32 found = -1;
  for (i32 i = 0; i < Fields.Count(); ++i) {
    i64 dx = static_cast<i64>(Fields[i].x) - x, dy = static_cast<i64>(Fields[i].y) - y;
    i64 d = dx * dx + dy * dy;
    if (d < best) {
      best = d;
      found = i;
    }
  }
  return found;
}

}  // namespace GameData
