#include "world/data2/main_data.h"

#include <memory>

#include "engine/data/text_data.h"
#include "world/data2/global_data.h"

namespace Data2 {

TMainData* MainData = nullptr;

void CreateMainData() { MainData = new TMainData; }

void FreeMainData() {
  delete MainData;
  MainData = nullptr;
}

TMainData::TMainData() { Load(); }

void TMainData::Load() {
  std::string names[3];
  {
    std::unique_ptr<Data::TStream> index(GlobalsArchive->OpenFile("default.txt"));
    for (std::string& name : names) Data::ReadTextString(*index, name);
  }
  SpriteList.OpenIndexFromArchive(GraphicsArchive, names[InterfaceSpriteArchive]);
  SpriteList.LockAll();
  {
    std::unique_ptr<Data::TStream> ids(GlobalsArchive->OpenFile(names[InterfaceSpriteIDFile]));
    for (Gfx::TSprite*& slot : InterfaceSprites) slot = SpriteList.GetLoadedSprite(static_cast<u32>(Data::ReadTextInt(*ids)));
  }
  UploadAlphaSprites(SpriteList);
  std::unique_ptr<Data::TStream> videos(GlobalsArchive->OpenFile(names[InterfaceNameFile]));
  for (char* name : VideoNames) Data::ReadTextChars(*videos, name, sizeof VideoNames[0]);
}

}  // namespace Data2
