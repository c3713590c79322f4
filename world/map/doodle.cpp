#include "world/map/doodle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/dsframe/dsframe.h"
#include "engine/data/text_data.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "world/data2/global_data.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"

namespace GameData {

void ReadDoodlePrototypes(Data::TStream& s, Data::TDynamicArray<TDoodlePrototype>& out) {
  i32 count = Data::ReadTextInt(s);
  // Twelve tokens of at least one character and a separator each.
  Data::CheckData(count >= 0);
  Data::CheckAvailable(s, count, 24);
  out.Clear();
  out.SetCount(count);
  for (TDoodlePrototype& p : out) {
    p.ID = static_cast<u32>(Data::ReadTextInt(s));
    p.SpriteID = static_cast<u32>(Data::ReadTextInt(s));
    p.PauseChance = static_cast<i16>(Data::ReadTextInt(s));
    p.AnimationKind = static_cast<u16>(Data::ReadTextInt(s));
    p.FrameDelay = static_cast<i16>(Data::ReadTextInt(s));
    p.FieldEffect = static_cast<u16>(Data::ReadTextInt(s));
    p.HeightChange = static_cast<i16>(Data::ReadTextInt(s));
    p.MoveCostChange = static_cast<i16>(Data::ReadTextInt(s));
    p.Layer = static_cast<u16>(Data::ReadTextInt(s));
    p.SoundID = static_cast<u32>(Data::ReadTextInt(s));
    p.SoundVolume = static_cast<u32>(Data::ReadTextInt(s));
    Data::ReadTextChars(s, p.Name, sizeof p.Name);
    p.Valid = 1;
  }
}

TDoodle::TDoodle(TScenario* scenario) : TMapObject(scenario, otDoodle, "Objekte") {}

TDoodle::~TDoodle() { ReleaseSprite(); }

void TDoodle::Clear() {
  TMapObject::Clear();
  Prototype = nullptr;
  PauseChance = 0;
  Active = 1;
  Frame = 0;
  TickCounter = 0;
  SoundTrack = -1;
  ReleaseSprite();
}

void TDoodle::Load(Data::TStream& s) {
  TMapObject::Load(s);
  u32 id = Data::ReadU32(s);
  const TDoodlePrototype* found = nullptr;
  for (const TDoodlePrototype& p : Scenario->DoodlePrototypes)
    if (p.ID == id) {
      found = &p;
      break;
    }
  if (!found) throw Data::EInvalidData("Prototype not found.");
  Prototype = found;
  PauseChance = Data::ReadU16(s);
  Active = Data::ReadU8(s);
  Frame = Data::ReadI32(s);
  TickCounter = Data::ReadI32(s);
  Caption.assign(Prototype->Name, strnlen(Prototype->Name, sizeof Prototype->Name));
  LoadSprite();
}

void TDoodle::Save(Data::TStream& s) const {
  TMapObject::Save(s);
  Data::WriteU32(s, Prototype ? Prototype->ID : 0);
  Data::WriteU16(s, PauseChance);
  Data::WriteU8(s, Active);
  Data::WriteI32(s, Frame);
  Data::WriteI32(s, TickCounter);
}

void TDoodle::SetPrototype(const TDoodlePrototype* prototype) {
  Prototype = prototype;
  PauseChance = static_cast<u16>(prototype->PauseChance);
  Layer = prototype->Layer;
  Active = 1;
  Frame = 0;
  RandomizeFrame();
  TickCounter = 0;
  LoadSprite();
  if (Scenario) Scenario->MapObjectChanged(this);
}

void TDoodle::LoadSprite() {
  ReleaseSprite();
  if (!Prototype || !Scenario || !Scenario->Sprites) return;
  Sprite = Scenario->Sprites->GetSprite(Prototype->SpriteID);
  // Device upload of alpha sprites comes with the display device.
}

void TDoodle::ReleaseSprite() {
  if (Sprite && Scenario && Scenario->Sprites) Scenario->Sprites->ReleaseSprite(Sprite);
  Sprite = nullptr;
}

void TDoodle::RandomizeFrame() {
  // Picture only: the run-time generator.
  if (Prototype && Prototype->AnimationKind == 1 && Prototype->FrameDelay >= 1 && AnimationFrameCount(Sprite) >= 1)
    Frame = std::rand() % AnimationFrameCount(Sprite);
}

// A damaged stream may hold any frame; only one the sprite has is shown.
i32 TDoodle::GetFrame() const { return (Sprite && Frame >= 0 && Frame < Sprite->FrameCount()) ? Frame : 0; }

namespace {

// Rounds toward minus infinity, so a sprite left of or above the map covers no field.
i32 FloorDiv40(i32 v) { return v >= 0 ? v / 40 : -((-v + 39) / 40); }

}  // namespace

void TDoodle::ApplyToFields() {
  if (!Active || !Prototype || !Scenario) return;
  auto apply = [this](i32 fx, i32 fy) {
    i32 i = Scenario->FieldIndex(fx, fy);
    Scenario->Heights[i] = static_cast<i16>(Scenario->Heights[i] + Prototype->HeightChange);
    // 255 is blocked; a lowering change stops at 0 rather than wrapping to blocked.
    Scenario->Costs[i] = static_cast<u8>(std::clamp(Scenario->Costs[i] + Prototype->MoveCostChange, 0, 255));
  };
  if (Prototype->FieldEffect == 1) {
    if (Scenario->IsFieldOnMap(X / 40, Y / 40)) apply(X / 40, Y / 40);
  } else if (Prototype->FieldEffect == 2) {
    Base::TRect r = GetSpriteRect();
    i32 x0 = std::max(0, FloorDiv40(r.Left + 20)), x1 = std::min<i32>(Scenario->Width, FloorDiv40(r.Right - 20) + 1);
    i32 y0 = std::max(0, FloorDiv40(r.Top + 20)), y1 = std::min<i32>(Scenario->Height, FloorDiv40(r.Bottom - 20) + 1);
    for (i32 fy = y0; fy < y1; ++fy)
      for (i32 fx = x0; fx < x1; ++fx) apply(fx, fy);
  }
}

void TDoodle::Tick() {
  // Wraps rather than overflows on a counter from a damaged stream.
  TickCounter = static_cast<i32>(static_cast<u32>(TickCounter) + 1);
  i32 frames = AnimationFrameCount(Sprite);
  const u16 kind = Prototype ? Prototype->AnimationKind : 0;
  if ((kind == 1 || kind == 2) && Sprite && Prototype->FrameDelay > 0 && frames > 1 &&
      TickCounter % Prototype->FrameDelay == 0) {
    // The pause chance is the prototype's; the doodle's stored copy is not read.
    const i32 chance = Prototype->PauseChance;
    bool advance = kind == 1 || Frame != 0 || chance == 0 || std::rand() % chance == 0;
    if (advance) Frame = static_cast<i32>((static_cast<i64>(Frame) + 1) % frames);
  }
  UpdateSound();
}

i32 AmbientVolume(u32 soundVolume, i32 sfxVolume, i32 distance) {
  i64 v = static_cast<i64>(soundVolume) * sfxVolume / 100;
  if (distance > 150) v -= (static_cast<i64>(distance) - 150) / 5;
  // The sound device takes 0..100 whatever the prototype's percentage says.
  return static_cast<i32>(std::clamp<i64>(v, 0, 100));
}

void TDoodle::UpdateSound() {
  if (!DSFramework || !Data2::GlobalData || Main::SFXVolume == 0 || Scenario->BattleRunning ||
      Scenario->CityScreenOpen || !Prototype || Prototype->SoundID == 0 || !Sprite)
    return;
  // The side panel covers 230 pixels of the view.
  const double viewX = Scenario->ViewX + (Scenario->ViewWidth - 230) / 2;
  const double viewY = Scenario->ViewY + Scenario->ViewHeight / 2;
  const Base::TRect r = GetSpriteRect();
  const i32 distance = static_cast<i32>(std::hypot((r.Left + r.Right) / 2.0 - viewX, (r.Top + r.Bottom) / 2.0 - viewY));
  const i32 volume = AmbientVolume(Prototype->SoundVolume, Main::SFXVolume, distance);
  if (SoundTrack >= 0) {
    // A track that has ended is not started again.
    if (DSFramework->IsPlaying(SoundTrack)) DSFramework->SetVolume(SoundTrack, volume);
    return;
  }
  TAudioStream* sound = Data2::GlobalData->SoundList.FindStream(Prototype->SoundID);
  if (sound) SoundTrack = DSFramework->PlayStream(sound, DSFrame::tfLoop | DSFrame::tfFadeIn, volume, false, false);
}

void TDoodle::StopSound() {
  if (SoundTrack >= 0 && DSFramework) DSFramework->FadeOut(SoundTrack);
  SoundTrack = -1;
}

}  // namespace GameData
