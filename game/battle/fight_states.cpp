// The battle screen's round, one update step at a time: the order phases,
// the spells one caster after the other, the approach, the blows of both
// sides with their hit reactions and deaths, and the end of the round. The
// rules stay with the battle record; this decides when each applies.
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "combat/spell.h"
#include "engine/athread/action_thread.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/button.h"
#include "game/battle/fight_dialog.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

using namespace GameData;

namespace {

// How long the pause before the round and the end of the round last, and
// how long units may walk toward their targets.
constexpr u32 PauseTicks = 50, EndTicks = 50, WalkTicks = 500;

void ResetAppTiming() {
  if (DXApplication) DXApplication->ResetTiming = 1;
}

bool HasFreshWound(const TUnit* u) {
  for (i32 i = 0; i < u->Wounds.Count(); ++i)
    if (u->Wounds[i].Age == 0) return true;
  return false;
}

}  // namespace

i32 FacingTo(i32 x1, i32 y1, i32 x2, i32 y2) {
  const f32 dx = static_cast<f32>(x2 - x1), dy = static_cast<f32>(y1 - y2);
  const f32 distance = std::sqrt(dx * dx + dy * dy);
  if (distance == 0.0f) return 0;
  f32 angle = std::acos(dx / distance);
  if (dy < 0) angle = 2.0f * 3.14159265f - angle;
  i32 s = static_cast<i32>(angle / 0.3926991f);
  if (s < 1) s += 16;
  static constexpr i32 Table[8] = {3, 4, 5, 6, 7, 0, 1, 2};
  const i32 index = std::clamp((s - 1) / 2, 0, 7);
  return Table[index];
}

// The update step.

void TFightDialog::FightUpdate(DXWin::TDXControl*) {
  if (MarkerMode) {
    UpdateMarker();
    return;
  }
  ServeSounds();
  if (!Fight.Attacker || !Fight.Defender) return;
  if (Fight.Attacker->Scenario->SessionLost) {
    End();
    return;
  }
  RefreshPanels();
  switch (State) {
    case 0:
    case 1:
      OrderPhase();
      break;
    case 2:
      if (StateFrame == 1) {
        Hovered = Selected = -1;
        for (TUnitInfoControl* p : Panels) {
          p->PortraitButton->Disable();
          p->SpellButton->Disable();
          p->Hoverable = 0;
        }
      }
      UpdateIdle();
      if (StateFrame >= PauseTicks) NextState();
      break;
    case 3:
      StatusText = "Der Kampf beginnt...";
      delete CurrentSpell;
      delete PreparedSpell;
      CurrentSpell = PreparedSpell = nullptr;
      BuildActingQueue();
      NextState();
      break;
    case 4:
      ExecuteSpells();
      break;
    case 5:
      Fight.ResolveProtectOrders();
      NextState();
      break;
    case 6:
      for (i32 c = 0; c < CombatantCount; ++c) {
        TUnitData& u = Units[c];
        u.LastCellX = u.LastCellY = u.BeforeLastCellX = u.BeforeLastCellY = -1;
        u.Target = Fight.IsCombatantAlive(c) && Fight.Actions[c].Kind == fakAttack ? Fight.Actions[c].Target : -1;
      }
      LoadSprites(UnitWalkLoaded, 0, CombatantCount);
      ResetAppTiming();
      NextState();
      break;
    case 7:
      Approach();
      break;
    case 8:
    case 12:
      StartBlows(State == 8);
      NextState();
      break;
    case 9:
    case 13:
      UpdateIdle();
      if (!Blows(State == 9)) NextState();
      break;
    case 10:
    case 14:
      EndBlows(State == 10);
      NextState();
      break;
    case 11:
    case 15: {
      const bool hits = UpdateHits();
      UpdateIdle();
      if (UpdateDeaths() && hits) NextState();
      break;
    }
    default:
      EndRound();
      break;
  }
  // The battle may have ended in this step.
  if (!Fight.Attacker) return;
  ++StateFrame;
  ++FrameClock;
  Fight.ReloadUnitSprites();
}

void TFightDialog::NextState() {
  AutoFlag = 0;
  StateFrame = 0;
  State = std::min(State + 1, FightLastState);
  UpdateButtons();
}

void TFightDialog::RefreshPanels() {
  for (i32 k = 0; k < CombatantCount; ++k) {
    TUnitInfoControl* p = Panels[k];
    p->Marked = (k == Hovered || k == Selected) && State < 2 ? 1 : 0;
    TUnit* u = Fight.UnitOf(k);
    const bool book = ((State == 0 && IsAttackerLocal() && k < 3) || (State == 1 && IsDefenderLocal() && k >= 3)) &&
                      u && u->HasCastableSpell();
    p->SpellButton->SetVisible(book);
  }
}

void TFightDialog::OrderPhase() {
  const bool attackers = State == 0;
  const i32 own = attackers ? 0 : 3, opposing = 3 - own;
  const i32 ownCount = attackers ? Fight.AttackerCount() : Fight.DefenderCount();
  const i32 opposingCount = attackers ? Fight.DefenderCount() : Fight.AttackerCount();
  const bool local = IsPhaseLocal();
  for (i32 i = 0; i < std::min(ownCount, 3); ++i) {
    TUnitInfoControl* p = Panels[own + i];
    TUnit* u = Fight.UnitOf(own + i);
    p->SpellButton->SetEnabled(u && u->HasCastableSpell());
    p->PortraitButton->Enable();
    p->Hoverable = 1;
  }
  for (i32 i = 0; i < std::min(opposingCount, 3); ++i) {
    TUnitInfoControl* p = Panels[opposing + i];
    if (local && !AutoFlag) {
      p->PortraitButton->Enable();
      p->Hoverable = 1;
    } else {
      p->SpellButton->Disable();
      p->PortraitButton->Disable();
      p->Hoverable = 0;
    }
  }
  switch (Request) {
    case frAccept:
      Request = frNone;
      Selected = -1;
      ArmedSpell = 0;
      NextState();
      return;
    case frRetreat:
      Request = frNone;
      if (!attackers) break;
      Fight.Attacker->PayRetreatCost();
      End();
      return;
    case frAutomatic:
      Request = frNone;
      AutoFlag = 1;
      Selected = -1;
      UpdateButtons();
      break;
    default: break;
  }
  if (local && !AutoFlag) {
    if (ArmedSpell > 0)
      StatusText = "Ziel f\xFCr den Zauber w\xE4hlen";
    else if (Selected >= 0)
      StatusText = "Gew\xE4hlter Einheit Befehle geben";
    else
      StatusText = attackers ? "Angreifenden Einheiten Befehle geben " : "Verteidigenden Einheiten Befehle geben";
    for (i32 i = 0; i < std::min(ownCount, 3); ++i) {
      TUnitInfoControl* p = Panels[own + i];
      const bool alive = Fight.IsCombatantAlive(own + i);
      if (!alive) p->SpellButton->Hide();
      p->SpellButton->SetEnabled(alive);
      p->PortraitButton->SetEnabled(alive);
      p->Hoverable = alive ? 1 : 0;
    }
    if (!attackers && !Fight.Defender->CanAttack()) PostOrders();
  } else {
    StatusText = attackers ? "Computer vergibt Befehle f\xFCr Angreifer" : "Computer vergibt Befehle f\xFCr verteidiger";
    for (i32 i = 0; i < std::min(ownCount, 3); ++i) {
      TUnitInfoControl* p = Panels[own + i];
      p->SpellButton->Disable();
      p->PortraitButton->Disable();
      p->Hoverable = 0;
    }
    const bool computer = attackers ? IsAttackerComputer() : IsDefenderComputer();
    // The host of a network game decides a side without an owner for every machine.
    const bool ownerless = !(attackers ? Fight.Attacker : Fight.Defender)->GetOwner() && !IsSideFromPeer(attackers);
    if (computer || ownerless || AutoFlag) {
      if (!Fight.HasOrderThread()) {
        if (!OrdersPosted) {
          if (attackers)
            Fight.StartAttackerOrders();
          else
            Fight.StartDefenderOrders();
        }
      } else if (!Fight.IsOrderThreadRunning()) {
        Fight.OrderThread->Stop();
        const bool succeeded = Fight.OrderThread->Succeeded != 0;
        const std::string message = Fight.OrderThread->ErrorMessage;
        Fight.FreeOrderThread();
        if (!succeeded) throw std::runtime_error(message);
        PostOrders();
      }
    } else if (!IsCurrentPlayerRemote()) {
      PollNetwork();
    }
  }
  UpdateIdle();
}

// The acting queue and the spells.

void TFightDialog::BuildActingQueue() {
  ActingQueue.Clear();
  const TSpellPrototype* spells[CombatantCount] = {};
  for (i32 c = 0; c < CombatantCount; ++c)
    if (Fight.IsCombatant(c) && Fight.Actions[c].Kind == fakSpell) spells[c] = FindSpell(Fight.Actions[c].Spell);
  for (i32 spellClass : {1, 3, 2})
    for (i32 first : {0, 3})
      for (i32 level = 1; level <= 8; ++level)
        for (i32 c = first; c < first + 3; ++c) {
          const TSpellPrototype* p = spells[c];
          if (p && Fight.IsCombatantAlive(c) && Fight.UnitOf(c)->CanCastSpell(p) && p->Class == spellClass &&
              p->Level == level)
            ActingQueue.Add(c);
        }
}

void TFightDialog::PrepareSpell() {
  const i32 c = ActingQueue[0];
  const TFightAction& order = Fight.Actions[c];
  auto* spell = new TSpell();
  spell->Scenario = Fight.Attacker->Scenario;
  spell->Init(FindSpell(order.Spell), SFXVolume);
  PreparedSpell = spell;
  const TUnitData& u = Units[c];
  const i32 t = order.Target >= 0 && order.Target < CombatantCount ? order.Target : c;
  const i32 facing =
      FacingTo(CellOf(u.X), CellOf(u.Y), CellOf(Units[t].X), CellOf(Units[t].Y));
  Fight.UnitOf(c)->LoadFightCastSprite(facing);
  Units[c].SpriteFlags |= UnitCastLoaded;
}

void TFightDialog::FinishSpellWorker() {
  if (!SpellWorker) return;
  SpellWorker->Stop();
  const bool succeeded = SpellWorker->Succeeded != 0;
  const std::string message = SpellWorker->ErrorMessage;
  delete SpellWorker;
  SpellWorker = nullptr;
  if (!succeeded) throw std::runtime_error(message);
}

void TFightDialog::Turn(TUnitData& u, i32 wanted) {
  const i32 a = (wanted - u.Facing + 8) % 8, b = (u.Facing - wanted + 8) % 8;
  u.Facing = (u.Facing + (a <= b ? 1 : 7)) % 8;
}

void TFightDialog::ExecuteSpells() {
  if (ActingQueue.Count() > 0) {
    const i32 c = ActingQueue[0];
    TUnitData& u = Units[c];
    TUnit* unit = Fight.UnitOf(c);
    const TFightAction& order = Fight.Actions[c];
    const TSpellPrototype* proto = FindSpell(order.Spell);
    bool go = true;
    if (!CurrentSpell) {
      go = u.Anim == faCasting ||
           (Fight.IsCombatantAlive(c) && order.Kind == fakSpell && proto && unit->CanCastSpell(proto));
      if (!go) {
        FinishSpellWorker();
        delete PreparedSpell;
        PreparedSpell = nullptr;
        ActingQueue.Delete(0);
      }
    }
    if (go && !CurrentSpell) {
      if (!SpellWorker && !PreparedSpell) {
        SpellWorker = new TActionThread();
        SpellWorker->SetMethod([this] { PrepareSpell(); });
        SpellWorker->Start(0);
      }
      if (SpellWorker && SpellWorker->IsRunning()) {
        go = false;
      } else if (SpellWorker) {
        FinishSpellWorker();
      }
    }
    if (go && !CurrentSpell) {
      const i32 t = order.Target;
      const i32 wanted = Fight.IsCombatant(t) ? FacingTo(CellOf(u.X), CellOf(u.Y), CellOf(Units[t].X), CellOf(Units[t].Y))
                                              : u.Facing;
      const i32 n = AnimFrames(unit->SpriteOf(FightCast, u.Facing));
      if (u.Anim != faCasting) {
        if (u.Facing != wanted) {
          if (StateFrame % 12 == 0) Turn(u, wanted);
        } else {
          u.Target = t;
          u.Anim = faCasting;
          u.Frame = 0;
          SpellDecided = 0;
        }
      }
      if (u.Anim == faCasting) {
        if (!SpellDecided && u.Frame >= n / 2) {
          SpellDecided = 1;
          Fight.PaySpellCost(c, nullptr);
          if (Fight.SpellTakesEffect(c, nullptr, false)) {
            CurrentSpell = PreparedSpell;
            PreparedSpell = nullptr;
            const i32 target = Fight.IsCombatant(t) ? t : c;
            CurrentSpell->Start(u.X, u.Y, Units[target].X, Units[target].Y);
          } else if (Data2::GlobalData) {
            QueueSound(Data2::GlobalData->InterfaceSounds[3], SFXVolume);
          }
        }
        if (u.Frame >= std::max(n, 1)) {
          u.Anim = faStanding;
          u.Frame = 0;
          if (!CurrentSpell) {
            ActingQueue.Delete(0);
            delete PreparedSpell;
            PreparedSpell = nullptr;
          }
          unit->ReleaseFightCastSprite();
          u.SpriteFlags &= ~UnitCastLoaded;
        } else if (StateFrame % 10 == 0) {
          ++u.Frame;
        }
      }
    } else if (CurrentSpell) {
      if (u.Anim == faCasting) {
        const i32 n = AnimFrames(unit->SpriteOf(FightCast, u.Facing));
        if (StateFrame % 10 == 0) ++u.Frame;
        if (u.Frame >= n) {
          u.Anim = faStanding;
          u.Frame = 0;
          unit->ReleaseFightCastSprite();
          u.SpriteFlags &= ~UnitCastLoaded;
        }
      }
      CurrentSpell->Tick();
      if (CurrentSpell->EffectFlag && proto) {
        Fight.ApplySpellEffect(c, proto);
        ShowNewUnits();
        UpdateHits();
      }
      if (CurrentSpell->Finished && (u.Anim == faStanding || u.Anim == faDead || u.Anim == faDying)) {
        delete CurrentSpell;
        CurrentSpell = nullptr;
        ActingQueue.Delete(0);
        StateFrame = 0;
      }
    }
  }
  UpdateIdle();
  const bool nobodyDying = UpdateDeaths();
  UpdateHits();
  if (ActingQueue.Count() == 0 && nobodyDying && !SpellWorker) NextState();
}

// Approach.

i32 TFightDialog::OccupiedCellX(i32 c) const {
  const TUnitData& u = Units[c];
  const i32 step = u.Anim == faStanding ? 0 : DirectionStepX[u.Facing & 7];
  return step > 0 ? CellOf(u.X - 32) + 1 : step < 0 ? CellOf(u.X - 33) : CellOf(u.X);
}

i32 TFightDialog::OccupiedCellY(i32 c) const {
  const TUnitData& u = Units[c];
  const i32 step = u.Anim == faStanding ? 0 : DirectionStepY[u.Facing & 7];
  return step > 0 ? CellOf(u.Y - 32) + 1 : step < 0 ? CellOf(u.Y - 33) : CellOf(u.Y);
}

i32 TFightDialog::NextStep(i32 c, i32 targetCellX, i32 targetCellY) const {
  const TUnitData& u = Units[c];
  const i32 cx = CellOf(u.X), cy = CellOf(u.Y);
  auto blocked = [&](i32 x, i32 y) {
    for (i32 o = 0; o < CombatantCount; ++o)
      if (o != c && Fight.IsCombatantAlive(o) && OccupiedCellX(o) == x && OccupiedCellY(o) == y) return true;
    return false;
  };
  for (i32 pass = 1; pass <= 3; ++pass) {
    i32 best = -1, bestDistance = 1000000;
    for (i32 d = 0; d < 8; ++d) {
      const i32 x = cx + DirectionStepX[d], y = cy + DirectionStepY[d];
      if (blocked(x, y)) continue;
      const bool last = x == u.LastCellX && y == u.LastCellY;
      const bool beforeLast = x == u.BeforeLastCellX && y == u.BeforeLastCellY;
      if (pass == 1 && (last || beforeLast)) continue;
      if (pass == 2 && x != u.BeforeLastCellX && y != u.BeforeLastCellY) continue;
      if (pass == 3 && x != u.LastCellX && y != u.LastCellY) continue;
      const i32 dx = x - targetCellX, dy = y - targetCellY;
      if (dx * dx + dy * dy < bestDistance) {
        bestDistance = dx * dx + dy * dy;
        best = d;
      }
    }
    if (best >= 0) return best;
  }
  return 0;
}

void TFightDialog::Approach() {
  bool done = true;
  for (i32 c = 0; c < CombatantCount; ++c) {
    TUnitData& u = Units[c];
    if (!Fight.IsCombatantAlive(c) || u.Target < 0 || !Fight.IsCombatant(u.Target)) continue;
    const i32 tx = OccupiedCellX(u.Target), ty = OccupiedCellY(u.Target);
    if (u.Anim == faStanding) {
      const i32 cx = CellOf(u.X), cy = CellOf(u.Y);
      if (!IsAdjacent(cx, cy, tx, ty) && StateFrame < WalkTicks) {
        u.Facing = NextStep(c, tx, ty);
        u.Anim = faWalking;
        u.Frame = 0;
        done = false;
      } else {
        const i32 wanted = FacingTo(cx, cy, CellOf(Units[u.Target].X), CellOf(Units[u.Target].Y));
        if (u.Facing != wanted) {
          done = false;
          if (StateFrame % 12 == 0) u.Facing = (u.Facing + ((wanted - u.Facing + 8) % 8 < 4 ? 1 : 7)) % 8;
        }
      }
    } else if (u.Anim == faWalking) {
      done = false;
      u.X += DirectionStepX[u.Facing & 7];
      u.Y += DirectionStepY[u.Facing & 7];
      if (StateFrame % 6 == 0) ++u.Frame;
      if (((u.X % 64) + 64) % 64 == 32 && ((u.Y % 64) + 64) % 64 == 32) {
        const i32 cx = CellOf(u.X), cy = CellOf(u.Y);
        if (!IsAdjacent(cx, cy, tx, ty) && StateFrame < WalkTicks) {
          u.Facing = NextStep(c, tx, ty);
          u.BeforeLastCellX = u.LastCellX;
          u.BeforeLastCellY = u.LastCellY;
          u.LastCellX = cx;
          u.LastCellY = cy;
        } else {
          u.Facing = FacingTo(cx, cy, CellOf(Units[u.Target].X), CellOf(Units[u.Target].Y));
          u.Anim = faStanding;
          u.Frame = 0;
        }
      }
    }
  }
  UpdateIdle();
  if (done) NextState();
}

// Blows.

void TFightDialog::LoadSprites(u32 flag, i32 first, i32 count) {
  for (i32 c = first; c < first + count; ++c) {
    TUnit* u = Fight.UnitOf(c);
    if (!u || !Fight.IsCombatantAlive(c)) continue;
    if (flag == UnitWalkLoaded) u->LoadFightWalkSprites();
    if (flag == UnitAttackLoaded) u->LoadFightAttackSprite(Units[c].Facing);
    Units[c].SpriteFlags |= flag;
  }
}

void TFightDialog::ReleaseSprites(u32 flag, i32 first, i32 count) {
  for (i32 c = first; c < first + count; ++c) {
    TUnit* u = Fight.UnitOf(c);
    if (!u || !(Units[c].SpriteFlags & flag)) continue;
    if (flag == UnitWalkLoaded) u->ReleaseFightWalkSprites();
    if (flag == UnitAttackLoaded) u->ReleaseFightAttackSprite();
    Units[c].SpriteFlags &= ~flag;
  }
}

void TFightDialog::StartBlows(bool attackers) {
  const i32 first = attackers ? 0 : 3;
  if (attackers) ReleaseSprites(UnitWalkLoaded, 0, CombatantCount);
  for (i32 c = first; c < first + 3; ++c) {
    TUnit* u = Fight.UnitOf(c);
    if (!u) continue;
    if (!Fight.IsCombatantAlive(c)) {
      Fight.Actions[c].Kind = fakNone;
      continue;
    }
    if (Fight.Actions[c].Kind != fakAttack) continue;
    LoadSprites(UnitAttackLoaded, c, 1);
    Units[c].Anim = faAttacking;
    Units[c].Frame = 0;
    if (u->Prototype) QueueSound(u->Prototype->AttackSound, SFXVolume);
  }
  ResetAppTiming();
}

bool TFightDialog::Blows(bool attackers) {
  bool any = false;
  for (i32 c = attackers ? 0 : 3; c < (attackers ? 3 : 6); ++c) {
    TUnitData& d = Units[c];
    TUnit* u = Fight.UnitOf(c);
    if (!u || d.Anim != faAttacking) continue;
    if (StateFrame % 6 == 0) ++d.Frame;
    if (d.Frame >= AnimFrames(u->SpriteOf(FightAttack, d.Facing))) {
      const TUnit* target = Fight.UnitOf(Fight.Actions[c].Target);
      const i32 a = u->Prototype ? u->Prototype->WeaponKind : 0;
      const i32 b = target && target->Prototype ? target->Prototype->ArmourKind : 0;
      if (a > 0 && a < 5 && b > 0 && b < 4 && Data2::GlobalData)
        QueueSound(Data2::GlobalData->InterfaceSounds[3 + 3 * a + b], SFXVolume);
      d.Anim = faStanding;
      d.Frame = 0;
    } else {
      any = true;
    }
  }
  return any;
}

void TFightDialog::EndBlows(bool attackers) {
  ReleaseSprites(UnitAttackLoaded, attackers ? 0 : 3, 3);
  ResetAppTiming();
  if (attackers)
    Fight.ExecuteAttackerAttacks();
  else
    Fight.ExecuteDefenderAttacks();
  UpdateHits();
}

void TFightDialog::EndRound() {
  if (!Fight.IsAttackerDefeated() && !Fight.IsDefenderDefeated() && Fight.Attacker->CanAttack()) {
    State = 0;
    ++Rounds;
    Fight.ClearActions();
    OrdersPosted = 0;
    UpdateButtons();
    return;
  }
  if (StateFrame >= EndTicks) End();
}

// Reactions and the standing animation.

bool TFightDialog::UpdateHits() {
  bool none = true;
  for (i32 c = 0; c < CombatantCount; ++c) {
    if (!Fight.IsCombatantAlive(c)) continue;
    TUnitData& d = Units[c];
    const TUnit* u = Fight.UnitOf(c);
    if (d.Anim == faStanding && HasFreshWound(u)) {
      d.Anim = faHit;
      d.Frame = 0;
    }
    if (d.Anim != faHit) continue;
    if (!u->SpriteOf(FightDie, d.Facing)) {
      d.Anim = faStanding;
      d.Frame = 0;
      continue;
    }
    if (StateFrame % 4 == 0 && StateFrame > 0) ++d.Frame;
    if (d.Frame >= 3) {
      d.Anim = faStanding;
      d.Frame = 0;
    } else {
      none = false;
    }
  }
  return none;
}

bool TFightDialog::UpdateDeaths() {
  bool none = true;
  for (i32 c = 0; c < CombatantCount; ++c) {
    TUnit* u = Fight.UnitOf(c);
    if (!u) continue;
    TUnitData& d = Units[c];
    if (u->IsDead() && d.Anim != faDying && d.Anim != faDead) {
      d.Anim = faDying;
      d.Frame = 0;
      if (u->Prototype)
        for (TAudioStream* sound : u->Prototype->DeathSounds) QueueSound(sound, SFXVolume);
    }
    if (d.Anim != faDying) continue;
    const i32 n = AnimFrames(u->SpriteOf(FightDie, d.Facing));
    if (n <= 0) {
      d.Anim = faDead;
      d.Frame = 0;
      continue;
    }
    if (StateFrame % 8 == 0) ++d.Frame;
    if (d.Frame >= n) {
      d.Anim = faDead;
      d.Frame = n - 1;
    } else {
      none = false;
    }
  }
  return none;
}

void TFightDialog::UpdateIdle() {
  for (i32 c = 0; c < CombatantCount; ++c) {
    if (!Fight.IsCombatantAlive(c) || Units[c].Anim != faStanding) continue;
    const TUnit* u = Fight.UnitOf(c);
    TUnitData& d = Units[c];
    const TUnitPrototype* p = u->Prototype;
    const i32 n = AnimFrames(u->SpriteOf(FightStand, d.Facing));
    const u32 speed = p ? p->IdlePeriod : 0;
    const i32 mode = p ? p->IdleMode : 0;
    if (mode == 0 || n < 1 || speed < 1) {
      d.Frame = 0;
      continue;
    }
    if (FrameClock % speed != 0) continue;
    if (mode == 1 || d.Frame > 0)
      d.Frame = (d.Frame + 1) % n;
    else if (mode == 2 && std::rand() % 30 == 0)
      d.Frame = 1 % n;
  }
}

// Sounds.

void TFightDialog::QueueSound(TAudioStream* sound, i32 volume) {
  if (!sound) return;
  Sounds.Add({static_cast<u32>(std::rand() % 15), static_cast<u32>(volume), sound});
}

void TFightDialog::ServeSounds() {
  for (i32 i = Sounds.Count() - 1; i >= 0; --i) {
    if (Sounds[i].Delay == 0) {
      PlaySound(Sounds[i].Sound, static_cast<i32>(Sounds[i].Volume));
      Sounds.Delete(i);
    } else {
      --Sounds[i].Delay;
    }
  }
}

}  // namespace Main
