// "AUDX", the program's own sound files: a 64-byte header, PCM or IMA ADPCM
// data, and for ADPCM a seek table holding the decoder state every 65536
// frames. Read through a 4096-byte window, or held whole in memory.
#pragma once

#include <vector>

#include "engine/astreams/audio_stream.h"

namespace Data {
class TStream;
}

struct TAXHeader {
  static constexpr i32 StreamSize = 64;
  char Tag[4];
  u32 Type;  // 1 PCM, 2 IMA ADPCM
  u32 Rate;
  u32 Channels;
  u32 Bits;
  i32 Samples;
  u32 DataBytes;
  void Read(Data::TStream& s);
  void Write(Data::TStream& s) const;
};

struct TAXSeekEntry {
  static constexpr i32 StreamSize = 8;
  i16 PredictorL, IndexL, PredictorR, IndexR;
  void Read(Data::TStream& s);
  void Write(Data::TStream& s) const;
};

constexpr u32 AXTypePCM = 1;
constexpr u32 AXTypeADPCM = 2;
constexpr i32 AXSeekInterval = 65536;

class TAXStream : public TAudioStream {
 public:
  TAXStream() = default;
  ~TAXStream() override;

  void Open(Data::TStream* source, u32 flags, const TAudioFormat* format) override;
  // Also refuses a negative frame.
  void Seek(i32 frame) override;
  i32 Read(void* buffer, i32 frames) override;
  // Takes 16-bit samples as i16-aligned memory for ADPCM.
  void Write(const void* buffer, i32 frames) override;
  void Close() override;
  void SaveState(TAudioStreamState* state) override;
  // Gives a correct stream only when the whole data is in memory.
  void RestoreState(const TAudioStreamState* state) override;

  TAXHeader Header{};
  u32 OpenFlags = 0;
  Data::TStream* Source = nullptr;  // owned; null when the data was loaded whole
  u32 DataStart = 0;
  std::vector<u8> Buffer;
  i32 BufferCapacity = 0;  // frames
  i32 BufferCount = 0;
  i32 BufferPos = 0;
  i32 BufferStart = 0;
  std::vector<TAXSeekEntry> SeekTable;
  i32 SeekTableCount = 0;
  i32 PredictorL = 0, PredictorR = 0, IndexL = 0, IndexR = 0;

 private:
  bool IsADPCM() const { return Header.Type == AXTypeADPCM; }
  i64 DataBytesOf(i64 frames) const;
  void OpenRead(Data::TStream* source);
  void OpenWrite(Data::TStream* source, const TAudioFormat* format);
  void FillBuffer();
  void FlushBuffer();
  // Decodes frames from the window on, into dest or (null) nowhere.
  void Advance(u8* dest, i32 frames);
  // Puts the window's read position on frame, reading the source again only
  // when it lies outside the window.
  void MoveTo(i32 frame);
  void FinishWriting();
};
