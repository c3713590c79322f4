// Drawing one frame on the software display, each measured against a memcpy
// of one 800 x 600 16-bit frame in the same run: a full fill, 500 keyed
// 64 x 64 sprites (as blits and decoded in software), 200 alpha sprites
// filtered linearly, 50 rotated and stretched ones, and the presentation.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/d3dframe/d3dframe.h"
#include "engine/data/stream.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "bench/bench_screen.h"
#include "tools/databuilder/sprite_builder.h"

namespace {

using Bench::Height;
using Bench::Screen;
using Bench::TScreen;
using Bench::Width;
constexpr int Size = 64;

struct TPosition {
  int X, Y;
};

// Positions spread over the screen, some of them past its edges.
std::vector<TPosition> Positions(int n) {
  std::vector<TPosition> p;
  unsigned seed = 12345;
  for (int i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int x = static_cast<int>(seed >> 8) % (Width + Size) - Size / 2;
    seed = seed * 1103515245u + 12345u;
    p.push_back({x, static_cast<int>(seed >> 8) % (Height + Size) - Size / 2});
  }
  return p;
}

float Distance(i32 x, i32 y) {
  const float dx = x + 0.5f - Size / 2.0f, dy = y + 0.5f - Size / 2.0f;
  return std::sqrt(dx * dx + dy * dy) / (Size / 2.0f);
}

std::unique_ptr<Gfx::TSprite> Load(const Gfx::TSprite& made) {
  Data::TMemoryStream s(Builder::SpriteBytes(made));
  auto sprite = std::make_unique<Gfx::TSprite>(Gfx::sfConvert);
  sprite->Load(s);
  return sprite;
}

// A keyed disc of detailed pixels, as the map's figures are (their rows are
// mostly literals), and a premultiplied glow.
std::unique_ptr<Gfx::TSprite> Disc(Builder::TSpriteEncoding encoding) {
  Builder::TSpriteShape shape;
  shape.Width = shape.Height = Size;
  shape.ColorKey = 0xF81F;
  return Load(*Builder::MakeSprite16(shape, [](i32, i32 x, i32 y) -> u32 {
    return Distance(x, y) > 1 ? 0xF81F : Builder::Rgb565(static_cast<u8>(x * 37 + y * 91), static_cast<u8>(y * 4), 128);
  }, encoding));
}

std::unique_ptr<Gfx::TSprite> Glow() {
  Builder::TSpriteShape shape;
  shape.Width = shape.Height = Size;
  shape.HotX = shape.HotY = Size / 2;
  return Load(*Builder::MakeAlphaSprite(shape, [](i32, i32 x, i32 y) -> u32 {
    const u32 a = Distance(x, y) >= 1 ? 0 : static_cast<u32>(255 * (1 - Distance(x, y)));
    return a << 24 | (a * 255 / 255) << 16 | (a * 160 / 255) << 8 | a * 40 / 255;
  }, 0xFF));
}

void SetBytes(benchmark::State& state) { state.SetBytesProcessed(state.iterations() * Width * Height * 2); }

BENCHMARK(Bench::MemcpyFrame)->Name("BM_MemcpyFrame");

void BM_FillFrame(benchmark::State& state) {
  TScreen& s = Screen();
  for (auto _ : state) {
    Gfx::FillRect(s.Back, 0, 0, Width, Height, 0x1234, nullptr);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}
BENCHMARK(BM_FillFrame);

void BM_KeyedSprites500Blitted(benchmark::State& state) {
  TScreen& s = Screen();
  auto sprite = Disc(Builder::TSpriteEncoding::Raw);
  sprite->Upload(false);
  const std::vector<TPosition> at = Positions(500);
  for (auto _ : state) {
    for (const TPosition& p : at) sprite->Draw(s.Back, 0, p.X, p.Y, nullptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_KeyedSprites500Blitted)->Unit(benchmark::kMicrosecond);

void BM_KeyedSprites500RunLength(benchmark::State& state) {
  TScreen& s = Screen();
  auto sprite = Disc(Builder::TSpriteEncoding::RunLength);
  const std::vector<TPosition> at = Positions(500);
  for (auto _ : state) {
    for (const TPosition& p : at) sprite->Draw(s.Back, 0, p.X, p.Y, nullptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_KeyedSprites500RunLength)->Unit(benchmark::kMicrosecond);

void BM_AlphaSprites200Linear(benchmark::State& state) {
  TScreen& s = Screen();
  auto sprite = Glow();
  sprite->Upload(false);
  const std::vector<TPosition> at = Positions(200);
  Plat::TDevice3D* d = D3DFramework->Device3D;
  d->BeginScene();
  for (auto _ : state) {
    for (const TPosition& p : at) sprite->DrawStretched(s.Back, 0, {p.X, p.Y, p.X + Size, p.Y + Size}, nullptr, false);
    benchmark::ClobberMemory();
  }
  d->EndScene();
}
BENCHMARK(BM_AlphaSprites200Linear)->Unit(benchmark::kMicrosecond);

void BM_RotatedStretched50(benchmark::State& state) {
  TScreen& s = Screen();
  auto sprite = Glow();
  sprite->Upload(false);
  const std::vector<TPosition> at = Positions(50);
  Plat::TDevice3D* d = D3DFramework->Device3D;
  d->BeginScene();
  float angle = 0;
  for (auto _ : state) {
    for (const TPosition& p : at) sprite->DrawRotated(s.Back, 0, p.X, p.Y, angle, 1.5f, 1.25f);
    angle += 0.01f;
    benchmark::ClobberMemory();
  }
  d->EndScene();
}
BENCHMARK(BM_RotatedStretched50)->Unit(benchmark::kMicrosecond);

void BM_PresentFrame(benchmark::State& state) {
  Screen();
  for (auto _ : state) D3DFramework->PresentFrame();
  SetBytes(state);
}
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
