// A city-screen frame with the defender and other-units grids expanded to
// four rows each (the square's background, title, buttons and twelve plus
// four portrait tiles), beside a blit of the whole background in the same run.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_data.h"
#include "bench/bench_screen.h"
#include "ai/ai_handler.h"
#include "engine/dxwin/window_system.h"
#include "game/city/city_window.h"
#include "game/control/game.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/data2/prototypes.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

using Bench::Width, Bench::Height;

struct TScene {
  // The display comes first: the data loads its pictures onto it.
  Plat::TSurface* Back = Bench::Screen().Back;
  Bench::TDemoData Data{true};
  Plat::TSurface* Copy = nullptr;
  std::unique_ptr<GameData::TScenario> Scenario;
  Main::TCityWindow* Window = nullptr;

  TScene() {
    Copy = D3DFramework->CreateOffscreenSurface(Width, Height, 0);
    AIHandler::ConnectToWorld();
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->LoadFromArchive(Data2::ScenarioArchive, "demo2.scn");
    Scenario->CurrentPlayerIndex = static_cast<i16>(Scenario->IndexOfPlayer(Scenario->ViewingPlayer));
    WindowSystem = new DXWin::TDXWindowSystem;
    Game = new Main::TGame;
    Game->CityWindow = std::make_unique<Main::TCityWindow>(WindowSystem);
    Window = Game->CityWindow.get();
    Window->SetScenario(Scenario.get());
    GameData::TCity* city = nullptr;
    GameData::TGroup* group = nullptr;
    for (GameData::TMapObject* o : Scenario->MapObjects) {
      if (o->Type == GameData::otCity && !city) city = static_cast<GameData::TCity*>(o);
      if (o->Type == GameData::otGroup && static_cast<GameData::TGroup*>(o)->OwnerIndex == Scenario->CurrentPlayerIndex)
        group = static_cast<GameData::TGroup*>(o);
    }
    // Four rows in both grids: four full defender slots and four other units.
    city->SetSlotCount(4);
    auto unit = [&] {
      auto* u = new GameData::TUnit;
      u->SetPrototype(GameData::FindUnitPrototype(5));
      u->OwnerIndex = GameData::NoOwner;
      return u;
    };
    for (i32 slot = 0; slot < 4; ++slot)
      while (city->CountSlotUnits(slot) < 3) city->AddToSlot(slot, unit(), true, false, true);
    while (city->Units.Count() < 4) city->AddUnit(unit(), true, false, true);
    Window->Open(city, group);
    Window->ShowAllDefenders = Window->ShowAllOthers = 1;
    Window->LayoutGrids();
  }
  ~TScene() {
    Window->CloseCity();
    delete Game;
    Game = nullptr;
    delete WindowSystem;
    WindowSystem = nullptr;
    Scenario.reset();
    Copy->Release();
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

void BM_BlitCityBackground(benchmark::State& state) {
  TScene& s = Scene();
  const Base::TRect r{0, 0, Width, Height};
  for (auto _ : state) {
    s.Back->Blt(&r, s.Copy, &r, Plat::bltWait, nullptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BlitCityBackground)->Unit(benchmark::kMicrosecond);

void BM_DrawCitySquare(benchmark::State& state) {
  TScene& s = Scene();
  D3DFramework->Device3D->BeginScene();
  for (auto _ : state) {
    s.Window->DrawControl(s.Back);
    benchmark::ClobberMemory();
  }
  D3DFramework->Device3D->EndScene();
}
BENCHMARK(BM_DrawCitySquare)->Unit(benchmark::kMicrosecond);

}  // namespace
