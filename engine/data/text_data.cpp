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
    while (c != 13 && c != 10) c = NextByte(s);
  // CR LF, CR and LF each end a line; the stream then stands after it.
  if (c == 13) {
    u8 next;
    if (s.Read(&next, 1) == 1 && next != 10) s.Seek(-1, soCurrent);
    return;
  }
  if (c == 10) return;
  // The byte that ended the token is read again by the next call.
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
  // Decimal digits with an optional sign, nothing else.
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  i64 value = 0;
  bool ok = i < text.size();
  for (; ok && i < text.size(); ++i) {
    ok = text[i] >= '0' && text[i] <= '9';
    value = value * 10 + (text[i] - '0');
    ok = ok && value <= 0x80000000ll;
  }
  if (negative) value = -value;
  if (!ok || value > INT32_MAX)
    throw Base::EConvertError(Base::Format("'%s' is not a valid integer value.", text.c_str()));
  return static_cast<i32>(value);
}

i32 ReadTextInt(TStream& s) { return StrToInt(ReadTextString(s)); }

bool ReadTextBool(TStream& s) {
  i32 v = ReadTextInt(s);
  if (v != 0 && v != 1) RaiseInvalidData();
  return v == 1;
}

u64 ReadTextBits(TStream& s) { return Base::BinToInt64(ReadTextString(s)); }

}  // namespace Data
