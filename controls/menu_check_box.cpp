#include "controls/menu_check_box.h"

#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "controls/click_sound.h"

namespace Main {

// Room between the box and its caption.
constexpr int CaptionGap = 5;

void TMenuCheckBox::SetSprites(Gfx::TSprite* checked, Gfx::TSprite* checkedHover, Gfx::TSprite* checkedPressed,
                               Gfx::TSprite* unchecked, Gfx::TSprite* uncheckedHover,
                               Gfx::TSprite* uncheckedPressed) {
  Sprites[cbCheckedNormal] = checked;
  Sprites[cbCheckedHover] = checkedHover;
  Sprites[cbCheckedPressed] = checkedPressed;
  Sprites[cbUncheckedNormal] = unchecked;
  Sprites[cbUncheckedHover] = uncheckedHover;
  Sprites[cbUncheckedPressed] = uncheckedPressed;
}

void TMenuCheckBox::SetFonts(Gfx::TFont* normal, Gfx::TFont* hover, Gfx::TFont* pressed, Gfx::TFont* disabled) {
  Fonts[0] = normal;
  Fonts[1] = hover;
  Fonts[2] = pressed;
  Fonts[3] = disabled;
}

void TMenuCheckBox::AutoSize() {
  Gfx::TSprite* box = Sprites[cbCheckedNormal];
  if (Fonts[0] && box) SetSize(Fonts[0]->TextWidth(Caption) + box->Width + CaptionGap, Fonts[0]->Height);
}

void TMenuCheckBox::Click() {
  PlayClickSound();
  DXWin::TDXCheckBox::Click();
}

void TMenuCheckBox::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  const int set = Checked ? cbCheckedNormal : cbUncheckedNormal;
  int look = 0;
  if (IsEnabled() && IsHovered()) look = IsPressed() ? 2 : 1;
  Gfx::TSprite* sprite = Sprites[set + look];
  if (Fonts[0] && sprite) {
    sprite->Draw(surface, 0, rect.Left, rect.Top + (Height - sprite->Height) / 2, &rect);
    Fonts[0]->DrawText(surface, rect.Left + sprite->Width + CaptionGap, rect.Top, Caption, 0, &rect);
  }
  DXWin::TDXCheckBox::Draw(surface, rect);
}

}  // namespace Main
