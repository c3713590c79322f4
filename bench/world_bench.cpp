// Finding map objects by pixel or field runs every frame (the pointer, the
// map window, walking groups): on a full map it must not walk every object.
// Loading the global data at start-up reads every archive through the real
// streams; its baseline reads the same files whole.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/generated_map.h"
#include "engine/data/archive.h"
#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"
#include "world/map/drawing.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

struct TBigMap {
  std::unique_ptr<Data2::TGlobalData> Global = std::make_unique<Data2::TGlobalData>(Data2::TGlobalData::TEmpty{});
  std::unique_ptr<GameData::TScenario> Scenario = std::make_unique<GameData::TScenario>();
  std::unique_ptr<Gfx::TSprite> Picture;

  TBigMap() {
    Data2::GlobalData = Global.get();
    Scenario->SetSize(128, 128);
    Builder::TSpriteShape shape;
    shape.ID = 1;
    shape.Width = 32;
    shape.Height = 48;
    shape.HotX = 16;
    shape.HotY = 40;
    Picture = Builder::MakeSprite16(shape, Builder::SolidPixels(0x1234));
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
      auto* d = new GameData::TDrawing(Scenario.get());
      d->Init(Picture.get(), 0, static_cast<i32>(rng() % 5120), static_cast<i32>(rng() % 5120), 10);
      Scenario->AddMapObject(d);
    }
    for (int i = 0; i < 500; ++i) {
      auto* g = new GameData::TGroup(Scenario.get());
      g->X = static_cast<i16>((rng() % 128) * 40 + 20);
      g->Y = static_cast<i16>((rng() % 128) * 40 + 20);
      Scenario->AddMapObject(g);
    }
  }
  ~TBigMap() {
    Scenario.reset();
    Data2::GlobalData = nullptr;
  }
};

void BM_ObjectAtPixel(benchmark::State& state) {
  static TBigMap map;
  std::mt19937 rng(1);
  for (auto _ : state) benchmark::DoNotOptimize(map.Scenario->GetObjectIndexAt(rng() % 5120, rng() % 5120));
}
BENCHMARK(BM_ObjectAtPixel);

void BM_GroupCoveringField(benchmark::State& state) {
  static TBigMap map;
  std::mt19937 rng(2);
  for (auto _ : state) benchmark::DoNotOptimize(map.Scenario->GetGroupCovering(rng() % 128, rng() % 128, nullptr));
}
BENCHMARK(BM_GroupCoveringField);

// What a walk over every object costs, for comparison.
void BM_LinearScanForComparison(benchmark::State& state) {
  static TBigMap map;
  std::mt19937 rng(3);
  for (auto _ : state) {
    i32 px = static_cast<i32>(rng() % 5120), py = static_cast<i32>(rng() % 5120), found = -1;
    for (i32 i = map.Scenario->MapObjects.Count() - 1; i >= 0 && found < 0; --i)
      if (map.Scenario->MapObjects[i]->HitTest(px, py)) found = i;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_LinearScanForComparison);

// A walking group's pixel steps (4 pixels, back and forth over three fields)
// on generated maps of 32 x 32 and 128 x 128 with the same density of
// objects and a current player whose view the occupancy holds: a step must
// cost the same on both.
void BM_MoveGroup(benchmark::State& state) {
  // Made for each run: a later benchmark frees the global data.
  auto s = Bench::TGeneratedWorld::Map(static_cast<i32>(state.range(0)));
  GameData::TGroup* walker = nullptr;
  for (GameData::TMapObject* o : s->MapObjects)
    if (o->Type == GameData::otGroup && static_cast<GameData::TGroup*>(o)->OwnerIndex == 1)
      walker = static_cast<GameData::TGroup*>(o);
  const i32 x0 = walker->X, y = walker->Y;
  i32 x = x0, dx = 4;
  for (auto _ : state) {
    if (x + dx > x0 + 120 || x + dx < x0) dx = -dx;
    x += dx;
    s->MoveMapObject(s->IndexOfMapObject(walker), x, y);
  }
}
BENCHMARK(BM_MoveGroup)->Arg(32)->Arg(128);

// How a step cost before: the move and a whole rebuild of the occupancy.
void BM_MoveGroupWithWholeRebuild(benchmark::State& state) {
  auto s = Bench::TGeneratedWorld::Map(static_cast<i32>(state.range(0)));
  GameData::TGroup* walker = nullptr;
  for (GameData::TMapObject* o : s->MapObjects)
    if (o->Type == GameData::otGroup && static_cast<GameData::TGroup*>(o)->OwnerIndex == 1)
      walker = static_cast<GameData::TGroup*>(o);
  const i32 x0 = walker->X, y = walker->Y;
  i32 x = x0, dx = 4;
  for (auto _ : state) {
    if (x + dx > x0 + 120 || x + dx < x0) dx = -dx;
    x += dx;
    s->MoveMapObject(s->IndexOfMapObject(walker), x, y);
    s->UpdateOccupancy();
  }
}
BENCHMARK(BM_MoveGroupWithWholeRebuild)->Arg(32)->Arg(128);

struct TDemoFixture {
  std::string Dir;
  i64 ArchiveBytes = 0;
  TDemoFixture() {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(Dir, Builder::TArchiveForm::Packed);
    for (const char* name : {"globals.dat", "graphics.dat", "scenario.dat", "sounds.dat"})
      ArchiveBytes += static_cast<i64>(std::filesystem::file_size(Dir + name));
  }
  ~TDemoFixture() { std::filesystem::remove_all(Dir); }
};

TDemoFixture& Demo() {
  static TDemoFixture fixture;
  return fixture;
}

// Opening the four archives and loading the whole global data of the demo set.
void BM_LoadGlobalData(benchmark::State& state) {
  TDemoFixture& demo = Demo();
  Data::DataPath = demo.Dir;
  for (auto _ : state) {
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    Data2::FreeGlobalData();
    Data2::FreeArchives();
  }
  state.SetBytesProcessed(state.iterations() * demo.ArchiveBytes);
}
BENCHMARK(BM_LoadGlobalData)->Name("LoadGlobalData")->Unit(benchmark::kMicrosecond);

// Reading the same four archive files whole, without deciphering or parsing.
void BM_FileReadBaseline(benchmark::State& state) {
  TDemoFixture& demo = Demo();
  std::vector<char> bytes(static_cast<std::size_t>(demo.ArchiveBytes));
  for (auto _ : state) {
    std::size_t at = 0;
    for (const char* name : {"globals.dat", "graphics.dat", "scenario.dat", "sounds.dat"}) {
      std::FILE* file = std::fopen((demo.Dir + name).c_str(), "rb");
      at += std::fread(bytes.data() + at, 1, bytes.size() - at, file);
      std::fclose(file);
    }
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * demo.ArchiveBytes);
}
BENCHMARK(BM_FileReadBaseline)->Name("FileReadBaseline")->Unit(benchmark::kMicrosecond);

}  // namespace
