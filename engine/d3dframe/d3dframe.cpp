// Initialisation and the display builds: DirectDraw for the chosen driver,
// the cooperative level, the mode or window, the surfaces and the 3D device,
// with the fall-backs to the software device.
#include <algorithm>
#include <string>

#include "engine/d3dframe/d3dframe.h"
#include "engine/platform/window/platform.h"

using namespace Plat;

namespace D3DFrame {

namespace {

constexpr const char* DeviceFailedSwitching =
    "\n\nCould not create 3D device. The 3D hardware may not support rendering in the current display mode. "
    "Switching to software rasterizer.";
constexpr const char* DeviceFailedAdvice =
    "\n\nCould not create 3D device. The 3D hardware may not support rendering in the current display mode. "
    "Change display mode of your desktop or select software rasterizer.";
constexpr const char* NoVideoMemorySwitching =
    "\n\nNot enough video memory for hardware device. Switching to software rasterizer.";
constexpr const char* NoVideoMemory = "\n\nNot enough video memory for hardware device.";

// The same kind of error with text appended and the same result code.
template <class E>
[[noreturn]] void Raise(const EDirectXError& e, const char* text) {
  E extended(std::string(e.what()) + text);
  extended.Code = e.Code;
  throw extended;
}

[[noreturn]] void RaiseWithText(const EDirectXError& e, const char* text) {
  if (dynamic_cast<const ECreate3DDeviceError*>(&e)) Raise<ECreate3DDeviceError>(e, text);
  if (dynamic_cast<const EDirect3DError*>(&e)) Raise<EDirect3DError>(e, text);
  if (dynamic_cast<const EDirectDrawError*>(&e)) Raise<EDirectDrawError>(e, text);
  Raise<EDirectXError>(e, text);
}

int FindMode(const std::vector<TSurfaceDesc>& modes, const TSurfaceDesc& like) {
  for (int i = 0; i < static_cast<int>(modes.size()); ++i)
    if (modes[i].Width == like.Width && modes[i].Height == like.Height &&
        modes[i].PixelFormat.BitCount == like.PixelFormat.BitCount)
      return i;
  return -1;
}

}  // namespace

void TD3DFramework::InitializeFullscreen(int driver, int device, int mode) {
  Initialize(false, driver, device, mode, nullptr);
}

void TD3DFramework::InitializeWindowed(int driver, int device, const TRect* clientRect) {
  Initialize(true, driver, device, -1, clientRect);
}

void TD3DFramework::Initialize(bool windowed, int driver, int device, int mode, const TRect* clientRect) {
  ReleaseAll();
  Windowed = windowed ? 1 : 0;
  if (driver >= 0 && driver < DriverCount())
    DriverIndex = driver;
  else if (windowed && DefaultWindowedDriver != -1)
    DriverIndex = DefaultWindowedDriver;
  else
    DriverIndex = DefaultDriver;
  CreateDirectDraw();
  BuildDisplay(device, mode, clientRect);
}

void TD3DFramework::CreateDirectDraw() {
  const TDriverInfo& d = Drivers[DriverIndex];
  HRESULT r = DirectDrawCreateEx(d.Primary ? nullptr : &d.Guid, &DirectDraw);
  if (Failed(r)) throw EDirectDrawError("Create DirectDraw failed (%s).", r);
  if ((Flags & fwDirect3D) && Failed(DirectDraw->QueryDirect3D(&Direct3D)))
    throw EDirect3DError(std::string("Create Direct3D failed."));
  const u32 level = Windowed ? (clNormal | clFpuSetup) : (clFullscreen | clExclusive | clFpuSetup);
  r = DirectDraw->SetCooperativeLevel(Window, level);
  if (Failed(r)) throw EDirectDrawError("SetCooperativeLevel for DirectDraw failed (%s).", r);
}

void TD3DFramework::SetFullscreen(int device, int mode) { CreateDisplay(false, device, mode, nullptr); }

void TD3DFramework::SetWindowed(int device, const TRect* clientRect) { CreateDisplay(true, device, -1, clientRect); }

void TD3DFramework::ChangeMode(int mode) { CreateDisplay(false, DeviceIndex, mode, nullptr); }

void TD3DFramework::ChangeWindow(const TRect* clientRect) { CreateDisplay(true, DeviceIndex, -1, clientRect); }

void TD3DFramework::SetWindowPosition(int x, int y) {
  PresentRect = {x, y, x + static_cast<int>(DisplayMode.Width), y + static_cast<int>(DisplayMode.Height)};
}

void TD3DFramework::CreateDisplay(bool windowed, int device, int mode, const TRect* clientRect) {
  if (!DirectDraw || windowed != (Windowed != 0)) {
    ReleaseAll();
    Windowed = windowed ? 1 : 0;
    CreateDirectDraw();
  }
  BuildDisplay(device, mode, clientRect);
}

const std::vector<TSurfaceDesc>& TD3DFramework::ModeList() const {
  const TDriverInfo& d = Drivers[DriverIndex];
  return (Flags & fwDirect3D) ? d.Devices[DeviceIndex].Modes : d.Modes;
}

bool TD3DFramework::OnHardwareDevice() const {
  return (Flags & fwDirect3D) && Drivers[DriverIndex].Devices[DeviceIndex].Hardware;
}

void TD3DFramework::BuildDisplay(int device, int mode, const TRect* clientRect) {
  TDriverInfo& d = Drivers[DriverIndex];
  try {
    Release3DDevice();
    ReleaseSurfaces();
    if (Flags & fwDirect3D)
      DeviceIndex = device >= 0 && device < static_cast<int>(d.Devices.size()) ? device
                    : d.DefaultHardwareDevice != -1                            ? d.DefaultHardwareDevice
                                                                               : d.DefaultSoftwareDevice;
    if (!Windowed) {
      const std::vector<TSurfaceDesc>& modes = ModeList();
      const int fallback = (Flags & fwDirect3D) ? d.Devices[DeviceIndex].DefaultMode : d.DefaultMode;
      ModeIndex = mode >= 0 && mode < static_cast<int>(modes.size()) ? mode : fallback;
      DisplayMode = modes[ModeIndex];
      PresentRect = {0, 0, static_cast<int>(DisplayMode.Width), static_cast<int>(DisplayMode.Height)};
      HRESULT r = DirectDraw->SetDisplayMode(DisplayMode.Width, DisplayMode.Height, DisplayMode.PixelFormat.BitCount);
      if (Failed(r)) throw EDirectDrawError("SetDisplayMode failed (%s).", r);
    } else {
      // Without a rectangle the window is taken to have the default size.
      PresentRect = clientRect ? *clientRect : TRect{0, 0, DefaultWidth, DefaultHeight};
      TSurfaceDesc desktop;
      HRESULT r = DirectDraw->GetDisplayMode(desktop);
      if (Failed(r)) throw EDirectDrawError("GetDisplayMode failed (%s).", r);
      DisplayMode = desktop;
      DisplayMode.Width = static_cast<u32>(std::max(1, PresentRect.Width()));
      DisplayMode.Height = static_cast<u32>(std::max(1, PresentRect.Height()));
      if (!d.CanRenderWindowed) throw EDirect3DError(std::string("Driver does not support windowed mode."));
      if (desktop.PixelFormat.BitCount <= 8)
        throw EDirect3DError(std::string("Application requires 16-bit or higher display mode to run in a window."));
    }
    CreateSurfaces();
    if (Flags & fwDirect3D) {
      TDeviceInfo& info = d.Devices[DeviceIndex];
      HRESULT r = Direct3D->CreateDevice(info.Guid, BackBuffer, &Device3D);
      if (Failed(r)) throw ECreate3DDeviceError("CreateDevice failed (%s).", r);
      SetViewport(0, 0, static_cast<int>(DisplayMode.Width), static_cast<int>(DisplayMode.Height));
      if (info.TextureFormats.empty()) EnumTextureFormats();
    }
  } catch (const ECreate3DDeviceError& e) {
    if (!(Flags & fwDirect3D) || !Windowed || !OnHardwareDevice()) throw;
    if (!(Flags & fwSoftwareFallback) || d.DefaultSoftwareDevice == -1) RaiseWithText(e, DeviceFailedAdvice);
    if (Installed()) Current().MessageBox(Window, std::string(e.what()) + DeviceFailedSwitching, Title, MB_ICONERROR);
    BuildDisplay(d.DefaultSoftwareDevice, mode, clientRect);
  } catch (const EDirectXError& e) {
    if (e.Code != Result::OutOfVideoMemory || !OnHardwareDevice()) throw;
    const int software = d.DefaultSoftwareDevice;
    const int softwareMode = software == -1 || Windowed ? -1 : FindMode(d.Devices[software].Modes, DisplayMode);
    if (!(Flags & fwSoftwareFallback) || software == -1 || (!Windowed && softwareMode == -1))
      RaiseWithText(e, NoVideoMemory);
    if (Installed()) Current().MessageBox(Window, std::string(e.what()) + NoVideoMemorySwitching, Title, MB_ICONERROR);
    BuildDisplay(software, Windowed ? mode : softwareMode, clientRect);
  }
}

void TD3DFramework::ReleaseAll() {
  if (DirectDraw && !Windowed) {
    DirectDraw->RestoreDisplayMode();
    DirectDraw->SetCooperativeLevel(Window, clNormal);
  }
  Release3DDevice();
  ReleaseSurfaces();
  if (Direct3D) Direct3D->Release();
  Direct3D = nullptr;
  if (DirectDraw) DirectDraw->Release();
  DirectDraw = nullptr;
}

void TD3DFramework::Release3DDevice() {
  if (Device3D) {
    SetTexture(nullptr, 0);
    Device3D->Release();
    Device3D = nullptr;
  }
  for (TSurface*& t : TextureCache) t = nullptr;
}

int TD3DFramework::TestCooperativeLevel() {
  if (!DirectDraw) return 0;
  const HRESULT r = DirectDraw->TestCooperativeLevel();
  if (!Failed(r)) return 0;
  if (r == Result::ExclusiveModeAlreadySet || r == Result::NoExclusiveMode) return 1;
  return 2;
}

}  // namespace D3DFrame
