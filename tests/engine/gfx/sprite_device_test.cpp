// Device objects of sprites: what may be uploaded, what the objects hold,
// failures while making them, frames stored as surface images, and sprite
// archives that rebuild their sprites after a display change.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/gfx/sprite_list.h"
#include "tests/engine/gfx/gfx_display.h"

namespace {

using Builder::TSpriteShape;
using TestSupport::Loaded;

constexpr u32 Key = 0xF81F;

TSpriteShape Shape(i16 w, i16 h, i32 frames = 1, u32 key = Gfx::NoColor) {
  TSpriteShape s;
  s.Width = w;
  s.Height = h;
  s.Frames = frames;
  s.ColorKey = key;
  return s;
}

u16 PixelAt(Plat::TSurface* s, int x, int y) {
  u16 p;
  std::memcpy(&p, s->Bits() + y * s->Pitch() + 2 * x, 2);
  return p;
}

std::string SurfaceBytes(Plat::TSurface* s) {
  return std::string(reinterpret_cast<const char*>(s->Bits()), static_cast<std::size_t>(s->Pitch()) * s->Height());
}

TEST(SpriteDevice, ObjectsPerDrawableFrameWithComposedBackgrounds) {
  TestSupport::TGfxDisplay display(8, 8);
  // Five frames, the last a background: four surfaces, each with it beneath.
  TSpriteShape shape = Shape(4, 4, 5, Key);
  shape.FrameMode = Gfx::fmLastIsBackground;
  auto sprite = Loaded(*Builder::MakeSprite16(shape, [](i32 frame, i32 x, i32) -> u32 {
    return frame == 4 ? 0x001F : x == frame ? 0xF800 : Key;
  }));
  sprite->Upload(false);
  ASSERT_EQ(sprite->DeviceObjectCount, 4);
  for (i32 f = 0; f < 4; ++f) {
    EXPECT_EQ(PixelAt(sprite->DeviceObjects[f], f, 0), 0xF800) << f;
    EXPECT_EQ(PixelAt(sprite->DeviceObjects[f], (f + 1) % 4, 0), 0x001F) << f;
  }
  EXPECT_TRUE(sprite->DeviceObjects[0]->HasColorKey());
  EXPECT_EQ(sprite->DeviceObjects[0]->ColorKey(), Key);
}

TEST(SpriteDevice, WhatMayBeUploaded) {
  TestSupport::TGfxDisplay display(8, 8);
  TSpriteShape shadowed = Shape(4, 4);
  shadowed.Shadow = true;
  const struct {
    const char* What;
    std::function<std::unique_ptr<Gfx::TSprite>()> Make;
    bool Uploaded;
  } cases[] = {
      {"opaque", [&] { return Loaded(*Builder::MakeSprite16(Shape(4, 4), Builder::SolidPixels(1))); }, true},
      {"opaque with shadow", [&] { return Loaded(*Builder::MakeSprite16(shadowed, Builder::SolidPixels(1))); },
       false},
      {"alpha with shadow",
       [&] { return Loaded(*Builder::MakeAlphaSprite(shadowed, Builder::SolidPixels(0xFF000000), 0xFF)); }, true},
      {"empty", [] {
         auto s = std::make_unique<Gfx::TSprite>(0);
         s->Create(0, 3, 16);
         return s;
       },
       false},
  };
  for (const auto& c : cases) {
    auto sprite = c.Make();
    sprite->Upload(false);
    EXPECT_EQ((sprite->Flags & Gfx::sfDeviceObjects) != 0, c.Uploaded) << c.What;
    EXPECT_EQ(Gfx::SpriteRegistry.IndexOf(sprite.get()) >= 0, c.Uploaded) << c.What;
  }
  auto twice = Loaded(*Builder::MakeSprite16(Shape(4, 4), Builder::SolidPixels(1)));
  twice->Upload(false);
  Plat::TSurface** objects = twice->DeviceObjects;
  twice->Upload(false);
  EXPECT_EQ(twice->DeviceObjects, objects) << "a second upload does nothing";
  EXPECT_EQ(Gfx::SpriteRegistry.Count(), 1);
}

TEST(SpriteDevice, DroppingTheCpuCopy) {
  TestSupport::TGfxDisplay display(8, 8);
  auto sprite = Loaded(*Builder::MakeAlphaSprite(Shape(4, 2, 2), Builder::SolidPixels(0xFF102030), 0xFE));
  sprite->Upload(true);
  EXPECT_EQ(sprite->Flags & (Gfx::sfDeviceObjects | Gfx::sfNoCpuCopy), Gfx::sfDeviceObjects | Gfx::sfNoCpuCopy);
  for (const Gfx::TFrame& f : sprite->Frames) {
    EXPECT_EQ(f.Pixels, nullptr);
    EXPECT_EQ(f.PixelBytes, 32u) << "the byte counts stay";
  }
  EXPECT_EQ(Gfx::SpriteRegistry.Count(), 0);
  sprite->Unload();
  EXPECT_EQ(sprite->DeviceObjects, nullptr);
  EXPECT_EQ(Gfx::SpriteRegistry.Count(), 0);
}

TEST(SpriteDevice, TexturesSmallerThanTheSpriteScaleIt) {
  TestSupport::TGfxDisplay display(8, 8);
  D3DFrame::TDeviceInfo& device =
      display.Framework().Drivers[0].Devices[static_cast<std::size_t>(display.Framework().DeviceIndex)];
  device.Desc.MaxTextureWidth = 256;
  auto sprite = Loaded(*Builder::MakeAlphaSprite(Shape(300, 2), [](i32, i32 x, i32) -> u32 {
    return 0xFF000000u | static_cast<u32>(x);
  }, 0xFF));
  sprite->Upload(false);
  Plat::TSurface* texture = sprite->DeviceObjects[0];
  EXPECT_EQ(texture->Width(), 256);
  EXPECT_EQ(sprite->ScaleX, 256.0f / 300.0f);
  EXPECT_EQ(sprite->ScaleY, 1.0f);
  u32 last;
  std::memcpy(&last, texture->Bits() + 255 * 4, 4);
  EXPECT_EQ(last, 0xFF000000u | 299u) << "resampled so that the corners coincide";
  // A scaled sprite draws with linear filtering; an unscaled one with point.
  display.Framework().Device3D->BeginScene();
  sprite->Draw(display.Back(), 0, 0, 0, nullptr);
  EXPECT_EQ(display.Framework().Device3D->StageState(0, Plat::TStageState::MagFilter), Plat::filterLinear);
  auto unscaled = Loaded(*Builder::MakeAlphaSprite(Shape(4, 4), Builder::SolidPixels(0xFF000000), 0xFF));
  unscaled->Upload(false);
  unscaled->Draw(display.Back(), 0, 0, 0, nullptr);
  EXPECT_EQ(display.Framework().Device3D->StageState(0, Plat::TStageState::MagFilter), Plat::filterPoint);
  display.Framework().Device3D->EndScene();
}

TEST(SpriteDevice, AFailureLeavesWhatWasMadeAndUnloadFreesIt) {
  TestSupport::TGfxDisplay display(8, 8);
  auto sprite = Loaded(*Builder::MakeAlphaSprite(Shape(4, 4, 3), Builder::SolidPixels(0xFF000000), 0xFF));
  display.Framework().DirectDraw->FailSurfaceCreation(1);
  try {
    sprite->Upload(false);
    ADD_FAILURE() << "uploaded";
  } catch (const D3DFrame::EDirect3DError& e) {
    EXPECT_STREQ(e.what(), "Create texture failed (DDERR_OUTOFVIDEOMEMORY).");
  }
  EXPECT_FALSE(sprite->Flags & Gfx::sfDeviceObjects);
  ASSERT_NE(sprite->DeviceObjects, nullptr);
  EXPECT_NE(sprite->DeviceObjects[0], nullptr);
  EXPECT_EQ(sprite->DeviceObjects[1], nullptr);
  EXPECT_EQ(Gfx::SpriteRegistry.Count(), 0);
  sprite->Unload();
  EXPECT_EQ(sprite->DeviceObjects, nullptr);
  sprite->Upload(false);
  EXPECT_TRUE(sprite->Flags & Gfx::sfDeviceObjects) << "a later upload works";
}

// Frames stored as surface images (encodings 4 to 8), made by saving a
// sprite whose frames live in surfaces.
std::string SurfaceImageSprite(u16 encoding) {
  auto sprite = Loaded(*Builder::MakeSprite16(Shape(3, 2, 2, Key), [](i32 frame, i32 x, i32 y) -> u32 {
    return static_cast<u32>(frame * 100 + y * 10 + x);
  }));
  sprite->Upload(false);
  sprite->Encoding = encoding;
  Data::TMemoryStream s;
  sprite->Save(s);
  return s.AsString();
}

TEST(SpriteDevice, SurfaceImagesLoadAndSaveThroughTheDevice) {
  TestSupport::TGfxDisplay display(8, 8);
  const std::string bytes = SurfaceImageSprite(5);
  // ID, header, then per frame 124 bytes of description and 12 of pixels.
  ASSERT_EQ(bytes.size(), 4u + 36 + 2 * (124 + 12));
  Gfx::TSprite sprite(Gfx::sfConvert);
  Data::TMemoryStream in(bytes);
  sprite.Load(in);
  EXPECT_EQ(sprite.Flags & (Gfx::sfDeviceObjects | Gfx::sfNoCpuCopy), Gfx::sfDeviceObjects | Gfx::sfNoCpuCopy);
  ASSERT_EQ(sprite.DeviceObjectCount, 2);
  EXPECT_EQ(PixelAt(sprite.DeviceObjects[1], 2, 1), 112);
  EXPECT_EQ(sprite.DeviceObjects[0]->ColorKey(), Key) << "the stored colour key";
  EXPECT_FALSE(sprite.DeviceObjects[0]->Caps() & Plat::scSystemMemory);
  Data::TMemoryStream out;
  sprite.Save(out);
  EXPECT_EQ(out.AsString(), bytes);
  sprite.Draw(display.Back(), 1, 0, 0, nullptr);
  EXPECT_EQ(PixelAt(display.Back(), 1, 0), 101);
}

TEST(SpriteDevice, DamagedSurfaceImages) {
  TestSupport::TGfxDisplay display(8, 8);
  const std::string good = SurfaceImageSprite(8);
  const std::size_t desc = 40;  // the first frame's description
  auto patched = [&](std::size_t at, u32 value) {
    std::string b = good;
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    return b;
  };
  const struct {
    const char* What;
    std::string Bytes;
    std::string Expected;
  } cases[] = {
      {"cut in the description", good.substr(0, desc + 60), "Stream read error."},
      {"cut in the pixels", good.substr(0, good.size() - 3), "Stream read error."},
      {"other linear size", patched(desc + 16, 14), "Unequal surface sizes!"},
      {"compressed format", patched(desc + 76, Plat::pfFourCC), "CreateSurface failed (DDERR_INVALIDPIXELFORMAT)."},
      {"huge surface", patched(desc + 12, 0x7FFFFFFF), "CreateSurface failed (DDERR_OUTOFVIDEOMEMORY)."},
      {"no size", patched(desc + 8, 0), "CreateSurface failed (DDERR_INVALIDPARAMS)."},
  };
  for (const auto& c : cases) {
    Gfx::TSprite sprite(0);
    Data::TMemoryStream in(c.Bytes);
    try {
      sprite.Load(in);
      ADD_FAILURE() << c.What << " loaded";
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()), c.Expected) << c.What;
    }
  }
  {
    // A description of a large surface whose pixels the stream lacks makes
    // no surface at all.
    std::string big = good;
    for (auto [at, value] : {std::pair{desc + 8, 4000u}, {desc + 12, 4000u}, {desc + 16, 4000u * 4000u * 2u}})
      for (int i = 0; i < 4; ++i) big[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    const u64 before = display.Framework().DirectDraw->Surfaces()->VideoBytes;
    Gfx::TSprite sprite(0);
    Data::TMemoryStream in(big);
    EXPECT_THROW(sprite.Load(in), Base::EReadError);
    EXPECT_EQ(display.Framework().DirectDraw->Surfaces()->VideoBytes, before);
  }
  // A surface-image sprite whose objects were released cannot be saved.
  Gfx::TSprite sprite(0);
  Data::TMemoryStream in(good);
  sprite.Load(in);
  sprite.ReleaseDeviceObjects();
  Data::TMemoryStream out;
  EXPECT_THROW(sprite.Save(out), Gfx::EGraphicsError);
  EXPECT_EQ(out.AsString(), "");
}

TEST(SpriteDevice, ArchivesRebuildSpritesWithoutCpuCopy) {
  TestSupport::TGfxDisplay display(16, 8);
  std::vector<std::unique_ptr<Gfx::TSprite>> sprites;
  TSpriteShape opaque = Shape(4, 4, 1, Key);
  opaque.ID = 1;
  sprites.push_back(Builder::MakeSprite16(opaque, Builder::SolidPixels(0x07E0), Builder::TSpriteEncoding::RunLength));
  TSpriteShape alpha = Shape(4, 4);
  alpha.ID = 2;
  sprites.push_back(Builder::MakeAlphaSprite(alpha, Builder::SolidPixels(0xFFFF0000), 0xFF));
  Gfx::TSpriteList list(Gfx::sfIndexMode | Gfx::sfConvert);
  list.OpenIndex(new Data::TMemoryStream(Builder::SpriteListBytes(5, std::move(sprites))));
  Gfx::TSprite* a = list.GetSprite(1);
  Gfx::TSprite* b = list.GetSprite(2);
  a->Upload(true);
  b->Upload(true);
  auto draw = [&] {
    D3DFrame::ClearSurface(display.Back());
    display.Framework().Device3D->BeginScene();
    a->Draw(display.Back(), 0, 0, 0, nullptr);
    b->Draw(display.Back(), 0, 8, 0, nullptr);
    display.Framework().Device3D->EndScene();
    return SurfaceBytes(display.Back());
  };
  const std::string picture = draw();
  EXPECT_EQ(PixelAt(display.Back(), 1, 1), 0x07E0);
  EXPECT_EQ(PixelAt(display.Back(), 9, 1), 0xF800);

  list.ReleaseDeviceObjects();
  EXPECT_FALSE(a->Flags & Gfx::sfDeviceObjects);
  EXPECT_FALSE(b->Flags & Gfx::sfDeviceObjects);
  list.RecreateDeviceObjects();
  EXPECT_EQ(list.FindLoadedSprite(1), a) << "the same object, read again";
  EXPECT_EQ(a->Flags & (Gfx::sfDeviceObjects | Gfx::sfNoCpuCopy), Gfx::sfDeviceObjects | Gfx::sfNoCpuCopy);
  EXPECT_EQ(draw(), picture);

  display.Framework().DirectDraw->SimulateSurfaceLoss();
  display.Framework().RestoreAllSurfaces();
  list.RestoreDeviceObjects();
  EXPECT_EQ(draw(), picture);
  list.ReleaseSprite(a);
  list.ReleaseSprite(b);
}

// The loading worker uploads sprites while the main thread draws and the
// display keeps its surface registry.
TEST(SpriteDevice, UploadsOnAWorkerWhileTheMainThreadDraws) {
  TestSupport::TGfxDisplay display(64, 64);
  std::vector<std::unique_ptr<Gfx::TSprite>> loaded;
  for (int i = 0; i < 40; ++i) {
    if (i % 2)
      loaded.push_back(Loaded(*Builder::MakeSprite16(Shape(8, 8, 2, Key), Builder::SolidPixels(0x07E0))));
    else
      loaded.push_back(Loaded(*Builder::MakeAlphaSprite(Shape(8, 8), Builder::SolidPixels(0x80402010), 0xFF)));
  }
  auto shown = Loaded(*Builder::MakeAlphaSprite(Shape(16, 16), Builder::SolidPixels(0xFF204060), 0xFF));
  shown->Upload(false);
  std::thread worker([&] {
    for (std::size_t i = 0; i < loaded.size(); ++i) loaded[i]->Upload(i % 4 == 0);
  });
  Plat::TDevice3D* device = display.Framework().Device3D;
  for (int frame = 0; frame < 40; ++frame) {
    device->BeginScene();
    display.Framework().ClearBackBuffer();
    shown->Draw(display.Back(), 0, frame % 48, 8, nullptr);
    device->EndScene();
    display.Framework().PresentFrame();
  }
  worker.join();
  for (const auto& sprite : loaded) EXPECT_TRUE(sprite->Flags & Gfx::sfDeviceObjects);
  EXPECT_EQ(Gfx::SpriteRegistry.Count(), 1 + 30);
  Gfx::RestoreDeviceObjects();
  loaded.clear();
  EXPECT_EQ(Gfx::SpriteRegistry.Count(), 1);
}

}  // namespace
