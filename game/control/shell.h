// The application's callbacks: each update step advances the game and the
// windows, each frame draws the windows and the ticker and is presented
// through the display framework, display changes and lost surfaces are
// passed to every owner of device objects, all input goes to the window
// system, and Ctrl+G switches a series of screenshots.
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
