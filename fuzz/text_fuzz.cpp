// Input: a text data file, read with every typed reader in turn.
#include <string>

#include "engine/data/text_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Data::TMemoryStream s(std::string(reinterpret_cast<const char*>(data), size));
  char field[32];
  try {
    for (int i = 0; i < 1000; ++i) {
      switch (i % 5) {
        case 0: Data::ReadTextInt(s); break;
        case 1: Data::ReadTextBits(s); break;
        case 2: Data::ReadTextBool(s); break;
        case 3: Data::ReadTextChars(s, field, sizeof field); break;
        default: Data::ReadTextString(s); break;
      }
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
