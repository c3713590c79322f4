#include "combat/fight.h"

#include <cstring>

#include "engine/athread/action_thread.h"
#include "world/data2/global_data.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

void PutU32(u8* out, u32 v) {
  for (i32 i = 0; i < 4; ++i) out[i] = static_cast<u8>(v >> (8 * i));
}

u32 GetU32(const u8* in) {
  u32 v = 0;
  for (i32 i = 0; i < 4; ++i) v |= u32{in[i]} << (8 * i);
  return v;
}

}  // namespace

void TFightAction::Write(u8* out) const {
  out[0] = Present;
  out[1] = out[2] = out[3] = 0;
  PutU32(out + 4, Kind);
  PutU32(out + 8, static_cast<u32>(Spell));
  PutU32(out + 12, static_cast<u32>(Target));
}

void TFightAction::Read(const u8* in) {
  Present = in[0];
  Kind = GetU32(in + 4);
  Spell = static_cast<i32>(GetU32(in + 8));
  Target = static_cast<i32>(GetU32(in + 12));
}

void TFightAction::Write(Data::TStream& s) const {
  u8 bytes[StreamSize];
  Write(bytes);
  s.WriteBuffer(bytes, StreamSize);
}

void TFightAction::Read(Data::TStream& s) {
  u8 bytes[StreamSize];
  s.ReadBuffer(bytes, StreamSize);
  Read(bytes);
}

const TSpellPrototype* FindSpell(i32 number) {
  if (!Data2::GlobalData || number < INT16_MIN || number > INT16_MAX) return nullptr;
  i32 index = Data2::GlobalData->FindSpellPrototype(static_cast<i16>(number));
  return index >= 0 ? &Data2::GlobalData->SpellPrototypes[index] : nullptr;
}

TFight::TFight() { Reset(); }

void TFight::CacheSpells() {
  for (i32 n = 0; n < CachedSpellCount; ++n) CachedSpells[n] = FindSpell(FirstCachedSpell + n);
  SpellsCached = true;
}

TFight::~TFight() = default;

void TFight::Reset() {
  // A thread left behind would be lost: it is waited for and freed first.
  OrderThread.reset();
  SpellsCached = false;
  for (TRestored& r : Restored) r.Unit = nullptr;
  Attacker = Defender = nullptr;
  for (TFightAction& a : Actions) {
    a.Present = 0;
    a.Clear();
  }
  OrdersDone = 0;
}

void TFight::SetAttacker(TGroup* group) {
  Attacker = group;
  for (i32 i = 0; i < 3; ++i) Restored[i].Unit = nullptr;
  for (i32 i = 0; i < 3; ++i) Actions[i].Present = group && i < group->GetUnitCount() ? 1 : 0;
}

void TFight::SetDefender(TGroup* group) {
  Defender = group;
  for (i32 i = 3; i < CombatantCount; ++i) Restored[i].Unit = nullptr;
  for (i32 i = 0; i < 3; ++i) Actions[i + 3].Present = group && i < group->GetUnitCount() ? 1 : 0;
}

void TFight::SetGroups(TGroup* attacker, TGroup* defender) {
  SetAttacker(attacker);
  SetDefender(defender);
}

void TFight::SetDefenceBonus(i32 percent) {
  if (Attacker)
    for (TUnit* u : Attacker->Units)
      if (u) u->DefenceBonus = 0;
  if (Defender)
    for (TUnit* u : Defender->Units)
      if (u) u->DefenceBonus = percent;
}

void TFight::ClearActions() {
  for (TFightAction& a : Actions) a.Clear();
}

void TFight::ClearAction(i32 combatant) { Actions[combatant].Clear(); }

void TFight::SetAttackAction(i32 combatant, i32 target) {
  Actions[combatant].Kind = fakAttack;
  Actions[combatant].Spell = -1;
  Actions[combatant].Target = target;
}

void TFight::SetSpellAction(i32 combatant, i32 target, i32 spell) {
  Actions[combatant].Kind = fakSpell;
  Actions[combatant].Spell = spell;
  Actions[combatant].Target = target;
}

void TFight::SetProtectAction(i32 combatant, i32 ward) {
  Actions[combatant].Kind = fakProtect;
  Actions[combatant].Spell = -1;
  Actions[combatant].Target = ward;
}

void TFight::SaveActions() { std::memcpy(SavedActions, Actions, sizeof Actions); }
void TFight::RestoreActions() { std::memcpy(Actions, SavedActions, sizeof Actions); }

i32 TFight::AttackerCount() const { return Attacker ? Attacker->GetUnitCount() : 0; }
i32 TFight::DefenderCount() const { return Defender ? Defender->GetUnitCount() : 0; }

bool TFight::IsCombatant(i32 index) const { return UnitOf(index) != nullptr; }

i32 TFight::FindCombatant(const TUnit* unit) const {
  for (i32 i = 0; i < CombatantCount; ++i)
    if (UnitOf(i) == unit) return i;
  return -1;
}

i32 TFight::FindCombatantOfUnit(const TUnit* unit) const { return unit ? FindCombatant(unit) : -1; }

bool TFight::IsAttackerDefeated() const { return !Attacker || Attacker->IsDefeated(); }
bool TFight::IsDefenderDefeated() const { return !Defender || Defender->IsDefeated(); }

bool TFight::IsValidSpellTarget(i32 caster, i32 spell, i32 target) const {
  const TSpellPrototype* p = Spell(spell);
  if (!p) return false;
  const TUnit* u = UnitOf(caster);
  if (!u || !u->CanCastSpell(p)) return false;
  if ((p->TargetFlags & 16) && target == caster) return true;
  bool sameSide = (caster < 3) == (target < 3);
  if ((p->TargetFlags & 1) && sameSide) return true;
  return (p->TargetFlags & 2) && !sameSide;
}

i32 TFight::PaySpellCost(i32 combatant, const TSpellPrototype* spell) {
  if (!spell) spell = Spell(Actions[combatant].Spell);
  TUnit* u = UnitOf(combatant);
  if (!spell || !u) return 0;
  u->Base.ActionPoints.Current = static_cast<i16>(u->Base.ActionPoints.Current - spell->APCost);
  u->Base.Mana.Current = static_cast<i16>(u->Base.Mana.Current - spell->ManaCost);
  u->RecalcEffective(true);
  return spell->ManaCost;
}

void TFight::SaveUnitStates() {
  for (i32 i = 0; i < CombatantCount; ++i) {
    if (TUnit* u = UnitOf(i)) {
      SavedRecords[i] = u->Base;
      u->MarkAfterEffects();
    } else {
      SavedRecords[i] = TUnitProperties{};
    }
  }
}

void TFight::RestoreUnitStates() {
  for (i32 i = CombatantCount - 1; i >= 0; --i) {
    TUnit* u = UnitOf(i);
    if (!u) continue;
    u->Base = SavedRecords[i];
    TGroup* group = i < 3 ? Attacker : Defender;
    u->RemoveNewAfterEffects();
    // A unit made for the battle alone has left its group: the scenario
    // deleted a registered one, a trial round's is deleted here.
    if (group->Units[i % 3] == u) {
      if (!ReuseRestored(i, u)) {
        u->RecalcEffective(true);
        KeepRestored(i, u);
      }
    } else if (Scratch) {
      delete u;
    }
  }
}

bool TFight::ReuseRestored(i32 combatant, TUnit* unit) const {
  const TRestored& r = Restored[combatant];
  const i32 n = unit->AfterEffects.Count();
  if (!Scratch || r.Unit != unit || r.Prototype != unit->Prototype || r.EffectCount != n) return false;
  for (i32 k = 0; k < n; ++k)
    if (r.Effects[k] != unit->AfterEffects[k]) return false;
  if (std::memcmp(&r.From, &SavedRecords[combatant], sizeof r.From) != 0) return false;
  unit->Base = r.Base;
  unit->Effective = r.Effective;
  return true;
}

void TFight::KeepRestored(i32 combatant, const TUnit* unit) {
  TRestored& r = Restored[combatant];
  const i32 n = unit->AfterEffects.Count();
  if (!Scratch || n > TRestored::MaxEffects) {
    r.Unit = nullptr;
    return;
  }
  r.Unit = unit;
  r.Prototype = unit->Prototype;
  r.EffectCount = n;
  for (i32 k = 0; k < n; ++k) r.Effects[k] = unit->AfterEffects[k];
  r.From = SavedRecords[combatant];
  r.Base = unit->Base;
  r.Effective = unit->Effective;
}

void TFight::ReloadUnitSprites() {
  if (!Attacker || !Defender) return;
  for (i32 i = 0; i < CombatantCount; ++i)
    if (TUnit* u = UnitOf(i)) u->ReloadSprites();
}

}  // namespace GameData
