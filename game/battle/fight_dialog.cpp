// The battle screen's window and the start, end and unseen course of a battle.
#include "game/battle/fight_dialog.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "combat/spell.h"
#include "engine/athread/action_thread.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/button.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/sprite_list.h"
#include "game/control/game.h"
#include "game/map/map_window.h"
#include "game/panels/group_panel.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

using namespace GameData;

namespace {

// Rounds of a battle without the screen end long before this; spells that
// give action points back must not keep one going for ever.
constexpr i32 MaxUnseenRounds = 200;

void ResetAppTiming() {
  if (DXApplication) DXApplication->ResetTiming = 1;
}

// The nested loop's condition: the dialog and its test while a loop runs.
TFightDialog* Waiting = nullptr;
bool (TFightDialog::*WaitTest)() const = nullptr;
bool WaitDone = false;
DXApp::TCallback OuterUpdate = nullptr;

void WaitStep() {
  // A lost session ends the wait before the step that would close the game.
  TScenario* s = Game ? Game->Scenario.get() : nullptr;
  if (!s || s->SessionLost || (Waiting->*WaitTest)()) {
    WaitDone = true;
    return;
  }
  Waiting->PollWhileHidden();
  if (OuterUpdate) OuterUpdate();
  if (!Game->Scenario || Game->Scenario->SessionLost || (Waiting->*WaitTest)()) WaitDone = true;
}

}  // namespace

i32 CellOf(i32 pixel) { return (pixel + 64000) / 64 - 1000; }

bool IsAdjacent(i32 x1, i32 y1, i32 x2, i32 y2) { return std::abs(x1 - x2) <= 1 && std::abs(y1 - y2) <= 1; }

i32 AnimFrames(const Gfx::TSprite* sprite) { return sprite ? sprite->DrawableFrameCount() : 0; }

TFightDialog::TFightDialog(DXWin::TDXWindowSystem* system)
    : TOrvWindow(system, DXWin::wfModal | DXWin::wfCentered, 0) {
  SetSize(800, 600);
  OnDraw = DXWin::TDrawEvent::Of<&TFightDialog::Paint>(this);
  OnUpdate = DXWin::TNotifyEvent::Of<&TFightDialog::FightUpdate>(this);
  OnMouseDown = DXWin::TMouseEvent::Of<&TFightDialog::FightMouseDown>(this);
  OnMouseMove = DXWin::TMouseMoveEvent::Of<&TFightDialog::FightMouseMove>(this);
  OnKeyDown = DXWin::TKeyEvent::Of<&TFightDialog::FightKeyDown>(this);
  const TShortcutKey* keys = Game ? Game->Shortcuts : nullptr;
  auto hint = [keys](i32 key, const char* caption) {
    return keys ? keys[key].FormatHint(caption) : std::string(caption);
  };
  for (i32 i = 0; i < 3; ++i) {
    auto* right = new TUnitInfoControl(this, this, 0, plBattleRight);
    right->SetPosition(800 - right->Width, 200 + 140 * i - right->Height / 2);
    right->SetDetailWindowPos(20, 20);
    auto* left = new TUnitInfoControl(this, this, 0, plBattleLeft);
    left->SetPosition(0, 200 + 140 * i - left->Height / 2);
    left->SetDetailWindowPos(240, 20);
    Panels[3 + i] = right;
    Panels[i] = left;
  }
  using Hover = DXWin::TMouseMoveEvent;
  using Badge = DXWin::TDrawEvent;
  const Hover hovers[6] = {Hover::Of<&TFightDialog::PortraitHover<0>>(this), Hover::Of<&TFightDialog::PortraitHover<1>>(this),
                           Hover::Of<&TFightDialog::PortraitHover<2>>(this), Hover::Of<&TFightDialog::PortraitHover<3>>(this),
                           Hover::Of<&TFightDialog::PortraitHover<4>>(this), Hover::Of<&TFightDialog::PortraitHover<5>>(this)};
  const Badge badges[6] = {Badge::Of<&TFightDialog::DrawBadge<0>>(this), Badge::Of<&TFightDialog::DrawBadge<1>>(this),
                           Badge::Of<&TFightDialog::DrawBadge<2>>(this), Badge::Of<&TFightDialog::DrawBadge<3>>(this),
                           Badge::Of<&TFightDialog::DrawBadge<4>>(this), Badge::Of<&TFightDialog::DrawBadge<5>>(this)};
  for (i32 k = 0; k < CombatantCount; ++k) {
    TUnitInfoControl* p = Panels[k];
    p->PortraitButton->OnClick = DXWin::TNotifyEvent::Of<&TFightDialog::PortraitClick>(this);
    p->PortraitButton->OnMouseMove = hovers[k];
    p->PortraitButton->Hint = hint(scCombatant1 + k, "Einheit w\xE4hlen");
    p->SpellButton->OnClick = DXWin::TNotifyEvent::Of<&TFightDialog::SpellBookClick>(this);
    p->SpellButton->Hint = hint(scBattleSpellBook, "Zauberbuch");
    p->SetPortraitPaintHandler(badges[k]);
  }
  struct TButtonSpec {
    DXWin::TDXButton** Button;
    i32 X;
    const char* Caption;
    i32 Key;
    DXWin::TDrawEvent Draw;
  } specs[3] = {
      {&AutoButton, 270, "Befehle automatisch verteilen", scAutomaticOrders,
       DXWin::TDrawEvent::Of<&TFightDialog::DrawAutoButton>(this)},
      {&RetreatButton, 370, "Vom Kampf zur\xFC"
                            "ckziehen",
       scRetreat, DXWin::TDrawEvent::Of<&TFightDialog::DrawRetreatButton>(this)},
      {&AcceptButton, 470, "Befehle akzeptieren", scAcceptOrders,
       DXWin::TDrawEvent::Of<&TFightDialog::DrawAcceptButton>(this)},
  };
  for (const TButtonSpec& b : specs) {
    auto* button = new DXWin::TDXButton(this, this, 0);
    button->SetBounds({b.X, 540, b.X + 60, 600});
    button->Hint = hint(b.Key, b.Caption);
    button->OnClick = DXWin::TNotifyEvent::Of<&TFightDialog::ButtonClick>(this);
    button->OnDraw = b.Draw;
    *b.Button = button;
  }
}

TFightDialog::~TFightDialog() { ReleaseResources(); }

// Starting.

void TFightDialog::StartBattle(TGroup* attacker, TGroup* defender) {
  City = nullptr;
  Start(attacker, defender);
}

void TFightDialog::StartCityBattle(TGroup* attacker, TCity* city, i32 slot) {
  city->PrepareDefenderGroup(slot);
  City = city;
  Start(attacker, city->DefenderGroup.get());
}

void TFightDialog::ResolveBattle(TGroup* attacker, TGroup* defender) {
  City = nullptr;
  Resolve(attacker, defender);
}

void TFightDialog::ResolveCityBattle(TGroup* attacker, TCity* city, i32 slot) {
  city->PrepareDefenderGroup(slot);
  City = city;
  Resolve(attacker, city->DefenderGroup.get());
}

void TFightDialog::ResetScreen() {
  FinishSpellWorker();
  delete CurrentSpell;
  delete PreparedSpell;
  CurrentSpell = PreparedSpell = nullptr;
  Fight.Reset();
  State = 0;
  Selected = Hovered = -1;
  ArmedSpell = 0;
  Request = frNone;
  AutoFlag = 0;
  OrdersPosted = 0;
  StateFrame = 0;
  Rounds = 0;
  ActingQueue.Clear();
}

void TFightDialog::Start(TGroup* attacker, TGroup* defender) {
  TScenario* s = attacker->Scenario;
  s->BattleRunning = 1;
  ResetScreen();
  Fight.SetGroups(attacker, defender);
  for (DXWin::TDXButton* b : {AcceptButton, AutoButton, RetreatButton}) b->Show();
  Fight.SetDefenceBonus(City && Data2::GlobalData ? Data2::GlobalData->CityDefenceBonus : 0);
  ClearPanels();
  LoadResources();
  for (i32 i = 0; i < 3; ++i) {
    Units[i] = TUnitData{};
    Units[i].X = 64 * i + 32;
    Units[i].Y = 64 * (i + 3) + 32;
    Units[i].Facing = 3;
    Units[3 + i] = TUnitData{};
    Units[3 + i].X = 64 * (i + 3) + 32;
    Units[3 + i].Y = 64 * i + 32;
    Units[3 + i].Facing = 7;
  }
  UpdateButtons();
  DrawBackground();
  if (WindowSystem) {
    SavedCursor = WindowSystem->OverrideCursor;
    WindowSystem->SetOverrideCursor(nullptr);
  }
  Sounds.Clear();
}

void TFightDialog::LoadResources() {
  ShowNewUnits();
  if (!Background) ChooseBackground(Fight.Defender);
}

void TFightDialog::ChooseBackground(TGroup* defender) {
  TScenario* s = defender ? defender->Scenario : nullptr;
  if (!s || !s->Sprites) return;
  u32 id = City ? City->Reserved1 : 0;
  if (id == 0)
    for (i32 i = 0; i < s->Areas.Count() && id == 0; ++i)
      if (s->Areas[i]->Value != 0 && s->Areas[i]->ContainsField(defender->FieldX(), defender->FieldY()))
        id = s->Areas[i]->Value;
  if (id == 0 && s->BattleBackgrounds.Count() > 0)
    id = s->BattleBackgrounds[std::rand() % s->BattleBackgrounds.Count()];
  if (id != 0) Background = s->Sprites->FindSprite(id);
}

void TFightDialog::DrawBackground() {
  if (!Background || !Game || !Game->MapWindow || !Game->MapWindow->Cache) return;
  Background->Draw(Game->MapWindow->Cache, 0, 0, 0, nullptr);
}

void TFightDialog::ClearPanels() {
  for (TUnitInfoControl* p : Panels) {
    p->SetUnit(nullptr);
    p->Hide();
  }
}

void TFightDialog::ShowNewUnits() {
  for (i32 k = 0; k < CombatantCount; ++k) {
    TUnit* u = Fight.UnitOf(k);
    if (!u || Panels[k]->IsVisible()) continue;
    Panels[k]->SetUnit(u);
    Panels[k]->Show();
    u->LoadFightStandSprites();
    u->LoadFightDieSprites();
  }
  ResetAppTiming();
}

void TFightDialog::ReleaseResources() {
  FinishSpellWorker();
  for (TGroup* g : {Fight.Attacker, Fight.Defender})
    if (g)
      for (TUnit* u : g->Units)
        if (u) {
          u->ReleaseFightStandSprites();
          u->ReleaseFightDieSprites();
          u->ReleaseFightWalkSprites();
          u->ReleaseFightAttackSprite();
          u->ReleaseFightCastSprite();
        }
  for (TUnitData& d : Units) d.SpriteFlags = 0, d.Sprite = nullptr;
  TScenario* s = Game ? Game->Scenario.get() : nullptr;
  if (Background && s && s->Sprites) s->Sprites->ReleaseSprite(Background);
  Background = nullptr;
  ResetAppTiming();
}

// Running a shown battle.

void TFightDialog::Execute() {
  if (!Fight.Attacker || !Fight.Defender) return;
  Game->StopSounds();
  Game->HideWindows();
  Game->PlayBattleMusic();
  ShowModal(false);
  // The frame loop was left (the program quits): the battle still ends.
  if (Fight.Attacker) End();
}

void TFightDialog::End() {
  ClearPanels();
  ReleaseResources();
  TScenario* s = Fight.Attacker ? Fight.Attacker->Scenario : nullptr;
  if (s) {
    Aftermath(true);
    s->BattleRunning = 0;
  }
  if (Game && Game->MapWindow) Game->MapWindow->Invalidate();
  ResetScreen();
  City = nullptr;
  Close();
  if (Game) {
    Game->RequestMapMusic();
    Game->ShowWindows();
  }
  if (WindowSystem) WindowSystem->SetOverrideCursor(SavedCursor);
  SavedCursor = nullptr;
}

void TFightDialog::Aftermath(bool reloadSprites) {
  TScenario* s = Fight.Attacker->Scenario;
  Fight.RemoveBattleEffects();
  if (reloadSprites) Fight.ReloadUnitSprites();
  s->ClearBattleFlags(Fight.Attacker, Fight.Defender);
  if (City) City->ReleaseDefenderGroup();
  // The groups may go with their dead: nothing below touches them.
  Fight.Reset();
  s->RemoveDeadUnits();
  if (Game && Game->GroupInfoWindow) Game->GroupInfoWindow->UpdatePanels();
  TPlayer* player = s->PlayerAt(s->CurrentPlayerIndex);
  TGroup* selected = player ? player->GetSelectedGroup() : nullptr;
  if (selected && player->GetRelationToGroup(selected) == rSelf)
    s->ComputeMoveCosts(selected->FieldX(), selected->FieldY(), selected);
}

// A battle without the screen.

bool TFightDialog::WorkerRunning() const {
  return Fight.IsOrderThreadRunning() || (SpellWorker && SpellWorker->IsRunning());
}

bool TFightDialog::OrdersComputed() const { return !Fight.IsOrderThreadRunning(); }
bool TFightDialog::RequestArrived() const { return Request != frNone; }
bool TFightDialog::MarkerCycled() const { return MarkerCycleDone != 0; }

void TFightDialog::WaitFor(bool (TFightDialog::*test)() const) {
  if ((this->*test)()) return;
  if (!DXApplication) throw std::logic_error("A battle needs the application's frame loop.");
  TFightDialog* outerDialog = Waiting;
  bool (TFightDialog::*outerTest)() const = WaitTest;
  const bool outerDone = WaitDone;
  const DXApp::TCallback outerUpdate = OuterUpdate;
  Waiting = this;
  WaitTest = test;
  WaitDone = false;
  OuterUpdate = DXApplication->OnUpdate;
  DXApplication->RunModalLoop(&WaitDone, WaitStep, nullptr);
  Waiting = outerDialog;
  WaitTest = outerTest;
  WaitDone = outerDone;
  OuterUpdate = outerUpdate;
}

void TFightDialog::TakeUnseenOrders(bool attackerSide) {
  if (!IsSideFromPeer(attackerSide)) {
    if (attackerSide)
      Fight.StartAttackerOrders();
    else
      Fight.StartDefenderOrders();
    WaitFor(&TFightDialog::OrdersComputed);
    Fight.OrderThread->Stop();
    const bool succeeded = Fight.OrderThread->Succeeded != 0;
    const std::string message = Fight.OrderThread->ErrorMessage;
    Fight.FreeOrderThread();
    if (!succeeded) throw std::runtime_error(message);
    PostOrders();
  }
  WaitFor(&TFightDialog::RequestArrived);
}

void TFightDialog::Resolve(TGroup* attacker, TGroup* defender) {
  TScenario* s = attacker->Scenario;
  s->BattleRunning = 1;
  const TPlayer* viewer = s->ViewingPlayer;
  const bool defenderPlaced = defender && (defender->X != 0 || defender->Y != 0);
  const bool visible = viewer && (viewer->IsFieldVisible(attacker->FieldX(), attacker->FieldY()) ||
                                  (defenderPlaced && viewer->IsFieldVisible(defender->FieldX(), defender->FieldY())));
  StateFrame = 0;
  MarkerMode = 1;
  if (visible) {
    MarkerSprite = TableSprite(SlotBattleMarker);
    ClearPanels();
    for (DXWin::TDXButton* b : {AcceptButton, AutoButton, RetreatButton}) b->Hide();
    Show();
    MarkerX = defenderPlaced ? (attacker->X + defender->X) / 2 : attacker->X;
    MarkerY = defenderPlaced ? (attacker->Y + defender->Y) / 2 : attacker->Y;
    MarkerX -= s->ViewX;
    MarkerY -= s->ViewY;
  }
  ResetScreen();
  Fight.SetGroups(attacker, defender);
  // Every machine decides a human side's orders alike here, whatever its settings.
  Fight.Unseen = true;
  Fight.SetDefenceBonus(City && Data2::GlobalData ? Data2::GlobalData->CityDefenceBonus : 0);
  try {
    while (attacker->CanAttack() && Rounds < MaxUnseenRounds && !s->SessionLost) {
      Fight.ClearActions();
      State = 0;
      TakeUnseenOrders(true);
      if (s->SessionLost) break;
      if (Request == frRetreat) {
        Request = frNone;
        attacker->PayRetreatCost();
        break;
      }
      Request = frNone;
      State = 1;
      TakeUnseenOrders(false);
      Request = frNone;
      if (s->SessionLost) break;
      ExecuteUnseenRound();
      ++Rounds;
      if (Fight.IsAttackerDefeated() || Fight.IsDefenderDefeated()) break;
    }
  } catch (...) {
    MarkerMode = 0;
    Hide();
    MarkerSprite = nullptr;
    Aftermath(false);
    ResetScreen();
    City = nullptr;
    s->BattleRunning = 0;
    throw;
  }
  Aftermath(false);
  ResetScreen();
  City = nullptr;
  if (visible && !s->SessionLost) {
    MarkerCycleDone = 0;
    WaitFor(&TFightDialog::MarkerCycled);
  }
  Hide();
  MarkerSprite = nullptr;
  MarkerMode = 0;
  MarkerCycleDone = 1;
  s->BattleRunning = 0;
}

void TFightDialog::ExecuteUnseenRound() {
  i32 attackerMana = 0, defenderMana = 0;
  bool defenderOk = true, attackerOk = true;
  Fight.CastSpells(&attackerMana, &defenderMana, false, &defenderOk, &attackerOk);
  for (i32 i = 0; i < 3; ++i)
    if (Fight.IsCombatant(i) && !Fight.IsCombatantAlive(i)) Fight.Actions[i].Kind = fakNone;
  // As on the screen: a machine that shows the battle and one that does not
  // must come to the same outcome.
  Fight.ResolveProtectOrders();
  Fight.ExecuteAttackerAttacks();
  Fight.ExecuteDefenderAttacks();
}

void TFightDialog::PollWhileHidden() {
  if (!IsVisible() && IsPhasePolled()) PollNetwork();
}

void TFightDialog::UpdateMarker() {
  ++StateFrame;
  const i32 n = AnimFrames(MarkerSprite);
  if (n <= 0 || static_cast<i32>((StateFrame / 10) % static_cast<u32>(n)) == n - 1) MarkerCycleDone = 1;
  if (IsPhasePolled()) PollNetwork();
}

}  // namespace Main
