// The map window's picture: the cached map and what lies over it, the range
// of an armed spell, the path arrows and the click marker.
#include <cmath>
#include <string>
#include <vector>

#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "engine/platform/display/surface.h"
#include "game/control/game.h"
#include "game/map/map_window.h"
#include "game/map/range_ellipse.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace Main {

using namespace GameData;

namespace {

constexpr i32 FieldSize = 40;
constexpr i32 SpellAllFields = 33;  // reaches the whole map: no range to show
constexpr u32 OwnFieldOnly = 16;
enum : i32 { ArrowBeyondReach = 1108, ArrowReachable = 1109, ArrowNoAttack = 1110 };

// Degrees of the arrow from one field to its neighbour: 0 north, clockwise.
f32 ArrowAngle(i32 dx, i32 dy) {
  static constexpr i32 Degrees[3][3] = {{315, 0, 45}, {270, 0, 90}, {225, 180, 135}};
  const i32 sx = dx < 0 ? 0 : dx > 0 ? 2 : 1, sy = dy < 0 ? 0 : dy > 0 ? 2 : 1;
  return static_cast<f32>(Degrees[sy][sx] * 3.14159265358979323846 / 180.0);
}

}  // namespace

void TMapWindow::PaintMap(Plat::TSurface* surface, const Base::TRect& rect) {
  if (!Scenario || !surface) return;
  TScenario& s = *Scenario;
  if (Cache) {
    s.DrawMap(Cache, s.ViewX, s.ViewY, ViewRect, 0xFFFF, RedrawAll != 0);
    surface->Blt(&rect, Cache, &ViewRect, Plat::bltWait, nullptr);
  }
  s.DrawSpell(surface, s.ViewX, s.ViewY);
  s.DrawWeather(surface, s.ViewX, s.ViewY, rect);
  s.DrawFog(surface, s.ViewX, s.ViewY, rect);
  const i32 east = s.Width * FieldSize - s.ViewX + rect.Left;
  Gfx::FillRect(surface, east, rect.Top - s.ViewY, 230, s.Height * FieldSize, 0, &rect);
  s.DrawOverlays(surface, s.ViewX, s.ViewY, rect);
  PaintRange(surface, rect);
  PaintArrows(surface, rect);
  if (MarkerShown)
    if (Gfx::TSprite* marker = Cursor(mcClickMarker))
      marker->Draw(surface, MarkerFrame, MarkerX - s.ViewX + rect.Left - marker->HotX,
                   MarkerY - s.ViewY + rect.Top - marker->HotY, &rect);
  RedrawAll = 0;
}

void TMapWindow::DrawDragAnchor(Plat::TSurface* surface, int, int) {
  if (!Dragging || !IsVisible()) return;
  if (Gfx::TSprite* anchor = Cursor(mcDragAnchor))
    anchor->Draw(surface, 0, Left + AnchorX - anchor->HotX, Top + AnchorY - anchor->HotY, nullptr);
}

void TMapWindow::PaintRange(Plat::TSurface* surface, const Base::TRect& rect) {
  if (!Game || Game->ArmedSpell <= 0 || Game->ArmedSpell == SpellAllFields || !Data2::GlobalData) return;
  const i32 index = Data2::GlobalData->FindSpellPrototype(static_cast<i16>(Game->ArmedSpell));
  if (index < 0 || Data2::GlobalData->SpellPrototypes[index].TargetFlags == OwnFieldOnly) return;
  const TPlayer* current = CurrentPlayer();
  const TGroup* group = current ? current->GetSelectedGroup() : nullptr;
  const TGroup* moving = MovingGroup();
  if (!group || !moving || Game->ArmedCaster < 0 || Game->ArmedCaster >= MaxGroupUnits) return;
  const TUnit* caster = moving->Units[Game->ArmedCaster];
  if (!caster) return;
  const i32 radius = (caster->Effective.Level + 2) * FieldSize + FieldSize / 2;
  DrawRangeEllipse(surface, group->X - Scenario->ViewX + rect.Left, group->Y - Scenario->ViewY + rect.Top, radius,
                   Game->CurrentPlayerColor(), rect);
}

void TMapWindow::PaintArrows(Plat::TSurface* surface, const Base::TRect& rect) {
  const TGroup* moving = MovingGroup();
  if (PathLength <= 0 || !moving || !Data2::GlobalData) return;
  const TScenario& s = *Scenario;
  const Data2::TGlobalData& g = *Data2::GlobalData;
  const TPlayer* current = CurrentPlayer();
  const TCity* city = current->GetSelectedGroup() ? nullptr : current->GetSelectedCity();
  i32 px = city ? city->FieldX() : moving->FieldX(), py = city ? city->FieldY() : moving->FieldY();
  const i32 points = moving->GetMinActionPoints();
  const i32 count = PathLength < GameData::PathLength ? PathLength : GameData::PathLength;
  for (i32 i = 0; i < count; ++i) {
    const TField step = s.Path[i];
    if (!s.IsFieldOnMap(step.x, step.y)) break;
    const i32 cost = s.MoveCosts[static_cast<std::size_t>(s.FieldIndex(step.x, step.y))];
    i32 slot = ArrowReachable;
    if (points - g.AttackCost < cost) slot = ArrowNoAttack;
    if (points < cost) slot = ArrowBeyondReach;
    const i32 x = step.x * FieldSize + FieldSize / 2 - s.ViewX + rect.Left;
    const i32 y = step.y * FieldSize + FieldSize / 2 - s.ViewY + rect.Top;
    if (Gfx::TSprite* arrow = g.SpriteTable[slot]) arrow->DrawRotated(surface, 0, x, y, ArrowAngle(step.x - px, step.y - py), 1, 1);
    px = step.x;
    py = step.y;
    if (i == count - 1)
      if (Gfx::TFont* font = g.Fonts[2]) {
        const std::string text = std::to_string(cost);
        font->DrawText(surface, x - font->TextWidth(text) / 2, y - font->Height / 2, text, 0, &rect);
      }
  }
}

}  // namespace Main
