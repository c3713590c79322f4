#include "engine/data/archive.h"
#include "engine/data/data_object.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "engine/base/base.h"
#include "tests/support/temp_dir.h"
#include "tools/databuilder/archive_builder.h"

namespace {

std::string ReadAll(Data::TStream& s) {
  std::string out(static_cast<std::size_t>(s.GetSize()), '\0');
  s.ReadBuffer(out.data(), static_cast<i32>(out.size()));
  return out;
}

class Archive : public ::testing::Test {
 protected:
  void SetUp() override {
    SavedPath = Data::DataPath;
    SavedAppDir = Base::AppDir;
    Data::DataPath = Dir.Path();
  }
  void TearDown() override {
    Data::DataPath = SavedPath;
    Base::AppDir = SavedAppDir;
  }
  std::string Open(Data::TArchive& a, const std::string& name) {
    std::unique_ptr<Data::TStream> s(a.OpenFile(name));
    return ReadAll(*s);
  }
  TestSupport::TTempDir Dir;
  std::string SavedPath, SavedAppDir;
};

TEST_F(Archive, DataPathFromDataIni) {
  Base::AppDir = Dir.Path();
  Data::InitData();
  EXPECT_EQ(Data::DataPath, Dir.Path()) << "no data.ini: the program's directory";
  struct {
    const char* Value;
    std::string Expected;
  } cases[] = {
      {"Data", Dir.Path() + "Data\\"},
      {"", Dir.Path()},
      {"C:\\Games\\Orv", "C:\\Games\\Orv\\"},
      {"/srv/orv/", "/srv/orv/"},
  };
  for (const auto& c : cases) {
    Dir.Write("data.ini", std::string("[main]\r\ndatapath = ") + c.Value + "\r\n");
    Data::InitData();
    EXPECT_EQ(Data::DataPath, c.Expected) << c.Value;
  }
}

TEST_F(Archive, MissingArchiveIsNamed) {
  try {
    Data::TArchive a("globals");
    ADD_FAILURE();
  } catch (const Base::EStreamError& e) {
    EXPECT_STREQ(e.what(), "Archive 'globals' not found.");
  }
}

TEST_F(Archive, PackedWinsAndLooseFilesOverride) {
  Builder::TArchiveBuilder b;
  b.Add("default.txt", "packed default");
  b.Add("zeta.bin", "zz");
  b.WritePacked(Dir.Path(), "globals");
  Builder::WriteEnciphered(Dir.File("globals/default.txt"), "loose default");
  Builder::WriteEnciphered(Dir.File("globals/extra.txt"), "extra");

  Data::TArchive a("globals");
  EXPECT_EQ(a.Type, Data::TArchive::Packed);
  EXPECT_EQ(a.DataOffset, 16u + 40 * 2);
  EXPECT_EQ(Open(a, "DEFAULT.TXT"), "loose default");
  EXPECT_EQ(Open(a, "Zeta.bin"), "zz");
  EXPECT_EQ(Open(a, "extra.txt"), "extra");
  ASSERT_EQ(a.Count(), 3);
  EXPECT_EQ(a.GetFileName(1), "extra.txt");
  try {
    Open(a, "none.txt");
    ADD_FAILURE();
  } catch (const Base::EFOpenError& e) {
    EXPECT_STREQ(e.what(), "File not found in archive.");
  }
}

// The loose files are listed once, when the archive opens: a name is entered
// once however many files share it without regard to case, and a file added
// later is found only through a folder archive, which asks the disk for
// names its table lacks.
TEST_F(Archive, LooseFilesAreListedOnceAtOpening) {
  Builder::TArchiveBuilder b;
  b.Add("default.txt", "packed");
  b.WritePacked(Dir.Path(), "globals");
  // Files whose names differ only in case, written side by side (the key
  // does not depend on case).
  auto writeBeside = [&](const std::string& name, const std::string& plain) {
    Builder::WriteEnciphered(Dir.File("raw/" + name), plain);
    Dir.Write(name, Dir.Read("raw/" + name));
  };
  writeBeside("globals/DEFAULT.TXT", "upper");
  writeBeside("globals/default.txt", "lower");
  writeBeside("globals/Extra.txt", "one");
  writeBeside("globals/extra.TXT", "two");
  Data::TArchive packed("globals");
  ASSERT_EQ(packed.Count(), 2);
  EXPECT_EQ(packed.GetFileName(0), "default.txt");
  EXPECT_EQ(packed.GetFileName(1), "Extra.txt");
  EXPECT_EQ(Open(packed, "default.txt"), "upper") << "the first loose file of the name overrides";
  EXPECT_EQ(Open(packed, "EXTRA.txt"), "one");
  Builder::WriteEnciphered(Dir.File("globals/later.txt"), "later");
  EXPECT_THROW(Open(packed, "later.txt"), Base::EFOpenError);

  writeBeside("scenario/Map.scn", "m1");
  writeBeside("scenario/MAP.SCN", "m2");
  Data::TArchive folder("scenario");
  EXPECT_EQ(folder.Count(), 1);
  Builder::WriteEnciphered(Dir.File("scenario/later.scn"), "later");
  EXPECT_EQ(Open(folder, "later.scn"), "later");
}

TEST_F(Archive, DirectoryTableHoldsFilesSortedWithoutCase) {
  Builder::WriteEnciphered(Dir.File("graphics/b_x.gfl"), "b");
  Builder::WriteEnciphered(Dir.File("graphics/A.gfl"), "a");
  Builder::WriteEnciphered(Dir.File("graphics/b.gfl"), "b2");
  Builder::WriteEnciphered(Dir.File("graphics/sub/inner"), "x");
  Data::TArchive a("graphics");
  EXPECT_EQ(a.Type, Data::TArchive::Directory);
  ASSERT_EQ(a.Count(), 3);
  EXPECT_EQ(a.GetFileName(0), "A.gfl");
  EXPECT_EQ(a.GetFileName(1), "b.gfl");
  EXPECT_EQ(a.GetFileName(2), "b_x.gfl") << "'_' sorts after the letters";
  EXPECT_EQ(a.Entries[0].Offset, 0xFFFFFFFFu);
  EXPECT_EQ(Open(a, "a.GFL"), "a");
}

TEST_F(Archive, DamagedHeadersAndEntries) {
  auto writePlain = [&](const std::string& bytes) { Builder::WriteEnciphered(Dir.File("bad.dat"), bytes); };
  std::string header = std::string("DATA\x01\0\0\0", 8) + std::string(8, '\0');
  std::string entry = std::string("\0\0\0\0\x05\0\0\0", 8) + "f.txt" + std::string(27, '\0');

  writePlain("DATX" + header.substr(4) + entry + "hello");
  EXPECT_THROW(Data::TArchive("bad", Data::TArchive::Packed), Data::EInvalidData);
  writePlain(header + entry.substr(0, 8) + std::string(32, 'n') + "hello");
  EXPECT_THROW(Data::TArchive("bad", Data::TArchive::Packed), Data::EInvalidData) << "unterminated name";
  writePlain(std::string("DATA\xFF\xFF\xFF\x0F", 8) + std::string(8, '\0') + entry);
  EXPECT_THROW(Data::TArchive("bad", Data::TArchive::Packed), Base::EReadError) << "count beyond the file";
  writePlain(header + entry + "hel");
  Data::TArchive truncated("bad", Data::TArchive::Packed);
  try {
    Open(truncated, "f.txt");
    ADD_FAILURE();
  } catch (const Base::EStreamError& e) {
    // The text first, then which archive and entry.
    EXPECT_EQ(std::string(e.what()),
              "Invalid size of substream. (archive \"" + Dir.File("bad.dat") + "\", entry \"f.txt\")");
  }
  // An object loaded from a damaged entry: the same kind of error, naming both.
  Data::TDataObject object;
  writePlain(header + std::string("\0\0\0\0\x02\0\0\0", 8) + "f.txt" + std::string(27, '\0') + "he");
  Data::TArchive twoBytes("bad", Data::TArchive::Packed);
  try {
    object.LoadFromArchive(&twoBytes, "f.txt");
    ADD_FAILURE();
  } catch (const Base::EReadError& e) {
    EXPECT_EQ(std::string(e.what()), "Stream read error. (archive \"" + Dir.File("bad.dat") + "\", entry \"f.txt\")");
  }
  // An entry that stands for a loose file which has since gone.
  Builder::WriteEnciphered(Dir.File("bad/gone.txt"), "x");
  Data::TArchive withLoose("bad", Data::TArchive::Packed);
  std::filesystem::remove(Dir.File("bad/gone.txt"));
  EXPECT_THROW(Open(withLoose, "gone.txt"), Base::EStreamError);
}

TEST_F(Archive, SubStreamWindow) {
  Dir.Write("plain.bin", "0123456789");
  Data::TSubStream w(Dir.File("plain.bin"), 3, 4);
  char buf[10];
  EXPECT_EQ(w.Read(buf, 10), 4);
  EXPECT_EQ(std::string(buf, 4), "3456");
  EXPECT_EQ(w.Read(buf, 10), 0);
  w.Seek(-1, Data::soEnd);
  EXPECT_EQ(w.Read(buf, 1), 1);
  EXPECT_EQ(buf[0], '6');
  w.Seek(-5, Data::soBeginning);
  EXPECT_EQ(w.Read(buf, 1), 0) << "before the window reads nothing";
  EXPECT_THROW(Data::TSubStream(Dir.File("plain.bin"), 11, 0), Base::EStreamError);
  EXPECT_THROW(Data::TSubStream(Dir.File("plain.bin"), 8, 3), Base::EStreamError);
  try {
    w.CreateSubStream(2, 3);
    ADD_FAILURE();
  } catch (const Base::EStreamError& e) {
    EXPECT_STREQ(e.what(), "Invalid size of substream.");
  }
  std::unique_ptr<Data::TSubStream> inner(w.CreateSubStream(1, 2));
  EXPECT_EQ(inner->Read(buf, 5), 2);
  EXPECT_EQ(std::string(buf, 2), "45");
}

}  // namespace
