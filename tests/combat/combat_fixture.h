// A battle between player 0's group (attacker) and player 1's (defender) on
// the world fixture, with battle spells made to measure.
#pragma once

#include <initializer_list>

#include "combat/fight.h"
#include "tests/world/world_fixture.h"
#include "world/units/group.h"

namespace CombatTest {

class TCombatFixture : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A battle spell (usage 2) with the given parameters; replaces one of that number.
  GameData::TSpellPrototype& AddSpell(i16 number, i16 level = 1, i16 cls = 1, u32 targets = 2,
                                      std::initializer_list<i16> params = {});
  // Groups of the prototypes at (1,1) and (2,1); the record set to them.
  void MakeBattle(std::initializer_list<u32> attackers, std::initializer_list<u32> defenders);
  GameData::TUnit* U(i32 combatant) const { return Fight.UnitOf(combatant); }
  // The unit learns the spell (its bit among the battle spells).
  static void Teach(GameData::TUnit* u, i32 spell);
  static void SetLevelOf(GameData::TUnit* u, i16 level);
  // Base pools set so that the effective values are these.
  static void SetHP(GameData::TUnit* u, i32 hp);
  static void SetMana(GameData::TUnit* u, i32 mana);
  static void SetAP(GameData::TUnit* u, i32 ap);
  static void SetMorale(GameData::TUnit* u, i32 morale);

  GameData::TFight Fight;
  GameData::TGroup* A = nullptr;
  GameData::TGroup* D = nullptr;
};

}  // namespace CombatTest
