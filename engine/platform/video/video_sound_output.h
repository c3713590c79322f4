// The sound device a video plays its sound on: its own, opened for the
// video alone while the game's sound framework does not exist.
#pragma once

#include <cstdint>
#include <memory>

namespace Plat {

class TVideoSoundOutput {
 public:
  // Called on the device's thread for frames of 44,100 Hz 16-bit stereo.
  using TFeed = void (*)(void* user, std::int16_t* samples, int frames);

  virtual ~TVideoSoundOutput() = default;
  // The system's default output, running; null when there is none.
  static std::unique_ptr<TVideoSoundOutput> Open(TFeed feed, void* user);
};

}  // namespace Plat
