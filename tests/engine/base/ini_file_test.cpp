#include "engine/base/ini_file.h"

#include <gtest/gtest.h>

#include "engine/base/errors.h"
#include "tests/support/temp_dir.h"
#include "tests/support/write_fault.h"

namespace {

TEST(IniFile, ReadsAsProfileFilesDo) {
  TestSupport::TTempDir dir;
  dir.Write("a.ini", "; note\r\n[Main]\r\n DataPath = \"C:\\Spiel\" \r\n[settings]\nvolume=0x10\nbad=12a\nhuge=99999999999\nflag=7\n");
  const Base::TIniFile ini(dir.File("a.ini"));
  EXPECT_EQ(ini.ReadString("MAIN", "datapath", ""), "C:\\Spiel");
  EXPECT_EQ(ini.ReadInteger("Settings", "Volume", 1), 16);
  EXPECT_EQ(ini.ReadInteger("Settings", "bad", 1), 1);
  EXPECT_EQ(ini.ReadInteger("Settings", "huge", 1), 1);
  EXPECT_TRUE(ini.ReadBool("Settings", "flag", false));
  EXPECT_FALSE(ini.ValueExists("Main", "missing"));
  EXPECT_EQ(Base::TIniFile(dir.File("missing.ini")).ReadInteger("Main", "x", 5), 5);
}

// Writing changes a key where it stands (keeping the other lines), adds a
// missing key at its section's end and a missing section at the file's end.
TEST(IniFile, WritesKeepTheOtherLines) {
  TestSupport::TTempDir dir;
  dir.Write("a.ini", "; mine\n[Settings]\nMusicVolume=100\nOther=x\n\n[Else]\nKey=1\n");
  Base::TIniFile ini(dir.File("a.ini"));
  ini.WriteInteger("settings", "musicvolume", 40);
  ini.WriteBool("Settings", "ConfirmEndTurn", false);
  ini.WriteString("New", "Name", "Gr\xFCn");
  ini.UpdateFile();
  EXPECT_EQ(dir.Read("a.ini"),
            "; mine\r\n[Settings]\r\nMusicVolume=40\r\nOther=x\r\nConfirmEndTurn=0\r\n\r\n[Else]\r\nKey=1\r\n"
            "[New]\r\nName=Gr\xFCn\r\n");
  const Base::TIniFile again(dir.File("a.ini"));
  EXPECT_EQ(again.ReadInteger("Settings", "MusicVolume", 0), 40);
  EXPECT_FALSE(again.ReadBool("Settings", "ConfirmEndTurn", true));
}

TEST(IniFile, AFailedWriteLeavesTheOldFile) {
  TestSupport::TTempDir dir;
  dir.Write("a.ini", "[Settings]\r\nDifficulty=2\r\n");
  Base::TIniFile ini(dir.File("a.ini"));
  ini.WriteString("Settings", "Long", std::string(5000, 'x'));
  {
    TestSupport::TWriteFault fault(100);
    EXPECT_THROW(ini.UpdateFile(), Base::EStreamError);
  }
  EXPECT_EQ(dir.Read("a.ini"), "[Settings]\r\nDifficulty=2\r\n");
  EXPECT_THROW(Base::TIniFile(dir.File("missing\\a.ini")).UpdateFile(), Base::EStreamError);
}

}  // namespace
