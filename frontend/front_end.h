// The front end's windows as the start-up, the shell and the game controller
// use them: the main menu, the loading screen, the credits and the video
// window. This is what the game needs of them so far; their pages, pictures
// and video playback come with the windows themselves.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "engine/base/types.h"

namespace DXWin {
class TDXWindowSystem;
}

namespace Main {

class TMainMenu {
 public:
  static constexpr i32 ThumbnailWidth = 130;
  static constexpr i32 ThumbnailHeight = 100;
  static constexpr i32 ThumbnailBytes = ThumbnailWidth * 2 * ThumbnailHeight;

  explicit TMainMenu(DXWin::TDXWindowSystem* windowSystem);

  // Shows a page (0 main, 1 save, 2 load, 3 options) and plays the menu music.
  void Open(i32 page);
  // The menu's pictures around display changes and lost surfaces.
  void ReleaseSurfaces() {}
  void CreateSurfaces() {}
  void RestoreSurfaces() {}
  // The current back buffer, shrunk to the thumbnail a save game carries:
  // 100 rows of 130 pixels in the display's format; zeros without a display.
  void CaptureThumbnail();

  // Until the menu's pages exist, the program decides what an opened page
  // does (the first opening starts a new game).
  std::function<void(i32 page)> OnOpen;

  u8 Visible = 0;
  i32 Page = 0;
  u8 Thumbnail[ThumbnailBytes] = {};
};

class TLoadingScreen {
 public:
  using TWork = void (*)();
  using TMethod = std::function<void()>;

  explicit TLoadingScreen(DXWin::TDXWindowSystem* windowSystem);

  // Runs the work on a worker thread at 10 update steps per second until it
  // ends; a failed work is raised again here with its message. Without an
  // application window (a headless run) it simply waits for the worker.
  void Run(TWork work);
  void RunMethod(const TMethod& work);
};

class TCreditsWindow {
 public:
  explicit TCreditsWindow(DXWin::TDXWindowSystem* windowSystem);
  // The credits with their music.
  void Run();
};

class TVideoWindow {
 public:
  explicit TVideoWindow(DXWin::TDXWindowSystem* windowSystem);
  virtual ~TVideoWindow() = default;
  // Plays a video file modally; a video that cannot be played is skipped.
  // Never raises.
  virtual void Play(const std::string& path);
  void RestoreSurfaces() {}

  // Set while Play runs: nothing else is drawn meanwhile.
  u8 Playing = 0;
};

// Waits for the loading screen's worker when one runs (the program is ended
// while it loads).
void WaitForLoadingWork();

// The window system, and on it the menu, the loading screen and the video
// window, made at start-up (hidden) and deleted at the end.
void CreateInterface();
void DeleteInterface();

// The names of the nine videos (0-2 intro, 3 after the first mission, 4
// after the last, 5-8 after a lost mission), from the interface data.
extern std::array<std::string, 9> VideoNames;

}  // namespace Main

// The front end's one instance of each; made at start-up.
extern Main::TMainMenu* MainMenu;
extern Main::TLoadingScreen* LoadingScreen;
extern Main::TVideoWindow* VideoWindow;
