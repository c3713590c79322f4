// Buttons that show text: a text button coloured by its state, the menu
// button (a background sprite and a font for each state), the same as a
// label, and a menu button with an icon.
#pragma once

#include <string>

#include "engine/dxwin/button.h"

namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

// Indexes of the state arrays.
enum TButtonLook : int { blNormal, blHover, blPressed, blDisabled };

class TTextButton : public DXWin::TDXButton {
 public:
  TTextButton(DXWin::TDXGroup* owner, DXWin::TDXWindow* window) : DXWin::TDXButton(owner, window, 0) {}

  // The text one pixel right and down while pressed.
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // Fits the text; nothing without a font.
  void AutoSize();

  void SetFont(Gfx::TFont* font) { Font = font; }
  void SetColors(u32 normal, u32 hover, u32 pressed, u32 disabled);

  Gfx::TFont* Font = nullptr;
  u32 Colors[4] = {};  // 0x00RRGGBB by TButtonLook
  Base::TRect ClipRect;  // screen coordinates
  bool UseClipRect = false;
};

class TMenuButton : public DXWin::TDXButton {
 public:
  TMenuButton(DXWin::TDXGroup* owner, DXWin::TDXWindow* window) : DXWin::TDXButton(owner, window, 0) {}

  void Click() override;
  // The background, then the caption in the font of the state (none when
  // that font is null).
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // The background's size; else the caption's in the normal font; else 100 x 30.
  void AutoSize();
  void CenterTextX();
  void CenterTextY();

  void SetFonts(Gfx::TFont* normal, Gfx::TFont* hover, Gfx::TFont* pressed, Gfx::TFont* disabled);

  Gfx::TSprite* Sprite = nullptr;
  Gfx::TFont* Fonts[4] = {};  // by TButtonLook
  i32 TextX = 0, TextY = 0;  // the caption's offset inside the button
  std::string Caption;
};

class TButtonLabel : public TMenuButton {
 public:
  using TMenuButton::TMenuButton;
};

class TIconTextButton : public TMenuButton {
 public:
  using TMenuButton::TMenuButton;

  // As the menu button, then the icon with its hot spot at IconX, IconY.
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // One font for every state.
  void SetFont(Gfx::TFont* font) { SetFonts(font, font, font, font); }

  Gfx::TSprite* Icon = nullptr;
  i32 IconX = 0, IconY = 0;
};

}  // namespace Main
