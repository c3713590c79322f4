#include "world/map/fog.h"

#include <algorithm>

#include "world/data2/global_data.h"
#include "world/map/area.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace GameData {

namespace {

constexpr i32 EdgeSpriteBase = 10;
constexpr u32 AllNine = 511;

}  // namespace

TFog::TFog(TPlayer* player)
    : Player(player),
      Scenario(player ? player->Scenario : nullptr),
      Width(Scenario ? Scenario->Width : 0),
      Height(Scenario ? Scenario->Height : 0),
      States(static_cast<std::size_t>(Width) * Height, fsUnexplored) {}

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

}  // namespace GameData
