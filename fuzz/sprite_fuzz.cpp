// Input: a sprite stream, loaded for each display format (5-5-5, 5-6-5, 24
// and 32 bits, so every conversion runs), then the same bytes as a sprite
// archive read whole and opened as an index whose every sprite is fetched.
// Compressed frames are decoded as the drawing code would decode them.
#include <string>
#include <vector>

#include "engine/gfx/lzrw1kh.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite_list.h"

namespace {

void DecodeFrames(const Gfx::TSprite& sprite) {
  if (sprite.FrameEncoding() != Gfx::feLZRW1KH) return;
  const bool whole = sprite.AlphaMode() != 0;
  std::vector<u8> out(static_cast<std::size_t>(whole ? sprite.RawFrameBytes() : sprite.Width * 4));
  for (const Gfx::TFrame& f : sprite.Frames) {
    if (!f.Pixels) continue;
    if (whole) {
      Gfx::DecompressLZRW1KHBlocks(f.Pixels, out.data(), f.PixelBytes, static_cast<u32>(out.size()));
      continue;
    }
    // Opaque rows: a u16 byte count, then the row's block sequence.
    for (u32 pos = 0, row = 0; row < static_cast<u32>(sprite.Height) && f.PixelBytes - pos >= 2; ++row) {
      u32 n = f.Pixels[pos] | f.Pixels[pos + 1] << 8;
      pos += 2;
      if (n > f.PixelBytes - pos) break;
      Gfx::DecompressLZRW1KHBlocks(f.Pixels + pos, out.data(), n, static_cast<u32>(out.size()));
      pos += n;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const struct {
    int Bits;
    bool Is565;
  } displays[] = {{16, false}, {16, true}, {24, false}, {32, false}};
  for (const auto& display : displays) {
    Gfx::SetDisplayBitsPerPixel(display.Bits);
    Gfx::ScreenIs565 = display.Is565;
    try {
      Data::TMemoryStream s(bytes);
      Gfx::TSprite sprite(Gfx::sfConvert);
      sprite.Load(s);
      DecodeFrames(sprite);
    } catch (const std::runtime_error&) {
    }
  }
  // The lists at one of the formats.
  Gfx::SetDisplayBitsPerPixel(displays[size % 4].Bits);
  Gfx::ScreenIs565 = displays[size % 4].Is565;
  try {
    Data::TMemoryStream s(bytes);
    Gfx::TSpriteList list(Gfx::sfConvert);
    list.Load(s);
    for (const Gfx::TSprite* sprite : list.Sprites.Items) DecodeFrames(*sprite);
  } catch (const std::runtime_error&) {
  }
  try {
    Gfx::TSpriteList list(Gfx::sfIndexMode);
    list.OpenIndex(new Data::TMemoryStream(bytes));
    for (i32 i = 0; i < list.IndexCount(); ++i) {
      try {
        Gfx::TSprite* sprite = list.GetSprite(list.Index[i].ID);
        if (sprite) DecodeFrames(*sprite);
        list.ReleaseSprite(sprite);
      } catch (const std::runtime_error&) {
      }
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
