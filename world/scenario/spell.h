// The animation of one spell cast, as the scenario holds and reads it. The
// spell's phases and effects come with the combat module.
#pragma once

#include "engine/base/types.h"

namespace Plat {
class TSurface;
}

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
  // The spell's picture with the offset from map to target pixels; the
  // combat module's spells draw themselves.
  virtual void Draw(Plat::TSurface*, i32 /*offsetX*/, i32 /*offsetY*/) {}

  // On the spell worker: takes the spell and the volume, then the cast from
  // a source to a target pixel. The phases, sprites and sounds that follow
  // from them come with the combat module.
  void Init(const TSpellPrototype* spell, i32 volume) {
    Spell = spell;
    Volume = volume;
  }
  void Start(i32 sourceX, i32 sourceY, i32 targetX, i32 targetY) {
    SourceX = sourceX;
    SourceY = sourceY;
    TargetPixelX = targetX;
    TargetPixelY = targetY;
  }

  TScenario* Scenario = nullptr;
  const TSpellPrototype* Spell = nullptr;
  // Set in exactly the frame whose effect is to be applied.
  u8 EffectFlag = 0;
  // Set once the last frame has played.
  u8 Finished = 0;
  u32 CasterID = 0;
  // The target field.
  i32 TargetX = 0;
  i32 TargetY = 0;
  i32 Volume = 0;
  i32 SourceX = 0, SourceY = 0, TargetPixelX = 0, TargetPixelY = 0;
};

// What a map spell does to the scenario lives with the spells, which connect
// it at start-up; without it a spell has no effect.
using TSpellEffect = void (*)(TScenario& scenario, i32 casterSlot, i32 spellNumber, i32 fx, i32 fy);
void ConnectSpellEffect(TSpellEffect effect);

}  // namespace GameData
