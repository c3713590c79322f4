// The group panel at the right edge of the map screen: the acting group of
// the local player whose turn it is, one unit panel per unit, sliding in and
// out. A portrait click toggles the unit's split mark; the spell-book button
// opens the unit's book and arms the chosen map spell.
#pragma once

#include "controls/orv_window.h"
#include "game/panels/unit_panel.h"

namespace GameData {
class TScenario;
class TGroup;
}  // namespace GameData

namespace Main {

enum TPanelState : i32 { psShown = 1, psHidden = 2 };

class TGroupInfoWindow : public TOrvWindow {
 public:
  static constexpr i32 Width = 238, SlotPitch = 104, ScreenRight = 800, WindowTop = 140;

  explicit TGroupInfoWindow(DXWin::TDXWindowSystem* windowSystem);
  ~TGroupInfoWindow() override;

  void SetScenario(GameData::TScenario* scenario) { Scenario = scenario; }
  // Every update step; the battle screen calls it after a battle too.
  void UpdatePanels();
  void ToggleMark(i32 slot);
  void OpenSpellBook(i32 slot);
  // Replaces any slide under way.
  void SlideWindow(i32 x, i32 y, i32 duration);
  void ShowPanel();
  void HidePanel();

  GameData::TScenario* Scenario = nullptr;
  GameData::TGroup* Group = nullptr;
  u32 SlideStart = 0;
  i32 SlideDuration = 0;
  i32 SlideFromX = 0, SlideFromY = 0;
  i32 SlideToX = 0, SlideToY = 0;
  i32 Sliding = 0;
  i32 Side = 2;
  i32 State = psHidden;
  TUnitInfoControl* Panels[3] = {};
  i32 PanelStates[3] = {psHidden, psHidden, psHidden};
  i32 SlotWidth = Width;
  i32 SlotHeight = SlotPitch;

 private:
  void UpdateClosure(DXWin::TDXControl*) { UpdatePanels(); }
  void PortraitClicked(DXWin::TDXControl* c) { ToggleMark(static_cast<i32>(c->Tag)); }
  void SpellClicked(DXWin::TDXControl* c) { OpenSpellBook(static_cast<i32>(c->Tag)); }
  void SetUpButtons(i32 slot);
  void PlaceOut(i32 slot);
};

}  // namespace Main
