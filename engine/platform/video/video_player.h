// Plays a video file: a decoding thread fills a short queue of converted
// pictures and a sound queue, the sound runs on an output of its own, and
// its clock (the sound played so far, or the system clock without sound)
// decides which picture is due. The end is reported as an event and a
// message to a window.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/platform/video/video_file.h"
#include "engine/platform/video/video_sound_output.h"
#include "engine/platform/window/wintypes.h"

namespace Plat {

// Event codes.
constexpr long VideoComplete = 1;
constexpr long VideoUserAbort = 2;

class TVideoPlayer {
 public:
  // Opens the file; raises TVideoError.
  explicit TVideoPlayer(const std::string& path);
  ~TVideoPlayer();
  TVideoPlayer(const TVideoPlayer&) = delete;
  TVideoPlayer& operator=(const TVideoPlayer&) = delete;

  int Width() const { return File->Width(); }
  int Height() const { return File->Height(); }
  // Pictures posted to this window with this message when the video ends.
  void SetNotifyWindow(HWND window, UINT message);
  // Decodes from the time on, pictures at the size; the sound on an output
  // of its own when asked for and one exists.
  void Run(int width, int height, double startSeconds, bool withSound);
  void Stop();
  // Seconds of the video played.
  double Position();
  // The newest picture whose time has come, when it is new; else null.
  // Valid until the next call. Notices the end.
  const TVideoPicture* TakePicture();
  // Takes a pending event; false when none is left.
  bool GetEvent(long& code);
  bool HasSoundOutput() const { return Output != nullptr; }

 private:
  struct TSoundChunk {
    double Time;
    std::vector<std::int16_t> Samples;
    std::size_t Taken;  // frames already played
  };
  static void Feed(void* user, std::int16_t* samples, int frames);
  void Decode();
  void FillSound(std::int16_t* samples, int frames);
  std::size_t QueuedSoundFrames() const;

  std::unique_ptr<TVideoFile> File;
  std::unique_ptr<TVideoSoundOutput> Output;
  std::thread Decoder;
  std::mutex Lock;
  std::condition_variable Wake;
  bool QueueSound = false;
  bool StopDecoding = false;
  bool DecodingDone = false;
  bool EndReported = false;
  std::deque<TVideoPicture> Pictures;
  std::deque<TSoundChunk> Sound;
  TVideoPicture Shown;
  double Start = 0;
  std::uint32_t StartTick = 0;
  std::atomic<std::uint64_t> PlayedFrames{0};
  std::deque<long> Events;
  HWND NotifyWindow = nullptr;
  UINT NotifyMessage = 0;
};

}  // namespace Plat
