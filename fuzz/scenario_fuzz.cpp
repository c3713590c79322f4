// Input: a scenario file as the "scenario" archive holds it (deciphered).
// Its header is read alone, as the scenario lists read it, then the whole
// file is loaded into a new scenario. The data set that the file's names
// refer to is the one in ORV_FUZZ_DATA (the test command builds the demo set
// there).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/scenario/scenario_header.h"

namespace {

struct TGame {
  TGame() {
    const char* dir = std::getenv("ORV_FUZZ_DATA");
    if (!dir) {
      std::fprintf(stderr, "ORV_FUZZ_DATA must name a data directory.\n");
      std::abort();
    }
    Data::DataPath = std::string(dir) + "/";
    AIHandler::ConnectToWorld();
    Data2::CreateArchives();
    Data2::CreateGlobalData();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TGame game;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    Data::TMemoryStream s(bytes);
    Data::ReadU32(s);
    GameData::TScenarioThumbNail head;
    GameData::LoadScenarioThumbNail(s, &head);
  } catch (const std::runtime_error&) {
  }
  try {
    GameData::TScenario scenario;
    Data::TMemoryStream s(bytes);
    scenario.Load(s);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
