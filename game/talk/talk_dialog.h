// The conversation window: one page on the unrolling parchment, with the
// speaker's portrait and name, the page's text and its answer choices. The
// window never closes on its own input: a click, a key or a choice posts the
// answer as an action record of type 18, and the dispatcher closes the
// window with it on every machine alike. A page for another player than the
// viewing one is not drawn; a computer player's answers itself on its second
// update step.
#pragma once

#include <string>
#include <vector>

#include "controls/scroll_windows.h"
#include "engine/platform/window/wintypes.h"

namespace Gfx {
class TSprite;
}

namespace Main {

class TOrvChoice;
class TOrvLabel;

// Modal results: the page read to its end, or choice i taken (2000 + i).
constexpr i32 TalkReadResult = 1;
constexpr i32 TalkChoiceResult = 2000;

class TTalkDialog : public TVertScrollWindow {
 public:
  explicit TTalkDialog(DXWin::TDXWindowSystem* system);
  ~TTalkDialog() override;

  // Builds the page. The talkers are the conversation's owner face and the
  // portrait of the leader of the group spoken to, either may be null; the
  // window takes its own reference to the one the page's tag names.
  void SetPage(Gfx::TSprite* talker1, const std::string& name1, Gfx::TSprite* talker2, const std::string& name2,
               const std::string& text);
  // An answer as a type-18 record carries it: 1 on a page without choices,
  // 2000 + i for one of its choices.
  bool IsAnswer(i32 result) const;
  // The dispatcher's end of the page.
  void EndWithResult(i32 result);
  // The local human's answer, as a click or key gives it: the current player
  // posts it once per page, sent to the peers.
  void Answer(i32 result);

  void Draw(Plat::TSurface* surface, const Base::TRect& rc) override;
  void Update() override;

  i32 PortraitX = 0;
  Gfx::TSprite* Portrait = nullptr;
  std::string SpeakerName;
  i32 TopMargin = 40;
  i32 SideMargin = 40;
  i32 ChoiceCount = 0;
  u8 Hidden = 0;
  i32 AutoDelay = -1;
  // Set once this page's answer has been posted.
  u8 Answered = 0;
  std::vector<TOrvLabel*> Labels;
  std::vector<TOrvChoice*> Choices;

 private:
  void ContinueClick(DXWin::TDXControl*);
  void ContinueKey(Plat::WPARAM& key, DXWin::TShiftState shift);
  void ChoiceClick(DXWin::TDXControl* choice);
  void ReleasePortrait();
};

}  // namespace Main
