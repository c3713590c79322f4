// The demo pictures of the city screen and the creature book: the window
// sprite entries they take (tile frame, menu-button plate, title plate, gold
// and price icons, the transfer background), the merchants' building
// pictures and one book picture per creature.
#pragma once

#include <memory>
#include <vector>

#include "engine/gfx/sprite.h"

namespace Builder {

// Window sprite list IDs beyond the 57 entries.
constexpr u32 BuildingPictureID = 3100;  // + merchant slot 0..3
constexpr u32 CreatureBookPictureID = 3200;  // + unit prototype ID

bool IsCityWindowEntry(int entry);
std::unique_ptr<Gfx::TSprite> CityWindowSprite(int entry, u32 id);
void AddCityPictures(std::vector<std::unique_ptr<Gfx::TSprite>>& list, u32 prototypeCount);

}  // namespace Builder
