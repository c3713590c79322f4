// The global game data: everything the game needs besides the scenario,
// loaded once at start-up from the files that "default.txt" names.
#pragma once

#include <array>
#include <string>

#include "engine/astreams/audio_list.h"
#include "engine/base/types.h"
#include "engine/data/archive.h"
#include "engine/data/dynamic_array.h"
#include "engine/gfx/sprite_list.h"
#include "world/data2/prototypes.h"

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
constexpr int MaxMissions = 30;
constexpr int RuleValueCount = 42;
constexpr int WindowSpriteCount = 57;
constexpr int InterfaceSoundCount = 19;
constexpr int WeatherSoundCount = 4;

class TGlobalData {
 public:
  // Loads everything; on failure the fonts acquired so far are released.
  TGlobalData();
  // An empty object that loads nothing: tools and tests fill it themselves.
  struct TEmpty {};
  explicit TGlobalData(TEmpty) {}
  ~TGlobalData();
  TGlobalData(const TGlobalData&) = delete;
  TGlobalData& operator=(const TGlobalData&) = delete;

  void Load();
  i32 FindFontDescription(u32 id) const;
  // The font of that ID, loaded from the "graphics" archive on its first
  // acquisition; "Font description with ID = %d not found!" when none.
  Gfx::TFont* AcquireFont(u32 id);
  // Gives the font back (deleted with its last holder) and nulls the
  // pointer; "Font description with given pointer not found!" for a font
  // that no description holds.
  void ReleaseFont(Gfx::TFont*& font);
  // Indexes in the prototype tables (first match), -1 when absent.
  i32 FindUnitPrototype(u32 id) const;
  i32 FindSpellPrototype(i16 number) const;
  i32 FindSkillPrototype(i16 number) const;

  // Slot i: the sprite whose ID is value i + 1 of the sprite table file.
  Gfx::TSprite* SpriteTable[SpriteTableSize] = {};
  i32 BannerCellWidth = 0;
  i32 BannerCellHeight = 0;
  u32 WindowSpriteIDs[WindowSpriteCount] = {};

  // The game-rule values, in the order of the rules file.
  i32 NormalMorale = 0;
  i32 MaxMorale = 0;
  i32 MinDefendMorale = 0;
  i32 UnusedRule4 = 0;
  i32 DamageMoraleFactor = 0;
  i32 KillMoraleBase = 0;
  i32 KillMoralePerLevel = 0;
  i32 SightAngleTolerance = 0;
  i32 SightEyeHeight = 0;
  i32 SightDistanceScale = 0;
  i32 SlopeThreshold1 = 0;
  i32 SlopeThreshold2 = 0;
  i32 SlopeLimit = 0;
  i32 AttackCost = 0;
  i32 UnusedRule15 = 0;
  i32 CityEntryCost = 0;
  i32 BuildingEntryCost = 0;
  i32 CityDefenceBonus = 0;
  i32 RetreatCost = 0;
  i32 UnusedRules20To27[8] = {};
  i32 DamageExperience = 0;
  i32 WoundExperience = 0;
  i32 KillExperience = 0;
  i32 DrinkMoraleGain = 0;
  i32 DrinkAttackPenalty = 0;
  i32 DrinkPenaltyTurns = 0;
  i32 DrinkMoraleCap = 0;
  i32 CorpseLifetime = 0;
  i32 DifficultyPercent[3] = {};
  i32 UnusedRules39To41[3] = {};
  i32 EffectVolume = 0;
  i32 MissionCount = 0;
  char MissionFiles[MaxMissions][128] = {};

  Data::TDynamicArray<GameData::TUnitPrototype> UnitPrototypes;
  Data::TDynamicArray<GameData::TSpellPrototype> SpellPrototypes;
  Data::TDynamicArray<GameData::TSkillPrototype> SkillPrototypes;
  // Index mode, converted to the display format.
  Gfx::TSpriteList CommonSpriteList{17};
  Gfx::TSpriteList WindowSpriteList{17};
  Gfx::TSpriteList UnitSpriteList{17};
  Gfx::TSpriteList SpellSpriteList{17};
  Data::TDynamicArray<TFontDescription> FontDescriptions;
  Gfx::TFont* Fonts[9] = {};
  Gfx::TFont* SpellListFont = nullptr;
  TAudioList SoundList;  // preloaded: its streams belong to the list
  TAudioList MusicList;
  TAudioList SpeechList;
  TAudioStream* InterfaceSounds[InterfaceSoundCount] = {};
  // The rain loop, thunder, and the loops of snow and sand storm; ID 0 is silence.
  struct TWeatherSound {
    u32 SoundID;
    i32 Volume;
  } WeatherSounds[WeatherSoundCount] = {};
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
  // The rule values in file order.
  i32* RuleValue(int index);
  TAudioStream* SoundStream(u32 soundID);
};

extern Data::TArchive* GlobalsArchive;
extern Data::TArchive* GraphicsArchive;
extern Data::TArchive* ScenarioArchive;
extern Data::TArchive* SoundsArchive;
extern std::string SaveDirectory;
extern TGlobalData* GlobalData;

// Opens the four archives, then sets (and makes) the save directory.
void CreateArchives();
// Before a game is saved: raises "Cannot create folder ..." when the save
// directory is missing and cannot be made.
void EnsureSaveDirectory();
void FreeArchives();
void CreateGlobalData();
void FreeGlobalData();
// Uploads every loaded alpha sprite of an index-mode list to the display
// device, dropping its memory copy (the list rebuilds it after a loss).
void UploadAlphaSprites(Gfx::TSpriteList& list);

}  // namespace Data2
