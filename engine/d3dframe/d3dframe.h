// The display: drivers, 3D devices and display modes enumerated and chosen,
// full screen or in a window, and the surfaces, textures and presentation of
// the frames, with the repair of lost surfaces.
#pragma once

#include <vector>

#include "engine/base/errors.h"
#include "engine/base/types.h"
#include "engine/platform/display/device3d.h"
#include "engine/platform/display/display.h"
#include "engine/platform/system/modules.h"

namespace D3DFrame {

// Framework flags.
constexpr u32 fwDirect3D = 0x01;
constexpr u32 fwRequireSize = 0x02;
constexpr u32 fwRequireBits = 0x04;
constexpr u32 fwSoftwareFallback = 0x08;
constexpr u32 fwBlitPresent = 0x10;

using TModeFilter = bool (*)(const Plat::TSurfaceDesc* mode);

struct TDeviceInfo {
  char Name[80] = {};
  char Description[80] = {};
  Plat::TGuid Guid;
  Plat::TDeviceDesc Desc;
  u8 Hardware = 0;
  i32 DefaultMode = 0;
  std::vector<Plat::TSurfaceDesc> Modes;
  std::vector<Plat::TPixelFormat> ZBufferFormats;
  // Filled when a 3D device is first made on this record.
  std::vector<Plat::TPixelFormat> TextureFormats;
};

struct TDriverInfo {
  char Name[80] = {};
  char Description[80] = {};
  u8 Primary = 0;
  Plat::TGuid Guid;
  Plat::TDisplayCaps HardwareCaps;
  Plat::TDisplayCaps EmulationCaps;
  u8 CanRenderWindowed = 0;
  i32 DefaultHardwareDevice = -1;
  i32 DefaultSoftwareDevice = -1;
  i32 DefaultMode = 0;
  std::vector<Plat::TSurfaceDesc> Modes;
  std::vector<TDeviceInfo> Devices;
};

class TD3DFramework {
 public:
  // Loads the display library and enumerates; without any usable driver
  // raises "No drivers or 3D devices were enumerated.".
  TD3DFramework(Plat::HWND window, const char* title, u32 flags, int width, int height, int bitsPerPixel,
                TModeFilter filter);
  ~TD3DFramework();
  TD3DFramework(const TD3DFramework&) = delete;
  TD3DFramework& operator=(const TD3DFramework&) = delete;

  // Indexes out of range choose the defaults.
  void InitializeFullscreen(int driver, int device, int mode);
  void InitializeWindowed(int driver, int device, const Plat::TRect* clientRect);
  void SetFullscreen(int device, int mode);
  void SetWindowed(int device, const Plat::TRect* clientRect);
  void ChangeMode(int mode);
  void ChangeWindow(const Plat::TRect* clientRect);
  void SetWindowPosition(int x, int y);
  void ReleaseAll();
  // 0 usable; 1 another program holds the screen (skip the frame); 2 any
  // other failure (rebuild the display).
  int TestCooperativeLevel();

  void ClearBackBuffer();
  void PresentFrame();
  bool LockBackBuffer();
  void UnlockBackBuffer();
  bool GetBackBufferDC();
  void ReleaseBackBufferDC();
  bool SurfacesLost();
  bool RestoreAllSurfaces();
  void SetViewport(int x, int y, int width, int height);
  void SetAmbientLight(float r, float g, float b);
  // The caller owns what these make and releases it.
  Plat::TSurface* CreateSurface(Plat::TSurfaceDesc* desc);
  Plat::TSurface* CreateOffscreenSurface(int width, int height, u32 extraCaps);
  // May be larger or smaller than asked: read the real size from the surface.
  Plat::TSurface* CreateTexture(int width, int height, u32 stage, const Plat::TPixelFormat* format);
  void SetTexture(Plat::TSurface* texture, u32 stage);

  // The texture formats of the device in use (empty without one).
  const std::vector<Plat::TPixelFormat>& TextureFormats() const;
  int DriverCount() const { return static_cast<int>(Drivers.size()); }

  u32 Flags;
  std::vector<TDriverInfo> Drivers;
  i32 DefaultDriver = 0;
  i32 DefaultWindowedDriver = -1;
  Plat::HWND Window;
  char Title[256] = {};
  u8 Windowed = 0;
  i32 DriverIndex = 0;
  i32 DeviceIndex = 0;
  i32 ModeIndex = 0;
  Plat::TModule Library = nullptr;
  Plat::TDisplayCreateProc DirectDrawCreateEx = nullptr;
  Plat::TDisplayEnumerateProc DirectDrawEnumerateEx = nullptr;
  Plat::TDisplay* DirectDraw = nullptr;
  Plat::TSurface* FrontBuffer = nullptr;
  Plat::TSurface* BackBuffer = nullptr;
  Plat::TDirect3D* Direct3D = nullptr;
  Plat::TDevice3D* Device3D = nullptr;
  Plat::TRect PresentRect;
  Plat::TSurfaceDesc DisplayMode;
  u8 BackBufferLocked = 0;
  Plat::TSurfaceDesc LockDesc;
  u8 BackBufferDCHeld = 0;
  Plat::TDeviceContext* BackBufferDC = nullptr;
  Plat::TSurface* TextureCache[8] = {};

  // The requested default mode and the filter, used while enumerating.
  int DefaultWidth, DefaultHeight, DefaultBits;
  TModeFilter ModeFilter;

 private:
  void Initialize(bool windowed, int driver, int device, int mode, const Plat::TRect* clientRect);
  void CreateDirectDraw();
  void CreateDisplay(bool windowed, int device, int mode, const Plat::TRect* clientRect);
  void BuildDisplay(int device, int mode, const Plat::TRect* clientRect);
  void CreateSurfaces();
  void ReleaseSurfaces();
  void Release3DDevice();
  void EnumTextureFormats();
  bool OnHardwareDevice() const;
  const std::vector<Plat::TSurfaceDesc>& ModeList() const;
  void FreeResources();
};

// Number of set bits, for judging masks.
int CountBits(u32 value);
// 16 bits with the masks 0xF800, 0x07E0, 0x001F.
bool IsRGB565(const Plat::TSurfaceDesc* desc);
// A description with the given flags and capabilities, everything else zero.
Plat::TSurfaceDesc InitSurfaceDesc(u32 flags, u32 caps);
// Fills a surface with 0 (black), waiting for the blitter.
void ClearSurface(Plat::TSurface* surface);
// First mode whose width and height (and with fwRequireBits bits per pixel)
// are the framework's default ones; none: "Default mode not found." with
// fwRequireSize, else 0.
int FindDefaultMode(const TD3DFramework& framework, const std::vector<Plat::TSurfaceDesc>& modes);
bool EnumDriversCallback(const Plat::TGuid* guid, const char* description, const char* name, void* context);
bool EnumDevicesCallback(const char* description, const char* name, const Plat::TDeviceDesc& desc, void* context);

}  // namespace D3DFrame

// The one display framework; null until the start-up makes it.
extern D3DFrame::TD3DFramework* D3DFramework;
