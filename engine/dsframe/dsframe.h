// The sound framework: music, speech and effects streamed from audio streams
// on a fixed set of tracks, each a looping buffer refilled with what was
// played since the last pass, with volumes, fades and queued pieces.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/astreams/audio_stream.h"
#include "engine/base/errors.h"
#include "engine/platform/system/modules.h"
#include "engine/platform/sound/sound_device.h"

class TAudioList;

namespace DSFrame {

struct TSoundDevice {
  char Description[80];
  char Module[80];
  u8 Primary;
  Plat::TGuid Guid;
};

// Framework flags.
constexpr u32 dsfReleaseBuffers = 0x02;
constexpr u32 dsfThreaded = 0x04;
constexpr u32 dsfContinuousPrimary = 0x08;
constexpr u32 dsfNormalLevel = 0x10;
constexpr u32 dsfExclusiveLevel = 0x20;
constexpr u32 dsfGlobalFocus = 0x40;
constexpr u32 dsfStickyFocus = 0x80;

// Track flags.
constexpr u32 tfUsed = 0x01;
constexpr u32 tfPlaying = 0x02;
constexpr u32 tfFading = 0x04;
constexpr u32 tfLoop = 0x10;
constexpr u32 tfHoldAtEnd = 0x20;
constexpr u32 tfOwnsStream = 0x40;
constexpr u32 tfFadeIn = 0x80;

constexpr i32 FadeFloor = -3000;
constexpr u32 FadeMs = 1500;

struct TTrack {
  TAudioStream* Stream;
  u32 Flags;
  i32 BufferBytes;
  TAudioFormat Format;
  Plat::TSoundBuffer* Buffer;
  i32 StreamPosition;
  TAudioStreamState State;
  i32 WriteCursor;
  i32 EndMark;  // -1 data flows; >= 0 where it ends; -2 played out
  i32 DSVolume;
  i32 Volume;
  u32 FadeStartTime;
  i32 FadeFrom, FadeTo;
  u8 Queued;
  TAudioList* QueuedList;
  u32 QueuedID;
  i32 QueuedStart;
  i32 QueuedVolume;
  u8 QueuedFadeIn;
  u8 QueuedLoop;
  u32 CurrentID;
};

// 0..100 to hundredths of a decibel: -((100 - v) x 0.63246)^2.
i32 VolumeToDSVolume(i32 volume);

bool EnumDevicesCallback(const Plat::TGuid* guid, const char* description, const char* module, void* context);

class TDSFramework {
 public:
  explicit TDSFramework(Plat::HWND window);
  ~TDSFramework();
  TDSFramework(const TDSFramework&) = delete;
  TDSFramework& operator=(const TDSFramework&) = delete;

  void Initialize(int device, u32 flags, int trackCount, int persistentTracks, int bufferMs, int rate, int bits,
                  int channels);
  void Close();
  // One refill and fade pass; the update thread runs it under Lock.
  void Update();

  int PlayStream(TAudioStream* stream, u32 trackFlags, int volume, bool keepPosition, bool raiseIfFull);
  void PlayFromList(int track, TAudioList* list, u32 id, int volume, int startSample, bool fadeIn, bool loop);
  void PlayOnTrack(int track, TAudioStream* stream, int volume, int startSample, bool fadeIn, bool loop);
  void FadeToFromList(int track, TAudioList* list, u32 id, int volume, int startSample, bool fadeIn, bool loop);
  void Stop(int track);
  void StopAll();
  void FadeOut(int track);
  void FadeOutTrack(int track) { FadeOut(track); }
  bool IsPlaying(int track);
  bool IsTrackPlaying(int track) { return IsPlaying(track); }
  void SetVolume(int track, int volume);
  void SetTrackVolume(int track, int volume);
  // For a caller that holds Lock itself.
  bool IsPlayingNoLock(int track) const;
  int GetPositionNoLock(int track) const;

  using TCreateProc = Plat::TSoundResult (*)(const Plat::TGuid*, Plat::TSoundDevice**);
  using TEnumerateProc = Plat::TSoundResult (*)(Plat::TSoundEnumCallback, void*);

  Plat::HWND Window;
  i32 DeviceCount = 0;
  std::vector<TSoundDevice> Devices;
  i32 PrimaryDevice = -1;
  Plat::TModule Library = nullptr;
  TCreateProc DirectSoundCreate = nullptr;
  TEnumerateProc DirectSoundEnumerate = nullptr;
  Plat::TSoundDevice* DirectSound = nullptr;
  Plat::TSoundBuffer* PrimaryBuffer = nullptr;
  u32 Flags = 0;
  i32 Device = -1;
  TAudioFormat Format{};
  i32 BufferMs = 0;
  i32 TrackCount = 0;
  i32 PersistentTrackCount = 0;
  i32 UsedTracks = 0;
  std::vector<TTrack> Tracks;
  std::recursive_mutex Lock;
  u8 LockCreated = 0;
  std::thread Thread;
  std::atomic<bool> StopThread{false};

 private:
  // Holds Lock for a public operation of a threaded framework.
  std::unique_lock<std::recursive_mutex> Guard();
  void OpenDevice();
  void ThreadProc();
  void CreateTrackBuffer(TTrack& t);
  void StartTrack(int track, TAudioStream* stream, u32 flags, int volume, bool keepPosition);
  void FillFromStream(TTrack& t, u8* dest, i32 bytes, i32 bufferOffset);
  void ReleaseTrack(int track, bool force);
  void StopNoLock(int track);
  void StopAllNoLock();
  void EndAfterFadeOut(int track);
  void RefillTrack(int track);
  void SetBufferVolume(TTrack& t);
  void FadeOutNoLock(int track);
  void PlayFromListNoLock(int track, TAudioList* list, u32 id, int volume, int startSample, bool fadeIn, bool loop);
  std::mutex WakeMutex;
  std::condition_variable Wake;
};

}  // namespace DSFrame

// The one sound framework; null when the program runs without sound.
extern DSFrame::TDSFramework* DSFramework;
