// RIFF WAVE files with PCM data, for reading and writing.
#pragma once

#include "engine/astreams/audio_stream.h"

class TWAVStream : public TAudioStream {
 public:
  TWAVStream() = default;
  ~TWAVStream() override;

  void Open(Data::TStream* source, u32 flags, const TAudioFormat* format) override;
  void Seek(i32 frame) override;
  i32 Read(void* buffer, i32 frames) override;
  void Write(const void* buffer, i32 frames) override;
  void Close() override;

  static constexpr i32 HeaderBytes = 44;

  Data::TStream* Source = nullptr;  // owned
  u32 DataStart = 0;
  u8 Writing = 0;

 private:
  void WriteHeader(Data::TStream& s) const;
};
