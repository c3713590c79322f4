// The audio stream base: a source of PCM sample frames with a format, a length
// and a position, read in whole frames. WAV, AUDX and MP3 streams implement it.
#pragma once

#include "engine/base/errors.h"
#include "engine/base/types.h"

namespace Data {
class TStream;
}

struct TAudioFormat {
  u32 Rate;
  u32 Bits;
  u32 Channels;
  u32 BlockAlign;  // (Bits / 8) x Channels; a value passed in is ignored
};

// A decoder's position and state, so several players can share one stream.
struct TAudioStreamState {
  u32 Values[6];
};

// Flags of TAudioStream::Open.
enum TAudioOpenFlags : u32 {
  afRead = 0x01,
  afWrite = 0x02,
  afLoadWhole = 0x04,       // AUDX: all sample data into memory at Open
  afNoSeekTable = 0x10000,  // AUDX: do not read the seek table
  afStorePCM = 0x20000,     // AUDX writing
  afStoreADPCM = 0x40000,   // AUDX writing
};

class TAudioStream {
 public:
  TAudioStream() = default;
  virtual ~TAudioStream() = default;
  TAudioStream(const TAudioStream&) = delete;
  TAudioStream& operator=(const TAudioStream&) = delete;

  // Closes what was open, then reads the header (afRead) or prepares writing
  // in format. The stream owns source only when Open succeeds.
  virtual void Open(Data::TStream* source, u32 flags, const TAudioFormat* format) = 0;
  virtual void Seek(i32 frame) = 0;
  // Frames copied as PCM: 16-bit signed little-endian or 8-bit unsigned,
  // channels interleaved.
  virtual i32 Read(void* buffer, i32 frames) = 0;
  virtual void Write(const void* buffer, i32 frames) = 0;
  // Finishes a written file and deletes the source.
  virtual void Close() = 0;
  virtual void SaveState(TAudioStreamState*) {}
  virtual void RestoreState(const TAudioStreamState*) {}

  TAudioFormat Format() const { return {Rate, Bits, Channels, BlockAlign}; }

  u32 Rate = 44100;
  u32 Bits = 16;
  u32 Channels = 2;
  u32 BlockAlign = 4;
  i32 Length = 0;    // sample frames
  i32 Position = 0;  // the next frame to read or write
  u32 Size = 0;      // of the source in bytes, as far as known
};

[[noreturn]] void RaiseAudioStreamError(const char* message);

// Rounded to the nearest integer, halves away from zero, over a 64-bit product.
i32 SamplesToMilliseconds(i32 samples, i32 rate);
i32 MillisecondsToSamples(i32 milliseconds, i32 rate);
