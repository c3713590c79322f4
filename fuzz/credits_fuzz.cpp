// Input: a "credits.txt". It is read as the credits window reads it, and the
// window is built from what was read and scrolled through.
#include <string>

#include "engine/data/stream.h"
#include "frontend/credits_window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (static_cast<long long>(size) > Main::TCreditsText::MaxFileSize) return 0;
  Main::TCreditsText text;
  try {
    Data::TMemoryStream s(std::string(reinterpret_cast<const char*>(data), size));
    text.Read(s);
  } catch (const std::exception&) {
    return 0;
  }
  if (text.Lines.size() > static_cast<std::size_t>(Main::TCreditsText::MaxLines)) __builtin_trap();
  for (const std::string& line : text.Lines)
    if (line.size() > static_cast<std::size_t>(Main::TCreditsText::MaxLineLength)) __builtin_trap();
  Main::TCreditsWindow window(nullptr, text);
  for (int i = 0; i < 50; ++i) window.Update();
  return 0;
}
