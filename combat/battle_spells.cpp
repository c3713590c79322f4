// The effect of each battle spell (65..125) once it is paid for and has won
// its contest, and the experience and morale the caster earns by it.
#include <algorithm>
#include <memory>

#include "combat/fight.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

// Products of data values are taken in 64 bits and cut to the low 32 bits,
// so that no data makes the arithmetic undefined.
i32 W(i64 v) { return static_cast<i32>(static_cast<u32>(static_cast<u64>(v))); }

i32 Div(i64 a, i64 b) { return b == 0 ? 0 : W(a / b); }

i32 Rand(i32 n) { return n > 0 ? NextRandom(RandomMain) % n : 0; }

i32 ScaledFor(const TUnit* unit, i32 value) {
  const TPlayer* owner = unit->GetOwner();
  return owner ? owner->ScaleForDifficulty(value) : value;
}

i32 MaxOf(const TUnitProperty& p, i32 level) { return p.ValueAt(level); }

// An after-effect that holds only the named changes.
class TEffect {
 public:
  // Built for every spell that takes effect, used by some: the record is
  // made when first touched.
  explicit TEffect(i32 spell) : Spell(spell) {}
  TAfterEffect& R() {
    if (!E) {
      E = std::make_unique<TAfterEffect>();
      E->EffectID = Spell;
    }
    return *E;
  }
  TUnitProperties& P() { return R().Properties; }
  static void Add(i16& field, i32 v) { field = static_cast<i16>(field + v); }
  void Attack(i32 v) { Add(P().Attack.Current, v); }
  void Counter(i32 v) { Add(P().CounterAttack.Current, v); }
  void Defence(i32 v) { Add(P().Defence.Current, v); }
  void AP(i32 v) { Add(P().ActionPoints.Current, v); }
  void HP(i32 v) { Add(P().HitPoints.Current, v); }
  void Morale(i32 v) { Add(P().Morale, v); }
  void ApplyTo(TUnit* t) {
    R();
    t->AddAfterEffect(E.release());
  }

 private:
  i32 Spell;
  std::unique_ptr<TAfterEffect> E;
};

void LoseAllMana(TUnit* u) { u->AddMana(-u->Effective.Mana.Current); }
void LoseAllAP(TUnit* u) { u->AddActionPoints(-u->Effective.ActionPoints.Current); }
void SetBaseAP(TUnit* u, i32 v) {
  u->Base.ActionPoints.Current = static_cast<i16>(v);
  u->RecalcEffective(true);
}

}  // namespace

void PropertyDifference(TUnitProperties* out, const TUnitProperties* to, const TUnitProperties* from, i32 property) {
  const TUnitProperty& t = to->Property(property);
  const TUnitProperty& f = from->Property(property);
  TUnitProperty& o = out->Property(property);
  o.Current = static_cast<i16>(t.ValueAt(to->Level) - f.Current);
  o.Base = static_cast<i16>(t.Base - f.Base);
  o.Delta = static_cast<i16>(t.Delta - f.Delta);
  o.Every = static_cast<i16>(t.Every - f.Every);
}

void TFight::SpellDamage(TUnit* caster, TUnit* target, i32 damage, i32& total) {
  // A negative amount from odd data would heal and cost experience.
  if (damage <= 0) return;
  if (caster->HasAfterEffect(100))
    caster->TakeDamage(damage);
  else
    total += target->TakeDamage(damage);
}

void TFight::ApplySpellEffect(i32 combatant, const TSpellPrototype* spell) {
  if (!IsCombatant(combatant)) return;
  TFightAction& order = Actions[combatant];
  if (!IsCombatantAlive(order.Target) || order.Spell < 0) return;
  if (!spell) spell = Spell(order.Spell);
  if (!spell || spell->Usage != 2) return;
  TUnit* s = UnitOf(combatant);
  const i32 ti = order.Target;
  TUnit* t = UnitOf(ti);
  bool aliveBefore[CombatantCount];
  TUnit* before[CombatantCount];
  for (i32 i = 0; i < CombatantCount; ++i) {
    aliveBefore[i] = IsCombatantAlive(i);
    before[i] = UnitOf(i);
  }
  const i16* p = spell->Params;
  const i32 L = s->Effective.Level;
  auto lv = [L](i32 param) { return W(i64{L} * param / 100); };
  const TUnitProperties& se = s->Effective;
  const TUnitProperties& te = t->Effective;
  const i32 hp = te.HitPoints.Current, ap = te.ActionPoints.Current, att = te.Attack.Current,
            ctr = te.CounterAttack.Current, def = te.Defence.Current, mor = te.Morale;
  i32 total = 0;
  auto damage = [&](i64 d) { SpellDamage(s, t, W(d), total); };
  TEffect e(spell->Number);
  bool addEffect = false;
  switch (spell->Number) {
    case 65: t->AddHitPoints(lv(p[1]) + p[0]); break;
    case 66:
      e.Defence(lv(p[1]) + p[0]), e.Counter(lv(p[3]) + p[2]), addEffect = true;
      break;
    case 67:
      e.Attack(lv(p[1]) + p[0]);
      e.ApplyTo(t);
      t->AddMorale(lv(p[2]));
      break;
    case 68:
      e.AP(lv(p[1]) + p[0]);
      TEffect::Add(e.P().ActionPoints.Base, lv(p[1]) + p[0]);
      e.R().TurnsLeft = 1;
      addEffect = true;
      break;
    case 69: damage(lv(p[3]) + p[2]); break;
    case 70: e.Attack(lv(p[1]) + p[0]), e.Defence(W(i64{def} * p[2] / 100) - def), addEffect = true; break;
    case 71: t->AddMorale(lv(p[0])); break;
    case 72: t->AddActionPoints(W((i64{p[0]} - L) * ap * p[1] / 100) - ap); break;
    case 73: e.Attack(p[2] - att), e.Counter(p[3] - ctr), addEffect = true; break;
    case 74:
      if ((t->Prototype ? t->Prototype->Kind : t->Kind) == ukUndead &&
          GaussGreater(ScaledFor(s, lv(p[0])), ScaledFor(t, W(i64{te.Level} * p[1] / 100)))) {
        damage(i64{hp} + p[2]);
        s->AddMana(p[3] - s->Effective.Mana.Current);
      }
      break;
    case 75:
    case 100:
    case 113: addEffect = true; break;
    case 76:
      t->Base.HitPoints.Current = static_cast<i16>(t->Base.HitPoints.Current - (hp - p[2]));
      t->RecalcEffective(true);
      break;
    case 77:
      if ((t->Prototype ? t->Prototype->Kind : t->Kind) == ukUndead)
        damage(i64{Rand(lv(p[3]))} + p[2]);
      else
        damage(i64{Rand(lv(p[5]))} + p[4]);
      break;
    case 78:
    case 124: damage(i64{Rand(lv(p[1]))} + lv(p[1]) + p[0]); break;
    case 79: e.Defence(lv(p[1]) + p[0]), addEffect = true; break;
    case 80:
      // A caster of level 0 would divide by zero: its attack stays.
      e.Attack(L == 0 ? 0 : Div(i64{att} * p[2], i64{L} * 100) - att);
      e.Counter(W(i64{ctr} * p[3] / 100) - ctr);
      addEffect = true;
      break;
    case 81:
      damage(i64{Rand(lv(p[4]))} + lv(p[3]) + p[2]);
      e.Defence(-lv(p[5])), addEffect = true;
      break;
    case 82: {
      i32 d = W(i64{lv(p[0])} - i64{def} * p[1] / 100);
      if (d > 0) damage(d);
      e.Defence(W(i64{def} * p[2] / 100) - def), e.AP(W(i64{ap} * p[3] / 100) - ap), addEffect = true;
      break;
    }
    case 83:
      damage(i64{Rand(lv(p[2]))} + lv(p[1]) + p[0]);
      e.Counter(-lv(p[3])), addEffect = true;
      break;
    case 84: {
      i32 lost = total;
      damage(lv(p[0]));
      s->AddHitPoints(total - lost);
      t->AddMorale(-lv(p[3]));
      e.Attack(-lv(p[1])), e.Counter(-lv(p[2])), addEffect = true;
      break;
    }
    case 85: LoseAllMana(t); break;
    case 86:
      t->AddMana(MaxOf(te.Mana, te.Level) - te.Mana.Current);
      LoseAllAP(t);
      break;
    case 87: Transform(t, p[2]); break;
    case 88:
      if (ti < 3) {
        for (i32 i = 3; i < CombatantCount; ++i)
          if (IsCombatantAlive(i) && Actions[i].Target >= 0 && Actions[i].Target <= 2) Actions[i].Target = ti;
      } else {
        for (i32 i = 0; i < 3; ++i)
          if (IsCombatantAlive(i) && Actions[i].Target >= 3 && Actions[i].Target <= 5) Actions[i].Target = ti;
      }
      break;
    case 89: e.Attack(-(lv(p[3]) + p[2])), e.Counter(-(lv(p[5]) + p[4])), addEffect = true; break;
    case 90:
      e.Defence(lv(p[1]) + p[0]), e.Attack(-(lv(p[3]) + p[2])), e.Counter(-(lv(p[3]) + p[2]));
      addEffect = true;
      break;
    case 91:
      e.Morale(-lv(p[0])), e.Attack(-(lv(p[2]) + p[1])), e.Counter(-(lv(p[4]) + p[3])), e.AP(lv(p[5]));
      addEffect = true;
      break;
    case 92: {
      const i64 f = i64{p[2]} - lv(p[3]), g = i64{p[2]} - lv(p[4]);
      damage(hp - g * hp * p[5] / 100);
      e.Attack(W(f * att * p[5] / 100) - att), e.Counter(W(f * ctr * p[5] / 100) - ctr), addEffect = true;
      break;
    }
    case 93:
      t->AddActionPoints(-lv(p[2]));
      damage(lv(p[3]));
      e.Counter(-lv(p[4])), addEffect = true;
      break;
    case 94:
      if (Actions[ti].Target == combatant) ClearAction(ti);
      break;
    case 95: {
      const i64 m = i64{se.Morale} - mor;
      if (m < 0)
        s->TakeDamage(W(lv(p[0]) * -m * p[1] / 100));
      else
        damage(i64{te.Level} * p[0] / 100 * m * p[1] / 100);
      break;
    }
    case 96: {
      const i32 own = se.ActionPoints.Current;
      s->AddHitPoints(W(i64{own} * p[0] / 100));
      s->AddMana(W(i64{own} * p[1] / 100));
      SetBaseAP(s, p[2]);
      break;
    }
    case 97: SetBaseAP(t, p[2]); break;
    case 98: {
      const i32 m = W(i64{te.Mana.Current} * L * p[2] / 100);
      t->AddMana(-m);
      s->AddMana(m);
      break;
    }
    case 99:
      e.Defence(W(i64{te.Level} * p[1] / 100) + p[0]), e.AP(W(i64{ap} * p[2] / 100) - ap), addEffect = true;
      break;
    case 101: t->AddMorale(se.Morale - p[0]); break;
    case 102:
      e.AP(lv(p[1]) + p[0]);
      TEffect::Add(e.P().ActionPoints.Base, lv(p[1]) + p[0]);
      addEffect = true;
      break;
    case 103:
      e.Attack(p[0]), e.Counter(p[1]), e.AP(p[4]), e.HP(W(i64{hp} * p[2] / 100) - hp);
      e.Morale(W(i64{mor} * p[3] / 100) - mor);
      addEffect = true;
      break;
    case 104:
    case 105:
    case 106: {
      const i32 strength = ScaledFor(s, W(i64{p[0] / 100} * se.Attack.Current + (se.Morale + 5) / 10 - 5));
      const i32 guard = ScaledFor(t, W(i64{p[1] / 100} * def * W(100 + i64{t->DefenceBonus}) / 100));
      const i32 blow = W(i64{GaussRandom(RandomMain, strength)} - guard);
      if (blow < 1) break;
      damage(blow);
      if (spell->Number == 105) e.Defence(-lv(p[2])), addEffect = true;
      if (spell->Number == 106) {
        e.Attack(-(att - W((9 - i64{lv(p[2])}) * att / 10)));
        e.Counter(-(ctr - W((9 - i64{lv(p[3])}) * ctr / 10)));
        addEffect = true;
      }
      break;
    }
    case 107:
      damage(i64{def} * p[0] / 100);
      e.Attack(W(i64{att} * p[1] / 100) - att), e.Counter(W(i64{ctr} * p[2] / 100) - ctr), e.Defence(p[3] - def);
      addEffect = true;
      break;
    case 108:
      for (i32 i = 0; i < CombatantCount; ++i)
        if (i != combatant && IsCombatantAlive(i)) LoseAllAP(UnitOf(i));
      LoseAllMana(s);
      break;
    case 109:
      e.Attack(W(i64{att} * p[0] / 100) - att), e.Counter(W(i64{ctr} * p[1] / 100) - ctr), e.Defence(p[2]);
      addEffect = true;
      break;
    case 110:
      t->AddMorale(p[0]);
      e.Attack(p[1]), e.Counter(p[2]), addEffect = true;
      break;
    case 111:
      t->AddMorale(-p[0]);
      damage(p[4]);
      e.Attack(p[1]), e.Counter(p[2]), e.Defence(p[3]), addEffect = true;
      break;
    case 112:
      damage(i64{def} * p[0] / 100);
      e.Attack(W(i64{att} * p[1] / 100) - att), e.Counter(W(i64{ctr} * p[2] / 100) - ctr), addEffect = true;
      break;
    case 114:
      t->Base.Recalc();
      t->RecalcEffective(true);
      LoseAllMana(s);
      break;
    case 115: e.Attack(-p[2]), e.Counter(-p[3]), e.Defence(-p[4]), addEffect = true; break;
    case 116:
      // A divisor of 0 (level or P2 too small) leaves the action points.
      if (lv(p[2]) != 0) t->AddActionPoints(Div(ap, lv(p[2])) - ap);
      e.Defence(-p[3]), addEffect = true;
      break;
    case 117:
      t->AddActionPoints(W(i64{ap} * p[2] / 100) - ap);
      damage(i64{lv(p[4])} + p[3]);
      break;
    case 118: t->AddHitPoints(lv(p[0])); break;
    case 119:
      e.Attack(-(att - W((9 - i64{lv(p[2])}) * att / 10)));
      e.Counter(-(ctr - W((9 - i64{lv(p[3])}) * ctr / 10)));
      e.ApplyTo(t);
      damage(hp - (9 - i64{lv(p[4])}) * hp / 10);
      break;
    case 120: MakeDoubles(s, ti); break;
    case 121:
      damage(i64{Rand(lv(p[4]))} + lv(p[3]) + p[2]);
      e.Attack(-lv(p[5])), e.Counter(-lv(p[6])), addEffect = true;
      break;
    case 122: TurnAgainstOwnSide(s, ti, p[2], p[3]); break;
    case 123:
      LoseAllMana(s);
      t->AddHitPoints(-hp);
      break;
    case 125:
      t->AddHitPoints(MaxOf(te.HitPoints, te.Level) - te.HitPoints.Current);
      s->AddMana(1 - s->Effective.Mana.Current);
      break;
    default: break;
  }
  if (addEffect) e.ApplyTo(t);

  const Data2::TGlobalData* global = Data2::GlobalData;
  if (global)
    s->GainExperienceTwice(spell->CastExperience, W(i64{global->DamageExperience} * total), spell->Level);
  else
    s->GainExperience(spell->CastExperience, spell->Level);
  for (i32 i = 0; i < CombatantCount; ++i) {
    TUnit* victim = before[i];
    if (!aliveBefore[i] || IsCombatantAlive(i) || UnitOf(i) != victim) continue;
    const TUnitProperties& v = victim->Effective;
    s->GainExperience(W(i64{v.Reserved[0]} + (i64{v.Level} - 1) * v.Reserved[1]), v.Level);
    s->GainKillMorale(victim);
    victim->DemoralizeGroupMates();
  }
}

void TFight::Transform(TUnit* t, i32 prototypeID) {
  // An unknown prototype leaves the unit as it is.
  const TUnitPrototype* next = prototypeID > 0 ? FindUnitPrototype(static_cast<u32>(prototypeID)) : nullptr;
  if (!next) return;
  // A second transformation keeps the unit's own prototype to go back to.
  if (!t->SavedPrototype) t->SavedPrototype = t->Prototype;
  t->Prototype = next;
  t->Name = next->Name;
  TEffect e(EffectTransformation);
  for (i32 k = 0; k < TUnitProperties::PropertyCount; ++k)
    PropertyDifference(&e.P(), &next->Properties, &t->Effective, k);
  e.ApplyTo(t);
}

void TFight::MakeDoubles(TUnit* s, i32 target) {
  const bool attackerSide = target < 3;
  TGroup* group = attackerSide ? Attacker : Defender;
  if (!group || !s->Prototype) return;
  while (group->GetUnitCount() < 3) {
    auto* d = new TUnit;
    if (Scratch) {
      // A trial round touches neither the scenario nor the sprite lists.
      d->Prototype = s->Prototype;
      d->Kind = s->Prototype->Kind;
      d->Name = s->Prototype->Name;
    } else {
      d->SetPrototype(s->Prototype);
    }
    d->Base = s->Effective;
    for (TUnitProperty* q : {&d->Base.HitPoints, &d->Base.HPRegenerate, &d->Base.ManaRegenerate})
      *q = TUnitProperty{0, 0, 0, 1};
    d->Base.AllowedSpells = d->Base.KnownSpells = 0;
    d->Base.RandomizeBase();
    d->RecalcEffective(true);
    auto* e = new TAfterEffect{};
    e->EffectID = EffectOneBattleOnly;
    const TUnitProperty& h = s->Effective.HitPoints;
    e->Properties.HitPoints = TUnitProperty{h.Current, h.Base, h.Delta, static_cast<i16>(h.Every - 1)};
    d->AddAfterEffect(e);
    d->Hero = 0;
    const i32 slot = group->GetUnitCount();
    if (Scratch) {
      group->AddUnit(d, false, false, false);
    } else {
      group->AddUnit(d, true, true, true);
    }
    Actions[slot + (attackerSide ? 0 : 3)].Present = 1;
  }
}

void TFight::TurnAgainstOwnSide(TUnit* s, i32 target, i32 p2, i32 p3) {
  TUnit* t = UnitOf(target);
  if (i64{s->Effective.Morale} * p2 <= i64{p3} * t->Effective.Morale) return;
  const i32 first = target < 3 ? 0 : 3;
  i32 mates[3], k = 0;
  for (i32 i = first; i < first + 3; ++i)
    if (i != target && IsCombatantAlive(i)) mates[k++] = i;
  if (k == 0) {
    ClearAction(target);
    return;
  }
  SetAttackAction(target, mates[Rand(k)]);
}

}  // namespace GameData
