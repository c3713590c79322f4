// What an acting group does against a target group in one step: look after
// itself, weaken the target with spells, attack it, give up, or retreat to
// the least threatened field in reach.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "ai/ai_handler.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace AIHandler {

using namespace GameData;

namespace {

bool IsCamped(const TGroup* g) { return g && g->CampState == csCamped; }

i32 Chebyshev(const TGroup* a, const TGroup* b) {
  return std::max(std::abs(a->FieldX() - b->FieldX()), std::abs(a->FieldY() - b->FieldY()));
}

// The start of the turn heals below half; later steps at half or below.
bool BelowHalf(const TGroup* g) { return g->GetLowestHitPoints() < g->GetWeakestMaxHitPoints() / 2; }
bool AtMostHalf(const TGroup* g) { return g->GetLowestHitPoints() <= g->GetWeakestMaxHitPoints() / 2; }

// Above any threat value a field can have.
constexpr i32 NoThreatFound = 1000;

}  // namespace

// The scenario's search for a field on the way, on the handler's own cost
// map: the scenario's belongs to the main thread.
bool TAIHandler::CanReachGroup(const TGroup* group) {
  const TGroup* acting = Player->GetSelectedGroup();
  if (!group || !acting) return false;
  if (Scenario->HasFieldNextToGroup(group, acting)) return true;
  i32 x = group->FieldX(), y = group->FieldY();
  return FindFieldTowards(x, y);
}

bool TAIHandler::GroupCombat(TAIVirtualUnitList& units, TGroup* target, TAITask* task) {
  TGroup* s = Player->GetSelectedGroup();
  if (!s || !target) return false;
  const i32 priority = task ? task->Priority : 0;
  auto selected = [this] { return Player->GetSelectedGroup(); };
  u32 targetID = target->ID;
  auto targetNow = [&] { return Scenario->FindGroup(targetID); };

  // 1. Measures.
  TGroup* t = target;
  const TAIUnit* a0 = nullptr;
  for (i32 i = 0; i < MaxGroupUnits && !a0; ++i)
    if (s->Units[i] && !s->SplitMarks[i]) a0 = FindAIUnit(s->Units[i]);
  const i32 dmg = s->EstimateReadyAttackDamage(t);
  const i32 casting = s->GetTotalMana() + s->CountKnownSpells();
  const bool near = Chebyshev(s, t) <= s->GetHighestLevel() + 2;
  bool reach = CanReachGroup(t);
  bool retreat = false;

  // 2. Self-care.
  if (BelowHalf(s)) CastHealingSpells(s, s);
  if (!(s = selected())) return !targetNow();
  {
    const i32 morale = s->GetLowestMorale();
    if (morale < 30 || (morale < 50 && near && Draw() < 0.6)) CastMoraleSpells(s, s);
  }
  if (!(s = selected())) return !targetNow();
  if (!(t = targetNow())) return true;

  // 3. Nothing in reach: the weakest hostile close by instead.
  if (!reach && !near) {
    if (const TUnit* u = FindWeakestHostileNear(s->FieldX(), s->FieldY(), 4); u && u->GetGroup()) {
      t = u->GetGroup();
      targetID = t->ID;
      reach = true;
    }
  }

  // 4. Close enough to fight with spells.
  if (near) {
    const i32 hp3 = t->GetTotalHitPoints() / 3;
    if (dmg >= hp3 && casting > 0 && reach) {
      if (Draw() < 0.5 && TryCastSpell36(s, t)) return true;
      if ((s = selected()) && (t = targetNow())) {
        const bool far = Draw() < 0.4 && a0 && a0->CostTo(t->FieldX(), t->FieldY()) > 2;
        if (far || IsCamped(s)) {
          if (Draw() < 0.5) {
            if (!CastSimulatedSpells(s, t) && (s = selected()) && (t = targetNow())) CastAttackSpells(s, t);
          } else {
            if (!CastAttackSpells(s, t) && (s = selected()) && (t = targetNow())) CastSimulatedSpells(s, t);
          }
        }
      }
    } else if (dmg > t->EstimateReadyCounterAttackDamage(s) && casting > 0 && reach) {
      if (TryCastSpell36(s, t)) return true;
      if ((s = selected()) && (t = targetNow())) {
        if (Draw() < 0.7) {
          if (!CastOffensive(s, s, t) && (s = selected())) SupportGroup(s, s, targetNow());
        } else {
          SupportGroup(s, s, t);
          if ((s = selected()) && (t = targetNow())) CastOffensive(s, s, t);
        }
      }
    } else if (casting > 0) {
      if (TryCastSpell36(s, t)) return true;
      if ((s = selected()) && (t = targetNow())) {
        i32 sx = 0, sy = 0;
        if (Draw() < 0.5) {
          CastOffensive(s, s, t);
          if ((s = selected())) CastSummoningSpells(s, sx, sy);
          if ((s = selected()) && (t = targetNow()) && !SupportWeakestAttacker(s, t, units) && (s = selected()) &&
              (t = targetNow()))
            SupportNeighbour(s, t, units);
        } else {
          SupportWeakestAttacker(s, t, units);
          if ((s = selected()) && (t = targetNow())) CastOffensive(s, s, t);
          if ((s = selected()) && (t = targetNow())) SupportNeighbour(s, t, units);
          if ((s = selected())) CastSummoningSpells(s, sx, sy);
        }
      }
      if (reach && priority < 75) {
        s = selected();
        t = targetNow();
        reach = s && t && s->EstimateReadyAttackDamage(t) > t->EstimateReadyCounterAttackDamage(s);
      }
    } else if (dmg < t->EstimateReadyCounterAttackDamage(s) && reach) {
      if (priority < 75 || (priority == 75 && Draw() < 0.5)) reach = false;
      if (priority < 50 || (priority == 50 && Draw() < 0.5)) {
        retreat = true;
        reach = false;
      }
    }
  }

  // 6. The attack.
  if (reach && (s = selected())) {
    if (!(t = targetNow())) {
      if (AtMostHalf(s)) CastHealingSpells(s, s);
      if ((s = selected()) && s->GetLowestMorale() < 30) CastMoraleSpells(s, s);
      return true;
    }
    if (IsCamped(s)) PostBreakCamp(s);
    bool pointsTried = false;
    for (i32 round = 0; round < MaxOrderRepeats && (t = targetNow()); ++round) {
      const u32 result = ApproachGroup(t, amAttack, true, 10);
      if (!(s = selected())) return !targetNow();
      if (result == arSighted) {
        RefreshTargets();
        continue;
      }
      if (result == arNoActionPoints && !pointsTried) {
        pointsTried = true;
        if (CastActionPointSpell(s, s)) continue;
      }
      break;
    }
  }

  // 7. The retreat.
  if (retreat && !reach && (s = selected())) {
    ComputeThreatMap();
    const i32 points = s->GetMinActionPoints();
    const std::vector<u8>& costs = Scenario->MoveCosts;
    i32 best = NoThreatFound, bx = -1, by = -1;
    for (i32 y = 0; y < Scenario->Height; ++y)
      for (i32 x = 0; x < Scenario->Width; ++x) {
        const std::size_t i = static_cast<std::size_t>(Scenario->FieldIndex(x, y));
        if (i >= costs.size() || !Scenario->IsFieldReachable(x, y) || costs[i] > points) continue;
        if (const i32 threat = GetThreat(x, y); threat < best) {
          best = threat;
          bx = x;
          by = y;
        }
      }
    if (bx >= 0) {
      if (IsCamped(s)) PostBreakCamp(s);
      bool pointsTried = false;
      for (i32 round = 0; round < MaxOrderRepeats; ++round) {
        const u32 result = MoveToField(bx, by, true, 0, false);
        if (!(s = selected())) return false;
        if (result == arSighted) {
          RefreshTargets();
        } else if (result == arNoActionPoints && !pointsTried) {
          pointsTried = true;
          if (CastActionPointSpell(s, s)) continue;
        }
        break;
      }
    }
  }

  // 8. The end.
  const bool gone = !targetNow();
  if ((s = selected())) {
    if (AtMostHalf(s)) CastHealingSpells(s, s);
    if ((s = selected()) && !gone && targetNow() && near) CastDefenceSpells(s, s);
    if ((s = selected()) && s->GetLowestMorale() < 30) CastMoraleSpells(s, s);
  }
  return gone;
}

}  // namespace AIHandler
