#include "ai/ai_cost_map.h"

#include <chrono>

#include "world/scenario/scenario.h"

namespace AIHandler {

const std::vector<i32>& TAICostMap::Fill(const GameData::TScenario& s, i32 fromX, i32 fromY, i32 limit) {
  ++Queries;
  ++Clock;
  if (s.Width != Width || s.Height != Height || s.Costs != Costs || s.Heights != Heights) {
    Entries.clear();
    Width = s.Width;
    Height = s.Height;
    Costs = s.Costs;
    Heights = s.Heights;
  }
  if (Caching)
    for (TEntry& e : Entries)
      if (e.X == fromX && e.Y == fromY && e.Limit == limit) {
        e.Used = Clock;
        return e.Costs;
      }
  TEntry* slot = nullptr;
  if (Entries.size() < (Caching ? MaxEntries : 1)) {
    slot = &Entries.emplace_back();
  } else {
    slot = &Entries.front();
    for (TEntry& e : Entries)
      if (e.Used < slot->Used) slot = &e;
  }
  ++Fills;
  const auto start = std::chrono::steady_clock::now();
  Work.SpreadCostMapInto(s, fromX, fromY, limit, slot->Costs);
  FillNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
  slot->X = fromX;
  slot->Y = fromY;
  slot->Limit = limit;
  slot->Used = Clock;
  return slot->Costs;
}

i32 TAICostMap::CostTo(const GameData::TScenario& s, i32 fromX, i32 fromY, i32 limit, i32 toX, i32 toY) {
  const std::vector<i32>& costs = Fill(s, fromX, fromY, limit);
  return s.IsFieldOnMap(toX, toY) ? costs[static_cast<std::size_t>(s.FieldIndex(toX, toY))] : limit;
}

void TAICostMap::Invalidate() { Entries.clear(); }

}  // namespace AIHandler
