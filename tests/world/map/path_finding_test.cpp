#include <random>
#include <string>
#include <vector>

#include "engine/data/dynamic_array.h"

#include "tests/world/world_fixture.h"
#include "world/locations/city.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using namespace GameData;

// Player 1 moves; towards it player 0 is neutral, 2 hostile, 3 allied.
class PathFinding : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    Fresh();
  }
  void Fresh() {
    MakeScenario(8, 8, 4);
    Scenario->PlayerAt(1)->Relations[2] = rHostile;
    Scenario->PlayerAt(1)->Relations[3] = rAllied;
    Scenario->CurrentPlayerIndex = 1;
  }

  // Terrain rows: '.' cost 2, '#' blocked, '1'..'9' that cost; 'E', 'N',
  // 'A' and 'O' stand for a hostile, neutral, allied and own group on cost
  // 2. Height rows: digit d is height 4 x d. The mover stands at (sx, sy).
  TGroup* Draw(const std::vector<const char*>& rows, const std::vector<const char*>& heights, i32 sx, i32 sy) {
    const i32 w = static_cast<i32>(std::string(rows[0]).size()), h = static_cast<i32>(rows.size());
    Scenario->SetSize(w, h);
    for (i32 y = 0; y < h; ++y)
      for (i32 x = 0; x < w; ++x) {
        const char c = rows[y][x];
        const i32 i = Scenario->FieldIndex(x, y);
        Scenario->BaseCosts[i] = c == '#' ? 255 : (c >= '1' && c <= '9') ? c - '0' : 2;
        Scenario->BaseHeights[i] = heights.empty() ? 0 : static_cast<u16>(4 * (heights[y][x] - '0'));
        const std::string owners = "NOEA";
        if (auto k = owners.find(c); k != std::string::npos) Sighted(NewGroup(static_cast<u8>(k), x, y, {Soldier}));
      }
    Scenario->RebuildFieldMaps();
    TGroup* mover = NewGroup(1, sx, sy, {Soldier});
    Scenario->UpdateOccupancy();
    return mover;
  }
  static TGroup* Sighted(TGroup* g) {
    g->Sighted = 1;
    return g;
  }
  std::vector<TField> PathOf(i32 n) const { return n <= 0 ? std::vector<TField>{} : std::vector<TField>(Scenario->Path, Scenario->Path + n); }
  u8 MoveCost(i32 x, i32 y) const { return Scenario->MoveCosts[Scenario->FieldIndex(x, y)]; }
};

std::string Show(const std::vector<TField>& path) {
  std::string s;
  for (const TField& f : path) s += "(" + std::to_string(f.x) + "," + std::to_string(f.y) + ")";
  return s;
}

TEST_F(PathFinding, StepCostsOverSlopesAndDiagonals) {
  struct Case {
    i32 cost, dh;
    bool diagonal;
    i32 expected;
    const char* what;
  };
  const Case cases[] = {
      {8, 3, false, 8, "below the first threshold"},
      {8, 4, false, 10, "uphill at the first threshold: a quarter more"},
      {8, -4, false, 6, "downhill at the first threshold: a quarter less"},
      {8, 8, false, 12, "uphill at the second threshold: half more"},
      {8, -8, false, 6, "downhill at the second threshold: a quarter less"},
      {8, 15, false, 12, "just below the limit"},
      {8, 16, false, 255, "uphill at the limit"},
      {8, -16, false, 255, "downhill at the limit"},
      {10, 0, true, 15, "diagonal: half more"},
      {1, 0, true, 1, "diagonal on cost 1 stays 1"},
      {10, 8, true, 22, "diagonal, then uphill"},
      {1, -8, false, 1, "never below 1"},
      {0, 0, false, 1, "a free field still costs 1"},
      {255, -8, false, 255, "a blocked field stays blocked downhill"},
      {254, 8, true, 571, "beyond 255 after the multipliers"},
  };
  Draw({".."}, {}, 0, 0);
  for (const Case& c : cases) {
    Scenario->Costs[1] = static_cast<u8>(c.cost);
    Scenario->Heights[0] = 100;
    Scenario->Heights[1] = static_cast<i16>(100 + c.dh);
    if (c.diagonal) {
      Scenario->SetSize(2, 2);
      Scenario->Costs[3] = static_cast<u8>(c.cost);
      Scenario->Heights[0] = 100;
      Scenario->Heights[3] = static_cast<i16>(100 + c.dh);
      EXPECT_EQ(Scenario->TerrainStepCost(0, 0, 1, 1), c.expected) << c.what;
      Scenario->SetSize(2, 1);
    } else {
      EXPECT_EQ(Scenario->TerrainStepCost(0, 0, 1, 0), c.expected) << c.what;
    }
  }
  EXPECT_EQ(Scenario->TerrainStepCost(0, 0, -1, 0), 255) << "off the map";
  EXPECT_FALSE(Scenario->IsHeightStepPassable(0, 0, -1, 0));
}

TEST_F(PathFinding, GroupsOnTheTargetBlockUnlessOwnOrAllied) {
  Draw({".NEAO."}, {}, 0, 0);
  TGroup* ownerless = NewGroup(NoOwner, 5, 0, {Soldier});
  Sighted(ownerless);
  Scenario->UpdateOccupancy();
  const TPlayer* mover = Scenario->PlayerAt(1);
  EXPECT_EQ(Scenario->StepCost(0, 0, 1, 0, mover), 255) << "neutral";
  EXPECT_EQ(Scenario->StepCost(1, 0, 2, 0, mover), 255) << "hostile";
  EXPECT_EQ(Scenario->StepCost(2, 0, 3, 0, mover), 2) << "allied";
  EXPECT_EQ(Scenario->StepCost(3, 0, 4, 0, mover), 2) << "own";
  EXPECT_EQ(Scenario->StepCost(4, 0, 5, 0, mover), 255) << "no owner";
  EXPECT_EQ(Scenario->StepCost(2, 0, 3, 0, nullptr), 255) << "without a player every group blocks";
}

TEST_F(PathFinding, MoveCostsAndPathsOnDrawnMaps) {
  struct Case {
    const char* what;
    std::vector<const char*> rows, heights;
    TField start, target;
    i32 cost;  // MoveCosts at the target
    std::vector<TField> path;
  };
  const std::vector<const char*> open = {".....", ".....", "....."};
  const Case cases[] = {
      {"orthogonal steps cost 2", open, {}, {0, 1}, {4, 1}, 8, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
      {"diagonal steps cost half more", {".99", "999", "99."}, {}, {0, 0}, {2, 2}, 16, {{1, 1}, {2, 2}}},
      {"on cost 1 a diagonal costs 1; a tie goes to the lower direction",
       {"111", "111"}, {}, {0, 0}, {2, 0}, 2, {{1, 0}, {2, 0}}},
      {"a wall is walked around", {"..#..", "..#..", "....."}, {}, {0, 0}, {4, 0}, 12,
       {{1, 1}, {2, 2}, {3, 1}, {4, 0}}},
      {"a hostile group is walked around", {".....", "..E..", "....."}, {}, {0, 1}, {4, 1}, 10,
       {{1, 0}, {2, 0}, {3, 0}, {4, 1}}},
      {"a neutral group blocks too", {".....", "..N..", "....."}, {}, {0, 1}, {4, 1}, 10,
       {{1, 0}, {2, 0}, {3, 0}, {4, 1}}},
      {"an allied group is passed through", {".....", "..A..", "....."}, {}, {0, 1}, {4, 1}, 8,
       {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
      {"an own group is passed through", {".....", "..O..", "....."}, {}, {0, 1}, {4, 1}, 8,
       {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
      {"a slope at the limit blocks; the way goes round", {".....", "....."}, {"00400", "00000"}, {0, 0},
       {4, 0}, 10, {{1, 0}, {2, 1}, {3, 0}, {4, 0}}},
      {"a walled-in target is unreachable", {"...#.", "...#.", "...#."}, {}, {0, 1}, {4, 1}, 255, {}},
      {"a hostile group on the target", {"....E"}, {}, {0, 0}, {4, 0}, 255, {}},
      {"costs up to 200 are kept", {"99999999999999999999999"}, {}, {0, 0}, {22, 0}, 198, {}},
      {"a field beyond 200 is unreachable", {"999999999999999999999999"}, {}, {0, 0}, {23, 0}, 255, {}},
  };
  for (const Case& c : cases) {
    Fresh();
    TGroup* mover = Draw(c.rows, c.heights, c.start.x, c.start.y);
    Scenario->ComputeMoveCosts(c.start.x, c.start.y, mover);
    EXPECT_EQ(MoveCost(c.start.x, c.start.y), 0) << c.what;
    EXPECT_EQ(MoveCost(c.target.x, c.target.y), c.cost) << c.what;
    i32 n = Scenario->FindPath(c.start.x, c.start.y, c.target.x, c.target.y, mover);
    if (c.cost == 255) {
      EXPECT_EQ(n, -1) << c.what;
    } else if (c.path.empty()) {
      EXPECT_EQ(n, c.target.x - c.start.x) << c.what;
    } else {
      EXPECT_EQ(Show(PathOf(n)), Show(c.path)) << c.what;
    }
  }
}

// The searches as plainly written, over the scenario's own step costs and
// a queue of shorts holding x and y: the quick ones must give the same maps.
// A full queue throws and leaves the costs found so far in out.
void PlainMoveCosts(const TScenario& s, const std::vector<TField>& starts, const TPlayer* owner,
                    std::vector<u8>& cost) {
  cost.assign(s.MoveCosts.size(), 255);
  Data::TQueue<short> queue;
  queue.SetCapacity(4097);
  for (const TField& f : starts) {
    cost[s.FieldIndex(f.x, f.y)] = 0;
    queue.Push(f.x);
    queue.Push(f.y);
  }
  while (!queue.IsEmpty()) {
    i32 x = queue.Pop(), y = queue.Pop();
    for (i32 d = 0; d < 8; ++d) {
      i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
      if (!s.IsFieldOnMap(nx, ny)) continue;
      i32 next = cost[s.FieldIndex(x, y)] + s.StepCost(x, y, nx, ny, owner);
      if (next < 201 && next < cost[s.FieldIndex(nx, ny)]) {
        cost[s.FieldIndex(nx, ny)] = static_cast<u8>(next);
        queue.Push(static_cast<short>(nx));
        queue.Push(static_cast<short>(ny));
      }
    }
  }
}

std::vector<u8> PlainMoveCosts(const TScenario& s, i32 sx, i32 sy, const TPlayer* owner) {
  std::vector<u8> cost;
  PlainMoveCosts(s, {{static_cast<i16>(sx), static_cast<i16>(sy)}}, owner, cost);
  return cost;
}

std::vector<i32> PlainCostMap(const TScenario& s, i32 sx, i32 sy, i32 limit) {
  std::vector<i32> cost(s.CostMap.size(), limit);
  Data::TQueue<short> queue;
  queue.SetCapacity(20001);
  cost[s.FieldIndex(sx, sy)] = 0;
  queue.Push(static_cast<short>(sx));
  queue.Push(static_cast<short>(sy));
  while (!queue.IsEmpty()) {
    i32 x = queue.Pop(), y = queue.Pop();
    for (i32 d = 0; d < 8; ++d) {
      i32 nx = x + DirectionStepX[d], ny = y + DirectionStepY[d];
      if (!s.IsFieldOnMap(nx, ny)) continue;
      i32 step = s.TerrainStepCost(x, y, nx, ny);
      i32 next = cost[s.FieldIndex(x, y)] + (step >= 255 ? limit : step);
      if (next <= limit && next < cost[s.FieldIndex(nx, ny)]) {
        cost[s.FieldIndex(nx, ny)] = next;
        queue.Push(static_cast<short>(nx));
        queue.Push(static_cast<short>(ny));
      }
    }
  }
  return cost;
}

std::vector<TField> PlainPath(const TScenario& s, TField from, TField to, const TPlayer* owner) {
  std::vector<TField> back{to};
  TField cur = to;
  while (back.size() <= 255 && cur != from) {
    i32 best = 255;
    TField next{};
    for (i32 d = 0; d < 8; ++d) {
      TField n{static_cast<i16>(cur.x + DirectionStepX[d]), static_cast<i16>(cur.y + DirectionStepY[d])};
      if (!s.IsFieldOnMap(n.x, n.y)) continue;
      i32 sum = s.MoveCosts[s.FieldIndex(n.x, n.y)] + s.StepCost(n.x, n.y, cur.x, cur.y, owner);
      if (sum < best) {
        best = sum;
        next = n;
      }
    }
    if (best == 255) return {};
    cur = next;
    back.push_back(cur);
  }
  if (cur != from) return {};
  back.pop_back();
  return std::vector<TField>(back.rbegin(), back.rend());
}

TEST_F(PathFinding, QuickSearchesEqualThePlainOnesOnRandomMaps) {
  std::mt19937 rng(12);
  for (i32 round = 0; round < 6; ++round) {
    Fresh();
    const i32 w = 24 + 8 * round, h = 40;
    Scenario->SetSize(w, h);
    i32 height = 40;
    for (i32 i = 0; i < w * h; ++i) {
      Scenario->BaseCosts[i] = static_cast<u8>(rng() % 20 == 0 ? 255 : 1 + rng() % 12);
      height = std::clamp<i32>(height + static_cast<i32>(rng() % 13) - 6, 0, 120);
      Scenario->BaseHeights[i] = static_cast<u16>(height);
    }
    Scenario->RebuildFieldMaps();
    TGroup* mover = NewGroup(1, w / 2, h / 2, {Soldier});
    for (i32 k = 0; k < 30; ++k) Sighted(NewGroup(static_cast<u8>(rng() % 4), rng() % w, rng() % h, {Wolf}));
    Scenario->UpdateOccupancy();

    Scenario->ComputeMoveCosts(w / 2, h / 2, mover);
    ASSERT_EQ(Scenario->MoveCosts, PlainMoveCosts(*Scenario, w / 2, h / 2, mover->GetOwner())) << round;
    for (i32 k = 0; k < 20; ++k) {
      i32 tx = static_cast<i32>(rng() % w), ty = static_cast<i32>(rng() % h);
      i32 n = Scenario->FindPath(w / 2, h / 2, tx, ty, mover);
      const TField start{static_cast<i16>(w / 2), static_cast<i16>(h / 2)}, target{static_cast<i16>(tx), static_cast<i16>(ty)};
      if (start == target || Scenario->MoveCosts[Scenario->FieldIndex(tx, ty)] == 255) {
        EXPECT_LT(n, 1);
        continue;
      }
      EXPECT_EQ(Show(PathOf(n)), Show(PlainPath(*Scenario, start, target, mover->GetOwner())));
      // Every step of the path is a real step, and the path ends on the target.
      TField at{static_cast<i16>(w / 2), static_cast<i16>(h / 2)};
      for (i32 i = 0; i < n; ++i) {
        EXPECT_LE(std::abs(Scenario->Path[i].x - at.x), 1);
        EXPECT_LE(std::abs(Scenario->Path[i].y - at.y), 1);
        EXPECT_LT(Scenario->StepCost(at.x, at.y, Scenario->Path[i].x, Scenario->Path[i].y, mover->GetOwner()), 255);
        at = Scenario->Path[i];
      }
      EXPECT_EQ(at, (TField{static_cast<i16>(tx), static_cast<i16>(ty)}));
    }
    Scenario->ComputeCostMap(3, 5, 10000, nullptr);
    ASSERT_EQ(Scenario->CostMap, PlainCostMap(*Scenario, 3, 5, 10000)) << round;
    Scenario->ComputeCostMap(3, 5, 60, nullptr);
    ASSERT_EQ(Scenario->CostMap, PlainCostMap(*Scenario, 3, 5, 60)) << round;
  }
}

TEST_F(PathFinding, PathToTheStartIsEmpty) {
  TGroup* mover = Draw({"...."}, {}, 1, 0);
  Scenario->ComputeMoveCosts(1, 0, mover);
  EXPECT_EQ(Scenario->FindPath(1, 0, 1, 0, mover), 0);
  EXPECT_EQ(Scenario->FindPath(1, 0, -3, 0, mover), -1) << "off the map";
}

TEST_F(PathFinding, PathsEndAt255Steps) {
  // A long row whose move costs lead back to x = 0 by one field a step:
  // MoveCosts may hold such a map (the searches do not make one).
  TGroup* mover = Draw({"1"}, {}, 0, 0);
  Scenario->SetSize(300, 1);
  std::fill(Scenario->Costs.begin(), Scenario->Costs.end(), 1);
  for (i32 x = 0; x < 300; ++x) Scenario->MoveCosts[x] = static_cast<u8>(x / 2);
  EXPECT_EQ(Scenario->FindPath(0, 0, 255, 0, mover), 255);
  EXPECT_EQ(Scenario->Path[0].x, 1);
  EXPECT_EQ(Scenario->Path[254].x, 255);
  EXPECT_EQ(Scenario->FindPath(0, 0, 256, 0, mover), -1) << "256 steps";
  EXPECT_EQ(Scenario->FindPath(0, 0, 299, 0, mover), -1) << "MoveCosts reached it, the buffer does not";
}

TEST_F(PathFinding, PathsFromAnAreaKeepTheirStartField) {
  TGroup* mover = Draw({"......", "......", "E....."}, {}, 5, 2);
  TArea sources;
  sources.AddField(0, 0);
  sources.AddField(0, 1);
  sources.AddField(0, 2);  // held by a hostile group: no start
  Scenario->ComputeMoveCostsFromArea(sources, nullptr, mover);
  EXPECT_EQ(MoveCost(0, 0), 0);
  EXPECT_EQ(MoveCost(0, 1), 0);
  EXPECT_EQ(MoveCost(0, 2), 255);
  EXPECT_EQ(MoveCost(3, 1), 6);
  i32 n = Scenario->FindPathFromSources(3, 1, mover);
  EXPECT_EQ(Show(PathOf(n)), Show({{0, 1}, {1, 1}, {2, 1}, {3, 1}})) << "the start field is part of the path";
  EXPECT_EQ(Scenario->FindPathFromSources(0, 1, mover), 1);
  EXPECT_EQ(Scenario->FindPathFromSources(0, 2, mover), -1);
  Scenario->ComputeMoveCosts(0, 1, mover);
  EXPECT_EQ(Scenario->FindPath(0, 1, 3, 1, mover), 3) << "FindPath leaves the start out";
}

TEST_F(PathFinding, AFullQueueEndsTheSearch) {
  TGroup* mover = Draw({"."}, {}, 0, 0);
  Scenario->SetSize(64, 64);
  TArea many;
  for (i32 i = 0; i < 2049; ++i) many.AddField(i % 64, i / 64);
  try {
    Scenario->ComputeMoveCostsFromArea(many, nullptr, mover);
    FAIL() << "2049 start fields do not fit the queue";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Queue overflow.");
  }
  many.Fields.Delete(2048);
  EXPECT_NO_THROW(Scenario->ComputeMoveCostsFromArea(many, nullptr, mover)) << "2048 fit, and the queue starts empty";
}

TEST_F(PathFinding, AQueueThatOverflowsWhileSpreadingLeavesTheSameCosts) {
  TGroup* mover = Draw({"."}, {}, 0, 0);
  Scenario->SetSize(64, 64);
  std::fill(Scenario->Costs.begin(), Scenario->Costs.end(), 2);
  TArea board;
  std::vector<TField> starts;
  for (i32 y = 0; y < 64 && starts.size() < 2000; ++y)
    for (i32 x = y % 2; x < 64 && starts.size() < 2000; x += 2) {
      board.AddField(x, y);
      starts.push_back({static_cast<i16>(x), static_cast<i16>(y)});
    }
  EXPECT_THROW(Scenario->ComputeMoveCostsFromArea(board, nullptr, mover), std::runtime_error);
  std::vector<u8> plain;
  EXPECT_THROW(PlainMoveCosts(*Scenario, starts, mover->GetOwner(), plain), std::runtime_error);
  EXPECT_EQ(Scenario->MoveCosts, plain) << "the same fields reached when the ring was full";
}

// Searches that fill their queue nearly or just to the full: the quick
// one relaxes a field's neighbours one by one there and must stop where
// the plain one does.
TEST_F(PathFinding, SearchesNearAFullQueueStopWhereThePlainOnesDo) {
  TGroup* mover = Draw({"."}, {}, 0, 0);
  std::mt19937 rng(7);
  for (i32 starts : {1000, 1900, 1990, 2000, 2040, 2048}) {
    Scenario->SetSize(64, 64);
    for (u8& c : Scenario->Costs) c = static_cast<u8>(1 + rng() % 3);
    TArea board;
    std::vector<TField> fields;
    for (i32 i = 0; i < 64 * 64 && static_cast<i32>(fields.size()) < starts; i += 2) {
      const i32 x = (i % 64) + (i / 64) % 2, y = i / 64;
      board.AddField(x, y);
      fields.push_back({static_cast<i16>(x), static_cast<i16>(y)});
    }
    bool quickThrew = false, plainThrew = false;
    try {
      Scenario->ComputeMoveCostsFromArea(board, nullptr, mover);
    } catch (const std::runtime_error&) {
      quickThrew = true;
    }
    std::vector<u8> plain;
    try {
      PlainMoveCosts(*Scenario, fields, mover->GetOwner(), plain);
    } catch (const std::runtime_error&) {
      plainThrew = true;
    }
    EXPECT_EQ(quickThrew, plainThrew) << starts;
    EXPECT_EQ(Scenario->MoveCosts, plain) << starts;
  }
}

TEST_F(PathFinding, ReachabilityQueries) {
  TGroup* mover = Draw({"....#."}, {}, 0, 0);
  Scenario->ComputeMoveCosts(0, 0, mover);
  EXPECT_TRUE(Scenario->IsFieldReachable(3, 0));
  EXPECT_FALSE(Scenario->IsFieldReachable(5, 0));
  EXPECT_FALSE(Scenario->IsFieldReachable(-1, 0));
  EXPECT_TRUE(Scenario->IsObjectReachable(mover));
}

TEST_F(PathFinding, FieldNextToAGroupIsTheCheapestFreeOne) {
  TGroup* mover = Draw({".......", ".......", ".......", ".......", "......."}, {}, 0, 2);
  TGroup* target = Sighted(NewGroup(2, 4, 2, {Wolf}));
  Sighted(NewGroup(3, 3, 2, {Wolf}));  // an ally on the cheapest neighbour
  Scenario->UpdateOccupancy();
  Scenario->ComputeMoveCosts(0, 2, mover);
  i32 x = -1, y = -1;
  ASSERT_TRUE(Scenario->FindFieldNextToGroup(target, mover, x, y));
  EXPECT_EQ((TField{static_cast<i16>(x), static_cast<i16>(y)}), (TField{3, 1})) << "(3, 3) costs as much: north-west comes first";

  target->CampState = csCamped;
  Scenario->UpdateOccupancy();
  Scenario->ComputeMoveCosts(0, 2, mover);
  ASSERT_TRUE(Scenario->FindFieldNextToGroup(target, mover, x, y));
  EXPECT_EQ((TField{static_cast<i16>(x), static_cast<i16>(y)}), (TField{2, 2})) << "only the ring two fields out";

  Scenario->Heights[Scenario->FieldIndex(4, 2)] = 16;
  EXPECT_FALSE(Scenario->HasFieldNextToGroup(target, mover)) << "every ring field is a slope too steep";
}

TEST_F(PathFinding, FieldInALocation) {
  TGroup* mover = Draw({"......", "......", "......"}, {}, 0, 1);
  auto* city = new TCity(Scenario.get());
  city->Owner = 2;
  for (i32 y = 0; y < 3; ++y) city->EntranceArea->AddField(4, y);
  Scenario->AddMapObject(city);
  TGroup* guest = Sighted(NewGroup(3, 4, 1, {Wolf}));  // allied, on the cheapest entrance field
  Scenario->UpdateOccupancy();
  Scenario->ComputeMoveCosts(0, 1, mover);
  i32 x = -1, y = -1;
  ASSERT_TRUE(Scenario->FindFieldInLocation(city, mover, x, y));
  EXPECT_EQ(y, 1) << "a hostile city without defenders lets the group pass a friendly group";
  city->Closed = 1;
  ASSERT_TRUE(Scenario->FindFieldInLocation(city, mover, x, y));
  EXPECT_EQ(y, 0) << "a closed city does not";
  guest->OwnerIndex = 2;
  city->Closed = 0;
  Scenario->UpdateOccupancy();
  ASSERT_TRUE(Scenario->FindFieldInLocation(city, mover, x, y));
  EXPECT_EQ(y, 0) << "nor a hostile group";
  EXPECT_TRUE(Scenario->IsFieldInCity(4, 2));
  EXPECT_FALSE(Scenario->IsFieldInCity(3, 2));
}

TEST_F(PathFinding, NearestFreeFields) {
  TGroup* mover = Draw({".....", ".....", "....."}, {}, 2, 1);
  auto* city = new TCity(Scenario.get());
  city->EntranceArea->AddField(1, 1);
  Scenario->AddMapObject(city);
  Scenario->ComputeMoveCosts(2, 1, mover);
  i32 x = 2, y = 1;
  ASSERT_TRUE(Scenario->FindNearestFreeField(x, y));
  EXPECT_EQ((TField{static_cast<i16>(x), static_cast<i16>(y)}), (TField{2, 0})) << "the first in row order at distance 1";
  x = 1;
  y = 1;
  ASSERT_TRUE(Scenario->FindNearestFreeField(x, y));
  EXPECT_EQ((TField{static_cast<i16>(x), static_cast<i16>(y)}), (TField{1, 1}));
  ASSERT_TRUE(Scenario->FindNearestFreeFieldNoCity(x, y));
  EXPECT_EQ((TField{static_cast<i16>(x), static_cast<i16>(y)}), (TField{1, 0}));
  std::fill(Scenario->MoveCosts.begin(), Scenario->MoveCosts.end(), 255);
  EXPECT_FALSE(Scenario->FindNearestFreeField(x, y));
}

TEST_F(PathFinding, ReachableAlongPath) {
  TGroup* mover = Draw({"........"}, {}, 0, 0);
  mover->Units[0]->Base.ActionPoints.Current = 5;
  mover->Units[0]->RecalcEffective(true);
  Scenario->ComputeMoveCosts(0, 0, mover);
  i32 x, y;
  ASSERT_TRUE(Scenario->FindReachableAlongPath(2, 0, mover, x, y));
  EXPECT_EQ(x, 2);
  ASSERT_TRUE(Scenario->FindReachableAlongPath(7, 0, mover, x, y));
  EXPECT_EQ(x, 2) << "the last field the 5 points reach";
  mover->Units[0]->Base.ActionPoints.Current = 1;
  mover->Units[0]->RecalcEffective(true);
  EXPECT_FALSE(Scenario->FindReachableAlongPath(7, 0, mover, x, y)) << "not even one step";
  EXPECT_EQ(x, -1);
}

TEST_F(PathFinding, CostMapIgnoresGroupsAndCountsBlockedAsTheLimit) {
  TGroup* mover = Draw({".E.#.", "....."}, {}, 0, 0);
  Scenario->ComputeCostMap(0, 0, 10000, mover->GetOwner());
  EXPECT_EQ(Scenario->GetCost(2, 0), 4) << "through the hostile group";
  EXPECT_EQ(Scenario->GetCost(4, 0), 10) << "round the wall";
  EXPECT_EQ(Scenario->GetCost(3, 0), 10000) << "a step onto the wall costs the limit";
  EXPECT_EQ(Scenario->GetCost(-1, 0), 10000);
  EXPECT_EQ(Scenario->GetCostTo(0, 0, 5, nullptr, 4, 0), 5) << "beyond a small limit";
  EXPECT_EQ(Scenario->GetCost(2, 1), 5);
}

TEST_F(PathFinding, ReachableFieldTowards) {
  TGroup* mover = Draw({"..........", "..........", ".........."}, {}, 0, 1);
  Scenario->PlayerAt(1)->Select(mover);
  mover->Units[0]->Base.ActionPoints.Current = 12;
  mover->Units[0]->RecalcEffective(true);
  i32 x = 9, y = 1;
  ASSERT_TRUE(Scenario->FindReachableFieldTowards(x, y));
  EXPECT_EQ((TField{static_cast<i16>(x), static_cast<i16>(y)}), (TField{6, 1})) << "12 points go six fields";
  Sighted(NewGroup(3, 6, 1, {Wolf}));
  Scenario->UpdateOccupancy();
  x = 9;
  y = 1;
  ASSERT_TRUE(Scenario->FindReachableFieldTowards(x, y));
  EXPECT_EQ((TField{static_cast<i16>(x), static_cast<i16>(y)}), (TField{5, 1})) << "not onto a group";
  x = 0;
  y = 1;
  Scenario->ComputeMoveCosts(0, 1, mover);
  ASSERT_TRUE(Scenario->FindReachableFieldTowards(x, y));
  EXPECT_EQ((TField{static_cast<i16>(x), static_cast<i16>(y)}), (TField{0, 0})) << "its own field: the nearest free one";
}

TEST_F(PathFinding, BattleFlagsAreCleared) {
  TGroup* a = Draw({"..."}, {}, 0, 0);
  TGroup* b = NewGroup(2, 2, 0, {Wolf});
  a->InBattle = b->InBattle = 1;
  Scenario->ClearBattleFlags(a, b);
  Scenario->ClearBattleFlags(nullptr, nullptr);
  EXPECT_EQ(a->InBattle + b->InBattle, 0);
}

}  // namespace
}  // namespace WorldTest
