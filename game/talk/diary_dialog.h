// The modal diary of the player whose turn it is: the objectives given to
// the player, the quests of the player's heroes, the notes and the log of
// conversations, each a laid-out text shown two pages at a time in the open
// book. It reads the scenario and changes nothing.
#pragma once

#include "controls/book_window.h"
#include "engine/gfx/color_text.h"
#include "game/panels/spell_book.h"

namespace GameData {
class TScenario;
}

namespace Main {

enum TDiaryTab : i32 { dtGoals = 0, dtQuests = 1, dtNotes = 2, dtTalks = 3 };

class TDiaryDialog : public TBookWindow {
 public:
  static constexpr i32 TabCount = 4, EdgeWidth = 60;
  // Text origins of the two pages, from the book's top-left.
  static constexpr i32 LeftPageX = 58, RightPageX = 293, PageTop = 88;

  explicit TDiaryDialog(DXWin::TDXWindowSystem* windowSystem);
  ~TDiaryDialog() override;

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  // The four texts for the scenario's current player; the diary's mark-up
  // errors leave it with the exception.
  void Fill(GameData::TScenario* scenario);

  void SelectTab(i32 tab);
  void PageBack();
  void PageForward();
  void FirstPage() { Page = 0; }
  void LastPage() { Page = LastSpread(); }

  // A page's height: whole lines of the diary font.
  i32 PageHeight() const;
  // The number of the open text's last page, counted from 0.
  i32 PageCount() const;
  i32 LastSpread() const { return PageCount() / 2; }
  const Gfx::TColorText& TabText(i32 tab) const;

  GameData::TScenario* Scenario = nullptr;
  Gfx::TColorText GoalsText, QuestsText, NotesText, TalksText;
  i32 Page = 0;
  i32 Tab = dtGoals;
  TSpellBookTab* Tabs[TabCount] = {};

 private:
  Gfx::TColorText& TabText(i32 tab);
  void FillObjectives(Gfx::TColorText& text, i32 type, i32 player, u32 heading);
  void KeyPressed(Plat::WPARAM& key, DXWin::TShiftState shift);
  void ButtonPressed(int button, DXWin::TShiftState, int x, int y);
  void PointerMoved(DXWin::TShiftState, int x, int y);
  void TabClicked(DXWin::TDXControl* c) { SelectTab(static_cast<i32>(c->Tag)); }
  void Finish();
  void DrawPageNumbers(Plat::TSurface* surface, const Base::TRect& rect, const Base::TRect& clip);
};

}  // namespace Main
