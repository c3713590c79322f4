// The world fixture with the spell module connected, a few spell sprites in
// the global spell sprite list (cast 6 frames, flight 4, impact 8, and an
// impact of 9 frames whose last is a background), map and battle spell
// records, and a recorder of the sounds the spells play.
#pragma once

#include <vector>

#include "combat/spell.h"
#include "tests/world/world_fixture.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"

namespace CombatTest {

constexpr u32 CastSprite = 9001, FlightSprite = 9002, ImpactSprite = 9003, BackgroundImpact = 9004;
constexpr u32 CastTime = 2, FlightTime = 1, ImpactTime = 3, Speed = 250;

class TSoundRecorder : public GameData::TSoundOutput {
 public:
  struct TCall {
    TAudioStream* Sound;
    i32 Volume;
  };
  void PlayEffect(u32, i32) override {}
  void PlayStream(TAudioStream* sound, i32 volume) override { Calls.push_back({sound, volume}); }
  void PlayBackgroundSound(u32, i32, bool, bool, bool) override {}
  void StopBackgroundSound(bool) override {}
  bool IsBackgroundSoundPlaying() override { return false; }
  std::vector<TCall> Calls;
};

// Sound objects that are only compared, never played.
TAudioStream* FakeSound(int which);

class TSpellFixture : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A record with every sprite, sound and time set; added before the first
  // record is looked up (the table may move while it grows).
  static GameData::TSpellPrototype Record(i16 number, i16 level = 1);
  void AddSpells(std::initializer_list<GameData::TSpellPrototype> records);
  GameData::TSpellPrototype& SpellRecord(i32 number);
  // A spell of the number, started from one pixel to another.
  std::unique_ptr<GameData::TSpell> Started(i32 number, i32 sx, i32 sy, i32 tx, i32 ty);
  // The viewing player sees exactly the given fields.
  void SeeOnly(GameData::TPlayer* viewer, std::initializer_list<std::pair<i32, i32>> fields);
  void SeeAll(GameData::TPlayer* viewer);

  TSoundRecorder Sounds;
};

}  // namespace CombatTest
