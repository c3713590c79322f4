// The map drawing's bookkeeping on spy objects that record where they are
// asked to draw: scrolling draws strips, a change draws its rectangle, close
// rectangles merge, passes come in layer order, the fog stays on the map,
// the weather tiles with the view; the group's banner and bars.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/sprite.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/world/world_fixture.h"
#include "tools/databuilder/sprite_builder.h"
#include "world/map/fog.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using Base::TRect;
using GameData::TScenario;

constexpr u32 Layers = GameData::dlBackground | GameData::dlObjects;

std::unique_ptr<Gfx::TSprite> Picture(i16 w, i16 h, u32 pixel = 0x07E0, i32 frames = 1) {
  Builder::TSpriteShape shape;
  shape.Width = w;
  shape.Height = h;
  shape.Frames = frames;
  shape.ColorKey = 0xF81F;
  return TestSupport::Loaded(*Builder::MakeSprite16(shape, Builder::SolidPixels(pixel)));
}

// Records every request to draw, by name.
class TSpy : public GameData::TMapObject {
 public:
  TSpy(TScenario* s, std::string name, Gfx::TSprite* sprite, i32 x, i32 y, u16 layer, std::vector<std::string>* log)
      : TMapObject(s, GameData::otDrawing, ""), Name(std::move(name)), Sprite(sprite), Log(log) {
    X = static_cast<i16>(x);
    Y = static_cast<i16>(y);
    Layer = layer;
  }
  Gfx::TSprite* GetSprite() const override { return Sprite; }
  i32 GetFrame() const override { return Frame; }
  void Draw(Plat::TSurface* target, i32 viewX, i32 viewY, const TRect& screen) override {
    Clips.push_back(screen);
    if (Log) Log->push_back("draw " + Name);
    TMapObject::Draw(target, viewX, viewY, screen);
  }
  void DrawGround(Plat::TSurface*, i32, i32, const TRect&) override {
    if (Log) Log->push_back("ground " + Name);
  }

  std::string Name;
  Gfx::TSprite* Sprite;
  std::vector<std::string>* Log;
  i32 Frame = 0;
  std::vector<TRect> Clips;
};

class MapDrawing : public TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario(32, 32);
    Display = std::make_unique<TestSupport::TGfxDisplay>(200, 150);
    Cache = Display->Framework().CreateOffscreenSurface(200, 150, 0);
    Display->Framework().Device3D->BeginScene();
  }
  void TearDown() override {
    Display->Framework().Device3D->EndScene();
    Cache->Release();
    Scenario.reset();
    Display.reset();
    TWorldFixture::TearDown();
  }
  TSpy* Add(const std::string& name, Gfx::TSprite* sprite, i32 x, i32 y, u16 layer = 10,
            std::vector<std::string>* log = nullptr) {
    auto* spy = new TSpy(Scenario.get(), name, sprite, x, y, layer, log);
    Scenario->AddMapObject(spy);
    return spy;
  }
  void Draw(i32 x, i32 y, bool force = false) { Scenario->DrawMap(Cache, x, y, View, Layers, force); }

  const TRect View{0, 0, 200, 150};
  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  Plat::TSurface* Cache = nullptr;
  // A picture under the part of the map the tests see, which sees every
  // drawing request there.
  std::unique_ptr<Gfx::TSprite> Ground = Picture(640, 640, 0x39E7);
  std::unique_ptr<Gfx::TSprite> Small = Picture(20, 20, 0x07E0, 2);
};

TEST_F(MapDrawing, ScrollingDrawsOnlyTheUncoveredStrips) {
  TSpy* ground = Add("ground", Ground.get(), 0, 0, 1);
  Draw(100, 100, true);
  ASSERT_EQ(ground->Clips.size(), 1u);
  EXPECT_EQ(ground->Clips[0], View);
  const struct {
    i32 X, Y;
    std::vector<TRect> Strips;
  } steps[] = {
      {101, 100, {{199, 0, 200, 150}}},                    // one pixel right
      {101, 99, {{0, 0, 200, 1}}},                         // one pixel up
      {96, 102, {{0, 147, 200, 150}, {0, 0, 5, 147}}},    // down and left
      {296, 102, {View}},                                  // the clip's width or more: everything
      {296, 102, {}},                                      // standing still
  };
  for (const auto& step : steps) {
    ground->Clips.clear();
    Draw(step.X, step.Y);
    EXPECT_EQ(ground->Clips, step.Strips) << step.X << "," << step.Y;
  }
}

TEST_F(MapDrawing, MovedPictureEqualsAFullDraw) {
  Add("ground", Ground.get(), 0, 0, 1);
  auto pattern = TestSupport::Loaded(*Builder::MakeSprite16(
      {.ID = 1, .Width = 300, .Height = 300, .ColorKey = Gfx::NoColor}, Builder::CheckerPixels(0xF800, 0x001F, 7)));
  Add("pattern", pattern.get(), 50, 60);
  Draw(0, 0, true);
  for (i32 i = 0; i < 12; ++i) Draw(i * 7, i * 5 % 13);
  std::vector<u8> moved(Cache->Bits(), Cache->Bits() + Cache->Pitch() * 150);
  Draw(77, 55 % 13, true);
  EXPECT_TRUE(std::equal(moved.begin(), moved.end(), Cache->Bits()));
}

TEST_F(MapDrawing, AChangeDrawsItsRectangleAgain) {
  TSpy* ground = Add("ground", Ground.get(), 0, 0, 1);
  TSpy* spring = Add("spring", Small.get(), 140, 130);
  Draw(100, 100, true);
  ground->Clips.clear();
  spring->Frame = 1;
  Draw(100, 100);
  EXPECT_EQ(ground->Clips, (std::vector<TRect>{{40, 30, 60, 50}}));
  ground->Clips.clear();
  spring->X = 145;
  Draw(100, 100);
  EXPECT_EQ(ground->Clips, (std::vector<TRect>{{40, 30, 65, 50}})) << "old and new rectangle in one";
  ground->Clips.clear();
  Draw(100, 100);
  EXPECT_TRUE(ground->Clips.empty()) << "nothing changed";
}

TEST_F(MapDrawing, CloseChangesMergeFarOnesStayApart) {
  EXPECT_TRUE(GameData::CanMergeRects({0, 0, 20, 20}, {10, 0, 30, 20}));
  EXPECT_FALSE(GameData::CanMergeRects({0, 0, 20, 20}, {100, 100, 120, 120}));
  TSpy* ground = Add("ground", Ground.get(), 0, 0, 1);
  TSpy* a = Add("a", Small.get(), 110, 110);
  TSpy* b = Add("b", Small.get(), 120, 110);
  TSpy* c = Add("c", Small.get(), 250, 200);
  Draw(100, 100, true);
  ground->Clips.clear();
  a->Frame = b->Frame = c->Frame = 1;
  Draw(100, 100);
  EXPECT_EQ(ground->Clips, (std::vector<TRect>{{10, 10, 40, 30}, {150, 100, 170, 120}}));
}

TEST_F(MapDrawing, GroundPassAndLayers) {
  std::vector<std::string> log;
  Add("low", Small.get(), 50, 50, 9, &log);
  Add("high", Small.get(), 60, 50, 10, &log);
  Add("top", Small.get(), 70, 50, 20, &log);
  Scenario->DrawLayers(Cache, 0, 0, View, GameData::dlObjects);
  EXPECT_EQ(log, (std::vector<std::string>{"ground low", "ground high", "ground top", "draw low", "draw high",
                                           "draw top"}))
      << "without a viewing player the ground pass comes first";
  log.clear();
  Scenario->ViewingPlayer = Scenario->Players[1];
  Scenario->DrawLayers(Cache, 0, 0, View, GameData::dlObjects);
  EXPECT_EQ(log, (std::vector<std::string>{"draw low", "ground low", "ground high", "ground top", "draw high",
                                           "draw top"}));
  log.clear();
  Scenario->DrawLayers(Cache, 500, 500, View, GameData::dlObjects);
  EXPECT_TRUE(log.empty()) << "objects off the view are not asked";
}

TEST_F(MapDrawing, FogStaysOnTheMap) {
  auto dark = Picture(40, 40, 0x0000);
  Global->SpriteTable[10] = dark.get();          // nothing visible around
  Global->SpriteTable[10 + 512] = dark.get();   // nothing explored around
  Scenario->ViewingPlayer = Scenario->Players[1];
  Plat::TSurface* back = Display->Back();
  const auto pixel = [&](i32 px, i32 py) { return reinterpret_cast<const u16*>(back->Bits() + py * back->Pitch())[px]; };
  // The map's top-left corner at (100, 50) of the view.
  Gfx::FillRect(back, 0, 0, 200, 150, 0xFFFF, nullptr);
  Scenario->DrawFog(back, -100, -50, View);
  EXPECT_EQ(pixel(100, 60), 0);
  EXPECT_EQ(pixel(99, 60), 0xFFFF);
  EXPECT_EQ(pixel(110, 49), 0xFFFF);
  // Its bottom-right corner at (120, 90).
  Gfx::FillRect(back, 0, 0, 200, 150, 0xFFFF, nullptr);
  Scenario->DrawFog(back, 32 * 40 - 120, 32 * 40 - 90, View);
  EXPECT_EQ(pixel(119, 89), 0);
  EXPECT_EQ(pixel(120, 80), 0xFFFF);
  EXPECT_EQ(pixel(110, 90), 0xFFFF);
  Global->SpriteTable[10] = Global->SpriteTable[522] = nullptr;
}

TEST_F(MapDrawing, WeatherTilesWithTheView) {
  Scenario->Weather = GameData::wsRain;
  std::srand(5);
  for (i32 i = 0; i < 120; ++i) {
    ++Scenario->FrameCounter;
    Scenario->UpdateRain();
  }
  ASSERT_GT(Scenario->LiveParticles[GameData::wkRain], 0u);
  Plat::TSurface* back = Display->Back();
  const auto frame = [&](i32 x, i32 y) {
    Gfx::FillRect(back, 0, 0, 200, 150, 0x1234, nullptr);
    Scenario->DrawWeather(back, x, y, View);
    return std::vector<u8>(back->Bits(), back->Bits() + back->Pitch() * 150);
  };
  const auto here = frame(30, 40);
  EXPECT_EQ(frame(30 + 256, 40 - 512), here);
  EXPECT_NE(frame(31, 40), here);
  EXPECT_EQ(frame(-226, 40), here) << "left of the map as well";
  i32 drops = 0;
  for (std::size_t i = 0; i + 1 < here.size(); i += 2) drops += (here[i] | here[i + 1] << 8) != 0x1234;
  EXPECT_GT(drops, 0);
}

TEST_F(MapDrawing, OverlayWeatherUnderFadingDrops) {
  auto overlay = Picture(8, 8, 0x001F);
  overlay->Upload(false);
  Global->SpriteTable[1102] = overlay.get();
  Plat::TSurface* back = Display->Back();
  const auto count = [&](u16 value) {
    i32 n = 0;
    for (i32 y = 0; y < 150; ++y)
      for (i32 x = 0; x < 200; ++x) n += reinterpret_cast<const u16*>(back->Bits() + y * back->Pitch())[x] == value;
    return n;
  };
  const TRect view{20, 10, 180, 140};
  Scenario->SetWeather(GameData::wsOverlay);
  Gfx::FillRect(back, 0, 0, 200, 150, 0xFFFF, nullptr);
  Scenario->DrawWeather(back, 0, 0, view);
  EXPECT_EQ(count(0x001F), view.Width() * view.Height()) << "stretched over the view, no particles needed";
  // Rain that stopped fades out over the picture.
  Scenario->Weather = GameData::wsRain;
  std::srand(3);
  for (i32 i = 0; i < 200; ++i) {
    ++Scenario->FrameCounter;
    Scenario->UpdateRain();
  }
  Scenario->Weather = GameData::wsOverlay;
  Scenario->UpdateRain();
  ASSERT_GT(Scenario->LiveParticles[GameData::wkRain], 0u);
  Scenario->DrawWeather(back, 0, 0, view);
  EXPECT_LT(count(0x001F), view.Width() * view.Height());
  Global->SpriteTable[1102] = nullptr;
}

TEST_F(MapDrawing, BannerAndBarsOfAGroup) {
  // Cells of 4 x 3 pixels: column c, row r filled with 0x1000 * (r + 1) + c.
  Builder::TSpriteShape sheet{.ID = 1, .Width = 12, .Height = 15};
  auto banner = TestSupport::Loaded(*Builder::MakeSprite16(
      sheet, [](i32, i32 x, i32 y) -> u32 { return 0x1000 * (static_cast<u32>(y / 3) + 1) + static_cast<u32>(x / 4); }));
  Global->SpriteTable[1111] = banner.get();
  Global->BannerCellWidth = 4;
  Global->BannerCellHeight = 3;
  Global->SpriteTable[5 + 2] = Small.get();  // the marker gives the group its extent
  Scenario->Players[2]->Colour = 3;
  GameData::TGroup* group = NewGroup(2, 2, 2, {Soldier, Soldier});
  Plat::TSurface* back = Display->Back();
  const auto pixel = [&](i32 px, i32 py) { return reinterpret_cast<const u16*>(back->Bits() + py * back->Pitch())[px]; };
  const auto redraw = [&] {
    Gfx::FillRect(back, 0, 0, 200, 150, 0xFFFF, nullptr);
    Scenario->DrawOverlays(back, 0, 0, View);
  };
  redraw();
  // The rectangle is the field square (80, 80) to (121, 121); the cell at its bottom left.
  EXPECT_EQ(pixel(80, 119), 0x4001) << "column 1 (two units), row 3 (colour 3)";
  EXPECT_EQ(pixel(90, 112), 0xFFFF) << "no bars for another player's group";
  Scenario->ViewingPlayer = Scenario->Players[2];
  redraw();
  EXPECT_EQ(pixel(84, 112), 0) << "the hit point bar's frame, from the banner's right edge";
  EXPECT_EQ(pixel(120, 112), 0) << "to the rectangle's";
  EXPECT_EQ(pixel(90, 112), Gfx::PackRGB565(0xF7A096)) << "full hit points";
  ASSERT_GT(group->GetMaxManaSum(), 0);
  EXPECT_EQ(pixel(90, 118), Gfx::PackRGB565(0x9DA7FC)) << "full mana";
  for (GameData::TUnit* u : group->Units)
    if (u) u->Effective.HitPoints.Current = u->Effective.Mana.Base = u->Effective.Mana.Delta = 0;
  redraw();
  EXPECT_EQ(pixel(90, 112), Gfx::PackRGB565(0x7B504B)) << "no hit points";
  EXPECT_EQ(pixel(90, 118), 0xFFFF) << "no mana bar without mana";
  Global->SpriteTable[5 + 2] = nullptr;
  Global->SpriteTable[1111] = nullptr;
}

}  // namespace
}  // namespace WorldTest
