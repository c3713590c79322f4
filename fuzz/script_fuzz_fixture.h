// The first demo mission (the data set in ORV_FUZZ_DATA, which the test command
// builds) with the variables it starts with kept aside, so that every input of
// a script target runs from the same ones.
#pragma once

#include <memory>

#include "world/scenario/scenario.h"

struct TScriptFuzzWorld {
  std::unique_ptr<GameData::TScenario> Scenario;
  i32 Globals[GameData::GlobalCount] = {};

  TScriptFuzzWorld();
  void RestoreGlobals();
};
