// Input: the plain bytes of a packed archive. It is enciphered into a file as
// the game would find it, opened, and every entry read as text.
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/data/archive.h"
#include "engine/data/text_data.h"

namespace {

const std::string& FuzzDir() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/orvfuzz-XXXXXX";
    std::string d = mkdtemp(pattern);
    return d + "/";
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Data::DataPath = FuzzDir();
  {
    Data::TCryptoStream out(FuzzDir() + "fuzz.dat", Data::fmCreate);
    out.WriteBuffer(data, static_cast<i32>(size));
  }
  try {
    Data::TArchive archive("fuzz", Data::TArchive::Packed);
    for (i32 i = 0; i < archive.Count() && i < 64; ++i) {
      try {
        std::unique_ptr<Data::TStream> s(archive.OpenFile(archive.GetFileName(i)));
        std::string token;
        for (int k = 0; k < 256; ++k) Data::ReadTextString(*s, token);
      } catch (const std::runtime_error&) {
      }
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
