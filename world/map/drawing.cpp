#include "world/map/drawing.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

Gfx::TSpriteList* UnitSprites() { return Data2::GlobalData ? &Data2::GlobalData->UnitSpriteList : nullptr; }

}  // namespace

TDrawing::TDrawing(TScenario* scenario, u16 type) : TMapObject(scenario, type, "") {}

void TDrawing::Init(Gfx::TSprite* sprite, i32 frame, i32 x, i32 y, u16 layer) {
  Sprite = sprite;
  Frame = frame;
  X = static_cast<i16>(x);
  Y = static_cast<i16>(y);
  Layer = layer;
}

TAnimation::TAnimation(TScenario* scenario) : TDrawing(scenario, otAnimation) {}

TAnimation::~TAnimation() { GiveBackSprite(); }

void TAnimation::TakeSprite(u32 id) {
  GiveBackSprite();
  SpriteID = id;
  if (id && Scenario && Scenario->Sprites) Sprite = Scenario->Sprites->GetSprite(id);
}

void TAnimation::GiveBackSprite() {
  if (Sprite && Scenario && Scenario->Sprites) Scenario->Sprites->ReleaseSprite(Sprite);
  Sprite = nullptr;
}

void TAnimation::Init(u32 spriteID, i32 x, i32 y, u16 layer, i32 frameDelay, i32 startDelay) {
  TakeSprite(spriteID);
  X = static_cast<i16>(x);
  Y = static_cast<i16>(y);
  Layer = layer;
  FrameDelay = frameDelay;
  StartDelay = startDelay;
  TickCounter = 0;
}

void TAnimation::Clear() {
  TDrawing::Clear();
  Frame = 0;
  TickCounter = 0;
  FrameDelay = 1;
  StartDelay = 0;
  GiveBackSprite();
  SpriteID = 0;
}

void TAnimation::Load(Data::TStream& s) {
  TMapObject::Load(s);
  Reserved = Data::ReadU8(s);
  Frame = static_cast<i32>(Data::ReadU32(s));
  TickCounter = static_cast<i32>(Data::ReadU32(s));
  FrameDelay = static_cast<i32>(Data::ReadU32(s));
  StartDelay = static_cast<i32>(Data::ReadU32(s));
  TakeSprite(Data::ReadU32(s));
}

void TAnimation::Save(Data::TStream& s) const {
  TMapObject::Save(s);
  Data::WriteU8(s, Reserved);
  Data::WriteU32(s, static_cast<u32>(Frame));
  Data::WriteU32(s, static_cast<u32>(TickCounter));
  Data::WriteU32(s, static_cast<u32>(FrameDelay));
  Data::WriteU32(s, static_cast<u32>(StartDelay));
  Data::WriteU32(s, Sprite ? SpriteID : 0);
}

void TAnimation::Tick() {
  if (!Sprite) return;
  // Counters from a damaged stream wrap rather than overflow.
  TickCounter = static_cast<i32>(static_cast<u32>(TickCounter) + 1);
  if (TickCounter < StartDelay) return;
  if (FrameDelay > 0 && (static_cast<i64>(TickCounter) - StartDelay) % FrameDelay != 0) return;
  if (Frame < std::numeric_limits<i32>::max()) ++Frame;
  Changed = 1;
  if (Frame >= AnimationFrameCount(Sprite)) {
    GiveBackSprite();
    Finished = 1;
  }
}

Base::TRect TAnimation::FullRect() const {
  if (!Sprite) return {};
  i32 left = X - Sprite->HotX, top = Y - Sprite->HotY;
  return {left, top, left + Sprite->Width, top + Sprite->Height};
}

TCorpse::TCorpse(TScenario* scenario, u16 type) : TDrawing(scenario, type) {}

TCorpse::~TCorpse() { GiveBackSprite(); }

void TCorpse::TakeSprite(u32 id) {
  GiveBackSprite();
  SpriteID = id;
  if (id && UnitSprites()) Sprite = UnitSprites()->GetSprite(id);
}

void TCorpse::GiveBackSprite() {
  if (Sprite && UnitSprites()) UnitSprites()->ReleaseSprite(Sprite);
  Sprite = nullptr;
}

void TCorpse::Init(u32 spriteID, i32 frame, i32 x, i32 y, u16 layer) {
  TakeSprite(spriteID);
  Frame = frame;
  X = static_cast<i16>(x);
  Y = static_cast<i16>(y);
  Layer = layer;
}

void TCorpse::Clear() {
  TDrawing::Clear();
  GiveBackSprite();
  SpriteID = 0;
  Frame = 0;
  Reserved = 0;
}

void TCorpse::Load(Data::TStream& s) {
  TMapObject::Load(s);
  Reserved = Data::ReadU8(s);
  Frame = static_cast<i32>(Data::ReadU32(s));
  TakeSprite(Data::ReadU32(s));
}

void TCorpse::Save(Data::TStream& s) const {
  TMapObject::Save(s);
  Data::WriteU8(s, Reserved);
  Data::WriteU32(s, static_cast<u32>(Frame));
  Data::WriteU32(s, Sprite ? SpriteID : 0);
}

TNaturalCorpse::TNaturalCorpse(TScenario* scenario) : TCorpse(scenario, otNaturalCorpse) {}

void TNaturalCorpse::Init(u32 spriteID, i32 frame, i32 x, i32 y, u16 layer, i32 lifetime) {
  TCorpse::Init(spriteID, frame, x, y, layer);
  Lifetime = lifetime;
}

void TNaturalCorpse::InitForUnit(const TUnit& unit, i32 direction, i32 x, i32 y) {
  const u32 spriteID = unit.Prototype ? unit.Prototype->SpriteIDs[MapDie][direction & 7] : 0;
  i32 lifetime = -1;
  // How long a corpse lies changes only the picture: the run-time generator.
  if (!unit.KilledByScript)
    lifetime = std::max(0, std::rand() % 4 + (Data2::GlobalData ? Data2::GlobalData->CorpseLifetime : 0) - 2);
  Init(spriteID, 0, x, y, CorpseLayer, lifetime);
  Frame = std::max(0, AnimationFrameCount(Sprite) - 1);
}

void TNaturalCorpse::Clear() {
  TCorpse::Clear();
  Lifetime = -1;
}

void TNaturalCorpse::Load(Data::TStream& s) {
  TCorpse::Load(s);
  Lifetime = Data::ReadI32(s);
}

void TNaturalCorpse::Save(Data::TStream& s) const {
  TCorpse::Save(s);
  Data::WriteI32(s, Lifetime);
}

}  // namespace GameData
