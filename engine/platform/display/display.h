// The software display: a fabricated machine of display adapters, their
// modes and 3D devices, and the display object made for one adapter, which
// sets the cooperative level and the mode and makes surfaces, clippers and
// 3D devices. Nothing here touches a GPU; the window shows the frames.
//
// Tests change the machine (DisplayMachine) to reach the failure paths:
// adapters without windowed rendering, failing creation, a cooperative level
// held by another program, a 5-5-5 screen, other device capabilities.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/platform/display/display_types.h"
#include "engine/platform/display/surface.h"

namespace Plat {

class TDevice3D;

struct TModeInfo {
  std::uint32_t Width = 0, Height = 0, RefreshRate = 0;
  TPixelFormat Format;
};

struct TMachineDevice {
  std::string Name, Description;
  TDeviceDesc Desc;
  std::vector<TPixelFormat> ZBufferFormats;
  std::vector<TPixelFormat> TextureFormats;
  HRESULT CreateResult = Result::Ok;  // creating the device fails with this
};

struct TMachineAdapter {
  bool Primary = true;  // enumerated without a GUID
  TGuid Guid;
  std::string DriverName, Description;
  TDisplayCaps HardwareCaps, EmulationCaps;
  std::vector<TModeInfo> Modes;  // as the hardware lists them, one per refresh rate
  std::vector<TMachineDevice> Devices;
  // Failures of the steps of using the adapter.
  HRESULT CreateResult = Result::Ok;
  HRESULT IdentifierResult = Result::Ok;
  HRESULT CapsResult = Result::Ok;
  HRESULT ModesResult = Result::Ok;
  HRESULT Direct3DResult = Result::Ok;
  HRESULT DevicesResult = Result::Ok;
  HRESULT CooperativeLevelResult = Result::Ok;
  HRESULT SetModeResult = Result::Ok;
};

struct TDisplayMachine {
  std::vector<TMachineAdapter> Adapters;
  TModeInfo Desktop;
  // What TestCooperativeLevel answers.
  HRESULT CooperativeLevel = Result::Ok;
  // The surface made after this many more fails once with SurfaceFailure;
  // -1 never. Each display object counts from the value at its creation.
  int SurfacesBeforeFailure = -1;
  HRESULT SurfaceFailure = Result::OutOfVideoMemory;
  // Memory all surfaces of one display object may take together.
  std::uint64_t VideoMemory = 512u << 20;
};

// The machine as the platform fabricates it: one primary adapter that renders
// in a window; 16-bit modes of 640x480, 800x600 and 1024x768 (each at two
// refresh rates), an 8-bit and a 32-bit mode; one hardware transform-and-light
// device with ARGB8888 and ARGB4444 textures, no power-of-two rule, at most
// 2048 pixels. The screen is 5-6-5, or 5-5-5 in the test mode.
TDisplayMachine FabricatedMachine(bool screen555 = false);
// The machine every display object is made on; tests may change it.
TDisplayMachine& DisplayMachine();

// Cooperative levels.
constexpr std::uint32_t clNormal = 0x0008;
constexpr std::uint32_t clFullscreen = 0x0001;
constexpr std::uint32_t clExclusive = 0x0010;
constexpr std::uint32_t clFpuSetup = 0x0200;

class TDirect3D;

class TDisplay final : public TRefCounted {
 public:
  using TModeCallback = bool (*)(const TSurfaceDesc& mode, void* context);

  // guid null: the primary adapter.
  static HRESULT Create(const TGuid* guid, TDisplay** out);
  using TDriverCallback = bool (*)(const TGuid* guid, const char* description, const char* name, void* context);
  // Every adapter, the primary one with a null GUID; stops when the callback
  // returns false.
  static HRESULT EnumerateAdapters(TDriverCallback callback, void* context);

  HRESULT GetDeviceIdentifier(std::string& driverName, std::string& description) const;
  HRESULT GetCaps(TDisplayCaps* hardware, TDisplayCaps* emulation) const;
  // One entry per size and pixel format.
  HRESULT EnumDisplayModes(TModeCallback callback, void* context) const;
  HRESULT QueryDirect3D(TDirect3D** out);
  HRESULT SetCooperativeLevel(HWND hWnd, std::uint32_t flags);
  HRESULT SetDisplayMode(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel);
  HRESULT RestoreDisplayMode();
  HRESULT GetDisplayMode(TSurfaceDesc& desc) const;
  HRESULT TestCooperativeLevel() const;
  HRESULT CreateSurface(const TSurfaceDesc& desc, TSurface** out);
  HRESULT CreateClipper(TClipper** out);
  HRESULT RestoreAllSurfaces();

  // Every surface made by this object reports itself lost until restored.
  void SimulateSurfaceLoss();
  // The surface made after this many more fails once, as DisplayMachine's
  // SurfacesBeforeFailure does for new display objects.
  void FailSurfaceCreation(int after) { SurfacesBeforeFailure = after; }
  const TMachineAdapter& Adapter() const { return AdapterInfo; }
  const std::shared_ptr<TSurfaceSet>& Surfaces() const { return Set; }

 private:
  explicit TDisplay(const TMachineAdapter& adapter);
  ~TDisplay() override;
  TModeInfo CurrentMode() const;
  // True for the creation that is to fail.
  bool TakeSurfaceFailure();

  TMachineAdapter AdapterInfo;
  std::shared_ptr<TSurfaceSet> Set;
  HWND Window = nullptr;
  std::uint32_t Level = 0;
  bool ModeSet = false;
  TModeInfo Mode;
  std::atomic<int> SurfacesBeforeFailure{-1};
};

// The 3D side of a display object.
class TDirect3D final : public TRefCounted {
 public:
  using TDeviceCallback = bool (*)(const char* description, const char* name, const TDeviceDesc& desc, void* context);
  using TFormatCallback = bool (*)(const TPixelFormat& format, void* context);

  explicit TDirect3D(TDisplay* display);
  HRESULT EnumDevices(TDeviceCallback callback, void* context) const;
  HRESULT EnumZBufferFormats(const TGuid& device, TFormatCallback callback, void* context) const;
  // A device drawing into target (a surface made with sc3DDevice).
  HRESULT CreateDevice(const TGuid& device, TSurface* target, TDevice3D** out);

 private:
  ~TDirect3D() override;
  const TMachineDevice* Find(const TGuid& device) const;
  TDisplay* Display;
};

// Pixel-format helpers.
int CountMaskBits(std::uint32_t mask);
TSurfaceDesc ModeDesc(const TModeInfo& mode);

// The display's entry points in the module registry, library "ddraw.dll":
// "DirectDrawCreateEx" (TDisplay::Create) and "DirectDrawEnumerateExA"
// (TDisplay::EnumerateAdapters; the flags are ignored).
HRESULT DisplayEnumerateProc(TDisplay::TDriverCallback callback, void* context, std::uint32_t flags);
using TDisplayCreateProc = HRESULT (*)(const TGuid* guid, TDisplay** out);
using TDisplayEnumerateProc = HRESULT (*)(TDisplay::TDriverCallback callback, void* context, std::uint32_t flags);

}  // namespace Plat
