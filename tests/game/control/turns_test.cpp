// The executor, turns and rounds, result messages and the end of a scenario.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/data/crypto_stream.h"
#include "frontend/front_end.h"
#include "game/battle/fight_dialog.h"
#include "game/city/city_window.h"
#include "game/panels/group_panel.h"
#include "game/control/save_game.h"
#include "game/map/map_window.h"
#include "tests/game/game_fixture.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/scenario.h"
#include "world/units/group.h"

namespace GameTest {
namespace {

using namespace GameData;

using Turns = TGameFixture;

// Who views the map while each player's records execute, by game type.
TEST_F(Turns, TheViewFollowsTheGameType) {
  struct {
    u8 Type;
    i32 ViewDuringComputerTurns;  // -1 none, -2 the current player
  } cases[] = {{Main::SinglePlayer, 1}, {Main::NetworkSpectator, -2}, {Main::NoViewer, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Type));
    Game->LoadScenario("demo1.scn", 1);
    Main::TGameParams params;
    params.SetDefaults();
    params.GameType = c.Type;
    std::vector<std::pair<i32, TPlayer*>> seen;
    Headless->OnAction = [&](const TActionRecord&, u64) {
      if (Game->Scenario) seen.emplace_back(S().CurrentPlayerIndex, S().ViewingPlayer);
    };
    Game->StartGame(params);
    Headless->Settle();
    Act({atEndTurn});
    ASSERT_FALSE(seen.empty());
    for (const auto& [current, viewer] : seen) {
      TPlayer* expected = Player(current).Kind == pkHuman ? &Player(current)
                          : c.ViewDuringComputerTurns == -1 ? nullptr
                          : c.ViewDuringComputerTurns == -2 ? &Player(current)
                                                            : &Player(c.ViewDuringComputerTurns);
      EXPECT_EQ(viewer, expected) << "player " << current;
    }
    Headless->OnAction = nullptr;
  }
}

// Ending the last player's turn starts a new round before the first
// player's turn; the computer players' turns run on their threads.
TEST_F(Turns, TurnsPassAndRoundsAdvance) {
  StartMission(1);
  std::vector<std::pair<u32, i32>> records;
  Headless->OnAction = [&](const TActionRecord& r, u64) { records.emplace_back(r.Type(), S().CurrentPlayerIndex); };
  Act({atEndTurn});
  EXPECT_EQ(S().CurrentPlayerIndex, 1);
  EXPECT_EQ(S().Round, 2);
  // Player 2's turn opens with its announcement and then plays its own
  // records (its pack marches); each end of turn is seen with the next player.
  const std::vector<std::pair<u32, i32>> opening = {{atEndTurn, 2}, {atResult, 2}};
  const std::vector<std::pair<u32, i32>> closing = {{atEndTurn, 0}, {atResult, 0}, {atEndTurn, 1}, {atResult, 1}};
  ASSERT_GE(records.size(), opening.size() + closing.size());
  EXPECT_TRUE(std::equal(opening.begin(), opening.end(), records.begin()));
  EXPECT_TRUE(std::equal(closing.begin(), closing.end(), records.end() - static_cast<std::ptrdiff_t>(closing.size())));
  for (std::size_t i = opening.size(); i + closing.size() < records.size(); ++i)
    EXPECT_EQ(records[i].second, 2) << "record " << i;
  EXPECT_EQ(Game->Messages[2], "Runde 2 beginnt. Spieler 1 ist am Zug.");
  EXPECT_EQ(Game->Messages[3], "Spiel gespeichert.") << "the turn's autosave";
  EXPECT_FALSE(Player(2).ThreadRunning());
}

// A failure code is shown once, on the step in which the result word
// changes from pending, and only to the viewing player.
TEST_F(Turns, ResultMessages) {
  StartMission(1);
  TPlayer& p = Player(1);
  auto result = [&](u32 code) {
    p.SetResult(code);
    Headless->Step();
    return Game->Messages.back();
  };
  result(arPending);
  EXPECT_EQ(result(arSighted), "Einheit gesichtet!");
  Game->AddMessage("x");
  EXPECT_EQ(result(arNoPath), "x") << "no intervening pending result";
  result(arPending);
  p.LocationSighted = 1;
  EXPECT_EQ(result(arSighted), "Standort gesichtet!");
  struct {
    u32 Code;
    const char* Text;
  } cases[] = {{arNoActionPoints, "Nicht gen\xFCgend Aktionspunkte!"},
               {arNoneLeaving, "Mindestens einer muss weg!"},
               {arBlocked, "Etwas ist im Weg!"},
               {arNoneStaying, "Mindestens einer muss in der Gruppe bleiben!"},
               {arNoPath, "Kein Durchgang!"},
               {arStopped, ""}};
  for (const auto& c : cases) {
    result(arPending);
    Game->AddMessage("x");
    EXPECT_EQ(result(c.Code), c.Text) << c.Code;
  }
  S().ViewingPlayer = &Player(2);
  result(arPending);
  Game->AddMessage("x");
  EXPECT_EQ(result(arNoPath), "x") << "not the viewing player";
}

TEST_F(Turns, RecordsAreExecutedByType) {
  StartMission(1);
  TGroup* group = S().FindGroup(GroupOf(1));
  // Selecting a group outside the view moves the view there.
  S().ViewX = 5000;
  Act({atSelect, group->ID});
  EXPECT_EQ(Player(1).GetSelectedGroup(), group);
  EXPECT_TRUE(Game->MapWindow->IsInView(group->X, group->Y));
  u32 code = 0;
  Player(1).GetResult(code);
  EXPECT_EQ(code, arDone);

  // Marking every unit of the group is refused and changes no mark.
  Act({atMarkUnits, 0x0101});
  Player(1).GetResult(code);
  EXPECT_EQ(code, arNoneStaying);
  EXPECT_EQ(group->SplitMarks[0] + group->SplitMarks[1], 0);
  Act({atMarkUnits, 0x0100});
  EXPECT_EQ(group->SplitMarks[1], 1);

  // A walk ends in its result record.
  Act({atMarkUnits, 0});
  Act({atMove, 7, 6, 0, 0, 0, 0, 1});
  EXPECT_EQ(group->FieldX(), 7);
  EXPECT_EQ(group->FieldY(), 6);

  // A record naming an object that is not there changes nothing.
  const i32 objects = S().MapObjects.Count();
  for (u32 type : {u32(atAttackGroup), u32(atMakeCamp), u32(atEnterCity), u32(atEnterBuilding), u32(atAttackCity)}) {
    Act({type, 4242});
    Player(1).GetResult(code);
    EXPECT_EQ(code, arDone) << type;
  }
  EXPECT_EQ(S().MapObjects.Count(), objects);
  EXPECT_EQ(group->GetUnitCount(), 2);
  EXPECT_EQ(group->CampState, csNone);
}

// The last index whose end-of-scenario word is 0 wins; the campaign player
// losing sees the defeat video chosen by the scenario, clamped to 0..3.
TEST_F(Turns, ALostCampaignEndsAtTheMenuAfterTheDefeatVideo) {
  StartMission(1);
  S().DefeatVideo = 7;
  S().Globals[1] = 0;
  S().Globals[2] = 0;
  Act({atEndTurn});
  EXPECT_FALSE(Headless->Running());
  EXPECT_EQ(Game->Scenario, nullptr);
  EXPECT_EQ(Videos->Played, (std::vector<std::string>{Data::DataPath + "Video\\video8.avi"}));
  EXPECT_TRUE(MainMenu->IsVisible());
  EXPECT_EQ(MainMenu->Page, 0);
}

TEST_F(Turns, AStandAloneScenarioEndsAtTheMenuWithoutVideo) {
  Headless->StartScenario("demo1.scn");
  S().NotCampaign = 1;
  S().Globals[1] = 0;
  Act({atEndTurn});
  EXPECT_EQ(Game->Scenario, nullptr);
  EXPECT_TRUE(Videos->Played.empty());
  EXPECT_TRUE(MainMenu->IsVisible());
}

// Winning carries the survivors and, after the first mission, the gold on;
// the mission-start saves hold the transfer from the third mission on; the
// last mission won ends with the final video and the credits.
TEST_F(Turns, AWonCampaignGoesOnToTheNextMission) {
  Data2::TGlobalData& global = *Data2::GlobalData;
  global.MissionCount = 3;
  std::snprintf(global.MissionFiles[2], sizeof global.MissionFiles[2], "demo1.scn");
  StartMission(1);
  i32 survivors = 0;
  for (const TUnit* u : S().Units.Items) survivors += u->GetOwner() == &Player(1);
  Player(1).Gold = 999;
  Player(1).NoteSeenPrototype(3);
  S().Globals[1] = 0;
  Act({atEndTurn});
  EXPECT_EQ(Game->MissionNumber, 2u);
  EXPECT_EQ(S().Title, "Die Furt");
  EXPECT_EQ(Player(1).Gold, 300u) << "no gold out of the first mission";
  EXPECT_GE(Player(1).SeenPrototypes.IndexOf(3), 0);
  EXPECT_EQ(Game->Transfer.Available.Count(), survivors) << "the survivors wait for the third mission";
  EXPECT_EQ(Videos->Played, (std::vector<std::string>{Data::DataPath + "Video\\video3.avi"}));

  Player(1).Gold = 120;
  S().Globals[1] = 0;
  Act({atEndTurn});
  EXPECT_EQ(Game->MissionNumber, 3u);
  // Mission 3 is demo1 again: its scout pays 100 at the welcome.
  EXPECT_EQ(Player(1).Gold, 300u + 120u + 100u);
  for (const auto& [name, transfer] : {std::pair{"auto01.sav", 0}, {"auto02.sav", 0}, {"auto03.sav", 1}}) {
    const Main::TSaveGameHeader header = Main::ReadSaveGameHeader(Data2::SaveDirectory + name);
    EXPECT_EQ(header.MissionStart, 1) << name;
    EXPECT_EQ(header.TransferFollows, transfer) << name;
  }

  S().Globals[1] = 0;
  Act({atEndTurn});
  EXPECT_EQ(Game->Scenario, nullptr);
  EXPECT_EQ(Videos->Played.back(), Data::DataPath + "Video\\video4.avi");
  EXPECT_TRUE(MainMenu->IsVisible());
}

}  // namespace
}  // namespace GameTest
