// The battle record: the two groups of a battle and one order per
// combatant for the round being prepared. Combatants 0..2 are the slots of
// the attacking group, 3..5 those of the defending group.
#pragma once

#include <memory>

#include "engine/base/types.h"
#include "engine/data/stream.h"
#include "world/units/group.h"
#include "world/units/unit.h"
#include "world/units/unit_properties.h"

class TActionThread;

namespace GameData {

class TGroup;
class TUnit;
struct TSpellPrototype;

constexpr i32 CombatantCount = 6;

// Does the spell of this number exist as a prototype? Null when not.
const TSpellPrototype* FindSpell(i32 number);

enum TFightActionKind : u32 { fakNone = 0, fakAttack = 1, fakSpell = 2, fakProtect = 3 };

// One combatant's order; also a wire format of 16 bytes.
struct TFightAction {
  static constexpr i32 StreamSize = 16;
  u8 Present = 0;
  u32 Kind = fakNone;
  i32 Spell = -1;
  i32 Target = -1;

  // Clearing keeps the present flag.
  void Clear() {
    Kind = fakNone;
    Spell = Target = -1;
  }
  void Write(u8* out) const;
  void Read(const u8* in);
  void Write(Data::TStream& s) const;
  void Read(Data::TStream& s);
  bool operator==(const TFightAction&) const = default;
};

// The result of one tried combination of a computer side's orders.
struct TFightEvaluation {
  i32 Targets[3] = {-1, -1, -1};
  i32 Spells[3] = {-1, -1, -1};
  double Cost = 1000000.0;
  double Benefit = 0.0;
};

class TFight {
 public:
  TFight();
  ~TFight();
  TFight(const TFight&) = delete;
  TFight& operator=(const TFight&) = delete;

  // Record and orders.
  void Reset();
  void SetAttacker(TGroup* group);
  void SetDefender(TGroup* group);
  void SetGroups(TGroup* attacker, TGroup* defender);
  void SetDefenceBonus(i32 percent);
  void ClearActions();
  void ClearAction(i32 combatant);
  void SetAttackAction(i32 combatant, i32 target);
  void SetSpellAction(i32 combatant, i32 target, i32 spell);
  void SetProtectAction(i32 combatant, i32 ward);
  void SaveActions();
  void RestoreActions();

  // Inline: a trial round of the automatic orders asks these most.
  TUnit* UnitOf(i32 index) const {
    if (index < 0 || index >= CombatantCount) return nullptr;
    const TGroup* group = index < 3 ? Attacker : Defender;
    const i32 slot = index % 3;
    if (!group || slot >= group->GetUnitCount()) return nullptr;
    return group->Units[slot];
  }
  i32 AttackerCount() const;
  i32 DefenderCount() const;
  bool IsCombatant(i32 index) const;
  bool IsCombatantAlive(i32 index) const {
    const TUnit* u = UnitOf(index);
    return u && !u->IsDead();
  }
  i32 FindCombatant(const TUnit* unit) const;
  i32 FindCombatantOfUnit(const TUnit* unit) const;
  bool IsAttackerDefeated() const;
  bool IsDefenderDefeated() const;
  bool IsValidSpellTarget(i32 caster, i32 spell, i32 target) const;
  // The prototype of a spell number, null when there is none; from the
  // table of CacheSpells when it was made.
  const TSpellPrototype* Spell(i32 number) const {
    if (SpellsCached && number >= FirstCachedSpell && number < FirstCachedSpell + CachedSpellCount)
      return CachedSpells[number - FirstCachedSpell];
    return FindSpell(number);
  }
  // Looks the battle spells up once for the many trial rounds of a private
  // record; the prototypes must not change while it lives.
  void CacheSpells();
  // Null spell: the spell of the combatant's order.
  i32 PaySpellCost(i32 combatant, const TSpellPrototype* spell);
  void SaveUnitStates();
  void RestoreUnitStates();
  void ReloadUnitSprites();

  // One round.
  void CastSpells(i32* attackerMana, i32* defenderMana, bool estimate, bool* defenderAllTookEffect,
                  bool* attackerAllTookEffect);
  bool SpellFitsPass(i32 combatant, const TSpellPrototype* spell, i32 level, i32 spellClass) const;
  bool SpellTakesEffect(i32 combatant, const TSpellPrototype* spell, bool estimate);
  void ResolveProtectOrders();
  void ExecuteAttackerAttacks();
  void ExecuteDefenderAttacks();
  void SimulateAttackerAttacks();
  void SimulateDefenderAttacks();
  void RemoveBattleEffects();

  // The battle spells.
  void ApplySpellEffect(i32 combatant, const TSpellPrototype* spell);

  // Automatic orders on a worker.
  void StartAttackerOrders();
  void StartDefenderOrders();
  bool IsOrderThreadRunning() const;
  bool HasOrderThread() const { return OrderThread != nullptr; }
  void FreeOrderThread();
  void ComputeAttackerOrders();
  void ComputeDefenderOrders();

  TGroup* Attacker = nullptr;
  TGroup* Defender = nullptr;
  TUnitProperties SavedRecords[CombatantCount] = {};
  TFightAction SavedActions[CombatantCount];
  std::unique_ptr<TActionThread> OrderThread;
  // Written by the worker, read by the main thread after the worker stopped.
  u8 OrdersDone = 0;
  TFightAction Actions[CombatantCount];
  // A private record of the automatic orders over scratch groups: its
  // trial rounds leave the scenario and the sprite lists alone.
  bool Scratch = false;
  // A battle resolved without a screen on every machine alike: a human side
  // takes the quick decider with spells, whatever this machine's setting
  // and whichever machine the player sits at.
  bool Unseen = false;

 private:
  // What the last restore of a combatant of a private record recalculated:
  // a restore from the same record, after-effects and prototype has the
  // same result. Only the trial rounds touch a private record's units.
  struct TRestored {
    static constexpr i32 MaxEffects = 4;
    const TUnit* Unit = nullptr;
    const TUnitPrototype* Prototype = nullptr;
    i32 EffectCount = 0;
    const TAfterEffect* Effects[MaxEffects] = {};
    TUnitProperties From{}, Base{}, Effective{};
  };
  bool ReuseRestored(i32 combatant, TUnit* unit) const;
  void KeepRestored(i32 combatant, const TUnit* unit);
  TRestored Restored[CombatantCount];

  static constexpr i32 FirstCachedSpell = 65, CachedSpellCount = 64;
  bool SpellsCached = false;
  const TSpellPrototype* CachedSpells[CachedSpellCount] = {};

  void CastPass(i32 first, i32 count, i32 spellClass, const TSpellPrototype* const* spells, bool estimate,
                i32* mana, bool* allTookEffect);
  void ExecuteSide(i32 first, i32 count, bool counter, bool simulate);
  void StartOrders(bool attackerSide);
  // Damage of a battle spell: the caster carrying effect 100 takes it itself.
  void SpellDamage(TUnit* caster, TUnit* target, i32 damage, i32& total);
  void Transform(TUnit* target, i32 prototypeID);
  void MakeDoubles(TUnit* caster, i32 target);
  void TurnAgainstOwnSide(TUnit* caster, i32 target, i32 p2, i32 p3);
};

// out.current = to's value at its LEVEL - from.current; BASE, DELTA, EVERY the differences.
void PropertyDifference(TUnitProperties* out, const TUnitProperties* to, const TUnitProperties* from,
                        i32 property);
bool IsBetterEvaluation(const TFightEvaluation& candidate, const TFightEvaluation& best);

}  // namespace GameData
