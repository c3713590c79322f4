// Software drawing of sprites: frames decoded row by row straight into
// locked surface memory or a bitmap, with background frames, colour keys,
// shadows and the software alpha blend.
#include <cstring>
#include <stdexcept>

#include "engine/base/base.h"
#include "engine/gfx/bitmap.h"
#include "engine/gfx/kernels.h"
#include "engine/gfx/lzrw1kh.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "engine/platform/display/display_types.h"

namespace Gfx {

namespace {

inline u32 Get32(const u8* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<u32>(p[3]) << 24; }

inline int Clamp255(int v) { return v > 255 ? 255 : v; }

// The software blend of one channel by alpha mode; clipped rows always take
// the plain mix.
inline int BlendChannel(u8 mode, int d, int s, float a, float ia) {
  switch (mode) {
    case 0xFF: return Clamp255(static_cast<int>(d * ia + 0.5f + s));
    case 0xFE: return Clamp255(static_cast<int>(s * a + d));
    default: return static_cast<int>(d * ia + s * a);
  }
}

// count ARGB pixels blended into 16- or 32-bit destination pixels.
void BlendRow(const u8* src, u8* dst, int bytesPerPixel, int count, u8 mode) {
  for (int i = 0; i < count; ++i, src += 4) {
    const u32 s = Get32(src);
    const float a = static_cast<float>(s >> 24) * (1.0f / 255.0f);
    const float ia = 1.0f - a;
    u32 d;
    if (bytesPerPixel == 2) {
      u16 p;
      std::memcpy(&p, dst + 2 * i, 2);
      d = ScreenColorToRGB(p);
    } else {
      std::memcpy(&d, dst + 4 * i, 4);
    }
    const int r = BlendChannel(mode, static_cast<int>(d >> 16 & 0xFF), static_cast<int>(s >> 16 & 0xFF), a, ia);
    const int g = BlendChannel(mode, static_cast<int>(d >> 8 & 0xFF), static_cast<int>(s >> 8 & 0xFF), a, ia);
    const int b = BlendChannel(mode, static_cast<int>(d & 0xFF), static_cast<int>(s & 0xFF), a, ia);
    const u32 rgb = static_cast<u32>(r) << 16 | static_cast<u32>(g) << 8 | static_cast<u32>(b);
    if (bytesPerPixel == 2) {
      const u16 p = static_cast<u16>(RGBToScreenColor(rgb));
      std::memcpy(dst + 2 * i, &p, 2);
    } else {
      std::memcpy(dst + 4 * i, &rgb, 4);
    }
  }
}

inline bool Aligned(const void* p, std::size_t n) { return reinterpret_cast<std::uintptr_t>(p) % n == 0; }

// A raw row of count pixels, keyed or not.
void CopyRaw(const u8* src, u8* dst, int bytesPerPixel, int count, bool keyed, u32 key) {
  if (!keyed || (bytesPerPixel == 2 && key > 0xFFFF)) {
    std::memcpy(dst, src, static_cast<std::size_t>(count) * bytesPerPixel);
    return;
  }
  switch (bytesPerPixel) {
    case 2: {
      if (Aligned(src, 2) && Aligned(dst, 2)) {
        CopyRowKeyed16(reinterpret_cast<const u16*>(src), reinterpret_cast<u16*>(dst), count, static_cast<u16>(key));
        break;
      }
      for (int i = 0; i < count; ++i) {
        u16 v;
        std::memcpy(&v, src + 2 * i, 2);
        if (v != static_cast<u16>(key)) std::memcpy(dst + 2 * i, &v, 2);
      }
      break;
    }
    case 3: CopyRowKeyed24(src, dst, count, key); break;
    case 4:
      if (Aligned(src, 4) && Aligned(dst, 4)) {
        CopyRowKeyed32(reinterpret_cast<const u32*>(src), reinterpret_cast<u32*>(dst), count, key);
        break;
      }
      for (int i = 0; i < count; ++i) {
        u32 v;
        std::memcpy(&v, src + 4 * i, 4);
        if (v != key) std::memcpy(dst + 4 * i, &v, 4);
      }
      break;
    default: break;
  }
}

}  // namespace

const u8* TSprite::SkipRow(const u8* row, const u8* end) const {
  if (AlphaMode() != 0 || FrameEncoding() == feRaw) {
    const std::ptrdiff_t bytes = static_cast<std::ptrdiff_t>(Width) * (AlphaMode() != 0 ? 4 : BitsPerPixel() / 8);
    return end - row >= bytes ? row + bytes : nullptr;
  }
  switch (FrameEncoding()) {
    case feRunLength: return BitsPerPixel() == 16 ? SkipRLERow(row, end) : row;
    case feRunLength2: return BitsPerPixel() == 16 ? SkipRLE2Row(row, end) : row;
    case feLZRW1KH: {
      if (end - row < 2) return nullptr;
      const int n = row[0] | row[1] << 8;
      return end - row - 2 >= n ? row + 2 + n : nullptr;
    }
    default: return nullptr;
  }
}

const u8* TSprite::DrawRow(const u8* row, const u8* end, u8* dst, int bytesPerPixel) const {
  const bool keyed = ColorKey != NoColor;
  if (AlphaMode() != 0) {
    const u8* next = SkipRow(row, end);
    if (next) BlendRow(row, dst, bytesPerPixel, Width, AlphaMode());
    return next;
  }
  switch (FrameEncoding()) {
    case feRaw: {
      const u8* next = SkipRow(row, end);
      if (next) CopyRaw(row, dst, bytesPerPixel, Width, keyed, ColorKey);
      return next;
    }
    case feRunLength:
    case feRunLength2: {
      if (BitsPerPixel() != 16) return row;
      // The decoders write whole pixels; surface rows of 16-bit pixels are
      // always 2-aligned.
      if (!Aligned(dst, 2)) return nullptr;
      u16* out = reinterpret_cast<u16*>(dst);
      if (FrameEncoding() == feRunLength)
        return keyed ? DecodeRLERowKeyed16(row, end, out, Width, ColorKey)
                     : DecodeRLERow16(row, end, out, Width);
      return keyed ? DecodeRLE2RowKeyed16(row, end, out, Width)
                   : DecodeRLE2Row16(row, end, out, Width, static_cast<u16>(ColorKey));
    }
    case feLZRW1KH: {
      const u8* next = SkipRow(row, end);
      if (!next) return nullptr;
      try {
        DecompressLZRW1KHBlocks(row + 2, dst, static_cast<u32>(next - row - 2),
                                static_cast<u32>(Width) * static_cast<u32>(bytesPerPixel));
      } catch (const Data::EInvalidData&) {
        return nullptr;  // a damaged row ends the frame
      }
      return next;
    }
    default: return nullptr;
  }
}

const u8* TSprite::DrawRowClipped(const u8* row, const u8* end, u8* dst, int bytesPerPixel, int skip,
                                  int count) const {
  if (AlphaMode() != 0) {
    const u8* next = SkipRow(row, end);
    if (next) BlendRow(row + 4 * skip, dst, bytesPerPixel, count, 0x01);
    return next;
  }
  switch (FrameEncoding()) {
    case feRaw: {
      const u8* next = SkipRow(row, end);
      if (next) CopyRaw(row + skip * bytesPerPixel, dst, bytesPerPixel, count, ColorKey != NoColor, ColorKey);
      return next;
    }
    case feRunLength:
      if (BitsPerPixel() != 16) return row;
      if (!Aligned(dst, 2)) return nullptr;
      return DecodeRLERowClipped16(row, end, reinterpret_cast<u16*>(dst), skip, count, ColorKey);
    case feRunLength2:
      if (BitsPerPixel() != 16) return row;
      if (!Aligned(dst, 2)) return nullptr;
      return DecodeRLE2RowClipped16(row, end, reinterpret_cast<u16*>(dst), skip, count);
    default: return nullptr;  // compressed rows are drawn only whole
  }
}

const u8* TSprite::SkipShadowRow(const u8* row, const u8* end) const { return Gfx::SkipShadowRow(row, end); }

const u8* TSprite::DrawShadowRow(const u8* row, const u8* end, u8* dst, int bytesPerPixel) const {
  return DrawShadowRowClipped(row, end, dst, bytesPerPixel, 0, Width);
}

const u8* TSprite::DrawShadowRowClipped(const u8* row, const u8* end, u8* dst, int bytesPerPixel, int skip,
                                        int count) const {
  switch (bytesPerPixel) {
    case 2:
      if (!Aligned(dst, 2)) return nullptr;
      return ShadowRowClipped16(row, end, reinterpret_cast<u16*>(dst), skip, count, ScreenIs565 ? 0xF7DE : 0x7BDE);
    case 3: return ShadowRowClipped24(row, end, dst, skip, count);
    case 4:
      if (!Aligned(dst, 4)) return nullptr;
      return ShadowRowClipped32(row, end, reinterpret_cast<u32*>(dst), skip, count);
    default: return nullptr;
  }
}

void TSprite::DrawFrame(i32 frame, u8* dst, int pitch, int bytesPerPixel, const Base::TRect& frameRect,
                        const Base::TRect& visible, bool locked) {
  const TFrame& f = Frames[frame];
  if (!f.Pixels) return;
  // Opaque rows are copied in their own depth, so the destination must have
  // it; alpha rows blend into 16- or 32-bit pixels.
  if (AlphaMode() == 0 ? bytesPerPixel != BitsPerPixel() / 8 : (bytesPerPixel != 2 && bytesPerPixel != 4)) return;
  const u8* row = f.Pixels;
  const u8* end = f.Pixels + f.PixelBytes;
  std::vector<u8> whole;
  const bool clipped = !(visible == frameRect);
  if (AlphaMode() != 0 && Encoding == feLZRW1KH) {
    if (locked && clipped)
      throw std::runtime_error(Base::Format("LZRW1KH sprite not in surface! ID = %d", static_cast<int>(ID)));
    whole.resize(static_cast<std::size_t>(RawFrameBytes()));
    try {
      DecompressLZRW1KHBlocks(f.Pixels, whole.data(), f.PixelBytes, static_cast<u32>(whole.size()));
    } catch (const Data::EInvalidData&) {
      return;
    }
    row = whole.data();
    end = row + whole.size();
  }
  const int skip = visible.Left - frameRect.Left;
  auto rowAt = [&](int y) { return dst + static_cast<std::ptrdiff_t>(pitch) * (y - visible.Top); };
  if (!clipped) {
    for (int y = visible.Top; y < visible.Bottom && row; ++y) row = DrawRow(row, end, rowAt(y), bytesPerPixel);
  } else {
    for (int y = frameRect.Top; y < visible.Top && row; ++y) row = SkipRow(row, end);
    for (int y = visible.Top; y < visible.Bottom && row; ++y)
      row = DrawRowClipped(row, end, rowAt(y), bytesPerPixel, skip, visible.Width());
  }
  if (ShadowColor == NoColor || !f.Shadow) return;
  const u8* shadow = f.Shadow;
  const u8* shadowEnd = f.Shadow + f.ShadowBytes;
  if (!clipped) {
    for (int y = visible.Top; y < visible.Bottom && shadow; ++y)
      shadow = DrawShadowRow(shadow, shadowEnd, rowAt(y), bytesPerPixel);
  } else {
    for (int y = frameRect.Top; y < visible.Top && shadow; ++y) shadow = SkipShadowRow(shadow, shadowEnd);
    for (int y = visible.Top; y < visible.Bottom && shadow; ++y)
      shadow = DrawShadowRowClipped(shadow, shadowEnd, rowAt(y), bytesPerPixel, skip, visible.Width());
  }
}

void TSprite::DrawFrameLocked(i32 frame, const Plat::TSurfaceDesc& desc, const Base::TRect& frameRect,
                              const Base::TRect& visible) {
  const int bytes = static_cast<int>(desc.PixelFormat.BitCount / 8);
  u8* dst = static_cast<u8*>(desc.Surface) + static_cast<std::ptrdiff_t>(desc.Pitch) * visible.Top +
            static_cast<std::ptrdiff_t>(bytes) * visible.Left;
  DrawFrame(frame, dst, desc.Pitch, bytes, frameRect, visible, true);
}

void TSprite::DrawFrameToBitmap(i32 frame, TBitmap* bitmap, const Base::TRect& frameRect,
                                const Base::TRect& visible) {
  const int bytes = bitmap->BitsPerPixel() == 16 ? 2 : 4;
  DrawFrame(frame, bitmap->ScanLine(visible.Top) + static_cast<std::ptrdiff_t>(bytes) * visible.Left,
            bitmap->Pitch(), bytes, frameRect, visible, false);
}

namespace {

// The frames drawn for frame f in software: the background first.
template <class DrawOne>
void Compose(const TSprite& s, i32 frame, DrawOne draw) {
  switch (s.FrameMode()) {
    case fmLastIsBackground: draw(s.FrameCount() - 1); break;
    case fmFirstIsBackground:
      if (frame != 0) draw(0);
      break;
    default: break;
  }
  draw(frame);
}

bool VisibleRect(const TSprite& s, i32 frame, i32 x, i32 y, int width, int height, const Base::TRect* clip,
                 Base::TRect& frameRect, Base::TRect& visible) {
  if (s.IsEmpty() || frame < 0 || frame >= s.FrameCount()) return false;
  frameRect = {x, y, x + s.Width, y + s.Height};
  if (!Base::IntersectRect(visible, frameRect, {0, 0, width, height})) return false;
  return !clip || Base::IntersectRect(visible, visible, *clip);
}

}  // namespace

void TSprite::DrawLocked(const Plat::TSurfaceDesc& desc, i32 frame, i32 x, i32 y, const Base::TRect* clip) {
  Base::TRect frameRect, visible;
  if (!desc.Surface || !VisibleRect(*this, frame, x, y, static_cast<int>(desc.Width), static_cast<int>(desc.Height),
                                    clip, frameRect, visible))
    return;
  Compose(*this, frame, [&](i32 f) { DrawFrameLocked(f, desc, frameRect, visible); });
}

void TSprite::DrawToBitmap(TBitmap* bitmap, i32 frame, i32 x, i32 y, const Base::TRect* clip) {
  Base::TRect frameRect, visible;
  if (!bitmap || !VisibleRect(*this, frame, x, y, bitmap->Width(), bitmap->Height(), clip, frameRect, visible)) return;
  if (Flags & sfDeviceObjects) {
    FillBitmapRect(bitmap, visible, 0, nullptr);
    return;
  }
  Compose(*this, frame, [&](i32 f) { DrawFrameToBitmap(f, bitmap, frameRect, visible); });
}

}  // namespace Gfx
