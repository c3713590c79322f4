// The animation of one spell cast, as the scenario holds and reads it. The
// spell's phases and effects come with the combat module.
#pragma once

#include "engine/base/types.h"

namespace GameData {

class TScenario;
struct TSpellPrototype;

class TSpell {
 public:
  TSpell() = default;
  virtual ~TSpell() = default;
  // One frame: sounds, the effect flag in the effect frame, the finished
  // flag after the last.
  virtual void Tick() {}

  TScenario* Scenario = nullptr;
  const TSpellPrototype* Spell = nullptr;
  // Set in exactly the frame whose effect is to be applied.
  u8 EffectFlag = 0;
  // Set once the last frame has played.
  u8 Finished = 0;
  u32 CasterID = 0;
  i32 TargetX = 0;
  i32 TargetY = 0;
};

// What a map spell does to the scenario lives with the spells, which connect
// it at start-up; without it a spell has no effect.
using TSpellEffect = void (*)(TScenario& scenario, i32 casterSlot, i32 spellNumber, i32 fx, i32 fy);
void ConnectSpellEffect(TSpellEffect effect);

}  // namespace GameData
