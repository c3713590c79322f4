#include "game/talk/diary_dialog.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "engine/base/base.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "game/talk/diary_text.h"
#include "game/control/game.h"
#include "game/panels/unit_panel.h"
#include "world/data2/main_data.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/scenario.h"

namespace Main {

namespace {

constexpr i32 DiaryFont = 4, PageSpace = 274, PageCursorSlot = 22;
const char* const Separator = "\n*************************\n";

struct TTabInfo {
  i32 X, Y, Slot;
  const char* Caption;
};
const TTabInfo TabInfos[TDiaryDialog::TabCount] = {
    {337, 386, 1099, "Ziele"},
    {375, 386, 1100, "Aufgaben"},
    {414, 386, 1098, "Notizen"},
    {453, 386, 1101, "Gespr\xE4" "che"},
};

const TShortcutKey* Binding(i32 index) { return Game ? &Game->Shortcuts[index] : nullptr; }

Gfx::TSprite* InterfaceCursor(i32 slot) {
  return Data2::MainData && slot >= 0 && slot < Data2::InterfaceSpriteCount ? Data2::MainData->InterfaceSprites[slot]
                                                                              : nullptr;
}

// A line or lines of text added below what the text holds.
void AddBelow(Gfx::TColorText& text, Gfx::TFont& font, u32 colour, const std::string& line) {
  text.Add(&font, colour, 0, text.GetHeight(), font.WrapText(DiaryPageWidth, line), Gfx::ckLastWord);
}

}  // namespace

TDiaryDialog::TDiaryDialog(DXWin::TDXWindowSystem* windowSystem) : TBookWindow(windowSystem, 0x110000) {
  SetPosition(400 - Width / 2, 300 - Height / 2);
  for (i32 i = 0; i < TabCount; ++i) {
    auto* tab = new TSpellBookTab(this, this, TableSprite(TabInfos[i].Slot));
    tab->SetPosition(TabInfos[i].X, TabInfos[i].Y);
    const TShortcutKey* key = Binding(scDiaryTab1 + i);
    tab->Hint = key ? key->FormatHint(TabInfos[i].Caption) : TabInfos[i].Caption;
    tab->Tag = static_cast<u32>(i);
    tab->OnClick = DXWin::TNotifyEvent::Of<&TDiaryDialog::TabClicked>(this);
    tab->SetOpen(i == Tab);
    Tabs[i] = tab;
  }
  OnKeyDown = DXWin::TKeyEvent::Of<&TDiaryDialog::KeyPressed>(this);
  OnMouseDown = DXWin::TMouseEvent::Of<&TDiaryDialog::ButtonPressed>(this);
  OnMouseMove = DXWin::TMouseMoveEvent::Of<&TDiaryDialog::PointerMoved>(this);
}

TDiaryDialog::~TDiaryDialog() = default;

void TDiaryDialog::FillObjectives(Gfx::TColorText& text, i32 type, i32 player, u32 heading) {
  Gfx::TFont& font = *StandardFont(DiaryFont);
  std::vector<const GameData::TQuestObjective*> listed;
  if (Scenario->QuestObjectives)
    for (const GameData::TQuestObjective* q : Scenario->QuestObjectives->Items)
      if (q->Type == type && !q->Hidden && q->State >= GameData::qsActive && q->PlayerIndex == player)
        listed.push_back(q);
  std::stable_sort(listed.begin(), listed.end(),
                   [](const auto* a, const auto* b) { return DiaryListsBefore(*a, *b); });
  std::string hero;
  for (const GameData::TQuestObjective* q : listed) {
    if (type == GameData::qtQuest && q->HeroName != hero) {
      hero = q->HeroName;
      AddBelow(text, font, heading, hero + "\n");
    }
    AddObjectiveText(text, font, *q);
  }
}

void TDiaryDialog::Fill(GameData::TScenario* scenario) {
  Scenario = scenario;
  for (i32 t = 0; t < TabCount; ++t) TabText(t).Clear();
  Page = 0;
  SelectTab(dtGoals);
  Gfx::TFont* font = StandardFont(DiaryFont);
  if (!scenario || !font) return;
  const i32 p = scenario->CurrentPlayerIndex;
  const u32 heading = Gfx::PackRGB565(p >= 0 && p < GameData::MaxPlayers ? Gfx::PlayerColors[p] : 0);
  AddBelow(GoalsText, *font, heading, "Ziele\n");
  FillObjectives(GoalsText, GameData::qtObjective, p, heading);
  AddBelow(QuestsText, *font, heading, "Aufgaben\n");
  FillObjectives(QuestsText, GameData::qtQuest, p, heading);
  AddBelow(NotesText, *font, heading, "Notizen\n");
  if (const GameData::TPlayer* player = p >= 0 && p < scenario->PlayerCount() ? scenario->Players[p] : nullptr) {
    for (const std::string& line : player->Notes) AddBelow(NotesText, *font, 0, "-" + line + "\n");
    for (const std::string& entry : player->ConversationLog) AddBelow(TalksText, *font, 0, entry + Separator);
  }
  for (i32 t = 0; t < TabCount; ++t) TabText(t).Justify(DiaryPageWidth);
}

const Gfx::TColorText& TDiaryDialog::TabText(i32 tab) const {
  return tab == dtQuests ? QuestsText : tab == dtNotes ? NotesText : tab == dtTalks ? TalksText : GoalsText;
}

Gfx::TColorText& TDiaryDialog::TabText(i32 tab) {
  return const_cast<Gfx::TColorText&>(std::as_const(*this).TabText(tab));
}

i32 TDiaryDialog::PageHeight() const {
  const Gfx::TFont* font = StandardFont(DiaryFont);
  return font && font->Height > 0 ? PageSpace - PageSpace % font->Height : PageSpace;
}

// A text exactly as tall as a number of pages would otherwise end on an
// empty page, and a text exactly two pages taller than a spread on an empty
// spread, which paging forward and the notes' opening would show.
i32 TDiaryDialog::PageCount() const { return std::max(0, TabText(Tab).GetHeight() - 1) / PageHeight(); }

void TDiaryDialog::SelectTab(i32 tab) {
  if (tab < 0 || tab >= TabCount) return;
  for (i32 i = 0; i < TabCount; ++i) Tabs[i]->SetOpen(i == tab);
  if (tab == Tab) return;
  Tab = tab;
  // The newest notes and conversations stand at the end.
  Page = tab == dtNotes || tab == dtTalks ? LastSpread() : 0;
}

void TDiaryDialog::PageBack() {
  if (Page > 0) --Page;
}

void TDiaryDialog::PageForward() {
  if (Page < LastSpread()) ++Page;
}

void TDiaryDialog::Finish() {
  SetModalResult(1);
  Close();
}

void TDiaryDialog::PointerMoved(DXWin::TShiftState, int x, int) {
  const TShortcutKey* key = nullptr;
  std::string caption;
  if (x < EdgeWidth && Page >= 1) {
    key = Binding(scDiaryPreviousPage);
    caption = "Vorherige Seite";
  } else if (Width - x < EdgeWidth && TabText(Tab).GetHeight() > (Page + 1) * 2 * PageHeight()) {
    key = Binding(scDiaryNextPage);
    caption = "N\xE4" "chste Seite";
  }
  Hint = key ? key->FormatHint(caption) : caption;
  SetCursor(InterfaceCursor(caption.empty() ? Data2::isDefaultCursor : PageCursorSlot));
}

void TDiaryDialog::ButtonPressed(int button, DXWin::TShiftState, int x, int) {
  if (button == DXWin::mbRight) return Finish();
  if (button != DXWin::mbLeft) return;
  if (x < EdgeWidth)
    PageBack();
  else if (x > Width - EdgeWidth)
    PageForward();
}

void TDiaryDialog::KeyPressed(Plat::WPARAM& key, DXWin::TShiftState shift) {
  if (shift & (DXWin::ssShift | DXWin::ssCtrl | DXWin::ssAlt)) return;
  const auto matches = [&key](i32 index) {
    const TShortcutKey* k = Binding(index);
    return k && k->Matches(key);
  };
  if (matches(scDiaryClose)) return Finish();
  if (matches(scDiaryPreviousPage)) return PageBack();
  if (matches(scDiaryNextPage)) return PageForward();
  if (matches(scDiaryFirstPage)) return FirstPage();
  if (matches(scDiaryLastPage)) return LastPage();
  for (i32 t = 0; t < TabCount; ++t)
    if (matches(scDiaryTab1 + t)) return SelectTab(t);
}

void TDiaryDialog::DrawPageNumbers(Plat::TSurface* surface, const Base::TRect& rect, const Base::TRect& clip) {
  Gfx::TFont* font = StandardFont(DiaryFont);
  if (!font) return;
  const i32 count = PageCount();
  font->DrawText(surface, rect.Left + LeftPageX, rect.Top + 68, Base::Format("%d/%d", 2 * Page + 1, count + 1), 0,
                 &clip);
  if (count % 2 == 1 || Page < count / 2) {
    const std::string right = Base::Format("%d/%d", 2 * Page + 2, count + 1);
    font->DrawText(surface, rect.Left + RightPageX + DiaryPageWidth - font->TextWidth(right), rect.Top + 63, right, 0,
                   &clip);
  }
}

void TDiaryDialog::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  TBookWindow::Draw(surface, rect);
  Base::TRect open;
  GetOpenRect(open);
  if (Base::IsRectEmpty(open)) return;
  const i32 h = PageHeight(), top = rect.Top + PageTop;
  for (i32 r = 0; r < 2; ++r) {
    const i32 x = rect.Left + (r == 0 ? LeftPageX : RightPageX);
    Base::TRect clip;
    if (Base::IntersectRect(clip, {x, top, x + DiaryPageWidth, top + h}, open))
      TabText(Tab).Draw(surface, x, top - (2 * Page + r) * h, &clip);
  }
  if (Tab == dtTalks) DrawPageNumbers(surface, rect, open);
}

void TGame::ShowDiary() {
  if (!Scenario) return;
  // Filled before it is shown: a mark-up error abandons the opening.
  auto diary = std::make_unique<TDiaryDialog>(WindowSystem);
  diary->Fill(Scenario.get());
  if (!WindowSystem) return;
  // The window system frees the book once its closing frames have run.
  diary->FreeOnClose = true;
  diary.release()->ShowModal(true);
}

}  // namespace Main
