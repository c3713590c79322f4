// The introduction's mark-up turned into coloured pieces: fonts, colours,
// tags that are none, the pen carried across pieces, and the errors with
// the pieces made before them kept.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/color_text_parser.h"
#include "engine/gfx/color_text.h"
#include "engine/gfx/colors.h"
#include "tools/databuilder/font_builder.h"

namespace {

class ColorTextParser : public ::testing::Test {
 protected:
  // Three fonts told apart by their advance widths.
  std::unique_ptr<Gfx::TFont> Normal = Builder::MakeBoxFont(6, 10, [](u8) { return 6; });
  std::unique_ptr<Gfx::TFont> Bold = Builder::MakeBoxFont(7, 10, [](u8) { return 8; });
  std::unique_ptr<Gfx::TFont> Italic = Builder::MakeBoxFont(8, 10, [](u8) { return 5; });
  Gfx::TColorText Text;

  void Parse(const std::string& markup, i32 width = 600) {
    Main::ParseColorText(markup, Text, width, Normal.get(), Bold.get(), Italic.get());
  }
  // The texts of the pieces that hold any.
  std::vector<std::string> Pieces() const {
    std::vector<std::string> out;
    for (const Gfx::TColorTextNode* n : Text)
      if (!n->Text.empty()) out.push_back(n->Text);
    return out;
  }
  const Gfx::TColorTextNode& Last() const { return *Text[Text.Count() - 1]; }
};

TEST_F(ColorTextParser, TagsChooseFontsAndColours) {
  Parse("a<B>b<I>c<N>d<RGB(255,0,0)>e<RGB(0,2048,0)>f<RGB(0,0,0)>g");
  ASSERT_EQ(Pieces(), (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g"}));
  ASSERT_EQ(Text.Count(), 7);
  const Gfx::TFont* fonts[] = {Normal.get(), Bold.get(), Italic.get(), Normal.get(), Normal.get(), Normal.get(), Normal.get()};
  const u32 colours[] = {0, 0, 0, 0, 0xF800, Gfx::PackRGB565(0x080000), 0};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(Text[i]->Font, fonts[i]) << i;
    EXPECT_EQ(Text[i]->Color, colours[i]) << i;
  }
  EXPECT_EQ(colours[5], 0x0800u) << "a green above 255 carries into red";
  // The pen runs on: a 6, b 8, c 5, then d, e, f in the normal font.
  const i32 xs[] = {0, 6, 14, 19, 25, 31, 37};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Text[i]->X, xs[i]) << i;
}

TEST_F(ColorTextParser, OtherAngleBracketsSwallowTwoCharacters) {
  struct TCase {
    const char* Markup;
    std::vector<std::string> Pieces;
  } cases[] = {
      {"a<X>b", {"a", "b"}},
      {"a<Xb", {"a"}},
      {"a<", {"a"}},
      {"<N>", {}},
      {"x<n>y", {"x", "y"}},  // the tags are upper case only
      {"<<B>z", {">z"}},
  };
  for (const TCase& c : cases) {
    Text.Clear();
    Parse(c.Markup);
    EXPECT_EQ(Pieces(), c.Pieces) << c.Markup;
  }
  Text.Clear();
  Parse("<B><I>q");
  EXPECT_EQ(Text.Count(), 3) << "a tag at the start and two in a row give empty pieces";
  EXPECT_EQ(Last().Font, Italic.get());
}

TEST_F(ColorTextParser, WrapsAndMovesThePenDown) {
  Parse("aaaa bbbb cccc<B>dddd eeee", 60);
  ASSERT_EQ(Text.Count(), 2);
  EXPECT_EQ(Text[0]->Y, 0);
  EXPECT_GT(Last().Y, 0) << "the second piece starts on a later line";
  EXPECT_NE(Text[0]->Text.find('\r'), std::string::npos);
  Parse("more");
  EXPECT_EQ(Text.Count(), 3) << "appends, never clears";
  EXPECT_EQ(Last().X, 0) << "a new call starts its own pen";
}

TEST_F(ColorTextParser, MalformedColourTagsRaiseAfterKeepingEarlierPieces) {
  struct TCase {
    const char* Markup;
    const char* Message;
  } cases[] = {
      {"ab<RGB(1,2)>c", "ColorText error: too few parameters in RGB(,,)!"},
      {"ab<RGB(1)>c", "ColorText error: too few parameters in RGB(,,)!"},
      {"ab<RGB(>", "ColorText error: too few parameters in RGB(,,)!"},
      {"ab<RGB(1,2,3)", "ColorText error: '>' not found!"},
      {"ab<RGB(", "ColorText error: '>' not found!"},
      {"ab<RGB(1,x,3)>", "'x' is not a valid integer value."},
      {"ab<RGB(1,2,)>", "'' is not a valid integer value."},
      {"ab<RGB(1,2,3,4)>", "'3,4' is not a valid integer value."},
  };
  for (const TCase& c : cases) {
    Text.Clear();
    try {
      Parse(c.Markup);
      ADD_FAILURE() << c.Markup << " raised nothing";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.Markup;
    }
    EXPECT_EQ(Pieces(), std::vector<std::string>{"ab"}) << c.Markup;
  }
}

}  // namespace
