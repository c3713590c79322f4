// The application's callbacks as far as the game's parts exist: each update
// step advances the map view, the game and the windows, each frame is drawn
// and presented through the display framework, display changes and lost
// surfaces are passed to every owner of device objects, the keys go to the
// map view and all input to the window system, Ctrl+G switches a series of
// screenshots, and Escape ends the program until the menus come.
#pragma once

#include "engine/platform/window/wintypes.h"

namespace Main {

void UpdateFrame();
void RenderFrame();
void RestoreSurfaces();
void BeforeModeChange();
void AfterModeChange();
// The fixed 3D device state, after every display set-up.
void SetupScene();
void HandleAppMessage(Plat::UINT msg, Plat::WPARAM wParam, Plat::LPARAM lParam);

// A screenshot every fourth update step while set.
extern bool ScreenshotSeries;

}  // namespace Main
