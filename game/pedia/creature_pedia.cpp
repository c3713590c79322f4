#include "game/pedia/creature_pedia.h"

#include <memory>

#include "controls/standard_font.h"
#include "engine/dxwin/button.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/font.h"
#include "engine/gfx/sprite.h"
#include "engine/gfx/sprite_list.h"
#include "game/control/game.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/data2/prototypes.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace Main {

namespace {

constexpr i32 TextFontNumber = 4, TextWidth = 288, TextTop = 285, TextLeft = 429, PageCursorSlot = 22;

struct TAreaInfo {
  Base::TRect Bounds;
  const char* Caption;
  i32 Key;
  bool PageCursor;
};
const TAreaInfo AreaInfos[CreatureAreaCount] = {
    {{0, 525, 494, 600}, "Schlie\xDF" "en", scCreatureClose, false},
    {{744, 57, 784, 489}, "N\xE4" "chste Seite", scCreatureNextPage, true},
    {{23, 59, 63, 481}, "Vorherige Seite", scCreaturePreviousPage, true},
    {{518, 513, 548, 575}, "Tiere/Kreaturen", scCreatureCategory1, false},
    {{598, 513, 628, 575}, "Menschen", scCreatureCategory1 + 1, false},
    {{668, 513, 698, 575}, "Untote", scCreatureCategory1 + 2, false},
};

const TShortcutKey* Binding(i32 index) { return Game ? &Game->Shortcuts[index] : nullptr; }

}  // namespace

std::string CreatureValueText(const GameData::TUnitProperty& p, i32 level) {
  std::string text = std::to_string(p.ValueAt(level));
  if (p.Delta >= 1 && p.Every >= 1) text += " + " + std::to_string(p.Delta) + "/" + std::to_string(p.Every);
  return text;
}

std::vector<TCreatureLine> CreatureLines(const GameData::TUnitPrototype& u, i32 normalMorale) {
  const GameData::TUnitProperties& p = u.Properties;
  const i32 level = p.Level;
  std::vector<TCreatureLine> lines;
  lines.push_back({TextLeft, 122, u.Hero ? "Attribute auf Level 1:" : "Typische Attribute auf Level 1:"});
  auto grows = [](const GameData::TUnitProperty& r) { return r.Base >= 1 || r.Delta >= 1; };
  i32 y = 152;
  auto left = [&](i32 x, const char* label, const std::string& value) {
    lines.push_back({x, y, label});
    lines.push_back({519, y, value});
    y += 16;
  };
  left(429, "Trefferpunkte:", CreatureValueText(p.HitPoints, level));
  if (grows(p.HPRegenerate)) left(439, "Regeneration", CreatureValueText(p.HPRegenerate, level));
  left(429, "Aktionspunkte:", CreatureValueText(p.ActionPoints, level));
  left(429, "Mana:", CreatureValueText(p.Mana, level));
  if (grows(p.ManaRegenerate)) left(439, "Regeneration", CreatureValueText(p.ManaRegenerate, level));
  left(429, "Moral:", std::to_string(normalMorale));
  if (grows(p.MoraleRegenerate)) left(439, "Regeneration", CreatureValueText(p.MoraleRegenerate, level));
  const std::pair<const char*, const GameData::TUnitProperty*> right[] = {
      {"Sicht:", &p.Sight}, {"Angriff:", &p.Attack}, {"Gegenangriff:", &p.CounterAttack}, {"Abwehr:", &p.Defence}};
  y = 152;
  for (const auto& [label, property] : right) {
    lines.push_back({590, y, label});
    lines.push_back({670, y, CreatureValueText(*property, level)});
    y += 16;
  }
  return lines;
}

TCreaturePediaWindow::TCreaturePediaWindow(DXWin::TDXWindowSystem* windowSystem, GameData::TScenario* scenario)
    : TOrvWindow(windowSystem, 0x110000, 0), Scenario(scenario) {
  SetSize(800, 600);
  OnMouseDown = DXWin::TMouseEvent::Of<&TCreaturePediaWindow::ButtonPressed>(this);
  OnKeyDown = DXWin::TKeyEvent::Of<&TCreaturePediaWindow::KeyPressed>(this);
  OnUpdate = DXWin::TNotifyEvent::Of<&TCreaturePediaWindow::Frame>(this);
  for (i32 i = 0; i < CreatureAreaCount; ++i) {
    const TAreaInfo& a = AreaInfos[i];
    auto* area = new DXWin::TDXButton(this, this, 0);
    area->SetBounds(a.Bounds);
    const TShortcutKey* key = Binding(a.Key);
    area->Hint = key ? key->FormatHint(a.Caption) : a.Caption;
    area->Tag = static_cast<u32>(i);
    area->OnClick = DXWin::TNotifyEvent::Of<&TCreaturePediaWindow::AreaClicked>(this);
    if (a.PageCursor && Data2::MainData) area->SetCursor(Data2::MainData->InterfaceSprites[PageCursorSlot]);
    Areas[i] = area;
  }
  if (Data2::GlobalData) {
    try {
      TitleFont = Data2::GlobalData->AcquireFont(27);
    } catch (const std::exception&) {
      TitleFont = nullptr;
    }
  }
  Fill();
  UpdateButtons();
}

TCreaturePediaWindow::~TCreaturePediaWindow() {
  ReleasePicture();
  if (TitleFont && Data2::GlobalData) Data2::GlobalData->ReleaseFont(TitleFont);
  DescriptionText.Clear();
}

void TCreaturePediaWindow::ReleasePicture() {
  if (CreaturePicture && Data2::GlobalData) Data2::GlobalData->WindowSpriteList.ReleaseSprite(CreaturePicture);
  CreaturePicture = nullptr;
}

TCreatureCategory* TCreaturePediaWindow::CategoryAt(i32 index) {
  return index == 0 ? &Animals : index == 1 ? &Humans : index == 2 ? &Undead : nullptr;
}

void TCreaturePediaWindow::Fill() {
  if (!Scenario) return;
  for (TCreatureCategory* c : {&Animals, &Humans, &Undead}) {
    c->Entries.clear();
    c->Index = 0;
  }
  const GameData::TPlayer* campaignPlayer = Scenario->PlayerAt(1);
  if (campaignPlayer && Data2::GlobalData) {
    const Data2::TGlobalData& g = *Data2::GlobalData;
    for (i32 id : campaignPlayer->SeenPrototypes) {
      const i32 index = g.FindUnitPrototype(static_cast<u32>(id));
      if (index < 0) continue;
      const GameData::TUnitPrototype& u = g.UnitPrototypes[index];
      if (u.BookPictureID == 0) continue;
      (u.Kind == 1 ? Humans : u.Kind == 4 ? Undead : Animals).Entries.push_back(&u);
    }
  }
  for (TCreatureCategory* c : {&Animals, &Humans, &Undead})
    if (!c->Entries.empty()) {
      ShowEntry(c, c->Index);
      break;
    }
}

void TCreaturePediaWindow::ShowEntry(TCreatureCategory* category, i32 index) {
  if (!category || index < 0 || index >= static_cast<i32>(category->Entries.size())) return;
  const GameData::TUnitPrototype& u = *category->Entries[index];
  ReleasePicture();
  if (Data2::GlobalData) CreaturePicture = Data2::GlobalData->WindowSpriteList.FindSprite(u.BookPictureID);
  DescriptionText.Clear();
  MoreText.clear();
  if (Gfx::TFont* font = StandardFont(TextFontNumber)) {
    std::string text = font->WrapText(TextWidth, u.Description);
    const std::string full = text;
    font->AbbreviateToBox(text, TextWidth, -1, TextBox.Bottom - TextTop);
    if (text != full) {
      std::size_t cut = text.size() >= 3 ? text.size() - 3 : 0;
      std::size_t from = std::min(cut, full.size());
      while (from < full.size() && (full[from] == '\r' || full[from] == '\n' || full[from] == ' ')) ++from;
      MoreText = "..." + full.substr(from);
      text += '\r';
    }
    DescriptionText.Add(font, 0, 0, 0, text, Gfx::ckLastWord);
    DescriptionText.Justify(TextWidth);
  }
  Category = category;
  category->Index = index;
}

const GameData::TUnitPrototype* TCreaturePediaWindow::Shown() const {
  if (!Category || Category->Index < 0 || Category->Index >= static_cast<i32>(Category->Entries.size())) return nullptr;
  return Category->Entries[Category->Index];
}

void TCreaturePediaWindow::UpdateButtons() {
  const i32 index = Category ? Category->Index : 0;
  const i32 count = Category ? static_cast<i32>(Category->Entries.size()) : 0;
  Areas[caPrevious]->SetVisible(Category && index >= 1);
  Areas[caNext]->SetVisible(Category && index < count - 1);
  for (i32 c = 0; c < 3; ++c) {
    Areas[caAnimals + c]->Show();
    Areas[caAnimals + c]->SetEnabled(!CategoryAt(c)->Entries.empty());
  }
}

void TCreaturePediaWindow::PreviousPage() {
  if (!Category) return;
  if (Category->Index > 0) ShowEntry(Category, Category->Index - 1);
  UpdateButtons();
}

void TCreaturePediaWindow::NextPage() {
  if (!Category) return;
  if (Category->Index < static_cast<i32>(Category->Entries.size()) - 1) ShowEntry(Category, Category->Index + 1);
  UpdateButtons();
}

void TCreaturePediaWindow::FirstEntry() {
  if (!Category) return;
  ShowEntry(Category, 0);
  UpdateButtons();
}

void TCreaturePediaWindow::LastEntry() {
  if (!Category) return;
  ShowEntry(Category, static_cast<i32>(Category->Entries.size()) - 1);
  UpdateButtons();
}

void TCreaturePediaWindow::ChooseCategory(i32 category) {
  DXWin::TDXButton* area = category >= 0 && category < 3 ? Areas[caAnimals + category] : nullptr;
  if (!area || !area->IsVisible() || !area->IsEnabled()) return;
  TCreatureCategory* c = CategoryAt(category);
  if (c != Category) ShowEntry(c, c->Index);
  UpdateButtons();
}

void TCreaturePediaWindow::Finish() {
  SetModalResult(1);
  Close();
}

void TCreaturePediaWindow::AreaClicked(DXWin::TDXControl* c) {
  switch (static_cast<i32>(c->Tag)) {
    case caClose: Finish(); break;
    case caNext: NextPage(); break;
    case caPrevious: PreviousPage(); break;
    default: ChooseCategory(static_cast<i32>(c->Tag) - caAnimals); break;
  }
}

void TCreaturePediaWindow::ButtonPressed(int button, DXWin::TShiftState, int, int) {
  if (button == DXWin::mbRight) Finish();
}

void TCreaturePediaWindow::KeyPressed(Plat::WPARAM& key, DXWin::TShiftState shift) {
  if (shift & (DXWin::ssShift | DXWin::ssCtrl | DXWin::ssAlt)) return;
  auto matches = [&](i32 index) {
    const TShortcutKey* k = Binding(index);
    return k && k->Matches(key);
  };
  if (matches(scCreatureClose))
    Finish();
  else if (matches(scCreaturePreviousPage))
    PreviousPage();
  else if (matches(scCreatureNextPage))
    NextPage();
  else if (matches(scCreatureFirstEntry))
    FirstEntry();
  else if (matches(scCreatureLastEntry))
    LastEntry();
  else
    for (i32 c = 0; c < 3; ++c)
      if (matches(scCreatureCategory1 + c)) ChooseCategory(c);
}

void TCreaturePediaWindow::Frame(DXWin::TDXControl*) {
  if (!WindowSystem) return;
  const Plat::TPoint p = ScreenToClient({WindowSystem->MouseX, WindowSystem->MouseY});
  Hint = Base::PointInRect(TextBox, p.X, p.Y) ? MoreText : "";
}

void TCreaturePediaWindow::Draw(Plat::TSurface* surface, const Base::TRect& rect) {
  if (CreaturePicture) {
    const GameData::TUnitPrototype* u = Shown();
    CreaturePicture->Draw(surface, 0, rect.Left, rect.Top, &rect);
    Gfx::TFont* text = StandardFont(TextFontNumber);
    if (u) {
      if (TitleFont) TitleFont->DrawText(surface, rect.Left + TextLeft, rect.Top + 72, u->Name, 0, &rect);
      if (u->Hero && text) text->DrawText(surface, rect.Left + TextLeft, rect.Top + 95, "(hero)", 0, &rect);
      const Base::TRect clip{rect.Left + TextBox.Left, rect.Top + TextBox.Top, rect.Left + TextBox.Right,
                             rect.Top + TextBox.Bottom};
      DescriptionText.Draw(surface, rect.Left + TextLeft, rect.Top + TextTop, &clip);
      if (text)
        for (const TCreatureLine& l : CreatureLines(*u, Data2::GlobalData ? Data2::GlobalData->NormalMorale : 0))
          text->DrawText(surface, rect.Left + l.X, rect.Top + l.Y, l.Text, 0, &rect);
    }
  }
  TOrvWindow::Draw(surface, rect);
}

// The controller's part: the book over a deactivated game.
void TGame::ShowCreaturePedia() {
  if (!Scenario) return;
  Deactivate();
  if (WindowSystem) WindowSystem->SetOverrideCursor(nullptr);
  {
    auto book = std::make_unique<TCreaturePediaWindow>(WindowSystem, Scenario.get());
    if (WindowSystem) book->ShowModal(true);
  }
  Activate();
}

}  // namespace Main
