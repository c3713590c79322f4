#include "controls/scroll_windows.h"

#include "engine/dxapp/dxapp.h"
#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/scenario/sound.h"

namespace Main {

namespace {

void PlayInterfaceSound(int index) {
  if (Data2::GlobalData)
    GameData::PlaySound(Data2::GlobalData->InterfaceSounds[index], GameData::GetEffectVolume());
}

}  // namespace

u32 GameTimeNow() { return DXApplication ? DXApplication->GameTime : 0; }

TScrollWindow::TScrollWindow(DXWin::TDXWindowSystem* system, u32 flags, bool vertical, int backgroundSlot)
    : TOrvWindow(system, flags, 0), Vertical(vertical) {
  FullWidth = vertical ? 100 : 400;
  FullHeight = vertical ? 400 : 100;
  RollWidth = vertical ? 120 : 20;
  RollHeight = vertical ? 20 : 120;
  if (Data2::GlobalData) {
    Background = Data2::GlobalData->SpriteTable[backgroundSlot];
    Roll = Data2::GlobalData->SpriteTable[backgroundSlot + 1];
    if (Background) {
      FullWidth = Background->Width;
      FullHeight = Background->Height;
    }
    if (Roll) {
      RollWidth = Roll->Width;
      RollHeight = Roll->Height;
    }
  }
  SetSize(FullWidth, FullHeight);
}

TVertScrollWindow::TVertScrollWindow(DXWin::TDXWindowSystem* system, u32 flags)
    : TScrollWindow(system, flags, true, 1084) {}

THorizScrollWindow::THorizScrollWindow(DXWin::TDXWindowSystem* system, u32 flags)
    : TScrollWindow(system, flags, false, 1082) {}

void TScrollWindow::GetVisibleRect(Base::TRect& r) {
  const Base::TRect screen = GetScreenRect();
  if (Vertical) {
    const i32 top = screen.Top + (Height - OpenSize) / 2;
    r = {screen.Left, top, screen.Left + Width, top + OpenSize};
  } else {
    const i32 left = screen.Left + (Width - OpenSize) / 2;
    r = {left, screen.Top, left + OpenSize, screen.Top + Height};
  }
}

void TScrollWindow::SetVisible(bool visible) {
  if (visible == IsVisible()) return;
  if (visible) {
    PlayInterfaceSound(0);
    StartTime = GameTimeNow();
    AnimState = asOpening;
    TOrvWindow::SetVisible(true);
  } else if (AnimState != asClosing) {
    PlayInterfaceSound(1);
    StartTime = GameTimeNow();
    AnimState = asClosing;
  }
}

void TScrollWindow::Update() {
  TOrvWindow::Update();
  i32& fixed = Vertical ? Width : Height;
  const i32 fixedFull = Vertical ? FullWidth : FullHeight;
  i32& size = Animated();
  const i32 rolls = 2 * RollSize();
  if (size > FullSize()) SetSize(FullWidth, FullHeight);
  if (rolls > size) {
    size = rolls;
    fixed = fixedFull;
  }
  if (fixed != fixedFull) fixed = fixedFull;

  const i64 duration = 2 * static_cast<i64>(size);
  const i64 elapsed = static_cast<u32>(GameTimeNow() - StartTime);
  // A window without length has nothing to unroll: it is at once open or shut.
  const bool running = elapsed <= duration && duration > 0;
  if (AnimState == asOpening) {
    Flags |= DXWin::cfVisible;
    if (running) {
      OpenSize = static_cast<i32>((size - rolls) * elapsed / duration + rolls);
    } else {
      OpenSize = size;
      AnimState = asIdle;
    }
  } else if (AnimState == asClosing) {
    if (running) {
      OpenSize = static_cast<i32>((size - rolls) * (duration - elapsed) / duration + rolls);
    } else {
      OpenSize = rolls;
      TOrvWindow::SetVisible(false);
      if (!Vertical)
        AnimState = asIdle;
      else if (FreeOnClose)
        Flags |= DXWin::wfRequestFree;
    }
  }
}

void TScrollWindow::Draw(Plat::TSurface* surface, const Base::TRect& rc) {
  const i32 offset = (Animated() - OpenSize) / 2;
  const i32 frames = Roll ? Roll->DrawableFrameCount() : 0;
  i32 k = frames > 0 ? (offset / 7) % frames : 0;
  if (k < 0) k += frames;
  if (Vertical) {
    const Base::TRect clip{rc.Left, rc.Top + offset, rc.Right, rc.Top + offset + OpenSize};
    if (Background) Background->Draw(surface, 0, rc.Left, rc.Top - (FullHeight - Height) / 2, &clip);
    TOrvWindow::Draw(surface, rc);
    if (frames > 0) {
      const i32 x = rc.Left - (RollWidth - FullWidth) / 2;
      Roll->Draw(surface, k, x, rc.Top + offset - RollHeight / 2, nullptr);
      Roll->Draw(surface, frames - 1 - k, x, rc.Top + offset + OpenSize - RollHeight / 2, nullptr);
    }
  } else {
    const Base::TRect clip{rc.Left + offset, rc.Top, rc.Left + offset + OpenSize, rc.Bottom};
    if (Background) Background->Draw(surface, 0, rc.Left - (FullWidth - Width) / 2, rc.Top, &clip);
    TOrvWindow::Draw(surface, rc);
    if (frames > 0 && Data2::GlobalData) {
      const i32 y = rc.Top - (RollHeight - FullHeight) / 2;
      Roll->Draw(surface, frames - 1 - k, rc.Left + offset - RollWidth / 2, y, nullptr);
      Roll->Draw(surface, k, rc.Left + offset + OpenSize - RollWidth / 2, y, nullptr);
    }
  }
}

}  // namespace Main
