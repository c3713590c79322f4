// The demo's battle spells 65..125: levels 1 to 5, all three classes, and
// parameters that keep every division of the battle rules away from zero.
#pragma once

#include "engine/base/types.h"
#include "tools/databuilder/text_builder.h"

namespace Builder {

constexpr i32 DemoBattleSpellCount = 61;

// Appends the records of the battle spells in the spell file's text form.
void WriteBattleSpells(TTextBuilder& t);

}  // namespace Builder
