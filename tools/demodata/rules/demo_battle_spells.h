// The demo's battle spells 65..125: levels 1 to 5, all three classes, and
// parameters that keep every division of the battle rules away from zero.
#pragma once

#include <memory>
#include <vector>

#include "engine/base/types.h"
#include "tools/databuilder/text_builder.h"

namespace Gfx {
class TSprite;
}

namespace Builder {

constexpr i32 DemoBattleSpellCount = 61;

// The cast (0), flight (1) and impact (2) sprite of the battle spells of a
// class (1 blessings, 2 harm, 3 curses), in the spell sprite list.
u32 BattleSpellSpriteID(i32 spellClass, i32 phase);

// Appends the records of the battle spells in the spell file's text form.
void WriteBattleSpells(TTextBuilder& t);
// Their sprites, alpha: a spark gathering, a bolt pointing up with its
// tail below (drawn turned to its heading), and a widening burst.
void AddBattleSpellSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list);

}  // namespace Builder
