// The main menu: its pages and which buttons they enable, Escape, the hover
// sound, the commands with the game controller stand-in and their failures,
// and the first page as a picture.
#include <gtest/gtest.h>

#include <stdexcept>

#include "controls/text_buttons.h"
#include "engine/dpframe/dpframe.h"
#include "tests/frontend/menu_fixture.h"
#include "world/data2/global_data.h"
#include "world/scenario/sound.h"

namespace MenuTest {
namespace {

using Main::TMainMenu;

class MainMenuPages : public TMenuFixture {
 protected:
  std::string EnabledButtons() const {
    std::string s;
    for (const Main::TMenuButton* b : Menu->MainButtons) s += b->IsEnabled() ? '1' : '0';
    return s;
  }
  // What a message box would show of the exception a command raises.
  template <class F>
  std::string Raised(F command) {
    try {
      command();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(MainMenuPages, EnabledMainButtons) {
  // New game, continue, multiplayer, load, save, options, credits, quit.
  const struct {
    bool Running, Network;
    const char* Enabled;
    const char* Multiplayer;
  } cases[] = {
      {false, false, "10110111", "Mehrspieler"},
      {true, false, "11111111", "Mehrspieler"},
      {true, true, "01100111", "Verbindung trennen"},
  };
  for (const auto& c : cases) {
    Link.Running = c.Running;
    if (c.Network) DPFramework = new DPFrame::TDPFramework;
    Menu->Open(Main::mpMain);
    Step();
    EXPECT_EQ(EnabledButtons(), c.Enabled);
    EXPECT_EQ(Menu->MainButtons[Main::mbMultiplayer]->Caption, c.Multiplayer);
    EXPECT_TRUE(Menu->IsVisible());
  }
  // Disconnecting closes the game and the network; the next step enables
  // what a game without a scenario allows.
  ClickButton(Menu->MainButtons[Main::mbMultiplayer]);
  Step();
  EXPECT_EQ(DPFramework, nullptr);
  EXPECT_EQ(Link.Calls, std::vector<std::string>{"close"});
  EXPECT_EQ(EnabledButtons(), "10110111");
  EXPECT_EQ(Menu->MainButtons[Main::mbMultiplayer]->Caption, "Mehrspieler");
}

TEST_F(MainMenuPages, EveryPageDisablesTheColumnAndHighlightsItsButton) {
  Link.Running = true;
  Menu->Open(Main::mpMain);
  const struct {
    u8 Page;
    int Button;
  } pages[] = {
      {Main::mpSave, Main::mbSaveGame},
      {Main::mpLoad, Main::mbLoadGame},
      {Main::mpOptions, Main::mbOptions},
      {Main::mpConnection, Main::mbMultiplayer},
  };
  for (const auto& p : pages) {
    ClickButton(Menu->MainButtons[p.Button]);
    Step();
    EXPECT_EQ(Menu->Page, p.Page);
    EXPECT_EQ(EnabledButtons(), "00000000");
    for (int i = 0; i < Main::MainButtonCount; ++i) {
      const Main::TMenuButton* b = Menu->MainButtons[i];
      EXPECT_TRUE(b->Hint.empty());
      EXPECT_EQ(b->Fonts[Main::blDisabled], i == p.Button ? Menu->ButtonFonts[2] : Menu->ButtonFonts[0]) << i;
    }
    for (u8 g = 1; g < Main::MenuPageCount; ++g) EXPECT_EQ(Menu->Groups[g]->IsVisible(), g == p.Page);
    ClickButton(Menu->PageButtons[p.Page][Main::pbCancel]);
    EXPECT_EQ(Menu->Page, Main::mpMain);
    EXPECT_EQ(Menu->MainButtons[Main::mbNewGame]->Hint, "Ein neues Spiel beginnen");
  }
}

TEST_F(MainMenuPages, EscapeContinuesOnlyARunningGame) {
  Menu->Open(Main::mpMain);
  Step();
  Key(Plat::VK_ESCAPE);
  EXPECT_TRUE(Menu->IsVisible());
  EXPECT_TRUE(Link.Calls.empty());
  Link.Running = true;
  Step();
  Key(Plat::VK_ESCAPE);
  EXPECT_FALSE(Menu->IsVisible());
  EXPECT_EQ(Link.Calls, std::vector<std::string>{"activate"});
  // The graphics go back while the game runs.
  EXPECT_EQ(Menu->Pictures[0], nullptr);
  EXPECT_EQ(Menu->ButtonFonts[3], nullptr);
}

class TStreamCounter : public GameData::TSoundOutput {
 public:
  void PlayEffect(u32, i32) override {}
  void PlayStream(TAudioStream* sound, i32) override { Sounds.push_back(sound); }
  void PlayBackgroundSound(u32, i32, bool, bool, bool) override {}
  void StopBackgroundSound(bool) override {}
  bool IsBackgroundSoundPlaying() override { return false; }
  std::vector<TAudioStream*> Sounds;
};

TEST_F(MainMenuPages, HoverSoundOncePerChangeOfButton) {
  TStreamCounter sounds;
  GameData::ConnectSoundOutput(&sounds);
  Menu->Open(Main::mpMain);
  Step();
  auto hover = [&](const DXWin::TDXControl* b) {
    const Base::TRect r = b->GetScreenRect();
    Move(r.Left + 5, r.Top + 5);
  };
  const struct {
    int Button;  // -1: off the buttons
    size_t Sounds;
  } moves[] = {{Main::mbNewGame, 1}, {Main::mbNewGame, 1}, {Main::mbMultiplayer, 2},
               {-1, 2},              {Main::mbMultiplayer, 3}, {Main::mbContinue, 3}};
  for (const auto& m : moves) {
    if (m.Button < 0)
      Move(100, 100);
    else
      hover(Menu->MainButtons[m.Button]);
    DrawScreen();
    DrawScreen();
    EXPECT_EQ(sounds.Sounds.size(), m.Sounds) << m.Button;
  }
  GameData::ConnectSoundOutput(nullptr);
  ASSERT_FALSE(sounds.Sounds.empty());
  EXPECT_EQ(sounds.Sounds[0], Data2::GlobalData->InterfaceSounds[4]);
}

TEST_F(MainMenuPages, NewGameLoadsMissionOneAndStartsItWithDefaultPlayers) {
  Clock.StepPerRead = 1;
  Menu->Open(Main::mpMain);
  ClickButton(Menu->MainButtons[Main::mbNewGame]);
  const std::string mission = Data2::GlobalData->MissionFiles[0];
  EXPECT_EQ(Link.Calls, (std::vector<std::string>{"load scenario " + mission + " 1", "auto save", "start 0 10111",
                                                  "activate"}));
  EXPECT_FALSE(Menu->IsVisible());
  EXPECT_EQ(LoadingScreen->Worker, nullptr);
  EXPECT_FALSE(LoadingScreen->IsVisible());
}

TEST_F(MainMenuPages, FailedCommandsReopenTheMenuWithTheirOwnMessage) {
  Clock.StepPerRead = 1;
  Link.Failure = "Scenario file damaged.";
  Menu->Open(Main::mpMain);
  EXPECT_EQ(Raised([&] { Menu->NewGame(); }), "Error creating game!");
  EXPECT_TRUE(Menu->IsVisible());
  EXPECT_EQ(Menu->Page, Main::mpMain);
  EXPECT_NE(Menu->Pictures[0], nullptr);

  WriteSave("03.sav", 1, 2, 5, false, 1);
  Menu->ShowLoadPage();
  EXPECT_EQ(Raised([&] { Menu->LoadSelected(); }), "Error loading game!");
  EXPECT_TRUE(Menu->IsVisible());
  EXPECT_EQ(Menu->Page, Main::mpMain);

  // A failed save stays on the save page with the controller's message.
  Link.Running = true;
  Menu->ShowSavePage();
  EXPECT_EQ(Raised([&] { Menu->SaveSelected(); }), "Scenario file damaged.");
  EXPECT_TRUE(Menu->IsVisible());
  EXPECT_EQ(Menu->Page, Main::mpSave);
}

TEST_F(MainMenuPages, LoadingAMissionStartSaveStartsTheMissionAfresh) {
  WriteSave("auto02.sav", 2, 1, 0, true, 10);
  WriteSave("05.sav", 2, 6, 300, false, 20);
  Clock.StepPerRead = 1;
  const struct {
    i32 Row;
    std::vector<std::string> Calls;
  } rows[] = {
      {0, {"load auto02.sav", "bind", "start 0 10111", "activate"}},
      {1, {"load 05.sav", "bind", "activate"}},
  };
  for (const auto& r : rows) {
    Link.Calls.clear();
    Menu->Open(Main::mpLoad);
    Menu->LoadListBox->ItemIndex = r.Row;
    ClickButton(Menu->PageButtons[Main::mpLoad][Main::pbConfirm]);
    EXPECT_EQ(Link.Calls, r.Calls);
    EXPECT_FALSE(Menu->IsVisible());
  }
  // A double click on a row loads it; below the rows it does nothing.
  for (const auto& [y, calls] : {std::pair{201 + 66 + 30, rows[1].Calls}, std::pair{201 + 3 * 66 + 30, rows[1].Calls}}) {
    Link.Calls.clear();
    Menu->Open(Main::mpLoad);
    Step();
    Os->MouseMove(300, y);
    Os->DoubleClick(DXWin::mbLeft, 300, y);
    Drain();
    Step();
    EXPECT_EQ(Link.Calls, y < 201 + 2 * 66 ? calls : std::vector<std::string>{}) << y;
  }
}

TEST_F(MainMenuPages, SavingAndCancellingReturnWhereTheMenuCameFrom) {
  Link.Running = true;
  WriteSave("00.sav", 1, 2, 5, false, 1);
  // Opened with the save key: saving into the free slot writes 01.sav, and
  // cancelling goes straight back to the game.
  Menu->Open(Main::mpSave);
  ClickButton(Menu->PageButtons[Main::mpSave][Main::pbConfirm]);
  EXPECT_EQ(Link.Calls, (std::vector<std::string>{"save 01.sav 00", "activate"}));
  Menu->Open(Main::mpSave);
  Link.Calls.clear();
  ClickButton(Menu->PageButtons[Main::mpSave][Main::pbCancel]);
  EXPECT_EQ(Link.Calls, std::vector<std::string>{"activate"});
  EXPECT_FALSE(Menu->IsVisible());
  // From the main page, cancelling returns to it.
  Menu->Open(Main::mpMain);
  Link.Calls.clear();
  ClickButton(Menu->MainButtons[Main::mbSaveGame]);
  ASSERT_EQ(Menu->Page, Main::mpSave);
  ClickButton(Menu->PageButtons[Main::mpSave][Main::pbCancel]);
  EXPECT_TRUE(Link.Calls.empty());
  EXPECT_EQ(Menu->Page, Main::mpMain);
  // Saving onto an existing row overwrites that file.
  Menu->ShowSavePage();
  Menu->SaveListBox->ItemIndex = 1;
  Menu->SaveSelected();
  EXPECT_EQ(Link.Calls, (std::vector<std::string>{"save 00.sav 00", "activate"}));
}

TEST_F(MainMenuPages, QuitEndsTheApplication) {
  Menu->Open(Main::mpMain);
  ClickButton(Menu->MainButtons[Main::mbQuit]);
  EXPECT_TRUE(App->Quit);
}

TEST_F(MainMenuPages, FirstPage) {
  Menu->Open(Main::mpMain);
  for (int i = 0; i < 15; ++i) Step();
  const Base::TRect r = Menu->MainButtons[Main::mbLoadGame]->GetScreenRect();
  Move(r.Left + 20, r.Top + 10);
  DrawScreen();
  ExpectPicture("menu_first_page");
}

}  // namespace
}  // namespace MenuTest
