// The last multiplayer pages: the scenario a host offers, and the lobby in
// which every machine chooses a party (or watches) and confirms; once every
// player is ready and no party is taken twice, each machine starts the same
// game by itself.
#include "controls/standard_font.h"
#include "controls/text_buttons.h"
#include "engine/base/base.h"
#include "engine/dpframe/dpframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/gfx/colors.h"
#include "engine/gfx/font.h"
#include "engine/gfx/screen.h"
#include "engine/platform/system/machine_names.h"
#include "frontend/game_link.h"
#include "frontend/loading_screen.h"
#include "frontend/main_menu.h"
#include "frontend/scenario_info.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"

namespace Main {

void DrawRowFrame(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected);

// Page 7.

void TMainMenu::ShowScenarioPage() {
  ScenarioListBox->ItemCount = Scenarios.Count();
  ScenarioListBox->TopIndex = 0;
  ScenarioListBox->ItemIndex = 0;
  ScenarioListBox->UpdateLayout();
  ScenarioListBox->Disable();
  PageButtons[mpScenario][pbConfirm]->Disable();
  PageButtons[mpScenario][pbCancel]->Disable();
  EnterPage(mpScenario);
  Groups[mpScenario]->Show();
}

void TMainMenu::UpdateScenarioPage() {
  ScenarioListBox->Enable();
  PageButtons[mpScenario][pbCancel]->Enable();
  PageButtons[mpScenario][pbConfirm]->SetEnabled(ScenarioListBox->ItemCount > 0);
}

void TMainMenu::HostSelectedScenario() {
  const i32 row = ScenarioListBox->ItemIndex;
  if (!DPFramework || row < 0 || row >= Scenarios.Count()) return;
  CreateSession(row);
  CreateLocalPlayer();
  EnterLobby();
}

void TMainMenu::CreateSession(int scenario) {
  SelectedScenario = scenario;
  const TScenarioInfo& info = *Scenarios[scenario];
  DPFramework->HostSession(Plat::ComputerName().c_str(), HostedSessionFlags, MaxSessionPlayers, ProgramVersion,
                           info.ScenarioNetworkID, info.Parties, 0);
}

// The local player.

void TMainMenu::CreateLocalPlayer() {
  const std::string name = Base::Format("%s (%s)", Plat::UserName().c_str(), Plat::ComputerName().c_str());
  DPFramework->CreatePlayer(name.c_str(), &LocalPlayerDPID);
  SetLocalPlayerData(0, 0);
}

void TMainMenu::DestroyLocalPlayer() {
  if (DPFramework && LocalPlayerDPID != 0) DPFramework->DestroyPlayer(LocalPlayerDPID);
  LocalPlayerDPID = 0;
}

void TMainMenu::SetLocalPlayerData(u32 party, u32 ready) {
  const TLobbyPlayerData data{party, static_cast<u8>(ready != 0)};
  const auto block = data.Write();
  DPFramework->SetPlayerData(LocalPlayerDPID, block.data(), static_cast<u32>(block.size()), Plat::DPSET_GUARANTEED);
}

bool TMainMenu::IsHost() const { return DPFramework && DPFramework->IsHost; }

// Page 6.

void TMainMenu::EnterLobby() {
  Hide();
  ShowMainPage();
  const std::string fileName = SelectedScenario >= 0 ? Scenarios[SelectedScenario]->FileName : std::string();
  try {
    auto load = [&fileName] {
      GameLink->LoadScenario(fileName, 1);
      if (GameData::TScenario* s = GameLink->CurrentScenario()) s->ForgetUnlearnedSpells();
    };
    if (!GameLink || fileName.empty()) throw std::runtime_error("No scenario to play.");
    if (LoadingScreen)
      LoadingScreen->RunMethod(load);
    else
      load();
  } catch (...) {
    // Back on the session page with the transport kept, then the failure.
    Show();
    DestroyLocalPlayer();
    DPFramework->CloseSession();
    ShowSessionPage();
    throw;
  }
  Show();
  DPFramework->ClearPlayers();
  PartyListBox->ItemCount = static_cast<i32>(Scenarios[SelectedScenario]->Parties) + 1;
  PartyListBox->TopIndex = 0;
  PartyListBox->ItemIndex = 0;
  PartyListBox->UpdateLayout();
  PartyListBox->Disable();
  PageButtons[mpLobby][pbConfirm]->Disable();
  PageButtons[mpLobby][pbCancel]->Disable();
  EnterPage(mpLobby);
  Groups[mpLobby]->Show();
  ReadPlayerTable();
}

void TMainMenu::ReadPlayerTable() {
  LobbyTable.Players.clear();
  const u32 parties = SelectedScenario >= 0 && SelectedScenario < Scenarios.Count() ? Scenarios[SelectedScenario]->Parties : 0;
  if (DPFramework) {
    try {
      DPFramework->EnumPlayers(0);
    } catch (const DPFrame::EDirectPlayError&) {
      // A lost session has no players; its message ends the lobby.
      DPFramework->ClearPlayers();
    }
    for (const DPFrame::TPlayerInfo* p : DPFramework->Players) {
      if (LobbyTable.Players.size() >= MaxSessionPlayers) break;
      std::vector<u8> block;
      try {
        DPFramework->GetPlayerData(p->ID, block, 0);
      } catch (const DPFrame::EDirectPlayError&) {
        // Gone since the list was taken: it counts as watching, not ready.
        block.clear();
      }
      LobbyTable.Players.push_back({p->ID, p->Name.ShortName, TLobbyPlayerData::Read(block, parties)});
    }
  }
  LobbyAllReady = LobbyTable.AllReady();
  LobbyConflict = LobbyTable.HasPartyConflict();
}

bool TMainMenu::PollLobbyMessages() {
  while (!(LobbyAllReady && !LobbyConflict)) {
    Plat::DPID from = 0;
    std::vector<u8> message;
    if (!DPFramework->Receive(&from, LocalPlayerDPID, Plat::DPRECEIVE_TOPLAYER, message)) return false;
    // A game message: the game is already under way elsewhere.
    if (from != Plat::DPID_SYSMSG) return true;
    if (message.size() < 4) continue;
    const u32 code = static_cast<u32>(message[0]) | static_cast<u32>(message[1]) << 8 |
                     static_cast<u32>(message[2]) << 16 | static_cast<u32>(message[3]) << 24;
    switch (code) {
      case Plat::DPSYS_SETPLAYERORGROUPDATA:
      // A player who came or went changes the table as well: a party of one
      // who left must not hold up or start the game.
      case Plat::DPSYS_CREATEPLAYERORGROUP:
      case Plat::DPSYS_DESTROYPLAYERORGROUP: ReadPlayerTable(); break;
      case Plat::DPSYS_SESSIONLOST:
      case Plat::DPSYS_HOST: return true;
      default: break;
    }
  }
  return false;
}

void TMainMenu::UpdateLobby() {
  if (!DPFramework) return;
  PartyListBox->Enable();
  if (PollLobbyMessages()) {
    LeaveLobby();
    return;
  }
  if (LobbyAllReady && !LobbyConflict) {
    StartNetworkGame();
    return;
  }
  const bool ready = IsLocalReady();
  PageButtons[mpLobby][pbConfirm]->SetEnabled(LobbyTable.CanConfirm(LocalPlayerDPID, IsHost()));
  PageButtons[mpLobby][pbCancel]->SetEnabled(!ready);
  PartyListBox->SetEnabled(!ready);
}

void TMainMenu::PartyClick(DXWin::TDXControl*) {
  if (Page == mpLobby && PartyListBox->IsEnabled()) ChooseParty();
}

void TMainMenu::ChooseParty() {
  if (PartyListBox->ItemIndex < 0) return;
  SetLocalPlayerData(static_cast<u32>(PartyListBox->ItemIndex), 0);
  ReadPlayerTable();
}

void TMainMenu::ConfirmParty() {
  SetLocalPlayerData(LocalParty(), 1);
  ReadPlayerTable();
}

void TMainMenu::LeaveLobby() {
  if (GameLink) GameLink->CloseScenario();
  DestroyLocalPlayer();
  if (DPFramework) DPFramework->CloseSession();
  LobbyTable.Players.clear();
  LobbyAllReady = LobbyConflict = 0;
  ShowSessionPage();
}

void TMainMenu::StartNetworkGame() {
  ShowMainPage();
  Dismiss();
  const bool host = IsHost();
  if (host) {
    // No one joins a game under way.
    Plat::DPSESSIONDESC2 desc;
    DPFramework->GetSessionDesc(&desc);
    desc.dwFlags |= StartedSessionFlags;
    DPFramework->SetSessionDesc(&desc);
  }
  const TGameParams params = NetworkGameParams(LobbyTable, LocalPlayerDPID, host);
  LobbyTable.Players.clear();
  LobbyAllReady = LobbyConflict = 0;
  if (!GameLink) return;
  GameLink->StartGame(params);
  GameLink->Activate();
}

// Drawing.

std::string TMainMenu::ScenarioPlayerName(u32 player) const {
  const GameData::TScenario* s = GameLink ? GameLink->CurrentScenario() : nullptr;
  const GameData::TPlayer* p = s ? s->PlayerAt(static_cast<i32>(player)) : nullptr;
  return p ? p->Name : std::string();
}

void TMainMenu::DrawScenarioRow(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
  Gfx::TFont* font = StandardFont(4);
  if (font && index >= 0 && index < Scenarios.Count()) {
    const TScenarioInfo& info = *Scenarios[index];
    std::string title = info.Description;
    font->AbbreviateToWidth(title, row.Right - row.Left - 12, -1);
    font->DrawText(surface, row.Left + 6, row.Top + 6, title, Gfx::PackRGB565(0xABCDEF), &row);
    const std::string details = Base::Format("Parteien: %d, Gr\xF6\xDF" "e %dx%d, Version %d.%d", static_cast<int>(info.Parties),
                                             info.MapWidth, info.MapHeight, 1, 0);
    font->DrawText(surface, row.Left + 6, row.Top + 40, details, Gfx::PackRGB565(0xA0A0A0), &row);
  }
  DrawRowFrame(surface, row, hot, selected);
}

void TMainMenu::DrawPartyRow(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
  Gfx::TFont* font = StandardFont(4);
  if (font && index >= 0 && index <= static_cast<int>(MaxParties)) {
    const std::string name = index == 0 ? std::string("Zuschauer") : ScenarioPlayerName(static_cast<u32>(index));
    font->DrawText(surface, row.Left + 10, row.Top + 3, name, Gfx::PackRGB565(Gfx::PlayerColors[index]), &row);
  }
  DrawRowFrame(surface, row, hot && PartyListBox->IsEnabled(), selected);
}

void TMainMenu::DrawLobby(Plat::TSurface* surface) {
  Gfx::TFont* font = StandardFont(4);
  if (!font || SelectedScenario < 0 || SelectedScenario >= Scenarios.Count()) return;
  const Base::TRect list = PartyListBox->GetScreenRect();
  Gfx::FillRect(surface, Left + 113, list.Bottom + 10, 437, 1, Gfx::PackRGB565(0x303030), nullptr);
  i32 y = list.Bottom + 17;
  const i32 x = Left + 125, width = 405;
  auto block = [&](const std::string& text, u32 colour, bool mark) {
    const std::string wrapped = font->WrapText(width, text);
    font->DrawText(surface, x, y, wrapped, Gfx::PackRGB565(colour), nullptr);
    if (mark) font->DrawText(surface, Left + 120, y, "!", Gfx::PackRGB565(0xFF0000), nullptr);
    y += font->TextHeight(wrapped);
  };
  const u32 parties = Scenarios[SelectedScenario]->Parties;
  for (u32 p = 1; p <= parties && p <= MaxParties; ++p)
    block(ScenarioPlayerName(p) + ": " + LobbyTable.NamesOfParty(p), Gfx::PlayerColors[p], LobbyTable.IsPartyTakenTwice(p));
  block("Zuschauer: " + LobbyTable.NamesOfParty(0), Gfx::PlayerColors[0], false);
}

}  // namespace Main
