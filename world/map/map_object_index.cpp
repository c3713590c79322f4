#include "world/map/map_object_index.h"

#include <algorithm>

#include "world/locations/location.h"
#include "world/map/drawing.h"
#include "world/units/group.h"

namespace GameData {

namespace {

i32 FloorDiv(i32 a, i32 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

Base::TRect TMapObjectIndex::Bounds(const TMapObject* object) {
  Base::TRect r = object->GetRect();
  switch (object->Type) {
    case otGroup:
      // A camp covers the 3 x 3 fields around the group.
      r = Base::UnionRect(r, {object->X - 60, object->Y - 60, object->X + 61, object->Y + 61});
      break;
    case otAnimation:
      r = Base::UnionRect(r, static_cast<const TAnimation*>(object)->FullRect());
      break;
    case otCity:
    case otBuilding:
      r = Base::UnionRect(r, static_cast<const TLocation*>(object)->OccupiedRect());
      break;
    default:
      break;
  }
  return r;
}

void TMapObjectIndex::Reset(i32 width, i32 height) {
  Clear();
  CellsX = FloorDiv(width * 40 + CellPixels - 1, CellPixels) + 2 * MarginCells;
  CellsY = FloorDiv(height * 40 + CellPixels - 1, CellPixels) + 2 * MarginCells;
  Cells.assign(static_cast<std::size_t>(CellsX) * CellsY, {});
}

void TMapObjectIndex::Clear() {
  Cells.clear();
  Spill.clear();
  Slots.clear();
  CellsX = CellsY = 0;
}

bool TMapObjectIndex::CellOf(i32 px, i32 py, i32& cx, i32& cy) const {
  cx = FloorDiv(px, CellPixels) + MarginCells;
  cy = FloorDiv(py, CellPixels) + MarginCells;
  return cx >= 0 && cy >= 0 && cx < CellsX && cy < CellsY;
}

void TMapObjectIndex::Insert(TMapObject* object) {
  TSlot slot;
  Base::TRect b = Bounds(object);
  if (!Base::IsRectEmpty(b)) {
    bool inside = CellOf(b.Left, b.Top, slot.X0, slot.Y0) && CellOf(b.Right - 1, b.Bottom - 1, slot.X1, slot.Y1);
    if (!inside || slot.X1 - slot.X0 >= MaxSpanCells || slot.Y1 - slot.Y0 >= MaxSpanCells) {
      slot = TSlot{};
      slot.Spilled = true;
      Spill.push_back(object);
    } else {
      for (i32 cy = slot.Y0; cy <= slot.Y1; ++cy)
        for (i32 cx = slot.X0; cx <= slot.X1; ++cx) Cell(cx, cy).push_back(object);
    }
  }
  Slots[object] = slot;
}

void TMapObjectIndex::Erase(const TMapObject* object) {
  auto it = Slots.find(object);
  if (it == Slots.end()) return;
  const TSlot& slot = it->second;
  auto drop = [object](std::vector<TMapObject*>& v) { std::erase(v, object); };
  if (slot.Spilled) drop(Spill);
  for (i32 cy = slot.Y0; cy <= slot.Y1; ++cy)
    for (i32 cx = slot.X0; cx <= slot.X1; ++cx) drop(Cell(cx, cy));
  Slots.erase(it);
}

void TMapObjectIndex::Update(TMapObject* object) {
  Erase(object);
  Insert(object);
}

void TMapObjectIndex::Candidates(i32 px, i32 py, std::vector<TMapObject*>& out) const {
  out.clear();
  i32 cx, cy;
  if (!CellOf(px, py, cx, cy)) {
    for (const auto& [object, slot] : Slots) out.push_back(const_cast<TMapObject*>(object));
    return;
  }
  const auto& cell = Cell(cx, cy);
  out.insert(out.end(), cell.begin(), cell.end());
  out.insert(out.end(), Spill.begin(), Spill.end());
}

}  // namespace GameData
