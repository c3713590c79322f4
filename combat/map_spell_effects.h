// The map spells' effects on the world and their evaluation for the
// computer opponent; connected to the scenario's spell seam.
#pragma once

#include "engine/base/types.h"

namespace GameData {

class TScenario;
class TGroup;
class TUnit;

// The effect of the spell cast by the unit in that slot of the current
// player's acting group on the field, with the common epilogue.
void ApplyMapSpellEffect(TScenario& scenario, i32 casterSlot, i32 spellNumber, i32 fx, i32 fy);
// Would the spell, cast by the unit in that slot of the current player's
// selected group on the field, change anything? Reads only, draws nothing.
bool MapSpellHasEffect(const TScenario& scenario, i32 casterSlot, i32 spellNumber, i32 fx, i32 fy);
// The immediate effect of a damaging or draining spell on the given units,
// random numbers from the player thread's stream only.
void SimulateMapSpellEffect(const TScenario& scenario, TUnit* caster, i32 spellNumber, TGroup* target);

// Connects the spell course, the effects and the evaluation to the world.
void ConnectSpellModule();

}  // namespace GameData
