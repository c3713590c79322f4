// A world for the combat behaviour and the casting rules: every map spell
// exists at level 1 for any field, its evaluation is the fixture's (which
// spells would have an effect, how much a simulated cast hurts), and the
// main thread is played by the test: casts call OnCast, moves put the
// selected group on the field, an attack only records itself.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <vector>

#include "tests/ai/ai_fixture.h"
#include "world/scenario/spell_course.h"

namespace AITest {

class TAICombatFixture : public TAIFixture {
 public:
  // Spells that would change nothing, and the damage of a simulated cast per unit.
  static std::set<i32> NoEffect;
  static std::map<i32, i32> SimulatedDamage;

 protected:
  void SetUp() override;
  void TearDown() override;

  // Every unit knows every map spell, with mana and points to spare.
  static void MakeCaster(GameData::TGroup* g);
  // Casting nothing: no mana, no spells.
  static void MakeMundane(GameData::TGroup* g);
  static void SetHitPoints(GameData::TUnit* u, i32 current, i32 max);
  static void SetMorale(GameData::TGroup* g, i32 morale);
  // Selects the group for its owner, who becomes the current player.
  void Select(GameData::TGroup* g);
  // Runs op on a player thread of player's and answers its records.
  std::vector<GameData::TActionRecord> Play(i32 player, const std::function<void()>& op);
  // The spell numbers of the casts among the records.
  static std::vector<i32> Casts(const std::vector<GameData::TActionRecord>& records);

  std::function<void(const GameData::TActionRecord&)> OnCast;

 private:
  GameData::TSpellRules SavedRules;
};

}  // namespace AITest
