// The computer opponent's own cost maps. The player thread fills them on a
// path work of its own, so that it never writes the scenario's CostMap or
// path work, which the main thread uses for its own searches.
//
// A map depends only on the terrain, its start field and its limit. The
// terrain changes only while the turn waits for a posted record (a script
// may open a passage), so every fill first compares the terrain with the one
// the kept maps were filled on and drops them when it differs: kept maps
// answer exactly as a fresh fill would.
#pragma once

#include <vector>

#include "world/map/path_work.h"

namespace GameData {
class TScenario;
}

namespace AIHandler {

class TAICostMap {
 public:
  // The cost from (fromX, fromY) to (toX, toY); the limit off the map.
  i32 CostTo(const GameData::TScenario& scenario, i32 fromX, i32 fromY, i32 limit, i32 toX, i32 toY);
  // The whole map from one field, row by row; valid until the next call.
  const std::vector<i32>& Fill(const GameData::TScenario& scenario, i32 fromX, i32 fromY, i32 limit);
  void Invalidate();

  // Off: every query fills afresh (the decisions must not differ).
  bool Caching = true;
  // Fills actually computed, for the measurements.
  u64 Fills = 0;
  u64 Queries = 0;
  i64 FillNanoseconds = 0;

 private:
  struct TEntry {
    i32 X = -1, Y = -1, Limit = 0;
    u64 Used = 0;
    std::vector<i32> Costs;
  };
  static constexpr std::size_t MaxEntries = 32;

  GameData::TPathWork Work;
  std::vector<TEntry> Entries;
  u64 Clock = 0;
  i32 Width = 0, Height = 0;
  // The terrain the kept maps were filled on.
  std::vector<u8> Costs;
  std::vector<i16> Heights;
};

}  // namespace AIHandler
