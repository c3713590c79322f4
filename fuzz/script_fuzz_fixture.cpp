#include "script_fuzz_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "script/script_connection.h"
#include "world/data2/global_data.h"

TScriptFuzzWorld::TScriptFuzzWorld() {
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
}

void TScriptFuzzWorld::RestoreGlobals() {
  std::copy(std::begin(Globals), std::end(Globals), Scenario->Globals);
}
