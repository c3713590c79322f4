// The computer opponent's questions about map spells: would a cast change
// anything (no random draw, nothing written), and what would its immediate
// effect do to copied units (random numbers from the thread's stream only).
#include <algorithm>

#include "combat/map_spell_effects.h"
#include "combat/spell.h"
#include "combat/spell_rules.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameData {

namespace {

bool IsOneOf(i32 n, std::initializer_list<i32> set) { return std::find(set.begin(), set.end(), n) != set.end(); }
i32 W(i64 v) { return static_cast<i32>(v); }

template <class F>
bool AnyUnit(const TGroup* g, F f) {
  if (!g) return false;
  for (const TUnit* u : g->Units)
    if (u && f(u)) return true;
  return false;
}

class TQuestion {
 public:
  TQuestion(const TScenario& s, const TUnit* caster, const TSpellPrototype& record, i32 fx, i32 fy)
      : S(s), Caster(caster), Record(record), Spell(record.Number), FX(fx), FY(fy) {
    T = s.IsFieldOnMap(fx, fy) ? s.GetGroupAt(fx, fy, nullptr) : nullptr;
  }

  bool Answer() const;

 private:
  bool Open(const TUnit* u) const { return !u->IsImmuneToSpell(Spell); }
  bool Ratio(const TUnit* u) const {
    i32 a = 0, b = 0;
    ContestValues(Spell, Record, Caster, u, a, b);
    return Open(u) && RatioGreater(ScaledFor(Caster, a), ScaledFor(u, b));
  }
  // The first unit carrying the effect says no, the first that qualifies yes.
  template <class F>
  bool Fresh(const TGroup* g, F qualifies) const {
    if (!g) return false;
    for (const TUnit* u : g->Units) {
      if (!u) continue;
      if (u->HasSpellEffect(Spell)) return false;
      if (qualifies(u)) return true;
    }
    return false;
  }
  template <class F>
  bool AnyGroupAround(i32 radius, F f) const {
    for (i32 dy = -radius; dy <= radius; ++dy)
      for (i32 dx = -radius; dx <= radius; ++dx)
        if (S.IsFieldOnMap(FX + dx, FY + dy))
          if (const TGroup* g = S.GetGroupAt(FX + dx, FY + dy, nullptr); g && f(g)) return true;
    return false;
  }
  bool EstimatedDamage(const TUnit* u) const {
    const i16* p = Record.Params;
    i32 a = AttackOf(Caster);
    if (Spell != 40) a += Level(Caster) * p[3] / 100;
    const i32 estimate =
        W(i64(p[0]) * a * Morale(Caster) / 100 / 50) + (p[1] * a / 2) / 100 - p[2] * DefenceOf(u) / 100;
    return Open(u) && estimate > 0;
  }
  bool WholeGroupRatio() const {
    if (!T) return false;
    i64 sum = 0;
    bool strong = false;
    for (const TUnit* u : T->Units)
      if (u) {
        sum += Morale(u);
        strong = strong || !Open(u) || u->Hero;
      }
    if (strong) sum += 10000;
    return RatioGreater(ScaledFor(Caster, Morale(Caster) * Record.Params[0] / 100),
                        ScaledForGroup(T, W(Record.Params[1] * sum / 100)));
  }

  const TScenario& S;
  const TUnit* Caster;
  const TSpellPrototype& Record;
  i32 Spell;
  i32 FX, FY;
  const TGroup* T = nullptr;
};

bool TQuestion::Answer() const {
  const auto open = [this](const TUnit* u) { return Open(u); };
  const auto ratio = [this](const TUnit* u) { return Ratio(u); };
  const auto humanoid = [](const TUnit* u) { return u->Kind == 1 || u->Kind == 2; };
  if (IsOneOf(Spell, {18, 21, 23, 28, 33, 47, 48, 50, 56, 61})) return true;
  if (Spell == 59) return false;
  if (IsOneOf(Spell, {1, 60})) return AnyUnit(T, open);
  if (IsOneOf(Spell, {8, 45})) return AnyGroupAround(2, [&](const TGroup* g) { return AnyUnit(g, open); });
  if (Spell == 37) return AnyGroupAround(1, [&](const TGroup* g) { return AnyUnit(g, open); });
  if (IsOneOf(Spell, {2, 3, 4, 6, 12, 15, 22, 25, 27, 32, 35, 38, 39, 44, 58})) return Fresh(T, open);
  if (IsOneOf(Spell, {26, 46})) return AnyGroupAround(1, [&](const TGroup* g) { return Fresh(g, open); });
  if (IsOneOf(Spell, {13, 16, 30, 51})) return Fresh(T, ratio);
  if (Spell == 54) return Fresh(T, [&](const TUnit* u) { return Open(u) && (u->Kind & 4); });
  if (Spell == 24) return Fresh(T, [&](const TUnit* u) { return Open(u) && u->Kind != ukUndead; });
  if (IsOneOf(Spell, {5, 17, 29, 31, 34, 52, 53, 57})) return AnyUnit(T, ratio);
  if (Spell == 9) return AnyUnit(T, [&](const TUnit* u) { return humanoid(u) && Ratio(u); });
  if (Spell == 10) return AnyUnit(T, [&](const TUnit* u) { return u->Kind == ukUndead && Ratio(u); });
  if (IsOneOf(Spell, {7, 19})) return AnyGroupAround(2, [&](const TGroup* g) { return AnyUnit(g, ratio); });
  if (Spell == 55)
    return AnyGroupAround(2, [&](const TGroup* g) {
      return AnyUnit(g, [&](const TUnit* u) { return u->Kind != ukUndead && Ratio(u); });
    });
  if (Spell == 36) return WholeGroupRatio();
  if (Spell == 14) return AnyUnit(T, [&](const TUnit* u) { return Open(u) && u->Kind != ukUndead; });
  if (Spell == 20) return AnyUnit(T, [&](const TUnit* u) { return Open(u) && humanoid(u); });
  if (IsOneOf(Spell, {11, 49})) return T && !AnyUnit(T, [&](const TUnit* u) { return u->HasSpellEffect(Spell); });
  if (Spell == 43) return T && T->GetUnitCount() > 1 && AnyUnit(T, open);
  if (IsOneOf(Spell, {40, 41, 42})) return AnyUnit(T, [&](const TUnit* u) { return EstimatedDamage(u); });
  return false;
}

// Hit points lost in a simulation: never through TakeDamage, so no
// experience, wounds or morale follow.
void Lose(TUnit* u, i32 hitPoints) {
  if (hitPoints > 0) u->AddHitPoints(-hitPoints);
}

class TSimulation {
 public:
  TSimulation(const TScenario& s, TUnit* caster, const TSpellPrototype& record, TGroup* target)
      : S(s), Caster(caster), Record(record), P(record.Params), Spell(record.Number), T(target),
        N(target->GetUnitCount()), L(Level(caster)) {}
  void Run();

 private:
  bool Open(const TUnit* u) const { return !u->IsImmuneToSpell(Spell); }
  bool Wins(const TUnit* u) const {
    i32 a = 0, b = 0;
    ContestValues(Spell, Record, Caster, u, a, b);
    return Open(u) && RatioGreater(ScaledFor(Caster, a), ScaledFor(u, b));
  }
  template <class F>
  void Each(F f) {
    for (TUnit* u : T->Units)
      if (u) f(u);
  }
  void Effect(TUnit* u, TAfterEffect* e) {
    if (e) u->AddAfterEffect(e);
  }
  void Push57();

  const TScenario& S;
  TUnit* Caster;
  const TSpellPrototype& Record;
  const i16* P;
  i32 Spell;
  TGroup* T;
  i32 N, L;
};

void TSimulation::Push57() {
  // The caster's group stands where the caster is; a bare copy stands in
  // the current player's acting group.
  const TGroup* from = Caster->GetGroup();
  if (!from)
    if (const TPlayer* current = S.PlayerAt(S.CurrentPlayerIndex)) from = current->GetActingGroup();
  if (!from) return;
  const u8 d = TGroup::FacingDirection(from->FieldX(), from->FieldY(), T->FieldX(), T->FieldY());
  const i32 nx = T->FieldX() + DirectionStepX[d], ny = T->FieldY() + DirectionStepY[d];
  if (S.IsFieldOnMap(nx, ny) && S.IsFieldFree(nx, ny)) return;
  Each([&](TUnit* u) {
    if (Wins(u)) Lose(u, L * P[8] / 100 + P[7] + RandomBelow(RandomThread, L * P[9] / 100));
  });
}

void TSimulation::Run() {
  const i32 n = N;
  switch (Spell) {
    case 5:
      Each([&](TUnit* u) {
        if (Wins(u)) Lose(u, (4 - n) * L * P[3] / 100 + P[2]);
      });
      Caster->AddMorale(-P[4]);
      break;
    case 10:
      Each([&](TUnit* u) {
        if (u->Kind != ukUndead || !Wins(u)) return;
        u->AddHitPoints(P[2] - HitPointsOf(u));
        Caster->AddMana(P[3] - ManaOf(Caster));
      });
      break;
    case 14:
      Each([&](TUnit* u) {
        if (!Open(u) || u->Kind == ukUndead) return;
        Lose(u, P[0]);
        u->AddActionPoints(-(ActionPointsOf(u) * P[1] / 100));
      });
      break;
    case 17:
      Each([&](TUnit* u) {
        if (!Wins(u)) return;
        Lose(u, L * P[3] / 100 + P[2] + RandomBelow(RandomThread, L * P[4] / 100));
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
      });
      break;
    case 20:
      Each([&](TUnit* u) {
        if (!Open(u) || (u->Kind != 1 && u->Kind != 2)) return;
        const i32 before = HitPointsOf(u);
        Lose(u, L * P[0] / 100);
        u->AddMorale(-(L * P[3] / 100));
        Caster->AddHitPoints(before - HitPointsOf(u));
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
      });
      break;
    case 24:
      Each([&](TUnit* u) {
        if (!Open(u) || u->Kind == ukUndead) return;
        Lose(u, W(i64(4 - n) * DefenceOf(u) * P[0] / 100));
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
      });
      break;
    case 29:
      Each([&](TUnit* u) {
        if (!Wins(u)) return;
        u->AddActionPoints(-((4 - n) * L * P[2] / 100));
        Lose(u, (4 - n) * L * P[3] / 100);
        TAfterEffect* e = NewAfterEffect(Spell, 1);
        e->Properties.CounterAttack.Current = static_cast<i16>(-((4 - n) * L * P[4] / 100));
        Effect(u, e);
      });
      break;
    case 31:
      Each([&](TUnit* u) {
        if (Wins(u)) Lose(u, L * P[2] / 100 + W(i64(Morale(Caster) - 50) * L * P[3] / 100));
      });
      break;
    case 40:
    case 41:
    case 42:
      Each([&](TUnit* u) {
        if (!Open(u)) return;
        const i32 damage = GaussianDamage(S, Record, Caster, u, RandomThread);
        if (damage <= 0) return;
        Lose(u, damage);
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
      });
      break;
    case 43: {
      i64 sum = 0;
      Each([&](TUnit* u) { sum += AttackOf(u); });
      Each([&](TUnit* u) {
        if (!Open(u)) return;
        const i64 s = sum - AttackOf(u);
        const i32 r = W(P[1] * s) >= 1 ? RandomBelow(RandomThread, W(P[1] * s)) : 0;
        Lose(u, r / 100 + W(P[0] * s * Morale(Caster) / 5000) - DefenceOf(u) * P[2] / 100);
      });
      break;
    }
    case 48:
      Each([&](TUnit* u) { Lose(u, DefenceOf(u) * P[0] / 100); });
      break;
    case 53:
      Each([&](TUnit* u) {
        if (!Wins(u)) return;
        u->AddActionPoints(ActionPointsOf(u) * P[2] - ActionPointsOf(u));
        Lose(u, (4 - n) * (P[3] + L));
      });
      break;
    case 57: {
      bool hit = false;
      Each([&](TUnit* u) {
        if (!Wins(u)) return;
        Lose(u, L * P[3] / 100 + P[2] + RandomBelow(RandomThread, L * P[4] / 100));
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
        hit = true;
      });
      if (hit) Push57();
      break;
    }
    case 60:
      Each([&](TUnit* u) {
        if (Open(u)) Lose(u, L * P[1] / 100 + P[0] + RandomBelow(RandomThread, L * P[2] / 100));
      });
      break;
    default:
      break;
  }
}

}  // namespace

bool MapSpellHasEffect(const TScenario& scenario, i32 casterSlot, i32 spellNumber, i32 fx, i32 fy) {
  if (spellNumber < 0 || spellNumber > 61) return false;
  const TPlayer* current = scenario.PlayerAt(scenario.CurrentPlayerIndex);
  const TGroup* group = current ? current->GetSelectedGroup() : nullptr;
  const TUnit* caster = group && casterSlot >= 0 && casterSlot < MaxGroupUnits ? group->Units[casterSlot] : nullptr;
  const TSpellPrototype* record = FindSpellRecord(spellNumber);
  if (!caster || !record) return false;
  const TGroup* target = scenario.IsFieldOnMap(fx, fy) ? scenario.GetGroupAt(fx, fy, nullptr) : nullptr;
  if (target && spellNumber != 17 && target->GetUnitCount() > 0 &&
      !AnyUnit(target, [&](const TUnit* u) { return !u->HasSpellEffect(spellNumber); }))
    return false;
  return TQuestion(scenario, caster, *record, fx, fy).Answer();
}

void SimulateMapSpellEffect(const TScenario& scenario, TUnit* caster, i32 spellNumber, TGroup* target) {
  const TSpellPrototype* record = spellNumber >= 0 && spellNumber <= 61 ? FindSpellRecord(spellNumber) : nullptr;
  if (!caster || !target || !record) return;
  TSimulation(scenario, caster, *record, target).Run();
}

}  // namespace GameData
