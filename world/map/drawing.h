// Pictures the game places on the map: drawings, one-shot animations and the
// corpses that dead units leave.
#pragma once

#include "world/map/map_object.h"

namespace GameData {

class TUnit;

class TDrawing : public TMapObject {
 public:
  explicit TDrawing(TScenario* scenario, u16 type = otDrawing);
  Gfx::TSprite* GetSprite() const override { return Sprite; }
  i32 GetFrame() const override { return Frame; }
  void Init(Gfx::TSprite* sprite, i32 frame, i32 x, i32 y, u16 layer);

  i32 Frame = 0;
  Gfx::TSprite* Sprite = nullptr;
  u8 Reserved = 1;
};

// Plays its sprite's frames once after a start delay, then finishes.
class TAnimation : public TDrawing {
 public:
  explicit TAnimation(TScenario* scenario);
  ~TAnimation() override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  Gfx::TSprite* GetSprite() const override { return TickCounter < StartDelay ? nullptr : Sprite; }
  void Tick() override;
  void Init(u32 spriteID, i32 x, i32 y, u16 layer, i32 frameDelay, i32 startDelay);
  // The picture's rectangle also before it shows.
  Base::TRect FullRect() const;

  i32 FrameDelay = 1;
  i32 StartDelay = 0;
  i32 TickCounter = 0;
  u8 Finished = 0;
  u32 SpriteID = 0;

 private:
  void TakeSprite(u32 id);
  void GiveBackSprite();
};

// A corpse's picture comes from the global unit sprite list.
class TCorpse : public TDrawing {
 public:
  explicit TCorpse(TScenario* scenario, u16 type = otCorpse);
  ~TCorpse() override;
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  void Init(u32 spriteID, i32 frame, i32 x, i32 y, u16 layer);

  u32 SpriteID = 0;
  // The players' fog marks corpses it has shown.
  u8 Seen = 0;

 protected:
  void TakeSprite(u32 id);
  void GiveBackSprite();
};

constexpr u16 CorpseLayer = 9;

// A corpse that lies for a number of rounds; -1 never decays.
class TNaturalCorpse : public TCorpse {
 public:
  explicit TNaturalCorpse(TScenario* scenario);
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  void Init(u32 spriteID, i32 frame, i32 x, i32 y, u16 layer, i32 lifetime);
  // What a unit that died on the map leaves at (x, y): the last picture of
  // its dying in the direction, lying for a few rounds (for ever when a
  // script killed it).
  void InitForUnit(const TUnit& unit, i32 direction, i32 x, i32 y);

  i32 Lifetime = -1;
};

}  // namespace GameData
