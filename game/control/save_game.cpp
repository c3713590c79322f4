// Saving and loading games, and the list of saves.
#include "game/control/save_game.h"

#include <cstring>
#include <memory>

#include "engine/base/base.h"
#include "engine/data/crypto_stream.h"
#include "engine/data/data_list.h"
#include "engine/data/safe_file.h"
#include "engine/platform/system/files.h"
#include "engine/platform/system/text.h"
#include "frontend/front_end.h"
#include "game/control/game.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/panels/group_panel.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/quest_objective.h"
#include "world/scenario/scenario.h"

namespace Main {

// Saving.

void TGame::SaveGame(const std::string& fileName, bool missionStart, bool withTransfer) {
  if (!Scenario) throw std::runtime_error("There is no game to save.");
  Data2::EnsureSaveDirectory();
  Data::TSafeFileWriter out(Data2::SaveDirectory + fileName, true);
  if (!missionStart)
    if (GameData::TPlayer* player = CurrentPlayer())
      if (GameData::TCity* city = player->GetSelectedCity(); city && city->DepartureGroup->GetUnitCount() > 0)
        city->DisbandDepartureGroup();
  auto header = std::make_unique<TSaveGameHeader>();
  header->MissionNumber = MissionNumber;
  header->SetTitle(Scenario->Title);
  header->Round = Scenario->Round;
  const GameData::TPlayer* campaignPlayer = Scenario->PlayerAt(1);
  header->Gold = campaignPlayer ? campaignPlayer->Gold : 0;
  header->MissionStart = missionStart ? 1 : 0;
  header->TransferFollows = withTransfer ? 1 : 0;
  if (MainMenu) std::memcpy(header->Thumbnail, MainMenu->Thumbnail, sizeof header->Thumbnail);
  // The objects write many small values: they go to memory first, and to
  // the file in one piece.
  Data::TMemoryStream bytes;
  header->Write(bytes);
  if (withTransfer) Transfer.Save(bytes);
  Scenario->Save(bytes);
  Scenario->SaveGameState(bytes);
  out.Stream().WriteBuffer(bytes.Memory().data(), static_cast<i32>(bytes.Memory().size()));
  out.Commit();
  AddMessage("Spiel gespeichert.");
}

void TGame::AutoSaveMission() {
  if (MainMenu) MainMenu->CaptureThumbnail();
  SaveGame(Base::Format("auto%02u", MissionNumber) + ".sav", true, MissionNumber > 2);
}

void TGame::AutoSave() {
  if (MainMenu) MainMenu->CaptureThumbnail();
  SaveGame("autosave.sav", false, false);
}

// Loading.

namespace {

template <class T>
void MoveItems(Data::TDataList<T>& from, Data::TDataList<T>& to) {
  to.Clear();
  for (T*& item : from.Items) {
    to.Items.Add(item);
    item = nullptr;
  }
  from.Clear();
}

// The texts of the installed mission: its conversations and objectives.
struct TMissionTexts {
  Data::TDataList<GameData::TConversation> Conversations{true};
  Data::TDataList<GameData::TQuestObjective> Objectives{true};
};

void ReadMissionTexts(u32 missionNumber, TMissionTexts& texts) {
  const Data2::TGlobalData* global = Data2::GlobalData;
  if (!global || missionNumber < 1 || missionNumber > static_cast<u32>(global->MissionCount) ||
      missionNumber > static_cast<u32>(Data2::MaxMissions))
    throw std::runtime_error(
        Base::Format("The mission of this save game (%u) is not installed.", static_cast<unsigned>(missionNumber)));
  Data::TMemoryStream lists;
  {
    auto mission = std::make_unique<GameData::TScenario>();
    mission->LoadFromArchive(Data2::ScenarioArchive, global->MissionFiles[missionNumber - 1]);
    mission->SaveConversations(lists);
    mission->SaveQuestObjectives(lists);
  }
  lists.SetPosition(0);
  texts.Conversations.Load(lists);
  texts.Objectives.Load(lists);
}

void TakeMissionTexts(GameData::TScenario& scenario, const TMissionTexts& texts) {
  for (GameData::TConversation* c : scenario.Conversations->Items) {
    const GameData::TConversation* m = texts.Conversations.LookupByID(c->ID);
    if (!m) continue;
    c->Texts = m->Texts;
    c->OwnerFaceID = m->OwnerFaceID;
    c->OwnerFace = nullptr;
    c->OwnerName = m->OwnerName;
    c->OwnerType = m->OwnerType;
    c->OwnerID = m->OwnerID;
    c->TargetPlayers = m->TargetPlayers;
  }
  for (GameData::TQuestObjective* q : scenario.QuestObjectives->Items) {
    const GameData::TQuestObjective* m = texts.Objectives.LookupByID(q->ID);
    if (!m) continue;
    q->Check.SetLines(*m->Check.GetLines());
    q->Text = m->Text;
    q->Hidden = m->Hidden;
    q->FinalConversationID = m->FinalConversationID;
  }
}

}  // namespace

// Everything is read before anything is replaced: a save that does not load
// leaves the game as it was.
void TGame::LoadGame(const std::string& fileName) {
  ReadGame(fileName);
  BindLoadedGame();
}

void TGame::LoadGame(Data::TStream& in) {
  ReadGame(in);
  BindLoadedGame();
}

void TGame::ReadGame(const std::string& fileName) {
  Data::TCryptoStream in(Data2::SaveDirectory + fileName, Data::fmOpenRead | Data::fmShareDenyWrite);
  ReadGame(in);
}

void TGame::ReadGame(Data::TStream& in) {
  LoadedMidGame = false;
  auto header = std::make_unique<TSaveGameHeader>();
  header->Read(in);
  auto transfer = std::make_unique<GameData::TTransfer>();
  if (header->TransferFollows == 1) transfer->Load(in);
  auto scenario = std::make_unique<GameData::TScenario>();
  scenario->Load(in);
  scenario->LoadGameState(in);
  // A game is saved between actions, when no conversation waits: what the
  // load's own sight pass queued (areas in view) is not the saved game's.
  // A mission start queues as a new mission does.
  if (!header->MissionStart) scenario->PendingConversations.Clear();
  // A stand-alone scenario has no mission file to take texts from (the save
  // names only its title): it keeps its own.
  if (!scenario->NotCampaign) {
    TMissionTexts texts;
    ReadMissionTexts(header->MissionNumber, texts);
    TakeMissionTexts(*scenario, texts);
  }

  CloseScenario();
  Scenario = std::move(scenario);
  MissionNumber = header->MissionNumber;
  if (header->TransferFollows == 1) {
    MoveItems(transfer->Available, Transfer.Available);
    MoveItems(transfer->Transferred, Transfer.Transferred);
  }
  LoadedMidGame = !header->MissionStart;
}

// The windows and the ticker belong to the main thread; a mission-start save
// is bound when its mission starts.
void TGame::BindLoadedGame() {
  if (!LoadedMidGame) return;
  LoadedMidGame = false;
  BindWindows(Scenario.get());
  AddMessage("Spiel geladen.");
}

}  // namespace Main
