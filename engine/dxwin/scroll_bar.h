// A scroll bar: a decrementing and an incrementing button that repeat while
// held, a thumb to drag along the track, and the wheel.
#pragma once

#include "engine/dxwin/control.h"

namespace DXWin {

// Part states of the buttons and the thumb.
constexpr u32 psHovered = 8;
constexpr u32 psPressed = 16;

class TDXScrollBar : public TDXControl {
 public:
  void MouseDown(int button, TShiftState shift, int x, int y) override;
  void MouseUp(int button, TShiftState shift, int x, int y) override;
  // Drags the thumb and repeats a held button; the pointer is the application's.
  void Update() override;
  void WheelUp() override;
  void WheelDown() override;
  // A part was pressed; the skinned bar plays its click.
  virtual void PartPressed() {}

  // Clamps Position to Min..Max; with notify, OnChange when it moved since
  // the last notification.
  void Changed(bool notify);
  // The position for a thumb whose top-left corner lies at the screen point.
  int PositionAt(int x, int y) const;
  // The parts' screen rectangles.
  Base::TRect DecrementRect() const;
  Base::TRect IncrementRect() const;
  Base::TRect TrackRect() const;
  Base::TRect ThumbRect() const;

  bool Vertical;
  i32 Min = 0, Max = 0, Position = 0;
  i32 LastNotified = 0;
  i32 ButtonSize;
  i32 ThumbSize;
  i32 RepeatInterval = 20;  // update steps
  u32 UpState = 0, DownState = 0, ThumbState = 0;
  i32 GrabX = 0, GrabY = 0;  // the press point's offset from the thumb
  u32 RepeatStart = 0;  // update count
  TNotifyEvent OnChange;

 protected:
  // Made by its descendants: no window, visible and enabled.
  TDXScrollBar(TDXGroup* owner, bool vertical, int buttonSize, int thumbSize)
      : TDXControl(owner, nullptr, cfVisible | cfEnabled), Vertical(vertical), ButtonSize(buttonSize),
        ThumbSize(thumbSize) {}

 private:
  void Step(int delta);
  // Steps a held button when its repeat time came or the pointer came back onto it.
  void RepeatButton(u32& state, int delta);
};

}  // namespace DXWin
