#include "tools/demodata/art/demo_fonts.h"

#include <iterator>

#include "tools/databuilder/font_builder.h"
#include "tools/databuilder/text_builder.h"

namespace Builder {

namespace {

struct TDemoFont {
  const char* Name;
  TFontStyle Style;
};

// Running text, its bold and slanted forms for marked-up books, small print,
// two serif faces for titles and the menu, and three narrow faces for the
// panels' fixed layouts: numbers three digits wide over gauges 16 pixels
// apart, labels that end before their values' column, and unit names in the
// band the next panel leaves open. The ink is 1: black in the fonts' own
// colours (0) and in 0xFFFF alike, as the ticker and the tooltip draw
// standard font 3 on the same parchment.
const TDemoFont Fonts[] = {
    {"small.fnt", {"DejaVuSansCondensed.ttf", 11, false, 1}},
    {"normal.fnt", {"DejaVuSans.ttf", 13, false, 1}},
    {"bold.fnt", {"DejaVuSans-Bold.ttf", 13, false, 1}},
    {"italic.fnt", {"DejaVuSans.ttf", 13, true, 1}},
    {"title.fnt", {"DejaVuSerif-Bold.ttf", 18, false, 1}},
    {"menu.fnt", {"DejaVuSerif.ttf", 15, false, 1}},
    {"panel.fnt", {"DejaVuSans.ttf", 8, false, 1}},
    {"detail.fnt", {"DejaVuSans.ttf", 11, false, 1}},
    {"name.fnt", {"DejaVuSans-Bold.ttf", 10, false, 1}},
    // The menu's and the city's buttons and titles draw with an extra
    // advance of -3: their faces carry three blank columns a letter.
    {"menubutton.fnt", {"DejaVuSerif.ttf", 15, false, 1, 3}},
    {"titlebutton.fnt", {"DejaVuSerif-Bold.ttf", 18, false, 1, 3}},
    {"boldbutton.fnt", {"DejaVuSans-Bold.ttf", 13, false, 1, 3}},
    {"normalbutton.fnt", {"DejaVuSans.ttf", 13, false, 1, 3}},
    {"smallbutton.fnt", {"DejaVuSansCondensed.ttf", 11, false, 1, 3}},
};

// Every font ID the program asks for, and the font it gets.
const struct {
  int ID;
  const char* File;
} Descriptions[] = {
    {1, "small.fnt"},   {2, "small.fnt"},  {3, "panel.fnt"},  {4, "detail.fnt"}, {5, "name.fnt"},
    {6, "normal.fnt"},  {7, "bold.fnt"},   {8, "italic.fnt"}, {9, "titlebutton.fnt"},  {10, "menubutton.fnt"},
    {11, "menubutton.fnt"},   {12, "menubutton.fnt"},  {21, "normal.fnt"}, {22, "boldbutton.fnt"},  {23, "normalbutton.fnt"},
    {24, "boldbutton.fnt"},   {25, "smallbutton.fnt"}, {26, "boldbutton.fnt"},  {27, "title.fnt"}, {28, "title.fnt"},
    {29, "menu.fnt"},   {30, "title.fnt"},
};

}  // namespace

std::vector<std::pair<std::string, std::string>> DemoFonts() {
  std::vector<std::pair<std::string, std::string>> files;
  u32 id = 1;
  for (const TDemoFont& f : Fonts) files.emplace_back(f.Name, FontBytes(*RenderFont(id++, f.Style)));
  return files;
}

std::string FontDescriptionFile() {
  TTextBuilder t;
  t.Comment("fonts: count, then ID and file per font");
  t.Int(static_cast<i64>(std::size(Descriptions)));
  for (const auto& d : Descriptions) {
    t.Int(d.ID);
    t.Token(d.File);
  }
  return t.Text();
}

}  // namespace Builder
