// The map window's update step, which runs 100 times a second: the click
// classification, the path search to the hovered field and the cursor
// choice, on the generated 128 x 128 map with 300 groups, the mouse moving
// over 64 points of the view. Baseline in the same run: one FindPath from
// the selected group to the same fields.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/data/archive.h"
#include "engine/dxapp/dxapp.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "game/map/map_window.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

struct TBenchMap {
  std::string Dir;
  std::unique_ptr<Main::THeadlessGame> Headless;
  GameData::TGroup* Group = nullptr;
  Plat::HWND SavedWindow = nullptr;
  Plat::HWND FakeWindow = nullptr;

  TBenchMap() {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::TDemoData d = Builder::BuildDemoData();
    d.Scenario.Add("large.scn", Builder::GenerateScenario({}));
    d.Globals.WritePacked(Dir, "globals");
    d.Graphics.WritePacked(Dir, "graphics");
    d.Scenario.WritePacked(Dir, "scenario");
    d.Sounds.WritePacked(Dir, "sounds");
    Data::DataPath = Dir;
    Headless = std::make_unique<Main::THeadlessGame>(1);
    Headless->StartScenario("large.scn");
    GameData::TScenario& s = *Game->Scenario;
    GameData::TPlayer* player = Game->CurrentPlayer();
    for (GameData::TMapObject* o : s.MapObjects)
      if (o->Type == GameData::otGroup && static_cast<GameData::TGroup*>(o)->GetOwner() == player) {
        Group = static_cast<GameData::TGroup*>(o);
        break;
      }
    GameData::TActionRecord select;
    select.Words[0] = GameData::atSelect;
    select.Words[1] = Group->ID;
    Headless->Act(select);
    s.SetViewPosition(Group->X - 400, Group->Y - 300);
    // The mouse of a window (no drag: the window is never used).
    SavedWindow = DXApplication->hWnd;
    FakeWindow = reinterpret_cast<Plat::HWND>(&SavedWindow);
  }
  ~TBenchMap() {
    Headless.reset();
    std::filesystem::remove_all(Dir);
  }
  // Point k of an 8 x 8 grid over the view, clear of the scrolling border.
  static void Point(int k, i32& x, i32& y) {
    x = 30 + (k % 8) * 95;
    y = 30 + (k / 8 % 8) * 70;
  }
};

TBenchMap& Map() {
  static TBenchMap map;
  return map;
}

void BM_MapWindowUpdateStep(benchmark::State& state) {
  TBenchMap& m = Map();
  Main::TMapWindow& w = *Game->MapWindow;
  DXApplication->hWnd = m.FakeWindow;
  int k = 0, paths = 0, steps = 0;
  for (auto _ : state) {
    TBenchMap::Point(k++, DXApplication->MouseX, DXApplication->MouseY);
    w.UpdateMap();
    if (w.PathLength > 0) ++paths;
    ++steps;
  }
  DXApplication->hWnd = m.SavedWindow;
  state.counters["with_path"] = steps ? static_cast<double>(paths) / steps : 0;
}
BENCHMARK(BM_MapWindowUpdateStep);

void BM_BaselineFindPath(benchmark::State& state) {
  TBenchMap& m = Map();
  GameData::TScenario& s = *Game->Scenario;
  int k = 0;
  for (auto _ : state) {
    i32 x, y;
    TBenchMap::Point(k++, x, y);
    benchmark::DoNotOptimize(
        s.FindPath(m.Group->FieldX(), m.Group->FieldY(), (s.ViewX + x) / 40, (s.ViewY + y) / 40, m.Group));
  }
}
BENCHMARK(BM_BaselineFindPath);

}  // namespace
