#include "world/map/fog.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/map/area.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameData {

namespace {

constexpr u16 NoReach = 65535;
constexpr i8 LevelAngle = -90;
constexpr i32 StraightStep = 6;
constexpr i32 DiagonalStep = 9;
constexpr i32 SlopeStep = 2;
constexpr i32 NoParent = -1;
constexpr u16 OverlayFormat = 0xFF20;  // 32 bits with per-pixel alpha
constexpr i32 EdgeSpriteBase = 10;
constexpr u32 AllNine = 511;

constexpr u32 OverlayVisible = 0x00000000;
constexpr u32 OverlayExplored = 0x80000000;
constexpr u32 OverlayUnexplored = 0xFF000000;
constexpr u32 OverlayGroupColours[MaxPlayers] = {0xFF505050, 0xFF0000FF, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00};

// One group's sight spreading ring by ring over the fog's scratch arrays.
struct TSpread {
  TFog& Fog;
  const i16* Heights;
  i32 Width, Height;
  i32 Gx, Gy, SourceHeight;
  double DistanceScale, EyeHeight;
  i64 AngleTolerance;

  bool Inside(i32 x, i32 y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }

  // The reach a target at height ht inherits from one parent; -1 when the
  // parent was out of reach itself.
  i32 ReachFrom(i32 parent, bool straight, i32 ht) const {
    const u16 left = Fog.Reach[static_cast<std::size_t>(parent)];
    if (left == NoReach) return -1;
    i32 reach = left - (straight ? StraightStep : DiagonalStep);
    const i32 hp = Heights[parent];
    if (hp < ht) reach -= SlopeStep;
    if (hp > ht) reach += SlopeStep;
    return reach;
  }

  i32 ElevationAngle(i32 tx, i32 ty, i32 ht) const {
    const i32 dx = Gx - tx, dy = Gy - ty;
    const double d = std::max(0.0, std::trunc(std::sqrt(100.0 * (dx * dx + dy * dy)) * DistanceScale));
    const double h = static_cast<double>((ht - SourceHeight) / 10) - EyeHeight;
    return static_cast<i32>(std::trunc(std::atan2(h, d) * 180.0 / std::numbers::pi));
  }

  // True when the target was reached, seen or not. The parents lie between
  // the source and the target, so they are on the map when the target is.
  bool Step(i32 tx, i32 ty, i32 px, i32 py, i32 qx = NoParent, i32 qy = NoParent) {
    if (!Inside(tx, ty)) return false;
    const i32 t = ty * Width + tx;
    const i32 ht = Heights[t];
    const i32 p = py * Width + px;
    i32 reach = ReachFrom(p, px == tx || py == ty, ht);
    i32 inherited = Fog.MaxAngle[static_cast<std::size_t>(p)];
    if (qx != NoParent) {
      const i32 q = qy * Width + qx;
      reach = std::max(reach, ReachFrom(q, qx == tx || qy == ty, ht));
      inherited = std::min<i32>(inherited, Fog.MaxAngle[static_cast<std::size_t>(q)]);
    }
    if (reach < 0) return false;
    const i32 angle = ElevationAngle(tx, ty, ht);
    const auto ti = static_cast<std::size_t>(t);
    Fog.Reach[ti] = static_cast<u16>(std::min<i32>(reach, NoReach - 1));
    Fog.MaxAngle[ti] = static_cast<i8>(std::max(angle, inherited));
    if (inherited - AngleTolerance <= angle) Fog.States[ti] = fsVisible;
    return true;
  }

  // The ring at Chebyshev distance r: corners, axis fields, then the sides
  // from both inner neighbours. True when any field was reached.
  bool Ring(i32 r) {
    const i32 x = Gx, y = Gy;
    bool reached = false;
    reached |= Step(x + r, y + r, x + r - 1, y + r - 1);
    reached |= Step(x + r, y - r, x + r - 1, y - r + 1);
    reached |= Step(x - r, y - r, x - r + 1, y - r + 1);
    reached |= Step(x - r, y + r, x - r + 1, y + r - 1);
    reached |= Step(x, y + r, x, y + r - 1);
    reached |= Step(x + r, y, x + r - 1, y);
    reached |= Step(x, y - r, x, y - r + 1);
    reached |= Step(x - r, y, x - r + 1, y);
    auto sides = [&](i32 k) {
      const i32 a = k > 0 ? 1 : -1;  // towards the axis
      reached |= Step(x + k, y + r, x + k, y + r - 1, x + k - a, y + r - 1);
      reached |= Step(x + k, y - r, x + k, y - r + 1, x + k - a, y - r + 1);
      reached |= Step(x + r, y + k, x + r - 1, y + k, x + r - 1, y + k - a);
      reached |= Step(x - r, y + k, x - r + 1, y + k, x - r + 1, y + k - a);
    };
    for (i32 k = 1; k < r; ++k) sides(k);
    for (i32 k = -(r - 1); k <= -1; ++k) sides(k);
    return reached;
  }
};

void PutPixel(u8* pixels, std::size_t index, u32 argb) {
  u8* p = pixels + 4 * index;
  p[0] = static_cast<u8>(argb);
  p[1] = static_cast<u8>(argb >> 8);
  p[2] = static_cast<u8>(argb >> 16);
  p[3] = static_cast<u8>(argb >> 24);
}

}  // namespace

TFog::TFog(TPlayer* player)
    : Player(player),
      Scenario(player ? player->Scenario : nullptr),
      Width(Scenario ? Scenario->Width : 0),
      Height(Scenario ? Scenario->Height : 0) {
  try {
    const std::size_t n = static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);
    States.assign(n, fsUnexplored);
    // The scratch starts as every spread leaves it.
    Reach.assign(n, NoReach);
    MaxAngle.assign(n, LevelAngle);
    Overlay = std::make_unique<Gfx::TSprite>();
    Overlay->Create(Width, Height, OverlayFormat);
  } catch (const std::exception&) {
    throw std::runtime_error("Cannot construct TFog object!");
  }
}

TFog::~TFog() = default;

void TFog::Assign(const Data::TDataObject* source) {
  const auto* fog = dynamic_cast<const TFog*>(source);
  if (!fog) {
    TDataObject::Assign(source);
    return;
  }
  if (fog->States.size() == States.size()) States = fog->States;
}

void TFog::Reset() { std::fill(States.begin(), States.end(), fsUnexplored); }

void TFog::Load(Data::TStream& s) {
  TDataObject::Load(s);
  if (!States.empty()) s.ReadBuffer(States.data(), static_cast<i32>(States.size()));
  for (u8& state : States) state = std::min<u8>(state, fsVisible);
}

void TFog::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  if (!States.empty()) s.WriteBuffer(States.data(), static_cast<i32>(States.size()));
}

u8 TFog::GetState(i32 x, i32 y, u8 defaultState) const {
  if (x < 0 || y < 0 || x >= Width || y >= Height) return defaultState;
  return States[static_cast<std::size_t>(y) * Width + x];
}

void TFog::SetState(i32 x, i32 y, u8 state) {
  if (x < 0 || y < 0 || x >= Width || y >= Height) return;
  States[static_cast<std::size_t>(y) * Width + x] = state;
}

void TFog::RaiseArea(const TArea& area, u8 state) {
  for (i32 i = 0; i < area.Count(); ++i)
    if (GetState(area[i].x, area[i].y, 255) < state) SetState(area[i].x, area[i].y, state);
}

void TFog::HideArea(const TArea& area) {
  for (i32 i = 0; i < area.Count(); ++i)
    if (GetState(area[i].x, area[i].y, fsVisible) != fsVisible) SetState(area[i].x, area[i].y, fsUnexplored);
}

bool TFog::IsAnyFieldVisible(const TArea& area) const {
  for (i32 i = 0; i < area.Count(); ++i)
    if (GetState(area[i].x, area[i].y, fsUnexplored) == fsVisible) return true;
  return false;
}

bool TFog::IsAreaExplored(const TArea& area) const {
  for (i32 i = 0; i < area.Count(); ++i)
    if (GetState(area[i].x, area[i].y, fsUnexplored) == fsUnexplored) return false;
  return true;
}

void TFog::DimVisible() {
  for (u8& state : States)
    if (state == fsVisible) state = fsExplored;
}

// Recomputation.

void TFog::Recompute(bool sightings) {
  CollectSightSources();
  Update();
  if (sightings) {
    if (Player == Scenario->PlayerAt(Scenario->CurrentPlayerIndex)) Player->UpdateSightings(true);
    Player->NoteSeenPrototypes();
  }
  UpdateOverlay();
  ClearSightSources();
}

void TFog::CollectSightSources() {
  ClearSightSources();
  for (const TMapObject* o : Scenario->MapObjects) {
    if (o->Type != otGroup) continue;
    const auto* group = static_cast<const TGroup*>(o);
    const i32 relation = Player->GetRelationToGroup(group);
    if (relation == rSelf || relation == rAllied) SightGroups.push_back(group);
  }
  SightAreas.assign(Player->SightAreas.begin(), Player->SightAreas.end());
  for (const TMapObject* o : Scenario->MapObjects)
    if (o->Type == otCity && Player->HasSightOfCity(static_cast<const TCity*>(o)))
      SightAreas.push_back(&static_cast<const TCity*>(o)->SightFields());
}

void TFog::Update() {
  DimVisible();
  for (std::size_t i = 0; i < SightGroups.size(); ++i) SpreadSight(static_cast<i32>(i));
  for (std::size_t i = 0; i < SightAreas.size(); ++i) RevealArea(static_cast<i32>(i));
}

void TFog::SpreadSight(i32 source) {
  if (source < 0 || static_cast<std::size_t>(source) >= SightGroups.size()) return;
  // A fog made before its map was sized has no heights to look over.
  if (Width != Scenario->Width || Height != Scenario->Height || Scenario->Heights.size() != States.size()) return;
  const TGroup* group = SightGroups[static_cast<std::size_t>(source)];
  const Data2::TGlobalData* rules = Data2::GlobalData;
  TSpread spread{*this,
                 Scenario->Heights.data(),
                 Width,
                 Height,
                 group->FieldX(),
                 group->FieldY(),
                 0,
                 rules ? static_cast<double>(rules->SightDistanceScale) : 0.0,
                 rules ? static_cast<double>(rules->SightEyeHeight) : 0.0,
                 rules ? rules->SightAngleTolerance : 0};
  const i32 gx = spread.Gx, gy = spread.Gy;
  if (!spread.Inside(gx, gy)) return;
  const auto g = static_cast<std::size_t>(gy * Width + gx);
  spread.SourceHeight = spread.Heights[g];
  States[g] = fsVisible;
  Reach[g] = static_cast<u16>(std::clamp<i32>(group->GetSight() * StraightStep - 3, 0, NoReach - 1));
  i32 last = 1;
  while (spread.Ring(last)) ++last;
  for (i32 dy = -1; dy <= 1; ++dy)
    for (i32 dx = -1; dx <= 1; ++dx) SetState(gx + dx, gy + dy, fsVisible);
  // Back to out of reach where this spread wrote, for the next source.
  const i32 x0 = std::max(gx - last, 0), x1 = std::min(gx + last, Width - 1);
  for (i32 y = std::max(gy - last, 0); y <= std::min(gy + last, Height - 1); ++y) {
    const auto row = static_cast<std::size_t>(y) * Width;
    std::fill(Reach.begin() + row + x0, Reach.begin() + row + x1 + 1, NoReach);
    std::fill(MaxAngle.begin() + row + x0, MaxAngle.begin() + row + x1 + 1, LevelAngle);
  }
}

void TFog::RevealArea(i32 area) {
  if (area >= 0 && static_cast<std::size_t>(area) < SightAreas.size())
    RaiseArea(*SightAreas[static_cast<std::size_t>(area)], fsVisible);
}

void TFog::ClearSightSources() {
  SightGroups.clear();
  SightAreas.clear();
}

// Pictures.

u32 TFog::EdgeMask(i32 x, i32 y, u8 state) const {
  u32 mask = 0;
  for (i32 dy = -1; dy <= 1; ++dy)
    for (i32 dx = -1; dx <= 1; ++dx)
      if (GetState(x + dx, y + dy, fsUnexplored) >= state) mask |= 1u << ((dy + 1) * 3 + dx + 1);
  return mask;
}

void TFog::GetEdgeSprites(i32 x, i32 y, Gfx::TSprite*& first, Gfx::TSprite*& second) const {
  first = second = nullptr;
  if (!Data2::GlobalData) return;
  const u32 visible = EdgeMask(x, y, fsVisible);
  const u32 explored = 512 + EdgeMask(x, y, fsExplored);
  if (visible != AllNine) first = Data2::GlobalData->SpriteTable[EdgeSpriteBase + visible];
  second = Data2::GlobalData->SpriteTable[EdgeSpriteBase + explored];
}

void TFog::UpdateOverlay() {
  // Only the memory picture exists until the display device takes sprites.
  if (!Scenario || !Overlay || Overlay->Frames.Count() == 0) return;
  Gfx::TFrame& frame = Overlay->Frames[0];
  const std::size_t n = States.size();
  if (!frame.Pixels || frame.PixelBytes < 4 * n) return;
  for (std::size_t i = 0; i < n; ++i)
    PutPixel(frame.Pixels, i,
             States[i] == fsVisible ? OverlayVisible : States[i] == fsExplored ? OverlayExplored : OverlayUnexplored);
  for (const TMapObject* o : Scenario->MapObjects) {
    if (o->Type != otGroup) continue;
    const TPlayer* owner = static_cast<const TGroup*>(o)->GetOwner();
    const i32 x = o->FieldX(), y = o->FieldY();
    if (!owner || GetState(x, y, fsUnexplored) != fsVisible) continue;
    const u32 colour = OverlayGroupColours[owner->Colour < MaxPlayers ? owner->Colour : 0];
    PutPixel(frame.Pixels, static_cast<std::size_t>(y) * Width + x, colour);
    const i32 around[4][2] = {{0, -1}, {-1, 0}, {1, 0}, {0, 1}};
    for (const auto& d : around)
      if (x + d[0] >= 0 && y + d[1] >= 0 && x + d[0] < Width && y + d[1] < Height)
        PutPixel(frame.Pixels, static_cast<std::size_t>(y + d[1]) * Width + x + d[0], colour & 0x00FFFFFF);
  }
}

}  // namespace GameData
