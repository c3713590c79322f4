#include "controls/color_text_parser.h"

#include <stdexcept>
#include <string>

#include "engine/data/text_data.h"
#include "engine/gfx/color_text.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"

namespace Main {

namespace {

// Splits at the first ',' or raises.
std::string_view TakeParameter(std::string_view& rest) {
  const std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos) throw std::runtime_error("ColorText error: too few parameters in RGB(,,)!");
  const std::string_view head = rest.substr(0, comma);
  rest.remove_prefix(comma + 1);
  return head;
}

i32 Number(std::string_view text) { return Data::StrToInt(std::string(text)); }

}  // namespace

void ParseColorText(std::string_view text, Gfx::TColorText& target, i32 width, Gfx::TFont* normal, Gfx::TFont* bold,
                    Gfx::TFont* italic) {
  Gfx::TFont* font = normal;
  u32 colour = 0;
  i32 penX = 0, penY = 0;
  while (!text.empty()) {
    const std::size_t piece = std::min(text.find('<'), text.size());
    std::string wrapped;
    const i32 x = penX, y = penY;
    if (font)
      font->WrapTextFrom(width, text.substr(0, piece), wrapped, penY, penX);
    else
      wrapped = std::string(text.substr(0, piece));
    target.Add(font, colour, x, y, wrapped, Gfx::ckLastWord);
    text.remove_prefix(piece);
    if (text.empty()) break;

    std::size_t tagLength = 3;
    if (text.starts_with("<N>"))
      font = normal;
    else if (text.starts_with("<B>"))
      font = bold;
    else if (text.starts_with("<I>"))
      font = italic;
    if (text.starts_with("<RGB(")) {
      const std::size_t close = text.find('>');
      if (close == std::string_view::npos) throw std::runtime_error("ColorText error: '>' not found!");
      // Between "<RGB(" and the character before '>' (normally ')').
      std::string_view rest = close >= 6 ? text.substr(5, close - 6) : std::string_view();
      const std::string_view r = TakeParameter(rest), g = TakeParameter(rest);
      const u32 rgb = static_cast<u32>(Number(r)) * 65536u + static_cast<u32>(Number(g)) * 256u +
                      static_cast<u32>(Number(rest));
      colour = Gfx::PackRGB565(rgb);
      tagLength = close + 1;
    }
    text.remove_prefix(std::min(tagLength, text.size()));
  }
}

}  // namespace Main
