// The front end on the demo data's interface data.
#include "frontend/front_end.h"

#include "tests/engine/dxwin/window_fixture.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/world/demo_data_dir.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace {

class FrontEnd : public WinTest::TWindowFixture {
 protected:
  TestSupport::TDemoDataDir Data;
};

TEST_F(FrontEnd, TakesTheVideoNamesFromTheInterfaceData) {
  TestSupport::TGfxDisplay display(800, 600);
  Data2::CreateArchives();
  Data2::CreateMainData();
  Main::CreateInterface();
  EXPECT_EQ(Main::VideoNames[0], "intro1.mpg");
  EXPECT_EQ(Main::VideoNames[8], "defeat4.mpg");
  Main::DeleteInterface();
  Main::VideoNames = {};
  Data2::FreeMainData();
  Data2::FreeArchives();
}

}  // namespace
