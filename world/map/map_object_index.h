// A grid over the map that finds the map objects near a pixel without
// walking the whole list: each object is entered in the cells its largest
// possible rectangle covers; very large ones, and those far outside the map,
// are kept aside and always offered.
#pragma once

#include <unordered_map>
#include <vector>

#include "engine/base/rect.h"
#include "engine/base/types.h"

namespace GameData {

class TMapObject;

class TMapObjectIndex {
 public:
  // Sets up an empty grid for a map of width x height fields.
  void Reset(i32 width, i32 height);
  void Insert(TMapObject* object);
  void Erase(const TMapObject* object);
  void Update(TMapObject* object);
  // Objects that may cover the pixel, in no particular order; every object
  // when the pixel lies far outside the map.
  void Candidates(i32 px, i32 py, std::vector<TMapObject*>& out) const;
  void Clear();

  // The rectangle an object can cover without moving.
  static Base::TRect Bounds(const TMapObject* object);

 private:
  static constexpr i32 CellPixels = 80;
  static constexpr i32 MarginCells = 2;
  static constexpr i32 MaxSpanCells = 4;

  struct TSlot {
    i32 X0 = 0, Y0 = 0, X1 = -1, Y1 = -1;  // cells, inclusive; empty when outside
    bool Spilled = false;
  };

  bool CellOf(i32 px, i32 py, i32& cx, i32& cy) const;
  std::vector<TMapObject*>& Cell(i32 cx, i32 cy) { return Cells[static_cast<std::size_t>(cy) * CellsX + cx]; }
  const std::vector<TMapObject*>& Cell(i32 cx, i32 cy) const {
    return Cells[static_cast<std::size_t>(cy) * CellsX + cx];
  }

  i32 CellsX = 0, CellsY = 0;
  std::vector<std::vector<TMapObject*>> Cells;
  std::vector<TMapObject*> Spill;
  std::unordered_map<const TMapObject*, TSlot> Slots;
};

}  // namespace GameData
