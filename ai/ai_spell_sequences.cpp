// The composite casting rules: support for a friendly group, attacks on a
// target and the preparation spell 36, each a sequence of basic rules that
// stops at the first that casts.
#include "ai/ai_handler.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

constexpr i32 PreparationSpell = 36;

bool BelowHalf(const TGroup* g) { return g && g->GetLowestHitPoints() < g->GetWeakestMaxHitPoints() / 2; }

}  // namespace

bool TAIHandler::TryCastSpell36(TGroup* caster, TGroup* target) {
  if (!caster || !target) return false;
  const u32 id = target->ID;
  // The first slot that may cast it, and the first whose cast would tell.
  auto find = [&](bool withEffect) {
    const TGroup* acting = Player->GetActingGroup();
    const TGroup* t = ResolveGroup(id);
    if (!acting || !t) return -1;
    for (i32 slot = 0; slot < MaxGroupUnits; ++slot)
      if (acting->Units[slot] && Scenario->CanCastSpellAt(slot, PreparationSpell, t->FieldX(), t->FieldY()) &&
          (!withEffect || Scenario->SpellHasEffect(slot, PreparationSpell, t->FieldX(), t->FieldY())))
        return slot;
    return -1;
  };
  if (find(false) < 0) return false;
  if (find(true) < 0) {
    if (caster->GetLowestMorale() < 60 || target->GetHighestMorale() > 40) return false;
    if (!CastDrainSpell(caster, target)) return false;
    if (find(true) < 0) {
      TGroup* acting = Player->GetActingGroup();
      if (!acting || !CastMoraleSpells(acting, acting)) return false;
    }
  }
  const i32 slot = find(true);
  const TGroup* t = ResolveGroup(id);
  if (slot < 0 || !t) return false;
  return PostCastSpell(slot, PreparationSpell, t->FieldX(), t->FieldY()) == arDone;
}

bool TAIHandler::SupportGroup(TGroup* caster, TGroup* friendly, TGroup* target) {
  if (!caster || !friendly) return false;
  const u32 friendID = friendly->ID, targetID = target ? target->ID : 0;
  bool cast = false;
  if (friendly->CanAttack()) cast = CastStrengthSpells(caster, friendly);
  TGroup* g = ResolveGroup(friendID);
  TGroup* t = ResolveGroup(targetID);
  if (!cast && g && t && t->EstimateReadyCounterAttackDamage(g) >= g->GetTotalHitPoints() / 4 &&
      IsHostileNear(t->FieldX(), t->FieldY(), 2))
    cast = CastDefenceSpells(caster, g);
  g = ResolveGroup(friendID);
  if (!cast && g && g->GetLowestMorale() <= 30) cast = CastMoraleSpells(caster, g);
  return cast;
}

bool TAIHandler::SupportGroupRandomOrder(TGroup* caster, TGroup* friendly) {
  if (!caster || !friendly) return false;
  const u32 id = friendly->ID;
  const bool shieldFirst = Draw() < 0.5;
  bool cast = false;
  auto step = [&](bool (TAIHandler::*rule)(TGroup*, TGroup*)) {
    if (TGroup* g = ResolveGroup(id); g && !cast) cast = (this->*rule)(caster, g);
  };
  if (BelowHalf(ResolveGroup(id))) step(&TAIHandler::CastHealingSpells);
  step(shieldFirst ? &TAIHandler::CastShieldSpells : &TAIHandler::CastDefenceSpells);
  step(shieldFirst ? &TAIHandler::CastDefenceSpells : &TAIHandler::CastShieldSpells);
  if (const TGroup* g = ResolveGroup(id); g && g->GetLowestMorale() < 31) step(&TAIHandler::CastMoraleSpells);
  return cast;
}

bool TAIHandler::CastDirectAttack(TGroup* caster, TGroup* target, bool withHeavy) {
  if (!caster || !target) return false;
  const u32 id = target->ID;
  bool cast = CastAttackSpells(caster, target);
  TGroup* t = ResolveGroup(id);
  if (!cast && t) cast = CastDrainSpell(caster, t);
  t = ResolveGroup(id);
  TGroup* s = Player->GetActingGroup();
  if (!cast && withHeavy && t && s && t->EstimateReadyCounterAttackDamage(s) >= t->GetTotalHitPoints() / 5)
    cast = CastHeavyAttackSpells(caster, t);
  t = ResolveGroup(id);
  if (!cast && t && t->CanAttack()) cast = CastMixedAttackSpells(caster, t);
  return cast;
}

bool TAIHandler::CastOffensive(TGroup* caster, TGroup*, TGroup* target) {
  if (!caster || !target) return false;
  const u32 id = target->ID;
  i32 x = target->FieldX(), y = target->FieldY();
  bool cast = false;
  if (FindHostileCluster(x, y, 2)) cast = CastClusterSpells(caster, x, y);
  if (!cast && ResolveGroup(id) && Draw() < 0.5) cast = CastDirectAttack(caster, ResolveGroup(id), true);
  if (!cast && ResolveGroup(id)) cast = CastSimulatedSpells(caster, ResolveGroup(id));
  if (!cast && ResolveGroup(id)) cast = CastDirectAttack(caster, ResolveGroup(id), true);
  return cast;
}

bool TAIHandler::SupportWeakestAttacker(TGroup* caster, TGroup* target, const TAIVirtualUnitList& units) {
  const TGroup* s = Player->GetActingGroup();
  if (!caster || !s) return false;
  TGroup* g = FindWeakestAttackerNear(units, s->FieldX(), s->FieldY(), s->GetHighestLevel() + 2);
  return g && SupportGroup(caster, g, target);
}

bool TAIHandler::SupportNeighbour(TGroup* caster, TGroup*, const TAIVirtualUnitList& units) {
  const TGroup* s = Player->GetActingGroup();
  if (!caster || !s) return false;
  const i32 x = s->FieldX(), y = s->FieldY(), r = s->GetHighestLevel() + 2;
  const bool woundedFirst = Draw() < 0.5;
  TGroup* g = woundedFirst ? FindMostWoundedGroupNear(units, x, y, r) : FindWeakestDefenderNear(units, x, y, r);
  if (!g) g = woundedFirst ? FindWeakestDefenderNear(units, x, y, r) : FindMostWoundedGroupNear(units, x, y, r);
  return g && SupportGroupRandomOrder(caster, g);
}

}  // namespace AIHandler
