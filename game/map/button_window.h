// The round panel in the bottom right corner of the map screen with the
// seven command buttons of the local human whose turn it is; during any
// other player's turn it shows that player's portrait instead. The map
// window's keys run the same click operations.
#pragma once

#include <array>

#include "controls/orv_window.h"
#include "engine/dxwin/button.h"

namespace GameData {
class TScenario;
}

namespace Main {

// A command button: a sprite-table picture for rest and one for hovering,
// centred on the button by its hot spot.
class TCommandButton : public DXWin::TDXButton {
 public:
  TCommandButton(DXWin::TDXWindow* window, i32 normalSlot, i32 hoveredSlot);

  i32 NormalSlot, HoveredSlot;

 private:
  void Paint(Plat::TSurface* surface, const Base::TRect& rect);
};

// Where each button sits, its pictures and its hint.
struct TCommandButtonInfo {
  i32 X, Y;
  i32 NormalSlot, HoveredSlot;
  i32 Shortcut;
  const char* Caption;
};
constexpr i32 CommandButtonCount = 7;
const TCommandButtonInfo& CommandButtonInfo(i32 index);

class TButtonWindow : public TOrvWindow {
 public:
  static constexpr Base::TRect Bounds{655, 455, 800, 600};

  explicit TButtonWindow(DXWin::TDXWindowSystem* windowSystem);
  ~TButtonWindow() override;

  void SetScenario(GameData::TScenario* scenario) { Scenario = scenario; }

  void EndTurnClick();
  void NextGroupClick();
  void NextActiveGroupClick();
  void CampClick();
  void CreatureBookClick();
  void DiaryClick();
  void MainMenuClick();
  // Every update step: the buttons during the local player's turn only.
  void UpdateButtons(DXWin::TDXControl* = nullptr);
  void PaintPanel(Plat::TSurface* surface, const Base::TRect& rect);

  GameData::TScenario* Scenario = nullptr;
  TCommandButton* EndTurnButton = nullptr;
  TCommandButton* NextGroupButton = nullptr;
  TCommandButton* NextActiveGroupButton = nullptr;
  TCommandButton* CampButton = nullptr;
  TCommandButton* CreatureBookButton = nullptr;
  TCommandButton* DiaryButton = nullptr;
  TCommandButton* MainMenuButton = nullptr;

 private:
  bool LocalTurn() const;
  void SelectNextGroup(bool withActionPoints);
  std::array<TCommandButton*, CommandButtonCount> AllButtons() const;
  void OnEndTurn(DXWin::TDXControl*) { EndTurnClick(); }
  void OnNextGroup(DXWin::TDXControl*) { NextGroupClick(); }
  void OnNextActiveGroup(DXWin::TDXControl*) { NextActiveGroupClick(); }
  void OnCamp(DXWin::TDXControl*) { CampClick(); }
  void OnCreatureBook(DXWin::TDXControl*) { CreatureBookClick(); }
  void OnDiary(DXWin::TDXControl*) { DiaryClick(); }
  void OnMainMenu(DXWin::TDXControl*) { MainMenuClick(); }
};

}  // namespace Main
