#include "tools/databuilder/sprite_builder.h"

#include <algorithm>
#include <stdexcept>

#include "engine/gfx/sprite_list.h"
#include "tools/databuilder/lzrw1kh_compressor.h"

namespace Builder {

namespace {

void Put16(std::string& out, u32 v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8 & 0xFF);
}

std::vector<u16> Row16(const TPixelFunction& pixels, i32 frame, i32 y, i32 width) {
  std::vector<u16> row(static_cast<std::size_t>(width));
  for (i32 x = 0; x < width; ++x) row[static_cast<std::size_t>(x)] = static_cast<u16>(pixels(frame, x, y));
  return row;
}

// Encoding 1: runs of equal pixels and every key pixel as runs, the rest as
// literals (a literal is drawn even when it equals the key).
void RunLengthRow(std::string& out, const std::vector<u16>& row, u32 key) {
  const std::size_t width = row.size();
  std::size_t i = 0;
  while (i < width) {
    std::size_t run = 1;
    while (i + run < width && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 2 || row[i] == key) {
      out += static_cast<char>(-static_cast<int>(run));
      Put16(out, row[i]);
      i += run;
      continue;
    }
    std::size_t j = i;
    while (j < width && j - i < 127 && row[j] != key && !(j + 1 < width && row[j + 1] == row[j])) ++j;
    out += static_cast<char>(j - i);
    for (; i < j; ++i) Put16(out, row[i]);
  }
  out += '\0';
}

std::string CompressedRow(const std::vector<u16>& row) {
  std::string raw;
  for (u16 p : row) Put16(raw, p);
  std::string blocks = CompressLZRW1KHBlocks(reinterpret_cast<const u8*>(raw.data()), raw.size());
  if (blocks.size() > 0xFFFF) throw std::invalid_argument("compressed sprite row too long");
  std::string out;
  Put16(out, static_cast<u32>(blocks.size()));
  return out + blocks;
}

// Runs of skipped and darkened pixels; without a pixel function the left
// half is skipped and the right half darkened.
std::string ShadowRows(const TSpriteShape& shape) {
  std::string out;
  for (i32 y = 0; y < shape.Height; ++y) {
    auto darkAt = [&](i32 x) { return shape.ShadowPixels ? shape.ShadowPixels(x, y) : x >= shape.Width / 2; };
    std::string row;
    for (i32 x = 0; x < shape.Width;) {
      const bool dark = darkAt(x);
      i32 n = 1;
      while (x + n < shape.Width && n < (dark ? 128 : 127) && darkAt(x + n) == dark) ++n;
      row += static_cast<char>(dark ? -n : n);
      x += n;
    }
    if (row.size() + 2 > 0xFFFF) throw std::invalid_argument("shadow row too long");
    Put16(out, static_cast<u32>(row.size() + 2));
    out += row;
  }
  return out;
}

std::unique_ptr<Gfx::TSprite> NewSprite(const TSpriteShape& shape, u16 encoding, u16 format) {
  if (shape.Width < 0 || shape.Height < 0 || shape.Frames < 1 || shape.Frames > 1024)
    throw std::invalid_argument("sprite shape out of range");
  auto sprite = std::make_unique<Gfx::TSprite>(0);
  sprite->ID = shape.ID;
  sprite->Encoding = encoding;
  sprite->Format = format;
  sprite->Width = shape.Width;
  sprite->Height = shape.Height;
  sprite->HotX = shape.HotX;
  sprite->HotY = shape.HotY;
  sprite->ColorKey = shape.ColorKey;
  sprite->ShadowColor = shape.Shadow ? 0 : Gfx::NoColor;
  sprite->Frames.SetCount(shape.Frames);
  return sprite;
}

// The sprite takes copies of both buffers.
void SetFrame(Gfx::TSprite& sprite, i32 index, std::string& pixels, std::string& shadow) {
  Gfx::TFrame frame{static_cast<u32>(pixels.size()), reinterpret_cast<u8*>(pixels.data()),
                    static_cast<u32>(shadow.size()), reinterpret_cast<u8*>(shadow.data())};
  sprite.AssignFrame(index, frame);
}

}  // namespace

u16 Rgb565(u8 r, u8 g, u8 b) { return static_cast<u16>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3); }

TPixelFunction SolidPixels(u32 value) {
  return [value](i32, i32, i32) { return value; };
}

TPixelFunction CheckerPixels(u32 a, u32 b, i32 cell) {
  if (cell < 1) throw std::invalid_argument("checker cell must be at least 1");
  return [a, b, cell](i32 frame, i32 x, i32 y) { return ((x + frame) / cell + y / cell) % 2 ? b : a; };
}

std::unique_ptr<Gfx::TSprite> MakeSprite16(const TSpriteShape& shape, const TPixelFunction& pixels,
                                           TSpriteEncoding encoding) {
  const u8 codes[] = {Gfx::feRaw, Gfx::feRunLength, Gfx::feLZRW1KH};
  auto sprite = NewSprite(shape, static_cast<u16>(shape.FrameMode | codes[static_cast<int>(encoding)]), 16);
  std::string shadow = shape.Shadow ? ShadowRows(shape) : std::string();
  for (i32 f = 0; f < shape.Frames; ++f) {
    std::string data;
    for (i32 y = 0; y < shape.Height; ++y) {
      std::vector<u16> row = Row16(pixels, f, y, shape.Width);
      switch (encoding) {
        case TSpriteEncoding::Raw:
          for (u16 p : row) Put16(data, p);
          break;
        case TSpriteEncoding::RunLength: RunLengthRow(data, row, shape.ColorKey); break;
        case TSpriteEncoding::Compressed: data += CompressedRow(row); break;
      }
    }
    SetFrame(*sprite, f, data, shadow);
  }
  return sprite;
}

std::unique_ptr<Gfx::TSprite> MakeAlphaSprite(const TSpriteShape& shape, const TPixelFunction& pixels, u8 alphaMode,
                                              bool compressed) {
  if (alphaMode == 0) throw std::invalid_argument("alpha sprites need an alpha mode");
  u16 encoding = compressed ? u16{Gfx::feLZRW1KH} : static_cast<u16>(shape.FrameMode | Gfx::feRaw);
  auto sprite = NewSprite(shape, encoding, static_cast<u16>(alphaMode << 8 | 32));
  std::string shadow = shape.Shadow ? ShadowRows(shape) : std::string();
  for (i32 f = 0; f < shape.Frames; ++f) {
    // Sized once: the fight sets make millions of these pixels.
    std::string data(static_cast<std::size_t>(shape.Width) * static_cast<std::size_t>(shape.Height) * 4, '\0');
    char* out = data.data();
    for (i32 y = 0; y < shape.Height; ++y)
      for (i32 x = 0; x < shape.Width; ++x, out += 4) {
        const u32 v = pixels(f, x, y);
        for (i32 k = 0; k < 4; ++k) out[k] = static_cast<char>(v >> (8 * k) & 0xFF);
      }
    if (compressed) data = CompressLZRW1KHBlocks(reinterpret_cast<const u8*>(data.data()), data.size());
    SetFrame(*sprite, f, data, shadow);
  }
  return sprite;
}

std::string SpriteBytes(const Gfx::TSprite& sprite) {
  Data::TMemoryStream s;
  sprite.Save(s);
  return s.AsString();
}

std::string SpriteListBytes(u32 listID, std::vector<std::unique_ptr<Gfx::TSprite>> sprites) {
  Gfx::TSpriteList list(0);
  list.ID = listID;
  for (auto& sprite : sprites) list.Sprites.Items.Add(sprite.release());
  list.Sprites.SortByID();
  Data::TMemoryStream s;
  list.Save(s);
  return s.AsString();
}

}  // namespace Builder
