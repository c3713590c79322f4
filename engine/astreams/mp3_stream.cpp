#include "engine/astreams/mp3_stream.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <utility>

#include "engine/data/stream.h"

namespace {

// How far the decoder looks for the first frame header.
constexpr long HeaderSearchBytes = 131072;
constexpr int FramesDroppedAfterSeek = 3;

}  // namespace

struct TMP3Stream::TDecoder {
  mpg123_handle* Handle = nullptr;
  bool ReaderOpen = false;
  Data::TStream* Reading = nullptr;
  // A run-time error raised inside the reader, passed on after the decoder call.
  std::exception_ptr Error;
  const u8* Block = nullptr;
  std::size_t BlockBytes = 0;
  off_t FrameCount = 0;  // estimated

  ~TDecoder() {
    CloseReader();
    if (Handle) mpg123_delete(Handle);
  }

  void CloseReader() {
    if (ReaderOpen) mpg123_close(Handle);
    ReaderOpen = false;
    Reading = nullptr;
    Block = nullptr;
    BlockBytes = 0;
  }

  static mpg123_ssize_t ReadSource(void* self, void* buffer, std::size_t count) {
    auto* d = static_cast<TDecoder*>(self);
    try {
      return d->Reading->Read(buffer, static_cast<i32>(std::min<std::size_t>(count, 1 << 30)));
    } catch (...) {
      d->Error = std::current_exception();
      return -1;
    }
  }

  static off_t SeekSource(void* self, off_t offset, int whence) {
    auto* d = static_cast<TDecoder*>(self);
    try {
      const int origin = whence == SEEK_SET ? Data::soBeginning : whence == SEEK_CUR ? Data::soCurrent : Data::soEnd;
      const i64 at = d->Reading->Seek(offset, origin);
      return at < 0 ? -1 : static_cast<off_t>(at);
    } catch (...) {
      d->Error = std::current_exception();
      return -1;
    }
  }

  // A fresh decoder with default settings, reading source.
  bool Start(Data::TStream* source) {
    static std::once_flag libraryReady;
    std::call_once(libraryReady, [] { mpg123_init(); });
    CloseReader();
    if (Handle) mpg123_delete(Handle);
    Handle = mpg123_new(nullptr, nullptr);
    if (!Handle) return false;
    mpg123_param(Handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_param(Handle, MPG123_RESYNC_LIMIT, HeaderSearchBytes, 0);
    // 16-bit output at every native rate, mono or stereo as the track is.
    mpg123_format_none(Handle);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i)
      mpg123_format(Handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_replace_reader_handle(Handle, ReadSource, SeekSource, nullptr) != MPG123_OK) return false;
    Reading = source;
    if (mpg123_open_handle(Handle, this) != MPG123_OK) return false;
    ReaderOpen = true;
    return true;
  }

  void PassOnError() {
    if (Error) std::rethrow_exception(std::exchange(Error, nullptr));
  }
};

TMP3Stream::TMP3Stream() : Decoder(std::make_unique<TDecoder>()) {}

TMP3Stream::~TMP3Stream() { Close(); }

void TMP3Stream::Open(Data::TStream* source, u32, const TAudioFormat*) {
  Close();
  TDecoder& d = *Decoder;
  long rate = 0;
  int channels = 0, encoding = 0;
  bool ok = d.Start(source) && mpg123_getformat(d.Handle, &rate, &channels, &encoding) == MPG123_OK;
  ok = ok && rate > 0 && (channels == 1 || channels == 2) && encoding == MPG123_ENC_SIGNED_16;
  if (!ok) {
    d.CloseReader();
    d.PassOnError();
    RaiseAudioStreamError("Error opening MP3.");
  }
  d.FrameCount = mpg123_framelength(d.Handle);
  const double seconds = d.FrameCount > 0 ? static_cast<double>(d.FrameCount) * mpg123_tpf(d.Handle) : 0.0;
  Source = source;
  Position = 0;
  Rate = static_cast<u32>(rate);
  Channels = static_cast<u32>(channels);
  Bits = 16;
  BlockAlign = Bits / 8 * Channels;
  // A damaged size estimate must not overflow the length in frames.
  const double longest = static_cast<double>(std::numeric_limits<i32>::max()) / static_cast<double>(Rate) * 1000.0 - 1;
  const double ms = std::min(seconds * 1000.0 + 1000.0, longest);
  Length = MillisecondsToSamples(static_cast<i32>(ms), static_cast<i32>(Rate));
  const i64 size = source->GetSize();
  Size = static_cast<u32>(std::clamp<i64>(size, 0, UINT32_MAX));
  PcmPos = PcmCount = 0;
}

bool TMP3Stream::DecodeFrame() {
  TDecoder& d = *Decoder;
  // Frames without output (a header frame, trimmed padding) are passed over.
  while (mpg123_tellframe(d.Handle) < d.FrameCount) {
    off_t number = 0;
    unsigned char* audio = nullptr;
    std::size_t bytes = 0;
    int r = mpg123_decode_frame(d.Handle, &number, &audio, &bytes);
    if (r == MPG123_NEW_FORMAT) {
      // A change of rate or channels mid-track ends it.
      long rate = 0;
      int channels = 0, encoding = 0;
      mpg123_getformat(d.Handle, &rate, &channels, &encoding);
      if (rate != static_cast<long>(Rate) || channels != static_cast<int>(Channels)) return false;
      continue;
    }
    if (r != MPG123_OK) return false;
    if (bytes >= BlockAlign) {
      d.Block = audio;
      d.BlockBytes = bytes;
      return true;
    }
  }
  return false;
}

void TMP3Stream::Seek(i32 frame) {
  TDecoder& d = *Decoder;
  if (!d.ReaderOpen) return;
  const i32 perMs = std::max(1, MillisecondsToSamples(1, static_cast<i32>(Rate)));
  const double ms = frame / perMs;
  const double frameMs = mpg123_tpf(d.Handle) * 1000.0;
  const double target = frameMs > 0 ? ms / frameMs : 0;
  // Beyond the estimated frame count the decoder stays where it was.
  if (target >= 0 && target < static_cast<double>(d.FrameCount))
    mpg123_seek_frame(d.Handle, static_cast<off_t>(target), SEEK_SET);
  d.Error = nullptr;
  PcmPos = PcmCount = 0;
  Position = frame;
  // The first frames after a jump are not decoded correctly.
  for (int i = 0; i < FramesDroppedAfterSeek; ++i)
    if (!DecodeFrame()) break;
  d.Error = nullptr;
}

i32 TMP3Stream::Read(void* buffer, i32 frames) {
  TDecoder& d = *Decoder;
  i32 n = 0;
  if (!d.ReaderOpen) return 0;
  u8* out = static_cast<u8*>(buffer);
  while (n < frames) {
    if (PcmPos >= PcmCount) {
      if (!DecodeFrame()) break;
      PcmPos = 0;
      PcmCount = static_cast<i32>(d.BlockBytes / BlockAlign);
    }
    const i32 m = std::min(PcmCount - PcmPos, frames - n);
    std::memcpy(out + static_cast<std::size_t>(n) * BlockAlign, d.Block + static_cast<std::size_t>(PcmPos) * BlockAlign,
                static_cast<std::size_t>(m) * BlockAlign);
    n += m;
    Position += m;
    PcmPos += m;
  }
  d.Error = nullptr;  // a failed source read is the end of the data
  if (Position > Length) Position = Length;
  return n;
}

void TMP3Stream::Close() {
  Decoder->CloseReader();
  delete Source;
  Source = nullptr;
  PcmPos = PcmCount = 0;
}
