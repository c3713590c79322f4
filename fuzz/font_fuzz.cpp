// Input: a "FONT" record, loaded for each display format (so every
// conversion runs); a font that loads draws all its glyphs into memory and
// measures, wraps and shortens a text of every character.
#include <string>
#include <vector>

#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/platform/display/display_types.h"

namespace {

void Use(Gfx::TFont& font) {
  std::string all(256, ' ');
  for (int c = 0; c < 256; ++c) all[c] = static_cast<char>(c);
  const int bytes = font.BitsPerPixel / 8;
  std::vector<u8> canvas(static_cast<std::size_t>(64) * 24 * bytes);
  Plat::TSurfaceDesc desc;
  desc.Width = 64;
  desc.Height = 24;
  desc.Pitch = 64 * bytes;
  desc.Surface = canvas.data();
  desc.PixelFormat.BitCount = font.BitsPerPixel;
  i32 x = -5;
  for (int c = 0; c < 256; ++c) x = (x + font.DrawCharLocked(desc, x, c % 3 - 1, static_cast<u8>(c), 0x1234, nullptr)) % 64;
  font.MaxLineWidth(all);
  font.WrappedTextHeight(all, 40);
  std::string wrapped = font.WrapText(25, all);
  i32 height = 0, from = 30;
  font.WrapTextFrom(50, all, wrapped, height, from);
  std::string text = all.substr(0, 90);
  font.AbbreviateToWidth(text, 30, 40);
  text = all;
  font.AbbreviateToBox(text, 30, -1, font.Height * 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const struct {
    int Bits;
    bool Is565;
  } displays[] = {{16, false}, {16, true}, {24, false}, {32, false}};
  for (const auto& display : displays) {
    Gfx::SetDisplayBitsPerPixel(display.Bits);
    Gfx::ScreenIs565 = display.Is565;
    try {
      Data::TMemoryStream s(bytes);
      Gfx::TFont font;
      font.Load(s);
      Use(font);
    } catch (const std::runtime_error&) {
    }
  }
  return 0;
}
