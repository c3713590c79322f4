// The game's panels over the demo data: a software display of 800 x 600,
// the window system on the headless platform with a fake clock, the global
// data, the second demo mission at player 1's turn and a game object that
// holds the unit detail window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/screen.h"
#include "game/control/game.h"
#include "game/panels/unit_detail_window.h"
#include "tests/engine/dxwin/window_fixture.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tests/world/demo_world.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace PanelTest {

class TPanelFixture : public WinTest::TWindowFixture {
 protected:
  static constexpr int W = 800, H = 600;

  void SetUp() override {
    TWindowFixture::SetUp();
    Display = std::make_unique<TestSupport::TGfxDisplay>(W, H);
    WinTest::Target = Display->Back();
    World = std::make_unique<WorldTest::TDemoWorld>();
    Scenario = WorldTest::TDemoWorld::Load(World->ScenarioFile("demo2.scn"));
    ASSERT_NE(Scenario->ViewingPlayer, nullptr);
    Scenario->CurrentPlayerIndex = static_cast<i16>(Scenario->IndexOfPlayer(Scenario->ViewingPlayer));
    SavedGame = Game;
    Game = new Main::TGame;
    Game->InitShortcuts();
    Game->UnitDetailWindow = std::make_unique<Main::TUnitDetailWindow>(Sys.get(), 0x110000);
  }
  void TearDown() override {
    delete Game;
    Game = SavedGame;
    Scenario.reset();
    World.reset();
    TWindowFixture::TearDown();
    Display.reset();
  }

  GameData::TGroup* GroupAt(i32 fx, i32 fy) const {
    for (GameData::TMapObject* o : Scenario->MapObjects)
      if (o->Type == GameData::otGroup && o->FieldX() == fx && o->FieldY() == fy) return static_cast<GameData::TGroup*>(o);
    return nullptr;
  }
  // The window system drawn over a plain background.
  void DrawScreen() {
    Plat::TSurface* back = Display->Back();
    Gfx::FillRect(back, 0, 0, W, H, Gfx::PackRGB565(0x304050), nullptr);
    Display->Framework().Device3D->BeginScene();
    Sys->Draw(back);
    Display->Framework().Device3D->EndScene();
  }
  void ExpectPicture(const char* name, const Base::TRect& r) {
    Plat::TSurface* back = Display->Back();
    const u8* at = back->Bits() + static_cast<std::ptrdiff_t>(r.Top) * back->Pitch() + r.Left * 2;
    TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, at, back->Pitch(), r.Width(), r.Height(), false);
  }
  u16 Pixel(i32 x, i32 y) const {
    Plat::TSurface* back = Display->Back();
    return reinterpret_cast<const u16*>(back->Bits() + static_cast<std::ptrdiff_t>(y) * back->Pitch())[x];
  }

  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  std::unique_ptr<WorldTest::TDemoWorld> World;
  std::unique_ptr<GameData::TScenario> Scenario;
  Main::TGame* SavedGame = nullptr;
};

}  // namespace PanelTest
