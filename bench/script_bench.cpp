// The quest pass runs after every completed action: 200 active objectives of
// 20-line condition scripts must take well under a millisecond. Expression
// evaluation is measured against the same arithmetic as a plain integer loop.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "ai/ai_handler.h"
#include "script/check_script.h"
#include "script/script_connection.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace {

struct TQuestWorld {
  std::unique_ptr<Data2::TGlobalData> Global = std::make_unique<Data2::TGlobalData>(Data2::TGlobalData::TEmpty{});
  std::unique_ptr<GameData::TScenario> Scenario;

  TQuestWorld() {
    Data2::GlobalData = Global.get();
    AIHandler::ConnectToWorld();
    Script::ConnectToWorld();
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->SetSize(32, 32);
    for (int i = 0; i < 3; ++i) Scenario->Players.Add(new GameData::TPlayer(Scenario.get()));
    Scenario->CurrentPlayerIndex = 1;
    for (int i = 0; i < 50; ++i) {
      auto* unit = new GameData::TUnit;
      Scenario->AddUnit(unit, true);
    }
    Scenario->AddAlias("ZIEL", 5);
    for (int n = 0; n < 200; ++n) {
      auto* q = new GameData::TQuestObjective;
      q->ID = Scenario->NewID();
      q->Type = GameData::qtObjective;
      q->SetScenario(Scenario.get());
      q->Check.SetLines(Lines(n));
      Scenario->QuestObjectives->AddSorted(q);
      q->GiveToPlayer(1);
    }
  }
  ~TQuestWorld() {
    Scenario.reset();
    Data2::GlobalData = nullptr;
  }

  // Twenty lines that count, compare and look at units; the verdict stays open.
  static std::vector<std::string> Lines(int n) {
    const std::string unit = std::to_string(1000 + n % 50);
    return {"<GETTURN>",
            "<SET(LOCAL1,LOCAL0+GLOBAL5*2)>",
            "<IFGREATER(LOCAL1,1000000)>",
            "<SETRESULT(1)>",
            "<ELSE>",
            "<SET(LOCAL2,LOCAL2+1)>",
            "<ENDIF>",
            "<LIVESUNIT(" + unit + ")>",
            "<SET(LOCAL3,LOCAL0)>",
            "<LIVEUNITSOR(" + unit + ",1001,1002)>",
            "<SET(LOCAL4,LOCAL3+LOCAL0-1)>",
            "<IFEQUAL(LOCAL4,12345)>",
            "<SETRESULT(-1)>",
            "<ENDIF>",
            "<SET(ZIEL,ZIEL+0)>",
            "<IFTRUE(LOCAL2-LOCAL2)>",
            "<SETRESULT(1)>",
            "<ENDIF>",
            "<SET(LOCAL5,LOCAL1/3+7)>",
            "<SETRESULT(0)>"};
  }
};

TQuestWorld& World() {
  static TQuestWorld world;
  return world;
}

void BM_QuestPass200Objectives(benchmark::State& state) {
  GameData::TScenario& s = *World().Scenario;
  for (auto _ : state) s.UpdateQuestObjectives();
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_QuestPass200Objectives)->Unit(benchmark::kMicrosecond);

const char* const Expression = "LOCAL1+GLOBAL5*3-LOCAL2/7+12";

void BM_EvaluateExpression(benchmark::State& state) {
  GameData::TQuestObjective& q = *World().Scenario->QuestObjectives->Items[0];
  Script::TCheckScript check(q.Check);
  q.Check.Locals[1] = 11;
  q.Check.Locals[2] = 99;
  for (auto _ : state) benchmark::DoNotOptimize(check.EvaluateExpression(Expression));
}
BENCHMARK(BM_EvaluateExpression);

// Baseline: the same four operations on the same variables in C++.
void BM_IntegerLoopBaseline(benchmark::State& state) {
  GameData::TQuestObjective& q = *World().Scenario->QuestObjectives->Items[0];
  i32* locals = q.Check.Locals;
  i32* globals = World().Scenario->Globals;
  for (auto _ : state) {
    benchmark::DoNotOptimize(locals);
    benchmark::DoNotOptimize(globals);
    benchmark::DoNotOptimize((((locals[1] + globals[5]) * 3 - locals[2]) / 7) + 12);
  }
}
BENCHMARK(BM_IntegerLoopBaseline);

}  // namespace
