#include "engine/platform/system/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/platform/system/text.h"

#include "tests/support/temp_dir.h"
#include "tests/support/write_fault.h"

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

// Paths are Windows-1252 inside the system and UTF-8 on disk: converted on
// the way out and on the way back.
TEST(NativePath, WindowsNamesBecomeUtf8AndBack) {
  TestSupport::TTempDir dir;
  struct {
    const char* Name;  // Windows-1252
    const char* OnDisk;  // UTF-8
  } cases[] = {
      {"Gr\xFCn", "Gr\xC3\xBCn"},
      {"\xC4rger \xDF", "\xC3\x84rger \xC3\x9F"},
      {"Caf\xE9-\x80", "Caf\xC3\xA9-\xE2\x82\xAC"},
  };
  for (const auto& c : cases) {
    const std::string folder = dir.Path() + c.Name;
    EXPECT_EQ(Plat::NativePath(folder + "\\"), dir.Path() + c.OnDisk + "/") << c.Name;
    ASSERT_TRUE(Plat::CreateDirectories(folder + "\\Save")) << c.Name;
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + c.OnDisk + "/Save")) << c.Name;
    EXPECT_TRUE(Plat::DirectoryExists(folder)) << c.Name;
    std::string error;
    auto file = Plat::TFile::Open(folder + "\\" + c.Name + ".txt", Plat::TFile::TMode::Create, error);
    ASSERT_NE(file, nullptr) << error;
    EXPECT_EQ(file->WriteAt(0, "abc", 3), 3);
    EXPECT_TRUE(Plat::FileExists(folder + "\\" + c.Name + ".txt"));
    auto found = Plat::FindFiles(folder + "\\*.txt");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Name, std::string(c.Name) + ".txt") << "names come back as Windows-1252";
  }
  EXPECT_EQ(Plat::Utf8ToCp1252(Plat::Cp1252ToUtf8("Gr\xFCn")), "Gr\xFCn");
}

TEST(File, ReadsAndWritesAtPositions) {
  TestSupport::TTempDir dir;
  std::string error;
  EXPECT_EQ(Plat::TFile::Open(dir.Path() + "missing.bin", Plat::TFile::TMode::Read, error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Plat::TFile::Open(dir.Path(), Plat::TFile::TMode::Read, error), nullptr) << "a folder is no file";
  auto file = Plat::TFile::Open(dir.Path() + "f.bin", Plat::TFile::TMode::Create, error);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->WriteAt(4, "xy", 2), 2);
  EXPECT_EQ(file->Length(), 6);
  char buf[8] = {};
  EXPECT_EQ(file->ReadAt(3, buf, 8), 3) << "short at the end";
  EXPECT_EQ(std::string(buf + 1, 2), "xy");
  EXPECT_TRUE(file->SetLength(2));
  EXPECT_EQ(file->ReadAt(0, buf, 8), 2);
}

}  // namespace

namespace {

// A file is replaced only once its new content is complete: a write that
// fails half-way, or a writer that never commits, leaves the old file and
// no temporary file behind.
TEST(ReplacementFile, ReplacesOnlyWhenComplete) {
  TestSupport::TTempDir dir;
  const std::string path = dir.Path() + "game.sav";
  dir.Write("game.sav", "old content");
  auto replace = [&](const std::string& bytes, bool commit) {
    std::string error;
    auto out = Plat::TReplacementFile::Create(path, error);
    EXPECT_NE(out, nullptr) << error;
    if (!out) return false;
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (out->File()->WriteAt(0, bytes.data(), size) != size) return false;
    return commit && out->Commit(error);
  };
  {
    TestSupport::TWriteFault fault(4);
    EXPECT_FALSE(replace("new content", true));
  }
  EXPECT_EQ(dir.Read("game.sav"), "old content");
  EXPECT_FALSE(replace("new content", false));
  EXPECT_EQ(dir.Read("game.sav"), "old content");
  EXPECT_TRUE(replace("new content", true));
  EXPECT_EQ(dir.Read("game.sav"), "new content");
  EXPECT_EQ(Plat::FindFiles(dir.Path() + "*.*").size(), 1u) << "no temporary file is left";

  std::string error;
  EXPECT_EQ(Plat::TReplacementFile::Create(dir.Path() + "missing\\x.sav", error), nullptr);
  EXPECT_FALSE(error.empty());
}

}  // namespace
