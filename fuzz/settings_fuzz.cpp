// Input: the settings file "orvandia.ini". What loads lies in the ranges the
// game relies on, and what is saved loads again as the same settings.
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/base/base.h"
#include "game/control/game.h"
#include "world/scenario/settings.h"

namespace {

struct TSettings {
  i32 Values[5];
  bool Flags[2];
  bool operator==(const TSettings&) const = default;
};

TSettings Current() {
  return {{Main::MusicVolume, Main::SFXVolume, Main::SpeechVolume, Main::MovementSpeed, Main::Difficulty},
          {Main::ConfirmEndTurn, Main::CastInAutoCombat}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    char pattern[] = "/tmp/orvfuzz-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/";
  }();
  static Main::TGame game;
  Base::AppDir = dir;
  {
    std::ofstream out(dir + "orvandia.ini", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  game.LoadSettings();
  const TSettings loaded = Current();
  for (i32 i = 0; i < 3; ++i)
    if (loaded.Values[i] < 0 || loaded.Values[i] > 1000) std::abort();
  if (Main::MovementSpeed < 0 || Main::MovementSpeed > 4 || Main::Difficulty < 0 || Main::Difficulty > 2) std::abort();
  game.SaveSettings();
  game.LoadSettings();
  if (!(Current() == loaded)) std::abort();
  return 0;
}
