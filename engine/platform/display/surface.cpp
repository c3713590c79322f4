#include "engine/platform/display/surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "engine/platform/display/blitter.h"
#include "engine/platform/window/platform.h"

namespace Plat {

namespace {

// What a restored surface holds: its old contents are gone.
constexpr std::uint8_t RestoredFill = 0xA5;

bool Inside(const TRect& r, int width, int height) {
  return r.Left >= 0 && r.Top >= 0 && r.Right <= width && r.Bottom <= height && r.Left < r.Right && r.Top < r.Bottom;
}

TPixelView View(std::uint8_t* bits, int pitch, int bytesPerPixel, const TRect& r) {
  return {bits + static_cast<std::ptrdiff_t>(pitch) * r.Top + static_cast<std::ptrdiff_t>(r.Left) * bytesPerPixel,
          pitch, r.Width(), r.Height(), bytesPerPixel};
}

std::uint16_t To565(std::uint32_t p, const TPixelFormat& f) {
  if (f.BitCount == 16) return static_cast<std::uint16_t>((p & 0x1F) | (p & 0x7FE0) << 1);  // 5-5-5
  return static_cast<std::uint16_t>((p >> 8 & 0xF800) | (p >> 5 & 0x07E0) | (p >> 3 & 0x001F));
}

}  // namespace

TSurface::TSurface(std::shared_ptr<TSurfaceSet> set, const TSurfaceDesc& desc, HWND window)
    : Set(std::move(set)),
      W(static_cast<int>(desc.Width)),
      H(static_cast<int>(desc.Height)),
      Format(desc.PixelFormat),
      SurfaceCaps(desc.Caps),
      SurfaceCaps2(desc.Caps2),
      Stage(desc.TextureStage),
      Window(window) {
  if (!(SurfaceCaps & scPrimarySurface)) {
    RowBytes = W * static_cast<int>(Format.BitCount / 8);
    Memory.assign(static_cast<std::size_t>(RowBytes) * static_cast<std::size_t>(H), 0);
    VideoBytes = Memory.size();
  }
  if (desc.Flags & sdCKSrcBlt) {
    KeySet = true;
    Key = desc.SrcBltKey;
  }
  std::lock_guard<std::mutex> guard(Set->Lock);
  Set->Members.push_back(this);
  Set->VideoBytes += VideoBytes;
}

TSurface::~TSurface() {
  if (BackBuffer) BackBuffer->Release();
  if (Clipper) Clipper->Release();
  std::lock_guard<std::mutex> guard(Set->Lock);
  std::erase(Set->Members, this);
  Set->VideoBytes -= VideoBytes;
}

HRESULT TSurface::CheckUsable() const {
  if (LostFlag) return Result::SurfaceLost;
  if (LockCount > 0) return Result::SurfaceBusy;
  return Result::Ok;
}

HRESULT TSurface::GetSurfaceDesc(TSurfaceDesc& desc) const {
  desc = {};
  desc.Flags = sdCaps | sdHeight | sdWidth | sdPitch | sdPixelFormat | sdLinearSize | (KeySet ? sdCKSrcBlt : 0);
  desc.Width = static_cast<std::uint32_t>(W);
  desc.Height = static_cast<std::uint32_t>(H);
  desc.Pitch = RowBytes;
  desc.LinearSize = static_cast<std::uint32_t>(Memory.size());
  desc.PixelFormat = Format;
  desc.SrcBltKey = Key;
  desc.Caps = SurfaceCaps;
  desc.Caps2 = SurfaceCaps2;
  desc.TextureStage = Stage;
  return Result::Ok;
}

HRESULT TSurface::Lock(const TRect* rect, TSurfaceDesc& desc) {
  if (SurfaceCaps & scPrimarySurface) return Result::CantLockSurface;
  if (HRESULT r = CheckUsable(); Failed(r)) return r;
  const TRect r = rect ? *rect : TRect{0, 0, W, H};
  if (!Inside(r, W, H)) return Result::InvalidRect;
  GetSurfaceDesc(desc);
  desc.Flags |= sdSurface;
  desc.Surface = View(Memory.data(), RowBytes, BytesPerPixel(), r).Bits;
  ++LockCount;
  return Result::Ok;
}

HRESULT TSurface::Unlock() {
  if (LockCount == 0) return Result::NotLocked;
  --LockCount;
  return Result::Ok;
}

HRESULT TSurface::Present(const TSurface& source) {
  HWND target = Clipper && Clipper->Window ? Clipper->Window : Window;
  if (!target || !Installed()) return Result::Ok;
  const std::uint16_t* pixels = reinterpret_cast<const std::uint16_t*>(source.Bits());
  int pitch = source.Pitch();
  if (!(source.Format == FormatRGB565)) {
    // Only the 5-5-5 test mode and 32-bit modes get here.
    PresentScratch.resize(static_cast<std::size_t>(source.W) * static_cast<std::size_t>(source.H));
    for (int y = 0; y < source.H; ++y) {
      const std::uint8_t* row = source.Bits() + static_cast<std::ptrdiff_t>(source.RowBytes) * y;
      std::uint16_t* out = &PresentScratch[static_cast<std::size_t>(y) * source.W];
      for (int x = 0; x < source.W; ++x) {
        std::uint32_t p = source.Format.BitCount == 16 ? reinterpret_cast<const std::uint16_t*>(row)[x]
                                                       : reinterpret_cast<const std::uint32_t*>(row)[x];
        out[x] = To565(p, source.Format);
      }
    }
    pixels = PresentScratch.data();
    pitch = source.W * 2;
  }
  Current().Present(target, pixels, pitch, source.W, source.H);
  return Result::Ok;
}

HRESULT TSurface::Blt(const TRect* dst, TSurface* src, const TRect* srcRect, std::uint32_t flags, const TBltFx* fx) {
  if (HRESULT r = CheckUsable(); Failed(r)) return r;
  if (flags & bltColorFill) {
    if (!fx) return Result::InvalidParams;
    if (Memory.empty()) return Result::Unsupported;
    TRect r = dst ? *dst : TRect{0, 0, W, H};
    if (!Inside(r, W, H)) return Result::InvalidRect;
    FillPixels(View(Memory.data(), RowBytes, BytesPerPixel(), r), fx->FillColor);
    return Result::Ok;
  }
  if (!src) return Result::InvalidParams;
  if (src != this)
    if (HRESULT r = src->CheckUsable(); Failed(r)) return r;
  if (SurfaceCaps & scPrimarySurface) return Present(*src);
  if (src->Memory.empty()) return Result::Unsupported;
  if (src->Format.BitCount != Format.BitCount || (Format.BitCount != 16 && Format.BitCount != 32))
    return Result::InvalidPixelFormat;

  const TRect s = srcRect ? *srcRect : TRect{0, 0, src->W, src->H};
  TRect d = dst ? *dst : TRect{0, 0, W, H};
  if (!Inside(s, src->W, src->H)) return Result::InvalidRect;
  TBlitKey key{(flags & bltKeySrc) && src->KeySet, src->Key.Low};
  const TPixelView from = View(src->Memory.data(), src->RowBytes, src->BytesPerPixel(), s);

  if (flags & bltRotationAngle) {
    if (!fx) return Result::InvalidParams;
    // The picture is turned about the destination's centre and clipped to
    // the surface, so a sprite near the edge stays partly visible.
    if (d.Left == d.Right || d.Top == d.Bottom) return Result::Ok;
    std::vector<std::uint8_t> copy;
    TPixelView source = from;
    if (src == this) {
      copy.resize(static_cast<std::size_t>(s.Width()) * BytesPerPixel() * s.Height());
      TPixelView tmp{copy.data(), s.Width() * BytesPerPixel(), s.Width(), s.Height(), BytesPerPixel()};
      CopyPixels(tmp, from, {});
      source = tmp;
    }
    const double angle = fx->RotationAngle * std::numbers::pi / 18000.0;
    const double left = d.Left, right = d.Right, top = d.Top, bottom = d.Bottom;
    RotatePixels({Memory.data(), RowBytes, W, H, BytesPerPixel()}, source, (left + right) / 2, (top + bottom) / 2,
                 std::fabs(right - left), std::fabs(bottom - top), angle, key);
    return Result::Ok;
  }

  const bool mirrorX = d.Left > d.Right, mirrorY = d.Top > d.Bottom;
  if (mirrorX) std::swap(d.Left, d.Right);
  if (mirrorY) std::swap(d.Top, d.Bottom);
  if (!Inside(d, W, H)) return Result::InvalidRect;
  const TPixelView to = View(Memory.data(), RowBytes, BytesPerPixel(), d);
  if (!mirrorX && !mirrorY && d.Width() == s.Width() && d.Height() == s.Height()) {
    CopyPixels(to, from, key);
    return Result::Ok;
  }
  if (src == this) {
    std::vector<std::uint8_t> copy(static_cast<std::size_t>(s.Width()) * BytesPerPixel() * s.Height());
    TPixelView tmp{copy.data(), s.Width() * BytesPerPixel(), s.Width(), s.Height(), BytesPerPixel()};
    CopyPixels(tmp, from, {});
    StretchPixels(to, tmp, mirrorX, mirrorY, key);
    return Result::Ok;
  }
  StretchPixels(to, from, mirrorX, mirrorY, key);
  return Result::Ok;
}

HRESULT TSurface::Flip() {
  if (!(SurfaceCaps & scPrimarySurface) || !BackBuffer) return Result::NotFound;
  if (HRESULT r = CheckUsable(); Failed(r)) return r;
  if (HRESULT r = BackBuffer->CheckUsable(); Failed(r)) return r;
  return Present(*BackBuffer);
}

HRESULT TSurface::IsLost() const { return LostFlag ? Result::SurfaceLost : Result::Ok; }

HRESULT TSurface::Restore() {
  if (!LostFlag) return Result::Ok;
  LostFlag = false;
  std::fill(Memory.begin(), Memory.end(), RestoredFill);
  return Result::Ok;
}

HRESULT TSurface::SetColorKey(const TColorKey* key) {
  KeySet = key != nullptr;
  Key = key ? *key : TColorKey{};
  return Result::Ok;
}

HRESULT TSurface::GetAttachedSurface(std::uint32_t caps, TSurface** out) {
  *out = nullptr;
  if (!(caps & scBackBuffer) || !BackBuffer) return Result::NotFound;
  *out = BackBuffer;
  BackBuffer->AddRef();
  return Result::Ok;
}

HRESULT TSurface::SetClipper(TClipper* clipper) {
  if (clipper) clipper->AddRef();
  if (Clipper) Clipper->Release();
  Clipper = clipper;
  return Result::Ok;
}

HRESULT TSurface::GetDC(TDeviceContext** dc) {
  *dc = nullptr;
  if (DcHeld) return Result::DCAlreadyCreated;
  if (HRESULT r = Lock(nullptr, Dc.Desc); Failed(r)) return r;
  Dc.Surface = this;
  DcHeld = true;
  *dc = &Dc;
  return Result::Ok;
}

HRESULT TSurface::ReleaseDC(TDeviceContext* dc) {
  if (!DcHeld || dc != &Dc) return Result::InvalidParams;
  DcHeld = false;
  return Unlock();
}

}  // namespace Plat
