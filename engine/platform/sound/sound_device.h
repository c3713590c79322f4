// The sound device: buffers of PCM bytes in their own formats, mixed into one
// 44100 Hz 16-bit stereo output with resampling, volume, pan and clipping.
// The output is SDL audio, or nothing at all when a test mixes by hand.
#pragma once

#include "engine/platform/system/guid.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/platform/window/wintypes.h"

namespace Plat {

// Result codes carry the numbers the system's error-name table knows.
using TSoundResult = std::int32_t;
constexpr TSoundResult SoundOk = 0;
constexpr TSoundResult SoundErrGeneric = static_cast<TSoundResult>(0x80004005u);
constexpr TSoundResult SoundErrInvalidParam = static_cast<TSoundResult>(0x80070057u);
constexpr TSoundResult SoundErrOutOfMemory = static_cast<TSoundResult>(0x8007000Eu);
constexpr TSoundResult SoundErrBadFormat = static_cast<TSoundResult>(0x88780064u);
constexpr TSoundResult SoundErrInvalidCall = static_cast<TSoundResult>(0x88780032u);
constexpr TSoundResult SoundErrNoDriver = static_cast<TSoundResult>(0x88780078u);

struct TWaveFormat {
  std::uint16_t FormatTag = 1;  // 1: PCM, the only kind there is
  std::uint16_t Channels = 2;
  std::uint32_t SamplesPerSec = 44100;
  std::uint32_t AvgBytesPerSec = 44100 * 4;
  std::uint16_t BlockAlign = 4;
  std::uint16_t BitsPerSample = 16;
};

// PCM, 8 or 16 bits, one or two channels, 100 to 200000 Hz, frames whole.
bool IsValidWaveFormat(const TWaveFormat& format);

enum TSoundBufferFlags : std::uint32_t {
  sbPrimary = 0x01,
  sbCtrlVolume = 0x02,
  sbCtrlPan = 0x04,
  sbPositionAccurate = 0x08,
  sbStickyFocus = 0x10,
  sbGlobalFocus = 0x20,
};

struct TSoundBufferDesc {
  std::uint32_t Flags = 0;
  std::uint32_t Bytes = 0;              // 0 for the primary buffer
  const TWaveFormat* Format = nullptr;  // null for the primary buffer
};

enum class TCooperativeLevel { Normal = 1, Priority = 2, Exclusive = 3 };

constexpr std::int32_t SoundVolumeMin = -10000;  // hundredths of a decibel
constexpr std::int32_t SoundPanMax = 10000;

class TSoundDevice;

// A buffer: a ring of bytes in its own format. Its own mutex guards it; the
// mixer takes nothing else. A lock hands out a staging copy of the range, so
// the mixer never reads bytes while they are being written.
class TSoundBuffer {
 public:
  // Parts of the range from offset; the second is non-null when it wraps.
  TSoundResult Lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1, void** part2,
                    std::uint32_t* bytes2, bool entireBuffer = false);
  TSoundResult Unlock(void* part1, std::uint32_t bytes1, void* part2, std::uint32_t bytes2);
  TSoundResult Play(bool looping);
  TSoundResult Stop();
  // Offsets in bytes; the write cursor is the play cursor (the mixer reads
  // nothing ahead of it).
  TSoundResult GetCurrentPosition(std::uint32_t* play, std::uint32_t* write) const;
  TSoundResult SetCurrentPosition(std::uint32_t offset);
  TSoundResult SetVolume(std::int32_t hundredthsDb);
  TSoundResult GetVolume(std::int32_t* hundredthsDb) const;
  // Negative quietens the right channel, positive the left.
  TSoundResult SetPan(std::int32_t pan);
  // The primary buffer only.
  TSoundResult SetFormat(const TWaveFormat& format);
  void GetFormat(TWaveFormat& format) const;
  // The buffer is gone afterwards.
  void Release();

  bool IsPlaying() const;
  // How often the mixer played bytes that were not written since they were
  // last played: a gap in a streaming buffer.
  std::uint32_t Underruns() const;

  ~TSoundBuffer();

 private:
  friend class TSoundDevice;
  TSoundBuffer(TSoundDevice* device, const TSoundBufferDesc& desc);
  void UpdateGains();
  // Adds frames of output to acc (stereo pairs) and moves the play cursor.
  void MixInto(std::int32_t* acc, int frames, std::uint32_t outputRate);

  TSoundDevice* Device;
  const std::uint32_t Flags;
  TWaveFormat Format;
  std::uint32_t FrameCount = 0;  // frames in the ring
  std::vector<std::uint8_t> Ring, Staging;
  mutable std::mutex Mutex;
  bool Playing = false;
  bool Looping = false;
  bool Locked = false;
  std::uint32_t PlayFrame = 0;
  std::uint32_t Fraction = 0;  // of a source frame, in 2^-32
  std::int32_t Volume = 0, Pan = 0;
  std::int32_t GainLeft = 65536, GainRight = 65536;  // 16.16
  std::uint32_t Pending = 0;                         // bytes written and not yet played
  std::uint32_t UnderrunCount = 0;
};

class TSoundOutput {
 public:
  virtual ~TSoundOutput() = default;
};

class TSoundDevice {
 public:
  static constexpr std::uint32_t OutputRate = 44100;

  TSoundResult SetCooperativeLevel(HWND window, TCooperativeLevel level);
  TSoundResult CreateSoundBuffer(const TSoundBufferDesc& desc, TSoundBuffer** buffer);
  // Stops the output and frees the device with every buffer still alive.
  void Release();

  // Mixes frames of 16-bit stereo output at OutputRate: the output calls it,
  // and a test calls it when the device has no output. Never throws.
  void Mix(std::int16_t* out, int frames) noexcept;
  bool HasOutput() const { return Output != nullptr; }
  TCooperativeLevel Level() const { return CooperativeLevel; }

 private:
  friend TSoundResult CreateSoundDevice(const TGuid* guid, TSoundDevice** device);
  friend class TSoundBuffer;
  TSoundDevice() = default;
  ~TSoundDevice();
  void Forget(TSoundBuffer* buffer);

  std::unique_ptr<TSoundOutput> Output;
  TCooperativeLevel CooperativeLevel = TCooperativeLevel::Normal;
  bool LevelSet = false;
  std::mutex ListMutex;  // guards Buffers only, held for a copy or an edit
  std::vector<std::shared_ptr<TSoundBuffer>> Buffers;
  std::mutex MixMutex;  // one mixer at a time
  std::vector<std::shared_ptr<TSoundBuffer>> MixList;
  std::vector<std::int32_t> Accumulator;
};

// Calls back once per output device, the primary driver (no GUID) first;
// false from the callback ends the enumeration.
using TSoundEnumCallback = bool (*)(const TGuid* guid, const char* description, const char* module, void* context);
TSoundResult EnumerateSoundDevices(TSoundEnumCallback callback, void* context);
// A device for a GUID from the enumeration; null for the primary driver.
TSoundResult CreateSoundDevice(const TGuid* guid, TSoundDevice** device);

// Registers the two entry points above as "dsound.dll". Done once at start;
// a test that removes the library puts it back with this.
void RegisterSoundLibrary();

// Test seams: where new devices send their output, and forced failures.
enum class TSoundOutputKind { Sdl, Manual };
void SetSoundOutputKind(TSoundOutputKind kind);
struct TSoundFaults {
  bool NoDevices = false;
  TSoundResult Create = SoundOk;
  TSoundResult CooperativeLevel = SoundOk;
  TSoundResult PrimaryBuffer = SoundOk;
  TSoundResult PrimaryFormat = SoundOk;
  TSoundResult PrimaryPlay = SoundOk;
  TSoundResult SecondaryBuffer = SoundOk;
  bool LockFails = false;
};
// Read when a device or buffer is made or locked; tests set and reset it.
TSoundFaults& SoundFaults();

}  // namespace Plat
