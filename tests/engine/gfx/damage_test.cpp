// Damaged sprites and sprite archives: truncated and randomly changed streams
// must end in the system's own errors, never a crash or a read out of bounds.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/gfx/lzrw1kh.h"
#include "engine/gfx/sprite_list.h"
#include "tests/engine/gfx/display_guard.h"
#include "tools/databuilder/sprite_builder.h"

namespace {

using Builder::TSpriteEncoding;
using Builder::TSpriteShape;

template <class F>
void ExpectCleanFailureOrSuccess(F reader) {
  try {
    reader();
  } catch (const std::runtime_error&) {
  }
}

std::vector<std::unique_ptr<Gfx::TSprite>> Samples() {
  TSpriteShape shape;
  shape.Width = 11;
  shape.Height = 4;
  shape.Frames = 2;
  shape.ColorKey = 0xF81F;
  shape.Shadow = true;
  const auto pixels = Builder::CheckerPixels(0xF81F, 0x1234, 3);
  std::vector<std::unique_ptr<Gfx::TSprite>> sprites;
  u32 id = 1;
  for (TSpriteEncoding e : {TSpriteEncoding::Raw, TSpriteEncoding::RunLength, TSpriteEncoding::Compressed}) {
    shape.ID = id++;
    sprites.push_back(Builder::MakeSprite16(shape, pixels, e));
  }
  shape.ID = id++;
  sprites.push_back(Builder::MakeAlphaSprite(shape, Builder::CheckerPixels(0x80102030, 0xFF000000, 2), 0xFF, true));
  // Encoding 2, to be converted: the row walks must stop at the frame's end.
  auto rle2 = std::make_unique<Gfx::TSprite>(0);
  rle2->ID = id++;
  rle2->Create(7, 2, 16);
  rle2->Encoding = Gfx::feRunLength2;
  std::string row("\x0C\x00\x02\xFE\x1F\xF8\xE0\x07\xFF\xFF\xDD\x00\x02\x00", 14);
  rle2->AssignFrame(0, Gfx::TFrame{14, reinterpret_cast<u8*>(row.data()), 0, nullptr});
  sprites.push_back(std::move(rle2));
  return sprites;
}

std::string Damaged(const std::string& good, std::mt19937& rng, int round) {
  std::string bytes = good;
  if (round % 3 == 0) {
    bytes.resize(rng() % bytes.size());
  } else {
    for (int k = 0; k < 1 + static_cast<int>(rng() % 6); ++k) bytes[rng() % bytes.size()] = static_cast<char>(rng());
  }
  return bytes;
}

// Also decodes what the drawing code would decode, with the frame's own bounds.
void Use(const Gfx::TSprite& sprite) {
  if (sprite.Encoding != Gfx::feLZRW1KH || sprite.AlphaMode() == 0) return;
  std::vector<u8> out(static_cast<std::size_t>(sprite.RawFrameBytes()));
  for (const Gfx::TFrame& f : sprite.Frames)
    if (f.Pixels) Gfx::DecompressLZRW1KHBlocks(f.Pixels, out.data(), f.PixelBytes, static_cast<u32>(out.size()));
}

TEST(GfxDamage, SpritesTruncatedAndChanged) {
  TestSupport::TDisplayGuard display(16, false);  // conversion walks the rows too
  std::mt19937 rng(2024);
  for (const auto& sample : Samples()) {
    const std::string good = Builder::SpriteBytes(*sample);
    for (std::size_t n = 0; n < good.size(); ++n) {
      Gfx::TSprite sprite(Gfx::sfConvert);
      Data::TMemoryStream s(good.substr(0, n));
      EXPECT_THROW(sprite.Load(s), std::runtime_error) << "truncated to " << n;
    }
    for (int round = 0; round < 400; ++round) {
      ExpectCleanFailureOrSuccess([&] {
        Gfx::TSprite sprite(Gfx::sfConvert);
        Data::TMemoryStream s(Damaged(good, rng, round));
        sprite.Load(s);
        Use(sprite);
      });
    }
  }
}

TEST(GfxDamage, SpriteArchivesTruncatedAndChanged) {
  const std::string good = Builder::SpriteListBytes(9, Samples());
  std::mt19937 rng(77);
  for (int round = 0; round < 600; ++round) {
    const std::string bytes = Damaged(good, rng, round);
    ExpectCleanFailureOrSuccess([&] {
      Gfx::TSpriteList plain(Gfx::sfConvert);
      Data::TMemoryStream s(bytes);
      plain.Load(s);
    });
    ExpectCleanFailureOrSuccess([&] {
      Gfx::TSpriteList index(Gfx::sfIndexMode | Gfx::sfConvert);
      index.OpenIndex(new Data::TMemoryStream(bytes));
      for (const Gfx::TSpriteEntry& entry : index.Index) {
        ExpectCleanFailureOrSuccess([&] {
          Gfx::TSprite* sprite = index.GetSprite(entry.ID);
          if (sprite) Use(*sprite);
          index.ReleaseSprite(sprite);
        });
      }
    });
  }
}

}  // namespace
