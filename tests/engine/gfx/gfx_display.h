// A software display with the graphics module started on it for one test,
// and sprites made with the data builder and loaded as the game loads them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/data/stream.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "tests/engine/gfx/software_display.h"
#include "tools/databuilder/sprite_builder.h"

namespace TestSupport {

class TGfxDisplay {
 public:
  TGfxDisplay(int width, int height, bool screen555 = false)
      : Saved565(Gfx::ScreenIs565), SavedOffset(Gfx::TexelOffset), Display(width, height, screen555) {
    Gfx::Startup();
    // The device state the game sets after every display set-up.
    Plat::TDevice3D& d = *Display->Device3D;
    d.SetTextureStageState(0, Plat::TStageState::MinFilter, Plat::filterPoint);
    d.SetTextureStageState(0, Plat::TStageState::MagFilter, Plat::filterPoint);
    d.SetTextureStageState(0, Plat::TStageState::Address, Plat::addressClamp);
  }
  ~TGfxDisplay() {
    Gfx::ScreenIs565 = Saved565;
    Gfx::TexelOffset = SavedOffset;
  }
  TGfxDisplay(const TGfxDisplay&) = delete;
  TGfxDisplay& operator=(const TGfxDisplay&) = delete;

  Plat::TSurface* Back() const { return Display->BackBuffer; }
  D3DFrame::TD3DFramework& Framework() const { return *Display; }

 private:
  bool Saved565;
  float SavedOffset;
  TSoftwareDisplay Display;
};

// The sprite written by the builder and read back, converted to the display.
inline std::unique_ptr<Gfx::TSprite> Loaded(const Gfx::TSprite& made, u32 flags = Gfx::sfConvert) {
  Data::TMemoryStream s(Builder::SpriteBytes(made));
  auto sprite = std::make_unique<Gfx::TSprite>(flags);
  sprite->Load(s);
  return sprite;
}

}  // namespace TestSupport
