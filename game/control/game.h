// The controller of the running game: it owns the scenario, the game windows,
// the message ticker and the campaign transfer, loads and starts scenarios,
// executes the players' actions one per update step, hands the turn from
// player to player, ends scenarios and carries the campaign on, and saves
// and loads games and the settings.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/types.h"
#include "frontend/game_params.h"
#include "game/control/shortcut_keys.h"
#include "world/scenario/action.h"
#include "world/scenario/transfer.h"

namespace Data {
class TStream;
}

namespace DXWin {
class TDXWindow;
}

namespace Gfx {
class TSprite;
}

namespace GameData {
class TScenario;
class TPlayer;
class TConversation;
class TGroup;
}  // namespace GameData

namespace Main {

class TMapWindow;
class TSmallMapWindow;
class TButtonWindow;
class TGroupInfoWindow;
class TUnitDetailWindow;
class TCityWindow;
class TFightDialog;
class TTalkDialog;
class TTransferWindow;

class TGame {
 public:
  TGame();
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  // Second-phase set-up: the game windows and the settings.
  void Init();
  void Release();

  // Loads a scenario of the "scenario" archive without starting it.
  void LoadScenario(const std::string& name, i32 missionNumber);
  // The campaign's next mission (the loading screen's worker runs it).
  void LoadNextMission();
  void CloseScenario();
  void StartGame(const TGameParams& params);
  void ShowScenarioIntro();
  void RunTransfer();
  void Activate();
  void Deactivate();
  void ShowWindows();
  void HideWindows();
  // The map, mini map, command buttons and group panel; null where a window is missing.
  std::array<DXWin::TDXWindow*, 4> MapScreenWindows() const;
  // Leaves the game for a page of the main menu; the scenario stays loaded.
  void ReturnToMainMenu(u8 page);
  // The creature book and the current
  // player's diary, modally; the buttons test the turn and click first.
  void ShowCreaturePedia();
  void ShowDiary();
  // Fades out the game's sounds; the music plays on.
  void StopSounds();
  // Called by the battle screen as it opens and closes.
  void PlayBattleMusic();
  void RequestMapMusic();
  void AddMessage(const std::string& text);
  // The ticker over everything, after the window system has drawn.
  void DrawMessages();
  // Around display-mode changes, and after lost surfaces were restored.
  void ReleaseSurfaces();
  void CreateSurfaces();
  void RestoreSurfaces();

  // One update step, and the parts of it.
  void Update();
  void DispatchAction();
  void BeginTurn();
  void EndScenario(i32 winner);
  void ReportLevelUps();

  // Save games in the save directory, and the settings file.
  void SaveGame(const std::string& fileName, bool missionStart, bool withTransfer);
  void LoadGame(const std::string& fileName);
  // A save's deciphered bytes.
  void LoadGame(Data::TStream& in);
  // The two halves of a load: the reading, which the loading screen's worker
  // may run, then the binding of the windows on the main thread.
  void ReadGame(const std::string& fileName);
  void ReadGame(Data::TStream& in);
  void BindLoadedGame();
  void AutoSave();
  void AutoSaveMission();
  void LoadSettings();
  void SaveSettings();

  // The conversations the scenario queued, each page shown modally in the
  // conversation window; the group spoken to may be null.
  void RunPendingConversations();
  void RunConversation(GameData::TConversation* conversation, GameData::TGroup* group);
  // Appends the page with its answer (0 none, i + 1 for choice i) to the
  // current player's conversation log.
  void AddTextToNotes(const std::string& text, i32 answer);

  GameData::TPlayer* CurrentPlayer() const;
  // 0x00RRGGBB by the current player's index; 0 without a scenario.
  u32 CurrentPlayerColor() const;
  // The keyboard bindings as the game binds them.
  void InitShortcuts() { FillShortcuts(Shortcuts); }

  u8 Active = 0;
  std::unique_ptr<GameData::TScenario> Scenario;
  u32 MusicPosition = 0;
  u8 MusicRestartPending = 0;
  u32 MusicRestartTime = 0;
  i32 ArmedSpell = 0;
  i32 ArmedCaster = 0;
  // The ticker's lines, oldest first.
  std::vector<std::string> Messages;
  i32 MessageLineCount = 0;
  u32 LastResult = 0;
  u8 MessagesVisible = 0;
  i32 MessageScroll = 0;
  u32 MessageStamp = 0;
  u32 MissionNumber = 0;
  TTalkDialog* TalkDialog = nullptr;
  GameData::TTransfer Transfer;
  // The transfer window while it is shown, else null.
  TTransferWindow* TransferWindow = nullptr;
  u8 AutoSavePending = 0;
  u8 GameType = 0;
  std::unique_ptr<TMapWindow> MapWindow;
  std::unique_ptr<TFightDialog> FightDialog;
  std::unique_ptr<TSmallMapWindow> SmallMapWindow;
  std::unique_ptr<TGroupInfoWindow> GroupInfoWindow;
  std::unique_ptr<TButtonWindow> ButtonWindow;
  std::unique_ptr<TCityWindow> CityWindow;
  std::unique_ptr<TUnitDetailWindow> UnitDetailWindow;
  TShortcutKey Shortcuts[ShortcutCount] = {};

  // Tools and tests: called after every executed action record.
  std::function<void(const GameData::TActionRecord&)> OnActionExecuted;

 private:
  void Execute(GameData::TPlayer* player, const GameData::TActionRecord& record);
  void EndTurn(GameData::TPlayer* player);
  void ExecuteResult(GameData::TPlayer* player, u32 code);
  void ContinueCampaign(i32 winner);
  void PlayVideo(i32 index);
  void BindWindows(GameData::TScenario* scenario);
  void ScrollMessages();
  void ShowResultMessage(GameData::TPlayer* player, u32 code);
  void SaveOrReport(const std::function<void()>& save);
  // One conversation page, modally; its modal result.
  i32 ShowPage(Gfx::TSprite* talker1, const std::string& name1, Gfx::TSprite* talker2, const std::string& name2,
               const std::string& text);
  // The game goes on until every animation on the map has finished.
  void WaitForAnimations();
  // A conversation answer record: the waiting page's end, or, from a
  // remote player, kept for a page not shown yet.
  void ExecuteAnswer(GameData::TPlayer* player, i32 answer);
  // The oldest kept answer ends the page that waits for one.
  void TakeKeptAnswer();

  // Counts closed scenarios: code that runs a nested loop learns by it that
  // its scenario went away meanwhile (a lost session).
  u32 ScenarioSerial = 0;
  // The answers of a remote current player that arrived before their page
  // was shown here (its machine runs ahead while this one still animates),
  // oldest first; they belong to the conversations that run now.
  std::deque<i32> KeptAnswers;
  i32 ConversationRuns = 0;
  // A mid-game save was read and waits for BindLoadedGame.
  bool LoadedMidGame = false;
};

// Why a network game ends when a peer answers a page that is not shown here.
inline constexpr const char* StrayAnswerEnd = "Network game ended: a conversation answer came for no page.";

// Whether videos play between missions.
extern u8 VideosEnabled;

// The one controller, made after the global data; an Init that fails
// raises "Game initialization failed!". DeleteGame also after a failure.
void CreateGame();
void DeleteGame();
// The front end reaches the controller through its link while it exists.
void ConnectGameLink(bool connect);

}  // namespace Main

// The one game controller; made at start-up after the global data.
extern Main::TGame* Game;
