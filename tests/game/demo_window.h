// What the program shows of the windows until the start-up and the menus
// exist: one window of the game's look with a list and its scroll bar, two
// arrow buttons, a check box, a menu button and tooltips, to try with the
// mouse.
#pragma once

#include <string>

#include "controls/orv_window.h"

namespace Data2 {
class TGlobalData;
}
namespace DXWin {
class TDXListBox;
}
namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

namespace Main {

class TMenuButton;
class TMenuCheckBox;
class TSpriteButton;
class TSpriteScrollBar;
class TTextLabel;

// Where the controls lie, in window coordinates.
namespace DemoLayout {
constexpr int WindowWidth = 380, WindowHeight = 300, TitleHeight = 24;
constexpr int ListLeft = 14, ListTop = 34, RowHeight = 20, Rows = 8, ListWidth = 200;
constexpr int ArrowLeft = 246, UpTop = 34, DownTop = 56;
constexpr int CheckLeft = 246, CheckTop = 90;
constexpr int ButtonLeft = 14, ButtonTop = 232;
constexpr int SwatchLeft = 190, SwatchTop = 232, SwatchSize = 28;
constexpr int StatusLeft = 230, StatusTop = 238;
}  // namespace DemoLayout

class TDemoWindow : public TOrvWindow {
 public:
  // Takes its sprites and fonts from the global data, shows itself centred.
  TDemoWindow(DXWin::TDXWindowSystem* windowSystem, Data2::TGlobalData& data);
  ~TDemoWindow() override;

  int Clicks() const { return ClickCount; }

 private:
  void DrawBackground(Plat::TSurface* surface, const Base::TRect& rect);
  void DrawItem(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index);
  void MoveSelection(int delta);
  void SelectionUp(DXWin::TDXControl*) { MoveSelection(-1); }
  void SelectionDown(DXWin::TDXControl*) { MoveSelection(1); }
  void ButtonClicked(DXWin::TDXControl*);
  Gfx::TSprite* WindowSprite(int entry);

  Data2::TGlobalData& Data;
  Gfx::TSprite* Sprites[57] = {};
  Gfx::TFont* MenuFonts[4] = {};
  Gfx::TFont* TextFont = nullptr;
  DXWin::TDXListBox* List = nullptr;
  TSpriteScrollBar* Bar = nullptr;
  TMenuCheckBox* Stripes = nullptr;
  TTextLabel* Status = nullptr;
  int ClickCount = 0;
};

}  // namespace Main
