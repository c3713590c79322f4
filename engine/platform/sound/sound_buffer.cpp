#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/platform/sound/sound_device.h"

namespace Plat {

bool IsValidWaveFormat(const TWaveFormat& f) {
  return f.FormatTag == 1 && (f.Channels == 1 || f.Channels == 2) && (f.BitsPerSample == 8 || f.BitsPerSample == 16) &&
         f.SamplesPerSec >= 100 && f.SamplesPerSec <= 200000 && f.BlockAlign == f.Channels * f.BitsPerSample / 8;
}

namespace {

// Attenuation in hundredths of a decibel as a 16.16 factor; the floor is silence.
std::int32_t GainOf(std::int32_t hundredthsDb) {
  if (hundredthsDb <= SoundVolumeMin) return 0;
  return static_cast<std::int32_t>(std::lround(65536.0 * std::pow(10.0, hundredthsDb / 2000.0)));
}

template <int Bits>
inline std::int32_t SampleAt(const std::uint8_t* p) {
  if constexpr (Bits == 8) {
    return (static_cast<std::int32_t>(*p) - 128) << 8;
  } else {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
  }
}

struct TMixState {
  std::uint32_t Frame;
  std::uint32_t Fraction;
  std::uint64_t Advanced = 0;  // source frames passed
  bool Ended = false;
};

// One buffer into the accumulator. Linear interpolation between a frame and
// the next; with equal rates the fraction stays 0 and the result is exact.
template <int Bits, int Channels>
void MixKernel(const std::uint8_t* ring, std::uint32_t frameCount, std::uint64_t step, bool looping,
               std::int32_t gainLeft, std::int32_t gainRight, std::int32_t* acc, int frames, TMixState& st) {
  constexpr int Bytes = Bits / 8 * Channels;
  const std::uint32_t stepWhole = static_cast<std::uint32_t>(step >> 32);
  const std::uint32_t stepFraction = static_cast<std::uint32_t>(step);
  std::uint32_t frame = st.Frame, fraction = st.Fraction;
  for (int i = 0; i < frames; ++i) {
    const std::uint8_t* a = ring + static_cast<std::size_t>(frame) * Bytes;
    std::int32_t left = SampleAt<Bits>(a);
    std::int32_t right = Channels == 2 ? SampleAt<Bits>(a + Bits / 8) : left;
    if (fraction != 0) {
      std::uint32_t next = frame + 1;
      if (next >= frameCount) next = looping ? 0 : frame;
      const std::uint8_t* b = ring + static_cast<std::size_t>(next) * Bytes;
      const std::int32_t f = static_cast<std::int32_t>(fraction >> 17);  // 15 bits, so the product fits
      left += ((SampleAt<Bits>(b) - left) * f) >> 15;
      if constexpr (Channels == 2) {
        right += ((SampleAt<Bits>(b + Bits / 8) - right) * f) >> 15;
      } else {
        right = left;
      }
    }
    acc[2 * i] += (left * gainLeft) >> 16;
    acc[2 * i + 1] += (right * gainRight) >> 16;
    const std::uint64_t sum = static_cast<std::uint64_t>(fraction) + stepFraction;
    fraction = static_cast<std::uint32_t>(sum);
    const std::uint32_t move = stepWhole + static_cast<std::uint32_t>(sum >> 32);
    st.Advanced += move;
    frame += move;
    if (frame >= frameCount) {
      if (!looping) {
        st.Ended = true;
        break;
      }
      frame %= frameCount;
    }
  }
  st.Frame = frame;
  st.Fraction = fraction;
}

}  // namespace

TSoundBuffer::TSoundBuffer(TSoundDevice* device, const TSoundBufferDesc& desc) : Device(device), Flags(desc.Flags) {
  if (desc.Format) Format = *desc.Format;
  if (!(Flags & sbPrimary)) {
    Ring.assign(desc.Bytes, Format.BitsPerSample == 8 ? 0x80 : 0);
    Staging.assign(desc.Bytes, 0);
    FrameCount = desc.Bytes / Format.BlockAlign;
  }
}

TSoundBuffer::~TSoundBuffer() = default;

TSoundResult TSoundBuffer::Lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1,
                                void** part2, std::uint32_t* bytes2, bool entireBuffer) {
  if (!part1 || !bytes1) return SoundErrInvalidParam;
  *part1 = nullptr;
  *bytes1 = 0;
  if (part2) *part2 = nullptr;
  if (bytes2) *bytes2 = 0;
  if (Flags & sbPrimary) return SoundErrInvalidCall;
  if (SoundFaults().LockFails) return SoundErrGeneric;
  const std::uint32_t size = static_cast<std::uint32_t>(Ring.size());
  if (entireBuffer) {
    offset = 0;
    bytes = size;
  }
  if (offset >= size || bytes == 0 || bytes > size) return SoundErrInvalidParam;
  const std::uint32_t first = std::min(bytes, size - offset);
  const std::uint32_t second = bytes - first;
  if (second > 0 && (!part2 || !bytes2)) return SoundErrInvalidParam;
  std::lock_guard<std::mutex> guard(Mutex);
  if (Locked) return SoundErrInvalidCall;
  Locked = true;
  // The staging copy starts as the ring's bytes, so what the caller leaves
  // alone stays as it was.
  std::memcpy(Staging.data() + offset, Ring.data() + offset, first);
  std::memcpy(Staging.data(), Ring.data(), second);
  *part1 = Staging.data() + offset;
  *bytes1 = first;
  if (second > 0) {
    *part2 = Staging.data();
    *bytes2 = second;
  }
  return SoundOk;
}

TSoundResult TSoundBuffer::Unlock(void* part1, std::uint32_t bytes1, void* part2, std::uint32_t bytes2) {
  std::lock_guard<std::mutex> guard(Mutex);
  if (!Locked) return SoundErrInvalidCall;
  auto* base = Staging.data();
  auto* p1 = static_cast<std::uint8_t*>(part1);
  auto* p2 = static_cast<std::uint8_t*>(part2);
  const std::size_t size = Staging.size();
  if (!p1 || p1 < base || static_cast<std::size_t>(p1 - base) + bytes1 > size ||
      (p2 && (p2 != base || bytes2 > size)))
    return SoundErrInvalidParam;
  Locked = false;
  const std::size_t at = static_cast<std::size_t>(p1 - base);
  std::memcpy(Ring.data() + at, p1, bytes1);
  if (p2) std::memcpy(Ring.data(), p2, bytes2);
  const std::size_t written = static_cast<std::size_t>(bytes1) + (p2 ? bytes2 : 0);
  Pending = static_cast<std::uint32_t>(std::min(size, Pending + written));
  return SoundOk;
}

TSoundResult TSoundBuffer::Play(bool looping) {
  std::lock_guard<std::mutex> guard(Mutex);
  if (Flags & sbPrimary) {
    // The primary buffer only plays looping.
    if (!looping) return SoundErrInvalidParam;
    if (SoundFaults().PrimaryPlay != SoundOk) return SoundFaults().PrimaryPlay;
  }
  Playing = true;
  Looping = looping;
  return SoundOk;
}

TSoundResult TSoundBuffer::Stop() {
  std::lock_guard<std::mutex> guard(Mutex);
  Playing = false;
  return SoundOk;
}

TSoundResult TSoundBuffer::GetCurrentPosition(std::uint32_t* play, std::uint32_t* write) const {
  std::lock_guard<std::mutex> guard(Mutex);
  const std::uint32_t offset = PlayFrame * Format.BlockAlign;
  if (play) *play = offset;
  if (write) *write = offset;
  return SoundOk;
}

TSoundResult TSoundBuffer::SetCurrentPosition(std::uint32_t offset) {
  std::lock_guard<std::mutex> guard(Mutex);
  if (Flags & sbPrimary) return SoundErrInvalidCall;
  if (offset >= Ring.size()) return SoundErrInvalidParam;
  PlayFrame = offset / Format.BlockAlign;
  Fraction = 0;
  return SoundOk;
}

void TSoundBuffer::UpdateGains() {
  const std::int32_t g = GainOf(Volume);
  GainLeft = Pan > 0 ? static_cast<std::int32_t>((static_cast<std::int64_t>(g) * GainOf(-Pan)) >> 16) : g;
  GainRight = Pan < 0 ? static_cast<std::int32_t>((static_cast<std::int64_t>(g) * GainOf(Pan)) >> 16) : g;
}

TSoundResult TSoundBuffer::SetVolume(std::int32_t hundredthsDb) {
  if (hundredthsDb > 0 || hundredthsDb < SoundVolumeMin) return SoundErrInvalidParam;
  std::lock_guard<std::mutex> guard(Mutex);
  Volume = hundredthsDb;
  UpdateGains();
  return SoundOk;
}

TSoundResult TSoundBuffer::GetVolume(std::int32_t* hundredthsDb) const {
  std::lock_guard<std::mutex> guard(Mutex);
  if (hundredthsDb) *hundredthsDb = Volume;
  return SoundOk;
}

TSoundResult TSoundBuffer::SetPan(std::int32_t pan) {
  if (pan > SoundPanMax || pan < -SoundPanMax) return SoundErrInvalidParam;
  std::lock_guard<std::mutex> guard(Mutex);
  Pan = pan;
  UpdateGains();
  return SoundOk;
}

TSoundResult TSoundBuffer::SetFormat(const TWaveFormat& format) {
  if (!(Flags & sbPrimary)) return SoundErrInvalidCall;
  if (!IsValidWaveFormat(format)) return SoundErrBadFormat;
  if (SoundFaults().PrimaryFormat != SoundOk) return SoundFaults().PrimaryFormat;
  std::lock_guard<std::mutex> guard(Mutex);
  Format = format;
  return SoundOk;
}

void TSoundBuffer::GetFormat(TWaveFormat& format) const {
  std::lock_guard<std::mutex> guard(Mutex);
  format = Format;
}

void TSoundBuffer::Release() { Device->Forget(this); }

bool TSoundBuffer::IsPlaying() const {
  std::lock_guard<std::mutex> guard(Mutex);
  return Playing;
}

std::uint32_t TSoundBuffer::Underruns() const {
  std::lock_guard<std::mutex> guard(Mutex);
  return UnderrunCount;
}

void TSoundBuffer::MixInto(std::int32_t* acc, int frames, std::uint32_t outputRate) {
  std::lock_guard<std::mutex> guard(Mutex);
  if (!Playing || FrameCount == 0 || (Flags & sbPrimary)) return;
  const std::uint64_t step = (static_cast<std::uint64_t>(Format.SamplesPerSec) << 32) / outputRate;
  TMixState st{PlayFrame, Fraction};
  const std::uint8_t* ring = Ring.data();
  const int kind = Format.BitsPerSample * 10 + Format.Channels;
  switch (kind) {
    case 162: MixKernel<16, 2>(ring, FrameCount, step, Looping, GainLeft, GainRight, acc, frames, st); break;
    case 161: MixKernel<16, 1>(ring, FrameCount, step, Looping, GainLeft, GainRight, acc, frames, st); break;
    case 82: MixKernel<8, 2>(ring, FrameCount, step, Looping, GainLeft, GainRight, acc, frames, st); break;
    default: MixKernel<8, 1>(ring, FrameCount, step, Looping, GainLeft, GainRight, acc, frames, st); break;
  }
  const std::uint64_t played = st.Advanced * Format.BlockAlign;
  if (played > Pending) {
    ++UnderrunCount;
    Pending = 0;
  } else {
    Pending -= static_cast<std::uint32_t>(played);
  }
  if (st.Ended) {
    // A one-shot buffer stops at its end and starts again from the front.
    Playing = false;
    PlayFrame = 0;
    Fraction = 0;
  } else {
    PlayFrame = st.Frame;
    Fraction = st.Fraction;
  }
}

}  // namespace Plat
