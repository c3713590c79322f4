// The credits: what "credits.txt" yields, the scrolling and the pictures by
// time, the end by scrolling out, Esc and a click, and one frame.
#include <gtest/gtest.h>

#include "engine/data/stream.h"
#include "frontend/credits_window.h"
#include "tests/frontend/menu_fixture.h"
#include "world/data2/global_data.h"

namespace MenuTest {
namespace {

using Main::TCreditsText;
using Main::TCreditsWindow;

TCreditsText Parse(const std::string& text) {
  Data::TMemoryStream s(text);
  TCreditsText credits;
  credits.Read(s);
  return credits;
}

TEST(CreditsText, PicturesLinesAndTheirEnd) {
  std::string many = "0\r\n";
  for (int i = 0; i < 1100; ++i) many += "Zeile\r\n";
  const struct {
    std::string Text;
    std::vector<u32> Pictures;
    std::vector<std::string> Lines;
  } cases[] = {
      {"2 4101 4102\r\n\"<1>Orvandia\"\r\n-\r\n<END>\r\nnicht mehr\r\n", {4101, 4102}, {"<1>Orvandia", "-"}},
      {"0 \"<2>\" <end>", {}, {"<2>"}},
      {"; Kommentar\r\n1 7 \"Mit Leerzeichen\" <x>unbekannt", {7}, {"Mit Leerzeichen", "<x>unbekannt"}},
      {"0 \"" + std::string(200, 'a') + "\" <end>", {}, {std::string(127, 'a')}},
      {"0 Ende ohne Schluss", {}, {"Ende", "ohne", "Schluss"}},
      {"0", {}, {}},
  };
  for (const auto& c : cases) {
    const TCreditsText t = Parse(c.Text);
    EXPECT_EQ(t.Pictures, c.Pictures) << c.Text;
    EXPECT_EQ(t.Lines, c.Lines) << c.Text;
  }
  EXPECT_EQ(Parse(many).Lines.size(), 1024u);
  for (const char* bad : {"", "x", "-1 5", "3 1 2"}) EXPECT_THROW(Parse(bad), std::exception) << bad;
}

class Credits : public TMenuFixture {};

TEST_F(Credits, ScrollTwentyPixelsASecondOverChangingPictures) {
  TCreditsText text;
  text.Pictures = {4101, 4102};
  text.Lines = {"<1>Orvandia", "-", "<2>Daten"};
  TCreditsWindow credits(Sys.get(), text);
  ASSERT_EQ(credits.Backgrounds.size(), 2u);
  const Gfx::TSprite* first = credits.Backgrounds[0].Sprite;
  const Gfx::TSprite* second = credits.Backgrounds[1].Sprite;
  EXPECT_EQ(credits.Background, first);
  Clock.StepPerRead = 1;
  u32 start = 0;
  i32 scrolledAfterSecond = -1;
  const Gfx::TSprite* shownAt250 = nullptr;
  const Gfx::TSprite* shownAt490 = nullptr;
  const int result = RunModal(credits, [&](u32 step) {
    if (step == 0) start = App->UpdateCount;
    if (App->UpdateCount - start == 100) scrolledAfterSecond = credits.Scroll;
    if (credits.Scroll == 250) shownAt250 = credits.Background;
    if (credits.Scroll == 490) shownAt490 = credits.Background;
  }, 10000);
  EXPECT_EQ(result, 1);
  EXPECT_NEAR(scrolledAfterSecond, 20, 1);
  EXPECT_EQ(shownAt250, second);
  EXPECT_EQ(shownAt490, first);
  // The last line left the text area: 600 + 3 x 31 - 14 pixels.
  EXPECT_NEAR(credits.Scroll, 600 + 3 * 31 - 14, 2);
}

TEST_F(Credits, EscOrAClickEndsThemAtOnce) {
  TCreditsText text;
  text.Lines = {"Zeile"};
  for (int how = 0; how < 2; ++how) {
    TCreditsWindow credits(Sys.get(), text);
    const int result = RunModal(credits, [&](u32 step) {
      if (step != 5) return;
      if (how == 0)
        Os->KeyDown(Plat::VK_ESCAPE);
      else
        Os->Click(DXWin::mbLeft, 300, 300);
    });
    EXPECT_EQ(result, 1) << how;
    EXPECT_LT(credits.Scroll, 5) << how;
  }
}

TEST_F(Credits, WithoutPicturesTheTextScrollsOverBlack) {
  TCreditsText text;
  text.Lines = {"<1>Orvandia"};
  TCreditsWindow credits(Sys.get(), text);
  EXPECT_EQ(credits.Background, nullptr);
  credits.Show();
  credits.Scroll = 300;
  DrawScreen();
  EXPECT_TRUE(Display->Back()->Bits()[0] == 0 && Display->Back()->Bits()[1] == 0);
}

TEST_F(Credits, DemoCreditsFrame) {
  TCreditsWindow credits(Sys.get());
  ASSERT_FALSE(credits.Lines.empty());
  EXPECT_EQ(credits.Lines.back(), "<1>Danke f\xFCr's Spielen!");
  credits.Show();
  Sys->ProcessRequests();
  credits.Scroll = 400;
  DrawScreen();
  ExpectPicture("credits_frame");
}

}  // namespace
}  // namespace MenuTest
