// The per-update-step work of the controller: the action executor, the turn
// passing from player to player, the end of a scenario and the campaign's
// continuation.
#include <algorithm>

#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/dxapp/dxapp.h"
#include "engine/dxwin/window_system.h"
#include "engine/gfx/font.h"
#include "frontend/front_end.h"
#include "game/control/game.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/panels/group_panel.h"
#include "game/map/map_window.h"
#include "game/talk/talk_dialog.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/conversation.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/scenario/settings.h"
#include "world/scenario/sound.h"
#include "world/units/group.h"

namespace Main {

namespace {

using namespace GameData;

// The line height of the ticker's font, standard font 3.
i32 TickerLineHeight() {
  const Gfx::TFont* font = Data2::GlobalData ? Data2::GlobalData->Fonts[2] : nullptr;
  return font ? std::max(font->TextHeight(""), 1) : 1;
}

u32 UpdateCount() { return DXApplication ? DXApplication->UpdateCount : 0; }
u32 GameTime() { return DXApplication ? DXApplication->GameTime : 0; }

u8 ByteOf(u32 word, i32 index) { return static_cast<u8>(word >> (8 * index)); }

bool IsLocation(const TMapObject* o) { return o && (o->Type == otCity || o->Type == otBuilding); }

}  // namespace

void TGame::Update() {
  if (!Active || !Scenario) return;
  ReportLevelUps();
  Scenario->Tick();
  TPlayer* player = CurrentPlayer();
  if (player && player->Kind == pkHuman) player->ClearNotifications();
  u32 code = 0;
  if (player) player->GetResult(code);
  if (LastResult == 0 && code > arDone && player == Scenario->ViewingPlayer) ShowResultMessage(player, code);
  ScrollMessages();
  LastResult = code;
  if (player) {
    player->ClearFrameFlags();
    TakeKeptAnswer();
    DispatchAction();
  }
  if (Scenario && MusicRestartPending && static_cast<i32>(GameTime() - (MusicRestartTime + 5000)) > 0) {
    GameData::PlayMusic(Scenario->MusicTracks[0], MusicVolume, static_cast<i32>(MusicPosition), true);
    MusicRestartPending = 0;
  }
}

void TGame::ShowResultMessage(TPlayer* player, u32 code) {
  switch (code) {
    case arSighted: AddMessage(player->LocationSighted ? "Standort gesichtet!" : "Einheit gesichtet!"); break;
    case arNoActionPoints: AddMessage("Nicht gen\xFCgend Aktionspunkte!"); break;
    case arNoneLeaving: AddMessage("Mindestens einer muss weg!"); break;
    case arBlocked: AddMessage("Etwas ist im Weg!"); break;
    case arNoneStaying: AddMessage("Mindestens einer muss in der Gruppe bleiben!"); break;
    case arNoPath: AddMessage("Kein Durchgang!"); break;
    default: AddMessage(""); break;
  }
}

void TGame::ScrollMessages() {
  if (Messages.empty()) return;
  const u32 now = UpdateCount();
  if (now % 5 != 0 || now - MessageStamp <= 100) return;
  if (++MessageScroll < TickerLineHeight()) return;
  Messages.erase(Messages.begin());
  MessageScroll = 0;
}

void TGame::ReportLevelUps() {
  for (TUnit* unit : Scenario->Units.Items) {
    if (!unit->LevelledUp) continue;
    unit->LevelledUp = 0;
    if (Scenario->ViewingPlayer && unit->GetOwner() == Scenario->ViewingPlayer)
      AddMessage(Base::Format("%s erreichte Level %d.", unit->Name.c_str(), static_cast<int>(unit->Effective.Level)));
  }
}

// The executor.

void TGame::DispatchAction() {
  // A battle under way ends itself first; its groups must outlive it.
  if (Scenario->SessionLost && Scenario->BattleRunning) return;
  if (Scenario->SessionLost) {
    Deactivate();
    CloseScenario();
    ReturnToMainMenu(0);
    return;
  }
  TPlayer* current = CurrentPlayer();
  // A side's orders wait while the battle screen plays its round: taken
  // now, they would find no order phase and be lost.
  if (FightDialog && !FightDialog->TakesOrders()) {
    current->Lock();
    const bool orders = current->Mailbox.Type() == atBattleOrders;
    current->Unlock();
    if (orders) return;
  }
  TActionRecord record;
  current->TakeAction(record);
  if (record.Type() == atNone || record.Type() > atConversationAnswer) return;
  Execute(CurrentPlayer(), record);
  if (OnActionExecuted) OnActionExecuted(record);
}

// Records are executed as they come. One that names an object which is not
// there (a group destroyed meanwhile, a damaged peer) changes nothing and is
// answered Done, so that a player waiting for it goes on.
void TGame::Execute(TPlayer* player, const TActionRecord& record) {
  const u32* w = record.Words;
  TScenario& s = *Scenario;
  const i32 index = s.IndexOfPlayer(player);
  switch (record.Type()) {
    case atEndTurn:
      EndTurn(player);
      break;
    case atAttackGroup: {
      TGroup* defender = s.FindGroup(w[1]);
      TGroup* attacker = player->GetSelectedGroup();
      if (!defender || !attacker) {
        player->SetResult(arDone);
        break;
      }
      if (player == s.ViewingPlayer || (defender->GetOwner() && defender->GetOwner() == s.ViewingPlayer)) {
        FightDialog->StartBattle(attacker, defender);
        FightDialog->Execute();
      } else {
        FightDialog->ResolveBattle(attacker, defender);
      }
      player->PostResult(arDone);
      break;
    }
    case atResult:
      ExecuteResult(player, w[1]);
      break;
    case atSelect: {
      TMapObject* object = s.FindMapObject(w[1]);
      player->Select(object);
      TPlayer* viewer = s.ViewingPlayer;
      if (object && object->Type == otGroup) {
        if (player == viewer && player->Kind == pkHuman && MapWindow->IsInView(object->X, object->Y)) {
          player->SetResult(arDone);
          break;
        }
        if (viewer && viewer->CanSee(object)) {
          MapWindow->CentreOn(object->X, object->Y, 0, true);
          break;
        }
      }
      player->SetResult(arDone);
      break;
    }
    case atMove: {
      TGroup* group = player->GetActingGroup();
      TMapObject* target = s.FindMapObject(w[6]);
      const i32 reserve = static_cast<i32>(w[5]);
      const bool rebuild = ByteOf(w[7], 0) != 0;
      const bool join = ByteOf(w[4], 0) != 0, location = ByteOf(w[4], 1) != 0;
      const u8 approach = ByteOf(w[3], 0);
      const bool needsGroup = join || approach != 0;
      if (!group || (needsGroup && (!target || target->Type != otGroup)) ||
          (!needsGroup && location && !IsLocation(target))) {
        player->SetResult(arDone);
      } else if (join) {
        group->JoinGroup(static_cast<TGroup*>(target), reserve, rebuild);
      } else if (approach != 0) {
        group->ApproachGroup(static_cast<TGroup*>(target), approach, reserve, rebuild);
      } else if (location) {
        group->ApproachLocation(static_cast<TLocation*>(target), reserve, rebuild);
      } else {
        group->MoveTo(static_cast<i32>(w[1]), static_cast<i32>(w[2]), reserve, rebuild);
      }
      break;
    }
    case atCastSpell:
      if (TGroup* group = player->GetSelectedGroup())
        group->CastSpell(w[1], static_cast<i32>(w[2]), static_cast<i32>(w[3]), static_cast<i32>(w[4]));
      else
        player->SetResult(arDone);
      break;
    case atMakeCamp:
    case atBreakCamp:
      if (TGroup* group = s.FindGroup(w[1])) {
        if (record.Type() == atMakeCamp)
          group->MakeCamp();
        else
          group->BreakCamp();
      } else {
        player->SetResult(arDone);
      }
      break;
    case atMarkUnits: {
      TGroup* group = player->GetSelectedGroup();
      if (!group) {
        player->SetResult(arDone);
        break;
      }
      bool allMarked = true;
      for (i32 slot = 0; slot < MaxGroupUnits; ++slot)
        if (group->Units[slot] && ByteOf(w[1], slot) == 0) allMarked = false;
      if (allMarked) {
        player->PostResult(arNoneStaying);
        break;
      }
      for (i32 slot = 0; slot < MaxGroupUnits; ++slot) group->SplitMarks[slot] = ByteOf(w[1], slot);
      player->PostResult(arDone);
      break;
    }
    case atEnterCity: {
      TCity* city = s.FindCity(w[1]);
      if (!city) {
        player->SetResult(arDone);
        break;
      }
      TGroup* group = player->GetSelectedGroup();
      if (city->Closed) {
        s.TriggerConversations(index, coLocationEntered, w[1]);
        if (group) group->PayEntryCost(city);
      } else {
        if (group) group->NotifyEnteredCity(city);
        CityWindow->Open(city, group);
        MapWindow->HideClickMarker();
        s.TriggerConversations(index, coLocationEntered, w[1]);
      }
      player->PostResult(arDone);
      break;
    }
    case atAttackCity: {
      TCity* city = s.FindCity(w[1]);
      TGroup* attacker = player->GetSelectedGroup();
      if (!city || !attacker) {
        player->SetResult(arDone);
        break;
      }
      i32 slot = 0;
      for (i32 i = 0; i < city->SlotCount; ++i)
        if (city->CountSlotUnits(i) > 0) {
          slot = i;
          break;
        }
      if (player == s.ViewingPlayer || (city->GetOwner() && city->GetOwner() == s.ViewingPlayer)) {
        FightDialog->StartCityBattle(attacker, city, slot);
        FightDialog->Execute();
      } else {
        FightDialog->ResolveCityBattle(attacker, city, slot);
      }
      player->PostResult(arDone);
      break;
    }
    case atEnterBuilding: {
      TBuilding* building = s.FindBuilding(w[1]);
      if (building) {
        s.TriggerConversations(index, coLocationEntered, w[1]);
        if (TGroup* group = player->GetSelectedGroup()) group->PayEntryCost(building);
      }
      player->PostResult(arDone);
      break;
    }
    case atLeaveCity:
      CityWindow->CloseCity();
      player->PostResult(arDone);
      break;
    case atMoveCityUnit:
      CityWindow->MoveUnit(static_cast<i32>(w[1]), w[2], static_cast<i32>(w[3]), static_cast<i32>(w[4]));
      player->SetResult(arDone);
      break;
    case atBattleOrders:
      FightDialog->SetOrders(w[1], w + 2);
      break;
    case atVisitMerchant:
      CityWindow->VisitMerchant(static_cast<i32>(w[1]));
      player->PostResult(arDone);
      break;
    case atPurchase:
      CityWindow->ExecutePurchase(w[1], w[2], static_cast<i32>(w[3]), static_cast<i32>(w[4]));
      player->SetResult(arDone);
      break;
    case atConversationAnswer:
      ExecuteAnswer(player, static_cast<i32>(w[1]));
      break;
    default:
      break;
  }
}

// A page for a remote player closes only with that player's answer, which
// its machine may send while this one has yet to show the page (it still
// plays an animation between two pages). The answer is kept and the page
// takes it once shown, so both machines go on with the same answer. The
// peer's records come in order, so every answer belongs to the conversations
// that run now: one that comes outside them, or that no page takes before
// they end, shows the two machines out of step. An answer that does not fit
// the waiting page closes nothing.
void TGame::ExecuteAnswer(TPlayer* player, i32 answer) {
  const bool pageWaits = TalkDialog && TalkDialog->ModalResult == 0;
  if (pageWaits && KeptAnswers.empty()) {
    if (TalkDialog->IsAnswer(answer)) TalkDialog->EndWithResult(answer);
    return;
  }
  if (player->Kind != pkRemote) return;
  if (ConversationRuns == 0) {
    Scenario->LoseSession(StrayAnswerEnd);
    return;
  }
  if (KeptAnswers.size() < MaxSequenceLead) KeptAnswers.push_back(answer);
  TakeKeptAnswer();
}

void TGame::TakeKeptAnswer() {
  if (KeptAnswers.empty() || !TalkDialog || TalkDialog->ModalResult != 0) return;
  const i32 answer = KeptAnswers.front();
  KeptAnswers.pop_front();
  if (TalkDialog->IsAnswer(answer)) TalkDialog->EndWithResult(answer);
}

// A save the game makes by itself that cannot be written (a full disk) is
// reported in the ticker; the game goes on.
void TGame::SaveOrReport(const std::function<void()>& save) {
  try {
    save();
  } catch (const std::exception& e) {
    AddMessage(e.what());
  }
}

void TGame::ExecuteResult(TPlayer* player, u32 code) {
  const u32 serial = ScenarioSerial;
  RunPendingConversations();
  // The game left its scenario while a page was shown: nothing is left to end.
  if (ScenarioSerial != serial) return;
  if (Scenario->CityScreenOpen) CityWindow->LayoutBuildingButtons();
  i32 winner = -1;
  for (i32 i = 0; i < Scenario->PlayerCount(); ++i)
    if (Scenario->Globals[i] == 0) winner = i;
  if (winner < 0 && AutoSavePending) {
    AutoSavePending = 0;
    SaveOrReport([this] { AutoSave(); });
  }
  if (winner >= 0) {
    EndScenario(winner);
    return;
  }
  player->SetResult(code);
}

// Turns.

void TGame::EndTurn(TPlayer* player) {
  ArmedSpell = 0;
  player->SetResult(arDone);
  player->EndTurn();
  TScenario& s = *Scenario;
  s.CurrentPlayerIndex = static_cast<i16>((s.CurrentPlayerIndex + 1) % s.PlayerCount());
  if (s.CurrentPlayerIndex == 0) s.NewRound();
  BeginTurn();
}

void TGame::BeginTurn() {
  TScenario& s = *Scenario;
  TPlayer* player = CurrentPlayer();
  if (!player) return;
  const bool human = player->Kind == pkHuman;
  if (GameType == NoViewer && !human)
    s.ViewingPlayer = nullptr;
  else if (GameType == NetworkSpectator || human)
    s.ViewingPlayer = player;
  MapWindow->Invalidate();
  s.TriggerConversations(s.CurrentPlayerIndex, coTurnStart, 0);
  s.TriggerConversations(s.CurrentPlayerIndex, coRound, 0);
  player->BeginTurn();
  TGroup* selected = player->GetSelectedGroup();
  if (selected && s.ViewingPlayer && s.ViewingPlayer->CanSee(selected)) MapWindow->CentreOn(selected->X, selected->Y, 40, false);
  if (human && player == s.ViewingPlayer)
    AddMessage(Base::Format("Runde %d beginnt. Spieler %d ist am Zug.", static_cast<int>(s.Round),
                            static_cast<int>(s.CurrentPlayerIndex)));
  if (human) {
    TActionRecord start;
    start.Words[0] = atResult;
    start.Words[1] = arDone;
    player->PostAction(true, start);
    if (GameType == SinglePlayer) AutoSavePending = 1;
  }
}

// The end of a scenario.

void TGame::PlayVideo(i32 index) {
  if (!VideosEnabled || !VideoWindow) return;
  const std::string& name = VideoNames[static_cast<std::size_t>(index)];
  if (!name.empty()) VideoWindow->Play(Data::DataPath + "Video\\" + name);
}

void TGame::EndScenario(i32 winner) {
  if (Scenario->NotCampaign) {
    Deactivate();
    CloseScenario();
    ReturnToMainMenu(0);
    return;
  }
  if (winner == 1) {
    ContinueCampaign(winner);
    return;
  }
  Deactivate();
  const i32 video = std::clamp<i32>(Scenario->DefeatVideo, 0, 3);
  CloseScenario();
  PlayVideo(5 + video);
  ReturnToMainMenu(0);
}

void TGame::ContinueCampaign(i32 winner) {
  Deactivate();
  Transfer.Clear();
  Transfer.CollectSurvivors(*Scenario, winner);
  const TPlayer* campaignPlayer = Scenario->PlayerAt(winner);
  u32 gold = campaignPlayer->Gold;
  const Data::TDynamicArray<i32> seen = campaignPlayer->SeenPrototypes;
  CloseScenario();
  if (Data2::GlobalData && static_cast<u32>(Data2::GlobalData->MissionCount) > MissionNumber) {
    if (MissionNumber == 1) {
      PlayVideo(3);
      gold = 0;
    }
    if (LoadingScreen)
      LoadingScreen->RunMethod([this] { LoadNextMission(); });
    else
      LoadNextMission();
    if (TPlayer* next = Scenario->PlayerAt(winner)) {
      next->Gold += gold;
      next->SeenPrototypes = seen;
    }
    SaveOrReport([this] { AutoSaveMission(); });
    TGameParams params;
    params.SetDefaults();
    StartGame(params);
    MusicRestartPending = 0;
    GameData::PlayMusic(Scenario->MusicTracks[0], MusicVolume, 0, false);
    return;
  }
  PlayVideo(4);
  TCreditsWindow credits(WindowSystem);
  credits.Run();
  ReturnToMainMenu(0);
}

}  // namespace Main
