// The maps the program plays: scenarios of the generator, loaded as the game
// loads them, over the demo data set's global data.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "engine/data/archive.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"

namespace Bench {

class TGeneratedWorld {
 public:
  // Also makes its global data the current one, which other fixtures of a
  // benchmark program may have replaced.
  static TGeneratedWorld& Get() {
    static TGeneratedWorld world;
    Data2::GlobalData = world.Global;
    return world;
  }

  // A side x side map with the default map's density of groups, doodles
  // and cities (300, 3000 and 8 on 128 x 128); player 1 is the current
  // and viewing player.
  static std::unique_ptr<GameData::TScenario> Map(i32 side, u32 seed = 1) {
    Get();
    Builder::TScenarioParams p;
    const i32 area = side * side;
    p.Width = p.Height = side;
    p.Groups = 300 * area / (128 * 128);
    p.Doodles = 3000 * area / (128 * 128);
    p.Cities = std::max(1, 8 * area / (128 * 128));
    p.Seed = seed;
    Data::TMemoryStream bytes(Builder::GenerateScenario(p));
    auto s = std::make_unique<GameData::TScenario>();
    s->Load(bytes);
    s->CurrentPlayerIndex = 1;
    s->ViewingPlayer = s->PlayerAt(1);
    s->UpdateOccupancy();
    return s;
  }

 private:
  TGeneratedWorld() {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(Dir, Builder::TArchiveForm::Packed);
    Data::DataPath = Dir;
    AIHandler::ConnectToWorld();
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    Global = Data2::GlobalData;
  }
  ~TGeneratedWorld() {
    if (Data2::GlobalData == Global) Data2::GlobalData = nullptr;
    delete Global;
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
  }

  std::string Dir;
  Data2::TGlobalData* Global = nullptr;
};

}  // namespace Bench
