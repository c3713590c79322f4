// The visible course of one spell cast on the map or in a battle: its three
// animations (cast, flight, impact) with their sounds, the phase lengths and
// the effect step that follow from the spell number, and its drawing.
#pragma once

#include "engine/data/data_object.h"
#include "engine/data/object_list.h"
#include "world/scenario/spell_course.h"

namespace Gfx {
class TSprite;
}

namespace GameData {

// One drawing instruction of a map spell, rebuilt every update step.
struct TSpellDrawInfo {
  // 1 plain frame at the hot spot, 2 rotated and scaled, 3 along a line.
  u32 Kind = 0;
  u32 Frame = 0;
  i32 X = 0, Y = 0;
  i32 X2 = 0, Y2 = 0;
  f32 ScaleX = 0, ScaleY = 0;
  // Kind 2: radians; kind 3: the orientation 0..3.
  f32 Angle = 0;
  Gfx::TSprite* Sprite = nullptr;
};

enum TSpellDrawKind : u32 { sdPlain = 1, sdRotated = 2, sdAlongLine = 3 };

// A number above this is a battle spell.
constexpr i32 LastMapSpellNumber = 64;
// Data can ask for a phase of any length; longer ones are cut here so that
// the sums of the phases stay far inside 32 bits.
constexpr u32 MaxPhaseSteps = 1u << 24;

class TSpell : public TSpellCourse, public Data::TDataObject {
 public:
  TSpell();
  ~TSpell() override;

  // Stores the record and the volume and takes the three sprites from the
  // global spell sprite list, unless the object holds one already.
  void Init(const TSpellPrototype* spell, i32 volume) override;
  // Pixels; computes the phase lengths and the effect step.
  void Start(i32 sourceX, i32 sourceY, i32 targetX, i32 targetY) override;
  void Tick() override;
  void Draw(Plat::TSurface* surface, i32 dx, i32 dy, i32 unused) override;

  bool IsSourceVisible() const;
  bool IsTargetVisible() const;

  void AcquireSprites();
  void ReleaseSprites();
  // The instructions of a map spell for the current frame.
  void BuildDrawInfos();
  // Appends one instruction when the viewing player may see its place.
  void AddDrawInfo(u32 kind, u32 frame, i32 x, i32 y, i32 x2, i32 y2, f32 scaleX, f32 scaleY, f32 angle,
                   Gfx::TSprite* sprite);
  void DrawInfos(Plat::TSurface* surface, i32 dx, i32 dy);

  i32 Number() const;
  bool IsBattleSpell() const { return Number() > LastMapSpellNumber; }
  // The frames of a sprite that belong to its animation (0 for null).
  static i32 UsableFrames(const Gfx::TSprite* sprite);

  Gfx::TSprite* CastSprite = nullptr;
  Gfx::TSprite* FlightSprite = nullptr;
  Gfx::TSprite* ImpactSprite = nullptr;
  u32 TotalLength = 0;
  u32 EffectFrame = 0;
  u32 CastLength = 0, FlightLength = 0, ImpactLength = 0;
  Data::TObjectList<TSpellDrawInfo> DrawInfoList{true};

  // Whether the viewing player sees some field of the square of that
  // radius around the target field.
  bool IsSquareVisible(i32 radius) const;

 private:
  void ComputePhases();
  void PlaySounds();
};

// The spell prototype of a number from the global data; null when none.
const TSpellPrototype* FindSpellRecord(i32 number);

}  // namespace GameData
