// The mini map in the top right corner of the map screen: the whole map as
// a small picture under the viewing player's fog with the map window's view
// as a rectangle, and the current player's gold, the round and the player's
// number below it. A click or drag on the picture scrolls the map window.
#pragma once

#include <string>

#include "controls/orv_window.h"

namespace GameData {
class TScenario;
}
namespace Gfx {
class TSprite;
}

namespace Main {

// Where the picture of a map of width x height fields lies in the window:
// the largest area of the map's aspect inside 137 x 110, centred there.
Base::TRect SmallMapPictureRect(i32 mapWidth, i32 mapHeight);
// The map window's view (map pixels) as a rectangle relative to a picture
// of pictureWidth x pictureHeight.
Base::TRect SmallMapViewRect(i32 viewX, i32 viewY, i32 viewWidth, i32 viewHeight, i32 mapWidth, i32 mapHeight,
                             i32 pictureWidth, i32 pictureHeight);
// The fog overlay (32-bit ARGB rows, straight alpha) stretched into dest on
// the surface, nearest pixel, clipped to the surface.
void BlendOverlayStretched(Plat::TSurface* surface, const Gfx::TSprite& overlay, const Base::TRect& dest);

class TSmallMapWindow : public TOrvWindow {
 public:
  static constexpr Base::TRect Bounds{617, 0, 800, 153};
  static constexpr Base::TRect PictureArea{22, 18, 22 + 137, 18 + 110};

  explicit TSmallMapWindow(DXWin::TDXWindowSystem* windowSystem);
  ~TSmallMapWindow() override;

  void SetScenario(GameData::TScenario* scenario);

  // The closures' work, public for the tests and the benchmark.
  void PaintFrame(Plat::TSurface* surface, const Base::TRect& rect);
  void PaintPicture(Plat::TSurface* surface, const Base::TRect& rect);
  void PictureMouseDown(int button, DXWin::TShiftState shift, int x, int y);
  void PictureMouseUp(int button, DXWin::TShiftState shift, int x, int y);
  void PictureMouseMove(DXWin::TShiftState shift, int x, int y);
  void UpdateHints(DXWin::TDXControl* = nullptr);
  // The hint for a point in window coordinates.
  std::string HintAt(i32 x, i32 y) const;

  GameData::TScenario* Scenario = nullptr;
  u8 Dragging = 0;
  i32 Side = 2;
  DXWin::TDXControl* Picture = nullptr;

 private:
  bool ViewerIsHuman() const;
};

}  // namespace Main
