// What the program shows until the map is drawn: drifting colour bands, the
// unit pictures of the global data walking to and fro, and a glowing ring
// turning in the middle, all through the display framework.
#pragma once

#include <vector>

#include "engine/base/types.h"
#include "engine/gfx/sprite.h"

namespace Gfx {
class TSpriteList;
}

namespace Main {

class TDemoScene {
 public:
  // Takes up to five pictures of units from the list (may be null).
  explicit TDemoScene(Gfx::TSpriteList* units);
  ~TDemoScene();
  TDemoScene(const TDemoScene&) = delete;
  TDemoScene& operator=(const TDemoScene&) = delete;

  void Draw(u32 gameTime);

 private:
  void DrawBands(u32 gameTime);

  Gfx::TSpriteList* Units;
  std::vector<Gfx::TSprite*> Walkers;
  Gfx::TSprite Ring{0};
};

extern TDemoScene* DemoScene;

}  // namespace Main
