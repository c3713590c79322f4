// The two boxes on the horizontal parchment: a yes/no question (modal result
// 6 yes, 7 no) and a message closed by a click (result 1).
#pragma once

#include <string>

#include "controls/scroll_windows.h"

namespace Main {

class TOrvLabel;
class TTextButton;

class THorizYesNoDialog : public THorizScrollWindow {
 public:
  explicit THorizYesNoDialog(DXWin::TDXWindowSystem* system);

  // The buttons clip themselves to the unrolled part.
  void Update() override;
  // A one-line question; sized to it plus 100 pixels.
  void SetText(const std::string& text);
  // At most 572 pixels wide, at least both rods.
  void Layout(int width);

  std::string Question;
  TTextButton* YesButton = nullptr;
  TTextButton* NoButton = nullptr;

 private:
  void DrawQuestion(Plat::TSurface* surface, const Base::TRect& rc);
  void ButtonClick(DXWin::TDXControl*);
};

class THorizInfoDialog : public THorizScrollWindow {
 public:
  explicit THorizInfoDialog(DXWin::TDXWindowSystem* system);

  // The text wrapped to the parchment's width, centred.
  void SetText(const std::string& text);

  TOrvLabel* Label = nullptr;

 private:
  void WindowClick(DXWin::TDXControl*);
};

}  // namespace Main
