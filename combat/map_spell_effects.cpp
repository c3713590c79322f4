// What a map spell (1 to 61) does to the world at its effect step, then the
// common epilogue: experience, notifications, deaths and move costs. Every
// random number comes from the main stream.
#include "combat/map_spell_effects.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "combat/spell.h"
#include "combat/spell_rules.h"
#include "world/data2/global_data.h"
#include "world/map/fog.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"

namespace GameData {

namespace {

// 32-bit results of products that data can make large.
i32 W(i64 v) { return static_cast<i32>(v); }

bool IsOneOf(i32 n, std::initializer_list<i32> set) { return std::find(set.begin(), set.end(), n) != set.end(); }

class TMapCast {
 public:
  TMapCast(TScenario& scenario, TUnit* caster, TGroup* casterGroup, const TSpellPrototype& record, i32 fx, i32 fy)
      : S(scenario), Caster(caster), CasterGroup(casterGroup), Record(record), P(record.Params), Spell(record.Number),
        FX(fx), FY(fy), L(Level(caster)), M(Morale(caster)), A(AttackOf(caster)) {
    T = S.IsFieldOnMap(fx, fy) ? S.GetGroupAt(fx, fy, nullptr) : nullptr;
    N = T ? T->GetUnitCount() : 0;
  }

  void Run();

  bool Changed = false;
  i32 DamageTotal = 0;

 private:
  template <class F>
  void EachUnit(TGroup* g, F f) {
    if (!g) return;
    // A copy of the slots: no case removes a unit, but the list must not move under the loop.
    TUnit* units[MaxGroupUnits];
    std::copy(std::begin(g->Units), std::end(g->Units), units);
    for (TUnit* u : units)
      if (u) f(u);
  }
  // The unit is not immune to the spell.
  bool Open(const TUnit* u) const { return !u->IsImmuneToSpell(Spell); }
  bool Contest(const TUnit* u, i32 a, i32 b) const {
    return Open(u) && GaussGreater(ScaledFor(Caster, a), ScaledFor(u, b));
  }
  bool Contest(const TUnit* u) const {
    i32 a = 0, b = 0;
    ContestValues(Spell, Record, Caster, u, a, b);
    return Contest(u, a, b);
  }
  void Damage(TUnit* u, i32 damage) {
    if (damage > 0) DamageTotal += u->TakeDamage(damage);
  }
  void Effect(TUnit* u, TAfterEffect* e) {
    if (e) u->AddAfterEffect(e);
  }
  // Every field of the square of that radius inside the map with the
  // topmost group on it.
  template <class F>
  void EachField(i32 radius, F f) {
    for (i32 dy = -radius; dy <= radius; ++dy)
      for (i32 dx = -radius; dx <= radius; ++dx)
        if (S.IsFieldOnMap(FX + dx, FY + dy))
          if (TGroup* g = S.GetGroupAt(FX + dx, FY + dy, nullptr)) f(g, dx, dy);
  }
  void UpdateOwnerFog(TGroup* g) {
    if (TPlayer* owner = g ? g->GetOwner() : nullptr) owner->UpdateFog();
  }
  void Heal();
  void AreaWeakness(i32 dx, i32 dy, TGroup* g, TUnit* u, bool ring18);
  void Morale7(TGroup* g, i32 dx, i32 dy);
  void Spell19(TGroup* g, i32 dx, i32 dy);
  void Spell55(TGroup* g, i32 dx, i32 dy);
  void Spell48();
  void Spell57();
  void Spell33();
  void Spell36();
  // Summons onto the target field for the caster's owner.
  bool CanSummon() const;
  TUnit* NewSummon(u32 prototype);
  void Place(TUnit* unit);
  void MakeTemporary(TUnit* unit, i32 turns);
  void Summon(u32 prototype, i32 level, bool learn);
  void Summon23();
  void Double28();
  void Copies56();

  TScenario& S;
  TUnit* Caster;
  TGroup* CasterGroup;
  const TSpellPrototype& Record;
  const i16* P;
  i32 Spell;
  i32 FX, FY;
  TGroup* T = nullptr;
  i32 N = 0;
  i32 L, M, A;
};

void TMapCast::Heal() {
  i32 count = L * P[1] / 100 + P[0];
  const auto wounded = [&](const TUnit* u) { return HitPointsOf(u) < MaxAtLevel(u, &TUnitProperties::HitPoints); };
  // A pass gives one point to each wounded unit; the count may be large.
  while (count > 0) {
    bool healed = false;
    EachUnit(T, [&](TUnit* u) {
      if (count > 0 && Open(u) && wounded(u)) {
        u->AddHitPoints(1);
        --count;
        healed = Changed = true;
      }
    });
    if (!healed) break;
  }
}

void TMapCast::AreaWeakness(i32 dx, i32 dy, TGroup* g, TUnit* u, bool ring18) {
  const i32 m = g->GetUnitCount();
  if (ring18) {
    const i32 w1 = RingWeight(dx, dy, P[0], P[1], P[2]), w2 = RingWeight(dx, dy, P[3], P[4], P[5]),
              w3 = RingWeight(dx, dy, P[6], P[7], P[8]);
    u->AddActionPoints(ReduceTo(ActionPointsOf(u), w3));
    Damage(u, HitPointsOf(u) - W(i64(HitPointsOf(u)) * w1 / 100));
    TAfterEffect* e = NewAfterEffect(Spell, 1);
    e->Properties.Defence.Current = static_cast<i16>(-w2);
    e->Properties.CounterAttack.Current = ReduceTo(u->Effective.CounterAttack.Current, w3);
    Effect(u, e);
  } else {
    const i32 w1 = RingWeight(dx, dy, P[0], P[1], P[2]), w2 = RingWeight(dx, dy, P[3], P[4], P[5]);
    u->AddActionPoints(ReduceTo(ActionPointsOf(u), w1));
    Damage(u, W(i64(L + 3 - m) * w2 / 100));
  }
  Changed = true;
}

void TMapCast::Morale7(TGroup* g, i32 dx, i32 dy) {
  const TPlayer* owner = CasterGroup->GetOwner();
  const i32 relation = owner ? owner->GetRelationToGroup(g) : rNone;
  const i32 w = RingWeight(dx, dy, P[0], P[1], P[2]), m = g->GetUnitCount();
  EachUnit(g, [&](TUnit* u) {
    if (!Contest(u)) return;
    const i32 amount = W(i64(L) * m * w / 100);
    if (relation == rSelf || relation == rAllied) {
      u->AddMorale(amount);
      Changed = true;
    } else if (relation == rHostile) {
      u->AddMorale(-amount);
      Changed = true;
    }
  });
}

void TMapCast::Spell19(TGroup* g, i32 dx, i32 dy) {
  const i32 w0 = RingWeight(dx, dy, 8, 5, 2);
  const i32 adx = std::abs(dx), ady = std::abs(dy);
  i32 w1, w2;
  if (adx == 0 && ady == 0) {
    w1 = P[0], w2 = P[5];
  } else if (adx + ady == 1) {
    w1 = P[3], w2 = P[8];
  } else if (adx == 1 && ady == 1) {
    w1 = P[1], w2 = P[6];
  } else if (adx == 2 && ady == 2) {
    w1 = P[2], w2 = P[7];
  } else {
    w1 = P[4], w2 = P[9];
  }
  EachUnit(g, [&](TUnit* u) {
    if (!Contest(u, w0 * L, DefenceOf(u))) return;
    Damage(u, w1 + L + RandomBelow(RandomMain, 2 * L));
    TAfterEffect* e = NewAfterEffect(Spell, 1);
    e->Properties.CounterAttack.Current = ReduceTo(u->Effective.CounterAttack.Current, w2);
    Effect(u, e);
    Changed = true;
  });
}

void TMapCast::Spell55(TGroup* g, i32, i32) {
  const i32 m = g->GetUnitCount();
  EachUnit(g, [&](TUnit* u) {
    if (u->Kind == ukUndead || !Contest(u)) return;
    TAfterEffect* e = NewAfterEffect(Spell, 1);
    e->Properties.Attack.Current = static_cast<i16>(AttackOf(u) * (9 - L * P[0] / 100) / 10 - AttackOf(u));
    const i32 counter = u->Effective.CounterAttack.Current;
    e->Properties.CounterAttack.Current = static_cast<i16>(counter * (9 - L * P[1] / 100) / 10 - counter);
    Effect(u, e);
    Damage(u, HitPointsOf(u) - W(i64(HitPointsOf(u)) * (9 - m) / 10));
    Changed = true;
  });
}

void TMapCast::Spell33() {
  const i32 r = (P[0] - (8 - L) * P[1] / 100) / 2;
  // The drawing and the sound test read the radius of the latest cast.
  const_cast<TSpellPrototype&>(Record).Params[9] = static_cast<i16>(r);
  TPlayer* owner = CasterGroup->GetOwner();
  Changed = true;
  if (!owner || !owner->Fog || r < 0) {
    if (owner) owner->UpdateFog();
    return;
  }
  for (i32 y = std::max(FY - r, 0); y <= std::min<i32>(FY + r, S.Height - 1); ++y)
    for (i32 x = std::max(FX - r, 0); x <= std::min<i32>(FX + r, S.Width - 1); ++x)
      if (std::sqrt(f64(x - FX) * (x - FX) + f64(y - FY) * (y - FY)) <= r + 0.5 &&
          owner->Fog->GetState(x, y, fsUnexplored) == fsUnexplored)
        owner->Fog->SetState(x, y, fsExplored);
  owner->UpdateFog();
}

void TMapCast::Spell36() {
  if (!T) return;
  i64 sum = 0;
  bool strong = false;
  EachUnit(T, [&](TUnit* u) {
    sum += Morale(u);
    strong = strong || !Open(u) || u->Hero;
  });
  if (strong) sum += 10000;
  const i32 a = ScaledFor(Caster, M * P[0] / 100), b = ScaledForGroup(T, W(P[1] * sum / 100));
  if (!GaussGreater(a, b)) return;
  T->SetOwner(CasterGroup->OwnerIndex);
  UpdateOwnerFog(T);
  Changed = true;
}

void TMapCast::Spell48() {
  if (!T) return;
  std::vector<std::pair<i32, i32>> free;
  const i32 reach = std::max(L, 0);
  for (i32 y = std::max(FY - reach, 0); y <= std::min<i32>(FY + reach, S.Height - 1); ++y)
    for (i32 x = std::max(FX - reach, 0); x <= std::min<i32>(FX + reach, S.Width - 1); ++x)
      if (std::sqrt(f64(x - FX) * (x - FX) + f64(y - FY) * (y - FY)) <= L + 0.5 && S.IsFieldFree(x, y))
        free.emplace_back(x, y);
  i32 nx = FX, ny = FY;
  if (!free.empty()) {
    const auto& f = free[static_cast<std::size_t>(NextRandom(RandomMain) % static_cast<i32>(free.size()))];
    nx = f.first;
    ny = f.second;
  }
  EachUnit(T, [&](TUnit* u) { Damage(u, DefenceOf(u) * P[0] / 100); });
  i32 px, py;
  FieldToPixel(nx, ny, px, py);
  const i32 index = S.IndexOfMapObject(T);
  if (index >= 0) S.MoveMapObject(index, px, py);
  if (S.ViewingPlayer && !S.ViewingPlayer->IsFieldVisible(nx, ny)) {
    T->Sighted = 0;
    T->Changed = 1;
  }
  Changed = true;
}

void TMapCast::Spell57() {
  if (!T) return;
  bool hit = false;
  EachUnit(T, [&](TUnit* u) {
    if (!Contest(u)) return;
    Damage(u, L * P[3] / 100 + P[2] + RandomBelow(RandomMain, L * P[4] / 100));
    Effect(u, HitAfterEffect(Spell, Record, Caster, u));
    hit = Changed = true;
  });
  if (!hit) return;
  const u8 d = TGroup::FacingDirection(CasterGroup->FieldX(), CasterGroup->FieldY(), T->FieldX(), T->FieldY());
  const i32 nx = T->FieldX() + DirectionStepX[d], ny = T->FieldY() + DirectionStepY[d];
  if (S.IsFieldOnMap(nx, ny) && S.IsFieldFree(nx, ny)) {
    i32 px, py;
    FieldToPixel(nx, ny, px, py);
    S.MoveMapObject(S.IndexOfMapObject(T), px, py);
    return;
  }
  EachUnit(T, [&](TUnit* u) {
    if (Contest(u)) Damage(u, L * P[8] / 100 + P[7] + RandomBelow(RandomMain, L * P[9] / 100));
  });
}

bool TMapCast::CanSummon() const {
  if (!S.IsFieldOnMap(FX, FY)) return false;
  // A full group, or one of another owner, cannot take the summoned unit.
  const TGroup* there = S.GetGroupAt(FX, FY, nullptr);
  return !there || (there->OwnerIndex == CasterGroup->OwnerIndex && there->GetUnitCount() < MaxGroupUnits);
}

TUnit* TMapCast::NewSummon(u32 prototype) {
  const TUnitPrototype* proto = FindUnitPrototype(prototype);
  if (!proto) return nullptr;
  auto* unit = new TUnit;
  unit->SetPrototype(proto);
  return unit;
}

void TMapCast::MakeTemporary(TUnit* unit, i32 turns) {
  TAfterEffect* e = NewAfterEffect(Spell, turns);
  e->Properties.HitPoints.Current = static_cast<i16>(unit->Base.HitPoints.Current + 1000);
  e->Properties.HitPoints.Base = static_cast<i16>(unit->Base.HitPoints.Base + 1000);
  unit->Base.HitPoints.Current = -1000;
  unit->Base.HitPoints.Base = -1000;
  unit->AddAfterEffect(e);
}

void TMapCast::Place(TUnit* unit) {
  i32 px, py;
  FieldToPixel(FX, FY, px, py);
  std::unique_ptr<TUnit> owned(unit);
  S.PlaceUnit(unit, px, py, CasterGroup->OwnerIndex, true, true, true);
  owned.release();
  CasterGroup->UpdateOwnerFog();
  Changed = true;
}

// Levels below 1 have no values: a summon is at least level 1.
void TMapCast::Summon(u32 prototype, i32 level, bool learn) {
  if (!CanSummon()) return;
  TUnit* unit = NewSummon(prototype);
  if (!unit) return;
  unit->Base.StartAtLevel(static_cast<i16>(std::clamp(level, 1, 32767)), learn);
  unit->RecalcEffective(true);
  MakeTemporary(unit, L - Record.Level + 1);
  Place(unit);
}

void TMapCast::Summon23() {
  if (!CanSummon()) return;
  const bool odd = NextRandom(RandomMain) % 2 == 1;
  TUnit* unit = NewSummon(static_cast<u32>(static_cast<u16>(odd ? P[1] : P[0])));
  if (!unit) return;
  unit->Base.StartAtLevel(static_cast<i16>(std::max(L / 2, 1)), true);
  unit->RecalcEffective(true);
  Place(unit);
}

// A copy of the caster's values: no skills, spells or mana, not a hero.
TUnit* CasterDouble(const TUnit* caster) {
  auto* unit = new TUnit;
  unit->SetPrototype(caster->Prototype);
  unit->Base = caster->Effective;
  unit->Base.AllowedSkills = unit->Base.KnownSkills = unit->Base.AllowedSpells = unit->Base.KnownSpells = 0;
  unit->Hero = 0;
  return unit;
}

void TMapCast::Double28() {
  if (!CanSummon() || !Caster->Prototype) return;
  TUnit* unit = CasterDouble(Caster);
  unit->Base.ResetMorale();
  unit->Base.Mana = {};
  unit->RecalcEffective(false);
  MakeTemporary(unit, L - Record.Level + 1);
  Place(unit);
}

void TMapCast::Copies56() {
  if (!T || N >= MaxGroupUnits || !Caster->Prototype || !CanSummon()) return;
  for (i32 k = T->GetUnitCount(); k < MaxGroupUnits; ++k) {
    TUnit* unit = CasterDouble(Caster);
    for (TUnitProperty* p : {&unit->Base.HPRegenerate, &unit->Base.ManaRegenerate, &unit->Base.MoraleRegenerate})
      p->Delta = 0;
    unit->RecalcEffective(false);
    MakeTemporary(unit, 4);
    Place(unit);
  }
}

void TMapCast::Run() {
  const i32 n = N;
  switch (Spell) {
    case 1:
      Heal();
      break;
    case 2:
    case 15:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        TAfterEffect* e = NewAfterEffect(Spell, 1);
        if (Spell == 2) {
          e->Properties.Defence.Current = static_cast<i16>(L * P[1] / 100 + P[0]);
          e->Properties.CounterAttack.Current = static_cast<i16>(L * P[3] / 100 + P[2]);
        } else {
          e->Properties.Defence.Current = static_cast<i16>(L * P[0] / 100 + P[1]);
        }
        Effect(u, e);
        Changed = true;
      });
      break;
    case 3:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        if (u->Kind == ukUndead)
          Damage(u, L * P[1] / 100);
        else
          u->AddMorale(L * P[1] / 100 + P[0]);
        Changed = true;
      });
      break;
    case 4:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        TAfterEffect* e = NewAfterEffect(Spell, 1);
        e->Properties.ActionPoints.Current = e->Properties.ActionPoints.Base = static_cast<i16>(L * P[1] / 100 + P[0]);
        Effect(u, e);
        Changed = true;
      });
      break;
    case 5:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        Damage(u, (4 - n) * L * P[3] / 100 + P[2]);
        Changed = true;
      });
      Caster->AddMorale(-P[4]);
      break;
    case 6:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        TAfterEffect* e = NewAfterEffect(Spell, L * P[3] / 100);
        e->Properties.Attack.Current = static_cast<i16>(L * P[1] / 100 + P[0]);
        e->Properties.Defence.Current = ReduceTo(DefenceOf(u), P[2]);
        Effect(u, e);
        Changed = true;
      });
      break;
    case 7:
      EachField(2, [&](TGroup* g, i32 dx, i32 dy) { Morale7(g, dx, dy); });
      break;
    case 8:
    case 45:
    case 18:
      EachField(2, [&](TGroup* g, i32 dx, i32 dy) {
        EachUnit(g, [&](TUnit* u) {
          if (Spell == 18 || Open(u)) AreaWeakness(dx, dy, g, u, Spell == 18);
        });
      });
      break;
    case 9:
      EachUnit(T, [&](TUnit* u) {
        if ((u->Kind != 1 && u->Kind != 2) || !Contest(u)) return;
        TAfterEffect* e = NewAfterEffect(Spell, L * P[4] / 100 + 1);
        e->Properties.Attack.Current = SetTo(AttackOf(u), P[2]);
        e->Properties.CounterAttack.Current = SetTo(u->Effective.CounterAttack.Current, P[3]);
        Effect(u, e);
        Changed = true;
      });
      break;
    case 10:
      EachUnit(T, [&](TUnit* u) {
        if (u->Kind != ukUndead || !Contest(u)) return;
        Damage(u, HitPointsOf(u) - P[2]);
        Caster->AddMana(P[3] - ManaOf(Caster));
        Changed = true;
      });
      break;
    case 11:
    case 49:
      EachUnit(T, [&](TUnit* u) {
        Effect(u, NewAfterEffect(Spell, 1));
        Changed = true;
      });
      break;
    case 12:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        u->AddHitPoints(MaxAtLevel(u, &TUnitProperties::HitPoints) - HitPointsOf(u));
        Changed = true;
      });
      break;
    case 13:
    case 16:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        TAfterEffect* e = NewAfterEffect(Spell, Spell == 13 ? 1 : L);
        if (Spell == 13) {
          e->Properties.Sight.Current = ReduceTo(u->Effective.Sight.Current, P[2]);
          e->Properties.Attack.Current = ReduceTo(AttackOf(u), P[3]);
          e->Properties.CounterAttack.Current = ReduceTo(u->Effective.CounterAttack.Current, P[4]);
        } else {
          e->Properties.Sight.Current = SetTo(u->Effective.Sight.Current, P[2]);
        }
        Effect(u, e);
        Changed = true;
      });
      if (Changed) UpdateOwnerFog(T);
      break;
    case 14:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u) || u->Kind == ukUndead) return;
        Damage(u, P[0]);
        u->AddActionPoints(-(ActionPointsOf(u) * P[1] / 100));
        Changed = true;
      });
      break;
    case 17:
    case 60:
      EachUnit(T, [&](TUnit* u) {
        if (Spell == 17 ? !Contest(u) : !Open(u)) return;
        if (Spell == 17)
          Damage(u, L * P[3] / 100 + P[2] + RandomBelow(RandomMain, L * P[4] / 100));
        else
          Damage(u, L * P[1] / 100 + P[0] + RandomBelow(RandomMain, L * P[2] / 100));
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
        Changed = true;
      });
      break;
    case 19:
      EachField(2, [&](TGroup* g, i32 dx, i32 dy) { Spell19(g, dx, dy); });
      break;
    case 20:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u) || (u->Kind != 1 && u->Kind != 2)) return;
        const i32 before = HitPointsOf(u);
        Damage(u, L * P[0] / 100);
        u->AddMorale(-(L * P[3] / 100));
        Caster->AddHitPoints(before - HitPointsOf(u));
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
        Changed = true;
      });
      break;
    case 21: {
      i32 px, py;
      FieldToPixel(FX, FY, px, py);
      const i32 index = S.IndexOfMapObject(CasterGroup);
      if (index >= 0 && S.IsFieldOnMap(FX, FY)) {
        S.MoveMapObject(index, px, py);
        CasterGroup->UpdateOwnerFog();
        Changed = true;
      }
      break;
    }
    case 22:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        u->AddMana(MaxAtLevel(u, &TUnitProperties::Mana) - ManaOf(u));
        u->AddActionPoints(-ActionPointsOf(u));
        Changed = true;
      });
      break;
    case 23:
      Summon23();
      break;
    case 24:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u) || u->Kind == ukUndead) return;
        Damage(u, W(i64(4 - n) * DefenceOf(u) * P[0] / 100));
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
        Changed = true;
      });
      break;
    case 25:
    case 38:
    case 58:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        TAfterEffect* e;
        if (Spell == 25) {
          e = NewAfterEffect(Spell, L);
          e->Properties.Sight.Current = static_cast<i16>(L * P[0] / 100);
        } else if (Spell == 38) {
          e = NewAfterEffect(Spell, P[2]);
          e->Properties.Sight.Current = static_cast<i16>(P[1] * L / 100 + P[0]);
        } else {
          e = NewAfterEffect(Spell, L * P[2] / 100 + 1);
          e->Properties.Sight.Current = SetTo(u->Effective.Sight.Current, P[0]);
          e->Properties.Defence.Current = static_cast<i16>(P[1]);
        }
        Effect(u, e);
        Changed = true;
      });
      if (Changed) UpdateOwnerFog(T);
      break;
    case 26:
      EachField(1, [&](TGroup* g, i32 dx, i32 dy) {
        const i32 w1 = CrossWeight(dx, dy, P[3], P[2], P[1]), w2 = CrossWeight(dx, dy, P[6], P[5], P[4]);
        EachUnit(g, [&](TUnit* u) {
          if (!Open(u)) return;
          TAfterEffect* e = NewAfterEffect(Spell, 1);
          e->Properties.Defence.Current = static_cast<i16>(L * P[0] / 100 + w1);
          e->Properties.Attack.Current = e->Properties.CounterAttack.Current = static_cast<i16>(-w2);
          Effect(u, e);
          Changed = true;
        });
      });
      break;
    case 27:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        u->AddMorale(-(L * P[0] / 100));
        TAfterEffect* e = NewAfterEffect(Spell, 1);
        e->Properties.Attack.Current = static_cast<i16>(-(L * P[2] / 100 + P[1]));
        e->Properties.CounterAttack.Current = static_cast<i16>(-(L * P[4] / 100 + P[3]));
        e->Properties.ActionPoints.Current = static_cast<i16>(L * P[5] / 100);
        Effect(u, e);
        Changed = true;
      });
      break;
    case 28:
      Double28();
      break;
    case 29:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        u->AddActionPoints(-(L * P[2] / 100));
        Damage(u, L * P[3] / 100);
        Changed = true;
      });
      break;
    case 30:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        u->Base.ActionPoints.Current = static_cast<i16>(ActionPointsOf(u) * P[2] / 100);
        u->RecalcEffective(true);
        u->AddMana(MaxAtLevel(u, &TUnitProperties::Mana) * P[3] / 100);
        u->AddHitPoints(L * P[4] / 100);
        u->AddMorale(Level(u) * P[5] / 100);
        Changed = true;
      });
      break;
    case 31:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        Damage(u, L * P[2] / 100 + W(i64(M - 50) * L * P[3] / 100));
        Changed = true;
      });
      break;
    case 32:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        u->AddActionPoints(Level(u) * P[0] / 100);
        u->AddMana(MaxAtLevel(u, &TUnitProperties::Mana) * P[1] / 100);
        u->AddHitPoints(L * P[2] / 100);
        u->AddMorale((50 - Morale(u)) * P[3] / 100);
        Changed = true;
      });
      break;
    case 33:
      Spell33();
      break;
    case 34:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        const i32 d = W(i64(ManaOf(u)) * L * P[2] / 100);
        u->AddMana(-d);
        Caster->AddMana(d);
        Changed = true;
      });
      break;
    case 35:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        u->AddActionPoints(ReduceTo(ActionPointsOf(u), P[2]));
        TAfterEffect* e = NewAfterEffect(Spell, L / 4 + 1);
        e->Properties.Defence.Current = static_cast<i16>(L * P[1] / 100 + P[0]);
        Effect(u, e);
        Changed = true;
      });
      break;
    case 36:
      Spell36();
      break;
    case 37: {
      const TPlayer* current = S.PlayerAt(S.CurrentPlayerIndex);
      EachField(1, [&](TGroup* g, i32 dx, i32 dy) {
        const i32 m = g->GetUnitCount(), w = CrossWeight(dx, dy, P[1], P[2], P[3]);
        const i32 amount = (m * P[0] / 100 + M - 50) * w / 100;
        const bool hostile = current && current->GetRelationToGroup(g) == rHostile;
        EachUnit(g, [&](TUnit* u) {
          if (!Open(u)) return;
          TAfterEffect* e = NewAfterEffect(Spell, P[4]);
          e->Properties.Morale = static_cast<i16>(hostile ? -amount : amount);
          Effect(u, e);
          Changed = true;
        });
      });
      break;
    }
    case 39:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        TAfterEffect* e = NewAfterEffect(Spell, L * P[4] / 100);
        e->Properties.CounterAttack.Current = 3;
        e->Properties.Attack.Current = 3;
        e->Properties.ActionPoints.Current = P[0];
        e->Properties.Sight.Current = SetTo(u->Effective.Sight.Current, P[1]);
        e->Properties.HitPoints.Current = ReduceTo(HitPointsOf(u), P[2]);
        e->Properties.Morale = ReduceTo(Morale(u), P[3]);
        Effect(u, e);
        Changed = true;
      });
      break;
    case 40:
    case 41:
    case 42:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        const i32 damage = GaussianDamage(S, Record, Caster, u, RandomMain);
        Changed = true;
        if (damage <= 0) return;
        Damage(u, damage);
        Effect(u, HitAfterEffect(Spell, Record, Caster, u));
      });
      break;
    case 43: {
      i64 sum = 0;
      EachUnit(T, [&](TUnit* u) { sum += AttackOf(u); });
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        const i64 s = sum - AttackOf(u);
        const i32 r = W(P[1] * s) >= 1 ? RandomBelow(RandomMain, W(P[1] * s)) : 0;
        Damage(u, r / 100 + W(P[0] * s * M / 5000) - DefenceOf(u) * P[2] / 100);
        Changed = true;
      });
      break;
    }
    case 44: {
      bool first = true;
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u)) return;
        if (first) Caster->AddMana(P[0] - ManaOf(Caster));
        first = false;
        TAfterEffect* e = NewAfterEffect(Spell, 1);
        e->Properties.ActionPoints.Current =
            static_cast<i16>(-(MaxAtLevel(u, &TUnitProperties::ActionPoints) - P[1]));
        e->Properties.Defence.Current = SetTo(DefenceOf(u), P[2]);
        Effect(u, e);
        Changed = true;
      });
      break;
    }
    case 46:
      EachField(1, [&](TGroup* g, i32, i32) {
        EachUnit(g, [&](TUnit* u) {
          if (!Open(u)) return;
          u->AddMorale(P[0]);
          Changed = true;
        });
      });
      break;
    case 47:
    case 50:
      Summon(static_cast<u16>(P[1]), L * P[0] / 100, false);
      break;
    case 59:
    case 61:
      Summon(static_cast<u16>(P[1]), L * P[0] / 100, true);
      break;
    case 48:
      Spell48();
      break;
    case 51:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        TAfterEffect* e = NewAfterEffect(Spell, L * P[0] / 100 + 1);
        e->Properties.Attack.Current = e->Properties.CounterAttack.Current = e->Properties.Defence.Current =
            static_cast<i16>(-(3 - n));
        Effect(u, e);
        Changed = true;
      });
      break;
    case 52:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        u->AddActionPoints(P[2] - ActionPointsOf(u));
        TAfterEffect* e = NewAfterEffect(Spell, L * P[4] / 100 + 1);
        e->Properties.ActionPoints.Current = ReduceTo(ActionPointsOf(u), P[3]);
        Effect(u, e);
        Changed = true;
      });
      break;
    case 53:
      EachUnit(T, [&](TUnit* u) {
        if (!Contest(u)) return;
        u->AddActionPoints(ActionPointsOf(u) * P[2] - ActionPointsOf(u));
        Damage(u, (4 - n) * (P[3] + L));
        Changed = true;
      });
      break;
    case 54:
      EachUnit(T, [&](TUnit* u) {
        if (!Open(u) || !(u->Kind & 4)) return;
        u->AddHitPoints(W(i64(P[0]) * L * (4 - n) / 100));
        Changed = true;
      });
      break;
    case 55:
      EachField(2, [&](TGroup* g, i32 dx, i32 dy) { Spell55(g, dx, dy); });
      break;
    case 56:
      Copies56();
      break;
    case 57:
      Spell57();
      break;
    default:
      break;
  }
}

// The players who see the target area learn of the cast.
void NotifySeen(TScenario& s, i32 radius, i32 spell, i32 tx, i32 ty, i32 casterFieldY, i32 casterFieldX,
                u32 casterID) {
  for (i32 k = 0; k < s.PlayerCount(); ++k) {
    TPlayer* player = s.PlayerAt(k);
    if (!player) continue;
    bool seen = false;
    for (i32 y = std::max(ty - radius, 0); !seen && y <= std::min<i32>(ty + radius, s.Height - 1); ++y)
      for (i32 x = std::max(tx - radius, 0); !seen && x <= std::min<i32>(tx + radius, s.Width - 1); ++x)
        seen = player->IsFieldVisible(x, y);
    if (seen)
      player->AddNotification(new TNotification{2, static_cast<i16>(casterFieldX), static_cast<i16>(casterFieldY),
                                                casterID, static_cast<u32>(spell)});
  }
}

i32 NotifyRadius(i32 spell) {
  if (IsOneOf(spell, {7, 8, 18, 19, 45, 55})) return 2;
  if (IsOneOf(spell, {26, 38, 46})) return 1;
  if (IsOneOf(spell, {13, 16, 21, 33, 36, 58})) return -1;
  return 0;
}

void GainExperience(TScenario& s, TUnit* caster, TGroup* casterGroup, const TSpellPrototype& record,
                    i32 damageTotal) {
  caster->GainExperience(record.CastExperience, record.Level);
  caster->GainExperience(W(i64(Data2::GlobalData->DamageExperience) * damageTotal), record.Level);
  const TPlayer* owner = casterGroup->GetOwner();
  if (!owner) return;
  for (i32 i = 0; i < s.MapObjects.Count(); ++i) {
    TMapObject* o = s.MapObjects[i];
    if (o->Type != otGroup) continue;
    auto* g = static_cast<TGroup*>(o);
    if (owner->GetRelationToGroup(g) != rHostile) continue;
    for (TUnit* victim : g->Units) {
      if (!victim || !victim->IsDead()) continue;
      const i32 base = victim->Effective.Reserved[0], perLevel = victim->Effective.Reserved[1];
      caster->GainExperience(base + (Level(victim) - 1) * perLevel, Level(victim));
      caster->GainKillMorale(victim);
      victim->DemoralizeGroupMates();
    }
  }
}

}  // namespace

void ApplyMapSpellEffect(TScenario& scenario, i32 casterSlot, i32 spellNumber, i32 fx, i32 fy) {
  TPlayer* current = scenario.PlayerAt(scenario.CurrentPlayerIndex);
  TGroup* group = current ? current->GetActingGroup() : nullptr;
  TUnit* caster = group && casterSlot >= 0 && casterSlot < MaxGroupUnits ? group->Units[casterSlot] : nullptr;
  // Without a caster there is nobody to cast, gain or be seen.
  if (!caster || !Data2::GlobalData) return;
  const TSpellPrototype* record = spellNumber >= 0 && spellNumber <= 61 ? FindSpellRecord(spellNumber) : nullptr;
  static const TSpellPrototype none{};
  TMapCast cast(scenario, caster, group, record ? *record : none, fx, fy);
  if (record) cast.Run();

  if (cast.Changed && record) {
    GainExperience(scenario, caster, group, *record, cast.DamageTotal);
  } else if (scenario.ViewingPlayer && scenario.ViewingPlayer->CanSee(group)) {
    PlaySound(Data2::GlobalData->InterfaceSounds[3], Main::SFXVolume);
  }
  const i32 radius = NotifyRadius(spellNumber);
  if (radius >= 0)
    NotifySeen(scenario, radius, spellNumber, fx, fy, group->FieldY(), group->FieldX(), caster->ID);
  scenario.BeginDeathAnimations();
  if (TGroup* selected = current->GetSelectedGroup())
    scenario.ComputeMoveCosts(selected->FieldX(), selected->FieldY(), selected);
}

}  // namespace GameData
