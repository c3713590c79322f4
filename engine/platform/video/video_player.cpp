#include "engine/platform/video/video_player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "engine/platform/system/clock.h"
#include "engine/platform/window/platform.h"

namespace Plat {

namespace {

constexpr double Rate = TVideoFile::SoundRate;
// The decoder keeps this much ahead of the clock.
constexpr std::size_t MaxPictures = 4;
constexpr std::size_t MaxSoundFrames = TVideoFile::SoundRate / 2;
// Sound this far off the clock is skipped or waited for.
constexpr double Slack = 0.05;

}  // namespace

TVideoPlayer::TVideoPlayer(const std::string& path) : File(std::make_unique<TVideoFile>(path, 1)) {}

TVideoPlayer::~TVideoPlayer() { Stop(); }

void TVideoPlayer::SetNotifyWindow(HWND window, UINT message) {
  NotifyWindow = window;
  NotifyMessage = message;
}

void TVideoPlayer::Run(int width, int height, double startSeconds, bool withSound) {
  Stop();
  Start = startSeconds > 0 ? startSeconds : 0;
  if (Start > 0) File->Seek(Start);
  File->SetOutputSize(width, height);
  StopDecoding = DecodingDone = EndReported = false;
  PlayedFrames = 0;
  if (withSound && File->HasSound()) Output = TVideoSoundOutput::Open(Feed, this);
  // The decoder reads this, never Output, which Stop takes away first.
  QueueSound = Output != nullptr;
  StartTick = Clock().TimeGetTime();
  Decoder = std::thread(&TVideoPlayer::Decode, this);
}

void TVideoPlayer::Stop() {
  // The device first: its feed reads the sound queue.
  Output.reset();
  {
    std::lock_guard<std::mutex> guard(Lock);
    StopDecoding = true;
  }
  Wake.notify_all();
  if (Decoder.joinable()) Decoder.join();
  Pictures.clear();
  Sound.clear();
}

double TVideoPlayer::Position() {
  if (Output) return Start + static_cast<double>(PlayedFrames.load()) / Rate;
  return Start + static_cast<double>(Clock().TimeGetTime() - StartTick) / 1000.0;
}

std::size_t TVideoPlayer::QueuedSoundFrames() const {
  std::size_t frames = 0;
  for (const TSoundChunk& c : Sound) frames += c.Samples.size() / 2 - c.Taken;
  return frames;
}

void TVideoPlayer::Decode() {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(Lock);
      const auto room = [this] { return Pictures.size() < MaxPictures && QueuedSoundFrames() < MaxSoundFrames; };
      Wake.wait_for(lock, std::chrono::milliseconds(20), [&] { return StopDecoding || room(); });
      if (StopDecoding) return;
      if (!room()) continue;
    }
    TVideoPart part = TVideoPart::End;
    try {
      part = File->Next();
    } catch (const std::exception&) {
      // Out of memory for a picture: the video ends here.
    }
    std::lock_guard<std::mutex> guard(Lock);
    if (part == TVideoPart::End) {
      DecodingDone = true;
      return;
    }
    if (part == TVideoPart::Picture) {
      // Pictures between the key frame and a resumed position are not shown.
      const TVideoPicture& p = File->Picture();
      if (p.Time + 0.02 >= Start) Pictures.push_back(p);
    } else if (QueueSound) {
      const TVideoSound& s = File->Sound();
      if (s.Time + static_cast<double>(s.Samples.size() / 2) / Rate >= Start) Sound.push_back({s.Time, s.Samples, 0});
    }
  }
}

void TVideoPlayer::Feed(void* user, std::int16_t* samples, int frames) {
  static_cast<TVideoPlayer*>(user)->FillSound(samples, frames);
}

void TVideoPlayer::FillSound(std::int16_t* samples, int frames) {
  {
    std::lock_guard<std::mutex> guard(Lock);
    int done = 0;
    const std::uint64_t played = PlayedFrames.load();
    while (done < frames && !Sound.empty()) {
      TSoundChunk& c = Sound.front();
      const std::size_t total = c.Samples.size() / 2;
      const double now = Start + static_cast<double>(played + static_cast<std::uint64_t>(done)) / Rate;
      const double at = c.Time + static_cast<double>(c.Taken) / Rate;
      if (at < now - Slack) {
        c.Taken += std::min(total - c.Taken, static_cast<std::size_t>(std::ceil((now - at) * Rate)));
      } else if (at > now + Slack) {
        const int wait = std::min(frames - done, static_cast<int>((at - now) * Rate));
        std::memset(samples + done * 2, 0, static_cast<std::size_t>(wait) * 4);
        done += wait;
      } else {
        const int n = static_cast<int>(std::min(static_cast<std::size_t>(frames - done), total - c.Taken));
        std::memcpy(samples + done * 2, c.Samples.data() + c.Taken * 2, static_cast<std::size_t>(n) * 4);
        c.Taken += static_cast<std::size_t>(n);
        done += n;
      }
      if (c.Taken >= total) Sound.pop_front();
    }
    if (done < frames) std::memset(samples + done * 2, 0, static_cast<std::size_t>(frames - done) * 4);
    // Silence counts too: the clock never waits for the decoder.
    PlayedFrames += static_cast<std::uint64_t>(frames);
  }
  Wake.notify_one();
}

const TVideoPicture* TVideoPlayer::TakePicture() {
  bool fresh = false;
  bool ended = false;
  {
    std::lock_guard<std::mutex> guard(Lock);
    const double now = Position();
    while (!Pictures.empty() && Pictures.front().Time <= now) {
      Shown = std::move(Pictures.front());
      Pictures.pop_front();
      fresh = true;
    }
    if (DecodingDone && Pictures.empty() && Sound.empty() && !EndReported) {
      EndReported = ended = true;
      Events.push_back(VideoComplete);
    }
  }
  if (fresh) Wake.notify_one();
  if (ended && NotifyWindow) Current().PostMessage(NotifyWindow, NotifyMessage, 0, 0);
  return fresh ? &Shown : nullptr;
}

bool TVideoPlayer::GetEvent(long& code) {
  std::lock_guard<std::mutex> guard(Lock);
  if (Events.empty()) return false;
  code = Events.front();
  Events.pop_front();
  return true;
}

}  // namespace Plat
