// Decorations of the map: a picture, an optional animation, a change of the
// terrain under it and an ambient sound.
#pragma once

#include "engine/data/dynamic_array.h"
#include "world/map/map_object.h"

namespace GameData {

struct TDoodlePrototype {
  static constexpr i32 StreamSize = 111;
  u32 ID;
  u32 SpriteID;
  i16 PauseChance;
  u16 AnimationKind;  // 0 none, 1 loop, 2 loop with pauses at frame 0
  i16 FrameDelay;
  u16 FieldEffect;  // 0 none, 1 own field, 2 every field under the sprite
  i16 HeightChange;
  i16 MoveCostChange;
  u16 Layer;
  u32 SoundID;
  u32 SoundVolume;
  char Name[80];
  u8 Valid;
};

class TDoodle : public TMapObject {
 public:
  explicit TDoodle(TScenario* scenario);
  ~TDoodle() override;

  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  Gfx::TSprite* GetSprite() const override { return Sprite; }
  i32 GetFrame() const override;
  void ApplyToFields() override;
  void Tick() override;

  void SetPrototype(const TDoodlePrototype* prototype);
  void LoadSprite();
  void ReleaseSprite();
  void RandomizeFrame();
  void UpdateSound();
  void StopSound();

  const TDoodlePrototype* Prototype = nullptr;
  u16 PauseChance = 0;
  u8 Active = 1;
  i32 Frame = 0;
  i32 TickCounter = 0;
  Gfx::TSprite* Sprite = nullptr;
  i32 SoundTrack = -1;
};

// The doodle prototype text file: a count, then per record eleven integers
// and the name (at most 79 characters).
void ReadDoodlePrototypes(Data::TStream& s, Data::TDynamicArray<TDoodlePrototype>& out);

// The volume of an ambient sound heard from the view centre: the prototype's
// volume scaled by the setting, falling by 1 per 5 pixels beyond 150.
i32 AmbientVolume(u32 soundVolume, i32 sfxVolume, i32 distance);

}  // namespace GameData
