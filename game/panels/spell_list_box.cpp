#include "game/panels/spell_list_box.h"

#include <algorithm>

#include "engine/base/base.h"
#include "engine/dxapp/dxapp.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "game/control/game.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/units/unit.h"

namespace Main {

namespace {

const GameData::TSpellPrototype* Spell(i32 number) {
  const i32 i = Data2::GlobalData ? Data2::GlobalData->FindSpellPrototype(static_cast<i16>(number)) : -1;
  return i < 0 ? nullptr : &Data2::GlobalData->SpellPrototypes[i];
}

const GameData::TSkillPrototype* Skill(i32 number) {
  const i32 i = Data2::GlobalData ? Data2::GlobalData->FindSkillPrototype(static_cast<i16>(number)) : -1;
  return i < 0 ? nullptr : &Data2::GlobalData->SkillPrototypes[i];
}

void Background(Plat::TSurface* surface, const Base::TRect& r) {
  GameData::DrawSpriteStretched(TableSprite(SlotMarkOverlay), surface, 0, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1},
                                nullptr);
}

void Price(Plat::TSurface* surface, const Base::TRect& r, u32 price) {
  if (Gfx::TFont* font = Data2::GlobalData ? Data2::GlobalData->SpellListFont : nullptr)
    font->DrawText(surface, r.Right - 50, r.Top + 2, Base::Format("%u", price), 0, nullptr);
}

i32 DescriptionHeight(const Base::TRect& r) {
  Gfx::TFont* title = StandardFont(3);
  return r.Height() - ((title ? title->Height : 0) + 2) - 2;
}

void Description(Plat::TSurface* surface, const Base::TRect& r, i32 x, const std::string& text, u32 colour) {
  Gfx::TFont* font = StandardFont(1);
  Gfx::TFont* title = StandardFont(3);
  if (!font || !title) return;
  const Base::TRect clip{r.Left, r.Top, r.Right, r.Bottom - 2};
  font->DrawText(surface, x, r.Top + title->Height + 2, text, Gfx::PackRGB565(colour), &clip);
}

}  // namespace

i32 OfferSchool(i32 n) { return n <= 12 ? 0 : n <= 24 ? 1 : n <= 36 ? 2 : 3; }

u32 SpellOfferColour(const GameData::TUnit& unit, i32 n) {
  if (unit.KnowsSpell(n)) return OfferKnown;
  if (!unit.HasAllowedSpell(n)) return OfferNotAllowed;
  if (!unit.SpellLevelReached(n)) return OfferLevelTooLow;
  return OfferLearnable;
}

u32 SkillOfferColour(const GameData::TUnit& unit, i32 n) {
  if (unit.KnowsSkill(n)) return OfferKnown;
  if (!unit.HasAllowedSkill(n)) return OfferNotAllowed;
  if (!unit.SkillLevelReached(n)) return OfferLevelTooLow;
  return OfferLearnable;
}

std::string SkillRequirements(const GameData::TSkillPrototype& skill) {
  if (skill.Level < 1 && skill.APCost < 1) return std::string();
  const std::string level = skill.Level >= 1 ? Base::Format("%s: %d", "Level", skill.Level) : std::string();
  const std::string ap = skill.APCost >= 1 ? Base::Format("%s: %d", "AP", skill.APCost) : std::string();
  return Base::Format("(%s%s%s)", level.c_str(), skill.Level >= 1 && skill.APCost >= 1 ? " " : "", ap.c_str());
}

void ShortenDescription(const std::string& text, i32 width, i32 height, std::string& shown, std::string& rest) {
  shown.clear();
  rest.clear();
  Gfx::TFont* font = StandardFont(1);
  if (!font) return;
  const std::string full = font->WrapText(width, text);
  shown = full;
  font->AbbreviateToBox(shown, width, -1, height);
  std::size_t common = 0;
  while (common < full.size() && common < shown.size() && full[common] == shown[common]) ++common;
  rest = full.substr(common);
}

TSpellListBox::TSpellListBox(DXWin::TDXGroup* owner, i32 itemWidth, u8 mode, i32 rowCount, DXWin::TDXScrollBar* scrollBar)
    : DXWin::TDXListBox(owner, itemWidth, ItemHeightPixels, scrollBar), Mode(mode) {
  RowCount = rowCount;
  UpdateLayout();
}

TSpellListBox::~TSpellListBox() = default;

void TSpellListBox::SetItems(const u32* items, GameData::TUnit* unit) {
  Items = items;
  Unit = unit;
  if (!items || !unit) return;
  ItemCount = static_cast<i32>(items[0]);
  UpdateLayout();
}

void TSpellListBox::DrawSpellOffer(Plat::TSurface* surface, const Base::TRect& r, i32 index, u32 price,
                                   std::string (&rest)[2]) {
  const GameData::TSpellPrototype* spells[2] = {Spell(index + 1), Spell(index + 65)};
  if (!spells[0] || !spells[1]) return;
  const i32 x = r.Left, y = r.Top, w = r.Width();
  Background(surface, r);
  Gfx::TSprite* school = TableSprite(1132 + OfferSchool(spells[0]->Number));
  const u32 colour = SpellOfferColour(*Unit, spells[0]->Number);
  Price(surface, r, price);
  for (i32 k = 0; k < 2; ++k) {
    const i32 left = x + k * (w / 2);
    GameData::DrawSpriteStretched(school, surface, 0, {left, y, left + 72, y + 72}, nullptr);
    if (Gfx::TSprite* icon = Data2::GlobalData->SpellSpriteList.FindLoadedSprite(spells[k]->IconID))
      icon->Draw(surface, 0, left + 16, y + 16, nullptr);
    std::string name = spells[k]->Name;
    if (spells[k]->Level >= 1) name += Base::Format(" (%d)", spells[k]->Level);
    if (Gfx::TFont* font = StandardFont(3)) font->DrawText(surface, left + 72, y + 2, name, 0, nullptr);
    std::string shown;
    ShortenDescription(spells[k]->Description, w / 2 - 80, DescriptionHeight(r), shown, rest[k]);
    Description(surface, r, left + 72, shown, colour);
  }
}

void TSpellListBox::DrawSkillOffer(Plat::TSurface* surface, const Base::TRect& r, i32 index, u32 price,
                                   std::string (&rest)[2]) {
  const GameData::TSkillPrototype* skill = Skill(index + 1);
  if (!skill) return;
  Background(surface, r);
  const u32 colour = SkillOfferColour(*Unit, skill->Number);
  if (Gfx::TFont* font = StandardFont(3))
    font->DrawText(surface, r.Left + 12, r.Top + 2, std::string(skill->Name) + SkillRequirements(*skill), 0, nullptr);
  Price(surface, r, price);
  std::string shown;
  ShortenDescription(skill->Description, r.Width() - 20, DescriptionHeight(r), shown, rest[0]);
  Description(surface, r, r.Left + 12, shown, colour);
}

void TSpellListBox::DrawItem(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
  DXWin::TDXListBox::DrawItem(surface, row, hot, selected, index);
  std::string rest[2];
  if (Items && Unit && Data2::GlobalData && index >= 0 && static_cast<u32>(index) < Items[0]) {
    const i32 offer = static_cast<i32>(Items[1 + 2 * index]);
    const u32 price = Items[2 + 2 * index];
    if (Mode == 1)
      DrawSpellOffer(surface, row, offer, price, rest);
    else
      DrawSkillOffer(surface, row, offer, price, rest);
  }
  const u32 player = Game ? Game->CurrentPlayerColor() : 0;
  hot = hot && IsHovered();
  if (hot || selected) {
    const u32 colour = hot ? PulsingColour(player, DXApplication ? DXApplication->UpdateCount : 0) : Gfx::PackRGB565(player);
    Gfx::FrameRect(surface, row.Left, row.Top, row.Width(), row.Height(), colour, nullptr);
  }
  if (!hot) return;
  std::string hint;
  if (!rest[0].empty()) hint = "..." + rest[0];
  if (!rest[1].empty()) hint += (hint.empty() ? "" : "\n") + std::string("...") + rest[1];
  std::replace(hint.begin(), hint.end(), '\r', ' ');
  if (Gfx::TFont* font = StandardFont(3)) hint = font->WrapText(300, hint);
  if (hint != Hint) Hint = hint;
}

}  // namespace Main
