#include "engine/base/base.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/base/errors.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SafeStrCopy, TruncatesAndAlwaysTerminates) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  Base::SafeStrCopy(buf, "abcdefghijk", sizeof buf);
  EXPECT_STREQ(buf, "abcdefg");

  std::memset(buf, 'x', sizeof buf);
  Base::SafeStrCopy(buf, "ab", sizeof buf);
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(buf[5], 0) << "the rest is zero-filled";

  std::memset(buf, 'x', sizeof buf);
  Base::SafeStrCopy(buf, "abc", 1);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[1], 'x');

  Base::SafeStrCopy(buf, "abc", 0);
  EXPECT_EQ(buf[1], 'x') << "size 0 writes nothing";
}

TEST(SafeFormat, ResultAlwaysTerminated) {
  char buf[10];
  Base::SafeFormat(buf, sizeof buf, "%s", "0123456789");
  EXPECT_STREQ(buf, "012345678");
  Base::SafeFormat(buf, sizeof buf, "%d-%d", 4, 2);
  EXPECT_STREQ(buf, "4-2");
  EXPECT_EQ(Base::Format("%s%.6d.bmp", "Bmp\\", 7), "Bmp\\000007.bmp");
}

TEST(BinToInt64, DigitsAndErrors) {
  EXPECT_EQ(Base::BinToInt64("101"), 5u);
  EXPECT_EQ(Base::BinToInt64("0"), 0u);
  EXPECT_EQ(Base::BinToInt64(std::string(64, '1')), ~0ull);
  EXPECT_EQ(Base::BinToInt64("1" + std::string(62, '0') + "1"), 0x8000000000000001ull);
  EXPECT_EQ(Base::BinToInt64("1" + std::string(64, '0')), 0u) << "the 65th digit adds nothing";
  for (const char* bad : {"", "102", " 1", "1a"}) {
    try {
      Base::BinToInt64(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const Base::EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid binary value.");
    }
  }
}

TEST(IsTerminated, LooksOnlyWithinSize) {
  const char full[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
  EXPECT_FALSE(Base::IsTerminated(full, 8));
  const char term[8] = {'a', 0, 'c', 'd', 'e', 'f', 'g', 'h'};
  EXPECT_TRUE(Base::IsTerminated(term, 8));
  EXPECT_FALSE(Base::IsTerminated(term, 1));
  EXPECT_FALSE(Base::IsTerminated(term, 0));
  EXPECT_FALSE(Base::IsTerminated(term, -3));
}

TEST(PathHelpers, FileNameWithoutExtAndTrailingBackslash) {
  EXPECT_EQ(Base::FileNameWithoutExt("C:\\dir\\demo1.scn"), "demo1");
  EXPECT_EQ(Base::FileNameWithoutExt("a:b.tar.gz"), "b.tar");
  EXPECT_EQ(Base::FileNameWithoutExt("/x/y/name"), "name");
  std::string p = "data";
  Base::AddTrailingBackslash(p);
  EXPECT_EQ(p, "data\\");
  Base::AddTrailingBackslash(p);
  EXPECT_EQ(p, "data\\");
  std::string empty;
  Base::AddTrailingBackslash(empty);
  EXPECT_EQ(empty, "");
}

void Collect(const std::string& name, const Plat::TFindData&, void* user) {
  static_cast<std::vector<std::string>*>(user)->push_back(name);
}

void Throwing(const std::string&, const Plat::TFindData&, void*) { throw std::runtime_error("stop"); }

TEST(ForEachFile, ReportsFilesWithDirectoryPrefixAndSkipsDirectories) {
  TestSupport::TTempDir dir;
  dir.Write("a.dat", "1");
  dir.Write("B.DAT", "2");
  dir.Write("c.txt", "3");
  dir.Write("sub.dat/inner", "4");
  std::vector<std::string> names;
  std::string mask = dir.Path() + "*.dat";
  EXPECT_EQ(Base::ForEachFile(mask, Collect, &names), 2);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], dir.Path() + "B.DAT");
  EXPECT_EQ(names[1], dir.Path() + "a.dat");

  names.clear();
  EXPECT_EQ(Base::ForEachFile(dir.Path() + "*.none", Collect, &names), 0);
  EXPECT_EQ(Base::ForEachFile(dir.Path() + std::string(300, 'x'), Collect, &names), 0);
  EXPECT_THROW(Base::ForEachFile(mask, Throwing, nullptr), std::runtime_error);
}

void ProcA() {}

TEST(LibraryLoading, CheckedHelpersNameTheMissingPiece) {
  Plat::RegisterModuleProc("test.dll", "ProcA", ProcA);
  Plat::TModule m = Base::LoadLibraryChecked("TEST.DLL");
  EXPECT_EQ(Base::GetProcAddressChecked(m, "ProcA"), ProcA);
  try {
    Base::GetProcAddressChecked(m, "ProcB");
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Function 'ProcB' not found in library (", 0), 0u) << e.what();
  }
  Base::FreeLibrarySafe(m);
  Base::FreeLibrarySafe(nullptr);
  Plat::UnregisterModule("test.dll");
  try {
    Base::LoadLibraryChecked("test.dll");
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Load library 'test.dll' failed (", 0), 0u) << e.what();
  }
}

TEST(AppPath, DirectoryEndsWithSeparator) {
  ASSERT_FALSE(Base::AppDir.empty());
  EXPECT_TRUE(Base::IsPathSeparator(Base::AppDir.back()));
  EXPECT_EQ(Base::AppPath.rfind(Base::AppDir, 0), 0u);
}

}  // namespace
