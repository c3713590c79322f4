// The game's skinned controls in a window of the window system, drawn on the
// software display with the demo data's window sprites; pictures of the
// controls in several states are stacked into one golden picture.
#pragma once

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controls/orv_window.h"
#include "engine/gfx/screen.h"
#include "tests/engine/dxwin/window_fixture.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tools/demodata/screens/demo_skin.h"

namespace SkinTest {

class TSkinFixture : public WinTest::TWindowFixture {
 protected:
  static constexpr int CanvasWidth = 240, CanvasHeight = 160;

  void SetUp() override {
    TWindowFixture::SetUp();
    Display = std::make_unique<TestSupport::TGfxDisplay>(CanvasWidth, CanvasHeight);
    WinTest::Target = Display->Back();
    Win = new Main::TOrvWindow(Sys.get(), 0, 0);
    Win->SetBounds({0, 0, CanvasWidth, CanvasHeight});
    Win->Show();
    Sys->ProcessRequests();
  }
  void TearDown() override {
    TWindowFixture::TearDown();
    Skins = {};
    Display.reset();
  }

  // The window sprite of an entry, loaded as the game loads it.
  Gfx::TSprite* Skin(int entry) {
    auto& s = Skins[static_cast<std::size_t>(entry)];
    if (!s) s = TestSupport::Loaded(*Builder::WindowSprite(entry));
    return s.get();
  }
  // Draws the window system over a plain background and keeps the rectangle.
  void Snap(const Base::TRect& r) {
    Plat::TSurface* back = Display->Back();
    Gfx::FillRect(back, 0, 0, CanvasWidth, CanvasHeight, Gfx::PackRGB565(0x304050), nullptr);
    Sys->Draw(back);
    if (StripWidth == 0) StripWidth = r.Width();
    ASSERT_EQ(StripWidth, r.Width());
    for (int y = r.Top; y < r.Bottom; ++y) {
      const auto* row = reinterpret_cast<const u16*>(back->Bits() + static_cast<std::ptrdiff_t>(y) * back->Pitch());
      Strips.insert(Strips.end(), row + r.Left, row + r.Right);
    }
  }
  void ExpectPicture(const char* name) {
    TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, Strips.data(), StripWidth * 2,
                                     StripWidth, static_cast<int>(Strips.size()) / StripWidth, false);
    Strips.clear();
    StripWidth = 0;
  }

  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  Main::TOrvWindow* Win = nullptr;
  std::array<std::unique_ptr<Gfx::TSprite>, 57> Skins;
  std::vector<u16> Strips;
  int StripWidth = 0;
};

}  // namespace SkinTest
