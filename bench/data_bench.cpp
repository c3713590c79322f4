// Deciphering is on the path of every file read; archive look-up on every
// open. Every loader reads one to four bytes per call through an entry's
// enciphering stream and opens many entries: both must cost little next to
// copying the same bytes or opening a file (baselines in the same run).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/data/crypto_stream.h"
#include "engine/data/stream.h"
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

constexpr i32 EntryBytes = 256 * 1024;

// A packed archive with one large entry and 2000 small ones.
struct TArchiveFixture {
  std::string Dir;
  std::unique_ptr<Data::TArchive> Archive;
  std::vector<std::string> Names;
  TArchiveFixture() {
    char pattern[] = "/tmp/orvbench-XXXXXX";
    Dir = std::string(mkdtemp(pattern)) + "/";
    Builder::TArchiveBuilder b;
    std::string big(EntryBytes, '\0');
    for (i32 i = 0; i < EntryBytes; ++i) big[static_cast<std::size_t>(i)] = static_cast<char>(i * 131 + (i >> 9));
    b.Add("big.bin", big);
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

TArchiveFixture& Fixture() {
  static TArchiveFixture fixture;
  return fixture;
}

int CompareEntryToName(const Data::TArchive::TFileEntry& e, const char* name) { return Data::CompareNames(e.Name, name); }

void BM_ArchiveLookup(benchmark::State& state) {
  TArchiveFixture& fixture = Fixture();
  std::size_t i = 0;
  for (auto _ : state) {
    i32 index;
    bool found = fixture.Archive->Entries.Find(fixture.Names[i++ % fixture.Names.size()].c_str(), CompareEntryToName, index);
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_ArchiveLookup);

void BM_ArchiveOpenAndRead(benchmark::State& state) {
  TArchiveFixture& fixture = Fixture();
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    std::unique_ptr<Data::TStream> s(fixture.Archive->OpenFile(fixture.Names[i++ % fixture.Names.size()]));
    s->ReadBuffer(buf, sizeof buf);
    benchmark::DoNotOptimize(buf);
  }
}
BENCHMARK(BM_ArchiveOpenAndRead);
template <class T, T (*ReadOne)(Data::TStream&)>
void BM_TypedReads(benchmark::State& state) {
  std::unique_ptr<Data::TStream> s(Fixture().Archive->OpenFile("big.bin"));
  u64 sum = 0;
  for (auto _ : state) {
    s->SetPosition(0);
    for (i32 i = 0; i < EntryBytes / static_cast<i32>(sizeof(T)); ++i) sum += static_cast<u64>(ReadOne(*s));
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * EntryBytes);
}
BENCHMARK(BM_TypedReads<u8, Data::ReadU8>)->Name("ReadU8");
BENCHMARK(BM_TypedReads<u16, Data::ReadU16>)->Name("ReadU16");
BENCHMARK(BM_TypedReads<u32, Data::ReadU32>)->Name("ReadU32");

void BM_MemcpyBaseline(benchmark::State& state) {
  std::vector<u8> from(EntryBytes, 0x5A), to(EntryBytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * EntryBytes);
}
BENCHMARK(BM_MemcpyBaseline)->Name("MemcpyBaseline");

void BM_OpenEntry(benchmark::State& state) {
  TArchiveFixture& f = Fixture();
  std::size_t i = 0;
  for (auto _ : state) {
    std::unique_ptr<Data::TStream> s(f.Archive->OpenFile(f.Names[i++ % f.Names.size()]));
    benchmark::DoNotOptimize(s.get());
  }
}
BENCHMARK(BM_OpenEntry)->Name("OpenEntry");

// The floor of any open: the C library opening and closing the archive file.
void BM_FileOpenBaseline(benchmark::State& state) {
  const std::string path = Fixture().Dir + "graphics.dat";
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    benchmark::DoNotOptimize(file);
    std::fclose(file);
  }
}
BENCHMARK(BM_FileOpenBaseline)->Name("FileOpenBaseline");


}  // namespace
