// The display framework on the software display: enumeration and choice of
// drivers, devices and modes, the display builds with their errors and
// fall-backs, surfaces, textures, presentation and lost surfaces.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/d3dframe/d3dframe.h"
#include "engine/platform/window/headless_platform.h"

namespace {

using namespace Plat;
using D3DFrame::TD3DFramework;

bool GameFilter(const TSurfaceDesc* m) {
  return m->PixelFormat.BitCount == 16 && ((m->Width == 640 && m->Height == 480) ||
                                           (m->Width == 800 && m->Height == 600) ||
                                           (m->Width == 1024 && m->Height == 768));
}

LRESULT Proc(HWND hWnd, UINT msg, WPARAM w, LPARAM l) { return Current().DefWindowProc(hWnd, msg, w, l); }

// The error's text, or "" when fn raised none.
template <class E = std::exception>
std::string ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const E& e) {
    return e.what();
  }
  return "";
}

TMachineDevice Device(const char* name, const TGuid& guid, bool hardware) {
  TMachineDevice d = FabricatedMachine().Adapters[0].Devices[0];
  d.Name = name;
  d.Desc.DeviceGuid = guid;
  d.Desc.DevCaps = hardware ? dvHardwareRasterization : 0;
  return d;
}

class Framework : public ::testing::Test {
 protected:
  void SetUp() override {
    DisplayMachine() = FabricatedMachine();
    Install(std::make_unique<THeadlessPlatform>());
    Os = static_cast<THeadlessPlatform*>(&Current());
    TWndClass wc;
    wc.WndProc = Proc;
    wc.ClassName = "Test";
    Os->RegisterClass(wc);
    Window = Os->CreateWindow("Test", "t", WS_POPUP, 0, 0, 0, 800, 600);
  }
  void TearDown() override {
    D3DFramework = nullptr;
    Install(nullptr);
    DisplayMachine() = FabricatedMachine();
    RestoreBuiltInModule("ddraw.dll");
  }
  std::unique_ptr<TD3DFramework> Make(u32 flags = 3, D3DFrame::TModeFilter filter = GameFilter, int w = 800,
                                      int h = 600) {
    return std::make_unique<TD3DFramework>(Window, "Orvandia", flags, w, h, 16, filter);
  }
  TMachineAdapter& Adapter() { return DisplayMachine().Adapters[0]; }

  THeadlessPlatform* Os = nullptr;
  HWND Window = nullptr;
  const TRect Client{50, 60, 850, 660};
};

TEST_F(Framework, EnumeratesTheGamesModesSorted) {
  auto f = Make();
  ASSERT_EQ(f->DriverCount(), 1);
  const D3DFrame::TDriverInfo& d = f->Drivers[0];
  EXPECT_TRUE(d.Primary);
  EXPECT_TRUE(d.CanRenderWindowed);
  EXPECT_STREQ(d.Description, "Orvandia software display");
  ASSERT_EQ(d.Modes.size(), 3u) << "refresh rates are not listed, 8- and 32-bit modes are filtered";
  EXPECT_EQ(d.Modes[0].Width, 640u);
  EXPECT_EQ(d.Modes[2].Width, 1024u);
  EXPECT_EQ(d.DefaultMode, 1);
  ASSERT_EQ(d.Devices.size(), 1u);
  EXPECT_EQ(d.DefaultHardwareDevice, 0);
  EXPECT_EQ(d.DefaultSoftwareDevice, -1);
  EXPECT_EQ(d.Devices[0].Modes.size(), 3u);
  EXPECT_EQ(f->DefaultWindowedDriver, 0);

  // Without a filter the 32-bit mode follows the 16-bit ones; 8 bits never show.
  auto all = Make(3, nullptr);
  ASSERT_EQ(all->Drivers[0].Modes.size(), 4u);
  EXPECT_EQ(all->Drivers[0].Modes[3].PixelFormat.BitCount, 32u);
}

TEST_F(Framework, DropsDriversAndDevicesThatDoNotFit) {
  const std::string none = "No drivers or 3D devices were enumerated.";
  EXPECT_EQ(ErrorOf<D3DFrame::EDirectDrawError>([&] { Make(3, [](const TSurfaceDesc*) { return false; }); }), none);
  EXPECT_EQ(ErrorOf([&] { Make(3, GameFilter, 700, 500); }), none) << "flag 2 needs the requested size";
  EXPECT_EQ(Make(1, GameFilter, 700, 500)->Drivers[0].DefaultMode, 0) << "without flag 2 the first mode";

  const struct {
    const char* What;
    std::function<void(TMachineAdapter&)> Change;
  } broken[] = {
      {"no display object", [](TMachineAdapter& a) { a.CreateResult = Result::Generic; }},
      {"no identifier", [](TMachineAdapter& a) { a.IdentifierResult = Result::Generic; }},
      {"no capabilities", [](TMachineAdapter& a) { a.CapsResult = Result::Generic; }},
      {"no modes", [](TMachineAdapter& a) { a.ModesResult = Result::Generic; }},
      {"no Direct3D", [](TMachineAdapter& a) { a.Direct3DResult = Result::Generic; }},
      {"no devices", [](TMachineAdapter& a) { a.DevicesResult = Result::Generic; }},
      {"device without z-buffers",
       [](TMachineAdapter& a) { a.HardwareCaps.SurfaceCaps &= ~scZBuffer; }},
      {"device without 16-bit rendering", [](TMachineAdapter& a) { a.Devices[0].Desc.RenderBitDepths = rd32; }},
      {"device without z-buffer formats", [](TMachineAdapter& a) { a.Devices[0].ZBufferFormats.clear(); }},
  };
  for (const auto& b : broken) {
    DisplayMachine() = FabricatedMachine();
    TMachineAdapter second = Adapter();
    second.Primary = false;
    second.Guid = {7, 7, 7, {}};
    second.Description = "second";
    b.Change(Adapter());
    DisplayMachine().Adapters.push_back(second);
    auto f = Make();
    ASSERT_EQ(f->DriverCount(), 1) << b.What;
    EXPECT_STREQ(f->Drivers[0].Description, "second") << b.What;
    EXPECT_FALSE(f->Drivers[0].Primary);
  }
  // A device that draws without a z-buffer needs none.
  DisplayMachine() = FabricatedMachine();
  Adapter().HardwareCaps.SurfaceCaps &= ~scZBuffer;
  Adapter().Devices[0].Desc.RasterCaps = rcZBufferlessHSR;
  EXPECT_EQ(Make()->DriverCount(), 1);
}

TEST_F(Framework, ChoosesTheDefaultDevices) {
  Adapter().Devices = {Device("reference", DeviceReference, false), Device("software", DeviceSoftware, false),
                       Device("tnl", DeviceTnLHardware, true), Device("hal", DeviceHardware, true),
                       Device("reference 2", DeviceReference, false)};
  auto f = Make();
  EXPECT_EQ(f->Drivers[0].DefaultHardwareDevice, 2) << "the T&L device wins over the plain one";
  EXPECT_EQ(f->Drivers[0].DefaultSoftwareDevice, 1) << "any software device wins over the reference";
  f->InitializeFullscreen(-1, -1, -1);
  EXPECT_EQ(f->DeviceIndex, 2);
  f->SetFullscreen(1, -1);
  EXPECT_EQ(f->DeviceIndex, 1);
}

TEST_F(Framework, NeedsItsLibrary) {
  UnregisterModuleProc("ddraw.dll", "DirectDrawEnumerateExA");
  EXPECT_EQ(ErrorOf([&] { Make(); }),
            "Function 'DirectDrawEnumerateExA' not found in library (The specified procedure could not be found).");
  UnregisterModule("ddraw.dll");
  EXPECT_EQ(ErrorOf([&] { Make(); }),
            "Load library 'ddraw.dll' failed (The specified module could not be found).");
}

TEST_F(Framework, FullScreenShowsFramesByFlipping) {
  auto f = Make();
  f->InitializeFullscreen(-1, -1, -1);
  EXPECT_FALSE(f->Windowed);
  EXPECT_EQ(f->ModeIndex, 1);
  EXPECT_EQ(f->DisplayMode.Width, 800u);
  EXPECT_TRUE(D3DFrame::IsRGB565(&f->DisplayMode));
  EXPECT_EQ(f->PresentRect, (TRect{0, 0, 800, 600}));
  EXPECT_TRUE(Os->Fullscreen);
  EXPECT_EQ(Os->ModeWidth, 800);
  ASSERT_NE(f->BackBuffer, nullptr);
  EXPECT_TRUE(f->BackBuffer->Caps() & scBackBuffer) << "the flip chain's back buffer";

  TBltFx fx;
  fx.FillColor = 0xF800;
  f->BackBuffer->Blt(nullptr, nullptr, nullptr, bltColorFill, &fx);
  f->PresentFrame();
  EXPECT_EQ(Os->PresentCount, 1);
  EXPECT_EQ(Os->LastFrame.size(), 800u * 600u);
  EXPECT_EQ(Os->LastFrame[12345], 0xF800);
  f->ClearBackBuffer();
  f->PresentFrame();
  EXPECT_EQ(Os->LastFrame[12345], 0);

  f->ChangeMode(2);
  EXPECT_EQ(f->DisplayMode.Width, 1024u);
  EXPECT_EQ(Os->ModeWidth, 1024);
}

TEST_F(Framework, AWindowShowsFramesByBlitting) {
  auto f = Make();
  f->InitializeWindowed(-1, -1, &Client);
  EXPECT_TRUE(f->Windowed);
  EXPECT_EQ(f->PresentRect, Client);
  EXPECT_EQ(f->BackBuffer->Width(), 800);
  EXPECT_FALSE(Os->Fullscreen);
  f->PresentFrame();
  EXPECT_EQ(Os->PresentCount, 1);
  f->SetWindowPosition(10, 20);
  EXPECT_EQ(f->PresentRect, (TRect{10, 20, 810, 620}));
  const TRect smaller{0, 0, 400, 300};
  f->ChangeWindow(&smaller);
  EXPECT_EQ(f->BackBuffer->Width(), 400);
  EXPECT_EQ(f->DisplayMode.Height, 300u);
  // Switching to full screen makes the display object again.
  f->SetFullscreen(-1, 0);
  EXPECT_FALSE(f->Windowed);
  EXPECT_EQ(f->DisplayMode.Width, 640u);
  EXPECT_TRUE(Os->Fullscreen);
}

TEST_F(Framework, BuildErrorsSayWhatFailed) {
  const std::string advice =
      "\n\nCould not create 3D device. The 3D hardware may not support rendering in the current display mode. "
      "Change display mode of your desktop or select software rasterizer.";
  const struct {
    const char* What;
    std::function<void()> Change;
    bool Windowed;
    std::string Expected;
  } cases[] = {
      {"no windowed rendering", [&] { Adapter().HardwareCaps.Flags = 0; }, true,
       "Driver does not support windowed mode."},
      {"256-colour desktop", [&] { DisplayMachine().Desktop.Format = FormatRGB332; }, true,
       "Application requires 16-bit or higher display mode to run in a window."},
      {"mode refused", [&] { Adapter().SetModeResult = Result::InvalidMode; }, false,
       "SetDisplayMode failed (DDERR_INVALIDMODE)."},
      {"cooperative level refused", [&] { Adapter().CooperativeLevelResult = Result::Generic; }, false,
       "SetCooperativeLevel for DirectDraw failed (DDERR_GENERIC)."},
      {"3D device, full screen", [&] { Adapter().Devices[0].CreateResult = Result::Generic; }, false,
       "CreateDevice failed (DDERR_GENERIC)."},
      {"3D device, windowed", [&] { Adapter().Devices[0].CreateResult = Result::Generic; }, true,
       "CreateDevice failed (DDERR_GENERIC)." + advice},
      {"video memory", [&] { DisplayMachine().SurfacesBeforeFailure = 0; }, false,
       "CreateSurface failed (DDERR_OUTOFVIDEOMEMORY).\n\nNot enough video memory for hardware device."},
  };
  for (const auto& c : cases) {
    DisplayMachine() = FabricatedMachine();
    c.Change();
    auto f = Make();
    const std::string error = ErrorOf<EDirectXError>([&] {
      if (c.Windowed)
        f->InitializeWindowed(-1, -1, &Client);
      else
        f->InitializeFullscreen(-1, -1, -1);
    });
    EXPECT_EQ(error, c.Expected) << c.What;
  }
  EXPECT_TRUE(Os->MessageBoxes.empty()) << "the game's flags never switch to software";
}

TEST_F(Framework, FallsBackToTheSoftwareDeviceWhenAllowed) {
  Adapter().Devices.push_back(Device("software", DeviceSoftware, false));
  Adapter().Devices[0].CreateResult = Result::Generic;
  auto f = Make(3 | D3DFrame::fwSoftwareFallback);
  f->InitializeWindowed(-1, -1, &Client);
  EXPECT_EQ(f->DeviceIndex, 1);
  ASSERT_NE(f->Device3D, nullptr);
  ASSERT_EQ(Os->MessageBoxes.size(), 1u);
  EXPECT_EQ(Os->MessageBoxes[0].Text,
            "CreateDevice failed (DDERR_GENERIC).\n\nCould not create 3D device. The 3D hardware may not support "
            "rendering in the current display mode. Switching to software rasterizer.");
  EXPECT_EQ(Os->MessageBoxes[0].Caption, "Orvandia");

  // Too little video memory for the hardware device in full screen: the
  // software device's mode of the same size.
  auto g = Make(3 | D3DFrame::fwSoftwareFallback);
  DisplayMachine().SurfacesBeforeFailure = 0;
  Adapter().Devices[0].CreateResult = Result::Ok;
  g->InitializeFullscreen(-1, 0, -1);
  EXPECT_EQ(g->DeviceIndex, 1);
  EXPECT_EQ(g->DisplayMode.Width, 800u);
  EXPECT_EQ(Os->MessageBoxes.back().Text,
            "CreateSurface failed (DDERR_OUTOFVIDEOMEMORY).\n\nNot enough video memory for hardware device. "
            "Switching to software rasterizer.");
}

TEST_F(Framework, TexturesFollowTheDeviceRules) {
  const struct {
    const char* What;
    u32 Caps;
    u32 MaxWidth;
    int Width, Height;
    int ExpectedWidth, ExpectedHeight;
  } cases[] = {
      {"no rules", 0, 2048, 40, 40, 40, 40},
      {"power of two", tcPow2, 2048, 40, 40, 64, 64},
      {"power of two, then the limit", tcPow2, 256, 300, 20, 256, 32},
      {"no limit reported: 256", 0, 0, 300, 20, 256, 20},
      {"square only", tcSquareOnly, 2048, 30, 20, 30, 30},
  };
  for (const auto& c : cases) {
    DisplayMachine() = FabricatedMachine();
    TDeviceDesc& desc = Adapter().Devices[0].Desc;
    desc.TextureCaps = c.Caps;
    desc.MaxTextureWidth = desc.MaxTextureHeight = c.MaxWidth;
    auto f = Make();
    f->InitializeWindowed(-1, -1, &Client);
    TSurface* t = f->CreateTexture(c.Width, c.Height, 0, nullptr);
    EXPECT_EQ(t->Width(), c.ExpectedWidth) << c.What;
    EXPECT_EQ(t->Height(), c.ExpectedHeight) << c.What;
    EXPECT_EQ(t->PixelFormat(), FormatARGB4444) << "the first with alpha and the display's 16 bits";
    t->Release();
  }
  DisplayMachine() = FabricatedMachine();
  Adapter().Devices[0].TextureFormats = {FormatRGB565};
  auto f = Make();
  f->InitializeWindowed(-1, -1, &Client);
  EXPECT_EQ(ErrorOf<D3DFrame::EDirect3DError>([&] { f->CreateTexture(8, 8, 0, nullptr); }),
            "Proper texture format not found.");
  const TPixelFormat compressed{pfFourCC, MakeFourCC('D', 'X', 'T', '1'), 0, 0, 0, 0, 0};
  EXPECT_EQ(ErrorOf<D3DFrame::EDirect3DError>([&] { f->CreateTexture(8, 8, 0, &compressed); }),
            "Create texture failed (DDERR_INVALIDPIXELFORMAT).");
}

TEST_F(Framework, TheTextureCacheSkipsRepeatedSettings) {
  auto f = Make();
  f->InitializeWindowed(-1, -1, &Client);
  TSurface* t = f->CreateTexture(8, 8, 0, nullptr);
  const u32 before = f->Device3D->TextureSetCount;
  f->SetTexture(t, 0);
  f->SetTexture(t, 0);
  EXPECT_EQ(f->Device3D->TextureSetCount, before + 1);
  f->SetTexture(t, 8);  // no such stage
  EXPECT_EQ(f->Device3D->TextureSetCount, before + 1);
  f->ChangeWindow(&Client);
  EXPECT_EQ(f->TextureCache[0], nullptr);
  EXPECT_EQ(f->Device3D->Texture(0), nullptr) << "a new device starts with stage 0 empty";
  t->Release();
}

TEST_F(Framework, BackBufferAccessAndSceneState) {
  auto f = Make();
  f->InitializeWindowed(-1, -1, &Client);
  EXPECT_TRUE(f->LockBackBuffer());
  EXPECT_TRUE(f->LockBackBuffer());
  EXPECT_EQ(f->LockDesc.Pitch, 1600);
  f->UnlockBackBuffer();
  EXPECT_FALSE(f->BackBufferLocked) << "two locks and one unlock leave it unlocked";
  EXPECT_TRUE(f->GetBackBufferDC());
  EXPECT_FALSE(f->LockBackBuffer()) << "the context holds the surface";
  f->ReleaseBackBufferDC();
  EXPECT_FALSE(f->BackBufferDCHeld);

  f->SetAmbientLight(1.0f, 1.0f, 1.0f);
  EXPECT_EQ(f->Device3D->RenderState(TRenderState::Ambient), 0xFFFFFFFFu);
  f->SetAmbientLight(0.5f, 0.0f, 1.0f);
  EXPECT_EQ(f->Device3D->RenderState(TRenderState::Ambient), 0xFF7F00FFu);
  f->SetViewport(0, 0, 800, 600);
  EXPECT_EQ(ErrorOf<D3DFrame::EDirect3DError>([&] { f->SetViewport(0, 0, 801, 600); }),
            "SetViewport failed (DDERR_INVALIDPARAMS).");
  TSurfaceDesc bad = D3DFrame::InitSurfaceDesc(sdCaps, scOffscreenPlain);
  EXPECT_EQ(ErrorOf<D3DFrame::EDirectDrawError>([&] { f->CreateSurface(&bad); }),
            "CreateSurface failed (DDERR_INVALIDPARAMS).");
}

TEST_F(Framework, CooperativeLevelAndLostSurfaces) {
  auto f = Make();
  f->InitializeFullscreen(-1, -1, -1);
  const struct {
    HRESULT Answer;
    int Expected;
  } levels[] = {{Result::Ok, 0},
                {Result::ExclusiveModeAlreadySet, 1},
                {Result::NoExclusiveMode, 1},
                {Result::WrongMode, 2}};
  for (const auto& l : levels) {
    DisplayMachine().CooperativeLevel = l.Answer;
    EXPECT_EQ(f->TestCooperativeLevel(), l.Expected);
  }
  DisplayMachine().CooperativeLevel = Result::Ok;
  EXPECT_FALSE(f->SurfacesLost());
  f->DirectDraw->SimulateSurfaceLoss();
  EXPECT_TRUE(f->SurfacesLost());
  f->PresentFrame();
  EXPECT_EQ(Os->PresentCount, 0) << "a lost surface shows nothing";
  EXPECT_TRUE(f->RestoreAllSurfaces());
  EXPECT_FALSE(f->SurfacesLost());
  f->PresentFrame();
  EXPECT_EQ(Os->PresentCount, 1);
}

}  // namespace
