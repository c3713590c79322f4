// The surfaces of the display, the presentation of frames, direct access to
// the back buffer, lost surfaces, and the surfaces and textures the graphics
// code makes.
#include <algorithm>
#include <bit>

#include "engine/d3dframe/d3dframe.h"

using namespace Plat;

namespace D3DFrame {

namespace {

u32 NextPowerOfTwo(int v) { return v <= 1 ? 1u : std::bit_ceil(static_cast<u32>(v)); }

bool CollectTextureFormat(const TPixelFormat& f, void* context) {
  if (f.Flags & (pfLuminance | pfBumpLuminance | pfBumpDuDv)) return true;
  if (!(f.Flags & pfFourCC) && f.BitCount < 16) return true;
  static_cast<std::vector<TPixelFormat>*>(context)->push_back(f);
  return true;
}

const std::vector<TPixelFormat> NoFormats;

}  // namespace

TSurfaceDesc InitSurfaceDesc(u32 flags, u32 caps) {
  TSurfaceDesc d;
  d.Flags = flags;
  d.Caps = caps;
  return d;
}

void ClearSurface(TSurface* surface) {
  if (!surface) return;
  TBltFx fx;
  fx.FillColor = 0;
  surface->Blt(nullptr, nullptr, nullptr, bltColorFill | bltWait, &fx);
}

void TD3DFramework::CreateSurfaces() {
  if (Windowed || (Flags & fwBlitPresent)) {
    TSurfaceDesc primary = InitSurfaceDesc(sdCaps, scPrimarySurface);
    FrontBuffer = CreateSurface(&primary);
    TSurfaceDesc back = InitSurfaceDesc(sdCaps | sdWidth | sdHeight,
                                        scOffscreenPlain | ((Flags & fwDirect3D) ? sc3DDevice : 0));
    back.Width = DisplayMode.Width;
    back.Height = DisplayMode.Height;
    BackBuffer = CreateSurface(&back);
  }
  if (Windowed) {
    TClipper* clipper = nullptr;
    HRESULT r = DirectDraw->CreateClipper(&clipper);
    if (Failed(r)) throw EDirectDrawError("CreateClipper failed (%s).", r);
    r = clipper->SetHWnd(Window);
    if (Failed(r)) {
      clipper->Release();
      throw EDirectDrawError("Clipper SetHWnd failed (%s).", r);
    }
    r = FrontBuffer->SetClipper(clipper);
    clipper->Release();
    if (Failed(r)) throw EDirectDrawError("SetClipper failed (%s).", r);
  } else if (!(Flags & fwBlitPresent)) {
    TSurfaceDesc chain = InitSurfaceDesc(sdCaps | sdBackBufferCount, scPrimarySurface | scFlip | scComplex |
                                                                         ((Flags & fwDirect3D) ? sc3DDevice : 0));
    chain.BackBufferCount = 1;
    FrontBuffer = CreateSurface(&chain);
    HRESULT r = FrontBuffer->GetAttachedSurface(scBackBuffer, &BackBuffer);
    if (Failed(r)) throw EDirectDrawError("GetAttachedSurface failed (%s).", r);
  }
}

void TD3DFramework::ReleaseSurfaces() {
  if (BackBufferDCHeld) ReleaseBackBufferDC();
  if (BackBufferLocked) UnlockBackBuffer();
  BackBufferDCHeld = BackBufferLocked = 0;
  BackBufferDC = nullptr;
  if (BackBuffer) BackBuffer->Release();
  BackBuffer = nullptr;
  if (FrontBuffer) FrontBuffer->Release();
  FrontBuffer = nullptr;
}

void TD3DFramework::EnumTextureFormats() {
  std::vector<TPixelFormat>& formats = Drivers[DriverIndex].Devices[DeviceIndex].TextureFormats;
  formats.clear();
  HRESULT r = Device3D->EnumTextureFormats(CollectTextureFormat, &formats);
  if (Failed(r)) throw EDirect3DError("Texture format enumeration error (%s).", r);
  if (formats.empty()) throw EDirect3DError(std::string("No texture formats enumerated."));
}

const std::vector<TPixelFormat>& TD3DFramework::TextureFormats() const {
  if (!(Flags & fwDirect3D) || DriverIndex >= DriverCount()) return NoFormats;
  const TDriverInfo& d = Drivers[DriverIndex];
  if (DeviceIndex < 0 || DeviceIndex >= static_cast<int>(d.Devices.size())) return NoFormats;
  return d.Devices[DeviceIndex].TextureFormats;
}

void TD3DFramework::ClearBackBuffer() { ClearSurface(BackBuffer); }

void TD3DFramework::PresentFrame() {
  if (!FrontBuffer || !BackBuffer) return;
  if (Windowed || (Flags & fwBlitPresent))
    FrontBuffer->Blt(&PresentRect, BackBuffer, nullptr, bltWait, nullptr);
  else
    FrontBuffer->Flip();
}

bool TD3DFramework::LockBackBuffer() {
  if (BackBufferLocked) return true;
  if (!BackBuffer) return false;
  LockDesc = TSurfaceDesc{};
  if (Failed(BackBuffer->Lock(nullptr, LockDesc))) return false;
  BackBufferLocked = 1;
  return true;
}

void TD3DFramework::UnlockBackBuffer() {
  if (BackBufferLocked && BackBuffer && !Failed(BackBuffer->Unlock())) BackBufferLocked = 0;
}

bool TD3DFramework::GetBackBufferDC() {
  if (BackBufferDCHeld) return true;
  if (!BackBuffer || Failed(BackBuffer->GetDC(&BackBufferDC))) return false;
  BackBufferDCHeld = 1;
  return true;
}

void TD3DFramework::ReleaseBackBufferDC() {
  if (BackBufferDCHeld && BackBuffer && !Failed(BackBuffer->ReleaseDC(BackBufferDC))) {
    BackBufferDCHeld = 0;
    BackBufferDC = nullptr;
  }
}

bool TD3DFramework::SurfacesLost() {
  if (!FrontBuffer) return false;
  if (Failed(FrontBuffer->IsLost())) return true;
  return (Windowed || (Flags & fwBlitPresent)) && BackBuffer && Failed(BackBuffer->IsLost());
}

bool TD3DFramework::RestoreAllSurfaces() { return DirectDraw && !Failed(DirectDraw->RestoreAllSurfaces()); }

void TD3DFramework::SetViewport(int x, int y, int width, int height) {
  TViewport v{static_cast<u32>(x), static_cast<u32>(y), static_cast<u32>(width), static_cast<u32>(height), 0.0f, 1.0f};
  HRESULT r = Device3D ? Device3D->SetViewport(v) : Result::InvalidObject;
  if (Failed(r)) throw EDirect3DError("SetViewport failed (%s).", r);
}

void TD3DFramework::SetAmbientLight(float r, float g, float b) {
  if (!Device3D) return;
  const auto byte = [](float c) { return static_cast<u32>(std::clamp(c, 0.0f, 1.0f) * 255.0f); };
  Device3D->SetRenderState(TRenderState::Ambient, 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b));
}

TSurface* TD3DFramework::CreateSurface(TSurfaceDesc* desc) {
  TSurface* surface = nullptr;
  HRESULT r = DirectDraw ? DirectDraw->CreateSurface(*desc, &surface) : Result::InvalidObject;
  if (Failed(r)) throw EDirectDrawError("CreateSurface failed (%s).", r);
  return surface;
}

TSurface* TD3DFramework::CreateOffscreenSurface(int width, int height, u32 extraCaps) {
  TSurfaceDesc desc = InitSurfaceDesc(sdCaps | sdWidth | sdHeight, scOffscreenPlain | extraCaps);
  desc.Width = static_cast<u32>(std::max(width, 0));
  desc.Height = static_cast<u32>(std::max(height, 0));
  return CreateSurface(&desc);
}

TSurface* TD3DFramework::CreateTexture(int width, int height, u32 stage, const TPixelFormat* format) {
  if (!DirectDraw || TextureFormats().empty()) throw EDirect3DError("Create texture failed (%s).", Result::InvalidObject);
  const TDeviceInfo& device = Drivers[DriverIndex].Devices[DeviceIndex];
  TSurfaceDesc desc = InitSurfaceDesc(sdCaps | sdWidth | sdHeight | sdPixelFormat | sdTextureStage, scTexture);
  desc.TextureStage = stage;
  if (device.Hardware)
    desc.Caps2 |= sc2TextureManage;
  else
    desc.Caps |= scSystemMemory;
  if (format) {
    desc.PixelFormat = *format;
  } else {
    const auto& formats = device.TextureFormats;
    auto withAlpha = [](u32 bits) {
      return [bits](const TPixelFormat& f) { return (f.Flags & pfAlphaPixels) && f.BitCount == bits; };
    };
    auto it = std::find_if(formats.begin(), formats.end(), withAlpha(DisplayMode.PixelFormat.BitCount));
    if (it == formats.end()) it = std::find_if(formats.begin(), formats.end(), withAlpha(16));
    if (it == formats.end()) throw EDirect3DError(std::string("Proper texture format not found."));
    desc.PixelFormat = *it;
  }
  const TDeviceDesc& caps = device.Desc;
  u32 w = static_cast<u32>(std::max(width, 0)), h = static_cast<u32>(std::max(height, 0));
  if (caps.TextureCaps & tcPow2) {
    w = NextPowerOfTwo(static_cast<int>(w));
    h = NextPowerOfTwo(static_cast<int>(h));
  }
  if (desc.PixelFormat.Flags & pfFourCC) {
    w = (w + 3) & ~3u;
    h = (h + 3) & ~3u;
  }
  w = std::min(w, caps.MaxTextureWidth ? caps.MaxTextureWidth : 256u);
  h = std::min(h, caps.MaxTextureHeight ? caps.MaxTextureHeight : 256u);
  w = std::max(w, caps.MinTextureWidth);
  h = std::max(h, caps.MinTextureHeight);
  if (caps.TextureCaps & tcSquareOnly) w = h = std::max(w, h);
  desc.Width = w;
  desc.Height = h;
  TSurface* texture = nullptr;
  HRESULT r = DirectDraw->CreateSurface(desc, &texture);
  if (Failed(r)) throw EDirect3DError("Create texture failed (%s).", r);
  return texture;
}

void TD3DFramework::SetTexture(TSurface* texture, u32 stage) {
  if (stage >= 8 || TextureCache[stage] == texture) return;
  TextureCache[stage] = texture;
  if (Device3D) Device3D->SetTexture(stage, texture);
}

}  // namespace D3DFrame
