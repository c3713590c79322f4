#include "controls/text_buttons.h"

#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "controls/click_sound.h"

namespace Main {

void TTextButton::SetColors(u32 normal, u32 hover, u32 pressed, u32 disabled) {
  Colors[blNormal] = normal;
  Colors[blHover] = hover;
  Colors[blPressed] = pressed;
  Colors[blDisabled] = disabled;
}

void TTextButton::AutoSize() {
  if (Font) SetSize(Font->MaxLineWidth(Text) + 1, Font->TextHeight(Text) + 1);
}

void TTextButton::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  DXWin::TDXButton::Draw(surface, rect);
  if (!Font) return;
  const bool down = IsHovered() && IsPressed();
  const int look = !IsEnabled() ? blDisabled : down ? blPressed : IsHovered() ? blHover : blNormal;
  const Base::TRect& clip = UseClipRect ? ClipRect : rect;
  const int shift = down ? 1 : 0;
  Font->DrawText(surface, rect.Left + shift, rect.Top + shift, Text, Gfx::PackRGB565(Colors[look]), &clip);
}

void TMenuButton::SetFonts(Gfx::TFont* normal, Gfx::TFont* hover, Gfx::TFont* pressed, Gfx::TFont* disabled) {
  Fonts[blNormal] = normal;
  Fonts[blHover] = hover;
  Fonts[blPressed] = pressed;
  Fonts[blDisabled] = disabled;
}

void TMenuButton::AutoSize() {
  if (Sprite)
    SetSize(Sprite->Width, Sprite->Height);
  else if (!Fonts[blNormal])
    SetSize(100, 30);
  else
    SetSize(Fonts[blNormal]->TextWidth(Caption), Fonts[blNormal]->Height);
}

void TMenuButton::CenterTextX() {
  if (Fonts[blNormal]) TextX = Width / 2 - Fonts[blNormal]->TextWidth(Caption) / 2;
}

void TMenuButton::CenterTextY() {
  if (Fonts[blNormal]) TextY = Height / 2 - Fonts[blNormal]->Height / 2;
}

void TMenuButton::Click() {
  PlayClickSound();
  DXWin::TDXButton::Click();
}

void TMenuButton::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  if (Sprite) Sprite->Draw(surface, 0, rect.Left, rect.Top, &rect);
  Gfx::TFont* font = !IsEnabled() ? Fonts[blDisabled]
                     : IsHovered() ? Fonts[IsPressed() ? blPressed : blHover]
                                   : Fonts[blNormal];
  if (font) font->DrawText(surface, rect.Left + TextX, rect.Top + TextY, Caption, 0, &rect);
  DXWin::TDXButton::Draw(surface, rect);
}

void TIconTextButton::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  TMenuButton::Draw(surface, rect);
  if (Icon) Icon->Draw(surface, 0, rect.Left + IconX - Icon->HotX, rect.Top + IconY - Icon->HotY, &rect);
}

}  // namespace Main
