#include "engine/astreams/ax_stream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "engine/astreams/ima_adpcm.h"
#include "engine/data/stream.h"

namespace {

constexpr i32 WindowBytes = 4096;

[[noreturn]] void Invalid() { RaiseAudioStreamError("Invalid AX file."); }
[[noreturn]] void PastEnd() { RaiseAudioStreamError("Reading past end of stream."); }

bool ValidFormat(u32 rate, u32 bits, u32 channels) {
  return rate >= 1 && rate <= 96000 && (bits == 8 || bits == 16) && (channels == 1 || channels == 2);
}

}  // namespace

void TAXHeader::Read(Data::TStream& s) {
  Data::ReadChars(s, Tag, 4);
  Type = Data::ReadU32(s);
  Rate = Data::ReadU32(s);
  Channels = Data::ReadU32(s);
  Bits = Data::ReadU32(s);
  Samples = Data::ReadI32(s);
  DataBytes = Data::ReadU32(s);
  u8 reserved[36];
  s.ReadBuffer(reserved, sizeof reserved);
}

void TAXHeader::Write(Data::TStream& s) const {
  Data::WriteChars(s, Tag, 4);
  Data::WriteU32(s, Type);
  Data::WriteU32(s, Rate);
  Data::WriteU32(s, Channels);
  Data::WriteU32(s, Bits);
  Data::WriteI32(s, Samples);
  Data::WriteU32(s, DataBytes);
  const u8 reserved[36] = {};
  s.WriteBuffer(reserved, sizeof reserved);
}

void TAXSeekEntry::Read(Data::TStream& s) {
  PredictorL = Data::ReadI16(s);
  IndexL = Data::ReadI16(s);
  PredictorR = Data::ReadI16(s);
  IndexR = Data::ReadI16(s);
}

void TAXSeekEntry::Write(Data::TStream& s) const {
  Data::WriteI16(s, PredictorL);
  Data::WriteI16(s, IndexL);
  Data::WriteI16(s, PredictorR);
  Data::WriteI16(s, IndexR);
}

TAXStream::~TAXStream() {
  try {
    Close();
  } catch (const std::exception&) {
  }
}

i64 TAXStream::DataBytesOf(i64 frames) const {
  return IsADPCM() ? AdpcmBytes(frames, Format()) : frames * static_cast<i64>(BlockAlign);
}

void TAXStream::Open(Data::TStream* source, u32 flags, const TAudioFormat* format) {
  // Whatever was open is finished in the mode it was opened in.
  Close();
  OpenFlags = flags;
  if (flags & afRead)
    OpenRead(source);
  else
    OpenWrite(source, format);
}

void TAXStream::OpenRead(Data::TStream* source) {
  TAXHeader h;
  h.Read(*source);
  if (std::memcmp(h.Tag, "AUDX", 4) != 0 || h.Samples < 0 || (h.Type != AXTypePCM && h.Type != AXTypeADPCM) ||
      (h.Type == AXTypeADPCM && h.Bits != 16) || !ValidFormat(h.Rate, h.Bits, h.Channels))
    Invalid();
  Header = h;
  Rate = h.Rate;
  Channels = h.Channels;
  Bits = h.Bits;
  BlockAlign = Bits / 8 * Channels;
  Length = h.Samples;
  // 64 bits: a count near 2^31 would overflow and pass the size check below.
  const i64 tableCount = IsADPCM() ? (static_cast<i64>(Length) + AXSeekInterval - 1) / AXSeekInterval : 0;
  if (static_cast<i64>(h.DataBytes) != DataBytesOf(Length)) Invalid();
  const i64 start = source->GetPosition();
  const i64 size = source->GetSize();
  if (size < start + h.DataBytes + static_cast<i64>(TAXSeekEntry::StreamSize) * tableCount) Invalid();
  std::vector<TAXSeekEntry> table;
  if (IsADPCM() && Length > 0 && !(OpenFlags & afNoSeekTable)) {
    source->SetPosition(start + h.DataBytes);
    table.resize(static_cast<std::size_t>(tableCount));
    for (TAXSeekEntry& e : table) {
      e.Read(*source);
      // A step index outside the table would read past it.
      if (e.IndexL < 0 || e.IndexL > 88 || e.IndexR < 0 || e.IndexR > 88) Invalid();
    }
    source->SetPosition(start);
  }
  const TAudioFormat f = Format();
  i32 capacity = IsADPCM() ? AdpcmFrames(WindowBytes, f) : WindowBytes / static_cast<i32>(BlockAlign);
  if (capacity > Length) OpenFlags |= afLoadWhole;
  if (OpenFlags & afLoadWhole) capacity = Length;
  std::vector<u8> buffer(static_cast<std::size_t>(DataBytesOf(capacity)));

  // Nothing below fails once the data is in, so the source changes hands
  // only on success.
  DataStart = static_cast<u32>(start);
  Size = static_cast<u32>(std::min<i64>(size, UINT32_MAX));
  Position = 0;
  PredictorL = PredictorR = IndexL = IndexR = 0;
  BufferPos = BufferStart = BufferCount = 0;
  BufferCapacity = capacity;
  Buffer = std::move(buffer);
  SeekTable = std::move(table);
  SeekTableCount = static_cast<i32>(SeekTable.size());
  if (OpenFlags & afLoadWhole) {
    Source = source;
    try {
      if (Length > 0) FillBuffer();
    } catch (...) {
      Source = nullptr;
      Close();
      throw;
    }
    Source = nullptr;
    delete source;
  } else {
    Source = source;
  }
}

void TAXStream::OpenWrite(Data::TStream* source, const TAudioFormat* format) {
  const u32 type = (OpenFlags & afStorePCM) ? AXTypePCM : AXTypeADPCM;
  const TAudioFormat f = format ? *format : Format();
  if (type == AXTypeADPCM && f.Bits != 16) RaiseAudioStreamError("Only 16-bit wave can be encoded.");
  if (!ValidFormat(f.Rate, f.Bits, f.Channels)) Invalid();
  source->SetPosition(TAXHeader::StreamSize);
  Rate = f.Rate;
  Bits = f.Bits;
  Channels = f.Channels;
  BlockAlign = Bits / 8 * Channels;
  Header = TAXHeader{{'A', 'U', 'D', 'X'}, type, Rate, Channels, Bits, 0, 0};
  Position = Length = 0;
  Size = DataStart = 0;
  PredictorL = PredictorR = IndexL = IndexR = 0;
  SeekTable.assign(1, TAXSeekEntry{});
  SeekTableCount = 1;
  BufferPos = BufferStart = BufferCount = 0;
  BufferCapacity = IsADPCM() ? AdpcmFrames(WindowBytes, Format()) : WindowBytes / static_cast<i32>(BlockAlign);
  Buffer.assign(WindowBytes, 0);
  Source = source;
}

void TAXStream::FillBuffer() {
  BufferStart += BufferCount;
  BufferCount = std::min(BufferCapacity, Length - BufferStart);
  BufferPos = 0;
  // A stream held whole never refills; past its end there is nothing.
  if (!Source || BufferCount <= 0) {
    BufferCount = 0;
    PastEnd();
  }
  Source->ReadBuffer(Buffer.data(), static_cast<i32>(DataBytesOf(BufferCount)));
}

void TAXStream::Advance(u8* dest, i32 frames) {
  i32 done = 0;
  while (done < frames) {
    if (BufferPos >= BufferCount) FillBuffer();
    const i32 n = std::min(BufferCount - BufferPos, frames - done);
    if (!IsADPCM()) {
      if (dest)
        std::memcpy(dest + static_cast<std::size_t>(done) * BlockAlign,
                    Buffer.data() + static_cast<std::size_t>(BufferPos) * BlockAlign,
                    static_cast<std::size_t>(n) * BlockAlign);
    } else {
      i16* out = dest ? reinterpret_cast<i16*>(dest) + static_cast<std::size_t>(done) * Channels : nullptr;
      if (Channels == 1) {
        const u8* src = Buffer.data() + BufferPos / 2;
        if (out)
          ImaDecodeMono(out, src, n, BufferPos & 1, PredictorL, IndexL);
        else
          ImaSkipMono(src, n, BufferPos & 1, PredictorL, IndexL);
      } else {
        const u8* src = Buffer.data() + BufferPos;
        if (out)
          ImaDecodeStereo(out, src, n, PredictorL, IndexL, PredictorR, IndexR);
        else
          ImaSkipStereo(src, n, PredictorL, IndexL, PredictorR, IndexR);
      }
    }
    BufferPos += n;
    Position += n;
    done += n;
  }
}

i32 TAXStream::Read(void* buffer, i32 frames) {
  if (frames < 0 || static_cast<i64>(Position) + frames > Length) PastEnd();
  Advance(static_cast<u8*>(buffer), frames);
  return frames;
}

void TAXStream::MoveTo(i32 frame) {
  if (BufferStart <= frame && frame <= BufferStart + BufferCount) {
    Position = frame;
    BufferPos = frame - BufferStart;
    return;
  }
  if (!Source) PastEnd();
  BufferPos = BufferCount = 0;
  BufferStart = frame;
  Source->SetPosition(DataStart + DataBytesOf(frame));
  Position = frame;
}

void TAXStream::Seek(i32 frame) {
  if (frame < 0 || frame > Length) PastEnd();
  if (frame == Position) return;
  if (!IsADPCM()) {
    MoveTo(frame);
    return;
  }
  // Start from the nearest known decoder state.
  i32 start;
  if (SeekTableCount > 0) {
    // Seeking to the very end of a stream of whole intervals uses the last entry.
    const i32 k = std::min(frame / AXSeekInterval, SeekTableCount - 1);
    const TAXSeekEntry& e = SeekTable[static_cast<std::size_t>(k)];
    PredictorL = e.PredictorL;
    IndexL = e.IndexL;
    PredictorR = e.PredictorR;
    IndexR = e.IndexR;
    start = k * AXSeekInterval;
  } else if (frame < Position) {
    PredictorL = PredictorR = IndexL = IndexR = 0;
    start = 0;
  } else {
    start = Position;
  }
  if (start != Position) MoveTo(start);
  Advance(nullptr, frame - start);
}

void TAXStream::Write(const void* buffer, i32 frames) {
  const u8* src = static_cast<const u8*>(buffer);
  i32 done = 0;
  while (done < frames) {
    if (BufferPos >= BufferCapacity) FlushBuffer();
    i32 n = std::min(BufferCapacity - BufferPos, frames - done);
    if (!IsADPCM()) {
      std::memcpy(Buffer.data() + static_cast<std::size_t>(BufferPos) * BlockAlign,
                  src + static_cast<std::size_t>(done) * BlockAlign, static_cast<std::size_t>(n) * BlockAlign);
    } else {
      // A seek-table entry falls on every multiple of the interval.
      n = static_cast<i32>(std::min<i64>(n, static_cast<i64>(SeekTableCount) * AXSeekInterval - Position));
      const i16* in = reinterpret_cast<const i16*>(src) + static_cast<std::size_t>(done) * Channels;
      if (Channels == 1)
        ImaEncodeMono(Buffer.data() + BufferPos / 2, in, n, BufferPos & 1, PredictorL, IndexL);
      else
        ImaEncodeStereo(Buffer.data() + BufferPos, in, n, PredictorL, IndexL, PredictorR, IndexR);
    }
    BufferPos += n;
    Position += n;
    Length += n;
    done += n;
    if (IsADPCM() && static_cast<i64>(Position) == static_cast<i64>(SeekTableCount) * AXSeekInterval) {
      SeekTable.push_back({static_cast<i16>(PredictorL), static_cast<i16>(IndexL), static_cast<i16>(PredictorR),
                           static_cast<i16>(IndexR)});
      ++SeekTableCount;
    }
  }
}

void TAXStream::FlushBuffer() {
  Source->WriteBuffer(Buffer.data(), static_cast<i32>(DataBytesOf(BufferPos)));
  BufferPos = 0;
}

void TAXStream::FinishWriting() {
  if (BufferPos > 0) FlushBuffer();
  if (IsADPCM() && Length > 0)
    for (i32 i = 0; i < SeekTableCount; ++i) SeekTable[static_cast<std::size_t>(i)].Write(*Source);
  Header.Samples = Length;
  Header.DataBytes = static_cast<u32>(DataBytesOf(Length));
  Source->SetPosition(0);
  Header.Write(*Source);
}

void TAXStream::Close() {
  // Buffers and source go even when finishing the file fails.
  struct TRelease {
    TAXStream& S;
    ~TRelease() {
      delete S.Source;
      S.Source = nullptr;
      S.Buffer = {};
      S.SeekTable = {};
      S.SeekTableCount = 0;
      S.BufferCapacity = S.BufferCount = S.BufferPos = S.BufferStart = 0;
    }
  } release{*this};
  if (Source && !(OpenFlags & afRead) && (OpenFlags & afWrite)) FinishWriting();
}

void TAXStream::SaveState(TAudioStreamState* state) {
  const i32 v[6] = {Position, BufferPos, PredictorL, IndexL, PredictorR, IndexR};
  for (int i = 0; i < 6; ++i) state->Values[i] = static_cast<u32>(v[i]);
}

void TAXStream::RestoreState(const TAudioStreamState* state) {
  Position = static_cast<i32>(state->Values[0]);
  BufferPos = static_cast<i32>(state->Values[1]);
  PredictorL = static_cast<i32>(state->Values[2]);
  IndexL = std::clamp(static_cast<i32>(state->Values[3]), 0, 88);
  PredictorR = static_cast<i32>(state->Values[4]);
  IndexR = std::clamp(static_cast<i32>(state->Values[5]), 0, 88);
}
