// Every stored class of the engine through the one round-trip check.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/data/data_list.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite_list.h"
#include "tests/engine/data/stored_class_check.h"
#include "tools/databuilder/font_builder.h"
#include "tools/databuilder/sprite_builder.h"

namespace {

using TestSupport::TStoredClass;

Builder::TSpriteShape Shape(u32 id) {
  Builder::TSpriteShape shape;
  shape.ID = id;
  shape.Width = 6;
  shape.Height = 3;
  shape.Frames = 2;
  shape.HotX = 2;
  shape.HotY = -1;
  shape.ColorKey = 0x001F;
  shape.FrameMode = Gfx::fmLastIsBackground;
  shape.Shadow = true;
  return shape;
}

// Run-length rows with shadows, two frames, hot spot, colour key and shadow colour.
std::unique_ptr<Gfx::TSprite> Filled16(u32 id) {
  auto sprite = Builder::MakeSprite16(Shape(id), Builder::CheckerPixels(0x001F, 0xF800, 2),
                                      Builder::TSpriteEncoding::RunLength);
  sprite->ShadowColor = 0x0421;
  return sprite;
}

TEST(StoredClasses, EveryEngineClassRoundTrips) {
  const TStoredClass cases[] = {
      {.Name = "data object",
       .Make = [] { return std::make_unique<Data::TDataObject>(); },
       .Fill = [](Data::TDataObject& o) { o.ID = 258; }},
      {.Name = "data list",
       .Make = [] { return std::make_unique<Data::TDataList<Data::TDataObject>>(true); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& list = static_cast<Data::TDataList<Data::TDataObject>&>(o);
             list.ID = 9;
             for (u32 id : {3u, 5u, 7u}) {
               list.Items.Add(new Data::TDataObject);
               list.Items[list.Count() - 1]->ID = id;
             }
           }},
      {.Name = "sprite, 16 bits",
       .Make = [] { return std::make_unique<Gfx::TSprite>(0); },
       .Fill =
           [](Data::TDataObject& o) {
             o.CopyFrom(Filled16(77).get());
             o.ID = 77;
           },
       .Copies = true},
      {.Name = "sprite, 32 bits compressed",
       .Make = [] { return std::make_unique<Gfx::TSprite>(0); },
       .Fill =
           [](Data::TDataObject& o) {
             auto alpha =
                 Builder::MakeAlphaSprite(Shape(78), Builder::CheckerPixels(0x80FF0000, 0x4000FF00, 1), 0x7F, true);
             o.CopyFrom(alpha.get());
             o.ID = 78;
           },
       .Copies = true},
      {.Name = "sprite list",
       .Make = [] { return std::make_unique<Gfx::TSpriteList>(0); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& list = static_cast<Gfx::TSpriteList&>(o);
             list.ID = 40;
             for (u32 id : {1u, 2u}) list.Sprites.Items.Add(Filled16(id).release());
           },
       .Copies = true},
      // Copies leave the key colour behind.
      {.Name = "font",
       .Make = [] { return std::make_unique<Gfx::TFont>(); },
       .Fill =
           [](Data::TDataObject& o) {
             auto& font = static_cast<Gfx::TFont&>(o);
             font.Assign(Builder::MakeBoxFont(0, 5, [](u8 c) { return c % 6 - 1; }).get());
             font.ID = 31;
             font.KeyColor = Builder::FontKey;
           }},
  };
  for (const TStoredClass& c : cases) TestSupport::ExpectStoredClassRoundTrip(c);
}

}  // namespace
