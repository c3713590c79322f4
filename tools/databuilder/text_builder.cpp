#include "tools/databuilder/text_builder.h"

#include <stdexcept>

namespace Builder {

TTextBuilder& TTextBuilder::Comment(const std::string& text) {
  Content += "; " + text + "\r\n";
  return *this;
}

TTextBuilder& TTextBuilder::Int(i64 value) {
  Content += std::to_string(value) + "\r\n";
  return *this;
}

TTextBuilder& TTextBuilder::Ints(std::initializer_list<i64> values) {
  std::string line;
  for (i64 v : values) {
    if (!line.empty()) line += ' ';
    line += std::to_string(v);
  }
  Content += line + "\r\n";
  return *this;
}

TTextBuilder& TTextBuilder::Token(const std::string& text) {
  if (text.find('"') != std::string::npos) throw std::invalid_argument("a token cannot hold a double quote");
  bool quote = text.empty();
  for (char c : text) {
    auto b = static_cast<signed char>(c);
    if (b <= 32 || c == ';' || c == '#') quote = true;
  }
  Content += (quote ? "\"" + text + "\"" : text) + "\r\n";
  return *this;
}

TTextBuilder& TTextBuilder::Bits(u64 mask) {
  std::string digits(64, '0');
  for (int bit = 0; bit < 64; ++bit)
    if (mask & (1ull << bit)) digits[63 - bit] = '1';
  Content += digits + "\r\n";
  return *this;
}

}  // namespace Builder
