#include "tools/databuilder/sound_builder.h"

#include <algorithm>

#include "engine/astreams/audio_list.h"
#include "engine/astreams/ax_stream.h"
#include "engine/astreams/wav_stream.h"
#include "engine/data/stream.h"

namespace Builder {

namespace {

// The streams own and delete their source at Close; this one leaves its
// bytes behind when it goes.
class TCaptureStream final : public Data::TMemoryStream {
 public:
  explicit TCaptureStream(std::string& out) : Out(out) {}
  ~TCaptureStream() override { Out = AsString(); }

 private:
  std::string& Out;
};

std::string WriteThrough(TAudioStream& stream, u32 flags, const TAudioFormat& format, const void* frames, i32 count) {
  std::string bytes;
  stream.Open(new TCaptureStream(bytes), flags, &format);
  stream.Write(frames, count);
  stream.Close();
  return bytes;
}

}  // namespace

std::string WriteWav(const TAudioFormat& format, const void* frames, i32 count) {
  TWAVStream wav;
  return WriteThrough(wav, afWrite, format, frames, count);
}

std::string WriteAX(const TAudioFormat& format, const void* frames, i32 count, bool adpcm) {
  TAXStream ax;
  return WriteThrough(ax, afWrite | (adpcm ? afStoreADPCM : afStorePCM), format, frames, count);
}

void TAudioListBuilder::Add(u32 id, u8 type, const std::string& bytes) {
  auto at = std::upper_bound(Entries.begin(), Entries.end(), id, [](u32 v, const TEntry& e) { return v < e.ID; });
  Entries.insert(at, TEntry{id, type, bytes});
}

std::string TAudioListBuilder::Bytes() const {
  Data::TMemoryStream s;
  Data::WriteChars(s, "AUDL", 4);
  Data::WriteI32(s, static_cast<i32>(Entries.size()));
  u32 offset = 0;
  for (const TEntry& e : Entries) {
    TAudioList::TAudioListEntry{e.ID, offset, static_cast<u32>(e.Data.size()), e.Type}.Write(s);
    offset += static_cast<u32>(e.Data.size());
  }
  for (const TEntry& e : Entries) s.WriteBuffer(e.Data.data(), static_cast<i32>(e.Data.size()));
  return s.AsString();
}

}  // namespace Builder
