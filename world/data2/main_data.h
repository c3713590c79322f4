// The interface data: the mouse cursors and a few pictures of the interface
// from one sprite archive, and the names of the videos the game plays. Loaded
// on the main thread at start-up, before the window system, from the first
// three files of "default.txt".
#pragma once

#include "engine/gfx/sprite_list.h"

namespace Data2 {

constexpr int InterfaceSpriteCount = 27;
constexpr int VideoNameCount = 9;

// Slots of InterfaceSprites with a fixed role.
enum TInterfaceSlot : int {
  isDefaultCursor = 1,
  isLoadingPicture = 24,
  isTickerBackground = 25,
};

class TMainData {
 public:
  // Loads; an error passes on.
  TMainData();
  TMainData(const TMainData&) = delete;
  TMainData& operator=(const TMainData&) = delete;

  void Load();

  // Slot i: the sprite whose ID is value i + 1 of the interface sprite ID
  // file, null for ID 0; the sprites belong to SpriteList.
  Gfx::TSprite* InterfaceSprites[InterfaceSpriteCount] = {};
  Gfx::TSpriteList SpriteList{17};
  // Looked for in the folder "Video" of the data path.
  char VideoNames[VideoNameCount][128] = {};
};

extern TMainData* MainData;

void CreateMainData();
void FreeMainData();

}  // namespace Data2
