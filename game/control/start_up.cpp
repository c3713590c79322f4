#include "game/control/start_up.h"

#include <cstdio>
#include <exception>

#include "engine/data/archive.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/system/files.h"
#include "frontend/front_end.h"

namespace Main {

void PlayIntroVideos(bool log) {
  if (!VideoWindow) return;
  for (i32 i = 0; i < 3; ++i) {
    const std::string path = Data::DataPath + "Video" + "\\" + VideoNames[static_cast<std::size_t>(i)];
    if (i == 0 && !Plat::FileExists(path)) continue;
    VideoWindow->Play(path);
    static const char* const Ends[3] = {"skipped, it cannot be played", "ended", "skipped by the player"};
    if (log)
      std::fprintf(stderr, "video: %s %s\n", VideoNames[static_cast<std::size_t>(i)].c_str(),
                   Ends[VideoWindow->EndedBy % 3]);
  }
}

}  // namespace Main
