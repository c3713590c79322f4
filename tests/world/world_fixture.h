// A small game world for tests: global data with rules and a few prototypes
// (no files, no sprites), a scenario with players on a flat map, and helpers
// that make units.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tools/demodata/scenario/demo_opponent.h"
#include "world/data2/global_data.h"
#include "world/scenario/opponent.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace WorldTest {

// Prototype IDs of the fixture.
constexpr u32 Knight = 1;     // hero, human
constexpr u32 Wolf = 2;       // creature, kind 2
constexpr u32 Skeleton = 3;   // undead
constexpr u32 Soldier = 4;    // human, not a hero

GameData::TUnitProperty Prop(i16 base, i16 delta = 0, i16 every = 0);

// Rules: normal morale 50, min defend morale 30, slopes 4 and 8 with limit
// 16, attack and retreat cost 4, entry costs 6 (city) and 9 (building); spells 1 (level 1), 3 (level 3, class 2), 65
// (battle, level 2); skills 1 (bonus attack +2, 3 turns of defence +1), 45.
std::unique_ptr<Data2::TGlobalData> MakeGlobalData();

// The computer opponent as the world sees it: it keeps one record per unit it
// is told of; its turn announces itself, waits for the result and ends. Its
// stream is the demo data's, so it loads and saves the demo files.
class TTestOpponent : public Builder::TDemoOpponent {
 public:
  explicit TTestOpponent(GameData::TPlayer* player) : Player(player) {}
  bool AddUnit(GameData::TUnit* unit) override;
  bool RemoveUnit(GameData::TUnit* unit, bool dropTargetingTasks) override;
  void TakeTurn() override;
  void Clear() override {
    TDemoOpponent::Clear();
    Units.clear();
  }
  bool Knows(const GameData::TUnit* unit) const;

  GameData::TPlayer* Player;
  std::vector<const GameData::TUnit*> Units;
};

TTestOpponent& OpponentOf(const GameData::TPlayer* player);
// Every player made from now on gets a TTestOpponent.
void ConnectTestOpponent();

class TWorldFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A scenario of width x height fields, cost 2 everywhere, with players
  // 0..count-1 (player i has colour i, relations neutral).
  void MakeScenario(i32 width = 16, i32 height = 16, i32 players = 3);
  // A new unit of a prototype, registered in the scenario (new ID), standing nowhere.
  GameData::TUnit* NewUnit(u32 prototype);
  // A group of the owner at a field holding new units of the prototypes.
  GameData::TGroup* NewGroup(u8 owner, i32 fx, i32 fy, std::initializer_list<u32> prototypes);
  // As NewGroup, with a group of a class derived from TGroup.
  template <class G>
  G* NewGroupOf(u8 owner, i32 fx, i32 fy, std::initializer_list<u32> prototypes) {
    auto* group = new G(Scenario.get());
    PlaceGroup(group, owner, fx, fy, prototypes);
    return group;
  }
  void PlaceGroup(GameData::TGroup* group, u8 owner, i32 fx, i32 fy, std::initializer_list<u32> prototypes);

  std::unique_ptr<Data2::TGlobalData> Global;
  std::unique_ptr<GameData::TScenario> Scenario;
  TRandomState SavedRandom;
};

}  // namespace WorldTest
