// The combat behaviour and the spell rules as the handlers see them before
// those exist: nothing is found and nothing is cast, so the handlers walk
// their groups and never fight or cast on the way.
#include "ai/ai_handler.h"

namespace AIHandler {

using namespace GameData;

bool TAIHandler::GroupCombat(TAIVirtualUnitList&, TGroup*, TAITask*) { return false; }
TUnit* TAIHandler::FindWeakestHostileNear(i32, i32, i32) { return nullptr; }
bool TAIHandler::IsHostileNear(i32, i32, i32) { return false; }
bool TAIHandler::CastScoutSpell(TGroup*, i32, i32) { return false; }
bool TAIHandler::CastMovementSpells(TGroup*, TGroup*) { return false; }
bool TAIHandler::CastActionPointSpell(TGroup*, TGroup*) { return false; }
bool TAIHandler::CastSightSpells(TGroup*, TGroup*) { return false; }
bool TAIHandler::CastHealingSpells(TGroup*, TGroup*) { return false; }
bool TAIHandler::CastDefenceSpells(TGroup*, TGroup*) { return false; }
bool TAIHandler::CastShieldSpells(TGroup*, TGroup*) { return false; }
bool TAIHandler::CastSummoningSpells(TGroup*, i32&, i32&) { return false; }

}  // namespace AIHandler
