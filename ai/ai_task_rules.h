// Small rules shared by the task handlers.
#pragma once

#include "ai/ai_handler.h"
#include "world/units/group.h"

namespace AIHandler {

// Below 75 a group takes risks' detours always, at exactly 75 on a coin flip
// (a draw only then).
inline bool BelowSeventyFive(i32 priority) { return priority < 75 || (priority == 75 && TAIHandler::Draw() < 0.5); }

inline bool IsCamped(const GameData::TGroup* g) { return g && g->CampState == GameData::csCamped; }

}  // namespace AIHandler
