// MPEG audio tracks, decoded by mpg123 through a reader over the source
// stream: 16-bit output at the track's own rate and channel count.
#pragma once

#include <memory>

#include "engine/astreams/audio_stream.h"

class TMP3Stream : public TAudioStream {
 public:
  TMP3Stream();
  ~TMP3Stream() override;

  // Reads whatever the flags say; "Error opening MP3." when no frame header
  // is found. Length is the estimated playing time plus one second, so the
  // real end is met by a short Read.
  void Open(Data::TStream* source, u32 flags, const TAudioFormat* format) override;
  // Seeks by milliseconds to a decoder frame, then drops three frames.
  void Seek(i32 frame) override;
  // Fewer frames at the end of the data; never throws.
  i32 Read(void* buffer, i32 frames) override;
  void Write(const void*, i32) override {}
  void Close() override;

  Data::TStream* Source = nullptr;  // owned
  i32 PcmPos = 0;                   // frames of the current block delivered
  i32 PcmCount = 0;                 // frames in it

 private:
  struct TDecoder;
  // Decodes the next frame with output; false at the end or on an error.
  bool DecodeFrame();
  std::unique_ptr<TDecoder> Decoder;
};
