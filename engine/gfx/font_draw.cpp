// Drawing text: glyph rows written into locked surface memory, or blits from
// the cached glyph surface when the text has its colour.
#include <algorithm>

#include "engine/gfx/font.h"
#include "engine/gfx/kernels.h"
#include "engine/gfx/screen.h"
#include "engine/platform/display/surface.h"

namespace Gfx {

bool TFont::VisibleGlyph(u8 c, i32 x, i32 y, i32 targetWidth, i32 targetHeight, const Base::TRect* clip,
                         Base::TRect& visible) const {
  if (Pixels.empty()) return false;
  const Base::TRect glyph{x, y, x + Widths[c], y + Height};
  if (!Base::IntersectRect(visible, glyph, {0, 0, targetWidth, targetHeight})) return false;
  return !clip || Base::IntersectRect(visible, visible, *clip);
}

void TFont::DrawGlyphRows(u8 c, const Base::TRect& visible, i32 x, i32 y, u8* dst, i32 pitch, u32 colour) const {
  const int bytes = BitsPerPixel / 8;
  if (bytes == 2 && !ScreenIs565) colour = RGB565ToRGB555(colour);
  const int count = visible.Width();
  const std::size_t cellPitch = static_cast<std::size_t>(CellWidth) * bytes;
  const u8* src = Pixels.data() + (static_cast<std::size_t>(c) * Height + (visible.Top - y)) * cellPitch +
                  static_cast<std::size_t>(visible.Left - x) * bytes;
  for (int row = visible.Top; row < visible.Bottom; ++row, src += cellPitch, dst += pitch) {
    if (bytes == 2)
      DrawGlyphRow16(reinterpret_cast<const u16*>(src), reinterpret_cast<u16*>(dst), count,
                     static_cast<u16>(KeyColor), static_cast<u16>(colour));
    else if (bytes == 3)
      DrawGlyphRow24(src, dst, count, KeyColor, colour);
    else
      DrawGlyphRow32(reinterpret_cast<const u32*>(src), reinterpret_cast<u32*>(dst), count, KeyColor, colour);
  }
}

i32 TFont::DrawCharLocked(const Plat::TSurfaceDesc& desc, i32 x, i32 y, u8 c, u32 colour, const Base::TRect* clip) {
  Base::TRect visible;
  // Glyphs of another depth than the surface's would write past its rows.
  if (desc.PixelFormat.BitCount != BitsPerPixel || !desc.Surface ||
      !VisibleGlyph(c, x, y, static_cast<i32>(desc.Width), static_cast<i32>(desc.Height), clip, visible))
    return Widths[c];
  const int bytes = BitsPerPixel / 8;
  u8* dst = static_cast<u8*>(desc.Surface) + static_cast<std::ptrdiff_t>(desc.Pitch) * visible.Top +
            static_cast<std::ptrdiff_t>(visible.Left) * bytes;
  DrawGlyphRows(c, visible, x, y, dst, desc.Pitch, colour);
  return Widths[c];
}

i32 TFont::DrawChar(Plat::TSurface* surface, i32 x, i32 y, u8 c, u32 colour, const Base::TRect* clip) {
  Base::TRect visible;
  if (!surface || !VisibleGlyph(c, x, y, surface->Width(), surface->Height(), clip, visible)) return Widths[c];
  if (OnDevice && Surface && colour == SurfaceColor) {
    const i32 left = c * CellWidth - x;
    const Base::TRect source{left + visible.Left, visible.Top - y, left + visible.Right, visible.Bottom - y};
    surface->Blt(&visible, Surface, &source, Plat::bltKeySrc | Plat::bltWait, nullptr);
    return Widths[c];
  }
  Plat::TSurfaceDesc desc;
  if (Plat::Failed(surface->Lock(&visible, desc))) return Widths[c];
  desc.Width = static_cast<u32>(visible.Width());
  desc.Height = static_cast<u32>(visible.Height());
  DrawCharLocked(desc, x - visible.Left, y - visible.Top, c, colour, nullptr);
  surface->Unlock();
  return Widths[c];
}

void TFont::DrawText(Plat::TSurface* surface, i32 x, i32 y, std::string_view text, u32 colour,
                     const Base::TRect* clip) {
  if (!surface || text.empty()) return;
  const i32 lineStep = Height + LineGap;
  if (OnDevice && Surface && colour == SurfaceColor) {
    i32 penX = x, penY = y;
    for (char ch : text) {
      if (ch == '\n' || ch == '\r') {
        penX = x;
        penY += lineStep;
      } else {
        penX += DrawChar(surface, penX, penY, static_cast<u8>(ch), colour, clip) + Spacing;
      }
    }
    return;
  }
  // One lock for the whole text instead of one per glyph: the same pixels.
  Base::TRect area{0, 0, surface->Width(), surface->Height()};
  if (clip && !Base::IntersectRect(area, area, *clip)) return;
  if (Base::IsRectEmpty(area)) return;
  Plat::TSurfaceDesc desc;
  if (Plat::Failed(surface->Lock(&area, desc))) return;
  desc.Width = static_cast<u32>(area.Width());
  desc.Height = static_cast<u32>(area.Height());
  i32 penX = x - area.Left, penY = y - area.Top;
  for (char ch : text) {
    if (ch == '\n' || ch == '\r') {
      penX = x - area.Left;
      penY += lineStep;
    } else {
      penX += DrawCharLocked(desc, penX, penY, static_cast<u8>(ch), colour, nullptr) + Spacing;
    }
  }
  surface->Unlock();
}

}  // namespace Gfx
