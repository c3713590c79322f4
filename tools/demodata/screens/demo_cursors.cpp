#include "tools/demodata/screens/demo_cursors.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "tools/databuilder/sprite_builder.h"
#include "tools/demodata/art/demo_map_art.h"

namespace Builder {

namespace {

constexpr i32 Size = 32;
constexpr u32 None = 0xFFFFFFFF;

struct TPoint {
  f32 X, Y;
};

// A set of pixels, tested at their centres.
using TShape = std::function<bool(f32 x, f32 y)>;

TShape Polygon(std::vector<TPoint> p) {
  return [p = std::move(p)](f32 x, f32 y) {
    bool in = false;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
      if ((p[i].Y > y) != (p[j].Y > y) && x < (p[j].X - p[i].X) * (y - p[i].Y) / (p[j].Y - p[i].Y) + p[i].X) in = !in;
    return in;
  };
}

TShape Line(TPoint a, TPoint b, f32 halfWidth) {
  return [=](f32 x, f32 y) {
    const f32 dx = b.X - a.X, dy = b.Y - a.Y;
    const f32 t = std::clamp(((x - a.X) * dx + (y - a.Y) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    const f32 ex = a.X + t * dx - x, ey = a.Y + t * dy - y;
    return ex * ex + ey * ey <= halfWidth * halfWidth;
  };
}

TShape Ring(TPoint c, f32 outer, f32 inner, f32 squash = 1) {
  return [=](f32 x, f32 y) {
    const f32 dx = x - c.X, dy = (y - c.Y) / squash, d2 = dx * dx + dy * dy;
    return d2 <= outer * outer && d2 >= inner * inner;
  };
}

TShape Disc(TPoint c, f32 r) { return Ring(c, r, 0); }

// Layers painted in order over a keyed square; every keyed pixel beside a
// painted one becomes the black outline that keeps the cursor readable on
// any ground.
class TCursor {
 public:
  TCursor& Paint(const TShape& shape, u32 rgb) {
    for (i32 y = 0; y < Size; ++y)
      for (i32 x = 0; x < Size; ++x)
        if (shape(static_cast<f32>(x) + 0.5f, static_cast<f32>(y) + 0.5f)) Pixels[y * Size + x] = rgb;
    return *this;
  }
  // The pointer of the plain cursor, its tip on (1, 1).
  TCursor& Arrow(u32 rgb) {
    return Paint(Polygon({{1, 1}, {1, 19}, {5.5f, 15}, {9, 22}, {12, 20.5f}, {8.5f, 14}, {14, 14}}), rgb);
  }
  // The picture with its outline, 5-6-5 on the key.
  std::vector<u16> Outlined() const {
    std::vector<u16> out(Pixels.size(), DemoKey);
    for (i32 y = 0; y < Size; ++y)
      for (i32 x = 0; x < Size; ++x) {
        const u32 rgb = Pixels[y * Size + x];
        if (rgb != None) {
          out[y * Size + x] = Colour565(rgb);
          continue;
        }
        for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
          const i32 nx = x + dx, ny = y + dy;
          if (nx >= 0 && ny >= 0 && nx < Size && ny < Size && Pixels[ny * Size + nx] != None) out[y * Size + x] = 0;
        }
      }
    return out;
  }
  std::unique_ptr<Gfx::TSprite> Sprite(u32 id, i16 hotX, i16 hotY) const {
    return Frames(id, hotX, hotY, {Outlined()});
  }
  static std::unique_ptr<Gfx::TSprite> Frames(u32 id, i16 hotX, i16 hotY, std::vector<std::vector<u16>> frames) {
    TSpriteShape shape;
    shape.ID = id;
    shape.Width = shape.Height = Size;
    shape.Frames = static_cast<i32>(frames.size());
    shape.HotX = hotX;
    shape.HotY = hotY;
    shape.ColorKey = DemoKey;
    return MakeSprite16(shape, [frames = std::move(frames)](i32 frame, i32 x, i32 y) -> u32 {
      return frames[static_cast<std::size_t>(frame)][static_cast<std::size_t>(y * Size + x)];
    }, TSpriteEncoding::RunLength);
  }

 private:
  std::vector<u32> Pixels = std::vector<u32>(Size * Size, None);
};

constexpr u32 White = 0xFFFFFF, Steel = 0xD8DCE8, Gold = 0xE8C040, Violet = 0xB060F0, Red = 0xE02020,
              Green = 0x40D040, Brown = 0x8A5A2A, Dark = 0x302018, Sand = 0xE8D090;

// A thick arrow from the centre towards (dx, dy), its tip on the edge.
std::unique_ptr<Gfx::TSprite> ScrollCursor(u32 id, i32 dx, i32 dy) {
  const f32 len = std::sqrt(static_cast<f32>(dx * dx + dy * dy));
  const f32 ux = static_cast<f32>(dx) / len, uy = static_cast<f32>(dy) / len;
  const TPoint c{16, 16}, tip{16 + 14 * ux, 16 + 14 * uy}, base{16 + 2 * ux, 16 + 2 * uy};
  const TPoint left{base.X - 9 * uy, base.Y + 9 * ux}, right{base.X + 9 * uy, base.Y - 9 * ux};
  TCursor cursor;
  cursor.Paint(Line({c.X - 11 * ux, c.Y - 11 * uy}, base, 3.5f), Gold).Paint(Polygon({tip, left, right}), Gold);
  // The hot spot just inside the point, where the head has ink.
  return cursor.Sprite(id, static_cast<i16>(16 + 12 * ux), static_cast<i16>(16 + 12 * uy));
}

// A four-pointed star.
TShape Sparkle(TPoint c, f32 r) {
  const f32 w = r * 0.28f;
  return Polygon({{c.X, c.Y - r}, {c.X + w, c.Y - w}, {c.X + r, c.Y}, {c.X + w, c.Y + w}, {c.X, c.Y + r},
                  {c.X - w, c.Y + w}, {c.X - r, c.Y}, {c.X - w, c.Y - w}});
}

// A sword from hilt to point, with a cross-guard.
void Sword(TCursor& c, TPoint hilt, TPoint point) {
  const f32 dx = point.X - hilt.X, dy = point.Y - hilt.Y, len = std::sqrt(dx * dx + dy * dy);
  const f32 ux = dx / len, uy = dy / len;
  const TPoint guard{hilt.X + 6 * ux, hilt.Y + 6 * uy};
  c.Paint(Line(hilt, guard, 1.6f), Brown)
      .Paint(Line({guard.X - 5 * uy, guard.Y + 5 * ux}, {guard.X + 5 * uy, guard.Y - 5 * ux}, 1.5f), Gold)
      .Paint(Line(guard, point, 2.0f), Steel);
}

}  // namespace

std::unique_ptr<Gfx::TSprite> CursorSprite(i32 slot, u32 id) {
  TCursor c;
  switch (slot) {
    case 0:  // dragging the view: arrows to all four sides
      for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        const TPoint tip{16.0f + 14 * dx, 16.0f + 14 * dy}, base{16.0f + 8 * dx, 16.0f + 8 * dy};
        c.Paint(Polygon({tip, {base.X - 5.0f * dy, base.Y + 5.0f * dx}, {base.X + 5.0f * dy, base.Y - 5.0f * dx}}), White);
      }
      c.Paint(Line({6, 16}, {26, 16}, 1.6f), White).Paint(Line({16, 6}, {16, 26}, 1.6f), White);
      return c.Sprite(id, 16, 16);
    case 1:
      return c.Arrow(White).Sprite(id, 1, 1);
    case 2:  // move: a chevron down onto a marked spot
      c.Paint(Ring({16, 25}, 9, 5, 0.45f), Green).Paint(Polygon({{8, 6}, {16, 14}, {24, 6}, {24, 11}, {16, 19}, {8, 11}}), Green);
      return c.Sprite(id, 16, 25);
    case 3:  // attack: crossed swords
      Sword(c, {4, 28}, {28, 4});
      Sword(c, {28, 28}, {4, 4});
      return c.Sprite(id, 16, 16);
    case 4:  // a spell is not possible here: the star struck through
      c.Paint(Sparkle({16, 16}, 13), 0x808080).Paint(Line({5, 27}, {27, 5}, 2.0f), Red);
      return c.Sprite(id, 16, 16);
    case 5:  // a spell is possible here
      c.Paint(Sparkle({16, 16}, 14), Violet).Paint(Disc({16, 16}, 3), White);
      return c.Sprite(id, 16, 16);
    case 6:  // meet: a speech bubble
      c.Paint(Disc({16, 13}, 12), White).Paint(Polygon({{8, 20}, {5, 30}, {16, 22}}), White);
      c.Paint(Disc({10, 13}, 1.6f), Dark).Paint(Disc({16, 13}, 1.6f), Dark).Paint(Disc({22, 13}, 1.6f), Dark);
      return c.Sprite(id, 16, 13);
    case 7:  // enter: an open gate
      c.Paint(Polygon({{5, 30}, {5, 12}, {9, 5}, {16, 2}, {23, 5}, {27, 12}, {27, 30}}), Brown)
          .Paint(Polygon({{10, 30}, {10, 14}, {13, 9}, {16, 8}, {19, 9}, {22, 14}, {22, 30}}), Dark);
      return c.Sprite(id, 16, 20);
    case 8:  // no user: the arrow with a grey tag
      c.Paint(Polygon({{17, 19}, {27, 19}, {27, 27}, {17, 27}}), 0xA0A0A0).Arrow(White);
      return c.Sprite(id, 1, 1);
    case 9:  // refused or no way there
      c.Paint(Ring({16, 16}, 14, 9.5f), Red).Paint(Line({7, 25}, {25, 7}, 2.4f), Red);
      return c.Sprite(id, 16, 16);
    case 10:  // another player moves: an hourglass
      c.Paint(Polygon({{6, 3}, {26, 3}, {17.5f, 16}, {26, 29}, {6, 29}, {14.5f, 16}}), Sand)
          .Paint(Line({5, 2.5f}, {27, 2.5f}, 1.5f), Brown)
          .Paint(Line({5, 29.5f}, {27, 29.5f}, 1.5f), Brown);
      return c.Sprite(id, 16, 16);
    case 11:  // select or enter one's own place: the arrow on a ring
      c.Paint(Ring({22, 23}, 8, 4.5f), Gold).Arrow(White);
      return c.Sprite(id, 1, 1);
    case 12: {  // the click marker: a ring that closes in
      std::vector<std::vector<u16>> frames;
      for (i32 f = 0; f < 6; ++f) {
        const f32 r = 14.0f - 2.0f * static_cast<f32>(f);
        frames.push_back(TCursor().Paint(Ring({16, 16}, r, r - 2.5f), Gold).Outlined());
      }
      return TCursor::Frames(id, 16, 16, std::move(frames));
    }
    case 13: return ScrollCursor(id, 0, 1);
    case 14: return ScrollCursor(id, 0, -1);
    case 15: return ScrollCursor(id, -1, 0);
    case 16: return ScrollCursor(id, 1, 0);
    case 17: return ScrollCursor(id, -1, -1);
    case 18: return ScrollCursor(id, 1, -1);
    case 19: return ScrollCursor(id, -1, 1);
    case 20: return ScrollCursor(id, 1, 1);
    case 21:  // the drag anchor: a cross-hair
      c.Paint(Ring({16, 16}, 7, 4.5f), White).Paint(Disc({16, 16}, 1.5f), White);
      for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        c.Paint(Line({16.0f + 9 * dx, 16.0f + 9 * dy}, {16.0f + 14 * dx, 16.0f + 14 * dy}, 1.2f), White);
      return c.Sprite(id, 16, 16);
    case 22:  // turning a page: a leaf with its corner folded
      c.Paint(Polygon({{6, 3}, {20, 3}, {27, 10}, {27, 29}, {6, 29}}), White)
          .Paint(Polygon({{20, 3}, {20, 10}, {27, 10}}), 0xB0B0B0)
          .Paint(Line({10, 15}, {23, 15}, 0.7f), 0x909090)
          .Paint(Line({10, 20}, {23, 20}, 0.7f), 0x909090)
          .Paint(Line({10, 25}, {23, 25}, 0.7f), 0x909090);
      return c.Sprite(id, 16, 16);
    default:  // 23, the battle screen: a shield
      c.Paint(Polygon({{4, 3}, {28, 3}, {28, 15}, {22, 24}, {16, 30}, {10, 24}, {4, 15}}), 0x3050C0)
          .Paint(Line({16, 5}, {16, 26}, 1.5f), White)
          .Paint(Line({6, 12}, {26, 12}, 1.5f), White);
      return c.Sprite(id, 16, 16);
  }
}

}  // namespace Builder
