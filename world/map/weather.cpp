#include "world/map/weather.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/gfx/screen.h"

namespace GameData {

namespace {

// Weather changes only the picture: its draws come from the run-time
// generator, never from the game's streams.
i32 Draw(i32 n) { return n > 0 ? std::rand() % n : 0; }

// Stored positions are 16-bit; the arcs of extreme stored values wrap.
i16 Trunc(double v) { return static_cast<i16>(static_cast<i32>(std::trunc(v))); }

}  // namespace

void TWeatherParticle::Load(Data::TStream& s) {
  Clear();
  X = Data::ReadI16(s);
  Y = Data::ReadI16(s);
  Height = Data::ReadI16(s);
  Speed = Data::ReadI16(s);
  Ground = Data::ReadI16(s);
  State = Data::ReadU16(s);
  Data::CheckData(State <= DeadState());
  if (HasPhase()) Phase = Data::ReadI16(s);
  ScreenX = Data::ReadI16(s);
  ScreenY = Data::ReadI16(s);
  Colour = Data::ReadU32(s);
}

void TWeatherParticle::Save(Data::TStream& s) const {
  for (i16 v : {X, Y, Height, Speed, Ground}) Data::WriteI16(s, v);
  Data::WriteU16(s, State);
  if (HasPhase()) Data::WriteI16(s, Phase);
  Data::WriteI16(s, ScreenX);
  Data::WriteI16(s, ScreenY);
  Data::WriteU32(s, Colour);
}

void TWeatherParticle::Clear() {
  X = Y = Height = Speed = Ground = Phase = ScreenX = ScreenY = 0;
  Colour = 0;
  State = DeadState();
}

void TWeatherParticle::Init(i16 x, i16 y, i16 height, i16 speed, i16 ground, i16 phase, u32 colour565) {
  X = x;
  Y = y;
  Height = height;
  Speed = speed;
  Ground = ground;
  Phase = phase;
  Colour = Gfx::ScreenIs565 ? colour565 : Gfx::RGB565ToRGB555(colour565);
  State = 0;
  UpdateScreenPosition();
}

bool TWeatherParticle::Fall() {
  Height = static_cast<i16>(Height - Speed);
  UpdateScreenPosition();
  if (Height > Ground) return false;
  State = 1;
  Height = 0;
  return true;
}

// Rain: a short slanted streak, then a splash of three pixels that widens.

void TRainDrop::UpdateScreenPosition() {
  i32 h = Height - Ground;
  ScreenX = static_cast<i16>(X + h / 10);
  ScreenY = static_cast<i16>(Y - h / 3);
}

void TRainDrop::Update() {
  if (State == 0) {
    Fall();
  } else if (State == 1) {
    Height = static_cast<i16>(Height + 1);
    if (Height >= 15) State = 2;
  }
}

void TRainDrop::Paint(TWeatherTexture& texture, i32 dx, i32 dy) const {
  const u16 c = static_cast<u16>(Colour);
  if (State == 0) {
    for (i32 i = 0; i <= 5; ++i) texture.Plot(ScreenX + dx + i / 3, ScreenY + dy - i, c);
  } else if (State == 1) {
    i32 spread = Height / 6;
    for (i32 i = 0; i < 3; ++i) {
      i32 px = X + dx + Draw(spread + 1) - spread / 2;
      i32 py = Y + dy + Draw(spread + 1) - spread / 2;
      texture.Plot(px, py, c);
    }
  }
}

// Snow: sways while it falls, then melts from white to black.

void TSnowFlake::UpdateScreenPosition() {
  i32 h = Height - Ground;
  ScreenX = Trunc(4 * std::sin((h + Phase) * 0.015) + X);
  ScreenY = static_cast<i16>(Y - h / 3);
}

void TSnowFlake::Update() {
  if (State == 0) {
    if (Fall()) {
      ScreenX = X;
      ScreenY = Y;
    }
  } else if (State == 1) {
    Height = static_cast<i16>(Height + 1);
    u32 grey = static_cast<u32>(std::max(255 - Height, 0));
    Colour = Gfx::RGBToScreenColor(grey << 16 | grey << 8 | grey);
    if (Height >= 100) State = 2;
  }
}

void TSnowFlake::Paint(TWeatherTexture& texture, i32 dx, i32 dy) const {
  if (State <= 1) texture.Plot(ScreenX + dx, ScreenY + dy, static_cast<u16>(Colour));
}

// Sand: blown in wide arcs; a grain that lands is gone.

void TSandSeed::UpdateScreenPosition() {
  i32 h = Height - Ground;
  ScreenX = Trunc(50 * std::sin((h + Phase) * 0.02) + 3 * h + X);
  ScreenY = Trunc(4 * std::sin((h + Phase) * 0.005) + h + Y);
}

void TSandSeed::Update() {
  if (State == 0 && Fall()) {
    ScreenX = X;
    ScreenY = Y;
  }
}

void TSandSeed::Paint(TWeatherTexture& texture, i32 dx, i32 dy) const {
  if (State == 0) texture.Plot(ScreenX + dx, ScreenY + dy, static_cast<u16>(Colour));
}

}  // namespace GameData
