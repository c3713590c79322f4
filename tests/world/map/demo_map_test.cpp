// The second demo mission drawn as the map window draws it, in a view of
// 400 x 300 at two places, with its fog of war and the rain frozen at a known
// step; the second reached by scrolling, and equal to a full draw there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/gfx/sprite.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tests/world/demo_world.h"
#include "world/data2/global_data.h"
#include "world/map/drawing.h"
#include "world/scenario/player.h"
#include "world/units/group.h"

namespace WorldTest {
namespace {

using GameData::TGroup;

constexpr u32 Layers = GameData::dlBackground | GameData::dlObjects;

TGroup* GroupAt(GameData::TScenario& s, i32 fx, i32 fy) {
  for (GameData::TMapObject* o : s.MapObjects)
    if (o->Type == GameData::otGroup && o->FieldX() == fx && o->FieldY() == fy) return static_cast<TGroup*>(o);
  return nullptr;
}

TEST(DemoMap, TwoPlacesWithFogAndRain) {
  constexpr i32 W = 400, H = 300;
  TestSupport::TGfxDisplay display(W, H);
  TDemoWorld world;
  auto scenario = TDemoWorld::Load(world.ScenarioFile("demo2.scn"));
  GameData::TScenario& s = *scenario;
  ASSERT_NE(s.ViewingPlayer, nullptr);
  s.ViewingPlayer->UpdateSightings(false);
  TGroup* scout = GroupAt(s, 20, 12);
  TGroup* camp = GroupAt(s, 24, 9);
  ASSERT_TRUE(scout && camp);
  scout->Select();
  camp->Select();
  // A patch of mist on the device's render target while the cache is drawn.
  auto* mist = new GameData::TDrawing(&s);
  mist->Init(Data2::GlobalData->SpriteTable[1102], 0, 760, 420, 10);
  s.AddMapObject(mist);

  std::srand(15);
  for (int i = 0; i < 300; ++i) s.Tick();
  ASSERT_GT(s.LiveParticles[GameData::wkRain], 50u);
  scout->Units[0]->AddWound(12);
  for (int i = 0; i < 40; ++i) scout->AgeWounds();
  scout->Units[0]->AddWound(7);

  Plat::TSurface* back = display.Back();
  Plat::TSurface* cache = display.Framework().CreateOffscreenSurface(W, H, 0);
  const Base::TRect screen{0, 0, W, H};
  display.Framework().Device3D->BeginScene();
  const auto frame = [&](i32 x, i32 y, bool force) {
    s.DrawMap(cache, x, y, screen, Layers, force);
    back->Blt(&screen, cache, &screen, Plat::bltWait, nullptr);
    s.DrawSpell(back, x, y);
    s.DrawWeather(back, x, y, screen);
    s.DrawFog(back, x, y, screen);
    s.DrawOverlays(back, x, y, screen);
  };
  const auto expect = [&](const char* name) {
    TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, back->Bits(), back->Pitch(), W, H, false);
  };
  frame(60, 90, true);
  expect("demo_map_town");
  for (i32 i = 1; i <= 20; ++i) frame(60 + 37 * i, 90 + 7 * i, false);
  expect("demo_map_camp");
  const std::vector<u8> scrolled(cache->Bits(), cache->Bits() + cache->Pitch() * H);
  s.DrawMap(cache, 800, 230, screen, Layers, true);
  EXPECT_TRUE(std::equal(scrolled.begin(), scrolled.end(), cache->Bits())) << "the scrolled cache is a full draw";
  display.Framework().Device3D->EndScene();
  cache->Release();
}

}  // namespace
}  // namespace WorldTest
