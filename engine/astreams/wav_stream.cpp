#include "engine/astreams/wav_stream.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "engine/data/stream.h"

namespace {

constexpr u32 Tag(const char (&t)[5]) {
  return static_cast<u32>(static_cast<u8>(t[0])) | static_cast<u32>(static_cast<u8>(t[1])) << 8 |
         static_cast<u32>(static_cast<u8>(t[2])) << 16 | static_cast<u32>(static_cast<u8>(t[3])) << 24;
}

[[noreturn]] void Invalid() { RaiseAudioStreamError("Invalid WAV file."); }

struct TWaveFormatRecord {
  u16 FormatTag = 0, Channels = 0;
  u32 SamplesPerSec = 0, AvgBytesPerSec = 0;
  u16 BlockAlign = 0, BitsPerSample = 0;
};

// The first bytes of a "fmt " chunk; fields beyond them stay 0.
TWaveFormatRecord ReadWaveFormat(Data::TStream& s, u32 bytes) {
  u8 raw[16] = {};
  s.ReadBuffer(raw, static_cast<i32>(bytes));
  auto u16At = [&](int i) { return static_cast<u16>(raw[i] | raw[i + 1] << 8); };
  auto u32At = [&](int i) { return static_cast<u32>(u16At(i)) | static_cast<u32>(u16At(i + 2)) << 16; };
  return {u16At(0), u16At(2), u32At(4), u32At(8), u16At(12), u16At(14)};
}

}  // namespace

TWAVStream::~TWAVStream() {
  try {
    Close();
  } catch (const std::exception&) {
  }
}

void TWAVStream::Open(Data::TStream* source, u32 flags, const TAudioFormat* format) {
  Close();
  Writing = 0;
  if (!(flags & afRead)) {
    Writing = 1;
    if (format) {
      Rate = format->Rate;
      Bits = format->Bits;
      Channels = format->Channels;
    }
    BlockAlign = Bits / 8 * Channels;
    Position = Length = 0;
    Size = DataStart = 0;
    source->SetPosition(HeaderBytes);
    Source = source;
    return;
  }
  const i64 sourceSize = source->GetSize();
  if (Data::ReadU32(*source) != Tag("RIFF")) Invalid();
  const u32 riffSize = Data::ReadU32(*source);
  if (source->GetPosition() + riffSize > sourceSize) Invalid();
  if (Data::ReadU32(*source) != Tag("WAVE")) Invalid();
  if (Data::ReadU32(*source) != Tag("fmt ")) Invalid();
  u32 chunkSize = Data::ReadU32(*source);
  // 18 bytes hold the extra-size field too, which nothing needs.
  const u32 formatBytes = std::min<u32>(chunkSize, 16);
  const TWaveFormatRecord wf = ReadWaveFormat(*source, formatBytes);
  source->Seek(-static_cast<i64>(formatBytes), Data::soCurrent);
  if (wf.FormatTag != 1) RaiseAudioStreamError("Compressed WAV files are not supported.");
  // Every chunk up to "data" is skipped with its pad byte; a source without
  // one ends in the read error.
  for (;;) {
    source->Seek(static_cast<i64>(chunkSize) + (chunkSize & 1), Data::soCurrent);
    const u32 name = Data::ReadU32(*source);
    chunkSize = Data::ReadU32(*source);
    if (name == Tag("data")) break;
  }
  const i32 dataSize = static_cast<i32>(chunkSize);
  if (dataSize < 0 || source->GetPosition() + dataSize > sourceSize) Invalid();
  if (wf.SamplesPerSec < 1 || wf.SamplesPerSec > 96000 || (wf.BitsPerSample != 8 && wf.BitsPerSample != 16) ||
      (wf.Channels != 1 && wf.Channels != 2))
    Invalid();
  Rate = wf.SamplesPerSec;
  Bits = wf.BitsPerSample;
  Channels = wf.Channels;
  BlockAlign = Bits / 8 * Channels;
  Position = 0;
  Length = dataSize / static_cast<i32>(BlockAlign);
  DataStart = static_cast<u32>(source->GetPosition());
  Size = static_cast<u32>(sourceSize);
  Source = source;
}

void TWAVStream::Seek(i32 frame) {
  Source->SetPosition(DataStart + static_cast<i64>(frame) * BlockAlign);
  Position = frame;
}

i32 TWAVStream::Read(void* buffer, i32 frames) {
  if (frames <= 0) return 0;
  if (static_cast<i64>(Position) + frames > Length) RaiseAudioStreamError("Reading past end of stream.");
  Source->ReadBuffer(buffer, frames * static_cast<i32>(BlockAlign));
  Position += frames;
  return frames;
}

void TWAVStream::Write(const void* buffer, i32 frames) {
  if (frames <= 0) return;
  Source->WriteBuffer(buffer, frames * static_cast<i32>(BlockAlign));
  Position += frames;
  Length = Position;
}

void TWAVStream::WriteHeader(Data::TStream& s) const {
  const u32 dataBytes = static_cast<u32>(Length) * BlockAlign;
  s.SetPosition(0);
  Data::WriteU32(s, Tag("RIFF"));
  Data::WriteU32(s, dataBytes + 36);
  Data::WriteU32(s, Tag("WAVE"));
  Data::WriteU32(s, Tag("fmt "));
  Data::WriteU32(s, 16);
  Data::WriteU16(s, 1);
  Data::WriteU16(s, static_cast<u16>(Channels));
  Data::WriteU32(s, Rate);
  Data::WriteU32(s, Rate * BlockAlign);
  Data::WriteU16(s, static_cast<u16>(BlockAlign));
  Data::WriteU16(s, static_cast<u16>(Bits));
  Data::WriteU32(s, Tag("data"));
  Data::WriteU32(s, dataBytes);
}

void TWAVStream::Close() {
  // The source goes even when the header cannot be written.
  std::unique_ptr<Data::TStream> source(std::exchange(Source, nullptr));
  if (source && Writing) WriteHeader(*source);
}
