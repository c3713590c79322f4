// Sprite drawing, checked against golden pictures (tests/engine/gfx/golden):
// keyed, shadowed, alpha, mirrored, rotated, stretched, along a line, frame
// modes, the 5-5-5 display and the restore after lost surfaces.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/gfx/bitmap.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"

namespace {

using Builder::TPixelFunction;
using Builder::TSpriteShape;
using TestSupport::Loaded;
using SpritePtr = std::unique_ptr<Gfx::TSprite>;

constexpr u32 Key = 0xF81F;
constexpr int CanvasWidth = 80, CanvasHeight = 48;

u32 Rgb565(float r, float g, float b) {
  return Builder::Rgb565(static_cast<u8>(r), static_cast<u8>(g), static_cast<u8>(b));
}

// Distance from the centre of a size x size square, 0 at the centre, 1 at
// the inscribed circle.
float Distance(int size, i32 x, i32 y) {
  const float dx = x + 0.5f - size / 2.0f, dy = y + 0.5f - size / 2.0f;
  return std::sqrt(dx * dx + dy * dy) / (size / 2.0f);
}

// A disc darkening outward on the key colour.
TPixelFunction Disc(int size, float r, float g, float b) {
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    const float d = Distance(size, x, y);
    if (d > 1) return Key;
    const float k = (1 - 0.5f * d) * (frame % 2 ? 0.6f : 1.0f);
    return Rgb565(r * k, g * k, b * k);
  };
}

// A glowing blob, its colour weighed by its alpha or not.
TPixelFunction Blob(int size, u32 rgb, bool premultiplied) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const float d = Distance(size, x, y);
    const u32 a = d >= 1 ? 0 : static_cast<u32>(255 * (1 - d));
    const float k = premultiplied ? a / 255.0f : 1.0f;
    const u32 r = static_cast<u32>((rgb >> 16 & 0xFF) * k), g = static_cast<u32>((rgb >> 8 & 0xFF) * k),
              b = static_cast<u32>((rgb & 0xFF) * k);
    return a << 24 | r << 16 | g << 8 | b;
  };
}

// An arrow pointing right, 16 x 8, its colour running from blue to yellow.
bool InArrow(i32 x, i32 y) {
  const float dy = std::fabs(y + 0.5f - 4.0f);
  return x < 9 ? dy <= 1.5f : dy <= (16 - x) * 0.55f;
}
u32 ArrowColour(i32 x) { return static_cast<u32>(x * 16) << 16 | static_cast<u32>(x * 16) << 8 | (255 - x * 16); }
TPixelFunction OpaqueArrow() {
  return [](i32, i32 x, i32 y) -> u32 { return InArrow(x, y) ? Gfx::PackRGB565(ArrowColour(x)) : Key; };
}
TPixelFunction AlphaArrow() {
  return [](i32, i32 x, i32 y) -> u32 { return InArrow(x, y) ? 0xFF000000u | ArrowColour(x) : 0; };
}

TSpriteShape Shape(i16 w, i16 h, u32 key = Key, i32 frames = 1) {
  TSpriteShape s;
  s.Width = w;
  s.Height = h;
  s.ColorKey = key;
  s.Frames = frames;
  return s;
}

SpritePtr Opaque(const TSpriteShape& shape, const TPixelFunction& pixels,
                 Builder::TSpriteEncoding encoding = Builder::TSpriteEncoding::Raw) {
  return Loaded(*Builder::MakeSprite16(shape, pixels, encoding));
}

SpritePtr Alpha(const TSpriteShape& shape, const TPixelFunction& pixels, u8 mode, bool compressed = false) {
  return Loaded(*Builder::MakeAlphaSprite(shape, pixels, mode, compressed));
}

SpritePtr Uploaded(SpritePtr sprite) {
  sprite->Upload(false);
  EXPECT_TRUE(sprite->Flags & Gfx::sfDeviceObjects);
  return sprite;
}

class SpriteScenes : public ::testing::Test {
 protected:
  void Start(bool screen555 = false) {
    Display = std::make_unique<TestSupport::TGfxDisplay>(CanvasWidth, CanvasHeight, screen555);
    Back = Display->Back();
    Background();
    Display->Framework().Device3D->BeginScene();
  }
  void TearDown() override { Display.reset(); }
  // Four bars under everything, so keys and blends show.
  void Background() {
    const u32 bars[4] = {0x203040, 0x808080, 0xC0A070, 0x406020};
    for (int i = 0; i < 4; ++i) Gfx::FillRect(Back, i * 20, 0, 20, CanvasHeight, Gfx::PackRGB565(bars[i]), nullptr);
  }
  void Expect(const char* name) {
    Display->Framework().Device3D->EndScene();
    TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, Back->Bits(), Back->Pitch(),
                                     Back->Width(), Back->Height(), !Gfx::ScreenIs565);
    Display->Framework().Device3D->BeginScene();
  }
  void DrawKeyedScene() {
    auto raw = Opaque(Shape(16, 16), Disc(16, 255, 80, 40));
    auto rle = Opaque(Shape(16, 16), Disc(16, 60, 200, 255), Builder::TSpriteEncoding::RunLength);
    auto compressed = Opaque(Shape(12, 12, Gfx::NoColor), Builder::CheckerPixels(0xFFE0, 0x001F, 3),
                             Builder::TSpriteEncoding::Compressed);
    auto device = Uploaded(Opaque(Shape(16, 16), Disc(16, 240, 240, 60)));
    raw->Draw(Back, 0, 2, 2, nullptr);
    rle->Draw(Back, 0, 22, 2, nullptr);
    rle->Draw(Back, 0, -6, 26, nullptr);
    compressed->Draw(Back, 0, 44, 4, nullptr);
    device->Draw(Back, 0, 22, 26, nullptr);
    device->Draw(Back, 0, 72, 26, nullptr);
    const Base::TRect clip{40, 20, 62, 40};
    raw->Draw(Back, 0, 44, 24, &clip);
    // Encoding 2: two literals, a run of three, two transparent pixels.
    const std::string row = std::string("\x10\x00\x02\xFD\x00\xF8\xE0\x07\x1F\x00\xDE\x00", 12);
    std::string rows;
    for (int y = 0; y < 4; ++y) rows += row;
    Gfx::TSprite rle2(0);
    rle2.Create(7, 4, 16);
    rle2.Encoding = Gfx::feRunLength2;
    rle2.ColorKey = 0;
    rle2.AssignFrame(0, Gfx::TFrame{static_cast<u32>(rows.size()), reinterpret_cast<u8*>(rows.data()), 0, nullptr});
    auto converted = Loaded(rle2);
    converted->Draw(Back, 0, 62, 4, nullptr);
  }
  void DrawAlphaScene() {
    const u8 modes[3] = {0xFF, 0xFE, 0x80};
    for (int i = 0; i < 3; ++i) {
      // Additive light is stored plain; the other modes add or mix colour
      // already weighed by its alpha.
      const auto pixels = Blob(20, i == 1 ? 0x60FF40 : 0xFF8020, modes[i] != 0xFE);
      auto onDevice = Uploaded(Alpha(Shape(20, 20, Gfx::NoColor), pixels, modes[i]));
      auto inSoftware = Alpha(Shape(20, 20, Gfx::NoColor), pixels, modes[i], i == 2);
      onDevice->Draw(Back, 0, 2 + 22 * i, 2, nullptr);
      inSoftware->Draw(Back, 0, 2 + 22 * i, 26, nullptr);
    }
    // Clipped at the right edge: the device as always, software rows by the plain mix.
    auto clipped = Alpha(Shape(20, 20, Gfx::NoColor), Blob(20, 0xFFFFFF, true), 0xFF);
    clipped->Draw(Back, 0, 68, 26, nullptr);
    Uploaded(std::move(clipped))->Draw(Back, 0, 68, 2, nullptr);
  }

  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  Plat::TSurface* Back = nullptr;
};

TEST_F(SpriteScenes, Keyed) {
  Start();
  DrawKeyedScene();
  Expect("keyed");
}

TEST_F(SpriteScenes, Shadowed) {
  Start();
  TSpriteShape shape = Shape(24, 20);
  shape.Shadow = true;
  auto raw = Opaque(shape, Disc(24, 200, 200, 255));
  auto rle = Opaque(shape, Disc(24, 255, 255, 120), Builder::TSpriteEncoding::RunLength);
  raw->Upload(false);
  EXPECT_FALSE(raw->Flags & Gfx::sfDeviceObjects) << "opaque sprites with shadows stay in software";
  raw->Draw(Back, 0, 4, 4, nullptr);
  rle->Draw(Back, 0, 36, 4, nullptr);
  rle->Draw(Back, 0, -6, 30, nullptr);
  rle->Draw(Back, 0, 64, 30, nullptr);
  Expect("shadowed");
}

TEST_F(SpriteScenes, Alpha) {
  Start();
  DrawAlphaScene();
  Expect("alpha");
}

TEST_F(SpriteScenes, Mirrored) {
  Start();
  auto opaque = Uploaded(Opaque(Shape(16, 8), OpaqueArrow()));
  auto alpha = Uploaded(Alpha(Shape(16, 8, Gfx::NoColor), AlphaArrow(), 0xFF));
  opaque->Draw(Back, 0, 4, 4, nullptr);
  opaque->DrawMirrored(Back, 0, 4, 16, nullptr);
  alpha->Draw(Back, 0, 44, 4, nullptr);
  alpha->DrawMirrored(Back, 0, 44, 16, nullptr);
  opaque->DrawMirrored(Back, 0, -6, 32, nullptr);
  alpha->DrawMirrored(Back, 0, 70, 32, nullptr);
  auto software = Opaque(Shape(16, 8), OpaqueArrow());
  software->DrawMirrored(Back, 0, 30, 32, nullptr);  // draws nothing without device objects
  Expect("mirrored");
}

TEST_F(SpriteScenes, Rotated) {
  Start();
  auto opaque = Uploaded(Opaque(Shape(16, 8), OpaqueArrow()));
  TSpriteShape centred = Shape(16, 8, Gfx::NoColor);
  centred.HotX = 8;
  centred.HotY = 4;
  auto alpha = Uploaded(Alpha(centred, AlphaArrow(), 0xFF));
  opaque->DrawRotated(Back, 0, 20, 24, static_cast<float>(std::numbers::pi / 6), 1.5f, 1.5f);
  alpha->DrawRotated(Back, 0, 58, 24, static_cast<float>(-std::numbers::pi / 4), 2.0f, 2.0f);
  EXPECT_EQ(Display->Framework().Device3D->StageState(0, Plat::TStageState::MagFilter), Plat::filterPoint)
      << "point filtering again after a rotated draw";
  Expect("rotated");
}

TEST_F(SpriteScenes, Stretched) {
  Start();
  auto opaque = Uploaded(Opaque(Shape(16, 16), Disc(16, 255, 80, 40)));
  auto alpha = Uploaded(Alpha(Shape(20, 20, Gfx::NoColor), Blob(20, 0x40C0FF, true), 0xFF));
  opaque->DrawStretched(Back, 0, {2, 2, 34, 22}, nullptr, true);
  opaque->DrawStretched(Back, 0, {2, 26, 18, 46}, nullptr, false);
  alpha->DrawStretched(Back, 0, {38, 2, 78, 46}, nullptr, true);
  const Base::TRect clip{0, 0, 40, 40};
  opaque->DrawStretched(Back, 0, {24, 26, 44, 46}, &clip, true);  // sticks out: nothing
  Expect("stretched");
}

TEST_F(SpriteScenes, AlongLines) {
  Start();
  auto arrow = Uploaded(Alpha(Shape(16, 8, Gfx::NoColor), AlphaArrow(), 0xFF));
  arrow->DrawAlongLine(0, 4, 6, 60, 14, 0);
  arrow->DrawAlongLine(0, 60, 40, 4, 30, 2);
  arrow->DrawAlongLine(0, 70, 4, 70, 44, 1);
  arrow->DrawAlongLine(0, 30, 20, 30, 20, 0);  // equal end points: nothing
  Expect("line");
}

TEST_F(SpriteScenes, FrameModes) {
  Start();
  // Last frame the background: frame 1 over frame 2.
  TSpriteShape last = Shape(12, 12, Key, 3);
  last.FrameMode = Gfx::fmLastIsBackground;
  auto background = [](i32 frame, i32 x, i32 y) -> u32 {
    if (frame == 2) return 0x001F;
    return (x + frame * 4) / 4 == y / 4 ? 0xFFE0 : Key;
  };
  Opaque(last, background)->Draw(Back, 1, 2, 2, nullptr);
  // First frame the background, drawn alone at frame 0.
  TSpriteShape first = last;
  first.FrameMode = Gfx::fmFirstIsBackground;
  auto firstBackground = [](i32 frame, i32 x, i32 y) -> u32 {
    if (frame == 0) return 0x07E0;
    return (x + frame * 4) / 4 == y / 4 ? 0xF800 : Key;
  };
  auto firstSprite = Opaque(first, firstBackground, Builder::TSpriteEncoding::RunLength);
  firstSprite->Draw(Back, 2, 18, 2, nullptr);
  firstSprite->Draw(Back, 0, 34, 2, nullptr);
  // Delta frames on the device: frame 3 shows frames 0 to 3 over each other.
  TSpriteShape delta = Shape(16, 16, Key, 4);
  delta.FrameMode = Gfx::fmDelta;
  auto squares = [](i32 frame, i32 x, i32 y) -> u32 {
    const u32 colours[4] = {0xF800, 0x07E0, 0x001F, 0xFFE0};
    return x / 8 == frame % 2 && y / 8 == frame / 2 ? colours[frame] : Key;
  };
  auto deltaSprite = Uploaded(Opaque(delta, squares));
  deltaSprite->Draw(Back, 3, 2, 20, nullptr);
  deltaSprite->Draw(Back, 1, 22, 20, nullptr);
  Opaque(delta, squares)->Draw(Back, 3, 42, 20, nullptr);  // in software a frame stands alone
  Expect("frames");
}

TEST_F(SpriteScenes, FiveFiveFiveDisplay) {
  Start(true);
  DrawKeyedScene();
  Expect("keyed555");
  Background();
  DrawAlphaScene();
  Expect("alpha555");
}

TEST_F(SpriteScenes, RestoredAfterLostSurfaces) {
  Start();
  auto blob = Uploaded(Alpha(Shape(20, 20, Gfx::NoColor), Blob(20, 0xFF8020, true), 0xFF));
  auto disc = Uploaded(Opaque(Shape(16, 16), Disc(16, 240, 240, 60)));
  auto draw = [&] {
    Background();
    blob->Draw(Back, 0, 10, 10, nullptr);
    disc->Draw(Back, 0, 40, 20, nullptr);
  };
  draw();
  std::vector<u8> before(Back->Bits(), Back->Bits() + Back->Pitch() * Back->Height());

  Display->Framework().DirectDraw->SimulateSurfaceLoss();
  ASSERT_TRUE(Display->Framework().SurfacesLost());
  ASSERT_TRUE(Display->Framework().RestoreAllSurfaces());
  draw();
  EXPECT_NE(std::vector<u8>(Back->Bits(), Back->Bits() + Back->Pitch() * Back->Height()), before)
      << "restored surfaces lost their pictures";
  Gfx::RestoreDeviceObjects();  // what the restore callback does
  draw();
  EXPECT_EQ(std::vector<u8>(Back->Bits(), Back->Bits() + Back->Pitch() * Back->Height()), before);
}

// Edge cases of the drawing rules.
TEST(SpriteDrawing, ClipsToTheTargetAndTheClip) {
  TestSupport::TGfxDisplay display(100, 4);
  Plat::TSurface* back = display.Back();
  std::vector<u16> columns(40);
  for (i32 x = 0; x < 40; ++x) columns[static_cast<std::size_t>(x)] = static_cast<u16>(x + 1);
  auto sprite = Opaque(Shape(40, 1, Gfx::NoColor), [&](i32, i32 x, i32) { return u32{columns[static_cast<std::size_t>(x)]}; });
  sprite->Draw(back, 0, -10, 0, nullptr);
  std::vector<u16> row(100);
  std::memcpy(row.data(), back->Bits(), 200);
  for (int x = 0; x < 30; ++x) EXPECT_EQ(row[static_cast<std::size_t>(x)], x + 11) << x;
  EXPECT_EQ(row[30], 0);
  // Frames out of range and empty sprites draw nothing.
  sprite->Draw(back, 1, 0, 1, nullptr);
  sprite->Draw(back, -1, 0, 1, nullptr);
  Gfx::TSprite empty(0);
  empty.Create(0, 4, 16);
  empty.Draw(back, 0, 0, 1, nullptr);
  std::memcpy(row.data(), back->Bits() + back->Pitch(), 200);
  EXPECT_EQ(row, std::vector<u16>(100, 0));
}

// A compressed alpha frame is drawn in software only whole; cut by the
// target's edge it is refused, and the target stays usable.
TEST(SpriteDrawing, CompressedAlphaCutByTheEdgeLeavesTheTargetUnlocked) {
  TestSupport::TGfxDisplay display(8, 8);
  Plat::TSurface* back = display.Back();
  TSpriteShape shape = Shape(4, 4, Gfx::NoColor);
  shape.ID = 7;
  auto sprite = Alpha(shape, Builder::SolidPixels(0xFFFF0000), 0xFF, true);
  try {
    sprite->Draw(back, 0, -2, 0, nullptr);
    ADD_FAILURE() << "drawn";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "LZRW1KH sprite not in surface! ID = 7");
  }
  EXPECT_FALSE(back->Locked());
  sprite->Draw(back, 0, 0, 0, nullptr);
  u16 pixel;
  std::memcpy(&pixel, back->Bits(), 2);
  EXPECT_EQ(pixel, 0xF800);
}

TEST(SpriteDrawing, SoftwareAlphaBlendsByMode) {
  TestSupport::TGfxDisplay display(1, 1);
  Plat::TSurface* back = display.Back();
  const struct {
    u8 Mode;
    u32 Source;
    u16 Destination;
    u16 Expected;
  } cases[] = {
      {0xFF, 0x00000000, 0x8410, 0x8410},  // premultiplied, nothing: the destination stays
      {0xFF, 0xFF102030, 0x8410, 0x1106},  // premultiplied, opaque: its own colour
      {0xFE, 0xFFC80000, 0x6000, 0xF800},  // additive: red 200 over 96 is 255
      {0x80, 0x80FF0000, 0x0000, 0x8000},  // mixed: red 255 at alpha 128 is 128
  };
  for (const auto& c : cases) {
    std::memcpy(back->Bits(), &c.Destination, 2);
    auto sprite = Alpha(Shape(1, 1, Gfx::NoColor), Builder::SolidPixels(c.Source), c.Mode);
    sprite->Draw(back, 0, 0, 0, nullptr);
    u16 result;
    std::memcpy(&result, back->Bits(), 2);
    EXPECT_EQ(result, c.Expected) << std::hex << c.Source;
  }
}

}  // namespace
