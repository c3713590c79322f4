// The map window's frame on the generated 128 x 128 scenario (background,
// about 3,300 objects, the viewing player's fog, all 300 rain drops) as the
// program draws it 100 times a second: the map cache brought up to date for
// a view that scrolls, copied to the back buffer, then weather, fog edges and
// overlays; once with the scenario's update step before each frame, once
// redrawn whole. And a text of 2,000 characters broken into lines and drawn,
// plainly and as coloured, justified text. Each against a memcpy of one
// 800 x 600 16-bit frame in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ai/ai_handler.h"
#include "bench/bench_screen.h"
#include "engine/data/archive.h"
#include "engine/gfx/color_text.h"
#include "engine/gfx/font.h"
#include "tools/demodata/art/demo_sprites.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/data2/global_data.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

using Bench::Height;
using Bench::Width;

constexpr u32 Layers = GameData::dlBackground | GameData::dlObjects;

// The demo data with the large map and its ground picture, loaded as the
// game loads it, the display made first so that sprites and fonts go to it.
struct TMapGame {
  std::string Dir;
  std::unique_ptr<GameData::TScenario> Scenario;
  Plat::TSurface* Cache = nullptr;

  TMapGame() {
    Bench::Screen();
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    AIHandler::ConnectToWorld();
    Builder::TDemoData d = Builder::BuildDemoData();
    Builder::TScenarioParams params;
    params.BackgroundFile = "large.bkg";
    d.Scenario.Add("large.scn", Builder::GenerateScenario(params));
    d.Scenario.Add("large.bkg", Builder::Background(32, 32));
    d.Globals.WritePacked(Dir, "globals");
    d.Graphics.WritePacked(Dir, "graphics");
    d.Scenario.WritePacked(Dir, "scenario");
    d.Sounds.WritePacked(Dir, "sounds");
    Data::DataPath = Dir;
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    Scenario = std::make_unique<GameData::TScenario>();
    Scenario->LoadFromArchive(Data2::ScenarioArchive, "large.scn");
    ShowToPlayerOne();
    Scenario->Weather = GameData::wsRain;
    for (int i = 0; i < 1500; ++i) {
      ++Scenario->FrameCounter;
      Scenario->UpdateRain();
    }
    Cache = D3DFramework->CreateOffscreenSurface(Width, Height, 0);
  }
  ~TMapGame() {
    Cache->Release();
    Scenario.reset();
    Data2::FreeGlobalData();
    Data2::FreeArchives();
    std::filesystem::remove_all(Dir);
  }

  // Player 1 views: it sees three fields around its groups, knows eight,
  // and nothing beyond; its sightings are made.
  void ShowToPlayerOne() {
    GameData::TScenario& s = *Scenario;
    GameData::TPlayer* viewer = s.Players[1];
    s.ViewingPlayer = viewer;
    std::vector<i32> nearest(static_cast<std::size_t>(s.Width) * s.Height, 1000);
    for (const GameData::TMapObject* o : s.MapObjects) {
      if (o->Type != GameData::otGroup || s.PlayerAt(static_cast<const GameData::TGroup*>(o)->OwnerIndex) != viewer)
        continue;
      for (i32 y = std::max(0, o->FieldY() - 8); y <= std::min<i32>(s.Height - 1, o->FieldY() + 8); ++y)
        for (i32 x = std::max(0, o->FieldX() - 8); x <= std::min<i32>(s.Width - 1, o->FieldX() + 8); ++x) {
          i32& d = nearest[static_cast<std::size_t>(s.FieldIndex(x, y))];
          d = std::min(d, std::max(std::abs(x - o->FieldX()), std::abs(y - o->FieldY())));
        }
    }
    for (i32 y = 0; y < s.Height; ++y)
      for (i32 x = 0; x < s.Width; ++x) {
        const i32 d = nearest[static_cast<std::size_t>(s.FieldIndex(x, y))];
        viewer->Fog->SetState(x, y, d <= 3 ? GameData::fsVisible : d <= 8 ? GameData::fsExplored : GameData::fsUnexplored);
      }
    viewer->UpdateSightings(false);
  }

  // The view wanders over the map a few pixels a frame, as scrolling does.
  void NextView(i32& x, i32& y) {
    static i32 step = 0;
    const i32 span = 2 * (Scenario->Width * 40 - Width);
    const i32 t = (step += 3) % span;
    x = t < span / 2 ? t : span - t;
    y = 1200 + (step / 7) % 1600;
  }

  void Frame(i32 x, i32 y, bool force) {
    Plat::TSurface* back = D3DFramework->BackBuffer;
    const Base::TRect screen{0, 0, Width, Height};
    Scenario->DrawMap(Cache, x, y, screen, Layers, force);
    back->Blt(&screen, Cache, &screen, Plat::bltWait, nullptr);
    Scenario->DrawSpell(back, x, y);
    Scenario->DrawWeather(back, x, y, screen);
    Scenario->DrawFog(back, x, y, screen);
    Scenario->DrawOverlays(back, x, y, screen);
  }
};

TMapGame& Game() {
  static TMapGame game;
  return game;
}

void Run(benchmark::State& state, bool tick, bool force) {
  TMapGame& g = Game();
  D3DFramework->Device3D->BeginScene();
  i32 x = 0, y = 0;
  g.NextView(x, y);
  g.Frame(x, y, true);
  for (auto _ : state) {
    if (tick) g.Scenario->Tick();
    g.NextView(x, y);
    g.Frame(x, y, force);
    benchmark::ClobberMemory();
  }
  D3DFramework->Device3D->EndScene();
}

void BM_MapFrameScrolling(benchmark::State& state) { Run(state, false, false); }
void BM_MapFrameScrollingWithTick(benchmark::State& state) { Run(state, true, false); }
void BM_MapFrameRedrawnWhole(benchmark::State& state) { Run(state, false, true); }

BENCHMARK(Bench::MemcpyFrame)->Name("BM_MemcpyFrame");
BENCHMARK(BM_MapFrameScrolling)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MapFrameScrollingWithTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MapFrameRedrawnWhole)->Unit(benchmark::kMicrosecond);

// 2,000 characters of German running text.
std::string LongText() {
  const std::string sentence =
      "Die Sp\xE4her melden \xFC" "ber hundert Krieger s\xFC" "dlich der Br\xFC" "cke; "
      "die Stra\xDF" "en sind verschneit, und die Gr\xE4" "fin verlangt f\xFCnfhundert Goldst\xFC" "cke. ";
  std::string text;
  while (text.size() < 2000) text += sentence;
  text.resize(2000);
  return text;
}

void BM_TextWrappedAndDrawn(benchmark::State& state) {
  Game();
  Gfx::TFont* font = Data2::GlobalData->Fonts[3];
  const std::string text = LongText();
  Plat::TSurface* back = D3DFramework->BackBuffer;
  for (auto _ : state) {
    const std::string wrapped = font->WrapText(760, text);
    font->DrawText(back, 20, 10, wrapped, Gfx::PackRGB565(0x202020), nullptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TextWrappedAndDrawn)->Unit(benchmark::kMicrosecond);

// As a book shows it: pieces in three fonts flowed on, justified, drawn.
void BM_ColorTextLaidOutAndDrawn(benchmark::State& state) {
  Game();
  Data2::TGlobalData& g = *Data2::GlobalData;
  Gfx::TFont* fonts[3] = {g.Fonts[5], g.Fonts[6], g.Fonts[7]};
  const std::string text = LongText();
  Plat::TSurface* back = D3DFramework->BackBuffer;
  Gfx::TColorText layout;
  for (auto _ : state) {
    layout.Clear();
    i32 height = 0, x = 0;
    for (std::size_t at = 0, piece = 0; at < text.size(); at += 100, ++piece) {
      std::string wrapped;
      Gfx::TFont* font = fonts[piece % 3];
      font->WrapTextFrom(760, std::string_view(text).substr(at, 100), wrapped, height, x);
      layout.Add(font, Gfx::PackRGB565(piece % 3 ? 0x802010 : 0x202020), 0, 0, wrapped, Gfx::ckLastWord);
    }
    layout.Justify(760);
    layout.Draw(back, 20, 10, nullptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ColorTextLaidOutAndDrawn)->Unit(benchmark::kMicrosecond);

}  // namespace
