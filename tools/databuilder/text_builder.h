// Writes text data files: one token per line, CRLF line ends, quotes where a
// token holds separators or letters from 0x80 on.
#pragma once

#include <string>

#include "engine/base/types.h"

namespace Builder {

class TTextBuilder {
 public:
  TTextBuilder& Comment(const std::string& text);
  TTextBuilder& Int(i64 value);
  TTextBuilder& Token(const std::string& text);
  // 64 binary digits, bit 63 first.
  TTextBuilder& Bits(u64 mask);
  // Several values on one line, separated by blanks.
  TTextBuilder& Ints(std::initializer_list<i64> values);
  const std::string& Text() const { return Content; }

 private:
  std::string Content;
};

}  // namespace Builder
