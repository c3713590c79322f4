// Input: the text of a condition script, run against the first demo mission
// (the data set in ORV_FUZZ_DATA, which the test command builds). Every input
// runs from the same variables; longer inputs than the budget are skipped, so
// that one input's scans stay short.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "script/script_connection.h"
#include "world/data2/global_data.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"

namespace {

constexpr size_t Budget = 8192;

struct TWorld {
  std::unique_ptr<GameData::TScenario> Scenario;
  GameData::TQuestObjective Quest;
  i32 Globals[GameData::GlobalCount] = {};
  TWorld() {
    const char* dir = std::getenv("ORV_FUZZ_DATA");
    if (!dir) {
      std::fprintf(stderr, "ORV_FUZZ_DATA must name a data directory.\n");
      std::abort();
    }
    Data::DataPath = std::string(dir) + "/";
    AIHandler::ConnectToWorld();
    Script::ConnectToWorld();
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->LoadFromArchive(Data2::ScenarioArchive, "demo1.scn");
    std::copy(std::begin(Scenario->Globals), std::end(Scenario->Globals), Globals);
    Quest.ID = 1;
    Quest.HeroID = Scenario->Units.Items[0]->ID;
    Quest.SetScenario(Scenario.get());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TWorld world;
  if (size > Budget) return 0;
  std::copy(std::begin(world.Globals), std::end(world.Globals), world.Scenario->Globals);
  world.Quest.Check.Clear();
  world.Quest.Check.Script.assign(reinterpret_cast<const char*>(data), size);
  try {
    world.Quest.Check.Execute();
  } catch (const std::runtime_error&) {
  }
  return 0;
}
