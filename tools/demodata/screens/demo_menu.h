// The demo's main menu and credits: the menu pictures of the window sprite
// list (background, hover beam, figure and marker, page pictures), the two
// credits pictures and "credits.txt".
#pragma once

#include <memory>
#include <string>

#include "engine/gfx/sprite.h"

namespace Builder {

// The window sprite entries that are menu pictures: 0 to 3 and 5 to 7.
bool IsMenuPictureEntry(int entry);
std::unique_ptr<Gfx::TSprite> MenuPicture(int entry);

// The credits pictures, in the window sprite list.
constexpr u32 CreditsPictureIDs[2] = {4101, 4102};
std::unique_ptr<Gfx::TSprite> CreditsPicture(int index);

std::string CreditsFile();

}  // namespace Builder
