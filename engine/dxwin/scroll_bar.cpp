#include "engine/dxwin/scroll_bar.h"

#include "engine/dxapp/dxapp.h"

namespace DXWin {

void TDXScrollBar::Changed(bool notify) {
  if (Position < Min)
    Position = Min;
  else if (Position > Max)
    Position = Max;
  if (notify && Position != LastNotified && OnChange) OnChange(this);
  LastNotified = Position;
}

void TDXScrollBar::Step(int delta) {
  Position += delta;
  Changed(true);
}

Base::TRect TDXScrollBar::DecrementRect() const {
  Base::TRect r = GetScreenRect();
  (Vertical ? r.Bottom : r.Right) = (Vertical ? r.Top : r.Left) + ButtonSize;
  return r;
}

Base::TRect TDXScrollBar::IncrementRect() const {
  Base::TRect r = GetScreenRect();
  (Vertical ? r.Top : r.Left) = (Vertical ? r.Bottom : r.Right) - ButtonSize;
  return r;
}

Base::TRect TDXScrollBar::TrackRect() const {
  Base::TRect r = GetScreenRect();
  (Vertical ? r.Top : r.Left) += ButtonSize;
  (Vertical ? r.Bottom : r.Right) -= ButtonSize;
  return r;
}

Base::TRect TDXScrollBar::ThumbRect() const {
  Base::TRect r = TrackRect();
  const int length = Vertical ? r.Height() : r.Width();
  const int offset =
      Max <= Min ? 1 : 1 + static_cast<int>(static_cast<i64>(length - ThumbSize - 2) * (Position - Min) / (Max - Min));
  int& start = Vertical ? r.Top : r.Left;
  start += offset;
  (Vertical ? r.Bottom : r.Right) = start + ThumbSize;
  return r;
}

int TDXScrollBar::PositionAt(int x, int y) const {
  if (Max <= Min) return Min;
  const Base::TRect screen = GetScreenRect();
  int start = (Vertical ? screen.Top : screen.Left) + ButtonSize;
  int end = (Vertical ? screen.Bottom : screen.Right) - ButtonSize;
  const int range = Max - Min + 1;
  if ((end - start) / range <= ThumbSize) {
    start += ThumbSize / 2;
    end -= ThumbSize / 2;
  }
  const int length = end - start;
  const int c = (Vertical ? y : x) + ThumbSize / 2;
  if (length - 2 <= 0 || c < start + 1) return Min;
  if (c > end - 1) return Max;
  return Min + static_cast<int>(static_cast<i64>(range) * (c - start - 1) / (length - 2));
}

void TDXScrollBar::MouseDown(int button, TShiftState shift, int x, int y) {
  TDXControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  UpState &= ~psPressed;
  DownState &= ~psPressed;
  ThumbState &= ~psPressed;
  const Plat::TPoint p = ClientToScreen({x, y});
  const u32 now = DXApplication->UpdateCount;
  // The pressed button counts as hovered already, so the next update does
  // not take the press for a return of the pointer.
  if (Base::PointInRect(DecrementRect(), p.X, p.Y)) {
    UpState |= psPressed | psHovered;
    RepeatStart = now;
    Step(-1);
    PartPressed();
  } else if (Base::PointInRect(IncrementRect(), p.X, p.Y)) {
    DownState |= psPressed | psHovered;
    RepeatStart = now;
    Step(1);
    PartPressed();
  } else if (const Base::TRect thumb = ThumbRect(); Base::PointInRect(thumb, p.X, p.Y)) {
    ThumbState |= psPressed;
    GrabX = p.X - thumb.Left;
    GrabY = p.Y - thumb.Top;
    PartPressed();
  }
}

void TDXScrollBar::MouseUp(int button, TShiftState shift, int x, int y) {
  TDXControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  UpState &= ~psPressed;
  DownState &= ~psPressed;
  ThumbState &= ~psPressed;
}

void TDXScrollBar::RepeatButton(u32& state, int delta) {
  const u32 now = DXApplication->UpdateCount;
  if ((state & psPressed) && (now - RepeatStart == static_cast<u32>(RepeatInterval) || !(state & psHovered))) {
    Step(delta);
    RepeatStart = now;
  }
  state |= psHovered;
}

void TDXScrollBar::Update() {
  TDXControl::Update();
  if (!IsEnabled()) {
    // A bar disabled while held never sees the release.
    UpState &= ~psPressed;
    DownState &= ~psPressed;
    ThumbState &= ~psPressed;
  }
  const int mx = DXApplication->MouseX, my = DXApplication->MouseY;
  if (ThumbState & psPressed) {
    Position = PositionAt(mx - GrabX, my - GrabY);
    Changed(true);
  }
  if (Base::PointInRect(DecrementRect(), mx, my)) {
    RepeatButton(UpState, -1);
    return;
  }
  UpState &= ~psHovered;
  if (Base::PointInRect(IncrementRect(), mx, my)) {
    RepeatButton(DownState, 1);
    return;
  }
  DownState &= ~psHovered;
  if (Base::PointInRect(ThumbRect(), mx, my))
    ThumbState |= psHovered;
  else
    ThumbState &= ~psHovered;
}

void TDXScrollBar::WheelUp() {
  Step(-1);
  TDXControl::WheelUp();
}

void TDXScrollBar::WheelDown() {
  Step(1);
  TDXControl::WheelDown();
}

}  // namespace DXWin
