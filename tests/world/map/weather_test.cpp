#include "world/map/weather.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/gfx/screen.h"

namespace {

using namespace GameData;

i32 Painted(const TWeatherTexture& t) {
  return static_cast<i32>(std::count_if(t.Pixels.begin(), t.Pixels.end(), [](u16 p) { return p != 0; }));
}

TEST(Weather, ARainDropLandsSplashesAndDies) {
  TRainDrop drop;
  EXPECT_FALSE(drop.IsLive()) << "a new particle is dead";
  drop.Init(10, 20, 300, 4, 0, 0, 0x1234);
  EXPECT_EQ(drop.ScreenX, 10 + 30);
  EXPECT_EQ(drop.ScreenY, 20 - 100);
  for (i32 i = 1; i < 75; ++i) drop.Update();
  EXPECT_EQ(drop.State, 0);
  drop.Update();
  EXPECT_EQ(drop.State, 1) << "lands after 75 frames";
  for (i32 i = 1; i < 15; ++i) drop.Update();
  EXPECT_EQ(drop.State, 1);
  drop.Update();
  EXPECT_FALSE(drop.IsLive()) << "and is gone 15 frames later";
}

TEST(Weather, SnowMeltsAndSandVanishesOnLanding) {
  TSnowFlake flake;
  flake.Init(50, 60, 2, 1, 0, 0, 0xFFFF);
  EXPECT_EQ(flake.Colour, 0xFFFFu);
  flake.Update();
  flake.Update();
  EXPECT_EQ(flake.State, 1);
  EXPECT_EQ(flake.ScreenX, 50);
  EXPECT_EQ(flake.ScreenY, 60);
  flake.Update();
  EXPECT_EQ(flake.Colour, Gfx::RGBToScreenColor(0xFEFEFE));
  for (i32 i = 2; i < 100; ++i) flake.Update();
  EXPECT_TRUE(flake.IsLive());
  flake.Update();
  EXPECT_FALSE(flake.IsLive()) << "melted 100 frames after landing";

  TSandSeed grain;
  grain.Init(7, 8, 3, 1, 0, 10, 0x8410);
  EXPECT_EQ(grain.ScreenY, static_cast<i16>(std::trunc(4 * std::sin(13 * 0.005) + 3 + 8)));
  for (i32 i = 0; i < 3; ++i) grain.Update();
  EXPECT_FALSE(grain.IsLive());
  EXPECT_EQ(grain.ScreenX, 7);
  EXPECT_EQ(grain.Height, 0);
}

TEST(Weather, PaintingWrapsAroundTheTexture) {
  TWeatherTexture t;
  TRainDrop drop;
  drop.Init(255, 2, 0, 0, -1, 0, 0x1234);  // h = 1: at (255, 2)
  drop.Paint(t, 0, 0);
  EXPECT_EQ(Painted(t), 6) << "a streak of six pixels";
  EXPECT_EQ(t.At(255, 2), 0x1234);
  EXPECT_EQ(t.At(0, 255), 0x1234) << "three up and one right: wrapped";
  EXPECT_EQ(t.At(0, 253), 0x1234);
  t.Fill(0);
  TSnowFlake flake;
  flake.Paint(t, 0, 0);
  EXPECT_EQ(Painted(t), 0) << "the dead paint nothing";
}

TEST(Weather, ColoursAreConvertedOnceOnFiveFiveFiveDisplays) {
  const bool saved = Gfx::ScreenIs565;
  Gfx::ScreenIs565 = false;
  TRainDrop drop;
  drop.Init(0, 0, 10, 1, 0, 0, Gfx::PackRGB565(0xF800F8));
  TSnowFlake flake;
  flake.Init(0, 0, 10, 1, 0, 0, 0xFFFF);
  Gfx::ScreenIs565 = saved;
  EXPECT_EQ(drop.Colour, Gfx::PackRGB555(0xF800F8));
  EXPECT_EQ(flake.Colour, 0x7FFFu);
}

TEST(Weather, StreamsStoreNoIDAndRefuseStatesBeyondDead) {
  TSandSeed grain;
  grain.Init(1, 2, 300, 1, 0, 42, 0x1111);
  Data::TMemoryStream s;
  grain.Save(s);
  EXPECT_EQ(s.Memory().size(), 22u) << "nine 16-bit fields and the colour";
  TSandSeed copy;
  Data::TMemoryStream in(s.AsString());
  copy.Load(in);
  EXPECT_EQ(copy.Phase, 42);
  EXPECT_EQ(copy.Colour, 0x1111u);
  EXPECT_TRUE(copy.IsLive());
  TRainDrop drop;
  Data::TMemoryStream rain;
  drop.Save(rain);
  EXPECT_EQ(rain.Memory().size(), 20u) << "no phase";
  std::string bytes = s.AsString();
  bytes[10] = 2;  // state: sand has 0 and 1 only
  Data::TMemoryStream bad(bytes);
  EXPECT_THROW(copy.Load(bad), Data::EInvalidData);
}

}  // namespace
