#include "tools/demodata/art/demo_map_art.h"

#include <algorithm>
#include <cmath>

namespace Builder {

namespace {

constexpr u16 Outline = 0x2104;

// A shape filled with a colour that lightens toward its top left, outlined
// where a neighbour lies outside.
template <class Inside>
u32 Shaded(Inside inside, i32 x, i32 y, u32 rgb, i32 w, i32 h) {
  if (!inside(x, y)) return DemoKey;
  if (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1)) return Outline;
  const float light = 1.15f - 0.4f * (static_cast<float>(x) / w + static_cast<float>(y) / h) / 2;
  const auto channel = [&](int shift) {
    return static_cast<u8>(std::clamp(static_cast<float>(rgb >> shift & 0xFF) * light, 0.0f, 255.0f));
  };
  return Rgb565(channel(16), channel(8), channel(0));
}

bool InEllipse(i32 x, i32 y, float cx, float cy, float rx, float ry) {
  const float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
  return dx * dx + dy * dy <= 1;
}

// A small hash for speckles that stay put.
u32 Hash(i32 x, i32 y) {
  u32 h = static_cast<u32>(x) * 374761393u + static_cast<u32>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

constexpr i32 Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

}  // namespace

u16 Colour565(u32 rgb) { return Rgb565(static_cast<u8>(rgb >> 16), static_cast<u8>(rgb >> 8), static_cast<u8>(rgb)); }

TPixelFunction PanelPixels(u32 rgb) {
  return [rgb](i32, i32 x, i32 y) -> u32 { return (x + y) % 7 == 0 ? Colour565(rgb / 2 & 0x7F7F7F) : Colour565(rgb); };
}

TPixelFunction Figure(u32 rgb, bool beast, bool dying) {
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    const i32 sink = dying ? frame * 3 : 0, step = dying ? 0 : (frame % 2 ? 1 : -1);
    const auto inside = [&](i32 px, i32 py) {
      py -= sink;
      if (py < 0 || py > 38 || px < 0 || px >= 40) return false;
      if (beast)
        return InEllipse(px, py, 19, 26, 12, 6) || InEllipse(px, py, 31, 20, 5, 4.5f) ||
               (py >= 30 && (std::abs(px - 11 - step) <= 1 || std::abs(px - 15 + step) <= 1 ||
                             std::abs(px - 23 - step) <= 1 || std::abs(px - 27 + step) <= 1));
      return InEllipse(px, py, 20, 9, 4.5f, 5) || (py >= 15 && py <= 28 && px >= 15 && px <= 25) ||
             (py >= 16 && py <= 26 && (std::abs(px - 13) <= 1 || std::abs(px - 27) <= 1)) ||
             (py >= 29 && (std::abs(px - 17 - step) <= 1 || std::abs(px - 23 + step) <= 1));
    };
    return Shaded(inside, x, y, rgb, 40, 40);
  };
}

TPixelFunction Tree(i32 w, i32 h) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const float cx = w / 2.0f, cy = h * 0.4f, r = std::min(w / 2.0f, h * 0.4f) - 1;
    const auto crown = [&](i32 px, i32 py) { return InEllipse(px, py, cx, cy, r, r); };
    const auto trunk = [&](i32 px, i32 py) { return std::abs(px - w / 2) <= 2 && py > cy && py < h; };
    if (crown(x, y)) {
      const u32 leaf = Hash(x / 3, y / 3) % 4 == 0 ? 0x3C8C3C : 0x2E7030;
      return Shaded(crown, x, y, leaf, w, h);
    }
    return Shaded(trunk, x, y, 0x6B4A2B, w, h);
  };
}

TPixelFunction Rock(i32 w, i32 h) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const auto inside = [&](i32 px, i32 py) { return InEllipse(px, py, w / 2.0f, h * 0.55f, w / 2.0f - 1, h * 0.45f); };
    return Shaded(inside, x, y, Hash(x / 2, y / 2) % 5 == 0 ? 0x9A9A90 : 0x84847C, w, h);
  };
}

TPixelFunction Spring(i32 w, i32 h) {
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    const auto inside = [&](i32 px, i32 py) { return InEllipse(px, py, w / 2.0f, h / 2.0f, w / 2.0f - 1, h / 2.5f); };
    if (!inside(x, y)) return DemoKey;
    const float dx = x + 0.5f - w / 2.0f, dy = (y + 0.5f - h / 2.0f) * 1.25f;
    const i32 ring = static_cast<i32>(std::sqrt(dx * dx + dy * dy)) - frame * 2;
    return Shaded(inside, x, y, (ring & 7) < 2 ? 0x9CD4F4 : 0x3F8FD0, w, h);
  };
}

TPixelFunction Flowers(i32 w, i32 h) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const u32 cell = Hash(x / 5, y / 5);
    if (cell % 3 != 0) return DemoKey;
    const i32 cx = x / 5 * 5 + 2, cy = y / 5 * 5 + 2;
    if (std::abs(x - cx) + std::abs(y - cy) > 1 || !InEllipse(x, y, w / 2.0f, h / 2.0f, w / 2.0f, h / 2.0f))
      return DemoKey;
    const u32 colours[3] = {0xF0D040, 0xE86060, 0xF4F4F4};
    return x == cx && y == cy ? Colour565(0xB07020) : Colour565(colours[cell / 3 % 3]);
  };
}

TPixelFunction Marker(u32 rgb, i32 w, i32 h) {
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    const float dx = (x + 0.5f - w / 2.0f) / (w / 2.0f), dy = (y + 0.5f - h / 2.0f) / (h / 2.0f);
    const float d = dx * dx + dy * dy;
    if (d > 1 || d < 0.55f) return DemoKey;
    const float k = 0.7f + 0.1f * static_cast<float>(frame % 4);
    const auto channel = [&](int shift) { return static_cast<u8>(std::min(255.0f, (rgb >> shift & 0xFF) * k + 40)); };
    return Rgb565(channel(16), channel(8), channel(0));
  };
}

TPixelFunction Corner(i32 which, i32 size) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const bool right = which == 2 || which == 4, bottom = which == 3 || which == 4;
    const i32 cx = right ? size - 1 - x : x, cy = bottom ? size - 1 - y : y;
    if (cx > 2 && cy > 2) return DemoKey;
    return cx == 2 || cy == 2 ? Outline : 0xFFFF;
  };
}

TPixelFunction Flag(u32 rgb, i32 w, i32 h) {
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    if (x <= 1) return y > 0 ? Colour565(x ? 0x4A3020 : 0x7A5030) : 0xFFFF;
    const i32 wave = static_cast<i32>(std::lround(1.5 * std::sin((x + frame * 2) * 0.8)));
    const i32 top = 2 + wave, bottom = std::min(h - 1, 11 + wave);
    if (x >= w || y < top || y > bottom) return DemoKey;
    return y == top || y == bottom || x == w - 1 ? Outline : Colour565(rgb);
  };
}

TPixelFunction Banner(const u32 (&colours)[5], i32 cellWidth, i32 cellHeight) {
  const u32 rows[5] = {colours[0], colours[1], colours[2], colours[3], colours[4]};
  return [=](i32, i32 x, i32 y) -> u32 {
    const i32 column = x / cellWidth, row = std::min(y / cellHeight, 4), cx = x % cellWidth, cy = y % cellHeight;
    if (cx == 0 || cy == 0 || cx == cellWidth - 1 || cy == cellHeight - 1) return 0;
    // As many dots as units.
    if (cy == cellHeight / 2 && cx % 3 == 2 && cx / 3 <= column) return 0xFFFF;
    return Colour565(rows[row]);
  };
}

TPixelFunction Camp(i32 style, i32 size) {
  const u32 canvas[5] = {0xC8B48C, 0xA8946C, 0xB49C7C, 0x8C9C7C, 0x5A4A3A};
  return [=](i32 frame, i32 x, i32 y) -> u32 {
    const float s = size / 120.0f;
    // The fire flickers below the entrance.
    if (InEllipse(x, y, 60 * s, 100 * s, 7 * s, 5 * s))
      return (Hash(x, y + frame) % 3) ? Colour565(0xF0A020) : Colour565(0xE04010);
    const auto tent = [&](i32 px, i32 py) {
      const float top = 22 * s, base = 86 * s;
      if (py < top || py > base) return false;
      const float half = (py - top) / (base - top) * 38 * s;
      return std::abs(px + 0.5f - 60 * s) <= half;
    };
    if (style == 4) {
      const auto den = [&](i32 px, i32 py) { return InEllipse(px, py, 60 * s, 70 * s, 40 * s, 24 * s) && py < 86 * s; };
      if (InEllipse(x, y, 60 * s, 80 * s, 12 * s, 9 * s) && y < 86 * s) return 0x0841;
      return Shaded(den, x, y, canvas[4], size, size);
    }
    const bool door = y > 60 * s && std::abs(x + 0.5f - 60 * s) <= (y - 60 * s) * 0.35f;
    if (tent(x, y) && door) return Outline;
    return Shaded(tent, x, y, canvas[style % 5], size, size);
  };
}

TPixelFunction Mist(i32 size) {
  return [=](i32, i32 x, i32 y) -> u32 {
    const float wave = 0.5f + 0.25f * std::sin(x * 6.283f / size * 2) + 0.25f * std::cos(y * 6.283f / size * 3);
    const u32 a = static_cast<u32>(50 + 60 * wave), grey = a * 225 / 255;
    return a << 24 | grey << 16 | grey << 8 | (a * 235 / 255);
  };
}

std::unique_ptr<Gfx::TSprite> FogEdgeSprite(u32 id, u32 mask, bool explored) {
  constexpr i32 Size = 40;
  const auto covered = [mask](i32 x, i32 y) {
    const auto bit = [mask](i32 dx, i32 dy) { return (mask >> ((dy + 1) * 3 + dx + 1) & 1) ? 1.0f : 0.0f; };
    const float u = (x + 0.5f - Size / 2.0f) / Size, v = (y + 0.5f - Size / 2.0f) / Size;
    const i32 sx = u < 0 ? -1 : 1, sy = v < 0 ? -1 : 1;
    const float fu = std::fabs(u), fv = std::fabs(v);
    // The fields' states meet at their borders and fade from centre to centre.
    const float seen = bit(0, 0) * (1 - fu) * (1 - fv) + bit(sx, 0) * fu * (1 - fv) + bit(0, sy) * (1 - fu) * fv +
                       bit(sx, sy) * fu * fv;
    const float t = std::clamp((seen - 0.25f) * 2, 0.0f, 1.0f);
    return t < (Bayer[y & 3][x & 3] + 0.5f) / 16;
  };
  TSpriteShape shape;
  shape.ID = id;
  shape.Width = shape.Height = Size;
  shape.ColorKey = DemoKey;
  if (explored) return MakeSprite16(shape, [&](i32, i32 x, i32 y) -> u32 { return covered(x, y) ? 0 : DemoKey; },
                                    TSpriteEncoding::RunLength);
  shape.Shadow = true;
  shape.ShadowPixels = covered;
  return MakeSprite16(shape, SolidPixels(DemoKey), TSpriteEncoding::RunLength);
}

}  // namespace Builder
