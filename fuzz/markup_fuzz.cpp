// Input: a conversation text, turned into a page against the first demo
// mission (the data set in ORV_FUZZ_DATA) with every command of the table
// reachable. Every input starts from the same variables and gold; longer
// inputs than the budget are skipped so that one input's loops stay short.
#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "script/conversation_commands.h"
#include "script_fuzz_fixture.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

constexpr size_t Budget = 8192;

struct TWorld : TScriptFuzzWorld {
  GameData::TConversation Talk;
  // Each unit's record as loaded: inputs must not pile up after-effects or
  // levels for the next ones.
  std::unordered_map<u32, GameData::TUnitProperties> Records;
  TWorld() {
    Scenario->CurrentPlayerIndex = 0;
    for (const GameData::TUnit* unit : Scenario->Units.Items) Records[unit->ID] = unit->Base;
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
  try {
    Script::TConversationCommands(world.Talk).ProcessText(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const std::runtime_error&) {
  }
  return 0;
}
