#include "game/panels/unit_detail_window.h"

#include <algorithm>

#include "engine/base/base.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "game/panels/unit_panel.h"
#include "world/data2/global_data.h"
#include "world/units/unit.h"

namespace Main {

namespace {

constexpr u32 Black = 0, Raised = 0x0000C0, Lowered = 0xC00000;
constexpr i32 PanelWidth = 540, PanelHeight = 560;
constexpr i32 LabelX = 325, IndentX = 335, ValueX = 415;
const Base::TRect SpellArea{40, 350, 270, 535};
const Base::TRect SkillArea{270, 350, 520, 535};
constexpr i32 MaxSpells = 12, MaxSkills = 10;

Base::TRect Moved(const Base::TRect& r, i32 dx, i32 dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

u32 Compare(i32 effective, i32 base) { return effective == base ? Black : effective < base ? Lowered : Raised; }

Data2::TGlobalData* Global() { return Data2::GlobalData; }

const GameData::TSpellPrototype* SpellOf(i32 id) {
  if (!Global() || id < INT16_MIN || id > INT16_MAX) return nullptr;
  const i32 i = Global()->FindSpellPrototype(static_cast<i16>(id));
  return i < 0 ? nullptr : &Global()->SpellPrototypes[i];
}

const GameData::TSkillPrototype* SkillOf(i32 id) {
  if (!Global()) return nullptr;
  const i32 i = Global()->FindSkillPrototype(static_cast<i16>(id));
  return i < 0 ? nullptr : &Global()->SkillPrototypes[i];
}

const GameData::TAfterEffect* FirstEffect(const GameData::TUnit& unit, i32 id) {
  for (const GameData::TAfterEffect* e : unit.AfterEffects)
    if (e->EffectID == id) return e;
  return nullptr;
}

}  // namespace

std::vector<TDetailPiece> PropertyPieces(const GameData::TUnit& unit, i32 property) {
  const GameData::TUnitProperties &E = unit.Effective, &B = unit.Base;
  const GameData::TUnitProperty &e = E.Property(property), &b = B.Property(property);
  std::vector<TDetailPiece> pieces;
  const auto number = [&](i32 v, u32 colour) { pieces.push_back({Base::Format("%d", v), colour}); };
  number(e.Current, e.Current == 0 ? Black : Compare(e.Current, b.Current));
  pieces.push_back({"/", Black});
  number(e.ValueAt(E.Level), Compare(e.ValueAt(E.Level), b.ValueAt(B.Level)));
  if ((e.Delta >= 1 || b.Delta >= 1) && e.Every > 0) {
    pieces.push_back({" + ", Black});
    number(e.Delta, Compare(e.Delta, b.Delta));
    pieces.push_back({"/", Black});
    number(e.Every, Compare(e.Every, b.Every));
  }
  return pieces;
}

std::string SkillLine(const GameData::TUnit& unit, const std::string& name, i32 skill, Gfx::TFont* font, i32 width) {
  std::string line = name;
  if (const GameData::TAfterEffect* e = FirstEffect(unit, GameData::SkillEffectBase + skill))
    line = Base::Format("%s (%d)", name.c_str(), e->TurnsLeft);
  if (!font) return line;
  const std::size_t bracket = line.find('(');
  // Before the blank ahead of the bracket, so the turns stay whole.
  const i32 at = bracket == std::string::npos ? -1 : static_cast<i32>(bracket > 0 ? bracket - 1 : 0);
  font->AbbreviateToWidth(line, width, at);
  return line;
}

TUnitDetailWindow::TUnitDetailWindow(DXWin::TDXWindowSystem* windowSystem, u32 flags)
    : TOrvWindow(windowSystem, flags, 0) {
  SetSize(800, 600);
  if (Global()) Background = Global()->SpriteTable[1084];
  OnKeyDown = DXWin::TKeyEvent::Of<&TUnitDetailWindow::KeyPressed>(this);
  OnMouseDown = DXWin::TMouseEvent::Of<&TUnitDetailWindow::ButtonPressed>(this);
  OnMouseUp = DXWin::TMouseEvent::Of<&TUnitDetailWindow::ButtonReleased>(this);
}

TUnitDetailWindow::~TUnitDetailWindow() = default;

void TUnitDetailWindow::SetUnit(GameData::TUnit* unit) {
  Unit = unit;
  if (unit) unit->LoadPicture();
}

void TUnitDetailWindow::ShowUnit(GameData::TUnit* unit, i32 left, i32 top) {
  SetUnit(unit);
  PanelLeft = left;
  PanelTop = top;
  ShowModal(true);
}

void TUnitDetailWindow::CloseDetail() {
  if (Unit) Unit->ReleasePicture();
  SetModalResult(1);
  Close();
}

void TUnitDetailWindow::KeyPressed(Plat::WPARAM& key, DXWin::TShiftState) {
  if (key == 27) CloseDetail();
}

void TUnitDetailWindow::ButtonPressed(int button, DXWin::TShiftState, int, int) {
  if (button == DXWin::mbLeft || button == DXWin::mbRight) CloseDetail();
}

std::vector<TUnitDetailWindow::TShownSpell> TUnitDetailWindow::ShownSpells() const {
  std::vector<TShownSpell> shown;
  if (!Unit) return shown;
  for (const GameData::TAfterEffect* e : Unit->AfterEffects) {
    if (static_cast<i32>(shown.size()) >= MaxSpells) break;
    if (!SpellOf(e->EffectID)) continue;
    const i32 k = static_cast<i32>(shown.size()), x = 40 + (k % 4) * 50, y = 370 + (k / 4) * 50;
    shown.push_back({e->EffectID, {x, y, x + 40, y + 40}});
  }
  return shown;
}

std::vector<TUnitDetailWindow::TShownSkill> TUnitDetailWindow::ShownSkills() const {
  std::vector<TShownSkill> shown;
  if (!Unit) return shown;
  Gfx::TFont* font = StandardFont(4);
  for (i32 id = 1; id <= 64 && static_cast<i32>(shown.size()) < MaxSkills; ++id) {
    const GameData::TSkillPrototype* skill = Unit->KnowsSkill(id) ? SkillOf(id) : nullptr;
    if (!skill) continue;
    const i32 y = 370 + 16 * static_cast<i32>(shown.size());
    const i32 width = font ? font->TextWidth(SkillLine(*Unit, skill->Name, id, font, 250)) : 0;
    shown.push_back({id, {270, y, 270 + width, y + 14}});
  }
  return shown;
}

std::string TUnitDetailWindow::HintAt(i32 x, i32 y) const {
  const auto inside = [x, y](const Base::TRect& r) { return Base::PointInRect(r, x, y); };
  for (const TShownSpell& s : ShownSpells())
    if (inside(s.Square)) {
      const GameData::TSpellPrototype* spell = SpellOf(s.SpellID);
      return Base::Format("%s\n%s", spell->Name, spell->Description);
    }
  for (const TShownSkill& s : ShownSkills())
    if (inside(s.Line)) {
      const GameData::TSkillPrototype* skill = SkillOf(s.SkillID);
      return Base::Format("%s\n%s", skill->Name, skill->Description);
    }
  return std::string();
}

void TUnitDetailWindow::Update() {
  std::string text;
  if (WindowSystem) text = HintAt(WindowSystem->MouseX - PanelLeft, WindowSystem->MouseY - PanelTop);
  if (Gfx::TFont* font = StandardFont(3)) text = font->WrapText(300, text);
  if (text != Hint) Hint = text;
  TOrvWindow::Update();
}

void TUnitDetailWindow::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  const i32 L = PanelLeft, T = PanelTop;
  if (Background) GameData::DrawSpriteStretched(Background, surface, 0, {L, T, L + PanelWidth, T + PanelHeight}, nullptr);
  if (Unit) {
    if (Unit->Picture) Unit->Picture->Draw(surface, 0, L + 75, T + 95, nullptr);
    if (Gfx::TSprite* frame = TableSprite(1087)) frame->Draw(surface, 0, L + 75 - frame->HotX, T + 95 - frame->HotY, nullptr);
    DrawCentredText(StandardFont(27), surface, L + 270, T + 30, Unit->Name, 0, nullptr);
    if (Gfx::TFont* font = StandardFont(4)) {
      const GameData::TUnitProperties& e = Unit->Effective;
      const auto text = [&](i32 x, i32 y, const std::string& s, u32 colour) {
        font->DrawText(surface, L + x, T + y, s, Gfx::PackRGB565(colour), nullptr);
        return font->TextWidth(s);
      };
      text(LabelX, 75, "Level:", Black);
      text(ValueX, 75, Base::Format("%d", e.Level), Black);
      text(LabelX, 91, "Erfahrung:", Black);
      text(ValueX, 91, Base::Format("%d (%d)", e.Experiences, e.ExperienceForLevel(e.Level + 1)), Black);
      i32 y = 123;
      const auto line = [&](const char* label, bool indent, i32 property) {
        text(indent ? IndentX : LabelX, y, label, Black);
        i32 x = ValueX;
        for (const TDetailPiece& p : PropertyPieces(*Unit, property)) x += text(x, y, p.Text, p.Colour);
        y += 16;
      };
      const auto regeneration = [&](const GameData::TUnitProperty& p, i32 property) {
        if (p.Current > 0) line("Regeneration", true, property);
      };
      // Property indexes in record order.
      constexpr i32 HitPoints = 0, HPRegenerate = 1, Mana = 2, ManaRegenerate = 3, ActionPoints = 4,
                    MoraleRegenerate = 5, Attack = 6, CounterAttack = 7, Defence = 8, Sight = 9;
      line("Trefferpunkte:", false, HitPoints);
      regeneration(e.HPRegenerate, HPRegenerate);
      line("Aktionspunkte:", false, ActionPoints);
      line("Mana:", false, Mana);
      regeneration(e.ManaRegenerate, ManaRegenerate);
      text(LabelX, y, "Moral:", Black);
      text(ValueX, y, Base::Format("%d/%d", e.Morale, Global() ? Global()->MaxMorale : 0), Black);
      y += 16;
      regeneration(e.MoraleRegenerate, MoraleRegenerate);
      y += 16;
      line("Sicht:", false, Sight);
      line("Angriff:", false, Attack);
      line("Gegenangriff:", false, CounterAttack);
      line("Abwehr:", false, Defence);

      text(40, 350, "Aktive Spr\xFC" "che:", Black);
      const Base::TRect spellClip = Moved(SpellArea, L, T);
      for (const TShownSpell& s : ShownSpells()) {
        const GameData::TSpellPrototype* spell = SpellOf(s.SpellID);
        Gfx::TSprite* icon = Global()->SpellSpriteList.FindLoadedSprite(spell->IconID);
        // Without an icon the turns sit where a square icon would end.
        const i32 right = L + s.Square.Left + (icon ? icon->Width : 40), bottom = T + s.Square.Top + (icon ? icon->Height : 40);
        if (icon) icon->Draw(surface, 0, L + s.Square.Left, T + s.Square.Top, &spellClip);
        const GameData::TAfterEffect* effect = nullptr;
        for (const GameData::TAfterEffect* a : Unit->AfterEffects)
          if (a->EffectID == s.SpellID) {
            effect = a;
            break;
          }
        const std::string turns = Base::Format("(%d)", effect ? effect->TurnsLeft : 0);
        font->DrawText(surface, right - font->TextWidth(turns), bottom - font->Height, turns, 0, &spellClip);
      }
      text(270, 350, "F\xE4higkeiten/Gegenst\xE4nde:", Black);
      const Base::TRect skillClip = Moved(SkillArea, L, T);
      for (const TShownSkill& s : ShownSkills()) {
        const std::string shown = SkillLine(*Unit, SkillOf(s.SkillID)->Name, s.SkillID, font, 250);
        font->DrawText(surface, L + s.Line.Left, T + s.Line.Top, shown, 0, &skillClip);
      }
    }
  }
  TOrvWindow::Draw(surface, rect);
}

}  // namespace Main
