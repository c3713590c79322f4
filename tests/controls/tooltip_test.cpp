// The game's tooltip on the demo data: where it lies beside the pointer
// near the screen's edges, and what a person sees after resting on a
// control: the window, the cursor and the tooltip over it.
#include "engine/gfx/font.h"
#include "controls/orv_tooltip.h"
#include "tests/controls/skin_fixture.h"
#include "tests/world/demo_data_dir.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace SkinTest {
namespace {

// The demo data's interface and global data on an 800 x 600 display.
class Tooltips : public WinTest::TWindowFixture {
 protected:
  void SetUp() override {
    TWindowFixture::SetUp();
    Display = std::make_unique<TestSupport::TGfxDisplay>(800, 600);
    Data2::CreateArchives();
    Data2::CreateMainData();
    Data2::CreateGlobalData();
    Tip = new Main::TOrvTooltip;
    Sys->SetTooltip(Tip);
    Font = Data2::GlobalData->Fonts[2];
  }
  void TearDown() override {
    TWindowFixture::TearDown();
    Data2::FreeGlobalData();
    Data2::FreeMainData();
    Data2::FreeArchives();
    Display.reset();
  }
  // Shows the text at the pointer as the window system does.
  void ShowAt(const std::string& text, int x, int y) {
    Tip->SetText(text);
    Tip->SetPosition(x, y);
    Tip->SetVisible(true);
  }

  TestSupport::TDemoDataDir Data;
  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  Main::TOrvTooltip* Tip = nullptr;
  Gfx::TFont* Font = nullptr;
};

TEST_F(Tooltips, KeptOnTheScreenBesideThePointer) {
  const std::string hint = "Zeilen f\xE4rben";
  const int w = Font->MaxLineWidth(hint), h = Font->TextHeight(hint);
  ShowAt(hint, 100, 100);
  EXPECT_EQ(Tip->X, 100);
  EXPECT_EQ(Tip->Y, 140) << "40 pixels below the pointer";
  ShowAt(hint, 799, 599);
  EXPECT_EQ(Tip->X + w + 2, 799) << "ends one pixel inside the right edge";
  EXPECT_EQ(Tip->Y, 599 - (h + 2) - 1) << "above the pointer at the bottom";
  const std::string wide(200, 'W');
  ASSERT_GT(Font->MaxLineWidth(wide), 800);
  ShowAt(wide, 300, 10);
  EXPECT_EQ(Tip->X, 1) << "wider than the screen";
  Tip->SetVisible(false);
  Tip->SetPosition(500, 500);
  EXPECT_EQ(Tip->X, 1) << "placed only while shown";
}

TEST_F(Tooltips, WhatAPersonSeesAfterResting) {
  auto* w = new DXWin::TDXWindow(Sys.get(), 0, 0);
  w->SetBounds({300, 200, 500, 300});
  struct TPaint {
    void Paint(Plat::TSurface* s, const Base::TRect& r) {
      Gfx::FillRect(s, r.Left, r.Top, r.Width(), r.Height(), Gfx::PackRGB565(0xD9C9A3), nullptr);
    }
  } paint;
  w->OnDraw = DXWin::TDrawEvent::Of<&TPaint::Paint>(&paint);
  WinTest::MakeButton(w, w, "b", {20, 20, 120, 60})->Hint = "Ein Hinweis\nauf zwei Zeilen";
  w->Show();
  Sys->SetDefaultCursor(Data2::MainData->InterfaceSprites[Data2::isDefaultCursor]);
  Move(380, 240);
  Step(60);
  ASSERT_TRUE(Tip->Visible);
  Plat::TSurface* back = Display->Back();
  Gfx::FillRect(back, 0, 0, 800, 600, Gfx::PackRGB565(0x304050), nullptr);
  Display->Framework().Device3D->BeginScene();
  Sys->Draw(back);
  Display->Framework().Device3D->EndScene();
  const Base::TRect area{290, 190, 510, 320};
  const auto* bits = back->Bits() + static_cast<std::ptrdiff_t>(area.Top) * back->Pitch() + area.Left * 2;
  TestSupport::ExpectGoldenPicture(ORV_GOLDEN_DIR "/tooltip", bits, back->Pitch(), area.Width(), area.Height(), false);
}

}  // namespace
}  // namespace SkinTest
