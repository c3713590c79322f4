#include "tools/databuilder/font_builder.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "engine/data/stream.h"
#include "engine/platform/system/files.h"

namespace Builder {

namespace {

const char* const FontDir = "/usr/share/fonts/truetype/dejavu/";

// Unicode of the Windows-1252 bytes 0x80 to 0x9F; 0 where none is assigned.
constexpr u16 Cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

u32 Unicode(u8 c) {
  if (c < 32 || c == 0x7F) return 0;
  if (c >= 0x80 && c < 0xA0) return Cp1252High[c - 0x80];
  return c;
}

// Closes what FreeType opened, whatever way the rendering ends.
struct TFreeType {
  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
  ~TFreeType() {
    if (Face) FT_Done_Face(Face);
    if (Library) FT_Done_FreeType(Library);
  }
};

struct TGlyph {
  i32 Advance = 0;
  i32 Left = 0;  // ink offset from the pen
  i32 Top = 0;   // rows above the baseline
  i32 Width = 0, Rows = 0;
  std::vector<u8> Ink;  // Width x Rows, 1 = ink
};

TGlyph RenderGlyph(FT_Face face, u32 code) {
  TGlyph g;
  if (code == 0) return g;
  const FT_UInt index = FT_Get_Char_Index(face, code);
  if (index == 0) return g;
  if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO) || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO))
    throw std::runtime_error("FreeType cannot render a glyph");
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& b = slot->bitmap;
  g.Advance = static_cast<i32>((slot->advance.x + 32) >> 6);
  g.Left = slot->bitmap_left;
  g.Top = slot->bitmap_top;
  g.Width = static_cast<i32>(b.width);
  g.Rows = static_cast<i32>(b.rows);
  g.Ink.resize(static_cast<std::size_t>(g.Width) * g.Rows);
  for (i32 y = 0; y < g.Rows; ++y)
    for (i32 x = 0; x < g.Width; ++x)
      g.Ink[static_cast<std::size_t>(y) * g.Width + x] = (b.buffer[y * b.pitch + x / 8] >> (7 - x % 8)) & 1;
  return g;
}

std::string FontPath(const std::string& file) {
  std::string path = file.find('/') == std::string::npos ? FontDir + file : file;
  if (!Plat::FileExists(path)) throw std::runtime_error("font file not found: " + path + " (fonts-dejavu-core)");
  return path;
}

}  // namespace

std::unique_ptr<Gfx::TFont> RenderFont(u32 id, const TFontStyle& style) {
  TFreeType ft;
  if (FT_Init_FreeType(&ft.Library)) throw std::runtime_error("FreeType cannot start");
  const std::string path = FontPath(style.File);
  if (FT_New_Face(ft.Library, path.c_str(), 0, &ft.Face)) throw std::runtime_error("FreeType cannot read " + path);
  if (FT_Set_Pixel_Sizes(ft.Face, 0, static_cast<FT_UInt>(style.PixelSize)))
    throw std::runtime_error("FreeType cannot size " + path);
  if (style.Oblique) {
    FT_Matrix shear{0x10000, 0x366A, 0, 0x10000};
    FT_Set_Transform(ft.Face, &shear, nullptr);
  }
  const i32 ascender = static_cast<i32>((ft.Face->size->metrics.ascender + 63) >> 6);
  const i32 descender = static_cast<i32>(-ft.Face->size->metrics.descender >> 6);
  std::vector<TGlyph> glyphs(256);
  for (int c = 0; c < 256; ++c) glyphs[c] = RenderGlyph(ft.Face, Unicode(static_cast<u8>(c)));

  auto font = std::make_unique<Gfx::TFont>();
  font->ID = id;
  font->BitsPerPixel = 16;
  font->KeyColor = FontKey;
  font->Height = static_cast<u16>(ascender + descender);
  // A glyph is drawn only as wide as it advances: ink reaching beyond (slanted
  // tops, overhanging tails) widens it by that much.
  i32 cell = 1;
  for (int c = 0; c < 256; ++c) {
    TGlyph& g = glyphs[c];
    const i32 left = std::max(g.Left, 0);
    const bool empty = g.Advance == 0 && g.Width == 0;
    const i32 width = std::max(g.Advance, left + g.Width) + (empty ? 0 : std::max(style.Tracking, 0));
    font->Widths[c] = static_cast<i16>(empty ? 0 : width);
    cell = std::max(cell, width);
  }
  font->CellWidth = static_cast<u16>(cell);
  std::vector<u16> pixels(static_cast<std::size_t>(cell) * 256 * font->Height, FontKey);
  for (int c = 0; c < 256; ++c) {
    const TGlyph& g = glyphs[c];
    const i32 left = std::max(g.Left, 0);
    for (i32 y = 0; y < g.Rows; ++y) {
      const i32 row = ascender - g.Top + y;
      if (row < 0 || row >= font->Height) continue;
      for (i32 x = 0; x < g.Width; ++x)
        if (g.Ink[static_cast<std::size_t>(y) * g.Width + x])
          pixels[(static_cast<std::size_t>(c) * font->Height + row) * cell + left + x] = style.Ink;
    }
  }
  font->Pixels.resize(pixels.size() * 2);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    font->Pixels[2 * i] = static_cast<u8>(pixels[i]);
    font->Pixels[2 * i + 1] = static_cast<u8>(pixels[i] >> 8);
  }
  return font;
}

std::unique_ptr<Gfx::TFont> MakeBoxFont(u32 id, u16 height, const std::function<i32(u8 c)>& width) {
  auto font = std::make_unique<Gfx::TFont>();
  font->ID = id;
  font->BitsPerPixel = 16;
  font->KeyColor = FontKey;
  font->Height = height;
  i32 cell = 1;
  for (int c = 0; c < 256; ++c) {
    font->Widths[c] = static_cast<i16>(width(static_cast<u8>(c)));
    cell = std::max<i32>(cell, font->Widths[c]);
  }
  font->CellWidth = static_cast<u16>(cell);
  font->Pixels.resize(static_cast<std::size_t>(cell) * 256 * height * 2);
  for (int c = 0; c < 256; ++c)
    for (i32 y = 0; y < height; ++y)
      for (i32 x = 0; x < cell; ++x) {
        const i32 w = font->Widths[c];
        const bool ink = x < w && (x == 0 || y == 0 || x == w - 1 || y == height - 1);
        const u16 v = ink ? 0 : static_cast<u16>(FontKey);
        const std::size_t at = ((static_cast<std::size_t>(c) * height + y) * cell + x) * 2;
        font->Pixels[at] = static_cast<u8>(v);
        font->Pixels[at + 1] = static_cast<u8>(v >> 8);
      }
  return font;
}

std::string FontBytes(const Gfx::TFont& font) {
  Data::TMemoryStream s;
  font.Save(s);
  return s.AsString();
}

}  // namespace Builder
