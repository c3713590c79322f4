// The battle screen's picture: background, owners' portraits, the status
// line, order marks, the units in depth order, the flying spell, slot
// badges and the rising damage numbers; and the three round buttons.
#include <algorithm>
#include <string>

#include "combat/spell.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/button.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "engine/platform/display/surface.h"
#include "game/battle/fight_dialog.h"
#include "game/control/game.h"
#include "game/map/map_window.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

using namespace GameData;

namespace {

Gfx::TFont* GlobalFont(i32 index) { return Data2::GlobalData ? Data2::GlobalData->Fonts[index] : nullptr; }

// Standard fonts 4 (title) and 3 (damage numbers).
constexpr i32 TitleFont = 3, DamageFont = 2;

u32 RedOf(i32 red) { return static_cast<u32>(std::clamp(red, 0, 255) >> 3) << 11; }

u32 GameTimeMs() { return DXApplication ? DXApplication->GameTime : 0; }

TUnitSpriteSet SetOf(i32 anim) {
  switch (anim) {
    case faWalking: return FightWalk;
    case faAttacking: return FightAttack;
    case faCasting: return FightCast;
    case faDying:
    case faDead:
    case faHit: return FightDie;
    default: return FightStand;
  }
}

}  // namespace

bool TFightDialog::DrawsBefore(const TUnitData& a, const TUnitData& b) {
  const bool aDown = a.Anim == faDying || a.Anim == faDead, bDown = b.Anim == faDying || b.Anim == faDead;
  if (aDown != bDown) return aDown;
  if (a.Y != b.Y) return a.Y < b.Y;
  return a.X > b.X;
}

void TFightDialog::DrawSlotBadge(i32 slot, const TPlayer* owner, i32 x, i32 y, Plat::TSurface* surface) {
  Gfx::TSprite* sheet = TableSprite(SlotBannerSheet);
  if (!sheet || !Data2::GlobalData) return;
  const i32 w = Data2::GlobalData->BannerCellWidth, h = Data2::GlobalData->BannerCellHeight;
  i32 row = owner && owner->Scenario ? owner->Scenario->IndexOfPlayer(owner) : 0;
  if (row < 0 || row >= 5) row = 0;
  const Base::TRect clip{x, y, x + w, y + h};
  sheet->Draw(surface, 0, x - slot * w, y - row * h, &clip);
}

void TFightDialog::DrawPanelBadge(i32 panel, Plat::TSurface* surface, const Base::TRect& rect) {
  if (!Fight.Attacker || !Fight.Defender) return;
  if (panel < 3)
    DrawSlotBadge(panel, Fight.Attacker->GetOwner(), rect.Left - 21, rect.Top + 5, surface);
  else
    DrawSlotBadge(panel - 3, Fight.Defender->GetOwner(), rect.Left + 90, rect.Top + 5, surface);
}

void TFightDialog::DrawButton(Plat::TSurface* surface, const Base::TRect& rect, DXWin::TDXButton* button, i32 slot) {
  if (!button->IsEnabled()) return;
  const bool hover = button->IsHovered();
  Gfx::TSprite* s = TableSprite(hover ? slot + 1 : slot);
  if (!s) return;
  const i32 shift = hover && button->IsPressed() ? 1 : 0;
  s->Draw(surface, 0, (rect.Left + rect.Right) / 2 - s->HotX + shift, (rect.Top + rect.Bottom) / 2 - s->HotY + shift,
          nullptr);
}

void TFightDialog::DrawAutoButton(Plat::TSurface* surface, const Base::TRect& rect) {
  DrawButton(surface, rect, AutoButton, SlotAutoButton);
}
void TFightDialog::DrawRetreatButton(Plat::TSurface* surface, const Base::TRect& rect) {
  DrawButton(surface, rect, RetreatButton, SlotRetreatButton);
}
void TFightDialog::DrawAcceptButton(Plat::TSurface* surface, const Base::TRect& rect) {
  DrawButton(surface, rect, AcceptButton, SlotAcceptButton);
}

void TFightDialog::DrawOrderMarks(Plat::TSurface* surface, i32 first) {
  const i32 count = std::min(first == 0 ? Fight.AttackerCount() : Fight.DefenderCount(), 3);
  for (i32 i = first; i < first + count; ++i) {
    const TFightAction& order = Fight.Actions[i];
    if (Units[i].Anim == faDead || order.Kind == fakNone || order.Target < 0 || order.Target >= CombatantCount)
      continue;
    const bool animated = i == Selected || i == Hovered;
    auto frameOf = [&](const Gfx::TSprite* s) {
      const i32 n = AnimFrames(s);
      return animated && n > 0 ? static_cast<i32>((GameTimeMs() / 50) % static_cast<u32>(n)) : 0;
    };
    if (order.Kind == fakSpell && order.Target == i && State < 5) {
      if (Gfx::TSprite* ring = TableSprite(SlotSelfRing))
        ring->DrawRotated(surface, frameOf(ring), ScreenX(i), ScreenY(i), 0.0f, 1.0f, 0.8f);
      continue;
    }
    const bool attackLine = order.Kind == fakAttack || (first == 3 && order.Kind == fakProtect);
    if (Gfx::TSprite* line = TableSprite(attackLine ? SlotAttackLine : SlotSpellLine))
      line->DrawAlongLine(frameOf(line), ScreenX(i), ScreenY(i), ScreenX(order.Target), ScreenY(order.Target), 3);
  }
}

void TFightDialog::DrawDamage(Plat::TSurface* surface) {
  Gfx::TFont* font = GlobalFont(DamageFont);
  if (!font) return;
  for (i32 c = 0; c < CombatantCount; ++c) {
    const TUnit* u = Fight.UnitOf(c);
    if (!u) continue;
    for (i32 i = u->Wounds.Count() - 1; i >= 0;) {
      const i32 age = u->Wounds[i].Age;
      i32 sum = 0;
      for (; i >= 0 && u->Wounds[i].Age == age; --i) sum += u->Wounds[i].Damage;
      DrawCentredText(font, surface, ScreenX(c), ScreenY(c) - 70 - age / 10, std::to_string(sum), RedOf(255 - age / 2),
                      nullptr);
    }
  }
}

void TFightDialog::Paint(Plat::TSurface* surface, const Base::TRect& rect) {
  if (MarkerMode) {
    const i32 n = AnimFrames(MarkerSprite);
    if (MarkerSprite && n > 0)
      MarkerSprite->Draw(surface, static_cast<i32>((StateFrame / 10) % static_cast<u32>(n)),
                         MarkerX - MarkerSprite->Width / 2, MarkerY - MarkerSprite->Height / 2, nullptr);
    return;
  }
  if (!Fight.Attacker || !Fight.Defender) return;
  if (Game && Game->MapWindow && Game->MapWindow->Cache) {
    const Base::TRect whole{0, 0, rect.Right - rect.Left, rect.Bottom - rect.Top};
    surface->Blt(&rect, Game->MapWindow->Cache, &whole, Plat::bltWait, nullptr);
  }
  const TPlayer* attackerOwner = Fight.Attacker->GetOwner();
  const TPlayer* defenderOwner = Fight.Defender->GetOwner();
  if (Gfx::TSprite* p = attackerOwner ? attackerOwner->GetPortrait() : nullptr)
    p->DrawMirrored(surface, 0, rect.Left + 5, rect.Top + 5, nullptr);
  if (Gfx::TSprite* p = defenderOwner ? defenderOwner->GetPortrait() : nullptr)
    p->Draw(surface, 0, rect.Left + 800 - p->Width - 5, rect.Top + 5, nullptr);
  DrawCentredText(GlobalFont(TitleFont), surface, rect.Left + 400, rect.Top + 20, StatusText, 0, nullptr);
  if (IsAttackerLocal() || State >= 2) DrawOrderMarks(surface, 0);
  if ((State == 1 && IsDefenderLocal()) || State >= 2) DrawOrderMarks(surface, 3);
  TUnitData* list[CombatantCount];
  i32 count = 0;
  for (i32 c = 0; c < CombatantCount; ++c) {
    const TUnit* u = Fight.UnitOf(c);
    Units[c].Sprite = u ? u->SpriteOf(SetOf(Units[c].Anim), Units[c].Facing) : nullptr;
    if (u) list[count++] = &Units[c];
  }
  auto drawMarker = [&](i32 c, bool animated) {
    if (!Fight.IsCombatant(c)) return;
    Gfx::TSprite* marker = (c < 3 ? Fight.Attacker : Fight.Defender)->GetMarkerSprite();
    const i32 n = AnimFrames(marker);
    if (n <= 0) return;
    const i32 frame = animated ? static_cast<i32>((FrameClock / 10) % static_cast<u32>(n)) : 0;
    marker->DrawRotated(surface, frame, ScreenX(c), ScreenY(c), 0.0f, 2.0f, 1.6f);
  };
  if (Selected >= 0) drawMarker(Selected, true);
  if (Hovered >= 0 && Hovered != Selected) drawMarker(Hovered, false);
  // Six at most: an insertion sort, which also keeps ties in combatant order.
  for (i32 k = 1; k < count; ++k)
    for (i32 j = k; j > 0 && DrawsBefore(*list[j], *list[j - 1]); --j) std::swap(list[j], list[j - 1]);
  for (i32 k = 0; k < count; ++k) {
    const TUnitData& d = *list[k];
    const i32 n = AnimFrames(d.Sprite);
    if (!d.Sprite || n <= 0) continue;
    i32 frame = d.Frame % n;
    if (d.Anim == faHit && frame > 2) frame = 3 - frame;
    const i32 c = static_cast<i32>(&d - Units);
    d.Sprite->Draw(surface, frame, ScreenX(c) - d.Sprite->HotX, ScreenY(c) - d.Sprite->HotY, nullptr);
  }
  if (CurrentSpell && CurrentSpell->Started) CurrentSpell->Draw(surface, Field.Left, Field.Top, 0);
  const i32 badgeWidth = Data2::GlobalData ? Data2::GlobalData->BannerCellWidth : 0;
  for (i32 i = 0; i < 3; ++i) {
    if (Fight.IsCombatantAlive(i)) DrawSlotBadge(i, attackerOwner, ScreenX(i) - 30, ScreenY(i) - 40, surface);
    if (Fight.IsCombatantAlive(3 + i))
      DrawSlotBadge(i, defenderOwner, ScreenX(3 + i) + 30 - badgeWidth, ScreenY(3 + i) - 40, surface);
  }
  DrawDamage(surface);
}

}  // namespace Main
