// The basic casting rules: each owns a short list of map spells, shuffles a
// copy of it slightly and lets the first unit of the acting group that can
// cast one with effect on the target cast it.
#include <utility>

#include "ai/ai_handler.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

using TAfterCast = TAIHandler::TAfterCast;

bool Any(i32) { return true; }

// 0.7 x maximum not above the hit points, in integers.
bool WeakestAtLeast(const TGroup* g, i32 tenths) {
  return g && tenths * g->GetWeakestMaxHitPoints() <= 10 * g->GetLowestHitPoints();
}

// The target's slowest moving unit still has more than 10 points per unit.
bool Unhurried(const TGroup* g) { return g && g->GetMinActionPoints() > 10 * g->GetUnitCount(); }

}  // namespace

TGroup* TAIHandler::ResolveGroup(u32 id) const {
  if (id == 0 || !Scenario) return nullptr;
  TGroup* acting = Player ? Player->GetActingGroup() : nullptr;
  if (acting && acting->ID == id) return acting;
  return Scenario->FindGroup(id);
}

void TAIHandler::ShuffleSpellList(i32* list, i32 count, double p) {
  for (i32 i = 0; i + 1 < count; ++i)
    if (Draw() < p) std::swap(list[i], list[i + 1]);
}

TAIHandler::TTargetField TAIHandler::FieldOfGroup(u32 id) const {
  return [this, id](i32& x, i32& y) {
    const TGroup* g = ResolveGroup(id);
    if (!g) return false;
    x = g->FieldX();
    y = g->FieldY();
    return true;
  };
}

TAIHandler::TTargetField TAIHandler::FixedField(i32 x, i32 y) {
  return [x, y](i32& fx, i32& fy) {
    fx = x;
    fy = y;
    return true;
  };
}

bool TAIHandler::CastFromList(std::vector<i32> list, double p, const TTargetField& field, const TSpellFilter& filter,
                              const TAfterCastStep& after) {
  if (p >= 0) ShuffleSpellList(list.data(), static_cast<i32>(list.size()), p);
  bool cast = false;
  for (i32 slot = 0; slot < MaxGroupUnits; ++slot) {
    for (i32& spell : list) {
      const TGroup* acting = Player->GetActingGroup();
      if (!acting) return cast;
      if (!acting->Units[slot]) break;
      if (spell == 0) continue;
      i32 fx = 0, fy = 0;
      if (!field(fx, fy)) return cast;
      if (!filter(spell)) continue;
      if (!Scenario->CanCastSpellAt(slot, spell, fx, fy) || !Scenario->SpellHasEffect(slot, spell, fx, fy)) continue;
      if (PostCastSpell(slot, static_cast<u32>(spell), fx, fy) != arDone) continue;
      cast = true;
      switch (after(spell)) {
        case TAfterCast::Done: return true;
        case TAfterCast::Drop: spell = 0; break;
        case TAfterCast::Keep: break;
      }
    }
  }
  return cast;
}

bool TAIHandler::CastStrengthSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  return CastFromList({6, 39}, 0.1, FieldOfGroup(id), [&](i32 spell) {
    const TGroup* t = ResolveGroup(id);
    return spell != 39 || (WeakestAtLeast(t, 7) && t->GetLowestMorale() > 50);
  }, [](i32) { return TAfterCast::Done; });
}

bool TAIHandler::CastShieldSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  return CastFromList({2, 39}, 0.1, FieldOfGroup(id), [&](i32 spell) {
    const TGroup* t = ResolveGroup(id);
    return spell != 39 || (WeakestAtLeast(t, 7) && t->GetLowestMorale() > 50);
  }, [](i32) { return TAfterCast::Done; });
}

bool TAIHandler::CastDefenceSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  return CastFromList({44, 49, 11, 26, 35, 58, 15, 2}, 0.3, FieldOfGroup(target->ID), Any,
                      [](i32) { return TAfterCast::Done; });
}

bool TAIHandler::CastActionPointSpell(TGroup*, TGroup* target) {
  if (!target) return false;
  return CastFromList({4}, 0.1, FieldOfGroup(target->ID), Any, [](i32) { return TAfterCast::Done; });
}

bool TAIHandler::CastMoraleSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  return CastFromList({7, 37, 46, 3}, 0.1, FieldOfGroup(id), [&](i32 spell) {
    const TGroup* t = ResolveGroup(id);
    return t && (spell != 7 || t->GetLowestMorale() < 50);
  }, [&](i32) {
    const TGroup* t = ResolveGroup(id);
    return !t || t->GetLowestMorale() >= 60 ? TAfterCast::Done : TAfterCast::Drop;
  });
}

// Healing goes on until the weakest unit is back at 80 %.
bool TAIHandler::CastHealingSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  return CastFromList({12, 54, 1}, 0.1, FieldOfGroup(id), Any, [&](i32) {
    const TGroup* t = ResolveGroup(id);
    return !t || WeakestAtLeast(t, 8) ? TAfterCast::Done : TAfterCast::Keep;
  });
}

bool TAIHandler::CastMovementSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  return CastFromList({38, 25}, 0.1, FieldOfGroup(target->ID), Any, [](i32) { return TAfterCast::Done; });
}

bool TAIHandler::CastHeavyAttackSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  return CastFromList({9, 24, 57, 55, 42, 29, 51, 27, 13}, 0.1, FieldOfGroup(id), [&](i32 spell) {
    const TGroup* t = ResolveGroup(id);
    if (!t) return false;
    if (spell == 55) return HasNoFriendsNear(t->FieldX(), t->FieldY(), 2);
    return spell != 27 || Unhurried(t);
  }, [&](i32) { return ResolveGroup(id) ? TAfterCast::Drop : TAfterCast::Done; });
}

bool TAIHandler::CastAttackSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  return CastFromList({17, 41, 51}, 0.1, FieldOfGroup(id), Any,
                      [&](i32) { return ResolveGroup(id) ? TAfterCast::Drop : TAfterCast::Done; });
}

bool TAIHandler::CastMixedAttackSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  return CastFromList({52, 30, 45, 53, 29, 14}, 0.1, FieldOfGroup(id), [&](i32 spell) {
    const TGroup* t = ResolveGroup(id);
    return t && (spell != 45 || HasNoFriendsNear(t->FieldX(), t->FieldY(), 2));
  }, [&](i32) { return ResolveGroup(id) ? TAfterCast::Drop : TAfterCast::Done; });
}

bool TAIHandler::CastDrainSpell(TGroup*, TGroup* target) {
  if (!target) return false;
  const u32 id = target->ID;
  return CastFromList({27}, 0.1, FieldOfGroup(id), [&](i32) { return Unhurried(ResolveGroup(id)); },
                      [&](i32) { return ResolveGroup(id) ? TAfterCast::Drop : TAfterCast::Done; });
}

bool TAIHandler::CastClusterSpells(TGroup*, i32 x, i32 y) {
  return CastFromList({19, 18, 45, 55}, 0.3, FixedField(x, y), Any, [&](i32 spell) {
    i32 count = 0;
    if (!CountLoneHostiles(x, y, count, 2)) return TAfterCast::Done;
    return spell == 55 ? TAfterCast::Drop : TAfterCast::Keep;
  });
}

// A group that sees one field only is not helped by more sight.
bool TAIHandler::CastSightSpells(TGroup*, TGroup* target) {
  if (!target) return false;
  std::vector<i32> list{16, 13};
  ShuffleSpellList(list.data(), static_cast<i32>(list.size()), 0.01);
  if (target->GetHighestSight() <= 1) return true;
  return CastFromList(list, NoShuffle, FieldOfGroup(target->ID), Any, [](i32) { return TAfterCast::Done; });
}

// Up to three summoned groups, each on the free field nearest the caster;
// the field of the last one is reported.
bool TAIHandler::CastSummoningSpells(TGroup*, i32& x, i32& y) {
  const TGroup* acting = Player->GetActingGroup();
  if (!acting) return false;
  i32 fx = acting->FieldX(), fy = acting->FieldY();
  if (!FindFieldTowards(fx, fy)) return false;
  i32 count = 0;
  return CastFromList({61, 47, 28, 23, 50}, 0.1, [&](i32& tx, i32& ty) {
    tx = fx;
    ty = fy;
    return true;
  }, Any, [&](i32) {
    x = fx;
    y = fy;
    if (++count >= 3) return TAfterCast::Done;
    // The field is taken now: the next one is sought from the caster again.
    const TGroup* g = Player->GetActingGroup();
    i32 nx = g ? g->FieldX() : 0, ny = g ? g->FieldY() : 0;
    if (!g || !FindFieldTowards(nx, ny)) return TAfterCast::Done;
    fx = nx;
    fy = ny;
    return TAfterCast::Keep;
  });
}

bool TAIHandler::CastScoutSpell(TGroup*, i32 x, i32 y) {
  return CastFromList({33}, NoShuffle, FixedField(x, y), Any, [](i32) { return TAfterCast::Done; });
}

}  // namespace AIHandler
