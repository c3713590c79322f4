// The modal spell book of one unit: the spells it knows and may use now,
// sorted into four school tabs, four to a page and two pages to a spread.
#pragma once

#include "engine/base/types.h"

namespace DXWin {
class TDXWindowSystem;
}
namespace GameData {
class TUnit;
}

namespace Main {

constexpr u32 SpellUsageMap = 1, SpellUsageBattle = 2;
// The book's result: this plus the chosen spell's number; this alone for none.
constexpr i32 SpellResultBase = 1000;

// Shows the unit's book modally; the chosen spell's number, 0 for none.
i32 ChooseSpell(DXWin::TDXWindowSystem* windowSystem, GameData::TUnit* unit, u32 usage);

}  // namespace Main
