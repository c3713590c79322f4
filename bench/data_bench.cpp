// Deciphering is on the path of every file read; archive look-up on every open.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/data/crypto_stream.h"
#include "tools/databuilder/archive_builder.h"

namespace {

void BM_Decipher(benchmark::State& state) {
  Data::TCipherKey key("graphics.dat");
  std::vector<u8> buffer(static_cast<std::size_t>(state.range(0)), 0x5A);
  i64 position = 0;
  for (auto _ : state) {
    key.Decipher(buffer.data(), static_cast<i64>(buffer.size()), position);
    position += static_cast<i64>(buffer.size());
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Decipher)->Arg(4096)->Arg(1 << 20);

struct TArchiveFixture {
  std::string Dir;
  std::unique_ptr<Data::TArchive> Archive;
  std::vector<std::string> Names;
  TArchiveFixture() {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::TArchiveBuilder b;
    for (int i = 0; i < 2000; ++i) {
      Names.push_back(Base::Format("sprite%05d.gfx", i * 7));
      b.Add(Names.back(), std::string(64, 'x'));
    }
    b.WritePacked(Dir, "graphics");
    Data::DataPath = Dir;
    Archive = std::make_unique<Data::TArchive>("graphics", Data::TArchive::Packed);
  }
  ~TArchiveFixture() { std::filesystem::remove_all(Dir); }
};

int CompareEntryToName(const Data::TArchive::TFileEntry& e, const char* name) { return Data::CompareNames(e.Name, name); }

void BM_ArchiveLookup(benchmark::State& state) {
  static TArchiveFixture fixture;
  std::size_t i = 0;
  for (auto _ : state) {
    i32 index;
    bool found = fixture.Archive->Entries.Find(fixture.Names[i++ % fixture.Names.size()].c_str(), CompareEntryToName, index);
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_ArchiveLookup);

void BM_ArchiveOpenAndRead(benchmark::State& state) {
  static TArchiveFixture fixture;
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    std::unique_ptr<Data::TStream> s(fixture.Archive->OpenFile(fixture.Names[i++ % fixture.Names.size()]));
    s->ReadBuffer(buf, sizeof buf);
    benchmark::DoNotOptimize(buf);
  }
}
BENCHMARK(BM_ArchiveOpenAndRead);

}  // namespace
