#include "engine/platform/sound/sdl_sound_output.h"

#include <SDL.h>

namespace Plat {

namespace {

bool StartSdlAudio() {
  // SDL must not take over SIGINT and SIGTERM; the platform handles them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

extern "C" void SDLCALL FeedSdlAudio(void* user, Uint8* stream, int len) {
  static_cast<TSoundDevice*>(user)->Mix(reinterpret_cast<std::int16_t*>(stream), len / 4);
}

class TSdlSoundOutput final : public TSoundOutput {
 public:
  explicit TSdlSoundOutput(SDL_AudioDeviceID id) : Id(id) { SDL_PauseAudioDevice(Id, 0); }
  ~TSdlSoundOutput() override {
    // Closing waits for the audio thread, so no Mix runs afterwards.
    SDL_CloseAudioDevice(Id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

 private:
  SDL_AudioDeviceID Id;
};

}  // namespace

bool ListSdlSoundDevices(std::vector<std::string>& names, std::string& driver) {
  names.clear();
  if (!StartSdlAudio()) return false;
  const char* d = SDL_GetCurrentAudioDriver();
  driver = d ? d : "";
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 0);
    names.push_back(name ? name : "");
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return true;
}

std::unique_ptr<TSoundOutput> OpenSdlSoundOutput(TSoundDevice* device, int index, std::string& error) {
  if (!StartSdlAudio()) {
    error = SDL_GetError();
    return nullptr;
  }
  const char* name = index >= 0 ? SDL_GetAudioDeviceName(index, 0) : nullptr;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(TSoundDevice::OutputRate);
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = FeedSdlAudio;
  want.userdata = device;
  // SDL converts when the hardware wants another format.
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(name, 0, &want, nullptr, 0);
  if (id == 0) {
    error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::make_unique<TSdlSoundOutput>(id);
}

}  // namespace Plat
