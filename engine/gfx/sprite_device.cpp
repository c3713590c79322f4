// Device objects of sprites: frame surfaces of opaque sprites, textures of
// alpha sprites, their release and restore, and the frames stored as surface
// images (encodings 4 to 8).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/kernels.h"
#include "engine/gfx/lzrw1kh.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"

using Plat::TSurface;
using Plat::TSurfaceDesc;

namespace Gfx {

namespace {

// A stored surface description: 124 bytes, the layout the surface images of
// encodings 4 to 8 were written with.
constexpr u32 SurfaceImageDescBytes = 124;

void ReadColorKey(Data::TStream& s, Plat::TColorKey& key) {
  key.Low = Data::ReadU32(s);
  key.High = Data::ReadU32(s);
}

// Reads the description; returns the stored linear size (which shares its
// place with the pitch).
u32 ReadSurfaceImageDesc(Data::TStream& s, TSurfaceDesc& d) {
  Plat::TColorKey unused;
  Data::ReadU32(s);  // size
  d.Flags = Data::ReadU32(s);
  d.Height = Data::ReadU32(s);
  d.Width = Data::ReadU32(s);
  const u32 linearSize = Data::ReadU32(s);
  d.BackBufferCount = Data::ReadU32(s);
  d.RefreshRate = Data::ReadU32(s);
  Data::ReadU32(s);  // alpha bit depth
  Data::ReadU32(s);  // reserved
  Data::ReadU32(s);  // surface pointer of the writer
  ReadColorKey(s, unused);
  ReadColorKey(s, unused);
  ReadColorKey(s, unused);
  ReadColorKey(s, d.SrcBltKey);
  Data::ReadU32(s);  // pixel format size
  d.PixelFormat.Flags = Data::ReadU32(s);
  d.PixelFormat.FourCC = Data::ReadU32(s);
  d.PixelFormat.BitCount = Data::ReadU32(s);
  d.PixelFormat.RMask = Data::ReadU32(s);
  d.PixelFormat.GMask = Data::ReadU32(s);
  d.PixelFormat.BMask = Data::ReadU32(s);
  d.PixelFormat.AMask = Data::ReadU32(s);
  d.Caps = Data::ReadU32(s);
  d.Caps2 = Data::ReadU32(s);
  Data::ReadU32(s);
  Data::ReadU32(s);
  d.TextureStage = Data::ReadU32(s);
  return linearSize;
}

void WriteSurfaceImageDesc(Data::TStream& s, const TSurfaceDesc& d) {
  Data::WriteU32(s, SurfaceImageDescBytes);
  Data::WriteU32(s, d.Flags & ~Plat::sdSurface);
  Data::WriteU32(s, d.Height);
  Data::WriteU32(s, d.Width);
  Data::WriteU32(s, (d.Flags & Plat::sdLinearSize) ? d.LinearSize : static_cast<u32>(d.Pitch));
  Data::WriteU32(s, d.BackBufferCount);
  Data::WriteU32(s, d.RefreshRate);
  for (int i = 0; i < 3 + 6; ++i) Data::WriteU32(s, 0);  // alpha depth, reserved, pointer, three keys
  Data::WriteU32(s, d.SrcBltKey.Low);
  Data::WriteU32(s, d.SrcBltKey.High);
  Data::WriteU32(s, 32);
  Data::WriteU32(s, d.PixelFormat.Flags);
  Data::WriteU32(s, d.PixelFormat.FourCC);
  Data::WriteU32(s, d.PixelFormat.BitCount);
  Data::WriteU32(s, d.PixelFormat.RMask);
  Data::WriteU32(s, d.PixelFormat.GMask);
  Data::WriteU32(s, d.PixelFormat.BMask);
  Data::WriteU32(s, d.PixelFormat.AMask);
  Data::WriteU32(s, d.Caps);
  Data::WriteU32(s, d.Caps2);
  Data::WriteU32(s, 0);
  Data::WriteU32(s, 0);
  Data::WriteU32(s, d.TextureStage);
}

// Unlocks a surface on every way out.
struct TLocked {
  TSurface* Surface;
  TSurfaceDesc Desc;
  explicit TLocked(TSurface* surface) : Surface(surface) {
    HRESULT r = surface->Lock(nullptr, Desc);
    if (Plat::Failed(r)) throw EDirectXError("Surface lock failed.", r);
  }
  ~TLocked() { Surface->Unlock(); }
  TLocked(const TLocked&) = delete;
  TLocked& operator=(const TLocked&) = delete;
};

}  // namespace

i32 TSprite::DrawableFrameCount() const {
  const i32 n = Frames.Count();
  return FrameMode() == fmLastIsBackground && n > 0 ? n - 1 : n;
}

void TSprite::LoadDeviceFrames(Data::TStream& stream, u16 frameCount) {
  Data::CheckAvailable(stream, frameCount, SurfaceImageDescBytes);
  DeviceObjects = new TSurface*[frameCount]();
  DeviceObjectCount = frameCount;
  for (i32 i = 0; i < frameCount; ++i) {
    TSurfaceDesc desc;
    const u32 stored = ReadSurfaceImageDesc(stream, desc);
    desc.Flags &= ~(Plat::sdPitch | Plat::sdLinearSize);
    desc.Caps &= ~Plat::scSystemMemory;
    // A short stream must not make a large surface first.
    Data::CheckAvailable(stream, stored, 1);
    DeviceObjects[i] = D3DFramework->CreateSurface(&desc);
    TLocked locked(DeviceObjects[i]);
    if (locked.Desc.LinearSize != stored) throw std::runtime_error("Unequal surface sizes!");
    stream.ReadBuffer(locked.Desc.Surface, static_cast<i32>(stored));
  }
  Flags |= sfDeviceObjects | sfNoCpuCopy;
}

void TSprite::SaveDeviceFrames(Data::TStream& stream) const {
  for (i32 i = 0; i < Frames.Count(); ++i) {
    TLocked locked(DeviceObjects[i]);
    WriteSurfaceImageDesc(stream, locked.Desc);
    stream.WriteBuffer(locked.Desc.Surface, static_cast<i32>(locked.Desc.LinearSize));
  }
}

const u32* TSprite::AlphaPixels(i32 frame, std::vector<u32>& buffer) const {
  const TFrame& f = Frames[frame];
  const u64 bytes = RawFrameBytes();
  if (!f.Pixels) throw EGraphicsError("Sprite frame has no pixel data.");
  buffer.resize(static_cast<std::size_t>(bytes / 4));
  if (Encoding == feLZRW1KH) {
    DecompressLZRW1KHBlocks(f.Pixels, reinterpret_cast<u8*>(buffer.data()), f.PixelBytes, static_cast<u32>(bytes));
  } else {
    if (f.PixelBytes < bytes) throw Data::EInvalidData();
    std::memcpy(buffer.data(), f.Pixels, static_cast<std::size_t>(bytes));
  }
  return buffer.data();
}

void TSprite::CreateDeviceObjects() {
  ReleaseDeviceObjects();
  const i32 n = DrawableFrameCount();
  DeviceObjects = new TSurface*[static_cast<std::size_t>(std::max(n, 0))]();
  DeviceObjectCount = n;
  if (AlphaMode() == 0) {
    for (i32 i = 0; i < n; ++i) {
      TSurface* surface = D3DFramework->CreateOffscreenSurface(Width, Height, 0);
      DeviceObjects[i] = surface;
      if (ColorKey != NoColor) {
        const Plat::TColorKey key{ColorKey, ColorKey};
        surface->SetColorKey(&key);
        Plat::TBltFx fx;
        fx.FillColor = ColorKey;
        surface->Blt(nullptr, nullptr, nullptr, Plat::bltColorFill | Plat::bltWait, &fx);
      }
      if (FrameMode() == fmDelta && i > 0) surface->Blt(nullptr, DeviceObjects[i - 1], nullptr, Plat::bltWait, nullptr);
      // Drawn in software: the objects are not marked as made yet.
      Draw(surface, i, 0, 0, nullptr);
    }
  } else {
    const Plat::TPixelFormat format = ChooseTextureFormat();
    std::vector<u32> pixels, resampled;
    for (i32 i = 0; i < n; ++i) {
      TSurface* texture = D3DFramework->CreateTexture(Width, Height, 0, &format);
      DeviceObjects[i] = texture;
      const u32* source = AlphaPixels(i, pixels);
      const int texW = texture->Width(), texH = texture->Height();
      if (texW < Width || texH < Height) {
        const int w = std::min<int>(Width, texW), h = std::min<int>(Height, texH);
        ScaleX = static_cast<f32>(w) / static_cast<f32>(Width);
        ScaleY = static_cast<f32>(h) / static_cast<f32>(Height);
        resampled.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        ResampleNearest32(source, Width, Height, resampled.data(), w, h);
        source = resampled.data();
      } else {
        ScaleX = ScaleY = 1.0f;
      }
      UploadARGB(texture, source, static_cast<int>(std::floor(Width * ScaleX + 0.5f)),
                 static_cast<int>(std::floor(Height * ScaleY + 0.5f)));
    }
  }
  Flags |= sfDeviceObjects;
}

void TSprite::ReleaseDeviceObjects() {
  if (DeviceObjects) {
    for (i32 i = 0; i < DeviceObjectCount; ++i)
      if (DeviceObjects[i]) DeviceObjects[i]->Release();
    delete[] DeviceObjects;
  }
  DeviceObjects = nullptr;
  DeviceObjectCount = 0;
  Flags &= ~sfDeviceObjects;
}

void TSprite::Upload(bool dropCpuCopy) {
  if (!D3DFramework || (Flags & sfDeviceObjects) || IsEmpty()) return;
  // Shadows are drawn only in software.
  if (AlphaMode() == 0 && ShadowColor != NoColor) return;
  CreateDeviceObjects();
  if (!dropCpuCopy) {
    std::lock_guard<std::recursive_mutex> guard(SpriteRegistryLock);
    SpriteRegistry.Add(this);
    return;
  }
  for (TFrame& f : Frames) {
    delete[] f.Pixels;
    delete[] f.Shadow;
    f.Pixels = f.Shadow = nullptr;
  }
  Flags |= sfNoCpuCopy;
}

// Also after a release (bit 2 clear) or a failed re-creation: the sprite
// leaves the registry whenever it is in it, so no dangling entry remains.
void TSprite::Unload() {
  if (DeviceObjects) ReleaseDeviceObjects();
  std::lock_guard<std::recursive_mutex> guard(SpriteRegistryLock);
  SpriteRegistry.Remove(this);
}

void TSprite::RecreateDeviceObjects() {
  if (!D3DFramework) return;
  ReleaseDeviceObjects();
  CreateDeviceObjects();
}

void TSprite::RestoreDeviceObjects() {
  if (Flags & sfDeviceObjects) RecreateDeviceObjects();
}

}  // namespace Gfx
