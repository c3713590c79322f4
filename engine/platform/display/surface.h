// Surfaces of the software display: CPU memory with a size, pitch, pixel
// format, colour key and lost flag. The primary surface is the window: a blit
// to it or a flip of its chain shows the back buffer there.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/platform/display/display_types.h"
#include "engine/platform/window/wintypes.h"

namespace Plat {

// Objects shared by reference count; Release deletes at zero.
class TRefCounted {
 public:
  TRefCounted() = default;
  TRefCounted(const TRefCounted&) = delete;
  TRefCounted& operator=(const TRefCounted&) = delete;
  std::uint32_t AddRef() { return ++Refs; }
  std::uint32_t Release() {
    std::uint32_t left = --Refs;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~TRefCounted() = default;

 private:
  std::atomic<std::uint32_t> Refs{1};
};

// Binds a primary surface to a window.
class TClipper final : public TRefCounted {
 public:
  HRESULT SetHWnd(HWND hWnd) {
    Window = hWnd;
    return Result::Ok;
  }
  HWND Window = nullptr;
};

class TSurface;

// The surfaces of one display object, for restoring and the simulated loss,
// and the video memory they take. Surfaces may outlive the display object.
struct TSurfaceSet {
  std::mutex Lock;
  std::vector<TSurface*> Members;
  std::uint64_t VideoBytes = 0;
  std::uint64_t VideoBudget = 0;
};

// A surface's pixels taken for drawing with the system's own routines.
struct TDeviceContext {
  TSurface* Surface = nullptr;
  TSurfaceDesc Desc;
};

class TSurface final : public TRefCounted {
 public:
  // Made by TDisplay::CreateSurface.
  TSurface(std::shared_ptr<TSurfaceSet> set, const TSurfaceDesc& desc, HWND window);

  HRESULT GetSurfaceDesc(TSurfaceDesc& desc) const;
  // The whole surface or a rectangle of it; the description holds the whole
  // surface's size, the pointer to the rectangle's first pixel and the pitch.
  HRESULT Lock(const TRect* rect, TSurfaceDesc& desc);
  HRESULT Unlock();
  // dst null: the whole surface. A destination whose left exceeds its right
  // (or top its bottom) mirrors. src null with bltColorFill fills.
  HRESULT Blt(const TRect* dst, TSurface* src, const TRect* srcRect, std::uint32_t flags, const TBltFx* fx);
  // Shows the attached back buffer (primary surfaces of a flip chain only).
  HRESULT Flip();
  HRESULT IsLost() const;
  HRESULT Restore();
  // The source colour key; null removes it.
  HRESULT SetColorKey(const TColorKey* key);
  HRESULT GetAttachedSurface(std::uint32_t caps, TSurface** out);
  HRESULT SetClipper(TClipper* clipper);
  HRESULT GetDC(TDeviceContext** dc);
  HRESULT ReleaseDC(TDeviceContext* dc);

  int Width() const { return W; }
  int Height() const { return H; }
  int Pitch() const { return RowBytes; }
  int BytesPerPixel() const { return static_cast<int>(Format.BitCount / 8); }
  const TPixelFormat& PixelFormat() const { return Format; }
  std::uint32_t Caps() const { return SurfaceCaps; }
  std::uint8_t* Bits() { return Memory.data(); }
  const std::uint8_t* Bits() const { return Memory.data(); }
  bool HasColorKey() const { return KeySet; }
  std::uint32_t ColorKey() const { return Key.Low; }
  bool Lost() const { return LostFlag; }
  bool Locked() const { return LockCount > 0; }

  // Marks the surface lost (the display's simulated loss).
  void MarkLost() { LostFlag = true; }

 private:
  friend class TDisplay;
  ~TSurface() override;
  HRESULT Present(const TSurface& source);
  HRESULT CheckUsable() const;

  std::shared_ptr<TSurfaceSet> Set;
  int W = 0, H = 0, RowBytes = 0;
  TPixelFormat Format;
  std::uint32_t SurfaceCaps = 0, SurfaceCaps2 = 0, Stage = 0;
  std::vector<std::uint8_t> Memory;
  std::uint64_t VideoBytes = 0;
  bool KeySet = false;
  TColorKey Key;
  bool LostFlag = false;
  int LockCount = 0;
  HWND Window = nullptr;
  TClipper* Clipper = nullptr;
  TSurface* BackBuffer = nullptr;  // a flip chain's, owned by the primary
  TDeviceContext Dc;
  bool DcHeld = false;
  std::vector<std::uint16_t> PresentScratch;
};

}  // namespace Plat
