// The front end's windows as the start-up, the shell and the game controller
// use them: the main menu, the loading screen, the credits and the video
// window, made together at start-up.
#pragma once

#include <array>
#include <string>

#include "engine/base/types.h"
#include "frontend/credits_window.h"
#include "frontend/loading_screen.h"
#include "frontend/main_menu.h"
#include "frontend/video_window.h"

namespace DXWin {
class TDXWindowSystem;
}

namespace Main {

// The window system, and on it the menu, the loading screen and the video
// window, made at start-up (hidden) and deleted at the end.
void CreateInterface();
void DeleteInterface();

// The names of the nine videos (0-2 intro, 3 after the first mission, 4
// after the last, 5-8 after a lost mission), from the interface data.
extern std::array<std::string, 9> VideoNames;

}  // namespace Main
