// Everything that stands on the map: the base class with its twenty virtual
// operations, its stream and its redraw bookkeeping.
#pragma once

#include <string>

#include "engine/base/rect.h"
#include "engine/data/data_object.h"

namespace Gfx {
class TSprite;
class TBitmap;
}  // namespace Gfx

namespace Plat {
class TSurface;
}

namespace GameData {

class TScenario;

enum TMapObjectType : u16 {
  otDoodle = 1,
  otGroup = 2,
  otBuilding = 3,
  otDrawing = 4,
  otCorpse = 5,
  otCity = 6,
  otAnimation = 7,
  otLocation = 8,
  otNaturalCorpse = 9,
};

constexpr u16 DefaultLayer = 10;

// The frame count that animations cycle through: a sprite whose last frame
// is its background (frame mode 0x200) has one less.
i32 AnimationFrameCount(const Gfx::TSprite* sprite);

class TMapObject : public Data::TDataObject {
 public:
  TMapObject(TScenario* scenario, u16 type, const std::string& caption);

  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;
  virtual Gfx::TSprite* GetSprite() const = 0;
  virtual i32 GetFrame() const { return 0; }
  virtual void ApplyToFields() {}
  virtual void Tick() {}
  virtual Base::TRect GetRect() const { return GetSpriteRect(); }
  virtual Base::TRect GetMarkerRect() const { return GetRect(); }
  virtual bool HitTest(i32 x, i32 y) const;
  virtual void DrawToBitmap(Gfx::TBitmap* target, i32 viewX, i32 viewY, const Base::TRect& screen);
  virtual void Draw(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen);
  virtual void DrawGroundToBitmap(Gfx::TBitmap*, i32, i32, const Base::TRect&) {}
  virtual void DrawGround(Plat::TSurface*, i32, i32, const Base::TRect&) {}
  virtual void DrawOverlayToBitmap(Gfx::TBitmap*, i32, i32, const Base::TRect&) {}
  virtual void DrawOverlay(Plat::TSurface*, i32, i32, const Base::TRect&) {}
  virtual void Select() { Selected = 1; }
  virtual void Deselect() { Selected = 0; }

  Base::TRect GetSpriteRect() const;
  // The sprite rectangle, with the marker for a selected object or a group.
  Base::TRect GetDrawRect() const;
  bool IntersectsRect(const Base::TRect& r) const;
  // The draw rectangle meets the view: the map pixels from (viewX, viewY)
  // the size of the screen rectangle.
  bool MeetsView(i32 viewX, i32 viewY, const Base::TRect& screen) const;
  bool IsOnMap() const;
  i32 FieldX() const { return X / 40; }
  i32 FieldY() const { return Y / 40; }

  void StoreDrawState();
  bool DrawStateChanged() const;

  u16 Type;
  i16 X = 0;
  i16 Y = 0;
  std::string Caption;
  u8 Selected = 0;
  TScenario* Scenario;
  struct TDrawState {
    Base::TRect Rect;
    i32 Frame = 0;
    Gfx::TSprite* Sprite = nullptr;
    u8 Selected = 0;
  } LastDraw;
  u8 Changed = 0;
  u16 Layer = DefaultLayer;
  // Position in the scenario's list while the object is in it; kept by the scenario.
  i32 ListPosition = -1;
  // The scenario's frame in which this object last ticked (not stored).
  u32 TickedFrame = 0;
};

}  // namespace GameData
