// Rain, snow and blowing sand: particles that live in a 256 x 256 pixel
// space of their own and are painted into one texture, which the map view
// lays tile by tile over the whole picture.
#pragma once

#include <algorithm>
#include <vector>

#include "engine/data/data_list.h"

namespace GameData {

constexpr i32 WeatherTextureSize = 256;

// The particles' picture: 16-bit pixels in the display's layout, 0 transparent.
class TWeatherTexture {
 public:
  TWeatherTexture() : Pixels(WeatherTextureSize * WeatherTextureSize, 0) {}
  void Fill(u16 colour) { std::fill(Pixels.begin(), Pixels.end(), colour); }
  // Coordinates wrap around the texture.
  void Plot(i32 x, i32 y, u16 colour) { Pixels[Index(x, y)] = colour; }
  u16 At(i32 x, i32 y) const { return Pixels[Index(x, y)]; }

  std::vector<u16> Pixels;

 private:
  static std::size_t Index(i32 x, i32 y) {
    return static_cast<std::size_t>(y & (WeatherTextureSize - 1)) * WeatherTextureSize + (x & (WeatherTextureSize - 1));
  }
};

// One particle. Height counts down to the ground while it falls; after
// landing the same field counts the frames of the splash or melt.
class TWeatherParticle : public Data::TDataObject {
 public:
  // Particles store no ID of their own.
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  // A cleared particle is dead.
  void Clear() override;

  // Starts the particle falling; the colour is 5-6-5 and follows the display.
  void Init(i16 x, i16 y, i16 height, i16 speed, i16 ground, i16 phase, u32 colour565);
  bool IsLive() const { return State != DeadState(); }
  virtual void Update() = 0;
  virtual void Paint(TWeatherTexture& texture, i32 dx, i32 dy) const = 0;
  virtual u16 DeadState() const = 0;

  i16 X = 0;
  i16 Y = 0;
  i16 Height = 0;
  i16 Speed = 0;
  i16 Ground = 0;
  u16 State = 0;
  i16 Phase = 0;
  i16 ScreenX = 0;
  i16 ScreenY = 0;
  u32 Colour = 0;

 protected:
  virtual bool HasPhase() const = 0;
  virtual void UpdateScreenPosition() = 0;
  // Falls one step; true in the frame it reaches the ground.
  bool Fall();
};

class TRainDrop : public TWeatherParticle {
 public:
  TRainDrop() { State = 2; }
  void Update() override;
  void Paint(TWeatherTexture& texture, i32 dx, i32 dy) const override;
  u16 DeadState() const override { return 2; }

 protected:
  bool HasPhase() const override { return false; }
  void UpdateScreenPosition() override;
};

class TSnowFlake : public TWeatherParticle {
 public:
  TSnowFlake() { State = 2; }
  void Update() override;
  void Paint(TWeatherTexture& texture, i32 dx, i32 dy) const override;
  u16 DeadState() const override { return 2; }

 protected:
  bool HasPhase() const override { return true; }
  void UpdateScreenPosition() override;
};

class TSandSeed : public TWeatherParticle {
 public:
  TSandSeed() { State = 1; }
  void Update() override;
  void Paint(TWeatherTexture& texture, i32 dx, i32 dy) const override;
  u16 DeadState() const override { return 1; }

 protected:
  bool HasPhase() const override { return true; }
  void UpdateScreenPosition() override;
};

// Tops a particle list up with dead particles to its capacity.
template <class T>
void FillUpParticles(Data::TDataList<T>& list, u32 capacity) {
  list.Items.SetCapacity(static_cast<i32>(capacity));
  while (static_cast<u32>(list.Count()) < capacity) list.Items.Add(new T);
}

}  // namespace GameData
