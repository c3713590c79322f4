// One hero or creature: its base record, the effective record (base plus
// after-effects), its sprites and where it stands.
#pragma once

#include <string>
#include <vector>

#include "engine/base/rect.h"
#include "engine/data/data_object.h"
#include "engine/data/dynamic_array.h"
#include "engine/data/object_list.h"
#include "world/data2/prototypes.h"
#include "world/units/unit_properties.h"

namespace Gfx {
class TSprite;
}

namespace Plat {
class TSurface;
}

namespace GameData {

class TMapObject;
class TGroup;
class TCity;
class TLocation;
class TPlayer;

// Unit kinds from the prototype; other values are creatures.
enum TUnitKind : i64 { ukHuman = 1, ukUndead = 4 };

// Effect IDs with a meaning of their own.
constexpr i32 EffectTransformation = 87;
constexpr i32 EffectOneBattleOnly = 120;
constexpr i32 SkillEffectBase = 5000;

struct TAfterEffect {
  static constexpr i32 StreamSize = 148;
  TUnitProperties Properties;
  i32 TurnsLeft;
  i32 Reserved1;
  i32 EffectID;
  i32 Kept;
  u32 Reserved2;
  void Read(Data::TStream& s);
  void Write(Data::TStream& s) const;
};

struct TWoundInfo {
  i32 Damage;
  i32 Age;
};

class TUnit : public Data::TDataObject {
 public:
  TUnit();
  ~TUnit() override;
  TUnit(const TUnit&) = delete;
  TUnit& operator=(const TUnit&) = delete;

  void Assign(const Data::TDataObject* source) override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  void SetPrototype(const TUnitPrototype* prototype);
  // Scratch copies of the battle orders: no ID, name or container.
  void CopyCombatState(const TUnit* source);

  void RecalcEffective(bool clamp);
  // Takes ownership of the effect.
  void AddAfterEffect(TAfterEffect* effect);
  void RemoveAfterEffectsByID(i32 id);
  void ClearAfterEffects();
  void AgeAfterEffects();
  bool HasAfterEffect(i32 id) const;
  bool HasSpellEffect(i32 id) const { return HasAfterEffect(id); }
  void MarkAfterEffects();
  void RemoveNewAfterEffects();
  void RemoveFightSpellEffects();

  void AddHitPoints(i32 n);
  void AddActionPoints(i32 n);
  void AddMana(i32 n);
  void AddMorale(i32 n);
  void NewTurn();
  bool IsDead() const { return Effective.HitPoints.Current < 1; }
  bool CanAttack() const;
  bool CanEnter(const TLocation* location) const;

  // Combat, experience and levels.
  i32 AttackDamage(TUnit* target);
  i32 CounterAttackDamage(TUnit* target);
  i32 EstimateAttackDamage(const TUnit* target) const;
  i32 EstimateCounterAttackDamage(const TUnit* target) const;
  void Attack(TUnit* target);
  void CounterAttack(TUnit* target);
  void SimulateAttack(TUnit* target);
  void SimulateCounterAttack(TUnit* target);
  i32 TakeDamage(i32 damage);
  void GainExperience(i32 points, i32 factor);
  // GainExperience(points, factor), then GainExperience(morePoints, factor).
  void GainExperienceTwice(i32 points, i32 morePoints, i32 factor);
  bool CanLevelUp() const;
  bool LevelUp();
  void GainKillMorale(const TUnit* victim);
  void DemoralizeGroupMates();

  bool KnowsSpell(i32 id) const { return (Effective.KnownSpells & MaskBit(id)) != 0; }
  bool HasAllowedSpell(i32 id) const { return (Effective.AllowedSpells & MaskBit(id)) != 0; }
  bool SpellLevelReached(i32 id) const;
  bool KnowsSkill(i32 id) const { return (Effective.KnownSkills & MaskBit(id)) != 0; }
  bool HasAllowedSkill(i32 id) const { return (Effective.AllowedSkills & MaskBit(id)) != 0; }
  bool SkillLevelReached(i32 id) const;
  i32 CountKnownSpells() const;
  bool HasCastableSpell() const;
  bool CanCastSpell(const TSpellPrototype* spell) const;
  bool IsImmuneToSpell(i32 spellID) const;
  // The same for the spell's prototype already looked up; null: no immunity.
  bool IsImmuneToSpell(const TSpellPrototype* spell) const;
  void LearnSpell(i32 id);
  void LearnSkill(i32 id);
  void ForgetSpellsAboveLevel();

  TPlayer* GetOwner() const;
  TGroup* GetGroup() const;
  TCity* GetCity() const;
  u16 GetContainerType() const;
  bool IsRecruit() const;
  bool IsInClosedCity() const;

  std::string GetDisplayName() const;
  void AgeWounds();
  void AddWound(i32 damage);
  void DrawEffectIcons(Plat::TSurface* target, i32 x, i32 y, const ::Base::TRect* clip);
  // The spell IDs of the after-effects that show an icon, in list order:
  // effects whose ID is no spell of the global table have none.
  std::vector<i32> EffectIconSpells() const;
  // Where the effect icon k goes below a unit picture at (x, y): the school
  // frame's rectangle and the icon's.
  static void EffectIconRects(i32 k, i32 x, i32 y, ::Base::TRect& frame, ::Base::TRect& icon);
  // The school of a spell ID (0..3) that picks the icon frame.
  static i32 SpellSchool(i32 spellID);

  // Sprites of the global unit sprite list.
  void ReloadMapSprites();
  void ReloadSprites();
  void ReleaseAllSprites();
  void LoadSpriteSet(TUnitSpriteSet set);
  void ReleaseSpriteSet(TUnitSpriteSet set);
  // The battle screen's names for the fight sets: attack and cast load one
  // direction at a time, their releases give back every direction.
  void LoadFightStandSprites() { LoadSpriteSet(FightStand); }
  void LoadFightDieSprites() { LoadSpriteSet(FightDie); }
  void LoadFightWalkSprites() { LoadSpriteSet(FightWalk); }
  void LoadFightAttackSprite(i32 direction) { LoadSpriteDirection(FightAttack, direction); }
  void LoadFightCastSprite(i32 direction) { LoadSpriteDirection(FightCast, direction); }
  void ReleaseFightStandSprites() { ReleaseSpriteSet(FightStand); }
  void ReleaseFightDieSprites() { ReleaseSpriteSet(FightDie); }
  void ReleaseFightWalkSprites() { ReleaseSpriteSet(FightWalk); }
  void ReleaseFightAttackSprite() { ReleaseSpriteSet(FightAttack); }
  void ReleaseFightCastSprite() { ReleaseSpriteSet(FightCast); }
  void LoadSpriteDirection(TUnitSpriteSet set, i32 direction);
  void LoadPicture();
  void ReleasePicture();
  Gfx::TSprite* SpriteOf(TUnitSpriteSet set, i32 direction) const { return Sprites[set][direction & 7]; }

  const TUnitPrototype* Prototype = nullptr;
  const TUnitPrototype* SavedPrototype = nullptr;
  i64 Kind = 0;
  u8 Hero = 0;
  std::string Name;
  TMapObject* Container = nullptr;
  Data::TObjectList<TAfterEffect> AfterEffects{true};
  i32 DefenceBonus = 0;
  u8 OwnerIndex = 0;
  Gfx::TSprite* Portrait = nullptr;
  Gfx::TSprite* Sprites[SpriteSetCount][8] = {};
  Gfx::TSprite* Picture = nullptr;
  Data::TDynamicArray<TWoundInfo> Wounds;
  u8 RecordWounds = 1;
  i32 SortKey = 0;
  u8 TransferRequired = 0;
  u8 TransferNew = 0;
  TUnitProperties Base{};
  TUnitProperties Effective{};
  u8 LevelledUp = 0;
  u8 KilledByScript = 0;

 private:
  // The last RecalcEffective took an excess off a base pool: its effective
  // values are not yet those of the base record now.
  bool PoolsCut = false;
  // Base experience only, capped at the scenario's highest level.
  void AddExperience(i32 points, i32 factor);
  // The damage of a blow before the draw: scaled strength and defence.
  void BlowStrength(const TUnit* target, bool counter, i32& strength, i32& defence) const;
  void Strike(TUnit* target, i32 damage);
  void SimulateStrike(TUnit* target, i32 damage);
  // Removes the unit from its group and deletes it (an effect that exists
  // for one battle only has ended). True when the unit is gone; false for a
  // unit in no group, which stays.
  bool Vanish();
};

// The sprite's frame stretched into dest (nothing unless dest lies inside
// the clip); a sprite without device objects gets them first.
void DrawSpriteStretched(Gfx::TSprite* sprite, Plat::TSurface* target, i32 frame, const ::Base::TRect& dest,
                         const ::Base::TRect* clip);

// Finds a global unit prototype by ID; null when absent.
const TUnitPrototype* FindUnitPrototype(u32 id);

}  // namespace GameData
