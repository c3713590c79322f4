// Graphics set-up: the colour layout and texel-offset probe, texture formats,
// rectangle fills, ARGB uploads and the device-loss registry.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/gfx/bitmap.h"
#include "engine/gfx/kernels.h"
#include "tests/engine/gfx/gfx_display.h"

namespace {

using TestSupport::TGfxDisplay;

std::vector<u16> Row(Plat::TSurface* s, int y) {
  std::vector<u16> row(static_cast<std::size_t>(s->Width()));
  std::memcpy(row.data(), s->Bits() + y * s->Pitch(), row.size() * 2);
  return row;
}

TEST(GraphicsStartup, LearnsTheLayoutAndMeasuresTheTexelOffset) {
  for (bool is555 : {false, true}) {
    TGfxDisplay display(64, 48, is555);
    EXPECT_EQ(Gfx::ScreenIs565, !is555);
    // Pixel centres lie on integers, so the probe's corner pixel is covered.
    EXPECT_EQ(Gfx::TexelOffset, -0.01f);
    EXPECT_EQ(Row(display.Back(), 0), std::vector<u16>(64, 0)) << "the back buffer is cleared afterwards";
    EXPECT_EQ(display.Framework().Device3D->Texture(0), nullptr) << "the probe's texture is gone";
  }
  const float before = Gfx::TexelOffset;
  Gfx::Startup();
  EXPECT_TRUE(Gfx::ScreenIs565) << "without a framework";
  EXPECT_EQ(Gfx::TexelOffset, before);
}

TEST(GraphicsStartup, ChoosesTextureFormats) {
  TGfxDisplay display(8, 8);
  std::vector<Plat::TPixelFormat>& formats =
      display.Framework().Drivers[0].Devices[static_cast<std::size_t>(display.Framework().DeviceIndex)].TextureFormats;
  const Plat::TPixelFormat dxt3{Plat::pfFourCC, Plat::MakeFourCC('D', 'X', 'T', '3'), 0, 0, 0, 0, 0};
  const Plat::TPixelFormat dxt5{Plat::pfFourCC, Plat::MakeFourCC('D', 'X', 'T', '5'), 0, 0, 0, 0, 0};
  const Plat::TPixelFormat oneBitAlpha{Plat::pfRGB | Plat::pfAlphaPixels, 0, 16, 0x7C00, 0x03E0, 0x1F, 0x8000};
  const struct {
    std::vector<Plat::TPixelFormat> Offered;
    Plat::TPixelFormat Compressed, Uncompressed;
  } cases[] = {
      {{Plat::FormatARGB8888, dxt3}, dxt3, Plat::FormatARGB8888},
      {{dxt3, dxt5, Plat::FormatARGB4444}, dxt5, Plat::FormatARGB4444},
      {{oneBitAlpha, Plat::FormatARGB4444}, Plat::FormatARGB4444, Plat::FormatARGB4444},
  };
  for (const auto& c : cases) {
    formats = c.Offered;
    EXPECT_EQ(Gfx::ChooseCompressedTextureFormat(), c.Compressed);
    EXPECT_EQ(Gfx::ChooseUncompressedTextureFormat(), c.Uncompressed);
  }
  formats = {Plat::FormatRGB565, oneBitAlpha};
  try {
    Gfx::ChooseUncompressedTextureFormat();
    ADD_FAILURE() << "chose a format";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "No valid textures enumerated.");
  }
}

TEST(GraphicsFills, ClipAndConvert) {
  for (bool is555 : {false, true}) {
    TGfxDisplay display(8, 4, is555);
    const Base::TRect clip{0, 0, 6, 4};
    Gfx::FillRect(display.Back(), -2, 1, 5, 2, 0xF81F, &clip);
    Gfx::FillRect(display.Back(), 5, 0, 0, 4, 0xFFFF, nullptr);  // nothing: width 0
    Gfx::FrameRect(display.Back(), 7, 3, 1, 1, 0x07E0, nullptr);
    const u16 magenta = is555 ? 0x7C1F : 0xF81F, green = is555 ? 0x03E0 : 0x07E0;
    EXPECT_EQ(Row(display.Back(), 1), (std::vector<u16>{magenta, magenta, magenta, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Row(display.Back(), 3), (std::vector<u16>{0, 0, 0, 0, 0, 0, 0, green}));
  }
  Gfx::TBitmap bitmap(4, 2, 16);
  const Base::TRect clip{1, 0, 4, 1};
  Gfx::FillBitmapRect(&bitmap, {-5, -5, 3, 5}, 0x1234, &clip);
  u16 first[4];
  std::memcpy(first, bitmap.ScanLine(0), 8);
  EXPECT_EQ(std::vector<u16>(first, first + 4), (std::vector<u16>{0, 0x1234, 0x1234, 0}));
  std::memcpy(first, bitmap.ScanLine(1), 8);
  EXPECT_EQ(std::vector<u16>(first, first + 4), std::vector<u16>(4, 0));
}

TEST(GraphicsUpload, ArgbIntoTextureLayouts) {
  TGfxDisplay display(8, 8);
  Plat::TSurface* t4444 = display.Framework().CreateTexture(4, 2, 0, &Plat::FormatARGB4444);
  const std::vector<u32> black(2, 0xFF000000u);
  Gfx::UploadARGB(t4444, black.data(), 1, 2);
  EXPECT_EQ(Row(t4444, 0), (std::vector<u16>{0xF000, 0, 0, 0})) << "zero beyond the width";
  t4444->Release();

  Plat::TSurface* t8888 = display.Framework().CreateTexture(2, 2, 0, &Plat::FormatARGB8888);
  const std::vector<u32> pixels{0x80112233u, 0x01020304u};
  Gfx::UploadARGB(t8888, pixels.data(), 2, 1);
  u32 texels[4];
  std::memcpy(texels, t8888->Bits(), 8);
  std::memcpy(texels + 2, t8888->Bits() + t8888->Pitch(), 8);
  EXPECT_EQ(std::vector<u32>(texels, texels + 4), (std::vector<u32>{0x80112233u, 0x01020304u, 0, 0}))
      << "rows below the height are zero";
  t8888->Release();
}

TEST(GraphicsRegistry, SpritesFollowDisplayChanges) {
  TGfxDisplay display(8, 8);
  Builder::TSpriteShape shape;
  shape.Width = shape.Height = 4;
  auto sprite = TestSupport::Loaded(*Builder::MakeSprite16(shape, Builder::SolidPixels(0x1234)));
  sprite->Upload(false);
  EXPECT_EQ(Gfx::SpriteRegistry.IndexOf(sprite.get()), 0);
  Gfx::ReleaseDeviceObjects();
  EXPECT_FALSE(sprite->Flags & Gfx::sfDeviceObjects);
  EXPECT_EQ(sprite->DeviceObjects, nullptr);
  EXPECT_EQ(Gfx::SpriteRegistry.IndexOf(sprite.get()), 0) << "released sprites stay registered";
  Gfx::RestoreDeviceObjects();
  EXPECT_FALSE(sprite->Flags & Gfx::sfDeviceObjects) << "restore only remakes what exists";
  Gfx::RecreateDeviceObjects();
  EXPECT_TRUE(sprite->Flags & Gfx::sfDeviceObjects);
  // Released and then deleted: the sprite must not stay in the registry.
  Gfx::ReleaseDeviceObjects();
  sprite.reset();
  EXPECT_EQ(Gfx::SpriteRegistry.Count(), 0);
}

}  // namespace
