// Input: one byte choosing a kind of stored game-world object, then its
// stream as a scenario or save game holds it.
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/locations/location.h"
#include "world/map/background.h"
#include "world/map/doodle.h"
#include "world/map/drawing.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

struct TWorld {
  Data2::TGlobalData Global{Data2::TGlobalData::TEmpty{}};
  std::unique_ptr<GameData::TScenario> Scenario;
  TWorld() {
    GameData::TUnitPrototype p{};
    p.ID = 1;
    Global.UnitPrototypes.Add(p);
    Data2::GlobalData = &Global;
    AIHandler::ConnectToWorld();
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->SetSize(16, 16);
    for (int i = 0; i < 3; ++i) Scenario->Players.Add(new GameData::TPlayer(Scenario.get()));
    GameData::TDoodlePrototype doodle{};
    doodle.ID = 1;
    Scenario->DoodlePrototypes.Add(doodle);
    for (u32 id = 1; id <= 4; ++id) {
      auto* unit = new GameData::TUnit;
      unit->SetPrototype(&Global.UnitPrototypes[0]);
      unit->ID = id;
      Scenario->AddUnit(unit, false);
    }
    auto* area = new GameData::TArea;
    area->ID = 1;
    Scenario->Areas.AddSorted(area);
  }
};

template <class T>
void LoadOne(Data::TStream& s, GameData::TScenario* scenario) {
  T object(scenario);
  object.Load(s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TWorld world;
  if (size < 1) return 0;
  Data::TMemoryStream s(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  GameData::TScenario* scenario = world.Scenario.get();
  try {
    switch (data[0] % 10) {
      case 0: {
        GameData::TUnit unit;
        unit.Load(s);
        break;
      }
      case 1: {
        GameData::TArea area;
        area.Load(s);
        break;
      }
      case 2: LoadOne<GameData::TPlayer>(s, scenario); break;
      case 3: {
        // Group and city loads point units at themselves; give them back.
        GameData::TGroup group(scenario);
        group.Load(s);
        break;
      }
      case 4: {
        GameData::TCity city(scenario);
        city.Load(s);
        break;
      }
      case 5: LoadOne<GameData::TDoodle>(s, scenario); break;
      case 6: LoadOne<GameData::TNaturalCorpse>(s, scenario); break;
      case 7: LoadOne<GameData::TAnimation>(s, scenario); break;
      case 8: LoadOne<GameData::TBuilding>(s, scenario); break;
      default: {
        GameData::TBackground background;
        background.Load(s);
        break;
      }
    }
  } catch (const std::runtime_error&) {
  }
  for (GameData::TUnit* unit : scenario->Units.Items) unit->Container = nullptr;
  return 0;
}
