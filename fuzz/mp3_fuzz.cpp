// Input: an MP3 track, damaged or not, read through mpg123 as the music
// track would read it: open, play, seek, play on.
#include <memory>
#include <string>
#include <vector>

#include "engine/astreams/mp3_stream.h"
#include "engine/data/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    auto source = std::make_unique<Data::TMemoryStream>(std::string(reinterpret_cast<const char*>(data), size));
    TMP3Stream s;
    s.Open(source.get(), afRead, nullptr);
    source.release();
    std::vector<i16> buffer(4096 * 2);
    // A few seconds at most: the length is only an estimate.
    for (int i = 0; i < 64 && s.Read(buffer.data(), 4096) > 0; ++i) {
    }
    s.Seek(s.Length / 3);
    s.Read(buffer.data(), 4096);
    s.Seek(0);
    s.Read(buffer.data(), 4096);
  } catch (const std::runtime_error&) {
  }
  return 0;
}
