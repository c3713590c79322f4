#include "combat/fight_orders.h"

#include <cmath>
#include <memory>
#include <vector>

#include "engine/data/object_list.h"
#include "world/scenario/random.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

using TUnitList = Data::TObjectList<TUnit>;

struct TChoice {
  TUnit* Actor;
  TUnit* Target;
  i32 Spell;
};

// Backups of units' combat state, put back in one go.
class TStateBackup {
 public:
  void Keep(TUnit* unit) {
    auto copy = std::make_unique<TUnit>();
    copy->RecordWounds = 0;
    copy->CopyCombatState(unit);
    Items.push_back({unit, std::move(copy)});
  }
  void PutBack() {
    for (auto& [unit, copy] : Items) unit->CopyCombatState(copy.get());
  }

 private:
  std::vector<std::pair<TUnit*, std::unique_ptr<TUnit>>> Items;
};

TUnit* LowestDefence(const TUnitList& targets) {
  TUnit* best = nullptr;
  for (TUnit* t : targets)
    if (!t->IsDead() && (!best || t->Effective.Defence.Current < best->Effective.Defence.Current)) best = t;
  return best ? best : (targets.Count() > 0 ? targets[0] : nullptr);
}

void PlanOrders(TFight* fight, bool attackerSide, bool allowSpells) {
  TGroup* own = attackerSide ? fight->Attacker : fight->Defender;
  TGroup* other = attackerSide ? fight->Defender : fight->Attacker;
  const bool counter = !attackerSide;
  const i32 first = attackerSide ? 0 : 3;
  TUnitList targets(false), actors(false);
  if (other)
    for (i32 i = 0; i < other->GetUnitCount(); ++i) {
      TUnit* u = other->Units[i];
      if (u->IsDead()) continue;
      u->SortKey = u->Effective.Defence.Current;
      targets.Add(u);
    }
  targets.Sort(CompareSortKeyAscending);
  if (own)
    for (i32 i = 0; i < own->GetUnitCount() && i < 3; ++i) {
      TUnit* u = own->Units[i];
      if (u->IsDead() || !u->CanAttack()) {
        fight->ClearAction(first + i);
        continue;
      }
      u->SortKey = u->Effective.Mana.Current;
      actors.Add(u);
    }
  actors.Sort(CompareSortKeyDescending);

  TStateBackup backup;
  for (TUnit* u : targets) backup.Keep(u);
  for (TUnit* u : actors) backup.Keep(u);
  fight->SaveActions();
  std::vector<TChoice> choices;
  for (TUnit* actor : actors) {
    i32 best = 0, bestSpell = -1;
    TUnit* bestTarget = nullptr;
    for (TUnit* target : targets) {
      if (target->IsDead()) continue;
      for (i32 s = -1; s < (allowSpells ? 64 : 0); ++s) {
        i32 v = ScoreAction(actor, target, counter, fight, s);
        if (v > best) best = v, bestSpell = s, bestTarget = target;
      }
    }
    if (best > 0) {
      SimulateAction(actor, bestTarget, counter, fight, bestSpell);
    } else {
      bestTarget = LowestDefence(targets);
      bestSpell = -1;
    }
    if (bestTarget) choices.push_back({actor, bestTarget, bestSpell});
  }
  fight->RestoreActions();
  backup.PutBack();
  for (const TChoice& c : choices) {
    i32 a = fight->FindCombatant(c.Actor), t = fight->FindCombatant(c.Target);
    if (a < 0 || t < 0) continue;
    if (c.Spell >= 0)
      fight->SetSpellAction(a, t, c.Spell + 64);
    else
      fight->SetAttackAction(a, t);
  }
}

// Copies the orders of one side of the private record into the real one.
void CopySide(const TFight& from, TFight* to, bool attackerSide) {
  const i32 first = attackerSide ? 0 : 3;
  const i32 count = attackerSide ? to->AttackerCount() : to->DefenderCount();
  for (i32 i = 0; i < count && i < 3; ++i) to->Actions[first + i] = from.Actions[first + i];
}

// Which combatants lived, and with how many hit points, before a trial round.
struct TBefore {
  TUnit* Unit[CombatantCount];
  i32 HP[CombatantCount];
  explicit TBefore(const TFight& f) {
    for (i32 i = 0; i < CombatantCount; ++i) {
      Unit[i] = f.UnitOf(i);
      HP[i] = Unit[i] ? Unit[i]->Effective.HitPoints.Current : 0;
    }
  }
};

// The lost share of a unit's hit points; a unit without any has lost none.
double LostShare(const TUnit* u, i32 before, i32 now) {
  i32 max = u->Effective.HitPoints.ValueAt(u->Effective.Level);
  if (max < 1) return 0.0;
  return static_cast<double>(before - now) / max;
}

i32 Truncate(double v) {
  if (!(v > -2e9 && v < 2e9)) return v > 0 ? 2000000000 : (v < 0 ? -2000000000 : 0);
  return static_cast<i32>(std::trunc(v));
}

template <class Valid, class Try>
void Enumerate(TFight* fight, bool attackerSide, Valid valid, Try attempt) {
  const i32 first = attackerSide ? 0 : 3;
  const i32 count = attackerSide ? fight->AttackerCount() : fight->DefenderCount();
  // Every trial round puts the units back as they were, so a unit's valid
  // choices stay the same throughout: listed once, target by target.
  struct TChoiceOf {
    i32 Spell, Target;
  };
  std::vector<TChoiceOf> choices[3];
  for (i32 unit = 0; unit < 3; ++unit) {
    const i32 spells = fight->IsCombatantAlive(first + unit) ? 64 : 0;
    for (i32 t = -1; t <= 5; ++t)
      for (i32 s = -1; s < spells; ++s)
        if (valid(unit, s, t)) choices[unit].push_back({s, t});
  }
  const bool third = count >= 3 && fight->IsCombatantAlive(first + 2);
  i32 o[6];
  for (const auto [s0, t0] : choices[0]) {
    if (count < 2) {
      o[0] = t0, o[1] = o[2] = -1, o[3] = s0, o[4] = o[5] = -1;
      attempt(o);
      continue;
    }
    for (const auto [s1, t1] : choices[1]) {
      if (!third) {
        o[0] = t0, o[1] = t1, o[2] = -1, o[3] = s0, o[4] = s1, o[5] = -1;
        attempt(o);
        continue;
      }
      for (const auto [s2, t2] : choices[2]) {
        o[0] = t0, o[1] = t1, o[2] = t2, o[3] = s0, o[4] = s1, o[5] = s2;
        attempt(o);
      }
    }
  }
}

void Fallback(TFight* fight, bool attackerSide) {
  const i32 own = attackerSide ? 0 : 3, enemy = attackerSide ? 3 : 0;
  i32 weakest = -1;
  for (i32 i = enemy; i < enemy + 3; ++i)
    if (fight->IsCombatantAlive(i) &&
        (weakest < 0 ||
         fight->UnitOf(i)->Effective.Defence.Current < fight->UnitOf(weakest)->Effective.Defence.Current))
      weakest = i;
  if (weakest < 0) return;
  for (i32 i = own; i < own + 3; ++i)
    if (fight->IsCombatantAlive(i) && fight->UnitOf(i)->CanAttack() && fight->Actions[i].Kind == fakNone)
      fight->SetAttackAction(i, weakest);
}

void ChooseComputerOrders(TFight* fight, bool attackerSide) {
  TScratchBattle scratch(*fight);
  TFight* f = &scratch.Fight;
  if (attackerSide)
    PlanDefenderOrders(f, true);
  else
    PlanAttackerOrders(f, true);
  TFightEvaluation best;
  best.Targets[0] = best.Targets[1] = best.Targets[2] = 0;
  best.Spells[0] = best.Spells[1] = best.Spells[2] = 0;
  best.Cost = 0.0;
  if (attackerSide)
    Enumerate(
        f, true, [f](i32 u, i32 s, i32 t) { return IsAttackerCandidateValid(f, u, s, t); },
        [f, &best](const i32* o) { TryAttackerCandidate(f, o, &best); });
  else
    Enumerate(
        f, false, [f](i32 u, i32 s, i32 t) { return IsDefenderCandidateValid(f, u, s, t); },
        [f, &best](const i32* o) { TryDefenderCandidate(f, o, &best); });
  const i32 orders[6] = {best.Targets[0], best.Targets[1], best.Targets[2],
                         best.Spells[0],  best.Spells[1],  best.Spells[2]};
  if (attackerSide) {
    fight->ClearActions();
    if (best.Benefit != 0.0) ApplyAttackerCandidate(fight, orders);
  } else if (best.Benefit != 0.0) {
    ApplyDefenderCandidate(fight, orders);
  } else {
    for (i32 i = 3; i < CombatantCount; ++i) fight->ClearAction(i);
  }
  Fallback(fight, attackerSide);
}

void TryCandidate(TFight* fight, const i32 orders[6], TFightEvaluation* best, bool attackerSide) {
  if (attackerSide)
    ApplyAttackerCandidate(fight, orders);
  else
    ApplyDefenderCandidate(fight, orders);
  fight->SaveUnitStates();
  fight->SaveActions();
  if (!attackerSide) fight->ResolveProtectOrders();
  TFightEvaluation r = attackerSide ? EvaluateAttackerRound(fight) : EvaluateDefenderRound(fight);
  fight->RestoreUnitStates();
  fight->RestoreActions();
  if (IsBetterEvaluation(r, *best)) {
    *best = r;
    for (i32 k = 0; k < 3; ++k) best->Targets[k] = orders[k], best->Spells[k] = orders[3 + k];
  }
}

}  // namespace

TScratchBattle::TScratchBattle(const TFight& real) {
  TGroup* sides[2] = {real.Attacker, real.Defender};
  for (i32 k = 0; k < 2; ++k) {
    if (!sides[k]) continue;
    Groups[k] = new TGroup(sides[k]->Scenario);
    Groups[k]->OwnerIndex = sides[k]->OwnerIndex;
    for (i32 i = 0; i < sides[k]->GetUnitCount(); ++i) {
      auto* copy = new TUnit;
      copy->CopyFrom(sides[k]->Units[i]);
      copy->RecordWounds = 0;
      Groups[k]->AddUnit(copy, false, false, false);
    }
  }
  Fight.Scratch = true;
  Fight.CacheSpells();
  Fight.SetGroups(Groups[0], Groups[1]);
}

TScratchBattle::~TScratchBattle() {
  for (TGroup* g : Groups) {
    if (!g) continue;
    for (TUnit*& u : g->Units) {
      delete u;
      u = nullptr;
    }
    delete g;
  }
}

i32 ScoreAction(TUnit* actor, TUnit* target, bool counter, TFight* fight, i32 s) {
  TStateBackup backup;
  backup.Keep(actor);
  backup.Keep(target);
  const i32 before = target->Effective.HitPoints.Current;
  SimulateAction(actor, target, counter, fight, s);
  const i32 damage = std::max(0, before - target->Effective.HitPoints.Current);
  const bool hero = target->Hero != 0;
  backup.PutBack();
  if (damage == before) return hero ? 150 : 100;
  return hero ? 2 * damage : damage;
}

void SimulateAction(TUnit* actor, TUnit* target, bool counter, TFight* fight, i32 s) {
  if (s < 0) {
    counter ? actor->SimulateCounterAttack(target) : actor->SimulateAttack(target);
    return;
  }
  const i32 a = fight->FindCombatant(actor), t = fight->FindCombatant(target);
  if (a < 0 || t < 0) return;
  fight->SetSpellAction(a, t, s + 64);
  const TSpellPrototype* spell = fight->Spell(s + 64);
  if (spell && fight->IsValidSpellTarget(a, s + 64, t) && fight->SpellTakesEffect(a, spell, true))
    fight->ApplySpellEffect(a, spell);
}

void PlanAttackerOrders(TFight* fight, bool allowSpells) { PlanOrders(fight, true, allowSpells); }
void PlanDefenderOrders(TFight* fight, bool allowSpells) { PlanOrders(fight, false, allowSpells); }

void ChooseAttackerOrders(TFight* fight, bool allowSpells) {
  TScratchBattle scratch(*fight);
  PlanAttackerOrders(&scratch.Fight, allowSpells);
  CopySide(scratch.Fight, fight, true);
}

void ChooseDefenderOrders(TFight* fight, bool allowSpells) {
  TScratchBattle scratch(*fight);
  PlanDefenderOrders(&scratch.Fight, allowSpells);
  CopySide(scratch.Fight, fight, false);
}

void ChooseComputerAttackerOrders(TFight* fight) { ChooseComputerOrders(fight, true); }
void ChooseComputerDefenderOrders(TFight* fight) { ChooseComputerOrders(fight, false); }

bool IsAttackerCandidateValid(TFight* fight, i32 unit, i32 s, i32 target) {
  if (target == -1) return s == -1;
  if (!fight->IsCombatantAlive(unit) || !fight->IsCombatantAlive(target) || !fight->UnitOf(unit)->CanAttack())
    return false;
  if (s == -1) return target >= 3;
  return fight->IsValidSpellTarget(unit, s + 64, target);
}

bool IsDefenderCandidateValid(TFight* fight, i32 unit, i32 s, i32 target) {
  if (target == -1) return s == -1;
  const i32 c = unit + 3;
  if (!fight->IsCombatantAlive(c) || !fight->IsCombatantAlive(target) || !fight->UnitOf(c)->CanAttack())
    return false;
  if (s == -1) return true;
  return fight->IsValidSpellTarget(c, s + 64, target);
}

void ApplyAttackerCandidate(TFight* fight, const i32 orders[6]) {
  for (i32 i = 0; i < fight->AttackerCount() && i < 3; ++i) {
    if (fight->IsCombatantAlive(i) && orders[i] != -1) {
      if (orders[3 + i] != -1)
        fight->SetSpellAction(i, orders[i], orders[3 + i] + 64);
      else
        fight->SetAttackAction(i, orders[i]);
    } else {
      fight->ClearAction(i);
    }
  }
}

void ApplyDefenderCandidate(TFight* fight, const i32 orders[6]) {
  for (i32 i = 0; i < fight->DefenderCount() && i < 3; ++i) {
    const i32 c = i + 3;
    if (fight->IsCombatantAlive(c) && orders[i] != -1) {
      if (orders[3 + i] != -1)
        fight->SetSpellAction(c, orders[i], orders[3 + i] + 64);
      else if (orders[i] >= 3)
        fight->SetProtectAction(c, orders[i]);
      else
        fight->SetAttackAction(c, orders[i]);
    } else {
      fight->ClearAction(c);
    }
  }
}

void TryAttackerCandidate(TFight* fight, const i32 orders[6], TFightEvaluation* best) {
  TryCandidate(fight, orders, best, true);
}

void TryDefenderCandidate(TFight* fight, const i32 orders[6], TFightEvaluation* best) {
  TryCandidate(fight, orders, best, false);
}

namespace {

TFightEvaluation EvaluateRound(TFight* fight, bool attackerSide) {
  TFightEvaluation r;
  const TBefore before(*fight);
  i32 attackerMana, defenderMana;
  bool defenderOk, attackerOk;
  fight->CastSpells(&attackerMana, &defenderMana, true, &defenderOk, &attackerOk);
  if (!(attackerSide ? attackerOk : defenderOk)) return r;
  fight->SimulateAttackerAttacks();
  fight->SimulateDefenderAttacks();
  double benefit = 0.0, cost = 0.0;
  for (i32 i = 0; i < CombatantCount; ++i) {
    TUnit* u = before.Unit[i];
    if (!u) continue;
    const bool own = (i < 3) == attackerSide;
    const i32 weight = u->Hero ? 2 : 1;
    const i32 hp = std::max<i32>(u->Effective.HitPoints.Current, 0);
    if (before.HP[i] < 1) {
      if (!attackerSide && own && hp >= 1) benefit += 10;
      continue;
    }
    const double lost = LostShare(u, before.HP[i], hp);
    if (attackerSide) {
      if (own)
        cost += weight * (hp == 0 ? 50 : Truncate(lost * 50));
      else
        benefit += weight * (hp == 0 ? 100 : Truncate(lost * 100));
    } else {
      if (own)
        benefit += weight * (hp == 0 ? 0 : Truncate((1.0 - lost) * 100));
      else
        benefit += weight * (hp == 0 ? 30 : Truncate(lost * 30));
    }
  }
  r.Benefit = benefit;
  r.Cost = cost + 0.1 * (attackerSide ? attackerMana : defenderMana);
  return r;
}

}  // namespace

TFightEvaluation EvaluateAttackerRound(TFight* fight) { return EvaluateRound(fight, true); }
TFightEvaluation EvaluateDefenderRound(TFight* fight) { return EvaluateRound(fight, false); }

bool IsBetterEvaluation(const TFightEvaluation& candidate, const TFightEvaluation& best) {
  const double c1 = candidate.Cost, b1 = candidate.Benefit, c0 = best.Cost, b0 = best.Benefit;
  if (c1 == c0 && b1 > b0) return true;
  if (c1 < c0 && b1 >= b0) return true;
  if (c1 > c0 && b1 > b0) {
    const double k1 = c1 > 0 ? c1 : 1.0, k0 = c0 > 0 ? c0 : 1.0;
    return b1 * b1 / k1 > b0 * b0 / k0;
  }
  return false;
}

}  // namespace GameData
