// The scenario's update step, the map view and its scrolling, map spell
// targets, and the weather's sounds.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/dxapp/dxapp.h"
#include "world/data2/global_data.h"
#include "world/map/drawing.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/scenario/spell_course.h"
#include "world/units/group.h"

namespace GameData {

namespace {

TSpellRules ConnectedRules;

// Sounds are picture and noise only: the run-time generator decides them.
i32 Draw(i32 n) { return n > 0 ? std::rand() % n : 0; }

u32 GameTime() { return DXApplication ? DXApplication->GameTime : 0; }

bool IsDying(const TGroup& group) { return group.AnimationState == asDying || group.PendingAction == gaDie; }

enum TWeatherSoundSlot : i32 { RainLoop = 0, Thunder = 1, SnowLoop = 2, SandLoop = 3 };

// The spell target flags of a map spell.
constexpr u32 TargetFriend = 1, TargetHostile = 2, TargetNeutral = 4, TargetAny = 8, TargetSelf = 16,
              TargetFree = 32;

}  // namespace

void ConnectSpellRules(const TSpellRules& rules) { ConnectedRules = rules; }
const TSpellRules& ConnectedSpellRules() { return ConnectedRules; }
void ConnectSpellEffect(TSpellEffect effect) { ConnectedRules.ApplyEffect = effect; }

TSpellCourse* NewSpellCourse() { return ConnectedRules.NewSpell ? ConnectedRules.NewSpell() : new TSpellCourse; }

void TScenario::ApplySpellEffect(i32 casterSlot, i32 spellNumber, i32 fx, i32 fy) {
  if (ConnectedRules.ApplyEffect) ConnectedRules.ApplyEffect(*this, casterSlot, spellNumber, fx, fy);
}

bool TScenario::SpellHasEffect(i32 casterSlot, i32 spellNumber, i32 fx, i32 fy) const {
  return ConnectedRules.HasEffect && ConnectedRules.HasEffect(*this, casterSlot, spellNumber, fx, fy);
}

void TScenario::SimulateSpellEffect(TUnit* caster, i32 spellNumber, TGroup* target) const {
  if (ConnectedRules.SimulateEffect) ConnectedRules.SimulateEffect(*this, caster, spellNumber, target);
}


void TScenario::SetCurrentSpell(TSpellCourse* spell) {
  if (spell == CurrentSpell) return;
  delete CurrentSpell;
  CurrentSpell = spell;
}

void TScenario::Tick() {
  ++FrameCounter;
  // Walking objects re-sort the list and merges take groups off it while it
  // ticks: each object still ticks exactly once, in list order.
  for (i32 i = 0; i < MapObjects.Count();) {
    TMapObject* object = MapObjects[i];
    if (object->TickedFrame == FrameCounter) {
      ++i;
      continue;
    }
    object->TickedFrame = FrameCounter;
    object->Tick();
  }

  NoAnimationRunning = 1;
  for (i32 i = MapObjects.Count() - 1; i >= 0; --i) {
    if (MapObjects[i]->Type != otAnimation) continue;
    if (static_cast<TAnimation*>(MapObjects[i])->Finished)
      RemoveMapObjectAt(i, false);
    else
      NoAnimationRunning = 0;
  }

  TPlayer* current = PlayerAt(CurrentPlayerIndex);
  if (CurrentSpell) {
    CurrentSpell->Tick();
    if (CurrentSpell->EffectFlag) {
      // The caster casts from the current player's acting group; without it
      // there is nobody to take the effect from.
      TGroup* group = current ? current->GetActingGroup() : nullptr;
      for (i32 slot = 0; group && CurrentSpell->Spell && slot < MaxGroupUnits; ++slot)
        if (group->Units[slot] && group->Units[slot]->ID == CurrentSpell->CasterID) {
          ApplySpellEffect(slot, CurrentSpell->Spell->Number, CurrentSpell->TargetX, CurrentSpell->TargetY);
          break;
        }
    }
  }

  if (WaitingForDeaths) {
    bool dying = false;
    for (const TMapObject* o : MapObjects)
      if (o->Type == otGroup && IsDying(*static_cast<const TGroup*>(o))) {
        dying = true;
        break;
      }
    if (!dying) {
      RemoveDeadUnits();
      WaitingForDeaths = 0;
    }
  }

  if (CurrentSpell && CurrentSpell->Finished && !WaitingForDeaths) {
    SetCurrentSpell(nullptr);
    if (current) current->PostResult(1);
  }

  AddQueuedObjects();
  UpdateRain();
  UpdateSnow();
  UpdateSand();

  if (GameTime() % 2000 == 0 && Draw(5) == 0 && !BattleRunning && !CityScreenOpen && BackSounds.Count() > 0) {
    u32 sound = BackSounds[Draw(BackSounds.Count())];
    PlayEffectByID(sound, Draw(Main::SFXVolume));
  }
  PlayAmbience();
  ScrollViewStep();
}

// The view: 230 pixels on the right are covered by the side panel.

void TScenario::SetViewPosition(i32 x, i32 y) {
  const i32 maxX = Width * FieldSize - ViewWidth + 230, maxY = Height * FieldSize - ViewHeight;
  ViewX = ScrollTargetX = x >= maxX ? maxX : std::max(x, 0);
  ViewY = ScrollTargetY = y >= maxY ? maxY : std::max(y, 0);
  ScrollSteps = 0;
}

void TScenario::ScrollViewTo(i32 x, i32 y, i32 steps) {
  if (steps <= 0) {
    SetViewPosition(x, y);
    return;
  }
  const i32 viewX = ViewX, viewY = ViewY;
  SetViewPosition(x, y);
  ViewX = viewX;
  ViewY = viewY;
  ScrollSteps = steps;
}

void TScenario::ScrollViewStep() {
  if (ScrollSteps <= 0) return;
  ViewX += (ScrollTargetX - ViewX) / ScrollSteps;
  ViewY += (ScrollTargetY - ViewY) / ScrollSteps;
  --ScrollSteps;
}

bool TScenario::CanCastSpellAt(i32 slot, i32 spellNumber, i32 fx, i32 fy) const {
  const TPlayer* current = PlayerAt(CurrentPlayerIndex);
  const TGroup* group = current ? current->GetActingGroup() : nullptr;
  const TUnit* unit = group && slot >= 0 && slot < MaxGroupUnits ? group->Units[slot] : nullptr;
  if (!unit || !Data2::GlobalData) return false;
  i32 index = Data2::GlobalData->FindSpellPrototype(static_cast<i16>(spellNumber));
  if (index < 0) return false;
  const TSpellPrototype& spell = Data2::GlobalData->SpellPrototypes[index];
  if (!unit->CanCastSpell(&spell)) return false;
  if (spellNumber == 33) return true;

  const i32 dx = group->FieldX() - fx, dy = group->FieldY() - fy;
  if (std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy) > unit->Effective.Level + 2) return false;

  const TGroup* target = GetGroupAt(fx, fy, nullptr);
  const TPlayer* owner = group->GetOwner();
  const i32 relation = target && owner ? owner->GetRelationToGroup(target) : rNone;
  const bool sighted = target && target->Sighted;
  const u32 flags = spell.TargetFlags;
  return ((flags & TargetFriend) && (relation == rSelf || relation == rAllied)) ||
         ((flags & TargetHostile) && relation == rHostile && sighted) ||
         ((flags & TargetNeutral) && relation == rNeutral && sighted) || (flags & TargetAny) ||
         ((flags & TargetSelf) && fx == group->FieldX() && fy == group->FieldY()) ||
         ((flags & TargetFree) && IsFieldFree(fx, fy));
}

// Weather sounds.

void TScenario::SetWeather(u32 state) {
  if (state == Weather) return;
  Weather = state;
  StopBackgroundSound(true);
}

void TScenario::PlayAmbience() {
  if (!HasSoundDevice() || Main::SFXVolume <= 0 || BattleRunning || CityScreenOpen || !Data2::GlobalData) return;
  const auto& sounds = Data2::GlobalData->WeatherSounds;
  if (Weather == wsRain && sounds[Thunder].SoundID != 0 && GameTime() % 3000 == 0 && Draw(7) == 0) {
    i32 half = sounds[Thunder].Volume * Main::SFXVolume / 100 / 2;
    PlayEffectByID(sounds[Thunder].SoundID, half + Draw(half));
  }
  if (IsBackgroundSoundPlaying()) return;
  i32 loop = Weather == wsRain ? RainLoop : Weather == wsSnow ? SnowLoop : Weather == wsSandStorm ? SandLoop : -1;
  if (loop >= 0 && sounds[loop].SoundID != 0)
    PlayBackgroundSound(sounds[loop].SoundID, sounds[loop].Volume * Main::SFXVolume / 100, false, true, true);
}

}  // namespace GameData
