// The course of one spell cast as the scenario holds, ticks and draws it.
// The combat module's spell fills in phases, sprites, sounds and drawing
// and is connected at start-up, with the map spells' effects and their
// evaluation for the computer opponent.
#pragma once

#include "engine/base/types.h"

namespace Plat {
class TSurface;
}

namespace GameData {

class TScenario;
class TGroup;
class TUnit;
struct TSpellPrototype;

class TSpellCourse {
 public:
  TSpellCourse() = default;
  virtual ~TSpellCourse() = default;
  TSpellCourse(const TSpellCourse&) = delete;
  TSpellCourse& operator=(const TSpellCourse&) = delete;

  // On the spell worker: the spell and the volume, then the cast from a
  // source to a target pixel.
  virtual void Init(const TSpellPrototype* spell, i32 volume) {
    Spell = spell;
    Volume = volume;
    Started = 0;
  }
  virtual void Start(i32 sourceX, i32 sourceY, i32 targetX, i32 targetY) {
    SourceX = sourceX;
    SourceY = sourceY;
    TargetPixelX = targetX;
    TargetPixelY = targetY;
    Frame = 0;
    EffectFlag = Finished = 0;
    Started = 1;
  }
  // One update step: sounds, the effect flag in the effect step, the
  // finished flag after the last. Without the combat module a cast has its
  // effect in the first step and ends in the second.
  virtual void Tick() {
    EffectFlag = Frame == 0 && !Finished;
    if (Frame > 0) Finished = 1;
    ++Frame;
  }
  // The picture with the offset from map to target pixels.
  virtual void Draw(Plat::TSurface*, i32 /*offsetX*/, i32 /*offsetY*/, i32 /*unused*/) {}

  TScenario* Scenario = nullptr;
  const TSpellPrototype* Spell = nullptr;
  u32 Frame = 0;
  // Set in exactly the step whose effect is to be applied.
  u8 EffectFlag = 0;
  // Set once the last step has played.
  u8 Finished = 0;
  u8 Started = 0;
  u32 CasterID = 0;
  // The target field.
  i32 TargetX = 0;
  i32 TargetY = 0;
  i32 Volume = 0;
  i32 SourceX = 0, SourceY = 0, TargetPixelX = 0, TargetPixelY = 0;
};

// What the combat module connects at start-up; each may stay null.
struct TSpellRules {
  // A new spell course of the combat module for a cast on the map.
  TSpellCourse* (*NewSpell)() = nullptr;
  // What a map spell does to the scenario at its effect step.
  void (*ApplyEffect)(TScenario& scenario, i32 casterSlot, i32 spellNumber, i32 fx, i32 fy) = nullptr;
  // Whether the spell would change anything (reads only, draws nothing).
  bool (*HasEffect)(const TScenario& scenario, i32 casterSlot, i32 spellNumber, i32 fx, i32 fy) = nullptr;
  // The immediate effect on the given (copied) units, drawing from the
  // player thread's stream.
  void (*SimulateEffect)(const TScenario& scenario, TUnit* caster, i32 spellNumber, TGroup* target) = nullptr;
};

void ConnectSpellRules(const TSpellRules& rules);
// Connects the effect alone (null: none), the other rules staying.
using TSpellEffect = decltype(TSpellRules::ApplyEffect);
void ConnectSpellEffect(TSpellEffect effect);
const TSpellRules& ConnectedSpellRules();
// The connected module's spell course, or the plain one.
TSpellCourse* NewSpellCourse();

}  // namespace GameData
