#include "game/control/headless_game.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "ai/ai_handler.h"
#include "combat/battle_engine.h"
#include "combat/map_spell_effects.h"
#include "script/script_connection.h"
#include "engine/base/base.h"
#include "engine/data/stream.h"
#include "engine/dxapp/dxapp.h"
#include "engine/platform/system/clock.h"
#include "engine/platform/window/headless_platform.h"
#include "engine/platform/window/platform.h"
#include "frontend/front_end.h"
#include "game/control/game.h"
#include "game/control/save_game.h"
#include "game/control/shell.h"
#include "game/battle/fight_dialog.h"
#include "game/talk/talk_dialog.h"
#include "game/transfer/transfer_window.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"

namespace Main {

namespace {

using GameData::TPlayer;

u64 Fnv1a(const std::vector<u8>& bytes) {
  u64 h = 1469598103934665603ull;
  for (u8 b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

bool MailboxHolds(TPlayer& player) {
  player.Lock();
  const bool holds = player.Mailbox.Type() != GameData::atNone;
  player.Unlock();
  return holds;
}

u32 ResultOf(TPlayer& player) {
  u32 code = 0;
  player.GetResult(code);
  return code;
}

// The one headless game: nested loops step it.
THeadlessGame* Current = nullptr;

// A replay does not depend on the settings of whoever runs it.
void DefaultSettings() {
  Main::MusicVolume = Main::SFXVolume = Main::SpeechVolume = 100;
  Main::MovementSpeed = 2;
  Main::Difficulty = 1;
  Main::ConfirmEndTurn = Main::CastInAutoCombat = true;
}

}  // namespace

u64 GameStateHash() {
  Data::TMemoryStream s;
  if (Game && Game->Scenario) {
    Game->Scenario->Save(s);
    Game->Scenario->SaveGameState(s);
  }
  if (Game) Game->Transfer.Save(s);
  Data::WriteU32(s, GameData::RandomMain.Low);
  Data::WriteU32(s, GameData::RandomMain.High);
  return Fnv1a(s.Memory());
}

THeadlessGame::THeadlessGame(u32 seed) : Seed(seed), Clock(std::make_unique<Plat::TFakeClock>(seed)) {
  Plat::SetClock(Clock.get());
  if (!Plat::Installed()) {
    Plat::Install(std::make_unique<Plat::THeadlessPlatform>());
    OwnsPlatform = true;
  }
  DXApplication->GameTime = 0;
  DXApplication->UpdateCount = 0;
  SavedUpdate = DXApplication->OnUpdate;
  SavedWindowlessStep = DXApplication->OnWindowlessStep;
  DXApplication->OnUpdate = Main::UpdateFrame;
  DXApplication->OnWindowlessStep = NestedStep;
  Current = this;
  AIHandler::ConnectToWorld();
  Script::ConnectToWorld();
  GameData::ConnectCombat();
  GameData::ConnectSpellModule();
  try {
    Data2::CreateArchives();
    Data2::CreateGlobalData();
    Main::CreateInterface();
    Main::CreateGame();
  } catch (...) {
    Main::DeleteGame();
    Main::DeleteInterface();
    Data2::FreeGlobalData();
    Data2::FreeArchives();
    Plat::SetClock(nullptr);
    if (OwnsPlatform) Plat::Install(nullptr);
    RestoreApplication();
    throw;
  }
  DefaultSettings();
  Game->OnActionExecuted = [this](const GameData::TActionRecord& record) {
    if (!OnAction) return;
    // A computer player's thread goes on planning once its record is done:
    // the state is read when it has posted its next record or waits again.
    WaitForThinkingPlayer();
    OnAction(record, GameStateHash());
  };
}

THeadlessGame::~THeadlessGame() {
  Main::DeleteGame();
  Main::DeleteInterface();
  Data2::FreeGlobalData();
  Data2::FreeArchives();
  Plat::SetClock(nullptr);
  if (OwnsPlatform) Plat::Install(nullptr);
  RestoreApplication();
}

void THeadlessGame::RestoreApplication() {
  DXApplication->OnUpdate = SavedUpdate;
  DXApplication->OnWindowlessStep = SavedWindowlessStep;
  if (Current == this) Current = nullptr;
}

void THeadlessGame::NestedStep() {
  THeadlessGame* game = Current;
  if (!game) return;
  if (++game->NestedSteps > game->ModalStepLimit)
    throw std::runtime_error(Base::Format("A modal window stayed open for %d update steps.", game->ModalStepLimit));
  game->Step();
}

void THeadlessGame::AnswerOpenPage() {
  TTalkDialog* page = Game ? Game->TalkDialog : nullptr;
  if (!page || page->Answered || page->ModalResult != 0) return;
  TPlayer* player = Game->CurrentPlayer();
  if (!player || player->Kind != GameData::pkHuman) return;
  if (OnPage) {
    OnPage(*page);
    if (Game->TalkDialog != page || page->Answered || page->ModalResult != 0) return;
  }
  i32 result = TalkReadResult;
  if (page->ChoiceCount > 0) {
    i32 choice = 1;
    if (!PageAnswers.empty()) {
      choice = PageAnswers.front();
      PageAnswers.pop_front();
    }
    if (choice < 1 || choice > page->ChoiceCount)
      throw std::runtime_error(
          Base::Format("The conversation page offers %d answers, not answer %d.", page->ChoiceCount, choice));
    result = TalkChoiceResult + choice - 1;
  }
  page->Answer(result);
}

void THeadlessGame::AnswerBattle() {
  TFightDialog* battle = Game ? Game->FightDialog.get() : nullptr;
  if (!battle || !battle->BattleShown() || !battle->IsPhaseLocal()) return;
  if (battle->AutoFlag || battle->Request != frNone || battle->OrdersPosted) return;
  if (OnBattle) {
    OnBattle(*battle);
    if (!Game->FightDialog || !battle->BattleShown() || !battle->IsPhaseLocal()) return;
    if (battle->AutoFlag || battle->Request != frNone || battle->OrdersPosted) return;
  }
  // Automatic orders may leave a unit idle round after round (a spell it
  // cannot pay for): a long battle then strikes with every unit, as a
  // person would, so that it comes to an end.
  if (battle->Rounds < LongBattleRounds) {
    battle->Request = frAutomatic;
    return;
  }
  const i32 own = battle->State == 0 ? 0 : 3, foes = 3 - own;
  for (i32 c = own; c < own + 3; ++c) {
    if (!battle->Fight.IsCombatantAlive(c)) continue;
    for (i32 f = foes; f < foes + 3; ++f)
      if (battle->Fight.IsCombatantAlive(f)) {
        battle->Fight.SetAttackAction(c, f);
        break;
      }
  }
  battle->PostOrders();
}

void THeadlessGame::AnswerTransfer() {
  TTransferWindow* window = Game ? Game->TransferWindow : nullptr;
  if (!window || window->ModalDone) return;
  if (OnTransfer) {
    OnTransfer(*window);
    if (window->ModalDone) return;
  }
  window->Finish();
}

bool THeadlessGame::Running() const { return Game && Game->Scenario && Game->Active; }

void THeadlessGame::StartMission(i32 number) {
  const Data2::TGlobalData& global = *Data2::GlobalData;
  if (number < 1 || number > global.MissionCount)
    throw std::runtime_error(Base::Format("There is no mission %d.", number));
  LoadingScreen->RunMethod([number, &global] { Game->LoadScenario(global.MissionFiles[number - 1], number); });
  // A mission-start save that fails is reported, not fatal: the headless
  // game plays on where the menu would refuse the new game.
  try {
    Game->AutoSaveMission();
  } catch (const std::exception& e) {
    Game->AddMessage(e.what());
  }
  Main::TGameParams params;
  params.SetDefaults();
  Game->StartGame(params);
  Game->Activate();
  Settle();
}

void THeadlessGame::StartScenario(const std::string& name) {
  LoadingScreen->RunMethod([&name] { Game->LoadScenario(name, 1); });
  Main::TGameParams params;
  params.SetDefaults();
  Game->StartGame(params);
  Game->Activate();
  Settle();
}

void THeadlessGame::Save(const std::string& fileName) {
  if (!Running()) throw std::runtime_error("No game is running.");
  Settle();
  Game->SaveGame(fileName, false, false);
}

void THeadlessGame::Load(const std::string& fileName) {
  const bool missionStart = Main::ReadSaveGameHeader(Data2::SaveDirectory + fileName).MissionStart != 0;
  Game->Deactivate();
  LoadingScreen->RunMethod([&fileName] { Game->ReadGame(fileName); });
  Game->BindLoadedGame();
  if (missionStart) {
    Main::TGameParams params;
    params.SetDefaults();
    Game->StartGame(params);
  }
  Game->Activate();
  Settle();
}

void THeadlessGame::WaitForThinkingPlayer() {
  if (!Running()) return;
  TPlayer* player = Game->CurrentPlayer();
  if (!player || !player->ThreadRunning()) return;
  // A remote player's records come when its machine sends them: a step
  // without one gives the network a moment instead of racing ahead.
  if (player->Kind != GameData::pkComputer) {
    if (!MailboxHolds(*player)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  // The thread has posted, or waits for its record's outcome or the dying.
  while (!MailboxHolds(*player) && ResultOf(*player) != 0 && !Game->Scenario->WaitingForDeaths) {
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("A computer player did not act within 30 seconds.");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void THeadlessGame::WaitForBattleWorkers() {
  const TFightDialog* battle = Game ? Game->FightDialog.get() : nullptr;
  if (!battle) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  // The steps a worker takes must not depend on how fast it runs.
  while (battle->WorkerRunning()) {
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("A battle's worker did not finish within 60 seconds.");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void THeadlessGame::Step() {
  WaitForThinkingPlayer();
  WaitForBattleWorkers();
  if (DXApplication->ModalDepth == 0) NestedSteps = 0;
  AnswerOpenPage();
  AnswerBattle();
  AnswerTransfer();
  ++DXApplication->UpdateCount;
  DXApplication->GameTime += 10;
  // Pictures and sounds draw from the run-time generator, and the weather
  // keeps its pace by the scenario's frame counter, which a save does not
  // keep. Some of what they make is saved (idle frames, weather particles),
  // so both follow the step: a loaded game goes on as the saved one would.
  std::srand(Seed ^ (DXApplication->UpdateCount * 2654435761u));
  if (Game->Scenario) Game->Scenario->FrameCounter = DXApplication->UpdateCount;
  // The frame loop's update: a modal loop may have put its own in place.
  DXApplication->OnUpdate();
}

bool THeadlessGame::WaitsForHuman() const {
  if (!Running()) return true;
  TPlayer* player = Game->CurrentPlayer();
  if (!player || player->Kind != GameData::pkHuman) return false;
  // The view's scrolling is not saved: a save made while it scrolls would go
  // on differently.
  return ResultOf(*player) != 0 && !MailboxHolds(*player) && !Game->Scenario->WaitingForDeaths &&
         Game->Scenario->ScrollSteps <= 0;
}

void THeadlessGame::Settle() {
  for (i32 i = 0; i < MaxSettleSteps; ++i) {
    if (WaitsForHuman()) return;
    Step();
  }
  throw std::runtime_error(
      Base::Format("The game did not come to a local human's turn within %d update steps.", MaxSettleSteps));
}

void THeadlessGame::Act(const GameData::TActionRecord& record) {
  if (!Running()) throw std::runtime_error("No game is running.");
  Settle();
  TPlayer* player = Game->CurrentPlayer();
  if (!Running() || !player || player->Kind != GameData::pkHuman)
    throw std::runtime_error("It is not a local human's turn.");
  player->PostAction(true, record);
  Settle();
}

}  // namespace Main
