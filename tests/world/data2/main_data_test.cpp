#include "world/data2/main_data.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/world/demo_data_dir.h"
#include "tools/databuilder/archive_builder.h"
#include "world/data2/global_data.h"

namespace {

class MainData : public ::testing::Test {
 protected:
  void SetUp() override { Data2::CreateArchives(); }
  void TearDown() override {
    Data2::FreeMainData();
    Data2::FreeArchives();
  }
  // Replaces a file of the "globals" archive by a loose one.
  void Write(const char* name, const std::string& content) {
    Data2::FreeArchives();
    Builder::WriteEnciphered(Data.Folder().File(std::string("globals/") + name), content);
    Data2::CreateArchives();
  }
  TestSupport::TDemoDataDir Data;
};

TEST_F(MainData, DemoDataLoads) {
  Data2::CreateMainData();
  const Data2::TMainData& m = *Data2::MainData;
  for (const Gfx::TSprite* slot : m.InterfaceSprites) EXPECT_NE(slot, nullptr);
  EXPECT_EQ(m.InterfaceSprites[Data2::isLoadingPicture]->Width, 800);
  EXPECT_EQ(m.InterfaceSprites[Data2::isLoadingPicture]->Height, 600);
  EXPECT_EQ(m.SpriteList.IndexCount(), 27);
  EXPECT_STREQ(m.VideoNames[0], "intro1.mpg");
  EXPECT_STREQ(m.VideoNames[8], "defeat4.mpg");
}

TEST_F(MainData, IDZeroLeavesTheSlotEmpty) {
  std::string ids = "0\r\n";
  for (int i = 1; i < 27; ++i) ids += std::to_string(8001 + i) + "\r\n";
  Write("ifaceids.txt", ids);
  Data2::CreateMainData();
  EXPECT_EQ(Data2::MainData->InterfaceSprites[0], nullptr);
  EXPECT_NE(Data2::MainData->InterfaceSprites[1], nullptr);
}

TEST(MainDataErrors, BadFilesStopTheStart) {
  const struct {
    const char* File;
    std::string Content;
    const char* Message;
  } cases[] = {
      {"ifaceids.txt", "8001\r\n4711\r\n", "Sprite with given ID not found (4711)."},
      {"ifacenames.txt", "a.avi\r\nb.avi\r\n", "Stream read error."},
      {"ifacenames.txt", std::string(128, 'v') + "\r\n", "Invalid data."},
  };
  for (const auto& c : cases) {
    TestSupport::TDemoDataDir data;
    Builder::WriteEnciphered(data.Folder().File(std::string("globals/") + c.File), c.Content);
    Data2::CreateArchives();
    try {
      Data2::CreateMainData();
      ADD_FAILURE() << c.File;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.File;
    }
    EXPECT_EQ(Data2::MainData, nullptr);
    Data2::FreeArchives();
  }
}

}  // namespace
