// The demo window on the demo data: the list, its scroll bar, the arrow
// buttons, the check box and the menu button answer a person's clicks.
#include "tests/game/demo_window.h"

#include "engine/dxwin/list_box.h"
#include "tests/engine/dxwin/window_fixture.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/world/demo_data_dir.h"
#include "world/data2/global_data.h"

namespace {

using namespace Main::DemoLayout;

class DemoWindow : public WinTest::TWindowFixture {
 protected:
  void SetUp() override {
    TWindowFixture::SetUp();
    Display = std::make_unique<TestSupport::TGfxDisplay>(800, 600);
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    Win = new Main::TDemoWindow(Sys.get(), *Data2::GlobalData);
    Step();
    for (DXWin::TDXControl* c : Win->Children)
      if (auto* list = dynamic_cast<DXWin::TDXListBox*>(c)) List = list;
  }
  void TearDown() override {
    TWindowFixture::TearDown();  // the window goes with the window system
    Data2::FreeGlobalData();
    Data2::FreeArchives();
    Display.reset();
  }
  // A click at window coordinates, then an update step.
  void ClickAt(int x, int y) {
    Click(Win->Left + x, Win->Top + y);
    Step();
  }

  TestSupport::TDemoDataDir Data;
  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  Main::TDemoWindow* Win = nullptr;
  DXWin::TDXListBox* List = nullptr;
};

TEST_F(DemoWindow, TheControlsAnswerClicks) {
  ASSERT_NE(List, nullptr);
  EXPECT_EQ(Win->Left, 210);
  EXPECT_EQ(Win->Top, 150);
  ClickAt(ListLeft + 100, ListTop + 2 * RowHeight + 10);
  EXPECT_EQ(List->ItemIndex, 2);
  ClickAt(ArrowLeft + 8, DownTop + 8);
  ClickAt(ArrowLeft + 8, DownTop + 8);
  EXPECT_EQ(List->ItemIndex, 4);
  const int barX = ListLeft + ListWidth + 1 + 8, barY = ListTop + Rows * RowHeight - 8;
  ClickAt(barX, barY);
  ClickAt(barX, barY);
  EXPECT_EQ(List->TopIndex, 2);
  ClickAt(ArrowLeft + 8, UpTop + 8);
  EXPECT_EQ(List->ItemIndex, 3);
  ClickAt(ButtonLeft + 80, ButtonTop + 14);
  EXPECT_EQ(Win->Clicks(), 1);
}

}  // namespace
