// Conversion of loaded frames to the display's pixel layout.
#include <memory>

#include "engine/gfx/kernels.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"

namespace Gfx {

namespace {

[[noreturn]] void RaiseUnsupported() { throw EGraphicsError("Unsupported pixel format conversion."); }

}  // namespace

void TSprite::ConvertFrame(i32 index, int displayBits) {
  TFrame& frame = Frames[index];
  if (Format == 16) {
    if (displayBits != 16) RaiseUnsupported();
    if (ScreenIs565 || !frame.Pixels) return;
    u8* p = frame.Pixels;
    u8* end = p + frame.PixelBytes;
    switch (FrameEncoding()) {
      case feRaw: ConvertBlock565To555(p, p, static_cast<int>(frame.PixelBytes / 2), 1, 0, 0); break;
      case feRunLength:
        for (i32 row = 0; row < Height && p < end; ++row) p = ConvertRLERow565To555(p, end);
        break;
      case feRunLength2:
        for (i32 row = 0; row < Height && p < end; ++row) p = ConvertRLE2Row565To555(p, end);
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
  // One long row: the frame's pixels are contiguous.
  if (displayBits == 32)
    ConvertBlock24To32(src, converted.get(), static_cast<int>(pixels), 1, 0, 0);
  else
    ConvertBlock32To24(src, converted.get(), static_cast<int>(pixels), 1, 0, 0);
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
    if (ColorKey != NoColor) ColorKey = RGB565ToRGB555(ColorKey);
    if (ShadowColor != NoColor) ShadowColor = RGB565ToRGB555(ShadowColor);
  } else if (Format == 24 || Format == 32) {
    Format = static_cast<u16>(display);
  }
}

}  // namespace Gfx
