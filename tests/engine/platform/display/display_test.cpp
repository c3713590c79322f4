// The software display: surfaces, the blitter, the rasterizer and the
// fabricated machine.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/platform/display/device3d.h"
#include "engine/platform/display/display.h"
#include "engine/platform/system/modules.h"

namespace {

using namespace Plat;
using u16 = std::uint16_t;
using u32 = std::uint32_t;

// A display object on the fabricated machine, windowed (no window needed).
class SoftwareDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    DisplayMachine() = FabricatedMachine();
    ASSERT_EQ(TDisplay::Create(nullptr, &Display), Result::Ok);
    ASSERT_EQ(Display->SetCooperativeLevel(nullptr, clNormal), Result::Ok);
  }
  void TearDown() override {
    for (TSurface* s : Made) s->Release();
    Display->Release();
    DisplayMachine() = FabricatedMachine();
  }
  TSurface* Make(int w, int h, u32 caps = scOffscreenPlain, const TPixelFormat* format = nullptr) {
    TSurfaceDesc d;
    d.Flags = sdCaps | sdWidth | sdHeight | (format ? sdPixelFormat : 0);
    d.Caps = caps;
    d.Width = static_cast<u32>(w);
    d.Height = static_cast<u32>(h);
    if (format) d.PixelFormat = *format;
    TSurface* s = nullptr;
    EXPECT_EQ(Display->CreateSurface(d, &s), Result::Ok);
    Made.push_back(s);
    return s;
  }
  static std::vector<u16> Pixels(TSurface* s) {
    std::vector<u16> out(static_cast<std::size_t>(s->Width()) * s->Height());
    for (int y = 0; y < s->Height(); ++y) std::memcpy(&out[static_cast<std::size_t>(y) * s->Width()], s->Bits() + y * s->Pitch(), s->Width() * 2);
    return out;
  }
  static void Put(TSurface* s, const std::vector<u16>& pixels) {
    for (int y = 0; y < s->Height(); ++y) std::memcpy(s->Bits() + y * s->Pitch(), &pixels[static_cast<std::size_t>(y) * s->Width()], s->Width() * 2);
  }
  static std::vector<u16> Sequence(int n) {
    std::vector<u16> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[i] = static_cast<u16>(i + 1);
    return v;
  }
  TDisplay* Display = nullptr;
  std::vector<TSurface*> Made;
};

TEST_F(SoftwareDisplay, BlitsFillCopyStretchMirrorAndKey) {
  TSurface* src = Make(2, 2);
  Put(src, {1, 2, 3, 4});
  TColorKey key{2, 2};
  src->SetColorKey(&key);
  const struct {
    const char* What;
    TRect Dest;
    u32 Flags;
    std::vector<u16> Expected;  // 4 x 2 destination that starts at 9
  } cases[] = {
      {"copy", {1, 0, 3, 2}, bltWait, {9, 1, 2, 9, 9, 3, 4, 9}},
      {"keyed copy", {1, 0, 3, 2}, bltKeySrc, {9, 1, 9, 9, 9, 3, 4, 9}},
      {"stretched twice as wide", {0, 0, 4, 2}, 0, {1, 1, 2, 2, 3, 3, 4, 4}},
      {"mirrored", {3, 0, 1, 2}, 0, {9, 2, 1, 9, 9, 4, 3, 9}},
      {"mirrored upside down", {3, 2, 1, 0}, 0, {9, 4, 3, 9, 9, 2, 1, 9}},
  };
  for (const auto& c : cases) {
    TSurface* dst = Make(4, 2);
    Put(dst, std::vector<u16>(8, 9));
    EXPECT_EQ(dst->Blt(&c.Dest, src, nullptr, c.Flags, nullptr), Result::Ok) << c.What;
    EXPECT_EQ(Pixels(dst), c.Expected) << c.What;
  }
  TSurface* dst = Make(4, 2);
  TBltFx fx;
  fx.FillColor = 0x1234;
  const TRect right{2, 0, 4, 2};
  EXPECT_EQ(dst->Blt(&right, nullptr, nullptr, bltColorFill, &fx), Result::Ok);
  EXPECT_EQ(Pixels(dst), (std::vector<u16>{0, 0, 0x1234, 0x1234, 0, 0, 0x1234, 0x1234}));
  const TRect outside{3, 0, 5, 2};
  EXPECT_EQ(dst->Blt(&outside, src, nullptr, 0, nullptr), Result::InvalidRect);
  TSurface* wide = Make(2, 2, scOffscreenPlain, &FormatARGB8888);
  EXPECT_EQ(dst->Blt(nullptr, wide, nullptr, 0, nullptr), Result::InvalidPixelFormat);
}

TEST_F(SoftwareDisplay, MovesWithinOneSurfaceInEitherDirection) {
  for (int dx : {-1, 1}) {
    for (int dy : {-1, 1}) {
      TSurface* s = Make(4, 4);
      Put(s, Sequence(16));
      const TRect from{1, 1, 3, 3};
      const TRect to{1 + dx, 1 + dy, 3 + dx, 3 + dy};
      ASSERT_EQ(s->Blt(&to, s, &from, 0, nullptr), Result::Ok);
      const std::vector<u16> p = Pixels(s);
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
          EXPECT_EQ(p[static_cast<std::size_t>((1 + dy + y) * 4 + 1 + dx + x)], (1 + y) * 4 + 1 + x + 1)
              << dx << "," << dy;
    }
  }
}

TEST_F(SoftwareDisplay, RotatesAboutTheDestinationCentre) {
  TSurface* src = Make(3, 1);
  Put(src, {1, 2, 3});
  TSurface* dst = Make(3, 3);
  TBltFx fx;
  fx.RotationAngle = 9000;  // a quarter turn clockwise
  const TRect dest{0, 1, 3, 2};
  ASSERT_EQ(dst->Blt(&dest, src, nullptr, bltRotationAngle, &fx), Result::Ok);
  EXPECT_EQ(Pixels(dst), (std::vector<u16>{0, 1, 0, 0, 2, 0, 0, 3, 0}));
  // Near the edge the turned picture is clipped, not refused.
  TSurface* small = Make(2, 2);
  const TRect off{-1, 0, 2, 1};
  EXPECT_EQ(small->Blt(&off, src, nullptr, bltRotationAngle, &fx), Result::Ok);
  const TRect huge{-2000000000, -5, 2000000000, 5};
  EXPECT_EQ(small->Blt(&huge, src, nullptr, bltRotationAngle, &fx), Result::Ok);
}

TEST_F(SoftwareDisplay, LocksAndTheLostFlag) {
  TSurface* s = Make(4, 4);
  TSurfaceDesc d;
  const TRect part{1, 2, 3, 4};
  ASSERT_EQ(s->Lock(&part, d), Result::Ok);
  EXPECT_EQ(d.Width, 4u) << "the description holds the whole surface";
  EXPECT_EQ(d.Surface, s->Bits() + 2 * s->Pitch() + 2);
  EXPECT_EQ(d.LinearSize, 32u);
  EXPECT_EQ(s->Lock(nullptr, d), Result::SurfaceBusy);
  EXPECT_EQ(s->Blt(nullptr, s, nullptr, 0, nullptr), Result::SurfaceBusy);
  EXPECT_EQ(s->Unlock(), Result::Ok);
  EXPECT_EQ(s->Unlock(), Result::NotLocked);

  Put(s, Sequence(16));
  Display->SimulateSurfaceLoss();
  EXPECT_EQ(s->IsLost(), Result::SurfaceLost);
  EXPECT_EQ(s->Lock(nullptr, d), Result::SurfaceLost);
  TBltFx fx;
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, bltColorFill, &fx), Result::SurfaceLost);
  EXPECT_EQ(Display->RestoreAllSurfaces(), Result::Ok);
  EXPECT_EQ(s->IsLost(), Result::Ok);
  EXPECT_NE(Pixels(s), Sequence(16)) << "a restored surface lost its contents";
}

TEST_F(SoftwareDisplay, RefusesSurfacesItCannotMake) {
  TSurfaceDesc d;
  d.Flags = sdCaps | sdWidth | sdHeight | sdPixelFormat;
  d.Caps = scTexture;
  d.Width = d.Height = 8;
  TSurface* s = nullptr;
  const struct {
    const char* What;
    TPixelFormat Format;
    u32 Width;
    HRESULT Expected;
  } cases[] = {
      {"compressed", {pfFourCC, MakeFourCC('D', 'X', 'T', '5'), 0, 0, 0, 0, 0}, 8, Result::InvalidPixelFormat},
      {"8 bits", FormatRGB332, 8, Result::InvalidPixelFormat},
      {"no width", FormatRGB565, 0, Result::InvalidParams},
      {"too wide", FormatRGB565, 40000, Result::OutOfVideoMemory},
  };
  for (const auto& c : cases) {
    d.PixelFormat = c.Format;
    d.Width = c.Width;
    EXPECT_EQ(Display->CreateSurface(d, &s), c.Expected) << c.What;
    EXPECT_EQ(s, nullptr);
  }
  // The video memory is shared by all surfaces of the display object.
  DisplayMachine().VideoMemory = 4096;
  TDisplay* small = nullptr;
  ASSERT_EQ(TDisplay::Create(nullptr, &small), Result::Ok);
  d.PixelFormat = FormatARGB8888;
  d.Width = d.Height = 32;
  ASSERT_EQ(small->CreateSurface(d, &s), Result::Ok);
  TSurface* second = nullptr;
  EXPECT_EQ(small->CreateSurface(d, &second), Result::OutOfVideoMemory);
  s->Release();
  EXPECT_EQ(small->CreateSurface(d, &second), Result::Ok);
  second->Release();
  small->Release();
}

TEST_F(SoftwareDisplay, ListsEachModeOnceAndProvidesTheLibrary) {
  std::vector<TSurfaceDesc> modes;
  Display->EnumDisplayModes(
      [](const TSurfaceDesc& m, void* c) {
        static_cast<std::vector<TSurfaceDesc>*>(c)->push_back(m);
        return true;
      },
      &modes);
  // Three 16-bit sizes at two refresh rates each, one 8-bit and one 32-bit mode.
  EXPECT_EQ(modes.size(), 5u);
  EXPECT_NE(LoadModule("DDRAW.DLL"), nullptr);
  UnregisterModule("ddraw.dll");
  EXPECT_EQ(LoadModule("ddraw.dll"), nullptr);
  RestoreBuiltInModule("ddraw.dll");
  TModule m = LoadModule("ddraw.dll");
  EXPECT_NE(GetModuleProc(m, "DirectDrawCreateEx"), nullptr);
  EXPECT_NE(GetModuleProc(m, "DirectDrawEnumerateExA"), nullptr);
}

// The rasterizer, through a device on a small render target.
class Rasterizer : public SoftwareDisplay {
 protected:
  void SetUp() override {
    SoftwareDisplay::SetUp();
    Target = Make(8, 8, scOffscreenPlain | sc3DDevice);
    TDirect3D* d3d = nullptr;
    ASSERT_EQ(Display->QueryDirect3D(&d3d), Result::Ok);
    ASSERT_EQ(d3d->CreateDevice(DeviceTnLHardware, Target, &Device), Result::Ok);
    d3d->Release();
    Texture = Make(4, 4, scTexture, &FormatARGB8888);
    for (int i = 0; i < 16; ++i) {
      // Opaque texels whose red in 5 bits is the texel's number from 1.
      const u32 t = 0xFF000000u | static_cast<u32>(i + 1) << 19;
      std::memcpy(Texture->Bits() + 4 * i, &t, 4);
    }
    Device->SetTexture(0, Texture);
    Device->SetTextureStageState(0, TStageState::Address, addressClamp);
    Device->BeginScene();
  }
  void TearDown() override {
    Device->EndScene();
    Device->Release();
    SoftwareDisplay::TearDown();
  }
  void Quad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
            TPrimitive as = TPrimitive::TriangleFan) {
    TTLVertex v[6];
    const float corners[4][4] = {{x0, y0, u0, v0}, {x1, y0, u1, v0}, {x1, y1, u1, v1}, {x0, y1, u0, v1}};
    for (int i = 0; i < 4; ++i) {
      v[i].X = corners[i][0];
      v[i].Y = corners[i][1];
      v[i].U = corners[i][2];
      v[i].V = corners[i][3];
    }
    if (as == TPrimitive::TriangleFan) {
      ASSERT_EQ(Device->DrawPrimitive(as, fvfTLVertex, v, 4, 0), Result::Ok);
      return;
    }
    const TTLVertex list[6] = {v[0], v[1], v[2], v[0], v[2], v[3]};
    ASSERT_EQ(Device->DrawPrimitive(as, fvfTLVertex, list, 6, 0), Result::Ok);
  }
  // The texel number each target pixel shows (0: none).
  std::vector<int> Texels() const {
    std::vector<int> out;
    for (u16 p : Pixels(Target)) out.push_back(p >> 11);
    return out;
  }
  TSurface* Target = nullptr;
  TSurface* Texture = nullptr;
  TDevice3D* Device = nullptr;
};

TEST_F(Rasterizer, PixelCentresOnIntegersAndTheTopLeftRule) {
  // A 4 x 4 quad at the origin covers exactly pixels 0..3 of rows 0..3, the
  // corner pixel included: its centre lies on the top and left edges.
  Quad(0, 0, 4, 4, 0, 0, 1, 1);
  const std::vector<int> t = Texels();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(t[static_cast<std::size_t>(y * 8 + x)] != 0, x < 4 && y < 4) << x << "," << y;
}

TEST_F(Rasterizer, PointSamplingMapsTexelsToPixelsAndLinearBlends) {
  // With the system's small negative offset each pixel takes its own texel.
  const float end = (4 + 0.01f) / 4;
  Quad(2, 2, 6, 6, 0, 0, end, end);
  const std::vector<int> t = Texels();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(t[static_cast<std::size_t>((y + 2) * 8 + x + 2)], y * 4 + x + 1) << x << "," << y;

  // Linear filtering at a pixel centre half way between two texel centres
  // mixes them equally: red 0 and 248 give 124.
  const u32 dark = 0xFF000000u, bright = 0xFFF80000u;
  std::memcpy(Texture->Bits(), &dark, 4);
  std::memcpy(Texture->Bits() + 4, &bright, 4);
  Put(Target, std::vector<u16>(64, 0));
  Device->SetTextureStageState(0, TStageState::MagFilter, filterLinear);
  Quad(0, 0, 1, 1, 1.0f / 4, 0.5f / 4, 2.0f / 4, 1.5f / 4);
  EXPECT_EQ(Pixels(Target)[0] >> 11, 124 >> 3);
}

TEST_F(Rasterizer, FastPathsGiveWhatTheTrianglePathGives) {
  // Texels of every channel, half transparent, so blends and filters show.
  for (int i = 0; i < 16; ++i) {
    const u32 t = 0x80000000u | static_cast<u32>(i * 0x0F1D2B) | 0x00400000u;
    std::memcpy(Texture->Bits() + 4 * i, &t, 4);
  }
  Device->SetRenderState(TRenderState::AlphaBlendEnable, 1);
  Device->SetRenderState(TRenderState::SrcBlend, blendSrcAlpha);
  Device->SetRenderState(TRenderState::DestBlend, blendInvSrcAlpha);
  const struct {
    const char* What;
    u32 Filter;
    float X0, Y0, X1, Y1, U0, V0, U1, V1;
  } quads[] = {
      {"point, one texel a pixel", filterPoint, 1, 1, 5, 5, 0, 0, 4.01f / 4, 4.01f / 4},
      {"linear, one texel a pixel", filterLinear, 0.99f, 1.99f, 4.99f, 5.99f, 0, 0, 1, 1},
      {"linear, stretched", filterLinear, 0, 0, 7, 6, 0, 0, 1, 1},
      {"linear, mirrored", filterLinear, 1, 1, 7, 7, 1, 0, 0, 1},
  };
  for (const auto& q : quads) {
    Device->SetTextureStageState(0, TStageState::MagFilter, q.Filter);
    Device->SetTextureStageState(0, TStageState::MinFilter, q.Filter);
    Put(Target, Sequence(64));
    Quad(q.X0, q.Y0, q.X1, q.Y1, q.U0, q.V0, q.U1, q.V1);
    const std::vector<u16> fast = Pixels(Target);
    Put(Target, Sequence(64));
    Quad(q.X0, q.Y0, q.X1, q.Y1, q.U0, q.V0, q.U1, q.V1, TPrimitive::TriangleList);
    EXPECT_EQ(Pixels(Target), fast) << q.What;
    EXPECT_NE(fast, Sequence(64)) << q.What;
  }
}

TEST_F(Rasterizer, WildCoordinatesAreHarmless) {
  for (u32 address : {addressClamp, addressWrap})
    for (u32 filter : {filterPoint, filterLinear}) {
      Device->SetTextureStageState(0, TStageState::Address, address);
      Device->SetTextureStageState(0, TStageState::MagFilter, filter);
      Device->SetTextureStageState(0, TStageState::MinFilter, filter);
      Quad(-1e30f, -3, 1e30f, 9, -1e25f, 3e20f, 1e25f, -7e30f);
      Quad(0.5f, 0.5f, 7.5f, 1.5f, 0, 0, 1e9f, 1);
      Quad(1, 1, 6, 6, 1e35f, 0, -1e35f, 1, TPrimitive::TriangleList);
      const float nan = std::numeric_limits<float>::quiet_NaN();
      Quad(nan, 0, 4, 4, 0, 0, 1, 1);
    }
}

TEST_F(Rasterizer, SharedEdgesAreDrawnOnce) {
  // Adding the same texel twice would double a pixel on the shared diagonal.
  Device->SetRenderState(TRenderState::AlphaBlendEnable, 1);
  Device->SetRenderState(TRenderState::SrcBlend, blendOne);
  Device->SetRenderState(TRenderState::DestBlend, blendOne);
  TTLVertex v[4];
  const float corners[4][2] = {{0.3f, 0.2f}, {7.1f, 1.4f}, {6.2f, 7.7f}, {0.9f, 6.3f}};
  for (int i = 0; i < 4; ++i) {
    v[i].X = corners[i][0];
    v[i].Y = corners[i][1];
  }
  ASSERT_EQ(Device->DrawPrimitive(TPrimitive::TriangleFan, fvfTLVertex, v, 4, 0), Result::Ok);
  int covered = 0;
  for (int value : Texels()) {
    EXPECT_TRUE(value == 0 || value == 1) << value;
    covered += value;
  }
  EXPECT_GT(covered, 30);
  EXPECT_EQ(Device->DrawPrimitive(TPrimitive::TriangleFan, 0x42, v, 4, 0), Result::InvalidVertexFormat);
  Device->EndScene();
  EXPECT_EQ(Device->DrawPrimitive(TPrimitive::TriangleFan, fvfTLVertex, v, 4, 0), Result::SceneNotInScene);
  Device->BeginScene();
}

}  // namespace
