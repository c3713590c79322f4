// The demo data set as the data path, with its archives and global data
// loaded and the test opponent connected: scenarios load as in the game.
#pragma once

#include <memory>
#include <string>

#include "tests/world/demo_data_dir.h"
#include "world/scenario/scenario.h"

namespace WorldTest {

class TDemoWorld {
 public:
  TDemoWorld();
  ~TDemoWorld();
  TDemoWorld(const TDemoWorld&) = delete;
  TDemoWorld& operator=(const TDemoWorld&) = delete;

  // A file of the "scenario" archive, deciphered.
  std::string ScenarioFile(const std::string& name) const;
  // A scenario loaded from its stream through the real classes.
  static std::unique_ptr<GameData::TScenario> Load(const std::string& bytes);
  static std::string Save(const GameData::TScenario& scenario);

  TestSupport::TDemoDataDir Data;
};

}  // namespace WorldTest
