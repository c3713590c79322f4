// Bitmap fonts: 256 glyphs, one per byte value, each with its own advance
// width. A glyph pixel that is not the key colour is drawn as that pixel
// value plus the text colour, so a font holds its ink as 0 and takes its
// colour when drawn. Besides drawing, a font measures text, breaks it into
// lines of a width and shortens it with "...".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/base/rect.h"
#include "engine/data/data_object.h"

namespace Plat {
class TSurface;
struct TSurfaceDesc;
}  // namespace Plat

namespace Gfx {

// Size of the "FONT" header after the object ID.
constexpr i32 FontHeaderBytes = 526;

class TFont : public Data::TDataObject {
 public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Copies the glyphs, their widths and the depth; not the key colour,
  // spacing, line gap or cached surface.
  void Assign(const Data::TDataObject* source) override;
  // "Invalid data." for a wrong signature, a height of 0, a depth other than
  // 16, 24 or 32 bits, a width beyond the cell or a glyph block the stream
  // does not hold.
  void Load(Data::TStream& stream) override;
  void Save(Data::TStream& stream) const override;
  // Leaves the cached surface alone.
  void Clear() override;
  // To the display's layout and depth; nothing without a display.
  void ConvertToScreenFormat();
  u64 PixelDataSize() const;

  // Colours are 5-6-5 values (0 draws the ink as stored); a null clip clips
  // to the target only. Each returns the character's advance width.
  i32 DrawChar(Plat::TSurface* surface, i32 x, i32 y, u8 c, u32 colour, const Base::TRect* clip);
  i32 DrawCharLocked(const Plat::TSurfaceDesc& desc, i32 x, i32 y, u8 c, u32 colour, const Base::TRect* clip);
  // LF and CR start a new line below x.
  void DrawText(Plat::TSurface* surface, i32 x, i32 y, std::string_view text, u32 colour, const Base::TRect* clip);
  // The text broken into lines of the area's width, one font height apart;
  // clipped to the area when clip is null.
  void DrawWrapped(Plat::TSurface* surface, const Base::TRect& area, std::string_view text, u32 colour,
                   const Base::TRect* clip);

  // Sum of widths plus spacing over every byte, line breaks included.
  i32 TextWidth(std::string_view text) const;
  // The widest line, each CR or LF ending one.
  i32 MaxLineWidth(std::string_view text) const;
  // One line height plus one per CR or LF.
  i32 TextHeight(std::string_view text) const;
  i32 WrappedTextHeight(std::string_view text, i32 width) const;

  // Lines of at most width pixels: each line ends in CR after a wrap, in
  // the source's LF or CR after a hard break, in nothing at the end.
  std::string WrapText(i32 width, std::string_view text) const;
  // As WrapText, the first line starting x pixels in; height grows by one
  // line height per line break made or kept, and x becomes the width used
  // on the last line.
  void WrapTextFrom(i32 width, std::string_view text, std::string& result, i32& height, i32& x) const;

  // "..." put in at position (the end when negative) and characters before
  // it taken out until the text fits the width.
  void AbbreviateToWidth(std::string& text, i32 width, i32 position) const;
  // The same for a box: whole lines first, then words, then characters.
  void AbbreviateToBox(std::string& text, i32 width, i32 position, i32 height) const;

  // A cached surface with every glyph drawn in one colour, blitted when
  // text of that colour is drawn; the font joins FontRegistry.
  void Upload(u32 textColour, u32 background);
  void Unload();
  void CreateDeviceObjects();
  void ReleaseDeviceObjects();
  void RecreateDeviceObjects();
  void RestoreDeviceObjects();

  i32 Width(u8 c) const { return Widths[c]; }

  // 256 cells stacked vertically, CellWidth pixels wide and Height rows tall.
  std::vector<u8> Pixels;
  u16 Height = 0;
  i16 Widths[256] = {};
  u16 CellWidth = 0;
  u16 BitsPerPixel = 0;
  u32 KeyColor = 0;
  i32 Spacing = 0;
  i32 LineGap = 0;
  Plat::TSurface* Surface = nullptr;
  u8 OnDevice = 0;
  u32 SurfaceColor = 0;
  u32 SurfaceBackground = 0;
  // The cached surface's colour key in the display's layout: the background,
  // or a value no drawn glyph pixel takes when the ink meets the background.
  u32 SurfaceKey = 0;

 private:
  // The glyph's rectangle at x, y cut to the target's size and the clip.
  bool VisibleGlyph(u8 c, i32 x, i32 y, i32 targetWidth, i32 targetHeight, const Base::TRect* clip,
                    Base::TRect& visible) const;
  void DrawGlyphRows(u8 c, const Base::TRect& visible, i32 x, i32 y, u8* dst, i32 pitch, u32 colour) const;
  u32 ChooseSurfaceKey(u32 colour, u32 background) const;
};

// The characters of a word at pos: blanks, then everything up to the next
// blank, CR, LF or the end.
i32 WordLength(std::string_view text, i32 pos);

}  // namespace Gfx
