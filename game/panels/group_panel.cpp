#include "game/panels/group_panel.h"

#include <cstdlib>

#include "controls/click_sound.h"
#include "game/control/game.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/panels/group_panel.h"
#include "game/map/map_window.h"
#include "game/panels/spell_book.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"
#include "world/units/unit.h"

namespace Main {

namespace {

constexpr i32 SlideTime = 100;

GameData::TPlayer* CurrentOf(const GameData::TScenario* s) { return s ? s->PlayerAt(s->CurrentPlayerIndex) : nullptr; }

template <class T>
void AssignIfChanged(T& field, const T& value) {
  if (field != value) field = value;
}

}  // namespace

TGroupInfoWindow::TGroupInfoWindow(DXWin::TDXWindowSystem* windowSystem) : TOrvWindow(windowSystem, 0, 0) {
  SetBounds({ScreenRight, WindowTop, ScreenRight + Width, WindowTop + 3 * SlotPitch});
  OnUpdate = DXWin::TNotifyEvent::Of<&TGroupInfoWindow::UpdateClosure>(this);
  for (i32 i = 0; i < 3; ++i) {
    auto* panel = new TUnitInfoControl(this, this, DXWin::cfVisible | DXWin::cfEnabled, plGroupPanel);
    panel->SetPosition(Width, SlotPitch * i);
    panel->SetDetailWindowPos(20, 20);
    panel->SpellButton->Hint = Game ? Game->Shortcuts[scPanelSpellBook1 + i].FormatHint("Zauberbuch") : "Zauberbuch";
    panel->PortraitButton->Tag = static_cast<u32>(i);
    panel->SpellButton->Tag = static_cast<u32>(i);
    panel->PortraitButton->OnClick = DXWin::TNotifyEvent::Of<&TGroupInfoWindow::PortraitClicked>(this);
    panel->SpellButton->OnClick = DXWin::TNotifyEvent::Of<&TGroupInfoWindow::SpellClicked>(this);
    Panels[i] = panel;
  }
}

TGroupInfoWindow::~TGroupInfoWindow() = default;

void TGroupInfoWindow::SlideWindow(i32 x, i32 y, i32 duration) {
  if (x == Left && y == Top) return;
  SlideStart = PanelTime();
  SlideFromX = Left;
  SlideFromY = Top;
  SlideToX = x;
  SlideToY = y;
  SlideDuration = duration;
  Sliding = 1;
}

void TGroupInfoWindow::ShowPanel() {
  if (State == psShown) return;
  SlideWindow(ScreenRight - Width, Top, SlideTime);
  State = psShown;
}

void TGroupInfoWindow::HidePanel() {
  if (State == psHidden) return;
  SlideWindow(ScreenRight, Top, SlideTime);
  State = psHidden;
}

void TGroupInfoWindow::PlaceOut(i32 slot) { Panels[slot]->SetPosition(Width, SlotPitch * slot); }

void TGroupInfoWindow::SetUpButtons(i32 slot) {
  TUnitInfoControl& panel = *Panels[slot];
  GameData::TPlayer* current = CurrentOf(Scenario);
  const bool own = current && Group && current->GetRelationToGroup(Group) == GameData::rSelf &&
                   Scenario->ViewingPlayer && Scenario->ViewingPlayer->Kind == GameData::pkHuman;
  AssignIfChanged(panel.PortraitButton->Hint, std::string(own ? PanelLayout(panel.Layout).PortraitHint : ""));
  if (own && panel.Unit && panel.Unit->HasCastableSpell())
    panel.SpellButton->Show();
  else
    panel.SpellButton->Hide();
}

void TGroupInfoWindow::UpdatePanels() {
  GameData::TPlayer* current = CurrentOf(Scenario);
  GameData::TPlayer* viewer = Scenario ? Scenario->ViewingPlayer : nullptr;
  Group = current && viewer && current == viewer ? viewer->GetActingGroup() : nullptr;
  if (Group) {
    const bool hoverable = Group->GetOwner() == viewer && viewer->Kind == GameData::pkHuman;
    for (i32 i = 0; i < 3; ++i) {
      Panels[i]->Hoverable = hoverable ? 1 : 0;
      Panels[i]->Marked = Group->SplitMarks[i];
    }
    if (State == psHidden) {
      if (Sliding == 0) {
        for (i32 i = 0; i < 3; ++i) {
          if (GameData::TUnit* unit = Group->Units[i]) {
            Panels[i]->SetUnit(unit);
            SetUpButtons(i);
            Panels[i]->SetPosition(0, SlotPitch * i);
            PanelStates[i] = psShown;
          } else {
            Panels[i]->SetUnit(nullptr);
            PlaceOut(i);
            PanelStates[i] = psHidden;
          }
        }
        ShowPanel();
      }
    } else {
      for (i32 i = 0; i < 3; ++i) {
        TUnitInfoControl& panel = *Panels[i];
        if (GameData::TUnit* unit = Group->Units[i]) {
          panel.SetUnit(unit);
          SetUpButtons(i);
          if (PanelStates[i] == psHidden) {
            panel.SlideTo(0, SlotPitch * i, SlideTime);
            PanelStates[i] = psShown;
          }
        } else if (panel.Unit) {
          panel.SetUnit(nullptr);
          if (PanelStates[i] == psShown) {
            panel.SlideTo(Width, SlotPitch * i, SlideTime);
            PanelStates[i] = psHidden;
          } else {
            PlaceOut(i);
          }
        } else {
          PlaceOut(i);
        }
      }
    }
  } else {
    if (Sliding == 0) HidePanel();
    for (i32 i = 0; i < 3; ++i) {
      TUnitInfoControl& panel = *Panels[i];
      panel.SetUnit(nullptr);
      if (std::abs(panel.Left - Width) <= Width && std::abs(panel.Top - SlotPitch * i) <= Width)
        panel.SlideTo(Width, SlotPitch * i, SlideTime);
      else
        PlaceOut(i);
    }
  }
  i32 n = 0;
  for (i32 i = 0; i < 3; ++i)
    if (Panels[i]->Sliding) n = i + 1;
  SetSize(Width, SlotPitch * (Group ? std::max(n, Group->GetUnitCount()) : n));
  if (Sliding == 1) {
    const i32 t = static_cast<i32>(PanelTime() - SlideStart);
    if (t <= SlideDuration && SlideDuration > 0) {
      SetPosition(SlideFromX + (SlideToX - SlideFromX) * t / SlideDuration,
                  SlideFromY + (SlideToY - SlideFromY) * t / SlideDuration);
    } else {
      SetPosition(SlideToX, SlideToY);
      Sliding = 0;
    }
  }
  const bool busy = Scenario && Scenario->IsBusy();
  for (TUnitInfoControl* panel : Panels)
    for (DXWin::TDXControl* button : {static_cast<DXWin::TDXControl*>(panel->PortraitButton),
                                      static_cast<DXWin::TDXControl*>(panel->SpellButton)}) {
      if (busy)
        button->Disable();
      else
        button->Enable();
    }
}

void TGroupInfoWindow::ToggleMark(i32 slot) {
  if (!Scenario || !Group || slot < 0 || slot > 2) return;
  if (Game && Game->MapWindow && Game->MapWindow->HasDepartingGroup()) return;
  GameData::TPlayer* owner = Group->GetOwner();
  if (!owner || owner != Scenario->ViewingPlayer || owner->Kind != GameData::pkHuman) return;
  GameData::TActionRecord r;
  r.Words[0] = GameData::atMarkUnits;
  for (i32 i = 0; i < 3; ++i) {
    u32 mark = Group->SplitMarks[i];
    if (i == slot) mark = mark == 0 ? 1 : 0;
    r.Words[1] |= (mark & 0xFF) << (8 * i);
  }
  owner->PostAction(true, r);
  PlayClickSound();
}

void TGroupInfoWindow::OpenSpellBook(i32 slot) {
  if (!Group || Group->IsDepartingCityGroup() || slot < 0 || slot >= Group->GetUnitCount()) return;
  GameData::TUnit* unit = Group->Units[slot];
  if (!unit || !unit->HasCastableSpell()) return;
  PlayClickSound();
  if (!Scenario) return;
  const i32 chosen = ChooseSpell(WindowSystem, unit, SpellUsageMap);
  if (!Game) return;
  Game->ArmedSpell = chosen;
  Game->ArmedCaster = chosen != 0 ? slot : 0;
}

}  // namespace Main
