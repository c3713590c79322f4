// The battle screen's orders: who controls a side, the battle-orders
// records to and from the dispatcher and the peers, the buttons, and the
// clicks and keys of the order phases.
#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "engine/dxwin/button.h"
#include "engine/dxwin/window_system.h"
#include "engine/dpframe/dpframe.h"
#include "game/battle/fight_dialog.h"
#include "game/control/game.h"
#include "game/panels/spell_book.h"
#include "game/panels/unit_panel.h"
#include "world/data2/main_data.h"
#include "world/scenario/action.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

using namespace GameData;

namespace {

// Interface sprites of the screen's cursors.
constexpr i32 CursorNormal = 1, CursorAttack = 3, CursorProtect = 23, CursorTargetAllowed = 5,
              CursorTargetRefused = 4;

const TPlayer* OwnerOf(const TGroup* g) { return g ? g->GetOwner() : nullptr; }
bool KindIs(const TGroup* g, u8 kind) {
  const TPlayer* p = OwnerOf(g);
  return p && p->Kind == kind;
}

}  // namespace

bool TFightDialog::IsAttackerLocal() const { return KindIs(Fight.Attacker, pkHuman); }
bool TFightDialog::IsDefenderLocal() const { return KindIs(Fight.Defender, pkHuman); }
bool TFightDialog::IsAttackerComputer() const { return KindIs(Fight.Attacker, pkComputer); }
bool TFightDialog::IsDefenderComputer() const { return KindIs(Fight.Defender, pkComputer); }
bool TFightDialog::IsAttackerRemote() const { return KindIs(Fight.Attacker, pkRemote); }
bool TFightDialog::IsDefenderRemote() const { return KindIs(Fight.Defender, pkRemote); }

bool TFightDialog::IsCurrentPlayerRemote() const {
  const TPlayer* p = Game ? Game->CurrentPlayer() : nullptr;
  return p && p->Kind == pkRemote;
}

bool TFightDialog::IsSideFromPeer(bool attackerSide) const {
  const TGroup* side = attackerSide ? Fight.Attacker : Fight.Defender;
  if (!side) return false;
  if (const TPlayer* owner = side->GetOwner()) return owner->Kind == pkRemote;
  const TScenario* s = side->Scenario;
  const DPFrame::TDPFramework* network = s ? s->Transport() : nullptr;
  return network && !network->IsHost;
}

bool TFightDialog::IsPhasePolled() const {
  if (!Fight.Attacker || !Fight.Defender || IsCurrentPlayerRemote()) return false;
  return (State == 0 || State == 1) && IsSideFromPeer(State == 0);
}

bool TFightDialog::IsPhaseLocal() const {
  return (State == 0 && IsAttackerLocal()) || (State == 1 && IsDefenderLocal());
}

// Records.

void TFightDialog::SetOrders(u32 request, const u32* orders) {
  if (!Fight.Attacker || !Fight.Defender || (State != 0 && State != 1)) return;
  // Unknown requests change nothing; the automatic one never travels.
  if (request != frRetreat && request != frAccept) return;
  if (request == frRetreat && State != 0) return;
  const i32 first = State == 0 ? 0 : 3;
  for (i32 i = 0; i < 3; ++i) {
    u8 bytes[TFightAction::StreamSize];
    for (i32 w = 0; w < 4; ++w)
      for (i32 b = 0; b < 4; ++b) bytes[4 * w + b] = static_cast<u8>(orders[4 * i + w] >> (8 * b));
    TFightAction in;
    in.Read(bytes);
    const i32 c = first + i;
    TFightAction& order = Fight.Actions[c];
    order.Clear();
    if (request != frAccept || !Fight.IsCombatantAlive(c) || !Fight.IsCombatant(in.Target)) continue;
    const bool ownSide = (in.Target < 3) == (c < 3);
    switch (in.Kind) {
      case fakAttack:
        if (!ownSide && Fight.IsCombatantAlive(in.Target)) Fight.SetAttackAction(c, in.Target);
        break;
      case fakSpell: {
        // The target test of the clicks is not asked of automatic orders:
        // the rules judge the target when the spell is cast.
        const TSpellPrototype* spell = FindSpell(in.Spell);
        if (spell && Fight.UnitOf(c)->CanCastSpell(spell)) Fight.SetSpellAction(c, in.Target, in.Spell);
        break;
      }
      case fakProtect:
        if (ownSide && in.Target != c && Fight.IsCombatantAlive(in.Target)) Fight.SetProtectAction(c, in.Target);
        break;
      default: break;
    }
  }
  Request = static_cast<i32>(request);
  OrdersPosted = 0;
}

TActionRecord FillOrdersRecord(const TFight& fight, u32 request, i32 first) {
  TActionRecord r;
  r.Words[0] = atBattleOrders;
  r.Words[1] = request;
  for (i32 i = 0; i < 3 && request == frAccept; ++i) {
    u8 bytes[TFightAction::StreamSize];
    fight.Actions[first + i].Write(bytes);
    for (i32 w = 0; w < 4; ++w) {
      u32 word = 0;
      for (i32 b = 0; b < 4; ++b) word |= u32{bytes[4 * w + b]} << (8 * b);
      r.Words[2 + 4 * i + w] = word;
    }
  }
  return r;
}

namespace {

void PostToCurrent(const TActionRecord& r) {
  if (TPlayer* p = Game ? Game->CurrentPlayer() : nullptr) p->PostAction(true, r);
}

}  // namespace

void TFightDialog::PostOrders() {
  if (OrdersPosted || !Fight.Attacker || !Fight.Defender) return;
  OrdersPosted = 1;
  PostToCurrent(FillOrdersRecord(Fight, frAccept, State == 0 ? 0 : 3));
}

void TFightDialog::Accept() {
  if (MarkerMode || !AcceptButton->IsVisible() || !AcceptButton->IsEnabled()) return;
  PostOrders();
}

void TFightDialog::Retreat() {
  if (MarkerMode || OrdersPosted || !RetreatButton->IsVisible() || !RetreatButton->IsEnabled()) return;
  OrdersPosted = 1;
  PostToCurrent(FillOrdersRecord(Fight, frRetreat, 0));
}

void TFightDialog::AutoOrders() {
  if (MarkerMode || !AutoButton->IsVisible() || !AutoButton->IsEnabled()) return;
  Request = frAutomatic;
}

void TFightDialog::UpdateButtons() {
  const bool on = Fight.Attacker && Fight.Defender && IsPhaseLocal() && !Fight.IsAttackerDefeated() &&
                  !Fight.IsDefenderDefeated() && !AutoFlag;
  const bool retreat = on && State == 0 && Fight.Attacker->CanRetreat();
  for (DXWin::TDXButton* b : {AcceptButton, AutoButton, RetreatButton}) {
    const bool shown = b == RetreatButton ? retreat : on;
    b->SetVisible(shown);
    b->SetEnabled(shown);
  }
}

void TFightDialog::PollNetwork() {
  TScenario* s = Game ? Game->Scenario.get() : nullptr;
  DPFrame::TDPFramework* network = s ? s->Transport() : nullptr;
  if (!network) return;
  DPFrame::DPID from = 0;
  std::vector<u8> data;
  try {
    if (!network->Receive(&from, s->NetworkPlayerID, Plat::DPRECEIVE_TOPLAYER, data)) return;
  } catch (const DPFrame::EDirectPlayError& e) {
    s->LoseSession(std::string("Network game ended: ") + e.what() + ".");
    return;
  }
  TRemoteContext context;
  context.MapWidth = s->Width;
  context.MapHeight = s->Height;
  context.PlayerCount = s->PlayerCount();
  context.ActionCounter = s->ActionCounter;
  TActionMessage message;
  std::string reason;
  switch (JudgeRemoteMessage(from, std::span<const u8>(data), context, message, reason)) {
    case TRemoteVerdict::Ignore: return;
    case TRemoteVerdict::EndSession: s->LoseSession(reason); return;
    case TRemoteVerdict::Replay: break;
  }
  // Only a side's orders can come while it gives them.
  if (message.Record.Type() != atBattleOrders) return;
  if (TPlayer* p = Game->CurrentPlayer()) p->PostAction(false, message.Record);
}

// Input.

i32 TFightDialog::HitTest(i32 x, i32 y) const {
  for (i32 c = 0; c < CombatantCount; ++c) {
    if (!Fight.IsCombatantAlive(c)) continue;
    const i32 sx = ScreenX(c), sy = ScreenY(c);
    if (sx - 20 <= x && x < sx + 20 && sy - 20 <= y && y < sy + 20) return c;
  }
  return -1;
}

void TFightDialog::ClickCombatant(i32 c) {
  if (MarkerMode || !Fight.IsCombatantAlive(c) || AutoFlag || !IsPhaseLocal()) return;
  const bool attackers = State == 0;
  const bool selectedOwn = Selected >= 0 && OwnSide(Selected);
  if (ArmedSpell > 0 && Selected >= 0) {
    if (Fight.IsValidSpellTarget(Selected, ArmedSpell, c)) {
      Fight.SetSpellAction(Selected, c, ArmedSpell);
      ArmedSpell = 0;
    }
    return;
  }
  if (!selectedOwn) {
    if (OwnSide(c)) Selected = c;
    return;
  }
  const bool canAttack = Fight.UnitOf(Selected)->CanAttack();
  if (!attackers && !canAttack) {
    Game->AddMessage("Nicht gen\xFCgend Aktionspunkte!");
    return;
  }
  if (!OwnSide(c)) {
    if (canAttack)
      Fight.SetAttackAction(Selected, c);
    else
      Game->AddMessage("Nicht gen\xFCgend Aktionspunkte!");
  } else if (c == Selected) {
    Fight.ClearAction(Selected);
  } else if (!attackers) {
    Fight.SetProtectAction(Selected, c);
  }
}

void TFightDialog::CancelCombatant(i32 c) {
  if (MarkerMode || AutoFlag || !IsPhaseLocal()) return;
  if (ArmedSpell > 0)
    ArmedSpell = 0;
  else if (Selected >= 0)
    Selected = -1;
  else if (c >= 0 && c < CombatantCount && OwnSide(c) && Fight.IsCombatant(c))
    Fight.ClearAction(c);
}

void TFightDialog::SetHovered(i32 c) {
  if (State >= 2) return;
  Hovered = Fight.IsCombatantAlive(c) ? c : -1;
}

void TFightDialog::OpenSpellBook(i32 c) {
  if (MarkerMode || State > 1 || !Fight.IsCombatantAlive(c) || !OwnSide(c) || !WindowSystem) return;
  Selected = c;
  auto* book = new TSpellSelectDialog(WindowSystem);
  book->SetUnit(Fight.UnitOf(c), SpellUsageBattle);
  book->Flags |= DXWin::wfFreeOnClose;
  const i32 result = book->ShowModal(false);
  ArmedSpell = result > SpellResultBase ? result - SpellResultBase : 0;
}

void TFightDialog::FightMouseDown(int button, DXWin::TShiftState, int x, int y) {
  if (MarkerMode) return;
  const i32 c = HitTest(x, y);
  if (button == DXWin::mbLeft)
    ClickCombatant(c);
  else if (button == DXWin::mbRight)
    CancelCombatant(c);
}

Gfx::TSprite* TFightDialog::CursorSprite(i32 slot) const {
  return Data2::MainData ? Data2::MainData->InterfaceSprites[slot] : nullptr;
}

void TFightDialog::FightMouseMove(DXWin::TShiftState, int x, int y) {
  if (MarkerMode || State > 1) return;
  const i32 h = HitTest(x, y);
  SetHovered(h);
  i32 cursor = CursorNormal;
  if (Selected >= 0 && ArmedSpell > 0)
    cursor = h >= 0 && Fight.IsValidSpellTarget(Selected, ArmedSpell, h) ? CursorTargetAllowed : CursorTargetRefused;
  else if (Selected >= 0 && h >= 0 && (Selected < 3) != (h < 3))
    cursor = CursorAttack;
  else if (Selected >= 3 && h >= 3)
    cursor = CursorProtect;
  SetCursor(CursorSprite(cursor));
}

void TFightDialog::FightKeyDown(Plat::WPARAM& key, DXWin::TShiftState shift) {
  if (!Game || (shift & (DXWin::ssShift | DXWin::ssCtrl | DXWin::ssAlt))) return;
  TShortcutKey* keys = Game->Shortcuts;
  for (i32 i = 0; i < CombatantCount; ++i)
    if (keys[scCombatant1 + i].Matches(key)) {
      ClickCombatant(i);
      break;
    }
  if (keys[scTakeBack].Matches(key)) CancelCombatant(Selected);
  if (keys[scBattleSpellBook].Matches(key)) OpenSpellBook(Selected);
  if (keys[scAutomaticOrders].Matches(key)) AutoOrders();
  if (keys[scRetreat].Matches(key)) Retreat();
  if (keys[scAcceptOrders].Matches(key)) Accept();
}

i32 TFightDialog::PanelOf(const DXWin::TDXControl* control) const {
  for (i32 k = 0; k < CombatantCount; ++k)
    if (Panels[k] && (control == Panels[k]->PortraitButton || control == Panels[k]->SpellButton)) return k;
  return -1;
}

void TFightDialog::PortraitClick(DXWin::TDXControl* button) {
  const i32 k = PanelOf(button);
  if (k >= 0) FightMouseDown(DXWin::mbLeft, 0, ScreenX(k), ScreenY(k));
}

void TFightDialog::SpellBookClick(DXWin::TDXControl* button) {
  const i32 k = PanelOf(button);
  if (k >= 0) OpenSpellBook(k);
}

void TFightDialog::ButtonClick(DXWin::TDXControl* button) {
  if (button == AcceptButton)
    Accept();
  else if (button == AutoButton)
    AutoOrders();
  else if (button == RetreatButton)
    Retreat();
}

}  // namespace Main
