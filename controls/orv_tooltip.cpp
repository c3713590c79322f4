#include "controls/orv_tooltip.h"

#include "engine/dxwin/window.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"

namespace Main {

namespace {

// Standard font 3.
Gfx::TFont* TooltipFont() { return Data2::GlobalData ? Data2::GlobalData->Fonts[2] : nullptr; }

}  // namespace

void TOrvTooltip::SetVisible(bool visible) {
  Visible = visible;
  Reposition();
}

void TOrvTooltip::SetText(const std::string& text) {
  Caption = text;
  Reposition();
}

void TOrvTooltip::SetPosition(int x, int y) {
  RequestX = x;
  RequestY = y;
  Reposition();
}

void TOrvTooltip::Reposition() {
  Gfx::TFont* font = TooltipFont();
  if (!Visible || !font) return;
  CaptionWidth = font->MaxLineWidth(Caption);
  CaptionHeight = font->TextHeight(Caption);
  const int screenWidth = DXWin::ScreenWidth(), screenHeight = DXWin::ScreenHeight();
  X = RequestX;
  Y = RequestY + 40;
  if (X + CaptionWidth + 2 > screenWidth - 1) X = screenWidth - (CaptionWidth + 2) - 1;
  if (X < 1) X = 1;
  if (Y + CaptionHeight + 2 > screenHeight - 1) Y = RequestY - (CaptionHeight + 2) - 1;
  if (Y < 1) Y = 1;
}

void TOrvTooltip::Draw(Plat::TSurface* surface) {
  Gfx::TFont* font = TooltipFont();
  if (!Visible || !font) return;
  if (Data2::MainData)
    if (Gfx::TSprite* background = Data2::MainData->InterfaceSprites[Data2::isTickerBackground])
      background->DrawStretched(surface, 0, {X - 3, Y, X + CaptionWidth + 2, Y + CaptionHeight + 1}, nullptr, true);
  font->DrawText(surface, X, Y, Caption, 0xFFFF, nullptr);
}

}  // namespace Main
