#include "world/map/path_work.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace GameData {

namespace {

// The move-cost search keeps costs up to this.
constexpr i32 MaxMoveCost = 200;

// A field's eight neighbours in the order of the arrays (row above, the
// two beside, row below), and which neighbour each direction is.
constexpr i32 LaneDX[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
constexpr i32 LaneDY[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
constexpr i32 DirectionLane[8] = {6, 7, 4, 2, 1, 0, 3, 5};

// A set of neighbours by lane turned into the same set by direction.
constexpr std::array<u8, 256> LanesToDirections = [] {
  std::array<u8, 256> table{};
  for (i32 lanes = 0; lanes < 256; ++lanes)
    for (i32 d = 0; d < 8; ++d)
      if (lanes & (1 << DirectionLane[d])) table[lanes] |= static_cast<u8>(1 << d);
  return table;
}();

// The lanes whose neighbour the step from a field of cost here would make
// cheaper, within the cost cap. at points to the field in the labels.
inline u32 ImprovedLanes(u32 here, const u8* step, const u8* at, i32 rowLength) {
#ifdef __SSE2__
  // The three rows round the field, four bytes each from the left neighbour.
  u32 above, beside, below;
  std::memcpy(&above, at - rowLength - 1, 4);
  std::memcpy(&beside, at - 1, 4);
  std::memcpy(&below, at + rowLength - 1, 4);
  const u64 costs = (above & 0xFFFFFF) | u64{beside & 0xFF} << 24 | u64{beside & 0xFF0000} << 16 |
                    u64{below & 0xFFFFFF} << 40;
  const __m128i zero = _mm_setzero_si128();
  const __m128i cost = _mm_cvtsi64_si128(static_cast<long long>(costs));
  // Saturating: a blocked step (255) stays beyond the cap.
  const __m128i next =
      _mm_adds_epu8(_mm_set1_epi8(static_cast<char>(here)), _mm_loadl_epi64(reinterpret_cast<const __m128i*>(step)));
  const __m128i notCheaper = _mm_cmpeq_epi8(_mm_subs_epu8(cost, next), zero);
  const __m128i inCap = _mm_cmpeq_epi8(_mm_subs_epu8(next, _mm_set1_epi8(static_cast<char>(MaxMoveCost))), zero);
  return static_cast<u32>(_mm_movemask_epi8(_mm_andnot_si128(notCheaper, inCap))) & 0xFF;
#else
  const u8* above = at - rowLength;
  const u8* below = at + rowLength;
  const u8 costs[8] = {above[-1], above[0], above[1], at[-1], at[1], below[-1], below[0], below[1]};
  u32 lanes = 0;
  for (i32 k = 0; k < 8; ++k) {
    const u32 next = here + step[k];
    if (next <= MaxMoveCost && next < costs[k]) lanes |= 1u << k;
  }
  return lanes;
#endif
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
      for (i32 k = 0; k < 8; ++k) {
        const i32 nx = x + LaneDX[k], ny = y + LaneDY[k];
        if (!s.IsFieldOnMap(nx, ny)) {
          step[k] = BlockedStep;
          continue;
        }
        const i32 n = s.FieldIndex(nx, ny);
        const i32 c = TerrainCost(s.Costs[n], s.Heights[n] - s.Heights[i], LaneDX[k] != 0 && LaneDY[k] != 0, rules);
        step[k] = static_cast<u8>(std::min(c, BlockedStep));
      }
    }
  return StepTable.data();
}

void TPathWork::BeginMoveCosts(const TScenario& s) {
  if (Width != s.Width || Height != s.Height || MoveLabels.empty()) Resize(s);
  // The border costs 0: no step makes it cheaper, so it is never entered.
  std::fill(MoveLabels.begin(), MoveLabels.end(), 0);
  for (i32 y = 0; y < Height; ++y) std::memset(&MoveLabels[Padded(0, y)], BlockedStep, Width);
  std::fill(MoveExpanded.begin(), MoveExpanded.end(), BlockedStep);
  MoveQueue.Reset();
}

void TPathWork::AddMoveStart(i32 x, i32 y) {
  MoveLabels[Padded(x, y)] = 0;
  TFieldQueue::TCursor queue = MoveQueue.Cursor();
  queue.Push(Padded(x, y));
  MoveQueue.Store(queue);
}

void TPathWork::SpreadMoveCosts(TScenario& s, const TPlayer* owner) {
  const u8* const steps = Steps(s);
  u8* const label = MoveLabels.data();
  // Fields held against the owner cost 0 meanwhile, so that no step enters
  // them, and 255 in the result.
  const TPassable passable(s, owner);
  HeldFields.clear();
  for (i32 y = 0; y < Height; ++y)
    for (i32 x = 0; x < Width; ++x) {
      const TGroup* g = s.Occupancy[s.FieldIndex(x, y)];
      if (g && label[Padded(x, y)] == BlockedStep && passable.Blocks(g)) {
        label[Padded(x, y)] = 0;
        HeldFields.push_back(s.FieldIndex(x, y));
      }
    }
  // Also a search ended by a full queue leaves the costs found so far.
  struct TResult {
    TPathWork& Work;
    TScenario& Scenario;
    ~TResult() { Work.StoreMoveCosts(Scenario); }
  } result{*this, s};
  i32 offset[8];
  for (i32 k = 0; k < 8; ++k) offset[k] = LaneDY[k] * PaddedWidth + LaneDX[k];
  u8* const expanded = MoveExpanded.data();
  TFieldQueue::TCursor queue = MoveQueue.Cursor();
  while (!queue.IsEmpty()) {
    const i32 i = queue.Pop();
    const u32 here = label[i];
    if (expanded[i] == here) continue;
    expanded[i] = static_cast<u8>(here);
    const u8* const step = steps + static_cast<std::size_t>(i) * 8;
    for (u32 m = LanesToDirections[ImprovedLanes(here, step, label + i, PaddedWidth)]; m != 0; m &= m - 1) {
      const i32 lane = DirectionLane[std::countr_zero(m)];
      label[i + offset[lane]] = static_cast<u8>(here + step[lane]);
      queue.Push(i + offset[lane]);
    }
  }
  MoveQueue.Store(queue);
}

void TPathWork::StoreMoveCosts(TScenario& s) const {
  for (i32 y = 0; y < Height; ++y) std::memcpy(&s.MoveCosts[s.FieldIndex(0, y)], &MoveLabels[Padded(0, y)], Width);
  for (i32 i : HeldFields) s.MoveCosts[i] = BlockedStep;
}

void TPathWork::SpreadCostMap(TScenario& s, i32 x0, i32 y0, i32 limit) {
  if (Width != s.Width || Height != s.Height || CostLabels.empty()) Resize(s);
  i32* const label = CostLabels.data();
  std::fill(CostLabels.begin(), CostLabels.end(), 0);
  for (i32 y = 0; y < Height; ++y) std::fill_n(&label[Padded(0, y)], Width, limit);
  std::fill(CostExpanded.begin(), CostExpanded.end(), -1);
  CostQueue.Reset();
  struct TResult {
    TPathWork& Work;
    TScenario& Scenario;
    ~TResult() { Work.StoreCostMap(Scenario); }
  } result{*this, s};
  TFieldQueue::TCursor queue = CostQueue.Cursor();
  if (s.IsFieldOnMap(x0, y0)) {
    label[Padded(x0, y0)] = 0;
    queue.Push(Padded(x0, y0));
  }
  const u8* const steps = Steps(s);
  i32 offset[8];
  for (i32 k = 0; k < 8; ++k) offset[k] = LaneDY[k] * PaddedWidth + LaneDX[k];
  i32* const expanded = CostExpanded.data();
  while (!queue.IsEmpty()) {
    const i32 i = queue.Pop();
    const i64 here = label[i];
    if (expanded[i] == here) continue;
    expanded[i] = static_cast<i32>(here);
    const u8* const step = steps + static_cast<std::size_t>(i) * 8;
    for (i32 d = 0; d < 8; ++d) {
      const i32 lane = DirectionLane[d];
      // A blocked step counts the limit: from a field that cost anything
      // it never lowers a neighbour, which starts at the limit.
      if (step[lane] == BlockedStep) continue;
      const i64 next = here + step[lane];
      const i32 n = i + offset[lane];
      if (next > limit || next >= label[n]) continue;
      label[n] = static_cast<i32>(next);
      queue.Push(n);
    }
  }
  CostQueue.Store(queue);
}

void TPathWork::StoreCostMap(TScenario& s) const {
  for (i32 y = 0; y < Height; ++y) std::copy_n(&CostLabels[Padded(0, y)], Width, &s.CostMap[s.FieldIndex(0, y)]);
}

}  // namespace GameData
