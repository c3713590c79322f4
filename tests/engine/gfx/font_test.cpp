// Bitmap fonts: German text in two rendered fonts and a wrapped, shortened
// paragraph against golden pictures; the measuring, wrapping and shortening
// rules on a font of known widths; glyph pixels; the cached glyph surface;
// damaged "FONT" records.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/gfx/font.h"
#include "tests/engine/gfx/display_guard.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tools/databuilder/font_builder.h"

namespace {

using FontPtr = std::unique_ptr<Gfx::TFont>;

FontPtr Loaded(const Gfx::TFont& made) {
  Data::TMemoryStream s(Builder::FontBytes(made));
  auto font = std::make_unique<Gfx::TFont>();
  font->Load(s);
  return font;
}

FontPtr Sans() { return Loaded(*Builder::RenderFont(1, {"DejaVuSans.ttf", 13, false})); }
FontPtr SerifBold() { return Loaded(*Builder::RenderFont(2, {"DejaVuSerif-Bold.ttf", 18, false})); }

// 'x' 10 pixels, blank 4, '.' 3, 'A' 7, 'B' 8, everything else 5; 12 rows.
constexpr u16 BoxHeight = 12;
FontPtr Boxes() {
  return Loaded(*Builder::MakeBoxFont(3, BoxHeight, [](u8 c) {
    switch (c) {
      case 'x': return 10;
      case ' ': return 4;
      case '.': return 3;
      case 'A': return 7;
      case 'B': return 8;
      case '\r':
      case '\n': return 0;
      default: return 5;
    }
  }));
}

// "Greater force: apples, oil and trees - 'greetings' for player 1!"
const std::string German =
    "Gr\xF6\xDF" "ere \xDC" "bermacht: \xC4" "pfel, \xD6" "l und B\xE4" "ume \x96 \x84Gr\xFC\xDF" "e\x93 f\xFC"
    "r Spieler 1!";

const std::string Paragraph =
    "Die Stadt am Flu\xDF ist gefallen. Unsere Sp\xE4her berichten von \xFC" "ber hundert Kriegern, die sich "
    "im W\xE4ldchen s\xFC" "dlich der Br\xFC" "cke sammeln. Stellt eine Gruppe zusammen und zieht nach Norden, "
    "bevor die Stra\xDF" "en im Schnee versinken.";

class FontScenes : public ::testing::Test {
 protected:
  void Start(int width, int height, bool screen555 = false) {
    Display = std::make_unique<TestSupport::TGfxDisplay>(width, height, screen555);
    Back = Display->Back();
    Gfx::FillRect(Back, 0, 0, width, height, Gfx::PackRGB565(0xE8DCC0), nullptr);
  }
  void TearDown() override { Display.reset(); }
  void Expect(const char* name) {
    TestSupport::ExpectGoldenPicture(std::string(ORV_GOLDEN_DIR "/") + name, Back->Bits(), Back->Pitch(),
                                     Back->Width(), Back->Height(), !Gfx::ScreenIs565);
  }
  u16 Pixel(int x, int y) const { return reinterpret_cast<const u16*>(Back->Bits() + y * Back->Pitch())[x]; }

  std::unique_ptr<TestSupport::TGfxDisplay> Display;
  Plat::TSurface* Back = nullptr;
};

TEST_F(FontScenes, GermanLineInTwoFonts) {
  auto sans = Sans(), serif = SerifBold();
  Start(serif->TextWidth(German) + 8, 48);
  sans->DrawText(Back, 4, 4, German, 0, nullptr);
  serif->DrawText(Back, 4, 22, German, Gfx::PackRGB565(0x8C1C10), nullptr);
  Expect("german_text");
}

TEST_F(FontScenes, GermanLettersHaveInk) {
  auto sans = Sans();
  for (u8 c : std::string("\xE4\xF6\xFC\xC4\xD6\xDC\xDF\x84\x93\x96\x85\x80,.;:!?-()\"'")) {
    SCOPED_TRACE(static_cast<int>(c));
    ASSERT_GT(sans->Widths[c], 0);
    int ink = 0;
    for (int y = 0; y < sans->Height; ++y)
      for (int x = 0; x < sans->Widths[c]; ++x) {
        const std::size_t at = ((static_cast<std::size_t>(c) * sans->Height + y) * sans->CellWidth + x) * 2;
        ink += (sans->Pixels[at] | sans->Pixels[at + 1] << 8) == 0;
      }
    EXPECT_GT(ink, 0);
  }
  EXPECT_GT(sans->Width(' '), 0);
  EXPECT_EQ(sans->Width('\r'), 0);
  EXPECT_EQ(sans->Width('\n'), 0);
}

TEST_F(FontScenes, ParagraphWrappedAndShortened) {
  Start(240, 164);
  auto sans = Sans();
  const std::string wrapped = sans->WrapText(220, Paragraph);
  // The breaks fall between words, each line fits and the next word would not.
  const std::vector<std::string> lines = {
      "Die Stadt am Flu\xDF ist gefallen.",
      "Unsere Sp\xE4her berichten von \xFC" "ber",
      "hundert Kriegern, die sich im",
      "W\xE4ldchen s\xFC" "dlich der Br\xFC" "cke",
      "sammeln. Stellt eine Gruppe",
      "zusammen und zieht nach",
      "Norden, bevor die Stra\xDF" "en im",
      "Schnee versinken.",
  };
  std::string expected;
  for (std::size_t i = 0; i < lines.size(); ++i) expected += lines[i] + (i + 1 < lines.size() ? "\r" : "");
  EXPECT_EQ(wrapped, expected);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(sans->TextWidth(lines[i]), 220) << i;
    if (i + 1 < lines.size()) {
      const std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
      EXPECT_GT(sans->TextWidth(lines[i] + " " + next), 220) << i;
    }
  }
  EXPECT_EQ(sans->WrappedTextHeight(Paragraph, 220), 8 * sans->Height);
  EXPECT_EQ(sans->TextHeight(wrapped), 8 * sans->Height);

  std::string shortened = Paragraph.substr(0, 60);
  sans->AbbreviateToWidth(shortened, 150, -1);
  EXPECT_EQ(shortened, "Die Stadt am Flu\xDF ist ...");
  EXPECT_LE(sans->TextWidth(shortened), 150);
  std::string boxed = wrapped;
  sans->AbbreviateToBox(boxed, 220, -1, 2 * sans->Height);
  EXPECT_EQ(boxed, lines[0] + "\r" + "Unsere Sp\xE4her berichten von...") << "lines, then a word";

  sans->DrawWrapped(Back, {10, 4, 230, 140}, Paragraph, 0, nullptr);
  sans->DrawText(Back, 10, 142, shortened, Gfx::PackRGB565(0x2040A0), nullptr);
  Expect("wrapped_text");
}

TEST(FontText, MeasuresAndLineBreaks) {
  auto font = Boxes();
  EXPECT_EQ(font->TextWidth("AB"), 15);
  font->Spacing = -3;
  EXPECT_EQ(font->TextWidth("AB"), 9) << "widths 7 and 8 with spacing -3";
  font->Spacing = 0;
  EXPECT_EQ(font->TextHeight("A\r\nB"), 3 * BoxHeight);
  font->LineGap = 2;
  EXPECT_EQ(font->TextHeight("A\r\nB"), BoxHeight + 2 * (BoxHeight + 2));
  font->LineGap = 0;
  EXPECT_EQ(font->MaxLineWidth("xx\nxxx\rx"), 30);
  EXPECT_EQ(Gfx::WordLength("  ab cd", 0), 4);
  EXPECT_EQ(Gfx::WordLength("ab\ncd", 0), 2);

  const struct {
    const char* Text;
    i32 Width;
    const char* Wrapped;
  } cases[] = {
      {"xxx xxx", 50, "xxx\rxxx"},                      // the second line's blank is dropped
      {"xxxxxxxxxxxx", 50, "xxxx\rxxxx\rxxxx"},         // 120 pixels cut into pieces below 50
      {"xx xx\nxx", 100, "xx xx\nxx"},                  // a hard LF stays
      {"xx\rxx\r", 100, "xx\rxx\r"},                    // a trailing break ends the last line
      {"xx   \r\n  x", 100, "xx   \r\nx"},              // a line's leading blanks go, CR LF is two breaks
      {"x x x x x x", 35, "x x\rx x\rx x"},
      {"", 50, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(font->WrapText(c.Width, c.Text), c.Wrapped) << c.Text;
  EXPECT_EQ(font->WrappedTextHeight("xxxxxxxxxxxx", 50), 3 * BoxHeight);
  EXPECT_EQ(font->WrappedTextHeight("", 50), 0);
}

TEST(FontText, WrapsOnFromAPosition) {
  auto font = Boxes();
  std::string result;
  i32 height = 0, x = 40;
  font->WrapTextFrom(50, "xxx", result, height, x);
  EXPECT_EQ(result, "\rxxx") << "the word moves to the next line whole";
  EXPECT_EQ(height, BoxHeight);
  EXPECT_EQ(x, 30);
  height = 0;
  x = 10;
  font->WrapTextFrom(50, "xx xx", result, height, x);
  EXPECT_EQ(result, "xx\rxx");
  EXPECT_EQ(height, BoxHeight);
  EXPECT_EQ(x, 20);
  height = 0;
  x = 10;
  font->WrapTextFrom(100, "xx\n", result, height, x);
  EXPECT_EQ(result, "xx\n");
  EXPECT_EQ(height, BoxHeight);
  EXPECT_EQ(x, 0) << "after a trailing break";
}

TEST(FontText, Shortens) {
  auto font = Boxes();
  std::string word = "xxxxxxx";
  font->AbbreviateToWidth(word, 40, -1);
  EXPECT_EQ(word, "xxx...") << "three letters and the dots fit";
  std::string middle = "xxxxAxxxx";
  font->AbbreviateToWidth(middle, 60, 5);
  EXPECT_EQ(middle, "x...xxxx") << "from before the fifth character";
  std::string fits = "xx";
  font->AbbreviateToWidth(fits, 20, -1);
  EXPECT_EQ(fits, "xx");

  std::string lines = "xx\rxx\rxx";
  font->AbbreviateToBox(lines, 100, -1, 2 * BoxHeight);
  EXPECT_EQ(lines, "xx\rxx...") << "the last line goes";
  std::string words = "xxx xxx xxx\rxx\rxx";
  font->AbbreviateToBox(words, 80, -1, 1 * BoxHeight);
  EXPECT_EQ(words, "xxx xxx...") << "lines first, then a word";
  std::string low = "xx";
  font->AbbreviateToBox(low, 100, -1, BoxHeight - 1);
  EXPECT_EQ(low, "") << "a box lower than one line";
}

TEST_F(FontScenes, GlyphPixelsTakeTheColour) {
  Start(40, 40);
  auto font = Boxes();
  const u16 background = Pixel(0, 0);
  font->DrawText(Back, 2, 2, "A\r\nB", Gfx::PackRGB565(0x00FF00), nullptr);
  EXPECT_EQ(Pixel(2, 2), 0x07E0) << "ink 0 becomes exactly the colour";
  EXPECT_EQ(Pixel(4, 4), background) << "a key pixel leaves the destination";
  EXPECT_EQ(Pixel(2, 2 + BoxHeight), background) << "CR LF makes two line steps";
  EXPECT_EQ(Pixel(2, 2 + 2 * BoxHeight), 0x07E0);
  // Clipped, and at the edges.
  const Base::TRect clip{0, 0, 20, 5};
  font->DrawText(Back, 10, 3, "x", 0xF800, &clip);
  EXPECT_EQ(Pixel(10, 3), 0xF800);
  EXPECT_EQ(Pixel(10, 5), background);
  font->DrawText(Back, 35, 35, "xxxx", 0x001F, nullptr);
  font->DrawText(Back, -5, -5, "x", 0x001F, nullptr);
  EXPECT_EQ(Pixel(4, 6), 0x001F);
}

TEST_F(FontScenes, FiveFiveFiveDisplayConvertsGlyphsAndColours) {
  Start(20, 20, true);
  auto font = Boxes();
  EXPECT_EQ(font->KeyColor, Gfx::RGB565ToRGB555(Builder::FontKey));
  font->DrawText(Back, 0, 0, "x", Gfx::PackRGB565(0xFFFFFF), nullptr);
  EXPECT_EQ(Pixel(0, 0), 0x7FFF);
}

TEST(FontDepths, ConvertToTheDisplay) {
  auto made = Builder::MakeBoxFont(1, 2, [](u8) { return 1; });
  {
    TestSupport::TDisplayGuard display(24, false);
    Data::TMemoryStream s(Builder::FontBytes(*made));
    Gfx::TFont font;
    EXPECT_THROW(
        try { font.Load(s); } catch (const Gfx::EGraphicsError& e) {
          EXPECT_STREQ(e.what(), "Unsupported pixel format conversion.");
          throw;
        },
        Gfx::EGraphicsError);
  }
  // A 32-bit font on a 24-bit display and back.
  Gfx::TFont wide;
  wide.BitsPerPixel = 32;
  wide.Height = 1;
  wide.CellWidth = 1;
  wide.KeyColor = 0xFFF81F00;
  wide.Pixels.assign(256 * 4, 0x11);
  Data::TMemoryStream s;
  wide.Save(s);
  TestSupport::TDisplayGuard display(24, false);
  Gfx::TFont narrow;
  s.SetPosition(0);
  narrow.Load(s);
  EXPECT_EQ(narrow.BitsPerPixel, 24);
  EXPECT_EQ(narrow.KeyColor, 0xF81F00u);
  EXPECT_EQ(narrow.Pixels.size(), 256u * 3);
  Gfx::SetDisplayBitsPerPixel(32);
  narrow.ConvertToScreenFormat();
  EXPECT_EQ(narrow.BitsPerPixel, 32);
  EXPECT_EQ(narrow.Pixels.size(), 256u * 4);
}

TEST_F(FontScenes, CachedGlyphSurface) {
  Start(60, 20);
  auto font = Boxes();
  const u16 background = Pixel(0, 0);
  // Black ink cached on black: the key moves off the ink, so the glyphs show.
  font->Upload(0, 0);
  ASSERT_TRUE(font->OnDevice);
  EXPECT_NE(font->SurfaceKey, 0u);
  EXPECT_EQ(Gfx::FontRegistry.IndexOf(font.get()), 0);
  font->DrawText(Back, 0, 0, "x", 0, nullptr);
  EXPECT_EQ(Pixel(0, 0), 0) << "drawn from the cache";
  EXPECT_EQ(Pixel(3, 3), background);
  font->DrawText(Back, 20, 0, "x", 0x001F, nullptr);
  EXPECT_EQ(Pixel(20, 0), 0x001F) << "another colour draws in software";

  // A display change releases and makes the cache again; the font stays listed.
  Gfx::ReleaseDeviceObjects();
  EXPECT_FALSE(font->OnDevice);
  EXPECT_EQ(font->Surface, nullptr);
  Gfx::RecreateDeviceObjects();
  EXPECT_TRUE(font->OnDevice);
  Gfx::RestoreDeviceObjects();
  font->DrawText(Back, 40, 0, "x", 0, nullptr);
  EXPECT_EQ(Pixel(40, 0), 0);

  // Deleted while released, it leaves the registry all the same.
  Gfx::ReleaseDeviceObjects();
  font.reset();
  EXPECT_EQ(Gfx::FontRegistry.Count(), 0);
  Gfx::RecreateDeviceObjects();
}

// The loading worker caches the standard fonts' glyphs while the main thread
// draws and restores what the registry holds.
TEST_F(FontScenes, UploadsOnAWorkerWhileTheMainThreadDraws) {
  Start(64, 32);
  std::vector<FontPtr> fonts;
  for (int i = 0; i < 16; ++i) fonts.push_back(Boxes());
  auto shown = Boxes();
  shown->Upload(0, 0xFFFF);
  std::thread worker([&] {
    for (std::size_t i = 0; i < fonts.size(); ++i) fonts[i]->Upload(static_cast<u32>(i), 0xFFFF);
  });
  for (int frame = 0; frame < 40; ++frame) {
    shown->DrawText(Back, frame % 40, 4, "xAB", 0, nullptr);
    if (frame % 10 == 0) Gfx::RestoreDeviceObjects();
  }
  worker.join();
  for (const auto& font : fonts) EXPECT_TRUE(font->OnDevice);
  EXPECT_EQ(Gfx::FontRegistry.Count(), 17);
  fonts.clear();
  shown.reset();
  EXPECT_EQ(Gfx::FontRegistry.Count(), 0);
}

TEST(FontRecord, AssignCopiesGlyphsNotTheKey) {
  auto source = Boxes();
  source->Spacing = -3;
  Gfx::TFont copy;
  copy.Assign(source.get());
  EXPECT_EQ(copy.Pixels, source->Pixels);
  EXPECT_EQ(copy.Width('x'), 10);
  EXPECT_EQ(copy.Height, BoxHeight);
  EXPECT_EQ(copy.KeyColor, 0u);
  EXPECT_EQ(copy.Spacing, 0);
  Data::TDataObject other;
  EXPECT_THROW(copy.Assign(&other), std::runtime_error);
}

// Sets the u16 at the header offset (after the 4-byte object ID).
std::string WithU16(std::string bytes, std::size_t offset, u16 v) {
  bytes[4 + offset] = static_cast<char>(v);
  bytes[4 + offset + 1] = static_cast<char>(v >> 8);
  return bytes;
}

TEST(FontDamage, RefusedWithInvalidData) {
  const std::string good = Builder::FontBytes(*Builder::MakeBoxFont(5, 6, [](u8 c) { return c % 7; }));
  const struct {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"cut in the header", good.substr(0, 100)},
      {"cut in the glyph block", good.substr(0, good.size() - 1)},
      {"a width past the cell", WithU16(good, 6 + 2 * 'A', 7)},
      {"zero height", WithU16(good, 520, 0)},
      {"a huge block", WithU16(WithU16(good, 518, 0xFFFF), 520, 0xFFFF)},
      {"eight bits", WithU16(good, 4, 8)},
      {"another signature", std::string("\x05\0\0\0FONX", 8) + good.substr(8)},
  };
  for (const auto& c : cases) {
    Gfx::TFont font;
    Data::TMemoryStream s(c.Bytes);
    try {
      font.Load(s);
      ADD_FAILURE() << c.Name << " loaded";
    } catch (const Base::EStreamError& e) {
      EXPECT_TRUE(std::string(e.what()) == "Invalid data." || std::string(e.what()) == "Stream read error.")
          << c.Name << ": " << e.what();
    }
    EXPECT_TRUE(font.Pixels.empty()) << c.Name;
  }
  Gfx::TFont font;
  Data::TMemoryStream s(good);
  font.Load(s);
  EXPECT_EQ(font.Width('A'), 'A' % 7);
}

TEST(FontDamage, ChangedBytesNeverReadOutside) {
  auto display = std::make_unique<TestSupport::TGfxDisplay>(40, 20);
  const std::string good = Builder::FontBytes(*Builder::MakeBoxFont(5, 4, [](u8 c) { return c % 5; }));
  std::mt19937 rng(15);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    if (round % 3 == 0) {
      bytes.resize(rng() % bytes.size());
    } else {
      for (int k = 0; k < 1 + static_cast<int>(rng() % 6); ++k)
        bytes[rng() % std::min<std::size_t>(bytes.size(), 540)] = static_cast<char>(rng());
    }
    try {
      Gfx::TFont font;
      Data::TMemoryStream s(bytes);
      font.Load(s);
      std::string all(256, ' ');
      for (int c = 0; c < 256; ++c) all[c] = static_cast<char>(c);
      font.DrawText(display->Back(), -3, 2, all, 0x1234, nullptr);
      font.WrapText(30, all);
    } catch (const std::runtime_error&) {
    }
  }
}

}  // namespace
