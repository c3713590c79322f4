// Input: the text of a condition script, run against the first demo mission.
// Every input runs from the same variables; longer inputs than the budget are
// skipped, so that one input's scans stay short.
#include <stdexcept>

#include "script_fuzz_fixture.h"
#include "world/scenario/quest_objective.h"

namespace {

constexpr size_t Budget = 8192;

struct TWorld : TScriptFuzzWorld {
  GameData::TQuestObjective Quest;
  TWorld() {
    Quest.ID = 1;
    Quest.HeroID = Scenario->Units.Items[0]->ID;
    Quest.SetScenario(Scenario.get());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TWorld world;
  if (size > Budget) return 0;
  world.RestoreGlobals();
  world.Quest.Check.Clear();
  world.Quest.Check.Script.assign(reinterpret_cast<const char*>(data), size);
  try {
    world.Quest.Check.Execute();
  } catch (const std::runtime_error&) {
  }
  return 0;
}
