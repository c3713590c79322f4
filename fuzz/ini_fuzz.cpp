// Input: the bytes of an ini file, read as "data.ini" and the settings file
// are read.
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/base/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = [] {
    char pattern[] = "/tmp/orvfuzz-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/fuzz.ini";
  }();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  Base::TIniFile ini(file);
  volatile std::size_t sink = ini.ReadString("Main", "DataPath", "default").size();
  for (const char* key : {"MusicVolume", "Difficulty", "MovementSpeed"})
    sink = sink + static_cast<std::size_t>(ini.ReadInteger("Settings", key, 7));
  sink = sink + ini.ReadBool("Settings", "ConfirmEndTurn", true);
  sink = sink + ini.ValueExists("", "");
  (void)sink;
  return 0;
}
