#include "tools/demodata/screens/demo_skin.h"

#include <cstdlib>

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_map_art.h"
#include "tools/demodata/art/demo_sprites.h"
#include "tools/demodata/screens/demo_city.h"
#include "tools/demodata/screens/demo_menu.h"
#include "tools/demodata/screens/demo_scrolls.h"

namespace Builder {

namespace {

enum class TState { Normal, Hover, Pressed, Disabled };

// Face colours of a raised piece by state.
u32 FaceOf(TState s) {
  switch (s) {
    case TState::Hover: return 0x9C7A4E;
    case TState::Pressed: return 0x6A5235;
    case TState::Disabled: return 0x6E6A64;
    default: return 0x86683F;
  }
}

// A bevelled plate: light top and left edges, dark bottom and right ones,
// the other way round while pressed.
u32 Bevel(TState s, i32 w, i32 h, i32 x, i32 y) {
  const bool topLeft = x == 0 || y == 0, bottomRight = x == w - 1 || y == h - 1;
  const bool pressed = s == TState::Pressed;
  if (topLeft || bottomRight) {
    const bool light = topLeft != pressed && !(topLeft && bottomRight);
    return s == TState::Disabled ? 0x8A8680 : light ? 0xE8D4A8 : 0x2A1E10;
  }
  return FaceOf(s);
}

TSpriteShape Shape(int entry, i16 w, i16 h) {
  TSpriteShape shape;
  shape.ID = FirstWindowSpriteID + static_cast<u32>(entry);
  shape.Width = w;
  shape.Height = h;
  shape.ColorKey = DemoKey;
  return shape;
}

std::unique_ptr<Gfx::TSprite> Make(const TSpriteShape& shape, const TPixelFunction& pixels) {
  return MakeSprite16(shape, pixels, TSpriteEncoding::RunLength);
}

// An arrow button of 16 by 16 pointing along the bar: up or left when
// decrementing, down or right when incrementing.
std::unique_ptr<Gfx::TSprite> Arrow(int entry, TState s, bool vertical, bool increment) {
  return Make(Shape(entry, 16, 16), [=](i32, i32 x, i32 y) -> u32 {
    const i32 shift = s == TState::Pressed ? 1 : 0;
    i32 along = (vertical ? y : x) - shift, across = (vertical ? x : y) - shift;
    if (increment) along = 15 - along;
    // The triangle: its tip at 5, one pixel wider on each side per row to 9.
    const bool inside = along >= 5 && along <= 9 && std::abs(2 * across - 15) <= 2 * (along - 5) + 1;
    if (inside) return Colour565(s == TState::Disabled ? 0x9A968E : s == TState::Hover ? 0xFFE070 : 0xF4E8C8);
    return Colour565(Bevel(s, 16, 16, x, y));
  });
}

std::unique_ptr<Gfx::TSprite> Thumb(int entry, TState s, bool vertical) {
  const i16 w = vertical ? 16 : 24, h = vertical ? 24 : 16;
  return Make(Shape(entry, w, h), [=](i32, i32 x, i32 y) -> u32 {
    // Three grip lines across the middle.
    const i32 along = vertical ? y : x, across = vertical ? x : y, length = vertical ? h : w;
    const bool grip = across >= 4 && across <= 11 && (along == length / 2 - 3 || along == length / 2 ||
                                                       along == length / 2 + 3);
    if (grip) return Colour565(s == TState::Pressed ? 0x3A2A18 : 0xE0C890);
    return Colour565(Bevel(s, w, h, x, y));
  });
}

std::unique_ptr<Gfx::TSprite> Track(int entry, bool vertical) {
  const i16 w = vertical ? 16 : 400, h = vertical ? 400 : 16;
  return Make(Shape(entry, w, h), [=](i32, i32 x, i32 y) -> u32 {
    const i32 across = vertical ? x : y;
    if (across == 0 || across == 15) return Colour565(0x1E160C);
    return Colour565(across == 7 || across == 8 ? 0x241A10 : 0x3C2E1E);
  });
}

// A frame around a filled rectangle for the entries without a skin here.
std::unique_ptr<Gfx::TSprite> Panel(int entry) {
  const u32 rgb = 0x5A4632 + static_cast<u32>(entry) * 0x030201;
  return Make(Shape(entry, 32, 32), PanelPixels(rgb));
}

// 13 pieces in the scroll bar's entry order.
std::unique_ptr<Gfx::TSprite> ScrollBarPiece(int first, int entry, bool vertical) {
  const int i = entry - first;
  constexpr TState states[] = {TState::Normal, TState::Hover, TState::Pressed, TState::Disabled};
  if (i < 3) return Thumb(entry, states[i], vertical);
  if (i == 3) return Panel(entry);  // no user
  if (i < 12) return Arrow(entry, states[(i - 4) % 4], vertical, i >= 8);
  return Track(entry, vertical);
}

std::unique_ptr<Gfx::TSprite> CheckBox(int entry) {
  const int i = entry - CheckBoxEntry;
  const bool checked = i < 3;
  constexpr TState states[] = {TState::Normal, TState::Hover, TState::Pressed};
  const TState s = states[i % 3];
  return Make(Shape(entry, 16, 16), [=](i32, i32 x, i32 y) -> u32 {
    if (x == 0 || y == 0 || x == 15 || y == 15) return Colour565(s == TState::Hover ? 0xFFE070 : 0x2A1E10);
    if (checked) {
      // A tick: down from (3, 8) to (6, 11), then up to (12, 5).
      const bool tick = (x >= 3 && x <= 6 && (y == x + 5 || y == x + 4)) ||
                        (x >= 6 && x <= 12 && (y == 17 - x || y == 16 - x));
      if (tick) return Colour565(0x2E7D32);
    }
    return Colour565(s == TState::Pressed ? 0xB8A888 : 0xF0E6D0);
  });
}

std::unique_ptr<Gfx::TSprite> MenuButton(int entry) {
  return Make(Shape(entry, 160, 28), [](i32, i32 x, i32 y) -> u32 {
    if (x == 0 || y == 0 || x == 159 || y == 27) return Colour565(0x2A1E10);
    if (x == 1 || y == 1) return Colour565(0xE8D4A8);
    if (x == 158 || y == 26) return Colour565(0x4A3620);
    return Colour565(0x7A5C36 + static_cast<u32>(y / 4) * 0x030201);
  });
}

}  // namespace

std::unique_ptr<Gfx::TSprite> WindowSprite(int entry) {
  if (IsMenuPictureEntry(entry)) return MenuPicture(entry);
  if (entry == MenuButtonEntry) return MenuButton(entry);
  if (entry >= VerticalScrollBarEntry && entry < VerticalScrollBarEntry + 13)
    return ScrollBarPiece(VerticalScrollBarEntry, entry, true);
  if (entry >= HorizontalScrollBarEntry && entry < HorizontalScrollBarEntry + 13)
    return ScrollBarPiece(HorizontalScrollBarEntry, entry, false);
  if (entry >= CheckBoxEntry && entry < CheckBoxEntry + 6) return CheckBox(entry);
  if (IsCityWindowEntry(entry)) return CityWindowSprite(entry, FirstWindowSpriteID + static_cast<u32>(entry));
  if (IsBookPageEntry(entry)) return BookPageSprite(entry, FirstWindowSpriteID + static_cast<u32>(entry));
  return Panel(entry);
}

}  // namespace Builder
