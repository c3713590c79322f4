// Input: a conversation text, turned into a page against the first demo
// mission (the data set in ORV_FUZZ_DATA) with every command of the table
// reachable. Every input starts from the same variables and gold, and from
// the mission as loaded whenever the input before could have made, moved or
// deleted units and groups; longer inputs than the budget are skipped so
// that one input's loops stay short.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "engine/data/stream.h"
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

// Words in the names of every command that changes units, groups, armies
// or cities: after an input that holds one, the next starts afresh.
bool MayChangeUnits(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* word : {"UNIT", "GROUP", "ARMY", "CITY"})
    if (upper.find(word) != std::string::npos) return true;
  return false;
}

struct TWorld {
  std::unique_ptr<GameData::TScenario> Scenario;
  GameData::TConversation Talk;
  i32 Globals[GameData::GlobalCount] = {};
  std::string Bytes;
  bool Dirty = false;
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
    std::unique_ptr<Data::TStream> file(Data2::ScenarioArchive->OpenFile("demo1.scn"));
    Bytes.resize(static_cast<size_t>(file->GetSize()));
    file->ReadBuffer(Bytes.data(), static_cast<i32>(Bytes.size()));
    Talk.ID = 1;
    Reload();
    std::copy(std::begin(Scenario->Globals), std::end(Scenario->Globals), Globals);
  }
  // The new scenario is loaded before the old one goes, so that the unit
  // sprites stay acquired instead of being read again.
  void Reload() {
    auto fresh = std::make_unique<GameData::TScenario>();
    Data::TMemoryStream stream(Bytes);
    fresh->Load(stream);
    fresh->CurrentPlayerIndex = 0;
    Talk.SetGroup(nullptr);
    Talk.SetScenario(fresh.get());
    for (GameData::TUnit* unit : fresh->Units.Items)
      if (GameData::TGroup* group = unit->GetGroup()) {
        Talk.SetGroup(group);
        break;
      }
    Scenario.swap(fresh);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TWorld world;
  if (size > Budget) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (world.Dirty) world.Reload();
  world.Dirty = MayChangeUnits(text);
  std::copy(std::begin(world.Globals), std::end(world.Globals), world.Scenario->Globals);
  std::fill(std::begin(world.Talk.Locals), std::end(world.Talk.Locals), 0);
  world.Talk.Aliases.clear();
  world.Scenario->Aliases.clear();
  for (GameData::TPlayer* player : world.Scenario->Players) player->Notes.clear();
  try {
    Script::TConversationCommands(world.Talk).ProcessText(text);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
