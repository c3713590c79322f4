// The generated sprite archives of the demo data set.
#pragma once

#include <functional>
#include <string>

#include "engine/base/types.h"

namespace Builder {

// Sprite IDs the other demo files refer to.
constexpr u32 GenericSpriteID = 4999;
// Sprite-table slots the map drawing uses.
constexpr i32 FogEdgeSlot = 10;
constexpr i32 WeatherOverlaySlot = 1102;
u32 SpriteTableID(i32 slot);
u32 UnitSpriteID(u32 prototype, i32 set);  // set 0..4 map sets, 10 portrait, 11 picture
u32 SpellIconID(i32 spellNumber);
constexpr u32 FirstWindowSpriteID = 3000;
constexpr i32 WindowSpriteCount = 57;
constexpr u32 DemoUnitPrototypeCount = 5;

// "GFXL" files.
std::string CommonSprites();
std::string WindowSprites();
std::string UnitSprites();
std::string SpellSprites();
std::string InterfaceSprites();
// The 27 interface sprite IDs, slot by slot.
std::string InterfaceSpriteIDFile();
// The demo scenarios' own sprites: doodles, the city picture, merchant icons
// and an animation; and the portraits of players and speakers.
std::string ScenarioSprites();
std::string FaceSprites();
// Sprite IDs in ScenarioSprites and FaceSprites.
constexpr u32 TreeSpriteID = 100, RockSpriteID = 101, SpringSpriteID = 102, FlowersSpriteID = 103, BridgeSpriteID = 104;
constexpr u32 CityPictureID = 200, MerchantIconID = 210, AnimationSpriteID = 220;
constexpr u32 FirstFaceID = 1, FaceCount = 5;
// A "BCKG" map background of width x height tiles.
std::string Background(i16 width, i16 height);
// One whose pixels map(0, x, y) gives by map pixel.
std::string PaintedBackground(i16 width, i16 height, const std::function<u32(i32, i32, i32)>& map);

}  // namespace Builder
