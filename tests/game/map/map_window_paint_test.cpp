// The map window's picture on the software display: demo mission 1 with the
// hero selected, the path arrows to a hovered field far enough away that the
// costs pass the attack reserve and the action points, the cost number at
// its end, and the dotted range of an armed spell.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/d3dframe/d3dframe.h"
#include "game/map/map_window.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tests/game/game_fixture.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameTest {
namespace {

using namespace GameData;

class MapPicture : public TGameFixture {
 protected:
  // The display first: the global data's sprites are made for it.
  void SetUp() override {
    Display = std::make_unique<TestSupport::TGfxDisplay>(800, 600);
    TGameFixture::SetUp();
  }
  void TearDown() override {
    TGameFixture::TearDown();
    Display.reset();
  }
  std::unique_ptr<TestSupport::TGfxDisplay> Display;
};

TEST_F(MapPicture, PathArrowsWithTheirCostAndTheSpellRange) {
  StartMission(1);
  TGroup* hero = S().FindGroup(GroupOf(1));
  ASSERT_NE(hero, nullptr);
  Act({atSelect, hero->ID});
  Main::TMapWindow& w = *Game->MapWindow;
  ASSERT_NE(w.Cache, nullptr);
  S().SetViewPosition(0, 0);
  const i32 fx = hero->FieldX() + 8, fy = hero->FieldY() + 3;
  ASSERT_EQ(w.ClassifyClick(fx * 40 + 20, fy * 40 + 20), Main::TClickOutcome::Move);
  ASSERT_EQ(w.PathLength, 8);
  const i32 last = S().MoveCosts[static_cast<std::size_t>(S().FieldIndex(fx, fy))];
  EXPECT_GT(last, hero->GetMinActionPoints()) << "the walk goes beyond this turn's reach";
  Game->ArmedSpell = 2;
  Game->ArmedCaster = 1;
  Plat::TSurface* back = Display->Back();
  Display->Framework().Device3D->BeginScene();
  w.PaintMap(back, w.ViewRect);
  Display->Framework().Device3D->EndScene();
  Game->ArmedSpell = Game->ArmedCaster = 0;
  // The part with the city, the group, the range and the path.
  TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + "map_path_arrows", back->Bits() + 60 * back->Pitch(),
                                   back->Pitch(), 560, 360, false);
}

}  // namespace
}  // namespace GameTest
