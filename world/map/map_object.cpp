#include "world/map/map_object.h"

#include "engine/gfx/sprite.h"
#include "world/scenario/scenario.h"

namespace GameData {

i32 AnimationFrameCount(const Gfx::TSprite* sprite) {
  if (!sprite) return 0;
  i32 n = sprite->FrameCount();
  return sprite->FrameMode() == 0x200 ? n - 1 : n;
}

TMapObject::TMapObject(TScenario* scenario, u16 type, const std::string& caption)
    : Type(type), Caption(caption), Scenario(scenario) {}

void TMapObject::Load(Data::TStream& s) {
  TDataObject::Load(s);
  Data::CheckData(Data::ReadU16(s) == Type);
  X = Data::ReadI16(s);
  Y = Data::ReadI16(s);
  Layer = Data::ReadU16(s);
}

void TMapObject::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  Data::WriteU16(s, Type);
  Data::WriteI16(s, X);
  Data::WriteI16(s, Y);
  Data::WriteU16(s, Layer);
}

void TMapObject::Clear() {
  X = Y = 0;
  Layer = DefaultLayer;
}

Base::TRect TMapObject::GetSpriteRect() const {
  const Gfx::TSprite* sprite = GetSprite();
  if (!sprite) return {};
  i32 left = X - sprite->HotX, top = Y - sprite->HotY;
  return {left, top, left + sprite->Width, top + sprite->Height};
}

Base::TRect TMapObject::GetDrawRect() const {
  Base::TRect r = GetSpriteRect();
  if (Selected || Type == otGroup) r = Base::UnionRect(r, GetMarkerRect());
  return r;
}

bool TMapObject::IntersectsRect(const Base::TRect& r) const {
  Base::TRect common;
  return Base::IntersectRect(common, GetDrawRect(), r);
}

bool TMapObject::HitTest(i32 x, i32 y) const { return Base::PointInRect(GetRect(), x, y); }

bool TMapObject::IsOnMap() const { return Scenario && Scenario->IsFieldOnMap(X / 40, Y / 40); }

bool TMapObject::MeetsView(i32 viewX, i32 viewY, const Base::TRect& screen) const {
  Base::TRect common;
  return Base::IntersectRect(common, GetDrawRect(), {viewX, viewY, viewX + screen.Width(), viewY + screen.Height()});
}

void TMapObject::DrawToBitmap(Gfx::TBitmap* target, i32 viewX, i32 viewY, const Base::TRect& screen) {
  Gfx::TSprite* sprite = GetSprite();
  if (!sprite || !MeetsView(viewX, viewY, screen)) return;
  sprite->DrawToBitmap(target, GetFrame(), X - viewX + screen.Left - sprite->HotX,
                       Y - viewY + screen.Top - sprite->HotY, &screen);
}

void TMapObject::Draw(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) {
  Gfx::TSprite* sprite = GetSprite();
  if (!sprite || !MeetsView(viewX, viewY, screen)) return;
  sprite->Draw(target, GetFrame(), X - viewX + screen.Left - sprite->HotX, Y - viewY + screen.Top - sprite->HotY,
               &screen);
}

void TMapObject::StoreDrawState() {
  LastDraw.Rect = GetDrawRect();
  LastDraw.Frame = GetFrame();
  LastDraw.Sprite = GetSprite();
  LastDraw.Selected = Selected;
  Changed = 0;
}

bool TMapObject::DrawStateChanged() const {
  return Changed || !(LastDraw.Rect == GetDrawRect()) || LastDraw.Frame != GetFrame() ||
         LastDraw.Sprite != GetSprite() || LastDraw.Selected != Selected;
}

}  // namespace GameData
