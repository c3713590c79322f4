// What a group draws besides its picture: the marker under a selected group,
// and over everything its camp corners, the damage its units just took, its
// banner and, for the viewing player's groups, three bars.
#include <algorithm>
#include <bitset>
#include <charconv>

#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/map/map_draw.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace GameData {

namespace {

constexpr i32 BannerSlot = 1111;

struct TBar {
  i32 Above;  // top of the bar, in pixels above the rectangle's bottom
  u32 Background, Fill;
};
constexpr TBar HitPointBar{10, 0x7B504B, 0xF7A096};
constexpr TBar ActionPointBar{7, 0x5B7F4F, 0xB6FF9F};
constexpr TBar ManaBar{4, 0x4E537E, 0x9DA7FC};

// A black frame four pixels high from left to right with a two-pixel fill
// inside, the part value / maximum (at most all of it) in the fill colour.
void DrawBar(Plat::TSurface* target, i32 left, i32 right, i32 bottom, const TBar& bar, i32 value, i32 maximum,
             const Base::TRect& clip) {
  const i32 top = bottom - bar.Above, inner = right - left - 2;
  Gfx::FrameRect(target, left, top, right - left, 4, 0, &clip);
  Gfx::FillRect(target, left + 1, top + 1, inner, 2, Gfx::PackRGB565(bar.Background), &clip);
  if (maximum <= 0 || value <= 0) return;
  const i32 filled = static_cast<i32>(std::min<i64>(inner, static_cast<i64>(inner) * value / maximum));
  Gfx::FillRect(target, left + 1, top + 1, filled, 2, Gfx::PackRGB565(bar.Fill), &clip);
}

}  // namespace

void TGroup::DrawGround(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) {
  if (!Selected || CampState != csNone || !MeetsView(viewX, viewY, screen)) return;
  Gfx::TSprite* marker = GetMarkerSprite();
  const i32 frames = AnimationFrameCount(marker);
  if (frames <= 0) return;
  const i32 frame = static_cast<i32>(Scenario->FrameCounter / 10 % static_cast<u32>(frames));
  marker->Draw(target, frame, X - viewX + screen.Left - marker->HotX, Y - viewY + screen.Top - marker->HotY,
               &screen);
}

void TGroup::DrawOverlay(Plat::TSurface* target, i32 viewX, i32 viewY, const Base::TRect& screen) {
  if (!MeetsView(viewX, viewY, screen) || !Data2::GlobalData) return;
  const Data2::TGlobalData& global = *Data2::GlobalData;
  const i32 dx = screen.Left - viewX, dy = screen.Top - viewY;
  Base::TRect rect = GetRect();
  rect = {rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
  if (Selected && CampState != csNone) DrawSelectionCorners(target, rect, &screen);
  DrawWounds(target, X + dx, Y + dy, screen);

  const TPlayer* owner = GetOwner();
  const i32 colour = owner && owner->Colour < MaxPlayers ? owner->Colour : 0;
  i32 bannerRight = rect.Left;
  if (Gfx::TSprite* banner = global.SpriteTable[BannerSlot]) {
    const i32 w = global.BannerCellWidth, h = global.BannerCellHeight;
    const Base::TRect cell{rect.Left, rect.Bottom - h, rect.Left + w, rect.Bottom};
    Base::TRect clip;
    if (Base::IntersectRect(clip, cell, screen))
      banner->Draw(target, 0, cell.Left - std::max(GetUnitCount() - 1, 0) * w, cell.Top - colour * h, &clip);
    bannerRight = cell.Right;
  }
  if (!owner || owner != Scenario->ViewingPlayer) return;
  DrawBar(target, bannerRight, rect.Right, rect.Bottom, HitPointBar, GetHitPointsSum(), GetMaxHitPointsSum(), screen);
  DrawBar(target, bannerRight, rect.Right, rect.Bottom, ActionPointBar, GetMinActionPoints(), GetMinMaxActionPoints(),
          screen);
  if (GetMaxManaSum() > 0)
    DrawBar(target, bannerRight, rect.Right, rect.Bottom, ManaBar, GetManaSum(), GetMaxManaSum(), screen);
}

// Wounds of one age, summed over the units, rise and fade as they age; the
// ages are taken as the newest unhandled wound of each unit gives them.
void TGroup::DrawWounds(Plat::TSurface* target, i32 x, i32 y, const Base::TRect& screen) const {
  Gfx::TFont* font = Data2::GlobalData->Fonts[1];
  if (!font) return;
  constexpr i32 Ages = 256;  // wounds age out at 200
  std::bitset<Ages> done;
  for (;;) {
    i32 age = -1;
    for (const TUnit* u : Units) {
      if (!u) continue;
      for (i32 i = u->Wounds.Count() - 1; i >= 0; --i) {
        const i32 a = u->Wounds[i].Age;
        if (a < 0 || a >= Ages || done[static_cast<std::size_t>(a)]) continue;
        age = std::max(age, a);
        break;
      }
    }
    if (age < 0) return;
    done[static_cast<std::size_t>(age)] = true;
    i64 sum = 0;
    for (const TUnit* u : Units)
      if (u)
        for (const TWoundInfo& w : u->Wounds)
          if (w.Age == age) sum += w.Damage;
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, sum).ptr;
    const u32 red = static_cast<u32>(std::clamp(255 - age / 2, 0, 255));
    DrawTextCentered(font, target, x, y - 20 - age / 10, std::string_view(text, static_cast<std::size_t>(end - text)),
                     Gfx::PackRGB565(red << 16), &screen);
  }
}

}  // namespace GameData
