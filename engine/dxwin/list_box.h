// An owner-drawn list: rows of equal height showing the items from TopIndex,
// one selected item, and an optional scroll bar beside it that it does not own.
#pragma once

#include "engine/dxwin/scroll_bar.h"

namespace DXWin {

// Surface, row rectangle (screen), hot (the pointer is on the row), selected, item index.
using TDrawItemEvent = TClosure<Plat::TSurface*, const Base::TRect&, bool, bool, int>;

class TDXListBox : public TDXControl {
 public:
  TDXListBox(TDXGroup* owner, int itemWidth, int itemHeight, TDXScrollBar* scrollBar);

  void MouseDown(int button, TShiftState shift, int x, int y) override;
  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // Follows the scroll bar.
  void Update() override;
  void WheelUp() override;
  void WheelDown() override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  virtual void DrawItem(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index);

  // After changing counts or sizes: selection and first row kept in range,
  // the size taken from the rows, the scroll bar placed and ranged.
  void UpdateLayout();
  // The item at a point in control coordinates, -1 for none.
  int ItemAt(int x, int y) const;

  TDrawItemEvent OnDrawItem;
  i32 RowCount = 0;
  i32 ItemCount = 0;
  i32 ItemIndex = 0;
  i32 TopIndex = 0;
  i32 ItemWidth;
  i32 ItemHeight;
  TDXScrollBar* ScrollBar;

 private:
  bool ScrollBarShown() const { return ScrollBar && ScrollBar->IsVisible(); }
  void Scroll(int delta);
};

}  // namespace DXWin
