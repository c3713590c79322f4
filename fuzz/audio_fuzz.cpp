// Input: the same bytes as a WAV file, an AUDX file and an audio archive.
// Each opens, reads its frames, seeks and reads again; the archive's entries
// are fetched and read as the sound device would.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/astreams/audio_list.h"
#include "engine/astreams/ax_stream.h"
#include "engine/astreams/wav_stream.h"
#include "engine/data/stream.h"

namespace {

// At most a few seconds of any stream, so a huge claimed length costs nothing.
constexpr i32 MostFrames = 1 << 18;

void Exercise(TAudioStream& s) {
  std::vector<u8> buffer(4096 * 4);
  const i32 chunk = static_cast<i32>(buffer.size() / std::max<u32>(s.BlockAlign, 1));
  for (i32 done = 0; done < MostFrames && s.Position < s.Length;) {
    const i32 n = s.Read(buffer.data(), std::min(chunk, s.Length - s.Position));
    if (n <= 0) break;
    done += n;
  }
  for (i32 at : {s.Length / 2, 0, s.Length}) {
    s.Seek(at);
    s.Read(buffer.data(), std::min(100, std::max(0, s.Length - s.Position)));
  }
}

template <class TStreamClass>
void Open(const std::string& bytes, u32 flags) {
  try {
    auto source = std::make_unique<Data::TMemoryStream>(bytes);
    TStreamClass s;
    s.Open(source.get(), flags, nullptr);
    source.release();
    Exercise(s);
  } catch (const std::runtime_error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Open<TWAVStream>(bytes, afRead);
  Open<TAXStream>(bytes, afRead);
  Open<TAXStream>(bytes, afRead | afLoadWhole | afNoSeekTable);
  for (bool preload : {false, true}) {
    try {
      TAudioList list;
      list.Open(new Data::TMemoryStream(bytes), preload);
      for (i32 i = 0; i < list.Entries.Count(); ++i) {
        try {
          TAudioStream* s = list.FindStream(list.Entries[i].ID);
          std::unique_ptr<TAudioStream> owned(preload ? nullptr : s);
          if (s) Exercise(*s);
        } catch (const std::runtime_error&) {
        }
      }
    } catch (const std::runtime_error&) {
    }
  }
  return 0;
}
