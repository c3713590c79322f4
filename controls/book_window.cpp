#include "controls/book_window.h"

#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"

namespace Main {

namespace {

constexpr int BookSlot = 1092;

Gfx::TSprite* BookSprite() { return Data2::GlobalData ? Data2::GlobalData->SpriteTable[BookSlot] : nullptr; }

}  // namespace

TBookWindow::TBookWindow(DXWin::TDXWindowSystem* system, u32 flags) : TOrvWindow(system, flags, 0) {
  if (Gfx::TSprite* book = BookSprite()) {
    FullWidth = book->Width;
    FullHeight = book->Height;
  }
  SetSize(FullWidth, FullHeight);
}

void TBookWindow::SetVisible(bool visible) {
  if (visible == IsVisible()) return;
  if (visible) {
    if (AnimState != asOpening) {
      StartTime = GameTimeNow();
      AnimState = asOpening;
    }
    TOrvWindow::SetVisible(true);
  } else if (AnimState != asClosing) {
    StartTime = GameTimeNow();
    AnimState = asClosing;
  }
}

void TBookWindow::Update() {
  TOrvWindow::Update();
  SetSize(FullWidth, FullHeight);
  const u32 elapsed = GameTimeNow() - StartTime;
  if (AnimState == asOpening) {
    Flags |= DXWin::cfVisible;
    if (elapsed < 150) {
      Frame = 0;
    } else if (elapsed < 200) {
      Frame = 1;
    } else if (elapsed < 250) {
      Frame = 2;
    } else {
      Frame = 3;
      AnimState = asIdle;
    }
  } else if (AnimState == asClosing) {
    if (elapsed < 50) {
      Frame = 2;
    } else if (elapsed < 100) {
      Frame = 1;
    } else if (elapsed < 200) {
      Frame = 0;
    } else {
      Frame = 0;
      AnimState = asIdle;
      TOrvWindow::SetVisible(false);
      if (FreeOnClose) Flags |= DXWin::wfRequestFree;
    }
  }
}

void TBookWindow::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  TOrvWindow::Draw(surface, rect);
  if (Gfx::TSprite* book = BookSprite()) book->Draw(surface, Frame, rect.Left, rect.Top, &rect);
}

void TBookWindow::GetOpenRect(Base::TRect& r) const {
  const Base::TRect screen = GetScreenRect();
  if (Frame == 2)
    r = {screen.Left + Width / 2, screen.Top, screen.Right, screen.Bottom};
  else if (Frame == 3)
    r = screen;
  else
    r = {};
}

}  // namespace Main
