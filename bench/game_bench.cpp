// Saving and loading a game of the full 128 x 128 map, each beside the same
// bytes written or read through the same enciphering stream without the
// objects; and the headless replay of a scripted demo game, in update steps
// per second, beside the scenario's own update step.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/data/archive.h"
#include "engine/data/crypto_stream.h"
#include "engine/data/safe_file.h"
#include "engine/dxapp/dxapp.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/scenario/demo_scenario.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace {

using GameData::TActionRecord;

// The demo data set with "large.scn" beside the missions, and a headless game on it.
struct TBenchGame {
  std::string Dir;
  std::unique_ptr<Main::THeadlessGame> Headless;
  TBenchGame() {
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
  }
  ~TBenchGame() {
    Headless.reset();
    std::filesystem::remove_all(Dir);
  }
};

TBenchGame& Bench() {
  static TBenchGame bench;
  return bench;
}

// The large map saved once: its file and its plain bytes.
const std::string& LargeSave() {
  static const std::string bytes = [] {
    Bench();
    Game->LoadScenario("large.scn", 1);
    Game->SaveGame("large.sav", false, false);
    Data::TCryptoStream in(Data2::SaveDirectory + "large.sav", Data::fmOpenRead);
    std::string b(static_cast<std::size_t>(in.Size), '\0');
    in.ReadBuffer(b.data(), in.Size);
    return b;
  }();
  return bytes;
}

void BM_SaveGameLarge(benchmark::State& state) {
  const i64 size = static_cast<i64>(LargeSave().size());
  Game->LoadScenario("large.scn", 1);
  for (auto _ : state) Game->SaveGame("bench.sav", false, false);
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_SaveGameLarge)->Unit(benchmark::kMillisecond);

// The baseline: the save's bytes written the same way, flushed and renamed.
void BM_WriteSaveBytes(benchmark::State& state) {
  const std::string& bytes = LargeSave();
  for (auto _ : state) {
    Data::TSafeFileWriter out(Data2::SaveDirectory + "bench.sav", true);
    out.Stream().WriteBuffer(bytes.data(), static_cast<i32>(bytes.size()));
    out.Commit();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<i64>(bytes.size()));
}
BENCHMARK(BM_WriteSaveBytes)->Unit(benchmark::kMillisecond);

// The floor of any save: the save's bytes enciphered in memory and written
// in one piece, flushed and renamed.
void BM_EncipherAndWriteOnce(benchmark::State& state) {
  const std::string& bytes = LargeSave();
  std::string stored(bytes.size(), '\0');
  for (auto _ : state) {
    const std::string name = Data2::SaveDirectory + "bench.sav";
    Data::TCipherKey(name).Encipher(reinterpret_cast<const u8*>(bytes.data()), reinterpret_cast<u8*>(stored.data()),
                                    static_cast<i64>(bytes.size()), 0);
    Data::TSafeFileWriter out(name, false);
    out.Stream().WriteBuffer(stored.data(), static_cast<i32>(stored.size()));
    out.Commit();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<i64>(bytes.size()));
}
BENCHMARK(BM_EncipherAndWriteOnce)->Unit(benchmark::kMillisecond);

// How saves were written before: enciphered and written 256 bytes at a time.
void BM_WriteSaveBytesIn256BytePieces(benchmark::State& state) {
  const std::string& bytes = LargeSave();
  for (auto _ : state) {
    Data::TSafeFileWriter out(Data2::SaveDirectory + "bench.sav", true);
    for (std::size_t at = 0; at < bytes.size(); at += 256)
      out.Stream().WriteBuffer(bytes.data() + at, static_cast<i32>(std::min<std::size_t>(256, bytes.size() - at)));
    out.Commit();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<i64>(bytes.size()));
}
BENCHMARK(BM_WriteSaveBytesIn256BytePieces)->Unit(benchmark::kMillisecond);

void BM_LoadGameLarge(benchmark::State& state) {
  const i64 size = static_cast<i64>(LargeSave().size());
  for (auto _ : state) Game->LoadGame("large.sav");
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_LoadGameLarge)->Unit(benchmark::kMillisecond);

// The baseline: the same file read whole through the enciphering stream.
void BM_ReadSaveBytes(benchmark::State& state) {
  std::string bytes(LargeSave().size(), '\0');
  for (auto _ : state) {
    Data::TCryptoStream in(Data2::SaveDirectory + "large.sav", Data::fmOpenRead);
    in.ReadBuffer(bytes.data(), static_cast<i32>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<i64>(bytes.size()));
}
BENCHMARK(BM_ReadSaveBytes)->Unit(benchmark::kMillisecond);

TActionRecord Record(std::initializer_list<u32> words) {
  TActionRecord r;
  u32* w = r.Words;
  for (u32 word : words) *w++ = word;
  return r;
}

u32 HeroGroup() {
  for (const GameData::TMapObject* o : Game->Scenario->MapObjects)
    if (o->Type == GameData::otGroup && static_cast<const GameData::TGroup*>(o)->OwnerIndex == 1) return o->ID;
  return 0;
}

// The first mission: walking there and back over four rounds, every
// computer turn and every record's hash included.
void BM_ReplayDemoGame(benchmark::State& state) {
  Main::THeadlessGame& game = *Bench().Headless;
  u64 hashes = 0;
  game.OnAction = [&](const TActionRecord&, u64 hash) { hashes ^= hash; };
  u32 steps = 0;
  for (auto _ : state) {
    game.StartMission(1);
    const u32 start = DXApplication->UpdateCount;
    const u32 hero = HeroGroup();
    game.Act(Record({GameData::atSelect, hero}));
    for (u32 x : {8u, 4u, 8u, 4u}) {
      game.Act(Record({GameData::atMove, x, 6, 0, 0, 0, 0, 1}));
      game.Act(Record({GameData::atEndTurn}));
    }
    steps += DXApplication->UpdateCount - start;
  }
  game.OnAction = nullptr;
  benchmark::DoNotOptimize(hashes);
  state.counters["steps/s"] = benchmark::Counter(steps, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplayDemoGame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The full map's update step as the headless game runs it (the viewing
// player's captions included), beside the map's own scenario step with
// nobody viewing (no captions).
void BM_HeadlessStepLarge(benchmark::State& state) {
  Main::THeadlessGame& game = *Bench().Headless;
  game.StartScenario("large.scn");
  for (int i = 0; i < 100; ++i) game.Step();
  for (auto _ : state) game.Step();
}
BENCHMARK(BM_HeadlessStepLarge)->Unit(benchmark::kMicrosecond);

void BM_TickLargeUnviewed(benchmark::State& state) {
  Main::THeadlessGame& game = *Bench().Headless;
  game.StartScenario("large.scn");
  for (int i = 0; i < 100; ++i) game.Step();
  GameData::TPlayer* viewer = Game->Scenario->ViewingPlayer;
  Game->Scenario->ViewingPlayer = nullptr;
  for (auto _ : state) Game->Scenario->Tick();
  Game->Scenario->ViewingPlayer = viewer;
}
BENCHMARK(BM_TickLargeUnviewed)->Unit(benchmark::kMicrosecond);

// The baseline: the mission's own update step alone.
void BM_TickDemoMission(benchmark::State& state) {
  Bench();
  Game->LoadScenario("demo1.scn", 1);
  u32 steps = 0;
  for (auto _ : state) {
    Game->Scenario->Tick();
    ++steps;
  }
  state.counters["steps/s"] = benchmark::Counter(steps, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TickDemoMission)->Unit(benchmark::kMicrosecond);

}  // namespace
