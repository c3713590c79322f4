// Input: the mark-up of a scenario introduction, parsed into coloured pieces
// and laid out as the introduction does; malformed colour tags raise.
#include <memory>
#include <stdexcept>
#include <string_view>

#include "controls/color_text_parser.h"
#include "engine/gfx/color_text.h"
#include "tools/databuilder/font_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto normal = Builder::MakeBoxFont(6, 10, [](u8 c) { return 3 + c % 5; });
  static const auto bold = Builder::MakeBoxFont(7, 11, [](u8 c) { return 4 + c % 6; });
  static const auto italic = Builder::MakeBoxFont(8, 9, [](u8 c) { return c % 4; });
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Gfx::TColorText target;
  try {
    Main::ParseColorText(text, target, 330, normal.get(), bold.get(), italic.get());
  } catch (const std::runtime_error&) {
  }
  target.Justify(330);
  target.GetHeight();
  return 0;
}
