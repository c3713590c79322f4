// The two searches of the path finder and what they keep between queries:
// their work queues, the step costs by field and neighbour, and the field
// labels, all allocated with the map and never per query. The searches are
// label-correcting in FIFO order with neighbours in direction order, as
// every machine of a network game must run them; the arrays carry a border
// of one field round the map so that a field's eight neighbours are read
// without tests, and a field's neighbours are relaxed without branches
// (which neighbours get cheaper cannot be predicted).
#pragma once

#include <bit>
#include <stdexcept>
#include <vector>

#include "engine/base/types.h"

namespace GameData {

class TScenario;
class TPlayer;
class TGroup;

// A ring of fields with a fixed capacity. A full ring ends the search with
// "Queue overflow.", at the same point on every machine. The ring is a
// power of two larger than the capacity, with eight slots to spare after
// its end: a search writes all eight neighbours of a field at the tail,
// keeps those it queues and folds what ran past the end back to the front.
template <u32 Capacity>
class TFieldQueue {
 public:
  static constexpr u32 Mask = std::bit_ceil(Capacity + 8) - 1;

  // The ring in locals for a search loop, where stores to the field arrays
  // would otherwise make the compiler reload it; Store puts it back.
  struct TCursor {
    i32* Slots;
    u32 Head, Tail;
    bool IsEmpty() const { return Head == Tail; }
    u32 Free() const { return Capacity - ((Tail - Head) & Mask); }
    i32 Pop() {
      const i32 field = Slots[Head];
      Head = (Head + 1) & Mask;
      return field;
    }
    void Push(i32 field) {
      if (Free() == 0) throw std::runtime_error("Queue overflow.");
      Slots[Tail] = field;
      Tail = (Tail + 1) & Mask;
    }
    // Writes the field at the tail and queues it when keep is 1: at most
    // eight offers while eight slots are free, then Fold.
    void Offer(i32 field, u32 keep) {
      Slots[Tail] = field;
      Tail += keep;
    }
    void Fold() {
      if (Tail <= Mask) [[likely]]
        return;
      for (u32 k = Mask + 1; k < Tail; ++k) Slots[k - Mask - 1] = Slots[k];
      Tail &= Mask;
    }
  };

  void Reset() { Head = Tail = 0; }
  TCursor Cursor() { return {Ring.data(), Head, Tail}; }
  void Store(const TCursor& c) {
    Head = c.Head;
    Tail = c.Tail;
  }

 private:
  std::vector<i32> Ring = std::vector<i32>(Mask + 1 + 8);
  u32 Head = 0;
  u32 Tail = 0;
};

// The slope rules of the global game data.
struct TSlopeRules {
  TSlopeRules();
  bool operator==(const TSlopeRules&) const = default;
  i32 Threshold1 = 0, Threshold2 = 0, Limit = 0;
};

constexpr i32 BlockedStep = 255;

// One step onto a field of move cost c, dh higher than the field left;
// BlockedStep and more is blocked.
inline i32 TerrainCost(i32 c, i32 dh, bool diagonal, const TSlopeRules& rules) {
  // A blocked field stays blocked, also downhill.
  if (c >= BlockedStep) return BlockedStep;
  if (diagonal) c += c >> 1;
  const i32 slope = dh < 0 ? -dh : dh;
  if (slope >= rules.Limit) return BlockedStep;
  if (slope >= rules.Threshold2)
    c = dh >= 0 ? c + (c >> 1) : c - (c >> 2);
  else if (slope >= rules.Threshold1)
    c = dh >= 0 ? c + (c >> 2) : c - (c >> 2);
  return c < 1 ? 1 : c;
}

// Whose groups a player's groups walk through: its own and its allies'.
class TPassable {
 public:
  TPassable(const TScenario& scenario, const TPlayer* player);
  bool Blocks(const TGroup* group) const;

 private:
  u8 Owners[256] = {};
};

class TPathWork {
 public:
  // Sizes the arrays for the scenario's map.
  void Resize(const TScenario& scenario);

  // The move-cost search into the scenario's MoveCosts: begin, add the
  // start fields (cost 0, queued in this order), spread.
  void BeginMoveCosts(const TScenario& scenario);
  void AddMoveStart(i32 x, i32 y);
  void SpreadMoveCosts(TScenario& scenario, const TPlayer* owner);
  // The cost-map search into the scenario's CostMap.
  void SpreadCostMap(TScenario& scenario, i32 x, i32 y, i32 limit);
  // The same search into a map of the caller's, row by row; the scenario is
  // only read, so a work of one's own leaves the scenario's maps alone.
  void SpreadCostMapInto(const TScenario& scenario, i32 x, i32 y, i32 limit, std::vector<i32>& out);
  // The terrain step costs for reading paths back: eight per field from
  // StepIndex on, in direction order.
  const u8* StepsFor(const TScenario& scenario);
  i32 StepIndex(i32 x, i32 y) const { return Padded(x, y) * 8; }

 private:
  i32 Padded(i32 x, i32 y) const { return (y + 1) * PaddedWidth + x + 1; }
  // The terrain step costs from each field to its neighbours, BlockedStep
  // for blocked steps and steps off the map; rebuilt when the terrain or
  // the rules differ from what they were built from.
  const u8* Steps(const TScenario& scenario);
  void StoreMoveCosts(TScenario& scenario) const;
  void StoreCostMap(TScenario& scenario) const;
  void SpreadCostLabels(const TScenario& scenario, i32 x, i32 y, i32 limit);

  i32 Width = 0, Height = 0, PaddedWidth = 0;
  TFieldQueue<2048> MoveQueue;
  TFieldQueue<10000> CostQueue;
  std::vector<u8> MoveLabels;
  std::vector<i32> CostLabels;
  // The label a field had when its neighbours were last relaxed from it: a
  // field taken again from the queue with that label changes nothing.
  std::vector<u8> MoveExpanded;
  std::vector<i32> CostExpanded;
  // Fields a group holds against the mover: cost 0 during the search, so
  // that no step enters them, and 255 in the result.
  std::vector<i32> HeldFields;
  // Eight per field, in direction order.
  std::vector<u8> StepTable;
  std::vector<u8> BuiltCosts;
  std::vector<i16> BuiltHeights;
  TSlopeRules BuiltRules;
  bool Built = false;
};

}  // namespace GameData
