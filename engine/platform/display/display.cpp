#include "engine/platform/display/display.h"

#include <algorithm>
#include <bit>

#include "engine/platform/display/device3d.h"
#include "engine/platform/window/platform.h"

namespace Plat {

namespace {

constexpr TPixelFormat ZBuffer16{pfZBuffer, 0, 16, 0, 0xFFFF, 0, 0};
// Largest side of a surface; beyond it creation reports too little memory.
constexpr std::uint32_t MaxSurfaceSide = 32767;

TMachineDevice FabricatedDevice() {
  TMachineDevice d;
  d.Name = "Software T&L rasterizer";
  d.Description = "Orvandia software transform and lighting device";
  d.Desc.DeviceGuid = DeviceTnLHardware;
  d.Desc.DevCaps = dvHardwareRasterization;
  d.Desc.RenderBitDepths = rd16 | rd32;
  d.Desc.MinTextureWidth = d.Desc.MinTextureHeight = 1;
  d.Desc.MaxTextureWidth = d.Desc.MaxTextureHeight = 2048;
  d.ZBufferFormats = {ZBuffer16};
  d.TextureFormats = {FormatARGB8888, FormatARGB4444};
  return d;
}

bool ValidSurfaceFormat(const TPixelFormat& f) {
  return !(f.Flags & pfFourCC) && (f.BitCount == 16 || f.BitCount == 32);
}

}  // namespace

int CountMaskBits(std::uint32_t mask) { return std::popcount(mask); }

TSurfaceDesc ModeDesc(const TModeInfo& mode) {
  TSurfaceDesc d;
  d.Flags = sdWidth | sdHeight | sdPixelFormat | sdPitch | sdRefreshRate;
  d.Width = mode.Width;
  d.Height = mode.Height;
  d.Pitch = static_cast<std::int32_t>(mode.Width * mode.Format.BitCount / 8);
  d.RefreshRate = mode.RefreshRate;
  d.PixelFormat = mode.Format;
  return d;
}

TDisplayMachine FabricatedMachine(bool screen555) {
  const TPixelFormat screen = screen555 ? FormatRGB555 : FormatRGB565;
  TMachineAdapter a;
  a.DriverName = "orvandia-software";
  a.Description = "Orvandia software display";
  a.HardwareCaps = {dcCanRenderWindowed, scZBuffer | scTexture | sc3DDevice};
  a.EmulationCaps = {0, 0};
  for (auto [w, h] : {std::pair{640u, 480u}, {800u, 600u}, {1024u, 768u}})
    for (std::uint32_t hz : {60u, 75u}) a.Modes.push_back({w, h, hz, screen});
  a.Modes.push_back({640, 480, 60, FormatRGB332});
  a.Modes.push_back({800, 600, 60, FormatXRGB8888});
  a.Devices.push_back(FabricatedDevice());
  TDisplayMachine m;
  m.Adapters.push_back(a);
  m.Desktop = {1024, 768, 60, screen};
  return m;
}

TDisplayMachine& DisplayMachine() {
  static TDisplayMachine machine = FabricatedMachine();
  return machine;
}

HRESULT TDisplay::EnumerateAdapters(TDriverCallback callback, void* context) {
  // A copy: a callback may create display objects.
  const std::vector<TMachineAdapter> adapters = DisplayMachine().Adapters;
  for (const TMachineAdapter& a : adapters)
    if (!callback(a.Primary ? nullptr : &a.Guid, a.Description.c_str(), a.DriverName.c_str(), context)) break;
  return Result::Ok;
}

HRESULT DisplayEnumerateProc(TDisplay::TDriverCallback callback, void* context, std::uint32_t) {
  return TDisplay::EnumerateAdapters(callback, context);
}

HRESULT TDisplay::Create(const TGuid* guid, TDisplay** out) {
  *out = nullptr;
  for (const TMachineAdapter& a : DisplayMachine().Adapters) {
    if (guid ? (a.Primary || !(a.Guid == *guid)) : !a.Primary) continue;
    if (Failed(a.CreateResult)) return a.CreateResult;
    *out = new TDisplay(a);
    return Result::Ok;
  }
  return Result::NotFound;
}

TDisplay::TDisplay(const TMachineAdapter& adapter) : AdapterInfo(adapter), Set(std::make_shared<TSurfaceSet>()) {
  Set->VideoBudget = DisplayMachine().VideoMemory;
  SurfacesBeforeFailure = DisplayMachine().SurfacesBeforeFailure;
}

TDisplay::~TDisplay() = default;

HRESULT TDisplay::GetDeviceIdentifier(std::string& driverName, std::string& description) const {
  if (Failed(AdapterInfo.IdentifierResult)) return AdapterInfo.IdentifierResult;
  driverName = AdapterInfo.DriverName;
  description = AdapterInfo.Description;
  return Result::Ok;
}

HRESULT TDisplay::GetCaps(TDisplayCaps* hardware, TDisplayCaps* emulation) const {
  if (Failed(AdapterInfo.CapsResult)) return AdapterInfo.CapsResult;
  if (hardware) *hardware = AdapterInfo.HardwareCaps;
  if (emulation) *emulation = AdapterInfo.EmulationCaps;
  return Result::Ok;
}

HRESULT TDisplay::EnumDisplayModes(TModeCallback callback, void* context) const {
  if (Failed(AdapterInfo.ModesResult)) return AdapterInfo.ModesResult;
  std::vector<TModeInfo> seen;
  for (const TModeInfo& m : AdapterInfo.Modes) {
    // Without the refresh-rate flag each size and format is listed once.
    bool repeated = std::any_of(seen.begin(), seen.end(), [&](const TModeInfo& s) {
      return s.Width == m.Width && s.Height == m.Height && s.Format == m.Format;
    });
    if (repeated) continue;
    seen.push_back(m);
    TModeInfo listed = m;
    listed.RefreshRate = 0;
    if (!callback(ModeDesc(listed), context)) break;
  }
  return Result::Ok;
}

HRESULT TDisplay::QueryDirect3D(TDirect3D** out) {
  *out = nullptr;
  if (Failed(AdapterInfo.Direct3DResult)) return AdapterInfo.Direct3DResult;
  *out = new TDirect3D(this);
  return Result::Ok;
}

HRESULT TDisplay::SetCooperativeLevel(HWND hWnd, std::uint32_t flags) {
  if (Failed(AdapterInfo.CooperativeLevelResult)) return AdapterInfo.CooperativeLevelResult;
  const bool exclusive = (flags & (clFullscreen | clExclusive)) == (clFullscreen | clExclusive);
  if (exclusive && !hWnd) return Result::NoHwnd;
  if (!exclusive && !(flags & clNormal)) return Result::InvalidParams;
  Window = hWnd;
  Level = flags;
  if (!exclusive) ModeSet = false;
  return Result::Ok;
}

HRESULT TDisplay::SetDisplayMode(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) {
  if (!(Level & clExclusive)) return Result::NoExclusiveMode;
  if (Failed(AdapterInfo.SetModeResult)) return AdapterInfo.SetModeResult;
  auto it = std::find_if(AdapterInfo.Modes.begin(), AdapterInfo.Modes.end(), [&](const TModeInfo& m) {
    return m.Width == width && m.Height == height && m.Format.BitCount == bitsPerPixel;
  });
  if (it == AdapterInfo.Modes.end()) return Result::InvalidMode;
  Mode = *it;
  ModeSet = true;
  // Full screen is the desktop's full screen with the mode as logical size.
  if (Window && Installed()) Current().SetVideoMode(Window, true, static_cast<int>(width), static_cast<int>(height));
  return Result::Ok;
}

HRESULT TDisplay::RestoreDisplayMode() {
  ModeSet = false;
  return Result::Ok;
}

TModeInfo TDisplay::CurrentMode() const { return ModeSet ? Mode : DisplayMachine().Desktop; }

HRESULT TDisplay::GetDisplayMode(TSurfaceDesc& desc) const {
  desc = ModeDesc(CurrentMode());
  return Result::Ok;
}

HRESULT TDisplay::TestCooperativeLevel() const { return DisplayMachine().CooperativeLevel; }

HRESULT TDisplay::CreateClipper(TClipper** out) {
  *out = new TClipper;
  return Result::Ok;
}

HRESULT TDisplay::CreateSurface(const TSurfaceDesc& asked, TSurface** out) {
  *out = nullptr;
  if (!(asked.Flags & sdCaps)) return Result::InvalidParams;
  if (TakeSurfaceFailure()) return DisplayMachine().SurfaceFailure;
  TSurfaceDesc desc = asked;
  const TModeInfo mode = CurrentMode();
  if (desc.Caps & scPrimarySurface) {
    const bool chain = (desc.Caps & scFlip) != 0;
    if (chain && (!(Level & clExclusive) || !(desc.Flags & sdBackBufferCount) || desc.BackBufferCount != 1))
      return Result::InvalidParams;
    desc.Width = mode.Width;
    desc.Height = mode.Height;
    desc.PixelFormat = mode.Format;
    auto* primary = new TSurface(Set, desc, Window);
    if (chain) {
      TSurfaceDesc back = desc;
      back.Caps = scBackBuffer | scFlip | scComplex | (desc.Caps & sc3DDevice);
      primary->BackBuffer = new TSurface(Set, back, Window);
    } else if (!(Level & clExclusive) && Window && Installed()) {
      TRect client = Current().GetClientRect(Window);
      Current().SetVideoMode(Window, false, client.Width(), client.Height());
    }
    *out = primary;
    return Result::Ok;
  }
  if (!(desc.Flags & sdWidth) || !(desc.Flags & sdHeight)) return Result::InvalidParams;
  if (!(desc.Flags & sdPixelFormat)) desc.PixelFormat = mode.Format;
  if (!ValidSurfaceFormat(desc.PixelFormat)) return Result::InvalidPixelFormat;
  if (desc.Width == 0 || desc.Height == 0) return Result::InvalidParams;
  if (desc.Width > MaxSurfaceSide || desc.Height > MaxSurfaceSide) return Result::OutOfVideoMemory;
  const std::uint64_t bytes = std::uint64_t{desc.Width} * desc.Height * (desc.PixelFormat.BitCount / 8);
  {
    std::lock_guard<std::mutex> guard(Set->Lock);
    if (bytes > Set->VideoBudget - std::min(Set->VideoBudget, Set->VideoBytes)) return Result::OutOfVideoMemory;
  }
  *out = new TSurface(Set, desc, nullptr);
  return Result::Ok;
}

bool TDisplay::TakeSurfaceFailure() {
  int left = SurfacesBeforeFailure.load();
  while (left >= 0 && !SurfacesBeforeFailure.compare_exchange_weak(left, left - 1)) {
  }
  return left == 0;
}

HRESULT TDisplay::RestoreAllSurfaces() {
  std::lock_guard<std::mutex> guard(Set->Lock);
  for (TSurface* s : Set->Members) s->Restore();
  return Result::Ok;
}

void TDisplay::SimulateSurfaceLoss() {
  std::lock_guard<std::mutex> guard(Set->Lock);
  for (TSurface* s : Set->Members) s->MarkLost();
}

TDirect3D::TDirect3D(TDisplay* display) : Display(display) { Display->AddRef(); }

TDirect3D::~TDirect3D() { Display->Release(); }

const TMachineDevice* TDirect3D::Find(const TGuid& device) const {
  for (const TMachineDevice& d : Display->Adapter().Devices)
    if (d.Desc.DeviceGuid == device) return &d;
  return nullptr;
}

HRESULT TDirect3D::EnumDevices(TDeviceCallback callback, void* context) const {
  if (Failed(Display->Adapter().DevicesResult)) return Display->Adapter().DevicesResult;
  for (const TMachineDevice& d : Display->Adapter().Devices)
    if (!callback(d.Description.c_str(), d.Name.c_str(), d.Desc, context)) break;
  return Result::Ok;
}

HRESULT TDirect3D::EnumZBufferFormats(const TGuid& device, TFormatCallback callback, void* context) const {
  const TMachineDevice* d = Find(device);
  if (!d) return Result::InvalidDevice;
  for (const TPixelFormat& f : d->ZBufferFormats)
    if (!callback(f, context)) break;
  return Result::Ok;
}

HRESULT TDirect3D::CreateDevice(const TGuid& device, TSurface* target, TDevice3D** out) {
  *out = nullptr;
  const TMachineDevice* d = Find(device);
  if (!d) return Result::InvalidDevice;
  if (Failed(d->CreateResult)) return d->CreateResult;
  if (!target || !(target->Caps() & sc3DDevice)) return Result::InvalidParams;
  const std::uint32_t bits = target->PixelFormat().BitCount;
  const std::uint32_t depth = bits == 16 ? rd16 : bits == 32 ? rd32 : bits == 24 ? rd24 : rd8;
  if (!(d->Desc.RenderBitDepths & depth)) return Result::InvalidPixelFormat;
  *out = new TDevice3D(*d, target);
  return Result::Ok;
}

}  // namespace Plat
