// The full-screen main menu: a column of eight main buttons on every page
// and one page group beside it (save, load, options and the multiplayer
// pages), the animated background with the hover beam, figure and marker,
// and the version line. Its graphics are held only while it is shown.
#pragma once

#include <string>

#include "engine/data/object_list.h"
#include "engine/dxwin/group.h"
#include "engine/dxwin/list_box.h"
#include "engine/dxwin/window.h"
#include "engine/platform/net/dplay_types.h"
#include "frontend/lobby_rules.h"
#include "frontend/scenario_info.h"
#include "frontend/save_game_header.h"

namespace Gfx {
class TFont;
class TSprite;
}  // namespace Gfx

class TActionThread;

namespace Main {

class TMenuButton;
class TMenuCheckBox;
class TSpriteScrollBar;

enum TMenuPage : u8 {
  mpMain,
  mpSave,
  mpLoad,
  mpOptions,
  mpConnection,
  mpSession,
  mpLobby,
  mpScenario,
  MenuPageCount
};

enum TMainButton : int {
  mbNewGame,
  mbContinue,
  mbMultiplayer,
  mbLoadGame,
  mbSaveGame,
  mbOptions,
  mbCredits,
  mbQuit,
  MainButtonCount
};

// The page buttons' places on their row.
enum TPageButton : int { pbConfirm, pbCancel, pbThird, PageButtonCount };

class TMainMenu : public DXWin::TDXWindow {
 public:
  static constexpr i32 ThumbnailWidth = 130;
  static constexpr i32 ThumbnailHeight = 100;
  static constexpr i32 ThumbnailBytes = ThumbnailWidth * 2 * ThumbnailHeight;
  static constexpr i32 MenuPictureCount = 8;
  static constexpr i32 ControlSpriteCount = 32;
  static constexpr i32 SlotRowHeight = 66;

  // Builds every page and control, all hidden; no graphics yet.
  explicit TMainMenu(DXWin::TDXWindowSystem* windowSystem);
  ~TMainMenu() override;

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;

  // Shows the menu on a page (0 main, 1 save, 2 load, 3 options) with the
  // menu music; called at start-up and when the player leaves the game.
  void Open(u8 page);
  // Hides the menu and gives its graphics back.
  void Dismiss();
  void ShowMainPage();
  void DisableMainButtons();
  void UpdateMainButtons();
  void LoadGraphics();
  void ReleaseGraphics();
  // Around display-mode changes and lost surfaces.
  void ReleaseSurfaces();
  void CreateSurfaces();
  void RestoreSurfaces();
  // The current back buffer, shrunk to the thumbnail a save game carries:
  // 100 rows of 130 pixels in the display's format; zeros without a display.
  // Main thread only: it reads the back buffer.
  void CaptureThumbnail();

  // The save and load pages.
  void RefreshSaveList();
  void AddSaveFile(const std::string& directory, const std::string& fileName, i64 writeTime);
  void ShowSavePage();
  void ShowLoadPage();
  void ShowOptionsPage();
  void ShowConnectionPage();
  // The entry of a row of the current page, -1 for the free-slot row or none.
  i32 EntryOfRow(i32 row) const;
  // An entry's file name; for -1 the free slot's new name ("07.sav").
  std::string SlotFileName(i32 entry) const;
  bool IsMissionStartRow(i32 row) const;
  void UpdateSlotButtons();
  void DeleteSelected();
  void DrawSlot(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index);
  // The selected row's picture, or the menu's own thumbnail for the free slot.
  const u8* SelectedThumbnail() const;

  // The commands.
  void ContinueGame();
  void NewGame();
  void SaveSelected();
  void LoadSelected();
  void ShowCredits();
  void Quit();
  void CancelSlotPage();
  void MultiplayerClick();
  void CloseNetwork();

  // The options page.
  void LoadOptionControls();
  void ApplyOptions();
  void RevertOptions();

  // The list box of the save or load page that is shown, else null.
  DXWin::TDXListBox* SlotList() const;

  // The multiplayer pages: connection (4), sessions (5), lobby (6) and
  // the scenario to host (7).
  void ConfirmConnection();
  // Connection 0 TCP/IP, 1 IPX; false and no transport when it fails.
  bool CreateTransport(int connection);
  void DestroyTransport();
  void ShowSessionPage();
  void UpdateSessionPage();
  bool CanJoinSession(const Plat::DPSESSIONDESC2& desc) const;
  void JoinSelectedSession();
  void JoinSession(int index);
  // Waits for the search worker and deletes it.
  void StopSessionSearch();
  void BuildScenarioList();
  bool ReadScenarioInfo(TScenarioInfo& info, const std::string& fileName);
  // The first scenario of that network identity, -1 when none.
  int FindScenario(u32 networkID) const;
  void ShowScenarioPage();
  void HostSelectedScenario();
  void CreateSession(int scenario);
  void CreateLocalPlayer();
  void DestroyLocalPlayer();
  void SetLocalPlayerData(u32 party, u32 ready);
  void EnterLobby();
  void UpdateLobby();
  // True: the lobby is to be left (session lost, host gone, a game message).
  bool PollLobbyMessages();
  void ReadPlayerTable();
  void ChooseParty();
  void ConfirmParty();
  void LeaveLobby();
  void StartNetworkGame();
  u32 LocalParty() const { return LobbyTable.LocalParty(LocalPlayerDPID); }
  bool IsLocalReady() const { return LobbyTable.IsLocalReady(LocalPlayerDPID); }
  bool IsHost() const;
  void DrawConnection(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index);
  void DrawSession(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index);
  void DrawScenarioRow(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index);
  void DrawPartyRow(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index);
  void DrawScenarioPreview(Plat::TSurface* surface, int scenario);
  void DrawLobby(Plat::TSurface* surface);
  // The player names of the scenario loaded for the lobby, "" without one.
  std::string ScenarioPlayerName(u32 player) const;

  Data::TObjectList<TScenarioInfo> Scenarios{true};
  // Copies of the last enumerated sessions, in the transport's order.
  std::vector<Plat::DPSESSIONDESC2> SessionCopies;
  TActionThread* SessionSearch = nullptr;
  TLobbyTable LobbyTable;
  u8 LobbyAllReady = 0;
  u8 LobbyConflict = 0;
  Plat::DPID LocalPlayerDPID = 0;
  i32 SelectedScenario = -1;
  DXWin::TDXListBox* SessionListBox = nullptr;
  DXWin::TDXListBox* PartyListBox = nullptr;
  DXWin::TDXListBox* ScenarioListBox = nullptr;

  Gfx::TSprite* Pictures[MenuPictureCount] = {};
  Gfx::TSprite* ControlSprites[ControlSpriteCount] = {};
  // Menu buttons: disabled, pressed, hover, normal (IDs 9 to 12).
  Gfx::TFont* ButtonFonts[4] = {};
  Gfx::TFont* LabelFont = nullptr;
  i32 AnimationCounter = 0;
  u8 Page = mpMain;
  u8 OpenedFrom = mpMain;
  Data::TObjectList<TSaveGame> SaveList{true};
  i32 FreeSlot = -1;
  u8 Thumbnail[ThumbnailBytes] = {};
  Plat::TSurface* ThumbnailSurface = nullptr;
  // The hot point's y of the previous frame, -1000 when no button was hovered.
  i32 LastHoverY = -1000;

  DXWin::TDXGroup* Groups[MenuPageCount] = {};
  TMenuButton* MainButtons[MainButtonCount] = {};
  // By page and place; null where a page has no such button.
  TMenuButton* PageButtons[MenuPageCount][PageButtonCount] = {};
  DXWin::TDXListBox* SaveListBox = nullptr;
  DXWin::TDXListBox* LoadListBox = nullptr;
  DXWin::TDXListBox* ConnectionListBox = nullptr;
  // Save, load, connection, session and scenario lists.
  TSpriteScrollBar* ScrollBars[5] = {};
  // Music, effects, speech, movement speed, difficulty.
  TSpriteScrollBar* OptionSliders[5] = {};
  // Confirm the end of a turn, spells in automatic battles.
  TMenuCheckBox* OptionChecks[2] = {};
  // The six setting words as the options page found them.
  i32 OptionsBackup[6] = {};

  // The build date of the version line ("Jan  5 2026"); tests fix it.
  static std::string BuildDate;

 private:
  void BuildMainButtons();
  void BuildPages();
  void BuildSlotPage(u8 page);
  void StylePageButton(TMenuButton* b);
  void StyleMainButton(TMenuButton* b);
  // Page n: main page, the buttons disabled, the page's button highlighted.
  void EnterPage(u8 page);
  void HighlightPageButton();
  void DrawHover(Plat::TSurface* surface);
  void DrawPagePictures(Plat::TSurface* surface, const Base::TRect& rect);
  void DrawThumbnail(Plat::TSurface* surface, const u8* pixels);
  void CreateThumbnailSurface();
  void ReleaseThumbnailSurface();
  // Runs one job behind the loading screen; false and the menu open again
  // on its main page when it failed.
  void UpdateStep(DXWin::TDXControl*);
  void MenuKeyDown(Plat::WPARAM& key, DXWin::TShiftState shift);
  void ButtonClick(DXWin::TDXControl* control);
  void ListDoubleClick(int button, DXWin::TShiftState shift, int x, int y);
  void GroupDraw(Plat::TSurface* surface, const Base::TRect& rect);
  void SlotDraw(Plat::TSurface* surface, const Base::TRect& row, bool hot, bool selected, int index) {
    DrawSlot(surface, row, hot, selected, index);
  }
  void BuildOptionsPage();
  // Sprites and fonts of the page's controls; none with release.
  void StyleOptionControls(bool release);
  void DrawOptionsPage(Plat::TSurface* surface);
  void MusicChange(DXWin::TDXControl*);
  void EffectsChange(DXWin::TDXControl*);
  void SpeechChange(DXWin::TDXControl*);
  // Back where the options page was opened from.
  void LeaveOptionsPage();
  void BuildNetworkPages();
  void NetworkButtonClick(u8 page, int place);
  void NetworkDoubleClick(int x, int y);
  void UpdateScenarioPage();
  void PartyClick(DXWin::TDXControl*);
  void DrawNetworkPage(Plat::TSurface* surface);
  bool GraphicsLoaded = false;
};

}  // namespace Main

// The one main menu, made at start-up.
extern Main::TMainMenu* MainMenu;
