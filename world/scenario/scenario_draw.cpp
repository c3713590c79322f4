// The scenario draws its map for the map window: background and objects into
// a cache that lives from frame to frame, and every frame on top of the
// cache's copy the running spell, the weather, the fog edges and the overlays.
#include <algorithm>
#include <cstdlib>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "world/locations/city.h"
#include "world/map/background.h"
#include "world/map/fog.h"
#include "world/map/map_draw.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/spell_course.h"

namespace GameData {

namespace {

constexpr std::size_t DirtyRectCapacity = 1000;

Base::TRect Offset(const Base::TRect& r, i32 dx, i32 dy) {
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

bool Meet(const Base::TRect& a, const Base::TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// While one lives, the 3D device draws into the surface: alpha sprites draw
// on the render target, whatever surface they are given.
class TRenderTarget {
 public:
  explicit TRenderTarget(Plat::TSurface* surface) {
    if (!D3DFramework || !D3DFramework->Device3D || !D3DFramework->BackBuffer) return;
    Switched = surface != D3DFramework->Device3D->RenderTarget() &&
               !Plat::Failed(D3DFramework->Device3D->SetRenderTarget(surface));
  }
  ~TRenderTarget() {
    if (Switched) D3DFramework->Device3D->SetRenderTarget(D3DFramework->BackBuffer);
  }
  TRenderTarget(const TRenderTarget&) = delete;
  TRenderTarget& operator=(const TRenderTarget&) = delete;

 private:
  bool Switched = false;
};

}  // namespace

bool TScenario::IsObjectDrawn(const TMapObject* object) const {
  return !ViewingPlayer || ViewingPlayer->IsObjectShown(object);
}

// A city draws its flags wherever they stand; every other object within its
// draw rectangle.
const std::vector<TScenario::TDrawEntry>& TScenario::DrawEntries() {
  if (EntriesFresh) return Entries;
  Entries.clear();
  for (TMapObject* o : MapObjects) {
    if (!IsObjectDrawn(o)) continue;
    Base::TRect extent = o->GetDrawRect();
    if (o->Type == otCity) {
      const auto* city = static_cast<const TCity*>(o);
      for (i32 i = 0; i < city->Flags.Count(); ++i) extent = Base::UnionRect(extent, city->GetFlagRect(i));
    }
    if (!Base::IsRectEmpty(extent)) Entries.push_back({o, extent});
  }
  EntriesFresh = true;
  return Entries;
}

void TScenario::DrawLayers(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip, u32 layers) {
  EntriesFresh = false;
  LayersFromEntries(surface, x, y, clip, layers);
  EntriesFresh = false;
}

void TScenario::LayersFromEntries(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip, u32 layers) {
  if (!surface || Base::IsRectEmpty(clip)) return;
  TRenderTarget target(surface);
  if (layers & dlBackground) {
    // Black where no tile lies, or moved and animated pictures would leave trails.
    Gfx::FillRect(surface, clip.Left, clip.Top, clip.Width(), clip.Height(), 0, nullptr);
    if (Background) Background->Draw(surface, x, y, clip);
  }
  if (!(layers & dlObjects)) return;
  const Base::TRect view{x, y, x + clip.Width(), y + clip.Height()};
  const auto drawObjects = [&](bool low, bool high) {
    for (const TDrawEntry& e : DrawEntries())
      if (Meet(e.Extent, view) && (e.Object->Layer <= 9 ? low : high)) e.Object->Draw(surface, x, y, clip);
  };
  const auto groundPass = [&] {
    for (const TDrawEntry& e : DrawEntries())
      if (Meet(e.Extent, view)) e.Object->DrawGround(surface, x, y, clip);
  };
  if (!ViewingPlayer) {
    groundPass();
    drawObjects(true, true);
    return;
  }
  drawObjects(true, false);
  groundPass();
  drawObjects(false, true);
}

void TScenario::DrawGroundPass(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip) {
  for (TMapObject* o : MapObjects)
    if (IsObjectDrawn(o)) o->DrawGround(surface, x, y, clip);
}

void TScenario::DrawOverlays(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip) {
  for (TMapObject* o : MapObjects)
    if (IsObjectDrawn(o)) o->DrawOverlay(surface, x, y, clip);
}

void TScenario::AddDirtyRect(Base::TRect r) {
  if (Base::IsRectEmpty(r)) return;
  for (std::size_t i = 0; i < DirtyRects.size();) {
    if (!CanMergeRects(r, DirtyRects[i])) {
      ++i;
      continue;
    }
    r = Base::UnionRect(r, DirtyRects[i]);
    DirtyRects[i] = DirtyRects.back();
    DirtyRects.pop_back();
    i = 0;
  }
  DirtyRects.push_back(r);
}

void TScenario::DrawMap(Plat::TSurface* cache, i32 x, i32 y, const Base::TRect& clip, u32 layers, bool force) {
  if (!cache) return;
  EntriesFresh = false;
  const i32 w = clip.Width(), h = clip.Height();
  const i32 dx = x - LastViewX, dy = y - LastViewY;
  if (force || !(clip == LastClip) || layers != LastDrawFlags || std::abs(dx) >= w || std::abs(dy) >= h) {
    D3DFrame::ClearSurface(cache);
    LayersFromEntries(cache, x, y, clip, layers);
  } else {
    if (dx != 0 || dy != 0) {
      // The part of the old view that the new one still shows moves along.
      Base::TRect common;
      if (Base::IntersectRect(common, {LastViewX, LastViewY, LastViewX + w, LastViewY + h}, {x, y, x + w, y + h})) {
        const Base::TRect source = Offset(common, clip.Left - LastViewX, clip.Top - LastViewY);
        const Base::TRect dest = Offset(common, clip.Left - x, clip.Top - y);
        cache->Blt(&dest, cache, &source, Plat::bltWait, nullptr);
      }
      // A strip of the full width along the edge the view moved to, and one
      // along the side it moved to over the rest of the height.
      const Base::TRect across = dy > 0 ? Base::TRect{clip.Left, clip.Bottom - dy, clip.Right, clip.Bottom}
                                        : Base::TRect{clip.Left, clip.Top, clip.Right, clip.Top - dy};
      const i32 top = dy > 0 ? clip.Top : clip.Top - dy, bottom = dy > 0 ? clip.Bottom - dy : clip.Bottom;
      const Base::TRect along = dx > 0 ? Base::TRect{clip.Right - dx, top, clip.Right, bottom}
                                       : Base::TRect{clip.Left, top, clip.Left - dx, bottom};
      for (const Base::TRect& strip : {across, along})
        if (!Base::IsRectEmpty(strip))
          LayersFromEntries(cache, x + strip.Left - clip.Left, y + strip.Top - clip.Top, strip, layers);
    }
    if (layers & dlObjects) {
      const i32 ox = clip.Left - x, oy = clip.Top - y;
      if (DirtyRects.capacity() < DirtyRectCapacity) DirtyRects.reserve(DirtyRectCapacity);
      DirtyRects.clear();
      Base::TRect r;
      for (const TMapObject* o : MapObjects)
        if (o->DrawStateChanged() &&
            Base::IntersectRect(r, Offset(Base::UnionRect(o->GetDrawRect(), o->LastDraw.Rect), ox, oy), clip))
          AddDirtyRect(r);
      for (const TMapObject* o : MapObjects) {
        if (o->Type != otCity) continue;
        const auto* city = static_cast<const TCity*>(o);
        for (i32 i = 0; i < city->Flags.Count(); ++i)
          if (Base::IntersectRect(r, Offset(city->GetFlagRect(i), ox, oy), clip)) AddDirtyRect(r);
      }
      for (const Base::TRect& dirty : DirtyRects) LayersFromEntries(cache, dirty.Left - ox, dirty.Top - oy, dirty, layers);
    }
  }
  for (TMapObject* o : MapObjects) o->StoreDrawState();
  LastViewX = x;
  LastViewY = y;
  LastClip = clip;
  LastDrawFlags = layers;
  EntriesFresh = false;
}

void TScenario::DrawFog(Plat::TSurface* surface, i32 x, i32 y, const Base::TRect& clip) {
  if (!ViewingPlayer || !ViewingPlayer->Fog) return;
  const TFog& fog = *ViewingPlayer->Fog;
  const i32 c0 = std::max(x / FieldSize, 0), c1 = std::min<i32>(Width - 1, (x + clip.Width() - 1) / FieldSize);
  const i32 r0 = std::max(y / FieldSize, 0), r1 = std::min<i32>(Height - 1, (y + clip.Height() - 1) / FieldSize);
  for (i32 fy = r0; fy <= r1; ++fy)
    for (i32 fx = c0; fx <= c1; ++fx) {
      Gfx::TSprite* edges[2];
      fog.GetEdgeSprites(fx, fy, edges[0], edges[1]);
      for (Gfx::TSprite* sprite : edges)
        if (sprite) sprite->Draw(surface, 0, fx * FieldSize + clip.Left - x, fy * FieldSize + clip.Top - y, &clip);
    }
}

void TScenario::DrawSpell(Plat::TSurface* surface, i32 x, i32 y) {
  if (CurrentSpell) CurrentSpell->Draw(surface, -x, -y, 0);
}

void TScenario::CreateGraphics() {
  for (Gfx::TSpriteList* list : {Sprites.get(), FaceSprites.get()})
    if (list) list->RecreateDeviceObjects();
  LastDrawFlags = 0;
}

void TScenario::ReleaseGraphics() {
  for (Gfx::TSpriteList* list : {Sprites.get(), FaceSprites.get()})
    if (list) list->ReleaseDeviceObjects();
  LastDrawFlags = 0;
}

void TScenario::RestoreGraphics() {
  for (Gfx::TSpriteList* list : {Sprites.get(), FaceSprites.get()})
    if (list) list->RestoreDeviceObjects();
  LastDrawFlags = 0;
}

}  // namespace GameData
