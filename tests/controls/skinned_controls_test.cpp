// The skinned controls in their states (normal, hover, pressed, disabled),
// reached by real input, against golden pictures.
#include "controls/sprite_button.h"
#include "controls/sprite_scroll_bar.h"
#include "tests/controls/skin_fixture.h"

namespace SkinTest {
namespace {

using Builder::VerticalScrollBarEntry;

class SkinnedControls : public TSkinFixture {};

TEST_F(SkinnedControls, SpriteButtonStates) {
  auto* button = new Main::TSpriteButton(Win, Win);
  button->SetBounds({20, 20, 36, 36});
  const int arrows = VerticalScrollBarEntry + 4;
  button->SetSprites(Skin(arrows), Skin(arrows + 1), Skin(arrows + 2), Skin(arrows + 3));
  const Base::TRect area{16, 16, 40, 40};
  Snap(area);
  Move(28, 28);
  Snap(area);
  Press(28, 28);
  Snap(area);
  Move(100, 100);
  Snap(area);  // pressed but left: normal again
  Release(100, 100);
  button->Disable();
  Snap(area);
  ExpectPicture("sprite_button");
}

TEST_F(SkinnedControls, SpriteButtonHoverAnimation) {
  auto* button = new Main::TSpriteButton(Win, Win);
  Builder::TSpriteShape shape;
  shape.Width = shape.Height = 8;
  shape.Frames = 4;
  auto hover = TestSupport::Loaded(*Builder::MakeSprite16(shape, Builder::SolidPixels(0)));
  shape.Frames = 1;
  auto still = TestSupport::Loaded(*Builder::MakeSprite16(shape, Builder::SolidPixels(0)));
  button->SetSprites(nullptr, hover.get(), nullptr, nullptr);
  button->SetBounds({0, 0, 8, 8});
  Step(5);
  EXPECT_EQ(button->AnimFrame, 0);
  Step(5);
  EXPECT_EQ(button->AnimFrame, 1) << "the counter runs while the pointer is elsewhere";
  Move(4, 4);
  EXPECT_EQ(button->AnimFrame, 0) << "restarts when the pointer arrives";
  Step(40);
  EXPECT_EQ(button->AnimFrame, 0) << "four frames, one every 10 steps";
  Step(10);
  EXPECT_EQ(button->AnimFrame, 1);
  button->SetSprites(nullptr, still.get(), nullptr, nullptr);
  Step(100);
  EXPECT_EQ(button->AnimFrame, 0) << "a single frame never changes";
}

class SkinnedScrollBar : public TSkinFixture {
 protected:
  void SetUp() override {
    TSkinFixture::SetUp();
    Bar = new Main::TSpriteScrollBar(Win, true, 16, 24);
    Bar->SetBounds({100, 10, 118, 130});  // two pixels wider than its sprites
    Main::TScrollBarSprites s{};
    const int e = VerticalScrollBarEntry;
    for (int i = 0; i < 4; ++i) {
      s[Main::sbDecrementNormal + i] = Skin(e + 4 + i);
      s[Main::sbIncrementNormal + i] = Skin(e + 8 + i);
    }
    for (int i = 0; i < 3; ++i) s[Main::sbThumbNormal + i] = Skin(e + i);
    s[Main::sbTrack] = Skin(e + 12);
    Bar->SetSprites(s);
    Bar->Max = 10;
    Bar->Position = 3;
  }
  Main::TSpriteScrollBar* Bar = nullptr;
};

TEST_F(SkinnedScrollBar, States) {
  const Base::TRect area{96, 6, 122, 134};
  Snap(area);
  Move(109, 120);  // over the incrementing button
  Step();
  Snap(area);
  Press(109, 120);
  Step();
  Snap(area);
  Release(109, 120);
  const Base::TRect thumb = Bar->ThumbRect();
  Move(109, thumb.Top + 5);
  Step();
  Snap(area);  // thumb hovered
  Press(109, thumb.Top + 5);
  Move(150, thumb.Top + 30);
  Step();
  Snap(area);  // dragged: pressed even off the bar
  Release(150, thumb.Top + 30);
  Bar->Disable();
  Step();
  Snap(area);
  ExpectPicture("scroll_bar");
  EXPECT_EQ(Bar->Position, 8);
}

TEST_F(SkinnedScrollBar, NullSpritesSkipTheirParts) {
  Bar->SetSprites({});
  const Base::TRect area{96, 6, 122, 134};
  Snap(area);
  const u16 background = static_cast<u16>(Gfx::PackRGB565(0x304050));
  for (u16 p : Strips) ASSERT_EQ(p, background);
}

}  // namespace
}  // namespace SkinTest
