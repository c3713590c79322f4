// The video window: plays one video file over the whole screen, modally,
// with the sound framework out of the way, until the film ends or the
// player skips it. A film that cannot be opened is skipped without a word.
#pragma once

#include <memory>
#include <string>

#include "engine/base/rect.h"
#include "engine/dxwin/window.h"

namespace Plat {
class TVideoPlayer;
struct TVideoPicture;
}  // namespace Plat

namespace Main {

class TVideoWindow : public DXWin::TDXWindow {
 public:
  // The message that tells the window the film has news.
  static constexpr Plat::UINT VideoMessage = Plat::WM_USER + 1;

  explicit TVideoWindow(DXWin::TDXWindowSystem* windowSystem);
  ~TVideoWindow() override;

  // Plays the file to its end; never raises.
  virtual void Play(const std::string& path);
  void HandleMessage(Plat::UINT& msg, Plat::WPARAM& wParam, Plat::LPARAM& lParam, bool& handled) override;
  // Shows the pictures that are due.
  void Update() override;
  void EndVideo();
  // The application lost or regained the screen.
  void Suspend();
  void Resume();
  void RestoreSurfaces();

  // The screen rectangle of a film of that size: as wide as the screen,
  // centred from top to bottom.
  static Base::TRect VideoRectangle(int width, int height);

  std::string FileName;
  // Set while Play runs: nothing else is drawn meanwhile.
  u8 Playing = 0;
  // The open film, standing for the playback graph; null while released.
  std::unique_ptr<Plat::TVideoPlayer> Player;
  u16 ColorKey = 0;
  Base::TRect VideoRect{0, 0, 800, 600};
  // Seconds played when the graph was released; 0 from the start.
  double SavedPosition = 0;
  // The film's sound on an output of its own; tests play silent films.
  bool WithSound = true;
  // The game controller's: the sound framework goes while a film plays.
  void (*DeleteSoundSystem)() = nullptr;
  void (*RestartSoundSystem)() = nullptr;
  // Told when a film opened, for the start-up log.
  void (*OnOpened)(const std::string& path) = nullptr;
  // How the last film ended: 0 it never opened, 1 at its end, 2 by the player.
  u8 EndedBy = 0;

 private:
  bool OpenGraph();
  void ReleaseGraph();
  // The film's pending events; its end ends the window.
  void TakeEvents();
  // Black screen with the film's rectangle in the colour key, presented.
  void ClearScreen();
  void ShowPicture(const Plat::TVideoPicture& picture);
  void SkipKey(Plat::WPARAM& key, DXWin::TShiftState shift);
  void SkipClick(int button, DXWin::TShiftState shift, int x, int y);
};

}  // namespace Main

extern Main::TVideoWindow* VideoWindow;
