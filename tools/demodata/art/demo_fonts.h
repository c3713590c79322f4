// The demo data's fonts, rendered from Debian's DejaVu fonts, and the font
// description file that gives every font ID the program asks for one of them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Builder {

// File name and "FONT" bytes of each demo font, for the "graphics" archive.
std::vector<std::pair<std::string, std::string>> DemoFonts();
// The description file: a count, then ID and file name per font.
std::string FontDescriptionFile();

}  // namespace Builder
