// A page of LOOP(1000) with SHOWEXPRESSION must take well under 5 ms; the
// baseline appends the same numbers directly. The table's linear search by
// name is measured against a hash look-up of the same names.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ai/ai_handler.h"
#include "script/conversation_commands.h"
#include "world/data2/global_data.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace {

using Script::TConversationCommands;

struct TTalkWorld {
  std::unique_ptr<Data2::TGlobalData> Global = std::make_unique<Data2::TGlobalData>(Data2::TGlobalData::TEmpty{});
  std::unique_ptr<GameData::TScenario> Scenario;
  GameData::TConversation Talk;

  TTalkWorld() {
    Data2::GlobalData = Global.get();
    AIHandler::ConnectToWorld();
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->SetSize(16, 16);
    for (int i = 0; i < 2; ++i) Scenario->Players.Add(new GameData::TPlayer(Scenario.get()));
    Talk.ID = 1;
    Talk.SetScenario(Scenario.get());
  }
  ~TTalkWorld() {
    Scenario.reset();
    Data2::GlobalData = nullptr;
  }
};

void BM_LoopPage(benchmark::State& state) {
  TTalkWorld world;
  const std::string text =
      "<TEXT><1>Count:<ENDTEXT><SET(LOCAL1,0)><LOOP(1000)><SET(LOCAL1,LOCAL1+1)><TEXT> <SHOWEXPRESSION(LOCAL1*3+GLOBAL2)>"
      "<ENDTEXT><ENDLOOP>";
  for (auto _ : state) {
    TConversationCommands commands(world.Talk);
    benchmark::DoNotOptimize(commands.ProcessText(text));
  }
}
BENCHMARK(BM_LoopPage)->Unit(benchmark::kMicrosecond);

void BM_LoopPageBaseline(benchmark::State& state) {
  for (auto _ : state) {
    std::string page = "<1>Count:";
    for (int i = 1; i <= 1000; ++i) {
      page += ' ';
      page += std::to_string(i * 3);
    }
    benchmark::DoNotOptimize(page);
  }
}
BENCHMARK(BM_LoopPageBaseline)->Unit(benchmark::kMicrosecond);

// Every name once per round: the table's search against a hash map.
void BM_DispatchTable(benchmark::State& state) {
  const auto* table = TConversationCommands::Table();
  for (auto _ : state)
    for (int i = 0; i < TConversationCommands::CommandCount; ++i)
      benchmark::DoNotOptimize(TConversationCommands::FindCommand(table[i].Name));
}
BENCHMARK(BM_DispatchTable);

void BM_DispatchHash(benchmark::State& state) {
  const auto* table = TConversationCommands::Table();
  std::unordered_map<std::string_view, const Script::TScriptCommandInfo*> index;
  for (int i = TConversationCommands::CommandCount - 1; i >= 0; --i) index[table[i].Name] = &table[i];
  for (auto _ : state)
    for (int i = 0; i < TConversationCommands::CommandCount; ++i)
      benchmark::DoNotOptimize(index.find(table[i].Name)->second);
}
BENCHMARK(BM_DispatchHash);

}  // namespace
