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

}  // namespace GameData
