// A city-screen frame with the defender and other-units grids expanded to
// four rows each (the square's background, title, buttons and twelve plus
// four portrait tiles), beside a blit of the whole background in the same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "engine/d3dframe/d3dframe.h"
#include "engine/data/archive.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/screen.h"
#include "engine/platform/window/platform.h"
#include "engine/platform/window/sdl_platform.h"
#include "game/city/city_window.h"
#include "game/control/game.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/data2/prototypes.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace {

constexpr int Width = 800, Height = 600;

struct TScene {
  std::string Dir;
  Plat::TSurface* Back = nullptr;
  Plat::TSurface* Copy = nullptr;
  std::unique_ptr<GameData::TScenario> Scenario;
  Main::TCityWindow* Window = nullptr;

  TScene() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    Plat::Install(std::make_unique<Plat::TSdlPlatform>());
    Plat::TWndClass wc;
    wc.WndProc = [](Plat::HWND h, Plat::UINT m, Plat::WPARAM w, Plat::LPARAM l) {
      return Plat::Current().DefWindowProc(h, m, w, l);
    };
    wc.ClassName = "Bench";
    Plat::Current().RegisterClass(wc);
    Plat::HWND window = Plat::Current().CreateWindow("Bench", "Bench", Plat::WS_POPUP, 0, 0, 0, Width, Height);
    Plat::Current().ShowWindow(window, Plat::SW_SHOWNORMAL);
    D3DFramework = new D3DFrame::TD3DFramework(window, "Bench", 3, Width, Height, 16, nullptr);
    D3DFramework->InitializeFullscreen(-1, -1, -1);
    Gfx::Startup();
    Back = D3DFramework->BackBuffer;
    Copy = D3DFramework->CreateOffscreenSurface(Width, Height, 0);
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(Dir, Builder::TArchiveForm::Packed);
    Data::DataPath = Dir;
    AIHandler::ConnectToWorld();
    Data2::CreateArchives();
    Data2::CreateMainData();
    Data2::CreateGlobalData();
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
    Data2::FreeGlobalData();
    Data2::FreeMainData();
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
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
