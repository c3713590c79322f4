#include "world/data2/global_data.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/platform/system/files.h"
#include "tests/engine/gfx/software_display.h"
#include "tests/support/temp_dir.h"
#include "tests/world/demo_data_dir.h"
#include "tools/databuilder/archive_builder.h"
#include "tools/databuilder/demo_sounds.h"

namespace {

class GlobalData : public ::testing::TestWithParam<Builder::TArchiveForm> {
 protected:
  void TearDown() override {
    Data2::FreeGlobalData();
    Data2::FreeArchives();
  }
};

TEST_P(GlobalData, DemoDataLoadsInBothArchiveForms) {
  TestSupport::TDemoDataDir data(GetParam());
  std::filesystem::remove_all(data.Folder().File("Save"));
  Data2::CreateArchives();
  EXPECT_EQ(Data2::SaveDirectory, data.Folder().Path() + "Save\\");
  EXPECT_TRUE(Plat::DirectoryExists(Data2::SaveDirectory)) << "made when missing";
  ASSERT_NE(Data2::GlobalsArchive, nullptr);
  EXPECT_EQ(Data2::GlobalsArchive->Type, GetParam() == Builder::TArchiveForm::Packed ? Data::TArchive::Packed
                                                                                      : Data::TArchive::Directory);
  Data2::CreateGlobalData();
  const Data2::TGlobalData& g = *Data2::GlobalData;
  EXPECT_EQ(g.IndexFiles[Data2::FontDescriptionFile], "fonts.txt");
  EXPECT_EQ(g.WindowSpriteIDs[0], 3000u);
  EXPECT_EQ(g.WindowSpriteIDs[56], 3056u);
  ASSERT_GT(g.FontDescriptions.Count(), 0);
  EXPECT_EQ(g.FontDescriptions[0].ID, 1u);
  EXPECT_EQ(std::string(g.FontDescriptions[0].FileName), "small.fnt");
  EXPECT_EQ(g.FontDescriptions[0].RefCount, 1) << "a standard font";
  EXPECT_GE(g.FindFontDescription(27), 0);
  EXPECT_EQ(g.FindFontDescription(99), -1);

  // Rules and the mission list.
  EXPECT_EQ(g.NormalMorale, 50);
  EXPECT_EQ(g.AttackCost, 4);
  EXPECT_EQ(g.DifficultyPercent[2], 140);
  EXPECT_EQ(g.EffectVolume, 80);
  EXPECT_EQ(g.MissionCount, 3);
  EXPECT_STREQ(g.MissionFiles[1], "demo2.scn");
  EXPECT_STREQ(g.MissionFiles[2], "demo3.scn");
  EXPECT_STREQ(g.MissionFiles[3], "");

  // Prototypes, and their sprites and icons in the lists.
  ASSERT_EQ(g.UnitPrototypes.Count(), 5);
  i32 skeleton = g.FindUnitPrototype(4);
  ASSERT_GE(skeleton, 0);
  EXPECT_EQ(g.UnitPrototypes[skeleton].Kind, 4);
  EXPECT_STREQ(g.UnitPrototypes[g.FindUnitPrototype(5)].Name, "Speertr\xE4ger");
  EXPECT_EQ(g.FindUnitPrototype(99), -1);
  EXPECT_GE(g.FindSpellPrototype(65), 0);
  EXPECT_EQ(g.FindSpellPrototype(200), -1);
  EXPECT_GE(g.FindSkillPrototype(45), 0);
  EXPECT_NE(g.SpellSpriteList.FindLoadedSprite(g.SpellPrototypes[0].IconID), nullptr) << "icons stay loaded";

  // Sounds: effects preloaded, music and speech streamed; the sound file.
  EXPECT_TRUE(g.SoundList.Preloads());
  EXPECT_FALSE(g.MusicList.Preloads());
  EXPECT_FALSE(g.SpeechList.Preloads());
  EXPECT_EQ(g.InterfaceSounds[0], nullptr);
  ASSERT_NE(g.InterfaceSounds[2], nullptr) << "the click";
  EXPECT_EQ(g.InterfaceSounds[2], const_cast<TAudioList&>(g.SoundList).FindStream(Builder::ClickSoundID));
  EXPECT_EQ(g.WeatherSounds[0].SoundID, Builder::RainSoundID);
  EXPECT_EQ(g.WeatherSounds[1].Volume, 90);
  EXPECT_EQ(g.MenuMusicID, Builder::DemoMusicID);
  EXPECT_EQ(g.CreditsMusicID, Builder::DemoMusicID);
  EXPECT_EQ(g.UnitPrototypes[0].AttackSound, g.InterfaceSounds[3]);
  EXPECT_EQ(g.UnitPrototypes[0].DeathSounds[1], nullptr);

  // The nine standard fonts stay loaded, the others wait to be asked for.
  for (u32 id = 1; id <= 30; ++id) {
    const i32 d = g.FindFontDescription(id);
    if (d < 0) continue;
    const bool standard = id <= 8 || id == 27;
    EXPECT_EQ(g.FontDescriptions[d].RefCount, standard ? 1 : 0) << id;
    EXPECT_EQ(g.FontDescriptions[d].Font != nullptr, standard) << id;
  }
  EXPECT_EQ(g.Fonts[2], g.FontDescriptions[g.FindFontDescription(3)].Font);
  EXPECT_EQ(g.Fonts[8], g.FontDescriptions[g.FindFontDescription(27)].Font);
  EXPECT_EQ(g.Fonts[2]->Height, 10);  // the panels' narrow font

  // The sprite table: every slot names a loaded sprite of the common list,
  // but the fog edge over a field with everything around it explored.
  for (i32 slot = 0; slot < Data2::SpriteTableSize; ++slot) {
    if (slot == 1033) continue;
    ASSERT_NE(g.SpriteTable[slot], nullptr) << slot;
  }
  EXPECT_EQ(g.SpriteTable[1033], nullptr);
  EXPECT_EQ(g.SpriteTable[1111]->Width, 36);
  EXPECT_EQ(g.BannerCellWidth, 12);
}

INSTANTIATE_TEST_SUITE_P(Forms, GlobalData,
                         ::testing::Values(Builder::TArchiveForm::Packed, Builder::TArchiveForm::Loose),
                         [](const auto& info) { return info.param == Builder::TArchiveForm::Packed ? "Packed" : "Loose"; });

class GlobalFonts : public ::testing::Test {
 protected:
  void SetUp() override {
    Data2::CreateArchives();
    Data2::CreateGlobalData();
  }
  void TearDown() override {
    Data2::FreeGlobalData();
    Data2::FreeArchives();
  }
  TestSupport::TDemoDataDir Data;
};

TEST_F(GlobalFonts, AcquiredOnceAndReleasedByEachHolder) {
  Data2::TGlobalData& g = *Data2::GlobalData;
  Data2::TFontDescription& menu = g.FontDescriptions[g.FindFontDescription(10)];
  Gfx::TFont* first = g.AcquireFont(10);
  Gfx::TFont* second = g.AcquireFont(10);
  EXPECT_EQ(first, second);
  EXPECT_EQ(menu.RefCount, 2);
  EXPECT_GT(first->Width(0xFC), 0);
  g.ReleaseFont(first);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(menu.Font, second) << "one holder is left";
  g.ReleaseFont(second);
  EXPECT_EQ(menu.RefCount, 0);
  EXPECT_EQ(menu.Font, nullptr);
  g.ReleaseFont(second);  // the cleared pointer does nothing

  Gfx::TFont stranger;
  Gfx::TFont* pointer = &stranger;
  try {
    g.ReleaseFont(pointer);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Font description with given pointer not found!");
  }
  try {
    g.AcquireFont(99);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Font description with ID = 99 not found!");
  }
  // A font some window forgot to give back goes with the global data.
  EXPECT_NE(g.AcquireFont(11), nullptr);
}

// With a display, the third and fourth standard fonts keep their glyphs on it.
TEST(GlobalFontsOnTheDisplay, StandardFontsCached) {
  TestSupport::TDemoDataDir data;
  TestSupport::TSoftwareDisplay display(64, 32);
  Data2::CreateArchives();
  Data2::CreateGlobalData();
  const Data2::TGlobalData& g = *Data2::GlobalData;
  EXPECT_TRUE(g.Fonts[2]->OnDevice);
  EXPECT_TRUE(g.Fonts[3]->OnDevice);
  EXPECT_FALSE(g.Fonts[0]->OnDevice);
  EXPECT_EQ(g.Fonts[3]->SurfaceKey, 0xFFFFu) << "white, which no black glyph pixel takes";
  EXPECT_EQ(g.Fonts[2]->SurfaceKey, 0u) << "black: the ink of 1 drawn in colour 0 never meets it";
  EXPECT_EQ(Gfx::FontRegistry.Count(), 2);
  Data2::FreeGlobalData();
  Data2::FreeArchives();
  EXPECT_EQ(Gfx::FontRegistry.Count(), 0);
}

TEST(GlobalDataErrors, FontsMissingOrDamaged) {
  {
    TestSupport::TDemoDataDir data;
    Builder::WriteEnciphered(data.Folder().File("globals/fonts.txt"), "0\r\n");
    Data2::CreateArchives();
    try {
      Data2::CreateGlobalData();
      ADD_FAILURE();
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Font description with ID = 1 not found!");
    }
    Data2::FreeArchives();
  }
  TestSupport::TDemoDataDir data;
  Builder::WriteEnciphered(data.Folder().File("graphics/normal.fnt"), std::string("\x03\0\0\0FONT\x10\0", 10));
  Data2::CreateArchives();
  EXPECT_THROW(Data2::CreateGlobalData(), Base::EStreamError);
  EXPECT_EQ(Data2::GlobalData, nullptr);
  Data2::FreeArchives();
}

TEST(GlobalDataErrors, MissingAndDamagedFilesAbortTheLoad) {
  TestSupport::TDemoDataDir data;
  // A loose file overrides the packed index; name a file that is not there.
  Builder::WriteEnciphered(data.Folder().File("globals/default.txt"), "a\r\nb\r\nc\r\nd\r\nnone.txt\r\n" + std::string(13 * 3, ' ') + "x\r\ny\r\nz\r\nw\r\nv\r\nu\r\nt\r\ns\r\nr\r\nq\r\np\r\no\r\nn\r\n");
  Data2::CreateArchives();
  try {
    Data2::CreateGlobalData();
    ADD_FAILURE();
  } catch (const Base::EFOpenError& e) {
    EXPECT_STREQ(e.what(), "File not found in archive.");
  }
  EXPECT_EQ(Data2::GlobalData, nullptr);
  // The loose file is known from the archive's opening; its content is read at each open.
  Builder::WriteEnciphered(data.Folder().File("globals/default.txt"), "only\r\ntwo\r\n");
  EXPECT_THROW(Data2::CreateGlobalData(), Base::EReadError);
  Data2::FreeArchives();
}

// The save folder is made only where the archives opened; when it cannot be
// made, saving says so.
TEST(GlobalDataErrors, SaveFolderOnlyBesideTheArchives) {
  TestSupport::TTempDir empty;
  const std::string saved = Data::DataPath;
  Data::DataPath = empty.Path() + "nothing\\";
  EXPECT_THROW(Data2::CreateArchives(), Base::EStreamError);
  Data2::FreeArchives();
  EXPECT_FALSE(Plat::DirectoryExists(empty.Path() + "nothing"));
  Data::DataPath = saved;

  TestSupport::TDemoDataDir data;
  std::filesystem::remove_all(data.Folder().File("Save"));
  data.Folder().Write("Save", "a file where the folder belongs");
  Data2::CreateArchives();
  try {
    Data2::EnsureSaveDirectory();
    ADD_FAILURE();
  } catch (const Base::EFCreateError& e) {
    // The folder as the user knows it, and why.
    const std::string prefix = "Cannot create folder \"" + data.Folder().Path() + "Save/\". ";
    EXPECT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << e.what();
    EXPECT_GT(std::string(e.what()).size(), prefix.size()) << "the system's reason follows";
  }
  std::filesystem::remove(data.Folder().File("Save"));
  EXPECT_NO_THROW(Data2::EnsureSaveDirectory());
  EXPECT_TRUE(Plat::DirectoryExists(Data2::SaveDirectory));
  Data2::FreeArchives();
}

// Each damaged data file stops the load with the reader's error.
TEST(GlobalDataErrors, DamagedRulesAndPrototypes) {
  struct {
    const char* File;
    std::string Content;
    const char* Message;
  } cases[] = {
      {"rules.txt", "50\r\nzwei\r\n", "'zwei' is not a valid integer value."},
      {"rules.txt", std::string(42 * 4, ' ') + "\r\n", "Stream read error."},
      {"skills.txt", "x\r\n-1\r\n", "Invalid data."},
      {"units.txt", "x\r\n100000\r\n1\r\n", "Stream read error."},
      {"sounds.txt", "0\r\n0\r\n42\r\n", "Audio stream with given ID not found (42)."},
  };
  for (const auto& c : cases) {
    TestSupport::TDemoDataDir data;
    Builder::WriteEnciphered(data.Folder().File(std::string("globals/") + c.File), c.Content);
    Data2::CreateArchives();
    try {
      Data2::CreateGlobalData();
      ADD_FAILURE() << c.File;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.File;
    }
    Data2::FreeArchives();
  }
}

}  // namespace
