// Coloured text: pieces split into words, wrapped lines justified, and a
// marked-up paragraph in three fonts against a golden picture.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/gfx/color_text.h"
#include "engine/gfx/font.h"
#include "tests/engine/gfx/gfx_display.h"
#include "tests/engine/gfx/golden.h"
#include "tools/databuilder/font_builder.h"

namespace {

using FontPtr = std::unique_ptr<Gfx::TFont>;

constexpr u16 Height = 10;

FontPtr Loaded(const Gfx::TFont& made) {
  Data::TMemoryStream s(Builder::FontBytes(made));
  auto font = std::make_unique<Gfx::TFont>();
  font->Load(s);
  return font;
}

// Letters 5 pixels, blanks 4, breaks 0.
FontPtr Boxes() {
  return Loaded(*Builder::MakeBoxFont(1, Height, [](u8 c) { return c == ' ' ? 4 : c == '\r' || c == '\n' ? 0 : 5; }));
}

struct TExpected {
  const char* Text;
  u32 Kind;
  i32 X, Y;
};

void ExpectNodes(const Gfx::TColorText& text, std::initializer_list<TExpected> expected) {
  ASSERT_EQ(text.Count(), static_cast<i32>(expected.size()));
  i32 i = 0;
  for (const TExpected& e : expected) {
    SCOPED_TRACE(i);
    EXPECT_EQ(text[i]->Text, e.Text);
    EXPECT_EQ(text[i]->Kind, e.Kind);
    EXPECT_EQ(text[i]->X, e.X);
    EXPECT_EQ(text[i]->Y, e.Y);
    ++i;
  }
}

TEST(ColorText, WordsAndJustifiedWraps) {
  auto font = Boxes();
  Gfx::TColorText text;
  EXPECT_EQ(text.GetHeight(), 0);
  text.Add(font.get(), 0x1234, 7, 7, "a b\rc", Gfx::ckLastWord);
  text.Justify(100);
  ExpectNodes(text, {{"a ", Gfx::ckBlank, 0, 0}, {"b", Gfx::ckWrap, 95, 0}, {"c", Gfx::ckLastWord, 0, Height}});
  EXPECT_EQ(text[1]->Color, 0x1234u);
  EXPECT_EQ(text.GetHeight(), 2 * Height);
}

TEST(ColorText, HardBreaksAndTheEndStayUnjustified) {
  auto font = Boxes();
  Gfx::TColorText text;
  text.Add(font.get(), 0, 0, 0, "a b\nc d", 0);
  text.Justify(100);
  ExpectNodes(text, {{"a ", Gfx::ckBlank, 0, 0},
                     {"b", Gfx::ckLineFeed, 9, 0},
                     {"c ", Gfx::ckBlank, 0, Height},
                     {"d", Gfx::ckLastWord, 9, Height}});
}

TEST(ColorText, PiecesFlowOnWithoutAGap) {
  auto font = Boxes();
  auto other = Boxes();
  Gfx::TColorText text;
  text.Add(font.get(), 1, 0, 0, "ab", 0);
  text.Add(other.get(), 2, 0, 0, "cd e\rf", 0);
  text.Add(font.get(), 3, 0, 0, "\r\ng", 0);
  text.Justify(60);
  // "ab" and "cd" touch; the one gap takes the line's spare 60 - 29 pixels.
  ExpectNodes(text, {{"ab", Gfx::ckLastWord, 0, 0},
                     {"cd ", Gfx::ckBlank, 10, 0},
                     {"e", Gfx::ckWrap, 55, 0},
                     {"f", Gfx::ckLineFeed, 0, Height},
                     {"g", Gfx::ckLastWord, 0, 3 * Height}});
  EXPECT_EQ(text[4]->Color, 3u);
}

TEST(ColorText, BlanksOutOfPlaceStillEnd) {
  auto font = Boxes();
  Gfx::TColorText text;
  text.Add(font.get(), 0, 0, 0, "  a   \r   b ", 0);
  text.Add(font.get(), 0, 0, 0, " ", 0);
  text.Add(font.get(), 0, 0, 0, "", 0);
  text.Justify(40);
  ASSERT_EQ(text.Count(), 2);
  EXPECT_EQ(text[0]->Text, "a");
  EXPECT_EQ(text[1]->Text, "b ");
  EXPECT_EQ(text[1]->Y, Height);
}

TEST(ColorText, TakeAllMovesTheNodes) {
  auto font = Boxes();
  Gfx::TColorText a, b;
  a.Add(font.get(), 0, 0, 0, "x", 0);
  b.Add(font.get(), 0, 0, 0, "y", 0);
  b.Add(font.get(), 0, 0, 0, "z", 0);
  a.TakeAll(b);
  ASSERT_EQ(a.Count(), 3);
  EXPECT_EQ(a[2]->Text, "z");
  EXPECT_EQ(b.Count(), 0);
}

// Pieces as the mark-up parser makes them: each flowed on from where the last
// one ended, then the whole justified.
TEST(ColorText, MarkedUpParagraph) {
  auto normal = Loaded(*Builder::RenderFont(1, {"DejaVuSans.ttf", 13, false}));
  auto bold = Loaded(*Builder::RenderFont(2, {"DejaVuSans-Bold.ttf", 13, false}));
  auto italic = Loaded(*Builder::RenderFont(3, {"DejaVuSans.ttf", 13, true}));
  const struct {
    Gfx::TFont* Font;
    u32 Rgb;
    const char* Text;
  } pieces[] = {
      {normal.get(), 0x000000, "Der "},
      {bold.get(), 0xA01010, "K\xF6nig "},
      {normal.get(), 0x000000, "verlangt "},
      {italic.get(), 0x1030A0, "f\xFCnfhundert Goldst\xFC" "cke "},
      {normal.get(), 0x000000, "bis zum Ende der dritten Runde. Wer nicht zahlt, verliert seine Burg "},
      {bold.get(), 0x207020, "und alle L\xE4ndereien."},
      {normal.get(), 0x000000, "\nGez. Graf von Aschenfeld"},
  };
  constexpr i32 Width = 250;
  Gfx::TColorText text;
  i32 height = 0, x = 0;
  for (const auto& p : pieces) {
    std::string wrapped;
    p.Font->WrapTextFrom(Width, p.Text, wrapped, height, x);
    text.Add(p.Font, Gfx::PackRGB565(p.Rgb), 0, 0, wrapped, Gfx::ckLastWord);
  }
  text.Justify(Width);
  EXPECT_EQ(text.GetHeight(), height + normal->Height);
  // Every wrapped line ends at the right edge.
  for (const Gfx::TColorTextNode* node : text) {
    if (node->Kind == Gfx::ckWrap) {
      EXPECT_EQ(node->X + node->Font->TextWidth(node->Text), Width) << node->Text;
    }
  }

  TestSupport::TGfxDisplay display(Width + 16, text.GetHeight() + 12);
  Plat::TSurface* back = display.Back();
  Gfx::FillRect(back, 0, 0, back->Width(), back->Height(), Gfx::PackRGB565(0xE8DCC0), nullptr);
  text.Draw(back, 8, 6, nullptr);
  TestSupport::ExpectGoldenPicture(ORV_GOLDEN_DIR "/colour_text", back->Bits(), back->Pitch(), back->Width(),
                                   back->Height(), false);
}

}  // namespace
