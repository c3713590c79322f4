// The spell's course: sprites, phase lengths by spell number, the update
// step with its sounds, and who may hear them.
#include "combat/spell.h"

#include <algorithm>
#include <cmath>

#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/sound.h"

namespace GameData {

namespace {

bool IsOneOf(i32 n, std::initializer_list<i32> set) { return std::find(set.begin(), set.end(), n) != set.end(); }

u32 Saturated(u64 v) { return static_cast<u32>(std::min<u64>(v, MaxPhaseSteps)); }

// Steps of a flight over distance pixels. A speed of 0 would never arrive:
// such a flight takes no steps.
u32 FlightSteps(f32 distance, u32 speed) {
  if (speed == 0) return 0;
  const f32 steps = distance / (static_cast<f32>(speed) * 0.01f);
  return steps >= static_cast<f32>(MaxPhaseSteps) ? MaxPhaseSteps : static_cast<u32>(steps);
}

i32 FieldOf(i32 pixel) { return pixel >= 0 ? pixel / FieldSize : -1; }

}  // namespace

const TSpellPrototype* FindSpellRecord(i32 number) {
  if (!Data2::GlobalData) return nullptr;
  const i32 index = Data2::GlobalData->FindSpellPrototype(static_cast<i16>(number));
  return index >= 0 ? &Data2::GlobalData->SpellPrototypes[index] : nullptr;
}

TSpell::TSpell() = default;

TSpell::~TSpell() {
  ReleaseSprites();
  DrawInfoList.Clear();
}

i32 TSpell::Number() const { return Spell ? Spell->Number : 0; }

i32 TSpell::UsableFrames(const Gfx::TSprite* sprite) {
  if (!sprite) return 0;
  const i32 n = sprite->FrameCount();
  return sprite->FrameMode() == Gfx::fmLastIsBackground && n > 0 ? n - 1 : n;
}

void TSpell::AcquireSprites() {
  if (CastSprite || FlightSprite || ImpactSprite || !Spell || !Data2::GlobalData) return;
  Gfx::TSpriteList& list = Data2::GlobalData->SpellSpriteList;
  for (auto [sprite, id] : {std::pair{&CastSprite, Spell->CastSpriteID}, std::pair{&FlightSprite, Spell->FlightSpriteID},
                            std::pair{&ImpactSprite, Spell->ImpactSpriteID}}) {
    *sprite = list.GetSprite(id);
    if (*sprite) (*sprite)->Upload(true);
  }
}

void TSpell::ReleaseSprites() {
  for (Gfx::TSprite** sprite : {&CastSprite, &FlightSprite, &ImpactSprite}) {
    if (*sprite && Data2::GlobalData) Data2::GlobalData->SpellSpriteList.ReleaseSprite(*sprite);
    *sprite = nullptr;
  }
}

void TSpell::Init(const TSpellPrototype* spell, i32 volume) {
  Spell = spell;
  Volume = volume;
  Started = 0;
  AcquireSprites();
}

void TSpell::Start(i32 sourceX, i32 sourceY, i32 targetX, i32 targetY) {
  SourceX = sourceX;
  SourceY = sourceY;
  TargetPixelX = targetX;
  TargetPixelY = targetY;
  Frame = 0;
  EffectFlag = Finished = 0;
  CastLength = FlightLength = ImpactLength = 0;
  Started = 1;
  ComputePhases();
}

void TSpell::ComputePhases() {
  const f32 ex = static_cast<f32>(TargetPixelX) - static_cast<f32>(SourceX),
            ey = static_cast<f32>(TargetPixelY) - static_cast<f32>(SourceY);
  const u32 speed = Spell ? Spell->FlightSpeed : 0;
  const u32 f = FlightSteps(std::sqrt(ex * ex + ey * ey), speed);
  const u32 k = Saturated(u64(UsableFrames(CastSprite)) * (Spell ? Spell->CastFrameTime : 0));
  const u32 i = Saturated(u64(UsableFrames(ImpactSprite)) * (Spell ? Spell->ImpactFrameTime : 0));
  const i32 n = Number();
  // A missing sprite has no frames, so its phase is 0 steps in every row.
  if (IsOneOf(n, {17, 40, 41, 42, 43, 52, 55, 60, 77, 78, 81, 104, 105, 106, 116, 119, 124})) {
    FlightLength = f;
    ImpactLength = i;
    TotalLength = FlightLength + ImpactLength;
    EffectFrame = FlightLength;
  } else if (n == 98) {
    CastLength = k;
    FlightLength = f;
    ImpactLength = 100;
    TotalLength = CastLength + FlightLength + ImpactLength;
    EffectFrame = TotalLength;
  } else if (n == 29 || n == 93) {
    FlightLength = f;
    ImpactLength = i;
    TotalLength = EffectFrame = FlightLength + ImpactLength;
  } else if (n == 31 || n == 95) {
    FlightLength = f;
    ImpactLength = i;
    TotalLength = EffectFrame = FlightLength + 160 + ImpactLength;
  } else if (n == 21) {
    TotalLength = ImpactLength = i;
    EffectFrame = TotalLength * 4 / 5;
  } else if (n == 33) {
    TotalLength = ImpactLength = 2 * i;
    EffectFrame = 0;
  } else if (n == 23) {
    CastLength = k;
    ImpactLength = i;
    TotalLength = EffectFrame = CastLength + ImpactLength;
  } else if (n == 61) {
    TotalLength = EffectFrame = ImpactLength = i;
  } else if (n == 82) {
    FlightLength = FlightSteps(std::sqrt(50.0f * 50.0f + 300.0f * 300.0f), speed);
    ImpactLength = i;
    TotalLength = FlightLength + ImpactLength;
    EffectFrame = FlightLength + ImpactLength / 2;
  } else {
    TotalLength = ImpactLength = i;
    EffectFrame = TotalLength / 2;
  }
}

void TSpell::PlaySounds() {
  if (!Spell) return;
  if (Frame == 0 && Spell->CastSound && IsSourceVisible()) PlaySound(Spell->CastSound, Volume);
  if (Frame == CastLength && Spell->FlightSound && IsSourceVisible()) PlaySound(Spell->FlightSound, Volume);
  if (Frame == CastLength + FlightLength && Spell->ImpactSound && IsTargetVisible())
    PlaySound(Spell->ImpactSound, Volume);
}

void TSpell::Tick() {
  if (!Finished) PlaySounds();
  EffectFlag = Frame == EffectFrame && !Finished;
  if (Frame > TotalLength && !Finished)
    Finished = 1;
  else
    ++Frame;
  BuildDrawInfos();
}

bool TSpell::IsSquareVisible(i32 radius) const {
  const TPlayer* viewer = Scenario ? Scenario->ViewingPlayer : nullptr;
  if (!viewer) return false;
  const i32 tx = TargetPixelX / FieldSize, ty = TargetPixelY / FieldSize;
  for (i32 y = std::max(ty - radius, 0); y <= std::min<i32>(ty + radius, Scenario->Height - 1); ++y)
    for (i32 x = std::max(tx - radius, 0); x <= std::min<i32>(tx + radius, Scenario->Width - 1); ++x)
      if (viewer->IsFieldVisible(x, y)) return true;
  return false;
}

bool TSpell::IsSourceVisible() const {
  if (IsBattleSpell()) return true;
  const TPlayer* viewer = Scenario ? Scenario->ViewingPlayer : nullptr;
  if (!viewer) return false;
  const i32 fx = FieldOf(SourceX), fy = FieldOf(SourceY);
  return Scenario->IsFieldOnMap(fx, fy) && viewer->IsFieldVisible(fx, fy);
}

bool TSpell::IsTargetVisible() const {
  if (IsBattleSpell()) return true;
  const TPlayer* viewer = Scenario ? Scenario->ViewingPlayer : nullptr;
  if (!viewer) return false;
  const i32 n = Number();
  if (IsOneOf(n, {7, 8, 18, 19, 45})) return IsSquareVisible(2);
  if (n == 26) return IsSquareVisible(1);
  const i32 tx = FieldOf(TargetPixelX), ty = FieldOf(TargetPixelY);
  const bool target = Scenario->IsFieldOnMap(tx, ty) && viewer->IsFieldVisible(tx, ty);
  if (n == 21) return IsSourceVisible() || target;
  if (n == 33) {
    const i32 relation = viewer->GetRelation(Scenario->PlayerAt(Scenario->CurrentPlayerIndex));
    if (relation == rSelf || relation == rAllied) return true;
    const i32 r = Spell->Params[9];
    for (i32 y = std::max(ty - r, 0); y <= std::min<i32>(ty + r, Scenario->Height - 1); ++y)
      for (i32 x = std::max(tx - r, 0); x <= std::min<i32>(tx + r, Scenario->Width - 1); ++x) {
        const f64 d = std::sqrt(f64(x - tx) * (x - tx) + f64(y - ty) * (y - ty));
        if (d <= r + 0.5 && viewer->IsFieldVisible(x, y)) return true;
      }
    return false;
  }
  return target;
}

}  // namespace GameData
