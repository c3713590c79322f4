#include "world/data2/global_data.h"

#include <memory>

#include "engine/base/base.h"
#include "engine/data/text_data.h"
#include "engine/platform/files.h"

namespace Data2 {

Data::TArchive* GlobalsArchive = nullptr;
Data::TArchive* GraphicsArchive = nullptr;
Data::TArchive* ScenarioArchive = nullptr;
Data::TArchive* SoundsArchive = nullptr;
std::string SaveDirectory;
TGlobalData* GlobalData = nullptr;

void CreateArchives() {
  SaveDirectory = Data::DataPath + "Save\\";
  // Saving a new game needs the folder; nothing else makes it.
  Plat::CreateDirectories(SaveDirectory);
  GlobalsArchive = new Data::TArchive("globals");
  GraphicsArchive = new Data::TArchive("graphics");
  ScenarioArchive = new Data::TArchive("scenario");
  SoundsArchive = new Data::TArchive("sounds");
}

void FreeArchives() {
  for (Data::TArchive** a : {&GlobalsArchive, &GraphicsArchive, &ScenarioArchive, &SoundsArchive}) {
    delete *a;
    *a = nullptr;
  }
}

void CreateGlobalData() { GlobalData = new TGlobalData; }

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

// The sprite lists of lines 8, 9, 10 and 15 open here once sprite archives exist.
void TGlobalData::OpenSpriteArchives() {}

// The audio lists of lines 11 to 13 open here once audio archives exist.
void TGlobalData::OpenAudioArchives() {}

// The interface sounds resolve against the sound list, so the sound file is
// read together with the audio lists.
void TGlobalData::ReadSoundFile() {}

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

// The sprite table resolves its IDs in the common sprite list.
void TGlobalData::ReadSpriteTable() {}

void TGlobalData::ReadWindowSpriteIDs() {
  auto s = Open(GlobalsArchive, IndexFiles[WindowSpriteIDFile]);
  for (u32& id : WindowSpriteIDs) id = static_cast<u32>(Data::ReadTextInt(*s));
}

// The standard fonts load here once bitmap fonts exist.
void TGlobalData::AcquireStandardFonts() {}

// Filled in with the game-rule values.
void TGlobalData::ReadRules() {}

// Filled in with the prototype tables.
void TGlobalData::ReadPrototypes() {}

// Device uploads of sprites and fonts come with the display device.
void TGlobalData::UploadSprites() {}

i32 TGlobalData::FindFontDescription(u32 id) const {
  for (i32 i = 0; i < FontDescriptions.Count(); ++i)
    if (FontDescriptions[i].ID == id) return i;
  return -1;
}

void TGlobalData::ReleaseAllFonts() {}

}  // namespace Data2
