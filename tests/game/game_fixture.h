// The game controller over the demo data set, without a screen: a headless
// game whose settings file, save folder and data live in a fresh folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "frontend/front_end.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "tests/support/temp_dir.h"
#include "tests/world/demo_data_dir.h"
#include "world/scenario/action.h"

namespace GameTest {

// Records the videos instead of playing them.
class TVideoRecorder : public Main::TVideoWindow {
 public:
  TVideoRecorder() : Main::TVideoWindow(nullptr) {}
  void Play(const std::string& path) override { Played.push_back(path); }
  std::vector<std::string> Played;
};

// The ID of the owner's first group in the scenario, 0 without one.
u32 FirstGroupOf(const GameData::TScenario& s, u8 owner);
// The units of players 1's and 2's first groups know battle spells at level
// 5, so that a battle draws for contests, spell amounts and doubles.
void TeachBattleSpells(GameData::TScenario& s);

class TGameFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Campaign mission n, started as a new campaign, at player 1's first turn.
  void StartMission(i32 number);
  GameData::TScenario& S() const;
  GameData::TPlayer& Player(i32 index) const;
  // Posts as the current local human and runs until the game waits again.
  void Act(std::initializer_list<u32> words);
  // The ID of the first group of the owner in the scenario.
  u32 GroupOf(u8 owner) const;

  TestSupport::TDemoDataDir Data;
  TestSupport::TTempDir ProgramDir;
  std::string SavedAppDir;
  std::unique_ptr<Main::THeadlessGame> Headless;
  TVideoRecorder* Videos = nullptr;
};

}  // namespace GameTest
