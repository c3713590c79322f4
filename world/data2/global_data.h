// The global game data: everything the game needs besides the scenario,
// loaded once at start-up from the files that "default.txt" names.
#pragma once

#include <array>
#include <string>

#include "engine/base/types.h"
#include "engine/data/archive.h"
#include "engine/data/dynamic_array.h"

namespace Gfx {
class TFont;
}

namespace Data2 {

struct TFontDescription {
  char FileName[128];
  u32 ID;
  i32 RefCount;
  Gfx::TFont* Font;
};

// Lines of "default.txt", counted from 0.
enum TIndexLine : int {
  InterfaceSpriteIDFile = 0,
  InterfaceSpriteArchive = 1,
  InterfaceNameFile = 2,
  SpriteTableFile = 3,
  WindowSpriteIDFile = 4,
  RulesFile = 5,
  UnitPrototypeFile = 6,
  CommonSpriteArchive = 7,
  WindowSpriteArchive = 8,
  UnitSpriteArchive = 9,
  SoundArchive = 10,
  MusicArchive = 11,
  SpeechArchive = 12,
  SoundFile = 13,
  SpellSpriteArchive = 14,
  SpellPrototypeFile = 15,
  SkillPrototypeFile = 16,
  FontDescriptionFile = 17,
  IndexLineCount = 18,
};

constexpr int SpriteTableSize = 1142;
constexpr int WindowSpriteCount = 57;

class TGlobalData {
 public:
  // Loads everything; on failure the fonts acquired so far are released.
  TGlobalData();
  ~TGlobalData();
  TGlobalData(const TGlobalData&) = delete;
  TGlobalData& operator=(const TGlobalData&) = delete;

  void Load();
  i32 FindFontDescription(u32 id) const;

  i32 BannerCellWidth = 0;
  i32 BannerCellHeight = 0;
  u32 WindowSpriteIDs[WindowSpriteCount] = {};
  Data::TDynamicArray<TFontDescription> FontDescriptions;
  Gfx::TFont* Fonts[9] = {};
  Gfx::TFont* SpellListFont = nullptr;
  u32 MenuMusicID = 0, IntroMusicID = 0, CreditsMusicID = 0;

  // The file names of "default.txt", in line order.
  std::array<std::string, IndexLineCount> IndexFiles;

 private:
  void ReadIndex();
  void OpenSpriteArchives();
  void OpenAudioArchives();
  void ReadSoundFile();
  void ReadFontDescriptions();
  void ReadSpriteTable();
  void ReadWindowSpriteIDs();
  void AcquireStandardFonts();
  void ReadRules();
  void ReadPrototypes();
  void UploadSprites();
  void ReleaseAllFonts();
};

extern Data::TArchive* GlobalsArchive;
extern Data::TArchive* GraphicsArchive;
extern Data::TArchive* ScenarioArchive;
extern Data::TArchive* SoundsArchive;
extern std::string SaveDirectory;
extern TGlobalData* GlobalData;

// Sets (and makes) the save directory, then opens the four archives.
void CreateArchives();
void FreeArchives();
void CreateGlobalData();
void FreeGlobalData();

}  // namespace Data2
