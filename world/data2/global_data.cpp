#include "world/data2/global_data.h"

#include <cstring>
#include <memory>

#include "engine/base/base.h"
#include "engine/data/text_data.h"
#include "engine/gfx/font.h"
#include "engine/platform/system/files.h"

namespace Data2 {

Data::TArchive* GlobalsArchive = nullptr;
Data::TArchive* GraphicsArchive = nullptr;
Data::TArchive* ScenarioArchive = nullptr;
Data::TArchive* SoundsArchive = nullptr;
std::string SaveDirectory;
TGlobalData* GlobalData = nullptr;

void CreateArchives() {
  GlobalsArchive = new Data::TArchive("globals");
  GraphicsArchive = new Data::TArchive("graphics");
  ScenarioArchive = new Data::TArchive("scenario");
  SoundsArchive = new Data::TArchive("sounds");
  // Only a data path that holds the game gets a save folder; if it cannot be
  // made, saving says so.
  SaveDirectory = Data::DataPath + "Save\\";
  Plat::CreateDirectories(SaveDirectory);
}

void EnsureSaveDirectory() {
  std::string error;
  if (Plat::CreateDirectories(SaveDirectory, error)) return;
  throw Base::EFCreateError(
      Base::Format("Cannot create folder \"%s\". %s", Plat::DisplayPath(SaveDirectory).c_str(), error.c_str()));
}

void FreeArchives() {
  for (Data::TArchive** a : {&GlobalsArchive, &GraphicsArchive, &ScenarioArchive, &SoundsArchive}) {
    delete *a;
    *a = nullptr;
  }
}

void CreateGlobalData() { GlobalData = new TGlobalData; }

void UploadAlphaSprites(Gfx::TSpriteList& list) {
  for (const Gfx::TSpriteEntry& entry : list.Index)
    if (entry.Sprite && entry.Sprite->AlphaMode() != 0) entry.Sprite->Upload(true);
}

void FreeGlobalData() {
  delete GlobalData;
  GlobalData = nullptr;
}

TGlobalData::TGlobalData() {
  try {
    Load();
  } catch (...) {
    ReleaseAllFonts();
    throw;
  }
}

TGlobalData::~TGlobalData() { ReleaseAllFonts(); }

void TGlobalData::Load() {
  ReadIndex();
  OpenSpriteArchives();
  OpenAudioArchives();
  ReadSoundFile();
  ReadFontDescriptions();
  ReadSpriteTable();
  ReadWindowSpriteIDs();
  AcquireStandardFonts();
  ReadRules();
  ReadPrototypes();
  UploadSprites();
}

namespace {

std::unique_ptr<Data::TStream> Open(Data::TArchive* archive, const std::string& name) {
  return std::unique_ptr<Data::TStream>(archive->OpenFile(name));
}

}  // namespace

void TGlobalData::ReadIndex() {
  auto s = Open(GlobalsArchive, "default.txt");
  for (std::string& name : IndexFiles) Data::ReadTextString(*s, name);
}

void TGlobalData::OpenSpriteArchives() {
  CommonSpriteList.OpenIndexFromArchive(GraphicsArchive, IndexFiles[CommonSpriteArchive]);
  CommonSpriteList.LockAll();
  WindowSpriteList.OpenIndexFromArchive(GraphicsArchive, IndexFiles[WindowSpriteArchive]);
  UnitSpriteList.OpenIndexFromArchive(GraphicsArchive, IndexFiles[UnitSpriteArchive]);
  SpellSpriteList.OpenIndexFromArchive(GraphicsArchive, IndexFiles[SpellSpriteArchive]);
}

void TGlobalData::OpenAudioArchives() {
  SoundList.OpenFromArchive(SoundsArchive, IndexFiles[SoundArchive], true);
  MusicList.OpenFromArchive(SoundsArchive, IndexFiles[MusicArchive], false);
  SpeechList.OpenFromArchive(SoundsArchive, IndexFiles[SpeechArchive], false);
}

void TGlobalData::ReadSoundFile() {
  auto s = Open(GlobalsArchive, IndexFiles[SoundFile]);
  for (TAudioStream*& sound : InterfaceSounds) sound = SoundStream(static_cast<u32>(Data::ReadTextInt(*s)));
  for (TWeatherSound& w : WeatherSounds) {
    w.SoundID = static_cast<u32>(Data::ReadTextInt(*s));
    w.Volume = Data::ReadTextInt(*s);
  }
  MenuMusicID = static_cast<u32>(Data::ReadTextInt(*s));
  IntroMusicID = static_cast<u32>(Data::ReadTextInt(*s));
  CreditsMusicID = static_cast<u32>(Data::ReadTextInt(*s));
}

void TGlobalData::ReadFontDescriptions() {
  auto s = Open(GlobalsArchive, IndexFiles[FontDescriptionFile]);
  i32 count = Data::ReadTextInt(*s);
  Data::CheckData(count >= 0);
  // Each description takes at least two tokens of two bytes.
  Data::CheckAvailable(*s, count, 4);
  FontDescriptions.SetCount(count);
  for (TFontDescription& d : FontDescriptions) {
    d.ID = static_cast<u32>(Data::ReadTextInt(*s));
    Data::ReadTextChars(*s, d.FileName, sizeof d.FileName);
    d.RefCount = 0;
    d.Font = nullptr;
  }
}

void TGlobalData::ReadSpriteTable() {
  auto s = Open(GlobalsArchive, IndexFiles[SpriteTableFile]);
  for (Gfx::TSprite*& slot : SpriteTable) {
    u32 id = static_cast<u32>(Data::ReadTextInt(*s));
    slot = id == 0 ? nullptr : CommonSpriteList.GetLoadedSprite(id);
  }
  BannerCellWidth = Data::ReadTextInt(*s);
  BannerCellHeight = Data::ReadTextInt(*s);
}

void TGlobalData::ReadWindowSpriteIDs() {
  auto s = Open(GlobalsArchive, IndexFiles[WindowSpriteIDFile]);
  for (u32& id : WindowSpriteIDs) id = static_cast<u32>(Data::ReadTextInt(*s));
}

void TGlobalData::AcquireStandardFonts() {
  for (u32 id = 1; id <= 8; ++id) Fonts[id - 1] = AcquireFont(id);
  Fonts[8] = AcquireFont(27);
}

Gfx::TFont* TGlobalData::AcquireFont(u32 id) {
  const i32 index = FindFontDescription(id);
  if (index < 0) throw std::runtime_error(Base::Format("Font description with ID = %d not found!", id));
  TFontDescription& d = FontDescriptions[index];
  if (d.RefCount == 0) {
    auto font = std::make_unique<Gfx::TFont>();
    font->LoadFromArchive(GraphicsArchive, d.FileName);
    d.Font = font.release();
  }
  ++d.RefCount;
  return d.Font;
}

void TGlobalData::ReleaseFont(Gfx::TFont*& font) {
  if (!font) return;
  i32 index = 0;
  while (index < FontDescriptions.Count() && FontDescriptions[index].Font != font) ++index;
  if (index == FontDescriptions.Count()) throw std::runtime_error("Font description with given pointer not found!");
  TFontDescription& d = FontDescriptions[index];
  if (d.RefCount > 0 && --d.RefCount == 0) {
    delete d.Font;
    d.Font = nullptr;
  }
  font = nullptr;
}

i32* TGlobalData::RuleValue(int index) {
  // Values 1..19 and 28..42 are named fields; 20..27 and 39..41 unused slots.
  i32* const named[] = {&NormalMorale,       &MaxMorale,         &MinDefendMorale,    &UnusedRule4,
                        &DamageMoraleFactor, &KillMoraleBase,    &KillMoralePerLevel, &SightAngleTolerance,
                        &SightEyeHeight,     &SightDistanceScale, &SlopeThreshold1,   &SlopeThreshold2,
                        &SlopeLimit,         &AttackCost,        &UnusedRule15,       &CityEntryCost,
                        &BuildingEntryCost,  &CityDefenceBonus,  &RetreatCost};
  if (index < 19) return named[index];
  if (index < 27) return &UnusedRules20To27[index - 19];
  i32* const later[] = {&DamageExperience,     &WoundExperience,      &KillExperience,  &DrinkMoraleGain,
                        &DrinkAttackPenalty,   &DrinkPenaltyTurns,    &DrinkMoraleCap,  &CorpseLifetime,
                        &DifficultyPercent[0], &DifficultyPercent[1], &DifficultyPercent[2],
                        &UnusedRules39To41[0], &UnusedRules39To41[1], &UnusedRules39To41[2], &EffectVolume};
  return later[index - 27];
}

void TGlobalData::ReadRules() {
  auto s = Open(GlobalsArchive, IndexFiles[RulesFile]);
  for (int i = 0; i < RuleValueCount; ++i) *RuleValue(i) = Data::ReadTextInt(*s);
  MissionCount = Data::ReadTextInt(*s);
  // The list holds thirty names; a longer campaign cannot be stored.
  Data::CheckData(MissionCount >= 0 && MissionCount <= MaxMissions);
  std::memset(MissionFiles, 0, sizeof MissionFiles);
  for (int i = 0; i < MissionCount; ++i) Data::ReadTextChars(*s, MissionFiles[i], sizeof MissionFiles[i]);
}

TAudioStream* TGlobalData::SoundStream(u32 soundID) { return SoundList.GetStream(soundID); }

void TGlobalData::ReadPrototypes() {
  {
    auto s = Open(GlobalsArchive, IndexFiles[UnitPrototypeFile]);
    GameData::ReadUnitPrototypes(*s, UnitPrototypes, [this](u32 id) { return SoundStream(id); });
  }
  {
    auto s = Open(GlobalsArchive, IndexFiles[SpellPrototypeFile]);
    // Each spell's icon stays loaded; an unknown icon is simply missing.
    GameData::ReadSpellPrototypes(
        *s, SpellPrototypes, [this](u32 id) { return SoundStream(id); },
        [this](u32 id) { SpellSpriteList.TryLockSprite(id); });
  }
  auto s = Open(GlobalsArchive, IndexFiles[SkillPrototypeFile]);
  GameData::ReadSkillPrototypes(*s, SkillPrototypes);
}

i32 TGlobalData::FindUnitPrototype(u32 id) const {
  for (i32 i = 0; i < UnitPrototypes.Count(); ++i)
    if (UnitPrototypes[i].ID == id) return i;
  return -1;
}

i32 TGlobalData::FindSpellPrototype(i16 number) const {
  for (i32 i = 0; i < SpellPrototypes.Count(); ++i)
    if (SpellPrototypes[i].Number == number) return i;
  return -1;
}

i32 TGlobalData::FindSkillPrototype(i16 number) const {
  for (i32 i = 0; i < SkillPrototypes.Count(); ++i)
    if (SkillPrototypes[i].Number == number) return i;
  return -1;
}

// Alpha sprites draw through the display device; the third and fourth
// standard fonts keep their glyphs on it, black on a key of black or white.
void TGlobalData::UploadSprites() {
  UploadAlphaSprites(CommonSpriteList);
  if (Fonts[2]) Fonts[2]->Upload(0, 0);
  if (Fonts[3]) Fonts[3]->Upload(0, 0xFFFFFF);
}

i32 TGlobalData::FindFontDescription(u32 id) const {
  for (i32 i = 0; i < FontDescriptions.Count(); ++i)
    if (FontDescriptions[i].ID == id) return i;
  return -1;
}

void TGlobalData::ReleaseAllFonts() {
  for (Gfx::TFont*& font : Fonts) ReleaseFont(font);
  for (TFontDescription& d : FontDescriptions)
    if (d.RefCount > 0) {
      delete d.Font;
      d.Font = nullptr;
      d.RefCount = 0;
    }
}

}  // namespace Data2
