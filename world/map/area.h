// Sets of map fields kept sorted by row, then column.
#pragma once

#include "engine/data/data_object.h"
#include "engine/data/dynamic_array.h"

namespace GameData {

struct TField {
  static constexpr i32 StreamSize = 4;
  i16 x;
  i16 y;
  void Read(Data::TStream& s) {
    x = Data::ReadI16(s);
    y = Data::ReadI16(s);
  }
  void Write(Data::TStream& s) const {
    Data::WriteI16(s, x);
    Data::WriteI16(s, y);
  }
  bool operator==(const TField&) const = default;
};

// Row order: a before b when a.y < b.y, or the rows match and a.x < b.x.
int CompareFields(const TField& a, const TField& b);

class TArea : public Data::TDataObject {
 public:
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  // The index where the field is or would be inserted; true when there.
  bool Find(const TField& field, i32& index) const;
  // Inserts at the Find index, also beside an equal field.
  void AddSorted(const TField& field);
  void AddField(i32 x, i32 y);
  bool ContainsField(i32 x, i32 y) const;
  // The field nearest to (x, y) by squared distance, the first of equals; -1 when empty.
  i32 FindNearestField(i32 x, i32 y) const;
  i32 Count() const { return Fields.Count(); }
  const TField& operator[](i32 i) const { return Fields[i]; }

  Data::TDynamicArray<TField> Fields;
  u32 Value = 0;
};

}  // namespace GameData
