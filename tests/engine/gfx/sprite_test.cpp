#include "engine/gfx/sprite.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/engine/gfx/display_guard.h"
#include "tools/databuilder/sprite_builder.h"

namespace {

using Builder::TSpriteEncoding;
using Builder::TSpriteShape;

std::string FrameBytes(const Gfx::TFrame& f) {
  return f.Pixels ? std::string(reinterpret_cast<const char*>(f.Pixels), f.PixelBytes) : std::string();
}
std::string ShadowBytes(const Gfx::TFrame& f) {
  return f.Shadow ? std::string(reinterpret_cast<const char*>(f.Shadow), f.ShadowBytes) : std::string();
}

void LoadFrom(Gfx::TSprite& sprite, const std::string& bytes) {
  Data::TMemoryStream s(bytes);
  sprite.Load(s);
}

void ExpectSameImage(const Gfx::TSprite& a, const Gfx::TSprite& b) {
  EXPECT_EQ(a.Encoding, b.Encoding);
  EXPECT_EQ(a.Format, b.Format);
  EXPECT_EQ(a.Width, b.Width);
  EXPECT_EQ(a.Height, b.Height);
  EXPECT_EQ(a.HotX, b.HotX);
  EXPECT_EQ(a.HotY, b.HotY);
  EXPECT_EQ(a.ColorKey, b.ColorKey);
  EXPECT_EQ(a.ShadowColor, b.ShadowColor);
  ASSERT_EQ(a.FrameCount(), b.FrameCount());
  for (i32 i = 0; i < a.FrameCount(); ++i) {
    EXPECT_EQ(FrameBytes(a.Frames[i]), FrameBytes(b.Frames[i])) << "frame " << i;
    EXPECT_EQ(ShadowBytes(a.Frames[i]), ShadowBytes(b.Frames[i])) << "frame " << i;
  }
}

// Little-endian patch of a stored sprite.
std::string Patched(std::string bytes, std::size_t at, u32 value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// Offsets in a sprite's stream (after the u32 ID).
enum : std::size_t { AtEncoding = 8, AtReserved = 10, AtFormat = 12, AtCount = 14, AtWidth = 16, AtFrames = 40 };

std::unique_ptr<Gfx::TSprite> SmallRaw(u32 id = 7) {
  TSpriteShape shape;
  shape.ID = id;
  shape.Width = 3;
  shape.Height = 2;
  shape.Frames = 2;
  return Builder::MakeSprite16(shape, Builder::CheckerPixels(0x1234, 0xABCD, 1));
}

TEST(Sprite, NewAndClearedSpritesHoldNoImage) {
  Gfx::TSprite fresh(Gfx::sfConvert);
  EXPECT_EQ(fresh.Flags, Gfx::sfConvert);
  EXPECT_TRUE(fresh.IsEmpty());
  EXPECT_EQ(fresh.FrameCount(), 0);
  EXPECT_EQ(fresh.ColorKey, Gfx::NoColor);
  EXPECT_EQ(fresh.ShadowColor, Gfx::NoColor);
  EXPECT_EQ(fresh.ScaleX, 1.0f);
  EXPECT_EQ(fresh.DeviceObjects, nullptr);

  TSpriteShape shape;
  shape.Width = 4;
  shape.Height = 4;
  shape.HotX = 2;
  shape.ColorKey = 0;
  shape.Shadow = true;
  auto sprite = Builder::MakeSprite16(shape, Builder::SolidPixels(1));
  sprite->Flags = Gfx::sfConvert;
  sprite->ScaleX = 0.5f;
  sprite->Clear();
  EXPECT_EQ(sprite->Width, 0);
  EXPECT_EQ(sprite->HotX, 0);
  EXPECT_EQ(sprite->Format, 0);
  EXPECT_EQ(sprite->ColorKey, Gfx::NoColor);
  EXPECT_EQ(sprite->ShadowColor, Gfx::NoColor);
  EXPECT_EQ(sprite->FrameCount(), 0);
  EXPECT_EQ(sprite->Flags, Gfx::sfConvert) << "flags stay";
  EXPECT_EQ(sprite->ScaleX, 0.5f) << "scales stay";
}

TEST(Sprite, SavesTheRecordFieldByField) {
  TSpriteShape shape;
  shape.ID = 0x01020304;
  shape.Width = 2;
  shape.Height = 1;
  shape.HotX = -1;
  shape.HotY = 5;
  shape.ColorKey = 0xF81F;
  shape.FrameMode = Gfx::fmFirstIsBackground;
  auto sprite = Builder::MakeSprite16(shape, [](i32, i32 x, i32) { return x ? 0xBBAAu : 0x2211u; });
  const std::string expected(
      "\x04\x03\x02\x01"
      "GFX "
      "\x00\x03\x00\x00\x10\x00\x01\x00"                  // encoding, reserved, format, frames
      "\x02\x00\x01\x00\xFF\xFF\x05\x00"                  // size, hot spot
      "\x1F\xF8\x00\x00\xFF\xFF\xFF\xFF"                  // colour key, shadow colour
      "\x00\x00\x00\x00\x00\x00\x00\x00"                  // reserved
      "\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"  // frame header
      "\x11\x22\xAA\xBB",
      56);
  EXPECT_EQ(Builder::SpriteBytes(*sprite), expected);
  EXPECT_EQ(sprite->FrameMode(), Gfx::fmFirstIsBackground);
  EXPECT_EQ(sprite->FrameEncoding(), Gfx::feRaw);
}

TEST(Sprite, EveryEncodingRoundTrips) {
  TSpriteShape shape;
  shape.ID = 42;
  shape.Width = 37;
  shape.Height = 9;
  shape.Frames = 3;
  shape.HotX = 18;
  shape.HotY = 8;
  shape.ColorKey = 0xF81F;
  TSpriteShape shadowed = shape;
  shadowed.Shadow = true;
  shadowed.FrameMode = Gfx::fmLastIsBackground;
  const auto pixels = Builder::CheckerPixels(0xF81F, Builder::Rgb565(200, 100, 50), 4);
  const auto argb = Builder::CheckerPixels(0x80FF0000, 0xFF00FF00, 3);
  const struct {
    const char* What;
    std::function<std::unique_ptr<Gfx::TSprite>()> Make;
  } cases[] = {
      {"raw", [&] { return Builder::MakeSprite16(shape, pixels); }},
      {"run-length", [&] { return Builder::MakeSprite16(shape, pixels, TSpriteEncoding::RunLength); }},
      {"compressed rows", [&] { return Builder::MakeSprite16(shape, pixels, TSpriteEncoding::Compressed); }},
      {"shadow rows, background frame", [&] { return Builder::MakeSprite16(shadowed, pixels); }},
      {"alpha", [&] { return Builder::MakeAlphaSprite(shape, argb, 0xFE); }},
      {"alpha compressed", [&] { return Builder::MakeAlphaSprite(shape, argb, 0xFF, true); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    auto made = c.Make();
    const std::string bytes = Builder::SpriteBytes(*made);
    Gfx::TSprite loaded(0);
    LoadFrom(loaded, bytes);
    EXPECT_EQ(loaded.ID, 42u);
    ExpectSameImage(loaded, *made);
    EXPECT_EQ(Builder::SpriteBytes(loaded), bytes);
    LoadFrom(loaded, bytes);  // reloading replaces the frames
    EXPECT_EQ(loaded.FrameCount(), 3);
  }
}

TEST(Sprite, HeaderTestsRefuseTheRecord) {
  const std::string good = Builder::SpriteBytes(*SmallRaw());
  const struct {
    const char* What;
    std::size_t At;
    u32 Value;
    int Width;
  } cases[] = {
      {"signature", 4, 'G' | 'F' << 8 | 'X' << 16 | 'L' << 24, 4},
      {"encoding 9", AtEncoding, 9, 1},
      {"frame mode 0x400", AtEncoding + 1, 4, 1},
      {"reserved word", AtReserved, 1, 2},
      {"8 bits per pixel", AtFormat, 8, 1},
      {"no frames", AtCount, 0, 2},
      {"1025 frames", AtCount, 1025, 2},
      {"negative width", AtWidth, 0xFFFF, 2},
      {"negative height", AtWidth + 2, 0x8000, 2},
  };
  for (const auto& c : cases) {
    Gfx::TSprite sprite(0);
    LoadFrom(sprite, good);
    EXPECT_THROW(LoadFrom(sprite, Patched(good, c.At, c.Value, c.Width)), Data::EInvalidData) << c.What;
    EXPECT_TRUE(sprite.IsEmpty()) << c.What;
    EXPECT_EQ(sprite.FrameCount(), 0) << c.What;
  }
  // Any alpha mode is accepted.
  TSpriteShape shape;
  shape.Width = 2;
  shape.Height = 2;
  auto alpha = Builder::MakeAlphaSprite(shape, Builder::SolidPixels(0x80808080));
  Gfx::TSprite sprite(0);
  LoadFrom(sprite, Patched(Builder::SpriteBytes(*alpha), AtFormat + 1, 0x42, 1));
  EXPECT_EQ(sprite.AlphaMode(), 0x42);

  Gfx::TSprite noFrames(0);
  noFrames.Format = 16;
  EXPECT_THROW(LoadFrom(sprite, Builder::SpriteBytes(noFrames)), Data::EInvalidData)
      << "a sprite without frames saves, but does not load";
}

TEST(Sprite, FramesAreReadAsStored) {
  auto raw = SmallRaw();
  const std::string good = Builder::SpriteBytes(*raw);
  Gfx::TSprite sprite(0);
  LoadFrom(sprite, Patched(good, AtFrames + 8, 0xDEADBEEF, 4));
  ExpectSameImage(sprite, *raw);

  // Raw rows are copied whole when drawn, so a short frame is refused.
  EXPECT_THROW(LoadFrom(sprite, Patched(good, AtFrames, 11, 4)), Data::EInvalidData);
  // Frame sizes beyond the stream raise the read error before anything is allocated.
  EXPECT_THROW(LoadFrom(sprite, Patched(good, AtFrames + 4, 0x7FFFFFF0, 4)), Base::EReadError);
  // So is an alpha frame compressed whole that could never fill its image.
  TSpriteShape shape;
  shape.Width = 64;
  shape.Height = 64;
  const std::string packed = Builder::SpriteBytes(*Builder::MakeAlphaSprite(shape, Builder::SolidPixels(0), 0xFF, true));
  LoadFrom(sprite, packed);
  EXPECT_THROW(LoadFrom(sprite, Patched(Patched(packed, AtWidth, 30000, 2), AtWidth + 2, 30000, 2)), Data::EInvalidData);

  TSpriteShape empty;
  empty.Width = 0;
  empty.Height = 5;
  empty.Frames = 2;
  auto zeroWide = Builder::MakeSprite16(empty, Builder::SolidPixels(0), TSpriteEncoding::RunLength);
  LoadFrom(sprite, Builder::SpriteBytes(*zeroWide));
  EXPECT_TRUE(sprite.IsEmpty());
  ASSERT_EQ(sprite.FrameCount(), 2);
  EXPECT_EQ(FrameBytes(sprite.Frames[1]), std::string(5, '\0')) << "one end byte per row";
}

TEST(Sprite, SurfaceImageEncodingsNeedADisplayDevice) {
  const std::string good = Builder::SpriteBytes(*SmallRaw());
  for (u32 encoding = 4; encoding <= 8; ++encoding) {
    Gfx::TSprite sprite(0);
    EXPECT_THROW(LoadFrom(sprite, Patched(good, AtEncoding, encoding, 1)), Gfx::EGraphicsError) << encoding;
    EXPECT_EQ(sprite.FrameCount(), 0);
  }
  auto sprite = SmallRaw();
  sprite->Encoding = 5;
  Data::TMemoryStream s;
  EXPECT_THROW(sprite->Save(s), Gfx::EGraphicsError);
}

TEST(Sprite, CopiesAreDeep) {
  TSpriteShape shape;
  shape.ID = 9;
  shape.Width = 5;
  shape.Height = 3;
  shape.Frames = 2;
  shape.HotY = 2;
  shape.Shadow = true;
  auto source = Builder::MakeSprite16(shape, Builder::CheckerPixels(1, 2, 2), TSpriteEncoding::RunLength);
  source->ScaleX = 0.25f;

  auto target = SmallRaw(3);
  target->Frames.SetCount(4);  // more frames than the source
  target->Flags = Gfx::sfConvert;
  target->Assign(source.get());
  ExpectSameImage(*target, *source);
  EXPECT_EQ(target->ID, 3u) << "the ID is not part of the image";
  EXPECT_EQ(target->Flags, Gfx::sfConvert);
  EXPECT_EQ(target->ScaleX, 1.0f);
  EXPECT_NE(target->Frames[0].Pixels, source->Frames[0].Pixels);
  EXPECT_NE(target->Frames[0].Shadow, source->Frames[0].Shadow);

  source->Frames[0].Pixels[0] ^= 0xFF;
  EXPECT_NE(FrameBytes(target->Frames[0]), FrameBytes(source->Frames[0]));

  Gfx::TSprite copy(0);
  copy.CopyFrom(source.get());
  ExpectSameImage(copy, *source);
  copy.CopyFrom(&copy);
  ExpectSameImage(copy, *source);

  Data::TDataObject other;
  try {
    copy.CopyFrom(&other);
    FAIL() << "a sprite copies only sprites";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Object doesn't support assignment.");
  }
  EXPECT_EQ(copy.FrameCount(), 0) << "cleared by CopyFrom";
}

TEST(Sprite, CreateMakesOneZeroedRawFrame) {
  Gfx::TSprite sprite(0);
  sprite.HotX = 3;
  sprite.Create(3, 2, 16);
  EXPECT_EQ(sprite.Encoding, 0);
  EXPECT_EQ(sprite.HotX, 0);
  EXPECT_EQ(sprite.ColorKey, Gfx::NoColor);
  ASSERT_EQ(sprite.FrameCount(), 1);
  EXPECT_EQ(FrameBytes(sprite.Frames[0]), std::string(12, '\0'));

  sprite.Create(4, 4, 0xFF20);
  EXPECT_EQ(sprite.AlphaMode(), 0xFF);
  EXPECT_EQ(sprite.Frames[0].PixelBytes, 64u);
  EXPECT_EQ(Builder::SpriteBytes(sprite).size(), 4u + 36 + 12 + 64);

  const struct {
    int Width, Height;
    u16 Format;
  } refused[] = {{-1, 1, 16}, {1, 0x8000, 16}, {1, 1, 8}};
  for (const auto& r : refused) EXPECT_THROW(sprite.Create(r.Width, r.Height, r.Format), Gfx::EGraphicsError);
  EXPECT_EQ(sprite.Width, 4) << "a refused Create leaves the sprite alone";
}

// Conversion to the display's layout.
class SpriteConversion : public ::testing::Test {
 protected:
  static std::unique_ptr<Gfx::TSprite> Loaded(const Gfx::TSprite& made, u32 flags) {
    auto sprite = std::make_unique<Gfx::TSprite>(flags);
    LoadFrom(*sprite, Builder::SpriteBytes(made));
    return sprite;
  }
  static std::unique_ptr<Gfx::TSprite> Deep(int bits) {
    auto sprite = std::make_unique<Gfx::TSprite>(0);
    sprite->Create(2, 1, static_cast<u16>(bits));
    for (u32 i = 0; i < sprite->Frames[0].PixelBytes; ++i) sprite->Frames[0].Pixels[i] = static_cast<u8>(0x11 * (i + 1));
    return sprite;
  }
};

TEST_F(SpriteConversion, NeedsTheFlagAndADisplayDevice) {
  TSpriteShape shape;
  shape.Width = 2;
  shape.Height = 2;
  shape.ColorKey = 0xF81F;
  auto made = Builder::MakeSprite16(shape, Builder::SolidPixels(0xFFFF));
  const struct {
    const char* What;
    int Bits;
    bool Is565;
    u32 Flags;
  } unchanged[] = {
      {"no display device", 0, false, Gfx::sfConvert},
      {"no conversion asked", 16, false, 0},
      {"5-6-5 display", 16, true, Gfx::sfConvert},
      {"device objects", 16, false, Gfx::sfConvert | Gfx::sfDeviceObjects},
  };
  for (const auto& c : unchanged) {
    TestSupport::TDisplayGuard display(c.Bits, c.Is565);
    auto sprite = Loaded(*made, c.Flags);
    ExpectSameImage(*sprite, *made);
  }
  TestSupport::TDisplayGuard display(16, false);
  auto sprite = Loaded(*made, Gfx::sfConvert);
  EXPECT_EQ(sprite->ColorKey, 0x7C1Fu);
  EXPECT_EQ(FrameBytes(sprite->Frames[0]), "\xFF\x7F\xFF\x7F\xFF\x7F\xFF\x7F");
}

TEST_F(SpriteConversion, SixteenBitRowsTo555InPlace) {
  TestSupport::TDisplayGuard display(16, false);
  // Two values whose 5-5-5 forms differ, so both row structures agree.
  const u16 a565 = 0xF81F, b565 = 0x07E0, a555 = 0x7C1F, b555 = 0x03E0;
  TSpriteShape shape;
  shape.Width = 9;
  shape.Height = 3;
  shape.Frames = 2;
  shape.ColorKey = a565;
  shape.Shadow = true;
  TSpriteShape expectedShape = shape;
  expectedShape.ColorKey = a555;
  for (TSpriteEncoding encoding : {TSpriteEncoding::Raw, TSpriteEncoding::RunLength}) {
    auto made = Builder::MakeSprite16(shape, Builder::CheckerPixels(a565, b565, 2), encoding);
    made->ShadowColor = 0xFFE0;
    auto expected = Builder::MakeSprite16(expectedShape, Builder::CheckerPixels(a555, b555, 2), encoding);
    expected->ShadowColor = 0x7FE0;
    ExpectSameImage(*Loaded(*made, Gfx::sfConvert), *expected);
  }
  // Compressed rows stay as stored; the key is converted all the same.
  auto compressed = Builder::MakeSprite16(shape, Builder::CheckerPixels(a565, b565, 2), TSpriteEncoding::Compressed);
  auto sprite = Loaded(*compressed, Gfx::sfConvert);
  EXPECT_EQ(FrameBytes(sprite->Frames[1]), FrameBytes(compressed->Frames[1]));
  EXPECT_EQ(sprite->ColorKey, a555);
  // Bits 16 to 31 of the key and the shadow colour are kept, as the font keeps its key's.
  shape.ColorKey = 0x0001F81F;
  auto high = Builder::MakeSprite16(shape, Builder::CheckerPixels(a565, b565, 2));
  high->ShadowColor = 0x8000FFE0;
  auto highLoaded = Loaded(*high, Gfx::sfConvert);
  EXPECT_EQ(highLoaded->ColorKey, 0x00017C1Fu);
  EXPECT_EQ(highLoaded->ShadowColor, 0x80007FE0u);

  // Encoding 2: literals A B, a run of C, a transparent run, the end; then an empty row.
  const std::string row2("\x0C\x00\x02\xFE\x1F\xF8\xE0\x07\xFF\xFF\xDD\x00"
                         "\x02\x00",
                         14);
  Gfx::TSprite rle2(0);
  rle2.Create(7, 2, 16);
  rle2.Encoding = Gfx::feRunLength2;
  std::string bytes = row2;
  rle2.AssignFrame(0, Gfx::TFrame{14, reinterpret_cast<u8*>(bytes.data()), 0, nullptr});
  sprite = Loaded(rle2, Gfx::sfConvert);
  EXPECT_EQ(FrameBytes(sprite->Frames[0]), std::string("\x0C\x00\x02\xFE\x1F\x7C\xE0\x03\xFF\x7F\xDD\x00"
                                                       "\x02\x00",
                                                       14));
}

TEST_F(SpriteConversion, DepthsByFormatAndDisplay) {
  const struct {
    int Format, Display;
    const char* Expected;  // null: "Unsupported pixel format conversion."
    std::size_t Size;
    int FormatAfter;
  } cases[] = {
      {24, 16, nullptr, 0, 0},
      {32, 16, nullptr, 0, 0},
      {16, 32, nullptr, 0, 0},
      {24, 24, "\x11\x22\x33\x44\x55\x66", 6, 24},
      {24, 32, "\x11\x22\x33\x00\x44\x55\x66\x00", 8, 32},
      {32, 24, "\x11\x22\x33\x55\x66\x77", 6, 24},
      {32, 32, "\x11\x22\x33\x44\x55\x66\x77\x88", 8, 32},
      {0xFF20, 16, "\x11\x22\x33\x44\x55\x66\x77\x88", 8, 0xFF20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.Format << " on " << c.Display << " bits");
    TestSupport::TDisplayGuard display(c.Display, true);
    auto made = Deep(c.Format);
    if (!c.Expected) {
      try {
        Loaded(*made, Gfx::sfConvert);
        ADD_FAILURE() << "converted";
      } catch (const Gfx::EGraphicsError& e) {
        EXPECT_STREQ(e.what(), "Unsupported pixel format conversion.");
      }
      EXPECT_NO_THROW(Loaded(*made, 0)) << "loads unconverted without the flag";
      continue;
    }
    auto sprite = Loaded(*made, Gfx::sfConvert);
    EXPECT_EQ(FrameBytes(sprite->Frames[0]), std::string(c.Expected, c.Size));
    EXPECT_EQ(sprite->Format, c.FormatAfter);
  }
}

}  // namespace
