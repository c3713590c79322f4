// Input: a conversation text, turned into a page against the first demo
// mission (the data set in ORV_FUZZ_DATA) with every command of the table
// reachable. Every input starts from the same variables and gold; longer
// inputs than the budget are skipped so that one input's loops stay short.
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
    Scenario->CurrentPlayerIndex = 0;
    // The view follows the current player, so the centring commands act.
    Scenario->ViewingPlayer = Scenario->Players[0];
    // A waiting task and an army of the computer, so that the task commands
    // find something to queue messages for.
    auto& computer = static_cast<AIHandler::TAIHandler&>(*Scenario->Players[2]->AIHandler);
    auto* task = new AIHandler::TAITask(&computer, true);
    task->Header.TaskType = AIHandler::ttGuardArea;
    task->Header.Target.Kind = AIHandler::tkAlways;
    task->Active = 0;
    computer.Tasks.Items.Add(task);
    auto* army = new AIHandler::TAIArmy;
    army->Init(&computer, true);
    computer.Armies.AddSorted(army);
    std::copy(std::begin(Scenario->Globals), std::end(Scenario->Globals), Globals);
    Talk.ID = 1;
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
  std::copy(std::begin(world.Globals), std::end(world.Globals), world.Scenario->Globals);
  std::fill(std::begin(world.Talk.Locals), std::end(world.Talk.Locals), 0);
  world.Talk.Aliases.clear();
  world.Scenario->Aliases.clear();
  for (GameData::TPlayer* player : world.Scenario->Players) player->Notes.clear();
  const u32 firstNewID = world.Scenario->NextID;
  try {
    Script::TConversationCommands(world.Talk).ProcessText(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const std::runtime_error&) {
  }
  // What an input added to the map, queued or posted goes again, so that
  // inputs do not pile it up for the ones after them.
  GameData::TScenario& s = *world.Scenario;
  for (i32 i = s.MapObjects.Count() - 1; i >= 0; --i) {
    const GameData::TMapObject* o = s.MapObjects[i];
    if ((o->Type == GameData::otDoodle || o->Type == GameData::otAnimation) && o->ID >= firstNewID)
      s.RemoveMapObjectAt(i, false);
  }
  while (s.PopConversation()) {
  }
  for (GameData::TPlayer* player : s.Players)
    static_cast<AIHandler::TAIHandler&>(*player->AIHandler).ScriptStack.Clear();
  return 0;
}
