// The unit's sprites from the global unit sprite list.
#include "engine/gfx/sprite_list.h"
#include "world/data2/global_data.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

Gfx::TSpriteList* List() { return Data2::GlobalData ? &Data2::GlobalData->UnitSpriteList : nullptr; }

void Release(Gfx::TSprite*& sprite) {
  if (sprite && List()) List()->ReleaseSprite(sprite);
  sprite = nullptr;
}

Gfx::TSprite* Take(u32 id) { return List() ? List()->GetSprite(id) : nullptr; }

}  // namespace

void TUnit::LoadSpriteSet(TUnitSpriteSet set) {
  if (!Prototype || Sprites[set][0]) return;
  for (i32 d = 0; d < 8; ++d) Sprites[set][d] = Take(Prototype->SpriteIDs[set][d]);
  // Fight sprites go to the display device once it exists.
}

void TUnit::LoadSpriteDirection(TUnitSpriteSet set, i32 direction) {
  Gfx::TSprite*& slot = Sprites[set][direction & 7];
  if (!Prototype || slot) return;
  slot = Take(Prototype->SpriteIDs[set][direction & 7]);
}

void TUnit::ReleaseSpriteSet(TUnitSpriteSet set) {
  for (Gfx::TSprite*& s : Sprites[set]) Release(s);
}

void TUnit::LoadPicture() {
  if (!Prototype || Picture) return;
  Picture = Take(Prototype->PictureID);
}

void TUnit::ReleasePicture() { Release(Picture); }

void TUnit::ReleaseAllSprites() {
  Release(Portrait);
  for (i32 set = 0; set < SpriteSetCount; ++set) ReleaseSpriteSet(static_cast<TUnitSpriteSet>(set));
  Release(Picture);
}

void TUnit::ReloadMapSprites() {
  ReleaseAllSprites();
  if (!Prototype) return;
  Portrait = Take(Prototype->PortraitID);
  LoadSpriteSet(MapStand);
  LoadSpriteSet(MapDie);
}

void TUnit::ReloadSprites() {
  if (!Prototype) return;
  u32 loaded = Portrait ? Portrait->ID : 0;
  if (loaded == Prototype->PortraitID) return;
  bool picture = Picture != nullptr;
  bool fight[SpriteSetCount] = {};
  for (i32 set = FightStand; set < SpriteSetCount; ++set) fight[set] = Sprites[set][0] != nullptr;
  ReleaseAllSprites();
  Portrait = Take(Prototype->PortraitID);
  LoadSpriteSet(MapStand);
  LoadSpriteSet(MapDie);
  if (picture) LoadPicture();
  for (i32 set = FightStand; set < SpriteSetCount; ++set)
    if (fight[set]) LoadSpriteSet(static_cast<TUnitSpriteSet>(set));
}

}  // namespace GameData
