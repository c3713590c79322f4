// The controller's life, loading and starting scenarios, showing and hiding
// the game, the music around battles and the message ticker.
#include "game/control/game.h"

#include <cstdlib>
#include <mutex>

#include "engine/data/archive.h"
#include "engine/dpframe/dpframe.h"
#include "engine/dsframe/dsframe.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/colors.h"
#include "engine/platform/system/clock.h"
#include "frontend/front_end.h"
#include "frontend/main_menu.h"
#include "controls/labels.h"
#include "controls/scenario_book.h"
#include "engine/base/base.h"
#include "game/map/button_window.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/panels/group_panel.h"
#include "game/map/map_window.h"
#include "game/map/small_map_window.h"
#include "game/panels/unit_detail_window.h"
#include "game/transfer/transfer_window.h"
#include "world/data2/global_data.h"
#include "world/data2/main_data.h"
#include "world/map/doodle.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"

Main::TGame* Game = nullptr;

namespace Main {

u8 VideosEnabled = 1;

namespace {

// What the text choices ask of the running game.
bool RunningGamePlayerColor(u32& rgb) {
  if (!Game || !Game->Scenario) return false;
  rgb = Game->CurrentPlayerColor();
  return true;
}

}  // namespace

void CreateGame() {
  GamePlayerColor = RunningGamePlayerColor;
  Game = new TGame;
  try {
    Game->Init();
  } catch (const std::exception&) {
    Game->Release();
    throw std::runtime_error("Game initialization failed!");
  }
  ConnectGameLink(true);
}

void DeleteGame() {
  ConnectGameLink(false);
  delete Game;
  Game = nullptr;
}

TGame::TGame() = default;

TGame::~TGame() {
  Release();
  Transfer.Clear();
}

void TGame::Init() {
  ArmedSpell = ArmedCaster = 0;
  Messages.clear();
  MessageLineCount = 4;
  MessagesVisible = 1;
  MessageScroll = 0;
  InitShortcuts();
  MapWindow = std::make_unique<TMapWindow>(WindowSystem);
  SmallMapWindow = std::make_unique<TSmallMapWindow>(WindowSystem);
  FightDialog = std::make_unique<TFightDialog>(WindowSystem);
  ButtonWindow = std::make_unique<TButtonWindow>(WindowSystem);
  GroupInfoWindow = std::make_unique<TGroupInfoWindow>(WindowSystem);
  UnitDetailWindow = std::make_unique<TUnitDetailWindow>(WindowSystem, 0x110000);
  CityWindow = std::make_unique<TCityWindow>(WindowSystem);
  LoadSettings();
}

void TGame::Release() {
  TalkDialog = nullptr;
  // The menu's session search works on the transport until it is stopped.
  if (MainMenu) MainMenu->StopSessionSearch();
  if (DPFramework) {
    DPFramework->CloseSession();
    delete DPFramework;
    DPFramework = nullptr;
  }
  MapWindow.reset();
  SmallMapWindow.reset();
  FightDialog.reset();
  ButtonWindow.reset();
  GroupInfoWindow.reset();
  UnitDetailWindow.reset();
  CityWindow.reset();
  Messages.clear();
  Scenario.reset();
  GameType = 0;
}

GameData::TPlayer* TGame::CurrentPlayer() const {
  return Scenario ? Scenario->PlayerAt(Scenario->CurrentPlayerIndex) : nullptr;
}

u32 TGame::CurrentPlayerColor() const {
  if (!Scenario) return 0;
  const i32 i = Scenario->CurrentPlayerIndex;
  return i >= 0 && i < 5 ? Gfx::PlayerColors[i] : 0;
}

void TGame::BindWindows(GameData::TScenario* scenario) {
  if (MapWindow) MapWindow->SetScenario(scenario);
  if (SmallMapWindow) SmallMapWindow->SetScenario(scenario);
  if (ButtonWindow) ButtonWindow->SetScenario(scenario);
  if (GroupInfoWindow) GroupInfoWindow->SetScenario(scenario);
  if (CityWindow) CityWindow->SetScenario(scenario);
}

// Scenarios.

void TGame::LoadScenario(const std::string& name, i32 missionNumber) {
  CloseScenario();
  if (!Data2::ScenarioArchive) throw std::runtime_error("Archive 'scenario' not found.");
  // A scenario that failed to load is not kept half read.
  auto scenario = std::make_unique<GameData::TScenario>();
  scenario->LoadFromArchive(Data2::ScenarioArchive, name);
  Scenario = std::move(scenario);
  MissionNumber = static_cast<u32>(missionNumber);
}

void TGame::LoadNextMission() {
  if (!Data2::GlobalData || MissionNumber >= Data2::MaxMissions) throw std::runtime_error("No further mission.");
  LoadScenario(Data2::GlobalData->MissionFiles[MissionNumber], static_cast<i32>(MissionNumber) + 1);
}

void TGame::CloseScenario() {
  BindWindows(nullptr);
  ++ScenarioSerial;
  KeptAnswers.clear();
  Scenario.reset();
  GameType = 0;
}

void TGame::StartGame(const TGameParams& params) {
  Deactivate();
  MusicRestartPending = 0;
  BindWindows(Scenario.get());
  if (MissionNumber > 2) RunTransfer();
  GameData::TScenario& s = *Scenario;
  s.ResetFog();
  s.CurrentPlayerIndex = 0;
  s.Round = 1;
  GameType = params.GameType;
  s.NetworkPlayerID = params.NetworkID;
  s.ViewingPlayer = nullptr;
  for (i32 i = 0; i < s.PlayerCount() && i < 5; ++i) {
    GameData::TPlayer* p = s.Players[i];
    p->Kind = static_cast<u8>(params.Players[i].Kind);
    p->Name = params.Players[i].Name;
    if (!s.ViewingPlayer && params.Players[i].Kind == GameData::pkHuman) s.ViewingPlayer = p;
  }
  switch (GameType) {
    case SinglePlayer:
    case NoViewer:
      s.ViewingPlayer = GameType == SinglePlayer ? s.PlayerAt(1) : nullptr;
      GameData::SeedRandom(GameData::RandomMain, Plat::Clock().TimeGetTime());
      break;
    case NetworkPlayer:
    case NetworkSpectator:
      for (TRandomState* stream : {&GameData::RandomMain, &GameData::RandomThread, &GameData::RandomSaved})
        GameData::SeedRandom(*stream, 0);
      if (GameType == NetworkSpectator) s.ViewingPlayer = s.PlayerAt(0);
      break;
    default:
      break;
  }
  ShowScenarioIntro();
  if (WindowSystem) WindowSystem->SetOverrideCursor(nullptr);
  Activate();
  BeginTurn();
}

void TGame::ShowScenarioIntro() {
  if (WindowSystem && Data2::MainData) WindowSystem->SetOverrideCursor(Data2::MainData->InterfaceSprites[0]);
  MusicRestartPending = 0;
  if (Data2::GlobalData) GameData::PlayMusic(Data2::GlobalData->IntroMusicID, MusicVolume, 0, false);
  if (Scenario->IntroText.empty()) return;
  if (!Scenario->NotCampaign) GameData::PlaySpeech(MissionNumber);
  // The page waits for a click: only where there is a screen to show it on.
  if (WindowSystem && DXApplication && DXApplication->hWnd) {
    auto* book = new TScenarioBookWindow(WindowSystem, DXWin::wfModal | DXWin::wfCentered);
    book->SetText(Base::Format("%d. %s", static_cast<int>(MissionNumber), Scenario->Title.c_str()), Scenario->IntroText);
    book->ShowModal(true);
    delete book;
  }
  GameData::FadeOutSpeech();
}

void TGame::RunTransfer() {
  Deactivate();
  Transfer.AddWaitingUnits(*Scenario);
  Transfer.AddRequiredUnits(*Scenario);
  MusicRestartPending = 0;
  if (Data2::GlobalData) GameData::PlayMusic(Data2::GlobalData->IntroMusicID, MusicVolume, 0, false);
  if (WindowSystem) WindowSystem->SetOverrideCursor(nullptr);
  // The choice waits for the player: only where a loop can run the window.
  // Without one the required units travel and no others.
  if (WindowSystem && DXApplication && (DXApplication->hWnd || DXApplication->OnWindowlessStep)) {
    auto window = std::make_unique<TTransferWindow>(WindowSystem, Scenario.get(), &Transfer);
    TransferWindow = window.get();
    try {
      window->ShowModal(true);
    } catch (...) {
      TransferWindow = nullptr;
      throw;
    }
    TransferWindow = nullptr;
  }
  Transfer.PlaceTransferredUnits(*Scenario, 1);
}

// Showing and hiding the game.

void TGame::Activate() {
  if (Active) return;
  Active = 1;
  ShowWindows();
}

void TGame::Deactivate() {
  if (!Active) return;
  Active = 0;
  if (Scenario && Scenario->CityScreenOpen && CityWindow) CityWindow->CloseCity();
  StopSounds();
  HideWindows();
}

void TGame::ShowWindows() {
  for (DXWin::TDXWindow* w : MapScreenWindows())
    if (w) w->Show();
  if (Scenario && !MusicRestartPending) GameData::PlayMusic(Scenario->MusicTracks[0], MusicVolume, 0, false);
}

void TGame::HideWindows() {
  for (DXWin::TDXWindow* w : MapScreenWindows())
    if (w) w->Hide();
}

std::array<DXWin::TDXWindow*, 4> TGame::MapScreenWindows() const {
  return {MapWindow.get(), SmallMapWindow.get(), ButtonWindow.get(), GroupInfoWindow.get()};
}

void TGame::ReturnToMainMenu(u8 page) {
  if (MainMenu) MainMenu->CaptureThumbnail();
  Deactivate();
  if (MainMenu) MainMenu->Open(page);
}

// Sounds and music.

void TGame::StopSounds() {
  if (!DSFramework) return;
  DSFramework->FadeOutTrack(1);
  DSFramework->FadeOutTrack(2);
  if (Scenario)
    for (GameData::TMapObject* o : Scenario->MapObjects)
      if (o->Type == GameData::otDoodle) static_cast<GameData::TDoodle*>(o)->StopSound();
  for (i32 track = DSFramework->PersistentTrackCount; track < DSFramework->TrackCount; ++track)
    DSFramework->FadeOut(track);
}

void TGame::PlayBattleMusic() {
  if (!DSFramework) return;
  {
    std::lock_guard<std::recursive_mutex> lock(DSFramework->Lock);
    MusicPosition = DSFramework->IsPlayingNoLock(0) ? static_cast<u32>(DSFramework->GetPositionNoLock(0)) : 0;
  }
  if (!MusicRestartPending && Scenario) {
    // The second battle piece, when there is one, plays every other time:
    // music only, so the run-time generator decides.
    const bool second = Scenario->MusicTracks[3] != 0 && (std::rand() & 1) != 0;
    GameData::PlayMusic(Scenario->MusicTracks[second ? 3 : 2], MusicVolume, 0, false);
  }
  MusicRestartPending = 0;
}

void TGame::RequestMapMusic() {
  MusicRestartPending = 1;
  MusicRestartTime = DXApplication ? DXApplication->GameTime : 0;
}

// The ticker.

void TGame::AddMessage(const std::string& text) {
  const auto lines = static_cast<std::size_t>(std::max(MessageLineCount, 0));
  while (Messages.size() + 1 < lines) Messages.emplace_back();
  if (MessageScroll != 0 && Messages.size() < lines) Messages.emplace_back();
  Messages.push_back(text);
  MessageScroll = 0;
  while (Messages.size() > lines) Messages.erase(Messages.begin());
  MessageStamp = DXApplication ? DXApplication->UpdateCount : 0;
}

}  // namespace Main
