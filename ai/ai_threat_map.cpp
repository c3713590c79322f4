// The hostile-reach map: for each field, how strongly hostile groups can
// reach it this turn.
#include <algorithm>
#include <chrono>
#include <vector>

#include "ai/ai_handler.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

void TAIHandler::SizeThreatMap() {
  if (!Scenario || Scenario->Width <= 0 || Scenario->Height <= 0) return;
  if (ThreatWidth == Scenario->Width && ThreatHeight == Scenario->Height) return;
  ThreatWidth = Scenario->Width;
  ThreatHeight = Scenario->Height;
  ThreatMap.assign(static_cast<std::size_t>(ThreatWidth) * static_cast<std::size_t>(ThreatHeight), 0);
}

// A group counts once per unit: its cost map is filled once and its share
// added as many times as it has units in the unit list, which gives the
// same sums as one fill per unit.
void TAIHandler::ComputeThreatMap() {
  ++ThreatMapComputations;
  const auto start = std::chrono::steady_clock::now();
  ComputeThreatValues();
  ThreatMapNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
}

void TAIHandler::ComputeThreatValues() {
  SizeThreatMap();
  std::fill(ThreatMap.begin(), ThreatMap.end(), 0);
  if (!Scenario || !Player || ThreatMap.empty()) return;
  std::vector<std::pair<const TGroup*, i32>> groups;
  for (const TUnit* unit : Scenario->Units.Items) {
    const TGroup* g = unit->GetGroup();
    if (!g) continue;
    const TPlayer* owner = g->GetOwner();
    if (!owner || Player->GetRelation(owner) != rHostile) continue;
    auto it = std::find_if(groups.begin(), groups.end(), [g](const auto& e) { return e.first == g; });
    if (it == groups.end())
      groups.emplace_back(g, 1);
    else
      ++it->second;
  }
  for (const auto& [g, units] : groups) {
    const i32 limit = g->GetMinActionPoints();
    const std::vector<i32>& costs = CostMap.Fill(*Scenario, g->FieldX(), g->FieldY(), limit);
    if (costs.size() != ThreatMap.size()) break;
    for (std::size_t i = 0; i < ThreatMap.size(); ++i) {
      const i32 share = (limit - costs[i] + 4) / 10;
      if (share) ThreatMap[i] += units * share;
    }
  }
}

i32 TAIHandler::GetThreat(i32 x, i32 y) const {
  if (x < 0 || y < 0 || x >= ThreatWidth || y >= ThreatHeight) return 0;
  return ThreatMap[static_cast<std::size_t>(y * ThreatWidth + x)];
}

}  // namespace AIHandler
