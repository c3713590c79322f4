// Sound runs all the time on its own thread: ADPCM decoding, mixing the
// tracks and decoding the music must stay far below real time. Each figure
// has a baseline over the same bytes in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/astreams/audio_list.h"
#include "engine/astreams/ax_stream.h"
#include "engine/astreams/ima_adpcm.h"
#include "engine/data/stream.h"
#include "engine/dsframe/dsframe.h"
#include "tools/databuilder/demo_sounds.h"
#include "tools/databuilder/sound_builder.h"

namespace {

constexpr i32 Second = 44100;

// One second of ADPCM codes, mono.
const std::vector<u8>& MonoCodes() {
  static const std::vector<u8> codes = [] {
    std::vector<u8> c(Second / 2);
    u32 x = 1;
    for (u8& b : c) b = static_cast<u8>((x = x * 1664525u + 1013904223u) >> 24);
    return c;
  }();
  return codes;
}

void BM_ImaDecodeMono(benchmark::State& state) {
  std::vector<i16> out(Second);
  for (auto _ : state) {
    i32 predictor = 0, index = 0;
    ImaDecodeMono(out.data(), MonoCodes().data(), Second, false, predictor, index);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * Second);
}
BENCHMARK(BM_ImaDecodeMono);

// Baseline: copying the decoded bytes.
void BM_ImaDecodeMonoBaselineMemcpy(benchmark::State& state) {
  std::vector<i16> in(Second, 1), out(Second);
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), out.size() * 2);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * Second);
}
BENCHMARK(BM_ImaDecodeMonoBaselineMemcpy);

// The demo's stereo rain loop as the sound device reads it: a preloaded
// archive entry, read in refill-sized pieces.
void BM_AXStreamReadDemoRain(benchmark::State& state) {
  TAudioList list;
  list.Open(new Data::TMemoryStream(Builder::EffectsArchive()), true);
  TAudioStream* rain = list.GetStream(Builder::RainSoundID);
  std::vector<i16> out(2205 * 2);
  i64 frames = 0;
  for (auto _ : state) {
    rain->Seek(0);
    while (rain->Position < rain->Length) {
      const i32 n = std::min(2205, rain->Length - rain->Position);
      rain->Read(out.data(), n);
      frames += n;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_AXStreamReadDemoRain);

// Sixteen buffers of half a second, eight at the output rate in stereo and
// eight at 22050 Hz mono (resampled), mixed into one second of output.
struct TMixFixture {
  Plat::TSoundDevice* Device = nullptr;
  std::vector<std::vector<i16>> Sources;
  TMixFixture() {
    Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Manual);
    Plat::CreateSoundDevice(nullptr, &Device);
    Device->SetCooperativeLevel(nullptr, Plat::TCooperativeLevel::Priority);
    for (int i = 0; i < 16; ++i) {
      const bool stereo = i < 8;
      Plat::TWaveFormat f;
      f.Channels = stereo ? 2 : 1;
      f.SamplesPerSec = stereo ? 44100 : 22050;
      f.BlockAlign = static_cast<u16>(2 * f.Channels);
      f.AvgBytesPerSec = f.SamplesPerSec * f.BlockAlign;
      const u32 bytes = f.SamplesPerSec / 2 * f.BlockAlign;
      std::vector<i16> s(bytes / 2);
      for (std::size_t k = 0; k < s.size(); ++k) s[k] = static_cast<i16>((k * 37 + i * 1000) % 4000 - 2000);
      Plat::TSoundBuffer* b = nullptr;
      Device->CreateSoundBuffer({Plat::sbCtrlVolume | Plat::sbCtrlPan, bytes, &f}, &b);
      void *p1, *p2;
      u32 n1, n2;
      b->Lock(0, bytes, &p1, &n1, &p2, &n2);
      std::memcpy(p1, s.data(), n1);
      b->Unlock(p1, n1, p2, n2);
      b->SetVolume(-300 * (i % 4));
      b->SetPan(i % 3 == 0 ? -1000 : 500);
      b->Play(true);
      Sources.push_back(std::move(s));
    }
  }
  ~TMixFixture() {
    Device->Release();
    Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Sdl);
  }
};

void BM_Mix16Buffers(benchmark::State& state) {
  TMixFixture mix;
  std::vector<i16> out(1024 * 2);
  for (auto _ : state) {
    for (i32 done = 0; done < Second; done += 1024) mix.Device->Mix(out.data(), 1024);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * Second);
}
BENCHMARK(BM_Mix16Buffers);

// Baseline: summing sixteen stereo streams at the output rate and clipping,
// the least any mixer does.
void BM_Mix16BaselinePlainSum(benchmark::State& state) {
  std::vector<std::vector<i16>> sources(16, std::vector<i16>(Second * 2));
  for (std::size_t i = 0; i < sources.size(); ++i)
    for (std::size_t k = 0; k < sources[i].size(); ++k) sources[i][k] = static_cast<i16>((k * 37 + i) % 4000 - 2000);
  std::vector<i32> acc(1024 * 2);
  std::vector<i16> out(1024 * 2);
  for (auto _ : state) {
    for (i32 done = 0; done < Second; done += 1024) {
      std::fill(acc.begin(), acc.end(), 0);
      const std::size_t at = static_cast<std::size_t>(done) * 2, n = std::min<std::size_t>(acc.size(), Second * 2 - at);
      for (const auto& s : sources)
        for (std::size_t k = 0; k < n; ++k) acc[k] += s[at + k];
      for (std::size_t k = 0; k < n; ++k) out[k] = static_cast<i16>(std::clamp(acc[k], -32768, 32767));
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * Second);
}
BENCHMARK(BM_Mix16BaselinePlainSum);

// The whole path of a second of play: the framework's sixteen tracks (the
// demo music, and the rain loop shared by the fifteen others) refilled every
// 50 ms and mixed.
void BM_Play16TracksOneSecond(benchmark::State& state) {
  Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Manual);
  TAudioList effects, music;
  effects.Open(new Data::TMemoryStream(Builder::EffectsArchive()), true);
  music.Open(new Data::TMemoryStream(Builder::MusicArchive()), false);
  DSFrame::TDSFramework f(nullptr);
  f.Initialize(-1, DSFrame::dsfContinuousPrimary | DSFrame::dsfExclusiveLevel, 16, 3, 500, 44100, 16, 2);
  f.PlayFromList(0, &music, Builder::DemoMusicID, 100, 0, false, true);
  for (int t = 1; t < 16; ++t) f.PlayOnTrack(t, effects.GetStream(Builder::RainSoundID), 60, 0, false, true);
  std::vector<i16> out(2205 * 2);
  for (auto _ : state) {
    for (int pass = 0; pass < 20; ++pass) {
      f.DirectSound->Mix(out.data(), 2205);
      f.Update();
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * Second);
  Plat::SetSoundOutputKind(Plat::TSoundOutputKind::Sdl);
}
BENCHMARK(BM_Play16TracksOneSecond);

// One second of the demo music, opened and decoded through the MP3 stream.
void BM_DecodeDemoMP3OneSecond(benchmark::State& state) {
  const std::string archive = Builder::MusicArchive();
  std::vector<i16> out(Second * 2);
  for (auto _ : state) {
    TAudioList music;
    music.Open(new Data::TMemoryStream(archive), false);
    std::unique_ptr<TAudioStream> s(music.GetStream(Builder::DemoMusicID));
    benchmark::DoNotOptimize(s->Read(out.data(), Second));
  }
  state.SetItemsProcessed(state.iterations() * Second);
}
BENCHMARK(BM_DecodeDemoMP3OneSecond);

// Baseline: copying one second of decoded music.
void BM_DecodeDemoMP3BaselineMemcpy(benchmark::State& state) {
  std::vector<i16> in(Second * 2, 1), out(Second * 2);
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), out.size() * 2);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * Second);
}
BENCHMARK(BM_DecodeDemoMP3BaselineMemcpy);

}  // namespace
