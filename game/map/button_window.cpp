#include "game/map/button_window.h"

#include "controls/click_sound.h"
#include "controls/dialogs.h"
#include "controls/text_buttons.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/sprite.h"
#include "game/control/game.h"
#include "game/panels/unit_panel.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/units/group.h"

namespace Main {

namespace {

constexpr i32 SlotPanel = 1063;
constexpr i32 ButtonSize = 40;
constexpr i32 YesResult = 6;

constexpr TCommandButtonInfo Infos[CommandButtonCount] = {
    {6, 26, 1068, 1069, scEndTurn, "Ende der Runde"},
    {53, -1, 1064, 1065, scNextGroup, "N\xE4" "chste Gruppe"},
    {99, 24, 1066, 1067, scNextGroupWithAPs, "N\xE4" "chste Gruppe mit APs"},
    {99, 76, 1076, 1077, scCamp, "Gruppe bilden/aufl\xF6sen"},
    {5, 79, 1072, 1073, scCreatureBook, "Buch der Kreaturen"},
    {53, 104, 1070, 1071, scDiary, "Tagebuch"},
    {53, 51, 1074, 1075, scMainMenu, "Hauptmen\xFC"},
};

GameData::TPlayer* CurrentOf(const GameData::TScenario* s) { return s ? s->PlayerAt(s->CurrentPlayerIndex) : nullptr; }

// Yes and no are black, and the current player's colour under the pointer.
void ColourAnswers(THorizYesNoDialog& dialog) {
  const u32 player = Game ? Game->CurrentPlayerColor() : 0;
  for (TTextButton* b : {dialog.YesButton, dialog.NoButton}) b->SetColors(0, player, player, 0);
}

}  // namespace

const TCommandButtonInfo& CommandButtonInfo(i32 index) { return Infos[index]; }

TCommandButton::TCommandButton(DXWin::TDXWindow* window, i32 normalSlot, i32 hoveredSlot)
    : DXWin::TDXButton(window, window, DXWin::cfEnabled), NormalSlot(normalSlot), HoveredSlot(hoveredSlot) {
  OnDraw = DXWin::TDrawEvent::Of<&TCommandButton::Paint>(this);
}

void TCommandButton::Paint(Plat::TSurface* surface, const Base::TRect& rect) {
  const bool hovered = IsHovered();
  Gfx::TSprite* sprite = TableSprite(hovered ? HoveredSlot : NormalSlot);
  if (!sprite) return;
  const i32 shift = hovered && IsPressed() ? 1 : 0;
  const i32 cx = rect.Left + rect.Width() / 2, cy = rect.Top + rect.Height() / 2;
  sprite->Draw(surface, 0, cx - sprite->HotX + shift, cy - sprite->HotY + shift, nullptr);
}

TButtonWindow::TButtonWindow(DXWin::TDXWindowSystem* windowSystem) : TOrvWindow(windowSystem, 0, 0) {
  SetBounds(Bounds);
  OnDraw = DXWin::TDrawEvent::Of<&TButtonWindow::PaintPanel>(this);
  OnUpdate = DXWin::TNotifyEvent::Of<&TButtonWindow::UpdateButtons>(this);
  TCommandButton** fields[CommandButtonCount] = {&EndTurnButton, &NextGroupButton, &NextActiveGroupButton, &CampButton,
                                                 &CreatureBookButton, &DiaryButton, &MainMenuButton};
  const DXWin::TNotifyEvent clicks[CommandButtonCount] = {
      DXWin::TNotifyEvent::Of<&TButtonWindow::OnEndTurn>(this),
      DXWin::TNotifyEvent::Of<&TButtonWindow::OnNextGroup>(this),
      DXWin::TNotifyEvent::Of<&TButtonWindow::OnNextActiveGroup>(this),
      DXWin::TNotifyEvent::Of<&TButtonWindow::OnCamp>(this),
      DXWin::TNotifyEvent::Of<&TButtonWindow::OnCreatureBook>(this),
      DXWin::TNotifyEvent::Of<&TButtonWindow::OnDiary>(this),
      DXWin::TNotifyEvent::Of<&TButtonWindow::OnMainMenu>(this)};
  for (i32 i = 0; i < CommandButtonCount; ++i) {
    const TCommandButtonInfo& info = Infos[i];
    auto* b = new TCommandButton(this, info.NormalSlot, info.HoveredSlot);
    b->SetBounds({info.X, info.Y, info.X + ButtonSize, info.Y + ButtonSize});
    b->Hint = Game ? Game->Shortcuts[info.Shortcut].FormatHint(info.Caption) : info.Caption;
    b->OnClick = clicks[i];
    *fields[i] = b;
  }
}

TButtonWindow::~TButtonWindow() = default;

std::array<TCommandButton*, CommandButtonCount> TButtonWindow::AllButtons() const {
  return {EndTurnButton, NextGroupButton, NextActiveGroupButton, CampButton, CreatureBookButton, DiaryButton, MainMenuButton};
}

bool TButtonWindow::LocalTurn() const {
  const GameData::TPlayer* current = CurrentOf(Scenario);
  return current && current == Scenario->ViewingPlayer && current->Kind == GameData::pkHuman;
}

void TButtonWindow::UpdateButtons(DXWin::TDXControl*) {
  const bool local = LocalTurn(), busy = local && Scenario->IsBusy();
  for (TCommandButton* b : AllButtons()) {
    if (!local) {
      b->Hide();
      continue;
    }
    b->Show();
    if (busy)
      b->Disable();
    else
      b->Enable();
  }
}

void TButtonWindow::PaintPanel(Plat::TSurface* surface, const Base::TRect& rect) {
  const Base::TRect clip = GetScreenRect();
  if (Gfx::TSprite* panel = TableSprite(SlotPanel)) panel->Draw(surface, 0, rect.Left, rect.Top, &clip);
  const GameData::TPlayer* current = CurrentOf(Scenario);
  if (current && current->Kind != GameData::pkHuman)
    if (Gfx::TSprite* portrait = current->GetPortrait()) portrait->Draw(surface, 0, rect.Left + 10, rect.Top + 10, &clip);
}

void TButtonWindow::EndTurnClick() {
  if (!LocalTurn()) return;
  PlayClickSound();
  if (ConfirmEndTurn) {
    auto* dialog = new THorizYesNoDialog(WindowSystem);
    ColourAnswers(*dialog);
    dialog->SetText("Runde beenden?");
    const int answer = dialog->ShowModal(true);
    // Asked at every turn's end: the question does not stay behind.
    delete dialog;
    if (answer != YesResult || !LocalTurn()) return;
  }
  GameData::TActionRecord r;
  r.Words[0] = GameData::atEndTurn;
  CurrentOf(Scenario)->PostAction(true, r);
}

void TButtonWindow::SelectNextGroup(bool withActionPoints) {
  if (!LocalTurn()) return;
  PlayClickSound();
  GameData::TPlayer* current = CurrentOf(Scenario);
  const auto& objects = Scenario->MapObjects;
  const i32 n = objects.Count();
  const GameData::TGroup* selected = current->GetSelectedGroup();
  const i32 start = selected ? Scenario->IndexOfMapObject(selected) : -1;
  // Cyclically after the selected group, which is not looked at again.
  for (i32 k = 1; k <= n; ++k) {
    const i32 i = (start + k) % n;
    if (selected && i == start) break;
    const GameData::TMapObject* o = objects[i];
    if (o->Type != GameData::otGroup) continue;
    const auto* g = static_cast<const GameData::TGroup*>(o);
    if (g->GetOwner() != current || (withActionPoints && !g->CanStepOut())) continue;
    GameData::TActionRecord r;
    r.Words[0] = GameData::atSelect;
    r.Words[1] = g->ID;
    current->PostAction(true, r);
    return;
  }
}

void TButtonWindow::NextGroupClick() { SelectNextGroup(false); }
void TButtonWindow::NextActiveGroupClick() { SelectNextGroup(true); }

void TButtonWindow::CampClick() {
  if (!LocalTurn()) return;
  GameData::TPlayer* current = CurrentOf(Scenario);
  const GameData::TGroup* g = current->GetSelectedGroup();
  if (!g || current->GetRelationToGroup(g) != GameData::rSelf) return;
  PlayClickSound();
  GameData::TActionRecord r;
  if (g->CampState == GameData::csNone)
    r.Words[0] = GameData::atMakeCamp;
  else if (g->CampState == GameData::csCamped)
    r.Words[0] = GameData::atBreakCamp;
  else
    return;
  r.Words[1] = g->ID;
  current->PostAction(true, r);
}

void TButtonWindow::CreatureBookClick() {
  if (Game) Game->ShowCreaturePedia();
}

void TButtonWindow::DiaryClick() {
  if (!LocalTurn()) return;
  PlayClickSound();
  if (Game) Game->ShowDiary();
}

void TButtonWindow::MainMenuClick() {
  if (!LocalTurn()) return;
  PlayClickSound();
  if (Game) Game->ReturnToMainMenu(0);
}

}  // namespace Main
