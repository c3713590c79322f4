// Text data files: a sequence of tokens separated by bytes up to 32 (and,
// since bytes compare as signed, by every byte from 0x80 on), with comments
// from ";" or "#" to the end of the line and quoted tokens that may hold them.
#pragma once

#include <string>

#include "engine/data/stream.h"

namespace Data {

// maxLength 0: no limit; a longer token raises "Invalid data.".
void ReadTextToken(TStream& s, std::string& out, int maxLength);
// The next token into a zero-terminated field of size bytes.
void ReadTextChars(TStream& s, char* buffer, int size);
void ReadTextString(TStream& s, std::string& out);
std::string ReadTextString(TStream& s);
i32 ReadTextInt(TStream& s);
bool ReadTextBool(TStream& s);
u64 ReadTextBits(TStream& s);

// String-to-integer conversion of the run-time library: decimal digits with
// an optional sign (or "$"/"0x" hexadecimal); anything else raises
// "'%s' is not a valid integer value.".
i32 StrToInt(const std::string& text);

}  // namespace Data
