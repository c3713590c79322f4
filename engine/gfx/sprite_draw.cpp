// Drawing sprites onto surfaces: in software without device objects, as
// blits of their frame surfaces (opaque sprites) or as textured quads with
// the blend of their alpha mode (alpha sprites).
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "engine/d3dframe/d3dframe.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"

using Base::TRect;
using Plat::TSurface;

namespace Gfx {

namespace {

TRect SurfaceRect(TSurface* s) { return {0, 0, s->Width(), s->Height()}; }

// Cut toward zero; values past the integers' range end at its ends.
i32 Truncated(double v) {
  return static_cast<i32>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}

Plat::TDevice3D* Device() { return D3DFramework ? D3DFramework->Device3D : nullptr; }

void SetFilters(u32 filter) {
  if (Plat::TDevice3D* d = Device()) {
    d->SetTextureStageState(0, Plat::TStageState::MagFilter, filter);
    d->SetTextureStageState(0, Plat::TStageState::MinFilter, filter);
  }
}

}  // namespace

void TSprite::SetBlendState() const {
  Plat::TDevice3D* d = Device();
  if (!d) return;
  u32 src = Plat::blendOne, dst = Plat::blendOne;
  if (AlphaMode() == 0xFF) {
    dst = Plat::blendInvSrcAlpha;
  } else if (AlphaMode() == 0xFE) {
    src = Plat::blendSrcAlpha;
  }
  d->SetRenderState(Plat::TRenderState::AlphaBlendEnable, 1);
  d->SetRenderState(Plat::TRenderState::SrcBlend, src);
  d->SetRenderState(Plat::TRenderState::DestBlend, dst);
}

void TSprite::DrawQuad(TSurface* texture, const float (&xy)[4][2], const float (&uv)[4][2]) const {
  Plat::TDevice3D* d = Device();
  if (!d) return;
  D3DFramework->SetTexture(texture, 0);
  Plat::TTLVertex v[4];
  for (int i = 0; i < 4; ++i) {
    v[i].X = xy[i][0];
    v[i].Y = xy[i][1];
    v[i].Z = 0;
    v[i].Rhw = 1.0f;
    v[i].Diffuse = v[i].Specular = 0x00FFFFFF;
    v[i].U = uv[i][0];
    v[i].V = uv[i][1];
  }
  d->DrawPrimitive(Plat::TPrimitive::TriangleFan, Plat::fvfTLVertex, v, 4, 0);
}

namespace {

// The frame's rectangle at x, y and its part on the target within the clip.
bool VisiblePart(const TSprite& s, TSurface* target, i32 frame, i32 x, i32 y, const TRect* clip, TRect& frameRect,
                 TRect& visible) {
  if (!target || s.IsEmpty() || frame < 0 || frame >= s.FrameCount()) return false;
  frameRect = {x, y, x + s.Width, y + s.Height};
  if (!Base::IntersectRect(visible, frameRect, SurfaceRect(target))) return false;
  return !clip || Base::IntersectRect(visible, visible, *clip);
}

}  // namespace

// The whole frame on the quad, its corners' texture coordinates turned by
// quarter turns, filtered linearly; point filtering again afterwards.
void TSprite::DrawLinearQuad(TSurface* object, const float (&xy)[4][2], int turn) const {
  const float uMax = Width * ScaleX / static_cast<float>(object->Width());
  const float vMax = Height * ScaleY / static_cast<float>(object->Height());
  const float corners[4][2] = {{0, 0}, {uMax, 0}, {uMax, vMax}, {0, vMax}};
  float uv[4][2];
  for (int i = 0; i < 4; ++i) {
    uv[i][0] = corners[(i + turn) & 3][0];
    uv[i][1] = corners[(i + turn) & 3][1];
  }
  SetBlendState();
  SetFilters(Plat::filterLinear);
  DrawQuad(object, xy, uv);
  SetFilters(Plat::filterPoint);
}

void TSprite::Draw(TSurface* target, i32 frame, i32 x, i32 y, const TRect* clip) {
  TRect frameRect, visible;
  if (!VisiblePart(*this, target, frame, x, y, clip, frameRect, visible)) return;
  if (Flags & sfDeviceObjects) {
    DrawOnDevice(target, frame, x, y, visible, false);
    return;
  }
  Plat::TSurfaceDesc desc;
  if (Plat::Failed(target->Lock(&visible, desc))) return;
  // Unlocked on every way out: a compressed alpha frame cut by the edge
  // throws, and a target left locked would refuse every later draw.
  struct TUnlock {
    TSurface* Target;
    ~TUnlock() { Target->Unlock(); }
  } unlock{target};
  desc.Width = static_cast<u32>(visible.Width());
  desc.Height = static_cast<u32>(visible.Height());
  DrawLocked(desc, frame, x - visible.Left, y - visible.Top, nullptr);
}

void TSprite::DrawMirrored(TSurface* target, i32 frame, i32 x, i32 y, const TRect* clip) {
  TRect frameRect, visible;
  if (!(Flags & sfDeviceObjects) || !VisiblePart(*this, target, frame, x, y, clip, frameRect, visible)) return;
  DrawOnDevice(target, frame, x, y, visible, true);
}

void TSprite::DrawOnDevice(TSurface* target, i32 frame, i32 x, i32 y, const TRect& visible, bool mirrored) const {
  if (frame >= DeviceObjectCount || !DeviceObjects[frame]) return;
  TSurface* object = DeviceObjects[frame];
  const TRect frameRect{x, y, x + Width, y + Height};
  const bool whole = visible == frameRect;
  if (AlphaMode() == 0) {
    // A mirrored blit takes the same source part into the destination with
    // its left and right exchanged.
    const u32 flags = Plat::bltWait | (ColorKey != NoColor ? Plat::bltKeySrc : 0);
    const TRect source{visible.Left - x, visible.Top - y, visible.Right - x, visible.Bottom - y};
    const TRect dest = mirrored ? TRect{visible.Right, visible.Top, visible.Left, visible.Bottom} : visible;
    target->Blt(&dest, object, whole ? nullptr : &source, flags, nullptr);
    return;
  }
  SetBlendState();
  SetFilters(ScaleX == 1.0f && ScaleY == 1.0f ? Plat::filterPoint : Plat::filterLinear);
  const float texW = static_cast<float>(object->Width()), texH = static_cast<float>(object->Height());
  const float t = TexelOffset;
  float u0 = 0, v0 = 0, u1 = (Width - t) * ScaleX / texW, v1 = (Height - t) * ScaleY / texH;
  if (!whole) {
    u0 = ((visible.Left - x) - t) * ScaleX / texW;
    u1 = ((visible.Right - x) - t) * ScaleX / texW;
    v0 = ((visible.Top - y) - t) * ScaleY / texH;
    v1 = ((visible.Bottom - y) - t) * ScaleY / texH;
  }
  if (mirrored) std::swap(u0, u1);
  const float l = static_cast<float>(visible.Left), r = static_cast<float>(visible.Right);
  const float top = static_cast<float>(visible.Top), bottom = static_cast<float>(visible.Bottom);
  DrawQuad(object, {{l, top}, {r, top}, {r, bottom}, {l, bottom}}, {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}});
}

void TSprite::DrawAlongLine(i32 frame, i32 x1, i32 y1, i32 x2, i32 y2, i32 orientation) {
  if (!(Flags & sfDeviceObjects) || AlphaMode() == 0 || (x1 == x2 && y1 == y2)) return;
  if (IsEmpty() || frame < 0 || frame >= DeviceObjectCount || !DeviceObjects[frame]) return;
  TSurface* object = DeviceObjects[frame];
  const float p1x = x1 - 0.5f, p1y = y1 - 0.5f, p2x = x2 - 0.5f, p2y = y2 - 0.5f;
  const float dx = p2x - p1x, dy = p2y - p1y;
  const float len = std::sqrt(dx * dx + dy * dy);
  const float c = dx / len, s = dy / len;
  // Orientations beyond 0..3 repeat them.
  const int turn = orientation & 3;
  const float half = static_cast<float>((turn & 1) ? Width / 2 : Height / 2);
  const float t = TexelOffset;
  const float along[4][2] = {{0, -half}, {len, -half}, {len, half}, {0, half}};
  float xy[4][2];
  for (int i = 0; i < 4; ++i) {
    xy[i][0] = p1x + c * along[i][0] - s * along[i][1] + t;
    xy[i][1] = p1y + s * along[i][0] + c * along[i][1] + t;
  }
  DrawLinearQuad(object, xy, turn);
}

void TSprite::DrawRotated(TSurface* target, i32 frame, i32 x, i32 y, f32 angle, f32 scaleX, f32 scaleY) {
  if (!target || IsEmpty() || !(Flags & sfDeviceObjects) || frame < 0 || frame >= DeviceObjectCount) return;
  TSurface* object = DeviceObjects[frame];
  if (!object) return;
  if (AlphaMode() == 0) {
    Plat::TBltFx fx;
    fx.RotationAngle = Truncated(angle * 18000.0 / std::numbers::pi);
    const int halfW = Width / 2, halfH = Height / 2;
    const TRect dest{Truncated(x - halfW * scaleX), Truncated(y - halfH * scaleY),
                     Truncated(x + (Width - halfW) * scaleX), Truncated(y + (Height - halfH) * scaleY)};
    const u32 flags = Plat::bltRotationAngle | Plat::bltWait | (ColorKey != NoColor ? Plat::bltKeySrc : 0);
    target->Blt(&dest, object, nullptr, flags, &fx);
    return;
  }
  const float c = std::cos(angle), s = std::sin(angle), t = TexelOffset;
  const float a0 = -HotX * scaleX, a1 = a0 + Width * scaleX, b0 = -HotY * scaleY, b1 = b0 + Height * scaleY;
  const float corner[4][2] = {{a0, b0}, {a1, b0}, {a1, b1}, {a0, b1}};
  float xy[4][2];
  for (int i = 0; i < 4; ++i) {
    xy[i][0] = x + c * corner[i][0] - s * corner[i][1] + t;
    xy[i][1] = y + s * corner[i][0] + c * corner[i][1] + t;
  }
  DrawLinearQuad(object, xy, 0);
}

void TSprite::DrawStretched(TSurface* target, i32 frame, const TRect& dest, const TRect* clip, bool useColorKey) {
  if (!target || IsEmpty() || !(Flags & sfDeviceObjects) || frame < 0 || frame >= DeviceObjectCount) return;
  TSurface* object = DeviceObjects[frame];
  if (!object) return;
  TRect area = SurfaceRect(target), inside;
  if (clip && !Base::IntersectRect(area, area, *clip)) return;
  if (!Base::IntersectRect(inside, dest, area) || !(inside == dest)) return;
  if (AlphaMode() == 0) {
    const u32 flags = Plat::bltWait | (useColorKey && ColorKey != NoColor ? Plat::bltKeySrc : 0);
    target->Blt(&dest, object, nullptr, flags, nullptr);
    return;
  }
  const float t = TexelOffset;
  const float l = dest.Left + t, r = dest.Right + t, top = dest.Top + t, bottom = dest.Bottom + t;
  DrawLinearQuad(object, {{l, top}, {r, top}, {r, bottom}, {l, bottom}}, 0);
}

}  // namespace Gfx
