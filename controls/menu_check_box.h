// A check box drawn with a sprite for each state and its caption beside it.
#pragma once

#include <string>

#include "engine/dxwin/button.h"

namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

// Indexes of the sprites.
enum TCheckBoxLook : int {
  cbCheckedNormal,
  cbCheckedHover,
  cbCheckedPressed,
  cbUncheckedNormal,
  cbUncheckedHover,
  cbUncheckedPressed
};

class TMenuCheckBox : public DXWin::TDXCheckBox {
 public:
  using DXWin::TDXCheckBox::TDXCheckBox;

  void Click() override;
  // Draws only with the first font and the sprite of the state.
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // The caption beside the checked sprite, as high as the font.
  void AutoSize();

  void SetSprites(Gfx::TSprite* checked, Gfx::TSprite* checkedHover, Gfx::TSprite* checkedPressed,
                  Gfx::TSprite* unchecked, Gfx::TSprite* uncheckedHover, Gfx::TSprite* uncheckedPressed);
  void SetFonts(Gfx::TFont* normal, Gfx::TFont* hover, Gfx::TFont* pressed, Gfx::TFont* disabled);

  Gfx::TSprite* Sprites[6] = {};  // by TCheckBoxLook
  Gfx::TFont* Fonts[4] = {};      // only the first is drawn
  std::string Caption;
};

}  // namespace Main
