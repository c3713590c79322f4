#include "world/units/unit.h"

#include <algorithm>
#include <cstdint>

#include "engine/base/base.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "world/data2/global_data.h"

namespace GameData {

namespace {

const Data2::TGlobalData& Global() { return *Data2::GlobalData; }

// The pools whose excess above their maximum is taken off the base record.
constexpr TUnitProperty TUnitProperties::* Pools[] = {&TUnitProperties::HitPoints, &TUnitProperties::Mana,
                                                       &TUnitProperties::ActionPoints};

// The properties whose effective current value is at least 0.
constexpr TUnitProperty TUnitProperties::* NotNegative[] = {
    &TUnitProperties::ActionPoints,  &TUnitProperties::HitPoints, &TUnitProperties::Mana,  &TUnitProperties::Attack,
    &TUnitProperties::CounterAttack, &TUnitProperties::Defence,   &TUnitProperties::Sight};

i16 Max(const TUnitProperties& p, TUnitProperty TUnitProperties::* property) { return (p.*property).ValueAt(p.Level); }

}  // namespace

const TUnitPrototype* FindUnitPrototype(u32 id) {
  if (!Data2::GlobalData) return nullptr;
  i32 index = Global().FindUnitPrototype(id);
  return index < 0 ? nullptr : &Global().UnitPrototypes[index];
}

void TAfterEffect::Read(Data::TStream& s) {
  Properties.Read(s);
  TurnsLeft = Data::ReadI32(s);
  Reserved1 = Data::ReadI32(s);
  EffectID = Data::ReadI32(s);
  Kept = Data::ReadI32(s);
  Reserved2 = Data::ReadU32(s);
}

void TAfterEffect::Write(Data::TStream& s) const {
  Properties.Write(s);
  Data::WriteI32(s, TurnsLeft);
  Data::WriteI32(s, Reserved1);
  Data::WriteI32(s, EffectID);
  Data::WriteI32(s, Kept);
  Data::WriteU32(s, Reserved2);
}

TUnit::TUnit() = default;

TUnit::~TUnit() { ReleaseAllSprites(); }

void TUnit::Clear() {
  Prototype = nullptr;
  SavedPrototype = nullptr;
  Base = {};
  Effective = {};
  Kind = 0;
  Hero = 0;
  Name.clear();
  Container = nullptr;
  AfterEffects.Clear();
  OwnerIndex = 0;
  ReleaseAllSprites();
  RecordWounds = 1;
  TransferRequired = TransferNew = 0;
  LevelledUp = 0;
  KilledByScript = 0;
}

void TUnit::SetPrototype(const TUnitPrototype* prototype) {
  Prototype = prototype;
  Base = prototype->Properties;
  Base.Recalc();
  Base.ResetExperience();
  Base.ResetMorale();
  Kind = prototype->Kind;  // sign-extended
  Hero = prototype->Hero ? 1 : 0;
  Name = prototype->Name;
  RecordWounds = 1;
  RecalcEffective(true);
  ReloadMapSprites();
}

void TUnit::Assign(const Data::TDataObject* source) {
  const auto* src = dynamic_cast<const TUnit*>(source);
  if (!src) {
    TDataObject::Assign(source);
    return;
  }
  if (src == this) return;
  Prototype = src->Prototype;
  // Kind comes with the prototype and the owner with the container: a copy
  // that dropped them would be another creature of nobody's.
  Kind = src->Kind;
  OwnerIndex = src->OwnerIndex;
  Hero = src->Hero;
  Name = src->Name;
  Container = src->Container;
  DefenceBonus = src->DefenceBonus;
  ID = src->ID;
  Base = src->Base;
  // The copies replace the unit's own effects; the effective record below
  // is the source's and must match them.
  AfterEffects.Clear();
  for (TAfterEffect* e : src->AfterEffects) AfterEffects.Add(new TAfterEffect(*e));
  Effective = src->Effective;
}

void TUnit::CopyCombatState(const TUnit* source) {
  Prototype = source->Prototype;
  Base = source->Base;
  AfterEffects.Clear();
  for (TAfterEffect* e : source->AfterEffects) AfterEffects.Add(new TAfterEffect(*e));
  Effective = source->Effective;
  DefenceBonus = source->DefenceBonus;
}

void TUnit::Load(Data::TStream& s) {
  TDataObject::Load(s);
  u32 prototypeID = Data::ReadU32(s);
  Prototype = FindUnitPrototype(prototypeID);
  if (!Prototype) throw Data::EInvalidData("Prototype not found.");
  Base.Read(s);
  Kind = static_cast<i64>(Data::ReadU64(s));
  Hero = Data::ReadU8(s);
  Data::ReadString(s, Name);
  u32 count = Data::ReadU32(s);
  Data::CheckAvailable(s, count, TAfterEffect::StreamSize);
  for (u32 i = 0; i < count; ++i) {
    auto* e = new TAfterEffect;
    AfterEffects.Add(e);
    e->Read(s);
  }
  OwnerIndex = Data::ReadU8(s);
  RecalcEffective(true);
  ReloadMapSprites();
}

void TUnit::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU32(s, Prototype ? Prototype->ID : 0);
  Base.Write(s);
  Data::WriteU64(s, static_cast<u64>(Kind));
  Data::WriteU8(s, Hero);
  Data::WriteString(s, Name);
  Data::WriteU32(s, static_cast<u32>(AfterEffects.Count()));
  for (const TAfterEffect* e : AfterEffects) e->Write(s);
  Data::WriteU8(s, OwnerIndex);
}

void TUnit::RecalcEffective(bool clamp) {
  Effective = Base;
  // Newest first: of several spell effects with one ID only the newest counts.
  u64 seen[2] = {0, 0};
  for (i32 i = AfterEffects.Count() - 1; i >= 0; --i) {
    const TAfterEffect* e = AfterEffects[i];
    if (e->EffectID >= 1 && e->EffectID <= 128) {
      u64& word = seen[(e->EffectID - 1) / 64];
      u64 bit = 1ull << ((e->EffectID - 1) % 64);
      if (word & bit) continue;
      word |= bit;
    }
    Effective.Add(e->Properties);
  }
  PoolsCut = false;
  if (clamp) {
    for (TUnitProperty TUnitProperties::* p : NotNegative)
      if ((Effective.*p).Current < 0) (Effective.*p).Current = 0;
    Effective.Morale = static_cast<i16>(std::clamp<i32>(Effective.Morale, 0, 100));
    for (auto pool : Pools) {
      i32 excess = (Effective.*pool).Current - Max(Effective, pool);
      if (excess > 0) {
        (Base.*pool).Current = static_cast<i16>((Base.*pool).Current - excess);
        PoolsCut = true;
      }
    }
  }
  if (Prototype && Prototype->Kind == ukUndead && Data2::GlobalData)
    Effective.Morale = static_cast<i16>(Global().NormalMorale);
}

void TUnit::AddAfterEffect(TAfterEffect* effect) {
  AfterEffects.Add(effect);
  RecalcEffective(true);
}

void TUnit::RemoveAfterEffectsByID(i32 id) {
  for (i32 i = AfterEffects.Count() - 1; i >= 0; --i)
    if (AfterEffects[i]->EffectID == id) AfterEffects.Delete(i);
  RecalcEffective(true);
}

void TUnit::ClearAfterEffects() {
  AfterEffects.Clear();
  RecalcEffective(true);
}

void TUnit::AgeAfterEffects() {
  for (i32 i = AfterEffects.Count() - 1; i >= 0; --i) {
    TAfterEffect* e = AfterEffects[i];
    if (--e->TurnsLeft < 1) AfterEffects.Delete(i);
  }
}

bool TUnit::HasAfterEffect(i32 id) const {
  for (const TAfterEffect* e : AfterEffects)
    if (e->EffectID == id) return true;
  return false;
}

void TUnit::MarkAfterEffects() {
  for (TAfterEffect* e : AfterEffects) e->Kept = 1;
}

void TUnit::RemoveNewAfterEffects() {
  for (i32 i = AfterEffects.Count() - 1; i >= 0; --i) {
    TAfterEffect* e = AfterEffects[i];
    if (e->Kept) {
      e->Kept = 0;
      continue;
    }
    // A unit that vanished is gone; one in no group stays and the walk goes on.
    if (e->EffectID == EffectOneBattleOnly && Vanish()) return;
    AfterEffects.Delete(i);
  }
}

void TUnit::RemoveFightSpellEffects() {
  for (i32 i = AfterEffects.Count() - 1; i >= 0; --i) {
    TAfterEffect* e = AfterEffects[i];
    if (e->EffectID == EffectOneBattleOnly && Vanish()) return;
    if (e->EffectID < 65 || e->EffectID > 128) continue;
    if (e->EffectID == EffectTransformation && SavedPrototype) {
      Prototype = SavedPrototype;
      SavedPrototype = nullptr;
      Name = Prototype->Name;
    }
    AfterEffects.Delete(i);
  }
  RecalcEffective(true);
}

void TUnit::AddHitPoints(i32 n) {
  i32 room = Max(Effective, &TUnitProperties::HitPoints) - Effective.HitPoints.Current;
  if (n > room) n = room;
  Base.HitPoints.Current = static_cast<i16>(Base.HitPoints.Current + n);
  RecalcEffective(true);
}

void TUnit::AddActionPoints(i32 n) {
  i32 room = Max(Effective, &TUnitProperties::ActionPoints) - Effective.ActionPoints.Current;
  if (n > room) n = room;
  Base.ActionPoints.Current = static_cast<i16>(Base.ActionPoints.Current + n);
  RecalcEffective(true);
}

void TUnit::AddMana(i32 n) {
  i32 room = Max(Effective, &TUnitProperties::Mana) - Effective.Mana.Current;
  if (n > room) n = room;
  Base.Mana.Current = static_cast<i16>(Base.Mana.Current + n);
  RecalcEffective(true);
}

void TUnit::AddMorale(i32 n) {
  n = static_cast<i32>(std::clamp<i64>(i64{Effective.Morale} + n, 0, 100)) - Effective.Morale;
  Base.Morale = static_cast<i16>(Base.Morale + n);
  RecalcEffective(true);
}

bool TUnit::SpellLevelReached(i32 id) const {
  if (!Data2::GlobalData) return false;
  i32 index = Global().FindSpellPrototype(static_cast<i16>(id));
  return index >= 0 && Global().SpellPrototypes[index].Level <= Effective.Level;
}

bool TUnit::SkillLevelReached(i32 id) const {
  if (!Data2::GlobalData) return false;
  i32 index = Global().FindSkillPrototype(static_cast<i16>(id));
  return index >= 0 && Global().SkillPrototypes[index].Level <= Effective.Level;
}

i32 TUnit::CountKnownSpells() const {
  i32 n = 0;
  for (i32 id = 1; id <= 64; ++id)
    if (KnowsSpell(id)) ++n;
  return n;
}

bool TUnit::HasCastableSpell() const {
  for (i32 id = 1; id <= 64; ++id)
    if (KnowsSpell(id) && SpellLevelReached(id)) return true;
  return false;
}

bool TUnit::CanCastSpell(const TSpellPrototype* spell) const {
  u64 bit = MaskBit(spell->Number);
  return Effective.ActionPoints.Current >= spell->APCost && Effective.Mana.Current >= spell->ManaCost &&
         (Effective.AllowedSpells & bit) && (Effective.KnownSpells & bit) && spell->Level <= Effective.Level;
}

bool TUnit::IsImmuneToSpell(i32 spellID) const {
  const TSpellPrototype* spell = nullptr;
  if (Data2::GlobalData) {
    i32 index = Global().FindSpellPrototype(static_cast<i16>(spellID));
    if (index >= 0) spell = &Global().SpellPrototypes[index];
  }
  return IsImmuneToSpell(spell);
}

bool TUnit::IsImmuneToSpell(const TSpellPrototype* spell) const {
  // The callers pass existing spells; an unknown one finds no immunity.
  if (!spell) return false;
  i32 level = spell->Level;
  if ((KnowsSkill(45) && level < 3) || (KnowsSkill(46) && level < 5) || (KnowsSkill(47) && level < 7) ||
      KnowsSkill(48))
    return true;
  // One walk over the effects: a battle's trial rounds ask this for every spell.
  bool classTwo = false;
  for (const TAfterEffect* e : AfterEffects) {
    const i32 id = e->EffectID;
    if (id == 11 || id == 75 || id == 44) return true;
    classTwo = classTwo || id == 49 || id == 114;
  }
  return spell->Class == 2 && classTwo;
}

void TUnit::LearnSpell(i32 id) {
  Base.KnownSpells |= MaskBit(id);
  RecalcEffective(true);
}

void TUnit::LearnSkill(i32 id) {
  if (!Data2::GlobalData) return;
  i32 index = Global().FindSkillPrototype(static_cast<i16>(id));
  if (index < 0) return;
  const TSkillPrototype& skill = Global().SkillPrototypes[index];
  Base.Add(skill.Bonus);
  if (skill.Duration > 0) {
    auto* e = new TAfterEffect{};
    e->Properties = skill.Effect;
    e->TurnsLeft = static_cast<i32>(skill.Duration);
    e->EffectID = SkillEffectBase + id;
    AfterEffects.Add(e);
  }
  RecalcEffective(true);
  LevelUp();
}

void TUnit::ForgetSpellsAboveLevel() {
  if (!Data2::GlobalData) return;
  for (i32 id = 1; id <= 64; ++id) {
    if (!KnowsSpell(id)) continue;
    i32 index = Global().FindSpellPrototype(static_cast<i16>(id));
    if (index >= 0 && Global().SpellPrototypes[index].Level > Effective.Level) Base.KnownSpells &= ~MaskBit(id);
  }
  RecalcEffective(true);
}

std::string TUnit::GetDisplayName() const {
  if (Effective.Level < 1) return Name;
  return ::Base::Format("%s (%d)", Name.c_str(), Effective.Level);
}

void TUnit::AgeWounds() {
  for (i32 i = Wounds.Count() - 1; i >= 0; --i)
    if (++Wounds[i].Age >= 200) Wounds.Delete(i);
}

void TUnit::AddWound(i32 damage) {
  if (RecordWounds) Wounds.Add({damage, 0});
}

i32 TUnit::SpellSchool(i32 spellID) {
  i32 n = ((spellID - 1) % 64) + 1;
  return n <= 12 ? 0 : n <= 23 ? 1 : n <= 35 ? 2 : 3;
}

void TUnit::EffectIconRects(i32 k, i32 x, i32 y, ::Base::TRect& frame, ::Base::TRect& icon) {
  i32 c = k % 4, r = k / 4;
  i32 fx = x + 17 * c + 3, fy = y + 80 - (17 * r + 6) - 19;
  frame = {fx, fy, fx + 22, fy + 22};
  i32 ix = x + 17 * c + 6, iy = y + 80 - (17 * r + 6) - 16;
  icon = {ix, iy, ix + 16, iy + 16};
}

std::vector<i32> TUnit::EffectIconSpells() const {
  std::vector<i32> ids;
  if (!Data2::GlobalData) return ids;
  for (const TAfterEffect* e : AfterEffects) {
    // Spell numbers are 16-bit; a larger ID must not wrap onto one.
    if (e->EffectID < INT16_MIN || e->EffectID > INT16_MAX) continue;
    if (Global().FindSpellPrototype(static_cast<i16>(e->EffectID)) >= 0) ids.push_back(e->EffectID);
  }
  return ids;
}

void TUnit::DrawEffectIcons(Plat::TSurface* target, i32 x, i32 y, const ::Base::TRect* clip) {
  if (!target || !Data2::GlobalData) return;
  Data2::TGlobalData& global = *Data2::GlobalData;
  const std::vector<i32> spells = EffectIconSpells();
  for (std::size_t k = 0; k < spells.size(); ++k) {
    ::Base::TRect frame, icon;
    EffectIconRects(static_cast<i32>(k), x, y, frame, icon);
    DrawSpriteStretched(global.SpriteTable[1132 + SpellSchool(spells[k])], target, 0, frame, clip);
    const TSpellPrototype& spell = global.SpellPrototypes[global.FindSpellPrototype(static_cast<i16>(spells[k]))];
    DrawSpriteStretched(global.SpellSpriteList.FindLoadedSprite(spell.IconID), target, 0, icon, clip);
  }
}

void DrawSpriteStretched(Gfx::TSprite* sprite, Plat::TSurface* target, i32 frame, const ::Base::TRect& dest,
                         const ::Base::TRect* clip) {
  if (!sprite || !target) return;
  // Lists other than the common one keep no device objects of their own.
  if (!(sprite->Flags & Gfx::sfDeviceObjects)) sprite->Upload(false);
  sprite->DrawStretched(target, frame, dest, clip, true);
}

}  // namespace GameData
