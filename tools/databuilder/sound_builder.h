// Writes sounds in the game's formats through the engine's own stream
// classes: WAV, AUDX (PCM or IMA ADPCM) and the audio archive "AUDL".
#pragma once

#include <string>
#include <vector>

#include "engine/astreams/audio_stream.h"

namespace Builder {

// Frames of PCM in format (16-bit samples as i16, 8-bit as bytes).
std::string WriteWav(const TAudioFormat& format, const void* frames, i32 count);
// ADPCM takes 16-bit frames only.
std::string WriteAX(const TAudioFormat& format, const void* frames, i32 count, bool adpcm);

class TAudioListBuilder {
 public:
  // Entries are stored by ascending ID, equal IDs in the order added.
  void Add(u32 id, u8 type, const std::string& bytes);
  std::string Bytes() const;

 private:
  struct TEntry {
    u32 ID;
    u8 Type;
    std::string Data;
  };
  std::vector<TEntry> Entries;
};

}  // namespace Builder
