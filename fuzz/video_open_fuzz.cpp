// Input: a video file, damaged or not, opened and read through our wrapper
// as the video window would: open, decode a few seconds, seek back, go on.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "engine/platform/video/video_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The libraries read files: each input becomes one.
  static const std::string path = "/tmp/orv_video_open_" + std::to_string(getpid()) + ".mpg";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    Plat::TVideoFile file(path);
    file.SetOutputSize(200, 150);
    for (int i = 0; i < 200 && file.Next() != Plat::TVideoPart::End; ++i) {
    }
    file.Seek(0.5);
    for (int i = 0; i < 20 && file.Next() != Plat::TVideoPart::End; ++i) {
    }
  } catch (const Plat::TVideoError&) {
  }
  std::remove(path.c_str());
  return 0;
}
