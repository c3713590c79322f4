#include "world/map/map_draw.h"

#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"

namespace GameData {

namespace {

template <class Draw>
void DrawCorners(const Base::TRect& rect, Draw draw) {
  if (!Data2::GlobalData) return;
  Gfx::TSprite* const* table = Data2::GlobalData->SpriteTable;
  const Gfx::TSprite* size = table[2];
  const i32 w = size ? size->Width : 0, h = size ? size->Height : 0;
  const i32 at[4][2] = {{rect.Left, rect.Top}, {rect.Right - w, rect.Top}, {rect.Left, rect.Bottom - h},
                        {rect.Right - w, rect.Bottom - h}};
  for (int i = 0; i < 4; ++i)
    if (table[1 + i]) draw(*table[1 + i], at[i][0], at[i][1]);
}

}  // namespace

void DrawTextCentered(Gfx::TFont* font, Plat::TSurface* target, i32 x, i32 y, std::string_view text, u32 colour,
                      const Base::TRect* clip) {
  if (font) font->DrawText(target, x - font->TextWidth(text) / 2, y, text, colour, clip);
}

void DrawSelectionCorners(Plat::TSurface* target, const Base::TRect& rect, const Base::TRect* clip) {
  DrawCorners(rect, [&](Gfx::TSprite& s, i32 x, i32 y) { s.Draw(target, 0, x, y, clip); });
}

void DrawSelectionCorners(Gfx::TBitmap* target, const Base::TRect& rect, const Base::TRect* clip) {
  DrawCorners(rect, [&](Gfx::TSprite& s, i32 x, i32 y) { s.DrawToBitmap(target, 0, x, y, clip); });
}

}  // namespace GameData
