// Conversion of loaded frames to the display's pixel layout.
#include <memory>

#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"

namespace Gfx {

namespace {

[[noreturn]] void RaiseUnsupported() { throw EGraphicsError("Unsupported pixel format conversion."); }

u16 To555(u16 p) { return static_cast<u16>(RGB565ToRGB555(p)); }

void ConvertPixel(u8* p) {
  u16 v = To555(static_cast<u16>(p[0] | p[1] << 8));
  p[0] = static_cast<u8>(v);
  p[1] = static_cast<u8>(v >> 8);
}

// Converts up to count pixels that lie before end; returns the position after them.
u8* ConvertPixels(u8* p, u8* end, int count) {
  for (; count > 0 && end - p >= 2; --count, p += 2) ConvertPixel(p);
  return count > 0 ? end : p;
}

// Rows of encodings 1 and 2 may be damaged: the walks stop at the frame's end.
u8* ConvertRunLengthRow(u8* p, u8* end) {
  while (p < end) {
    int c = static_cast<i8>(*p++);
    if (c == 0) break;
    p = ConvertPixels(p, end, c > 0 ? c : 1);
  }
  return p;
}

u8* ConvertRunLength2Item(u8* p, u8* end, int c) {
  if (c > 0) return ConvertPixels(p, end, c);
  if (c < 0 && (c >= -32 || c == -128)) return ConvertPixels(p, end, 1);
  return p;  // filler or transparent run: no pixel follows
}

u8* ConvertRunLength2Row(u8* p, u8* end) {
  if (end - p < 2) return end;
  if ((p[0] | p[1] << 8) == 2) return p + 2;
  p += 2;
  while (end - p >= 2) {
    int low = static_cast<i8>(p[0]);
    int high = static_cast<i8>(p[1]);
    p = ConvertRunLength2Item(p + 2, end, low);
    if (high == 0) return p;
    p = ConvertRunLength2Item(p, end, high);
  }
  return end;
}

}  // namespace

void TSprite::ConvertFrame(i32 index, int displayBits) {
  TFrame& frame = Frames[index];
  if (Format == 16) {
    if (displayBits != 16) RaiseUnsupported();
    if (ScreenIs565 || !frame.Pixels) return;
    u8* p = frame.Pixels;
    u8* end = p + frame.PixelBytes;
    switch (FrameEncoding()) {
      case feRaw: ConvertPixels(p, end, static_cast<int>(frame.PixelBytes / 2)); break;
      case feRunLength:
        for (i32 row = 0; row < Height && p < end; ++row) p = ConvertRunLengthRow(p, end);
        break;
      case feRunLength2:
        for (i32 row = 0; row < Height && p < end; ++row) p = ConvertRunLength2Row(p, end);
        break;
      default: break;  // compressed rows stay as stored
    }
    return;
  }
  if (Format != 24 && Format != 32) return;  // sprites with an alpha mode are never converted
  if (displayBits != 24 && displayBits != 32) RaiseUnsupported();
  if (displayBits == Format) return;
  if (FrameEncoding() != feRaw) RaiseUnsupported();
  u64 pixels = static_cast<u64>(Width) * static_cast<u64>(Height);
  Data::CheckData(frame.PixelBytes >= pixels * (Format / 8) && (frame.Pixels || pixels == 0));
  const u8* src = frame.Pixels;
  std::unique_ptr<u8[]> converted(new u8[pixels * static_cast<u64>(displayBits / 8)]);
  u8* dst = converted.get();
  for (u64 i = 0; i < pixels; ++i) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
    if (displayBits == 32) dst[3] = 0;
    src += Format / 8;
    dst += displayBits / 8;
  }
  delete[] frame.Pixels;
  frame.Pixels = converted.release();
  frame.PixelBytes = static_cast<u32>(pixels * static_cast<u64>(displayBits / 8));
}

void TSprite::ConvertToScreenFormat() {
  const int display = DisplayBitsPerPixel();
  if (IsEmpty() || !(Flags & sfConvert) || (Flags & sfDeviceObjects) || display == 0) return;
  for (i32 i = 0; i < Frames.Count(); ++i) ConvertFrame(i, display);
  if (Format == 16) {
    if (ScreenIs565) return;
    if (ColorKey != NoColor) ColorKey = To555(static_cast<u16>(ColorKey));
    if (ShadowColor != NoColor) ShadowColor = To555(static_cast<u16>(ShadowColor));
  } else if (Format == 24 || Format == 32) {
    Format = static_cast<u16>(display);
  }
}

}  // namespace Gfx
