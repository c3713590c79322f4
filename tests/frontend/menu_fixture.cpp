#include "tests/frontend/menu_fixture.h"

#include <chrono>
#include <filesystem>

#include "engine/d3dframe/d3dframe.h"
#include "engine/data/safe_file.h"
#include "engine/platform/system/files.h"
#include "frontend/save_game_header.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace MenuTest {

void TMenuFixture::SetUp() {
  TWindowFixture::SetUp();
  Display = std::make_unique<TestSupport::TGfxDisplay>(W, H);
  WinTest::Target = Display->Back();
  Data = std::make_unique<TestSupport::TDemoDataDir>();
  Data2::CreateArchives();
  Data2::CreateMainData();
  Data2::CreateGlobalData();
  Main::TMainMenu::BuildDate = "Jan  5 2026";
  Menu = new Main::TMainMenu(Sys.get());
  MainMenu = Menu;
  LoadingScreen = new Main::TLoadingScreen(Sys.get());
  Main::GameLink = &Link;
}

void TMenuFixture::TearDown() {
  Main::GameLink = nullptr;
  delete LoadingScreen;
  LoadingScreen = nullptr;
  delete Menu;
  MainMenu = nullptr;
  Data2::FreeGlobalData();
  Data2::FreeMainData();
  Data2::FreeArchives();
  Data.reset();
  TWindowFixture::TearDown();
  Display.reset();
}

std::string TMenuFixture::SaveDir() const { return Data2::SaveDirectory; }

void TMenuFixture::WriteSave(const std::string& name, u32 mission, i32 round, u32 gold, bool missionStart,
                             int minutesAgo) {
  auto header = std::make_unique<Main::TSaveGameHeader>();
  header->MissionNumber = mission;
  header->SetTitle("Das Grenzland");
  header->Round = round;
  header->Gold = gold;
  header->MissionStart = missionStart ? 1 : 0;
  // A picture that shows which save it is: a band whose height is the round.
  for (i32 y = 0; y < Main::TMainMenu::ThumbnailHeight; ++y)
    for (i32 x = 0; x < Main::TMainMenu::ThumbnailWidth; ++x) {
      const u16 c = y < round * 10 ? 0xF800 : static_cast<u16>(0x001F + x / 5);
      header->Thumbnail[(y * Main::TMainMenu::ThumbnailWidth + x) * 2] = static_cast<u8>(c);
      header->Thumbnail[(y * Main::TMainMenu::ThumbnailWidth + x) * 2 + 1] = static_cast<u8>(c >> 8);
    }
  {
    Data::TSafeFileWriter out(SaveDir() + name, true);
    header->Write(out.Stream());
    Data::WriteU32(out.Stream(), 0);  // the game's streams would follow
    out.Commit();
  }
  SetAge(name, minutesAgo);
}

void TMenuFixture::WriteRaw(const std::string& name, const std::string& bytes, bool enciphered) {
  {
    Data::TSafeFileWriter out(SaveDir() + name, enciphered);
    out.Stream().WriteBuffer(bytes.data(), static_cast<i32>(bytes.size()));
    out.Commit();
  }
  SetAge(name, 0);
}

void TMenuFixture::SetAge(const std::string& name, int minutesAgo) {
  namespace fs = std::filesystem;
  fs::last_write_time(Plat::NativePath(SaveDir() + name),
                      fs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
}

void TMenuFixture::DrawScreen() {
  Plat::TSurface* back = Display->Back();
  Gfx::FillRect(back, 0, 0, W, H, 0, nullptr);
  Display->Framework().Device3D->BeginScene();
  Sys->Draw(back);
  Display->Framework().Device3D->EndScene();
}

void TMenuFixture::ExpectPicture(const char* name) {
  Plat::TSurface* back = Display->Back();
  TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, back->Bits(), back->Pitch(), W, H, false);
}

void TMenuFixture::ClickButton(const DXWin::TDXControl* b) {
  const Base::TRect r = b->GetScreenRect();
  Click((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

std::vector<std::string> TMenuFixture::MessageBoxes() const {
  std::vector<std::string> texts;
  for (const auto& m : Os->MessageBoxes) texts.push_back(m.Text);
  return texts;
}

}  // namespace MenuTest
