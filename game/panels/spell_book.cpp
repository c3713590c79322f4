#include "game/panels/spell_book.h"

#include <algorithm>
#include <cstdlib>

#include "engine/base/base.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "game/control/game.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/unit.h"

namespace Main {

namespace {

constexpr u32 CannotCast = 0xC00000;
constexpr i32 TabShift = 17;

struct TTabInfo {
  i32 X, Y, Slot;
  const char* Caption;
};
const TTabInfo TabInfos[TSpellSelectDialog::TabCount] = {
    {337, 386, 1096, "Druiden-Spr\xFC" "che"},
    {375, 386, 1094, "Magier-Spr\xFC" "che"},
    {414, 386, 1095, "Psionisten-Spr\xFC" "che"},
    {449, 386, 1097, "Andere Zauberspr\xFC" "che"},
};

const TShortcutKey* Shortcut(i32 index) { return Game ? &Game->Shortcuts[index] : nullptr; }

std::string WithKey(i32 index, const std::string& caption) {
  const TShortcutKey* k = Shortcut(index);
  return k ? k->FormatHint(caption) : caption;
}

bool KeyMatches(i32 index, Plat::WPARAM& key) {
  const TShortcutKey* k = Shortcut(index);
  return k && k->Matches(key);
}

Gfx::TSprite* InterfaceSprite(i32 slot) {
  return Data2::MainData && slot >= 0 && slot < Data2::InterfaceSpriteCount ? Data2::MainData->InterfaceSprites[slot]
                                                                              : nullptr;
}

constexpr i32 PageCursorSlot = 22;

}  // namespace

// The tab.

TSpellBookTab::TSpellBookTab(DXWin::TDXGroup* owner, DXWin::TDXWindow* window, Gfx::TSprite* picture)
    : DXWin::TDXButton(owner, window, 0), Picture(picture) {
  SetOpen(false);
}

TSpellBookTab::~TSpellBookTab() = default;

void TSpellBookTab::SetOpen(bool open) {
  IsOpen = open ? 1 : 0;
  if (Picture) SetSize(Picture->Width, Picture->Height - (open ? TabShift : 0));
}

void TSpellBookTab::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  DXWin::TDXButton::Draw(surface, rect);
  if (!Picture) return;
  const i32 press = IsPressed() ? 1 : 0;
  Picture->Draw(surface, 0, rect.Left + press, rect.Top - (IsOpen ? 0 : TabShift) + press, &rect);
}

// The book.

TSpellSelectDialog::TSpellSelectDialog(DXWin::TDXWindowSystem* windowSystem) : TBookWindow(windowSystem, 0x110000) {
  for (i32 i = 0; i < TabCount; ++i) {
    auto* tab = new TSpellBookTab(this, this, TableSprite(TabInfos[i].Slot));
    tab->SetPosition(TabInfos[i].X, TabInfos[i].Y);
    tab->Hint = WithKey(scSpellTab1 + i, TabInfos[i].Caption);
    tab->Tag = static_cast<u32>(i);
    tab->OnClick = DXWin::TNotifyEvent::Of<&TSpellSelectDialog::TabClicked>(this);
    Tabs[i] = tab;
  }
  OnKeyDown = DXWin::TKeyEvent::Of<&TSpellSelectDialog::KeyPressed>(this);
  OnMouseDown = DXWin::TMouseEvent::Of<&TSpellSelectDialog::ButtonPressed>(this);
  OnMouseMove = DXWin::TMouseMoveEvent::Of<&TSpellSelectDialog::PointerMoved>(this);
  OnUpdate = DXWin::TNotifyEvent::Of<&TSpellSelectDialog::Counted>(this);
}

TSpellSelectDialog::~TSpellSelectDialog() = default;

i32 TSpellSelectDialog::BaseNumber(const GameData::TSpellPrototype& spell) {
  return spell.Number > 64 ? spell.Number - 64 : spell.Number;
}

i32 TSpellSelectDialog::TabOf(i32 n) { return n < 13 ? 0 : n < 25 ? 1 : n > 36 ? 3 : 2; }

std::string TSpellSelectDialog::TargetKinds(u32 flags) {
  static const std::pair<u32, const char*> kinds[] = {{16, "Selbst"}, {1, "Verb\xFCndet"}, {4, "Neutral"},
                                                      {2, "Feind"},   {8, "Beliebig"},     {32, "Leeres Feld"}};
  std::string text;
  for (const auto& [bit, name] : kinds)
    if (flags & bit) text += (text.empty() ? "" : " + ") + std::string(name);
  return text;
}

void TSpellSelectDialog::EntryAnchor(i32 page, i32 row, i32& x, i32& y) {
  x = 63 + 235 * page;
  y = 98 + 280 * row / 4;
}

void TSpellSelectDialog::SetUnit(GameData::TUnit* unit, u32 usage) {
  Unit = unit;
  Usage = usage;
  Page = 0;
  Tab = -1;
  for (auto& list : SpellLists) list.clear();
  if (unit && Data2::GlobalData) {
    Data2::TGlobalData& global = *Data2::GlobalData;
    const GameData::TUnitProperties& e = unit->Effective;
    for (i32 i = 0; i < global.SpellPrototypes.Count(); ++i) {
      const GameData::TSpellPrototype& spell = global.SpellPrototypes[i];
      if (!(spell.Usage & usage)) continue;
      const i32 n = BaseNumber(spell);
      if (n < 1 || n > 64) continue;
      const u64 bit = GameData::MaskBit(n);
      if (!(e.AllowedSpells & bit) || !(e.KnownSpells & bit) || e.Level < spell.Level) continue;
      SpellLists[TabOf(n)].push_back({global.SpellSpriteList.FindLoadedSprite(spell.IconID), &spell});
    }
  }
  for (i32 t = TabCount - 1; t >= 0; --t) {
    if (SpellLists[t].empty()) {
      Tabs[t]->Hide();
    } else {
      Tabs[t]->Show();
      SelectTab(t);
    }
  }
}

void TSpellSelectDialog::SelectTab(i32 tab) {
  if (tab < 0 || tab >= TabCount) return;
  for (i32 i = 0; i < TabCount; ++i) Tabs[i]->SetOpen(i == tab);
  if (tab != Tab) {
    Page = 0;
    Tab = tab;
  }
}

void TSpellSelectDialog::PageBack() {
  if (Page > 0) Page -= 2;
}

void TSpellSelectDialog::PageForward() {
  if (HasNextSpread()) Page += 2;
}

void TSpellSelectDialog::LastPage() {
  Page = 0;
  for (i32 before = -1; before != Page;) {
    before = Page;
    PageForward();
  }
}

void TSpellSelectDialog::Finish(i32 result) {
  SetModalResult(result);
  Close();
}

void TSpellSelectDialog::CastSlot(i32 slot) {
  if (slot < 0 || slot >= SlotsPerSpread || !Unit) return;
  const i32 index = Page * SpellsPerPage + slot;
  if (index >= OpenCount()) return;
  const GameData::TSpellPrototype* spell = SpellLists[Tab][index].Spell;
  if (Unit->CanCastSpell(spell)) Finish(SpellResultBase + spell->Number);
}

i32 TSpellSelectDialog::EntryAt(i32 x, i32 y) const {
  for (i32 r = 0; r < 2; ++r)
    for (i32 c = 0; c < SpellsPerPage; ++c) {
      const i32 index = (Page + r) * SpellsPerPage + c;
      if (index >= OpenCount()) continue;
      i32 ax = 0, ay = 0;
      EntryAnchor(r, c, ax, ay);
      if (Base::PointInRect({ax - 11, ay - 11, ax + 195, ay + 54}, x, y)) return index;
    }
  return -1;
}

void TSpellSelectDialog::PointerMoved(DXWin::TShiftState, int x, int y) {
  MouseX = x;
  MouseY = y;
  PointerSeen = true;
  const i32 hot = EntryAt(x, y);
  if (hot != HotEntry) {
    HotEntry = hot;
    if (hot >= 0) {
      const i32 slot = hot - Page * SpellsPerPage;
      std::string text = WithKey(scSpellSlot1 + slot, SpellLists[Tab][hot].Spell->Description);
      if (Gfx::TFont* font = StandardFont(3)) text = font->WrapText(300, text);
      Hint = text;
      SetCursor(InterfaceSprite(Data2::isDefaultCursor));
    } else {
      Hint.clear();
    }
  }
  if (HotEntry >= 0) return;
  if (x < EdgeWidth && Page >= 1) {
    Hint = WithKey(scSpellPreviousPage, "Vorherige Seite");
    SetCursor(InterfaceSprite(PageCursorSlot));
  } else if (Width - x < EdgeWidth && HasNextSpread()) {
    Hint = WithKey(scSpellNextPage, "N\xE4" "chste Seite");
    SetCursor(InterfaceSprite(PageCursorSlot));
  } else {
    Hint.clear();
    SetCursor(InterfaceSprite(Data2::isDefaultCursor));
  }
}

void TSpellSelectDialog::FollowPointer(i32 page, i32 tab) {
  if ((Page == page && Tab == tab) || !PointerSeen) return;
  // The hint and the lit entry belong to the spread now under the pointer,
  // not to the one it last moved over.
  HotEntry = -2;
  PointerMoved(DXWin::TShiftState{}, MouseX, MouseY);
}

void TSpellSelectDialog::ButtonPressed(int button, DXWin::TShiftState, int x, int y) {
  if (button == DXWin::mbRight) {
    Finish(SpellResultBase);
    return;
  }
  if (button != DXWin::mbLeft) return;
  // The spread may have turned by key since the pointer last moved.
  HotEntry = EntryAt(x, y);
  if (HotEntry >= 0) CastSlot(HotEntry - Page * SpellsPerPage);
  const i32 page = Page;
  if (x < EdgeWidth)
    PageBack();
  else if (Width - x < EdgeWidth)
    PageForward();
  MouseX = x;
  MouseY = y;
  PointerSeen = true;
  FollowPointer(page, Tab);
}

void TSpellSelectDialog::KeyPressed(Plat::WPARAM& key, DXWin::TShiftState shift) {
  if (shift & (DXWin::ssShift | DXWin::ssCtrl | DXWin::ssAlt)) return;
  if (KeyMatches(scSpellClose, key)) {
    Finish(SpellResultBase);
    return;
  }
  const i32 page = Page, tab = Tab;
  if (TurnSpreadByKey(key)) return FollowPointer(page, tab);
  for (i32 s = 0; s < SlotsPerSpread; ++s)
    if (KeyMatches(scSpellSlot1 + s, key)) return CastSlot(s);
}

bool TSpellSelectDialog::TurnSpreadByKey(Plat::WPARAM& key) {
  for (i32 t = 0; t < TabCount; ++t)
    if (KeyMatches(scSpellTab1 + t, key)) {
      if (Tabs[t]->IsVisible()) SelectTab(t);
      return true;
    }
  if (KeyMatches(scSpellPreviousPage, key))
    PageBack();
  else if (KeyMatches(scSpellNextPage, key))
    PageForward();
  else if (KeyMatches(scSpellFirstPage, key))
    FirstPage();
  else if (KeyMatches(scSpellLastPage, key))
    LastPage();
  else
    return false;
  return true;
}

void TSpellSelectDialog::DrawEntry(Plat::TSurface* surface, const Base::TRect& clip, i32 x, i32 y,
                                   const TSpellInfo& info, bool hot) {
  const GameData::TSpellPrototype& spell = *info.Spell;
  if (info.Icon) info.Icon->Draw(surface, 0, x, y - 2, &clip);
  if (Gfx::TSprite* frame = TableSprite(1093)) frame->Draw(surface, 0, x - frame->HotX, y - 2 - frame->HotY, &clip);
  Gfx::TFont* title = StandardFont(3);
  Gfx::TFont* small = StandardFont(2);
  if (title) title->DrawText(surface, x + 55, y - 10, spell.Name, 0, &clip);
  if (title && small) {
    const u32 colour = Unit && Unit->CanCastSpell(&spell) ? 0 : Gfx::PackRGB565(CannotCast);
    const i32 top = y - 10 + title->Height, line = small->Height;
    const std::pair<const char*, i32> values[3] = {{"Level", spell.Level}, {"AP", spell.APCost}, {"Mana", spell.ManaCost}};
    for (i32 i = 0; i < 3; ++i)
      small->DrawText(surface, x + 55, top + i * line, Base::Format("%s: %d", values[i].first, values[i].second), colour, &clip);
    const std::string target = small->WrapText(85, Base::Format("%s: %s", "Ziel", TargetKinds(spell.TargetFlags).c_str()));
    small->DrawText(surface, x + 110, top, target, colour, &clip);
    std::string third;
    if (spell.Usage == SpellUsageMap) {
      third = Base::Format("%s: %d", "Reichweite", Unit ? Unit->Effective.Level + 2 : 2);
    } else if (spell.Usage == SpellUsageBattle) {
      static const char* const classes[4] = {"", "Neutral", "Angreifen", "Verteidigen"};
      third = Base::Format("%s: %s", "Typ", spell.Class >= 1 && spell.Class <= 3 ? classes[spell.Class] : "");
    }
    if (!third.empty()) small->DrawText(surface, x + 110, top + 2 * line, third, colour, &clip);
  }
  if (hot) {
    u32 rgb = 0;
    if (GameData::TPlayer* owner = Unit ? Unit->GetOwner() : nullptr) {
      const i32 index = owner->Scenario ? owner->Scenario->IndexOfPlayer(owner) : -1;
      if (index >= 0 && index < 5) rgb = Gfx::PlayerColors[index];
    }
    Gfx::FrameRect(surface, x - 11, y - 11, 206, 65, PulsingColour(rgb, FrameCount), &clip);
  }
}

void TSpellSelectDialog::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  TBookWindow::Draw(surface, rect);
  Base::TRect clip;
  GetOpenRect(clip);
  if (Base::IsRectEmpty(clip) || Tab < 0) return;
  for (i32 r = 0; r < 2; ++r)
    for (i32 c = 0; c < SpellsPerPage; ++c) {
      const i32 index = (Page + r) * SpellsPerPage + c;
      if (index >= OpenCount()) continue;
      i32 x = 0, y = 0;
      EntryAnchor(r, c, x, y);
      DrawEntry(surface, clip, rect.Left + x, rect.Top + y, SpellLists[Tab][index], index == HotEntry);
    }
}

i32 ChooseSpell(DXWin::TDXWindowSystem* windowSystem, GameData::TUnit* unit, u32 usage) {
  // The window system frees the book once its closing frames have run.
  auto* book = new TSpellSelectDialog(windowSystem);
  book->FreeOnClose = true;
  book->SetUnit(unit, usage);
  const i32 result = book->ShowModal(true);
  if (!windowSystem) delete book;
  // A loop ended without a result (the program closing) chooses nothing.
  return result > SpellResultBase ? result - SpellResultBase : 0;
}

}  // namespace Main
