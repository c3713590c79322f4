// Construction: the display library, and the drivers with their modes and
// 3D devices enumerated into records.
#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "engine/base/base.h"
#include "engine/d3dframe/d3dframe.h"

using namespace Plat;

D3DFrame::TD3DFramework* D3DFramework = nullptr;

namespace D3DFrame {

namespace {

// Releases a display object on every way out of a scope.
template <class T>
struct TReleaser {
  T* Object = nullptr;
  ~TReleaser() {
    if (Object) Object->Release();
  }
};

struct TDriverEnumeration {
  TD3DFramework* Framework;
  TDriverInfo* Driver;
};

struct TModeEnumeration {
  TD3DFramework* Framework;
  std::vector<TSurfaceDesc>* Modes;
};

bool CollectMode(const TSurfaceDesc& mode, void* context) {
  auto* e = static_cast<TModeEnumeration*>(context);
  if (mode.PixelFormat.BitCount <= 8) return true;
  if (e->Framework->ModeFilter && !e->Framework->ModeFilter(&mode)) return true;
  e->Modes->push_back(mode);
  return true;
}

bool CollectZBuffer(const TPixelFormat& format, void* context) {
  if (format.Flags == pfZBuffer) static_cast<std::vector<TPixelFormat>*>(context)->push_back(format);
  return true;
}

void CopyName(char (&field)[80], const char* text) { Base::SafeStrCopy(field, text ? text : "", sizeof field); }

std::uint32_t DepthFlag(std::uint32_t bits) {
  switch (bits) {
    case 32: return rd32;
    case 24: return rd24;
    case 16: return rd16;
    case 8: return rd8;
    default: return 0;
  }
}

void ChooseDefaultDevices(TDriverInfo& d) {
  d.DefaultHardwareDevice = d.DefaultSoftwareDevice = -1;
  int hardwareTnL = -1, hardware = -1, software = -1, reference = -1;
  for (int i = 0; i < static_cast<int>(d.Devices.size()); ++i) {
    const TDeviceInfo& device = d.Devices[i];
    if (device.Hardware)
      (device.Guid == DeviceTnLHardware ? hardwareTnL : hardware) = i;
    else
      (device.Guid == DeviceReference ? reference : software) = i;
  }
  d.DefaultHardwareDevice = hardwareTnL >= 0 ? hardwareTnL : hardware;
  d.DefaultSoftwareDevice = software >= 0 ? software : reference;
}

}  // namespace

int CountBits(u32 value) { return CountMaskBits(value); }

bool IsRGB565(const TSurfaceDesc* desc) {
  const TPixelFormat& f = desc->PixelFormat;
  return f.BitCount == 16 && f.RMask == 0xF800 && f.GMask == 0x07E0 && f.BMask == 0x001F;
}

int FindDefaultMode(const TD3DFramework& framework, const std::vector<TSurfaceDesc>& modes) {
  for (int i = 0; i < static_cast<int>(modes.size()); ++i) {
    const TSurfaceDesc& m = modes[i];
    if (static_cast<int>(m.Width) != framework.DefaultWidth || static_cast<int>(m.Height) != framework.DefaultHeight)
      continue;
    if ((framework.Flags & fwRequireBits) && static_cast<int>(m.PixelFormat.BitCount) != framework.DefaultBits)
      continue;
    return i;
  }
  if (framework.Flags & fwRequireSize) throw std::runtime_error("Default mode not found.");
  return 0;
}

bool EnumDevicesCallback(const char* description, const char* name, const TDeviceDesc& desc, void* context) {
  auto* e = static_cast<TDriverEnumeration*>(context);
  TDriverInfo& driver = *e->Driver;
  try {
    const bool zbufferless = (desc.RasterCaps & rcZBufferlessHSR) != 0;
    if (!(driver.HardwareCaps.SurfaceCaps & scZBuffer) && !zbufferless)
      throw std::runtime_error("Device doesn't support z-buffers.");
    TDeviceInfo device;
    CopyName(device.Name, name);
    CopyName(device.Description, description);
    device.Guid = desc.DeviceGuid;
    device.Desc = desc;
    device.Hardware = (desc.DevCaps & dvHardwareRasterization) ? 1 : 0;
    for (const TSurfaceDesc& m : driver.Modes)
      if (desc.RenderBitDepths & DepthFlag(m.PixelFormat.BitCount)) device.Modes.push_back(m);
    if (device.Modes.empty()) throw std::runtime_error("No modes available for device.");
    if (!zbufferless) {
      HRESULT r = e->Framework->Direct3D->EnumZBufferFormats(desc.DeviceGuid, CollectZBuffer, &device.ZBufferFormats);
      if (Failed(r) || device.ZBufferFormats.empty())
        throw EDirect3DError("Z-buffer enumeration error or no z-buffers (%s).", r);
    }
    device.DefaultMode = FindDefaultMode(*e->Framework, device.Modes);
    driver.Devices.push_back(std::move(device));
  } catch (const std::exception&) {
    // The device is left out; the enumeration goes on.
  }
  return true;
}

// The driver's names come from its identifier, not from the enumeration.
bool EnumDriversCallback(const TGuid* guid, const char*, const char*, void* context) {
  auto* framework = static_cast<TD3DFramework*>(context);
  TReleaser<TDisplay> display;
  TReleaser<TDirect3D> direct3D;
  try {
    TDriverInfo driver;
    HRESULT r = framework->DirectDrawCreateEx(guid, &display.Object);
    if (Failed(r)) throw EDirectDrawError("Can't create DirectDraw during enumeration (%s).", r);
    std::string driverName, driverDescription;
    r = display.Object->GetDeviceIdentifier(driverName, driverDescription);
    if (Failed(r)) throw EDirectDrawError("Can't get a device identifier during enumeration (%s).", r);
    CopyName(driver.Name, driverName.c_str());
    CopyName(driver.Description, driverDescription.c_str());
    driver.Primary = guid == nullptr;
    if (guid) driver.Guid = *guid;
    r = display.Object->GetCaps(&driver.HardwareCaps, &driver.EmulationCaps);
    if (Failed(r)) throw EDirectDrawError("Can't obtain DirectDraw capabilities during enumeration (%s).", r);
    driver.CanRenderWindowed = (driver.HardwareCaps.Flags & dcCanRenderWindowed) ? 1 : 0;
    TModeEnumeration modes{framework, &driver.Modes};
    r = display.Object->EnumDisplayModes(CollectMode, &modes);
    if (Failed(r) || driver.Modes.empty()) throw EDirectDrawError("Mode enumeration error or no modes (%s).", r);
    std::stable_sort(driver.Modes.begin(), driver.Modes.end(), [](const TSurfaceDesc& a, const TSurfaceDesc& b) {
      return std::tie(a.PixelFormat.BitCount, a.Width, a.Height) < std::tie(b.PixelFormat.BitCount, b.Width, b.Height);
    });
    driver.DefaultMode = FindDefaultMode(*framework, driver.Modes);
    if (framework->Flags & fwDirect3D) {
      if (Failed(display.Object->QueryDirect3D(&direct3D.Object)))
        throw EDirect3DError("Can't create Direct3D during enumeration.");
      // The device callback reaches the Direct3D object through the framework.
      framework->Direct3D = direct3D.Object;
      TDriverEnumeration e{framework, &driver};
      r = direct3D.Object->EnumDevices(EnumDevicesCallback, &e);
      framework->Direct3D = nullptr;
      if (Failed(r) || driver.Devices.empty())
        throw EDirect3DError("Device enumeration error or no devices (%s).", r);
      ChooseDefaultDevices(driver);
    }
    framework->Drivers.push_back(std::move(driver));
  } catch (const std::exception&) {
    framework->Direct3D = nullptr;
    // The driver is left out; the enumeration goes on.
  }
  return true;
}

TD3DFramework::TD3DFramework(HWND window, const char* title, u32 flags, int width, int height, int bitsPerPixel,
                             TModeFilter filter)
    : Flags(flags),
      Window(window),
      DefaultWidth(width),
      DefaultHeight(height),
      DefaultBits(bitsPerPixel),
      ModeFilter(filter) {
  Base::SafeStrCopy(Title, title ? title : "", sizeof Title);
  try {
    Library = Base::LoadLibraryChecked("ddraw.dll");
    DirectDrawCreateEx =
        reinterpret_cast<TDisplayCreateProc>(Base::GetProcAddressChecked(Library, "DirectDrawCreateEx"));
    DirectDrawEnumerateEx =
        reinterpret_cast<TDisplayEnumerateProc>(Base::GetProcAddressChecked(Library, "DirectDrawEnumerateExA"));
    DirectDrawEnumerateEx(EnumDriversCallback, this, 7);
    if (Drivers.empty()) throw EDirectDrawError(std::string("No drivers or 3D devices were enumerated."));
  } catch (...) {
    FreeResources();
    throw;
  }
  DefaultDriver = 0;
  DefaultWindowedDriver = -1;
  for (int i = 0; i < DriverCount(); ++i)
    if (Drivers[i].CanRenderWindowed) {
      DefaultWindowedDriver = i;
      break;
    }
}

TD3DFramework::~TD3DFramework() { FreeResources(); }

void TD3DFramework::FreeResources() {
  ReleaseAll();
  Drivers.clear();
  Base::FreeLibrarySafe(Library);
  Library = nullptr;
}

}  // namespace D3DFrame
