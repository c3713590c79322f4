#include "game/panels/unit_panel.h"

#include <algorithm>
#include <cstdlib>

#include "engine/base/base.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "game/control/game.h"
#include "game/panels/unit_detail_window.h"
#include "world/data2/global_data.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

namespace {

constexpr i32 GaugeHeight = 46;

const TPanelLayoutInfo Layouts[3] = {
    {238, 114, 15, 11, 96, 39, "Einheit w\xE4hlen/abw\xE4hlen",
     {{142, 10, 158, 105}, {126, 10, 142, 105}, {158, 10, 174, 105}, {174, 10, 190, 105}, {200, 10, 235, 29},
      {200, 29, 235, 48}, {200, 48, 235, 67}, {200, 67, 235, 86}, {200, 86, 235, 105}, {96, 72, 122, 84}},
     130, {225, 225, 225, 225, 225, 114}, {10, 29, 49, 68, 87, 71}},
    {195, 132, 100, 11, 72, 40, "Einheit w\xE4hlen",
     {{23, 10, 39, 105}, {7, 10, 23, 105}, {39, 10, 55, 105}, {55, 10, 71, 105}, {0, 112, 35, 131}, {0, 0, 0, 0},
      {35, 112, 70, 131}, {70, 112, 105, 131}, {105, 112, 140, 131}, {72, 71, 97, 84}},
     10, {25, 0, 60, 95, 130, 90}, {113, -1, 113, 113, 113, 70}},
    {194, 132, 15, 11, 96, 39, "Einheit w\xE4hlen",
     {{142, 10, 158, 105}, {126, 10, 142, 105}, {158, 10, 174, 105}, {174, 10, 190, 105}, {53, 112, 88, 131},
      {0, 0, 0, 0}, {88, 112, 123, 131}, {123, 112, 158, 131}, {158, 112, 193, 131}, {96, 72, 122, 84}},
     130, {76, 0, 111, 146, 181, 115}, {113, -1, 113, 113, 113, 71}},
};

i32 AtLevel(const GameData::TUnitProperty& p, const GameData::TUnitProperties& record) { return p.ValueAt(record.Level); }

}  // namespace

const TPanelLayoutInfo& PanelLayout(i32 layout) { return Layouts[std::clamp(layout, 0, 2)]; }

u32 PanelTime() { return DXApplication ? DXApplication->GameTime : 0; }

i32 GaugeFillHeight(i32 max, i32 value, i32 base) {
  i32 f = 0;
  if (base < 0)
    f = max > 0 ? value * GaugeHeight / max : 0;
  else
    f = max - base > 0 ? (value - base) * GaugeHeight / (max - base) : 0;
  // A value below the gauge's start would otherwise paint below the tube.
  return std::clamp(f, 0, GaugeHeight);
}

std::string GaugeNumber(i32 number, i32 max) {
  return max >= 1000 ? Base::Format("%dK", number / 1000) : Base::Format("%d", number);
}

std::string PanelHint(const GameData::TUnit& unit, i32 hot) {
  const GameData::TUnitProperties& e = unit.Effective;
  const auto ofTwo = [&](const char* caption, const GameData::TUnitProperty& p) {
    return Base::Format("%s: %d/%d", caption, p.Current, AtLevel(p, e));
  };
  const auto ofOne = [](const char* caption, i32 value) { return Base::Format("%s: %d", caption, value); };
  switch (hot) {
    case phActionPoints: return ofTwo("Aktionspunkte", e.ActionPoints);
    case phHitPoints: return ofTwo("Trefferpunkte", e.HitPoints);
    case phMana: return ofTwo("Mana", e.Mana);
    case phExperience:
      return Base::Format("%s: %d (%d)", "Erfahrung", e.Experiences, e.ExperienceForLevel(e.Level + 1));
    case phMorale:
      return Base::Format("%s: %d/%d", "Moral", e.Morale, Data2::GlobalData ? Data2::GlobalData->MaxMorale : 0);
    case phSight: return ofOne("Sicht", e.Sight.Current);
    case phAttack: return ofOne("Angriff", e.Attack.Current);
    case phCounterAttack: return ofOne("Gegenangriff", e.CounterAttack.Current);
    case phDefence: return ofOne("Abwehr", e.Defence.Current);
    case phLevel: return ofOne("Level", e.Level);
    default: return std::string();
  }
}

Gfx::TSprite* TableSprite(i32 slot) {
  if (!Data2::GlobalData || slot < 0 || slot >= Data2::SpriteTableSize) return nullptr;
  return Data2::GlobalData->SpriteTable[slot];
}

void DrawCentredText(Gfx::TFont* font, Plat::TSurface* surface, i32 x, i32 y, const std::string& text, u32 colour,
                     const Base::TRect* clip) {
  if (font) font->DrawText(surface, x - font->TextWidth(text) / 2, y, text, colour, clip);
}

u32 PulsingColour(u32 rgb, u32 counter) {
  const i32 t = static_cast<i32>(counter % 150) - 75, k = 255 - std::abs(t);
  u32 out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const i32 c = static_cast<i32>(rgb >> shift & 0xFF);
    out |= static_cast<u32>(std::min(255, c * k / 170)) << shift;
  }
  return Gfx::PackRGB565(out);
}

void DrawGauge(Plat::TSurface* target, Gfx::TSprite* fill, i32 x, i32 y, i32 max, i32 value, i32 base) {
  const i32 f = GaugeFillHeight(max, value, base);
  if (Gfx::TSprite* empty = TableSprite(SlotGaugeEmpty)) {
    const Base::TRect clip{0, y, 800, y + GaugeHeight};
    empty->Draw(target, 0, x - 5, y, &clip);
  }
  if (fill) {
    const i32 frames = fill->DrawableFrameCount();
    if (frames > 0) {
      const i64 step = static_cast<i64>(PanelTime() / 100) + x + y;
      const i32 frame = static_cast<i32>(((step % frames) + frames) % frames);
      const Base::TRect clip{0, y + GaugeHeight - f, 800, y + 53};
      fill->Draw(target, frame, x - fill->HotX, y - fill->HotY, &clip);
    }
  }
  if (Gfx::TFont* font = StandardFont(3)) {
    const i32 half = font->Height / 2;
    DrawCentredText(font, target, x + 3, y - 18 - half, GaugeNumber(max, max), 0, nullptr);
    DrawCentredText(font, target, x + 3, y - 8 - half, GaugeNumber(value, max), 0, nullptr);
  }
}

void DrawUnitTile(Gfx::TSprite* frame, Gfx::TSprite* ring, GameData::TUnit* unit, Plat::TSurface* target,
                  const Base::TRect& tile, bool selected, bool highlight, bool portrait, bool own,
                  const std::string& label, Gfx::TFont* labelFont) {
  if (frame) frame->Draw(target, 0, tile.Left - frame->HotX, tile.Top - frame->HotY, nullptr);
  if (unit) {
    if (portrait && unit->Portrait) unit->Portrait->Draw(target, 0, tile.Left, tile.Top, &tile);
    unit->DrawEffectIcons(target, tile.Left, tile.Top, &tile);
    if (!own)
      if (Gfx::TSprite* s = TableSprite(SlotMarkOverlay)) s->Draw(target, 0, tile.Left, tile.Top, &tile);
    if (portrait && !label.empty() && labelFont) labelFont->DrawText(target, tile.Left + 5, tile.Top + 60, label, 0, &tile);
    if (Gfx::TFont* font = StandardFont(unit->Hero ? 5 : 3)) {
      const Base::TRect caption{tile.Left, tile.Bottom + 5, tile.Right, tile.Bottom + 35};
      font->DrawWrapped(target, caption, unit->GetDisplayName(), 0, nullptr);
    }
  }
  Gfx::TSprite* r = selected && ring ? ring : TableSprite(SlotNeutralRing);
  if (r) r->Draw(target, 0, tile.Left - r->HotX, tile.Top - r->HotY, nullptr);
  if (highlight)
    if (Gfx::TSprite* h = TableSprite(SlotHoverFrame)) h->Draw(target, 0, tile.Left - h->HotX, tile.Top - h->HotY, nullptr);
}

// The unit panel.

TUnitInfoControl::TUnitInfoControl(DXWin::TDXGroup* owner, DXWin::TDXWindow* window, u32 flags, i32 layout)
    : DXWin::TDXGroup(owner, window, flags), Layout(std::clamp(layout, 0, 2)) {
  const TPanelLayoutInfo& l = PanelLayout(Layout);
  SetSize(l.Width, l.Height);
  std::copy(std::begin(l.Hot), std::end(l.Hot), HotRects);
  OnUpdate = DXWin::TNotifyEvent::Of<&TUnitInfoControl::UpdateControl>(this);
  OnDraw = DXWin::TDrawEvent::Of<&TUnitInfoControl::PaintPanel>(this);
  OnMouseMove = DXWin::TMouseMoveEvent::Of<&TUnitInfoControl::TrackMouse>(this);
  PortraitButton = new DXWin::TDXButton(this, window, 0);
  PortraitButton->SetBounds({l.PortraitX, l.PortraitY, l.PortraitX + 80, l.PortraitY + 80});
  PortraitButton->Hint = l.PortraitHint;
  PortraitButton->OnDraw = DXWin::TDrawEvent::Of<&TUnitInfoControl::PaintPortrait>(this);
  PortraitButton->OnMouseDown = DXWin::TMouseEvent::Of<&TUnitInfoControl::PortraitMouseDown>(this);
  SpellButton = new DXWin::TDXButton(this, window, 0);
  SpellButton->SetBounds({l.SpellX, l.SpellY, l.SpellX + 28, l.SpellY + 28});
  SpellButton->Hint = "Zauberbuch";
  SpellButton->OnDraw = DXWin::TDrawEvent::Of<&TUnitInfoControl::PaintSpellButton>(this);
}

TUnitInfoControl::~TUnitInfoControl() = default;

void TUnitInfoControl::SetUnit(GameData::TUnit* unit) {
  if (unit == Unit) return;
  Unit = unit;
  Active = Marked = 0;
  if (unit && unit->HasCastableSpell())
    SpellButton->Show();
  else
    SpellButton->Hide();
}

void TUnitInfoControl::SlideTo(i32 x, i32 y, i32 duration) {
  if ((x == Left && y == Top) || Sliding == 1) return;
  SlideStart = PanelTime();
  SlideFromX = Left;
  SlideFromY = Top;
  SlideToX = x;
  SlideToY = y;
  SlideDuration = duration;
  Sliding = 1;
}

void TUnitInfoControl::UpdateControl(DXWin::TDXControl*) {
  if (Sliding == 1) {
    const i32 t = static_cast<i32>(PanelTime() - SlideStart);
    if (t < SlideDuration) {
      SetPosition(SlideFromX + (SlideToX - SlideFromX) * t / SlideDuration,
                  SlideFromY + (SlideToY - SlideFromY) * t / SlideDuration);
    } else {
      SetPosition(SlideToX, SlideToY);
      Sliding = 0;
    }
  }
  if (!Unit) return;
  std::string text;
  for (i32 i = 0; i < PanelHotCount; ++i)
    if (Base::PointInRect(HotRects[i], MouseX, MouseY)) {
      text = PanelHint(*Unit, i);
      break;
    }
  if (text != Hint) Hint = text;
}

void TUnitInfoControl::TrackMouse(DXWin::TShiftState, int x, int y) {
  MouseX = x;
  MouseY = y;
}

void TUnitInfoControl::PaintPanel(Plat::TSurface* surface, const Base::TRect& rect) {
  const TPanelLayoutInfo& l = PanelLayout(Layout);
  const i32 L = rect.Left, T = rect.Top;
  const Base::TRect* clip = &rect;
  const i32 backgrounds[3] = {1054, 1061, 1062};
  if (Gfx::TSprite* back = TableSprite(backgrounds[Layout]))
    back->Draw(surface, 0, Layout == plBattleLeft ? L - 6 : L, T, clip);
  Gfx::TFont* font = StandardFont(3);
  const i32 X = L + l.GaugeX;
  if (font) {
    const char* labels[4] = {"HP", "AP", "M", "E"};
    for (i32 i = 0; i < 4; ++i) DrawCentredText(font, surface, X + 4 + 16 * i, T + 97 - font->Height / 2, labels[i], 0, clip);
  }
  if (!Unit) return;
  const GameData::TUnitProperties& e = Unit->Effective;
  if (Gfx::TFont* nameFont = StandardFont(Unit->Hero ? 5 : 3)) {
    std::string name = Unit->GetDisplayName();
    nameFont->AbbreviateToWidth(name, 90, -1);
    nameFont->DrawText(surface, L + l.PortraitX, T + 93, name, 0, clip);
  }
  const i32 y = T + 38;
  DrawGauge(surface, TableSprite(SlotGaugeHitPoints), X, y, AtLevel(e.HitPoints, e), e.HitPoints.Current, -1);
  DrawGauge(surface, TableSprite(SlotGaugeActionPoints), X + 16, y, AtLevel(e.ActionPoints, e), e.ActionPoints.Current, -1);
  DrawGauge(surface, TableSprite(SlotGaugeMana), X + 32, y, AtLevel(e.Mana, e), e.Mana.Current, -1);
  DrawGauge(surface, TableSprite(SlotGaugeExperience), X + 48, y, e.ExperienceForLevel(e.Level + 1), e.Experiences,
            e.ExperienceForLevel(e.Level));
  const i32 values[6] = {e.Morale, e.Sight.Current, e.Attack.Current, e.CounterAttack.Current, e.Defence.Current, e.Level};
  for (i32 i = 0; i < 6; ++i)
    if (l.NumberY[i] >= 0)
      DrawCentredText(font, surface, L + l.NumberX[i], T + l.NumberY[i], Base::Format("%d", values[i]), 0, clip);
}

void TUnitInfoControl::PaintPortrait(Plat::TSurface* surface, const Base::TRect& rect) {
  const i32 x = rect.Left, y = rect.Top;
  if (Unit) {
    if (Unit->Portrait) Unit->Portrait->Draw(surface, 0, x, y, &rect);
    Unit->DrawEffectIcons(surface, x, y, &rect);
    if (Unit->IsDead()) GameData::DrawSpriteStretched(TableSprite(SlotDeadOverlay), surface, 0, rect, &rect);
  }
  if (Marked)
    if (Gfx::TSprite* s = TableSprite(SlotMarkOverlay)) s->Draw(surface, 0, x, y, &rect);
  Gfx::TSprite* ring = nullptr;
  if (Active == 0)
    ring = TableSprite(SlotNeutralRing);
  else if (Unit && Unit->GetOwner())
    ring = TableSprite(SlotPlayerRing + Unit->OwnerIndex);
  if (ring) ring->Draw(surface, 0, x, y, &rect);
  if (Hoverable && PortraitButton->IsHovered())
    if (Gfx::TSprite* s = TableSprite(SlotHoverFrame)) s->Draw(surface, 0, x, y, &rect);
  if (PortraitPaintHandler) PortraitPaintHandler(surface, rect);
}

void TUnitInfoControl::PortraitMouseDown(int button, DXWin::TShiftState, int x, int y) {
  if (button != DXWin::mbRight || !PortraitButton->IsInside(x, y) || !Game || !Game->UnitDetailWindow) return;
  Game->UnitDetailWindow->ShowUnit(Unit, DetailX, DetailY);
}

void TUnitInfoControl::PaintSpellButton(Plat::TSurface* surface, const Base::TRect& rect) {
  if (Unit)
    if (GameData::TGroup* group = Unit->GetGroup(); group && group->IsDepartingCityGroup()) return;
  const bool hovered = SpellButton->IsHovered(), pressed = hovered && SpellButton->IsPressed();
  Gfx::TSprite* s = TableSprite(hovered ? 1056 : 1055);
  if (!s) return;
  const i32 shift = pressed ? 1 : 0;
  const i32 cx = rect.Left + SpellButton->Width / 2, cy = rect.Top + SpellButton->Height / 2;
  s->Draw(surface, 0, cx - s->HotX + shift, cy - s->HotY + shift, &rect);
}

}  // namespace Main
