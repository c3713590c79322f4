// The mark-up of the scenario introduction: "<N>", "<B>" and "<I>" choose the
// normal, bold or italic font, "<RGB(r,g,b)>" a colour (0,0,0 the font's
// own), and any other '<' swallows itself and the next two characters.
#pragma once

#include <string_view>

#include "engine/base/types.h"

namespace Gfx {
class TColorText;
class TFont;
}  // namespace Gfx

namespace Main {

// Appends the pieces of text to target, wrapped to width (never clears it).
// A colour tag without '>' raises "ColorText error: '>' not found!", one
// with fewer than three numbers "ColorText error: too few parameters in
// RGB(,,)!", a number that is none the conversion error; the pieces before
// the error stay in target.
void ParseColorText(std::string_view text, Gfx::TColorText& target, i32 width, Gfx::TFont* normal, Gfx::TFont* bold,
                    Gfx::TFont* italic);

}  // namespace Main
