// Input: a conversation text, turned into a page against the first demo
// mission (the data set in ORV_FUZZ_DATA) with every command of the table
// reachable. Every input starts from the mission as loaded, since commands
// make, move and delete units and groups; longer inputs than the budget are
// skipped so that one input's loops stay short.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "script/conversation_commands.h"
#include "script/script_connection.h"
#include "world/data2/global_data.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

constexpr size_t Budget = 8192;

struct TWorld {
  std::unique_ptr<GameData::TScenario> Scenario;
  GameData::TConversation Talk;
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
    Talk.ID = 1;
  }
  void Reset() {
    Talk.SetGroup(nullptr);
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->LoadFromArchive(Data2::ScenarioArchive, "demo1.scn");
    Scenario->CurrentPlayerIndex = 0;
    std::fill(std::begin(Talk.Locals), std::end(Talk.Locals), 0);
    Talk.Aliases.clear();
    Talk.SetScenario(Scenario.get());
    for (GameData::TUnit* unit : Scenario->Units.Items)
      if (GameData::TGroup* group = unit->GetGroup()) {
        Talk.SetGroup(group);
        break;
      }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TWorld world;
  if (size > Budget) return 0;
  world.Reset();
  try {
    Script::TConversationCommands(world.Talk).ProcessText(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const std::runtime_error&) {
  }
  return 0;
}
