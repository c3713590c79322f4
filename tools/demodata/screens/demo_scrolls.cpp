#include "tools/demodata/screens/demo_scrolls.h"

#include <algorithm>
#include <cstdlib>

#include "tools/demodata/art/demo_map_art.h"

namespace Builder {

namespace {

TSpriteShape Shape(u32 id, i16 w, i16 h, i32 frames = 1) {
  TSpriteShape s;
  s.ID = id;
  s.Width = w;
  s.Height = h;
  s.Frames = frames;
  s.ColorKey = DemoKey;
  return s;
}

std::unique_ptr<Gfx::TSprite> Make(const TSpriteShape& shape, const TPixelFunction& pixels) {
  return MakeSprite16(shape, pixels, TSpriteEncoding::RunLength);
}

// Light paper with a faint grain and darker stains, browning towards the rim.
u32 Paper(i32 x, i32 y, i32 w, i32 h) {
  const i32 rim = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
  const i32 grain = (x * 7 + y * 13) % 11 == 0 ? 10 : 0;
  const i32 shade = std::max(0, 24 - rim) + grain + ((x / 37 + y / 29) % 5 == 0 ? 6 : 0);
  return Rgb565(static_cast<u8>(236 - shade), static_cast<u8>(222 - shade), static_cast<u8>(180 - shade));
}

// A wooden rod across the parchment with knobs at both ends; its stripes
// move by frame so that it seems to turn.
TPixelFunction Rod(i32 length, i32 thickness, bool vertical) {
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    const i32 along = vertical ? x : y, across = vertical ? y : x;
    const bool knob = along < 12 || along >= length - 12;
    const i32 r = thickness / 2, d = std::abs(2 * across - (thickness - 1));
    if (!knob && d > thickness - 6) return DemoKey;
    if (knob && d > thickness - 1) return DemoKey;
    const i32 light = (thickness - d) * 3;
    if (knob) return Rgb565(static_cast<u8>(90 + light), static_cast<u8>(50 + light / 2), 20);
    const bool stripe = ((across + frame * r / 2) / 3) % 4 == 0;
    return stripe ? Rgb565(70, 40, 15) : Rgb565(static_cast<u8>(120 + light), static_cast<u8>(75 + light / 2), 30);
  };
}

// A closed book seen from above that opens over frames 0 to 3: the cover
// narrows to the right half, then both pages lie open.
TPixelFunction Book(i32 w, i32 h) {
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    // Rows from 380 down stay free for the tabs in front of the book.
    if (y < 6 || y >= h - 76) return DemoKey;
    const i32 half = w / 2;
    const u32 leather = Rgb565(110, 30, 25), edge = Rgb565(60, 15, 10);
    const bool border = y < 10 || y >= h - 80;
    if (frame == 0) {
      if (x < half) return DemoKey;
      return border || x < half + 4 || x >= w - 4 ? edge : leather;
    }
    if (frame == 1) {
      if (x < half - 60) return DemoKey;
      return x < half ? (border ? edge : leather) : Paper(x - half, y, half, h);
    }
    const bool leftOpen = frame == 3;
    if (x < half && !leftOpen) return x < 8 || border ? edge : leather;
    if (x == half - 1 || x == half) return Rgb565(90, 70, 40);
    return border ? edge : Paper(x % half, y, half, h);
  };
}

}  // namespace

bool IsScrollSlot(int slot) { return (slot >= HorizScrollSlot && slot <= PortraitFrameSlot) || slot == BookSlot; }

std::unique_ptr<Gfx::TSprite> ScrollSprite(int slot, u32 id) {
  switch (slot) {
    case HorizScrollSlot:
      return Make(Shape(id, 600, 140), [](i32, i32 x, i32 y) { return Paper(x, y, 600, 140); });
    case HorizScrollSlot + 1:
      return Make(Shape(id, 24, 170, 4), Rod(170, 24, false));
    case VertScrollSlot: {
      // Also drawn stretched (the unit detail window): an opaque alpha sprite.
      TSpriteShape s = Shape(id, 520, 460);
      s.ColorKey = Gfx::NoColor;
      return MakeAlphaSprite(s, [](i32, i32 x, i32 y) -> u32 {
        const u32 c = Paper(x, y, 520, 460);
        return 0xFF000000u | ((c >> 11) & 31) << 19 | ((c >> 5) & 63) << 10 | (c & 31) << 3;
      });
    }
    case VertScrollSlot + 1:
      return Make(Shape(id, 560, 24, 4), Rod(560, 24, true));
    case PortraitFrameSlot: {
      TSpriteShape s = Shape(id, 88, 88);
      s.HotX = s.HotY = 4;
      return Make(s, [](i32, i32 x, i32 y) -> u32 {
        const bool inside = x >= 4 && x < 84 && y >= 4 && y < 84;
        if (inside) return DemoKey;
        return (x + y) % 6 < 3 ? Rgb565(200, 160, 60) : Rgb565(120, 85, 30);
      });
    }
    default:
      return Make(Shape(id, 568, 456, 4), Book(568, 456));
  }
}

bool IsBookPageEntry(int entry) { return entry >= BookPageEntry && entry <= BookPageEntry + 2; }

std::unique_ptr<Gfx::TSprite> BookPageSprite(int entry, u32 id) {
  if (entry == BookPageEntry) {
    TSpriteShape s = Shape(id, 800, 600);
    s.ColorKey = Gfx::NoColor;
    return Make(s, [](i32, i32 x, i32 y) -> u32 {
      if (x < 100 || x >= 530 || y < 20 || y >= 580) return Rgb565(40, 25, 20);
      return Paper(x - 100, y - 20, 430, 560);
    });
  }
  // The edges fade the scrolling text into the page: paper, thinning out
  // towards the text in a dither. They lie at rows 44 and 461 of the page.
  const bool bottom = entry == BookPageEntry + 1;
  const i16 h = bottom ? 50 : 16;
  return Make(Shape(id, 350, h), [bottom, h](i32, i32 x, i32 y) -> u32 {
    const i32 fromText = bottom ? y : h - 1 - y;
    if (fromText < (x * 5 + y * 3) % 12) return DemoKey;
    return Paper(x + 40, (bottom ? 441 : 24) + y, 430, 560);
  });
}

}  // namespace Builder
