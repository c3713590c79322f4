// The demo units' fight sprites: every prototype names a picture for each of
// the five fight sets in each of the eight directions, and the pictures tell
// the sets and the directions apart: a strike reaches toward the facing, a
// dead figure lies low.
#include "tools/demodata/art/demo_fighters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/data/stream.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/sprite_list.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tools/demodata/art/demo_sprites.h"
#include "tools/demodata/rules/demo_rules.h"
#include "world/data2/prototypes.h"

namespace {

using namespace GameData;

constexpr i32 Width = Builder::FighterWidth, Height = Builder::FighterHeight;
constexpr u16 Ground = 0;  // black: the ground shadow leaves no mark

// Which pixels a frame covers, drawn with its hot spot at the hot spot.
struct TInk {
  std::vector<bool> At;
  i32 Count = 0;
  f32 CentreX = 0;
  i32 Top = Height, Bottom = -1;
  bool operator==(const TInk& o) const { return At == o.At; }
};

TInk Ink(TestSupport::TGfxDisplay& display, Gfx::TSprite& sprite, i32 frame) {
  Plat::TSurface* back = display.Back();
  Gfx::FillRect(back, 0, 0, Width, Height, Ground, nullptr);
  sprite.Draw(back, frame, Builder::FighterHotX - sprite.HotX, Builder::FighterHotY - sprite.HotY, nullptr);
  TInk ink;
  ink.At.resize(Width * Height);
  for (i32 y = 0; y < Height; ++y) {
    const u16* row = reinterpret_cast<const u16*>(back->Bits() + static_cast<std::ptrdiff_t>(y) * back->Pitch());
    for (i32 x = 0; x < Width; ++x) {
      if (row[x] == Ground) continue;
      ink.At[static_cast<std::size_t>(y * Width + x)] = true;
      ++ink.Count;
      ink.CentreX += static_cast<f32>(x);
      ink.Top = std::min(ink.Top, y), ink.Bottom = std::max(ink.Bottom, y);
    }
  }
  if (ink.Count) ink.CentreX /= static_cast<f32>(ink.Count);
  return ink;
}

class DemoFighters : public ::testing::Test {
 protected:
  void SetUp() override {
    Data::TMemoryStream file(Builder::UnitPrototypeFile());
    ReadUnitPrototypes(file, Prototypes, [](u32) { return nullptr; });
    Sprites.OpenIndex(new Data::TMemoryStream(Builder::UnitSprites()));
  }
  // The sprite the prototype names, loaded for the display.
  std::unique_ptr<Gfx::TSprite> Sprite(const TUnitPrototype& p, i32 set, i32 direction) {
    Gfx::TSprite* s = Sprites.GetSprite(p.SpriteIDs[set][direction]);
    if (!s) return nullptr;
    auto loaded = TestSupport::Loaded(*s);
    Sprites.ReleaseSprite(s);
    return loaded;
  }
  Data::TDynamicArray<TUnitPrototype> Prototypes;
  Gfx::TSpriteList Sprites{3};
  TestSupport::TGfxDisplay Display{Width, Height};
};

TEST_F(DemoFighters, EverySetAndDirectionHasItsOwnMovingPicture) {
  ASSERT_EQ(Prototypes.Count(), static_cast<i32>(Builder::DemoUnitPrototypeCount));
  const i32 frames[] = {4, 6, 6, 6, 6};  // stand, die, walk, attack, cast
  for (const TUnitPrototype& p : Prototypes) {
    for (i32 set = FightStand; set <= FightCast; ++set) {
      SCOPED_TRACE("prototype " + std::to_string(p.ID) + " set " + std::to_string(set));
      std::vector<TInk> first;
      for (i32 d = 0; d < 8; ++d) {
        std::unique_ptr<Gfx::TSprite> s = Sprite(p, set, d);
        ASSERT_TRUE(s) << "direction " << d;
        EXPECT_EQ(s->FrameCount(), frames[set - FightStand]);
        EXPECT_NE(s->AlphaMode(), 0);
        EXPECT_EQ(s->HotY, Builder::FighterHotY) << "feet on the hot spot";
        first.push_back(Ink(Display, *s, 0));
        for (const TInk& other : std::vector<TInk>(first.begin(), first.end() - 1))
          EXPECT_FALSE(other == first.back()) << "direction " << d << " looks like an earlier one";
        // Every frame moves something (two facings are enough to tell).
        TInk previous = first.back();
        for (i32 f = 1; f < s->FrameCount() && d % 4 == 1; ++f) {
          TInk ink = Ink(Display, *s, f);
          EXPECT_FALSE(ink == previous) << "frame " << f << " direction " << d;
          previous = ink;
        }
      }
    }
  }
}

TEST_F(DemoFighters, StrikesReachTowardTheFacingAndTheDeadLieLow) {
  for (const TUnitPrototype& p : Prototypes) {
    SCOPED_TRACE("prototype " + std::to_string(p.ID));
    struct {
      i32 Direction, Sign;
    } facings[] = {{1, 1}, {2, 1}, {3, 1}, {5, -1}, {6, -1}, {7, -1}};
    for (const auto& f : facings) {
      const TInk stand = Ink(Display, *Sprite(p, FightStand, f.Direction), 0);
      const TInk strike = Ink(Display, *Sprite(p, FightAttack, f.Direction), 3);
      EXPECT_GT((strike.CentreX - stand.CentreX) * static_cast<f32>(f.Sign), 1.0f) << "direction " << f.Direction;
      const TInk dead = Ink(Display, *Sprite(p, FightDie, f.Direction), 5);
      EXPECT_GT(dead.Top - stand.Top, 10) << "direction " << f.Direction;
    }
    // Standing, walking, striking, casting and falling all look different.
    std::vector<TInk> sets;
    for (i32 set = FightStand; set <= FightCast; ++set) sets.push_back(Ink(Display, *Sprite(p, set, 0), 3));
    for (std::size_t a = 0; a < sets.size(); ++a)
      for (std::size_t b = a + 1; b < sets.size(); ++b) EXPECT_FALSE(sets[a] == sets[b]) << a << " " << b;
  }
}

}  // namespace
