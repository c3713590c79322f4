// One round of a battle: spells by class and level, protect orders, the
// blows of both sides. Every draw of a real round comes from the main stream
// in this order, so that network machines agree.
#include <algorithm>

#include "combat/fight.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

// Class 2 last.
constexpr i32 ClassOrder[3] = {1, 3, 2};
constexpr i32 MaxSpellLevel = 8;

i32 ScaledFor(const TUnit* unit, i32 value) {
  const TPlayer* owner = unit->GetOwner();
  return owner ? owner->ScaleForDifficulty(value) : value;
}

i64 PrototypeKind(const TUnit* unit) { return unit->Prototype ? unit->Prototype->Kind : unit->Kind; }

enum TContest { cNone, cFails, cAlways, cDraw };

}  // namespace

void TFight::CastPass(i32 first, i32 count, i32 spellClass, const TSpellPrototype* const* spells, bool estimate,
                      i32* mana, bool* allTookEffect) {
  // A spell fits one class and one level alone: the pass casts its spells
  // by level, then by slot, each caster checked when its turn comes.
  i32 order[3], n = 0;
  for (i32 i = first; i < first + count; ++i) {
    const TSpellPrototype* spell = spells[i];
    if (!spell || spell->Class != spellClass || spell->Level < 1 || spell->Level > MaxSpellLevel) continue;
    i32 k = n++;
    for (; k > 0 && spells[order[k - 1]]->Level > spell->Level; --k) order[k] = order[k - 1];
    order[k] = i;
  }
  for (i32 k = 0; k < n; ++k) {
    const i32 i = order[k];
    const TSpellPrototype* spell = spells[i];
    if (!Actions[i].Present || Actions[i].Kind != fakSpell || !IsCombatantAlive(i)) continue;
    if (!UnitOf(i)->CanCastSpell(spell)) continue;
    *mana += PaySpellCost(i, spell);
    if (SpellTakesEffect(i, spell, estimate))
      ApplySpellEffect(i, spell);
    else
      *allTookEffect = false;
  }
}

void TFight::CastSpells(i32* attackerMana, i32* defenderMana, bool estimate, bool* defenderAllTookEffect,
                        bool* attackerAllTookEffect) {
  *attackerMana = *defenderMana = 0;
  *defenderAllTookEffect = *attackerAllTookEffect = true;
  const TSpellPrototype* spells[CombatantCount] = {};
  for (i32 i = 0; i < CombatantCount; ++i)
    if (Actions[i].Present && Actions[i].Kind == fakSpell) spells[i] = Spell(Actions[i].Spell);
  for (i32 spellClass : ClassOrder) {
    CastPass(0, std::min(AttackerCount(), 3), spellClass, spells, estimate, attackerMana, attackerAllTookEffect);
    CastPass(3, std::min(DefenderCount(), 3), spellClass, spells, estimate, defenderMana, defenderAllTookEffect);
  }
}

bool TFight::SpellFitsPass(i32 combatant, const TSpellPrototype* spell, i32 level, i32 spellClass) const {
  if (!spell) spell = Spell(Actions[combatant].Spell);
  if (!spell) return false;
  if (spellClass != 0 && spellClass != spell->Class) return false;
  return level == 0 || level == spell->Level;
}

bool TFight::SpellTakesEffect(i32 combatant, const TSpellPrototype* spell, bool estimate) {
  if (!spell) spell = Spell(Actions[combatant].Spell);
  TUnit* s = UnitOf(combatant);
  if (!spell || !s || !IsCombatantAlive(Actions[combatant].Target)) return false;
  TUnit* t = UnitOf(Actions[combatant].Target);
  const i16* p = spell->Params;
  const TUnitProperties& se = s->Effective;
  const TUnitProperties& te = t->Effective;
  const i64 kind = PrototypeKind(t);
  const bool living = kind == 1 || kind == 2;
  TContest contest = cAlways;
  i32 c = 0, v = 0;
  switch (spell->Number) {
    case 69:
      // The caster's courage is spent before the contest, in the estimate too.
      s->Effective.Morale = static_cast<i16>(std::max(0, se.Morale - p[4]));
      contest = cDraw, c = se.Morale * p[0] / 100, v = te.Defence.Current * p[1] / 100;
      break;
    case 71: contest = cDraw, c = se.Morale, v = te.Morale - 1; break;
    case 73:
    case 87:
      contest = living ? cDraw : cFails;
      c = se.Level * p[0] / 100;
      v = spell->Number == 73 ? te.Defence.Current * p[1] / 100 : te.Level * p[1] / 100;
      break;
    case 74: contest = kind == 4 ? cDraw : cFails, c = se.Level * p[0] / 100, v = te.Level * p[1] / 100; break;
    case 76:
    case 85:
    case 97:
    case 122:
    case 123: contest = cDraw, c = se.Level * p[0] / 100, v = te.Level * p[1] / 100; break;
    case 77:
    case 80:
    case 81:
    case 89:
    case 93:
    case 115:
    case 116:
    case 117:
    case 119:
    case 121: contest = cDraw, c = se.Attack.Current * p[0] / 100, v = te.Defence.Current * p[1] / 100; break;
    case 84: contest = living ? cAlways : cFails; break;
    case 92:
      contest = kind != 4 ? cDraw : cFails, c = se.Attack.Current * p[0] / 100, v = te.Defence.Current * p[1] / 100;
      break;
    case 98: contest = cDraw, c = se.Attack.Current * p[0] / 100, v = te.Morale * p[1] / 100; break;
    case 118: contest = kind == 4 ? cAlways : cFails; break;
    default: break;
  }
  if (t->IsImmuneToSpell(Spell(spell->Number))) return false;
  if (contest == cFails) return false;
  if (contest == cAlways) return true;
  c = ScaledFor(s, c);
  v = ScaledFor(t, v);
  return estimate ? RatioGreater(c, v) : GaussGreater(c, v);
}

void TFight::ResolveProtectOrders() {
  bool diverted[3] = {false, false, false};
  const i32 attackers = std::min(AttackerCount(), 3);
  for (i32 p = 3; p < 3 + std::min(DefenderCount(), 3); ++p) {
    TFightAction& order = Actions[p];
    if (!IsCombatantAlive(p) || order.Kind != fakProtect || order.Target < 3) continue;
    const i32 ward = order.Target;
    bool done = false;
    for (i32 a = 0; a < attackers && !done; ++a) {
      if (IsCombatantAlive(a) && Actions[a].Kind == fakAttack && Actions[a].Target == ward && !diverted[a]) {
        SetAttackAction(p, a);
        Actions[a].Target = p;
        diverted[a] = true;
        done = true;
      }
    }
    for (i32 a = 0; a < attackers && !done; ++a) {
      if (IsCombatantAlive(a) && Actions[a].Kind == fakAttack && Actions[a].Target == p) {
        SetAttackAction(p, a);
        done = true;
      }
    }
    if (!done) order.Clear();
  }
  for (i32 i = 0; i < CombatantCount; ++i) {
    if (!IsCombatantAlive(i) || Actions[i].Kind != fakAttack) continue;
    if (!UnitOf(i)->CanAttack() || !IsCombatantAlive(Actions[i].Target)) Actions[i].Clear();
  }
}

void TFight::ExecuteSide(i32 first, i32 count, bool counter, bool simulate) {
  for (i32 i = first; i < first + std::min(count, 3); ++i) {
    const TFightAction& order = Actions[i];
    if (!IsCombatantAlive(i) || order.Kind != fakAttack || !IsCombatantAlive(order.Target)) continue;
    TUnit* u = UnitOf(i);
    if (!u->CanAttack()) continue;
    TUnit* target = UnitOf(order.Target);
    if (simulate)
      counter ? u->SimulateCounterAttack(target) : u->SimulateAttack(target);
    else
      counter ? u->CounterAttack(target) : u->Attack(target);
  }
}

void TFight::ExecuteAttackerAttacks() { ExecuteSide(0, AttackerCount(), false, false); }
void TFight::ExecuteDefenderAttacks() { ExecuteSide(3, DefenderCount(), true, false); }
void TFight::SimulateAttackerAttacks() { ExecuteSide(0, AttackerCount(), false, true); }
void TFight::SimulateDefenderAttacks() { ExecuteSide(3, DefenderCount(), true, true); }

void TFight::RemoveBattleEffects() {
  for (i32 i = CombatantCount - 1; i >= 0; --i)
    if (TUnit* u = UnitOf(i)) u->RemoveFightSpellEffects();
}

}  // namespace GameData
