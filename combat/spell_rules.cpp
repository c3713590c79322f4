#include "combat/spell_rules.h"

#include <cstdlib>

#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameData {

i32 ScaledFor(const TUnit* unit, i32 value) {
  const TPlayer* owner = unit ? unit->GetOwner() : nullptr;
  return owner ? owner->ScaleForDifficulty(value) : value;
}

i32 ScaledForGroup(const TGroup* group, i32 value) {
  const TPlayer* owner = group ? group->GetOwner() : nullptr;
  return owner ? owner->ScaleForDifficulty(value) : value;
}

bool ContestValues(i32 spell, const TSpellPrototype& record, const TUnit* caster, const TUnit* target, i32& a,
                   i32& b) {
  const i16* p = record.Params;
  const i32 level = Level(caster), morale = Morale(caster), attack = AttackOf(caster);
  switch (spell) {
    case 5:
      a = morale * p[0] / 100;
      b = DefenceOf(target) * p[1] / 100;
      return true;
    case 7:
    case 19:  // the computer opponent's test of 19 is the morale contest of 7
      a = morale + 1;
      b = Morale(target);
      return true;
    case 9:
    case 16:
      a = level * p[0] / 100;
      b = DefenceOf(target) * p[1] / 100;
      return true;
    case 10:
    case 13:
      a = level * p[0] / 100;
      b = Level(target) * p[1] / 100;
      return true;
    case 17:
    case 51:
    case 52:
    case 53:
    case 57:
      a = attack * p[0] / 100;
      b = DefenceOf(target) * p[1] / 100;
      return true;
    case 29:
      a = attack * p[0];
      b = DefenceOf(target) * p[1];
      return true;
    case 30:
      a = attack * p[0];
      b = Morale(target) * p[1];
      return true;
    case 31:
      a = morale * p[0] / 100;
      b = Morale(target) * p[1] / 100;
      return true;
    case 34:
      a = attack * p[0] / 100;
      b = Morale(target) * p[1] / 100;
      return true;
    case 55:
      a = attack;
      b = DefenceOf(target);
      return true;
    default:
      return false;
  }
}

i32 RingWeight(i32 dx, i32 dy, i32 centre, i32 inner, i32 outer) {
  const i32 ring = std::max(std::abs(dx), std::abs(dy));
  return ring == 0 ? centre : ring == 1 ? inner : outer;
}

i32 CrossWeight(i32 dx, i32 dy, i32 centre, i32 edge, i32 corner) {
  const i32 d = std::abs(dx) + std::abs(dy);
  return d == 0 ? centre : d == 1 ? edge : corner;
}

TAfterEffect* NewAfterEffect(i32 spell, i32 turns) {
  auto* e = new TAfterEffect{};
  e->EffectID = spell;
  e->TurnsLeft = turns;
  return e;
}

i32 RandomBelow(TRandomState& stream, i32 bound) { return bound > 0 ? NextRandom(stream) % bound : 0; }

i32 GaussianDamage(const TScenario& scenario, const TSpellPrototype& record, const TUnit* caster,
                   const TUnit* target, TRandomState& stream) {
  const i16* p = record.Params;
  i32 attack = (p[0] / 100) * AttackOf(caster) + (Morale(caster) + 5) / 10 - 5;
  if (const TPlayer* current = scenario.PlayerAt(scenario.CurrentPlayerIndex))
    attack = current->ScaleForDifficulty(attack);
  const i32 g = GaussRandom(stream, attack);
  const i64 defence = i64(p[1] / 100) * DefenceOf(target) * (target->DefenceBonus + 100) / 100;
  return static_cast<i16>(g - ScaledFor(target, static_cast<i32>(defence)));
}

TAfterEffect* HitAfterEffect(i32 spell, const TSpellPrototype& record, const TUnit* caster, const TUnit* target) {
  const i16* p = record.Params;
  const i32 level = Level(caster);
  TAfterEffect* e = nullptr;
  switch (spell) {
    case 17:
      e = NewAfterEffect(spell, level / 4 + 1);
      e->Properties.Defence.Current = static_cast<i16>(-(level * p[5] / 100));
      break;
    case 20:
      e = NewAfterEffect(spell, level * p[4] / 100 + 1);
      e->Properties.Attack.Current = static_cast<i16>(-(level * p[1] / 100));
      e->Properties.CounterAttack.Current = static_cast<i16>(-(level * p[2] / 100));
      break;
    case 24:
      e = NewAfterEffect(spell, level / 4 + 1);
      e->Properties.Attack.Current = ReduceTo(AttackOf(target), p[1]);
      e->Properties.CounterAttack.Current = ReduceTo(target->Effective.CounterAttack.Current, p[1]);
      break;
    case 41:
      e = NewAfterEffect(spell, level * p[4] / 100 + p[3]);
      e->Properties.Defence.Current = static_cast<i16>(-(level * p[2] / 100));
      break;
    case 42:
      e = NewAfterEffect(spell, level * p[5] / 100 + p[4]);
      e->Properties.Attack.Current = static_cast<i16>(-(level * p[2] / 100));
      e->Properties.CounterAttack.Current = static_cast<i16>(-(level * p[3] / 100));
      break;
    case 57:
      e = NewAfterEffect(spell, level / 4 + 1);
      e->Properties.Attack.Current = static_cast<i16>(-(level * p[5] / 100));
      e->Properties.CounterAttack.Current = static_cast<i16>(-(level * p[6] / 100));
      break;
    default:
      break;
  }
  return e;
}

}  // namespace GameData
