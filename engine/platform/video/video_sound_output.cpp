#include "engine/platform/video/video_sound_output.h"

#include <SDL.h>

namespace Plat {

namespace {

struct TFeedTarget {
  TVideoSoundOutput::TFeed Feed;
  void* User;
};

extern "C" void SDLCALL FeedVideoSound(void* user, Uint8* stream, int len) {
  const auto* target = static_cast<const TFeedTarget*>(user);
  target->Feed(target->User, reinterpret_cast<std::int16_t*>(stream), len / 4);
}

class TSdlVideoSound final : public TVideoSoundOutput {
 public:
  TSdlVideoSound(TFeed feed, void* user) : Target{feed, user} {}
  ~TSdlVideoSound() override {
    // Closing waits for the device's thread: no feed runs afterwards.
    if (Id != 0) SDL_CloseAudioDevice(Id);
    if (Started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  bool Start() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    Started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!Started) return false;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = FeedVideoSound;
    want.userdata = &Target;
    Id = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (Id == 0) return false;
    SDL_PauseAudioDevice(Id, 0);
    return true;
  }

 private:
  TFeedTarget Target;
  SDL_AudioDeviceID Id = 0;
  bool Started = false;
};

}  // namespace

std::unique_ptr<TVideoSoundOutput> TVideoSoundOutput::Open(TFeed feed, void* user) {
  auto output = std::make_unique<TSdlVideoSound>(feed, user);
  if (!output->Start()) return nullptr;
  return output;
}

}  // namespace Plat
