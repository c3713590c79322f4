// Input: a conversation text, turned into a page against the first demo
// mission (the data set in ORV_FUZZ_DATA) with every command of the table
// reachable. Every input starts from the same variables, gold and unit
// records, and from the mission as loaded whenever the input before could
// have made, moved or deleted units and groups; longer inputs than the
// budget are skipped so that one input's loops stay short.
#include <algorithm>
#include <cctype>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "engine/data/stream.h"
#include "script/conversation_commands.h"
#include "script_fuzz_fixture.h"
#include "world/data2/global_data.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
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

struct TWorld : TScriptFuzzWorld {
  GameData::TConversation Talk;
  std::string Bytes;
  bool Dirty = false;
  // Each unit's record as loaded: inputs must not pile up after-effects or
  // levels for the next ones.
  std::unordered_map<u32, GameData::TUnitProperties> Records;

  TWorld() {
    std::unique_ptr<Data::TStream> file(Data2::ScenarioArchive->OpenFile("demo1.scn"));
    Bytes.resize(static_cast<size_t>(file->GetSize()));
    file->ReadBuffer(Bytes.data(), static_cast<i32>(Bytes.size()));
    Talk.ID = 1;
    Prepare();
    for (const GameData::TUnit* unit : Scenario->Units.Items) Records[unit->ID] = unit->Base;
  }

  // The new scenario is loaded before the old one goes, so that the unit
  // sprites stay acquired instead of being read again.
  void Reload() {
    auto fresh = std::make_unique<GameData::TScenario>();
    Data::TMemoryStream stream(Bytes);
    fresh->Load(stream);
    Talk.SetGroup(nullptr);
    Scenario.swap(fresh);
    Prepare();
  }

  void Prepare() {
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
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (world.Dirty) world.Reload();
  world.Dirty = MayChangeUnits(text);
  world.RestoreGlobals();
  std::fill(std::begin(world.Talk.Locals), std::end(world.Talk.Locals), 0);
  world.Talk.Aliases.clear();
  world.Scenario->Aliases.clear();
  for (GameData::TPlayer* player : world.Scenario->Players) player->Notes.clear();
  for (GameData::TUnit* unit : world.Scenario->Units.Items) {
    const auto record = world.Records.find(unit->ID);
    if (record == world.Records.end()) continue;
    unit->Base = record->second;
    unit->LevelledUp = 0;
    unit->ClearAfterEffects();
  }
  world.Talk.AfterEffect = GameData::TAfterEffect{};
  const u32 firstNewID = world.Scenario->NextID;
  try {
    Script::TConversationCommands(world.Talk).ProcessText(text);
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
