// Windows-1252 text at the boundary to the operating system, which speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace Plat {

std::string Cp1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 form become '?'.
std::string Utf8ToCp1252(std::string_view text);

// One line of Windows-1252 text on standard error, as UTF-8.
void WriteErrorLine(std::string_view text);

constexpr unsigned char AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace Plat
