// The menu's commands: each hands its work to the game controller and
// decides where the menu goes afterwards.
#include <memory>
#include <stdexcept>

#include "controls/text_buttons.h"
#include "engine/dpframe/dpframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "frontend/credits_window.h"
#include "frontend/game_link.h"
#include "frontend/loading_screen.h"
#include "frontend/main_menu.h"
#include "world/data2/global_data.h"

Main::TGameLink* Main::GameLink = nullptr;

namespace Main {

namespace {

// Player 1 the local human, every other a computer.
TGameParams DefaultParams() {
  TGameParams params{};
  params.SetDefaults();
  return params;
}

}  // namespace

void TMainMenu::ContinueGame() {
  ShowMainPage();
  Dismiss();
  if (GameLink) GameLink->Activate();
}

void TMainMenu::NewGame() {
  if (!GameLink || !LoadingScreen || !Data2::GlobalData || Data2::GlobalData->MissionCount < 1) return;
  Dismiss();
  try {
    const std::string mission = Data2::GlobalData->MissionFiles[0];
    LoadingScreen->RunMethod([&mission] { GameLink->LoadScenario(mission, 1); });
    // Asked to end while loading.
    if (DXApplication && DXApplication->Quit) return;
    // On the main thread: the save's thumbnail is taken of the screen.
    GameLink->AutoSaveMission();
    GameLink->StartGame(DefaultParams());
    GameLink->Activate();
  } catch (const std::exception&) {
    Open(mpMain);
    throw std::runtime_error("Error creating game!");
  }
}

void TMainMenu::SaveSelected() {
  if (!GameLink || !SaveListBox) return;
  const std::string fileName = SlotFileName(EntryOfRow(SaveListBox->ItemIndex));
  // A failure leaves the menu on its save page.
  GameLink->SaveGame(fileName, false, false);
  ContinueGame();
}

void TMainMenu::LoadSelected() {
  if (!GameLink || !LoadingScreen || !LoadListBox) return;
  const i32 row = LoadListBox->ItemIndex;
  const i32 entry = EntryOfRow(row);
  if (entry < 0) return;
  const std::string fileName = SlotFileName(entry);
  const bool missionStart = IsMissionStartRow(row);
  Dismiss();
  try {
    LoadingScreen->RunMethod([&fileName] { GameLink->LoadGame(fileName); });
  } catch (const std::exception&) {
    Open(mpMain);
    throw std::runtime_error("Error loading game!");
  }
  GameLink->BindLoadedGame();
  if (DXApplication && DXApplication->Quit) return;
  if (missionStart) {
    // The mission begins afresh with the default players.
    ShowMainPage();
    GameLink->StartGame(DefaultParams());
    GameLink->Activate();
  } else {
    ContinueGame();
  }
}

void TMainMenu::ShowCredits() {
  Dismiss();
  try {
    TCreditsWindow credits(WindowSystem);
    credits.Run();
  } catch (const std::exception&) {
    // The menu comes back before the failure is shown.
    Open(mpMain);
    throw;
  }
  Open(mpMain);
}

void TMainMenu::Quit() {
  if (DXApplication) DXApplication->Terminate();
}

void TMainMenu::CancelSlotPage() {
  if (OpenedFrom != mpMain)
    ContinueGame();
  else
    ShowMainPage();
}

void TMainMenu::MultiplayerClick() {
  if (!DPFramework) {
    ShowConnectionPage();
    return;
  }
  CloseNetwork();
  if (GameLink) GameLink->CloseScenario();
  MainButtons[mbMultiplayer]->Caption = MainButtons[mbMultiplayer]->Text = "Mehrspieler";
  MainButtons[mbMultiplayer]->Hint = "Starte Mehrspieler-Spiel";
}

}  // namespace Main
