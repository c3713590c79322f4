// Input: the plain bytes of a "globals" archive. It replaces the demo set's
// one beside the real graphics, scenario and sound archives, and the whole
// global data is loaded from it: index, fonts, sprite table, window sprites,
// rules and prototypes.
#include <cstdlib>
#include <string>

#include "engine/data/archive.h"
#include "engine/data/crypto_stream.h"
#include "tools/demodata/demo_data.h"
#include "world/data2/global_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    char pattern[] = "/tmp/orvfuzz-XXXXXX";
    std::string d = std::string(mkdtemp(pattern)) + "/";
    Builder::WriteDemoData(d, Builder::TArchiveForm::Packed, false);
    return d;
  }();
  Data::DataPath = dir;
  {
    Data::TCryptoStream out(dir + "globals.dat", Data::fmCreate);
    out.WriteBuffer(data, static_cast<i32>(size));
  }
  try {
    Data2::CreateArchives();
    Data2::CreateGlobalData();
  } catch (const std::runtime_error&) {
  }
  Data2::FreeGlobalData();
  Data2::FreeArchives();
  return 0;
}
