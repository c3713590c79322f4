#include "world/map/background.h"

#include <gtest/gtest.h>

#include "engine/gfx/sprite.h"
#include "tests/world/demo_data_dir.h"
#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_sprites.h"

namespace {

std::string BackgroundOf(std::vector<std::unique_ptr<Gfx::TSprite>> tiles, i16 width, i16 height) {
  GameData::TBackground b;
  b.Width = width;
  b.Height = height;
  b.Tiles = std::move(tiles);
  Data::TMemoryStream s;
  b.Save(s);
  return s.AsString();
}

std::unique_ptr<Gfx::TSprite> Tile(bool alpha = false) {
  Builder::TSpriteShape shape;
  shape.Width = shape.Height = 160;
  return alpha ? Builder::MakeAlphaSprite(shape, Builder::SolidPixels(0x80FF0000))
               : Builder::MakeSprite16(shape, Builder::SolidPixels(0x07E0), Builder::TSpriteEncoding::RunLength);
}

TEST(Background, RoundTripAndDemoFile) {
  const std::string bytes = Builder::Background(2, 3);
  EXPECT_EQ(bytes.substr(4, 4), "BCKG");
  GameData::TBackground b;
  Data::TMemoryStream s(bytes);
  b.Load(s);
  EXPECT_EQ(b.Width, 2);
  EXPECT_EQ(b.Height, 3);
  EXPECT_EQ(b.Tile(1, 2)->Width, 160);
  Data::TMemoryStream again;
  b.Save(again);
  EXPECT_EQ(again.AsString(), bytes);

  TestSupport::TDemoDataDir data;
  Data::TArchive scenario("scenario");
  GameData::TBackground demo;
  demo.LoadFromArchive(&scenario, "demo1.bkg");
  EXPECT_EQ(demo.Width * demo.Height, 16);
}

TEST(Background, EveryFaultIsInvalidData) {
  std::vector<std::unique_ptr<Gfx::TSprite>> mixed;
  mixed.push_back(Tile());
  mixed.push_back(Tile(true));
  const std::string good = Builder::Background(1, 1);
  std::string badSignature = good, zeroWidth = good;
  badSignature[7] = 'X';
  zeroWidth[8] = zeroWidth[9] = 0;
  const std::string cases[] = {BackgroundOf(std::move(mixed), 2, 1), badSignature, zeroWidth, good.substr(0, 30),
                               good.substr(0, good.size() - 1), good.substr(0, 2)};
  for (const std::string& bytes : cases) {
    GameData::TBackground b;
    Data::TMemoryStream s(bytes);
    try {
      b.Load(s);
      ADD_FAILURE() << "loaded " << bytes.size() << " bytes";
    } catch (const Data::EInvalidData& e) {
      EXPECT_STREQ(e.what(), "Invalid data.");
    }
    EXPECT_EQ(b.Width, 0);
    EXPECT_TRUE(b.Tiles.empty());
  }
}

}  // namespace
