// Rules that the map spell effects and their evaluation for the computer
// opponent share: the caster's values, the two sides of each strength
// contest, ring weights and the spell's after-effects.
#pragma once

#include "engine/base/random.h"
#include "world/units/unit.h"

namespace GameData {

class TScenario;
class TGroup;
class TPlayer;

// The effective current value of a property of a unit.
inline i32 Level(const TUnit* u) { return u->Effective.Level; }
inline i32 Morale(const TUnit* u) { return u->Effective.Morale; }
inline i32 AttackOf(const TUnit* u) { return u->Effective.Attack.Current; }
inline i32 DefenceOf(const TUnit* u) { return u->Effective.Defence.Current; }
inline i32 HitPointsOf(const TUnit* u) { return u->Effective.HitPoints.Current; }
inline i32 ManaOf(const TUnit* u) { return u->Effective.Mana.Current; }
inline i32 ActionPointsOf(const TUnit* u) { return u->Effective.ActionPoints.Current; }
// A pool's maximum at the unit's level.
inline i32 MaxAtLevel(const TUnit* u, TUnitProperty TUnitProperties::*p) {
  return (u->Effective.*p).ValueAt(u->Effective.Level);
}

// The unscaled values A (the caster's) and B (the target unit's) of the
// spell's strength contest; false for a spell without a per-unit contest.
bool ContestValues(i32 spell, const TSpellPrototype& record, const TUnit* caster, const TUnit* target, i32& a,
                   i32& b);
// A scaled for the caster's owner, B for the target's owner.
i32 ScaledFor(const TUnit* unit, i32 value);
i32 ScaledForGroup(const TGroup* group, i32 value);

// The three weights of a field of the 5 x 5 square by distance ring
// (centre, the eight around it, the sixteen outer ones), and of the 3 x 3
// square (centre, the four edge neighbours, the four corners).
i32 RingWeight(i32 dx, i32 dy, i32 centre, i32 inner, i32 outer);
i32 CrossWeight(i32 dx, i32 dy, i32 centre, i32 edge, i32 corner);

// A zeroed after-effect of the spell lasting the turns.
TAfterEffect* NewAfterEffect(i32 spell, i32 turns);
// The delta that makes value v into target (sets X to V), and that
// reduces it to percent (reduces X to P %).
inline i16 SetTo(i32 v, i32 target) { return static_cast<i16>(target - v); }
inline i16 ReduceTo(i32 v, i32 percent) { return static_cast<i16>(v * percent / 100 - v); }

// The Gaussian damage of spells 40 to 42 from a normal draw on the stream.
i32 GaussianDamage(const TScenario& scenario, const TSpellPrototype& record, const TUnit* caster,
                   const TUnit* target, TRandomState& stream);
// The after-effect that spells 17, 20, 24, 29, 41, 42 and 57 leave on a hit.
TAfterEffect* HitAfterEffect(i32 spell, const TSpellPrototype& record, const TUnit* caster, const TUnit* target);
// A random number below bound from the stream, when bound is positive.
i32 RandomBelow(TRandomState& stream, i32 bound);

}  // namespace GameData
