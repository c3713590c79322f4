// A video frame of 800 x 600 decoded and converted to the screen's 16 bits,
// one per iteration (with the sound decoded beside it), as the player's
// decoding thread does it; the baseline copies the converted frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/platform/video/video_file.h"
#include "tools/databuilder/video_builder.h"

namespace {

// Two seconds of the builder's film at the screen's size, in a file.
const std::string& FilmPath() {
  static const std::string path = [] {
    const std::string p = "/tmp/orv_video_bench_" + std::to_string(getpid()) + ".mpg";
    const std::string bytes = Builder::TestFilm(800, 600, 2);
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::atexit([] { std::remove(FilmPath().c_str()); });
    return p;
  }();
  return path;
}

void BM_DecodeAndConvertFrame(benchmark::State& state) {
  Plat::TVideoFile file(FilmPath(), 1);
  file.SetOutputSize(800, 600);
  for (auto _ : state) {
    Plat::TVideoPart part;
    while ((part = file.Next()) != Plat::TVideoPart::Picture) {
      if (part == Plat::TVideoPart::End) {
        state.PauseTiming();
        file.Seek(0);
        state.ResumeTiming();
      }
    }
    benchmark::DoNotOptimize(file.Picture().Pixels.data());
  }
}
BENCHMARK(BM_DecodeAndConvertFrame)->Unit(benchmark::kMillisecond);

void BM_CopyFrame(benchmark::State& state) {
  std::vector<std::uint16_t> from(800 * 600, 0x1234), to(800 * 600);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * 2);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMillisecond);

}  // namespace
