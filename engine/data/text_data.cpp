#include "engine/data/text_data.h"

#include <cstring>

#include "engine/base/base.h"

namespace Data {

namespace {

// Bytes compare as signed values: 0x80 and above are separators too.
bool IsSeparator(u8 c) { return static_cast<i8>(c) <= 32; }
bool IsComment(u8 c) { return c == ';' || c == '#'; }

u8 NextByte(TStream& s) {
  u8 c;
  s.ReadBuffer(&c, 1);
  return c;
}

void Append(std::string& out, u8 c, int& count, int maxLength) {
  ++count;
  if (maxLength > 0 && count > maxLength) RaiseInvalidData();
  out += static_cast<char>(c);
}

}  // namespace

void ReadTextToken(TStream& s, std::string& out, int maxLength) {
  out.clear();
  int count = 0;
  u8 c = NextByte(s);
  for (;;) {
    if (IsSeparator(c)) {
      c = NextByte(s);
    } else if (IsComment(c)) {
      while (c != 13 && c != 10) c = NextByte(s);
    } else {
      break;
    }
  }
  if (c == '"') {
    for (c = NextByte(s); c != '"'; c = NextByte(s)) Append(out, c, count, maxLength);
    c = NextByte(s);
  } else {
    while (!IsSeparator(c) && !IsComment(c)) {
      Append(out, c, count, maxLength);
      c = NextByte(s);
    }
  }
  while (c == ' ' || c == '\t') c = NextByte(s);
  if (IsComment(c))
    while (c != 13) c = NextByte(s);
  if (c == 13) s.Seek(2, soCurrent);
  s.Seek(-1, soCurrent);
}

void ReadTextChars(TStream& s, char* buffer, int size) {
  std::string token;
  ReadTextToken(s, token, size - 1);
  std::memcpy(buffer, token.c_str(), token.size() + 1);
}

void ReadTextString(TStream& s, std::string& out) { ReadTextToken(s, out, 0); }

std::string ReadTextString(TStream& s) {
  std::string out;
  ReadTextToken(s, out, 0);
  return out;
}

i32 StrToInt(const std::string& text) {
  auto fail = [&]() -> i32 {
    throw Base::EConvertError(Base::Format("'%s' is not a valid integer value.", text.c_str()));
  };
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return fail();
  i64 value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int digit = (c >= '0' && c <= '9') ? c - '0'
                : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                        : -1;
    if (digit < 0) return fail();
    value = value * base + digit;
    if (value > (base == 16 ? 0xFFFFFFFFll : 0x80000000ll)) return fail();
  }
  if (negative) value = -value;
  if (base == 10 && (value < INT32_MIN || value > INT32_MAX)) return fail();
  return static_cast<i32>(static_cast<u32>(value));
}

i32 ReadTextInt(TStream& s) { return StrToInt(ReadTextString(s)); }

bool ReadTextBool(TStream& s) {
  i32 v = ReadTextInt(s);
  if (v != 0 && v != 1) RaiseInvalidData();
  return v == 1;
}

u64 ReadTextBits(TStream& s) { return Base::BinToInt64(ReadTextString(s)); }

}  // namespace Data
