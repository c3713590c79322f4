// Input: a save game as its file holds it, deciphered. Its header is read as
// the menu's list reads it, then the whole save is loaded as the load page
// loads it, over a running game. The data set is the one in ORV_FUZZ_DATA
// (the test command builds the demo set there).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/data/archive.h"
#include "engine/data/stream.h"
#include "frontend/front_end.h"
#include "game/control/game.h"
#include "game/control/save_game.h"
#include "game/control/headless_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Main::THeadlessGame* headless = [] {
    const char* dir = std::getenv("ORV_FUZZ_DATA");
    if (!dir) {
      std::fprintf(stderr, "ORV_FUZZ_DATA must name a data directory.\n");
      std::abort();
    }
    Data::DataPath = std::string(dir) + "/";
    auto* game = new Main::THeadlessGame(1);
    game->StartMission(1);
    return game;
  }();
  (void)headless;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    Data::TMemoryStream s(bytes);
    Main::TSaveGameHeader header;
    header.Read(s);
  } catch (const std::exception&) {
  }
  try {
    Data::TMemoryStream s(bytes);
    Game->LoadGame(s);
  } catch (const std::exception&) {
  }
  return 0;
}
