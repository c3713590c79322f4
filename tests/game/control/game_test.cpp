// Starting a game, the ticker, showing and hiding the game.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/dxapp/dxapp.h"
#include "engine/gfx/font.h"
#include "controls/labels.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/panels/group_panel.h"
#include "game/map/map_window.h"
#include "tests/game/game_fixture.h"
#include "world/data2/global_data.h"
#include "world/locations/city.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameTest {
namespace {

using namespace GameData;

using Game_ = TGameFixture;

TEST_F(Game_, ANewCampaignStartsAtTheFirstMissionWithPlayerOneTheOnlyHuman) {
  StartMission(1);
  EXPECT_EQ(Game->MissionNumber, 1u);
  EXPECT_EQ(Game->GameType, Main::SinglePlayer);
  EXPECT_EQ(S().Round, 1);
  EXPECT_EQ(S().CurrentPlayerIndex, 1) << "player 0's turn came first";
  EXPECT_EQ(S().ViewingPlayer, &Player(1));
  for (i32 i = 0; i < S().PlayerCount(); ++i) {
    EXPECT_EQ(Player(i).Kind, i == 1 ? pkHuman : pkComputer) << i;
    EXPECT_TRUE(Player(i).Name.empty()) << "default parameters empty the names";
  }
  EXPECT_TRUE(Game->Active);
  EXPECT_TRUE(Game->MapWindow->IsVisible() && Game->GroupInfoWindow->IsVisible());
  EXPECT_EQ(Game->MapWindow->Scenario, Game->Scenario.get());
  // The mission-start save, the turn, and the single-player turn's autosave.
  EXPECT_EQ(Game->Messages, (std::vector<std::string>{"", "Spiel gespeichert.", "Runde 1 beginnt. Spieler 1 ist am Zug.",
                                                      "Spiel gespeichert."}));
}

TEST_F(Game_, TheGameBindsItsKeysAndAnswersTheCurrentPlayersColour) {
  EXPECT_EQ(Game->Shortcuts[Main::scDiary].FormatHint("Tagebuch"), "Tagebuch [D/Num2]");
  u32 rgb = 0;
  EXPECT_EQ(Game->CurrentPlayerColor(), 0u) << "no scenario";
  EXPECT_FALSE(Main::GamePlayerColor(rgb)) << "text choices stay empty outside a game";
  StartMission(1);
  EXPECT_EQ(Game->CurrentPlayerColor(), 0x0083E9u) << "by the player's index";
  ASSERT_TRUE(Main::GamePlayerColor(rgb));
  EXPECT_EQ(rgb, 0x0083E9u);
}

TEST_F(Game_, TheTickerKeepsFourLinesAndCreepsUp) {
  Game->Messages.clear();
  Game->AddMessage("eins");
  EXPECT_EQ(Game->Messages, (std::vector<std::string>{"", "", "", "eins"}));
  Game->AddMessage("");
  EXPECT_EQ(Game->Messages, (std::vector<std::string>{"", "", "eins", ""})) << "an empty text is a line too";
  // A line arriving while the ticker creeps adds one empty line when there is room.
  Game->Messages = {"a", "b", "c"};
  Game->MessageScroll = 3;
  Game->AddMessage("d");
  EXPECT_EQ(Game->Messages, (std::vector<std::string>{"b", "c", "", "d"}));
  EXPECT_EQ(Game->MessageScroll, 0);

  // After a second of stillness the ticker creeps a pixel every 50 ms; a
  // line leaves once it crept its font's line height.
  StartMission(1);
  const i32 lineHeight = Data2::GlobalData->Fonts[2]->TextHeight("");
  Game->Messages = {"x", "y", "z", "w"};
  Game->MessageStamp = DXApplication->UpdateCount;
  for (int i = 0; i < 100; ++i) Headless->Step();
  EXPECT_EQ(Game->MessageScroll, 0);
  for (int i = 0; i < 5 * lineHeight + 5; ++i) Headless->Step();
  EXPECT_EQ(Game->Messages, (std::vector<std::string>{"y", "z", "w"}));
}

TEST_F(Game_, LevelUpsAreReportedForTheViewersUnitsOnly) {
  StartMission(1);
  auto* own = S().FindGroup(GroupOf(1));
  auto* foreign = S().FindGroup(GroupOf(2));
  own->Units[0]->LevelledUp = 1;
  foreign->Units[0]->LevelledUp = 1;
  Headless->Step();
  EXPECT_EQ(Game->Messages.back(),
            own->Units[0]->Name + " erreichte Level " + std::to_string(own->Units[0]->Effective.Level) + ".");
  EXPECT_EQ(std::count_if(Game->Messages.begin(), Game->Messages.end(),
                          [](const std::string& m) { return m.find("erreichte") != std::string::npos; }),
            1);
  EXPECT_EQ(foreign->Units[0]->LevelledUp, 0);
}

// Every machine of a network game draws the same numbers; single-player
// games start from the clock.
TEST_F(Game_, NetworkGamesSeedEveryStreamWithZero) {
  auto start = [&](u32 clock, u8 type) {
    Headless.reset();
    Headless = std::make_unique<Main::THeadlessGame>(clock);
    Game->LoadScenario("demo1.scn", 1);
    Main::TGameParams params;
    params.SetDefaults();
    params.GameType = type;
    Game->StartGame(params);
    return std::make_pair(RandomMain.Low, RandomThread.Low);
  };
  EXPECT_EQ(start(7, Main::NetworkPlayer), start(8, Main::NetworkPlayer));
  EXPECT_NE(start(7, Main::SinglePlayer).first, start(8, Main::SinglePlayer).first);
}

}  // namespace
}  // namespace GameTest
