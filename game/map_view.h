// What the program shows until the start-up and the game's windows come: the
// map of the demo's last mission drawn as the map window will draw it, the
// arrow keys scrolling it, under a line of text.
#pragma once

#include <memory>
#include <string>

#include "engine/base/types.h"
#include "engine/platform/window/wintypes.h"

namespace GameData {
class TScenario;
}
namespace Gfx {
class TFont;
}
namespace Plat {
class TSurface;
}

namespace Main {

class TMapView {
 public:
  // Loads the mission from the "scenario" archive; needs the global data.
  TMapView();
  ~TMapView();
  TMapView(const TMapView&) = delete;
  TMapView& operator=(const TMapView&) = delete;

  // One update step: the scenario's tick and the scrolling of held keys.
  void Update();
  void Render(Plat::TSurface* target);
  void KeyDown(Plat::WPARAM key);
  void KeyUp(Plat::WPARAM key);
  // Around display changes and after lost surfaces.
  void ReleaseGraphics();
  void CreateGraphics();
  void RestoreGraphics();

 private:
  std::unique_ptr<GameData::TScenario> Scenario;
  // The map's cache, kept from frame to frame.
  Plat::TSurface* Cache = nullptr;
  Gfx::TFont* Font = nullptr;
  i32 ViewX = 0, ViewY = 0;
  bool Held[4] = {};  // left, right, up, down
  bool Redraw = true;
  // The line over the map, made again when the round changes.
  std::string Line;
  i32 LineRound = -1;
};

extern TMapView* MapView;

}  // namespace Main
