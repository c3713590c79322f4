// The weather's particles: their counts follow the weather state frame by
// frame, so a kind fades in while its state holds and fades out after.
#include <algorithm>
#include <cstdlib>

#include "engine/gfx/kernels.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "engine/platform/display/surface.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"

namespace GameData {

namespace {

// The picture laid over the view in the fourth weather state.
constexpr i32 WeatherOverlaySlot = 1102;

// Picture only: the run-time generator, never the game's streams.
i16 Draw(i32 n) { return static_cast<i16>(std::rand() % n); }

// Updates the live particles (from the end of the list), then starts dead
// ones in list order until the target is reached; returns the live count.
template <class T, class Start>
u32 Advance(Data::TDataList<T>& list, u32 target, Start start) {
  u32 live = 0;
  for (i32 i = list.Count() - 1; i >= 0; --i) {
    T* p = list[i];
    if (!p->IsLive()) continue;
    p->Update();
    if (p->IsLive()) ++live;
  }
  for (i32 i = 0; i < list.Count() && live < target; ++i)
    if (!list[i]->IsLive()) {
      start(*list[i]);
      ++live;
    }
  return live;
}

template <class T>
void ClearParticles(Data::TDataList<T>& list, u32 capacity) {
  for (T* p : list.Items) p->Clear();
  FillUpParticles(list, capacity);
}

template <class T>
void PaintParticles(const Data::TDataList<T>& list, u32 live, TWeatherTexture& texture) {
  if (live == 0) return;
  for (const T* p : list.Items) p->Paint(texture, 0, 0);
}

}  // namespace

void TScenario::ResetWeather() {
  Weather = wsNone;
  std::fill(std::begin(ParticleTargets), std::end(ParticleTargets), 0);
  std::fill(std::begin(LiveParticles), std::end(LiveParticles), 0);
  ClearParticles(RainDrops, RainDropCount);
  ClearParticles(SnowFlakes, SnowFlakeCount);
  ClearParticles(SandSeeds, SandSeedCount);
}

void TScenario::UpdateRain() {
  if (Weather != wsRain && LiveParticles[wkRain] == 0) return;
  u32& target = ParticleTargets[wkRain];
  if (Weather == wsRain) {
    if (FrameCounter % 4 == 0 && target < RainDropCount) ++target;
  } else if (FrameCounter % 2 == 0 && target > 0) {
    --target;
  }
  LiveParticles[wkRain] = Advance(RainDrops, target, [](TRainDrop& drop) {
    i32 b = 160 + Draw(64), d = Draw(20), e = Draw(50);
    u32 colour = Gfx::PackRGB565(static_cast<u32>(b - (e + d)) << 16 | static_cast<u32>(b - d) << 8 | static_cast<u32>(b));
    i16 height = static_cast<i16>(300 + Draw(300));
    i16 speed = static_cast<i16>(4 + Draw(3));
    i16 x = Draw(256), y = Draw(256);
    drop.Init(x, y, height, speed, 0, 0, colour);
  });
}

void TScenario::UpdateSnow() {
  if (Weather != wsSnow && LiveParticles[wkSnow] == 0) return;
  u32& target = ParticleTargets[wkSnow];
  if (FrameCounter % 2 == 0) {
    if (Weather == wsSnow && target < SnowFlakeCount) ++target;
    if (Weather != wsSnow && target > 0) --target;
  }
  LiveParticles[wkSnow] = Advance(SnowFlakes, target, [](TSnowFlake& flake) {
    i16 height = static_cast<i16>(300 + Draw(300));
    i16 speed = static_cast<i16>(1 + Draw(3));
    i16 phase = Draw(100);
    i16 x = Draw(256), y = Draw(256);
    flake.Init(x, y, height, speed, 0, phase, 0xFFFF);
  });
}

void TScenario::UpdateSand() {
  if (Weather != wsSandStorm && LiveParticles[wkSand] == 0) return;
  u32& target = ParticleTargets[wkSand];
  if (Weather == wsSandStorm)
    target = std::min(target + 1, SandSeedCount);
  else
    target = target > 2 ? target - 2 : 0;
  LiveParticles[wkSand] = Advance(SandSeeds, target, [](TSandSeed& grain) {
    u32 v = 25 + static_cast<u32>(Draw(5));
    u32 colour = Gfx::PackRGB565((v * 224 / 30) << 16 | (v * 192 / 30) << 8 | v * 152 / 30);
    i16 height = static_cast<i16>(300 + Draw(300));
    i16 phase = Draw(100);
    i16 x = Draw(256), y = Draw(256);
    grain.Init(x, y, height, 1, 0, phase, colour);
  });
}

void TScenario::DrawWeather(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& view) {
  if (!target || !WeatherTexture) return;
  if (Weather == wsOverlay && Data2::GlobalData)
    if (Gfx::TSprite* overlay = Data2::GlobalData->SpriteTable[WeatherOverlaySlot])
      overlay->DrawStretched(target, 0, view, nullptr, true);
  if (LiveParticles[wkRain] == 0 && LiveParticles[wkSnow] == 0 && LiveParticles[wkSand] == 0) return;
  PaintWeather();
  Plat::TSurfaceDesc d;
  if (Plat::Failed(target->Lock(nullptr, d))) return;
  if (d.PixelFormat.BitCount == 16) {
    // The texture's origin lies on every multiple of its size from the
    // map's; left of and above the map as well, so no strip stays bare.
    constexpr i32 mask = WeatherTextureSize - 1;
    const i32 ox = viewX & mask, oy = viewY & mask;
    for (i32 y = 0; y < static_cast<i32>(d.Height); ++y) {
      const u16* row = WeatherTexture->Pixels.data() + static_cast<std::size_t>((y + oy) & mask) * WeatherTextureSize;
      u16* out = reinterpret_cast<u16*>(static_cast<u8*>(d.Surface) + static_cast<std::ptrdiff_t>(d.Pitch) * y);
      for (i32 x = 0, tx = ox; x < static_cast<i32>(d.Width); tx = 0) {
        const i32 n = std::min<i32>(WeatherTextureSize - tx, static_cast<i32>(d.Width) - x);
        Gfx::CopyRowKeyed16(row + tx, out + x, n, 0);
        x += n;
      }
    }
  }
  target->Unlock();
}

void TScenario::PaintWeather() {
  WeatherTexture->Fill(0);
  PaintParticles(RainDrops, LiveParticles[wkRain], *WeatherTexture);
  PaintParticles(SnowFlakes, LiveParticles[wkSnow], *WeatherTexture);
  PaintParticles(SandSeeds, LiveParticles[wkSand], *WeatherTexture);
}

}  // namespace GameData
