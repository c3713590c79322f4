// Audio archives ("AUDL"): many sounds, AUDX streams or MP3 tracks, behind an
// index sorted by ID. Streaming lists make a new stream per request, which the
// caller owns; preloading lists load every stream at Open and share it.
#pragma once

#include <string>

#include "engine/astreams/audio_stream.h"
#include "engine/data/dynamic_array.h"
#include "engine/data/object_list.h"

namespace Data {
class TArchive;
class TStream;
}  // namespace Data

constexpr u8 AudioEntryAX = 1;
constexpr u8 AudioEntryMP3 = 2;

class TAudioList {
 public:
  struct TAudioListEntry {
    static constexpr i32 StreamSize = 16;
    u32 ID;
    u32 Offset;  // from the end of the index
    u32 Size;
    u8 Type;
    void Read(Data::TStream& s);
    void Write(Data::TStream& s) const;
  };

  TAudioList() = default;
  ~TAudioList();
  TAudioList(const TAudioList&) = delete;
  TAudioList& operator=(const TAudioList&) = delete;

  // Takes ownership of archive, also when reading it fails. Entries are
  // opened as windows of a sub-stream; other streams (memory) give copies.
  void Open(Data::TStream* archive, bool preload);
  void OpenFromArchive(Data::TArchive* archive, const std::string& fileName, bool preload);
  void Clear();
  // Null for ID 0 or an unknown ID. A preloading list keeps its stream; else
  // the caller owns the new stream.
  TAudioStream* FindStream(u32 id);
  // As FindStream; an unknown ID raises "Audio stream with given ID not found (%d).".
  TAudioStream* GetStream(u32 id);
  TAudioStream* CreateStream(i32 entryIndex, bool preload);
  bool Preloads() const { return Preload != 0; }

  Data::TStream* ArchiveStream = nullptr;  // owned; null after preloading
  u8 Preload = 0;
  u32 DataStart = 0;
  Data::TDynamicArray<TAudioListEntry> Entries;
  Data::TObjectList<TAudioStream> Streams{true};

 private:
  // Index of the first entry with the ID, -1 when none.
  i32 IndexOf(u32 id) const;
  TAudioStream* StreamAt(i32 index);
  Data::TStream* OpenWindow(i32 index) const;
};
