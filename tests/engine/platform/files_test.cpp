#include "engine/platform/files.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

TEST(Wildcards, WindowsStyleWithoutCase) {
  struct {
    const char* Mask;
    const char* Name;
    bool Match;
  } cases[] = {
      {"*.*", "noext", true},     {"*.dat", "A.DAT", true},  {"*.dat", "a.dat.bak", false},
      {"??.sav", "01.sav", true}, {"??.sav", "1.sav", false}, {"auto*", "autosave.sav", true},
      {"a*b*c", "aXbYc", true},   {"a*b*c", "aXbY", false},   {"", "x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(Plat::WildcardMatch(c.Mask, c.Name), c.Match) << c.Mask << " " << c.Name;
}

TEST(NativePath, FindsComponentsWithoutRegardToCase) {
  TestSupport::TTempDir dir;
  dir.Write("Globals/Default.TXT", "x");
  EXPECT_EQ(Plat::NativePath(dir.Path() + "globals\\default.txt"), dir.Path() + "Globals/Default.TXT");
  EXPECT_TRUE(Plat::FileExists(dir.Path() + "GLOBALS\\DEFAULT.txt"));
  EXPECT_TRUE(Plat::DirectoryExists(dir.Path() + "globals"));
  // Missing components stay as asked, so files can be created there.
  EXPECT_EQ(Plat::NativePath(dir.Path() + "globals\\New.sav"), dir.Path() + "Globals/New.sav");
  EXPECT_TRUE(Plat::CreateDirectories(dir.Path() + "Bmp\\"));
  EXPECT_TRUE(Plat::DirectoryExists(dir.Path() + "bmp"));
}

TEST(FindFiles, ListsMatchesWithAttributes) {
  TestSupport::TTempDir dir;
  dir.Write("one.sav", "12345");
  dir.Write("sub.sav/x", "");
  auto found = Plat::FindFiles(dir.Path() + "*.SAV");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].Name, "one.sav");
  EXPECT_EQ(found[0].Size, 5u);
  EXPECT_FALSE(found[0].Attributes & Plat::FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(found[1].Attributes & Plat::FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(Plat::FindFiles(dir.Path() + "missing\\*.*").empty());
}

}  // namespace
