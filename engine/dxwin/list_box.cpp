#include "engine/dxwin/list_box.h"

#include <algorithm>

#include "engine/dxapp/dxapp.h"

namespace DXWin {

TDXListBox::TDXListBox(TDXGroup* owner, int itemWidth, int itemHeight, TDXScrollBar* scrollBar)
    : TDXControl(owner, nullptr, cfVisible | cfEnabled),
      ItemWidth(itemWidth),
      ItemHeight(itemHeight),
      ScrollBar(scrollBar) {
  UpdateLayout();
}

void TDXListBox::UpdateLayout() {
  if (ItemIndex < 0) ItemIndex = 0;
  if (ItemIndex > ItemCount - 1) ItemIndex = ItemCount - 1;
  if (ItemCount <= RowCount)
    TopIndex = 0;
  else if (TopIndex > ItemCount - RowCount)
    TopIndex = ItemCount - RowCount;
  Width = ItemWidth;
  Height = ItemHeight * RowCount;
  if (!ScrollBar) return;
  if (IsEnabled())
    ScrollBar->Enable();
  else
    ScrollBar->Disable();
  if (!IsVisible() || ItemCount <= RowCount) {
    ScrollBar->Hide();
    return;
  }
  ScrollBar->Show();
  ScrollBar->Height = Height;
  ScrollBar->SetPosition(Left + Width + 1, Top);
  ScrollBar->Min = 0;
  ScrollBar->Changed(false);
  ScrollBar->Max = ItemCount - RowCount;
  ScrollBar->Changed(false);
  ScrollBar->Position = TopIndex;
  ScrollBar->Changed(false);
}

int TDXListBox::ItemAt(int x, int y) const {
  if (!IsInside(x, y) || ItemHeight <= 0) return -1;
  const int item = TopIndex + y / ItemHeight;
  return item < ItemCount ? item : -1;
}

void TDXListBox::MouseDown(int button, TShiftState shift, int x, int y) {
  if (button == mbLeft)
    if (const int item = ItemAt(x, y); item >= 0) ItemIndex = item;
  TDXControl::MouseDown(button, shift, x, y);
}

void TDXListBox::Update() {
  if (ScrollBarShown()) TopIndex = ScrollBar->Position;
  TDXControl::Update();
}

void TDXListBox::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  TDXControl::Draw(surface, rect);
  const int rows = std::min(RowCount, ItemCount);
  const int mx = DXApplication->MouseX, my = DXApplication->MouseY;
  for (int i = 0; i < rows && TopIndex + i < ItemCount; ++i) {
    const Base::TRect row{rect.Left, rect.Top + i * ItemHeight, rect.Left + ItemWidth, rect.Top + (i + 1) * ItemHeight};
    DrawItem(surface, row, Base::PointInRect(row, mx, my), TopIndex + i == ItemIndex, TopIndex + i);
  }
}

void TDXListBox::DrawItem(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
  if (OnDrawItem) OnDrawItem(surface, row, hot, selected, index);
}

void TDXListBox::Scroll(int delta) {
  if (!ScrollBarShown()) return;
  ScrollBar->Position += delta;
  ScrollBar->Changed(false);
  TopIndex = ScrollBar->Position;
}

void TDXListBox::WheelUp() {
  Scroll(-1);
  TDXControl::WheelUp();
}

void TDXListBox::WheelDown() {
  Scroll(1);
  TDXControl::WheelDown();
}

void TDXListBox::SetVisible(bool visible) {
  TDXControl::SetVisible(visible);
  UpdateLayout();
}

void TDXListBox::SetEnabled(bool enabled) {
  TDXControl::SetEnabled(enabled);
  UpdateLayout();
}

}  // namespace DXWin
