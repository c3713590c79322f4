#include "game/control/start_up.h"

#include <exception>

#include "engine/data/archive.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/system/files.h"
#include "frontend/front_end.h"

namespace Main {

void PlayIntroVideos() {
  if (!VideoWindow) return;
  for (i32 i = 0; i < 3; ++i) {
    const std::string path = Data::DataPath + "Video" + "\\" + VideoNames[static_cast<std::size_t>(i)];
    if (i == 0 && !Plat::FileExists(path)) continue;
    VideoWindow->Play(path);
  }
}

}  // namespace Main
