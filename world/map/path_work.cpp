#include "world/map/path_work.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameData {

namespace {

// The move-cost search keeps costs up to this. Fields it has not reached
// hold one more meanwhile, so that a step is taken exactly when it makes a
// field cheaper, and 255 in the result.
constexpr u32 MaxMoveCost = 200;
constexpr u8 NotReached = MaxMoveCost + 1;

// A field in the bordered label array and the rows above and below it;
// rowLength is the width of the bordered arrays.
template <class TLabel>
struct TNeighbours {
  TNeighbours(TLabel* label, i32 i, i32 rowLength)
      : Field(i), Row(rowLength), At(label + i), Up(At - rowLength), Down(At + rowLength) {}
  i32 Field, Row;
  TLabel *At, *Up, *Down;
};

// Relaxes the eight neighbours of a field from its label here, in direction
// order: a neighbour that the step makes cheaper takes the new label and is
// queued. Every neighbour is written and offered to the queue, and what the
// comparison says decides what stays: an unpredictable branch per neighbour
// costs more than the stores. Needs eight free slots in the queue.
template <class TLabel, class TCursor, class TStepCost>
inline void RelaxAll(const TNeighbours<TLabel>& f, u32 here, const u8* step, TCursor& queue, TStepCost cost) {
  auto relax = [&](TLabel* cell, i32 n, u8 s) {
    const u32 next = here + cost(s);
    const u32 old = static_cast<u32>(*cell);
    *cell = static_cast<TLabel>(next < old ? next : old);
    queue.Offer(n, next < old);
  };
  const i32 i = f.Field, w = f.Row;
  relax(f.Down, i + w, step[0]);
  relax(f.Down + 1, i + w + 1, step[1]);
  relax(f.At + 1, i + 1, step[2]);
  relax(f.Up + 1, i - w + 1, step[3]);
  relax(f.Up, i - w, step[4]);
  relax(f.Up - 1, i - w - 1, step[5]);
  relax(f.At - 1, i - 1, step[6]);
  relax(f.Down - 1, i + w - 1, step[7]);
  queue.Fold();
}

// The same, one neighbour at a time, for when the queue may run full: the
// labels written up to the overflow stay.
template <class TLabel, class TCursor, class TStepCost>
void RelaxEach(const TNeighbours<TLabel>& f, u32 here, const u8* step, TCursor& queue, TStepCost cost) {
  for (i32 d = 0; d < 8; ++d) {
    const i32 n = f.Field + DirectionStepY[d] * f.Row + DirectionStepX[d];
    TLabel* const cell = f.At + (n - f.Field);
    const u32 next = here + cost(step[d]);
    if (next >= static_cast<u32>(*cell)) continue;
    *cell = static_cast<TLabel>(next);
    queue.Push(n);
  }
}

// Takes fields from the queue until it is empty and relaxes their
// neighbours. Labels and step costs lie below 2^31: their sums fit in u32.
template <class TLabel, class TQueue, class TStepCost>
void Spread(TLabel* label, TLabel* expanded, const u8* steps, i32 rowLength, TQueue& ring, TStepCost cost) {
  auto queue = ring.Cursor();
  while (!queue.IsEmpty()) {
    const i32 i = queue.Pop();
    const TLabel here = label[i];
    // Taken again with the label it was spread from: it changes nothing.
    if (expanded[i] == here) continue;
    expanded[i] = here;
    const TNeighbours<TLabel> f(label, i, rowLength);
    const u8* const step = steps + static_cast<std::size_t>(i) * 8;
    if (queue.Free() >= 8) [[likely]]
      RelaxAll(f, static_cast<u32>(here), step, queue, cost);
    else
      RelaxEach(f, static_cast<u32>(here), step, queue, cost);
  }
  ring.Store(queue);
}

}  // namespace

TSlopeRules::TSlopeRules() {
  if (!Data2::GlobalData) return;
  Threshold1 = Data2::GlobalData->SlopeThreshold1;
  Threshold2 = Data2::GlobalData->SlopeThreshold2;
  Limit = Data2::GlobalData->SlopeLimit;
}

TPassable::TPassable(const TScenario& scenario, const TPlayer* player) {
  if (!player) return;
  for (i32 i = 0; i < scenario.PlayerCount() && i < 256; ++i) {
    i32 relation = player->GetRelation(scenario.PlayerAt(i));
    Owners[i] = relation == rSelf || relation == rAllied;
  }
}

bool TPassable::Blocks(const TGroup* group) const { return group && !Owners[group->OwnerIndex]; }

void TPathWork::Resize(const TScenario& s) {
  Width = s.Width;
  Height = s.Height;
  PaddedWidth = Width + 2;
  // Slack after the last row for the neighbour reads of the last field.
  const std::size_t n = static_cast<std::size_t>(Height + 2) * PaddedWidth + 8;
  MoveLabels.assign(n, 0);
  CostLabels.assign(n, 0);
  MoveExpanded.assign(n, 0);
  CostExpanded.assign(n, 0);
  HeldFields.reserve(static_cast<std::size_t>(Width) * Height);
  StepTable.assign(n * 8, BlockedStep);
  Built = false;
}

const u8* TPathWork::Steps(const TScenario& s) {
  const TSlopeRules rules;
  if (Built && BuiltRules == rules && BuiltCosts == s.Costs && BuiltHeights == s.Heights) return StepTable.data();
  Built = true;
  BuiltRules = rules;
  BuiltCosts = s.Costs;
  BuiltHeights = s.Heights;
  for (i32 y = 0; y < Height; ++y)
    for (i32 x = 0; x < Width; ++x) {
      const i32 i = s.FieldIndex(x, y);
      u8* step = &StepTable[static_cast<std::size_t>(Padded(x, y)) * 8];
      for (i32 d = 0; d < 8; ++d) {
        const i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
        if (!s.IsFieldOnMap(nx, ny)) {
          step[d] = BlockedStep;
          continue;
        }
        const i32 n = s.FieldIndex(nx, ny);
        const i32 c = TerrainCost(s.Costs[n], s.Heights[n] - s.Heights[i], d & 1, rules);
        step[d] = static_cast<u8>(std::min(c, BlockedStep));
      }
    }
  return StepTable.data();
}

const u8* TPathWork::StepsFor(const TScenario& s) {
  if (Width != s.Width || Height != s.Height || StepTable.empty()) Resize(s);
  return Steps(s);
}

void TPathWork::BeginMoveCosts(const TScenario& s) {
  if (Width != s.Width || Height != s.Height || MoveLabels.empty()) Resize(s);
  // The border costs 0: no step makes it cheaper, so it is never entered.
  std::fill(MoveLabels.begin(), MoveLabels.end(), 0);
  for (i32 y = 0; y < Height; ++y) std::memset(&MoveLabels[Padded(0, y)], NotReached, Width);
  std::fill(MoveExpanded.begin(), MoveExpanded.end(), BlockedStep);
  MoveQueue.Reset();
}

void TPathWork::AddMoveStart(i32 x, i32 y) {
  MoveLabels[Padded(x, y)] = 0;
  auto queue = MoveQueue.Cursor();
  queue.Push(Padded(x, y));
  MoveQueue.Store(queue);
}

void TPathWork::SpreadMoveCosts(TScenario& s, const TPlayer* owner) {
  const u8* const steps = Steps(s);
  u8* const label = MoveLabels.data();
  // Fields held against the owner cost 0 meanwhile, so that no step enters
  // them, and 255 in the result. Most fields hold no group: look at them
  // eight at a time.
  const TPassable passable(s, owner);
  HeldFields.clear();
  for (i32 y = 0; y < Height; ++y) {
    TGroup* const* const row = &s.Occupancy[s.FieldIndex(0, y)];
    u8* const labels = label + Padded(0, y);
    for (i32 x = 0; x < Width; x += 8) {
      const i32 end = std::min(x + 8, Width);
      uintptr_t any = 0;
      for (i32 k = x; k < end; ++k) any |= reinterpret_cast<uintptr_t>(row[k]);
      if (!any) continue;
      for (i32 k = x; k < end; ++k)
        if (row[k] && labels[k] == NotReached && passable.Blocks(row[k])) {
          labels[k] = 0;
          HeldFields.push_back(s.FieldIndex(k, y));
        }
    }
  }
  // Also a search ended by a full queue leaves the costs found so far.
  struct TResult {
    TPathWork& Work;
    TScenario& Scenario;
    ~TResult() { Work.StoreMoveCosts(Scenario); }
  } result{*this, s};
  Spread(label, MoveExpanded.data(), steps, PaddedWidth, MoveQueue, [](u8 step) { return u32{step}; });
}

void TPathWork::StoreMoveCosts(TScenario& s) const {
  const i32 width = Width;
  for (i32 y = 0; y < Height; ++y) {
    const u8* const from = &MoveLabels[Padded(0, y)];
    u8* const to = &s.MoveCosts[s.FieldIndex(0, y)];
    for (i32 x = 0; x < width; ++x) to[x] = from[x] == NotReached ? BlockedStep : from[x];
  }
  for (i32 i : HeldFields) s.MoveCosts[i] = BlockedStep;
}

void TPathWork::SpreadCostMap(TScenario& s, i32 x0, i32 y0, i32 limit) {
  struct TResult {
    TPathWork& Work;
    TScenario& Scenario;
    ~TResult() { Work.StoreCostMap(Scenario); }
  } result{*this, s};
  SpreadCostLabels(s, x0, y0, limit);
}

void TPathWork::SpreadCostMapInto(const TScenario& s, i32 x0, i32 y0, i32 limit, std::vector<i32>& out) {
  SpreadCostLabels(s, x0, y0, limit);
  out.resize(static_cast<std::size_t>(Width) * Height);
  for (i32 y = 0; y < Height; ++y) std::copy_n(&CostLabels[Padded(0, y)], Width, &out[static_cast<std::size_t>(y) * Width]);
}

void TPathWork::SpreadCostLabels(const TScenario& s, i32 x0, i32 y0, i32 limit) {
  if (Width != s.Width || Height != s.Height || CostLabels.empty()) Resize(s);
  i32* const label = CostLabels.data();
  std::fill(CostLabels.begin(), CostLabels.end(), 0);
  for (i32 y = 0; y < Height; ++y) std::fill_n(&label[Padded(0, y)], Width, limit);
  std::fill(CostExpanded.begin(), CostExpanded.end(), -1);
  CostQueue.Reset();
  auto queue = CostQueue.Cursor();
  if (s.IsFieldOnMap(x0, y0)) {
    label[Padded(x0, y0)] = 0;
    queue.Push(Padded(x0, y0));
  }
  CostQueue.Store(queue);
  // No step fits a limit of 0 or less; above it the labels lie in
  // 0..limit, and a blocked step counts the limit: from a field that cost
  // anything it never lowers a neighbour, which starts at the limit.
  if (limit <= 0) return;
  const u32 blocked = static_cast<u32>(limit);
  Spread(label, CostExpanded.data(), Steps(s), PaddedWidth, CostQueue,
         [blocked](u8 step) { return step == BlockedStep ? blocked : u32{step}; });
}

void TPathWork::StoreCostMap(TScenario& s) const {
  for (i32 y = 0; y < Height; ++y) std::copy_n(&CostLabels[Padded(0, y)], Width, &s.CostMap[s.FieldIndex(0, y)]);
}

}  // namespace GameData
