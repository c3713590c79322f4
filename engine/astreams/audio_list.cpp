#include "engine/astreams/audio_list.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/astreams/ax_stream.h"
#include "engine/astreams/mp3_stream.h"
#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/data/file_stream.h"

void TAudioList::TAudioListEntry::Read(Data::TStream& s) {
  ID = Data::ReadU32(s);
  Offset = Data::ReadU32(s);
  Size = Data::ReadU32(s);
  Type = Data::ReadU8(s);
  u8 pad[3];
  s.ReadBuffer(pad, sizeof pad);
}

void TAudioList::TAudioListEntry::Write(Data::TStream& s) const {
  Data::WriteU32(s, ID);
  Data::WriteU32(s, Offset);
  Data::WriteU32(s, Size);
  Data::WriteU8(s, Type);
  const u8 pad[3] = {};
  s.WriteBuffer(pad, sizeof pad);
}

TAudioList::~TAudioList() { Clear(); }

void TAudioList::Clear() {
  Entries.Clear();
  Streams.Clear();
  delete ArchiveStream;
  ArchiveStream = nullptr;
  Preload = 0;
  DataStart = 0;
}

void TAudioList::Open(Data::TStream* archive, bool preload) {
  Clear();
  ArchiveStream = archive;
  Preload = preload ? 1 : 0;
  try {
    char tag[4];
    Data::ReadChars(*archive, tag, 4);
    const i32 count = Data::ReadI32(*archive);
    if (std::memcmp(tag, "AUDL", 4) != 0 || count < 0) Data::RaiseInvalidData();
    // A count the file cannot hold is a short file, found before allocating.
    if (count > archive->Remaining() / TAudioListEntry::StreamSize) throw Base::EReadError();
    Entries.SetCount(count);
    for (TAudioListEntry& e : Entries) e.Read(*archive);
    for (i32 i = 0; i < count; ++i) {
      const TAudioListEntry& e = Entries[i];
      if ((i > 0 && e.ID < Entries[i - 1].ID) || (e.Type != AudioEntryAX && e.Type != AudioEntryMP3))
        Data::RaiseInvalidData();
    }
    DataStart = static_cast<u32>(archive->GetPosition());
    if (preload) {
      Streams.SetCapacity(count);
      for (i32 i = 0; i < count; ++i) Streams.Add(CreateStream(i, true));
      delete ArchiveStream;
      ArchiveStream = nullptr;
    }
  } catch (...) {
    Clear();
    throw;
  }
}

void TAudioList::OpenFromArchive(Data::TArchive* archive, const std::string& fileName, bool preload) {
  Open(archive->OpenFile(fileName), preload);
}

Data::TStream* TAudioList::OpenWindow(i32 index) const {
  const TAudioListEntry& e = Entries[index];
  const i64 offset = static_cast<i64>(DataStart) + e.Offset;
  if (offset > INT32_MAX) throw Base::EStreamError("Invalid offset of substream.");
  if (e.Size > INT32_MAX) throw Base::EStreamError("Invalid size of substream.");
  if (auto* sub = dynamic_cast<Data::TSubStream*>(ArchiveStream))
    return sub->CreateSubStream(static_cast<i32>(offset), static_cast<i32>(e.Size));
  // Any other stream (one in memory): a copy of the window's bytes.
  const i64 size = ArchiveStream->GetSize();
  if (offset > size) throw Base::EStreamError("Invalid offset of substream.");
  if (offset + e.Size > size) throw Base::EStreamError("Invalid size of substream.");
  std::vector<u8> bytes(e.Size);
  ArchiveStream->SetPosition(offset);
  ArchiveStream->ReadBuffer(bytes.data(), static_cast<i32>(e.Size));
  return new Data::TMemoryStream(std::move(bytes));
}

TAudioStream* TAudioList::CreateStream(i32 entryIndex, bool preload) {
  std::unique_ptr<Data::TStream> window(OpenWindow(entryIndex));
  std::unique_ptr<TAudioStream> stream;
  if (Entries[entryIndex].Type == AudioEntryAX)
    stream = std::make_unique<TAXStream>();
  else
    stream = std::make_unique<TMP3Stream>();
  // The stream owns the window from a successful Open on.
  stream->Open(window.get(), preload ? afRead | afLoadWhole : afRead, nullptr);
  window.release();
  return stream.release();
}

i32 TAudioList::IndexOf(u32 id) const {
  i32 lo = 0, hi = Entries.Count();
  while (lo < hi) {
    const i32 mid = lo + (hi - lo) / 2;
    if (Entries[mid].ID < id)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < Entries.Count() && Entries[lo].ID == id ? lo : -1;
}

TAudioStream* TAudioList::StreamAt(i32 index) {
  return Preload ? Streams[index] : CreateStream(index, false);
}

TAudioStream* TAudioList::FindStream(u32 id) {
  if (id == 0) return nullptr;
  const i32 i = IndexOf(id);
  return i < 0 ? nullptr : StreamAt(i);
}

TAudioStream* TAudioList::GetStream(u32 id) {
  if (id == 0) return nullptr;
  const i32 i = IndexOf(id);
  if (i < 0) throw std::runtime_error(Base::Format("Audio stream with given ID not found (%d).", static_cast<i32>(id)));
  return StreamAt(i);
}
